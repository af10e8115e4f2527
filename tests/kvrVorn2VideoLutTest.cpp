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

void expectSignal(const std::function<void()>& call, ErrorCode code, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no signal";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), code);
    EXPECT_STREQ(signal.what(), message.c_str());
  }
}

// Saturated pixels whose chroma magnitude (about 0.4) lies where the three SDR
// chroma compressions differ, dark enough not to clip every channel.
const Rgb kReddish = {0.7, 0.15, 0.15};
const Rgb kBluish = {0.15, 0.15, 0.7};

const char* const kRec1886Name = "com.apple.proapps.colorspace.rec1886";

// A Rec.1886 look-alike with a chosen gamut area: it carries the Rec.1886
// identifier, so the gamut conversion stays the unit matrix and only the
// chroma compression follows the area. The triangle (2A, 0), (0, 1), (0, 0)
// has the area A exactly.
std::unique_ptr<DisplayColorSpace> rec1886WithGamutArea(double area) {
  return std::make_unique<DisplayColorSpace>(
      Chromaticity(0.3127, 0.329), Chromaticity(2 * area, 0), Chromaticity(0, 1),
      Chromaticity(0, 0), EotfType::Gamma, 2.4000000953674316, kRec1886Name, nullptr);
}

Rgb renderForGamutArea(double area, const Rgb& in) {
  auto cs = rec1886WithGamutArea(area);
  EXPECT_DOUBLE_EQ(cs->gamutSize(), area);
  Vorn2VideoLut lut(nullptr);
  lut.setTargetColorSpace(cs.get());
  return render(lut, in.r, in.g, in.b);
}

bool differ(const Rgb& a, const Rgb& b) { return a.r != b.r || a.g != b.g || a.b != b.b; }

// ---- step-by-step reference -------------------------------------------------

// The look rebuilt step by step from its curves, to hold the rendering to
// the exact order of its operations.
double clamp01(double x) {
  x = std::min(x, 1.0);
  return x < 0.0 ? 0.0 : x;
}

struct Split {
  double y, cb, cr, cmag, v, hue;
};

Split split(const Rgb& in) {
  const double* m = Vorn2VideoLutInterface::sYccMatrix;
  Split s;
  s.y = m[0] * in.r + m[1] * in.g + m[2] * in.b;
  s.cb = m[3] * in.r + m[4] * in.g + m[5] * in.b;
  s.cr = m[6] * in.r + m[7] * in.g + m[8] * in.b;
  s.cmag = std::sqrt(s.cr * s.cr + s.cb * s.cb);
  s.v = 0.3 * in.r + 0.5 * in.g + 0.2 * in.b;
  s.hue = std::atan2(s.cr, s.cb);
  return s;
}

Rgb recombine(double y, double cb, double cr) {
  const double* m = Vorn2VideoLutInterface::sRgbMatrix;
  return {clamp01(m[0] * y + m[1] * cb + m[2] * cr), clamp01(m[3] * y + m[4] * cb + m[5] * cr),
          clamp01(m[6] * y + m[7] * cb + m[8] * cr)};
}

Rgb gamut(const double* m, const Rgb& in) {
  return {clamp01(m[0] * in.r + m[1] * in.g + m[2] * in.b),
          clamp01(m[3] * in.r + m[4] * in.g + m[5] * in.b),
          clamp01(m[6] * in.r + m[7] * in.g + m[8] * in.b)};
}

// Every fourth grid point of a 9-point cube, and a few in between.
std::vector<Rgb> referenceInputs() {
  std::vector<Rgb> inputs;
  for (int r = 0; r <= 8; r += 2)
    for (int g = 0; g <= 8; g += 2)
      for (int b = 0; b <= 8; b += 2) inputs.push_back({r / 8.0, g / 8.0, b / 8.0});
  for (const Rgb& in : {kReddish, kBluish, Rgb{0.3, 0.6, 0.9}, Rgb{0.95, 0.9, 0.2}})
    inputs.push_back(in);
  return inputs;
}

