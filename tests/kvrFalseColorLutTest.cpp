#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvrError.h"
#include "kvrFalseColorLut.h"

using namespace Kalvora;

namespace {

const double k7 = 0.699999988079071;  // 0.7 in single precision

// The camera log bands with the bounds as single-precision constants.
const FalseColorLut::ColorRange kLogBands[6] = {
    {0.0, 0.0019000000320374966, k7, 0, 1},
    {0.0019000000320374966, 0.0038999998942017555, 0, 0, 1},
    {0.10339999943971634, 0.12870000302791595, 0, 1, 0},
    {0.20839999616146088, 0.24729999899864197, 1, k7, k7},
    {0.9272000193595886, 0.9753999710083008, 1, 1, 0},
    {0.9753999710083008, 1.100000023841858, 1, 0, 0},
};

// The paint of x; outside every band x is shown as grey (x, x, x).
void expectPaint(const FalseColorLut& lut, double x, double r, double g, double b) {
  double out[3];
  lut.transform(x, out[0], out[1], out[2]);
  EXPECT_EQ(out[0], r) << "at " << x;
  EXPECT_EQ(out[1], g) << "at " << x;
  EXPECT_EQ(out[2], b) << "at " << x;
}

}  // namespace

TEST(FalseColorLut, BandsGetTheirColourAndTheRestIsGrey) {
  const FalseColorLut lut(kLogBands, 6);
  // Lower bounds are inclusive, a shared bound belongs to the upper band;
  // 0.1287 in double precision lies just below its single-precision bound.
  const struct {
    double x, r, g, b;
  } painted[] = {{0.22, 1, k7, k7},
                 {0.1287, 0, 1, 0},
                 {0.10339999943971634, 0, 1, 0},
                 {0.9753999710083008, 1, 0, 0}};
  for (const auto& c : painted) expectPaint(lut, c.x, c.r, c.g, c.b);
  // Upper bounds are exclusive; negative values pass through as grey.
  for (double x : {0.2, 0.12870000302791595, 1.100000023841858, -0.01})
    expectPaint(lut, x, x, x, x);
  double r, g, b;
  lut.transform(std::numeric_limits<double>::quiet_NaN(), r, g, b);
  EXPECT_TRUE(std::isnan(r) && std::isnan(g) && std::isnan(b));

  double table[3 * 5];  // sampled at 0, 0.25, 0.5, 0.75, 1
  lut.getTable(5, table, kLutInterleaved);
  EXPECT_EQ(table[0], k7);
  EXPECT_EQ(table[3], 0.25);
  EXPECT_EQ(table[13], 0.0);
}

// The table is borrowed, may be missing, and rows outside it are refused.
TEST(FalseColorLut, TableIsBorrowedAndRowsOutsideItAreRejected) {
  FalseColorLut::ColorRange bands[1] = {{0.0, 0.5, 1, 0, 0}};
  FalseColorLut lut;
  expectPaint(lut, 0.22, 0.22, 0.22, 0.22);
  lut.setColorRange(bands, 1);
  bands[0].green = 1.0;  // later changes of the table are seen
  expectPaint(lut, 0.3, 1, 1, 0);
  expectPaint(FalseColorLut(nullptr, 6), 0.22, 0.22, 0.22, 0.22);
  expectPaint(FalseColorLut(kLogBands, -1), 0.22, 0.22, 0.22, 0.22);

  double min, max, r, g = -5, b;
  FalseColorLut(kLogBands, 6).getColorRange(3, min, max, r, g, b);
  EXPECT_EQ(max, 0.24729999899864197);
  EXPECT_EQ(g, k7);
  for (int index : {6, -1}) {
    min = -5;
    EXPECT_THROW(FalseColorLut(kLogBands, 6).getColorRange(index, min, max, r, g, b), KvrSignal);
    EXPECT_EQ(min, -5);
  }
  EXPECT_THROW(FalseColorLut(nullptr, 3).getColorRange(0, min, max, r, g, b), KvrSignal);
}
