// The LUT generator: its wiring, the HDR white levels, which nodes each
// parameter changes, and its nodes against the look and curves they serve.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "kvrLutCoreTestSupport.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrVorn2VideoLut.h"

namespace Kalvora {
namespace {

using KalvoraTest::cube;
using Nodes = std::set<unsigned int>;

class LutGeneratorTest : public KalvoraTest::LutCoreTest {
protected:
  // The nodes whose revision a successful setParam(id, value) bumps.
  Nodes changedBy(unsigned int id, double value) {
    const unsigned int nodes[] = {kLutNodeLog,           kLutNodeInverseLog, kLutNodeCdl,
                                  kLutNodeCdlSaturation, kLutNodeLook,       kLutNodeNormalization};
    std::vector<unsigned int> before;
    for (unsigned int node : nodes) before.push_back(core.getNodeRevision(node));
    EXPECT_EQ(core.setParam(id, value), kNoError) << id;
    Nodes changed;
    for (size_t i = 0; i < before.size(); ++i)
      if (core.getNodeRevision(nodes[i]) != before[i]) changed.insert(nodes[i]);
    return changed;
  }
};

// Ranges hold at their ends; peak and diffuse white take only their levels,
// and an HLG target only a peak white of 1000.
TEST_F(LutGeneratorTest, AcceptsOnlyTheValuesOfEachParameter) {
  const struct {
    unsigned int id;
    double value;
    ErrorCode code;
  } cases[] = {{kLutParamExposureIndex, 159.0, kIllegalValue},
               {kLutParamExposureIndex, 3200.0, kNoError},
               {kLutParamVideoPedestalRed, -0.30000001, kIllegalValue},
               {kLutParamVideoPedestalRed, -0.3, kNoError},
               {kLutParamCdlSaturation, 0.0, kNoError},
               {4242, 1.0, kUnknownId},
               {kLutParamPeakWhite, 1500.0, kIllegalValue},
               {kLutParamPeakWhite, 0.0, kIllegalValue},  // inside the range, not a level
               {kLutParamPeakWhite, 4000.0, kNoError},
               {kLutParamPeakWhite, 2000.0, kNoError},
               {kLutParamDiffuseWhite, 150.0, kIllegalValue},
               {kLutParamDiffuseWhite, 200.0, kNoError},
               {kLutParamDiffuseWhite, 100.0, kNoError}};
  for (const auto& c : cases)
    EXPECT_EQ(core.setParam(c.id, c.value), c.code) << c.id << " " << c.value;
  EXPECT_PRED2(KalvoraTest::contains, lastReport(), "150.000000 for id 5077");
  EXPECT_EQ(core.resetParam(kLutParamNormalizationGain), kReadOnly);  // computed by the core
  EXPECT_EQ(param(kLutParamPeakWhite), 2000.0);

  core.setTargetColorSpace(space(Rec2100Hlg));
  std::vector<unsigned short> codes(3 * cube(3), 7);
  std::vector<double> values(3 * cube(3), 7.0);
  EXPECT_EQ(core.get3dLut(kLutNodeLook, 3, codes.data(), kLutInterleaved, 65535, false),
            kIllegalValue);
  EXPECT_EQ(core.get3dLut(kLutNodeLook, 3, values.data(), kLutPlanar), kIllegalValue);
  EXPECT_EQ(codes, std::vector<unsigned short>(3 * cube(3), 7));
  EXPECT_EQ(values, std::vector<double>(3 * cube(3), 7.0));
  const unsigned int before = core.getNodeRevision(kLutNodeLook);
  EXPECT_EQ(core.setParam(kLutParamPeakWhite, 4000.0), kIllegalValue);
  EXPECT_PRED2(KalvoraTest::contains, lastReport(), "HLG");
  EXPECT_EQ(core.getNodeRevision(kLutNodeLook), before);
  EXPECT_EQ(core.setParam(kLutParamPeakWhite, 1000.0), kNoError);
  EXPECT_EQ(core.get3dLut(kLutNodeLook, 3, codes.data(), kLutInterleaved, 65535, false), kNoError);
  core.setTargetColorSpace(space(Rec2100Pq));  // PQ has no such rule
  EXPECT_EQ(core.setParam(kLutParamPeakWhite, 4000.0), kNoError);
}

TEST_F(LutGeneratorTest, EachParameterMarksItsNodes) {
  // At exposure 800 the normalisation is not neutral, so every change of the
  // look counts on the normalisation node too.
  const Nodes cdl{kLutNodeCdl}, look{kLutNodeLook, kLutNodeNormalization};
  const double gain = param(kLutParamNormalizationGain);
  for (unsigned int id : {kLutParamCdlOffsetRed, kLutParamCdlSlopeGreen, kLutParamCdlPowerBlue})
    EXPECT_EQ(changedBy(id, 0.5), cdl) << id;
  EXPECT_EQ(param(kLutParamNormalizationGain), gain);  // the CDL leaves the look alone
  EXPECT_EQ(changedBy(kLutParamCdlSaturation, 0.5), Nodes{kLutNodeCdlSaturation});
  for (unsigned int id :
       {kLutParamBlackGamma, kLutParamKnee, kLutParamVideoSaturation, kLutParamMasterGamma,
        kLutParamHueSaturationMagenta, kLutParamVideoSlopeRed, kLutParamVideoGammaBlue,
        kLutParamVideoGammaGreen})
    EXPECT_EQ(changedBy(id, 0.7), look) << id;
  EXPECT_NE(param(kLutParamNormalizationGain), gain);  // the look renormalises
  EXPECT_EQ(changedBy(kLutParamDiffuseWhite, 200.0), look);
  EXPECT_EQ(changedBy(kLutParamPeakWhite, 2000.0), look);
  EXPECT_EQ(changedBy(kLutParamPeakWhite, 2000.0), Nodes());  // the same value again
  // From exposure 1600 the curve reaches full scale: gain 1, offset 0, and
  // the now neutral normalisation counts once.
  const Nodes log{kLutNodeLog, kLutNodeInverseLog};
  EXPECT_EQ(changedBy(kLutParamExposureIndex, 1600.0),
            (Nodes{kLutNodeLog, kLutNodeInverseLog, kLutNodeNormalization}));
  EXPECT_EQ(changedBy(kLutParamExposureIndex, 3200.0), log);
  RgbGainOffset record{};
  ASSERT_EQ(core.getRgbGainOffset(kLutNodeNormalization, record), kNoError);
  EXPECT_EQ(record.gain[2], 1.0);
}

// The look parameters reach the built-in look exactly as direct calls would.
TEST_F(LutGeneratorTest, LookParametersReachTheVideoLook) {
  for (ColorSpace target : {P3D65Gamma26, Rec2100Pq}) {
    Vorn2VideoLut expected(&core);
    expected.setTargetColorSpace(space(target));
    core.setTargetColorSpace(space(target));
    ASSERT_EQ(core.setParam(kLutParamBlackGamma, 0.3), kNoError);
    expected.setTonemapParameter(0.3, 0.5);
    ASSERT_EQ(core.setParam(kLutParamHueSaturationYellow, 1.6), kNoError);
    expected.setHueSaturation(HueCurve::Yellow, 1.6);
    ASSERT_EQ(core.setParam(kLutParamVideoGammaGreen, 1.3), kNoError);
    expected.setGamma(1.3, Vorn2VideoLutInterface::Green);
    ASSERT_EQ(core.setParam(kLutParamVideoPedestalBlue, 0.05), kNoError);
    expected.setPedestal(0.05, Vorn2VideoLutInterface::Blue);
    ASSERT_EQ(core.setParam(kLutParamDiffuseWhite, 200.0), kNoError);
    ASSERT_EQ(core.setParam(kLutParamPeakWhite, 4000.0), kNoError);
    expected.setDiffuseWhite(200.0);
    expected.setPeakWhite(4000.0);
    const int n = 5;
    std::vector<double> got(3 * cube(n)), want(3 * cube(n));
    ASSERT_EQ(core.get3dLut(kLutNodeLook, n, got.data(), kLutPlanar), kNoError);
    expected.getTable(n, want.data(), kLutPlanar);
    EXPECT_EQ(got, want) << target;
  }
}

// ---- Node functions -------------------------------------------------------------

// The curve nodes rise; the CDL nodes follow their parameters.
TEST_F(LutGeneratorTest, CurveAndCdlNodesServeTheirFunctions) {
  std::vector<double> table(3 * 256);
  for (const unsigned int id : {kLutNodeLog, kLutNodeInverseLog}) {
    ASSERT_EQ(core.getLut(id, 256, table.data()), kNoError) << id;
    EXPECT_TRUE(std::is_sorted(table.begin(), table.begin() + 256)) << id;
    EXPECT_LT(table[0], table[255]) << id;
  }
  ASSERT_EQ(core.setParam(kLutParamCdlSlopeRed, 2.0), kNoError);
  ASSERT_EQ(core.getRgbLut(kLutNodeCdl, 256, table.data(), kLutPlanar), kNoError);
  EXPECT_NEAR(table[64], 2.0 * table[256 + 64], 1e-12);
  double matrix[9];
  ASSERT_EQ(core.setParam(kLutParamCdlSaturation, 0.0), kNoError);  // every output is the grey
  ASSERT_EQ(core.getMatrix(kLutNodeCdlSaturation, matrix), kNoError);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(matrix[i], matrix[6 + i]) << i;
  EXPECT_EQ(core.getMatrix(kLutNodeLog, matrix), kUnknownId);
}

}  // namespace
}  // namespace Kalvora
