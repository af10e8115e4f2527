// Byte-order codec: reads and writes unsigned integers and single-precision
// floats at an explicit byte order, independent of the host's own order.
// `_be` forms put the most significant byte first, `_le` forms the least
// significant byte. Floats travel as their 32-bit IEEE 754 bit pattern.
//
// Every reader stores the decoded value and returns `src` advanced past the
// bytes it read; every writer stores the bytes and returns `dst` advanced past
// them, so calls chain. No pointer or bounds checks: the caller provides room.
#pragma once

namespace Kalvora {

unsigned char const* read_uint8_be(unsigned char const* src, unsigned char& value);
unsigned char const* read_uint8_le(unsigned char const* src, unsigned char& value);
unsigned char const* read_uint16_be(unsigned char const* src, unsigned short& value);
unsigned char const* read_uint16_le(unsigned char const* src, unsigned short& value);
unsigned char const* read_uint32_be(unsigned char const* src, unsigned int& value);
unsigned char const* read_uint32_le(unsigned char const* src, unsigned int& value);
unsigned char const* read_uint64_be(unsigned char const* src, unsigned long long& value);
unsigned char const* read_uint64_le(unsigned char const* src, unsigned long long& value);
unsigned char const* read_float_be(unsigned char const* src, float& value);
unsigned char const* read_float_le(unsigned char const* src, float& value);

unsigned char* write_uint8_be(unsigned char* dst, unsigned char& value);
unsigned char* write_uint8_le(unsigned char* dst, unsigned char& value);
unsigned char* write_uint16_be(unsigned char* dst, unsigned short& value);
unsigned char* write_uint16_le(unsigned char* dst, unsigned short& value);
unsigned char* write_uint32_be(unsigned char* dst, unsigned int& value);
unsigned char* write_uint32_le(unsigned char* dst, unsigned int& value);
unsigned char* write_uint64_be(unsigned char* dst, unsigned long long& value);
unsigned char* write_uint64_le(unsigned char* dst, unsigned long long& value);
unsigned char* write_float_be(unsigned char* dst, float& value);
unsigned char* write_float_le(unsigned char* dst, float& value);

}  // namespace Kalvora
