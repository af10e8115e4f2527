#include <gtest/gtest.h>

#include <cfloat>
#include <map>
#include <set>
#include <vector>

#include "kvrLutCoreTestSupport.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrVorn2VideoLut.h"

namespace Kalvora {
namespace {

using KalvoraTest::cube;
using KalvoraTest::OpenLutGenerator;

class LutGeneratorTest : public KalvoraTest::ReportCaptureTest {
protected:
  const DisplayColorSpace* space(ColorSpace id) const { return core.getColorSpaceInfo(id); }

  double param(unsigned int id) {
    double value = -1.0;
    EXPECT_EQ(core.getParam(id, value), kNoError);
    return value;
  }

  OpenLutGenerator core;
};

// ---- Construction and pipeline description ---------------------------------------

// Node ids, types and parameters are checked against the vocabulary in its
// own suite; here the wiring: one path from the log node, exports fed by it.
TEST_F(LutGeneratorTest, BuildsTheOutputOnlyPipeline) {
  ASSERT_TRUE(core.good());
  EXPECT_EQ(core.getPipelineType(), kPipelineOutputOnly);
  const unsigned int inputs[][2] = {{kLutNodeLog, 0},
                                    {kLutNodeInverseLog, kLutNodeLog},
                                    {kLutNodeCdl, kLutNodeLog},
                                    {kLutNodeCdlSaturation, kLutNodeCdl},
                                    {kLutNodeLook, kLutNodeCdlSaturation},
                                    {kLutNodeNormalization, kLutNodeLook}};
  for (const auto& node : inputs) EXPECT_EQ(core.needNode(node[0])->input, node[1]) << node[0];
  for (int i = 0; i < core.getNumExports(); ++i) EXPECT_EQ(core.getExports()[i]->input, 5u);
  EXPECT_EQ(core.getNumParametersToSave(false), 29);
  EXPECT_EQ(core.getNumParametersToSave(true), 30);
  EXPECT_EQ(core.getTargetColorSpace(), space(Rec1886));
  EXPECT_FALSE(core.hasUser3dLut());
  EXPECT_EQ(reportCount(), 0u);
}

TEST_F(LutGeneratorTest, RangesHoldAtTheirEnds) {
  EXPECT_EQ(core.setParam(1001, 159.0), kIllegalValue);
  EXPECT_EQ(param(1001), 800.0);
  EXPECT_EQ(core.setParam(1001, 3200.0), kNoError);
  EXPECT_EQ(core.setParam(5073, -0.30000001), kIllegalValue);
  EXPECT_EQ(core.setParam(5073, -0.3), kNoError);
  EXPECT_EQ(core.setParam(3040, 0.0), kNoError);
  EXPECT_EQ(core.setParam(4242, 1.0), kUnknownId);
}

// ---- Peak and diffuse white ---------------------------------------------------------

TEST_F(LutGeneratorTest, PeakWhiteAcceptsOnlyTheThreeLevels) {
  EXPECT_EQ(core.setParam(5078, 1500.0), kIllegalValue);
  EXPECT_EQ(lastReport(), "illegal parameter value 1500.000000 for id 5078 ");
  EXPECT_EQ(param(5078), 1000.0);
  EXPECT_EQ(core.setParam(5078, 0.0), kIllegalValue);  // inside the range, not a level
  for (double level : {2000.0, 4000.0, 1000.0}) {
    EXPECT_EQ(core.setParam(5078, level), kNoError);
    EXPECT_EQ(param(5078), level);
  }
}

TEST_F(LutGeneratorTest, DiffuseWhiteAcceptsOnlyOneAndTwoHundred) {
  EXPECT_EQ(core.setParam(5077, 150.0), kIllegalValue);
  EXPECT_EQ(lastReport(), "illegal parameter value 150.000000 for id 5077 ");
  EXPECT_EQ(param(5077), 100.0);
  EXPECT_EQ(core.setParam(5077, 200.0), kNoError);
  EXPECT_EQ(param(5077), 200.0);
  EXPECT_EQ(core.setParam(5077, 100.0), kNoError);
}

TEST_F(LutGeneratorTest, HlgTargetKeepsPeakWhiteAtOneThousand) {
  core.setTargetColorSpace(space(Rec2100Hlg));
  const unsigned int before = core.getNodeRevision(10);
  EXPECT_EQ(core.setParam(5078, 2000.0), kIllegalValue);
  EXPECT_EQ(lastReport(), "Illegal value of peak white for HLG");
  EXPECT_EQ(param(5078), 1000.0);
  EXPECT_EQ(core.getNodeRevision(10), before);
  EXPECT_EQ(core.setParam(5078, 1000.0), kNoError);
  std::vector<unsigned short> out(3 * cube(3));
  EXPECT_EQ(core.get3dLut(10, 3, out.data(), kLutInterleaved, 65535, false), kNoError);
}

TEST_F(LutGeneratorTest, HlgTargetRefusesLutsWithAnotherPeakWhite) {
  ASSERT_EQ(core.setParam(5078, 4000.0), kNoError);
  core.setTargetColorSpace(space(Rec2100Hlg));
  std::vector<unsigned short> codes(3 * cube(3), 7);
  std::vector<double> values(3 * cube(3), 7.0);
  EXPECT_EQ(core.get3dLut(10, 3, codes.data(), kLutInterleaved, 65535, false), kIllegalValue);
  EXPECT_EQ(lastReport(), "Illegal value of peak white for HLG");
  EXPECT_EQ(core.get3dLut(10, 3, values.data(), kLutPlanar), kIllegalValue);
  EXPECT_EQ(codes, std::vector<unsigned short>(3 * cube(3), 7));
  EXPECT_EQ(values, std::vector<double>(3 * cube(3), 7.0));

  core.setTargetColorSpace(space(Rec2100Pq));  // PQ has no such rule
  EXPECT_EQ(core.get3dLut(10, 3, codes.data(), kLutInterleaved, 65535, false), kNoError);
  core.setTargetColorSpace(space(Rec1886));
  EXPECT_EQ(core.get3dLut(10, 3, values.data(), kLutPlanar), kNoError);
}

// ---- Change routing ---------------------------------------------------------------

class ChangeRoutingTest : public LutGeneratorTest {
protected:
  static constexpr unsigned int kNodes[] = {5, 16, 8, 9, 10, 11};

