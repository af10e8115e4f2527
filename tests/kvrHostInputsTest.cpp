// Inputs a host gets wrong: 3-D sampling requests outside the limits.
#include <gtest/gtest.h>

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

// Refused 3-D requests are reported once and write nothing, through every
// integer entry point and the floating ones (which have no full scale).
TEST_F(HostInputsTest, SamplingRequestsOutsideTheLimitsWriteNothing) {
  // Large enough for any mesh that passes a check by mistake.
  std::vector<unsigned short> codes(3 * cube(65) + 1, 7);
  std::vector<double> values(3 * cube(65) + 1, 7.0);
  const struct {
    int meshPoints, maxValue;
    bool withBuffer;
    ErrorCode expected;
  } requests[] = {{0, 65535, true, kIllegalValue},  {2, 65535, true, kIllegalValue},
                  {66, 65535, true, kIllegalValue}, {3, 65535, false, kIllegalValue},
                  {3, 65536, true, kLimitExceeded}, {3, 0, true, kIllegalValue}};
  size_t refusals = 0;
  for (const auto& r : requests) {
    SCOPED_TRACE(testing::Message() << "mesh " << r.meshPoints << ", full scale " << r.maxValue);
    unsigned short* c = r.withBuffer ? codes.data() : nullptr;
    double* v = r.withBuffer ? values.data() : nullptr;
    const int n = r.meshPoints, m = r.maxValue;
    EXPECT_EQ(lut.get3dLut(kLutNodeLook, n, c, kLutInterleaved, m, true), r.expected);
    EXPECT_EQ(lut.export3dLut(kLutExportCdlLook, n, c, kLutInterleaved, m), r.expected);
    EXPECT_EQ(camera.export3dLut(kCameraExportRendering, n, c, kLutInterleaved, m), r.expected);
    refusals += 3;
    if (m != 65535) continue;
    EXPECT_EQ(lut.get3dLut(kLutNodeLook, n, v, kLutPlanar), r.expected);
    EXPECT_EQ(lut.export3dLut(kLutExportCdlLook, n, v, kLutPlanar), r.expected);
    refusals += 2;
  }
  EXPECT_EQ(reportCount(), refusals);
  EXPECT_EQ(codes, std::vector<unsigned short>(codes.size(), 7));
  EXPECT_EQ(values, std::vector<double>(values.size(), 7.0));
}

}  // namespace
}  // namespace Kalvora
