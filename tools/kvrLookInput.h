// Saved looks as the kalvora tool reads them: a look file or a raw
// video-LUT metadata atom, told apart by the magic at their start, loaded
// into a LUT generator through the library's own readers.
#pragma once

#include <string>
#include <vector>

#include "kvrLutGeneratorImageCore.h"

namespace Kalvora {
namespace Tool {

enum class LookKind { kLookFile, kRawAtom };

// A parameter value as the look stores it.
struct SavedParam {
  unsigned int id;
  double value;
};

struct LoadedLook {
  LookKind kind = LookKind::kLookFile;
  // The file's digest agrees with its content: the CRC of a look file (the
  // library refuses a look file whose CRC does not match) or the MD5 of a
  // raw atom (the library does not check it).
  bool digestMatches = true;
  std::vector<SavedParam> params;  // in the order the file holds them
};

// Largest look file or atom read: a 65-point LUT with the largest design
// data and note fits many times.
constexpr size_t kMaxLookFileSize = 64u << 20;

// Loads `bytes`, the content of the file at path, into the core. The core
// may keep referring to the bytes (LUT design data): they must outlive its
// use. A file the library refuses throws LibraryError with the library's
// message after the file's name.
LoadedLook loadLookBytes(LutGeneratorImageCore& core, const std::string& path,
                         const std::string& bytes);

}  // namespace Tool
}  // namespace Kalvora
