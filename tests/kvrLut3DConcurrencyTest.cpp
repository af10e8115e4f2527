// Hosts apply one Lut3D from many threads at once. Four threads share one
// const table object, starting together so that even the first batch call
// (which packs the SIMD kernel's table) is made by all of them at once, and
// every thread must get exactly the single-threaded results. The
// continuous-integration script also runs this suite under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "kvrLut3D.h"
#include "kvrTestTables.h"

using namespace Kalvora;

namespace {

constexpr int kThreads = 4;
constexpr int kSize = 17;
constexpr size_t kPixels = 8000;
constexpr size_t kTricubicPixels = 800;  // the tricubic reader is slow

std::vector<unsigned short> noiseTable(LutOrder order) {
  std::mt19937 random(5);
  return KalvoraTest::makeTable(kSize, order,
                                [&](int, int, int, int) { return int(random() % 65536); });
}

template <class Sample>
std::vector<Sample> pixels() {
  std::mt19937 random(9);
  std::uniform_real_distribution<double> around(-0.1, 1.1);
  std::vector<Sample> values(3 * kPixels);
  for (Sample& v : values) v = static_cast<Sample>(around(random));
  return values;
}

// What one thread computes: the batch path in double and float, and the
// per-pixel path for a share of the pixels.
struct Results {
  std::vector<double> batch;
  std::vector<float> batchFloat;
  std::vector<double> perPixel;
};

Results apply(const Lut3D& lut, size_t count) {
  static const std::vector<double> in = pixels<double>();
  static const std::vector<float> inFloat = pixels<float>();
  Results r{std::vector<double>(3 * count), std::vector<float>(3 * count),
            std::vector<double>(3 * (count / 4))};
  lut.transformBatch(in.data(), r.batch.data(), count);
  lut.transformBatch(inFloat.data(), r.batchFloat.data(), count);
  for (size_t i = 0; i < r.perPixel.size(); i += 3)
    lut.transform(in[i], in[i + 1], in[i + 2], r.perPixel[i], r.perPixel[i + 1], r.perPixel[i + 2]);
  return r;
}

template <class T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

}  // namespace

TEST(Lut3DConcurrencyTest, FourThreadsApplyingOneTableGetTheSingleThreadedResults) {
  const auto interleaved = noiseTable(kLutInterleaved);
  const auto planar = noiseTable(kLutPlanar);
  for (bool tricubic : {false, true})
    for (const auto* table : {&interleaved, &planar}) {
      const LutOrder order = table == &planar ? kLutPlanar : kLutInterleaved;
      SCOPED_TRACE(testing::Message() << "tricubic " << tricubic << " order " << order);
      const Lut3D shared(kSize, table->data(), order, 65535, tricubic);
      const size_t count = tricubic ? kTricubicPixels : kPixels;
      std::vector<Results> results(kThreads);
      std::atomic<int> ready{0};
      std::vector<std::thread> threads;
      for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
          ++ready;
          while (ready < kThreads) std::this_thread::yield();
          results[t] = apply(shared, count);
        });
      for (std::thread& thread : threads) thread.join();

      const Lut3D alone(kSize, table->data(), order, 65535, tricubic);
      const Results expected = apply(alone, count);
      for (const Results& r : results) {
        EXPECT_TRUE(sameBits(expected.batch, r.batch));
        EXPECT_TRUE(sameBits(expected.batchFloat, r.batchFloat));
        EXPECT_TRUE(sameBits(expected.perPixel, r.perPixel));
      }
    }
}
