#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "kvrCameraCalibration.h"
#include "kvrColorConversionFunc.h"
#include "kvrLutCoreTestSupport.h"
#include "kvrTestTables.h"

namespace Kalvora {
namespace {

using KalvoraTest::cube;
using KalvoraTest::gridIndex;
using KalvoraTest::makeTable;
using Codes = std::vector<unsigned short>;

class Vorn2ImageCoreTest : public KalvoraTest::ReportCaptureTest {
protected:
  const DisplayColorSpace* space(ColorSpace id) const { return core.getColorSpaceInfo(id); }

  double param(unsigned int id) {
    double value = -1.0;
    EXPECT_EQ(core.getParam(id, value), kNoError);
    return value;
  }

  KalvoraTest::OpenLutGenerator core;
};

// A smooth, clearly non-linear LUT: channel c of point (r, g, b).
Codes curvedLut(int n, LutOrder order, int maxValue) {
  return makeTable(n, order, [=](int r, int g, int b, int c) {
    const double at[3] = {double(r) / (n - 1), double(g) / (n - 1), double(b) / (n - 1)};
    const double v = 0.6 * at[c] * at[c] + 0.3 * at[(c + 1) % 3] + 0.1 * at[(c + 2) % 3];
    return int(v * maxValue + 0.5);
  });
}

Codes flatLut(int n, int code) { return Codes(3 * cube(n), static_cast<unsigned short>(code)); }

// ---- Colour spaces -------------------------------------------------------------

TEST_F(Vorn2ImageCoreTest, RegistryAndTarget) {
  for (int id = 0; id < 8; ++id) EXPECT_NE(space(ColorSpace(id)), nullptr);
  EXPECT_EQ(space(ColorSpace(8)), nullptr);
  EXPECT_EQ(core.getTargetColorSpace(), space(Rec1886));
  EXPECT_TRUE(core.isTargetColorSpace(Rec1886));

  const unsigned int revision = core.getNodeRevision(10);
  core.setTargetColorSpace(space(Rec1886));  // the same target: nothing happens
  EXPECT_EQ(core.getNodeRevision(10), revision);
  core.setTargetColorSpace(space(P3D65Gamma26));
  EXPECT_EQ(core.getNodeRevision(10), revision + 1);
  EXPECT_TRUE(core.isTargetColorSpace(P3D65Gamma26));
  EXPECT_EQ(core.getColorLuts().getTargetColorSpace(), space(P3D65Gamma26));
}

// ---- Sampling a node -----------------------------------------------------------

TEST_F(Vorn2ImageCoreTest, SamplesTheNodeInTheBindingLayout) {
  // With an unused look transform node 10 is the user LUT alone, so a
  // sample at a grid point reproduces the installed code exactly.
  const int n = 17;
  const Codes lut = curvedLut(n, kLutInterleaved, 65535);
  ASSERT_EQ(core.setUser3dLut(10, n, lut.data(), kLutInterleaved, 65535), kNoError);

  Codes interleaved(3 * cube(n)), planar(3 * cube(n)), other(3 * cube(n));
  ASSERT_EQ(core.get3dLut(10, n, interleaved.data(), kLutInterleaved, 65535, false), kNoError);
  EXPECT_EQ(interleaved, lut);
  ASSERT_EQ(core.get3dLut(10, n, planar.data(), kLutPlanar, 65535, false), kNoError);
  ASSERT_EQ(core.get3dLut(10, n, other.data(), LutOrder(7), 65535, false), kNoError);
  EXPECT_EQ(other, planar);
  for (long p = 0; p < cube(n); ++p)
    for (int c = 0; c < 3; ++c) ASSERT_EQ(planar[p + c * cube(n)], lut[3 * p + c]);

  std::vector<double> values(3 * cube(n));
  ASSERT_EQ(core.get3dLut(10, n, values.data(), kLutInterleaved), kNoError);
  const long p = gridIndex(n, 3, 9, 16);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(values[3 * p + c], lut[3 * p + c] / 65535.0, 1e-12);
}

TEST_F(Vorn2ImageCoreTest, HalfGridFillsOddPointsWithMidpoints) {
  const int n = 9;
  Codes full(3 * cube(n)), half(3 * cube(n));
  ASSERT_EQ(core.get3dLut(10, n, full.data(), kLutInterleaved, 65535, false), kNoError);
  ASSERT_EQ(core.get3dLut(10, n, half.data(), kLutInterleaved, 65535, true), kNoError);
  auto code = [&](const Codes& t, int r, int g, int b, int c) {
    return int(t[3 * gridIndex(n, r, g, b) + c]);
  };
  auto midpoint = [](int a, int b) { return a + (b - a) / 2; };
  bool differs = false;
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(code(half, 4, 6, 2, c), code(full, 4, 6, 2, c));  // evaluated
    // Edge, face and cube centre: the two ends of one diagonal.
    EXPECT_EQ(code(half, 3, 6, 2, c), midpoint(code(full, 2, 6, 2, c), code(full, 4, 6, 2, c)));
    EXPECT_EQ(code(half, 3, 5, 2, c), midpoint(code(full, 2, 4, 2, c), code(full, 4, 6, 2, c)));
    EXPECT_EQ(code(half, 7, 1, 5, c), midpoint(code(full, 6, 0, 4, c), code(full, 8, 2, 6, c)));
    differs = differs || code(half, 7, 1, 5, c) != code(full, 7, 1, 5, c);
  }
  EXPECT_TRUE(differs);  // the look is not linear between grid points
}

// ---- User 3-D LUT ----------------------------------------------------------------

TEST_F(Vorn2ImageCoreTest, InstallAndResetAUserLut) {
  int maxValue = 0, meshPoints = 0;
  LutOrder order = kLutInterleaved;
  core.getUser3dLutParam(maxValue, meshPoints, order);
  EXPECT_EQ(maxValue, 1);
  EXPECT_EQ(meshPoints, 0);
  EXPECT_EQ(order, kLutPlanar);

  const Codes lut = curvedLut(33, kLutInterleaved, 4095);
  const unsigned int revision = core.getNodeRevision(10);
  ASSERT_EQ(core.setUser3dLut(10, 33, lut.data(), kLutInterleaved, 4095), kNoError);
  EXPECT_TRUE(core.hasUser3dLut());
  EXPECT_EQ(core.getNodeRevision(10), revision + 1);
  core.getUser3dLutParam(maxValue, meshPoints, order);
  EXPECT_EQ(maxValue, 4095);
  EXPECT_EQ(meshPoints, 33);
  EXPECT_EQ(order, kLutInterleaved);

  ASSERT_EQ(core.resetUser3dLut(10), kNoError);
  EXPECT_FALSE(core.hasUser3dLut());
  EXPECT_EQ(core.getNodeRevision(10), revision + 2);
  core.getUser3dLutParam(maxValue, meshPoints, order);
  EXPECT_EQ(maxValue, 1);
  EXPECT_EQ(meshPoints, 0);
  EXPECT_EQ(order, kLutInterleaved);
}

TEST_F(Vorn2ImageCoreTest, RefusesMalformedUserLutsAndKeepsTheInstalledOne) {
  const Codes installed = flatLut(5, 2000);
  ASSERT_EQ(core.setUser3dLut(10, 5, installed.data(), kLutPlanar, 4095), kNoError);
  const unsigned int revision10 = core.getNodeRevision(10);
  const unsigned int revision11 = core.getNodeRevision(11);
  const double gain = param(6001);

  const Codes big = flatLut(66, 100);
  struct Case {
    int meshPoints;
    const unsigned short* data;
    int maxValue;
    const char* message;
  };
  const Case cases[] = {
      {1, big.data(), 4095, "illegal number of mesh points for user 3D LUT: 1 (2 to 65 allowed)"},
      {66, big.data(), 4095, "illegal number of mesh points for user 3D LUT: 66 (2 to 65 allowed)"},
      {-3, big.data(), 4095, "illegal number of mesh points for user 3D LUT: -3 (2 to 65 allowed)"},
      {33, nullptr, 4095, "user 3D LUT without data"},
      {33, big.data(), 0, "illegal full-scale value for user 3D LUT: 0"},
      {33, big.data(), -65535, "illegal full-scale value for user 3D LUT: -65535"},
  };
  for (const Case& bad : cases) {
    EXPECT_EQ(core.setUser3dLut(10, bad.meshPoints, bad.data, kLutInterleaved, bad.maxValue),
              kIllegalValue);
    EXPECT_EQ(lastReport(), bad.message);
  }
  int maxValue = 0, meshPoints = 0;
  LutOrder order = kLutInterleaved;
  core.getUser3dLutParam(maxValue, meshPoints, order);
  EXPECT_EQ(maxValue, 4095);
  EXPECT_EQ(meshPoints, 5);
  EXPECT_EQ(order, kLutPlanar);
  EXPECT_EQ(core.getNodeRevision(10), revision10);
  EXPECT_EQ(core.getNodeRevision(11), revision11);
  EXPECT_EQ(param(6001), gain);

  // The smallest and largest meshes are accepted.
  const Codes two = flatLut(2, 10);
  EXPECT_EQ(core.setUser3dLut(10, 2, two.data(), kLutInterleaved, 4095), kNoError);
  const Codes most = flatLut(65, 10);
  EXPECT_EQ(core.setUser3dLut(10, 65, most.data(), kLutInterleaved, 4095), kNoError);
}

TEST_F(Vorn2ImageCoreTest, NormalisationFollowsTheUserLut) {
  // At exposure 800 the video look needs stretching.
  EXPECT_NE(param(6001), 1.0);
  PipelineNode* node11 = core.needNode(11);
  EXPECT_FALSE(node11->bypassed);

  // A flat LUT has no range to stretch: gain 1, offset 0, node 11 identity.
  const Codes flat = flatLut(3, 1000);
  unsigned int revision = core.getNodeRevision(11);
  ASSERT_EQ(core.setUser3dLut(10, 3, flat.data(), kLutInterleaved, 4095), kNoError);
  EXPECT_EQ(param(6001), 1.0);
  EXPECT_EQ(param(6002), 0.0);
  EXPECT_TRUE(node11->bypassed);
  EXPECT_EQ(core.getNodeRevision(11), revision + 1);
  ASSERT_EQ(core.setUser3dLut(10, 3, flat.data(), kLutInterleaved, 4095), kNoError);
  EXPECT_EQ(core.getNodeRevision(11), revision + 1);  // still identity: counted once

  // A LUT proportional to its input stretches [lo, hi] onto [black, 1].
  const Codes ramp = KalvoraTest::makeIdentityTable(2, kLutInterleaved, 4095);
  ASSERT_EQ(core.setUser3dLut(10, 2, ramp.data(), kLutInterleaved, 4095), kNoError);
  const Elvex& curve = core.getColorLuts().getElvex();
  const double black = kestaElvexparam.encodingBlack;
  const double hi = std::min(curve.getMaxValue(), 1.0);
  const double gain = (1.0 - black) / (hi - black);
  EXPECT_NEAR(param(6001), gain, 1e-12);
  EXPECT_NEAR(param(6002), black - gain * black, 1e-12);
  EXPECT_FALSE(node11->bypassed);
  EXPECT_EQ(core.getNodeRevision(11), revision + 2);

  // Back to the video look.
  ASSERT_EQ(core.resetUser3dLut(10), kNoError);
  EXPECT_NE(param(6001), 1.0);
}

// ---- Decimation and byte order ---------------------------------------------------

TEST_F(Vorn2ImageCoreTest, DecimatesThirtyThreeToSeventeenPoints) {
  for (LutOrder order : {kLutInterleaved, kLutPlanar, LutOrder(2)}) {
    Codes in = makeTable(33, order,
                         [](int r, int g, int b, int c) { return (r * 33 + g) * 33 + b + 7 * c; });
    Codes out(3 * cube(17));
    ASSERT_EQ(core.getSmall3dLut(33, in.data(), order, out.data()), kNoError);
    const Codes expected = makeTable(17, order, [](int r, int g, int b, int c) {
      return (2 * r * 33 + 2 * g) * 33 + 2 * b + 7 * c;
    });
    EXPECT_EQ(out, expected);
  }
}

TEST_F(Vorn2ImageCoreTest, SwapsByteOrder) {
  Codes in = makeTable(3, kLutInterleaved, [](int r, int g, int b, int c) {
    return 0x1234 + 0x101 * ((r * 3 + g) * 3 + b) + c;
  });
  Codes out(in.size());
  EXPECT_EQ(Vorn2ImageCore::swap3DLutEndianess(3, in.data(), out.data()), kNoError);
  EXPECT_EQ(out[0], 0x3412);
  EXPECT_EQ(out[2], 0x3612);
  Codes twice = out;
  Vorn2ImageCore::swap3DLutEndianess(3, twice.data(), twice.data());  // in place
  EXPECT_EQ(twice, in);
  Codes untouched(3, 0xABCD);
  Vorn2ImageCore::swap3DLutEndianess(0, untouched.data(), untouched.data());
  EXPECT_EQ(untouched, Codes(3, 0xABCD));
}

// ---- Re-targeting ------------------------------------------------------------------

TEST_F(Vorn2ImageCoreTest, RetargetingConvertsEveryPoint) {
  core.setTargetColorSpace(space(P3D65Gamma26));
  ColorConversionFunc conversion(space(P3D65Gamma26), space(Rec1886));
  conversion.init(false);
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    const int n = 5;
    Codes in = curvedLut(n, order, 4095);
    Codes out(in.size());
    ASSERT_EQ(core.convert3dLut2Rec709(n, in.data(), order, 4095, out.data()), kNoError);
    for (long p = 0; p < cube(n); ++p) {
      double rgb[3];
      for (int c = 0; c < 3; ++c) rgb[c] = in[tableIndex(order, p, c, cube(n))] / 4095.0;
      conversion.transform(rgb[0], rgb[1], rgb[2], rgb[0], rgb[1], rgb[2]);
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(out[tableIndex(order, p, c, cube(n))], toCode16(rgb[c], 4095));
    }
    // In place gives the same result.
    ASSERT_EQ(core.convert3dLut2Rec709(n, in.data(), order, 4095, in.data()), kNoError);
    EXPECT_EQ(in, out);
  }
}

