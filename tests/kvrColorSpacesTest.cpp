// Display colour spaces (identifiers, EOTFs, encodings) and the registry of
// the built-in ones with their published matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "kvrColorSpaces.h"
#include "kvrError.h"
#include "kvrLutInverse.h"
#include "kvrPfwl.h"
#include "kvrTestSupport.h"

using namespace Kalvora;

namespace {

const ColorSpace kAll[] = {Rec1886,      Rec2020Gamma24, P3DciGamma26, P3D65Gamma26,
                           P3D60Gamma26, Rec2100Pq,      Rec2100Hlg,   AcesProxy};
const Chromaticity kD65(0.3127, 0.329), kRed(0.64, 0.33), kGreen(0.3, 0.6), kBlue(0.15, 0.06);
const double kGamma24 = 2.4000000953674316;  // single-precision gammas widened
const double kGamma26 = 2.5999999046325684;

DisplayColorSpace space(EotfType eotf, double gamma, const char* name = "x",
                        const char* altName = nullptr) {
  return DisplayColorSpace(kD65, kRed, kGreen, kBlue, eotf, gamma, name, altName);
}

// Every channel encodes with `expected`, pure or not as asked.
template <class Expected>
void expectEncoding(const DisplayColorSpace& cs, bool pure, Expected expected) {
  for (int channel = 0; channel < 3; ++channel)
    for (double y : {0.0, 0.01, 0.5, 1.0})
      EXPECT_NEAR(cs.getGammaLut(channel, pure)->transform(y), expected(y), 1e-15)
          << "channel " << channel << " at " << y;
}

void expectRowSums(const double* m, double r0, double r1, double r2, double tolerance) {
  EXPECT_NEAR(m[0] + m[1] + m[2], r0, tolerance);
  EXPECT_NEAR(m[3] + m[4] + m[5], r1, tolerance);
  EXPECT_NEAR(m[6] + m[7] + m[8], r2, tolerance);
}

}  // namespace

TEST(ColorSpacesTest, IdentifiersAreUniqueAndFoundByMainAndAlternativeName) {
  const ColorSpaces registry;
  std::set<std::string> names;
  for (ColorSpace id : kAll) {
    const DisplayColorSpace* cs = registry.forId(id);
    ASSERT_NE(cs, nullptr);
    EXPECT_TRUE(names.insert(cs->getName()).second) << cs->getName();
    EXPECT_EQ(cs->getNameLen(), std::strlen(cs->getName()));
    EXPECT_STREQ(ColorSpaces::identifier(id), cs->getName());
    EXPECT_EQ(registry.forName(cs->getName()), cs);
    if (cs->getAltName() != nullptr) {
      EXPECT_EQ(registry.forName(cs->getAltName()), cs);
      EXPECT_TRUE(names.insert(cs->getAltName()).second) << cs->getAltName();
    }
    EXPECT_EQ(cs->isHDR(), id == Rec2100Pq || id == Rec2100Hlg) << id;
  }
  EXPECT_STREQ(ColorSpaces::identifier(Rec1886), "com.apple.proapps.colorspace.rec1886");
  EXPECT_STREQ(registry.forId(P3DciGamma26)->getAltName(),
               "com.apple.proapps.colorspace.dci.p3.gamma26");
  EXPECT_EQ(registry.forId(static_cast<ColorSpace>(8)), nullptr);
  EXPECT_EQ(ColorSpaces::identifier(static_cast<ColorSpace>(-1)), nullptr);
  EXPECT_EQ(registry.forName("rec1886"), nullptr);
  EXPECT_EQ(registry.forName(nullptr), nullptr);
  // Matching from an offset, by either identifier, with text after it.
  const DisplayColorSpace* dci = registry.forId(P3DciGamma26);
  EXPECT_TRUE(dci->isColorSpace("dci.p3.gamma26", 29));
  EXPECT_FALSE(dci->isColorSpace("dci.p3.gamma2", 29));
  const unsigned char trailing[] = "com.apple.proapps.colorspace.dci.p3.gamma26 trailing";
  EXPECT_TRUE(dci->isColorSpace(trailing, 0));
  EXPECT_FALSE(space(EotfType::Pq, 0.0).isHDR());  // HDR by identifier, not by EOTF
}

