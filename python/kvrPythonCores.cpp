// kalvora.LutGenerator and kalvora.CameraCore: the two image cores with
// parameters by readable name or id, nodes and exports as numpy arrays,
// looks and metadata atoms as bytes, and the camera's calibration and white
// balance.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "kvrCameraCalibration.h"
#include "kvrColorSpaces.h"
#include "kvrKestaImageCore.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrMetaDataAtomKeys.h"
#include "kvrPipelineVocabulary.h"
#include "kvrPythonBindings.h"
#include "kvrPythonErrors.h"

namespace py = pybind11;

namespace Kalvora {
namespace Python {

namespace {

// A parameter, node or mode named by its readable name or its numeric id.
using NameOrId = std::variant<long long, std::string>;

// 3-D tables leave the module as codes / kMaxCode, the 16-bit codes the
// library samples (as in the Cube files the kalvora tool writes).
constexpr int kMaxCode = 65535;
constexpr int kMin3dSize = 3;
constexpr int kMax3dSize = 65;
constexpr int kMinCurveSize = 256;
constexpr int kMaxCurveSize = 65536;

// The short target names of the kalvora tool, in registry order.
constexpr const char* kTargetNames[ColorSpaces::kCount] = {
    "rec1886", "rec2020", "p3-dci", "p3-d65", "p3-d60", "pq", "hlg", "acesproxy"};

unsigned int idFromNumber(long long id, const char* what) {
  if (id < 0 || id > std::numeric_limits<uint32_t>::max())
    throw LibraryFailure(kUnknownId, std::string("unknown ") + what + " " + std::to_string(id));
  return static_cast<unsigned int>(id);
}

unsigned int paramId(const PipelineVocabulary& vocabulary, const NameOrId& key) {
  if (const long long* id = std::get_if<long long>(&key)) return idFromNumber(*id, "parameter");
  const std::string& name = std::get<std::string>(key);
  const PipelineParamInfo* info = findParamInfo(vocabulary, name.c_str());
  if (info == nullptr) throw LibraryFailure(kUnknownId, "unknown parameter '" + name + "'");
  return info->id;
}

const PipelineNodeInfo* findNodeByName(const PipelineNodeInfo* nodes, int count,
                                       const std::string& name) {
  for (int i = 0; i < count; ++i)
    if (name == nodes[i].name) return &nodes[i];
  return nullptr;
}

unsigned int nodeId(const PipelineVocabulary& vocabulary, const NameOrId& key) {
  if (const long long* id = std::get_if<long long>(&key)) return idFromNumber(*id, "node");
  const std::string& name = std::get<std::string>(key);
  const PipelineNodeInfo* info = findNodeByName(vocabulary.nodes, vocabulary.nodeCount, name);
  if (info == nullptr) info = findNodeByName(vocabulary.exports, vocabulary.exportCount, name);
  if (info == nullptr) throw LibraryFailure(kUnknownId, "unknown node '" + name + "'");
  return info->id;
}

unsigned int modeId(const PipelineVocabulary& vocabulary, const NameOrId& key) {
  if (const long long* id = std::get_if<long long>(&key)) return idFromNumber(*id, "mode");
  const std::string& name = std::get<std::string>(key);
  for (int i = 0; i < vocabulary.modeCount; ++i)
    if (name == vocabulary.modes[i].name) return vocabulary.modes[i].id;
  throw LibraryFailure(kUnknownId, "unknown mode '" + name + "'");
}

// A buffer for a request the library checks itself: sizes outside the
// library's limits get no buffer, so that the library's own size check
// answers instead of an allocation of the asked size.
template <class Sample>
std::vector<Sample> bufferFor(int size, int minimum, int maximum, size_t count) {
  if (size < minimum || size > maximum) return {};
  return std::vector<Sample>(count);
}

size_t cube3(int size) { return 3 * static_cast<size_t>(size) * size * size; }

py::array_t<double> tableFromCodes(int size, const std::vector<unsigned short>& codes) {
  py::array_t<double> table({size, size, size, 3});
  double* out = table.mutable_data();
  for (size_t i = 0; i < codes.size(); ++i) out[i] = codes[i] / double(kMaxCode);
  return table;
}

// ---- Shared by both cores ------------------------------------------------------------

// Binds the parameter, node and table operations of the base core. Wrapper
// has core() and a static vocabulary().
template <class Wrapper>
void bindCoreBase(py::class_<Wrapper>& cls) {
  cls.def(
         "set_param",
         [](Wrapper& self, const NameOrId& param, double value) {
           const unsigned int id = paramId(Wrapper::vocabulary(), param);
           call([&] { return self.core().setParam(id, value); });
         },
         py::arg("param"), py::arg("value"),
         "Sets a parameter, named by its readable name (as `kalvora info` lists) or id.\n"
         "Raises IllegalValueError outside its range.")
      .def(
          "get_param",
          [](Wrapper& self, const NameOrId& param) {
            const unsigned int id = paramId(Wrapper::vocabulary(), param);
            double value = 0.0;
            call([&] { return self.core().getParam(id, value); });
            return value;
          },
          py::arg("param"), "The value of a parameter, by readable name or id.")
      .def(
          "reset_param",
          [](Wrapper& self, const NameOrId& param) {
            const unsigned int id = paramId(Wrapper::vocabulary(), param);
            call([&] { return self.core().resetParam(id); });
          },
          py::arg("param"), "Returns a parameter to its default.")
      .def(
          "param_range",
          [](Wrapper& self, const NameOrId& param) {
            const unsigned int id = paramId(Wrapper::vocabulary(), param);
            double minimum = 0.0;
            double maximum = 0.0;
            call([&] { return self.core().getParamRange(id, minimum, maximum); });
            return py::make_tuple(minimum, maximum);
          },
          py::arg("param"), "(minimum, maximum) that set_param accepts.")
      .def_static(
          "param_names",
          [] {
            const PipelineVocabulary& vocabulary = Wrapper::vocabulary();
            std::vector<std::string> names;
            for (int i = 0; i < vocabulary.paramCount; ++i)
              names.emplace_back(vocabulary.params[i].name);
            return names;
          },
          "The readable parameter names, in the order the core registers them.")
      .def(
          "node_revision",
          [](Wrapper& self, const NameOrId& node) {
            return self.core().getNodeRevision(nodeId(Wrapper::vocabulary(), node));
          },
          py::arg("node"), "The change count of a node; re-read a node when its revision changed.")
      .def(
          "curve",
          [](Wrapper& self, const NameOrId& node, int size) {
            const unsigned int id = nodeId(Wrapper::vocabulary(), node);
            std::vector<double> values =
                bufferFor<double>(size, kMinCurveSize, kMaxCurveSize, static_cast<size_t>(size));
            call([&] { return self.core().getLut(id, size, values.data()); });
            return py::array_t<double>(values.size(), values.data());
          },
          py::arg("node"), py::arg("size") = 4096,
          "A 1-D node sampled at size points i / (size - 1), 256 to 65536 points;\n"
          "float64 array of shape (size,).")
      .def(
          "rgb_curve",
          [](Wrapper& self, const NameOrId& node, int size) {
            const unsigned int id = nodeId(Wrapper::vocabulary(), node);
            std::vector<double> values = bufferFor<double>(size, kMinCurveSize, kMaxCurveSize,
                                                           3 * static_cast<size_t>(size));
            call([&] { return self.core().getRgbLut(id, size, values.data(), kLutInterleaved); });
            py::array_t<double> curves({size, 3});
            std::memcpy(curves.mutable_data(), values.data(), values.size() * sizeof(double));
            return curves;
          },
          py::arg("node"), py::arg("size") = 4096,
          "A per-channel node sampled at size points; float64 array of shape (size, 3).")
      .def(
          "matrix",
          [](Wrapper& self, const NameOrId& node) {
            const unsigned int id = nodeId(Wrapper::vocabulary(), node);
            double matrix[9];
            call([&] { return self.core().getMatrix(id, matrix); });
            py::array_t<double> result({3, 3});
            std::memcpy(result.mutable_data(), matrix, sizeof matrix);
            return result;
          },
          py::arg("node"), "A matrix node as a (3, 3) array multiplying column vectors (r, g, b).")
      .def(
          "gain_offset",
          [](Wrapper& self, const NameOrId& node) {
            const unsigned int id = nodeId(Wrapper::vocabulary(), node);
            RgbGainOffset gainOffset = {{1.0, 1.0, 1.0}, {0.0, 0.0, 0.0}};
            call([&] { return self.core().getRgbGainOffset(id, gainOffset); });
            return py::make_tuple(py::array_t<double>(3, gainOffset.gain),
                                  py::array_t<double>(3, gainOffset.offset));
          },
          py::arg("node"), "(gain, offset) of a gain/offset node, each a float64 array (r, g, b).");
}

// ---- LUT generator --------------------------------------------------------------------

class LutGenerator {
public:
  LutGenerator() {
    if (!core_.good())
      throw LibraryFailure(kUnknownError, "the LUT generator could not be built: " + lastReport());
  }
  LutGeneratorImageCore& core() { return core_; }
  static const PipelineVocabulary& vocabulary() { return gLutGeneratorVocabulary; }

