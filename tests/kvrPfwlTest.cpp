#include <gtest/gtest.h>

#include <cmath>

#include "kvrPfwl.h"

using namespace Kalvora;

namespace {

struct SharedGamma {
  const Pfwl& instance;
  double gamma;
  double offset;
  double breakPoint;
  double linearDivisor;
};

const SharedGamma kShared[] = {
    {Pfwl::sGamma22, 2.38, 0.056, 0.04057971014492754, 12.039283172299662},
    {Pfwl::sGamma24, 2.725, 0.097, 0.05623188405797101, 12.007961436227765},
    {Pfwl::sGamma26, 3.0, 0.112, 0.056, 16.23957067271353},
    {Pfwl::sGamma30, 3.6, 0.225, 0.08653846153846154, 11.963467501991456},
};

}  // namespace

TEST(Pfwl, SharedInstancesCarryThePublishedConstants) {
  for (const SharedGamma& s : kShared) {
    EXPECT_EQ(s.instance.getGamma(), s.gamma);
    EXPECT_EQ(s.instance.getOffset(), s.offset);
    EXPECT_EQ(s.instance.getBreakPoint(), s.breakPoint) << s.gamma;
    EXPECT_EQ(s.instance.getLinearDivisor(), s.linearDivisor) << s.gamma;
  }
}

TEST(Pfwl, ConstructorDerivesTheSameConstantsAsTheSharedInstances) {
  for (const SharedGamma& s : kShared) {
    const Pfwl built(s.gamma, s.offset);
    EXPECT_EQ(built.getBreakPoint(), s.breakPoint) << s.gamma;
    EXPECT_EQ(built.getLinearDivisor(), s.linearDivisor) << s.gamma;
  }
}

TEST(Pfwl, AccessorsReturnTheSharedInstances) {
  EXPECT_EQ(&Pfwl::getSrgbGamma(), &Pfwl::sGamma22);
  EXPECT_EQ(&Pfwl::getVideoGamma(), &Pfwl::sGamma24);
  EXPECT_EQ(&Pfwl::getDCIGamma(), &Pfwl::sGamma26);
}

TEST(Pfwl, ToeAndPowerMeetWithEqualValueAndSlope) {
  for (const SharedGamma& s : kShared) {
    const Pfwl& f = s.instance;
    const double bp = s.breakPoint;
    const double a = s.offset;
    const double linear = bp / s.linearDivisor;
    const double power = std::pow((bp + a) / (1.0 + a), s.gamma);
    EXPECT_NEAR(linear, power, 1e-15) << s.gamma;
    EXPECT_EQ(f.transform(bp), linear);

    const double h = 1e-7;
    const double slopeBelow = (f.transform(bp) - f.transform(bp - h)) / h;
    const double slopeAbove = (f.transform(bp + h) - f.transform(bp)) / h;
    EXPECT_NEAR(slopeBelow, slopeAbove, 1e-5) << s.gamma;
  }
}

TEST(Pfwl, UnitMapsToUnitBothWays) {
  for (const SharedGamma& s : kShared) {
    EXPECT_EQ(s.instance.transform(1.0), 1.0);
    EXPECT_DOUBLE_EQ(s.instance.inverse(1.0), 1.0);
  }
}

TEST(Pfwl, VideoGammaToeIsLinear) {
  EXPECT_EQ(Pfwl::sGamma24.transform(0.05), 0.05 / 12.007961436227765);
  EXPECT_EQ(Pfwl::sGamma24.inverse(0.05 / 12.007961436227765), 0.05);
  EXPECT_EQ(Pfwl::sGamma24.transform(0.0), 0.0);
  EXPECT_EQ(Pfwl::sGamma24.transform(-0.1), -0.1 / 12.007961436227765);
}

TEST(Pfwl, InverseUndoesTransform) {
  for (const SharedGamma& s : kShared)
    for (int i = 0; i <= 200; ++i) {
      const double x = i / 200.0;
      EXPECT_NEAR(s.instance.inverse(s.instance.transform(x)), x, 1e-13) << s.gamma << " " << x;
    }
}
