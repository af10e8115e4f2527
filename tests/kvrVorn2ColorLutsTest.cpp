#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "kvrColorConversionFunc.h"
#include "kvrKestaLegacyLook.h"
#include "kvrLutCoreTestSupport.h"
#include "kvrMatrixLut.h"
#include "kvrTestTables.h"
#include "kvrVorn2ColorLuts.h"

namespace Kalvora {
namespace {

using KalvoraTest::cube;
using Codes = std::vector<unsigned short>;

struct Rgb {
  double r, g, b;
};

const Rgb kSamples[] = {{0.0, 0.0, 0.0},  {0.5, 0.5, 0.5}, {0.7, 0.3, 0.2},  {0.2, 0.6, 0.4},
                        {0.3, 0.35, 0.8}, {0.9, 0.1, 0.6}, {0.6, 0.55, 0.1}, {1.0, 1.0, 1.0}};

Rgb apply(const LutFunc3D& f, const Rgb& in) {
  Rgb out;
  f.transform(in.r, in.g, in.b, out.r, out.g, out.b);
  return out;
}

// Expects two functions to agree exactly on the sample colours.
void expectSameFunction(const LutFunc3D& got, const std::function<Rgb(Rgb)>& want) {
  for (const Rgb& in : kSamples) {
    const Rgb a = apply(got, in);
    const Rgb b = want(in);
    EXPECT_EQ(a.r, b.r) << in.r << ' ' << in.g << ' ' << in.b;
    EXPECT_EQ(a.g, b.g) << in.r << ' ' << in.g << ' ' << in.b;
    EXPECT_EQ(a.b, b.b) << in.r << ' ' << in.g << ' ' << in.b;
  }
}

class Vorn2ColorLutsTest : public KalvoraTest::ReportCaptureTest {
protected:
  Vorn2ColorLutsTest() : luts(kestaElvexparam, &core), reference(&core) {
    luts.setTargetColorSpace(space(Rec1886));
    reference.setTargetColorSpace(space(Rec1886));
  }

  const DisplayColorSpace* space(ColorSpace id) const { return core.getColorSpaceInfo(id); }

  void target(ColorSpace id) {
    luts.setTargetColorSpace(space(id));
    reference.setTargetColorSpace(space(id));
  }

  // The CDL and saturation stage of nodes 13 and 14.
  Rgb gradeOf(const Rgb& in) const {
    double m[9];
    luts.getSatMatrix(m);
    const LutFuncTriple& cdl = luts.getCdlTriple();
    Rgb graded{cdl.getColorChannel(0).transform(in.r), cdl.getColorChannel(1).transform(in.g),
               cdl.getColorChannel(2).transform(in.b)};
    return apply(MatrixLut(m), graded);
  }

  Codes curvedLut(int n) const {
    return KalvoraTest::makeTable(n, kLutInterleaved, [n](int r, int g, int b, int c) {
      const int at[3] = {r, g, b};
      return (4095 * at[c] * at[c]) / ((n - 1) * (n - 1)) / 2 + 1000 * at[(c + 1) % 3] / (n - 1);
    });
  }

