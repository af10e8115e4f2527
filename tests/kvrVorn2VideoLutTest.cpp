#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kvrChromaCurve.h"
#include "kvrChromaLumaCurve.h"
#include "kvrColorSpaces.h"
#include "kvrError.h"
#include "kvrHermiteSpline.h"
#include "kvrLumaCurve.h"
#include "kvrMath.h"
#include "kvrPQ2L.h"
#include "kvrPfwl.h"
#include "kvrRgbTestSupport.h"
#include "kvrVideoCurve.h"
#include "kvrVorn2ToneMapCurve.h"
#include "kvrVorn2VideoLut.h"

using namespace Kalvora;

namespace {

using Interface = Vorn2VideoLutInterface;

using KalvoraTest::expectGrey;
using KalvoraTest::expectSame;
using KalvoraTest::render;
using KalvoraTest::Rgb;

void expectSignal(const std::function<void()>& call, ErrorCode code) {
  try {
    call();
    ADD_FAILURE() << "no signal";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), code);
  }
}

// Saturated pixels whose chroma magnitude (about 0.4) lies where the three SDR
// chroma compressions differ, dark enough not to clip every channel.
const Rgb kReddish = {0.7, 0.15, 0.15};
const Rgb kBluish = {0.15, 0.15, 0.7};

bool differ(const Rgb& a, const Rgb& b) { return a.r != b.r || a.g != b.g || a.b != b.b; }

// ---- interface -------------------------------------------------------------

// Records the combined gammas that the interface hands on.
class GammaSpy : public Interface {
public:
  void setHueSaturation(HueCurve::Hue, double) override {}
  void setVideoSaturation(double) override {}
  void setTonemapParameter(double, double) override {}
  void setCombinedGamma(double value, Channel k) override { calls.emplace_back(value, k); }
  void setSlope(double, Channel) override {}
  void setPedestal(double, Channel) override {}
  void setTargetColorSpace(const ColorSpaceInfo*) override {}

  std::vector<std::pair<double, int>> calls;
};

