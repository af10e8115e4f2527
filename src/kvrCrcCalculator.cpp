#include "kvrCrcCalculator.h"

namespace Kalvora {

namespace {
constexpr uint32_t kReflectedPolynomial = 0xEDB88320u;
}

CrcCalculator::CrcCalculator() { initCrcTable(); }

CrcCalculator::~CrcCalculator() = default;

void CrcCalculator::initCrcTable() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t entry = i;
    for (int bit = 0; bit < 8; ++bit)
      entry = (entry & 1u) ? (entry >> 1) ^ kReflectedPolynomial : entry >> 1;
    table_[i] = entry;
  }
}

unsigned int CrcCalculator::calculateCrc(unsigned char const* data, unsigned int length) const {
  if (length == 0) return 0;
  return ~updateCrc(0xFFFFFFFFu, data, length);
}

unsigned int CrcCalculator::updateCrc(unsigned int crc, unsigned char const* data,
                                      unsigned int length) const {
  uint32_t reg = crc;
  for (unsigned int i = 0; i < length; ++i) reg = (reg >> 8) ^ table_[(reg ^ data[i]) & 0xFFu];
  return reg;
}

}  // namespace Kalvora
