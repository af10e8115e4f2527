// Shared helpers of the look and LUT core suites: a core with its colour LUT
// set opened up.
#pragma once

#include <gtest/gtest.h>

#include "kvrError.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrTestSupport.h"

namespace KalvoraTest {

// The generator with its colour LUT set reachable.
class OpenLutGenerator : public Kalvora::LutGeneratorImageCore {
public:
  using ::Kalvora::Vorn2ImageCore::getColorLuts;
};

// A LUT generator with its colour LUT set reachable, and short readers.
class LutCoreTest : public ReportCaptureTest {
protected:
  const Kalvora::DisplayColorSpace* space(Kalvora::ColorSpace id) const {
    return core.getColorSpaceInfo(id);
  }
  double param(unsigned int id) {
    double value = -1.0;
    EXPECT_EQ(core.getParam(id, value), Kalvora::kNoError);
    return value;
  }

  OpenLutGenerator core;
};

inline long cube(int n) { return static_cast<long>(n) * n * n; }

inline long gridIndex(int n, int r, int g, int b) { return (static_cast<long>(r) * n + g) * n + b; }

}  // namespace KalvoraTest