TEST_F(Vorn2ImageCoreTest, RetargetingRefusesFullScalesACodeCannotHold) {
  Codes in(3 * cube(3), 100), out(3 * cube(3), 5);
  for (int maxValue : {0, -1, 65536}) {
    EXPECT_EQ(core.convert3dLut2Rec709(3, in.data(), kLutInterleaved, maxValue, out.data()),
              kIllegalValue);
  }
  EXPECT_EQ(lastReport(), "illegal full-scale value: 65536");
  EXPECT_EQ(out, Codes(3 * cube(3), 5));
}

// ---- Neutral-axis curve ---------------------------------------------------------

double lumaOf(const Codes& lut, int n, LutOrder order, int k, double maxValue) {
  const long p = gridIndex(n, k, k, k);
  double y = 0.0;
  for (int c = 0; c < 3; ++c)
    y += gLumaFactors[c] * (lut[tableIndex(order, p, c, cube(n))] / maxValue);
  return y;
}

TEST_F(Vorn2ImageCoreTest, GrayScaleTransformSamplesTheDiagonalLuma) {
  const int n = 9;
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    const Codes lut = curvedLut(n, order, 4095);
    Codes out(n);
    EXPECT_EQ(core.getGrayScaleTransform(n, lut.data(), order, 4095, n, out.data(), 65535),
              kNoError);
    for (int k = 0; k < n; ++k) EXPECT_EQ(out[k], toCode16(lumaOf(lut, n, order, k, 4095), 65535));

    Codes one(1);
    core.getGrayScaleTransform(n, lut.data(), order, 4095, 1, one.data(), 1023);
    EXPECT_EQ(one[0], toCode16(lumaOf(lut, n, order, 0, 4095), 1023));

    // Twice as many outputs fall half-way between diagonal points.
    Codes fine(2 * n - 1);
    core.getGrayScaleTransform(n, lut.data(), order, 4095, 2 * n - 1, fine.data(), 65535);
    const double between = 0.5 * (lumaOf(lut, n, order, 3, 4095) + lumaOf(lut, n, order, 4, 4095));
    EXPECT_NEAR(fine[7], between * 65535, 1.0);
  }
}