  py::array lut(int size, const NameOrId& node, bool halfGrid, bool codes) {
    const unsigned int id = nodeId(vocabulary(), node);
    checkHlgPeakWhite();
    std::vector<unsigned short> table =
        bufferFor<unsigned short>(size, kMin3dSize, kMax3dSize, cube3(size));
    if (id == kLutNodeLook)
      call([&] {
        return core_.get3dLut(id, size, table.data(), kLutInterleaved, kMaxCode, halfGrid);
      });
    else if (halfGrid)
      throw LibraryFailure(kIllegalValue, "half_grid applies to node 10 (look) only");
    else
      call([&] { return core_.export3dLut(id, size, table.data(), kLutInterleaved, kMaxCode); });
    if (!codes) return tableFromCodes(size, table);
    py::array_t<unsigned short> result({size, size, size, 3});
    std::memcpy(result.mutable_data(), table.data(), table.size() * sizeof(unsigned short));
    return std::move(result);
  }

  std::string target() {
    for (int id = 0; id < ColorSpaces::kCount; ++id)
      if (core_.isTargetColorSpace(static_cast<ColorSpace>(id))) return kTargetNames[id];
    return core_.getTargetColorSpace() != nullptr ? "" : "none";
  }

  void setTarget(const std::string& name) {
    const ColorSpace id = resolveTarget(name);
    callThrowing([&] { core_.setTargetColorSpace(core_.getColorSpaceInfo(id)); });
  }

