#include "kvrKestaToneMapCurve.h"

#include "kvrError.h"
#include "kvrToneCurve.h"

namespace Kalvora {

constexpr double KestaToneMapCurve::kMinParamValue;
constexpr double KestaToneMapCurve::kMaxParamValue;
constexpr int KestaToneMapCurve::kKnots;

namespace {

// Neutral shape: knot position, value and slope.
const double kX[KestaToneMapCurve::kKnots] = {0.0, 0.256, 0.391, 0.57, 0.65, 1.0};
const double kY[KestaToneMapCurve::kKnots] = {0.0, 0.17, 0.4, 0.737, 0.868, 1.0};
const double kD[KestaToneMapCurve::kKnots] = {0.366, 1.17, 1.946, 1.833, 1.223, 0.1};

const bool kValue = false, kSlope = true;
const ToneKnotTarget kKneeLow[] = {{kValue, 3, 0.95}, {kValue, 4, 1.0},   {kSlope, 2, 2.155},
                                   {kSlope, 3, 2.0},  {kSlope, 4, 0.016}, {kSlope, 5, 0.0}};
const ToneKnotTarget kKneeHigh[] = {{kValue, 3, 0.625}, {kValue, 4, 0.705}, {kSlope, 1, 1.204},
                                    {kSlope, 2, 1.807}, {kSlope, 3, 1.0},   {kSlope, 4, 1.0},
                                    {kSlope, 5, 0.5}};
const ToneKnotTarget kBlackLow[] = {
    {kValue, 1, 0.033}, {kSlope, 0, 0.0}, {kSlope, 1, 0.504}, {kSlope, 2, 2.0}};
const ToneKnotTarget kBlackHigh[] = {
    {kValue, 1, 0.31}, {kSlope, 0, 1.386}, {kSlope, 1, 0.682}, {kSlope, 2, 1.396}};

// Black gamma above 0.8 lifts knot 2 toward 0.47; knee 0 clips hard from knot 3.
constexpr ToneCurveShape kShape = toneCurveShape(
    KestaToneMapCurve::kKnots, kX, kY, kD, kKneeLow, kKneeHigh, kBlackLow, kBlackHigh, 2, 0.47, 3,
    "src/kvrKestaToneMapCurve:58 ERROR", "src/kvrKestaToneMapCurve:62 ERROR");

}  // namespace

KestaToneMapCurve::KestaToneMapCurve(double blackGamma, double knee) : spline_(kKnots) {
  initShapedToneSpline(spline_, kShape, blackGamma, knee);
}

void KestaToneMapCurve::resetSpline() { resetToneSpline(spline_, kShape); }

void KestaToneMapCurve::setShape(double blackGamma, double knee) {
  shapeToneSpline(spline_, kShape, blackGamma, knee);
}

double KestaToneMapCurve::transform(double x) const {
  return clampToneOutput(spline_.transform(x));
}

}  // namespace Kalvora
