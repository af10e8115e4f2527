// The built-in look and the look transform that follows a user LUT.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "kvrColorSpaces.h"
#include "kvrError.h"
#include "kvrPQ2L.h"
#include "kvrPfwl.h"
#include "kvrRgbTestSupport.h"
#include "kvrVorn2InverseToneMapCurve.h"
#include "kvrVorn2ToneMapCurve.h"
#include "kvrVorn2VideoLookTransform.h"
#include "kvrVorn2VideoLut.h"

using namespace Kalvora;

namespace {

using Interface = Vorn2VideoLutInterface;
using KalvoraTest::expectGrey;
using KalvoraTest::expectSame;
using KalvoraTest::render;
using KalvoraTest::Rgb;

// Saturated colours where the SDR chroma compressions differ, not clipped in every channel.
const Rgb kColours[] = {{0.7, 0.15, 0.15}, {0.15, 0.15, 0.7}, {0.3, 0.5, 0.6}};
const ColorSpaces kRegistry;

Rgb rgb(const LutFunc3D& f, const Rgb& in) { return render(f, in.r, in.g, in.b); }
double grey(const LutFunc3D& f, double x) { return render(f, x, x, x).g; }
double luma709(const Rgb& in) { return 0.2126 * in.r + 0.7152 * in.g + 0.0722 * in.b; }

// The look transform's grey: the neutral tone curve after its fixed inverse.
double neutralRoundTrip(double y) {
  static const Vorn2ToneMapCurve toneMap(0.5, 0.5);
  return toneMap.transform(Vorn2InverseToneMapCurve().transform(y));
}

}  // namespace

TEST(Vorn2VideoLut, GreyFollowsTheToneCurveAndTheTargetEncoding) {
  Vorn2VideoLut lut(nullptr), shaped(nullptr), p3(nullptr);
  shaped.setTonemapParameter(0.2, 0.1);
  p3.setTargetColorSpace(kRegistry.forId(P3D65Gamma26));  // same white, DCI gamma
  const Vorn2ToneMapCurve neutral(0.5, 0.5), curve(0.2, 0.1);
  for (double x : {0.05, 0.2, 0.391, 0.65, 0.9}) {
    expectGrey(render(lut, x, x, x), neutral.transform(x), 1e-6);
    expectGrey(render(shaped, x, x, x), curve.transform(x), 1e-6);
    const double linear = Pfwl::getVideoGamma().transform(neutral.transform(x));
    expectGrey(render(p3, x, x, x), Pfwl::getDCIGamma().inverse(linear), 1e-6);
  }
  // Evaluating the chroma branch at black would divide 0 by 0.
  lut.setVideoSaturation(2.0);
  expectSame(render(lut, 0, 0, 0), {0, 0, 0});
}

TEST(Vorn2VideoLut, GammaSlopeAndPedestalActPerChannel) {
  const double x = 0.35, t = Vorn2ToneMapCurve(0.5, 0.5).transform(x);
  Vorn2VideoLut gamma(nullptr), video(nullptr);
  gamma.setGamma(1.1, Interface::Green);
  gamma.setMasterGamma(2.0);
  EXPECT_NEAR(render(gamma, x, x, x).r, std::pow(t, 1 / 2.0), 1e-6);
  EXPECT_NEAR(render(gamma, x, x, x).g, std::pow(t, 1 / 2.2), 1e-6);  // master times channel
  gamma.setGamma(0.5, Interface::Blue);
  EXPECT_NEAR(render(gamma, x, x, x).b, t, 1e-6);
  video.setSlope(2.0, Interface::Blue);
  video.setPedestal(0.1, Interface::Red);
  EXPECT_NEAR(render(video, x, x, x).b, 2 * t, 2e-6);
  expectSame(render(video, 0, 0, 0), {0.1, 0, 0});
}

TEST(Vorn2VideoLut, NoSaturationGivesTheGreyOfTheSameLuma) {
  Vorn2VideoLut none(nullptr), noHues(nullptr), neutral(nullptr);
  Vorn2VideoLookTransform noneT;  // the look transform: its tone curve after the inverse
  none.setVideoSaturation(0.0);
  noneT.setVideoSaturation(0.0);
  for (int hue = HueCurve::Green; hue <= HueCurve::Yellow; ++hue)
    noHues.setHueSaturation(HueCurve::Hue(hue), 0.0);
  for (const Rgb& in : kColours) {
    const double y = luma709(in);
    expectGrey(rgb(none, in), grey(neutral, y), 1e-6);
    expectGrey(rgb(noHues, in), grey(neutral, y), 1e-6);
    expectGrey(rgb(noneT, in), neutralRoundTrip(y), 1e-12);
  }
}

