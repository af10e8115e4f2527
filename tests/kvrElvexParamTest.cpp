#include "kvrElvex.h"

#include <gtest/gtest.h>

using namespace Kalvora;

TEST(ElvexParam, DefaultConstructedHoldsZeros) {
  Elvex::Param p;
  for (double v : {p.nominalSpeed, p.blackSignal, p.midGray, p.encodingGain, p.encodingOffset,
                   p.encodingBlack, p.cutPoint})
    EXPECT_EQ(v, 0.0);
}

TEST(ElvexParam, SetParamCopiesEveryField) {
  Elvex::Param p;
  p.setParam(pendroElvexparam);
  EXPECT_EQ(p.nominalSpeed, pendroElvexparam.nominalSpeed);
  EXPECT_EQ(p.blackSignal, pendroElvexparam.blackSignal);
  EXPECT_EQ(p.midGray, pendroElvexparam.midGray);
  EXPECT_EQ(p.encodingGain, pendroElvexparam.encodingGain);
  EXPECT_EQ(p.encodingOffset, pendroElvexparam.encodingOffset);
  EXPECT_EQ(p.encodingBlack, pendroElvexparam.encodingBlack);
  EXPECT_EQ(p.cutPoint, pendroElvexparam.cutPoint);
}

TEST(ElvexParam, DefaultSetsAreSinglePrecisionConstants) {
  EXPECT_EQ(kestaElvexparam.nominalSpeed, 400.0);
  EXPECT_EQ(kestaElvexparam.midGray, 0.009999999776482582);
  EXPECT_NE(kestaElvexparam.midGray, 0.01);
  EXPECT_EQ(kestaElvexparam.midGray, double(0.01f));
  EXPECT_EQ(pendroElvexparam.midGray, 0.012999999336898327);
  EXPECT_EQ(kestaElvexparam.blackSignal, double(16.0f / 4095.0f));
  EXPECT_EQ(kestaElvexparam.encodingGain, double(262.5f / 1023.0f));
  EXPECT_EQ(kestaElvexparam.encodingOffset, double(400.0f / 1023.0f));
  EXPECT_EQ(kestaElvexparam.encodingBlack, double(95.0f / 1023.0f));
  EXPECT_EQ(kestaElvexparam.cutPoint, double(1.0f / 9.0f));
  // The two camera models differ only in mid grey.
  EXPECT_EQ(pendroElvexparam.blackSignal, kestaElvexparam.blackSignal);
  EXPECT_EQ(pendroElvexparam.cutPoint, kestaElvexparam.cutPoint);
}
