// Records of the raw video-LUT metadata, shared with the image core's video
// parameter operations. Both are plain, fixed-size records in the host's byte
// order; their sizes are part of the stored format.
#pragma once

#include <cstdint>

namespace Kalvora {

class VornRawMeta {
public:
  // The video look parameters of a look (84 bytes): size 84, version 1,
  // revision 0, then the values of the parameters listed in kVideoParameterIds
  // as single-precision floats, in that order.
  struct VideoParameters {
    static constexpr int kCount = 19;
    uint32_t size;
    uint16_t version;
    uint16_t revision;
    float values[kCount];
  };

  // Head of a LUT chunk (12 bytes): mesh points per axis, the full-scale code
  // value, the bad-LUT flag and the LutOrder of the codes that follow.
  struct LutChunkHeader {
    uint32_t meshPoints;
    uint32_t maxValue;
    uint16_t badLut;
    uint16_t order;
  };

  static constexpr uint32_t kVideoParametersSize = 84;
  static constexpr uint16_t kVideoParametersVersion = 1;
  // The parameter behind each value of a VideoParameters record: tone map
  // (4002, 4001), master gamma, video saturation, six hue saturations, slope,
  // gamma and pedestal of red, green and blue.
  static constexpr unsigned int kVideoParameterIds[VideoParameters::kCount] = {
      4002, 4001, 5051, 5040, 5061, 5062, 5063, 5064, 5065, 5066,
      5067, 5068, 5069, 5070, 5071, 5072, 5073, 5074, 5075};
};

static_assert(sizeof(VornRawMeta::VideoParameters) == 84, "stored record size");
static_assert(sizeof(VornRawMeta::LutChunkHeader) == 12, "stored record size");

}  // namespace Kalvora
