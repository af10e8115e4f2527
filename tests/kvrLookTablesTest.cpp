// The look tables are sampled in blocks with vectorised maths (SLEEF, not
// the C library): every grid point stays within 1e-12 of the per-point
// evaluation of the same node function and their 16-bit codes are the
// rounded exact values, for every target and for neutral, graded and
// bright settings.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <vector>

#include "kvrLutGeneratorImageCore.h"
#include "kvrVorn2VideoLut.h"

using namespace Kalvora;

namespace {

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

}  // namespace

TEST(LookTablesTest, BlockSamplingStaysWithinToleranceOfExactEvaluation) {
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
        // The double and 16-bit tables the host receives.
        std::vector<double> table(3 * size_t(kPoints) * kPoints * kPoints);
        std::vector<unsigned short> codes(table.size());
        if (id == kLutNodeLook) {
          ASSERT_EQ(core.get3dLut(id, kPoints, table.data(), kLutInterleaved), kNoError);
          ASSERT_EQ(core.get3dLut(id, kPoints, codes.data(), kLutInterleaved, 65535, false),
                    kNoError);
        } else {
          core.node(id).getTable(kPoints, table.data(), kLutInterleaved);
          ASSERT_EQ(core.export3dLut(id, kPoints, codes.data(), kLutInterleaved, 65535), kNoError);
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
              for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(table[i + c], out[c], 1e-12) << ri << " " << gi << " " << bi;
                // Codes as rounded from the exact value, unless it lies at a rounding boundary.
                const double scaled = out[c] * 65535 + 0.5;
                ASSERT_TRUE(codes[i + c] == toCode16(out[c], 65535) ||
                            std::fabs(scaled - std::round(scaled)) <= 1e-9 * 65535)
                    << i + c;
              }
            }
          }
        }
      }
}

// A pixel with chroma cannot be rendered in HDR without a blue compression
// angle: the block form refuses it like the per-point form.
TEST(LookTablesTest, BlockFormThrowsWhereThePointFormThrows) {
  const ColorSpaces registry;
  Vorn2VideoLut look(nullptr);
  look.setTargetColorSpace(registry.forId(Rec2100Pq));
  EXPECT_THROW(look.setDiffuseWhite(150.0), KvrSignal);  // stored, then refused by the luma curve
  const double r[2] = {0.5, 0.6}, g[2] = {0.5, 0.4}, b[2] = {0.5, 0.3}, black[2] = {0.0, 0.0};
  double out[3][2];
  EXPECT_THROW(look.transform(r[1], g[1], b[1], out[0][1], out[1][1], out[2][1]), KvrSignal);
  EXPECT_THROW(look.transformBlock(r, g, b, out[0], out[1], out[2], 2), KvrSignal);
  EXPECT_NO_THROW(look.transformBlock(black, black, black, out[0], out[1], out[2], 2));
}
