#include "kvrVorn2CdlParamHandler.h"

namespace Kalvora {

constexpr unsigned int Vorn2CdlParamHandler::kIds[];

Vorn2CdlParamHandler::Vorn2CdlParamHandler(Vorn2ImageCore* core) : Vorn2MetaDataHandler(core) {}

Vorn2CdlParamHandler::~Vorn2CdlParamHandler() = default;

void Vorn2CdlParamHandler::getMetaData(void* buffer) { writeParameterAtom(buffer, kIds); }

void Vorn2CdlParamHandler::setMetaData(void const* buffer, unsigned int size) {
  resetMetaData();
  readParameterAtom(buffer, size, kIds);
}

void Vorn2CdlParamHandler::resetMetaData() { resetParameters(kIds, kParameterAtomCount); }

}  // namespace Kalvora