  std::map<unsigned int, unsigned int> revisions() const {
    std::map<unsigned int, unsigned int> out;
    for (unsigned int node : kNodes) out[node] = core.getNodeRevision(node);
    return out;
  }

  // The nodes whose revision a successful setParam(id, value) bumps.
  std::set<unsigned int> changedBy(unsigned int id, double value) {
    const auto before = revisions();
    EXPECT_EQ(core.setParam(id, value), kNoError) << id;
    const auto after = revisions();
    std::set<unsigned int> changed;
    for (unsigned int node : kNodes)
      if (after.at(node) != before.at(node)) changed.insert(node);
    return changed;
  }
};

constexpr unsigned int ChangeRoutingTest::kNodes[];

TEST_F(ChangeRoutingTest, EachParameterMarksItsNodes) {
  using Nodes = std::set<unsigned int>;
  // At exposure 800 the normalisation is not neutral, so every update of it
  // counts on node 11.
  for (unsigned int id : {3001u, 3002u, 3003u, 3011u, 3012u, 3013u, 3021u, 3022u, 3023u})
    EXPECT_EQ(changedBy(id, id < 3010 ? 0.1 : 1.5), Nodes({8})) << id;
  EXPECT_EQ(changedBy(3040, 0.5), Nodes({9}));
  EXPECT_EQ(changedBy(1001, 1000.0), Nodes({5, 16, 11}));
  for (unsigned int id : {4001u, 4002u, 5040u, 5051u, 5061u, 5062u, 5063u, 5064u, 5065u, 5066u,
                          5067u, 5068u, 5069u, 5070u, 5071u, 5072u})
    EXPECT_EQ(changedBy(id, 0.7), Nodes({10, 11})) << id;
  for (unsigned int id : {5073u, 5074u, 5075u}) EXPECT_EQ(changedBy(id, 0.1), Nodes({10, 11}));
  EXPECT_EQ(changedBy(5077, 200.0), Nodes({10, 11}));
  EXPECT_EQ(changedBy(5078, 2000.0), Nodes({10, 11}));
  // Storing the same value again notifies nothing.
  EXPECT_EQ(changedBy(5078, 2000.0), Nodes());
}

TEST_F(ChangeRoutingTest, NeutralNormalisationCountsOnNodeElevenOnce) {
  // From exposure 1600 on the curve reaches full scale: gain 1, offset 0.
  EXPECT_EQ(changedBy(1001, 1600.0), std::set<unsigned int>({5, 16, 11}));
  EXPECT_EQ(param(6001), 1.0);
  EXPECT_EQ(param(6002), 0.0);
  EXPECT_EQ(changedBy(5051, 1.2), std::set<unsigned int>({10}));
  EXPECT_EQ(changedBy(1001, 3200.0), std::set<unsigned int>({5, 16}));
}

TEST_F(ChangeRoutingTest, CdlLeavesTheLookAloneAndTheLookRenormalises) {
  const double gain = param(6001);
  const double offset = param(6002);
  EXPECT_EQ(changedBy(3012, 1.5), std::set<unsigned int>({8}));
  EXPECT_EQ(param(6001), gain);
  EXPECT_EQ(changedBy(5051, 1.2), std::set<unsigned int>({10, 11}));
  EXPECT_NE(param(6001), gain);
  EXPECT_NE(param(6002), offset);
  RgbGainOffset record{};
  ASSERT_EQ(core.getRgbGainOffset(11, record), kNoError);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(record.gain[c], param(6001));
    EXPECT_EQ(record.offset[c], param(6002));
  }
}

// The look parameters reach the built-in look exactly as direct calls would.
TEST_F(LutGeneratorTest, LookParametersReachTheVideoLook) {
  Vorn2VideoLut expected(&core);
  expected.setTargetColorSpace(space(P3D65Gamma26));
  core.setTargetColorSpace(space(P3D65Gamma26));
  ASSERT_EQ(core.setParam(4001, 0.3), kNoError);
  ASSERT_EQ(core.setParam(4002, 0.8), kNoError);
  expected.setTonemapParameter(0.3, 0.8);
  ASSERT_EQ(core.setParam(5062, 1.6), kNoError);
  expected.setHueSaturation(HueCurve::Yellow, 1.6);
  ASSERT_EQ(core.setParam(5071, 1.3), kNoError);
  expected.setGamma(1.3, Vorn2VideoLutInterface::Green);
  ASSERT_EQ(core.setParam(5075, 0.05), kNoError);
  expected.setPedestal(0.05, Vorn2VideoLutInterface::Blue);

  const int n = 5;
  std::vector<double> got(3 * cube(n)), want(3 * cube(n));
  ASSERT_EQ(core.get3dLut(10, n, got.data(), kLutInterleaved), kNoError);
  expected.getTable(n, want.data(), kLutInterleaved);
  EXPECT_EQ(got, want);
}

TEST_F(LutGeneratorTest, DiffuseAndPeakWhiteReachTheHdrLook) {
  Vorn2VideoLut expected(&core);
  expected.setTargetColorSpace(space(Rec2100Pq));
  core.setTargetColorSpace(space(Rec2100Pq));
  ASSERT_EQ(core.setParam(5077, 200.0), kNoError);
  ASSERT_EQ(core.setParam(5078, 4000.0), kNoError);
  expected.setDiffuseWhite(200.0);
  expected.setPeakWhite(4000.0);
  const int n = 5;
  std::vector<double> got(3 * cube(n)), want(3 * cube(n));
  ASSERT_EQ(core.get3dLut(10, n, got.data(), kLutPlanar), kNoError);
  expected.getTable(n, want.data(), kLutPlanar);
  EXPECT_EQ(got, want);
}

// ---- Node functions -------------------------------------------------------------

TEST_F(LutGeneratorTest, LogNodesAreTheCurveAndItsInverse) {
  Elvex curve(kestaElvexparam, 800.0);
  auto expectCurve = [&] {
    const int size = 1024;
    std::vector<double> encoded(size), decoded(size);
    ASSERT_EQ(core.getLut(5, size, encoded.data()), kNoError);
    ASSERT_EQ(core.getLut(16, size, decoded.data()), kNoError);
    double x = 0.0;
    for (int i = 0; i < size; ++i, x += 1.0 / (size - 1)) {
      EXPECT_EQ(encoded[i], curve.transform(x));
      EXPECT_EQ(decoded[i], curve.inverse(x));
    }
  };
  expectCurve();
  // Below the shoulder the inverse undoes the encoding.
  for (double v : {0.01, 0.2, 0.5, 0.9}) EXPECT_NEAR(curve.inverse(curve.transform(v)), v, 1e-12);
  // The exposure index re-tunes both nodes.
  ASSERT_EQ(core.setParam(1001, 3200.0), kNoError);
  curve.setAsa(3200.0);
  expectCurve();
}

TEST_F(LutGeneratorTest, CdlAndSaturationNodes) {
  ASSERT_EQ(core.setParam(3011, 2.0), kNoError);
  ASSERT_EQ(core.setParam(3002, 0.1), kNoError);
  ASSERT_EQ(core.setParam(3023, 2.0), kNoError);
  std::vector<double> table(3 * 256);
  ASSERT_EQ(core.getRgbLut(8, 256, table.data(), kLutInterleaved), kNoError);
  const int i = 51;  // x = 0.2
  EXPECT_NEAR(table[3 * i + 0], 0.4, 1e-12);
  EXPECT_NEAR(table[3 * i + 1], 0.3, 1e-12);
  EXPECT_NEAR(table[3 * i + 2], 0.04, 1e-12);

  ASSERT_EQ(core.setParam(3040, 0.5), kNoError);
  double matrix[9], expected[9];
  ASSERT_EQ(core.getMatrix(9, matrix), kNoError);
  satRgbMat(gUnityMatrix, gLumaFactors, 0.5, expected);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(matrix[k], expected[k]);
}

TEST_F(LutGeneratorTest, UnknownNodesOfEachKind) {
  double matrix[9];
  EXPECT_EQ(core.getMatrix(10, matrix), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown matrix node");
  std::vector<double> table(3 * 256);
  EXPECT_EQ(core.getLut(11, 256, table.data()), kUnknownId);  // a gain/offset node
  EXPECT_EQ(lastReport(), "Unknown node b");
  EXPECT_EQ(core.getRgbLut(9, 256, table.data(), kLutPlanar), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown node 9");
}

TEST_F(LutGeneratorTest, ExportsServeTheMonitoringVariants) {
  const int n = 3;
  std::vector<unsigned short> out(3 * cube(n));
  for (unsigned int id : {10u, 12u, 13u, 14u, 15u})
    EXPECT_EQ(core.export3dLut(id, n, out.data(), kLutInterleaved, 4095), kNoError) << id;
  EXPECT_EQ(core.export3dLut(11, n, out.data(), kLutInterleaved, 4095), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown 3dlut node");
  // Exports are not pipeline nodes: get3dLut serves node 10 only.
  EXPECT_EQ(core.get3dLut(12, n, out.data(), kLutInterleaved, 4095, false), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown node c");
}

}  // namespace
}  // namespace Kalvora
