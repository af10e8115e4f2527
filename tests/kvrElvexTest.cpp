// The log encoding, its parameter record and the colour space that passes
// the log signal through.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kvrElvex.h"
#include "kvrElvexView.h"

using namespace Kalvora;

namespace {

const Elvex::Param* const kBothSets[] = {&kestaElvexparam, &pendroElvexparam};
const double kBaseGain = 0.25659823417663574;  // the encoding gain at the nominal speed
const double kMidGreyCode = 0.39100685715675354;

}  // namespace

// Reference values within the tolerance the camera documentation states them.
TEST(Elvex, NominalSpeedAndTheShoulderOfHigherIndices) {
  for (const Elvex::Param* param : kBothSets) {
    const Elvex elvex(*param, 400.0);
    EXPECT_EQ(elvex.getExposureGain(), 1.0);
    EXPECT_EQ(elvex.getEncodingGain(), kBaseGain);
    EXPECT_NEAR(elvex.getLinSlope(), 3.908650308, 5e-10);
    EXPECT_NEAR(elvex.getEncodingOffset(), 0.3839994, 5e-8);
    // An exposure index of 0 means the nominal one.
    EXPECT_EQ(Elvex(*param, 0.0).paramAsText(";"), elvex.paramAsText(";"));
  }
  const Elvex nominal(kestaElvexparam, 400.0);
  EXPECT_NEAR(nominal.getMaxValue(), 0.8968322, 5e-8);
  EXPECT_EQ(nominal.transform(1.0), nominal.getMaxValue());  // no shoulder below 1.0
  EXPECT_EQ(nominal.transform(0.0), 0.0);
  // Three rounds of the offset fit leave a small residue at black.
  EXPECT_NEAR(nominal.transform(kestaElvexparam.blackSignal), 0.092795, 5e-7);

  // The gain drops by 0.11/3 of its base value per stop; above 1.0 the
  // shoulder bends the curve so that 1.0 still encodes to 1.0.
  Elvex kesta(kestaElvexparam, 1600.0);
  EXPECT_NEAR(kesta.getMaxValue(), 1.0054195, 5e-8);
  ASSERT_TRUE(kesta.setAsa(3200.0));
  EXPECT_NEAR(kesta.getEncodingGain(), kBaseGain * (1.0 - 0.11), 1e-15);
  EXPECT_NEAR(kesta.transform(0.5), 0.9536858, 5e-8);
  EXPECT_NEAR(kesta.unconstrainedValue(0.5), 0.9821376, 5e-8);
  EXPECT_EQ(kesta.transform(1.0), 1.0);
  Elvex pendro(pendroElvexparam, 50.0);
  EXPECT_NEAR(pendro.getEncodingGain(), kBaseGain * (1.0 + 0.11), 1e-15);
}

TEST(Elvex, MidGreyHoldsItsCodeAndDecodingRoundTrips) {
  for (const Elvex::Param* param : kBothSets)
    for (double asa : {400.0, 1600.0, 3200.0}) {
      SCOPED_TRACE(testing::Message() << param->midGray << " at " << asa);
      const Elvex elvex(*param, asa);
      const double grey = param->blackSignal + elvex.getGraySignal();
      EXPECT_NEAR(elvex.transform(grey), kMidGreyCode, 1e-14);
      EXPECT_EQ(elvex.skinValue(), elvex.transform(grey + elvex.getGraySignal()));
      for (double x = param->blackSignal; elvex.transform(x) <= Elvex::kShoulderPoint;
           x += 1 / 64.0)
        EXPECT_NEAR(elvex.inverse(elvex.transform(x)), x, 1e-12) << x;
      for (double y = 0.05; y < Elvex::kShoulderPoint; y += 0.05)
        EXPECT_NEAR(elvex.transform(elvex.inverse(y)), y, 1e-12) << y;
    }
  // In the shoulder decoding is close, and its end values match.
  const Elvex bright(kestaElvexparam, 3200.0);
  EXPECT_NEAR(std::fabs(bright.inverse(bright.transform(0.5)) - 0.5), 1.3e-4, 0.5e-4);
  EXPECT_NEAR(bright.inverse(Elvex::kShoulderPoint), bright.elvex2Linear(Elvex::kShoulderPoint),
              1e-15);
  // Below black: the inverse clamps, the plain decoding extends the line.
  const Elvex elvex(kestaElvexparam, 400.0);
  EXPECT_EQ(elvex.inverse(-0.1), 0.0);
  const double belowBlack = elvex.elvex2Linear(-0.1);
  EXPECT_LT(belowBlack, kestaElvexparam.blackSignal);
  EXPECT_NEAR(elvex.unconstrainedValue(belowBlack), -0.1, 1e-14);
}

TEST(Elvex, SetAsaRejectsUnusableAndRepeatedIndicesAndMidGreyMovesItsDependents) {
  Elvex elvex(kestaElvexparam, 400.0);
  const std::string nominal = elvex.paramAsText(",");
  for (double asa : {0.5, -400.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(elvex.setAsa(asa)) << asa;
    // A constructor given an unusable index falls back to the nominal one.
    EXPECT_EQ(Elvex(kestaElvexparam, asa).paramAsText(","), nominal) << asa;
  }
  EXPECT_FALSE(elvex.setAsa(400.0));
  EXPECT_TRUE(elvex.setAsa(1.0));
  EXPECT_FALSE(elvex.setAsa(1.0));
  EXPECT_EQ(elvex.getExposureGain(), 1.0 / 400.0);

  Elvex kesta(kestaElvexparam, 1600.0);
  kesta.updateMidGray(pendroElvexparam.midGray);
  EXPECT_EQ(kesta.paramAsText(";"), Elvex(pendroElvexparam, 1600.0).paramAsText(";"));
}

TEST(ElvexView, PassesTheLogSignalThroughAndIsRecognisedByName) {
  const ElvexView view;
  EXPECT_EQ(view.getWhiteChromaticity().y, 0.3333333432674408);
  EXPECT_EQ(view.getLinLut(true), &LutFunc::sUnity);
  EXPECT_EQ(view.getGammaLut(2, false), &LutFunc::sUnity);
  double m[9];
  view.getLumaMatrix(m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], gLumaFactors[i % 3]);
  EXPECT_TRUE(ElvexView::isColorSpace(&view));
  EXPECT_FALSE(ElvexView::isColorSpace(nullptr));
  EXPECT_TRUE(view.isColorSpace(reinterpret_cast<const unsigned char*>("elvex_view and more"), 0));
  EXPECT_TRUE(view.isColorSpace("view", 6));
}
