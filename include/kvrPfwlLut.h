// A Pfwl whose power part is read from two 16-bit tables (one per direction)
// with linear interpolation instead of calling pow. The linear toe is
// computed as in Pfwl. Inputs above 1 read the table's last value (about
// 1.0) instead of extrapolating the power.
#pragma once

#include <vector>

#include "kvrLut.h"
#include "kvrPfwl.h"

namespace Kalvora {

class PfwlLut : public Pfwl {
public:
  // Each table holds `size` entries spanning the power part from the break
  // point to 1. A size below 2 uses 2, the least an interpolating read needs.
  PfwlLut(double gamma, double offset, int size);
  // The table readers point into this object's own tables.
  PfwlLut(const PfwlLut&) = delete;
  PfwlLut& operator=(const PfwlLut&) = delete;

  double transform(double x) const override;
  void show(int) const override {}
  double inverse(double y) const override;

  int getTableSize() const { return static_cast<int>(forwardTable_.size()); }

private:
  std::vector<unsigned short> forwardTable_;
  std::vector<unsigned short> inverseTable_;
  Lut forward_;
  Lut inverse_;
  double forwardScale_;
  double forwardStart_;  // the break point
  double inverseScale_;
  double inverseStart_;  // the break point's linear value
};

}  // namespace Kalvora
