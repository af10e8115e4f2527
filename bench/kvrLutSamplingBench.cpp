// The cost of the 3-D sampler itself: a 33-point 16-bit table of the
// identity function, full grid and half grid. What remains of a node's
// sampling time beyond this is the node function.
#include <benchmark/benchmark.h>

#include <vector>

#include "kvrLutFunc.h"

using namespace Kalvora;

namespace {

void sampleIdentity(benchmark::State& state, bool halfGrid) {
  const int size = static_cast<int>(state.range(0));
  std::vector<unsigned short> table(3 * size * size * size);
  for (auto _ : state) {
    LutFunc3D::sUnity.getTable(size, table.data(), kLutInterleaved, 65535, halfGrid);
    benchmark::DoNotOptimize(table.data());
    benchmark::ClobberMemory();
  }
}

void BM_SampleIdentityFullGrid(benchmark::State& state) { sampleIdentity(state, false); }
void BM_SampleIdentityHalfGrid(benchmark::State& state) { sampleIdentity(state, true); }

}  // namespace

BENCHMARK(BM_SampleIdentityFullGrid)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SampleIdentityHalfGrid)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
