// Exposure-check painting: a scalar is looked up in a table of bands and the
// band's colour is returned; values outside every band are shown as grey.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class FalseColorLut : public LutFuncRgb {
public:
  // The band [min, max) and the colour painted for it.
  struct ColorRange {
    constexpr ColorRange() noexcept = default;
    constexpr ColorRange(double minValue, double maxValue, double redValue, double greenValue,
                         double blueValue) noexcept
        : min(minValue), max(maxValue), red(redValue), green(greenValue), blue(blueValue) {}

    double min = 0.0;
    double max = 0.0;
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
  };

  FalseColorLut();
  // The table is borrowed, not copied: the caller keeps it alive.
  FalseColorLut(const ColorRange* ranges, int count);
  ~FalseColorLut() override = default;

  // The colour of the first band that holds mono(x); grey (mono(x) in every
  // channel) for negative or NaN values and values outside every band.
  void transform(double x, double& r, double& g, double& b) const override;
  void show(int) const override {}

  void setColorRange(const ColorRange* ranges, int count);
  // The function applied to the input before the band lookup.
  void setMonoChannel(const LutFunc& func);
  // The five values of row i; throws kIllegalValue for a row outside the table.
  void getColorRange(int i, double& min, double& max, double& r, double& g, double& b) const;

private:
  // Number of usable rows: none without a table or with a negative count.
  int rowCount() const;

  const LutFunc* mono_;
  int count_;
  const ColorRange* ranges_;  // not owned
};

}  // namespace Kalvora
