// The Python module kalvora: the library's cores, its batch 3-D table path
// and its log encoding for numpy arrays.
#include <pybind11/pybind11.h>

#include "kvrPythonBindings.h"
#include "kvrPythonErrors.h"

namespace py = pybind11;
using namespace Kalvora::Python;

PYBIND11_MODULE(kalvora, module) {
  module.doc() =
      "Kalvora, the colour-science library of the camera system, for numpy.\n\n"
      "LutGenerator renders look 3-D LUTs, CameraCore the camera's own pipeline,\n"
      "apply_lut applies a 3-D table to an image, elvex_encode and elvex_decode\n"
      "are the camera's log encoding. Failures raise kalvora.Error; the\n"
      "library's reports are kept quiet unless set_verbose(True).";
  module.attr("__version__") = KALVORA_VERSION;

  captureReports();
  registerErrors(module);
  module.def("set_verbose", &setVerbose, py::arg("verbose"),
             "Whether the library's reports are also written to standard error "
             "(off by default; the exceptions carry the messages either way).");
  module.def("is_verbose", &isVerbose,
             "Whether the library's reports are written to standard error.");

  bindCores(module);
  bindApply(module);
  bindElvex(module);
}
