#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "kvrLut3D.h"
#include "kvrLutCoreTestSupport.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrProcessNode.h"

using namespace Kalvora;
using KalvoraTest::ReportCapture;
// The image core base; plain "Kalvora" also names the namespace.
using ImageCore = ::Kalvora::Kalvora;

namespace {

constexpr int k10Bit = 1023;
constexpr int k16Bit = 65535;

// Node ids of the small core below.
enum : unsigned int { kLut = 1, kRgbLut = 2, kMatrix = 3, kGainOffset = 4 };

// Fails on demand half way through a table, after part of the node's buffer is written.
class HalfWayFunc : public LutFunc {
public:
  explicit HalfWayFunc(double gamma) : gamma_(gamma) {}
  double transform(double x) const override {
    if (failing && x > 0.5) throw KvrSignal(kIllegalValue, "test:1 ERROR", "injected failure");
    return std::pow(x, gamma_);
  }
  void show(int) const override {}
  bool failing = false;

private:
  double gamma_;
};

// An image core with one node of each table kind, whose data the test sets.
class FixedCore : public ImageCore {
public:
  FixedCore() : ImageCore(0, kPipelineOutputOnly, kestaElvexparam), triple_(red_, green_, blue_) {
    createPipeline();
    initState(true);
  }

  void fail(bool failing) {
    failing_ = failing;
    for (HalfWayFunc* f : {&grey_, &red_, &green_, &blue_}) f->failing = failing;
  }
  void setGains(double r, double g, double b) { gain_ = {r, g, b}; }
  void setOffsets(double r, double g, double b) { offset_ = {r, g, b}; }

  double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

protected:
  void do_getMatrix(unsigned int, double (&m)[9]) override {
    if (failing_) throw KvrSignal(kIllegalValue, "test:2 ERROR", "injected failure");
    std::copy(matrix, matrix + 9, m);
  }
  LutFunc const* do_getLut(unsigned int) const override { return &grey_; }
  LutFuncRgb const* do_getRgbLut(unsigned int) const override { return &triple_; }
  LutFunc3D const* do_exportLut(unsigned int id) override {
    throwUnknownId("test:3 ERROR", "", id);
  }
  // Writes the gains, then fails before the offsets when asked to.
  void do_getRgbGainOffset(unsigned int, RgbGainOffset& out) override {
    std::copy(gain_.begin(), gain_.end(), out.gain);
    if (failing_) throw KvrSignal(kIllegalValue, "test:4 ERROR", "injected failure");
    std::copy(offset_.begin(), offset_.end(), out.offset);
  }
  void updateParam(unsigned int) override {}
  void handleParamChanged(PipelineParameter&, double) override {}
  void handleModeChanged(PipelineMode&) override {}
  void handleOpticalConfigChanged(int) override {}
  void splitId(unsigned int&, unsigned int&) const override {}
  void createPipeline() override {
    setPipeline(
        new PipelineNode* [4] {
          new PipelineNode(kLut, 0, kNodeLut), new PipelineNode(kRgbLut, kLut, kNodeRgbLut),
              new PipelineNode(kMatrix, kRgbLut, kNodeMatrix),
              new PipelineNode(kGainOffset, kMatrix, kNodeRgbGainOffset)
        },
        4);
  }
  void createExports() override {}
  void createParameters() override {}
  void createModes() override {}
  void updateRgbGain(double, double) override {}

private:
  bool failing_ = false;
  std::vector<double> gain_ = {1, 1, 1}, offset_ = {0, 0, 0};
  HalfWayFunc grey_{0.5}, red_{0.8}, green_{1.0}, blue_{1.25};
  LutFuncTriple triple_;
};

// Per-pixel results of every code 0 ... maxValue as grey.
std::vector<int> greyRamp(const ProcessNode& node) {
  std::vector<int> out(3 * (node.getMaxValue() + 1));
  for (int c = 0; c <= node.getMaxValue(); ++c)
    node.transform(c, c, c, out[3 * c], out[3 * c + 1], out[3 * c + 2]);
  return out;
}

}  // namespace

TEST(ProcessNode, FailedInitKeepsThePreviousData) {
  ReportCapture capture;
  FixedCore core;
  core.setGains(2.0, 2.0, 2.0);
  core.setOffsets(0.25, 0.25, 0.25);
  core.matrix[1] = 0.5;
  std::vector<std::unique_ptr<ProcessNode>> nodes;
  nodes.push_back(std::make_unique<ProcessRgbGainOffsetNode>(kGainOffset, k10Bit));
  nodes.push_back(std::make_unique<ProcessLutNode>(kLut, 1024, k10Bit, 0));
  nodes.push_back(std::make_unique<ProcessRgbLutNode>(kRgbLut, 1024, kLutInterleaved, k10Bit, 0));
  nodes.push_back(std::make_unique<ProcessRgbMatrixNode>(kMatrix, 12, k10Bit));
  for (auto& node : nodes) {
    core.fail(false);
    ASSERT_EQ(node->init(&core), kNoError);
    const std::vector<int> before = greyRamp(*node);
    // The core now changes its data and then fails part way through.
    core.setGains(3.0, 3.0, 3.0);
    core.fail(true);
    EXPECT_EQ(node->init(&core), kIllegalValue) << node->getId();
    EXPECT_EQ(greyRamp(*node), before) << node->getId();
  }
  EXPECT_EQ(ReportCapture::lastMessage(), "injected failure");
}

