// Applying a 33-point 16-bit 3-D LUT to an image of 4 million RGB pixels:
// the per-pixel virtual path against the batch entry point (the SIMD kernel
// where the processor has one), the portable batch reader, tetrahedral and
// tricubic, and, when built with OpenColorIO, its CPU processor applying
// the same table from a Cube file. Rates are pixels per second
// (items_per_second).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "kvrBench.h"
#include "kvrLut3D.h"
#include "kvrTetrahedralInterpolator.h"

#ifdef KALVORA_BENCH_OCIO
#include <OpenColorIO/OpenColorIO.h>
#endif

using namespace Kalvora;

namespace {

constexpr int kGridSize = 33;
constexpr int kMaxCode = 65535;

// A smooth look: a saturation boost followed by a contrast curve, so that
// neighbouring cells differ the way a real grading LUT does.
class SampleLook : public LutFunc3D {
public:
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    outR = curve(luma + 1.3 * (r - luma));
    outG = curve(luma + 1.3 * (g - luma));
    outB = curve(luma + 1.3 * (b - luma));
  }

private:
  static double curve(double v) {
    v = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
    return v * v * (3.0 - 2.0 * v) * 0.8 + 0.2 * std::pow(v, 0.8);
  }
};

const std::vector<unsigned short>& lookTable() {
  static const std::vector<unsigned short> table = [] {
    std::vector<unsigned short> codes(3 * kGridSize * kGridSize * kGridSize);
    SampleLook().getTable(kGridSize, codes.data(), kLutInterleaved, kMaxCode, false);
    return codes;
  }();
  return table;
}

// Uniform random pixels in [0, 1]: every cell and tetrahedron is hit in no
// particular order, the hard case for the cell cache and branch prediction.
template <class Sample>
const std::vector<Sample>& image() {
  static const std::vector<Sample> pixels = [] {
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Sample> values(3 * KalvoraBench::pixelCount());
    for (Sample& v : values) v = static_cast<Sample>(unit(random));
    return values;
  }();
  return pixels;
}

void perPixel(benchmark::State& state, bool tricubic) {
  const Lut3D lut(kGridSize, lookTable().data(), kLutInterleaved, kMaxCode, tricubic);
  const LutFunc3D& function = lut;
  const std::vector<double>& in = image<double>();
  std::vector<double> out(in.size());
  const size_t pixels = in.size() / 3;
  for (auto _ : state) {
    for (size_t i = 0; i < 3 * pixels; i += 3)
      function.transform(in[i], in[i + 1], in[i + 2], out[i], out[i + 1], out[i + 2]);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pixels);
}

template <class Sample>
void batch(benchmark::State& state, bool tricubic) {
  const Lut3D lut(kGridSize, lookTable().data(), kLutInterleaved, kMaxCode, tricubic);
  const std::vector<Sample>& in = image<Sample>();
  std::vector<Sample> out(in.size());
  const size_t pixels = in.size() / 3;
  for (auto _ : state) {
    lut.transformBatch(in.data(), out.data(), pixels);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pixels);
}

// The portable reader the batch entry point uses on processors without the
// SIMD kernel.
template <class Sample>
void portable(benchmark::State& state) {
  const TetrahedralInterpolator reader(lookTable().data(), kGridSize, kLutInterleaved);
  const std::vector<Sample>& in = image<Sample>();
  std::vector<Sample> out(in.size());
  const size_t pixels = in.size() / 3;
  for (auto _ : state) {
    reader.interpolateBatch(in.data(), out.data(), pixels, kMaxCode);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pixels);
  state.SetLabel(Lut3D::simdBatchAvailable() ? "batch entry point uses SIMD" : "no SIMD kernel");
}

#ifdef KALVORA_BENCH_OCIO
namespace OCIO = OCIO_NAMESPACE;

// The look table as a Cube file (red fastest, values code / maximum code).
std::string writeCubeFile() {
  const std::string path = "kvrLut3DBench_look.cube";
  FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return "";
  std::fprintf(file, "LUT_3D_SIZE %d\n", kGridSize);
  const std::vector<unsigned short>& codes = lookTable();
  for (int b = 0; b < kGridSize; ++b)
    for (int g = 0; g < kGridSize; ++g)
      for (int r = 0; r < kGridSize; ++r) {
        const size_t k = 3 * ((size_t(r) * kGridSize + g) * kGridSize + b);
        std::fprintf(file, "%.10g %.10g %.10g\n", codes[k] / double(kMaxCode),
                     codes[k + 1] / double(kMaxCode), codes[k + 2] / double(kMaxCode));
      }
  std::fclose(file);
  return path;
}

void BM_OcioCpuProcessorFloat(benchmark::State& state) {
  const std::string path = writeCubeFile();
  OCIO::ConstCPUProcessorRcPtr cpu;
  try {
    OCIO::FileTransformRcPtr transform = OCIO::FileTransform::Create();
    transform->setSrc(path.c_str());
    transform->setInterpolation(OCIO::INTERP_TETRAHEDRAL);
    cpu = OCIO::Config::CreateRaw()->getProcessor(transform)->getDefaultCPUProcessor();
  } catch (const OCIO::Exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  std::remove(path.c_str());
  std::vector<float> in = image<float>();
  std::vector<float> out(in.size());
  const long pixels = static_cast<long>(in.size() / 3);
  const OCIO::PackedImageDesc source(in.data(), pixels, 1, 3);
  OCIO::PackedImageDesc destination(out.data(), pixels, 1, 3);
  for (auto _ : state) {
    cpu->apply(source, destination);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pixels);
}
#endif

void BM_Lut3DTetrahedralPerPixel(benchmark::State& state) { perPixel(state, false); }
void BM_Lut3DPortableBatchDouble(benchmark::State& state) { portable<double>(state); }
void BM_Lut3DPortableBatchFloat(benchmark::State& state) { portable<float>(state); }
void BM_Lut3DTetrahedralBatchDouble(benchmark::State& state) { batch<double>(state, false); }
void BM_Lut3DTetrahedralBatchFloat(benchmark::State& state) { batch<float>(state, false); }
void BM_Lut3DTricubicBatchFloat(benchmark::State& state) { batch<float>(state, true); }

}  // namespace

BENCHMARK(BM_Lut3DTetrahedralPerPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lut3DTetrahedralBatchDouble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lut3DTetrahedralBatchFloat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lut3DPortableBatchDouble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lut3DPortableBatchFloat)->Unit(benchmark::kMillisecond);
#ifdef KALVORA_BENCH_OCIO
BENCHMARK(BM_OcioCpuProcessorFloat)->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(BM_Lut3DTricubicBatchFloat)->Unit(benchmark::kMillisecond);
