#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kvrElvex.h"

using namespace Kalvora;

namespace {

const Elvex::Param* const kBothSets[] = {&kestaElvexparam, &pendroElvexparam};
const double kSpeeds[] = {400.0, 1600.0, 3200.0};

// Values that do not depend on midGray, so both default sets share them.
void expectNominalCurve(const Elvex& elvex) {
  EXPECT_EQ(elvex.getExposureGain(), 1.0);
  EXPECT_EQ(elvex.getEncodingGain(), 0.25659823417663574);
  EXPECT_NEAR(elvex.getLinSlope(), 3.908650308, 5e-10);
  EXPECT_NEAR(elvex.getLinOffset(), -1.388536988, 5e-10);
  EXPECT_NEAR(elvex.getBlackOffset(), 0.06490058, 5e-9);
  EXPECT_NEAR(elvex.getEncodingOffset(), 0.3839994, 5e-8);
}

}  // namespace

TEST(ElvexNumbers, KestaAtNominalSpeed) {
  Elvex elvex(kestaElvexparam, 400.0);
  expectNominalCurve(elvex);
  EXPECT_NEAR(elvex.getMaxValue(), 0.8968322, 5e-8);
  EXPECT_EQ(elvex.transform(1.0), elvex.getMaxValue());  // no shoulder below 1.0
  EXPECT_NEAR(elvex.unconstrainedValue(0.0), -0.299, 5e-4);
  EXPECT_EQ(elvex.transform(0.0), 0.0);
  // Three rounds of the offset fit leave a small residue at black.
  EXPECT_NEAR(elvex.transform(kestaElvexparam.blackSignal), 0.092795, 5e-7);
}

TEST(ElvexNumbers, PendroAtNominalSpeedSharesTheGreyIndependentValues) {
  Elvex elvex(pendroElvexparam, 400.0);
  expectNominalCurve(elvex);
  EXPECT_LT(elvex.getMaxValue(), 1.0);
}

TEST(ElvexNumbers, ZeroAsaMeansNominalSpeed) {
  Elvex zero(kestaElvexparam, 0.0);
  Elvex nominal(kestaElvexparam, 400.0);
  EXPECT_EQ(zero.paramAsText(";"), nominal.paramAsText(";"));
}

TEST(ElvexNumbers, KestaShoulderAt1600And3200) {
  Elvex elvex(kestaElvexparam, 1600.0);
  EXPECT_NEAR(elvex.getMaxValue(), 1.0054195, 5e-8);
  EXPECT_EQ(elvex.transform(1.0), 1.0);

  ASSERT_TRUE(elvex.setAsa(3200.0));
  EXPECT_NEAR(elvex.getMaxValue(), 1.0512714, 5e-8);
  EXPECT_NEAR(elvex.transform(0.5), 0.9536858, 5e-8);
  EXPECT_NEAR(elvex.unconstrainedValue(0.5), 0.9821376, 5e-8);
  EXPECT_EQ(elvex.transform(1.0), 1.0);
}

TEST(ElvexNumbers, PendroShoulderOnlyAt3200) {
  Elvex elvex(pendroElvexparam, 1600.0);
  EXPECT_NEAR(elvex.getMaxValue(), 0.9783289, 5e-8);
  EXPECT_EQ(elvex.transform(1.0), elvex.getMaxValue());
  EXPECT_EQ(elvex.transform(0.95), elvex.unconstrainedValue(0.95));

  ASSERT_TRUE(elvex.setAsa(3200.0));
  EXPECT_GT(elvex.getMaxValue(), 1.0);
  EXPECT_EQ(elvex.transform(1.0), 1.0);
  EXPECT_LT(elvex.transform(0.5), elvex.unconstrainedValue(0.5));
}

TEST(ElvexNumbers, ShoulderIsSmoothAndMonotonic) {
  Elvex elvex(kestaElvexparam, 3200.0);
  const double step = 1e-7;
  double below = elvex.transform(elvex.inverse(Elvex::kShoulderPoint) - step);
  double at = elvex.transform(elvex.inverse(Elvex::kShoulderPoint));
  EXPECT_NEAR(at, Elvex::kShoulderPoint, 1e-12);
  EXPECT_LT(below, at);
  double previous = 0.0;
  for (double x = 0.0; x <= 1.0; x += 1.0 / 256.0) {
    double e = elvex.transform(x);
    EXPECT_GE(e, previous) << x;
    EXPECT_LE(e, 1.0) << x;
    previous = e;
  }
}

TEST(ElvexNumbers, GainFallsByAnEleventhOverThreePerStop) {
  Elvex elvex(kestaElvexparam, 3200.0);
  EXPECT_NEAR(elvex.getEncodingGain(), 0.25659823417663574 * (1.0 - 0.11), 1e-15);
  ASSERT_TRUE(elvex.setAsa(50.0));
  EXPECT_NEAR(elvex.getEncodingGain(), 0.25659823417663574 * (1.0 + 0.11), 1e-15);
}