TEST(ProcessNode, InitRefusesCoresAndSizesItCannotUse) {
  ReportCapture capture;
  FixedCore fixed;
  LutGeneratorImageCore generator;
  auto cube = [&](unsigned int id, int mesh, int maxValue) {
    return Process3DLutNode(id, mesh, kLutInterleaved, maxValue).init(&generator);
  };
  EXPECT_EQ(cube(kLutNodeLook, 1, k10Bit), kIllegalValue);
  EXPECT_EQ(cube(kLutNodeLook, 66, k10Bit), kIllegalValue);
  EXPECT_EQ(cube(kLutNodeLook, 17, 65536), kLimitExceeded);
  EXPECT_EQ(cube(kLutExportLookRec1886, 17, k10Bit), kUnknownId);
  EXPECT_EQ(ProcessLutNode(kLut, 255, k10Bit, 0).init(&fixed), kIllegalValue);  // the core's check
}

TEST(ProcessNode, BatchEqualsPerPixel) {
  FixedCore core;
  core.setGains(1.7, 0.9, 0.4);
  core.setOffsets(-0.1, 0.05, 0.2);
  const double m[9] = {1.2, -0.3, 0.1, -0.2, 1.4, -0.2, 0.05, -0.4, 1.35};
  std::copy(m, m + 9, core.matrix);
  LutGeneratorImageCore generator;
  ASSERT_EQ(generator.setParam(kLutParamCdlSaturation, 1.4), kNoError);
  for (int maxValue : {k10Bit, k16Bit}) {
    std::unique_ptr<ProcessNode> nodes[] = {
        std::make_unique<ProcessRgbGainNode>(kGainOffset, maxValue),
        std::make_unique<ProcessRgbOffsetNode>(kGainOffset, maxValue),
        std::make_unique<ProcessRgbGainOffsetNode>(kGainOffset, maxValue),
        std::make_unique<ProcessLutNode>(kLut, 4096, maxValue, maxValue > 4095 ? 4 : 0),
        std::make_unique<ProcessRgbLutNode>(kRgbLut, maxValue + 1, kLutPlanar, maxValue, 0),
        std::make_unique<ProcessRgbMatrixNode>(kMatrix, 14, maxValue),
        std::make_unique<Process3DLutNode>(kLutNodeLook, 33, kLutPlanar, maxValue)};
    // Codes in and far outside the range, over more than one chunk of the 3-D loop.
    std::mt19937 random(14);
    std::uniform_int_distribution<int> code(-2 * maxValue, 3 * maxValue);
    std::vector<int> frame(3 * 1001);
    for (int& v : frame) v = code(random);
    const int extremes[] = {INT_MIN, -1, 0, maxValue, maxValue + 1, INT_MAX};
    std::copy(std::begin(extremes), std::end(extremes), frame.begin());
    const int pixels = static_cast<int>(frame.size() / 3);
    for (auto& node : nodes) {
      SCOPED_TRACE(testing::Message() << "node " << node->getId() << " max " << maxValue);
      ImageCore* source =
          node->getId() == kLutNodeLook ? static_cast<ImageCore*>(&generator) : &core;
      ASSERT_EQ(node->init(source), kNoError);
      std::vector<int> perPixel(frame.size()), batch(frame.size()), inPlace = frame;
      for (int k = 0; k < 3 * pixels; k += 3)
        node->transform(frame[k], frame[k + 1], frame[k + 2], perPixel[k], perPixel[k + 1],
                        perPixel[k + 2]);
      node->transform(frame.data(), batch.data(), pixels);
      node->transform(inPlace.data(), inPlace.data(), pixels);
      EXPECT_EQ(batch, perPixel);
      EXPECT_EQ(inPlace, perPixel);
      EXPECT_TRUE(
          std::all_of(batch.begin(), batch.end(), [&](int v) { return 0 <= v && v <= maxValue; }));
    }
  }
}

namespace {

// The core's double-precision result for a node, in code units.
using Reference = std::function<void(const int (&in)[3], double (&out)[3])>;

// Tables of one entry per code, for a LUT node (one curve) or an RGB LUT node.
Reference tableReference(ImageCore& core, unsigned int id, int maxValue, bool rgb) {
  const int size = maxValue + 1;
  std::vector<double> table(3 * size);
  if (rgb) {
    EXPECT_EQ(core.getRgbLut(id, size, table.data(), kLutPlanar), kNoError) << id;
  } else {
    EXPECT_EQ(core.getLut(id, size, table.data()), kNoError) << id;
  }
  return [=](const int(&in)[3], double(&out)[3]) {
    for (int c = 0; c < 3; ++c) out[c] = table[(rgb ? c * size : 0) + in[c]] * maxValue;
  };
}

constexpr int kPoints = 33;  // mesh of the 3-D node

// The node's double-precision table, clamped and rounded to 16-bit codes,
// read by the library's tetrahedral 3-D LUT.
Reference cubeReference(LutGeneratorImageCore& core, unsigned int id, int maxValue) {
  std::vector<double> exact(3 * KalvoraTest::cube(kPoints));
  EXPECT_EQ(core.get3dLut(id, kPoints, exact.data(), kLutInterleaved), kNoError);
  auto table = std::make_shared<std::vector<unsigned short>>();
  for (double v : exact) table->push_back(toCode16(v, k16Bit));
  auto lut = std::make_shared<Lut3D>(kPoints, table->data(), kLutInterleaved, k16Bit, false);
  return [table, lut, maxValue](const int(&in)[3], double(&out)[3]) {
    lut->transform(double(in[0]) / maxValue, double(in[1]) / maxValue, double(in[2]) / maxValue,
                   out[0], out[1], out[2]);
    for (double& v : out) v *= maxValue;
  };
}

}  // namespace

