#include "kvrGridSampler.h"

#include <cstdio>
#include <cstring>
#include <typeinfo>
#include <vector>

#include "kvrError.h"
#include "kvrLutComposite.h"

#define KVR_SOURCE "src/kvrGridSampler"

namespace Kalvora {

namespace {

constexpr int kMinMeshPoints = 3;
constexpr int kMaxMeshPoints = 65;
constexpr int kMaxCodeLimit = 65536;  // full-scale values must lie below

void checkMeshPoints(int size) {
  if (!(kMinMeshPoints <= size && size <= kMaxMeshPoints))
    throw KvrSignal(kIllegalValue, KVR_HERE, "illegal size for 3DLUT");
}

void checkTable(const void* table) {
  if (table == nullptr) throw KvrSignal(kIllegalValue, KVR_HERE, "no buffer for 3DLUT");
}

// The stages of f when f is exactly one of the two chain classes (a derived
// class might evaluate its stages differently); empty otherwise.
std::vector<const LutFunc3D*> chainStages(const LutFunc3D& f) {
  std::vector<const LutFunc3D*> stages;
  if (typeid(f) == typeid(LutComposite3DSmall)) {
    const auto& chain = static_cast<const LutComposite3DSmall&>(f);
    for (int i = 0; i < chain.getCount(); ++i) stages.push_back(&chain.getStage(i));
  } else if (typeid(f) == typeid(LutComposite3D)) {
    const auto& chain = static_cast<const LutComposite3D&>(f);
    for (int i = 0; i < chain.getCount(); ++i) stages.push_back(&chain.getStage(i));
  }
  return stages;
}

bool isPerChannel(const LutFunc3D* stage) { return typeid(*stage) == typeid(LutAdapter); }

// A chain whose leading per-channel stages are looked up for the inputs the
// sampler uses: the positions of a grid of `points` per axis, accumulated
// exactly as the sampler accumulates them. The sampler evaluates in blocks,
// so the looked-up values are those of the stages' array forms, and any
// other input goes through the array forms as well; transform() evaluates
// every stage directly. Either way the function equals the chain.
class AxisCachedChain : public LutFunc3D {
public:
  AxisCachedChain(const std::vector<const LutFunc3D*>& stages, size_t perChannel, int points)
      : stages_(stages), rest_(stages.begin() + perChannel, stages.end()), last_(points - 1) {
    for (size_t i = 0; i < perChannel; ++i)
      prefix_.push_back(static_cast<const LutAdapter*>(stages[i]));
    const double step = 1.0 / (points - 1);
    double x = 0.0;
    for (int i = 0; i < points; ++i, x += step) positions_.push_back(x);
    for (int c = 0; c < 3; ++c) {
      values_[c] = positions_;
      evaluatePrefix(c, values_[c].data(), values_[c].size());
    }
  }

  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    for (const LutFunc3D* stage : stages_) stage->transform(r, g, b, r, g, b);
    outR = r;
    outG = g;
    outB = b;
  }
  void transformBlock(const double* r, const double* g, const double* b, double* outR, double* outG,
                      double* outB, size_t n) const override {
    const double* in[3] = {r, g, b};
    double* out[3] = {outR, outG, outB};
    for (int c = 0; c < 3; ++c)
      for (size_t i = 0; i < n; ++i) out[c][i] = lookUp(c, in[c][i]);
    for (const LutFunc3D* stage : rest_)
      stage->transformBlock(outR, outG, outB, outR, outG, outB, n);
  }
  void show(int) const override {}

private:
  // The prefix's array forms on x[0 ... n - 1], in place.
  void evaluatePrefix(int channel, double* x, size_t n) const {
    for (const LutAdapter* stage : prefix_) stage->getColorChannel(channel).transformArray(x, x, n);
  }

  double lookUp(int channel, double x) const {
    // Grid positions lie in [0, 1]; the nearest index is checked bit for bit
    // (so -0.0 is not taken for +0.0).
    if (x >= 0.0 && x <= 1.0) {
      // NOLINTNEXTLINE(bugprone-incorrect-roundings): x * last_ >= 0, so this rounds to nearest
      const int i = static_cast<int>(x * last_ + 0.5);
      // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): bits compared on purpose
      if (std::memcmp(&positions_[i], &x, sizeof x) == 0) return values_[channel][i];
    }
    evaluatePrefix(channel, &x, 1);
    return x;
  }

  std::vector<const LutFunc3D*> stages_;
  std::vector<const LutAdapter*> prefix_;
  std::vector<const LutFunc3D*> rest_;
  int last_;
  std::vector<double> positions_;
  std::vector<double> values_[3];
};

size_t perChannelStages(const std::vector<const LutFunc3D*>& stages) {
  size_t count = 0;
  while (count < stages.size() && isPerChannel(stages[count])) ++count;
  return count;
}

}  // namespace

void sample3dTable(const LutFunc3D& f, int size, double* table, LutOrder order) {
  const std::vector<const LutFunc3D*> stages = chainStages(f);
  const size_t perChannel = perChannelStages(stages);
  if (perChannel == 0 || size < 2) return f.getTable(size, table, order);
  AxisCachedChain(stages, perChannel, size).getTable(size, table, order);
}

void sample3dTable(const LutFunc3D& f, int size, unsigned short* table, LutOrder order, int maxCode,
                   bool halfGrid) {
  const std::vector<const LutFunc3D*> stages = chainStages(f);
  const size_t perChannel = perChannelStages(stages);
  if (perChannel == 0 || size < 2) return f.getTable(size, table, order, maxCode, halfGrid);
  // The half grid evaluates its own coarse grid (odd sizes only).
  const int points = halfGrid && size % 2 == 1 ? (size - 1) / 2 + 1 : size;
  AxisCachedChain(stages, perChannel, points).getTable(size, table, order, maxCode, halfGrid);
}

void check3dTableRequest(int size, const double* table) {
  checkMeshPoints(size);
  checkTable(table);
}

void check3dTableRequest(int size, const unsigned short* table, int maxCode) {
  checkMeshPoints(size);
  if (maxCode >= kMaxCodeLimit)
    throw KvrSignal(kLimitExceeded, KVR_HERE, "illegal value for scaling factor");
  if (maxCode < 1) {
    char message[64];
    std::snprintf(message, sizeof message, "illegal full-scale value for 3DLUT: %d", maxCode);
    throw KvrSignal(kIllegalValue, KVR_HERE, message);
  }
  checkTable(table);
}

}  // namespace Kalvora
