// Interpolation of calibration tables for white balance and the camera
// colour matrix. The tables are rows ascending by colour temperature (cct),
// each with gainRed, gainBlue and the tint slope; rows of system records
// also carry a matrix. Row is a pointer (or random-access iterator) to such
// rows, so the same code serves both record kinds.
//
// Chromaticity here means the red and blue shares of the white that a pair
// of gains neutralises (gain2Chromaticity). Tint moves a white point along
// the direction (1, slope) in that plane, 0.005 per tint unit.
#pragma once

#include <cmath>

#include "kvrMath.h"

namespace Kalvora {

namespace balance_detail {

// Weight of the upper row for a temperature between two rows: linear in
// reciprocal temperature.
inline double reciprocalWeight(double cct, double lowerCct, double upperCct) {
  return (1.0 / cct - 1.0 / lowerCct) / (1.0 / upperCct - 1.0 / lowerCct);
}

// Index i of the first segment with rows[i].cct <= cct < rows[i + 1].cct, or
// -1 when there is none.
template <class Row>
int segmentOf(double cct, Row rows, int count) {
  for (int i = 0; i + 1 < count; ++i)
    if (rows[i].cct <= cct && cct < rows[i + 1].cct) return i;
  return -1;
}

// Signed position of p relative to the tint line of slope k through a,
// measured along the chord direction (dx, dy).
inline double tintLinePosition(double px, double py, double ax, double ay, double k, double dx,
                               double dy) {
  return ((py - ay) - (px - ax) * k) / (dx * k - dy);
}

}  // namespace balance_detail

// Distance in the chromaticity plane of one tint unit.
constexpr double kTintUnit = 0.005;

// Moves the white point of the gains by tint units along (1, slope).
inline void tintGains(double tint, double slope, double& gainRed, double& gainBlue) {
  double x, y;
  gain2Chromaticity(gainRed, gainBlue, x, y);
  const double d = tint * kTintUnit / std::sqrt(slope * slope + 1.0);
  x += d;
  y += slope * d;
  gainRed = (1.0 - x - y) / x;
  gainBlue = (1.0 - x - y) / y;
}

// Gains and tint slope for a colour temperature. Temperatures outside the
// table give the end rows; outputs stay unchanged for an empty table or when
// no segment holds cct (rows not ascending, NaN).
template <class Row>
void interpolateBalance(double cct, double& gainRed, double& gainBlue, double& slope, Row rows,
                        int count) {
  if (count < 1) return;
  int at = -1;
  if (cct <= rows[0].cct)
    at = 0;
  else if (cct >= rows[count - 1].cct)
    at = count - 1;
  if (at >= 0) {
    gainRed = rows[at].gainRed;
    gainBlue = rows[at].gainBlue;
    slope = rows[at].slope;
    return;
  }
  int i = balance_detail::segmentOf(cct, rows, count);
  if (i < 0) return;
  double w = balance_detail::reciprocalWeight(cct, rows[i].cct, rows[i + 1].cct);
  gainRed = (1.0 - w) * rows[i].gainRed + w * rows[i + 1].gainRed;
  gainBlue = (1.0 - w) * rows[i].gainBlue + w * rows[i + 1].gainBlue;
  slope = (1.0 - w) * rows[i].slope + w * rows[i + 1].slope;
}

// Colour temperature and tint for a pair of gains: finds the segment whose
// two tint lines enclose the white point and interpolates between them.
// Outputs stay unchanged for fewer than two rows or gains outside the
// calibrated range (callers preset cct to 0 to detect this).
template <class Row>
void interpolateCct(double gainRed, double gainBlue, double& cct, double& tint, Row rows,
                    int count) {
  using balance_detail::tintLinePosition;
  double px, py;
  gain2Chromaticity(gainRed, gainBlue, px, py);
  if (count < 2) return;

  for (int i = 0; i + 1 < count; ++i) {
    double ax, ay, bx, by;
    gain2Chromaticity(rows[i].gainRed, rows[i].gainBlue, ax, ay);
    gain2Chromaticity(rows[i + 1].gainRed, rows[i + 1].gainBlue, bx, by);
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lowerSlope = rows[i].slope;
    const double upperSlope = rows[i + 1].slope;
    double sLower = tintLinePosition(px, py, ax, ay, lowerSlope, dx, dy);
    double sUpper = tintLinePosition(px, py, bx, by, upperSlope, dx, dy);

    if (std::fabs(sUpper) >= std::fabs(sLower) && std::fabs(sLower) < 1e-8) {
      sLower = 0.0;  // on the tint line through the lower row
      sUpper = 1.0;
    } else if (std::fabs(sLower) >= std::fabs(sUpper) && std::fabs(sUpper) < 1e-8) {
      sLower = 1.0;  // on the tint line through the upper row
      sUpper = 0.0;
    }
    // Between the lines the positions have opposite signs; NaN positions of
    // a degenerate segment enclose nothing.
    const bool between = (sLower <= 0.0 && sUpper >= 0.0) || (sLower >= 0.0 && sUpper <= 0.0);
    const double w = std::fabs(sLower) / (std::fabs(sLower) + std::fabs(sUpper));
    if (!between || !(0.0 <= w && w <= 1.0)) continue;
    const double k = (1.0 - w) * lowerSlope + w * upperSlope;
    cct = 1.0 / ((1.0 - w) / rows[i].cct + w / rows[i + 1].cct);
    tint = std::sqrt(k * k + 1.0) * ((py - ay) * dx - (px - ax) * dy) / (dy - k * dx) / -kTintUnit;
    return;
  }
}

// Colour matrix for a colour temperature from rows that carry one: the end
// rows' matrices outside the table, otherwise linear in reciprocal
// temperature between the enclosing rows. Nothing is written for an empty
// table or when no segment holds cct.
template <class Row>
void interpolateMatrix(double cct, double (&matrix)[9], Row rows, int count) {
  if (count < 1) return;
  if (cct < rows[0].cct) {
    for (int j = 0; j < 9; ++j) matrix[j] = rows[0].matrix[j];
  } else if (cct >= rows[count - 1].cct) {
    for (int j = 0; j < 9; ++j) matrix[j] = rows[count - 1].matrix[j];
  } else {
    for (int i = 0; i + 1 < count; ++i) {
      if (!(rows[i].cct <= cct && cct < rows[i + 1].cct)) continue;
      double w = balance_detail::reciprocalWeight(cct, rows[i].cct, rows[i + 1].cct);
      for (int j = 0; j < 9; ++j)
        matrix[j] = (1.0 - w) * rows[i].matrix[j] + w * rows[i + 1].matrix[j];
    }
  }
}

}  // namespace Kalvora