// A grey ramp, the primaries and random colours pushed through the chain in batches: every
// node's output is within one code of the core's double-precision result, rounded.
TEST(ProcessNode, LutGeneratorChainMatchesTheCoreNodeByNode) {
  const std::pair<unsigned int, double> look[] = {
      {kLutParamCdlSlopeRed, 1.2},   {kLutParamCdlOffsetGreen, 0.03}, {kLutParamCdlPowerBlue, 0.9},
      {kLutParamCdlSaturation, 1.3}, {kLutParamMasterGamma, 1.1},     {kLutParamBlackGamma, 0.3}};
  for (ColorSpace target : {Rec1886, Rec2100Pq})
    for (int maxValue : {k10Bit, k16Bit}) {
      SCOPED_TRACE(testing::Message() << "target " << target << " max " << maxValue);
      LutGeneratorImageCore core;
      core.setTargetColorSpace(core.getColorSpaceInfo(target));
      for (const auto& s : look) ASSERT_EQ(core.setParam(s.first, s.second), kNoError);
      double gain = 0.0, offset = 0.0, m[9];
      ASSERT_EQ(core.getParam(kLutParamNormalizationGain, gain), kNoError);
      ASSERT_EQ(core.getParam(kLutParamNormalizationOffset, offset), kNoError);
      ASSERT_EQ(core.getMatrix(kLutNodeCdlSaturation, m), kNoError);
      const int bits = maxValue > k10Bit ? 20 : 12;  // fixed-point entries err well under a code
      const std::pair<std::unique_ptr<ProcessNode>, Reference> chain[] = {
          {std::make_unique<ProcessLutNode>(kLutNodeLog, maxValue + 1, maxValue, 0),
           tableReference(core, kLutNodeLog, maxValue, false)},
          {std::make_unique<ProcessRgbLutNode>(kLutNodeCdl, maxValue + 1, kLutInterleaved, maxValue,
                                               0),
           tableReference(core, kLutNodeCdl, maxValue, true)},
          {std::make_unique<ProcessRgbMatrixNode>(kLutNodeCdlSaturation, bits, maxValue),
           [m](const int(&in)[3], double(&out)[3]) {
             for (int c = 0; c < 3; ++c)
               out[c] = m[3 * c] * in[0] + m[3 * c + 1] * in[1] + m[3 * c + 2] * in[2];
           }},
          {std::make_unique<Process3DLutNode>(kLutNodeLook, kPoints, kLutPlanar, maxValue),
           cubeReference(core, kLutNodeLook, maxValue)},
          {std::make_unique<ProcessRgbGainOffsetNode>(kLutNodeNormalization, maxValue),
           [=](const int(&in)[3], double(&out)[3]) {
             for (int c = 0; c < 3; ++c) out[c] = in[c] * gain + offset * maxValue;
           }},
      };
      std::vector<int> codes;
      for (int k = 0; k <= 64; ++k)
        codes.insert(codes.end(), 3, static_cast<int>(std::lround(k / 64.0 * maxValue)));
      for (int k = 0; k < 9; ++k) codes.push_back(k % 4 == 0 ? maxValue : 0);
      std::mt19937 random(2026);
      std::uniform_int_distribution<int> code(0, maxValue);
      for (int k = 0; k < 3 * 4000; ++k) codes.push_back(code(random));
      const int pixels = static_cast<int>(codes.size() / 3);
      for (const auto& stage : chain) {
        ASSERT_EQ(stage.first->init(&core), kNoError) << stage.first->getId();
        std::vector<int> out(codes.size());
        stage.first->transform(codes.data(), out.data(), pixels);
        int largest = 0;
        for (int k = 0; k < pixels; ++k) {
          double expected[3];
          stage.second({codes[3 * k], codes[3 * k + 1], codes[3 * k + 2]}, expected);
          for (int c = 0; c < 3; ++c) {
            const long rounded =
                std::lround(std::min(std::max(expected[c], 0.0), double(maxValue)));
            largest = std::max(largest, std::abs(out[3 * k + c] - static_cast<int>(rounded)));
          }
        }
        EXPECT_LE(largest, 1) << "node " << stage.first->getId();
        codes.swap(out);
      }
    }
}
