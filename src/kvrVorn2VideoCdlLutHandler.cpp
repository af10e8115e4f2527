#include "kvrVorn2VideoCdlLutHandler.h"

namespace Kalvora {

namespace {
constexpr unsigned int kCdlLookNode = 14;
constexpr unsigned int kCdlLookRec1886Node = 13;
}  // namespace

Vorn2VideoCdlLutHandler::Vorn2VideoCdlLutHandler(Vorn2ImageCore* core) : Vorn2LutHandler(core) {}

Vorn2VideoCdlLutHandler::~Vorn2VideoCdlLutHandler() = default;

void Vorn2VideoCdlLutHandler::getMetaData(void* buffer) {
  writeAtom(static_cast<unsigned char*>(buffer),
            isConverting() ? kCdlLookRec1886Node : kCdlLookNode);
}

void Vorn2VideoCdlLutHandler::setMetaData(void const* buffer, unsigned int size) {
  resetMetaData();
  readHeader(static_cast<unsigned char const*>(buffer), size);
}

void Vorn2VideoCdlLutHandler::resetMetaData() { Vorn2LutHandler::resetMetaData(); }

}  // namespace Kalvora
