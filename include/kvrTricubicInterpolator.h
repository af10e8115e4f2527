// Smooth tricubic interpolation in a 3-D table after Lekien and Marsden
// (2005), driven by finite-difference derivatives of the table.
#pragma once

#include <cstdint>
#include <vector>

#include "kvrInterpolator3d.h"
#include "kvrLutDerivative.h"

namespace Kalvora {

// Maps the 64 corner values of a cell to the 64 coefficients of its tricubic
// polynomial, row by row. The inputs are eight groups of eight: f, df/dx,
// df/dy, df/dz, d2f/dxdy, d2f/dxdz, d2f/dydz, d3f/dxdydz, each at the corners
// (0,0,0), (1,0,0), (0,1,0), (1,1,0), (0,0,1), (1,0,1), (0,1,1), (1,1,1)
// with x fastest; output n is the coefficient of x^i y^j z^k, n = i + 4j + 16k.
// Here x is the red axis, y green and z blue.
extern const int32_t tricInterpMatrix[64 * 64];

// Precomputes the seven derivative tables of the source table once, so a
// changed table needs a new interpolator. The derivatives are signed and
// wide: falling edges and negative mixed derivatives are common and must not
// wrap.
class TricubicInterpolator : public Interpolator3d {
public:
  TricubicInterpolator(const unsigned short* table, int size, LutOrder order);

  void interpolate(double r, double g, double b, double* out) override;
  void interpolateAt(double r, double g, double b, double* out) const override;

  // One channel in the current cell at the fractions (fr, fg, fb): f is the
  // channel's base in the source table, the rest its bases in the derivative
  // tables.
  double interpolate(double fr, double fg, double fb, const unsigned short* f, const int32_t* dR,
                     const int32_t* dG, const int32_t* dB, const int32_t* dRG, const int32_t* dRB,
                     const int32_t* dGB, const int32_t* dRGB) const;

  // a = matrix * (the eight groups of eight corner values, in group order).
  void getCoeff(double* a, const double* f, const double* dfdx, const double* dfdy,
                const double* dfdz, const double* d2fdxdy, const double* d2fdxdz,
                const double* d2fdydz, const double* d3fdxdydz) const;
  // The same with the 64 values already stacked in group order.
  void getCoeffStacked(double* a, const double* x) const;
  // Sum of a[ijk2n(i, j, k)] x^i y^j z^k for i, j, k = 0 ... 3.
  static double eval(const double* a, double x, double y, double z);
  static int ijk2n(int i, int j, int k) { return i + 4 * j + 16 * k; }

private:
  // One non-zero entry of a matrix row.
  struct Term {
    int column;
    double weight;
  };

  // The channel interpolation in the cell with the given corner indices.
  double interpolateCell(const int (&corner)[8], double fr, double fg, double fb,
                         const unsigned short* f, const int32_t* dR, const int32_t* dG,
                         const int32_t* dB, const int32_t* dRG, const int32_t* dRB,
                         const int32_t* dGB, const int32_t* dRGB) const;
  void interpolateInCell(const int (&corner)[8], double fr, double fg, double fb,
                         double* out) const;

  // getCoeffStacked() over the non-zero entries only. Leaving out the zero
  // products does not change a sum of finite values by a single bit (a sum
  // that starts at +0 never becomes -0), and the values read from the tables
  // are always finite; the public form keeps the full product for any input.
  void getCoeffSparse(double* a, const double* x) const;
  void buildDerivatives(const unsigned short* table, LutOrder order);
  // Converts derivatives per unit input to per cell: v * s^power rounded to
  // nearest (halves away from zero), with s = 1 / (n - 1).
  std::vector<int32_t> toCellUnits(const std::vector<int64_t>& raw, int power) const;

  int32_t matrix_[64 * 64];
  std::vector<Term> terms_;            // the non-zero entries of matrix_, row by row
  int rowEnd_[64];                     // end of each row's entries in terms_
  std::vector<int32_t> dR_, dG_, dB_;  // along red, green, blue
  std::vector<int32_t> dRG_, dRB_, dGB_;
  std::vector<int32_t> dRGB_;
  LutDerivative derivative_;
};

}  // namespace Kalvora
