#include "kvrMetaDataAtomKeys.h"

namespace Kalvora {

const char look_video_param_atom_key[] = "com.vorn.camera.look.video_param";
const char lut3d_atom_key[] = "com.vorn.camera.look.lut3d";
const char lut3d_master_atom_key[] = "com.vorn.camera.look.lut3d.master";
const char lut3d_with_cdl_atom_key[] = "com.vorn.camera.look.lut3d_with_cdl";
const char lut3d_master_with_cdl_atom_key[] = "com.vorn.camera.look.lut3d_with_cdl.master";
const char asc_cdl_param_atom_key[] = "com.apple.proapps.color.asc-cdl";
const char look_info_atom_key[] = "com.vorn.camera.look.information";
const char look_video_param_v2_atom_key[] =
    "com.vorn.camera.look.video_param_with_target_colorspace";
const char look_video_param_v2_atom_key_old[] = "com.vorn.camera.look.video_param_v2";
const char vornraw_lut3d_atom_key[] = "com.vorn.vornraw.lut3d";
const char color_space_atom_key[] = "com.vorn.camera.ColorGammaSxS";
const char user_lut3d_atom_key[] = "com.vorn.camera.look.user_lut";
const char look_name_atom_key[] = "com.vorn.camera.look.name";

}  // namespace Kalvora
