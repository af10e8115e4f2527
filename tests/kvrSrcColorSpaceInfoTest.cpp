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

void apply(const double (&m)[9], const double (&v)[3], double (&out)[3]) {
  mulRgbMatVect(m, v[0], v[1], v[2], out[0], out[1], out[2]);
}

// The code and message of the signal that work throws.
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

}  // namespace

TEST(XyzMatrix, Rec709LuminanceRowAndWhite) {
  double m[9];
  rec709().getXyzMatrix(m);
  expectRow(m, 1, 0.21263900587151027, 0.7151686787677561, 0.07219231536073373);

  // RGB white lands on the XYZ of the white point.
  double X, Z, white[3];
  rec709().getWhite(X, Z);
  EXPECT_DOUBLE_EQ(X, 0.3127 / 0.329);
  EXPECT_DOUBLE_EQ(Z, (1.0 - 0.3127 - 0.329) / 0.329);
  apply(m, {1.0, 1.0, 1.0}, white);
  EXPECT_NEAR(white[0], X, 1e-15);
  EXPECT_NEAR(white[1], 1.0, 1e-15);
  EXPECT_NEAR(white[2], Z, 1e-15);
}

TEST(LumaMatrix, ThreeRowsOfLuminance) {
  double m[9];
  rec709().getLumaMatrix(m);
  for (int row = 0; row < 3; ++row)
    expectRow(m, row, 0.21263900587151027, 0.7151686787677561, 0.07219231536073373);
}

TEST(YPbPrMatrix, Rec709RoundedToFourDigits) {
  double m[9];
  rec709().getYPbPrMatrix(m, 4);
  expectRow(m, 0, 0.2126, 0.7152, 0.0722);
  expectRow(m, 1, -0.1146, -0.3854, 0.5);
  expectRow(m, 2, 0.5, -0.4542, -0.0458);
}

TEST(YPbPrMatrix, Rec2020LumaRowSumsToOne) {
  double m[9];
  rec2020().getYPbPrMatrix(m, 4);
  expectRow(m, 0, 0.2627, 0.678, 0.0593);
  EXPECT_EQ((m[0] + m[1]) + m[2], 1.0);
}

TEST(YPbPrMatrix, NoRoundingWithoutDigits) {
  double m[9];
  rec709().getYPbPrMatrix(m, 0);
  const double kr = 0.21263900587151027, kg = 0.7151686787677561, kb = 0.07219231536073373;
  expectRow(m, 0, kr, kg, kb);
  expectRow(m, 1, -kr / (2 * (1 - kb)), -kg / (2 * (1 - kb)), 0.5);
  expectRow(m, 2, 0.5, -kg / (2 * (1 - kr)), -kb / (2 * (1 - kr)));

  double negative[9];
  rec709().getYPbPrMatrix(negative, -3);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(negative[i], m[i]);
}

TEST(YPbPrMatrix, RoundsToNearestAtOneDigit) {
  double m[9];
  rec709().getYPbPrMatrix(m, 1);
  expectRow(m, 1, -0.1, -0.4, 0.5);
  expectRow(m, 2, 0.5, -0.5, 0.0);  // -0.454 and -0.0458
}

TEST(YPbPrMatrix, DigitsBeyondSinglePrecisionLeaveTheCoefficients) {
  // Products beyond the float range are not rounded (nor narrowed to inf);
  // at 39 digits they still fit and only lose double precision.
  double plain[9], m[9];
  rec709().getYPbPrMatrix(plain, 0);
  rec709().getYPbPrMatrix(m, 39);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], plain[i], 1e-7) << i;
  for (int digits : {40, 400}) {
    rec709().getYPbPrMatrix(m, digits);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], plain[i], 1e-15) << digits << " " << i;
  }
}

TEST(GamutSize, AreaOfThePrimariesTriangle) {
  EXPECT_NEAR(rec709().gamutSize(),
              0.5 * std::fabs((0.33 - 0.06) * (0.64 - 0.3) - (0.64 - 0.15) * (0.33 - 0.6)), 1e-17);
  EXPECT_GT(rec2020().gamutSize(), rec709().gamutSize());
}

TEST(ConversionMatrix, SameIdentifierIsExactlyUnity) {
  double m[9];
  rec709("same").getConversionMatrix(rec2020("same"), m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], gUnityMatrix[i]);
}

TEST(ConversionMatrix, CloseWhitesAreNotAdapted) {
  // The whites differ by 0.0008 in x: the plain XYZ round trip is used.
  const TestSpace src = rec709("src");
  const TestSpace dst = rec2020("dst", Chromaticity(0.3135, 0.329));
  double m[9], mSrc[9], mDst[9], mInv[9], expected[9];
  src.getConversionMatrix(dst, m);
  src.getXyzMatrix(mSrc);
  dst.getXyzMatrix(mDst);
  bool ok = false;
  invMat(mDst, mInv, ok);
  mulRgbMat(mInv, mSrc, expected);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], expected[i]) << i;

  // Without adaptation the source white is not the destination white.
  double white[3];
  apply(m, {1.0, 1.0, 1.0}, white);
  EXPECT_GT(std::fabs(white[0] - white[2]), 1e-4);
}

