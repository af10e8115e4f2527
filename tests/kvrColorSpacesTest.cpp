#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "kvrColorConversionFunc.h"
#include "kvrColorSpaces.h"
#include "kvrPfwl.h"

using namespace Kalvora;

namespace {

const ColorSpace kAll[] = {Rec1886,      Rec2020Gamma24, P3DciGamma26, P3D65Gamma26,
                           P3D60Gamma26, Rec2100Pq,      Rec2100Hlg,   AcesProxy};

void expectRowSums(const double (&m)[9], double r0, double r1, double r2, double tolerance) {
  EXPECT_NEAR(m[0] + m[1] + m[2], r0, tolerance);
  EXPECT_NEAR(m[3] + m[4] + m[5], r1, tolerance);
  EXPECT_NEAR(m[6] + m[7] + m[8], r2, tolerance);
}

}  // namespace

TEST(Registry, IdentifiersByteForByte) {
  const ColorSpaces registry;
  const char* const expected[] = {
      "com.apple.proapps.colorspace.rec1886",
      "com.apple.proapps.colorspace.rec2020.d65.gamma24",
      "com.apple.proapps.colorspace.p3.dci.gamma26",
      "com.apple.proapps.colorspace.p3.d65.gamma26",
      "com.apple.proapps.colorspace.p3.d60.gamma26",
      "com.apple.proapps.colorspace.rec2100.d65.pq",
      "com.apple.proapps.colorspace.rec2100.d65.hlg",
      "com.apple.proapps.colorspace.aces.acesproxy",
  };
  const unsigned long lengths[] = {36, 48, 43, 43, 43, 43, 44, 43};
  for (ColorSpace id : kAll) {
    const DisplayColorSpace* cs = registry.forId(id);
    ASSERT_NE(cs, nullptr);
    EXPECT_STREQ(cs->getName(), expected[id]);
    EXPECT_EQ(cs->getNameLen(), lengths[id]);
    EXPECT_STREQ(ColorSpaces::identifier(id), expected[id]);
  }
  EXPECT_STREQ(registry.forId(P3DciGamma26)->getAltName(),
               "com.apple.proapps.colorspace.dci.p3.gamma26");
  EXPECT_STREQ(registry.forId(P3D65Gamma26)->getAltName(),
               "com.apple.proapps.colorspace.dci.d65.gamma26");
  EXPECT_STREQ(registry.forId(P3D60Gamma26)->getAltName(),
               "com.apple.proapps.colorspace.dci.d60.gamma26");
  for (ColorSpace id : {Rec1886, Rec2020Gamma24, Rec2100Pq, Rec2100Hlg, AcesProxy})
    EXPECT_EQ(registry.forId(id)->getAltName(), nullptr);
}

TEST(Registry, IdsOutsideTheTableGiveNull) {
  const ColorSpaces registry;
  EXPECT_EQ(registry.forId(static_cast<ColorSpace>(8)), nullptr);
  EXPECT_EQ(registry.forId(static_cast<ColorSpace>(1000)), nullptr);
  EXPECT_EQ(registry.forId(static_cast<ColorSpace>(-1)), nullptr);
  EXPECT_EQ(ColorSpaces::identifier(static_cast<ColorSpace>(-1)), nullptr);
  EXPECT_EQ(ColorSpaces::identifier(static_cast<ColorSpace>(8)), nullptr);
}

