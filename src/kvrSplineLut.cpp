#include "kvrSplineLut.h"

#include "kvrPfwl.h"

namespace Kalvora {

SplineLut::SplineLut(const SplineLutCoef* coef) : coef_(coef), inverseGamma_(Pfwl::sGamma24) {}

double SplineLut::transform(double x) const { return inverseGamma_.transform(x); }

}  // namespace Kalvora
