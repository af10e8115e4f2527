#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "kvrError.h"
#include "kvrLutComposite.h"

// Counts every allocation of this test program, to show that rebuilding a
// small composite allocates nothing.
static std::atomic<long> gAllocations{0};

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace Kalvora;

namespace {

class AddConstant : public LutFunc3D {
public:
  explicit AddConstant(double k) : k_(k) {}
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    outR = r + k_;
    outG = g + k_;
    outB = b + k_;
  }

private:
  double k_;
};

class Scale : public LutFunc3D {
public:
  explicit Scale(double k) : k_(k) {}
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    outR = r * k_;
    outG = g * k_;
    outB = b * k_;
  }

private:
  double k_;
};

// Writes the outputs in an order that would corrupt later reads if a stage
// received its inputs by reference.
class Rotate : public LutFunc3D {
public:
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    outR = g;
    outG = b;
    outB = r;
  }
};

void apply(const LutFunc3D& f, double r, double g, double b, double* out) {
  f.transform(r, g, b, out[0], out[1], out[2]);
}

}  // namespace

TEST(LutComposite3DTest, EmptyChainIsTheIdentity) {
  LutComposite3D chain;
  LutComposite3DSmall small;
  double out[3];
  apply(chain, 0.1, -2.0, 3.5, out);
  EXPECT_EQ(out[0], 0.1);
  EXPECT_EQ(out[1], -2.0);
  EXPECT_EQ(out[2], 3.5);
  apply(small, 0.1, -2.0, 3.5, out);
  EXPECT_EQ(out[0], 0.1);
  EXPECT_EQ(out[1], -2.0);
  EXPECT_EQ(out[2], 3.5);
}

TEST(LutComposite3DTest, FirstAddedStageRunsFirst) {
  AddConstant addTenth(0.1);
  Scale twice(2.0);
  LutComposite3D chain;
  chain.addTransformation(addTenth);
  chain.addTransformation(twice);
  LutComposite3DSmall small;
  small.addTransformation(addTenth);
  small.addTransformation(twice);
  for (const LutFunc3D* f :
       {static_cast<const LutFunc3D*>(&chain), static_cast<const LutFunc3D*>(&small)}) {
    double out[3];
    apply(*f, 0, 0, 0, out);
    EXPECT_DOUBLE_EQ(out[0], 0.2);
    EXPECT_DOUBLE_EQ(out[1], 0.2);
    EXPECT_DOUBLE_EQ(out[2], 0.2);
  }
}

TEST(LutComposite3DTest, StagesMayWriteTheWorkingTripleInPlace) {
  Rotate rotate;
  LutComposite3D chain;
  LutComposite3DSmall small;
  for (int i = 0; i < 4; ++i) {
    chain.addTransformation(rotate);
    small.addTransformation(rotate);
  }
  for (const LutFunc3D* f :
       {static_cast<const LutFunc3D*>(&chain), static_cast<const LutFunc3D*>(&small)}) {
    double out[3];
    apply(*f, 1, 2, 3, out);  // four rotations are one rotation
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 3);
    EXPECT_EQ(out[2], 1);
  }
}

TEST(LutComposite3DTest, GrowsWithoutLimitAndSeesLaterChangesOfItsStages) {
  Scale grow(1.0);
  LutComposite3D chain;
  for (int i = 0; i < 25; ++i) chain.addTransformation(grow);
  grow = Scale(2.0);
  double out[3];
  apply(chain, 1, 0, 0, out);
  EXPECT_EQ(out[0], 33554432.0);  // 2^25
}

TEST(LutComposite3DSmallTest, EleventhStageIsRejectedAndTheChainKept) {
  AddConstant one(1.0);
  AddConstant ignored(1000.0);
  LutComposite3DSmall small;
  for (int i = 0; i < LutComposite3DSmall::kMaxStages; ++i) small.addTransformation(one);
  try {
    small.addTransformation(ignored);
    FAIL() << "the eleventh stage was accepted";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kLimitExceeded);
    EXPECT_STREQ(signal.where(), "src/kvrLutComposite:145 ERROR");
    EXPECT_STREQ(signal.what(), "Exceed maximum number of LutFun3D transformations");
  }
  double out[3];
  apply(small, 0, 0, 0, out);
  EXPECT_EQ(out[0], 10.0);
}

TEST(LutComposite3DSmallTest, ResetEmptiesTheChainForTenNewStages) {
  AddConstant one(1.0);
  Scale twice(2.0);
  LutComposite3DSmall small;
  for (int i = 0; i < 10; ++i) small.addTransformation(one);
  small.reset();
  double out[3];
  apply(small, 0.5, 0.5, 0.5, out);
  EXPECT_EQ(out[0], 0.5);
  for (int i = 0; i < 10; ++i) small.addTransformation(twice);
  apply(small, 0.5, 0.5, 0.5, out);
  EXPECT_EQ(out[0], 512.0);
}

TEST(LutComposite3DSmallTest, RebuildingAllocatesNothing) {
  AddConstant one(1.0);
  LutComposite3DSmall small;
  double out[3];
  const long before = gAllocations.load();
  for (int round = 0; round < 3; ++round) {
    small.reset();
    for (int i = 0; i < 10; ++i) small.addTransformation(one);
    small.transform(0, 0, 0, out[0], out[1], out[2]);
  }
  const long after = gAllocations.load();
  EXPECT_EQ(after, before);
  EXPECT_EQ(out[0], 10.0);
}

TEST(LutComposite3DSmallTest, OverflowBecomesAnErrorCodeAtTheBoundary) {
  AddConstant one(1.0);
  LutComposite3DSmall small;
  const ErrorHandler previous = setErrorHandler(nullptr);
  const ErrorCode code = kvrBoundary("test", [&] {
    for (int i = 0; i < 11; ++i) small.addTransformation(one);
    return kNoError;
  });
  setErrorHandler(previous);
  EXPECT_EQ(code, kLimitExceeded);
}
