// Base of the look file classes: the serialise / parse / checksum operations
// every look file format provides, plus the CRC-32 calculator they share.
#pragma once

#include "kvrCrcCalculator.h"

namespace Kalvora {

class LookFile {
public:
  LookFile();
  virtual ~LookFile();

  // Parses a look buffer and applies it; true on success, failures throw.
  virtual bool loadLook(void const* buffer, unsigned int size) = 0;
  // Writes the look into a buffer of the look's data size; true on success,
  // failures throw.
  virtual bool saveLook(void* buffer, bool all) = 0;
  // The checksum of a look buffer of the given size.
  virtual unsigned int getCRC(unsigned char* buffer, unsigned int size) = 0;
  // Whether the checksum stored in the buffer matches its contents.
  virtual bool checkCRC(unsigned char const* buffer, unsigned int size) = 0;

  // CRC-32 of the bytes (0 for none).
  unsigned int calculateCrc(unsigned char const* data, unsigned int length) const;

private:
  CrcCalculator crc_;
};

}  // namespace Kalvora
