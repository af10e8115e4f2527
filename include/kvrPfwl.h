// A power function with a linear toe, in the decoding direction (signal to
// linear light), and the shared display-gamma instances built from it.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class Pfwl : public LutFuncInv {
public:
  // Needs gamma > 1 and offset > 0; otherwise the derived break point and
  // linear divisor are not finite.
  Pfwl(double gamma, double offset);

  // ((x + offset) / (1 + offset))^gamma above the break point, otherwise
  // x / linearDivisor.
  double transform(double x) const override;
  void transformArray(const double* in, double* out, size_t n) const override;
  void show(int) const override {}
  double inverse(double y) const override;
  void inverseArray(const double* in, double* out, size_t n) const override;

  double getGamma() const { return gamma_; }
  double getOffset() const { return offset_; }
  double getBreakPoint() const { return breakPoint_; }
  double getLinearDivisor() const { return linearDivisor_; }

  static const Pfwl& getSrgbGamma() { return sGamma22; }
  static const Pfwl& getVideoGamma() { return sGamma24; }
  static const Pfwl& getDCIGamma() { return sGamma26; }

  static const Pfwl sGamma22;
  static const Pfwl sGamma24;
  static const Pfwl sGamma26;
  static const Pfwl sGamma30;

private:
  // The shared instances are constant-initialised from their derived values,
  // so they are usable during any other static initialisation.
  constexpr Pfwl(double gamma, double offset, double breakPoint, double linearDivisor) noexcept
      : gamma_(gamma), offset_(offset), breakPoint_(breakPoint), linearDivisor_(linearDivisor) {}

  double gamma_;
  double offset_;
  double breakPoint_;     // where the linear toe meets the power part
  double linearDivisor_;  // the toe's slope is 1 / linearDivisor
};

}  // namespace Kalvora
