#include "kvrLookInput.h"

#include <cstring>

#include "kvrMD5.h"
#include "kvrMetaDataAtomKeys.h"
#include "kvrToolLibrary.h"
#include "kvrVornRawMeta.h"

namespace Kalvora {
namespace Tool {

namespace {

const char kAtomMagic[] = "VRNLUT3D";
constexpr size_t kAtomMagicSize = 8;
// Raw atom: the atom size field and the MD5 of the bytes after the digest.
constexpr size_t kAtomSizeOffset = 16;
constexpr size_t kAtomDigestOffset = 20;
constexpr size_t kAtomDigestedFrom = 36;
// Look file: the parameter count field.
constexpr size_t kLookParamCountOffset = 16;

uint32_t readLe32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[offset + static_cast<size_t>(i)]);
  return value;
}

// Runs a library call on the file; a refusal names the file.
template <class Operation>
void callOnFile(const std::string& path, Operation&& operation) {
  try {
    call(operation);
  } catch (const LibraryError& e) {
    throw LibraryError(e.code(), path + ": " + e.what());
  }
}

bool atomDigestMatches(const std::string& bytes) {
  const size_t size = readLe32(bytes, kAtomSizeOffset);
  if (size < kAtomDigestedFrom || size > bytes.size()) return false;
  unsigned char digest[MD5::kDigestSize];
  MD5 md5;
  md5.add(bytes.data() + kAtomDigestedFrom, size - kAtomDigestedFrom);
  md5.getHash(digest);
  return std::memcmp(digest, bytes.data() + kAtomDigestOffset, MD5::kDigestSize) == 0;
}

LoadedLook loadAtom(LutGeneratorImageCore& core, const std::string& path,
                    const std::string& bytes) {
  LoadedLook look;
  look.kind = LookKind::kRawAtom;
  callOnFile(path, [&] {
    return core.setMetaData(vornraw_lut3d_atom_key, bytes.data(),
                            static_cast<unsigned int>(bytes.size()));
  });
  look.digestMatches = atomDigestMatches(bytes);
  // Without a user 3-D LUT the atom carries the video look parameters.
  if (!core.hasUser3dLut())
    for (unsigned int id : VornRawMeta::kVideoParameterIds) {
      double value = 0.0;
      call([&] { return core.getParam(id, value); });
      look.params.push_back({id, value});
    }
  return look;
}

LoadedLook loadLookFile(LutGeneratorImageCore& core, const std::string& path,
                        const std::string& bytes) {
  LoadedLook look;
  callOnFile(path,
             [&] { return core.loadLook(bytes.data(), static_cast<unsigned int>(bytes.size())); });
  // The library has checked the layout: the parameter block is in place.
  const uint32_t count = readLe32(bytes, kLookParamCountOffset);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = Vorn2LookFile::kParameterOffset + Vorn2LookFile::kParameterEntrySize * i;
    const uint32_t bits = readLe32(bytes, entry + 4);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    look.params.push_back({readLe32(bytes, entry), value});
  }
  return look;
}

}  // namespace

LoadedLook loadLookBytes(LutGeneratorImageCore& core, const std::string& path,
                         const std::string& bytes) {
  if (bytes.size() >= kAtomMagicSize && bytes.compare(0, kAtomMagicSize, kAtomMagic) == 0)
    return loadAtom(core, path, bytes);
  return loadLookFile(core, path, bytes);
}

}  // namespace Tool
}  // namespace Kalvora