  py::bytes saveLook(bool all) {
    unsigned int size = 0;
    call([&] { return core_.getLookDataSize(all, size); });
    std::string data(size, '\0');
    call([&] { return core_.saveLook(data.data(), all); });
    return py::bytes(data);
  }

  void loadLook(const py::bytes& data) {
    const std::string_view bytes = data;
    call([&] { return core_.loadLook(bytes.data(), byteCount(bytes)); });
  }

  py::bytes getMetaData(const std::string& key) {
    unsigned int size = 0;
    call([&] { return core_.getMetaDataSize(key.c_str(), size); });
    // An atom that does not exist has size 0; reading it lets the library
    // say why.
    std::string data(size > 0 ? size : 1, '\0');
    call([&] { return core_.getMetaData(key.c_str(), data.data()); });
    data.resize(size);
    return py::bytes(data);
  }

  void setMetaData(const std::string& key, const py::bytes& data) {
    const std::string_view bytes = data;
    call([&] { return core_.setMetaData(key.c_str(), bytes.data(), byteCount(bytes)); });
  }

private:
  // HLG displays are graded for a peak white of 1000 cd/m2. The core
  // enforces this when it samples node 10 but not for the exports, so the
  // rule is applied here to every LUT, as the kalvora tool does.
  void checkHlgPeakWhite() {
    if (!core_.isTargetColorSpace(Rec2100Hlg)) return;
    double peakWhite = LutGeneratorImageCore::kHlgPeakWhite;
    call([&] { return core_.getParam(kLutParamPeakWhite, peakWhite); });
    if (peakWhite != LutGeneratorImageCore::kHlgPeakWhite)
      throw LibraryFailure(kIllegalValue, "Illegal value of peak white for HLG");
  }

