// An output branch of the camera core applied node by node, the way the
// camera's hardware applies it: log offsets (node 7), tone map (8), colour
// space matrix (9, its result clamped to [0, 1]), then the per-channel video
// gamma or false-colour painter (10). The core's export of a whole branch
// renders the video look only; false colour is rendered from the node
// tables with this chain.
#pragma once

#include <vector>

#include "kvrKestaImageCore.h"

namespace Kalvora {
namespace Tool {

class NodeChain {
public:
  // Entries of the node tables read; more input resolution than 16 bits, so
  // linear interpolation between entries stays far below one code.
  static constexpr int kTableSize = 65536;

  // Reads the node tables of the branch whose id word is `branch` (0 or
  // n << 24). A failing read throws LibraryError.
  NodeChain(KestaImageCore& core, unsigned int branch);

  // Fills 3 * size^3 interleaved codes in the library's 3-D layout.
  void render(int size, unsigned short* codes, int maxCode) const;

private:
  void renderPoint(const double (&in)[3], unsigned short* out, int maxCode) const;

  std::vector<double> logOffset_;  // planar, three curves
  std::vector<double> toneMap_;
  double matrix_[9] = {};
  std::vector<double> gamma_;  // planar, three curves
};

}  // namespace Tool
}  // namespace Kalvora
