// Byte helpers of the metadata readers and writers: fixed-order fields at an
// offset, and the 4-byte padding of names and notes.
#pragma once

#include <cstdint>
#include <cstring>

#include "kvrByteOrder.h"

namespace Kalvora {
namespace AtomBytes {

inline unsigned int be32(unsigned char const* p, uint64_t at) {
  unsigned int v = 0;
  read_uint32_be(p + at, v);
  return v;
}
inline unsigned short be16(unsigned char const* p, uint64_t at) {
  unsigned short v = 0;
  read_uint16_be(p + at, v);
  return v;
}
inline float beFloat(unsigned char const* p, uint64_t at) {
  float v = 0;
  read_float_be(p + at, v);
  return v;
}
inline void putBe32(unsigned char* p, uint64_t at, unsigned int v) { write_uint32_be(p + at, v); }
inline void putBe16(unsigned char* p, uint64_t at, unsigned short v) { write_uint16_be(p + at, v); }
inline void putBeFloat(unsigned char* p, uint64_t at, float v) { write_float_be(p + at, v); }

// Host-order fields of the raw video-LUT atom.
inline unsigned int host32(unsigned char const* p, uint64_t at) {
  uint32_t v = 0;
  std::memcpy(&v, p + at, sizeof v);
  return v;
}
inline void putHost32(unsigned char* p, uint64_t at, uint32_t v) {
  std::memcpy(p + at, &v, sizeof v);
}
inline void putHost16(unsigned char* p, uint64_t at, uint16_t v) {
  std::memcpy(p + at, &v, sizeof v);
}

// n rounded up to a multiple of 4.
inline uint64_t pad4(uint64_t n) { return (n + 3) & ~uint64_t(3); }

// Length of a field up to its first zero byte (the whole field without one).
inline unsigned short terminatedLength(unsigned char const* field, unsigned int size) {
  const void* zero = std::memchr(field, 0, size);
  return static_cast<unsigned short>(zero ? static_cast<unsigned char const*>(zero) - field : size);
}

}  // namespace AtomBytes
}  // namespace Kalvora