// ---- Video level to log code ------------------------------------------------------

class ConvertVideoTest : public Vorn2ImageCoreTest {
protected:
  void SetUp() override {
    Vorn2ImageCoreTest::SetUp();
    // A neutral normalisation makes the video level the table's input.
    ASSERT_EQ(core.setParam(1001, 1600.0), kNoError);
    ASSERT_EQ(param(6001), 1.0);
    ASSERT_EQ(param(6002), 0.0);
  }

  double convert(double video, const Codes& codes, int maxValue = 1000) {
    double elvex = -1.0;
    EXPECT_EQ(core.convertVideo2Elvex(video, int(codes.size()), codes.data(), maxValue, elvex),
              kNoError);
    return elvex;
  }

  const Codes table{100, 200, 400, 800};
};

TEST_F(ConvertVideoTest, InterpolatesTheTablePosition) {
  EXPECT_DOUBLE_EQ(convert(0.3, table), (1 + 0.5) / 3.0);
  EXPECT_DOUBLE_EQ(convert(0.8, table), 1.0);
  EXPECT_DOUBLE_EQ(convert(0.05, table), 0.0);
  EXPECT_DOUBLE_EQ(convert(0.9, table), 1.0);
  // Exactly the first entry is position 0, like every level just above it.
  EXPECT_DOUBLE_EQ(convert(0.1, table), 0.0);
}

