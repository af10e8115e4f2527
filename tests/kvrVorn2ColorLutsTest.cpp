#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <vector>

#include "kvrColorConversionFunc.h"
#include "kvrKestaLegacyLook.h"
#include "kvrLutCoreTestSupport.h"
#include "kvrMatrixLut.h"
#include "kvrRgbTestSupport.h"
#include "kvrTestTables.h"
#include "kvrVorn2ColorLuts.h"

namespace Kalvora {
namespace {

using Codes = std::vector<unsigned short>;
using KalvoraTest::render;
using KalvoraTest::Rgb;

Rgb apply(const LutFunc3D& f, const Rgb& in) { return render(f, in.r, in.g, in.b); }

// Expects a node to agree exactly with its composition on sample colours.
void expectSameFunction(const LutFunc3D* got, const std::function<Rgb(Rgb)>& want) {
  for (const Rgb& in : {Rgb{0, 0, 0}, Rgb{0.5, 0.5, 0.5}, Rgb{0.7, 0.3, 0.2}, Rgb{0.3, 0.35, 0.8},
                        Rgb{0.9, 0.1, 0.6}, Rgb{1, 1, 1}}) {
    SCOPED_TRACE(testing::Message() << in.r << ' ' << in.g << ' ' << in.b);
    KalvoraTest::expectSame(apply(*got, in), want(in));
  }
}

class Vorn2ColorLutsTest : public KalvoraTest::ReportCaptureTest {
protected:
  Vorn2ColorLutsTest() : luts(kestaElvexparam, &core), reference(&core) { target(Rec1886); }

  const DisplayColorSpace* space(ColorSpace id) const { return core.getColorSpaceInfo(id); }
  void target(ColorSpace id) {
    luts.setTargetColorSpace(space(id));
    reference.setTargetColorSpace(space(id));
  }
  // The CDL and saturation stage of the graded nodes.
  Rgb gradeOf(const Rgb& in) const {
    double m[9];
    luts.getSatMatrix(m);
    const LutFuncTriple& cdl = luts.getCdlTriple();
    return apply(MatrixLut(m),
                 {cdl.getColorChannel(0).transform(in.r), cdl.getColorChannel(1).transform(in.g),
                  cdl.getColorChannel(2).transform(in.b)});
  }
  std::function<Rgb(Rgb)> look() {
    return [this](Rgb in) { return apply(reference, in); };
  }

