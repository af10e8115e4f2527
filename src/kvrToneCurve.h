// The algorithm shared by the tone-map curves (internal, not installed):
// a Hermite spline with a neutral shape whose knot values and slopes are
// blended toward target shapes by two controls, black gamma (shadows) and
// knee (highlights), each in [0, 1] with 0.5 neutral. Each curve supplies
// its own knot tables as a ToneCurveShape.
#pragma once

#include <cstddef>

namespace Kalvora {

class HermiteSpline;

// Every tone curve clamps its output to [0, 1]; NaN passes.
inline double clampToneOutput(double v) {
  if (v > 1.0) return 1.0;
  if (v < 0.0) return 0.0;
  return v;
}

// One knot value (slope false) or slope (slope true) and the target it is
// blended toward.
struct ToneKnotTarget {
  bool slope;
  int knot;
  double target;
};

// The targets of one side of one control, applied in this order.
struct ToneTargets {
  const ToneKnotTarget* targets;
  int count;
};

struct ToneCurveShape {
  int knots;
  const double* x;  // neutral shape: knot positions, values and slopes
  const double* y;
  const double* d;
  ToneTargets kneeLow;    // knee below 0.5, weight 2 knee
  ToneTargets kneeHigh;   // knee above 0.5, weight 2 (1 - knee)
  ToneTargets blackLow;   // black gamma below 0.5, weight 2 black gamma
  ToneTargets blackHigh;  // black gamma above 0.5, weight 2 (1 - black gamma)
  // Black gamma above kDeepBlackStart also lifts this knot's value.
  int deepBlackKnot;
  double deepBlackValue;
  // Knee 0: the interval from this knot rises straight, the next is constant.
  int hardClipKnot;
  // Locations of the range failures.
  const char* blackGammaSite;
  const char* kneeSite;
};

// A shape from the curve's tables, the target counts taken from the arrays.
template <size_t KL, size_t KH, size_t BL, size_t BH>
constexpr ToneCurveShape toneCurveShape(int knots, const double* x, const double* y,
                                        const double* d, const ToneKnotTarget (&kneeLow)[KL],
                                        const ToneKnotTarget (&kneeHigh)[KH],
                                        const ToneKnotTarget (&blackLow)[BL],
                                        const ToneKnotTarget (&blackHigh)[BH], int deepBlackKnot,
                                        double deepBlackValue, int hardClipKnot,
                                        const char* blackGammaSite, const char* kneeSite) {
  return {knots,
          x,
          y,
          d,
          {kneeLow, int(KL)},
          {kneeHigh, int(KH)},
          {blackLow, int(BL)},
          {blackHigh, int(BH)},
          deepBlackKnot,
          deepBlackValue,
          hardClipKnot,
          blackGammaSite,
          kneeSite};
}

// Black gamma above this also lifts the mid-shadow knot.
constexpr double kDeepBlackStart = 0.8;
// 1 - 0.8 as the double arithmetic yields it: the span over which the lift
// grows to its full strength.
constexpr double kDeepBlackSpan = 0.19999999999999996;

// Places the knots and gives the spline the neutral shape.
void initToneSpline(HermiteSpline& spline, const ToneCurveShape& shape);
// Restores the neutral values and slopes without recomputing the intervals.
void resetToneSpline(HermiteSpline& spline, const ToneCurveShape& shape);
// Throws kIllegalValue for a control outside [0, 1] (NaN included) and then
// leaves the spline unchanged; otherwise shapes it and returns how far the
// controls are below neutral, (0.5 - knee) + (0.5 - blackGamma) counting
// only controls below 0.5.
double shapeToneSpline(HermiteSpline& spline, const ToneCurveShape& shape, double blackGamma,
                       double knee);
// What a curve's constructor does: initToneSpline, then shapeToneSpline.
// A control outside [0, 1] is reported and leaves the neutral shape (and
// gives 0).
double initShapedToneSpline(HermiteSpline& spline, const ToneCurveShape& shape, double blackGamma,
                            double knee);

}  // namespace Kalvora
