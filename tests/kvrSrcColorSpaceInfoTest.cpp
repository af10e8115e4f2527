#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "kvrError.h"
#include "kvrSrcColorSpaceInfo.h"

using namespace Kalvora;

namespace {

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
const Chromaticity kD60(0.32168, 0.33767);
const double kLuma709[3] = {0.21263900587151027, 0.7151686787677561, 0.07219231536073373};

TestSpace rec709(const char* name = "rec709", Chromaticity white = kD65) {
  return TestSpace(white, {0.64, 0.33}, {0.3, 0.6}, {0.15, 0.06}, name);
}

TestSpace rec2020(const char* name = "rec2020", Chromaticity white = kD65) {
  return TestSpace(white, {0.708, 0.292}, {0.17, 0.797}, {0.131, 0.046}, name);
}

void expectRow(const double (&m)[9], int row, double a, double b, double c) {
  EXPECT_EQ(m[3 * row], a) << "row " << row;
  EXPECT_EQ(m[3 * row + 1], b) << "row " << row;
  EXPECT_EQ(m[3 * row + 2], c) << "row " << row;
}

// The image of RGB white.
void whiteOf(const double (&m)[9], double (&out)[3]) {
  mulRgbMatVect(m, 1.0, 1.0, 1.0, out[0], out[1], out[2]);
}

// Conversion through XYZ without white adaptation.
void plainConversion(const SrcColorSpaceInfo& src, const SrcColorSpaceInfo& dst, double (&m)[9]) {
  double mSrc[9], mDst[9], mInv[9];
  src.getXyzMatrix(mSrc);
  dst.getXyzMatrix(mDst);
  bool ok = false;
  invMat(mDst, mInv, ok);
  mulRgbMat(mInv, mSrc, m);
}

// The signal that work throws.
template <class Work>
KvrSignal signalOf(Work&& work) {
  try {
    work();
  } catch (const KvrSignal& signal) {
    return signal;
  }
  ADD_FAILURE() << "no signal thrown";
  return KvrSignal();
}

TEST(YPbPrMatrix, RoundedToDecimalDigits) {
  double m[9];
  rec709().getYPbPrMatrix(m, 4);
  expectRow(m, 0, 0.2126, 0.7152, 0.0722);
  expectRow(m, 1, -0.1146, -0.3854, 0.5);
  expectRow(m, 2, 0.5, -0.4542, -0.0458);
  rec2020().getYPbPrMatrix(m, 4);
  expectRow(m, 0, 0.2627, 0.678, 0.0593);
  EXPECT_EQ((m[0] + m[1]) + m[2], 1.0);
  rec709().getYPbPrMatrix(m, 1);  // to nearest: -0.454 and -0.0458
  expectRow(m, 1, -0.1, -0.4, 0.5);
  expectRow(m, 2, 0.5, -0.5, 0.0);

  // Zero or negative digits round nothing.
  double plain[9];
  rec709().getYPbPrMatrix(plain, 0);
  expectRow(plain, 0, kLuma709[0], kLuma709[1], kLuma709[2]);
  rec709().getYPbPrMatrix(m, -3);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], plain[i]);

  // Products beyond the float range are not rounded (nor narrowed to inf);
  // at 39 digits they still fit and only lose double precision.
  rec709().getYPbPrMatrix(m, 39);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], plain[i], 1e-7) << i;
  for (int digits : {40, 400}) {
    rec709().getYPbPrMatrix(m, digits);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], plain[i], 1e-15) << digits << " " << i;
  }
}

TEST(Identity, ByNameOnly) {
  EXPECT_TRUE(rec709("x") == rec2020("x"));
  EXPECT_FALSE(rec709("x") != rec2020("x"));
  EXPECT_FALSE(rec709("x") == rec709("y"));
  EXPECT_TRUE(rec709("x") != rec709("y"));
  // A missing name matches everything.
  EXPECT_TRUE(rec709(nullptr) == rec709("y"));
  EXPECT_FALSE(rec709("y") != rec709(nullptr));
}

}  // namespace

TEST(XyzMatrix, Rec709LuminanceWhiteAndLumaRows) {
  double m[9], X, Z, white[3];
  rec709().getXyzMatrix(m);
  expectRow(m, 1, kLuma709[0], kLuma709[1], kLuma709[2]);
  // RGB white lands on the XYZ of the white point.
  rec709().getWhite(X, Z);
  EXPECT_DOUBLE_EQ(X, 0.3127 / 0.329);
  EXPECT_DOUBLE_EQ(Z, (1.0 - 0.3127 - 0.329) / 0.329);
  whiteOf(m, white);
  EXPECT_NEAR(white[0], X, 1e-15);
  EXPECT_NEAR(white[1], 1.0, 1e-15);
  EXPECT_NEAR(white[2], Z, 1e-15);

  rec709().getLumaMatrix(m);
  for (int row = 0; row < 3; ++row) expectRow(m, row, kLuma709[0], kLuma709[1], kLuma709[2]);
  EXPECT_NEAR(rec709().gamutSize(), 0.11205, 1e-15);
}

TEST(ConversionMatrix, UnityForTheSameIdentifierAndUnadaptedForCloseWhites) {
  double m[9], expected[9], white[3];
  rec709("same").getConversionMatrix(rec2020("same"), m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], gUnityMatrix[i]);

  // The whites differ by 0.0008 in x: the plain XYZ round trip is used, so
  // the source white is not the destination white.
  const TestSpace src = rec709("src");
  const TestSpace dst = rec2020("dst", Chromaticity(0.3135, 0.329));
  src.getConversionMatrix(dst, m);
  plainConversion(src, dst, expected);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], expected[i]) << i;
  whiteOf(m, white);
  EXPECT_GT(std::fabs(white[0] - white[2]), 1e-4);
}

