// White balance from calibration rows, and temperature and tint from gains.
#include <gtest/gtest.h>

#include <cmath>

#include "kvrCalibrationRows.h"
#include "kvrCameraCalibration.h"
#include "kvrInterpolateBalance.h"

using namespace Kalvora;
using KalvoraTest::kSystemRows;
using KalvoraTest::kUnitRows;
using KalvoraTest::SystemRow;

namespace {

constexpr int kCount = 5;

struct Balance {
  double gainRed = -1.0, gainBlue = -1.0, slope = -1.0;
};

template <class Row>
Balance balanceAt(double cct, const Row* rows, int count) {
  Balance b;
  interpolateBalance(cct, b.gainRed, b.gainBlue, b.slope, rows, count);
  return b;
}

// Temperature for gains; 0 when none is found.
double cctOf(double gainRed, double gainBlue, double& tint, const SystemRow* rows, int count) {
  double cct = 0.0;
  tint = 99.0;
  interpolateCct(gainRed, gainBlue, cct, tint, rows, count);
  return cct;
}

}  // namespace

TEST(InterpolateBalanceTest, RowsEndsAndReciprocalTemperature) {
  const SystemRow* none = nullptr;
  // The end rows hold outside the table and one row serves everywhere; NaN
  // and empty tables change nothing.
  EXPECT_EQ(balanceAt(1000.0, kSystemRows, kCount).gainRed, 1.25);
  EXPECT_EQ(balanceAt(7500.1, kSystemRows, kCount).gainBlue, 1.375);
  EXPECT_EQ(balanceAt(5000.0, kSystemRows + 2, 1).slope, 1.0625);
  EXPECT_EQ(balanceAt(4000.0, none, 0).gainRed, -1.0);
  EXPECT_EQ(balanceAt(std::nan(""), kSystemRows, kCount).gainRed, -1.0);
  EXPECT_EQ(balanceAt(1e9, kUnitRows, 3).slope, kUnitRows[2].slope);

  // The harmonic mean of two row temperatures lies halfway in 1/cct.
  const double between = 2.0 / (1.0 / 3200.0 + 1.0 / 4300.0);
  const Balance b = balanceAt(between, kSystemRows, kCount);
  EXPECT_NEAR(b.gainRed, (1.375 + 1.625) / 2, 1e-14);
  double m[9];
  interpolateMatrix(between, m, kSystemRows, kCount);
  EXPECT_NEAR(m[7], (-0.5625 - 0.5) / 2, 1e-14);
  double untouched[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
  interpolateMatrix(4000.0, untouched, none, 0);
  EXPECT_EQ(untouched[0], 7.0);
}

TEST(InterpolateBalanceTest, TemperatureAndTintRoundTrip) {
  for (double cct = 2800.0; cct <= 7500.0; cct += 100.0)
    for (double tint : {-10.0, 0.0, 3.0, 10.0}) {
      Balance b = balanceAt(cct, kSystemRows, kCount);
      if (tint != 0.0) tintGains(tint, b.slope, b.gainRed, b.gainBlue);
      double backTint;
      EXPECT_NEAR(cctOf(b.gainRed, b.gainBlue, backTint, kSystemRows, kCount), cct, 0.006 * cct)
          << cct << " " << tint;
      EXPECT_NEAR(backTint, tint, 0.45) << cct << " " << tint;
    }
  const SystemRow& row = kSystemRows[2];  // at a row the round trip is exact
  double gainRed = row.gainRed, gainBlue = row.gainBlue, tint;
  tintGains(-7.0, row.slope, gainRed, gainBlue);
  EXPECT_NEAR(cctOf(gainRed, gainBlue, tint, kSystemRows, kCount), row.cct, 1e-6);
  EXPECT_NEAR(tint, -7.0, 1e-9);

  // Outside the calibrated range, with one row, no rows or NaN: no answer.
  const SystemRow* none = nullptr;
  EXPECT_EQ(cctOf(0.5, 8.0, tint, kSystemRows, kCount), 0.0);  // far colder than 2800 K
  EXPECT_EQ(tint, 99.0);
  EXPECT_EQ(cctOf(9.0, 0.3, tint, kSystemRows, kCount), 0.0);  // far warmer than 7500 K
  EXPECT_EQ(cctOf(1.5, 2.0, tint, none, 0), 0.0);
  EXPECT_EQ(cctOf(std::nan(""), 2.0, tint, kSystemRows, kCount), 0.0);
}
