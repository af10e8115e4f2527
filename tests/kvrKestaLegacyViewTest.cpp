#include <gtest/gtest.h>

#include "kvrColorSpaces.h"
#include "kvrKestaLegacyView.h"

using namespace Kalvora;

TEST(KestaLegacyView, NormalisedToneCurveDecodesItsDomain) {
  const double rangeLow = 0.0012210012646391988;  // 5 / 4095 in single precision
  KestaLegacyView view;
  const LutFunc* lin = view.getLinLut(false);
  ASSERT_NE(lin, nullptr);
  EXPECT_EQ(view.getLinLut(true), lin);
  EXPECT_NEAR(lin->transform(0.0), rangeLow, 1e-12);
  view.updateNormalization(0.1, 0.9);
  EXPECT_NEAR(lin->transform(0.1), rangeLow, 1e-12);
  EXPECT_NEAR(lin->transform(0.9), 1.0, 1e-12);
  EXPECT_EQ(lin->transform(0.95), 1.0);
}

TEST(KestaLegacyView, ConvertsThroughTheToneMappedRec709Matrix) {
  const KestaLegacyView view;
  const ColorSpaces registry;
  double m[9], toRec2020[9], expected[9];
  view.getConversionMatrix(*registry.forId(Rec1886), m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], gKestaWgTmRec709Mat[i]) << i;
  // To Rec.2020: Rec.709 to Rec.2020 after the camera matrix.
  registry.forId(Rec1886)->getConversionMatrix(*registry.forId(Rec2020Gamma24), toRec2020);
  mulRgbMat(toRec2020, gKestaWgTmRec709Mat, expected);
  view.getConversionMatrix(*registry.forId(Rec2020Gamma24), m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], expected[i]) << i;
  // To a space with another white the Rec.1886 stage adapts it: white stays white.
  view.getConversionMatrix(*registry.forId(P3DciGamma26), m);
  for (int row = 0; row < 3; ++row)
    EXPECT_NEAR(m[3 * row] + m[3 * row + 1] + m[3 * row + 2], 1.0, 2e-6);
  view.getLumaMatrix(m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], gLumaFactors[i % 3]);
}
