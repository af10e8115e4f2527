#include "kvrHermiteSpline.h"

#include <algorithm>

#include "kvrError.h"

#define KVR_SOURCE "src/kvrHermiteSpline"

namespace Kalvora {

namespace {

// Every knot-index check reports from this one location.
const char* const kKnotIndexWhere = "src/kvrMath:170 ERROR";

}  // namespace

HermiteSpline::HermiteSpline(int n)
    : count_(std::max(n, 0)),
      x_(count_, 0.0),
      y_(count_, 0.0),
      d_(count_, 0.0),
      c2_(count_, 0.0),
      c3_(count_, 0.0) {}

void HermiteSpline::checkIndex(int i) const {
  if (!(0 <= i && i < count_))
    throw KvrSignal(kIllegalIndex, kKnotIndexWhere, "illegal knot index");
}

void HermiteSpline::setX(int i, double v, bool update) {
  checkIndex(i);
  x_[i] = v;
  if (update) updatePoly(i);
}

void HermiteSpline::setY(int i, double v, bool update) {
  checkIndex(i);
  y_[i] = v;
  if (update) updatePoly(i);
}

void HermiteSpline::setD(int i, double v, bool update) {
  checkIndex(i);
  d_[i] = v;
  if (update) updatePoly(i);
}

void HermiteSpline::moveY(int i, double target, double weight, bool update) {
  checkIndex(i);
  y_[i] = weight * y_[i] + (1.0 - weight) * target;
  if (update) updatePoly(i);
}

void HermiteSpline::moveD(int i, double target, double weight, bool update) {
  checkIndex(i);
  d_[i] = weight * d_[i] + (1.0 - weight) * target;
  if (update) updatePoly(i);
}

void HermiteSpline::updatePoly(int i) {
  // Only intervals that exist are touched, so a single-knot spline is safe.
  if (i > 0) setPoly(i - 1);
  if (i < count_ - 1) setPoly(i);
}

void HermiteSpline::updatePolynomial(int i) {
  checkIndex(i);
  updatePoly(i);
}

void HermiteSpline::updatePolynomial() {
  for (int k = 0; k < count_ - 1; ++k) setPoly(k);
}

void HermiteSpline::setPoly(int k) {
  const double s = 1.0 / (x_[k + 1] - x_[k]);
  const double secant = (y_[k + 1] - y_[k]) * s;
  c3_[k] = (d_[k] - 2.0 * secant + d_[k + 1]) * (s * s);
  c2_[k] = (3.0 * secant - 2.0 * d_[k] - d_[k + 1]) * s;
}

void HermiteSpline::setConstInterval(int k) {
  d_[k] = 0.0;
  c2_[k] = 0.0;
  c3_[k] = 0.0;
}

void HermiteSpline::setLinearInterval(int k) {
  checkIndex(k);
  c2_[k] = 0.0;
  c3_[k] = 0.0;
}

double HermiteSpline::transform(double x) const {
  // A spline without knots has nothing to answer with.
  if (count_ == 0) return 0.0;
  if (x < x_[0]) return y_[0];
  for (int k = 1; k < count_; ++k) {
    if (x_[k] > x) {
      const int i = k - 1;
      const double t = x - x_[i];
      return ((c3_[i] * t + c2_[i]) * t + d_[i]) * t + y_[i];
    }
  }
  return y_[count_ - 1];
}

double HermiteSpline::getX(int i) const {
  checkIndex(i);
  return x_[i];
}

double HermiteSpline::getY(int i) const {
  checkIndex(i);
  return y_[i];
}

double HermiteSpline::getD(int i) const {
  checkIndex(i);
  return d_[i];
}

}  // namespace Kalvora
