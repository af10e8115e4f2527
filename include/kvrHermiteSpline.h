// Piecewise cubic Hermite spline with explicit knots, values and slopes.
// The cubic coefficients of every interval are kept up to date on request;
// evaluation extrapolates with the end values.
#pragma once

#include <vector>

namespace Kalvora {

class HermiteSpline {
public:
  // n knots; every entry is 0 until set.
  explicit HermiteSpline(int n);

  // Checked setters: the index is validated before anything changes. With
  // update, the intervals next to knot i are recomputed.
  void setX(int i, double v, bool update);
  void setY(int i, double v, bool update);
  void setD(int i, double v, bool update);
  // Blends the value (slope) toward a target: weight 0 reaches the target,
  // weight 1 keeps the current value.
  void moveY(int i, double target, double weight, bool update);
  void moveD(int i, double target, double weight, bool update);

  // Throws kIllegalIndex "illegal knot index" unless 0 <= i < count.
  void checkIndex(int i) const;

  // Recomputes the intervals next to knot i (unchecked and checked form).
  void updatePoly(int i);
  void updatePolynomial(int i);
  // Recomputes every interval.
  void updatePolynomial();
  // Recomputes interval k (unchecked; needs k + 1 < count).
  void setPoly(int k);
  // Interval k becomes the constant y[k]; clears d[k] (unchecked).
  void setConstInterval(int k);
  // Interval k becomes the line y[k] + d[k] * t (checked).
  void setLinearInterval(int k);

  double transform(double x) const;

  int getCount() const { return count_; }
  // Checked read access to the knots, values and slopes.
  double getX(int i) const;
  double getY(int i) const;
  double getD(int i) const;

private:
  int count_;
  std::vector<double> x_;
  std::vector<double> y_;
  std::vector<double> d_;
  std::vector<double> c2_;  // quadratic coefficient of the interval starting at each knot
  std::vector<double> c3_;  // cubic coefficient of the interval starting at each knot
};

}  // namespace Kalvora