  static unsigned int byteCount(std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<unsigned int>::max())
      throw LibraryFailure(kLimitExceeded, "the buffer is larger than 4 GiB");
    return static_cast<unsigned int>(bytes.size());
  }

  static ColorSpace resolveTarget(const std::string& name) {
    for (int id = 0; id < ColorSpaces::kCount; ++id)
      if (name == kTargetNames[id]) return static_cast<ColorSpace>(id);
    ColorSpaces registry;
    if (const DisplayColorSpace* entry = registry.forName(name.c_str()))
      for (int id = 0; id < ColorSpaces::kCount; ++id)
        if (registry.forId(static_cast<ColorSpace>(id)) == entry)
          return static_cast<ColorSpace>(id);
    std::string accepted;
    for (const char* shortName : kTargetNames) accepted += std::string(", ") + shortName;
    throw LibraryFailure(kUnknownColorSpace, "unknown target '" + name +
                                                 "' (accepted: " + accepted.substr(2) +
                                                 " or a colour space identifier)");
  }

  LutGeneratorImageCore core_;
};

void bindLutGenerator(py::module_& module) {
  py::class_<LutGenerator> cls(module, "LutGenerator", R"(The LUT generator core: look 3-D LUTs.

Parameters are set by the readable names `kalvora info` lists (or ids);
the target display by short name: rec1886 (default), rec2020, p3-dci,
p3-d65, p3-d60, pq, hlg, acesproxy, or a full colour space identifier.
The LUTs take the camera's log signal (Elvex code values 0..1) as input
and give display signal for the target. One instance is used by one
thread at a time.)");
  cls.def(py::init<>(), "A core with every setting at its default, target rec1886.");
  bindCoreBase(cls);
  cls.def("lut", &LutGenerator::lut, py::arg("size") = 33, py::arg("node") = 10,
          py::arg("half_grid") = false, py::arg("codes") = false,
          R"(A 3-D LUT of size points per axis (3 to 65) as an array of shape
(size, size, size, 3) indexed [r, g, b]: grid point (r, g, b) stands for
log input (r, g, b) / (size - 1).

node 10 (look) is the bare look for the target; the exports 12
(look-rec1886), 13 (cdl-look-rec1886), 14 (cdl-look: CDL, saturation and
look) and 15 (look-without-transform) may be named too. Node 11 (the
normalisation, see gain_offset) follows every one of them. half_grid
(node 10 only) is a fast preview. Values are the library's 16-bit codes
divided by 65535 as float64, or with codes=True the codes as uint16.)")
      .def_property("target", &LutGenerator::target, &LutGenerator::setTarget,
                    "The target display colour space by short name; set it by short name or "
                    "identifier.")
      .def("save_look", &LutGenerator::saveLook, py::arg("all") = false,
           "The current look as look-file bytes; all=True also saves parameters a look "
           "normally leaves out.")
      .def("load_look", &LutGenerator::loadLook, py::arg("data"),
           "Loads look-file bytes: resets the look, applies the file's settings and adopts "
           "its target. A rejected file leaves the look reset.")
      .def(
          "reset_look", [](LutGenerator& self) { call([&] { return self.core().resetLook(); }); },
          "Look parameters to their defaults, no user 3-D LUT; the target stays.")
      .def("get_metadata", &LutGenerator::getMetaData, py::arg("key"),
           "The metadata atom of a key (see ATOM_KEYS) as bytes.")
      .def("set_metadata", &LutGenerator::setMetaData, py::arg("key"), py::arg("data"),
           "Applies a metadata atom given as bytes.")
      .def(
          "reset_metadata",
          [](LutGenerator& self, const std::string& key) {
            call([&] { return self.core().resetMetaData(key.c_str()); });
          },
          py::arg("key"), "Resets what the atom of a key covers to its defaults.");
}

// ---- Camera core ------------------------------------------------------------------------

struct FreeRecord {
  void operator()(CameraSystemCalibrationRecord* record) const { std::free(record); }
};

class CameraCore {
public:
  CameraCore(const std::optional<std::string>& calibration, const std::string& pipeline)
      : core_(std::make_unique<KestaImageCore>(1, pipelineType(pipeline))) {
    if (!core_->good())
      throw LibraryFailure(kUnknownError, "the camera core could not be built: " + lastReport());
    if (calibration) loadCalibration(*calibration);
  }
  KestaImageCore& core() { return *core_; }
  static const PipelineVocabulary& vocabulary() { return gCameraVocabulary; }