TEST(ColorSpacesTest, PublishedMatricesAndEveryPairKeepsWhite) {
  const ColorSpaces registry;
  double m[9];
  registry.forId(Rec1886)->getYPbPrMatrix(m, 4);
  EXPECT_EQ(std::vector<double>(m, m + 3), (std::vector<double>{0.2126, 0.7152, 0.0722}));
  registry.forId(Rec2020Gamma24)->getYPbPrMatrix(m, 4);
  EXPECT_EQ(std::vector<double>(m, m + 3), (std::vector<double>{0.2627, 0.678, 0.0593}));
  registry.forId(Rec1886)->getConversionMatrix(*registry.forId(Rec2020Gamma24), m);
  EXPECT_NEAR(m[0], 0.6274, 1e-4);
  EXPECT_NEAR(m[1], 0.3293, 1e-4);
  EXPECT_NEAR(m[4], 0.9195, 1e-4);
  EXPECT_NEAR(m[8], 0.8956, 1e-4);
  for (ColorSpace a : kAll)
    for (ColorSpace b : kAll) {
      registry.forId(a)->getConversionMatrix(*registry.forId(b), m);
      SCOPED_TRACE(testing::Message() << a << " to " << b);
      expectRowSums(m, 1.0, 1.0, 1.0, 1e-12);
    }
  for (const double* gamut : {gKestaWgTmRec709Mat, gKestaWgTmP3Mat, gKestaWgRec709Mat,
                              gKestaWgP3Mat, gKestaWgAcesMat, gKestaWgLogFilmMat})
    expectRowSums(gamut, 1.0, 1.0, 1.0, 2e-6);
  // Camera white goes to the D65 white.
  expectRowSums(gKestaWgXyz, 0.3127 / 0.329, 1.0, (1 - 0.3127 - 0.329) / 0.329, 1e-4);
  EXPECT_EQ(gKestaWgTmRec709Mat[0], 1.485007);
  EXPECT_EQ(gKestaWgXyz[7], -0.067034);
}

TEST(ColorSpacesTest, EotfChoosesTheDecodingAndEncodingCurves) {
  // Single-precision gammas use the shared curves; 2.4 in double precision is
  // the pure power law both ways.
  for (double gamma : {kGamma24, kGamma26, 2.4}) {
    SCOPED_TRACE(gamma);
    const DisplayColorSpace cs = space(EotfType::Gamma, gamma);
    const Pfwl* shared = gamma == kGamma24   ? &Pfwl::sGamma24
                         : gamma == kGamma26 ? &Pfwl::sGamma26
                                             : nullptr;
    const auto power = [gamma](double y) { return y > 0 ? std::pow(y, 1 / gamma) : 0.0; };
    EXPECT_NEAR(cs.getLinLut(true)->transform(0.5), std::pow(0.5, gamma), 1e-15);
    EXPECT_EQ(cs.getLinLut(true)->transform(-0.5), 0.0);
    expectEncoding(cs, true, power);
    if (shared != nullptr) {
      EXPECT_EQ(cs.getLinLut(false), shared);
      expectEncoding(cs, false, [shared](double y) { return shared->inverse(y); });
    } else {
      EXPECT_EQ(cs.getLinLut(false), cs.getLinLut(true));
      expectEncoding(cs, false, power);
    }
  }
  for (EotfType eotf : {EotfType::Pq, EotfType::Hlg}) {
    const DisplayColorSpace hdr = space(eotf, 0.0);
    EXPECT_EQ(hdr.getLinLut(true), &Pfwl::sGamma30);
    expectEncoding(hdr, false, [](double y) { return Pfwl::sGamma30.inverse(y); });
  }
  // A caller's table decodes and its inverse encodes.
  const unsigned short forward[3] = {0, 300, 1023}, inverse[3] = {0, 700, 1023};
  const LutInverse table(forward, inverse, 3, 1023);
  const DisplayColorSpace fromTable(kD65, kRed, kGreen, kBlue, &table, "t", nullptr);
  EXPECT_EQ(fromTable.getLinLut(true), &table);
  EXPECT_DOUBLE_EQ(fromTable.getGammaLut(1, false)->transform(0.75), 861.5 / 1023);
}

TEST(ColorSpacesTest, BadConstructorArgumentsAreRejected) {
  EXPECT_THROW(space(EotfType::Lut, 0.0), KvrSignal);  // tables take the other constructor
  EXPECT_THROW(space(static_cast<EotfType>(6), 2.4), KvrSignal);
  EXPECT_THROW(space(static_cast<EotfType>(-1), 2.4), KvrSignal);
  EXPECT_THROW(DisplayColorSpace(kD65, kRed, kGreen, kBlue, nullptr, "x", nullptr), KvrSignal);
  try {
    DisplayColorSpace({0.3, -0.1}, kRed, kGreen, kBlue, EotfType::Linear, 0, "x", nullptr);
    ADD_FAILURE() << "a white below the chromaticity range was accepted";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kIllegalValue);
    EXPECT_PRED2(KalvoraTest::contains, signal.what(), "white");
  }
}
