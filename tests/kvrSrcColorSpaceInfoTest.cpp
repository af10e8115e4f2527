#include <gtest/gtest.h>

#include <cmath>

#include "kvrError.h"
#include "kvrSrcColorSpaceInfo.h"
#include "kvrTestSupport.h"

using namespace Kalvora;

namespace {

using KalvoraTest::expectSignal;

// A caller-defined description with identity transfer functions.
class TestSpace : public ColorSpaceInfo {
public:
  TestSpace(Chromaticity white, Chromaticity red, Chromaticity green, Chromaticity blue,
            const char* name)
      : ColorSpaceInfo(white, red, green, blue, name) {}
  const LutFunc* getLinLut(bool) const override { return &LutFunc::sUnity; }
  const LutFunc* getGammaLut(int, bool) const override { return &LutFunc::sUnity; }
};

const Chromaticity kD65(0.3127, 0.329);

TestSpace rec709(const char* name = "rec709", Chromaticity white = kD65) {
  return TestSpace(white, {0.64, 0.33}, {0.3, 0.6}, {0.15, 0.06}, name);
}

TestSpace rec2020(const char* name = "rec2020", Chromaticity white = kD65) {
  return TestSpace(white, {0.708, 0.292}, {0.17, 0.797}, {0.131, 0.046}, name);
}

void expectNear(const double* m, std::initializer_list<double> expected, double tolerance) {
  const double* value = m;
  for (double e : expected) EXPECT_NEAR(*value++, e, tolerance) << "entry " << value - m - 1;
}

// The image of RGB white.
void whiteOf(const double (&m)[9], double (&out)[3]) {
  mulRgbMatVect(m, 1.0, 1.0, 1.0, out[0], out[1], out[2]);
}

}  // namespace

// The luma rows are the published coefficients of Rec.709 and Rec.2020.
TEST(YPbPrMatrix, RoundedToDecimalDigits) {
  double m[9], plain[9];
  rec709().getYPbPrMatrix(m, 4);
  expectNear(m, {0.2126, 0.7152, 0.0722, -0.1146, -0.3854, 0.5, 0.5, -0.4542, -0.0458}, 0);
  rec2020().getYPbPrMatrix(m, 4);
  expectNear(m, {0.2627, 0.678, 0.0593}, 0);
  rec709().getYPbPrMatrix(m, 1);  // to nearest: -0.4542 and -0.0458
  expectNear(m + 6, {0.5, -0.5, 0.0}, 0);

  // Zero or negative digits round nothing; beyond the float range products
  // are not rounded (nor narrowed to inf).
  rec709().getYPbPrMatrix(plain, 0);
  expectNear(plain, {0.2126, 0.7152, 0.0722}, 5e-5);
  for (int digits : {-3, 40}) {
    rec709().getYPbPrMatrix(m, digits);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], plain[i], 1e-7) << digits << " " << i;
  }
}

TEST(XyzMatrix, WhiteLandsOnTheWhitePointAndLumaIsTheMiddleRow) {
  double m[9], luma[9], X, Z, white[3];
  rec709().getXyzMatrix(m);
  rec709().getWhite(X, Z);
  EXPECT_DOUBLE_EQ(X, 0.3127 / 0.329);
  EXPECT_DOUBLE_EQ(Z, (1.0 - 0.3127 - 0.329) / 0.329);
  whiteOf(m, white);
  expectNear(white, {X, 1.0, Z}, 1e-15);
  rec709().getLumaMatrix(luma);
  for (int row = 0; row < 3; ++row) expectNear(luma + 3 * row, {m[3], m[4], m[5]}, 0);
  EXPECT_NEAR(rec709().gamutSize(), 0.11205, 1e-15);
}

