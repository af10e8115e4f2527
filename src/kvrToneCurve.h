// Helpers shared by the tone-map curves (internal, not installed).
#pragma once

namespace Kalvora {

// Every tone curve clamps its output to [0, 1]; NaN passes.
inline double clampToneOutput(double v) {
  if (v > 1.0) return 1.0;
  if (v < 0.0) return 0.0;
  return v;
}

// Black gamma above this also lifts the mid-shadow knot.
constexpr double kDeepBlackStart = 0.8;
// 1 - 0.8 as the double arithmetic yields it: the span over which the lift
// grows to its full strength.
constexpr double kDeepBlackSpan = 0.19999999999999996;

}  // namespace Kalvora
