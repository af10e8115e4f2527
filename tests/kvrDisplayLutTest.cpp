#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kvrColorConversionLut.h"
#include "kvrColorSpaces.h"
#include "kvrElvex.h"
#include "kvrElvexView.h"
#include "kvrError.h"
#include "kvrKestaLegacyView.h"
#include "kvrMath.h"
#include "kvrPfwl.h"

using namespace Kalvora;

namespace {

using ColorRange = FalseColorLut::ColorRange;

const double kW = DisplayLut::kMinBandWidth;

// Rec.709 (or P3 D65) primaries and white with a chosen identifier and
// transfer functions.
class TestSpace : public ColorSpaceInfo {
public:
  TestSpace(const char* name, const LutFunc& lin, const LutFunc& gamma, bool p3 = false)
      : ColorSpaceInfo(
            Chromaticity(0.3127, 0.329), Chromaticity(p3 ? 0.68 : 0.64, p3 ? 0.32 : 0.33),
            Chromaticity(p3 ? 0.265 : 0.3, p3 ? 0.69 : 0.6), Chromaticity(0.15, 0.06), name),
        lin_(&lin),
        gamma_(&gamma) {}
  const LutFunc* getLinLut(bool) const override { return lin_; }
  const LutFunc* getGammaLut(int, bool) const override { return gamma_; }

private:
  const LutFunc* lin_;
  const LutFunc* gamma_;
};

const LutFuncGain kHalf(LutFunc::sUnity, 0.5), kTwice(LutFunc::sUnity, 2.0);

// Exposes the false-colour tables.
class InspectedLut : public ColorConversionLut {
public:
  using ColorConversionLut::ColorConversionLut;
  const ColorRange* videoRanges() const { return videoRanges_; }
  const ColorRange* elvexRanges() const { return elvexRanges_; }
};

void expectColour(const LutFuncRgb& lut, double x, const double (&colour)[3]) {
  double rgb[3];
  lut.transform(x, rgb[0], rgb[1], rgb[2]);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(rgb[k], colour[k]) << "at " << x << ", channel " << k;
}

void expectGrey(const LutFuncRgb& lut, double x, double v) {
  double rgb[3];
  lut.transform(x, rgb[0], rgb[1], rgb[2]);
  for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(rgb[k], v) << "at " << x << ", channel " << k;
}

template <class Work>
void expectSignal(Work&& work, const char* message) {
  try {
    work();
    ADD_FAILURE() << "no failure, expected \"" << message << "\"";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kIllegalValue);
    EXPECT_STREQ(signal.what(), message);
    EXPECT_EQ(std::string(signal.where()).rfind("src/kvrDisplayLut:", 0), 0u) << signal.where();
  }
}

// Every channel of the display encoding is f.
void expectEncoding(DisplayLut& lut, const LutFunc* f) {
  const auto* triple = dynamic_cast<const LutFuncTriple*>(lut.getGammaLut());
  ASSERT_NE(triple, nullptr);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(&triple->getColorChannel(k), f) << k;
}

TEST(DisplayLutViewing, SaturationMustBePositive) {
  ElvexView view;
  ColorConversionLut lut(&view, &view);
  for (double bad : {0.0, -0.5, std::numeric_limits<double>::quiet_NaN()})
    expectSignal([&] { lut.setViewingSaturation(bad); }, "Illegal viewing saturation");
  EXPECT_NO_THROW(lut.setViewingSaturation(1e-9));
}

}  // namespace

TEST(DisplayLutBands, SeparationPushesLowerBandsDownAndStretchesTheOuterOnes) {
  ColorRange two[2] = {{0.1, 0.3, 0, 0, 0}, {0.2, 0.25, 1, 1, 1}};
  DisplayLut::setMinValuesByLimits(two, 2, 0.1);
  EXPECT_EQ(two[0].min, 0.0);
  EXPECT_DOUBLE_EQ(two[0].max, 0.15);
  EXPECT_DOUBLE_EQ(two[1].min, 0.15);
  EXPECT_EQ(two[1].max, 1.001);
  EXPECT_EQ(two[1].red, 1.0);  // colours untouched

  ColorRange three[3] = {{0.2, 0.4, 0, 0, 0}, {0.5, 0.5, 0, 0, 0}, {0.6, 0.9, 0, 0, 0}};
  DisplayLut::setMinValuesByLimits(three, 3, 0.05);
  EXPECT_EQ(three[0].max, 0.4);  // already below the next band
  EXPECT_DOUBLE_EQ(three[1].min, 0.45);
  EXPECT_EQ(three[1].max, 0.5);
  EXPECT_EQ(three[2].min, 0.6);

  // One row is stretched; no rows or no table change nothing.
  ColorRange one[1] = {{0.3, 0.31, 0, 0, 0}};
  DisplayLut::setMinValuesByLimits(one, 1, 0.1);
  EXPECT_EQ(one[0].min, 0.0);
  EXPECT_EQ(one[0].max, 1.001);
  ColorRange untouched[1] = {{0.3, 0.2, 0, 0, 0}};
  for (int n : {0, -1, -100}) {
    DisplayLut::setMinValuesByLimits(untouched, n, 0.1);
    EXPECT_EQ(untouched[0].min, 0.3);
    EXPECT_EQ(untouched[0].max, 0.2);
  }
  DisplayLut::setMinValuesByLimits(nullptr, 3, 0.1);
}