TEST_F(ConvertVideoTest, UndoesTheNormalisationFirst) {
  ASSERT_EQ(core.setParam(1001, 800.0), kNoError);
  const double gain = param(6001);
  const double offset = param(6002);
  ASSERT_NE(gain, 1.0);
  const double video = 0.3 * gain + offset;  // normalises back to 0.3
  EXPECT_NEAR(convert(video, table), (1 + 0.5) / 3.0, 1e-9);
}

TEST_F(ConvertVideoTest, ToleratesTablesThatDoNotIncrease) {
  // The first bracket decides; nothing outside the table is read.
  const Codes falling{100, 900, 300, 500};
  EXPECT_DOUBLE_EQ(convert(0.4, falling), 0.375 / 3.0);
  EXPECT_DOUBLE_EQ(convert(0.2, Codes{100, 50, 30, 500}), (2 + 170.0 / 470.0) / 3.0);
  const Codes single{100};
  EXPECT_DOUBLE_EQ(convert(0.05, single), 0.0);
  EXPECT_DOUBLE_EQ(convert(0.2, single), 1.0);
  double elvex = -1.0;
  EXPECT_EQ(core.convertVideo2Elvex(0.4, 0, table.data(), 1000, elvex), kIllegalValue);
  EXPECT_EQ(lastReport(), "illegal table for video conversion");
  EXPECT_EQ(core.convertVideo2Elvex(0.4, 4, nullptr, 1000, elvex), kIllegalValue);
  EXPECT_EQ(elvex, -1.0);
}

