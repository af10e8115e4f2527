// Test calibration tables: gains, slopes and matrices that are exact in single
// precision; the tint slopes stand roughly across the line through the rows'
// white points.
#pragma once

#include "kvrCameraCalibration.h"

namespace KalvoraTest {

using SystemRow = Kalvora::CameraSystemCalibrationRecord::ColorConversionData;
using UnitRow = Kalvora::CameraUnitCalibrationRecord::ColorConversionData;

// clang-format off
inline const SystemRow kSystemRows[] = {
    {2800, 1.25f, 2.875f, 1.125f, {1.6875, -0.5, -0.1875, -0.25, 1.4375, -0.1875, 0, -0.625, 1.5625}},
    {3200, 1.375f, 2.5f, 1.125f, {1.625, -0.4375, -0.1875, -0.25, 1.4375, -0.1875, 0, -0.5625, 1.5}},
    {4300, 1.625f, 2.0f, 1.0625f, {1.5625, -0.375, -0.1875, -0.25, 1.4375, -0.1875, 0, -0.5, 1.4375}},
    {5600, 1.875f, 1.75f, 0.9375f, {1.5, -0.3125, -0.1875, -0.25, 1.4375, -0.1875, 0, -0.4375, 1.375}},
    {7500, 2.25f, 1.375f, 0.75f, {1.4375, -0.25, -0.1875, -0.25, 1.4375, -0.1875, 0, -0.375, 1.3125}},
};
inline const UnitRow kUnitRows[] = {{3000, 1.3f, 2.7f, 1.1f}, {4000, 1.55f, 2.1f, 1.0f}, {6500, 2.05f, 1.5f, 0.9f}};
// clang-format on

}  // namespace KalvoraTest