  LutGeneratorImageCore core;
  Vorn2ColorLuts luts;
  Vorn2VideoLut reference;  // the built-in look on the same settings
};

TEST_F(Vorn2ColorLutsTest, NodesComposeGradeLookAndMonitoringConversion) {
  target(P3D65Gamma26);
  ColorConversionFunc toRec1886(space(P3D65Gamma26), space(Rec1886));
  toRec1886.init(false);
  luts.setLogParameter(kLutParamCdlOffsetBlue, 0.1);
  expectSameFunction(luts.getVideoRenderLut(kLutNodeLook), look());
  expectSameFunction(luts.getVideoRenderLut(kLutExportCdlLook),
                     [&](Rgb in) { return apply(reference, gradeOf(in)); });
  expectSameFunction(luts.getVideoRenderLut(kLutExportLookRec1886),
                     [&](Rgb in) { return apply(toRec1886, apply(reference, in)); });
  expectSameFunction(luts.getVideoRenderLut(kLutExportCdlLookRec1886),
                     [&](Rgb in) { return apply(toRec1886, apply(reference, gradeOf(in))); });
  // HDR targets monitor through the legacy look.
  target(Rec2100Pq);
  double gain = 0.0, offset = 0.0;
  luts.updateExposureIndex(1000.0);
  luts.updateNormalization(gain, offset);
  KestaLegacyLook legacy;
  legacy.updateNormalization(kestaElvexparam.encodingBlack,
                             std::min(luts.getElvex().getMaxValue(), 1.0));
  for (unsigned int node : {kLutExportLookRec1886, kLutExportCdlLookRec1886})
    expectSameFunction(luts.getVideoRenderLut(node), [&](Rgb in) { return apply(legacy, in); });
}

TEST_F(Vorn2ColorLutsTest, UserLutReplacesTheLookAndTheLookTransformFollowsIt) {
  const Codes lut = KalvoraTest::makeTable(9, kLutInterleaved, [](int r, int g, int b, int c) {
    const int at[3] = {r, g, b};
    return 4095 * at[c] * at[c] / 128 + 125 * at[(c + 1) % 3];
  });
  luts.setUser3dLut(9, lut.data(), kLutInterleaved, 4095);
  Lut3D user(9, lut.data(), kLutInterleaved, 4095, false);
  auto alone = [&](Rgb in) { return apply(user, in); };
  expectSameFunction(luts.getVideoRenderLut(kLutNodeLook), alone);
  // A look parameter now sets the look transform, which follows the LUT but in export 15.
  target(Rec2020Gamma24);
  luts.setVideoParameter(kLutParamVideoSaturation, 0.4);
  Vorn2VideoLookTransform transform;
  transform.setTargetColorSpace(space(Rec2020Gamma24));
  transform.setVideoSaturation(0.4);
  expectSameFunction(luts.getVideoRenderLut(kLutNodeLook),
                     [&](Rgb in) { return apply(transform, alone(in)); });
  expectSameFunction(luts.getVideoRenderLut(kLutExportCdlLook),
                     [&](Rgb in) { return apply(transform, alone(gradeOf(in))); });
  expectSameFunction(luts.getVideoRenderLut(kLutExportLookWithoutTransform), alone);
  expectSameFunction(&luts.getVideoLut(), look());
}

TEST_F(Vorn2ColorLutsTest, EveryLookParameterReachesItsSetter) {
  using Look = Vorn2VideoLutInterface;
  std::vector<std::pair<unsigned int, std::function<void(Look&)>>> cases = {
      {kLutParamVideoSaturation, [](Look& l) { l.setVideoSaturation(0.5); }},
      {kLutParamMasterGamma, [](Look& l) { l.setMasterGamma(0.5); }}};
  const HueCurve::Hue hues[] = {HueCurve::Red,  HueCurve::Yellow, HueCurve::Green,
                                HueCurve::Cyan, HueCurve::Blue,   HueCurve::Magenta};
  for (unsigned int h = 0; h < 6; ++h)  // the hue parameters follow each other in this order
    cases.push_back({kLutParamHueSaturationRed + h,
                     [hue = hues[h]](Look& l) { l.setHueSaturation(hue, 0.5); }});
  for (unsigned int c = 0; c < 3; ++c) {  // red, green, blue
    const auto k = Look::Channel(Look::Red + c);
    cases.push_back({kLutParamVideoSlopeRed + c, [k](Look& l) { l.setSlope(0.5, k); }});
    cases.push_back({kLutParamVideoGammaRed + c, [k](Look& l) { l.setGamma(0.5, k); }});
    cases.push_back({kLutParamVideoPedestalRed + c, [k](Look& l) { l.setPedestal(0.5, k); }});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    luts.setVideoParameter(c.first, 0.5);
    c.second(reference);
    expectSameFunction(luts.getVideoRenderLut(kLutNodeLook), look());
  }
  luts.setTonemapParameter(0.2, 0.9);
  reference.setTonemapParameter(0.2, 0.9);
  expectSameFunction(luts.getVideoRenderLut(kLutNodeLook), look());
  EXPECT_FALSE(luts.getLookTransform().isUsed());
}

TEST_F(Vorn2ColorLutsTest, UnknownIdsAreRejected) {
  for (unsigned int id : {3000u, 3004u, 3024u, unsigned(kLutParamCdlSaturation)})
    EXPECT_THROW(luts.setLogParameter(id, 1.0), KvrSignal) << id;
  for (unsigned int id : {5039u, 5052u, 5060u, 5076u, unsigned(kLutParamDiffuseWhite)})
    EXPECT_THROW(luts.setVideoParameter(id, 1.0), KvrSignal) << id;
  EXPECT_THROW(luts.getVideoRenderLut(kLutNodeNormalization), KvrSignal);
  expectSameFunction(&luts.getVideoLut(), look());
}

TEST_F(Vorn2ColorLutsTest, NormalisationStretchesTheLooksRangeOntoTheNominalOne) {
  ASSERT_TRUE(luts.updateExposureIndex(800.0));
  double gain = 0.0, offset = 0.0, back = 0.0;
  luts.updateNormalization(gain, offset);
  const double black = kestaElvexparam.encodingBlack, top = luts.getElvex().getMaxValue();
  const double low = apply(reference, {black, black, black}).g;
  EXPECT_NEAR(gain * low + offset, low, 1e-9);  // black stays, the top reaches white
  EXPECT_NEAR(gain * apply(reference, {top, top, top}).g + offset, apply(reference, {1, 1, 1}).g,
              1e-9);
  luts.reverseNormalization(gain * 0.5 + offset, back);
  EXPECT_DOUBLE_EQ(back, 0.5);
  // The grey-scale curve samples the normalised neutral axis of the look.
  const double code = toCode16(apply(reference, {0.5, 0.5, 0.5}).g, 65535) / 65535.0;
  EXPECT_DOUBLE_EQ(luts.getGrayScaleCurve()->transform(0.5),
                   luts.getNormalizationCdl().transform(code));
  const Codes flat(3 * KalvoraTest::cube(3), 1234);  // a flat LUT has no range: neutral
  luts.setUser3dLut(3, flat.data(), kLutInterleaved, 4095);
  luts.updateNormalization(gain, offset);
  EXPECT_EQ(gain + offset, 1.0);
}

// Tables sampled in blocks with vectorised maths (SLEEF) stay within 1e-12 of the per-point
// evaluation of the node function: every target, neutral, graded and bright settings.
#ifdef NDEBUG
constexpr int kPoints = 33;
#else
constexpr int kPoints = 17;  // keeps debug and sanitizer builds quick
#endif

// Opens the node functions that get3dLut and export3dLut sample.
class Probe : public LutGeneratorImageCore {
public:
  const LutFunc3D& node(unsigned int id) {
    return id == kLutExportCdlLook ? *do_exportLut(id) : *do_get3dLut(id);
  }
};

TEST(LookTables, BlockSamplingStaysWithinToleranceOfExactEvaluation) {
  const std::pair<unsigned int, double> graded[] = {
      {kLutParamCdlOffsetRed, 0.02},   {kLutParamCdlSaturation, 1.3},
      {kLutParamBlackGamma, 0.3},      {kLutParamKnee, 0.2},
      {kLutParamVideoSaturation, 1.4}, {kLutParamHueSaturationBlue, 1.7},
      {kLutParamVideoGammaRed, 0.9},   {kLutParamVideoPedestalBlue, 0.05}};
  const double step = 1.0 / (kPoints - 1);
  for (int target = Rec1886; target <= AcesProxy; ++target)
    for (int setting = 0; setting < 3; ++setting)
      for (unsigned int id : {kLutNodeLook, kLutExportCdlLook}) {
        SCOPED_TRACE(testing::Message()
                     << "target " << target << " setting " << setting << " node " << id);
        Probe core;
        if (core.getColorSpaceInfo(ColorSpace(target)) == nullptr) continue;
        core.setTargetColorSpace(core.getColorSpaceInfo(ColorSpace(target)));
        for (size_t k = 0; setting > 0 && k < std::size(graded); ++k)
          ASSERT_EQ(core.setParam(graded[k].first, graded[k].second), kNoError);
        if (setting == 2) {  // the brightest whites the target accepts; HLG keeps 1000
          const double peak = core.isTargetColorSpace(Rec2100Hlg) ? 1000.0 : 4000.0;
          ASSERT_EQ(core.setParam(kLutParamDiffuseWhite, 200.0), kNoError);
          ASSERT_EQ(core.setParam(kLutParamPeakWhite, peak), kNoError);
        }
        // The table the host receives.
        std::vector<double> table(3 * size_t(kPoints) * kPoints * kPoints);
        if (id == kLutNodeLook) {
          ASSERT_EQ(core.get3dLut(id, kPoints, table.data(), kLutInterleaved), kNoError);
        } else {
          core.node(id).getTable(kPoints, table.data(), kLutInterleaved);
        }
        // Per point at the positions the samplers use (accumulated steps).
        size_t i = 0;
        double r = 0.0;
        for (int ri = 0; ri < kPoints; ++ri, r += step) {
          double g = 0.0;
          for (int gi = 0; gi < kPoints; ++gi, g += step) {
            double b = 0.0;
            for (int bi = 0; bi < kPoints; ++bi, b += step, i += 3) {
              double out[3];
              core.node(id).transform(r, g, b, out[0], out[1], out[2]);
              for (int c = 0; c < 3; ++c)
                ASSERT_NEAR(table[i + c], out[c], 1e-12) << ri << " " << gi << " " << bi;
            }
          }
        }
      }
}

}  // namespace
}  // namespace Kalvora
