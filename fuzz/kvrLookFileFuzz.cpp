// Feeds arbitrary bytes to the look-file reader of a LUT generator core. A
// look that loads must save and load again, and a rejected one must leave
// the look reset.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kvrFuzzSupport.h"
#include "kvrLutGeneratorImageCore.h"

using namespace Kalvora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KalvoraFuzz::silenceReports();
  static LutGeneratorImageCore core;
  if (size > 0xFFFFFFFFu) return 0;
  // A copy of exactly size bytes, so that any read beyond them is caught.
  std::vector<uint8_t> look(data, data + size);
  if (core.loadLook(look.data(), static_cast<unsigned int>(size)) != kNoError) {
    KalvoraFuzz::require(!core.hasUser3dLut(), "rejected look leaves no user LUT");
    KalvoraFuzz::require(core.getLookFile()->getTargetColorSpace() == core.getTargetColorSpace(),
                         "rejected look keeps the targets together");
    return 0;
  }
  look.clear();
  look.shrink_to_fit();  // the loaded look must not refer to the input
  unsigned int savedSize = 0;
  KalvoraFuzz::require(core.getLookDataSize(true, savedSize) == kNoError, "size of a loaded look");
  std::vector<uint8_t> saved(savedSize);
  KalvoraFuzz::require(core.saveLook(saved.data(), true) == kNoError, "a loaded look saves");
  KalvoraFuzz::require(core.loadLook(saved.data(), savedSize) == kNoError,
                       "a saved look loads again");
  return 0;
}
