#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "kvrByteOrder.h"

using namespace Kalvora;

namespace {

using Bytes = std::vector<unsigned char>;

constexpr unsigned char kGuard = 0xA5;

template <class T>
using Reader = unsigned char const* (*)(unsigned char const*, T&);
template <class T>
using Writer = unsigned char* (*)(unsigned char*, T&);

// Writes one value into a guarded buffer and checks the returned pointer,
// that the value is left alone and that no byte past the field changes.
template <class T>
Bytes encode(Writer<T> write, T value) {
  unsigned char buffer[sizeof(T) + 1];
  std::memset(buffer, kGuard, sizeof buffer);
  const T before = value;
  EXPECT_EQ(write(buffer, value), buffer + sizeof(T));
  EXPECT_EQ(std::memcmp(&value, &before, sizeof(T)), 0);
  EXPECT_EQ(buffer[sizeof(T)], kGuard);
  return Bytes(buffer, buffer + sizeof(T));
}

template <class T>
T decode(Reader<T> read, const Bytes& bytes) {
  T value{};
  EXPECT_EQ(read(bytes.data(), value), bytes.data() + sizeof(T));
  return value;
}

// Round trip in both orders, and the big-endian bytes are the little-endian
// bytes reversed.
template <class T>
void expectRoundTrips(Writer<T> writeBe, Reader<T> readBe, Writer<T> writeLe, Reader<T> readLe,
                      T value) {
  SCOPED_TRACE(testing::Message() << "value " << +value);
  const Bytes be = encode(writeBe, value);
  const Bytes le = encode(writeLe, value);
  EXPECT_EQ(decode(readBe, be), value);
  EXPECT_EQ(decode(readLe, le), value);
  EXPECT_EQ(Bytes(le.rbegin(), le.rend()), be);
}

template <class T>
std::vector<T> boundaryValues() {
  const T max = std::numeric_limits<T>::max();
  const T top = static_cast<T>(max - max / 2);  // only the highest bit set
  return {T(0),
          T(1),
          max,
          top,
          static_cast<T>(max / 3),
          static_cast<T>(max / 5),
          static_cast<T>(max - 1),
          static_cast<T>(top | 1u)};
}

uint32_t bitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float floatOf(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

TEST(ByteOrderTest, ReadsMostOrLeastSignificantByteFirst) {
  const unsigned char bytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  unsigned short u16 = 0;
  EXPECT_EQ(read_uint16_be(bytes, u16), bytes + 2);
  EXPECT_EQ(u16, 0x1234);
  EXPECT_EQ(read_uint16_le(bytes, u16), bytes + 2);
  EXPECT_EQ(u16, 0x3412);

  unsigned int u32 = 0;
  read_uint32_be(bytes, u32);
  EXPECT_EQ(u32, 0x12345678u);
  read_uint32_le(bytes, u32);
  EXPECT_EQ(u32, 0x78563412u);

  unsigned long long u64 = 0;
  read_uint64_be(bytes, u64);
  EXPECT_EQ(u64, 0x123456789ABCDEF0ull);
  read_uint64_le(bytes, u64);
  EXPECT_EQ(u64, 0xF0DEBC9A78563412ull);

  unsigned char u8 = 0;
  EXPECT_EQ(read_uint8_be(bytes + 4, u8), bytes + 5);
  EXPECT_EQ(u8, 0x9A);
  EXPECT_EQ(read_uint8_le(bytes + 5, u8), bytes + 6);
  EXPECT_EQ(u8, 0xBC);
}

TEST(ByteOrderTest, WritesMostOrLeastSignificantByteFirst) {
  EXPECT_EQ(encode<unsigned int>(write_uint32_be, 0x01020304u), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(encode<unsigned int>(write_uint32_le, 0x01020304u), (Bytes{4, 3, 2, 1}));
  EXPECT_EQ(encode<unsigned short>(write_uint16_be, 0xABCD), (Bytes{0xAB, 0xCD}));
  EXPECT_EQ(encode<unsigned short>(write_uint16_le, 0xABCD), (Bytes{0xCD, 0xAB}));
  EXPECT_EQ(encode<unsigned long long>(write_uint64_be, 0x0102030405060708ull),
            (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(encode<unsigned long long>(write_uint64_le, 0x0102030405060708ull),
            (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(encode<unsigned char>(write_uint8_be, 0xFE), Bytes{0xFE});
  EXPECT_EQ(encode<unsigned char>(write_uint8_le, 0xFE), Bytes{0xFE});
}

TEST(ByteOrderTest, FloatsTravelAsTheirSinglePrecisionBitPattern) {
  EXPECT_EQ(encode(write_float_be, 1.0f), (Bytes{0x3F, 0x80, 0x00, 0x00}));
  EXPECT_EQ(encode(write_float_le, 1.0f), (Bytes{0x00, 0x00, 0x80, 0x3F}));
  EXPECT_EQ(decode(read_float_be, Bytes{0x3F, 0x80, 0x00, 0x00}), 1.0f);
  EXPECT_EQ(decode(read_float_le, Bytes{0x00, 0x00, 0xC0, 0xBF}), -1.5f);
}

TEST(ByteOrderTest, IntegersRoundTripInBothOrders) {
  for (unsigned char v : boundaryValues<unsigned char>())
    expectRoundTrips(write_uint8_be, read_uint8_be, write_uint8_le, read_uint8_le, v);
  for (unsigned short v : boundaryValues<unsigned short>())
    expectRoundTrips(write_uint16_be, read_uint16_be, write_uint16_le, read_uint16_le, v);
  for (unsigned int v : boundaryValues<unsigned int>())
    expectRoundTrips(write_uint32_be, read_uint32_be, write_uint32_le, read_uint32_le, v);
  for (unsigned long long v : boundaryValues<unsigned long long>())
    expectRoundTrips(write_uint64_be, read_uint64_be, write_uint64_le, read_uint64_le, v);
}

TEST(ByteOrderTest, FloatBitPatternsSurviveRoundTrips) {
  const uint32_t patterns[] = {
      0x00000000u,  // +0
      0x80000000u,  // -0
      0x00000001u,  // smallest subnormal
      0x007FFFFFu,  // largest subnormal
      0x7F7FFFFFu,  // largest finite
      0x7F800000u,  // +infinity
      0xFF800000u,  // -infinity
      0x7FC12345u,  // quiet NaN with payload
      0xBEAAAAABu,  // -1/3
  };
  for (uint32_t bits : patterns) {
    SCOPED_TRACE(testing::Message() << std::hex << bits);
    const float value = floatOf(bits);
    const Bytes be = encode(write_float_be, value);
    const Bytes le = encode(write_float_le, value);
    EXPECT_EQ(be,
              (Bytes{static_cast<unsigned char>(bits >> 24), static_cast<unsigned char>(bits >> 16),
                     static_cast<unsigned char>(bits >> 8), static_cast<unsigned char>(bits)}));
    EXPECT_EQ(Bytes(le.rbegin(), le.rend()), be);
    EXPECT_EQ(bitsOf(decode(read_float_be, be)), bits);
    EXPECT_EQ(bitsOf(decode(read_float_le, le)), bits);
  }
}

TEST(ByteOrderTest, CallsChainThroughAMixedRecord) {
  unsigned char tag = 7;
  unsigned short count = 0xBEEF;
  unsigned int size = 0xDEADBEEFu;
  unsigned long long stamp = 0x0011223344556677ull;
  float gain = 0.18f;

  unsigned char buffer[1 + 2 + 4 + 8 + 4 + 4] = {};
  unsigned char* w = write_uint8_le(buffer, tag);
  w = write_uint16_be(w, count);
  w = write_uint32_le(w, size);
  w = write_uint64_be(w, stamp);
  w = write_float_le(w, gain);
  w = write_float_be(w, gain);
  ASSERT_EQ(w, buffer + sizeof buffer);

  unsigned char tagIn = 0;
  unsigned short countIn = 0;
  unsigned int sizeIn = 0;
  unsigned long long stampIn = 0;
  float gainLe = 0, gainBe = 0;
  unsigned char const* r = read_uint8_be(buffer, tagIn);
  r = read_uint16_be(r, countIn);
  r = read_uint32_le(r, sizeIn);
  r = read_uint64_be(r, stampIn);
  r = read_float_le(r, gainLe);
  r = read_float_be(r, gainBe);
  ASSERT_EQ(r, buffer + sizeof buffer);

  EXPECT_EQ(tagIn, tag);
  EXPECT_EQ(countIn, count);
  EXPECT_EQ(sizeIn, size);
  EXPECT_EQ(stampIn, stamp);
  EXPECT_EQ(gainLe, gain);
  EXPECT_EQ(gainBe, gain);
  EXPECT_EQ(buffer[1], 0xBE);  // big-endian field: high byte first
  EXPECT_EQ(buffer[3], 0xEF);  // little-endian field: low byte first
}
