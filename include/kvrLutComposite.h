// Chains of RGB-to-RGB functions applied one after the other.
#pragma once

#include <vector>

#include "kvrLutFunc.h"

namespace Kalvora {

// Applies its stages in the order they were added (the first added runs
// first). The stages are borrowed and must outlive the composite; with no
// stages the composite is the identity. Stages cannot be removed.
class LutComposite3D : public LutFunc3D {
public:
  LutComposite3D() = default;
  void addTransformation(const LutFunc3D& stage);
  int getCount() const { return static_cast<int>(stages_.size()); }
  const LutFunc3D& getStage(int i) const { return *stages_[i]; }

  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;
  // Each stage's transformBlock() in turn, in place on the outputs.
  void transformBlock(const double* r, const double* g, const double* b, double* outR, double* outG,
                      double* outB, size_t n) const override;
  void show(int) const override {}

private:
  std::vector<const LutFunc3D*> stages_;
};

// The same chain in ten fixed slots, rebuilt in place with reset() and fresh
// addTransformation calls without allocating.
class LutComposite3DSmall : public LutFunc3D {
public:
  static constexpr int kMaxStages = 10;

  LutComposite3DSmall();
  // Throws kLimitExceeded, leaving the chain unchanged, when all slots are used.
  void addTransformation(const LutFunc3D& stage);
  void reset();
  int getCount() const { return count_; }
  const LutFunc3D& getStage(int i) const { return *stage_[i]; }

  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;
  // Each stage's transformBlock() in turn, in place on the outputs.
  void transformBlock(const double* r, const double* g, const double* b, double* outR, double* outG,
                      double* outB, size_t n) const override;
  void show(int) const override {}

private:
  int count_;
  const LutFunc3D* stage_[kMaxStages];
};

}  // namespace Kalvora
