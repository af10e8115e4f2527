#include <gtest/gtest.h>

#include <cmath>

#include "kvrCalibrationRows.h"
#include "kvrCameraCalibration.h"
#include "kvrInterpolateBalance.h"

using namespace Kalvora;

namespace {

using KalvoraTest::SystemRow;
using KalvoraTest::UnitRow;

using KalvoraTest::kSystemRows;
using KalvoraTest::kUnitRows;
constexpr int kCount = 5;
constexpr int kUnitCount = 3;

struct Balance {
  double gainRed = -1.0, gainBlue = -1.0, slope = -1.0;
};

template <class Row>
Balance balanceAt(double cct, const Row* rows, int count) {
  Balance b;
  interpolateBalance(cct, b.gainRed, b.gainBlue, b.slope, rows, count);
  return b;
}

template <class Row>
void expectRow(const Balance& b, const Row& row) {
  EXPECT_EQ(b.gainRed, row.gainRed) << row.cct;
  EXPECT_EQ(b.gainBlue, row.gainBlue) << row.cct;
  EXPECT_EQ(b.slope, row.slope) << row.cct;
}

// Temperature and tint for gains; cct stays 0 and tint 99 when none is found.
template <class Row>
void cctOf(double gainRed, double gainBlue, double& cct, double& tint, const Row* rows, int count) {
  cct = 0.0;
  tint = 99.0;
  interpolateCct(gainRed, gainBlue, cct, tint, rows, count);
}

// Each row's temperature gives its gains and slope, and its gains give its
// temperature and no tint.
template <class Row, int N>
void expectRowsExact(const Row (&rows)[N]) {
  for (const Row& row : rows) {
    expectRow(balanceAt(row.cct, rows, N), row);
    double cct, tint;
    cctOf(row.gainRed, row.gainBlue, cct, tint, rows, N);
    EXPECT_NEAR(cct, row.cct, 1e-9);
    EXPECT_NEAR(tint, 0.0, 1e-9);
  }
}

}  // namespace

TEST(InterpolateBalance, OutsideTheTableTheEndRowsAreUsed) {
  expectRow(balanceAt(1000.0, kSystemRows, kCount), kSystemRows[0]);
  expectRow(balanceAt(2799.9, kSystemRows, kCount), kSystemRows[0]);
  expectRow(balanceAt(7500.1, kSystemRows, kCount), kSystemRows[4]);
  expectRow(balanceAt(1e9, kUnitRows, kUnitCount), kUnitRows[2]);
  // A single row serves every temperature.
  expectRow(balanceAt(5000.0, kSystemRows + 2, 1), kSystemRows[2]);
}

TEST(InterpolateBalance, LinearInReciprocalTemperature) {
  // The harmonic mean of two row temperatures lies halfway in 1/cct.
  const Balance b = balanceAt(2.0 / (1.0 / 3200.0 + 1.0 / 4300.0), kSystemRows, kCount);
  EXPECT_NEAR(b.gainRed, (1.375 + 1.625) / 2, 1e-14);
  EXPECT_NEAR(b.gainBlue, (2.5 + 2.0) / 2, 1e-14);
  EXPECT_NEAR(b.slope, (1.125 + 1.0625) / 2, 1e-14);
  // The arithmetic mean lies nearer the upper row in 1/cct.
  EXPECT_GT(balanceAt(3750.0, kSystemRows, kCount).gainRed, 1.5);
}

TEST(InterpolateBalance, EmptyTablesAndNaNChangeNothing) {
  const SystemRow* none = nullptr;
  EXPECT_EQ(balanceAt(4000.0, none, 0).gainRed, -1.0);
  EXPECT_EQ(balanceAt(4000.0, kSystemRows, -3).slope, -1.0);
  EXPECT_EQ(balanceAt(std::nan(""), kSystemRows, kCount).gainBlue, -1.0);
}

