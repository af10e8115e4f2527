#include "kvrMatrixLut.h"

#include "kvrMath.h"

namespace Kalvora {

namespace {

double clampUnit(double v) {
  if (v > 1.0) return 1.0;
  if (v < 0.0) return 0.0;
  return v;
}

}  // namespace

MatrixLut::MatrixLut() { copyRgbMat(gUnityMatrix, matrix_); }

MatrixLut::MatrixLut(const double (&matrix)[9]) { copyRgbMat(matrix, matrix_); }

void MatrixLut::setMatrix(const double (&matrix)[9]) { copyRgbMat(matrix, matrix_); }

void MatrixLut::transform(double r, double g, double b, double& outR, double& outG,
                          double& outB) const {
  const double* m = matrix_;
  outR = clampUnit((m[0] * r + m[1] * g) + m[2] * b);
  outG = clampUnit((m[3] * r + m[4] * g) + m[5] * b);
  outB = clampUnit((m[6] * r + m[7] * g) + m[8] * b);
}

}  // namespace Kalvora
