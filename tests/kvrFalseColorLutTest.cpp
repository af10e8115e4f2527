#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kvrError.h"
#include "kvrFalseColorLut.h"

using namespace Kalvora;

namespace {

// The camera log bands with the bounds as single-precision constants.
const FalseColorLut::ColorRange kLogBands[6] = {
    {0.0, 0.0019000000320374966, 0.699999988079071, 0, 1},
    {0.0019000000320374966, 0.0038999998942017555, 0, 0, 1},
    {0.10339999943971634, 0.12870000302791595, 0, 1, 0},
    {0.20839999616146088, 0.24729999899864197, 1, 0.699999988079071, 0.699999988079071},
    {0.9272000193595886, 0.9753999710083008, 1, 1, 0},
    {0.9753999710083008, 1.100000023841858, 1, 0, 0},
};

struct Rgb {
  double r, g, b;
};

Rgb paint(const FalseColorLut& lut, double x) {
  Rgb out;
  lut.transform(x, out.r, out.g, out.b);
  return out;
}

void expectRgb(const Rgb& got, double r, double g, double b) {
  EXPECT_EQ(got.r, r);
  EXPECT_EQ(got.g, g);
  EXPECT_EQ(got.b, b);
}

class Doubler : public LutFunc {
public:
  double transform(double x) const override { return 2.0 * x; }
};

}  // namespace

TEST(FalseColorLutPainting, BandsGetTheirColourAndTheRestIsGrey) {
  FalseColorLut lut(kLogBands, 6);
  expectRgb(paint(lut, 0.22), 1, 0.699999988079071, 0.699999988079071);
  expectRgb(paint(lut, 0.2), 0.2, 0.2, 0.2);
  expectRgb(paint(lut, 0.15), 0.15, 0.15, 0.15);
  expectRgb(paint(lut, 1.0), 1, 0, 0);
  expectRgb(paint(lut, 0.0), 0.699999988079071, 0, 1);
  expectRgb(paint(lut, 0.003), 0, 0, 1);
  expectRgb(paint(lut, 0.95), 1, 1, 0);
}

TEST(FalseColorLutPainting, UpperBoundsAreExclusiveAtSinglePrecision) {
  FalseColorLut lut(kLogBands, 6);
  // The single-precision bound itself is outside the green band ...
  expectRgb(paint(lut, 0.12870000302791595), 0.12870000302791595, 0.12870000302791595,
            0.12870000302791595);
  // ... while 0.1287 in double precision lies just below it.
  expectRgb(paint(lut, 0.1287), 0, 1, 0);
  // Lower bounds are inclusive; a shared bound belongs to the upper band.
  expectRgb(paint(lut, 0.10339999943971634), 0, 1, 0);
  expectRgb(paint(lut, 0.0019000000320374966), 0, 0, 1);
  expectRgb(paint(lut, 0.9753999710083008), 1, 0, 0);
  expectRgb(paint(lut, 1.100000023841858), 1.100000023841858, 1.100000023841858, 1.100000023841858);
}

TEST(FalseColorLutPainting, NegativeAndNanPassThroughAsGrey) {
  FalseColorLut lut(kLogBands, 6);
  expectRgb(paint(lut, -0.01), -0.01, -0.01, -0.01);
  Rgb nan = paint(lut, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(nan.r) && std::isnan(nan.g) && std::isnan(nan.b));
}

TEST(FalseColorLutPainting, FirstMatchingRowWinsWhenBandsOverlap) {
  const FalseColorLut::ColorRange overlapping[2] = {{0.0, 0.5, 1, 0, 0}, {0.2, 1.0, 0, 0, 1}};
  FalseColorLut lut(overlapping, 2);
  expectRgb(paint(lut, 0.3), 1, 0, 0);
  expectRgb(paint(lut, 0.7), 0, 0, 1);
}

TEST(FalseColorLutPainting, MonoChannelIsAppliedBeforeTheLookup) {
  Doubler doubler;
  FalseColorLut lut(kLogBands, 6);
  lut.setMonoChannel(doubler);
  expectRgb(paint(lut, 0.11), 1, 0.699999988079071, 0.699999988079071);  // 0.22
  expectRgb(paint(lut, 0.1), 0.2, 0.2, 0.2);
}

TEST(FalseColorLutPainting, WithoutRowsEverythingIsGrey) {
  FalseColorLut empty;
  expectRgb(paint(empty, 0.22), 0.22, 0.22, 0.22);
  FalseColorLut noTable(nullptr, 6);
  expectRgb(paint(noTable, 0.22), 0.22, 0.22, 0.22);
  FalseColorLut negativeCount(kLogBands, -1);
  expectRgb(paint(negativeCount, 0.22), 0.22, 0.22, 0.22);
}

TEST(FalseColorLutPainting, SetColorRangeBorrowsTheTable) {
  FalseColorLut::ColorRange bands[1] = {{0.0, 0.5, 1, 0, 0}};
  FalseColorLut lut;
  lut.setColorRange(bands, 1);
  expectRgb(paint(lut, 0.3), 1, 0, 0);
  bands[0].green = 1.0;  // later changes of the table are seen
  expectRgb(paint(lut, 0.3), 1, 1, 0);
  lut.setColorRange(kLogBands, 1);  // only the first row is used
  expectRgb(paint(lut, 0.22), 0.22, 0.22, 0.22);
}

TEST(FalseColorLutPainting, SamplesIntoAnRgbTable) {
  FalseColorLut lut(kLogBands, 6);
  double table[3 * 5];
  lut.getTable(5, table, kLutInterleaved);  // 0, 0.25, 0.5, 0.75, 1
  EXPECT_EQ(table[0], 0.699999988079071);
  EXPECT_EQ(table[3], 0.25);
  EXPECT_EQ(table[12], 1.0);
  EXPECT_EQ(table[13], 0.0);
}

TEST(FalseColorLutRows, ReadsEveryValueOfARow) {
  FalseColorLut lut(kLogBands, 6);
  double min, max, r, g, b;
  lut.getColorRange(3, min, max, r, g, b);
  EXPECT_EQ(min, 0.20839999616146088);
  EXPECT_EQ(max, 0.24729999899864197);
  EXPECT_EQ(r, 1.0);
  EXPECT_EQ(g, 0.699999988079071);
  EXPECT_EQ(b, 0.699999988079071);
}

TEST(FalseColorLutRows, IndexOutsideTheTableFails) {
  FalseColorLut lut(kLogBands, 6);
  for (int index : {6, 7, -1, -100}) {
    double min = -5, max = -5, r = -5, g = -5, b = -5;
    try {
      lut.getColorRange(index, min, max, r, g, b);
      ADD_FAILURE() << "index " << index << " was accepted";
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kIllegalValue);
      EXPECT_STREQ(signal.what(), "index exceeds color table size");
      EXPECT_EQ(std::string(signal.where()).rfind("src/kvrFalseColorLut:", 0), 0u);
    }
    EXPECT_EQ(min, -5);
    EXPECT_EQ(b, -5);
  }
  double v;
  EXPECT_THROW(FalseColorLut().getColorRange(0, v, v, v, v, v), KvrSignal);
  EXPECT_THROW(FalseColorLut(nullptr, 3).getColorRange(0, v, v, v, v, v), KvrSignal);
}

TEST(FalseColorLutRows, DefaultRowIsAllZero) {
  FalseColorLut::ColorRange row;
  EXPECT_EQ(row.min, 0.0);
  EXPECT_EQ(row.max, 0.0);
  EXPECT_EQ(row.red + row.green + row.blue, 0.0);
}