TEST(ColorConversionLut, SameIdentifierIsTheIdentityUntilFalseColourIsOn) {
  const Pfwl& video = Pfwl::getVideoGamma();
  TestSpace rec1886("rec1886", video, LutFunc::sUnity);
  TestSpace sameName("rec1886", LutFunc::sUnity, LutFunc::sUnity, true);
  ColorConversionLut lut(&rec1886, &sameName);
  EXPECT_TRUE(lut.isIdentity());
  EXPECT_TRUE(lut.isUnity());
  EXPECT_EQ(lut.getGammaLut(), &LutFuncRgb::sUnity);
  EXPECT_EQ(lut.getLinLut(), &LutFunc::sUnity);

  EXPECT_FALSE(lut.setFalseColor(true));
  EXPECT_FALSE(lut.isUnity());
  EXPECT_TRUE(lut.isIdentity());
  EXPECT_EQ(lut.getLinLut(), &video);
  // In false colour the matrix is the source's luma matrix.
  double luma[9], m[9];
  rec1886.getLumaMatrix(luma);
  lut.getColorMatrix(m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], luma[i]) << i;
  EXPECT_TRUE(lut.setFalseColor(false));
  EXPECT_TRUE(lut.setVideoFalseColorMode(DisplayLinear));
}

TEST(ColorConversionLut, HandsOutSourceLinearisationMatrixAndDestinationEncoding) {
  const Pfwl& video = Pfwl::getVideoGamma();
  InverseLutFunc encode(Pfwl::getDCIGamma());
  TestSpace rec709("rec709", video, LutFunc::sUnity);
  TestSpace p3("p3", LutFunc::sUnity, encode, true);
  ColorConversionLut lut(&rec709, &p3);
  EXPECT_FALSE(lut.isIdentity());
  EXPECT_EQ(lut.getLinLut(), &video);
  expectEncoding(lut, &encode);

  double expected[9], m[9];
  rec709.getConversionMatrix(p3, expected);
  lut.setViewingSaturation(0.5);  // not applied to a colour space display
  lut.getColorMatrix(m);
  EXPECT_NE(m[0], 1.0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], expected[i]) << i;

  lut.setDestinationColorSpace(&rec709);
  EXPECT_TRUE(lut.isIdentity());
}

TEST(DisplayLutViewing, GammaRaisesTheClampedInputUnlessOneOrZero) {
  TestSpace src("src", LutFunc::sUnity, LutFunc::sUnity);
  TestSpace dst("dst", LutFunc::sUnity, kHalf);
  ColorConversionLut lut(&src, &dst);
  lut.setViewingGamma(2.0);
  const LutFuncRgb* gamma = lut.getGammaLut();
  for (double x : {0.0, 0.09, 0.25, 0.64, 1.0}) expectGrey(*gamma, x, 0.5 * std::sqrt(x));
  expectGrey(*gamma, 4.0, 0.5);
  expectGrey(*gamma, -1.0, 0.0);
  // The painter sees the viewing gamma too.
  lut.setFalseColor(true);
  expectGrey(*lut.getGammaLut(), 0.5, 0.5 * std::sqrt(0.5));
  lut.setFalseColor(false);

  for (double off : {1.0, 0.0}) {
    lut.setViewingGamma(2.0);
    lut.setViewingGamma(off);
    expectEncoding(lut, &kHalf);
  }
}

TEST(DisplayLutFalseColour, LogSourcePaintsTheElvexBandsDirectly) {
  ElvexView view;
  ColorConversionLut lut(&view, &view);
  lut.setFalseColor(true);
  const LutFuncRgb& painter = *lut.getGammaLut();
  expectColour(painter, 0.22, DisplayLut::sPink);
  expectGrey(painter, 0.2, 0.2);
  expectGrey(painter, 0.15, 0.15);
  expectColour(painter, 1.0, DisplayLut::sRed);
  expectGrey(painter, -0.01, -0.01);
  expectGrey(painter, 0.12870000302791595, 0.12870000302791595);
  expectColour(painter, 0.1287, DisplayLut::sGreen);
  EXPECT_EQ(lut.getLinLut(), &LutFunc::sUnity);
}

