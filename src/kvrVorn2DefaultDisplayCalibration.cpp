#include "kvrVorn2DefaultDisplayCalibration.h"

namespace Kalvora {

// Single-precision measurements widened to double.
const double pendro_default_sony_xyz[9] = {
    0.46003299951553345, 0.2910259962081909,  0.1993969976902008,  //
    0.24416500329971313, 0.6595510244369507,  0.09628400206565857,
    0.01853800006210804, 0.06715100258588791, 1.0033689737319946};

const double pendro_default_tft_xyz[9] = {0.27860363, 0.51874566, 0.15310664,  //
                                          0.17285607, 0.74635777, 0.08078616,  //
                                          0.03947801, 0.27574952, 0.77383023};

const double kesta_default_mirel_xyz[9] = {0.52188326, 0.22934527, 0.1992274,  //
                                           0.26067221, 0.67194669, 0.0673811,  //
                                           0.03725094, 0.07527686, 0.9765299};

const double kesta_legacy_mirel_xyz[9] = {0.4123908,  0.3575843, 0.18048079,  //
                                          0.21263901, 0.7151687, 0.07219232,  //
                                          0.01933082, 0.1191948, 0.95053215};

namespace {

DisplayCalibrationV2 makeRecord(uint16_t displayId, const double (&rgb2xyz)[9],
                                const double (&gain)[3], uint32_t gammaCode, double gamma) {
  DisplayCalibrationV2 record;
  record.version = 2;
  record.displayId = displayId;
  for (int i = 0; i < 9; ++i) record.rgb2xyz[i] = rgb2xyz[i];
  for (int k = 0; k < 3; ++k) {
    record.gain[k] = gain[k];
    record.gamma[k] = gamma;
  }
  record.gammaCode = gammaCode;
  return record;
}

const double kSonyGain[3] = {0.8048999905586243, 0.7558000087738037, 1.0};
const double kOrtustechGain[3] = {0.8357311, 1.0, 0.5914518};
const double kNeutralGain[3] = {1.0, 1.0, 1.0};

}  // namespace

const DisplayCalibrationV2 gPendroSonyCalibrationDefaultData =
    makeRecord(2, pendro_default_sony_xyz, kSonyGain, DisplayCalibrationV2::kGammaSrgb, 2.2);
const DisplayCalibrationV2 gPendroOrtustechCalibrationDefaultData =
    makeRecord(3, pendro_default_tft_xyz, kOrtustechGain, DisplayCalibrationV2::kGammaSrgb, 2.2);
const DisplayCalibrationV2 gKestaMirelCalibrationDefaultData =
    makeRecord(4, kesta_default_mirel_xyz, kNeutralGain, DisplayCalibrationV2::kGammaVideo, 2.4);
const DisplayCalibrationV2 gKestaMirelLegacyCalibrationData =
    makeRecord(6, kesta_legacy_mirel_xyz, kNeutralGain, DisplayCalibrationV2::kGammaVideo, 2.4);

}  // namespace Kalvora
