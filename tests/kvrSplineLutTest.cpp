#include <gtest/gtest.h>

#include "kvrPfwl.h"
#include "kvrSplineLut.h"

using namespace Kalvora;

TEST(SplineLut, CoefficientRecordStartsEmpty) {
  const SplineLut::SplineLutCoef coef(17);
  EXPECT_EQ(coef.count, 17);
  EXPECT_EQ(coef.x, nullptr);
  EXPECT_EQ(coef.y, nullptr);
  EXPECT_EQ(coef.d, nullptr);
  EXPECT_EQ(coef.c2, nullptr);
  EXPECT_EQ(coef.c3, nullptr);
}

TEST(SplineLut, EvaluatesTheInverseVideoGamma) {
  const SplineLut::SplineLutCoef coef(0);
  const SplineLut withRecord(&coef);
  const SplineLut withoutRecord(nullptr);
  EXPECT_EQ(withRecord.getCoef(), &coef);
  for (double x : {0.0, 0.001, 0.004, 0.18, 0.5, 1.0}) {
    EXPECT_EQ(withRecord.transform(x), Pfwl::sGamma24.inverse(x)) << x;
    EXPECT_EQ(withoutRecord.transform(x), Pfwl::sGamma24.inverse(x)) << x;
  }
  EXPECT_DOUBLE_EQ(withRecord.transform(1.0), 1.0);
}
