#include "kvrLookFile.h"

namespace Kalvora {

LookFile::LookFile() = default;

LookFile::~LookFile() = default;

unsigned int LookFile::calculateCrc(unsigned char const* data, unsigned int length) const {
  return crc_.calculateCrc(data, length);
}

}  // namespace Kalvora
