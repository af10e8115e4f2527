// Look 3-D LUT generation by the LUT generator core: get3dLut of node 10 at
// 33 and 65 points in 16-bit, full grid and half grid, for an SDR gamma
// target, a wide-gamut gamma target, PQ and HLG; and export3dLut of node 13
// (CDL, saturation and look, converted for monitoring) at 33 points.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "kvrBench.h"
#include "kvrLutGeneratorImageCore.h"

using namespace Kalvora;

namespace {

struct Target {
  const char* name;
  ColorSpace id;
};

const Target kTargets[] = {
    {"Rec1886", Rec1886}, {"P3D65", P3D65Gamma26}, {"PQ", Rec2100Pq}, {"HLG", Rec2100Hlg}};

void get3dLut(benchmark::State& state, ColorSpace target, int meshPoints, bool halfGrid) {
  LutGeneratorImageCore core;
  core.setTargetColorSpace(core.getColorSpaceInfo(target));
  std::vector<unsigned short> lut(3 * meshPoints * meshPoints * meshPoints);
  for (auto _ : state) {
    if (core.get3dLut(10, meshPoints, lut.data(), kLutInterleaved, 65535, halfGrid) != kNoError) {
      state.SkipWithError("get3dLut failed");
      break;
    }
    benchmark::DoNotOptimize(lut.data());
    benchmark::ClobberMemory();
  }
}

void BM_Export3dLutNode13(benchmark::State& state) {
  LutGeneratorImageCore core;
  std::vector<unsigned short> lut(3 * 33 * 33 * 33);
  for (auto _ : state) {
    if (core.export3dLut(13, 33, lut.data(), kLutInterleaved, 65535) != kNoError) {
      state.SkipWithError("export3dLut failed");
      break;
    }
    benchmark::DoNotOptimize(lut.data());
    benchmark::ClobberMemory();
  }
}

// Names like BM_Get3dLutNode10/PQ/33/half.
const bool registered = [] {
  for (const Target& target : kTargets)
    for (int meshPoints : {33, 65})
      for (bool halfGrid : {false, true}) {
        const std::string name = std::string("BM_Get3dLutNode10/") + target.name + "/" +
                                 std::to_string(meshPoints) + (halfGrid ? "/half" : "/full");
        benchmark::RegisterBenchmark(name.c_str(), get3dLut, target.id, meshPoints, halfGrid)
            ->Unit(benchmark::kMillisecond);
      }
  benchmark::RegisterBenchmark("BM_Export3dLutNode13/33", BM_Export3dLutNode13)
      ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
