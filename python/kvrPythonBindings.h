// The families of the Python module kalvora, each bound by its own source.
#pragma once

#include <pybind11/pybind11.h>

namespace Kalvora {
namespace Python {

// kalvora.LutGenerator and kalvora.CameraCore.
void bindCores(pybind11::module_& module);
// kalvora.apply_lut: a 3-D table applied to an image.
void bindApply(pybind11::module_& module);
// kalvora.elvex_encode and kalvora.elvex_decode.
void bindElvex(pybind11::module_& module);

}  // namespace Python
}  // namespace Kalvora
