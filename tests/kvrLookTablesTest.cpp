// The look tables are sampled in blocks with vectorised maths (pow, log,
// atan2, sine and cosine from SLEEF, not the C library). They must stay
// within 1e-12 of the exact per-point evaluation of the same node function,
// and their 16-bit codes must equal the codes of the exact values except
// where an exact value lies within 1e-9 of a rounding boundary. Checked on
// every grid point of 42 configurations: seven targets, three settings, the
// look node and the graded look node. Release builds sweep 33 points per
// axis; debug builds (the sanitizer build among them) 17, to stay quick.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "kvrError.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrVorn2VideoLut.h"

using namespace Kalvora;

namespace {

#ifdef NDEBUG
constexpr int kPoints = 33;
#else
constexpr int kPoints = 17;
#endif
constexpr int kMaxCode = 65535;
constexpr double kTolerance = 1e-12;
constexpr double kBoundaryMargin = 1e-9;

constexpr unsigned int kGradedExport = 14;

// Opens the node functions that get3dLut and export3dLut sample.
class Probe : public LutGeneratorImageCore {
public:
  const LutFunc3D& node(unsigned int id) {
    return id == kGradedExport ? *do_exportLut(id) : *do_get3dLut(id);
  }
  // The double and 16-bit tables the host receives for the node.
  void tables(unsigned int id, std::vector<double>& values, std::vector<unsigned short>& codes) {
    if (id == kGradedExport) {
      node(id).getTable(kPoints, values.data(), kLutInterleaved);
      ASSERT_EQ(export3dLut(id, kPoints, codes.data(), kLutInterleaved, kMaxCode), kNoError);
      return;
    }
    ASSERT_EQ(get3dLut(id, kPoints, values.data(), kLutInterleaved), kNoError);
    ASSERT_EQ(get3dLut(id, kPoints, codes.data(), kLutInterleaved, kMaxCode, false), kNoError);
  }
};

using Settings = std::function<void(Probe&)>;

void neutral(Probe&) {}

void graded(Probe& core) {
  const std::pair<unsigned int, double> params[] = {
      {3001, 0.02}, {3012, 1.1}, {3023, 0.9},  {3040, 1.3},  {4001, 0.3},
      {4002, 0.2},  {5040, 1.4}, {5065, 1.7},  {5062, 0.6},  {5051, 1.1},
      {5070, 0.9},  {5068, 1.2}, {5075, 0.05}, {5073, -0.05}};
  for (const auto& p : params) ASSERT_EQ(core.setParam(p.first, p.second), kNoError) << p.first;
}

// Graded, with the brightest whites the target accepts.
void gradedBright(Probe& core) {
  graded(core);
  ASSERT_EQ(core.setParam(LutGeneratorImageCore::kDiffuseWhiteParam, 200.0), kNoError);
  if (!core.isTargetColorSpace(Rec2100Hlg)) {  // HLG keeps 1000
    ASSERT_EQ(core.setParam(LutGeneratorImageCore::kPeakWhiteParam, 4000.0), kNoError);
  }
}

struct Setting {
  const char* name;
  Settings apply;
};

const ColorSpace kTargets[] = {Rec1886,   Rec2020Gamma24, P3DciGamma26, P3D65Gamma26,
                               Rec2100Pq, Rec2100Hlg,     AcesProxy};
const Setting kSettings[] = {{"neutral", neutral}, {"graded", graded}, {"bright", gradedBright}};
const unsigned int kNodes[] = {LutGeneratorImageCore::kLookNode, kGradedExport};

// The exact values: transform() of the node function per grid point, at
// the positions the samplers use (accumulated steps), interleaved.
std::vector<double> exactTable(const LutFunc3D& f, int n) {
  std::vector<double> table;
  table.reserve(3 * size_t(n) * n * n);
  const double step = 1.0 / (n - 1);
  double r = 0.0;
  for (int ri = 0; ri < n; ++ri, r += step) {
    double g = 0.0;
    for (int gi = 0; gi < n; ++gi, g += step) {
      double b = 0.0;
      for (int bi = 0; bi < n; ++bi, b += step) {
        double out[3];
        f.transform(r, g, b, out[0], out[1], out[2]);
        table.insert(table.end(), out, out + 3);
      }
    }
  }
  return table;
}

// Distance of value * maxCode from the nearest code rounding boundary
// (half-integers), in units of the value.
double distanceToBoundary(double value) {
  const double scaled = value * kMaxCode + 0.5;
  return std::fabs(scaled - std::round(scaled)) / kMaxCode;
}

}  // namespace

TEST(LookTablesTest, BlockSamplingStaysWithinToleranceOfExactEvaluation) {
  int configurations = 0;
  double largest = 0.0;
  int codesNearBoundary = 0;
  for (ColorSpace target : kTargets)
    for (const Setting& setting : kSettings)
      for (unsigned int node : kNodes) {
        SCOPED_TRACE(testing::Message()
                     << "target " << target << ", " << setting.name << ", node " << node);
        Probe core;
        core.setTargetColorSpace(core.getColorSpaceInfo(target));
        setting.apply(core);
        const size_t count = 3 * size_t(kPoints) * kPoints * kPoints;
        std::vector<double> values(count);
        std::vector<unsigned short> codes(count);
        ASSERT_NO_FATAL_FAILURE(core.tables(node, values, codes));
        const std::vector<double> exact = exactTable(core.node(node), kPoints);
        int failures = 0;
        for (size_t i = 0; i < count && failures < 5; ++i) {
          const double difference = std::fabs(values[i] - exact[i]);
          if (!(difference <= kTolerance) && !(std::isnan(values[i]) && std::isnan(exact[i]))) {
            ADD_FAILURE() << "value " << i << ": " << values[i] << " exact " << exact[i];
            ++failures;
          }
          if (difference > largest) largest = difference;
          if (codes[i] != toCode16(exact[i], kMaxCode)) {
            if (distanceToBoundary(exact[i]) <= kBoundaryMargin) {
              ++codesNearBoundary;
            } else {
              ADD_FAILURE() << "code " << i << ": " << codes[i] << " exact value " << exact[i];
              ++failures;
            }
          }
        }
        ++configurations;
      }
  EXPECT_EQ(configurations, 42);
  RecordProperty("largestDifference", testing::PrintToString(largest));
  RecordProperty("codesNearBoundary", codesNearBoundary);
}

// A pixel with chroma cannot be rendered in HDR without a blue compression
// angle: the block form refuses it like the per-point form.
TEST(LookTablesTest, BlockFormThrowsWhereThePointFormThrows) {
  const ColorSpaces registry;
  Vorn2VideoLut look(nullptr);
  look.setTargetColorSpace(registry.forId(Rec2100Pq));
  // Stored, then refused by the luma curve.
  EXPECT_THROW(look.setDiffuseWhite(150.0), KvrSignal);
  const double r[2] = {0.5, 0.6}, g[2] = {0.5, 0.4}, b[2] = {0.5, 0.3};
  double out[3][2];
  EXPECT_THROW(look.transform(r[1], g[1], b[1], out[0][1], out[1][1], out[2][1]), KvrSignal);
  EXPECT_THROW(look.transformBlock(r, g, b, out[0], out[1], out[2], 2), KvrSignal);
  // Black has no chroma and passes.
  const double black[2] = {0.0, 0.0};
  EXPECT_NO_THROW(look.transformBlock(black, black, black, out[0], out[1], out[2], 2));
}
