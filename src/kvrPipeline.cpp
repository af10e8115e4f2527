#include "kvrPipeline.h"

#include <limits>

namespace Kalvora {

// The lower bound is the smallest positive normal double, not the most
// negative one: zero and negative values lie below it.
PipelineParameter::PipelineParameter(unsigned int id, double value, Persistance persistence,
                                     bool readOnly)
    : PipelineParameter(id, value, std::numeric_limits<double>::min(),
                        std::numeric_limits<double>::max(), persistence, readOnly) {}

PipelineParameter::PipelineParameter(unsigned int id, double value, double minimum, double maximum,
                                     Persistance persistence, bool readOnly)
    : id(id),
      value(value),
      defaultValue(value),
      minimum(minimum),
      maximum(maximum),
      persistence(persistence),
      readOnly(readOnly) {}

bool PipelineParameter::save(bool all) const {
  return all ? persistence != kPersistNever : persistence == kPersistAlways;
}

}  // namespace Kalvora
