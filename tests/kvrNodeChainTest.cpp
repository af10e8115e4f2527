#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "kvrNodeChain.h"

using namespace Kalvora;
using namespace Kalvora::Tool;

namespace {

// Largest code difference between two tables.
int maxDifference(const std::vector<unsigned short>& a, const std::vector<unsigned short>& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

std::vector<unsigned short> exportRendering(KestaImageCore& core, int size) {
  std::vector<unsigned short> codes(3 * size * size * size);
  EXPECT_EQ(core.export3dLut(11, size, codes.data(), kLutInterleaved, 65535), kNoError);
  return codes;
}

}  // namespace

// Node by node the branch renders what the core's export renders in one go,
// up to the interpolation between table entries.
TEST(NodeChain, MatchesTheRenderingExportOfTheSameBranch) {
  const int size = 17;
  for (bool p3 : {false, true}) {
    KestaImageCore core(1, kPipelineSingleBranch);
    ASSERT_EQ(core.setMode(2, p3), kNoError);
    ASSERT_EQ(core.setParam(4001, 0.2), kNoError);
    ASSERT_EQ(core.setParam(3001, 0.03), kNoError);
    ASSERT_EQ(core.setParam(5040, 1.3), kNoError);
    std::vector<unsigned short> chain(3 * size * size * size);
    NodeChain(core, 0).render(size, chain.data(), 65535);
    EXPECT_LE(maxDifference(chain, exportRendering(core, size)), 2) << "p3 " << p3;
  }
}

// Branch 1 of the multi-branch core is the same output path as the single
// branch, so its chain renders the same look.
TEST(NodeChain, MonitoringBranchRendersLikeTheSingleBranch) {
  const int size = 9;
  KestaImageCore single(1, kPipelineSingleBranch);
  KestaImageCore multi(1, kPipelineMultiBranch);
  ASSERT_EQ(multi.setParam(0x1000000 + 5001, 1.2), kNoError);
  ASSERT_EQ(single.setParam(5001, 1.2), kNoError);
  std::vector<unsigned short> chain(3 * size * size * size);
  NodeChain(multi, 0x1000000).render(size, chain.data(), 65535);
  EXPECT_LE(maxDifference(chain, exportRendering(single, size)), 2);
}
