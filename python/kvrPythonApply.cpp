// kalvora.apply_lut, a 3-D table applied to an image through the library's
// batch path, and the camera's log encoding over arrays. Both run without
// the GIL, so that several Python threads work in parallel.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cmath>
#include <string>
#include <vector>

#include "kvrElvex.h"
#include "kvrLut3D.h"
#include "kvrPythonBindings.h"
#include "kvrPythonErrors.h"

namespace py = pybind11;

namespace Kalvora {
namespace Python {

namespace {

constexpr int kMaxCode = 65535;
constexpr py::ssize_t kMinTableSize = 2;
constexpr py::ssize_t kMaxTableSize = 256;

using Table = py::array_t<double, py::array::c_style | py::array::forcecast>;

[[noreturn]] void illegal(const std::string& message) {
  throw LibraryFailure(kIllegalValue, message);
}

// The table as the library's interleaved 16-bit codes: the layout of a
// C-ordered (n, n, n, 3) array indexed [r, g, b] is already the library's
// (blue fastest), so only the values change.
std::vector<unsigned short> tableCodes(const Table& table, int& size) {
  const py::ssize_t n = table.ndim() == 4 ? table.shape(0) : 0;
  if (table.ndim() != 4 || table.shape(1) != n || table.shape(2) != n || table.shape(3) != 3)
    illegal("the table must have shape (n, n, n, 3)");
  if (n < kMinTableSize || n > kMaxTableSize)
    illegal("the table must have 2 to 256 points per axis, not " + std::to_string(n));
  std::vector<unsigned short> codes(static_cast<size_t>(table.size()));
  const double* values = table.data();
  for (size_t i = 0; i < codes.size(); ++i) {
    if (std::isnan(values[i])) illegal("the table holds NaN");
    const double clamped = std::min(std::max(values[i], 0.0), 1.0);
    // NOLINTNEXTLINE(bugprone-incorrect-roundings): clamped >= 0, so this rounds to nearest
    codes[i] = static_cast<unsigned short>(clamped * kMaxCode + 0.5);
  }
  size = static_cast<int>(n);
  return codes;
}

template <class Sample>
py::array applyTyped(const std::vector<unsigned short>& codes, int size, const py::array& image,
                     const py::object& out, bool tricubic) {
  using Image = py::array_t<Sample, py::array::c_style>;
  // No copy when the image is already C-contiguous.
  const Image in = Image::ensure(image);
  Image result;
  if (out.is_none()) {
    result = Image(std::vector<py::ssize_t>(in.shape(), in.shape() + in.ndim()));
  } else {
    if (!py::isinstance<Image>(out))
      illegal("out must be a C-contiguous array of the image's dtype");
    result = py::reinterpret_borrow<Image>(out);
    if (result.ndim() != in.ndim() ||
        !std::equal(in.shape(), in.shape() + in.ndim(), result.shape()))
      illegal("out must have the image's shape");
    if (!result.writeable()) illegal("out must be writeable");
  }
  const Sample* source = in.data();
  Sample* target = result.mutable_data();
  const size_t count = static_cast<size_t>(in.size() / 3);
  {
    py::gil_scoped_release unlocked;
    Lut3D lut(size, codes.data(), kLutInterleaved, kMaxCode, tricubic);
    lut.transformBatch(source, target, count);
  }
  return std::move(result);
}

py::array applyLut(const Table& table, const py::array& image, const py::object& out,
                   bool tricubic) {
  int size = 0;
  const std::vector<unsigned short> codes = tableCodes(table, size);
  if (image.ndim() < 1 || image.shape(image.ndim() - 1) != 3)
    illegal("the image's last axis must have 3 channels (r, g, b)");
  if (image.dtype().is(py::dtype::of<float>()))
    return applyTyped<float>(codes, size, image, out, tricubic);
  if (image.dtype().is(py::dtype::of<double>()))
    return applyTyped<double>(codes, size, image, out, tricubic);
  throw py::type_error("apply_lut takes float32 or float64 images, not " +
                       std::string(py::str(image.dtype())));
}

// ---- Log encoding ------------------------------------------------------------------------

using Values = py::array_t<double, py::array::c_style | py::array::forcecast>;

const Elvex::Param& elvexParam(const std::string& camera) {
  if (camera == "kesta") return kestaElvexparam;
  if (camera == "pendro") return pendroElvexparam;
  illegal("unknown camera '" + camera + "' (accepted: kesta, pendro)");
}

template <class Map>
py::object mapElvex(const Values& values, double ei, const std::string& camera, Map map) {
  if (!(std::isfinite(ei) && ei >= 1.0))
    illegal("the exposure index must be a finite number of at least 1");
  const Elvex elvex(elvexParam(camera), ei);
  Values result(std::vector<py::ssize_t>(values.shape(), values.shape() + values.ndim()));
  const double* in = values.data();
  double* out = result.mutable_data();
  const py::ssize_t count = values.size();
  {
    py::gil_scoped_release unlocked;
    for (py::ssize_t i = 0; i < count; ++i) out[i] = map(elvex, in[i]);
  }
  if (values.ndim() == 0) return py::float_(out[0]);
  return std::move(result);
}

}  // namespace

void bindApply(py::module_& module) {
  module.def("apply_lut", &applyLut, py::arg("table"), py::arg("image"),
             py::arg("out") = py::none(), py::arg("tricubic") = false,
             R"(Applies a 3-D table to an image through the library's batch path.

table: shape (n, n, n, 3) indexed [r, g, b], as LutGenerator.lut returns,
n from 2 to 256; grid point (r, g, b) stands for input (r, g, b) / (n - 1).
It is read as the library's 16-bit codes: values are clamped to 0..1 and
rounded to the nearest of 65535 steps (NaN is refused).
image: float32 or float64, any shape whose last axis is 3 (r, g, b); a
C-contiguous image is read in place, any other is copied first. Inputs
outside 0..1 extrapolate from the edge cells.
out: optional array of the image's dtype and shape (C-contiguous) to write
into; it may be the image itself. Returns the result, of the image's dtype
and shape. Tetrahedral interpolation, tricubic when asked for. Runs without
the GIL.)");
}

void bindElvex(py::module_& module) {
  module.def(
      "elvex_encode",
      [](const Values& linear, double ei, const std::string& camera) {
        return mapElvex(linear, ei, camera,
                        [](const Elvex& elvex, double x) { return elvex.transform(x); });
      },
      py::arg("linear"), py::arg("ei") = 800.0, py::arg("camera") = "kesta",
      R"(The camera's log encoding (Elvex) of a linear signal, 1.0 = clipping.

linear: a number or any array (read as float64); returns float64 of the
same shape (a float for a number). ei: the exposure index, any finite value
of at least 1 (the cores take 160 to 3200). camera: 'kesta' (the default
parameters of both cores) or 'pendro'. Runs without the GIL.)");
  module.def(
      "elvex_decode",
      [](const Values& log, double ei, const std::string& camera) {
        return mapElvex(log, ei, camera,
                        [](const Elvex& elvex, double y) { return elvex.inverse(y); });
      },
      py::arg("log"), py::arg("ei") = 800.0, py::arg("camera") = "kesta",
      "The inverse of elvex_encode: log code values (0..1) to linear signal, same arguments.");
}

}  // namespace Python
}  // namespace Kalvora