TEST(ConversionMatrix, DistantWhitesAreAdaptedWithCat02) {
  const TestSpace src = rec709("src");
  const TestSpace dst = rec2020("dst", kD60);
  double m[9], plain[9], white[3];
  src.getConversionMatrix(dst, m);
  whiteOf(m, white);
  for (double v : white) EXPECT_NEAR(v, 1.0, 1e-12);
  plainConversion(src, dst, plain);
  whiteOf(plain, white);
  EXPECT_GT(std::fabs(white[0] - 1.0), 1e-3);

  // In the CAT02 cone space the adaptation is a pure per-cone scaling:
  // gCat02Mat * Mdst * m equals diag(d) * gCat02Mat * Msrc.
  double mSrc[9], mDst[9], t[9], lhs[9], rhs[9];
  src.getXyzMatrix(mSrc);
  dst.getXyzMatrix(mDst);
  mulRgbMat(gCat02Mat, mDst, t);
  mulRgbMat(t, m, lhs);
  mulRgbMat(gCat02Mat, mSrc, rhs);
  for (int i = 0; i < 9; ++i) {
    const int first = i - i % 3;
    EXPECT_NEAR(lhs[i], rhs[i] * lhs[first] / rhs[first], 1e-12) << i;
  }
}

TEST(NameMatching, FromCharacterSkipOnAndInBuffers) {
  const TestSpace cs = rec709("com.apple.proapps.colorspace.rec1886");
  EXPECT_EQ(cs.getNameLen(), 36u);
  EXPECT_TRUE(cs.isColorSpace("com.apple.proapps.colorspace.rec1886", 0));
  EXPECT_TRUE(cs.isColorSpace("rec1886", 29));
  EXPECT_FALSE(cs.isColorSpace("rec188", 29));
  EXPECT_FALSE(cs.isColorSpace("com.apple.proapps.colorspace.rec188", 0));
  EXPECT_TRUE(cs.isColorSpace("", 36));
  // A skip past the end of the identifier, or no name, matches nothing.
  EXPECT_FALSE(cs.isColorSpace("", 37));
  EXPECT_FALSE(cs.isColorSpace(static_cast<const char*>(nullptr), 0));
  EXPECT_EQ(rec709(nullptr).getNameLen(), 0u);
  EXPECT_FALSE(rec709(nullptr).isColorSpace("", 0));

  // A buffer may continue after the identifier.
  const TestSpace view = rec709("elvex_view");
  const unsigned char buffer[] = {'e', 'l', 'v', 'e', 'x', '_', 'v', 'i', 'e', 'w', 0xff, 'x'};
  EXPECT_TRUE(view.isColorSpace(buffer, 0));
  EXPECT_TRUE(view.isColorSpace(buffer + 6, 6));
  const unsigned char other[] = {'e', 'l', 'v', 'e', 'x', '_', 'v', 'i', 'e', 'W'};
  EXPECT_FALSE(view.isColorSpace(other, 0));
  EXPECT_FALSE(view.isColorSpace(static_cast<const unsigned char*>(nullptr), 0));
}

TEST(Failures, IllegalWhiteChromaticity) {
  for (Chromaticity white : {Chromaticity(0.0, 0.3), Chromaticity(0.3, 0.0),
                             Chromaticity(-0.1, 0.3), Chromaticity(NAN, 0.3)}) {
    KvrSignal s = signalOf([&] { rec709("w", white); });
    EXPECT_EQ(s.code(), kIllegalValue);
    EXPECT_STREQ(s.what(), "Illegal white chromaticity");
    EXPECT_EQ(std::strncmp(s.where(), "src/kvrSrcColorSpaceInfo:", 25), 0) << s.where();
  }
}

TEST(Failures, SingularXyzMatrixIsRejected) {
  // Primaries on one line: every computation built on the XYZ matrix fails.
  const TestSpace line(kD65, {0.1, 0.2}, {0.2, 0.4}, {0.3, 0.6}, "line");
  double m[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
  KvrSignal s = signalOf([&] { line.getXyzMatrix(m); });
  EXPECT_EQ(s.code(), kIllegalValue);
  EXPECT_STREQ(s.what(), "Illegal primaries: they lie on one line and give no RGB to XYZ matrix");
  EXPECT_EQ(m[0], 7.0);
  EXPECT_EQ(signalOf([&] { line.getLumaMatrix(m); }).code(), kIllegalValue);
  EXPECT_EQ(signalOf([&] { line.getYPbPrMatrix(m, 4); }).code(), kIllegalValue);
  EXPECT_EQ(signalOf([&] { rec709().getConversionMatrix(line, m); }).code(), kIllegalValue);
  EXPECT_EQ(signalOf([&] { line.getConversionMatrix(rec709(), m); }).code(), kIllegalValue);

  // The white halfway between the red (0.6, 0.3) and green (0.2, 0.5) primaries.
  const TestSpace edge({0.4, 0.4}, {0.6, 0.3}, {0.2, 0.5}, {0.15, 0.06}, "edge");
  s = signalOf([&] { edge.getXyzMatrix(m); });
  EXPECT_EQ(s.code(), kIllegalValue);
  EXPECT_STREQ(s.what(),
               "Illegal white point: it lies on the gamut boundary and gives a singular RGB to "
               "XYZ matrix");
  EXPECT_EQ(signalOf([&] { rec709().getConversionMatrix(edge, m); }).code(), kIllegalValue);
}
