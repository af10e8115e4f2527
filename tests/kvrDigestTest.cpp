// The CRC-32 and MD5 digests against their published test vectors.
#include <gtest/gtest.h>

#include <string>

#include "kvrCrcCalculator.h"
#include "kvrLookFile.h"
#include "kvrMD5.h"

using namespace Kalvora;

namespace {

// The CRC-32 check input, the nine ASCII digits, and its published value.
const unsigned char* const kDigits = reinterpret_cast<const unsigned char*>("123456789");
constexpr unsigned int kCheckCrc = 0xCBF43926u;
const char* const kAbc = "900150983cd24fb0d6963f7d28e17f72";

class StubLookFile : public LookFile {
public:
  bool loadLook(void const*, unsigned int) override { return true; }
  bool saveLook(void*, bool) override { return true; }
  unsigned int getCRC(unsigned char*, unsigned int) override { return 0; }
  bool checkCRC(unsigned char const*, unsigned int) override { return true; }
};

}  // namespace

TEST(CrcCalculator, MatchesPublishedValuesWholeAndInPieces) {
  CrcCalculator crc;
  EXPECT_EQ(crc.calculateCrc(kDigits, 9), kCheckCrc);
  const char* fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(crc.calculateCrc(reinterpret_cast<const unsigned char*>(fox), 43), 0x414FA339u);
  EXPECT_EQ(StubLookFile().calculateCrc(kDigits, 9), kCheckCrc);
  EXPECT_EQ(crc.calculateCrc(nullptr, 0), 0u);

  // From a zero register one byte b yields table[b] of the reflected
  // polynomial; rebuilding the table changes nothing.
  crc.initCrcTable();
  const unsigned char index = 128;
  EXPECT_EQ(crc.updateCrc(0, &index, 1), 0xEDB88320u);
  for (unsigned int split = 0; split <= 9; ++split) {
    const unsigned int reg = crc.updateCrc(0xFFFFFFFFu, kDigits, split);
    EXPECT_EQ(~crc.updateCrc(reg, kDigits + split, 9 - split), kCheckCrc) << "split at " << split;
  }
  EXPECT_EQ(crc.updateCrc(0x12345678u, nullptr, 0), 0x12345678u);
}

// The RFC 1321 test suite, and lengths around the padding boundaries: 55
// bytes leave exactly room for the 0x80 and the length, 56 need a second
// padding block, 64 start a new block.
TEST(MD5, ReproducesTheRfc1321SuiteAndThePaddingBoundaries) {
  const std::string digits =
      "12345678901234567890123456789012345678901234567890123456789012345678901234567890";
  const std::string alnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const struct {
    std::string text;
    const char* digest;
  } suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", kAbc},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {alnum, "d174ab98d277d9f5a5611c2c9f419d9f"},
      {digits, "57edf4a22be3c955ac49da2e2107b67a"},
      {(alnum + alnum).substr(0, 55), "b76972fe0dff4baac395b531646f738e"},
      {(alnum + alnum).substr(0, 56), "27eca74a76daae63f472b250b5bcff9d"},
      {(alnum + alnum).substr(0, 64), "de177f066db0af24bbfe5877a3a9c951"},
  };
  MD5 md5;
  for (const auto& entry : suite) {
    EXPECT_EQ(md5(entry.text), entry.digest) << '"' << entry.text << '"';
    EXPECT_EQ(md5(entry.text.data(), entry.text.size()), entry.digest) << '"' << entry.text << '"';
  }
}

TEST(MD5, IncrementalAddRawDigestAndReset) {
  MD5 md5;
  md5.add("leftover", 8);
  EXPECT_EQ(md5("abc", 3), kAbc);  // the call form starts from empty
  md5.reset();
  md5.add("a", 1);
  EXPECT_EQ(md5.getHash(), "0cc175b9c0f1b6a831c399e269772661");
  md5.add("bc", 2);  // reading in between does not disturb the state
  unsigned char raw[MD5::kDigestSize];
  md5.getHash(raw);
  EXPECT_EQ(raw[0], 0x90);
  EXPECT_EQ(raw[15], 0x72);
}
