// Calibration records of the displays of the camera family, used when a
// display carries no measurement of its own.
#pragma once

#include "kvrDisplayCalibration.h"

namespace Kalvora {

// Display RGB to CIE XYZ of each default display, row-major.
extern const double pendro_default_sony_xyz[9];
extern const double pendro_default_tft_xyz[9];
extern const double kesta_default_mirel_xyz[9];
// The Rec.709 (D65) RGB-to-XYZ matrix to seven digits.
extern const double kesta_legacy_mirel_xyz[9];

extern const DisplayCalibrationV2 gPendroSonyCalibrationDefaultData;
extern const DisplayCalibrationV2 gPendroOrtustechCalibrationDefaultData;
extern const DisplayCalibrationV2 gKestaMirelCalibrationDefaultData;
extern const DisplayCalibrationV2 gKestaMirelLegacyCalibrationData;

}  // namespace Kalvora
