// The choices of the metadata fuzzer's first input byte (taken modulo
// kMetaDataChoices), shared with its seed writer.
#pragma once

#include "kvrMetaDataAtomKeys.h"

namespace KalvoraFuzz {

inline const char* const kMetaDataKeys[] = {Kalvora::look_video_param_atom_key,
                                            Kalvora::lut3d_atom_key,
                                            Kalvora::lut3d_master_atom_key,
                                            Kalvora::lut3d_with_cdl_atom_key,
                                            Kalvora::lut3d_master_with_cdl_atom_key,
                                            Kalvora::asc_cdl_param_atom_key,
                                            Kalvora::look_info_atom_key,
                                            Kalvora::look_video_param_v2_atom_key,
                                            Kalvora::look_video_param_v2_atom_key_old,
                                            Kalvora::vornraw_lut3d_atom_key};
constexpr unsigned int kKeyCount = sizeof kMetaDataKeys / sizeof kMetaDataKeys[0];
constexpr unsigned int kReadTargetColorSpace = kKeyCount;
constexpr unsigned int kMetaDataChoices = kKeyCount + 1;

}  // namespace KalvoraFuzz