class SdrReference {
public:
  SdrReference(const DisplayColorSpace& cs, double blackGamma, double knee, double saturation)
      : toneMap_(blackGamma, knee), target_(cs.getGammaLut(1, false)) {
    boost_ = 1.0 + toneMap_.getContrastIncrease() / 3.0;
    const double area = cs.gamutSize();
    chroma_.setCurveType(area < 0.15000000596046448  ? ChromaCurve::kSmallGamut
                         : area > 0.1599999964237213 ? ChromaCurve::kLargeGamut
                                                     : ChromaCurve::kMediumGamut);
    chroma_.setSaturation(saturation);
    chromaLuma_.setCurveType(ChromaLumaCurve::kSdr);
    double toTarget[9];
    ColorSpaces registry;
    registry.forId(Rec1886)->getConversionMatrix(cs, toTarget);
    mulRgbMat(toTarget, Vorn2VideoLutInterface::sKestaWg2Rec709Mat, matrix_);
  }

  HueCurve hue;
  VideoCurve video[3];

  Rgb operator()(const Rgb& in) const {
    const Split s = split(in);
    double cb = 0.0, cr = 0.0;
    if (s.cmag != 0.0) {
      const double f = hue.getChroma(s.hue) *
                       (chromaLuma_.getChroma(s.v) * chroma_.getChroma(s.cmag)) * boost_ / s.cmag;
      cb = f * s.cb;
      cr = f * s.cr;
    }
    const Rgb signal = recombine(toneMap_.transform(s.y), cb, cr);
    const Pfwl& videoGamma = Pfwl::getVideoGamma();
    const Rgb linear =
        gamut(matrix_, {videoGamma.transform(signal.r), videoGamma.transform(signal.g),
                        videoGamma.transform(signal.b)});
    return {video[0].transform(target_->transform(linear.r)),
            video[1].transform(target_->transform(linear.g)),
            video[2].transform(target_->transform(linear.b))};
  }

private:
  Vorn2ToneMapCurve toneMap_;
  ChromaCurve chroma_;
  ChromaLumaCurve chromaLuma_;
  const LutFunc* target_;
  double boost_;
  double matrix_[9];
};

class HdrReference {
public:
  HdrReference(double diffuseWhite, double peakWhite, double saturation, bool hlg)
      : desat_(5), peakWhite_(peakWhite), hlg_(hlg) {
    chroma_.setCurveType(ChromaCurve::kHdr);
    chroma_.setSaturation(saturation);
    chromaLuma_.setPeakWhite(peakWhite);
    chromaLuma_.setCurveType(ChromaLumaCurve::kHdr);
    luma_.setDiffuseWhite(diffuseWhite);
    luma_.setPeakWhite(peakWhite);
    theta_ = (diffuseWhite == 100.0 ? 0.5396826 : 0.6507937) - 0.5;
    const double s = 0.3333333;
    const double x[5] = {-1.0, 0.0, 0.8 * s, 4.0 * s, 1.0};
    const double y[5] = {-1.0, 0.0, 0.5 * s, 0.9 * s, s};
    const double d[5] = {1.0, 1.0, 0.3, 0.05, 0.0};
    for (int i = 0; i < 5; ++i) {
      desat_.setX(i, x[i], false);
      desat_.setY(i, y[i], false);
      desat_.setD(i, d[i], false);
    }
    desat_.updatePolynomial();
  }

  Rgb operator()(const Rgb& in) const {
    const Split s = split(in);
    double cb = 0.0, cr = 0.0;
    if (s.cmag != 0.0) {
      const double q1 = chroma_.getChroma(std::sqrt(s.cmag));
      const double m = q1 * q1 * chromaLuma_.getChroma(s.v);
      const double a = m * std::cos(s.hue), b = m * std::sin(s.hue);
      const double c = std::cos(theta_), n = std::sin(theta_);
      const double u = desat_.transform(a * c + b * n), v = b * c - a * n;
      cb = u * c - v * n;
      cr = v * c + u * n;
    }
    const Rgb signal = recombine(std::max(0.0, luma_.getLuma(s.y)), cb, cr);
    const Rgb linear =
        gamut(Vorn2VideoLutInterface::sKestaWg2Rec2020Mat,
              {pq_.transform(signal.r), pq_.transform(signal.g), pq_.transform(signal.b)});
    const double hi = pq_.inverse(peakWhite_ / 10000), lo = pq_.inverse(0.001 / 10000);
    double out[3] = {pq_.inverse(linear.r), pq_.inverse(linear.g), pq_.inverse(linear.b)};
    for (double& x : out) x = x < lo ? lo : std::min(x, hi);
    if (hlg_) toHlg(out);
    return {out[0], out[1], out[2]};
  }

private:
  void toHlg(double (&x)[3]) const {
    for (double& c : x) c = pq_.transform(c) * 10000;
    const double gamma = 1.2 + 0.42 * std::log10(peakWhite_ / 1000);
    for (double& c : x) c = c / peakWhite_;
    const double k = std::pow(0.2627 * x[0] + 0.678 * x[1] + 0.0593 * x[2], (1 - gamma) / gamma);
    for (double& c : x) {
      c = c * k;
      c = c < 0.0 ? 0.0 : c * 12;
      c = c <= 1.0 ? 0.5 * std::sqrt(c) : 0.17883277 * std::log(c - 0.28466892) + 0.55991073;
      c = clamp01(c);
    }
  }

