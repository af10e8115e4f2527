// Elvex, the camera's logarithmic encoding, and the record of its seven
// parameters with the default sets of the two camera models.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class Elvex : public LutFuncInv {
public:
  // The seven numbers that define the encoding.
  struct Param {
    Param() = default;
    Param(double nominalSpeed, double blackSignal, double midGray, double encodingGain,
          double encodingOffset, double encodingBlack, double cutPoint)
        : nominalSpeed(nominalSpeed), blackSignal(blackSignal), midGray(midGray),
          encodingGain(encodingGain), encodingOffset(encodingOffset), encodingBlack(encodingBlack),
          cutPoint(cutPoint) {}

    void setParam(const Param& other) { *this = other; }

    double nominalSpeed = 0.0;    // exposure index of the base gain
    double blackSignal = 0.0;     // linear signal of black
    double midGray = 0.0;         // linear mid grey above black at the nominal speed
    double encodingGain = 0.0;    // slope per decade of linear signal
    double encodingOffset = 0.0;  // encoded value of mid grey
    double encodingBlack = 0.0;   // encoded value of black
    double cutPoint = 0.0;        // normalised argument below which the curve is linear
  };
};

// Default parameter sets of the two camera models; they differ in midGray.
extern const Elvex::Param kestaElvexparam;
extern const Elvex::Param pendroElvexparam;

}  // namespace Kalvora
