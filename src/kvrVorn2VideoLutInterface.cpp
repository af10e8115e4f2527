#include "kvrVorn2VideoLutInterface.h"

#include "kvrError.h"

#define KVR_SOURCE "src/kvrVorn2VideoLutInterface"

namespace Kalvora {

const double Vorn2VideoLutInterface::sYccMatrix[9] = {
    0.2126,     0.7152,     0.0722,       // Y
    -0.1620294, -0.5450774, 0.70710678,   // Cb
    0.7071068,  -0.6422692, -0.06483758,  // Cr
};

const double Vorn2VideoLutInterface::sRgbMatrix[9] = {
    1.0, 0.0,        1.1135518,   //
    1.0, -0.1324583, -0.3310138,  //
    1.0, 1.3121073,  0.0,         //
};

const double Vorn2VideoLutInterface::sKestaWg2Rec709Mat[9] = {
    1.6175234,  -0.5372866, -0.0802368,  //
    -0.0705727, 1.3346131,  -0.2640403,  //
    -0.00516,   -0.174476,  1.179636,    //
};

const double Vorn2VideoLutInterface::sKestaWg2Rec2020Mat[9] = {
    0.9906881, 0.0925397, -0.0832278,  //
    0.0466322, 1.1875269, -0.2341591,  //
    0.0014036, -0.094602, 1.0931984,   //
};

const double Vorn2VideoLutInterface::sValueWeight[3] = {0.3, 0.5, 0.2};
const double Vorn2VideoLutInterface::sHueRotationForBlueCompression_w100 = 0.5396826;
const double Vorn2VideoLutInterface::sHueRotationForBlueCompression_w200 = 0.6507937;
const double Vorn2VideoLutInterface::sHighlightSaturation = 0.3333333;
const double Vorn2VideoLutInterface::sBlackLevel = 0.001;

Vorn2VideoLutInterface::Vorn2VideoLutInterface() : masterGamma_(1.0), gamma_{1.0, 1.0, 1.0} {}

void Vorn2VideoLutInterface::setMasterGamma(double g) {
  masterGamma_ = g;
  for (int k = Red; k <= Blue; ++k) setCombinedGamma(gamma_[k] * masterGamma_, Channel(k));
}

void Vorn2VideoLutInterface::setGamma(double g, Channel k) {
  checkChannel(k);
  gamma_[k] = g;
  setCombinedGamma(g * masterGamma_, k);
}

double Vorn2VideoLutInterface::getGamma(Channel k) const {
  checkChannel(k);
  return gamma_[k];
}

void Vorn2VideoLutInterface::checkChannel(Channel k) {
  if (!(Red <= k && k <= Blue)) throw KvrSignal(kIllegalIndex, KVR_HERE, "Illegal color channel");
}

}  // namespace Kalvora
