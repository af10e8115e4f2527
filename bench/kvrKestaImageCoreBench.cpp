// The camera image core: the 3-D rendering of its output branch (export
// node 11 at 33 points) and the log-encoding table of node 5 at 4096 and
// 65536 entries, all in 16-bit.
#include <benchmark/benchmark.h>

#include <vector>

#include "kvrKestaImageCore.h"

using namespace Kalvora;

namespace {

void BM_Export3dLutNode11(benchmark::State& state) {
  KestaImageCore core(1, kPipelineSingleBranch);
  std::vector<unsigned short> lut(3 * 33 * 33 * 33);
  for (auto _ : state) {
    if (core.export3dLut(11, 33, lut.data(), kLutInterleaved, 65535) != kNoError) {
      state.SkipWithError("export3dLut failed");
      break;
    }
    benchmark::DoNotOptimize(lut.data());
    benchmark::ClobberMemory();
  }
}

void BM_GetLutNode5(benchmark::State& state) {
  KestaImageCore core(1, kPipelineSingleBranch);
  const int size = static_cast<int>(state.range(0));
  std::vector<unsigned short> table(size);
  for (auto _ : state) {
    if (core.getLut(5, size, table.data(), 65535) != kNoError) {
      state.SkipWithError("getLut failed");
      break;
    }
    benchmark::DoNotOptimize(table.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_Export3dLutNode11)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetLutNode5)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);
