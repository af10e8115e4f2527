// CRC-32 (the reflected 0xEDB88320 polynomial of zlib, Ethernet and
// ISO-HDLC) with a lookup table built once per calculator.
#pragma once

#include <cstdint>

namespace Kalvora {

class CrcCalculator {
public:
  CrcCalculator();
  virtual ~CrcCalculator();

  // Fills the lookup table; the constructor already did this.
  void initCrcTable();

  // CRC-32 of the bytes: register preset to all ones, inverted at the end.
  // Zero bytes give 0.
  unsigned int calculateCrc(unsigned char const* data, unsigned int length) const;

  // Feeds the bytes into a running register without preset or final
  // inversion. A CRC-32 in pieces starts from 0xFFFFFFFF and inverts the
  // last result.
  unsigned int updateCrc(unsigned int crc, unsigned char const* data, unsigned int length) const;

private:
  uint32_t table_[256];
};

}  // namespace Kalvora
