#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "kvrByteOrder.h"

using namespace Kalvora;

namespace {

using Bytes = std::vector<unsigned char>;

// Writes one value into a guarded buffer and checks the returned pointer,
// that the value is left alone and that no byte past the field changes.
template <class T>
Bytes encode(unsigned char* (*write)(unsigned char*, T&), T value) {
  unsigned char buffer[sizeof(T) + 1];
  std::memset(buffer, 0xA5, sizeof buffer);
  const T before = value;
  EXPECT_EQ(write(buffer, value), buffer + sizeof(T));
  EXPECT_EQ(std::memcmp(&value, &before, sizeof(T)), 0);
  EXPECT_EQ(buffer[sizeof(T)], 0xA5);
  return Bytes(buffer, buffer + sizeof(T));
}

template <class T>
T decode(unsigned char const* (*read)(unsigned char const*, T&), const Bytes& bytes) {
  T value{};
  EXPECT_EQ(read(bytes.data(), value), bytes.data() + sizeof(T));
  return value;
}

}  // namespace

TEST(ByteOrder, IntegersTravelMostOrLeastSignificantByteFirst) {
  const Bytes bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  EXPECT_EQ(decode(read_uint16_be, bytes), 0x1234);
  EXPECT_EQ(decode(read_uint16_le, bytes), 0x3412);
  EXPECT_EQ(decode(read_uint32_be, bytes), 0x12345678u);
  EXPECT_EQ(decode(read_uint32_le, bytes), 0x78563412u);
  EXPECT_EQ(decode(read_uint64_be, bytes), 0x123456789ABCDEF0ull);
  EXPECT_EQ(decode(read_uint64_le, bytes), 0xF0DEBC9A78563412ull);
  EXPECT_EQ(decode(read_uint8_be, bytes), 0x12);
  EXPECT_EQ(decode(read_uint8_le, Bytes{0xBC}), 0xBC);
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
  // The top bit survives the round trip in both orders.
  const unsigned int top = 0x80000001u;
  EXPECT_EQ(decode(read_uint32_be, encode(write_uint32_be, top)), top);
  EXPECT_EQ(decode(read_uint32_le, encode(write_uint32_le, top)), top);
}

TEST(ByteOrder, FloatsTravelAsTheirSinglePrecisionBitPattern) {
  EXPECT_EQ(encode(write_float_be, 1.0f), (Bytes{0x3F, 0x80, 0x00, 0x00}));
  EXPECT_EQ(decode(read_float_le, Bytes{0x00, 0x00, 0xC0, 0xBF}), -1.5f);

  // Signed zeros, subnormals, the largest finite value, infinities and a NaN
  // payload survive bit for bit, in the byte order of a 32-bit integer.
  for (unsigned int bits : {0x00000000u, 0x80000000u, 0x00000001u, 0x007FFFFFu, 0x7F7FFFFFu,
                            0x7F800000u, 0xFF800000u, 0x7FC12345u, 0xBEAAAAABu}) {
    SCOPED_TRACE(testing::Message() << std::hex << bits);
    float value, decoded[2];
    std::memcpy(&value, &bits, sizeof value);
    const Bytes be = encode(write_float_be, value);
    const Bytes le = encode(write_float_le, value);
    EXPECT_EQ(be, encode(write_uint32_be, bits));
    EXPECT_EQ(le, encode(write_uint32_le, bits));
    decoded[0] = decode(read_float_be, be);
    decoded[1] = decode(read_float_le, le);
    EXPECT_EQ(std::memcmp(&decoded[0], &bits, 4), 0);
    EXPECT_EQ(std::memcmp(&decoded[1], &bits, 4), 0);
  }
}
