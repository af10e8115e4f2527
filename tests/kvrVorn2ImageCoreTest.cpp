// The 3-D LUT services of the LUT core: sampling, user LUTs and their
// normalisation, decimation, byte order, re-targeting and the neutral axis.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "kvrLutCoreTestSupport.h"
#include "kvrTestTables.h"

namespace Kalvora {
namespace {

using KalvoraTest::cube;
using KalvoraTest::gridIndex;
using KalvoraTest::makeTable;
using Codes = std::vector<unsigned short>;

using Vorn2ImageCoreTest = KalvoraTest::LutCoreTest;

// A smooth, clearly non-linear LUT: channel c of point (r, g, b).
Codes curvedLut(int n, LutOrder order, int maxValue) {
  return makeTable(n, order, [=](int r, int g, int b, int c) {
    const double at[3] = {double(r) / (n - 1), double(g) / (n - 1), double(b) / (n - 1)};
    const double v = 0.6 * at[c] * at[c] + 0.3 * at[(c + 1) % 3] + 0.1 * at[(c + 2) % 3];
    return int(std::lround(v * maxValue));
  });
}

Codes flatLut(int n, int code) { return Codes(3 * cube(n), static_cast<unsigned short>(code)); }

// ---- Sampling a node -----------------------------------------------------------

TEST_F(Vorn2ImageCoreTest, SamplesTheNodeInTheBindingLayout) {
  // With an unused look transform the look node is the user LUT alone, so a
  // sample at a grid point reproduces the installed code exactly.
  const int n = 17;
  const Codes lut = curvedLut(n, kLutInterleaved, 65535);
  ASSERT_EQ(core.setUser3dLut(kLutNodeLook, n, lut.data(), kLutInterleaved, 65535), kNoError);
  Codes interleaved(3 * cube(n)), planar(3 * cube(n)), other(3 * cube(n));
  ASSERT_EQ(core.get3dLut(kLutNodeLook, n, interleaved.data(), kLutInterleaved, 65535, false),
            kNoError);
  EXPECT_EQ(interleaved, lut);
  ASSERT_EQ(core.get3dLut(kLutNodeLook, n, planar.data(), kLutPlanar, 65535, false), kNoError);
  ASSERT_EQ(core.get3dLut(kLutNodeLook, n, other.data(), LutOrder(7), 65535, false), kNoError);
  EXPECT_EQ(other, planar);
  for (long p = 0; p < cube(n); ++p)
    for (int c = 0; c < 3; ++c) ASSERT_EQ(planar[p + c * cube(n)], lut[3 * p + c]);
  std::vector<double> values(3 * cube(n));
  ASSERT_EQ(core.get3dLut(kLutNodeLook, n, values.data(), kLutInterleaved), kNoError);
  const long p = gridIndex(n, 3, 9, 16);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(values[3 * p + c], lut[3 * p + c] / 65535.0, 1e-12);
}

TEST_F(Vorn2ImageCoreTest, HalfGridFillsOddPointsWithMidpoints) {
  const int n = 9;
  Codes full(3 * cube(n)), half(3 * cube(n));
  ASSERT_EQ(core.get3dLut(kLutNodeLook, n, full.data(), kLutInterleaved, 65535, false), kNoError);
  ASSERT_EQ(core.get3dLut(kLutNodeLook, n, half.data(), kLutInterleaved, 65535, true), kNoError);
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

TEST_F(Vorn2ImageCoreTest, InstallsAndResetsWellFormedUserLutsOnly) {
  int maxValue = 0, meshPoints = 0;
  LutOrder order = kLutInterleaved;
  auto expectInstalled = [&](int wantMax, int wantMesh, LutOrder wantOrder) {
    core.getUser3dLutParam(maxValue, meshPoints, order);
    EXPECT_EQ(std::make_tuple(maxValue, meshPoints, order),
              std::make_tuple(wantMax, wantMesh, wantOrder));
  };
  expectInstalled(1, 0, kLutPlanar);
  const Codes installed = flatLut(5, 2000);
  const unsigned int revision = core.getNodeRevision(kLutNodeLook);
  ASSERT_EQ(core.setUser3dLut(kLutNodeLook, 5, installed.data(), kLutPlanar, 4095), kNoError);
  EXPECT_TRUE(core.hasUser3dLut());
  EXPECT_EQ(core.getNodeRevision(kLutNodeLook), revision + 1);
  const unsigned int normalization = core.getNodeRevision(kLutNodeNormalization);

  // Malformed LUTs are refused and the installed one stays.
  const Codes big = flatLut(66, 100);
  for (const int mesh : {1, 66, -3})
    EXPECT_EQ(core.setUser3dLut(kLutNodeLook, mesh, big.data(), kLutInterleaved, 4095),
              kIllegalValue);
  EXPECT_EQ(core.setUser3dLut(kLutNodeLook, 33, nullptr, kLutInterleaved, 4095), kIllegalValue);
  EXPECT_EQ(core.setUser3dLut(kLutNodeLook, 33, big.data(), kLutInterleaved, 0), kIllegalValue);
  expectInstalled(4095, 5, kLutPlanar);
  EXPECT_EQ(core.getNodeRevision(kLutNodeLook), revision + 1);
  EXPECT_EQ(core.getNodeRevision(kLutNodeNormalization), normalization);

  // The smallest and largest meshes are accepted.
  EXPECT_EQ(core.setUser3dLut(kLutNodeLook, 2, big.data(), kLutInterleaved, 4095), kNoError);
  EXPECT_EQ(core.setUser3dLut(kLutNodeLook, 65, big.data(), kLutInterleaved, 4095), kNoError);
  ASSERT_EQ(core.resetUser3dLut(kLutNodeLook), kNoError);
  EXPECT_FALSE(core.hasUser3dLut());
  EXPECT_EQ(core.getNodeRevision(kLutNodeLook), revision + 4);
  expectInstalled(1, 0, kLutInterleaved);
}

TEST_F(Vorn2ImageCoreTest, NormalisationFollowsTheUserLut) {
  // At exposure 800 the video look needs stretching.
  EXPECT_NE(param(kLutParamNormalizationGain), 1.0);
  PipelineNode* normalization = core.needNode(kLutNodeNormalization);
  EXPECT_FALSE(normalization->bypassed);

  // A flat LUT has no range to stretch: gain 1, offset 0, the node bypassed.
  const Codes flat = flatLut(3, 1000);
  const unsigned int revision = normalization->revision;
  ASSERT_EQ(core.setUser3dLut(kLutNodeLook, 3, flat.data(), kLutInterleaved, 4095), kNoError);
  EXPECT_EQ(param(kLutParamNormalizationGain), 1.0);
  EXPECT_EQ(param(kLutParamNormalizationOffset), 0.0);
  EXPECT_TRUE(normalization->bypassed);
  ASSERT_EQ(core.setUser3dLut(kLutNodeLook, 3, flat.data(), kLutInterleaved, 4095), kNoError);
  EXPECT_EQ(normalization->revision, revision + 1);  // still identity: counted once

  // A LUT proportional to its input stretches [black, top] onto [black, 1].
  const Codes ramp = KalvoraTest::makeIdentityTable(2, kLutInterleaved, 4095);
  ASSERT_EQ(core.setUser3dLut(kLutNodeLook, 2, ramp.data(), kLutInterleaved, 4095), kNoError);
  const double black = kestaElvexparam.encodingBlack;
  const double top = std::min(core.getColorLuts().getElvex().getMaxValue(), 1.0);
  const double gain = (1.0 - black) / (top - black);
  EXPECT_NEAR(param(kLutParamNormalizationGain), gain, 1e-12);
  EXPECT_NEAR(param(kLutParamNormalizationOffset), black - gain * black, 1e-12);
  EXPECT_FALSE(normalization->bypassed);
  EXPECT_EQ(normalization->revision, revision + 2);
}

// ---- Table services --------------------------------------------------------------

TEST_F(Vorn2ImageCoreTest, DecimatesThirtyThreeToSeventeenPointsOnly) {
  for (LutOrder order : {kLutInterleaved, kLutPlanar, LutOrder(2)}) {
    Codes in = makeTable(33, order,
                         [](int r, int g, int b, int c) { return (r * 33 + g) * 33 + b + 7 * c; });
    Codes out(3 * cube(17));
    ASSERT_EQ(core.getSmall3dLut(33, in.data(), order, out.data()), kNoError);
    EXPECT_EQ(out, makeTable(17, order, [](int r, int g, int b, int c) {
                return (2 * r * 33 + 2 * g) * 33 + 2 * b + 7 * c;
              }));
  }
  Codes in(3 * cube(65), 1), out(3 * cube(17), 5);
  for (int n : {17, 65, 0})
    EXPECT_EQ(core.getSmall3dLut(n, in.data(), kLutInterleaved, out.data()), kIllegalValue);
  EXPECT_EQ(out, Codes(3 * cube(17), 5));
}

// The neutral axis of an identity LUT is the ramp itself (the luma factors
// add up to one); between diagonal points it interpolates, above full scale
// it clamps.
TEST_F(Vorn2ImageCoreTest, GrayScaleTransformFollowsTheDiagonal) {
  const int n = 9;
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    const Codes identity = KalvoraTest::makeIdentityTable(n, order, 512);  // full scale 4096
    Codes out(2 * n - 1);
    ASSERT_EQ(
        core.getGrayScaleTransform(n, identity.data(), order, 4096, 2 * n - 1, out.data(), 65535),
        kNoError);
    for (int k = 0; k < 2 * n - 1; ++k) EXPECT_NEAR(out[k], k * 65535.0 / (2 * n - 2), 1.0) << k;
  }
  const Codes bright = flatLut(3, 3000);  // reads as 3000 / 1000 = 3
  Codes out(4, 7);
  EXPECT_EQ(
      core.getGrayScaleTransform(3, bright.data(), kLutInterleaved, 1000, 4, out.data(), 1023),
      kNoError);
  EXPECT_EQ(out, Codes(4, 1023));
  out.assign(4, 7);  // empty requests write nothing
  core.getGrayScaleTransform(3, bright.data(), kLutInterleaved, 1000, 0, out.data(), 1023);
  core.getGrayScaleTransform(0, bright.data(), kLutInterleaved, 1000, 4, out.data(), 1023);
  EXPECT_EQ(out, Codes(4, 7));
}

// ---- Byte order, re-targeting, video level to log code --------------------------

TEST_F(Vorn2ImageCoreTest, SwapsBytesAndRetargetsToRec1886InPlaceOrNot) {
  const Codes in = curvedLut(3, kLutPlanar, 65535);
  Codes swapped(in.size());
  ASSERT_EQ(Vorn2ImageCore::swap3DLutEndianess(3, in.data(), swapped.data()), kNoError);
  EXPECT_EQ(swapped[5], static_cast<unsigned short>(in[5] >> 8 | in[5] << 8));
  Vorn2ImageCore::swap3DLutEndianess(3, swapped.data(), swapped.data());
  EXPECT_EQ(swapped, in);
  EXPECT_EQ(Vorn2ImageCore::swap3DLutEndianess(0, nullptr, nullptr), kNoError);
  const int n = 5;
  Codes grey = flatLut(n, 2000), out(grey.size());
  EXPECT_EQ(core.convert3dLut2Rec709(n, grey.data(), kLutPlanar, 65536, out.data()), kIllegalValue);
  ASSERT_EQ(core.convert3dLut2Rec709(n, grey.data(), kLutPlanar, 4095, out.data()), kNoError);
  EXPECT_EQ(out, grey);  // a Rec.1886 target is copied
  core.setTargetColorSpace(space(P3D65Gamma26));
  ASSERT_EQ(core.convert3dLut2Rec709(n, grey.data(), kLutPlanar, 4095, out.data()), kNoError);
  EXPECT_NE(out[0], 2000);  // another gamma
  EXPECT_EQ(out, Codes(out.size(), out[0]));
  Codes lut = curvedLut(n, kLutInterleaved, 4095);
  ASSERT_EQ(core.convert3dLut2Rec709(n, lut.data(), kLutInterleaved, 4095, out.data()), kNoError);
  ASSERT_EQ(core.convert3dLut2Rec709(n, lut.data(), kLutInterleaved, 4095, lut.data()), kNoError);
  EXPECT_EQ(lut, out);
}

TEST_F(Vorn2ImageCoreTest, VideoLevelsBecomeTablePositions) {
  ASSERT_EQ(core.setParam(kLutParamExposureIndex, 1600.0), kNoError);  // neutral normalisation
  const Codes rising{100, 200, 400, 800}, falling{100, 900, 300, 500};
  const struct {
    double video;
    const Codes& table;
    double position;
  } cases[] = {{0.3, rising, 1.5 / 3},
               {0.05, rising, 0.0},
               {0.1, rising, 0.0},
               {0.9, rising, 1.0},
               {0.4, falling, 0.375 / 3}};
  for (const auto& c : cases) {
    double elvex = -1.0;
    ASSERT_EQ(core.convertVideo2Elvex(c.video, 4, c.table.data(), 1000, elvex), kNoError);
    EXPECT_DOUBLE_EQ(elvex, c.position) << c.video;
  }
  double elvex = -1.0;
  EXPECT_EQ(core.convertVideo2Elvex(0.4, 4, nullptr, 1000, elvex), kIllegalValue);
}

}  // namespace
}  // namespace Kalvora