TEST(InterpolateCct, RoundTripIsCloseBetweenRowsAndExactAtARow) {
  for (double cct = 2800.0; cct <= 7500.0; cct += 100.0) {
    for (double tint : {-10.0, -2.5, 0.0, 3.0, 10.0}) {
      Balance b = balanceAt(cct, kSystemRows, kCount);
      if (tint != 0.0) tintGains(tint, b.slope, b.gainRed, b.gainBlue);
      double backCct, backTint;
      cctOf(b.gainRed, b.gainBlue, backCct, backTint, kSystemRows, kCount);
      EXPECT_NEAR(backCct, cct, 0.006 * cct) << cct << " " << tint;
      EXPECT_NEAR(backTint, tint, 0.45) << cct << " " << tint;
    }
  }
  // At a row, tint moves along the row's slope and comes back exactly.
  const SystemRow& row = kSystemRows[2];
  for (double tint : {-7.0, 4.0}) {
    double gainRed = row.gainRed, gainBlue = row.gainBlue, cct, backTint;
    tintGains(tint, row.slope, gainRed, gainBlue);
    cctOf(gainRed, gainBlue, cct, backTint, kSystemRows, kCount);
    EXPECT_NEAR(cct, row.cct, 1e-6);
    EXPECT_NEAR(backTint, tint, 1e-9);
  }
}

TEST(InterpolateCct, OutsideTheCalibratedRangeChangesNothing) {
  double cct, tint;
  cctOf(0.5, 8.0, cct, tint, kSystemRows, kCount);  // far colder than 2800 K
  EXPECT_EQ(cct, 0.0);
  EXPECT_EQ(tint, 99.0);
  cctOf(9.0, 0.3, cct, tint, kSystemRows, kCount);  // far warmer than 7500 K
  EXPECT_EQ(cct, 0.0);
  cctOf(kSystemRows[0].gainRed, kSystemRows[0].gainBlue, cct, tint, kSystemRows, 1);
  EXPECT_EQ(cct, 0.0);
  const SystemRow* none = nullptr;
  cctOf(1.5, 2.0, cct, tint, none, 0);
  EXPECT_EQ(cct, 0.0);
  cctOf(std::nan(""), 2.0, cct, tint, kSystemRows, kCount);
  EXPECT_EQ(cct, 0.0);

  // Two rows with the same gains enclose no white point.
  const UnitRow twins[] = {{3000, 1.5f, 2.0f, 1}, {5000, 1.5f, 2.0f, 1}, {7000, 2.0f, 1.5f, 1}};
  cctOf(1.75, 1.75, cct, tint, twins, 3);
  EXPECT_TRUE(std::isfinite(cct));
  EXPECT_TRUE(std::isfinite(tint));
}

TEST(InterpolateMatrix, RowsEndsAndReciprocalWeights) {
  double m[9];
  for (const SystemRow& row : kSystemRows) {
    interpolateMatrix(row.cct, m, kSystemRows, kCount);
    for (int j = 0; j < 9; ++j) EXPECT_EQ(m[j], row.matrix[j]) << row.cct;
  }
  interpolateMatrix(1500.0, m, kSystemRows, kCount);
  EXPECT_EQ(m[0], kSystemRows[0].matrix[0]);
  interpolateMatrix(20000.0, m, kSystemRows, kCount);
  EXPECT_EQ(m[7], kSystemRows[4].matrix[7]);

  interpolateMatrix(2.0 / (1.0 / 4300.0 + 1.0 / 5600.0), m, kSystemRows, kCount);
  EXPECT_NEAR(m[0], (1.5625 + 1.5) / 2, 1e-14);
  EXPECT_NEAR(m[7], (-0.5 - 0.4375) / 2, 1e-14);
  EXPECT_NEAR(m[4], 1.4375, 1e-14);

  double untouched[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
  const SystemRow* none = nullptr;
  interpolateMatrix(4000.0, untouched, none, 0);
  EXPECT_EQ(untouched[0], 7.0);
}