TEST(Registry, Colorimetry) {
  const ColorSpaces registry;
  const double whites[][2] = {{0.3127, 0.329}, {0.3127, 0.329},    {0.314, 0.351},
                              {0.3127, 0.329}, {0.32168, 0.33767}, {0.3127, 0.329},
                              {0.3127, 0.329}, {0.32168, 0.33767}};
  const EotfType eotfs[] = {EotfType::Gamma, EotfType::Gamma, EotfType::Gamma, EotfType::Gamma,
                            EotfType::Gamma, EotfType::Pq,    EotfType::Hlg,   EotfType::Linear};
  const double gammas[] = {2.4000000953674316,
                           2.4000000953674316,
                           2.5999999046325684,
                           2.5999999046325684,
                           2.5999999046325684,
                           0,
                           0,
                           0};
  for (ColorSpace id : kAll) {
    const DisplayColorSpace* cs = registry.forId(id);
    EXPECT_EQ(cs->getWhiteChromaticity().x, whites[id][0]) << id;
    EXPECT_EQ(cs->getWhiteChromaticity().y, whites[id][1]) << id;
    EXPECT_EQ(cs->getEotf(), eotfs[id]) << id;
    EXPECT_EQ(cs->getGamma(), gammas[id]) << id;
    EXPECT_EQ(cs->isHDR(), id == Rec2100Pq || id == Rec2100Hlg) << id;
  }
  // The gamma spaces all have a shared curve with a linear toe.
  EXPECT_EQ(registry.forId(Rec1886)->getLinLut(false), &Pfwl::sGamma24);
  EXPECT_EQ(registry.forId(P3D60Gamma26)->getLinLut(false), &Pfwl::sGamma26);

  // Luminance rows of the Rec.709 and Rec.2020 primaries.
  double m[9];
  registry.forId(Rec1886)->getYPbPrMatrix(m, 4);
  EXPECT_EQ(m[0], 0.2126);
  EXPECT_EQ(m[1], 0.7152);
  EXPECT_EQ(m[2], 0.0722);
  registry.forId(Rec2020Gamma24)->getYPbPrMatrix(m, 4);
  EXPECT_EQ(m[0], 0.2627);
  EXPECT_EQ(m[1], 0.678);
  EXPECT_EQ(m[2], 0.0593);
  // The DCI white (0.314, 0.351) gives luma rows that still sum to 1.
  registry.forId(P3DciGamma26)->getLumaMatrix(m);
  expectRowSums(m, 1.0, 1.0, 1.0, 1e-15);
}

TEST(Registry, ForNameWithMainAndAlternativeIdentifiers) {
  const ColorSpaces registry;
  for (ColorSpace id : kAll)
    EXPECT_EQ(registry.forName(ColorSpaces::identifier(id)), registry.forId(id));
  EXPECT_EQ(registry.forName("com.apple.proapps.colorspace.dci.p3.gamma26"),
            registry.forId(P3DciGamma26));
  EXPECT_EQ(registry.forName("com.apple.proapps.colorspace.dci.d65.gamma26"),
            registry.forId(P3D65Gamma26));
  EXPECT_EQ(registry.forName("com.apple.proapps.colorspace.dci.d60.gamma26"),
            registry.forId(P3D60Gamma26));

  EXPECT_EQ(registry.forName("com.apple.proapps.colorspace.rec709"), nullptr);
  EXPECT_EQ(registry.forName("com.apple.proapps.colorspace.rec188"), nullptr);
  EXPECT_EQ(registry.forName("com.apple.proapps.colorspace.dci.d60.gamma2"), nullptr);
  EXPECT_EQ(registry.forName("rec1886"), nullptr);
  EXPECT_EQ(registry.forName(""), nullptr);
  EXPECT_EQ(registry.forName(nullptr), nullptr);

  EXPECT_TRUE(registry.forId(Rec1886)->isColorSpace("rec1886", 29));
  EXPECT_TRUE(registry.forId(P3DciGamma26)->isColorSpace("dci.p3.gamma26", 29));
}

