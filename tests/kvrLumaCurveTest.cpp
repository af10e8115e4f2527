#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "kvrError.h"
#include "kvrLumaCurve.h"

using namespace Kalvora;

namespace {

const double kKnotX[7] = {0, 0.05, 0.0927, 0.39, 0.57, 0.8, 1.0};

struct Row {
  double peakWhite;
  double diffuseWhite;
  double y[7];
  double d[7];
};

const Row kRows[] = {
    {1000,
     100,
     {0, 0.0015, 0.0183, 0.335, 0.519, 0.686, 0.751},
     {0.002, 0.1111111, 0.8904359, 1.1174062, 0.9009268, 0.5192989, 0.062}},
    {1000,
     200,
     {0, 0.0015, 0.0183, 0.38, 0.58, 0.716, 0.751},
     {0.002, 0.1111111, 0.8904359, 1.2734062, 0.9009268, 0.3342989, 0.062}},
    {2000,
     100,
     {0, 0.0015, 0.0183, 0.335, 0.519, 0.718, 0.83},
     {0.002, 0.1111111, 0.8904359, 1.1174062, 0.9559268, 0.749, 0.334}},
    {2000,
     200,
     {0, 0.0015, 0.0183, 0.38, 0.58, 0.75, 0.83},
     {0.002, 0.1111111, 0.8904359, 1.2734062, 0.9559268, 0.65, 0.3}},
    {4000,
     100,
     {0, 0.0015, 0.0183, 0.335, 0.519, 0.733, 0.9},
     {0.002, 0.1111111, 0.8904359, 1.1174062, 0.9559268, 0.9060465, 0.685}},
    {4000,
     200,
     {0, 0.0015, 0.0183, 0.38, 0.58, 0.78, 0.9},
     {0.002, 0.1111111, 0.8904359, 1.2734062, 0.9559268, 0.76, 0.5}},
};

void expectShape(const LumaCurve& curve, const Row& row) {
  const double h = 1e-7;
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(curve.getLuma(kKnotX[k]), row.y[k]) << "knot " << k;
    // Left-hand slope; knot 0 has none inside the curve.
    if (k > 0) {
      EXPECT_NEAR((row.y[k] - curve.getLuma(kKnotX[k] - h)) / h, row.d[k], 1e-5) << "knot " << k;
    }
  }
}

void expectSignal(const std::function<void()>& call, const char* where, const char* message) {
  try {
    call();
    ADD_FAILURE() << "no signal, expected " << message;
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kIllegalValue);
    EXPECT_STREQ(signal.where(), where);
    EXPECT_STREQ(signal.what(), message);
  }
}

}  // namespace

TEST(LumaCurve, DefaultIsPeak1000Diffuse100) {
  LumaCurve curve;
  EXPECT_EQ(curve.getLuma(0.39), 0.335);
  EXPECT_EQ(curve.getLuma(1.0), 0.751);
  EXPECT_EQ(curve.getLuma(1.5), 0.751);
  EXPECT_EQ(curve.getLuma(-0.5), 0.0);
  expectShape(curve, kRows[0]);
}

class LumaCurveTable : public ::testing::TestWithParam<Row> {};

TEST_P(LumaCurveTable, KnotValuesAndSlopesFollowTheWhites) {
  const Row& row = GetParam();
  LumaCurve curve;
  curve.setPeakWhite(row.peakWhite);
  curve.setDiffuseWhite(row.diffuseWhite);
  expectShape(curve, row);
}

INSTANTIATE_TEST_SUITE_P(AllWhites, LumaCurveTable, ::testing::ValuesIn(kRows));

TEST(LumaCurve, UnknownDiffuseWhiteIsReportedPerPeakWhite) {
  const struct {
    double peakWhite;
    const char* where;
    const char* message;
  } cases[] = {{1000, "src/kvrLumaCurve:77 ERROR", "Illegal value"},
               {2000, "src/kvrLumaCurve:121 ERROR", "Illigal value"},
               {4000, "src/kvrLumaCurve:164 ERROR", "Illegal value"}};
  for (const auto& c : cases) {
    LumaCurve curve;
    curve.setPeakWhite(c.peakWhite);
    curve.setDiffuseWhite(200);
    const Row& before = kRows[c.peakWhite == 1000 ? 1 : c.peakWhite == 2000 ? 3 : 5];
    expectSignal([&] { curve.setDiffuseWhite(150); }, c.where, c.message);
    expectSignal([&] { curve.setDiffuseWhite(std::numeric_limits<double>::quiet_NaN()); }, c.where,
                 c.message);
    expectShape(curve, before);
  }
}

TEST(LumaCurve, RejectedDiffuseWhiteStaysStoredUntilReplaced) {
  LumaCurve curve;
  EXPECT_THROW(curve.setDiffuseWhite(150), KvrSignal);
  // The stored 150 now fails the next rebuild, with the message of peak white 2000.
  expectSignal([&] { curve.setPeakWhite(2000); }, "src/kvrLumaCurve:121 ERROR", "Illigal value");
  expectShape(curve, kRows[0]);
  curve.setDiffuseWhite(200);
  expectShape(curve, kRows[3]);
}

TEST(LumaCurve, UnknownPeakWhiteKeepsTheShape) {
  LumaCurve curve;
  curve.setDiffuseWhite(200);
  EXPECT_NO_THROW(curve.setPeakWhite(3000));
  expectShape(curve, kRows[1]);
  // Without a known peak white the diffuse white is not examined.
  EXPECT_NO_THROW(curve.setDiffuseWhite(150));
  EXPECT_NO_THROW(curve.setPeakWhite(std::numeric_limits<double>::quiet_NaN()));
  expectShape(curve, kRows[1]);
}

TEST(LumaCurve, StaysWithinTheUnitRange) {
  for (const Row& row : kRows) {
    LumaCurve curve;
    curve.setPeakWhite(row.peakWhite);
    curve.setDiffuseWhite(row.diffuseWhite);
    double previous = -1.0;
    for (int i = 0; i <= 1000; ++i) {
      double v = curve.getLuma(i / 1000.0);
      EXPECT_GE(v, 0.0);
      EXPECT_LE(v, 1.0);
      // The toe dips to the clamp just above black; above it the curve rises.
      if (i >= 50) {
        EXPECT_GE(v, previous) << "falls at " << i / 1000.0;
      }
      previous = v;
    }
  }
}
