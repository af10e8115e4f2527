#include "kvrDisplayCalibration.h"

namespace Kalvora {

DisplayCalibration::~DisplayCalibration() = default;
DisplayCalibrationV2::~DisplayCalibrationV2() = default;
DisplayCalibrationV3::~DisplayCalibrationV3() = default;

}  // namespace Kalvora
