#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "kvrColorSpaces.h"
#include "kvrError.h"
#include "kvrRgbTestSupport.h"
#include "kvrVorn2InverseToneMapCurve.h"
#include "kvrVorn2ToneMapCurve.h"
#include "kvrVorn2VideoLookTransform.h"

using namespace Kalvora;

namespace {

using Setter = std::function<void(Vorn2VideoLookTransform&)>;

using KalvoraTest::expectGrey;
using KalvoraTest::expectSame;
using KalvoraTest::render;
using KalvoraTest::Rgb;

// The neutral tone curve applied after its fixed inverse.
double neutralRoundTrip(double y) {
  static const Vorn2ToneMapCurve toneMap(0.5, 0.5);
  static const Vorn2InverseToneMapCurve inverse;
  return toneMap.transform(inverse.transform(y));
}

const std::vector<Setter>& lookSetters() {
  using T = Vorn2VideoLookTransform;
  static const std::vector<Setter> setters = {
      [](T& t) { t.setHueSaturation(HueCurve::Cyan, 1.2); },
      [](T& t) { t.setVideoSaturation(1.0); },
      [](T& t) { t.setTonemapParameter(0.5, 0.5); },
      [](T& t) { t.setCombinedGamma(1.0, T::Green); },
      [](T& t) { t.setSlope(1.0, T::Blue); },
      [](T& t) { t.setPedestal(0.0, T::Red); },
      [](T& t) { t.setMasterGamma(1.0); },
      [](T& t) { t.setGamma(1.0, T::Red); },
  };
  return setters;
}

TEST(Vorn2VideoLookTransform, UsedAfterAnyLookSetter) {
  for (size_t i = 0; i < lookSetters().size(); ++i) {
    Vorn2VideoLookTransform look;
    EXPECT_FALSE(look.isUsed());
    lookSetters()[i](look);
    EXPECT_TRUE(look.isUsed()) << "setter " << i;
    look.reset();
    EXPECT_FALSE(look.isUsed()) << "setter " << i;
  }
}

TEST(Vorn2VideoLookTransform, TargetAloneAndRejectedSettersLeaveItUnused) {
  ColorSpaces registry;
  Vorn2VideoLookTransform look;
  look.setTargetColorSpace(registry.forId(Rec2020Gamma24));
  look.setTargetColorSpace(nullptr);
  EXPECT_FALSE(look.isUsed());
  EXPECT_THROW(look.setHueSaturation(HueCurve::Red, 2.5), KvrSignal);
  EXPECT_THROW(look.setTonemapParameter(0.5, -1.0), KvrSignal);
  EXPECT_THROW(look.setSlope(1.0, Vorn2VideoLookTransform::Channel(3)), KvrSignal);
  EXPECT_FALSE(look.isUsed());
}

TEST(Vorn2VideoLookTransform, NeutralGreyOnlyPassesTheToneCurveRoundTrip) {
  Vorn2VideoLookTransform look;
  for (double x : {0.0, 0.05, 0.2, 0.5, 0.8, 1.0})
    expectGrey(render(look, x, x, x), neutralRoundTrip(x), 1e-6);
  // At the knots of the inverse the round trip returns the input.
  expectGrey(render(look, 0.417512, 0.417512, 0.417512), 0.417512, 2e-6);
}

TEST(Vorn2VideoLookTransform, LumaRowFollowsTheTarget) {
  // Without chroma each primary becomes the grey of its luma weight.
  ColorSpaces registry;
  const struct {
    ColorSpace id;
    double weights[3];
  } cases[] = {
      {Rec1886, {0.2126, 0.7152, 0.0722}},
      {Rec2020Gamma24, {0.2627, 0.678, 0.0593}},
  };
  for (const auto& c : cases) {
    Vorn2VideoLookTransform look;
    look.setTargetColorSpace(registry.forId(c.id));
    look.setVideoSaturation(0.0);
    for (int k = 0; k < 3; ++k) {
      const Rgb out = render(look, k == 0, k == 1, k == 2);
      expectGrey(out, neutralRoundTrip(c.weights[k]), 1e-12);
    }
  }
}

TEST(Vorn2VideoLookTransform, NeutralLookKeepsColoursInTheTargetSignal) {
  ColorSpaces registry;
  for (ColorSpace id : {Rec1886, Rec2020Gamma24, P3D65Gamma26}) {
    Vorn2VideoLookTransform look;
    look.setTargetColorSpace(registry.forId(id));
    for (const Rgb& in : {Rgb{0.7, 0.5, 0.4}, Rgb{0.3, 0.5, 0.6}, Rgb{0.45, 0.6, 0.35}}) {
      const Rgb out = render(look, in.r, in.g, in.b);
      EXPECT_NEAR(out.r, in.r, 2e-3);
      EXPECT_NEAR(out.g, in.g, 2e-3);
      EXPECT_NEAR(out.b, in.b, 2e-3);
    }
  }
}

TEST(Vorn2VideoLookTransform, SaturationAndHueScaleChroma) {
  Vorn2VideoLookTransform none, hues;
  none.setVideoSaturation(0.0);
  for (int hue = HueCurve::Green; hue <= HueCurve::Yellow; ++hue)
    hues.setHueSaturation(HueCurve::Hue(hue), 0.0);
  const Rgb in = {0.7, 0.4, 0.3};
  const double y = 0.2126 * in.r + 0.7152 * in.g + 0.0722 * in.b;
  expectGrey(render(none, in.r, in.g, in.b), neutralRoundTrip(y), 1e-12);
  expectGrey(render(hues, in.r, in.g, in.b), neutralRoundTrip(y), 1e-12);

  // Doubling the chroma moves every channel twice as far from the grey.
  Vorn2VideoLookTransform neutral, twice;
  twice.setVideoSaturation(2.0);
  const Rgb base = render(neutral, in.r, in.g, in.b);
  const Rgb more = render(twice, in.r, in.g, in.b);
  const double grey = neutralRoundTrip(y);
  EXPECT_NEAR(more.r - grey, 2 * (base.r - grey), 1e-12);
  EXPECT_NEAR(more.g - grey, 2 * (base.g - grey), 1e-12);
  EXPECT_NEAR(more.b - grey, 2 * (base.b - grey), 1e-12);
}

TEST(Vorn2VideoLookTransform, ResetRestoresToneSaturationAndHue) {
  ColorSpaces registry;
  Vorn2VideoLookTransform fresh, look;
  fresh.setTargetColorSpace(registry.forId(P3D65Gamma26));
  look.setTargetColorSpace(registry.forId(P3D65Gamma26));
  look.setTonemapParameter(0.2, 0.9);
  look.setVideoSaturation(1.6);
  look.setHueSaturation(HueCurve::Green, 0.3);
  look.setHueSaturation(HueCurve::Magenta, 1.9);
  const Rgb in = {0.35, 0.6, 0.5};
  EXPECT_NE(render(look, in.r, in.g, in.b).g, render(fresh, in.r, in.g, in.b).g);
  look.reset();
  expectSame(render(look, in.r, in.g, in.b), render(fresh, in.r, in.g, in.b));
}

TEST(Vorn2VideoLookTransform, ToneCurveReshapesLuma) {
  Vorn2VideoLookTransform look;
  look.setTonemapParameter(0.2, 0.1);
  const Vorn2ToneMapCurve shaped(0.2, 0.1);
  const Vorn2InverseToneMapCurve inverse;
  for (double x : {0.1, 0.4, 0.7})
    expectGrey(render(look, x, x, x), shaped.transform(inverse.transform(x)), 1e-6);
}

}  // namespace