  // Every record loaded stays alive as long as the core, which references
  // it: also one that the core refused halfway.
  void loadCalibration(const std::string& path) {
    if (std::FILE* file = std::fopen(path.c_str(), "r"))
      std::fclose(file);
    else
      throw LibraryFailure(kUnknownError, "cannot open calibration file '" + path + "'");
    clearLastReport();
    ErrorCode code = kNoError;
    calibrations_.emplace_back(loadSystemCalibrationDataText(path.c_str(), code));
    if (calibrations_.back() == nullptr) {
      calibrations_.pop_back();
      check(code != kNoError ? code : kUnknownError);
    }
    const CameraSystemCalibrationRecord& record = *calibrations_.back();
    call([&] { return core_->setSystemCalibration(0, record); });
    call([&] { return core_->useConfiguration(0); });
  }

  py::array lut(int size, const NameOrId& node) {
    const unsigned int id = nodeId(vocabulary(), node);
    std::vector<unsigned short> table =
        bufferFor<unsigned short>(size, kMin3dSize, kMax3dSize, cube3(size));
    call([&] { return core_->export3dLut(id, size, table.data(), kLutInterleaved, kMaxCode); });
    return tableFromCodes(size, table);
  }

  py::dict whiteBalance() {
    py::dict result;
    const std::pair<const char*, unsigned int> views[] = {
        {"temperature", kCameraParamColorTemperature},
        {"tint", kCameraParamTint},
        {"gain_red", kCameraParamGainRed},
        {"gain_blue", kCameraParamGainBlue}};
    for (const auto& view : views) {
      double value = 0.0;
      call([&] { return core_->getParam(view.second, value); });
      result[view.first] = value;
    }
    return result;
  }

private:
  static PipelineType pipelineType(const std::string& name) {
    if (name == "single") return kPipelineSingleBranch;
    if (name == "multi") return kPipelineMultiBranch;
    throw LibraryFailure(kIllegalValue,
                         "unknown pipeline '" + name + "' (accepted: single, multi)");
  }

