#include "kvrVorn2ToneMapCurve.h"

#include "kvrError.h"
#include "kvrToneCurve.h"

namespace Kalvora {

constexpr double Vorn2ToneMapCurve::kMinParamValue;
constexpr double Vorn2ToneMapCurve::kMaxParamValue;
constexpr int Vorn2ToneMapCurve::kKnots;

namespace {

// Neutral shape: knot position, value and slope.
const double kX[Vorn2ToneMapCurve::kKnots] = {0.0, 0.14, 0.256, 0.391, 0.57, 0.65, 1.0};
const double kY[Vorn2ToneMapCurve::kKnots] = {0.0, 0.04, 0.159, 0.4, 0.737, 0.868, 1.0};
const double kD[Vorn2ToneMapCurve::kKnots] = {0.0, 0.644, 1.54, 1.95, 1.833, 1.223, 0.1};

const bool kValue = false, kSlope = true;
const ToneKnotTarget kKneeLow[] = {{kValue, 4, 0.95}, {kValue, 5, 1.0},   {kSlope, 3, 2.1},
                                   {kSlope, 4, 2.0},  {kSlope, 5, 0.016}, {kSlope, 6, 0.0}};
const ToneKnotTarget kKneeHigh[] = {{kValue, 4, 0.625}, {kValue, 5, 0.705}, {kSlope, 3, 1.8},
                                    {kSlope, 4, 1.0},   {kSlope, 5, 1.0},   {kSlope, 6, 0.5}};
const ToneKnotTarget kBlackLow[] = {
    {kValue, 1, 0.008}, {kValue, 2, 0.033}, {kSlope, 1, 0.07}, {kSlope, 2, 0.6}, {kSlope, 3, 2.0}};
const ToneKnotTarget kBlackHigh[] = {{kValue, 1, 0.115}, {kValue, 2, 0.25}, {kSlope, 0, 0.4},
                                     {kSlope, 1, 1.075}, {kSlope, 2, 1.3},  {kSlope, 3, 1.53}};

// Black gamma above 0.8 lifts knot 3 toward 0.45; knee 0 clips hard from knot 4.
constexpr ToneCurveShape kShape = toneCurveShape(
    Vorn2ToneMapCurve::kKnots, kX, kY, kD, kKneeLow, kKneeHigh, kBlackLow, kBlackHigh, 3, 0.45, 4,
    "src/kvrVorn2ToneMapCurve:64 ERROR", "src/kvrVorn2ToneMapCurve:68 ERROR");

}  // namespace

Vorn2ToneMapCurve::Vorn2ToneMapCurve(double blackGamma, double knee)
    : contrastIncrease_(0.0), spline_(kKnots) {
  contrastIncrease_ = initShapedToneSpline(spline_, kShape, blackGamma, knee);
}

void Vorn2ToneMapCurve::resetSpline() { resetToneSpline(spline_, kShape); }

void Vorn2ToneMapCurve::setShape(double blackGamma, double knee) {
  contrastIncrease_ = shapeToneSpline(spline_, kShape, blackGamma, knee);
}

double Vorn2ToneMapCurve::transform(double x) const {
  return clampToneOutput(spline_.transform(x));
}

}  // namespace Kalvora
