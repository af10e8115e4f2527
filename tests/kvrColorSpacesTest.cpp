#include <gtest/gtest.h>

#include <cmath>

#include "kvrColorConversionFunc.h"
#include "kvrColorSpaces.h"
#include "kvrPfwl.h"

using namespace Kalvora;

namespace {

const ColorSpace kAll[] = {Rec1886,      Rec2020Gamma24, P3DciGamma26, P3D65Gamma26,
                           P3D60Gamma26, Rec2100Pq,      Rec2100Hlg,   AcesProxy};

void expectRowSums(const double* m, double r0, double r1, double r2, double tolerance) {
  EXPECT_NEAR(m[0] + m[1] + m[2], r0, tolerance);
  EXPECT_NEAR(m[3] + m[4] + m[5], r1, tolerance);
  EXPECT_NEAR(m[6] + m[7] + m[8], r2, tolerance);
}

}  // namespace

TEST(Registry, IdentifiersByteForByte) {
  const ColorSpaces registry;
  const struct {
    const char* name;
    const char* alt;
    unsigned long length;
  } entries[] = {
      {"com.apple.proapps.colorspace.rec1886", nullptr, 36},
      {"com.apple.proapps.colorspace.rec2020.d65.gamma24", nullptr, 48},
      {"com.apple.proapps.colorspace.p3.dci.gamma26", "com.apple.proapps.colorspace.dci.p3.gamma26",
       43},
      {"com.apple.proapps.colorspace.p3.d65.gamma26",
       "com.apple.proapps.colorspace.dci.d65.gamma26", 43},
      {"com.apple.proapps.colorspace.p3.d60.gamma26",
       "com.apple.proapps.colorspace.dci.d60.gamma26", 43},
      {"com.apple.proapps.colorspace.rec2100.d65.pq", nullptr, 43},
      {"com.apple.proapps.colorspace.rec2100.d65.hlg", nullptr, 44},
      {"com.apple.proapps.colorspace.aces.acesproxy", nullptr, 43},
  };
  for (ColorSpace id : kAll) {
    const DisplayColorSpace* cs = registry.forId(id);
    ASSERT_NE(cs, nullptr);
    EXPECT_STREQ(cs->getName(), entries[id].name);
    EXPECT_STREQ(cs->getAltName(), entries[id].alt);
    EXPECT_EQ(cs->getNameLen(), entries[id].length);
    EXPECT_STREQ(ColorSpaces::identifier(id), entries[id].name);
  }
  for (int bad : {8, 1000, -1}) {
    EXPECT_EQ(registry.forId(static_cast<ColorSpace>(bad)), nullptr) << bad;
    EXPECT_EQ(ColorSpaces::identifier(static_cast<ColorSpace>(bad)), nullptr) << bad;
  }
}

TEST(Registry, Colorimetry) {
  const ColorSpaces registry;
  for (ColorSpace id : kAll)
    EXPECT_EQ(registry.forId(id)->isHDR(), id == Rec2100Pq || id == Rec2100Hlg) << id;
  EXPECT_EQ(registry.forId(Rec1886)->getLinLut(false), &Pfwl::sGamma24);
  EXPECT_EQ(registry.forId(P3D60Gamma26)->getLinLut(false), &Pfwl::sGamma26);

  // Luminance rows of the Rec.709 and Rec.2020 primaries; the well-known
  // Rec.709 to Rec.2020 matrix.
  double m[9];
  registry.forId(Rec1886)->getYPbPrMatrix(m, 4);
  EXPECT_EQ(m[0], 0.2126);
  EXPECT_EQ(m[1], 0.7152);
  EXPECT_EQ(m[2], 0.0722);
  registry.forId(Rec2020Gamma24)->getYPbPrMatrix(m, 4);
  EXPECT_EQ(m[0], 0.2627);
  EXPECT_EQ(m[1], 0.678);
  EXPECT_EQ(m[2], 0.0593);
  registry.forId(Rec1886)->getConversionMatrix(*registry.forId(Rec2020Gamma24), m);
  EXPECT_NEAR(m[0], 0.6274, 1e-4);
  EXPECT_NEAR(m[1], 0.3293, 1e-4);
  EXPECT_NEAR(m[4], 0.9195, 1e-4);
  EXPECT_NEAR(m[8], 0.8956, 1e-4);
}

