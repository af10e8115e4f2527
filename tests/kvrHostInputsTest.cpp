// Inputs a host gets wrong: 3-D sampling requests outside the limits, and
// writes to the normalisation parameters the LUT generator computes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

// The four 3-D entry points with one request each; the integer forms take
// the full-scale value, the floating forms ignore it.
enum EntryPoint { kGetCodes, kGetValues, kExportCodes, kExportValues, kCameraExportCodes };

struct Request {
  int meshPoints;
  int maxValue;
  bool withBuffer;
  ErrorCode expected;
  const char* fragment;  // of the report
};

TEST_F(HostInputsTest, SamplingRequestsOutsideTheLimitsWriteNothing) {
  const Request requests[] = {
      {0, 65535, true, kIllegalValue, "illegal size for 3DLUT"},
      {-5, 65535, true, kIllegalValue, "illegal size for 3DLUT"},
      {2, 65535, true, kIllegalValue, "illegal size for 3DLUT"},
      {66, 65535, true, kIllegalValue, "illegal size for 3DLUT"},
      {257, 65535, true, kIllegalValue, "illegal size for 3DLUT"},
      {3, 65535, false, kIllegalValue, "no buffer for 3DLUT"},
  };
  const Request codeRequests[] = {
      {3, 65536, true, kLimitExceeded, "illegal value for scaling factor"},
      {3, 70000, true, kLimitExceeded, "illegal value for scaling factor"},
      {3, 0, true, kIllegalValue, "illegal full-scale value for 3DLUT: 0"},
      {3, -1, true, kIllegalValue, "illegal full-scale value for 3DLUT: -1"},
  };
  // Large enough for any mesh that passes a check by mistake.
  std::vector<unsigned short> codes(3 * cube(65) + 1, 7);
  std::vector<double> values(3 * cube(65) + 1, 7.0);
  auto run = [&](EntryPoint entry, const Request& r) {
    unsigned short* c = r.withBuffer ? codes.data() : nullptr;
    double* v = r.withBuffer ? values.data() : nullptr;
    switch (entry) {
      case kGetCodes:
        return lut.get3dLut(10, r.meshPoints, c, kLutInterleaved, r.maxValue, true);
      case kGetValues:
        return lut.get3dLut(10, r.meshPoints, v, kLutPlanar);
      case kExportCodes:
        return lut.export3dLut(14, r.meshPoints, c, kLutInterleaved, r.maxValue);
      case kExportValues:
        return lut.export3dLut(14, r.meshPoints, v, kLutInterleaved);
      default:
        return camera.export3dLut(11, r.meshPoints, c, kLutInterleaved, r.maxValue);
    }
  };
  for (EntryPoint entry :
       {kGetCodes, kGetValues, kExportCodes, kExportValues, kCameraExportCodes}) {
    std::vector<Request> cases(std::begin(requests), std::end(requests));
    if (entry != kGetValues && entry != kExportValues)
      cases.insert(cases.end(), std::begin(codeRequests), std::end(codeRequests));
    for (const Request& r : cases) {
      SCOPED_TRACE("entry " + std::to_string(entry) + ", mesh " + std::to_string(r.meshPoints) +
                   ", full scale " + std::to_string(r.maxValue));
      const size_t before = reportCount();
      EXPECT_EQ(run(entry, r), r.expected);
      EXPECT_EQ(reportCount(), before + 1);
      EXPECT_NE(lastReport().find(r.fragment), std::string::npos) << lastReport();
    }
  }
  EXPECT_EQ(codes, std::vector<unsigned short>(codes.size(), 7));
  EXPECT_EQ(values, std::vector<double>(values.size(), 7.0));

  // The limits themselves are accepted.
  for (EntryPoint entry : {kGetCodes, kExportCodes, kCameraExportCodes}) {
    EXPECT_EQ(run(entry, {3, 1, true, kNoError, ""}), kNoError);
    EXPECT_EQ(run(entry, {65, 65535, true, kNoError, ""}), kNoError);
  }
  EXPECT_EQ(codes[3 * cube(65)], 7);  // nothing beyond the table
}

TEST_F(HostInputsTest, NormalisationParametersKeepTheComputedValues) {
  ASSERT_EQ(lut.setParam(kLutParamMasterGamma, 1.4), kNoError);
  double gain = 0.0, offset = 0.0;
  ASSERT_EQ(lut.getParam(kLutParamNormalizationGain, gain), kNoError);
  ASSERT_EQ(lut.getParam(kLutParamNormalizationOffset, offset), kNoError);
  ASSERT_NE(gain, 1.0);  // a look whose range the normalisation changes
  const unsigned int revision = lut.getNodeRevision(kLutNodeNormalization);

  for (unsigned int id : {kLutParamNormalizationGain, kLutParamNormalizationOffset}) {
    testing::internal::CaptureStdout();
    size_t before = reportCount();
    EXPECT_EQ(lut.setParam(id, 2.0), kReadOnly);
    EXPECT_EQ(reportCount(), before + 1);
    EXPECT_EQ(lastReport(), "parameter is read only");
    before = reportCount();
    EXPECT_EQ(lut.resetParam(id), kReadOnly);
    EXPECT_EQ(reportCount(), before + 1);
    EXPECT_EQ(lut.setParamSilent(id, 2.0), kReadOnly);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  }
  double after = 0.0;
  EXPECT_EQ(lut.getParam(kLutParamNormalizationGain, after), kNoError);
  EXPECT_EQ(after, gain);
  EXPECT_EQ(lut.getParam(kLutParamNormalizationOffset, after), kNoError);
  EXPECT_EQ(after, offset);
  RgbGainOffset node{};
  ASSERT_EQ(lut.getRgbGainOffset(kLutNodeNormalization, node), kNoError);
  EXPECT_EQ(node.gain[1], gain);
  EXPECT_EQ(lut.getNodeRevision(kLutNodeNormalization), revision);
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
    ASSERT_EQ(lut.get3dLut(10, n, full.data(), kLutInterleaved, 65535, false), kNoError);
    ASSERT_EQ(lut.get3dLut(10, n, half.data(), kLutInterleaved, 65535, true), kNoError);
    for (size_t i = 0; i < full.size(); ++i)
      largest = std::max(largest, std::abs(int(full[i]) - int(half[i])));
  }
  EXPECT_GE(largest, 19800);
  EXPECT_LE(largest, 20600);
}

}  // namespace
}  // namespace Kalvora
