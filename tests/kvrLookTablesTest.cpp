// The rendered look must not change by a single bit when its evaluation is
// made faster. Each case samples the built-in video look on the 33-point
// grid in double precision and compares a digest of the bit patterns with
// the digest of the straightforward evaluation (per-sample recomputation of
// every constant), recorded with this machine's C maths library. A change of
// the look itself changes these digests on purpose; record the new ones then.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "kvrColorSpaces.h"
#include "kvrVorn2VideoLut.h"

using namespace Kalvora;

namespace {

// FNV-1a over the bit patterns of the samples.
uint64_t digest(const std::vector<double>& values) {
  uint64_t hash = 14695981039346656037ull;
  for (double v : values) {
    unsigned char bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  }
  return hash;
}

uint64_t lookDigest(ColorSpace target, const std::function<void(Vorn2VideoLut&)>& adjust) {
  const ColorSpaces registry;
  Vorn2VideoLut look(nullptr);
  look.setTargetColorSpace(registry.forId(target));
  adjust(look);
  std::vector<double> table(3 * 33 * 33 * 33);
  look.getTable(33, table.data(), kLutInterleaved);
  return digest(table);
}

void neutral(Vorn2VideoLut&) {}

void graded(Vorn2VideoLut& look) {
  look.setTonemapParameter(0.3, 0.2);
  look.setVideoSaturation(1.4);
  look.setHueSaturation(HueCurve::Blue, 1.7);
  look.setHueSaturation(HueCurve::Yellow, 0.6);
  look.setMasterGamma(1.1);
  look.setGamma(0.9, Vorn2VideoLutInterface::Red);
  look.setSlope(1.2, Vorn2VideoLutInterface::Green);
  look.setPedestal(0.05, Vorn2VideoLutInterface::Blue);
  look.setPedestal(-0.05, Vorn2VideoLutInterface::Red);
}

void brightHdr(Vorn2VideoLut& look) {
  look.setPeakWhite(4000.0);
  look.setDiffuseWhite(200.0);
}

// Away and back: whatever the look keeps per setting must follow.
void brightHdrAndBack(Vorn2VideoLut& look) {
  brightHdr(look);
  look.setPeakWhite(1000.0);
  look.setDiffuseWhite(100.0);
}

}  // namespace

TEST(LookTablesTest, SdrTablesAreUnchangedBitForBit) {
  EXPECT_EQ(lookDigest(Rec1886, neutral), 14399481159138560850ull);
  EXPECT_EQ(lookDigest(Rec1886, graded), 10057056104163759261ull);
  EXPECT_EQ(lookDigest(P3D65Gamma26, neutral), 6675553852145097427ull);
  EXPECT_EQ(lookDigest(Rec2020Gamma24, graded), 2466204253834503750ull);
}

TEST(LookTablesTest, HdrTablesAreUnchangedBitForBit) {
  EXPECT_EQ(lookDigest(Rec2100Pq, neutral), 164124517574997672ull);
  EXPECT_EQ(lookDigest(Rec2100Pq, brightHdr), 4883493441715050983ull);
  EXPECT_EQ(lookDigest(Rec2100Hlg, neutral), 6239869314067635864ull);
  EXPECT_EQ(lookDigest(Rec2100Hlg, brightHdr), 9386902041120208457ull);
}

TEST(LookTablesTest, HdrSettingsChangedAndRestoredGiveTheOriginalTable) {
  EXPECT_EQ(lookDigest(Rec2100Pq, brightHdrAndBack), lookDigest(Rec2100Pq, neutral));
  EXPECT_EQ(lookDigest(Rec2100Hlg, brightHdrAndBack), lookDigest(Rec2100Hlg, neutral));
}
