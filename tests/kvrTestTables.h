// Builders of small 3-D test tables shared by the table and interpolator suites.
#pragma once

#include <functional>
#include <vector>

#include "kvrLutFunc.h"

namespace KalvoraTest {

// A table of n^3 samples whose channel c at grid point (r, g, b) is
// code(r, g, b, c), laid out in the given order.
inline std::vector<unsigned short> makeTable(
    int n, Kalvora::LutOrder order, const std::function<int(int r, int g, int b, int c)>& code) {
  const long samples = static_cast<long>(n) * n * n;
  std::vector<unsigned short> table(3 * samples);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        for (int c = 0; c < 3; ++c)
          table[Kalvora::tableIndex(order, (r * n + g) * n + b, c, samples)] =
              static_cast<unsigned short>(code(r, g, b, c));
  return table;
}

// Channel c is step * (grid index along axis c): the identity scaled to
// step * (n - 1) at the top of the cube.
inline std::vector<unsigned short> makeIdentityTable(int n, Kalvora::LutOrder order, int step) {
  return makeTable(n, order, [step](int r, int g, int b, int c) {
    const int at[3] = {r, g, b};
    return step * at[c];
  });
}

}  // namespace KalvoraTest