TEST(Vorn2VideoLut, RejectedControlsChangeNothing) {
  Vorn2VideoLut lut(nullptr);
  lut.setTonemapParameter(0.3, 0.4);
  const Rgb before = rgb(lut, kColours[0]);
  EXPECT_THROW(lut.setTonemapParameter(-0.1, 0.5), KvrSignal);
  EXPECT_THROW(lut.setTonemapParameter(0.5, 1.1), KvrSignal);
  EXPECT_THROW(lut.setHueSaturation(HueCurve::Magenta, -0.5), KvrSignal);
  EXPECT_THROW(lut.setHueSaturation(HueCurve::Hue(-1), 1.0), KvrSignal);
  EXPECT_THROW(lut.setGamma(2.0, Interface::Channel(3)), KvrSignal);
  EXPECT_THROW(lut.setPedestal(0.1, Interface::Channel(-1)), KvrSignal);
  expectSame(rgb(lut, kColours[0]), before);
}

TEST(Vorn2VideoLut, TargetSelectsChromaCompressionAndOutputMode) {
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.14999), ChromaCurve::kSmallGamut);
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.15000000596046448), ChromaCurve::kMediumGamut);
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.1599999964237213), ChromaCurve::kMediumGamut);
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.16), ChromaCurve::kLargeGamut);
}

TEST(Vorn2VideoLut, PqOutputStaysBetweenBlackLevelAndPeakWhite) {
  const PQ2L pq;
  const double lo = pq.inverse(0.001 / 10000);
  for (double peak : {1000.0, 2000.0, 4000.0}) {
    Vorn2VideoLut lut(nullptr);
    lut.setPeakWhite(peak);
    lut.setTargetColorSpace(kRegistry.forId(Rec2100Pq));
    const double hi = pq.inverse(peak / 10000);
    expectSame(render(lut, 0, 0, 0), {lo, lo, lo});
    double highest = 0;
    for (int i = 0; i < 729; ++i) {
      const int r = i / 81, g = i / 9 % 9, b = i % 9;
      const Rgb out = render(lut, r / 8.0, g / 8.0, b / 8.0);
      ASSERT_TRUE(std::min({out.r, out.g, out.b}) >= lo && std::max({out.r, out.g, out.b}) <= hi);
      highest = std::max({highest, out.r, out.g, out.b});
    }
    EXPECT_EQ(highest, hi) << "peak " << peak;
  }
}

TEST(Vorn2VideoLut, HdrIgnoresTheSdrControlsAndFailsForOtherDiffuseWhites) {
  Vorn2VideoLut plain(nullptr), styled(nullptr), less(nullptr);
  for (Vorn2VideoLut* lut : {&plain, &styled, &less})
    lut->setTargetColorSpace(kRegistry.forId(Rec2100Pq));
  styled.setTonemapParameter(0.1, 0.2);
  styled.setHueSaturation(HueCurve::Blue, 2.0);
  styled.setMasterGamma(1.5);
  styled.setPedestal(0.2, Interface::Blue);
  less.setVideoSaturation(0.5);
  for (const Rgb& in : kColours) expectSame(rgb(styled, in), rgb(plain, in));
  EXPECT_NE(rgb(less, kColours[1]).b, rgb(plain, kColours[1]).b);

  // The luma curve rejects a diffuse white of 150, but the value is kept:
  // black still renders, anything with light fails.
  EXPECT_THROW(plain.setDiffuseWhite(150), KvrSignal);
  EXPECT_EQ(plain.getDiffuseWhite(), 150.0);
  EXPECT_NO_THROW(render(plain, 0, 0, 0));
  EXPECT_THROW(render(plain, 0.5, 0.5, 0.5), KvrSignal);
  const double grey[2] = {0.0, 0.5}, blue[2] = {0.0, 0.7};  // the block form refuses it too
  double out[3][2];
  EXPECT_THROW(plain.transformBlock(grey, grey, blue, out[0], out[1], out[2], 2), KvrSignal);
}

TEST(Vorn2VideoLookTransform, UsedAfterAnyLookSetterAndUnusedAfterReset) {
  using T = Vorn2VideoLookTransform;
  const std::function<void(T&)> setters[] = {[](T& t) { t.setHueSaturation(HueCurve::Cyan, 1.2); },
                                             [](T& t) { t.setVideoSaturation(1.0); },
                                             [](T& t) { t.setTonemapParameter(0.5, 0.5); },
                                             [](T& t) { t.setCombinedGamma(1.0, T::Green); },
                                             [](T& t) { t.setSlope(1.0, T::Blue); },
                                             [](T& t) { t.setPedestal(0.0, T::Red); }};
  for (const auto& set : setters) {
    T look;
    look.setTargetColorSpace(kRegistry.forId(Rec2020Gamma24));  // the target alone: unused
    EXPECT_FALSE(look.isUsed());
    set(look);
    EXPECT_TRUE(look.isUsed());
    look.reset();
    EXPECT_FALSE(look.isUsed());
  }
}