TEST(ConversionMatrix, DistantWhitesAreAdaptedWithCat02) {
  const TestSpace src = rec709("src");
  const TestSpace dst = rec2020("dst", kD60);
  double m[9], white[3];
  src.getConversionMatrix(dst, m);
  // Adapted: source white becomes destination white.
  apply(m, {1.0, 1.0, 1.0}, white);
  for (double v : white) EXPECT_NEAR(v, 1.0, 1e-12);

  // The destination's luminance of a source colour follows the von Kries
  // scaling, not the plain XYZ round trip.
  double mSrc[9], mDst[9], mInv[9], plain[9];
  src.getXyzMatrix(mSrc);
  dst.getXyzMatrix(mDst);
  bool ok = false;
  invMat(mDst, mInv, ok);
  mulRgbMat(mInv, mSrc, plain);
  double plainWhite[3];
  apply(plain, {1.0, 1.0, 1.0}, plainWhite);
  EXPECT_GT(std::fabs(plainWhite[0] - 1.0), 1e-3);

  // The adaptation in XYZ, A = Mdst * m * Msrc^-1, is a pure scaling of the
  // CAT02 cone responses: gCat02Mat * A * gCat02Mat^-1 is diagonal.
  double srcInv[9], catInv[9], t1[9], a[9], t2[9], cone[9];
  invMat(mSrc, srcInv, ok);
  invMat(gCat02Mat, catInv, ok);
  mulRgbMat(mDst, m, t1);
  mulRgbMat(t1, srcInv, a);
  mulRgbMat(gCat02Mat, a, t2);
  mulRgbMat(t2, catInv, cone);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (r != c) {
        EXPECT_NEAR(cone[3 * r + c], 0.0, 1e-12) << r << c;
      }
  EXPECT_GT(std::fabs(cone[0] - cone[8]), 1e-2);
}

TEST(ConversionMatrix, RoundTripIsUnity) {
  const TestSpace a = rec709("a");
  const TestSpace b = rec2020("b", kD60);
  double there[9], back[9], product[9];
  a.getConversionMatrix(b, there);
  b.getConversionMatrix(a, back);
  mulRgbMat(back, there, product);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(product[i], gUnityMatrix[i], 1e-12) << i;
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

TEST(NameMatching, FromCharacterSkipOn) {
  const TestSpace cs = rec709("com.apple.proapps.colorspace.rec1886");
  EXPECT_EQ(cs.getNameLen(), 36u);
  EXPECT_TRUE(cs.isColorSpace("com.apple.proapps.colorspace.rec1886", 0));
  EXPECT_TRUE(cs.isColorSpace("rec1886", 29));
  EXPECT_FALSE(cs.isColorSpace("rec188", 29));
  EXPECT_FALSE(cs.isColorSpace("com.apple.proapps.colorspace.rec188", 0));
  EXPECT_TRUE(cs.isColorSpace("", 36));
  // A skip past the end of the identifier matches nothing.
  EXPECT_FALSE(cs.isColorSpace("", 37));
  EXPECT_FALSE(cs.isColorSpace(static_cast<const char*>(nullptr), 0));
}

TEST(NameMatching, BufferMayContinueAfterTheIdentifier) {
  const TestSpace cs = rec709("elvex_view");
  const unsigned char buffer[] = {'e', 'l', 'v', 'e', 'x', '_', 'v', 'i', 'e', 'w', 0xff, 'x'};
  EXPECT_TRUE(cs.isColorSpace(buffer, 0));
  EXPECT_TRUE(cs.isColorSpace(buffer + 6, 6));
  const unsigned char other[] = {'e', 'l', 'v', 'e', 'x', '_', 'v', 'i', 'e', 'W'};
  EXPECT_FALSE(cs.isColorSpace(other, 0));
  EXPECT_FALSE(cs.isColorSpace(static_cast<const unsigned char*>(nullptr), 0));
}

TEST(NameMatching, UnnamedSpaceMatchesNoName) {
  const TestSpace cs = rec709(nullptr);
  EXPECT_EQ(cs.getNameLen(), 0u);
  EXPECT_FALSE(cs.isColorSpace("", 0));
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

TEST(Failures, PrimariesOnOneLineGiveNoMatrix) {
  const TestSpace line(kD65, {0.1, 0.2}, {0.2, 0.4}, {0.3, 0.6}, "line");
  double m[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
  KvrSignal s = signalOf([&] { line.getXyzMatrix(m); });
  EXPECT_EQ(s.code(), kIllegalValue);
  EXPECT_STREQ(s.what(), "Illegal primaries: they lie on one line and give no RGB to XYZ matrix");
  EXPECT_EQ(m[0], 7.0);
  // Every computation built on the XYZ matrix fails the same way.
  EXPECT_EQ(signalOf([&] { line.getLumaMatrix(m); }).code(), kIllegalValue);
  EXPECT_EQ(signalOf([&] { line.getYPbPrMatrix(m, 4); }).code(), kIllegalValue);
  EXPECT_EQ(signalOf([&] { rec709().getConversionMatrix(line, m); }).code(), kIllegalValue);
  EXPECT_EQ(signalOf([&] { line.getConversionMatrix(rec709(), m); }).code(), kIllegalValue);
}

TEST(Failures, WhiteOnTheGamutBoundaryGivesNoMatrix) {
  // The white lies halfway between the red (0.6, 0.3) and green (0.2, 0.5) primaries.
  const TestSpace edge({0.4, 0.4}, {0.6, 0.3}, {0.2, 0.5}, {0.15, 0.06}, "edge");
  double m[9];
  KvrSignal s = signalOf([&] { edge.getXyzMatrix(m); });
  EXPECT_EQ(s.code(), kIllegalValue);
  EXPECT_STREQ(s.what(),
               "Illegal white point: it lies on the gamut boundary and gives a singular RGB to "
               "XYZ matrix");
  EXPECT_EQ(signalOf([&] { rec709().getConversionMatrix(edge, m); }).code(), kIllegalValue);
}
