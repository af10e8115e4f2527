#include <gtest/gtest.h>

#include <cmath>

#include "kvrMatrixLut.h"

using namespace Kalvora;

namespace {

void apply(const LutFunc3D& f, double r, double g, double b, double* out) {
  f.transform(r, g, b, out[0], out[1], out[2]);
}

}  // namespace

TEST(MatrixLutTest, DefaultIsTheUnitMatrix) {
  MatrixLut lut;
  double out[3];
  apply(lut, 0.1, 0.5, 0.9, out);
  EXPECT_EQ(out[0], 0.1);
  EXPECT_EQ(out[1], 0.5);
  EXPECT_EQ(out[2], 0.9);
}

TEST(MatrixLutTest, MultipliesRowsByTheInputColumn) {
  const double m[9] = {0.5, 0.25, 0.125, 0.0, 1.0, -0.5, 0.25, 0.25, 0.25};
  MatrixLut lut(m);
  double out[3];
  apply(lut, 0.8, 0.4, 0.2, out);
  EXPECT_DOUBLE_EQ(out[0], 0.4 + 0.1 + 0.025);
  EXPECT_DOUBLE_EQ(out[1], 0.4 - 0.1);
  EXPECT_DOUBLE_EQ(out[2], 0.35);
}

TEST(MatrixLutTest, ClampsEveryOutputToTheUnitRange) {
  const double ones[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  MatrixLut lut(ones);
  double out[3];
  apply(lut, 0.5, 0.5, 0.5, out);
  EXPECT_EQ(out[0], 1.0);
  EXPECT_EQ(out[1], 1.0);
  EXPECT_EQ(out[2], 1.0);

  const double negate[9] = {-1, 0, 0, 0, 1, 0, 0, 0, 1};
  lut.setMatrix(negate);
  apply(lut, 0.5, 0.5, 0.5, out);
  EXPECT_EQ(out[0], 0.0);
  EXPECT_EQ(out[1], 0.5);
}

TEST(MatrixLutTest, KeepsItsOwnCopyOfTheMatrix) {
  double m[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
  MatrixLut lut(m);
  m[1] = 0.0;
  double out[3];
  apply(lut, 0.1, 0.2, 0.3, out);
  EXPECT_EQ(out[0], 0.2);
  EXPECT_EQ(out[1], 0.3);
  EXPECT_EQ(out[2], 0.1);
}

TEST(MatrixLutTest, NanPassesTheClamp) {
  MatrixLut lut;
  double out[3];
  apply(lut, std::nan(""), 0.5, 0.5, out);
  // Every row meets the NaN (0 * NaN is NaN): nothing is silently clamped.
  EXPECT_TRUE(std::isnan(out[0]));
  EXPECT_TRUE(std::isnan(out[1]));
  EXPECT_TRUE(std::isnan(out[2]));
}