TEST(Vorn2VideoLutInterface, CombinedGammaIsMasterTimesChannel) {
  GammaSpy spy;
  EXPECT_EQ(spy.getMasterGamma(), 1.0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(spy.getGamma(Interface::Channel(k)), 1.0);

  spy.setGamma(1.1, Interface::Green);
  ASSERT_EQ(spy.calls.size(), 1u);
  EXPECT_EQ(spy.calls[0], std::make_pair(1.1, 1));

  spy.calls.clear();
  spy.setMasterGamma(2.0);
  ASSERT_EQ(spy.calls.size(), 3u);
  EXPECT_EQ(spy.calls[0], std::make_pair(2.0, 0));
  EXPECT_DOUBLE_EQ(spy.calls[1].first, 2.2);
  EXPECT_EQ(spy.calls[1].second, 1);
  EXPECT_EQ(spy.calls[2], std::make_pair(2.0, 2));

  spy.calls.clear();
  spy.setGamma(0.5, Interface::Blue);
  ASSERT_EQ(spy.calls.size(), 1u);
  EXPECT_EQ(spy.calls[0], std::make_pair(1.0, 2));
  EXPECT_EQ(spy.getMasterGamma(), 2.0);
  EXPECT_EQ(spy.getGamma(Interface::Blue), 0.5);
}

TEST(Vorn2VideoLutInterface, ChannelOutsideRgbIsRejected) {
  GammaSpy spy;
  expectSignal([&] { spy.setGamma(2.0, Interface::Channel(3)); }, kIllegalIndex);
  expectSignal([&] { spy.setGamma(2.0, Interface::Channel(-1)); }, kIllegalIndex);
  EXPECT_TRUE(spy.calls.empty());
  Vorn2VideoLut lut(nullptr);
  expectSignal([&] { lut.setSlope(2.0, Interface::Channel(3)); }, kIllegalIndex);
  expectSignal([&] { lut.setPedestal(0.1, Interface::Channel(7)); }, kIllegalIndex);
  expectSignal([&] { lut.setCombinedGamma(2.0, Interface::Channel(-2)); }, kIllegalIndex);
}

// ---- SDR -------------------------------------------------------------------

TEST(Vorn2VideoLut, BlackHasNoChroma) {
  // Evaluating the chroma branch at zero chroma would divide 0 by 0.
  Vorn2VideoLut lut(nullptr);
  expectSame(render(lut, 0, 0, 0), {0, 0, 0});
  lut.setTonemapParameter(0.0, 0.0);
  lut.setVideoSaturation(2.0);
  expectSame(render(lut, 0, 0, 0), {0, 0, 0});
}

TEST(Vorn2VideoLut, NeutralGreyFollowsTheToneCurve) {
  // Rec.1886 decodes with the same video gamma that linearises the look, and
  // the gamut matrix keeps greys grey.
  Vorn2VideoLut lut(nullptr);
  const Vorn2ToneMapCurve neutral(0.5, 0.5);
  for (double x : {0.05, 0.2, 0.391, 0.5, 0.65, 0.9, 1.0})
    expectGrey(render(lut, x, x, x), neutral.transform(x), 1e-6);

  lut.setTonemapParameter(0.2, 0.1);
  const Vorn2ToneMapCurve shaped(0.2, 0.1);
  for (double x : {0.05, 0.2, 0.391, 0.5, 0.65, 0.9})
    expectGrey(render(lut, x, x, x), shaped.transform(x), 1e-6);
}

TEST(Vorn2VideoLut, GreyFollowsTheTargetEncoding) {
  // P3 D65 shares the Rec.1886 white: a grey keeps its linear light and is
  // encoded with the DCI gamma.
  ColorSpaces registry;
  Vorn2VideoLut lut(nullptr);
  lut.setTargetColorSpace(registry.forId(P3D65Gamma26));
  const Vorn2ToneMapCurve neutral(0.5, 0.5);
  for (double x : {0.1, 0.4, 0.7}) {
    const double linear = Pfwl::getVideoGamma().transform(neutral.transform(x));
    expectGrey(render(lut, x, x, x), Pfwl::getDCIGamma().inverse(linear), 1e-6);
  }
}

TEST(Vorn2VideoLut, GammaSlopeAndPedestalPerChannel) {
  const Vorn2ToneMapCurve neutral(0.5, 0.5);
  const double x = 0.35;
  const double t = neutral.transform(x);

  Vorn2VideoLut lut(nullptr);
  lut.setGamma(1.1, Interface::Green);
  lut.setMasterGamma(2.0);
  Rgb out = render(lut, x, x, x);
  EXPECT_NEAR(out.r, std::pow(t, 1 / 2.0), 1e-6);
  EXPECT_NEAR(out.g, std::pow(t, 1 / 2.2), 1e-6);
  EXPECT_NEAR(out.b, std::pow(t, 1 / 2.0), 1e-6);

  Vorn2VideoLut video(nullptr);
  video.setSlope(2.0, Interface::Blue);
  video.setPedestal(0.1, Interface::Red);
  out = render(video, x, x, x);
  EXPECT_NEAR(out.b, 2 * t, 2e-6);
  EXPECT_NEAR(out.g, t, 1e-6);
  EXPECT_NE(out.r, out.g);
  expectSame(render(video, 0, 0, 0), {0.1, 0, 0});
}

TEST(Vorn2VideoLut, NoSaturationGivesTheGreyOfTheSameLuma) {
  Vorn2VideoLut desaturated(nullptr);
  desaturated.setVideoSaturation(0.0);
  Vorn2VideoLut noHues(nullptr);
  for (int hue = HueCurve::Green; hue <= HueCurve::Yellow; ++hue)
    noHues.setHueSaturation(HueCurve::Hue(hue), 0.0);

  Vorn2VideoLut neutral(nullptr);
  for (const Rgb& in : {kReddish, kBluish}) {
    const double y = 0.2126 * in.r + 0.7152 * in.g + 0.0722 * in.b;
    const Rgb grey = render(neutral, y, y, y);
    const Rgb a = render(desaturated, in.r, in.g, in.b);
    const Rgb b = render(noHues, in.r, in.g, in.b);
    expectGrey(a, grey.g, 1e-6);
    expectGrey(b, grey.g, 1e-6);
  }
}

TEST(Vorn2VideoLut, RejectedControlsChangeNothing) {
  Vorn2VideoLut lut(nullptr);
  lut.setTonemapParameter(0.3, 0.4);
  const Rgb before = render(lut, kReddish.r, kReddish.g, kReddish.b);
  expectSignal([&] { lut.setTonemapParameter(-0.1, 0.5); }, kIllegalValue);
  expectSignal([&] { lut.setTonemapParameter(0.5, 1.1); }, kIllegalValue);
  expectSignal([&] { lut.setHueSaturation(HueCurve::Magenta, 2.5); }, kIllegalValue);
  expectSame(render(lut, kReddish.r, kReddish.g, kReddish.b), before);
}

// ---- target selection --------------------------------------------------------

TEST(Vorn2VideoLut, ChromaCompressionByGamutArea) {
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.14999), ChromaCurve::kSmallGamut);
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.15000000596046448), ChromaCurve::kMediumGamut);
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.155), ChromaCurve::kMediumGamut);
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.1599999964237213), ChromaCurve::kMediumGamut);
  EXPECT_EQ(Vorn2VideoLut::chromaCurveTypeForGamut(0.16), ChromaCurve::kLargeGamut);

  ColorSpaces registry;
  const auto typeOf = [&](ColorSpace id) {
    return Vorn2VideoLut::chromaCurveTypeForGamut(registry.forId(id)->gamutSize());
  };
  EXPECT_EQ(typeOf(Rec1886), ChromaCurve::kSmallGamut);
  EXPECT_EQ(typeOf(P3DciGamma26), ChromaCurve::kMediumGamut);
  EXPECT_EQ(typeOf(P3D65Gamma26), ChromaCurve::kMediumGamut);
  EXPECT_EQ(typeOf(P3D60Gamma26), ChromaCurve::kMediumGamut);
  EXPECT_EQ(typeOf(Rec2020Gamma24), ChromaCurve::kLargeGamut);
  EXPECT_EQ(typeOf(AcesProxy), ChromaCurve::kLargeGamut);
}

