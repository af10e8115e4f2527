#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kvrByteOrder.h"

using namespace Kalvora;

namespace {

using Bytes = std::vector<unsigned char>;

// Writes one value into a guarded buffer, checks the returned pointer and
// that no byte past the field changes, then reads it back the same way.
template <class T>
Bytes roundTrip(unsigned char* (*write)(unsigned char*, T&),
                unsigned char const* (*read)(unsigned char const*, T&), T value) {
  unsigned char buffer[sizeof(T) + 1];
  std::memset(buffer, 0xA5, sizeof buffer);
  EXPECT_EQ(write(buffer, value), buffer + sizeof(T));
  EXPECT_EQ(buffer[sizeof(T)], 0xA5);
  T back{};
  EXPECT_EQ(read(buffer, back), buffer + sizeof(T));
  // The bytes of floats too must travel unchanged, so compare them, not values.
  // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
  EXPECT_EQ(std::memcmp(&back, &value, sizeof(T)), 0);
  return Bytes(buffer, buffer + sizeof(T));
}

}  // namespace

TEST(ByteOrder, IntegersTravelMostOrLeastSignificantByteFirst) {
  EXPECT_EQ(roundTrip<unsigned char>(write_uint8_be, read_uint8_be, 0xFE), Bytes{0xFE});
  EXPECT_EQ(roundTrip<unsigned char>(write_uint8_le, read_uint8_le, 0xFE), Bytes{0xFE});
  EXPECT_EQ(roundTrip<unsigned short>(write_uint16_be, read_uint16_be, 0xABCD),
            (Bytes{0xAB, 0xCD}));
  EXPECT_EQ(roundTrip<unsigned short>(write_uint16_le, read_uint16_le, 0xABCD),
            (Bytes{0xCD, 0xAB}));
  EXPECT_EQ(roundTrip<unsigned int>(write_uint32_be, read_uint32_be, 0x81020304u),
            (Bytes{0x81, 2, 3, 4}));
  EXPECT_EQ(roundTrip<unsigned int>(write_uint32_le, read_uint32_le, 0x81020304u),
            (Bytes{4, 3, 2, 0x81}));
  EXPECT_EQ(roundTrip<unsigned long long>(write_uint64_be, read_uint64_be, 0x8102030405060708ull),
            (Bytes{0x81, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(roundTrip<unsigned long long>(write_uint64_le, read_uint64_le, 0x8102030405060708ull),
            (Bytes{8, 7, 6, 5, 4, 3, 2, 0x81}));
}

// Signed zeros, subnormals, the largest finite value, infinities and a NaN
// payload survive bit for bit, in the byte order of a 32-bit integer.
TEST(ByteOrder, FloatsTravelAsTheirSinglePrecisionBitPattern) {
  for (unsigned int bits : {0x3F800000u, 0x80000000u, 0x00000001u, 0x7F7FFFFFu, 0xFF800000u,
                            0x7FC12345u, 0xBEAAAAABu}) {
    SCOPED_TRACE(testing::Message() << std::hex << bits);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    EXPECT_EQ(roundTrip(write_float_be, read_float_be, value),
              roundTrip(write_uint32_be, read_uint32_be, bits));
    EXPECT_EQ(roundTrip(write_float_le, read_float_le, value),
              roundTrip(write_uint32_le, read_uint32_le, bits));
  }
}