  ChromaCurve chroma_;
  ChromaLumaCurve chromaLuma_;
  LumaCurve luma_;
  HermiteSpline desat_;
  PQ2L pq_;
  double theta_;
  double peakWhite_;
  bool hlg_;
};

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

TEST(Vorn2VideoLutInterface, PublishedConstants) {
  const double ycc[9] = {0.2126,     0.7152,    0.0722,     -0.1620294, -0.5450774,
                         0.70710678, 0.7071068, -0.6422692, -0.06483758};
  const double rgb[9] = {1.0, 0.0, 1.1135518, 1.0, -0.1324583, -0.3310138, 1.0, 1.3121073, 0.0};
  const double to709[9] = {1.6175234,  -0.5372866, -0.0802368, -0.0705727, 1.3346131,
                           -0.2640403, -0.00516,   -0.174476,  1.179636};
  const double to2020[9] = {0.9906881,  0.0925397, -0.0832278, 0.0466322, 1.1875269,
                            -0.2341591, 0.0014036, -0.094602,  1.0931984};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(Interface::sYccMatrix[i], ycc[i]) << i;
    EXPECT_EQ(Interface::sRgbMatrix[i], rgb[i]) << i;
    EXPECT_EQ(Interface::sKestaWg2Rec709Mat[i], to709[i]) << i;
    EXPECT_EQ(Interface::sKestaWg2Rec2020Mat[i], to2020[i]) << i;
  }
  EXPECT_EQ(Interface::sValueWeight[0], 0.3);
  EXPECT_EQ(Interface::sValueWeight[1], 0.5);
  EXPECT_EQ(Interface::sValueWeight[2], 0.2);
  EXPECT_EQ(Interface::sHueRotationForBlueCompression_w100, 0.5396826);
  EXPECT_EQ(Interface::sHueRotationForBlueCompression_w200, 0.6507937);
  EXPECT_EQ(Interface::sHighlightSaturation, 0.3333333);
  EXPECT_EQ(Interface::sBlackLevel, 0.001);
  EXPECT_EQ(Interface::Red, 0);
  EXPECT_EQ(Interface::Green, 1);
  EXPECT_EQ(Interface::Blue, 2);
}

TEST(Vorn2VideoLutInterface, MatricesAreConsistent) {
  // The recombination undoes the split into luma and chroma.
  double product[9];
  mulRgbMat(Interface::sRgbMatrix, Interface::sYccMatrix, product);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(product[i], i % 4 == 0 ? 1.0 : 0.0, 2e-7) << i;

  // Greys carry a chroma of about 2e-8 of their value.
  const double* m = Interface::sYccMatrix;
  EXPECT_NEAR(m[0] + m[1] + m[2], 1.0, 1e-15);
  EXPECT_NEAR(m[3] + m[4] + m[5], -2e-8, 1e-12);
  EXPECT_NEAR(m[6] + m[7] + m[8], 2e-8, 1e-12);

  // Both gamut matrices keep white white.
  for (int row = 0; row < 3; ++row) {
    const double* a = Interface::sKestaWg2Rec709Mat + 3 * row;
    const double* b = Interface::sKestaWg2Rec2020Mat + 3 * row;
    EXPECT_NEAR(a[0] + a[1] + a[2], 1.0, 2e-7) << row;
    EXPECT_NEAR(b[0] + b[1] + b[2], 1.0, 2e-7) << row;
  }
}

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
  expectSignal([&] { spy.setGamma(2.0, Interface::Channel(3)); }, kIllegalIndex,
               "Illegal color channel");
  expectSignal([&] { spy.setGamma(2.0, Interface::Channel(-1)); }, kIllegalIndex,
               "Illegal color channel");
  EXPECT_TRUE(spy.calls.empty());
  Vorn2VideoLut lut(nullptr);
  expectSignal([&] { lut.setSlope(2.0, Interface::Channel(3)); }, kIllegalIndex,
               "Illegal color channel");
  expectSignal([&] { lut.setPedestal(0.1, Interface::Channel(7)); }, kIllegalIndex,
               "Illegal color channel");
  expectSignal([&] { lut.setCombinedGamma(2.0, Interface::Channel(-2)); }, kIllegalIndex,
               "Illegal color channel");
}