TEST(Vorn2VideoLut, OutputModesFollowTheTarget) {
  ColorSpaces registry;
  Vorn2VideoLut pq(nullptr), hlg(nullptr), sdr(nullptr);
  pq.setTargetColorSpace(registry.forId(Rec2100Pq));
  hlg.setTargetColorSpace(registry.forId(Rec2100Hlg));
  EXPECT_TRUE(pq.isPq());
  EXPECT_FALSE(pq.isHlg());
  EXPECT_TRUE(hlg.isHlg());
  EXPECT_FALSE(hlg.isPq());

  Vorn2VideoLut lut(nullptr);
  lut.setTargetColorSpace(registry.forId(Rec2100Pq));
  lut.setTargetColorSpace(registry.forId(Rec2100Hlg));
  EXPECT_TRUE(lut.isHlg());
  EXPECT_FALSE(lut.isPq());
  for (const Rgb& in : {kReddish, kBluish, Rgb{0.5, 0.5, 0.5}})
    expectSame(render(lut, in.r, in.g, in.b), render(hlg, in.r, in.g, in.b));

  lut.setTargetColorSpace(registry.forId(Rec1886));
  EXPECT_FALSE(lut.isHlg());
  EXPECT_FALSE(lut.isPq());
  for (const Rgb& in : {kReddish, kBluish, Rgb{0.5, 0.5, 0.5}})
    expectSame(render(lut, in.r, in.g, in.b), render(sdr, in.r, in.g, in.b));
}

// ---- HDR ---------------------------------------------------------------------

TEST(Vorn2VideoLut, PqOutputStaysBetweenBlackLevelAndPeakWhite) {
  const PQ2L pq;
  const double lo = pq.inverse(0.001 / 10000);
  EXPECT_NEAR(lo, 0.0063024, 5e-8);
  ColorSpaces registry;

  for (double peak : {1000.0, 2000.0, 4000.0}) {
    Vorn2VideoLut lut(nullptr);
    lut.setPeakWhite(peak);
    lut.setTargetColorSpace(registry.forId(Rec2100Pq));
    const double hi = pq.inverse(peak / 10000);
    if (peak == 1000.0) {
      EXPECT_NEAR(hi, 0.7518271, 5e-8);
    }

    expectSame(render(lut, 0, 0, 0), {lo, lo, lo});
    double highest = 0;
    const int n = 9;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        for (int k = 0; k < n; ++k) {
          const Rgb out = render(lut, i / 8.0, j / 8.0, k / 8.0);
          for (double v : {out.r, out.g, out.b}) {
            EXPECT_GE(v, lo);
            EXPECT_LE(v, hi);
            highest = std::max(highest, v);
          }
        }
    EXPECT_EQ(highest, hi) << "peak " << peak;
  }
}

