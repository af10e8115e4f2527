// MD5 message digest (RFC 1321), fed incrementally. A digest can be read at
// any time without disturbing the running state, so more data can follow.
#pragma once

#include <cstdint>
#include <string>

namespace Kalvora {

class MD5 {
public:
  static constexpr unsigned kBlockSize = 64;
  static constexpr unsigned kDigestSize = 16;

  MD5();

  // Back to the empty message.
  void reset();

  // Appends bytes to the message.
  void add(void const* data, unsigned long length);

  // Digest of everything added since the last reset, as 32 lowercase hex
  // digits, first digest byte first.
  std::string getHash() const;
  // The same digest as 16 raw bytes.
  void getHash(unsigned char* out) const;

  // Hex digest of exactly these bytes (resets the running state first).
  std::string operator()(void const* data, unsigned long length);
  std::string operator()(std::string const& text);

private:
  using Words = uint32_t[4];

  static void processBlock(Words& state, unsigned char const* block);
  void finalDigest(unsigned char (&digest)[kDigestSize]) const;

  uint64_t hashedBytes_;   // bytes consumed in whole blocks
  uint64_t pendingBytes_;  // bytes waiting in pending_
  unsigned char pending_[kBlockSize];
  Words state_;  // chaining words A, B, C, D
};

}  // namespace Kalvora
