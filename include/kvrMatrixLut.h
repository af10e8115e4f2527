// A 3x3 colour matrix with output clamping, as an RGB-to-RGB function.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

// Multiplies (r, g, b) by the row-major matrix and clamps each output to
// [0, 1] (NaN passes through): meant for normalised signals only.
class MatrixLut : public LutFunc3D {
public:
  MatrixLut();
  explicit MatrixLut(const double (&matrix)[9]);
  void setMatrix(const double (&matrix)[9]);

  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;
  void show(int) const override {}

private:
  double matrix_[9];
};

}  // namespace Kalvora