TEST(Registry, ForNameWithMainAndAlternativeIdentifiers) {
  const ColorSpaces registry;
  for (ColorSpace id : kAll) {
    EXPECT_EQ(registry.forName(ColorSpaces::identifier(id)), registry.forId(id));
    if (registry.forId(id)->getAltName() != nullptr) {
      EXPECT_EQ(registry.forName(registry.forId(id)->getAltName()), registry.forId(id));
    }
  }
  EXPECT_EQ(registry.forName("com.apple.proapps.colorspace.dci.d60.gamma26"),
            registry.forId(P3D60Gamma26));
  for (const char* unknown :
       {"com.apple.proapps.colorspace.rec709", "com.apple.proapps.colorspace.rec188",
        "com.apple.proapps.colorspace.dci.d60.gamma2", "rec1886", ""})
    EXPECT_EQ(registry.forName(unknown), nullptr) << unknown;
  EXPECT_EQ(registry.forName(nullptr), nullptr);

  EXPECT_TRUE(registry.forId(Rec1886)->isColorSpace("rec1886", 29));
  EXPECT_TRUE(registry.forId(P3DciGamma26)->isColorSpace("dci.p3.gamma26", 29));
}

TEST(RegistryConversion, EveryPairKeepsWhite) {
  const ColorSpaces registry;
  for (ColorSpace a : kAll)
    for (ColorSpace b : kAll) {
      double m[9];
      registry.forId(a)->getConversionMatrix(*registry.forId(b), m);
      SCOPED_TRACE(testing::Message() << a << " to " << b);
      expectRowSums(m, 1.0, 1.0, 1.0, 1e-12);
    }
  // P3 D65 to P3 DCI: same primaries, whites apart, so only the adaptation
  // moves the colours.
  double m[9];
  registry.forId(P3D65Gamma26)->getConversionMatrix(*registry.forId(P3DciGamma26), m);
  EXPECT_GT(std::fabs(m[0] - 1.0), 1e-3);
}

TEST(RegistryConversion, DisplayFunctionClampsAndUnityIsByIdentifier) {
  const ColorSpaces registry, other;
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

  EXPECT_FALSE(
      ColorConversionFunc(registry.forId(Rec2100Pq), registry.forId(Rec2100Hlg)).isUnity());
  EXPECT_TRUE(ColorConversionFunc(registry.forId(Rec2100Pq), other.forId(Rec2100Pq)).isUnity());
}

TEST(GamutMatrices, PublishedValuesAndRowsKeepWhite) {
  for (const double* m : {gKestaWgTmRec709Mat, gKestaWgTmP3Mat, gKestaWgRec709Mat, gKestaWgP3Mat,
                          gKestaWgAcesMat, gKestaWgLogFilmMat})
    expectRowSums(m, 1.0, 1.0, 1.0, 2e-6);
  // Camera white goes to the D65 white.
  expectRowSums(gKestaWgXyz, 0.3127 / 0.329, 1.0, (1 - 0.3127 - 0.329) / 0.329, 1e-4);
  EXPECT_NEAR(gKestaWgXyz[3] + gKestaWgXyz[4] + gKestaWgXyz[5], 1.0, 1e-6);
  EXPECT_EQ(gKestaWgTmRec709Mat[0], 1.485007);
  EXPECT_EQ(gKestaWgP3Mat[8], 1.12987395);
  EXPECT_EQ(gKestaWgXyz[7], -0.067034);
}
