#include "kvrPipeline.h"

#include <limits>

namespace Kalvora {

// The lower bound is the smallest positive normal double, not the most
// negative one: zero and negative values lie below it.
PipelineParameter::PipelineParameter(unsigned int idValue, double initialValue,
                                     Persistance persistenceValue, bool readOnlyValue)
    : PipelineParameter(idValue, initialValue, std::numeric_limits<double>::min(),
                        std::numeric_limits<double>::max(), persistenceValue, readOnlyValue) {}

PipelineParameter::PipelineParameter(unsigned int idValue, double initialValue, double minimumValue,
                                     double maximumValue, Persistance persistenceValue,
                                     bool readOnlyValue)
    : id(idValue),
      value(initialValue),
      defaultValue(initialValue),
      minimum(minimumValue),
      maximum(maximumValue),
      persistence(persistenceValue),
      readOnly(readOnlyValue) {}

bool PipelineParameter::save(bool all) const {
  return all ? persistence != kPersistNever : persistence == kPersistAlways;
}

}  // namespace Kalvora