TEST(ConversionMatrix, UnityForTheSameNameAdaptedWithCat02ForDistantWhites) {
  double m[9], white[3];
  rec709("same").getConversionMatrix(rec2020("same"), m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], gUnityMatrix[i]);

  // Whites 0.0008 apart in x are not adapted: white does not stay white.
  rec709("src").getConversionMatrix(rec2020("dst", Chromaticity(0.3135, 0.329)), m);
  whiteOf(m, white);
  EXPECT_GT(std::fabs(white[0] - white[2]), 1e-4);

  // D65 to D60 is adapted: white stays white, and in the CAT02 cone space
  // the adaptation is a per-cone scaling, gCat02Mat * Mdst * m equals
  // diag(d) * gCat02Mat * Msrc.
  const TestSpace src = rec709("src"), dst = rec2020("dst", Chromaticity(0.32168, 0.33767));
  src.getConversionMatrix(dst, m);
  whiteOf(m, white);
  expectNear(white, {1.0, 1.0, 1.0}, 1e-12);
  double mSrc[9], mDst[9], t[9], lhs[9], rhs[9];
  src.getXyzMatrix(mSrc);
  dst.getXyzMatrix(mDst);
  mulRgbMat(gCat02Mat, mDst, t);
  mulRgbMat(t, m, lhs);
  mulRgbMat(gCat02Mat, mSrc, rhs);
  for (int i = 0; i < 9; ++i)
    EXPECT_NEAR(lhs[i], rhs[i] * lhs[i - i % 3] / rhs[i - i % 3], 1e-12) << i;
}

TEST(Identity, ByNameFromCharacterSkipOnAndInBuffers) {
  EXPECT_TRUE(rec709("x") == rec2020("x"));
  EXPECT_TRUE(rec709("x") != rec709("y"));
  EXPECT_TRUE(rec709(nullptr) == rec709("y"));  // a missing name matches everything
  EXPECT_FALSE(rec709("y") != rec709(nullptr));

  const TestSpace cs = rec709("com.apple.proapps.colorspace.rec1886");
  EXPECT_EQ(cs.getNameLen(), 36u);
  EXPECT_TRUE(cs.isColorSpace("rec1886", 29));
  EXPECT_TRUE(cs.isColorSpace("", 36));
  // A skip past the end of the identifier, or no name, matches nothing.
  EXPECT_FALSE(cs.isColorSpace("", 37));
  EXPECT_FALSE(cs.isColorSpace(static_cast<const char*>(nullptr), 0));
  EXPECT_FALSE(rec709(nullptr).isColorSpace("", 0));
  EXPECT_EQ(rec709(nullptr).getNameLen(), 0u);
  // A buffer may continue after the identifier.
  const unsigned char buffer[] = {'e', 'l', 'v', 'e', 'x', '_', 'v', 'i', 'e', 'w', 0xff, 'W'};
  EXPECT_TRUE(rec709("elvex_view").isColorSpace(buffer + 6, 6));
  EXPECT_FALSE(rec709("elvex_view").isColorSpace(static_cast<const unsigned char*>(nullptr), 0));
}

TEST(Failures, IllegalWhitesAndPrimariesAreRejected) {
  for (Chromaticity white :
       {Chromaticity(0.3, 0.0), Chromaticity(-0.1, 0.3), Chromaticity(NAN, 0.3)})
    expectSignal(kIllegalValue, "white", [&] { rec709("w", white); });

  // Primaries on one line: every computation built on the XYZ matrix fails.
  const TestSpace line(kD65, {0.1, 0.2}, {0.2, 0.4}, {0.3, 0.6}, "line");
  double m[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
  expectSignal(kIllegalValue, "", [&] { line.getXyzMatrix(m); });
  EXPECT_EQ(m[0], 7.0);
  expectSignal(kIllegalValue, "", [&] { line.getYPbPrMatrix(m, 4); });
  expectSignal(kIllegalValue, "", [&] { rec709().getConversionMatrix(line, m); });
  expectSignal(kIllegalValue, "", [&] { line.getConversionMatrix(rec709(), m); });

  // The white halfway between the red (0.6, 0.3) and green (0.2, 0.5) primaries.
  const TestSpace edge({0.4, 0.4}, {0.6, 0.3}, {0.2, 0.5}, {0.15, 0.06}, "edge");
  expectSignal(kIllegalValue, "", [&] { rec709().getConversionMatrix(edge, m); });
}
