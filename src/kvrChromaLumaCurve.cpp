#include "kvrChromaLumaCurve.h"

#include <algorithm>

#include "kvrError.h"

#define KVR_SOURCE "src/kvrChromaLumaCurve"

namespace Kalvora {

namespace {

// Full chroma in the mid tones, none at black and white.
const int kSdrKnots = 6;
const double kSdrX[kSdrKnots] = {0, 0.27, 0.4003, 0.549, 0.7, 1.0};
const double kSdrY[kSdrKnots] = {0, 0.8263, 1.0, 1.0, 0.7968, 0.0};
const double kSdrD[kSdrKnots] = {0, 2.8454, 0, 0, -3.23, 0};

// Full chroma up to the mid tones, then falling to none at white; the top
// of the fall follows peak white.
const int kHdrKnots = 7;
const double kHdrX[kHdrKnots] = {0, 0.27, 0.4003, 0.55, 0.8, 0.9, 1.0};
const double kHdrY[5] = {1, 1, 0.95, 0.7747159, 0.4};
const double kHdrD[5] = {0, 0, -0.858, -1.508965, -1.6};

struct HdrTop {
  double y5, d5, d6;
};
const HdrTop kTop1000 = {0.05, -1.5, -0.2};
const HdrTop kTop2000And4000 = {0.1, -1.715, -0.23};

}  // namespace

ChromaLumaCurve::ChromaLumaCurve()
    : splineSdr_(kSdrKnots), splineHdr_(kHdrKnots), active_(nullptr), peakWhite_(1000.0) {
  try {
    setCurveType(kSdr);
  } catch (const KvrSignal& signal) {
    reportSignal(signal);
  }
}

ChromaLumaCurve::ChromaLumaCurve(const ChromaLumaCurve& other)
    : splineSdr_(other.splineSdr_),
      splineHdr_(other.splineHdr_),
      active_(sameSelection(other)),
      peakWhite_(other.peakWhite_) {}

ChromaLumaCurve& ChromaLumaCurve::operator=(const ChromaLumaCurve& other) {
  if (this == &other) return *this;
  splineSdr_ = other.splineSdr_;
  splineHdr_ = other.splineHdr_;
  active_ = sameSelection(other);
  peakWhite_ = other.peakWhite_;
  return *this;
}

const HermiteSpline* ChromaLumaCurve::sameSelection(const ChromaLumaCurve& other) const {
  if (other.active_ == &other.splineSdr_) return &splineSdr_;
  if (other.active_ == &other.splineHdr_) return &splineHdr_;
  return nullptr;
}

void ChromaLumaCurve::setCurveType(CurveType type) {
  if (type == kHdr) {
    updateSplineForPeakWhite();
    active_ = &splineHdr_;
  } else if (type == kSdr) {
    for (int i = 0; i < kSdrKnots; ++i) {
      splineSdr_.setX(i, kSdrX[i], false);
      splineSdr_.setY(i, kSdrY[i], false);
      splineSdr_.setD(i, kSdrD[i], false);
    }
    splineSdr_.updatePolynomial();
    active_ = &splineSdr_;
  }
}

void ChromaLumaCurve::updateSplineForPeakWhite() {
  for (int i = 0; i < kHdrKnots; ++i) splineHdr_.setX(i, kHdrX[i], false);
  const HdrTop* top = nullptr;
  if (peakWhite_ == 1000.0)
    top = &kTop1000;
  else if (peakWhite_ == 2000.0 || peakWhite_ == 4000.0)
    top = &kTop2000And4000;
  else
    throw KvrSignal(kIllegalValue, "src/kvrChromaLumaCurve:136 ERROR", "Illegal value");

  for (int i = 0; i < 5; ++i) {
    splineHdr_.setY(i, kHdrY[i], false);
    splineHdr_.setD(i, kHdrD[i], false);
  }
  splineHdr_.setY(5, top->y5, false);
  splineHdr_.setY(6, 0.0, false);
  splineHdr_.setD(5, top->d5, false);
  splineHdr_.setD(6, top->d6, false);
  splineHdr_.updatePolynomial();
}

void ChromaLumaCurve::setPeakWhite(double peakWhite) {
  peakWhite_ = peakWhite;
  updateSplineForPeakWhite();
}

void ChromaLumaCurve::resetSpline() { setCurveType(kSdr); }

double ChromaLumaCurve::getChroma(double luma) const {
  // The constructor always selects a curve; without one nothing is reduced.
  if (active_ == nullptr) return 1.0;
  return std::min(std::max(active_->transform(luma), 0.0), 1.0);
}

}  // namespace Kalvora
