#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "kvrNodeChain.h"
#include "kvrPipelineVocabulary.h"

using namespace Kalvora;
using namespace Kalvora::Tool;

// Node by node a branch renders what the core's rendering export renders in
// one go, up to the interpolation between table entries. Branch 1 of the
// multi-branch core is the same output path as the single branch.
TEST(NodeChain, MatchesTheRenderingExportOfTheSameBranch) {
  const int size = 9;
  for (bool p3 : {false, true}) {
    KestaImageCore single(1, kPipelineSingleBranch);
    KestaImageCore multi(1, kPipelineMultiBranch);
    for (unsigned int branch : {0u, static_cast<unsigned int>(kCameraBranch1)}) {
      KestaImageCore& core = branch == 0 ? single : multi;
      ASSERT_EQ(core.setMode(branch + kCameraModeP3Output, p3), kNoError);
      ASSERT_EQ(core.setParam(branch + kCameraParamBlackGamma, 0.2), kNoError);
      ASSERT_EQ(core.setParam(branch + kCameraParamLogOffsetRed, 0.03), kNoError);
      ASSERT_EQ(core.setParam(branch + kCameraParamVideoSaturation, 1.3), kNoError);
      ASSERT_EQ(core.setParam(branch + kCameraParamVideoSlopeRed, 1.2), kNoError);
    }
    std::vector<unsigned short> chain(3 * size * size * size), rendering(chain.size());
    ASSERT_EQ(
        single.export3dLut(kCameraExportRendering, size, rendering.data(), kLutInterleaved, 65535),
        kNoError);
    for (unsigned int branch : {0u, static_cast<unsigned int>(kCameraBranch1)}) {
      NodeChain(branch == 0 ? single : multi, branch).render(size, chain.data(), 65535);
      for (size_t i = 0; i < chain.size(); ++i)
        ASSERT_LE(std::abs(chain[i] - rendering[i]), 2) << "p3 " << p3 << " branch " << branch;
    }
  }
}
