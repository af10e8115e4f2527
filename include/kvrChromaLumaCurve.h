// Chroma reduction of the video look as a function of luma: a standard
// dynamic range shape and a high dynamic range shape that follows peak white.
#pragma once

#include <cstdint>

#include "kvrHermiteSpline.h"

namespace Kalvora {

class ChromaLumaCurve {
public:
  enum CurveType : int32_t { kSdr = 0, kHdr = 1 };

  // Peak white 1000, curve type kSdr.
  ChromaLumaCurve();
  // Copies select the same curve type of their own splines.
  ChromaLumaCurve(const ChromaLumaCurve& other);
  ChromaLumaCurve& operator=(const ChromaLumaCurve& other);

  // kHdr rebuilds the HDR spline for the current peak white and selects it;
  // kSdr rebuilds and selects the SDR spline; other values change nothing.
  void setCurveType(CurveType type);
  // Rebuilds the HDR spline; a peak white other than 1000, 2000 or 4000
  // throws kIllegalValue and keeps its values and slopes.
  void updateSplineForPeakWhite();
  // Stores the value (even when rejected) and rebuilds the HDR spline,
  // whichever curve is selected.
  void setPeakWhite(double peakWhite);
  void resetSpline();

  // The selected curve at the given luma, clamped to [0, 1].
  double getChroma(double luma) const;

private:
  const HermiteSpline* sameSelection(const ChromaLumaCurve& other) const;

  HermiteSpline splineSdr_;
  HermiteSpline splineHdr_;
  const HermiteSpline* active_;  // one of the two splines; null until a type is set
  double peakWhite_;
};

}  // namespace Kalvora
