#include "kvrMath.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#define KVR_SOURCE "src/kvrMath"

namespace Kalvora {

const double gUnityMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double gZeroMatrix[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
const double gLumaFactors[3] = {0.212639, 0.715169, 0.072192};
const double gCat02Mat[9] = {0.7328, 0.4296, -0.1624, -0.7036, 1.6975,
                             0.0061, 0.003,  0.0136,  0.9834};

void mulRgbMat(double const (&a)[9], double const (&b)[9], double (&out)[9]) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      out[3 * r + c] = a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] + a[3 * r + 2] * b[6 + c];
}

void mulRgbMatVect(double const (&m)[9], double r, double g, double b, double& outR, double& outG,
                   double& outB) {
  outR = m[0] * r + m[1] * g + m[2] * b;
  outG = m[3] * r + m[4] * g + m[5] * b;
  outB = m[6] * r + m[7] * g + m[8] * b;
}

void mulRgbIntMatVect(RgbIntMatrix const& m, int r, int g, int b, int& outR, int& outG, int& outB) {
  // Unsigned arithmetic wraps without undefined behaviour.
  auto row = [&](int i) {
    uint32_t sum = uint32_t(m[i]) * uint32_t(r) + uint32_t(m[i + 1]) * uint32_t(g) +
                   uint32_t(m[i + 2]) * uint32_t(b);
    return int32_t(sum);
  };
  outR = row(0);
  outG = row(3);
  outB = row(6);
}

void satRgbMat(double const (&m)[9], double const* luma, double s, double (&out)[9]) {
  for (int c = 0; c < 3; ++c) {
    double lumaColumn = luma[0] * m[c] + luma[1] * m[3 + c] + luma[2] * m[6 + c];
    for (int r = 0; r < 3; ++r) out[3 * r + c] = s * m[3 * r + c] + (1.0 - s) * lumaColumn;
  }
}

void invMat(double const (&m)[9], double (&inv)[9], bool& ok) {
  double det = m[0] * m[4] * m[8] + m[1] * m[5] * m[6] + m[2] * m[3] * m[7] - m[2] * m[4] * m[6] -
               m[0] * m[5] * m[7] - m[1] * m[3] * m[8];
  if (det == 0.0) {
    ok = false;
    return;
  }
  ok = true;
  inv[0] = (m[4] * m[8] - m[5] * m[7]) / det;
  inv[1] = (m[2] * m[7] - m[1] * m[8]) / det;
  inv[2] = (m[1] * m[5] - m[2] * m[4]) / det;
  inv[3] = (m[5] * m[6] - m[3] * m[8]) / det;
  inv[4] = (m[0] * m[8] - m[2] * m[6]) / det;
  inv[5] = (m[2] * m[3] - m[0] * m[5]) / det;
  inv[6] = (m[3] * m[7] - m[4] * m[6]) / det;
  inv[7] = (m[1] * m[6] - m[0] * m[7]) / det;
  inv[8] = (m[0] * m[4] - m[1] * m[3]) / det;
}

void normMat(double const (&m)[9], double (&out)[9]) {
  double row0 = m[0] + m[1] + m[2];
  double row1 = m[3] + m[4] + m[5];
  double row2 = m[6] + m[7] + m[8];
  double s = std::max(row2, std::max(row1, std::max(row0, 0.0)));
  if (s == 1.0) {
    copyRgbMat(m, out);
    return;
  }
  for (int i = 0; i < 9; ++i) out[i] = m[i] / s;
}

void diagMat(double* d, double (&out)[9]) {
  copyRgbMat(gZeroMatrix, out);
  out[0] = d[0];
  out[4] = d[1];
  out[8] = d[2];
}

void copyRgbMat(double const (&src)[9], double (&dst)[9]) { std::memmove(dst, src, sizeof dst); }

void copy3DLut(unsigned short const* src, unsigned short* dst, int n) {
  if (n <= 0) return;
  std::memmove(dst, src, size_t(n) * n * n * 3 * sizeof(unsigned short));
}

void printMat(double const (&)[9], int, int) {}

bool fequal(double a, double b, unsigned int ulps) {
  return std::fabs(a - b) <= ulps * std::max(std::fabs(a), std::fabs(b)) * DBL_EPSILON;
}

void hermite(double x, double x0, double x1, double* w) {
  double h = x1 - x0;
  double t = (x - x0) / h;
  double u = 1.0 - t;
  w[0] = u * u * (1.0 + 2.0 * t);
  w[1] = t * t * (3.0 - 2.0 * t);
  w[2] = h * t * u * u;
  w[3] = -h * t * t * u;
}

void gain2Chromaticity(double gainRed, double gainBlue, double& x, double& y) {
  double r = 1.0 / gainRed;
  double b = 1.0 / gainBlue;
  double sum = r + 1.0 + b;
  x = r / sum;
  y = b / sum;
}

double kvrLog2(double x) { return std::log2(x); }

float kvrRoundf(float x) { return std::roundf(x); }

}  // namespace Kalvora
