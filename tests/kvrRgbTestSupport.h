// Test support: evaluating a 3-D function and comparing its RGB results.
#pragma once

#include <gtest/gtest.h>

#include "kvrLutFunc.h"

namespace KalvoraTest {

struct Rgb {
  double r, g, b;
};

inline Rgb render(const Kalvora::LutFunc3D& f, double r, double g, double b) {
  Rgb out;
  f.transform(r, g, b, out.r, out.g, out.b);
  return out;
}

inline void expectSame(const Rgb& a, const Rgb& b) {
  EXPECT_EQ(a.r, b.r);
  EXPECT_EQ(a.g, b.g);
  EXPECT_EQ(a.b, b.b);
}

inline void expectGrey(const Rgb& out, double expected, double tolerance) {
  EXPECT_NEAR(out.r, expected, tolerance);
  EXPECT_NEAR(out.g, expected, tolerance);
  EXPECT_NEAR(out.b, expected, tolerance);
}

}  // namespace KalvoraTest
