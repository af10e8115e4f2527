// Keys of the metadata atoms that carry a look in recorded clips: reverse-DNS
// strings, zero-terminated. The LUT image core serves all but the last three.
#pragma once

namespace Kalvora {

extern const char look_video_param_atom_key[];         // look parameters
extern const char lut3d_atom_key[];                    // 3-D LUT in Rec.1886
extern const char lut3d_master_atom_key[];             // 3-D LUT in the target
extern const char lut3d_with_cdl_atom_key[];           // 3-D LUT with CDL in Rec.1886
extern const char lut3d_master_with_cdl_atom_key[];    // the same in the target
extern const char asc_cdl_param_atom_key[];            // ASC CDL
extern const char look_info_atom_key[];                // LUT file name and look note
extern const char look_video_param_v2_atom_key[];      // look parameters with target
extern const char look_video_param_v2_atom_key_old[];  // older key, same payload
extern const char vornraw_lut3d_atom_key[];            // raw video-LUT atom
extern const char color_space_atom_key[];
extern const char user_lut3d_atom_key[];
extern const char look_name_atom_key[];

}  // namespace Kalvora