// ---- White balance ---------------------------------------------------------------

// A camera-like LUT core with the white-balance parameters and nodes.
class BalanceCore : public Vorn2ImageCore {
public:
  BalanceCore() : Vorn2ImageCore(1, kPipelineOutputOnly, kestaElvexparam) {
    createPipeline();
    createParameters();
    initState(true);
  }

  using Vorn2ImageCore::updateColorTempAndTint;

protected:
  void do_getMatrix(unsigned int, double (&)[9]) override {}
  LutFunc const* do_getLut(unsigned int) const override { return &LutFunc::sUnity; }
  LutFuncRgb const* do_getRgbLut(unsigned int) const override { return &LutFuncRgb::sUnity; }
  void updateParam(unsigned int) override {}
  void handleModeChanged(PipelineMode&) override {}
  void splitId(unsigned int&, unsigned int&) const override {}
  void createPipeline() override {
    const unsigned int ids[] = {2, 3, 10, 11};
    const NodeType types[] = {kNodeRgbGain, kNodeMatrix, kNode3dLut, kNodeRgbGainOffset};
    PipelineNode** nodes = new PipelineNode*[4];
    for (int i = 0; i < 4; ++i)
      nodes[i] = new PipelineNode(ids[i], i == 0 ? 0 : ids[i - 1], types[i]);
    setPipeline(nodes, 4);
  }
  void createExports() override {}
  void createParameters() override {
    const unsigned int ids[] = {2001, 2002, 2003, 2004, 2005, 6001, 6002};
    const double values[] = {5600, 5600, 0, 1, 1, 1, 0};
    PipelineParameter** parameters = new PipelineParameter*[7];
    for (int i = 0; i < 7; ++i)
      parameters[i] = new PipelineParameter(ids[i], values[i], -1e9, 1e9, kPersistNever, false);
    setParameter(parameters, 7);
  }
  void createModes() override {}
  void updateRgbGain(double, double) override {}
  void setDefaultBranchParam() override {}
};

