#include "kvrLutComposite.h"

#include <algorithm>
#include <cstddef>

#include "kvrError.h"

#define KVR_SOURCE "src/kvrLutComposite"

namespace Kalvora {

namespace {

// Each stage takes its inputs by value, so it may write the working triple
// in place.
void applyStages(const LutFunc3D* const* stages, size_t count, double r, double g, double b,
                 double& outR, double& outG, double& outB) {
  for (size_t i = 0; i < count; ++i) stages[i]->transform(r, g, b, r, g, b);
  outR = r;
  outG = g;
  outB = b;
}

void applyStageBlocks(const LutFunc3D* const* stages, size_t count, const double* r,
                      const double* g, const double* b, double* outR, double* outG, double* outB,
                      size_t n) {
  if (count == 0) {
    if (outR != r) std::copy(r, r + n, outR);
    if (outG != g) std::copy(g, g + n, outG);
    if (outB != b) std::copy(b, b + n, outB);
    return;
  }
  stages[0]->transformBlock(r, g, b, outR, outG, outB, n);
  for (size_t i = 1; i < count; ++i)
    stages[i]->transformBlock(outR, outG, outB, outR, outG, outB, n);
}

}  // namespace

void LutComposite3D::addTransformation(const LutFunc3D& stage) { stages_.push_back(&stage); }

void LutComposite3D::transform(double r, double g, double b, double& outR, double& outG,
                               double& outB) const {
  applyStages(stages_.data(), stages_.size(), r, g, b, outR, outG, outB);
}

void LutComposite3D::transformBlock(const double* r, const double* g, const double* b, double* outR,
                                    double* outG, double* outB, size_t n) const {
  applyStageBlocks(stages_.data(), stages_.size(), r, g, b, outR, outG, outB, n);
}

LutComposite3DSmall::LutComposite3DSmall() : count_(0), stage_{} {}

void LutComposite3DSmall::addTransformation(const LutFunc3D& stage) {
  if (count_ >= kMaxStages)
    throw KvrSignal(kLimitExceeded, "src/kvrLutComposite:145 ERROR",
                    "Exceed maximum number of LutFun3D transformations");
  stage_[count_++] = &stage;
}

void LutComposite3DSmall::reset() {
  for (int i = 0; i < count_; ++i) stage_[i] = nullptr;
  count_ = 0;
}

void LutComposite3DSmall::transform(double r, double g, double b, double& outR, double& outG,
                                    double& outB) const {
  applyStages(stage_, static_cast<size_t>(count_), r, g, b, outR, outG, outB);
}

void LutComposite3DSmall::transformBlock(const double* r, const double* g, const double* b,
                                         double* outR, double* outG, double* outB, size_t n) const {
  applyStageBlocks(stage_, static_cast<size_t>(count_), r, g, b, outR, outG, outB, n);
}

}  // namespace Kalvora
