// Inputs a host gets wrong: 3-D sampling requests outside the limits; and
// the documented error of the half grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "kvrKestaImageCore.h"
#include "kvrLutCoreTestSupport.h"
#include "kvrLutGeneratorImageCore.h"

namespace Kalvora {
namespace {

using KalvoraTest::cube;

class HostInputsTest : public KalvoraTest::ReportCaptureTest {
protected:
  LutGeneratorImageCore lut;
  KestaImageCore camera{1, kPipelineSingleBranch};
};

// The integer forms of every 3-D entry point; the floating forms share the
// size and buffer checks and ignore the full scale.
TEST_F(HostInputsTest, SamplingRequestsOutsideTheLimitsWriteNothing) {
  // Large enough for any mesh that passes a check by mistake.
  std::vector<unsigned short> codes(3 * cube(65) + 1, 7);
  std::vector<double> values(3 * cube(65) + 1, 7.0);
  using Entry = std::function<ErrorCode(int, unsigned short*, int)>;
  const Entry entries[] = {
      [&](int n, unsigned short* c, int m) {
        return lut.get3dLut(kLutNodeLook, n, c, kLutInterleaved, m, true);
      },
      [&](int n, unsigned short* c, int m) {
        return lut.export3dLut(kLutExportCdlLook, n, c, kLutInterleaved, m);
      },
      [&](int n, unsigned short* c, int m) {
        return camera.export3dLut(kCameraExportRendering, n, c, kLutInterleaved, m);
      },
      [&](int n, unsigned short* c, int) {
        return lut.get3dLut(kLutNodeLook, n, c ? values.data() : nullptr, kLutPlanar);
      },
      [&](int n, unsigned short* c, int) {
        return lut.export3dLut(kLutExportCdlLook, n, c ? values.data() : nullptr, kLutPlanar);
      }};
  const struct {
    int meshPoints;
    int maxValue;
    bool withBuffer;
    ErrorCode expected;
    const char* fragment;  // of the report
    bool integerOnly;
  } requests[] = {{0, 65535, true, kIllegalValue, "illegal size for 3DLUT", false},
                  {2, 65535, true, kIllegalValue, "illegal size for 3DLUT", false},
                  {66, 65535, true, kIllegalValue, "illegal size for 3DLUT", false},
                  {3, 65535, false, kIllegalValue, "no buffer for 3DLUT", false},
                  {3, 65536, true, kLimitExceeded, "scaling factor", true},
                  {3, 0, true, kIllegalValue, "full-scale value for 3DLUT: 0", true}};
  for (size_t e = 0; e < std::size(entries); ++e) {
    for (const auto& r : requests) {
      if (r.integerOnly && e >= 3) continue;
      SCOPED_TRACE("entry " + std::to_string(e) + ", mesh " + std::to_string(r.meshPoints) +
                   ", full scale " + std::to_string(r.maxValue));
      const size_t before = reportCount();
      EXPECT_EQ(entries[e](r.meshPoints, r.withBuffer ? codes.data() : nullptr, r.maxValue),
                r.expected);
      EXPECT_EQ(reportCount(), before + 1);
      EXPECT_PRED2(KalvoraTest::contains, lastReport(), r.fragment);
    }
  }
  EXPECT_EQ(codes, std::vector<unsigned short>(codes.size(), 7));
  EXPECT_EQ(values, std::vector<double>(values.size(), 7.0));
}

// The largest code difference of the half grid against the full grid that
// the documentation states for 33 points over all targets (default settings;
// it lies near the gamut edges). The band allows for other maths libraries
// and fails when the look changes enough for the statement to be outdated.
TEST_F(HostInputsTest, HalfGridErrorIsTheDocumentedOne) {
  const int n = 33;
  int largest = 0;
  for (int target = 0; target < ColorSpaces::kCount; ++target) {
    lut.setTargetColorSpace(lut.getColorSpaceInfo(ColorSpace(target)));
    std::vector<unsigned short> full(3 * cube(n)), half(3 * cube(n));
    ASSERT_EQ(lut.get3dLut(kLutNodeLook, n, full.data(), kLutInterleaved, 65535, false), kNoError);
    ASSERT_EQ(lut.get3dLut(kLutNodeLook, n, half.data(), kLutInterleaved, 65535, true), kNoError);
    for (size_t i = 0; i < full.size(); ++i)
      largest = std::max(largest, std::abs(int(full[i]) - int(half[i])));
  }
  EXPECT_GE(largest, 19800);
  EXPECT_LE(largest, 20600);
}

}  // namespace
}  // namespace Kalvora