TEST(DisplayLutFalseColour, DisplayLinearBandsAreEncodedForTheDisplay) {
  InverseLutFunc encode(Pfwl::getVideoGamma());
  TestSpace rec1886("rec1886", Pfwl::getVideoGamma(), encode);
  InspectedLut lut(&rec1886, &rec1886);
  lut.setVideoFalseColorMode(DisplayLinear);
  lut.setFalseColor(true);
  const LutFuncRgb& painter = *lut.getGammaLut();
  const ColorRange* rows = lut.videoRanges();
  EXPECT_EQ(rows[0].min, 0.0);
  EXPECT_EQ(rows[0].max, encode.transform(0.0019000000320374966));
  EXPECT_EQ(rows[2].min, encode.transform(0.10339999943971634));
  EXPECT_EQ(rows[4].max, encode.transform(0.9753999710083008));
  EXPECT_EQ(rows[5].max, 1.001);
  // The painter encodes linear luminance and compares with the bands.
  expectColour(painter, 0.11, DisplayLut::sGreen);
  expectColour(painter, 0.1287, DisplayLut::sGreen);
  expectColour(painter, 0.22, DisplayLut::sPink);
  expectColour(painter, 1.0, DisplayLut::sRed);
  expectGrey(painter, 0.5, encode.transform(0.5));
}

TEST(DisplayLutFalseColour, ElvexBandsReachVideoThroughTheGreyScaleCurve) {
  // Source and display share one transfer curve pair, so a log bound b lands
  // at encode(decode(gray(b))), i.e. at gray(b) up to rounding.
  const Pfwl& video = Pfwl::getVideoGamma();
  InverseLutFunc encode(video);
  TestSpace src("video source", video, encode);
  TestSpace dst("video display", video, encode);
  InspectedLut lut(&src, &dst);
  lut.setVideoGrayScaleCurve(&kHalf);
  lut.setFalseColor(true);
  const LutFuncRgb& painter = *lut.getGammaLut();
  const ColorRange* rows = lut.videoRanges();
  EXPECT_NEAR(rows[2].min, 0.5 * 0.10339999943971634, 1e-12);
  EXPECT_NEAR(rows[3].max, 0.5 * 0.24729999899864197, 1e-12);
  EXPECT_EQ(rows[5].max, 1.001);
  // A linear luminance whose video signal is half the log grey band is green.
  expectColour(painter, video.transform(0.5 * 0.115), DisplayLut::sGreen);
  expectColour(painter, video.transform(0.5 * 0.22), DisplayLut::sPink);

  // The default table is used in mode ElvexDefault.
  lut.setVideoFalseColorMode(ElvexDefault);
  lut.getGammaLut();
  EXPECT_NEAR(rows[2].min, 0.5 * 0.3799999952316284, 1e-12);
  expectColour(painter, video.transform(0.5 * 0.39), DisplayLut::sGreen);
}

TEST(DisplayLutFalseColour, VideoBoundsAreClampedAndSeparated) {
  TestSpace src("src", LutFunc::sUnity, LutFunc::sUnity);
  TestSpace dst("dst", LutFunc::sUnity, LutFunc::sUnity);
  InspectedLut lut(&src, &dst);
  lut.setVideoGrayScaleCurve(&kTwice);
  lut.setVideoFalseColorLimits();
  const ColorRange* rows = lut.videoRanges();
  // Yellow (1.85 to 1.95) and red (1.95 to 2.2) are both clamped to 1; the
  // red band then gets the minimum width and yellow is pushed below it.
  EXPECT_EQ(rows[5].max, 1.001);
  EXPECT_EQ(rows[5].min, 1.0 - kW);
  EXPECT_EQ(rows[4].max, 1.0 - kW);
  EXPECT_EQ(rows[4].min, 1.0 - kW - kW);
  EXPECT_EQ(rows[0].min, 0.0);
  EXPECT_EQ(rows[2].min, 2.0 * 0.10339999943971634);

  lut.setVideoGrayScaleCurve(nullptr);  // back to the identity
  lut.setVideoFalseColorLimits();
  EXPECT_EQ(rows[2].min, 0.10339999943971634);

  // An unknown mode is rejected and the mode stays: display-linear bands
  // ignore the grey-scale curve that would double every bound.
  lut.setVideoGrayScaleCurve(&kTwice);
  lut.setVideoFalseColorMode(DisplayLinear);
  for (int bad : {3, -1})
    expectSignal([&] { lut.setVideoFalseColorMode(static_cast<FalseColorMode>(bad)); },
                 "Illegal false color mode");
  lut.setVideoFalseColorLimits();
  EXPECT_EQ(rows[2].min, 0.10339999943971634);
}
