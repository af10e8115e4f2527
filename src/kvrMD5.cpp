#include "kvrMD5.h"

#include <cstring>

namespace Kalvora {

namespace {

// Per-step additive constants: floor(abs(sin(i + 1)) * 2^32).
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

// Left-rotation amounts, four per round.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr uint32_t kInitialState[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

uint32_t rotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

uint32_t loadLe32(unsigned char const* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void storeLe32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

MD5::MD5() { reset(); }

void MD5::reset() {
  hashedBytes_ = 0;
  pendingBytes_ = 0;
  std::memset(pending_, 0, sizeof pending_);
  std::memcpy(state_, kInitialState, sizeof state_);
}

void MD5::processBlock(Words& state, unsigned char const* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = loadLe32(block + 4 * i);

  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int step = 0; step < 64; ++step) {
    const int round = step / 16;
    uint32_t f;
    int word;
    switch (round) {
      case 0:
        f = (b & c) | (~b & d);
        word = step;
        break;
      case 1:
        f = (d & b) | (~d & c);
        word = (5 * step + 1) % 16;
        break;
      case 2:
        f = b ^ c ^ d;
        word = (3 * step + 5) % 16;
        break;
      default:
        f = c ^ (b | ~d);
        word = (7 * step) % 16;
        break;
    }
    const uint32_t rotated = rotateLeft(a + f + kSine[step] + x[word], kShift[round][step % 4]);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void MD5::add(void const* data, unsigned long length) {
  if (length == 0) return;
  auto bytes = static_cast<unsigned char const*>(data);

  if (pendingBytes_ > 0) {
    const unsigned long room = kBlockSize - pendingBytes_;
    const unsigned long take = length < room ? length : room;
    std::memcpy(pending_ + pendingBytes_, bytes, take);
    pendingBytes_ += take;
    bytes += take;
    length -= take;
    if (pendingBytes_ < kBlockSize) return;
    processBlock(state_, pending_);
    hashedBytes_ += kBlockSize;
    pendingBytes_ = 0;
  }

  // Whole blocks straight from the caller's memory.
  for (; length >= kBlockSize; bytes += kBlockSize, length -= kBlockSize) {
    processBlock(state_, bytes);
    hashedBytes_ += kBlockSize;
  }

  if (length > 0) std::memcpy(pending_, bytes, length);
  pendingBytes_ = length;
}

void MD5::finalDigest(unsigned char (&digest)[kDigestSize]) const {
  // Pad a copy: 0x80, zeros, then the message length in bits (little-endian,
  // modulo 2^64) in the last eight bytes, spilling into a second block when
  // fewer than nine bytes remain after the pending data.
  unsigned char tail[2 * kBlockSize] = {};
  std::memcpy(tail, pending_, pendingBytes_);
  tail[pendingBytes_] = 0x80;
  const unsigned tailSize = pendingBytes_ + 9 <= kBlockSize ? kBlockSize : 2 * kBlockSize;
  const uint64_t bitCount = (hashedBytes_ + pendingBytes_) * 8;
  for (int i = 0; i < 8; ++i)
    tail[tailSize - 8 + i] = static_cast<unsigned char>(bitCount >> (8 * i));

  Words state;
  std::memcpy(state, state_, sizeof state);
  for (unsigned offset = 0; offset < tailSize; offset += kBlockSize)
    processBlock(state, tail + offset);
  for (int i = 0; i < 4; ++i) storeLe32(digest + 4 * i, state[i]);
}

void MD5::getHash(unsigned char* out) const {
  unsigned char digest[kDigestSize];
  finalDigest(digest);
  std::memcpy(out, digest, kDigestSize);
}

std::string MD5::getHash() const {
  static const char kHexDigits[] = "0123456789abcdef";
  unsigned char digest[kDigestSize];
  finalDigest(digest);
  std::string hex;
  hex.reserve(2 * kDigestSize);
  for (unsigned char byte : digest) {
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 0x0F];
  }
  return hex;
}

std::string MD5::operator()(void const* data, unsigned long length) {
  reset();
  add(data, length);
  return getHash();
}

std::string MD5::operator()(std::string const& text) { return (*this)(text.data(), text.size()); }

}  // namespace Kalvora
