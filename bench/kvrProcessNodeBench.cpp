// A chain of process nodes initialised from the LUT generator, pushed over a
// 4-megapixel frame of random 16-bit codes: the 1-D log table (node 5, 65536
// entries), the saturation matrix (node 9, 20 fraction bits), the 33-point
// look table (node 10) and the normalisation gain and offset (node 11).
// Per pixel (four virtual calls per pixel) against the batch form (one call
// per node and tile). Rates are pixels per second (items_per_second).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "kvrBench.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrProcessNode.h"

using namespace Kalvora;

namespace {

constexpr int kMaxCode = 65535;
// Pixels per batch call: the chain works on a tile that stays in the cache.
constexpr int kTilePixels = 4096;

class Chain {
public:
  Chain() {
    // A look away from the defaults, so that no node is the identity.
    core_.setParam(3011, 1.2);
    core_.setParam(3040, 1.3);
    core_.setParam(5051, 1.1);
    nodes_.push_back(std::make_unique<ProcessLutNode>(5, kMaxCode + 1, kMaxCode, 0));
    nodes_.push_back(std::make_unique<ProcessRgbMatrixNode>(9, 20, kMaxCode));
    nodes_.push_back(std::make_unique<Process3DLutNode>(10, 33, kLutInterleaved, kMaxCode));
    nodes_.push_back(std::make_unique<ProcessRgbGainOffsetNode>(11, kMaxCode));
    for (auto& node : nodes_)
      if (node->init(&core_) != kNoError) ok_ = false;
  }

  bool ok() const { return ok_; }
  const std::vector<std::unique_ptr<ProcessNode>>& nodes() const { return nodes_; }

private:
  LutGeneratorImageCore core_;
  std::vector<std::unique_ptr<ProcessNode>> nodes_;
  bool ok_ = true;
};

const std::vector<int>& frame() {
  static const std::vector<int> codes = [] {
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> code(0, kMaxCode);
    std::vector<int> values(3 * KalvoraBench::pixelCount());
    for (int& v : values) v = code(random);
    return values;
  }();
  return codes;
}

void BM_ProcessChainPerPixel(benchmark::State& state) {
  const Chain chain;
  if (!chain.ok()) return state.SkipWithError("init failed");
  const std::vector<int>& in = frame();
  std::vector<int> out(in.size());
  const size_t pixels = in.size() / 3;
  for (auto _ : state) {
    for (size_t i = 0; i < 3 * pixels; i += 3) {
      int r = in[i], g = in[i + 1], b = in[i + 2];
      for (const auto& node : chain.nodes()) node->transform(r, g, b, r, g, b);
      out[i] = r;
      out[i + 1] = g;
      out[i + 2] = b;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pixels);
}

void BM_ProcessChainBatch(benchmark::State& state) {
  const Chain chain;
  if (!chain.ok()) return state.SkipWithError("init failed");
  const std::vector<int>& in = frame();
  std::vector<int> out(in.size());
  const size_t pixels = in.size() / 3;
  for (auto _ : state) {
    for (size_t first = 0; first < pixels; first += kTilePixels) {
      const int count = static_cast<int>(std::min<size_t>(kTilePixels, pixels - first));
      const int* source = in.data() + 3 * first;
      int* tile = out.data() + 3 * first;
      for (const auto& node : chain.nodes()) {
        node->transform(source, tile, count);
        source = tile;
      }
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pixels);
}

}  // namespace

BENCHMARK(BM_ProcessChainPerPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessChainBatch)->Unit(benchmark::kMillisecond);