TEST(ElvexNumbers, MidGreyEncodesToEncodingOffsetAtEveryExposureIndex) {
  for (const Elvex::Param* param : kBothSets) {
    for (double asa : kSpeeds) {
      Elvex elvex(*param, asa);
      double grey = param->blackSignal + elvex.getGraySignal();
      EXPECT_NEAR(elvex.transform(grey), 0.39100685715675354, 1e-14) << asa;
      EXPECT_NEAR(elvex.valueZeroBase(elvex.getGraySignal()), 0.39100685715675354, 1e-14);
      EXPECT_EQ(elvex.skinValue(), elvex.transform(grey + elvex.getGraySignal()));
    }
  }
}

TEST(ElvexSetAsa, RejectsUnusableAndRepeatedIndices) {
  Elvex elvex(kestaElvexparam, 400.0);
  const std::string before = elvex.paramAsText(",");
  EXPECT_FALSE(elvex.setAsa(0.5));
  EXPECT_FALSE(elvex.setAsa(-400.0));
  EXPECT_FALSE(elvex.setAsa(std::nan("")));
  EXPECT_FALSE(elvex.setAsa(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(elvex.setAsa(400.0));
  EXPECT_EQ(elvex.paramAsText(","), before);

  EXPECT_TRUE(elvex.setAsa(800.0));
  EXPECT_FALSE(elvex.setAsa(800.0));
  EXPECT_TRUE(elvex.setAsa(1.0));
  EXPECT_EQ(elvex.getExposureGain(), 1.0 / 400.0);
}

TEST(ElvexSetAsa, ConstructorFallsBackToNominalSpeed) {
  const std::string nominal = Elvex(kestaElvexparam, 400.0).paramAsText(";");
  for (double asa : {0.5, -3.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(Elvex(kestaElvexparam, asa).paramAsText(";"), nominal) << asa;
  }
}

TEST(ElvexSetAsa, UpdateMidGrayMovesOnlyGreyAndMaxValue) {
  Elvex kesta(kestaElvexparam, 1600.0);
  Elvex pendro(pendroElvexparam, 1600.0);
  kesta.updateMidGray(pendroElvexparam.midGray);
  EXPECT_EQ(kesta.paramAsText(";"), pendro.paramAsText(";"));
  EXPECT_EQ(kesta.getElvexParam().midGray, pendroElvexparam.midGray);
}

TEST(ElvexDecode, RoundTripBelowTheShoulder) {
  for (const Elvex::Param* param : kBothSets) {
    for (double asa : kSpeeds) {
      Elvex elvex(*param, asa);
      for (double x = param->blackSignal; x <= 1.0; x += 1.0 / 64.0) {
        double e = elvex.transform(x);
        if (e > Elvex::kShoulderPoint) break;
        EXPECT_NEAR(elvex.inverse(e), x, 1e-12) << asa << " " << x;
      }
      // Decoding then encoding is exact on both sides of the cut point.
      for (double y = 0.05; y < Elvex::kShoulderPoint; y += 0.05) {
        EXPECT_NEAR(elvex.transform(elvex.inverse(y)), y, 1e-12) << asa << " " << y;
      }
    }
  }
}

TEST(ElvexDecode, InverseShoulderIsCloseButNotExact) {
  Elvex elvex(kestaElvexparam, 3200.0);
  double error = elvex.inverse(elvex.transform(0.5)) - 0.5;
  EXPECT_NEAR(std::fabs(error), 1.3e-4, 0.5e-4);
  EXPECT_NEAR(elvex.inverse(1.0), 1.0, 1e-12);  // end values of the shoulders match
  EXPECT_NEAR(elvex.inverse(Elvex::kShoulderPoint), elvex.elvex2Linear(Elvex::kShoulderPoint),
              1e-15);
}

TEST(ElvexDecode, NegativeInputs) {
  Elvex elvex(kestaElvexparam, 400.0);
  EXPECT_EQ(elvex.inverse(-0.1), 0.0);
  double belowBlack = elvex.elvex2Linear(-0.1);
  EXPECT_LT(belowBlack, kestaElvexparam.blackSignal);
  EXPECT_NEAR(elvex.unconstrainedValue(belowBlack), -0.1, 1e-14);
}

TEST(ElvexText, ParamAsTextByteForByte) {
  Elvex elvex(kestaElvexparam, 400.0);
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
  EXPECT_EQ(elvex.paramAsText(";"), expected);
}

TEST(ElvexText, SeparatorIsUsedVerbatim) {
  Elvex elvex(pendroElvexparam, 0.0);
  const std::string text = elvex.paramAsText("\n  ");
  size_t separators = 0;
  for (size_t at = text.find("\n  "); at != std::string::npos; at = text.find("\n  ", at + 1))
    ++separators;
  EXPECT_EQ(separators, 13u);
  EXPECT_EQ(text.find("Param.encodingGain:0.25659823417663574219\n  "),
            text.find("Param.encodingGain:"));
}