TEST(Vorn2VideoLut, HdrIgnoresTheSdrControls) {
  // The HDR path has its own luma curve and no tone curve, hue curve, chroma
  // boost or video curves.
  ColorSpaces registry;
  Vorn2VideoLut plain(nullptr), styled(nullptr);
  plain.setTargetColorSpace(registry.forId(Rec2100Pq));
  styled.setTargetColorSpace(registry.forId(Rec2100Pq));
  styled.setTonemapParameter(0.1, 0.2);
  styled.setHueSaturation(HueCurve::Red, 0.0);
  styled.setHueSaturation(HueCurve::Blue, 2.0);
  styled.setMasterGamma(1.5);
  styled.setSlope(0.5, Interface::Green);
  styled.setPedestal(0.2, Interface::Blue);
  for (const Rgb& in : {kReddish, kBluish, Rgb{0.3, 0.3, 0.3}})
    expectSame(render(styled, in.r, in.g, in.b), render(plain, in.r, in.g, in.b));

  Vorn2VideoLut less(nullptr);
  less.setTargetColorSpace(registry.forId(Rec2100Pq));
  less.setVideoSaturation(0.5);
  EXPECT_TRUE(differ(render(less, kBluish.r, kBluish.g, kBluish.b),
                     render(plain, kBluish.r, kBluish.g, kBluish.b)));
}

TEST(Vorn2VideoLut, HdrFailsForOtherDiffuseWhites) {
  ColorSpaces registry;
  for (ColorSpace id : {Rec2100Pq, Rec2100Hlg}) {
    Vorn2VideoLut lut(nullptr);
    lut.setTargetColorSpace(registry.forId(id));
    // The luma curve rejects it first, but the value is kept.
    EXPECT_THROW(lut.setDiffuseWhite(150), KvrSignal);
    EXPECT_EQ(lut.getDiffuseWhite(), 150.0);

    Rgb out;
    EXPECT_NO_THROW(lut.transform(0, 0, 0, out.r, out.g, out.b));
    for (const Rgb& in : {kReddish, Rgb{0.5, 0.5, 0.5}, Rgb{1, 1, 1}}) {
      try {
        lut.transform(in.r, in.g, in.b, out.r, out.g, out.b);
        ADD_FAILURE() << "no signal";
      } catch (const KvrSignal& signal) {
        EXPECT_EQ(signal.code(), kIllegalValue);
        const std::string where = signal.where();
        EXPECT_EQ(where.rfind("src/kvrVorn2VideoLut:", 0), 0u) << where;
        EXPECT_EQ(where.substr(where.size() - 6), " ERROR");
      }
    }
  }
  // SDR does not look at the diffuse white.
  Vorn2VideoLut sdr(nullptr);
  EXPECT_THROW(sdr.setDiffuseWhite(150), KvrSignal);
  Rgb out;
  EXPECT_NO_THROW(sdr.transform(0.5, 0.5, 0.5, out.r, out.g, out.b));
}

TEST(Vorn2VideoLut, HlgSignalEncoding) {
  Vorn2VideoLut lut(nullptr);
  const auto eotf = [&](double x) {
    lut.applyEotf(x);
    return x;
  };
  EXPECT_EQ(eotf(0.0), 0.0);
  EXPECT_EQ(eotf(0.25), 0.25);
  // 1/12 of full scale, scaled by 12, meets the logarithmic branch at 0.5.
  EXPECT_EQ(eotf(12 * (1.0 / 12)), 0.5);
  EXPECT_NEAR(eotf(std::nextafter(1.0, 2.0)), 0.5, 1e-7);
  EXPECT_NEAR(eotf(1.0 + 1e-9), 0.5, 1e-7);
  EXPECT_NEAR(eotf(12.0), 1.0, 1e-6);
}

// ---- exact rendering ---------------------------------------------------------

}  // namespace
