// The log encoding and its parameter record.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kvrElvex.h"

using namespace Kalvora;

namespace {

const Elvex::Param* const kBothSets[] = {&kestaElvexparam, &pendroElvexparam};
const double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(Elvex, NominalSpeed) {
  for (const Elvex::Param* param : kBothSets) {
    const Elvex elvex(*param, 400.0);
    EXPECT_EQ(elvex.getExposureGain(), 1.0);
    EXPECT_EQ(elvex.getEncodingGain(), 0.25659823417663574);
    EXPECT_NEAR(elvex.getLinSlope(), 3.908650308, 5e-10);
    EXPECT_NEAR(elvex.getLinOffset(), -1.388536988, 5e-10);
    EXPECT_NEAR(elvex.getBlackOffset(), 0.06490058, 5e-9);
    EXPECT_NEAR(elvex.getEncodingOffset(), 0.3839994, 5e-8);
    EXPECT_LT(elvex.getMaxValue(), 1.0);
    // An exposure index of 0 means the nominal one.
    EXPECT_EQ(Elvex(*param, 0.0).paramAsText(";"), elvex.paramAsText(";"));
  }
  const Elvex elvex(kestaElvexparam, 400.0);
  EXPECT_NEAR(elvex.getMaxValue(), 0.8968322, 5e-8);
  EXPECT_EQ(elvex.transform(1.0), elvex.getMaxValue());  // no shoulder below 1.0
  EXPECT_NEAR(elvex.unconstrainedValue(0.0), -0.299, 5e-4);
  EXPECT_EQ(elvex.transform(0.0), 0.0);
  // Three rounds of the offset fit leave a small residue at black.
  EXPECT_NEAR(elvex.transform(kestaElvexparam.blackSignal), 0.092795, 5e-7);
}

TEST(Elvex, GainAndShoulderFollowTheExposureIndex) {
  Elvex kesta(kestaElvexparam, 1600.0);
  EXPECT_NEAR(kesta.getMaxValue(), 1.0054195, 5e-8);
  EXPECT_EQ(kesta.transform(1.0), 1.0);
  ASSERT_TRUE(kesta.setAsa(3200.0));
  // The gain drops by 0.11/3 of its base value per stop.
  EXPECT_NEAR(kesta.getEncodingGain(), 0.25659823417663574 * (1.0 - 0.11), 1e-15);
  EXPECT_NEAR(kesta.getMaxValue(), 1.0512714, 5e-8);
  EXPECT_NEAR(kesta.transform(0.5), 0.9536858, 5e-8);
  EXPECT_NEAR(kesta.unconstrainedValue(0.5), 0.9821376, 5e-8);
  EXPECT_EQ(kesta.transform(1.0), 1.0);

  Elvex pendro(pendroElvexparam, 1600.0);
  EXPECT_NEAR(pendro.getMaxValue(), 0.9783289, 5e-8);
  EXPECT_EQ(pendro.transform(1.0), pendro.getMaxValue());
  EXPECT_EQ(pendro.transform(0.95), pendro.unconstrainedValue(0.95));
  ASSERT_TRUE(pendro.setAsa(3200.0));
  EXPECT_GT(pendro.getMaxValue(), 1.0);
  EXPECT_EQ(pendro.transform(1.0), 1.0);
  EXPECT_LT(pendro.transform(0.5), pendro.unconstrainedValue(0.5));
  ASSERT_TRUE(pendro.setAsa(50.0));
  EXPECT_NEAR(pendro.getEncodingGain(), 0.25659823417663574 * (1.0 + 0.11), 1e-15);
}

TEST(Elvex, MidGreyHoldsItsCodeAndDecodingRoundTripsBelowTheShoulder) {
  for (const Elvex::Param* param : kBothSets)
    for (double asa : {400.0, 1600.0, 3200.0}) {
      SCOPED_TRACE(testing::Message() << param->midGray << " at " << asa);
      const Elvex elvex(*param, asa);
      const double grey = param->blackSignal + elvex.getGraySignal();
      EXPECT_NEAR(elvex.transform(grey), 0.39100685715675354, 1e-14);
      EXPECT_NEAR(elvex.valueZeroBase(elvex.getGraySignal()), 0.39100685715675354, 1e-14);
      EXPECT_EQ(elvex.skinValue(), elvex.transform(grey + elvex.getGraySignal()));
      for (double x = param->blackSignal; elvex.transform(x) <= Elvex::kShoulderPoint;
           x += 1 / 64.0)
        EXPECT_NEAR(elvex.inverse(elvex.transform(x)), x, 1e-12) << x;
      // Decoding then encoding is exact on both sides of the cut point.
      for (double y = 0.05; y < Elvex::kShoulderPoint; y += 0.05)
        EXPECT_NEAR(elvex.transform(elvex.inverse(y)), y, 1e-12) << y;
    }
}

TEST(Elvex, DecodingOfTheShoulderAndBelowBlack) {
  const Elvex bright(kestaElvexparam, 3200.0);
  EXPECT_NEAR(std::fabs(bright.inverse(bright.transform(0.5)) - 0.5), 1.3e-4, 0.5e-4);
  EXPECT_NEAR(bright.inverse(1.0), 1.0, 1e-12);  // end values of the shoulders match
  EXPECT_NEAR(bright.inverse(Elvex::kShoulderPoint), bright.elvex2Linear(Elvex::kShoulderPoint),
              1e-15);

  const Elvex elvex(kestaElvexparam, 400.0);
  EXPECT_EQ(elvex.inverse(-0.1), 0.0);
  const double belowBlack = elvex.elvex2Linear(-0.1);
  EXPECT_LT(belowBlack, kestaElvexparam.blackSignal);
  EXPECT_NEAR(elvex.unconstrainedValue(belowBlack), -0.1, 1e-14);
}

TEST(Elvex, SetAsaRejectsUnusableAndRepeatedIndices) {
  Elvex elvex(kestaElvexparam, 400.0);
  const std::string nominal = elvex.paramAsText(",");
  for (double asa : {0.5, -400.0, std::nan(""), kInf, 400.0}) {
    EXPECT_FALSE(elvex.setAsa(asa)) << asa;
    // A constructor given an unusable index falls back to the nominal one.
    if (asa != 400.0) {
      EXPECT_EQ(Elvex(kestaElvexparam, asa).paramAsText(","), nominal) << asa;
    }
  }
  EXPECT_EQ(elvex.paramAsText(","), nominal);
  EXPECT_TRUE(elvex.setAsa(800.0));
  EXPECT_FALSE(elvex.setAsa(800.0));
  EXPECT_TRUE(elvex.setAsa(1.0));
  EXPECT_EQ(elvex.getExposureGain(), 1.0 / 400.0);

  // A new mid grey moves only what depends on it.
  Elvex kesta(kestaElvexparam, 1600.0);
  kesta.updateMidGray(pendroElvexparam.midGray);
  EXPECT_EQ(kesta.paramAsText(";"), Elvex(pendroElvexparam, 1600.0).paramAsText(";"));
  EXPECT_EQ(kesta.getElvexParam().midGray, pendroElvexparam.midGray);
}

TEST(Elvex, ParamAsTextByteForByte) {
  const std::string expected =
      "Param.nominalSpeed:400;"
      "Param.blackSignal:0.0039072041399776935577;"
      "Param.encodingGain:0.25659823417663574219;"
      "Param.encodingOffset:0.39100685715675354004;"
      "Param.encodingBlack:0.092864125967025756836;"
      "Param.cutPoint:0.11111111193895339966;"
      "ExposureGain:1;"
      "GraySignal:0.0099999997764825820923;"
      "EncodingGain:0.25659823417663574219;"
      "EncodingOffset:0.38399939928595061556;"
      "BlackOffset:0.064900583635754446887;"
      "LinSlope:3.9086503080075520877;"
      "LinOffset:-1.388536988106830794;"
      "MaxValue:0.89683218632605365972" +
      std::string(1, '\0');
  EXPECT_EQ(Elvex(kestaElvexparam, 400.0).paramAsText(";"), expected);

  // A longer separator is used verbatim, thirteen times.
  const std::string text = Elvex(pendroElvexparam, 0.0).paramAsText("\n  ");
  size_t separators = 0;
  for (size_t at = text.find("\n  "); at != std::string::npos; at = text.find("\n  ", at + 1))
    ++separators;
  EXPECT_EQ(separators, 13u);
  EXPECT_EQ(text.find("Param.encodingGain:0.25659823417663574219\n  "),
            text.find("Param.encodingGain:"));
}
