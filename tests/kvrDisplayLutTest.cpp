// Display LUTs between colour spaces: identity by identifier, the viewing
// controls, and the false-colour painter with its bands.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvrColorConversionLut.h"
#include "kvrElvexView.h"
#include "kvrError.h"
#include "kvrPfwl.h"
#include "kvrTestSupport.h"

using namespace Kalvora;

namespace {

using ColorRange = FalseColorLut::ColorRange;

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

// Exposes the video false-colour bands.
class InspectedLut : public ColorConversionLut {
public:
  using ColorConversionLut::ColorConversionLut;
  const ColorRange* videoRanges() const { return videoRanges_; }
};

std::vector<double> paint(const LutFuncRgb& lut, double x) {
  std::vector<double> rgb(3);
  lut.transform(x, rgb[0], rgb[1], rgb[2]);
  return rgb;
}

std::vector<double> colour(const double (&rgb)[3]) { return {rgb[0], rgb[1], rgb[2]}; }

void expectGrey(const LutFuncRgb& lut, double x, double v) {
  for (double channel : paint(lut, x)) EXPECT_NEAR(channel, v, 1e-15) << "at " << x;
}

void expectEncoding(DisplayLut& lut, const LutFunc* f) {
  const auto* triple = dynamic_cast<const LutFuncTriple*>(lut.getGammaLut());
  ASSERT_NE(triple, nullptr);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(&triple->getColorChannel(k), f) << k;
}

}  // namespace

TEST(DisplayLutTest, BandSeparationPushesLowerBandsDownAndStretchesTheOuterOnes) {
  ColorRange three[3] = {{0.2, 0.45, 0, 0, 0}, {0.5, 0.5, 1, 1, 1}, {0.6, 0.9, 0, 0, 0}};
  DisplayLut::setMinValuesByLimits(three, 3, 0.1);
  EXPECT_EQ(three[0].min, 0.0);
  EXPECT_DOUBLE_EQ(three[0].max, 0.4);  // pushed below the next band
  EXPECT_DOUBLE_EQ(three[1].min, 0.4);
  EXPECT_EQ(three[1].max, 0.5);
  EXPECT_EQ(three[1].red, 1.0);  // colours untouched
  EXPECT_EQ(three[2].min, 0.6);  // already apart
  EXPECT_EQ(three[2].max, 1.001);
  ColorRange untouched[1] = {{0.3, 0.2, 0, 0, 0}};
  DisplayLut::setMinValuesByLimits(untouched, 0, 0.1);
  DisplayLut::setMinValuesByLimits(untouched, -1, 0.1);
  DisplayLut::setMinValuesByLimits(nullptr, 3, 0.1);
  EXPECT_EQ(untouched[0].min, 0.3);
}

TEST(DisplayLutTest, ColourSpacesWithTheSameIdentifierAreTheIdentity) {
  const Pfwl& video = Pfwl::getVideoGamma();
  InverseLutFunc encode(Pfwl::getDCIGamma());
  TestSpace rec709("rec709", video, LutFunc::sUnity),
      sameName("rec709", LutFunc::sUnity, encode, true);
  TestSpace p3("p3", LutFunc::sUnity, encode, true);
  ColorConversionLut lut(&rec709, &sameName);
  EXPECT_TRUE(lut.isIdentity());
  EXPECT_TRUE(lut.isUnity());
  EXPECT_EQ(lut.getGammaLut(), &LutFuncRgb::sUnity);
  // False colour on: the source's linearisation and luma matrix.
  EXPECT_FALSE(lut.setFalseColor(true));
  EXPECT_FALSE(lut.isUnity());
  EXPECT_EQ(lut.getLinLut(), &video);
  double expected[9], m[9];
  rec709.getLumaMatrix(expected);
  lut.getColorMatrix(m);
  EXPECT_EQ(std::vector<double>(m, m + 9), std::vector<double>(expected, expected + 9));
  EXPECT_TRUE(lut.setFalseColor(false));

  // Another display: source linearisation, the conversion matrix (without
  // viewing saturation) and the destination's encoding.
  lut.setDestinationColorSpace(&p3);
  lut.setViewingSaturation(0.5);
  EXPECT_FALSE(lut.isIdentity());
  expectEncoding(lut, &encode);
  rec709.getConversionMatrix(p3, expected);
  lut.getColorMatrix(m);
  EXPECT_EQ(std::vector<double>(m, m + 9), std::vector<double>(expected, expected + 9));
  for (double bad : {0.0, -0.5, std::numeric_limits<double>::quiet_NaN()}) {
    try {
      lut.setViewingSaturation(bad);
      ADD_FAILURE() << bad << " accepted";
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kIllegalValue);
      EXPECT_PRED2(KalvoraTest::contains, signal.what(), "saturation");
    }
  }
}

