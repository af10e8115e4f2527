#include <gtest/gtest.h>

#include <cmath>

#include "kvrPQ2L.h"

using namespace Kalvora;

TEST(PQ2L, EndPointsAreExact) {
  const PQ2L pq;
  EXPECT_EQ(pq.transform(0.0), 0.0);
  EXPECT_DOUBLE_EQ(pq.transform(1.0), 1.0);
  EXPECT_DOUBLE_EQ(pq.inverse(1.0), 1.0);
}

TEST(PQ2L, MatchesPublishedLuminanceLevels) {
  const PQ2L pq;
  // 100 and 1000 cd/m^2 on the 10000 cd/m^2 scale.
  EXPECT_NEAR(pq.inverse(0.01), 0.508078, 1e-6);
  EXPECT_NEAR(pq.inverse(0.1), 0.751827, 1e-6);
  EXPECT_NEAR(pq.transform(0.508078), 0.01, 1e-7);
}

TEST(PQ2L, NegativeInputMirrorsPositive) {
  const PQ2L pq;
  for (double v : {0.01, 0.25, 0.5, 0.9}) {
    EXPECT_EQ(pq.transform(-v), -pq.transform(v)) << v;
    EXPECT_EQ(pq.inverse(-v), -pq.inverse(v)) << v;
  }
}

TEST(PQ2L, InverseUndoesTransform) {
  const PQ2L pq;
  // Signals up to c1^m2 (about 7.3e-7) all decode to black, so the round
  // trip starts above them.
  for (int i = 1; i <= 100; ++i) {
    const double e = i / 100.0;
    EXPECT_NEAR(pq.inverse(pq.transform(e)), e, 1e-12) << e;
  }
  EXPECT_NEAR(pq.inverse(pq.transform(0.5)), 0.5, 1e-14);
  EXPECT_EQ(pq.transform(pq.inverse(0.0)), 0.0);
  for (double l : {1e-6, 1e-4, 0.01, 0.5, 1.0})
    EXPECT_NEAR(pq.transform(pq.inverse(l)) / l, 1.0, 1e-10) << l;
}

TEST(PQ2L, TransformIsMonotonic) {
  const PQ2L pq;
  double previous = pq.transform(0.0);
  for (int i = 1; i <= 1000; ++i) {
    const double l = pq.transform(i / 1000.0);
    EXPECT_GT(l, previous) << i;
    previous = l;
  }
}