// ---- SDR -------------------------------------------------------------------

TEST(Vorn2VideoLut, StartsAsNeutralRec1886Look) {
  Vorn2VideoLut lut(nullptr);
  EXPECT_FALSE(lut.isPq());
  EXPECT_FALSE(lut.isHlg());
  EXPECT_EQ(lut.getDiffuseWhite(), 100.0);
  EXPECT_EQ(lut.getPeakWhite(), 1000.0);
  EXPECT_EQ(lut.getImageCore(), nullptr);

  ColorSpaces registry;
  Vorn2VideoLut explicitTarget(nullptr);
  explicitTarget.setTargetColorSpace(registry.forId(Rec1886));
  expectSame(render(lut, kReddish.r, kReddish.g, kReddish.b),
             render(explicitTarget, kReddish.r, kReddish.g, kReddish.b));
}

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

TEST(Vorn2VideoLut, ControlsCanBeUndone) {
  Vorn2VideoLut lut(nullptr);
  const Rgb before = render(lut, kBluish.r, kBluish.g, kBluish.b);
  lut.setTonemapParameter(0.2, 0.1);
  lut.setVideoSaturation(1.4);
  lut.setHueSaturation(HueCurve::Blue, 1.7);
  EXPECT_TRUE(differ(render(lut, kBluish.r, kBluish.g, kBluish.b), before));

  // The chroma boost of the tone curve is derived afresh from every shape.
  lut.setTonemapParameter(0.5, 0.5);
  lut.setVideoSaturation(1.0);
  lut.setHueSaturation(HueCurve::Blue, 1.0);
  expectSame(render(lut, kBluish.r, kBluish.g, kBluish.b), before);
}

