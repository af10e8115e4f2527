// Array maths of every instruction set here against the C library: within
// 2 ulp, the same special values, lengths ending in a partial vector.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "../src/kvrVectorMath.h"
#include "../src/kvrVectorMathKernels.h"

using namespace Kalvora;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::vector<const VectorKernels::Table*> runnableKernels() {
  std::vector<const VectorKernels::Table*> kernels = {VectorKernels::sse2()};
#if defined(__x86_64__)
  if (VectorKernels::avx2() && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
    kernels.push_back(VectorKernels::avx2());
  if (VectorKernels::avx512() && __builtin_cpu_supports("avx512f"))
    kernels.push_back(VectorKernels::avx512());
#endif
  return kernels;
}

// Units in the last place; 0 for two NaNs, the maximum for opposite signs.
uint64_t ulpDistance(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : UINT64_MAX;
  if (std::signbit(a) != std::signbit(b)) return UINT64_MAX;
  int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof a);
  std::memcpy(&ib, &b, sizeof b);
  return ia > ib ? uint64_t(ia - ib) : uint64_t(ib - ia);
}

}  // namespace

TEST(VectorMathTest, EveryInstructionSetAgreesWithTheCLibrary) {
  // Special values against each other, then random ordinary ones; 1003
  // elements, so every width ends in a partial vector.
  const double special[] = {0.0, -0.0, 1.0, -1.0, 0.5, 2.0, kInf, -kInf, kNan, 1e-310, 1e300, -2.5};
  std::vector<double> x, y;
  for (double a : special)
    for (double b : special) {
      x.push_back(a);
      y.push_back(b);
    }
  std::mt19937 random(3);
  std::uniform_real_distribution<double> base(0.0, 4.0), exponent(-3.0, 80.0);
  while (x.size() < 1003) {
    x.push_back(base(random));
    y.push_back(exponent(random));
  }
  const size_t n = x.size();
  std::vector<double> shifted(x), out(n), cosines(n);
  for (double& v : shifted) v -= 2.0;

  for (const VectorKernels::Table* k : runnableKernels()) {
    const struct {
      const char* name;
      std::function<void()> run;
      std::function<double(size_t)> exact;
    } functions[] = {
        {"pow", [&] { k->pow(x.data(), y.data(), out.data(), n); },
         [&](size_t i) { return std::pow(x[i], y[i]); }},
        {"pow with one exponent", [&] { k->powScalarExponent(x.data(), 2.4, out.data(), n); },
         [&](size_t i) { return std::pow(x[i], 2.4); }},
        {"log", [&] { k->log(x.data(), out.data(), n); }, [&](size_t i) { return std::log(x[i]); }},
        {"atan2", [&] { k->atan2(y.data(), shifted.data(), out.data(), n); },
         [&](size_t i) { return std::atan2(y[i], shifted[i]); }},
        // Sine and cosine only in the range the look uses.
        {"sin", [&] { k->sinCos(y.data(), out.data(), cosines.data(), n); },
         [&](size_t i) { return std::fabs(y[i]) > 1e6 ? out[i] : std::sin(y[i]); }},
        {"cos", [&] { k->sinCos(y.data(), cosines.data(), out.data(), n); },
         [&](size_t i) { return std::fabs(y[i]) > 1e6 ? out[i] : std::cos(y[i]); }}};
    for (const auto& f : functions) {
      SCOPED_TRACE(testing::Message() << k->name << " " << f.name);
      f.run();
      int failures = 0;
      for (size_t i = 0; i < n && failures < 5; ++i)
        if (ulpDistance(f.exact(i), out[i]) > 2 && ++failures)
          ADD_FAILURE() << "(" << x[i] << ", " << y[i] << "): " << out[i] << ", C library "
                        << f.exact(i);
    }
    // exp(y log x): NaN for negative bases, within 6e-16 where the result is
    // in [0, 1], elsewhere within the documented 2 (2 + |y ln x|) ulp.
    for (double e : {0.0, 0.45, 2.4, 78.84375, -0.1667}) {
      k->powFromLog(x.data(), e, out.data(), n);
      for (size_t i = 0; i < n; ++i) {
        const double exact = x[i] < 0.0 && e != 0.0 ? kNan : std::pow(x[i], e);
        const bool unit = exact >= 0.0 && exact <= 1.0 && e != 0.0;
        const double bound =
            !std::isfinite(exact) || e == 0.0 ? 0.0 : 2.0 * (2.0 + std::fabs(e * std::log(x[i])));
        EXPECT_TRUE(unit ? std::fabs(out[i] - exact) <= 6e-16
                         : double(ulpDistance(exact, out[i])) <= bound)
            << x[i] << " ^ " << e << ": " << out[i];
      }
    }
  }
}

TEST(VectorMathTest, OutputMayBeTheInputAndEmptyArraysAreFine) {
  std::vector<double> x = {0.25, 0.5, 1.0, 2.0, 3.0};
  vecPow(x.data(), 2.0, x.data(), x.size());
  EXPECT_DOUBLE_EQ(x[0], 0.0625);
  EXPECT_DOUBLE_EQ(x[4], 9.0);
  vecLog(nullptr, nullptr, 0);
  EXPECT_STRNE(vecMathLevel(), "");
}
