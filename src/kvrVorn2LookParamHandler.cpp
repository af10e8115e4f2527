#include "kvrVorn2LookParamHandler.h"

namespace Kalvora {

constexpr unsigned int Vorn2LookParamHandler::kIds[];

Vorn2LookParamHandler::Vorn2LookParamHandler(Vorn2ImageCore* core) : Vorn2MetaDataHandler(core) {}

Vorn2LookParamHandler::~Vorn2LookParamHandler() = default;

void Vorn2LookParamHandler::getMetaData(void* buffer) { writeParameterAtom(buffer, kIds); }

void Vorn2LookParamHandler::setMetaData(void const* buffer, unsigned int size) {
  resetMetaData();
  readParameterAtom(buffer, size, kIds);
}

void Vorn2LookParamHandler::resetMetaData() { resetParameters(kIds, kParameterAtomCount); }

}  // namespace Kalvora