TEST(DisplayLutTest, ViewingGammaRaisesTheClampedInputUnlessOneOrZero) {
  TestSpace src("src", LutFunc::sUnity, LutFunc::sUnity), dst("dst", LutFunc::sUnity, kHalf);
  ColorConversionLut lut(&src, &dst);
  lut.setViewingGamma(2.0);
  for (double x : {0.0, 0.25, 1.0}) expectGrey(*lut.getGammaLut(), x, 0.5 * std::sqrt(x));
  expectGrey(*lut.getGammaLut(), 4.0, 0.5);
  expectGrey(*lut.getGammaLut(), -1.0, 0.0);
  lut.setFalseColor(true);  // the painter sees the viewing gamma too
  expectGrey(*lut.getGammaLut(), 0.5, 0.5 * std::sqrt(0.5));
  lut.setFalseColor(false);
  for (double off : {1.0, 0.0}) {
    lut.setViewingGamma(2.0);
    lut.setViewingGamma(off);
    expectEncoding(lut, &kHalf);
  }
}

TEST(DisplayLutTest, FalseColourPaintsTheBandsAndGreyElsewhere) {
  // A log source paints the Elvex bands directly, just above a band's bound.
  ElvexView view;
  ColorConversionLut logLut(&view, &view);
  logLut.setFalseColor(true);
  const LutFuncRgb& logPainter = *logLut.getGammaLut();
  EXPECT_EQ(paint(logPainter, 0.22), colour(DisplayLut::sPink));
  EXPECT_EQ(paint(logPainter, 1.0), colour(DisplayLut::sRed));
  EXPECT_EQ(paint(logPainter, 0.1287), colour(DisplayLut::sGreen));
  expectGrey(logPainter, 0.12870000302791595, 0.12870000302791595);
  expectGrey(logPainter, -0.01, -0.01);

  // Display-linear bands are encoded for the display.
  InverseLutFunc encode(Pfwl::getVideoGamma());
  TestSpace rec1886("rec1886", Pfwl::getVideoGamma(), encode);
  InspectedLut lut(&rec1886, &rec1886);
  lut.setVideoFalseColorMode(DisplayLinear);
  lut.setFalseColor(true);
  const LutFuncRgb& painter = *lut.getGammaLut();
  EXPECT_EQ(paint(painter, 0.11), colour(DisplayLut::sGreen));
  EXPECT_EQ(paint(painter, 1.0), colour(DisplayLut::sRed));
  expectGrey(painter, 0.5, encode.transform(0.5));
  EXPECT_EQ(lut.videoRanges()[5].max, 1.001);

  // An unknown mode is rejected and the mode stays.
  for (int bad : {3, -1})
    EXPECT_THROW(lut.setVideoFalseColorMode(static_cast<FalseColorMode>(bad)), KvrSignal) << bad;
  EXPECT_EQ(paint(painter, 0.11), colour(DisplayLut::sGreen));
}

TEST(DisplayLutTest, ElvexBandsReachVideoThroughTheGreyScaleCurve) {
  const Pfwl& video = Pfwl::getVideoGamma();
  InverseLutFunc encode(video);
  TestSpace src("video source", video, encode), dst("video display", video, encode);
  InspectedLut lut(&src, &dst);
  lut.setVideoGrayScaleCurve(&kHalf);
  lut.setFalseColor(true);
  const LutFuncRgb& painter = *lut.getGammaLut();
  // A linear luminance whose video signal is half the log grey band is green.
  EXPECT_EQ(paint(painter, video.transform(0.5 * 0.115)), colour(DisplayLut::sGreen));
  EXPECT_EQ(paint(painter, video.transform(0.5 * 0.22)), colour(DisplayLut::sPink));
  lut.setVideoFalseColorMode(ElvexDefault);
  EXPECT_EQ(paint(*lut.getGammaLut(), video.transform(0.5 * 0.39)), colour(DisplayLut::sGreen));

  // Bounds doubled past 1 are clamped; the top bands keep the minimum width.
  TestSpace plain("plain", LutFunc::sUnity, LutFunc::sUnity);
  InspectedLut clamped(&plain, &plain);
  clamped.setVideoGrayScaleCurve(&kTwice);
  clamped.setVideoFalseColorLimits();
  const ColorRange* rows = clamped.videoRanges();
  const double w = DisplayLut::kMinBandWidth;
  EXPECT_EQ(rows[5].min, 1.0 - w);
  EXPECT_EQ(rows[4].max, 1.0 - w);
  EXPECT_EQ(rows[4].min, 1.0 - 2 * w);
  EXPECT_EQ(rows[0].min, 0.0);
  const double doubled = rows[2].min;
  clamped.setVideoGrayScaleCurve(nullptr);  // back to the identity
  clamped.setVideoFalseColorLimits();
  EXPECT_EQ(rows[2].min, doubled / 2);
}
