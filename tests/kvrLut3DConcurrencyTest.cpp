// Four threads start together on one const Lut3D (even the first batch call,
// which packs the SIMD table) and get the single-threaded results. CI runs
// this suite under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "kvrLut3D.h"
#include "kvrTestTables.h"

using namespace Kalvora;

namespace {

// The batch path in double and float, and the per-pixel path for a quarter
// of the pixels (all of them NaN-free, so plain equality is bit equality).
struct Results {
  std::vector<double> batch, perPixel;
  std::vector<float> batchFloat;
  bool operator==(const Results& o) const {
    return batch == o.batch && perPixel == o.perPixel && batchFloat == o.batchFloat;
  }
};

Results apply(const Lut3D& lut, size_t count) {
  std::mt19937 random(9);
  std::uniform_real_distribution<double> around(-0.1, 1.1);
  std::vector<double> in(3 * count);
  for (double& v : in) v = around(random);
  const std::vector<float> inFloat(in.begin(), in.end());
  Results r{std::vector<double>(in.size()), std::vector<double>(in.size() / 4 / 3 * 3),
            std::vector<float>(in.size())};
  lut.transformBatch(in.data(), r.batch.data(), count);
  lut.transformBatch(inFloat.data(), r.batchFloat.data(), count);
  for (size_t i = 0; i < r.perPixel.size(); i += 3)
    lut.transform(in[i], in[i + 1], in[i + 2], r.perPixel[i], r.perPixel[i + 1], r.perPixel[i + 2]);
  return r;
}

}  // namespace

TEST(Lut3DConcurrencyTest, FourThreadsApplyingOneTableGetTheSingleThreadedResults) {
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    std::mt19937 random(5);
    const auto table = KalvoraTest::makeTable(
        17, order, [&](int, int, int, int) { return int(random() % 65536); });
    for (bool tricubic : {false, true}) {
      SCOPED_TRACE(testing::Message() << "tricubic " << tricubic << " order " << order);
      const size_t count = tricubic ? 800 : 8000;  // the tricubic reader is slow
      const Lut3D shared(17, table.data(), order, 65535, tricubic);
      std::vector<Results> results(4);
      std::atomic<int> ready{0};
      std::vector<std::thread> threads;
      for (Results& r : results)
        threads.emplace_back([&] {
          ++ready;
          while (ready < 4) std::this_thread::yield();
          r = apply(shared, count);
        });
      for (std::thread& thread : threads) thread.join();
      const Results expected = apply(Lut3D(17, table.data(), order, 65535, tricubic), count);
      for (const Results& r : results) EXPECT_TRUE(r == expected);
    }
  }
}