  LutGeneratorImageCore core;
  Vorn2ColorLuts luts;
  Vorn2VideoLut reference;  // the built-in look on the same settings
};

// ---- Node composition ------------------------------------------------------------

TEST_F(Vorn2ColorLutsTest, MonitoringNodesConvertToRec1886) {
  target(P3D65Gamma26);
  ColorConversionFunc toRec1886(space(P3D65Gamma26), space(Rec1886));
  toRec1886.init(false);
  luts.setLogParameter(3003, 0.1);
  expectSameFunction(*luts.getVideoRenderLut(12),
                     [&](Rgb in) { return apply(toRec1886, apply(reference, in)); });
  expectSameFunction(*luts.getVideoRenderLut(13),
                     [&](Rgb in) { return apply(toRec1886, apply(reference, gradeOf(in))); });
  // The grading and look nodes stay in the target space.
  expectSameFunction(*luts.getVideoRenderLut(14),
                     [&](Rgb in) { return apply(reference, gradeOf(in)); });
  expectSameFunction(*luts.getVideoRenderLut(10), [&](Rgb in) { return apply(reference, in); });
}

TEST_F(Vorn2ColorLutsTest, HdrTargetsMonitorThroughTheLegacyLook) {
  for (ColorSpace hdr : {Rec2100Pq, Rec2100Hlg}) {
    target(hdr);
    double gain = 0.0, offset = 0.0;
    luts.updateExposureIndex(1000.0);
    luts.updateNormalization(gain, offset);
    KestaLegacyLook legacy;
    legacy.updateNormalization(kestaElvexparam.encodingBlack,
                               std::min(luts.getElvex().getMaxValue(), 1.0));
    for (unsigned int node : {12u, 13u})
      expectSameFunction(*luts.getVideoRenderLut(node), [&](Rgb in) { return apply(legacy, in); });
    expectSameFunction(*luts.getVideoRenderLut(10), [&](Rgb in) { return apply(reference, in); });
  }
}

TEST_F(Vorn2ColorLutsTest, UserLutReplacesTheLook) {
  const Codes lut = curvedLut(9);
  luts.setUser3dLut(9, lut.data(), kLutInterleaved, 4095);
  Lut3D user(9, lut.data(), kLutInterleaved, 4095, false);
  auto alone = [&](Rgb in) { return apply(user, in); };
  expectSameFunction(*luts.getVideoRenderLut(10), alone);  // look transform unused
  expectSameFunction(*luts.getVideoRenderLut(15), alone);

  // A look parameter now goes to the look transform, which then follows the
  // LUT on every node but 15.
  luts.setVideoParameter(5040, 0.4);
  Vorn2VideoLookTransform look;
  look.setTargetColorSpace(space(Rec1886));
  look.setVideoSaturation(0.4);
  expectSameFunction(*luts.getVideoRenderLut(10), [&](Rgb in) { return apply(look, alone(in)); });
  expectSameFunction(*luts.getVideoRenderLut(14),
                     [&](Rgb in) { return apply(look, alone(gradeOf(in))); });
  expectSameFunction(*luts.getVideoRenderLut(15), alone);
  // The built-in look kept its settings.
  expectSameFunction(luts.getVideoLut(), [&](Rgb in) { return apply(reference, in); });
}

TEST_F(Vorn2ColorLutsTest, LookTransformFollowsTheTarget) {
  const Codes lut = curvedLut(5);
  luts.setUser3dLut(5, lut.data(), kLutInterleaved, 4095);
  luts.setVideoParameter(5040, 0.0);  // luma only: the target's luma weights show
  target(Rec2020Gamma24);
  Vorn2VideoLookTransform look;
  look.setTargetColorSpace(space(Rec2020Gamma24));
  look.setVideoSaturation(0.0);
  Lut3D user(5, lut.data(), kLutInterleaved, 4095, false);
  expectSameFunction(*luts.getVideoRenderLut(10),
                     [&](Rgb in) { return apply(look, apply(user, in)); });
}

// ---- Look parameters ---------------------------------------------------------------

TEST_F(Vorn2ColorLutsTest, LogParametersSetTheChannelCdl) {
  const LutFuncTriple& cdl = luts.getCdlTriple();
  luts.setLogParameter(3001, 0.1);  // offset red
  luts.setLogParameter(3012, 2.0);  // slope green
  luts.setLogParameter(3023, 2.0);  // power blue
  double r, g, b;
  cdl.transform(0.3, r, g, b);
  EXPECT_DOUBLE_EQ(r, 0.4);
  EXPECT_DOUBLE_EQ(g, 0.6);
  EXPECT_DOUBLE_EQ(b, 0.09);
  luts.setLogParameter(3002, -0.1);  // offset green
  luts.setLogParameter(3013, 0.5);   // slope blue
  luts.setLogParameter(3021, 0.5);   // power red
  cdl.transform(0.36, r, g, b);
  EXPECT_DOUBLE_EQ(r, std::sqrt(0.46));
  EXPECT_DOUBLE_EQ(g, 0.62);
  EXPECT_DOUBLE_EQ(b, 0.18 * 0.18);

  double out = 0.0;
  luts.reverseCDL(0.62, out);  // the green channel's inverse
  EXPECT_DOUBLE_EQ(out, 0.36);

  for (unsigned int id : {3000u, 3004u, 3010u, 3024u, 3040u}) {
    try {
      luts.setLogParameter(id, 1.0);
      ADD_FAILURE() << id;
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kUnknownId);
      EXPECT_STREQ(signal.what(), "Unknown parameter");
    }
  }
  cdl.transform(0.36, r, g, b);
  EXPECT_DOUBLE_EQ(g, 0.62);
}

TEST_F(Vorn2ColorLutsTest, VideoParametersReachTheirSetters) {
  using Look = Vorn2VideoLutInterface;
  struct Case {
    unsigned int id;
    double value;
    std::function<void(Look&)> call;
  };
  const Case cases[] = {
      {5040, 0.5, [](Look& l) { l.setVideoSaturation(0.5); }},
      {5051, 1.4, [](Look& l) { l.setMasterGamma(1.4); }},
      {5061, 0.3, [](Look& l) { l.setHueSaturation(HueCurve::Red, 0.3); }},
      {5062, 1.7, [](Look& l) { l.setHueSaturation(HueCurve::Yellow, 1.7); }},
      {5063, 0.2, [](Look& l) { l.setHueSaturation(HueCurve::Green, 0.2); }},
      {5064, 1.8, [](Look& l) { l.setHueSaturation(HueCurve::Cyan, 1.8); }},
      {5065, 0.4, [](Look& l) { l.setHueSaturation(HueCurve::Blue, 0.4); }},
      {5066, 1.6, [](Look& l) { l.setHueSaturation(HueCurve::Magenta, 1.6); }},
      {5067, 1.3, [](Look& l) { l.setSlope(1.3, Look::Red); }},
      {5068, 0.7, [](Look& l) { l.setSlope(0.7, Look::Green); }},
      {5069, 1.2, [](Look& l) { l.setSlope(1.2, Look::Blue); }},
      {5070, 1.5, [](Look& l) { l.setGamma(1.5, Look::Red); }},
      {5071, 0.6, [](Look& l) { l.setGamma(0.6, Look::Green); }},
      {5072, 1.9, [](Look& l) { l.setGamma(1.9, Look::Blue); }},
      {5073, 0.1, [](Look& l) { l.setPedestal(0.1, Look::Red); }},
      {5074, -0.1, [](Look& l) { l.setPedestal(-0.1, Look::Green); }},
      {5075, 0.2, [](Look& l) { l.setPedestal(0.2, Look::Blue); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    luts.setVideoParameter(c.id, c.value);
    c.call(reference);
    expectSameFunction(*luts.getVideoRenderLut(10), [&](Rgb in) { return apply(reference, in); });
  }
  luts.setTonemapParameter(0.2, 0.9);
  reference.setTonemapParameter(0.2, 0.9);
  expectSameFunction(*luts.getVideoRenderLut(10), [&](Rgb in) { return apply(reference, in); });
  EXPECT_FALSE(luts.getLookTransform().isUsed());
}

// ---- User 3-D LUT -----------------------------------------------------------------

// ---- Normalisation -------------------------------------------------------------------

TEST_F(Vorn2ColorLutsTest, NormalisationStretchesTheLooksRange) {
  ASSERT_TRUE(luts.updateExposureIndex(800.0));
  double gain = 0.0, offset = 0.0;
  luts.updateNormalization(gain, offset);
  const double black = kestaElvexparam.encodingBlack;
  const double hi = luts.getElvex().getMaxValue();
  ASSERT_LT(hi, 1.0);
  const Rgb low = apply(reference, {black, black, black});
  const Rgb top = apply(reference, {hi, hi, hi});
  const Rgb white = apply(reference, {1.0, 1.0, 1.0});
  const double outLo = std::min({low.r, low.g, low.b});
  const double outHi = std::max({top.r, top.g, top.b});
  const double refHi = std::max({white.r, white.g, white.b});
  EXPECT_DOUBLE_EQ(gain, (refHi - outLo) / (outHi - outLo));
  EXPECT_DOUBLE_EQ(offset, outLo - gain * outLo);
  // The normalisation maps the current range onto the nominal one.
  EXPECT_DOUBLE_EQ(luts.getNormalizationCdl().transform(outHi), std::min(refHi, 1.0));
  double back = 0.0;
  luts.reverseNormalization(gain * 0.5 + offset, back);
  EXPECT_DOUBLE_EQ(back, 0.5);

  // A flat LUT has no range: neutral.
  const Codes flat(3 * cube(3), 1234);
  luts.setUser3dLut(3, flat.data(), kLutInterleaved, 4095);
  luts.updateNormalization(gain, offset);
  EXPECT_EQ(gain, 1.0);
  EXPECT_EQ(offset, 0.0);
}

// ---- Grey-scale curve ------------------------------------------------------------

TEST_F(Vorn2ColorLutsTest, GrayScaleCurveSamplesTheNeutralAxis) {
  ASSERT_TRUE(luts.updateExposureIndex(800.0));
  double gain = 0.0, offset = 0.0;
  luts.updateNormalization(gain, offset);
  const LutFunc* curve = luts.getGrayScaleCurve();
  for (int i = 0; i <= 32; ++i) {
    const double x = i * 0.03125;
    const double code = toCode16(apply(reference, {x, x, x}).g, 65535);
    EXPECT_DOUBLE_EQ(curve->transform(x), luts.getNormalizationCdl().transform(code / 65535.0));
  }
}

TEST_F(Vorn2ColorLutsTest, UnknownNode) {
  for (unsigned int node : {0u, 11u, 16u}) {
    try {
      luts.getVideoRenderLut(node);
      ADD_FAILURE() << node;
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kUnknownId);
      EXPECT_STREQ(signal.what(), "Unknown 3dlut node");
      EXPECT_EQ(std::string(signal.where()).rfind("src/kvrVorn2ColorLuts:", 0), 0u);
    }
  }
}

TEST_F(Vorn2ColorLutsTest, VideoParametersOutsideTheTableFail) {
  for (unsigned int id : {5039u, 5041u, 5050u, 5052u, 5055u, 5060u, 5076u, 5077u}) {
    try {
      luts.setVideoParameter(id, 1.0);
      ADD_FAILURE() << id;
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kUnknownId);
      EXPECT_STREQ(signal.what(), "Unknown parameter");
    }
  }
  EXPECT_FALSE(luts.getLookTransform().isUsed());
  expectSameFunction(luts.getVideoLut(), [&](Rgb in) { return apply(reference, in); });
}

}  // namespace
}  // namespace Kalvora