TEST(RegistryConversion, Cat02OnlyBetweenDistantWhites) {
  const ColorSpaces registry;
  // P3 D65 to P3 DCI: same primaries, whites 0.0013 and 0.022 apart.
  double m[9];
  registry.forId(P3D65Gamma26)->getConversionMatrix(*registry.forId(P3DciGamma26), m);
  expectRowSums(m, 1.0, 1.0, 1.0, 1e-12);  // adapted: white stays white
  EXPECT_GT(std::fabs(m[0] - 1.0), 1e-3);

  // Rec.709 to Rec.2020, both D65: no adaptation, still white to white.
  const DisplayColorSpace& rec709 = *registry.forId(Rec1886);
  const DisplayColorSpace& rec2020 = *registry.forId(Rec2020Gamma24);
  rec709.getConversionMatrix(rec2020, m);
  expectRowSums(m, 1.0, 1.0, 1.0, 1e-12);
  double mSrc[9], mDst[9], mInv[9], plain[9];
  rec709.getXyzMatrix(mSrc);
  rec2020.getXyzMatrix(mDst);
  bool ok = false;
  invMat(mDst, mInv, ok);
  mulRgbMat(mInv, mSrc, plain);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], plain[i]);
  // The well-known Rec.709 to Rec.2020 matrix.
  EXPECT_NEAR(m[0], 0.6274, 1e-4);
  EXPECT_NEAR(m[1], 0.3293, 1e-4);
  EXPECT_NEAR(m[4], 0.9195, 1e-4);
  EXPECT_NEAR(m[8], 0.8956, 1e-4);
}

TEST(RegistryConversion, EveryPairKeepsWhite) {
  const ColorSpaces registry;
  for (ColorSpace a : kAll)
    for (ColorSpace b : kAll) {
      double m[9];
      registry.forId(a)->getConversionMatrix(*registry.forId(b), m);
      expectRowSums(m, 1.0, 1.0, 1.0, 1e-12);
    }
}

TEST(RegistryConversion, DisplayFunctionClampsToTheDisplayRange) {
  const ColorSpaces registry;
  ColorConversionFunc f(registry.forId(Rec2020Gamma24), registry.forId(Rec1886));
  f.init(false);
  // Rec.2020 red is outside Rec.709: red above 1, green and blue below 0.
  double r, g, b;
  f.transform(1.0, 0.0, 0.0, r, g, b);
  EXPECT_EQ(r, Pfwl::sGamma24.inverse(1.0));
  EXPECT_EQ(g, Pfwl::sGamma24.inverse(0.0));
  EXPECT_EQ(b, Pfwl::sGamma24.inverse(0.0));
  // Grey survives the round trip through both encodings.
  f.transform(0.5, 0.5, 0.5, r, g, b);
  EXPECT_NEAR(r, 0.5, 1e-12);
  EXPECT_NEAR(b, 0.5, 1e-12);
}

TEST(RegistryConversion, UnityOnlyBetweenEqualIdentifiers) {
  const ColorSpaces registry, other;
  EXPECT_FALSE(
      ColorConversionFunc(registry.forId(Rec2100Pq), registry.forId(Rec2100Hlg)).isUnity());
  EXPECT_TRUE(ColorConversionFunc(registry.forId(Rec2100Pq), other.forId(Rec2100Pq)).isUnity());
}

TEST(GamutMatrices, RowsKeepWhite) {
  for (const double* m : {gKestaWgTmRec709Mat, gKestaWgTmP3Mat, gKestaWgRec709Mat, gKestaWgP3Mat,
                          gKestaWgAcesMat, gKestaWgLogFilmMat}) {
    for (int row = 0; row < 3; ++row)
      EXPECT_NEAR(m[3 * row] + m[3 * row + 1] + m[3 * row + 2], 1.0, 2e-6) << row;
  }
  // Camera white goes to the D65 white.
  const double* xyz = gKestaWgXyz;
  EXPECT_NEAR(xyz[3] + xyz[4] + xyz[5], 1.0, 1e-6);
  EXPECT_NEAR((xyz[0] + xyz[1] + xyz[2]) / (xyz[3] + xyz[4] + xyz[5]), 0.3127 / 0.329, 1e-4);
  EXPECT_NEAR((xyz[6] + xyz[7] + xyz[8]), (1 - 0.3127 - 0.329) / 0.329, 1e-4);
  EXPECT_EQ(gKestaWgTmRec709Mat[0], 1.485007);
  EXPECT_EQ(gKestaWgP3Mat[8], 1.12987395);
  EXPECT_EQ(gKestaWgXyz[7], -0.067034);
}