using SystemRow = CameraSystemCalibrationRecord::ColorConversionData;

struct FreeRecord {
  void operator()(CameraSystemCalibrationRecord* record) const { std::free(record); }
};

class WhiteBalanceTest : public KalvoraTest::ReportCaptureTest {
protected:
  WhiteBalanceTest() : record(CameraSystemCalibrationRecord::allocate(3)) {
    const SystemRow rows[] = {
        {3200, 1.375f, 2.5f, 1.125f, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
        {4300, 1.625f, 2.0f, 1.0625f, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
        {5600, 1.875f, 1.75f, 0.9375f, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
    };
    for (int i = 0; i < 3; ++i) record->rows()[i] = rows[i];
    core.setSystemCalibration(0, *record);
  }

  double param(unsigned int id) {
    double value = -1.0;
    EXPECT_EQ(core.getParam(id, value), kNoError);
    return value;
  }

  std::unique_ptr<CameraSystemCalibrationRecord, FreeRecord> record;
  BalanceCore core;
};

TEST_F(WhiteBalanceTest, ConfigurationDerivesTheGainsOfTheTemperature) {
  ASSERT_TRUE(core.good());
  ASSERT_EQ(core.setParam(2002, 4300.0), kNoError);
  ASSERT_EQ(core.setParam(2003, 0.5), kNoError);
  const unsigned int gains = core.getNodeRevision(2), matrix = core.getNodeRevision(3);
  ASSERT_EQ(core.useConfiguration(0), kNoError);
  double red = 0.0, blue = 0.0;
  core.getWhiteBlanceGain(4300.0, 0.5, red, blue);
  EXPECT_EQ(param(2004), red);
  EXPECT_EQ(param(2005), blue);
  EXPECT_EQ(param(2001), 4300.0);
  EXPECT_EQ(core.getNodeRevision(2), gains + 1);
  EXPECT_EQ(core.getNodeRevision(3), matrix + 1);
  RgbGainOffset balance{{0, 0, 0}, {7, 7, 7}};
  ASSERT_EQ(core.getRgbGainOffset(2, balance), kNoError);
  EXPECT_EQ(balance.gain[0], red);
  EXPECT_EQ(balance.gain[1], 1.0);
  EXPECT_EQ(balance.gain[2], blue);
  EXPECT_EQ(balance.offset[0], 7.0);

  core.updateColorTempAndTint(5600.0, 0.0);
  core.getWhiteBlanceGain(5600.0, 0.0, red, blue);
  EXPECT_EQ(param(2004), red);
  EXPECT_EQ(param(2002), 5600.0);
  EXPECT_EQ(core.getNodeRevision(2), gains + 1);  // no change handling
}

TEST_F(Vorn2ImageCoreTest, DecimationNeedsThirtyThreePoints) {
  Codes in(3 * cube(65), 1), out(3 * cube(17), 5);
  for (int n : {17, 65, 0}) {
    EXPECT_EQ(core.getSmall3dLut(n, in.data(), kLutInterleaved, out.data()), kIllegalValue);
    EXPECT_EQ(lastReport(), "illegal value for number of mesh points");
  }
  EXPECT_EQ(out, Codes(3 * cube(17), 5));
}

TEST_F(Vorn2ImageCoreTest, UserLutOnlyOnNodeTen) {
  const Codes lut = flatLut(3, 100);
  EXPECT_EQ(core.setUser3dLut(12, 3, lut.data(), kLutInterleaved, 4095), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown node c");
  EXPECT_EQ(core.setUser3dLut(9, 3, lut.data(), kLutInterleaved, 4095), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown 3dlut node");
  EXPECT_EQ(core.resetUser3dLut(9), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown 3dlut node");
  EXPECT_FALSE(core.hasUser3dLut());
}

TEST_F(Vorn2ImageCoreTest, GrayScaleTransformClampsAndIgnoresEmptyRequests) {
  const Codes bright = flatLut(3, 3000);  // reads as 3000 / 1000 = 3
  Codes out(4, 7);
  EXPECT_EQ(
      core.getGrayScaleTransform(3, bright.data(), kLutInterleaved, 1000, 4, out.data(), 1023),
      kNoError);
  EXPECT_EQ(out, Codes(4, 1023));
  Codes untouched(4, 7);
  EXPECT_EQ(core.getGrayScaleTransform(3, bright.data(), kLutInterleaved, 1000, 0, untouched.data(),
                                       1023),
            kNoError);
  EXPECT_EQ(core.getGrayScaleTransform(0, bright.data(), kLutInterleaved, 1000, 4, untouched.data(),
                                       1023),
            kNoError);
  EXPECT_EQ(untouched, Codes(4, 7));
}

TEST_F(Vorn2ImageCoreTest, GainOffsetRecords) {
  RgbGainOffset record{{9, 9, 9}, {9, 9, 9}};
  EXPECT_EQ(core.getRgbGainOffset(10, record), kNoError);
  EXPECT_EQ(record.gain[0], 9.0);
  EXPECT_EQ(record.offset[2], 9.0);
  // The generator has no white-balance parameters.
  EXPECT_EQ(core.getRgbGainOffset(2, record), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown parameter 7d4");
  EXPECT_EQ(record.gain[0], 9.0);
}

TEST_F(Vorn2ImageCoreTest, OnlyThreeDimensionalNodesAreSampled) {
  Codes out(3 * cube(3), 9);
  EXPECT_EQ(core.get3dLut(8, 3, out.data(), kLutInterleaved, 65535, false), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown node 8");
  // A matrix node belongs to the 3-D family but has no 3-D function.
  EXPECT_EQ(core.get3dLut(9, 3, out.data(), kLutInterleaved, 65535, false), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown 3dlut node");
  EXPECT_EQ(out, Codes(3 * cube(3), 9));
}

}  // namespace
}  // namespace Kalvora
