// Feeds arbitrary payloads to the metadata atom readers of a LUT generator
// core: the first byte chooses the key (or readTargetColorSpace), the rest
// is the payload with its size. After an accepted raw video-LUT atom with a
// small user LUT the core must write that atom again (larger LUTs are left
// out: rendering them would cost more than the reading under test).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kvrFuzzSupport.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrMetaDataAtomKeys.h"
#include "kvrMetaDataFuzzKeys.h"

using namespace Kalvora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KalvoraFuzz::silenceReports();
  static LutGeneratorImageCore core;
  if (size < 1 || size > 0xFFFFFFFFu) return 0;
  const unsigned int choice = data[0] % KalvoraFuzz::kMetaDataChoices;
  // A copy of exactly the payload, so that any read beyond it is caught.
  std::vector<uint8_t> payload(data + 1, data + size);
  if (choice == KalvoraFuzz::kReadTargetColorSpace) {
    // readTargetColorSpace has no size: the atom holds at least its header.
    if (payload.size() < 192) return 0;
    ColorSpace id = Rec1886;
    core.readTargetColorSpace(payload.data(), id);
    return 0;
  }
  const char* key = KalvoraFuzz::kMetaDataKeys[choice];
  // Size 0 would mean "size unknown": the caller vouches for the layout.
  if (payload.empty()) return 0;
  if (core.setMetaData(key, payload.data(), static_cast<unsigned int>(payload.size())) != kNoError)
    return 0;
  payload.clear();
  payload.shrink_to_fit();  // nothing may refer to the payload now
  int maxValue = 0, meshPoints = 0;
  LutOrder order = kLutInterleaved;
  core.getUser3dLutParam(maxValue, meshPoints, order);
  if (key == vornraw_lut3d_atom_key && core.hasUser3dLut() && meshPoints <= 5) {
    unsigned int atomSize = 0;
    KalvoraFuzz::require(core.getMetaDataSize(key, atomSize) == kNoError, "raw atom size");
    std::vector<uint8_t> written(atomSize);
    KalvoraFuzz::require(core.getMetaData(key, written.data()) == kNoError, "raw atom written");
  }
  return 0;
}