TEST(Vorn2VideoLut, RejectedControlsChangeNothing) {
  Vorn2VideoLut lut(nullptr);
  lut.setTonemapParameter(0.3, 0.4);
  const Rgb before = render(lut, kReddish.r, kReddish.g, kReddish.b);
  expectSignal([&] { lut.setTonemapParameter(-0.1, 0.5); }, kIllegalValue,
               "Illegal value for black gamma");
  expectSignal([&] { lut.setTonemapParameter(0.5, 1.1); }, kIllegalValue,
               "Illegal value for knee point");
  expectSignal([&] { lut.setHueSaturation(HueCurve::Magenta, 2.5); }, kIllegalValue,
               "Illegal value for hue satureation");
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

TEST(Vorn2VideoLut, TargetGamutAreaSelectsTheChromaCompression) {
  const double medium = 0.15000000596046448;
  const double large = 0.1599999964237213;
  for (const Rgb& in : {kReddish, kBluish}) {
    const Rgb small = renderForGamutArea(0.112, in);
    ColorSpaces registry;
    Vorn2VideoLut rec1886(nullptr);
    expectSame(render(rec1886, in.r, in.g, in.b), small);

    expectSame(renderForGamutArea(std::nextafter(medium, 0.0), in), small);
    const Rgb atMedium = renderForGamutArea(medium, in);
    EXPECT_TRUE(differ(atMedium, small));
    expectSame(renderForGamutArea(0.155, in), atMedium);
    expectSame(renderForGamutArea(large, in), atMedium);

    const Rgb aboveLarge = renderForGamutArea(std::nextafter(large, 1.0), in);
    EXPECT_TRUE(differ(aboveLarge, atMedium));
    expectSame(renderForGamutArea(0.212, in), aboveLarge);
  }
}

TEST(Vorn2VideoLut, NullTargetChangesNothing) {
  ColorSpaces registry;
  Vorn2VideoLut lut(nullptr);
  lut.setTargetColorSpace(registry.forId(Rec2100Pq));
  const Rgb before = render(lut, kReddish.r, kReddish.g, kReddish.b);
  lut.setTargetColorSpace(nullptr);
  EXPECT_TRUE(lut.isPq());
  expectSame(render(lut, kReddish.r, kReddish.g, kReddish.b), before);
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

TEST(Vorn2VideoLut, DiffuseWhiteSelectsTheBlueCompression) {
  ColorSpaces registry;
  Vorn2VideoLut w100(nullptr), w200(nullptr);
  w100.setTargetColorSpace(registry.forId(Rec2100Pq));
  w200.setTargetColorSpace(registry.forId(Rec2100Pq));
  w200.setDiffuseWhite(200);
  EXPECT_EQ(w200.getDiffuseWhite(), 200.0);
  EXPECT_TRUE(differ(render(w100, kBluish.r, kBluish.g, kBluish.b),
                     render(w200, kBluish.r, kBluish.g, kBluish.b)));
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
        EXPECT_STREQ(signal.what(), "Illegal value");
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

TEST(Vorn2VideoLut, HlgUndoesTheSystemGammaOfThePqRendering) {
  // For a grey the HLG signal is the encoding of 12 (L / peak)^(1 / gamma),
  // with L the light of the PQ rendering and gamma 1.2 at 1000 nits.
  ColorSpaces registry;
  const PQ2L pq;
  for (double peak : {1000.0, 2000.0, 4000.0}) {
    Vorn2VideoLut pqLut(nullptr), hlgLut(nullptr);
    for (Vorn2VideoLut* lut : {&pqLut, &hlgLut}) lut->setPeakWhite(peak);
    pqLut.setTargetColorSpace(registry.forId(Rec2100Pq));
    hlgLut.setTargetColorSpace(registry.forId(Rec2100Hlg));
    const double gamma = 1.2 + 0.42 * std::log10(peak / 1000);
    if (peak == 1000.0) {
      EXPECT_EQ(gamma, 1.2);
    }

    for (double x : {0.0, 0.2, 0.5, 0.8, 1.0}) {
      const double light = pq.transform(render(pqLut, x, x, x).g) * 10000 / peak;
      double expected = 12 * std::pow(light, 1 / gamma);
      hlgLut.applyEotf(expected);
      expectGrey(render(hlgLut, x, x, x), std::min(expected, 1.0), 1e-6);
    }
  }
}

// ---- exact rendering ---------------------------------------------------------

TEST(Vorn2VideoLut, SdrRenderingFollowsItsStepsExactly) {
  ColorSpaces registry;
  for (ColorSpace id : {Rec1886, P3D65Gamma26, P3DciGamma26, Rec2020Gamma24, AcesProxy}) {
    SCOPED_TRACE(id);
    const DisplayColorSpace& cs = *registry.forId(id);
    Vorn2VideoLut lut(nullptr);
    lut.setTargetColorSpace(&cs);
    lut.setTonemapParameter(0.3, 0.2);
    lut.setVideoSaturation(1.3);
    lut.setHueSaturation(HueCurve::Blue, 1.5);
    lut.setGamma(1.25, Interface::Red);
    lut.setMasterGamma(0.8);
    lut.setSlope(1.1, Interface::Green);
    lut.setPedestal(0.05, Interface::Blue);

    SdrReference reference(cs, 0.3, 0.2, 1.3);
    reference.hue.setSaturation(HueCurve::Blue, 1.5);
    reference.video[0].setPower(1.0 / (1.25 * 0.8));
    reference.video[1].setPower(1.0 / 0.8);
    reference.video[2].setPower(1.0 / 0.8);
    reference.video[1].setSlope(1.1);
    reference.video[2].setPedestal(0.05);
    for (const Rgb& in : referenceInputs())
      expectSame(render(lut, in.r, in.g, in.b), reference(in));
  }
}

TEST(Vorn2VideoLut, HdrRenderingFollowsItsStepsExactly) {
  ColorSpaces registry;
  for (bool hlg : {false, true})
    for (double diffuse : {100.0, 200.0})
      for (double peak : {1000.0, 4000.0}) {
        SCOPED_TRACE(testing::Message() << hlg << ' ' << diffuse << ' ' << peak);
        Vorn2VideoLut lut(nullptr);
        lut.setDiffuseWhite(diffuse);
        lut.setPeakWhite(peak);
        lut.setTargetColorSpace(registry.forId(hlg ? Rec2100Hlg : Rec2100Pq));
        lut.setVideoSaturation(1.2);
        const HdrReference reference(diffuse, peak, 1.2, hlg);
        for (const Rgb& in : referenceInputs())
          expectSame(render(lut, in.r, in.g, in.b), reference(in));
      }
}

}  // namespace
