#include "kvrByteOrder.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace Kalvora {

namespace {

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559,
              "floats must be IEEE 754 single precision");
static_assert(sizeof(unsigned short) == 2 && sizeof(unsigned int) == 4 &&
                  sizeof(unsigned long long) == 8,
              "unexpected integer sizes");

// Values are assembled with shifts on unsigned 64-bit intermediates, so the
// host's own byte order never matters and no shift can overflow.
template <class T>
unsigned char const* readBe(unsigned char const* src, T& value) {
  uint64_t v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) v = (v << 8) | src[i];
  value = static_cast<T>(v);
  return src + sizeof(T);
}

template <class T>
unsigned char const* readLe(unsigned char const* src, T& value) {
  uint64_t v = 0;
  for (size_t i = sizeof(T); i-- > 0;) v = (v << 8) | src[i];
  value = static_cast<T>(v);
  return src + sizeof(T);
}

template <class T>
unsigned char* writeBe(unsigned char* dst, T value) {
  const uint64_t v = value;
  for (size_t i = 0; i < sizeof(T); ++i)
    dst[i] = static_cast<unsigned char>(v >> (8 * (sizeof(T) - 1 - i)));
  return dst + sizeof(T);
}

template <class T>
unsigned char* writeLe(unsigned char* dst, T value) {
  const uint64_t v = value;
  for (size_t i = 0; i < sizeof(T); ++i) dst[i] = static_cast<unsigned char>(v >> (8 * i));
  return dst + sizeof(T);
}

uint32_t floatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float floatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

unsigned char const* read_uint8_be(unsigned char const* src, unsigned char& value) {
  return readBe(src, value);
}
unsigned char const* read_uint8_le(unsigned char const* src, unsigned char& value) {
  return readLe(src, value);
}
unsigned char const* read_uint16_be(unsigned char const* src, unsigned short& value) {
  return readBe(src, value);
}
unsigned char const* read_uint16_le(unsigned char const* src, unsigned short& value) {
  return readLe(src, value);
}
unsigned char const* read_uint32_be(unsigned char const* src, unsigned int& value) {
  return readBe(src, value);
}
unsigned char const* read_uint32_le(unsigned char const* src, unsigned int& value) {
  return readLe(src, value);
}
unsigned char const* read_uint64_be(unsigned char const* src, unsigned long long& value) {
  return readBe(src, value);
}
unsigned char const* read_uint64_le(unsigned char const* src, unsigned long long& value) {
  return readLe(src, value);
}

unsigned char const* read_float_be(unsigned char const* src, float& value) {
  uint32_t bits;
  src = readBe(src, bits);
  value = floatFromBits(bits);
  return src;
}

unsigned char const* read_float_le(unsigned char const* src, float& value) {
  uint32_t bits;
  src = readLe(src, bits);
  value = floatFromBits(bits);
  return src;
}

unsigned char* write_uint8_be(unsigned char* dst, unsigned char& value) {
  return writeBe(dst, value);
}
unsigned char* write_uint8_le(unsigned char* dst, unsigned char& value) {
  return writeLe(dst, value);
}
unsigned char* write_uint16_be(unsigned char* dst, unsigned short& value) {
  return writeBe(dst, value);
}
unsigned char* write_uint16_le(unsigned char* dst, unsigned short& value) {
  return writeLe(dst, value);
}
unsigned char* write_uint32_be(unsigned char* dst, unsigned int& value) {
  return writeBe(dst, value);
}
unsigned char* write_uint32_le(unsigned char* dst, unsigned int& value) {
  return writeLe(dst, value);
}
unsigned char* write_uint64_be(unsigned char* dst, unsigned long long& value) {
  return writeBe(dst, value);
}
unsigned char* write_uint64_le(unsigned char* dst, unsigned long long& value) {
  return writeLe(dst, value);
}
unsigned char* write_float_be(unsigned char* dst, float& value) {
  return writeBe(dst, floatBits(value));
}
unsigned char* write_float_le(unsigned char* dst, float& value) {
  return writeLe(dst, floatBits(value));
}

}  // namespace Kalvora