  std::vector<std::unique_ptr<CameraSystemCalibrationRecord, FreeRecord>> calibrations_;
  // Destroyed before the records it references.
  std::unique_ptr<KestaImageCore> core_;
};

void bindCameraCore(py::module_& module) {
  py::class_<CameraCore> cls(module, "CameraCore", R"(The camera core: the camera's own pipeline.

White balance 2 -> camera matrix 3 -> log encoding 5 -> per output branch
log offsets 7 -> tone map 8 -> colour space matrix 9 -> video gamma 10;
export 11 (rendering) is the output path from the log signal as one 3-D
LUT. The multi-branch pipeline has branches 1 and 2 besides 0: their ids
add 0x01000000 or 0x02000000. White balance needs a calibration. One
instance is used by one thread at a time.)");
  cls.def(py::init<const std::optional<std::string>&, const std::string&>(),
          py::arg("calibration") = py::none(), py::arg("pipeline") = "single",
          "A camera core, pipeline 'single' or 'multi', with the calibration text file at "
          "calibration (optional).");
  bindCoreBase(cls);
  cls.def("load_calibration", &CameraCore::loadCalibration, py::arg("path"),
          "Loads a calibration text file and selects it.")
      .def("lut", &CameraCore::lut, py::arg("size") = 33, py::arg("node") = 11,
           "Export 11, the rendering of the log signal, as an array of shape (size, size, size, "
           "3) indexed [r, g, b]: the library's 16-bit codes divided by 65535.")
      .def(
          "set_white_balance",
          [](CameraCore& self, double temperature, double tint) {
            call([&] { return self.core().setParam(kCameraParamColorTemperature, temperature); });
            call([&] { return self.core().setParam(kCameraParamTint, tint); });
          },
          py::arg("temperature"), py::arg("tint") = 0.0,
          "White balance by colour temperature (2000 to 11000 K) and tint (-16 to 16).")
      .def(
          "set_white_balance_gains",
          [](CameraCore& self, double red, double blue) {
            call([&] { return self.core().setParam(kCameraParamGainRed, red); });
            call([&] { return self.core().setParam(kCameraParamGainBlue, blue); });
          },
          py::arg("red"), py::arg("blue"), "White balance by red and blue gain (0.9 to 4).")
      .def("white_balance", &CameraCore::whiteBalance,
           "Both views of the white balance: temperature, tint, gain_red, gain_blue. Needs a "
           "calibration.")
      .def(
          "set_mode",
          [](CameraCore& self, const NameOrId& mode, bool on) {
            const unsigned int id = modeId(CameraCore::vocabulary(), mode);
            call([&] { return self.core().setMode(id, on); });
          },
          py::arg("mode"), py::arg("on"),
          "Switches a mode (video, p3-output, false-color, playback) by name or id.")
      .def(
          "get_mode",
          [](CameraCore& self, const NameOrId& mode) {
            const unsigned int id = modeId(CameraCore::vocabulary(), mode);
            bool on = false;
            call([&] { return self.core().getMode(id, on); });
            return on;
          },
          py::arg("mode"), "Whether a mode is on.");
}

py::dict atomKeys() {
  py::dict keys;
  keys["look_video_param"] = py::str(look_video_param_atom_key);
  keys["lut3d"] = py::str(lut3d_atom_key);
  keys["lut3d_master"] = py::str(lut3d_master_atom_key);
  keys["lut3d_with_cdl"] = py::str(lut3d_with_cdl_atom_key);
  keys["lut3d_master_with_cdl"] = py::str(lut3d_master_with_cdl_atom_key);
  keys["asc_cdl_param"] = py::str(asc_cdl_param_atom_key);
  keys["look_info"] = py::str(look_info_atom_key);
  keys["look_video_param_v2"] = py::str(look_video_param_v2_atom_key);
  keys["vornraw_lut3d"] = py::str(vornraw_lut3d_atom_key);
  return keys;
}

}  // namespace

void bindCores(py::module_& module) {
  bindLutGenerator(module);
  bindCameraCore(module);
  module.attr("ATOM_KEYS") = atomKeys();
  module.attr("TARGETS") =
      py::cast(std::vector<std::string>(std::begin(kTargetNames), std::end(kTargetNames)));
}

}  // namespace Python
}  // namespace Kalvora
