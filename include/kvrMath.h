// Numeric helpers: 3x3 colour matrices (nine doubles, row-major, applied to
// column vectors (r, g, b)), floating-point comparison and cubic Hermite
// weights.
#pragma once

#include <cstdint>

namespace Kalvora {

struct Chromaticity {
  Chromaticity(double xValue, double yValue) : x(xValue), y(yValue) {}
  Chromaticity(const Chromaticity& other) = default;
  Chromaticity& operator=(const Chromaticity& other) = default;

  double x;
  double y;
};

// Fixed-point 3x3 matrix at a scale chosen by the caller, row-major.
struct RgbIntMatrix {
  int32_t& operator[](int i) { return m[i]; }
  const int32_t& operator[](int i) const { return m[i]; }

  int32_t m[9];
};

extern const double gUnityMatrix[9];
extern const double gZeroMatrix[9];
extern const double gLumaFactors[3];
// CAT02 chromatic adaptation matrix of CIECAM02 (XYZ to cone response).
extern const double gCat02Mat[9];

// out = a * b; out must not alias a or b.
void mulRgbMat(double const (&a)[9], double const (&b)[9], double (&out)[9]);
void mulRgbMatVect(double const (&m)[9], double r, double g, double b, double& outR, double& outG,
                   double& outB);
// Integer product (wrapping, no rounding, no shift: the caller removes the scale).
void mulRgbIntMatVect(RgbIntMatrix const& m, int r, int g, int b, int& outR, int& outG, int& outB);
// out = (s * I + (1 - s) * u * luma^T) * m.
void satRgbMat(double const (&m)[9], double const* luma, double s, double (&out)[9]);
// ok is false (and inv untouched) when the determinant is exactly zero.
void invMat(double const (&m)[9], double (&inv)[9], bool& ok);
// Divides by the largest row sum (at least 0) so that row sums at most 1.
void normMat(double const (&m)[9], double (&out)[9]);
void diagMat(double* d, double (&out)[9]);
void copyRgbMat(double const (&src)[9], double (&dst)[9]);
// Copies n * n * n * 3 values.
void copy3DLut(unsigned short const* src, unsigned short* dst, int n);
// Diagnostic hook; prints nothing.
void printMat(double const (&m)[9], int, int);

// |a - b| <= ulps * max(|a|, |b|) * DBL_EPSILON.
bool fequal(double a, double b, unsigned int ulps);
// Cubic Hermite weights of y0, y1, d0, d1 at x on [x0, x1].
void hermite(double x, double x0, double x1, double* w);
// Red and blue shares of the white that the gains neutralise.
void gain2Chromaticity(double gainRed, double gainBlue, double& x, double& y);

double kvrLog2(double x);
// Rounds to nearest, halves away from zero.
float kvrRoundf(float x);

}  // namespace Kalvora
