// Every fixed message text the library reports, each checked once here with
// its error code. The other suites check the code and a telling fragment.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "kvrAll.h"
#include "kvrTestSupport.h"

namespace Kalvora {
namespace {

using Bytes = std::vector<unsigned char>;
using Call = std::function<ErrorCode()>;
using KalvoraTest::ReportCapture;

// A call that reports through a thrown signal rather than a code.
template <class F>
Call throwing(F f) {
  return [f] { return f(), kNoError; };
}

void putLe32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// Loads the look of a fresh core after change, its CRC made good again
// unless keepCrc.
Call lookWith(std::function<void(Bytes&)> change, bool keepCrc = false) {
  return [=] {
    LutGeneratorImageCore core;
    unsigned int size = 0;
    core.getLookDataSize(false, size);
    Bytes look(size);
    core.saveLook(look.data(), false);
    change(look);
    if (!keepCrc) putLe32(look, 8, CrcCalculator().calculateCrc(&look[12], size - 12));
    return core.loadLook(look.data(), unsigned(look.size()));
  };
}
Call look(size_t at, uint32_t value) {
  return lookWith([=](Bytes& b) { putLe32(b, at, value); });
}

// Reads back the atom of a P3 D65 core with byte `at` set to value (fields
// in host order are changed in their low byte: the machines are little-endian).
Call atom(const char* key, size_t at, unsigned char value, size_t size = 0) {
  return [=] {
    LutGeneratorImageCore core;
    core.setTargetColorSpace(core.getColorSpaceInfo(P3D65Gamma26));
    unsigned int atomSize = 0;
    core.getMetaDataSize(key, atomSize);
    Bytes b(atomSize);
    core.getMetaData(key, b.data());
    b.at(at) = value;
    if (size != 0) b.resize(size);
    return core.setMetaData(key, b.data(), unsigned(b.size()));
  };
}

struct Row {
  const char* what;
  Call call;
  ErrorCode code;
  const char* text;
};

TEST(MessageText, EachFixedTextOnce) {
  ReportCapture capture;
  LutGeneratorImageCore lut;
  LutGeneratorImageCore hlg;
  hlg.setTargetColorSpace(hlg.getColorSpaceInfo(Rec2100Hlg));
  KestaImageCore camera{1, kPipelineSingleBranch};
  camera.setParam(kCameraParamGainRed, 2.0);  // white balance now needs a calibration
  Vorn2LookFile& file = *lut.getLookFile();
  const DisplayColorSpace* rec1886 = lut.getColorSpaceInfo(Rec1886);
  std::vector<unsigned short> codes(3 * 66 * 66 * 66);
  std::vector<double> values(3 * 256);
  double matrix[9], value = 0;
  unsigned int feature = 0;
  ErrorCode loadCode = kNoError;
  const unsigned char name[] = "a.cube";
  const Chromaticity d65(0.3127, 0.329), red(0.64, 0.33), green(0.3, 0.6), blue(0.15, 0.06);
  // A display space (blue primary 0.15, 0.06) asked for its XYZ matrix.
  const auto space = [&](Chromaticity white, Chromaticity r, Chromaticity g, EotfType eotf) {
    return throwing([=, &matrix] {
      DisplayColorSpace(white, r, g, blue, eotf, 2.4, "x", nullptr).getXyzMatrix(matrix);
    });
  };
  const unsigned short* none = nullptr;
  const LutFunc3D stage;
  const VornRawMeta::VideoParameters videoParameters{1, 0, 0, {}};

  const Row rows[] = {
      // Parameters, modes and nodes of the cores.
      {"range", [&] { return lut.setParam(kLutParamExposureIndex, std::nan("")); }, kIllegalValue,
       "parameter value nan for id 1001 out of range [160.000000, 3200.000000]"},
      {"read only", [&] { return lut.setParam(kLutParamNormalizationGain, 1); }, kReadOnly,
       "parameter is read only"},
      {"parameter", [&] { return lut.setParam(0x10c, 1); }, kUnknownId, "Unknown parameter 10c"},
      {"mode", [&] { return lut.setMode(0x63, true); }, kUnknownId, "Unknown mode 63"},
      {"peak white", [&] { return lut.setParam(kLutParamPeakWhite, 1500); }, kIllegalValue,
       "illegal parameter value 1500.000000 for id 5078 "},
      {"HLG peak white", [&] { return hlg.setParam(kLutParamPeakWhite, 2000); }, kIllegalValue,
       "Illegal value of peak white for HLG"},
      {"node", [&] { return lut.getLut(kLutNodeCdl, 256, values.data()); }, kUnknownId,
       "Unknown node 8"},
      {"matrix node", [&] { return lut.getMatrix(kLutNodeLog, matrix); }, kUnknownId,
       "Unknown matrix node"},
      {"LUT size", [&] { return lut.getLut(kLutNodeLog, 255, values.data()); }, kIllegalValue,
       "illegal size for LUT"},
      {"LUT scale", [&] { return lut.getLut(kLutNodeLog, 256, codes.data(), 70000); },
       kLimitExceeded, "illegal value for scaling factor"},
      {"full scale",
       [&] { return lut.convert3dLut2Rec709(2, codes.data(), kLutPlanar, 0, codes.data()); },
       kIllegalValue, "illegal full-scale value: 0"},
      {"3-D size",
       [&] { return lut.get3dLut(kLutNodeLook, 2, codes.data(), kLutPlanar, 9, false); },
       kIllegalValue, "illegal size for 3DLUT"},
      {"3-D buffer", [&] { return lut.get3dLut(kLutNodeLook, 3, nullptr, kLutPlanar, 9, false); },
       kIllegalValue, "no buffer for 3DLUT"},
      {"3-D full scale",
       [&] { return lut.get3dLut(kLutNodeLook, 3, codes.data(), kLutPlanar, 0, false); },
       kIllegalValue, "illegal full-scale value for 3DLUT: 0"},
      {"user LUT mesh",
       [&] { return lut.setUser3dLut(kLutNodeLook, 66, codes.data(), kLutPlanar, 9); },
       kIllegalValue, "illegal number of mesh points for user 3D LUT: 66 (2 to 65 allowed)"},
      {"user LUT data", [&] { return lut.setUser3dLut(kLutNodeLook, 33, none, kLutPlanar, 9); },
       kIllegalValue, "user 3D LUT without data"},
      {"user LUT full scale",
       [&] { return lut.setUser3dLut(kLutNodeLook, 2, codes.data(), kLutPlanar, 0); },
       kIllegalValue, "illegal full-scale value for user 3D LUT: 0"},
      {"small 3-D", [&] { return lut.getSmall3dLut(17, codes.data(), kLutPlanar, codes.data()); },
       kIllegalValue, "illegal value for number of mesh points"},
      {"video table", [&] { return lut.convertVideo2Elvex(0.4, 0, codes.data(), 1000, value); },
       kIllegalValue, "illegal table for video conversion"},
      {"white balance", [&] { return camera.getParam(kCameraParamColorTemperature, value); },
       kMissingCalibration, "No valid optical configuration"},
      {"configuration", [&] { return camera.useConfiguration(2); }, kIllegalIndex,
       "illegal configuration index 2"},
      {"calibration file",
       [&] { return loadSystemCalibrationDataText("/nonexistent", loadCode), loadCode; },
       kUnknownError, "Error opening file /nonexistent"},
      {"process core",
       [] {
         return ProcessLutNode(kLutNodeLog, 256, 1023, 0).init(static_cast<Kalvora*>(nullptr));
       },
       kIllegalValue, "no image core given"},
      {"3-D process core",
       [&] { return Process3DLutNode(kLutNodeLook, 17, kLutPlanar, 1023).init(&camera); },
       kIllegalCall, "a 3-D LUT node needs a LUT image core"},

      {"video parameters", [&] { return lut.setVideoParameters(nullptr); }, kIllegalValue,
       "Illegal value for video parameter buffer!"},
      {"video parameter size", [&] { return lut.setVideoParameters(&videoParameters); },
       kIllegalValue, "Illegal size of video parameter buffer!"},

      // Looks.
      {"look buffer", [&] { return lut.loadLook(nullptr, 2000); }, kIllegalValue,
       "Look file buffer is NULL!"},
      {"look size", lookWith([](Bytes& b) { b.resize(255); }), kIllegalValue,
       "Illegal size of look file buffer!"},
      {"look magic", look(0, 0), kMagicMismatch, "The magic word does not match!"},
      {"look CRC", lookWith([](Bytes& b) { b[200] ^= 1; }, true), kCrcMismatch,
       "The CRC value does not match!"},
      {"look version 1", look(4, 1), kUnsupportedVersion, "This version is no longer supported!"},
      {"look version 4", look(4, 4), kUnknownFileVersion, "Unknown look file version!"},
      {"look name", look(30, 65), kIllegalValue, "Illegal value for length of the lut file name!"},
      {"look note", look(32, 1025), kIllegalValue, "Illegal value for length of look note!"},
      {"parameter offset", look(12, 1400), kIllegalValue, "Illegal value for parameter offset!"},
      {"LUT offset", look(20, 1648), kIllegalValue, "Illegal value for 3d lut offset!"},
      {"LUT mesh", lookWith([](Bytes& b) { putLe32(b, 20, 1640), putLe32(b, 24, 66); }),
       kIllegalValue, "Illegal value for 3d lut mesh points!"},
      {"look truncated", lookWith([](Bytes& b) { b.pop_back(); }), kIllegalValue,
       "Illegal size of look file!"},
      {"design offset", lookWith([](Bytes& b) {
         b.resize(b.size() + 8), putLe32(b, 100, 1000), putLe32(b, 104, 8);
       }),
       kIllegalValue, "Illegal value for design data offset!"},
      {"look colour space", look(1344 + 28, 0x58585858), kUnknownColorSpace,
       "Unknown target color space name!"},
      {"look target", [&] { return file.setTargetColorSpace(ColorSpace(8)); }, kIllegalValue,
       "Illegal value for target color space: 8"},
      {"file name", throwing([&] { file.setLutFileName(nullptr, 3); }), kIllegalValue,
       "Lut file name is NULL. Illegal value for length of the lut file name!"},
      {"design key", throwing([&] { file.setUserLutDesignDataKey(nullptr, 3); }), kIllegalValue,
       "Lut design data key is NULL!"},
      {"design key length", throwing([&] { file.setUserLutDesignDataKey(name, 65); }),
       kIllegalValue, "Illegal value for length of lut design data key!"},
      {"design data", throwing([&] { file.setUserLutDesignData(nullptr, 5); }), kIllegalValue,
       "Illegal value for lut design data, input size is not zero!"},
      {"look feature",
       [&] {
         return Vorn2LookFile::getLookFileFeatures(codes.data(), LookFileFeature(3), feature);
       },
       kUnknownFeature, "Unknown look file feature!"},

      // Metadata atoms.
      {"atom key", [&] { return lut.setMetaData("com.vorn.camera.x", nullptr, 0); },
       kUnknownAtomKey, "Unknown meta data atom key"},
      {"atom buffer", [&] { return lut.getMetaData(look_video_param_atom_key, nullptr); },
       kIllegalValue, "Metadata buffer is NULL!"},
      {"Rec.1886 master", [&] { return lut.getMetaData(lut3d_master_atom_key, codes.data()); },
       kIllegalValue, "This metadata atom does not exist for rec709d65"},
      {"atom size", atom(look_video_param_atom_key, 0, 0, 43), kIllegalValue,
       "Illegal size of metadata buffer!"},
      {"atom version", atom(look_video_param_atom_key, 1, 2), kUnknownMetaDataVersion,
       "Unknown version of metadata!"},
      {"atom header", atom(look_info_atom_key, 3, 72), kIllegalValue,
       "Wrong size of the header in the structure"},
      {"atom name length", atom(look_info_atom_key, 9, 65), kIllegalValue,
       "Length of the lut file name exceed maximal allowed length!"},
      {"atom manufacturer", atom(lut3d_master_atom_key, 7, 'X'), kMagicMismatch,
       "The manufacture ID does not match!"},
      {"raw version", atom(vornraw_lut3d_atom_key, 8, 2), kUnknownMetaDataVersion,
       "Unknown metadata version!"},
      {"atom scaling", atom(lut3d_master_atom_key, 14, 0x0F), kIllegalValue,
       "Illegal scaling factor value!"},
      {"atom mesh", atom(lut3d_master_atom_key, 25, 17), kIllegalValue,
       "Illegal number of meshpoints!"},
      {"raw revision", atom(vornraw_lut3d_atom_key, 12, 1), kUnknownRevision,
       "Unknown metadata reversion!"},
      {"raw record version", atom(vornraw_lut3d_atom_key, 215828 + 68, 2), kUnknownMetaDataVersion,
       "Unknown video parameter metadata version!"},
      {"raw record size", atom(vornraw_lut3d_atom_key, 215828 + 64, 83), kIllegalValue,
       "Illegal size of video parameter  metadata buffer!"},

      // Colour spaces, displays and curves.
      {"constructor", space(d65, red, green, EotfType::Lut), kIllegalCall,
       "Use other constructor for this EOTF type"},
      {"EOTF", space(d65, red, green, EotfType(6)), kIllegalValue, "Unknown EOTF type"},
      {"white", space({0.3, 0}, red, green, EotfType::Linear), kIllegalValue,
       "Illegal white chromaticity"},
      {"primaries on a line", space(d65, {0.25, 0.11}, {0.35, 0.16}, EotfType::Linear),
       kIllegalValue, "Illegal primaries: they lie on one line and give no RGB to XYZ matrix"},
      {"white on the boundary", space({0.4, 0.4}, {0.6, 0.3}, {0.2, 0.5}, EotfType::Linear),
       kIllegalValue,
       "Illegal white point: it lies on the gamut boundary and gives a singular RGB to XYZ matrix"},
      {"gamma table", throwing([&] {
         DisplayColorSpace(d65, red, green, blue, static_cast<const LutInverse*>(nullptr), "x",
                           nullptr);
       }),
       kIllegalValue, "Unhandled gamma lut"},
      {"bit depth", throwing([] { VideoEncoder(7, VideoEncoder::Legal); }), kIllegalValue,
       "Illegal video bit depth"},
      {"video range", throwing([] { VideoEncoder(10, VideoEncoder::Range(4)); }), kIllegalValue,
       "Illegal video range"},
      {"false colour index",
       throwing([&] { FalseColorLut().getColorRange(6, value, value, value, value, value); }),
       kIllegalValue, "index exceeds color table size"},
      {"viewing saturation",
       throwing([&] { ColorConversionLut(rec1886, rec1886).setViewingSaturation(0); }),
       kIllegalValue, "Illegal viewing saturation"},
      {"false colour mode", throwing([&] {
         ColorConversionLut(rec1886, rec1886).setVideoFalseColorMode(FalseColorMode(3));
       }),
       kIllegalValue, "Illegal false color mode"},
      {"display calibration",
       throwing([&] { CalibratedDisplayLut(rec1886).setCalibrationData(nullptr); }), kIllegalValue,
       "Unknown calibration data type"},
      {"luminance level", throwing([&] { CalibratedDisplayLut(rec1886).setLuminaceLevel(2); }),
       kMissingCalibration, "No calibration data available!"},
      {"black gamma", throwing([] { KestaProcessBranch().setTonemapParam(-0.1, 0.5); }),
       kIllegalValue, "Illegal value for black gamma"},
      {"knee", throwing([] { KestaProcessBranch().setTonemapParam(0.2, 1.5); }), kIllegalValue,
       "Illegal value for knee point"},
      {"hue saturation", throwing([] { HueCurve().setSaturation(HueCurve::Magenta, 2.5); }),
       kIllegalValue, "Illegal value for hue satureation"},
      {"HDR peak white", throwing([] {
         ChromaLumaCurve curve;
         curve.setCurveType(ChromaLumaCurve::kHdr);
         curve.setPeakWhite(1500);
       }),
       kIllegalValue, "Illegal value"},
      {"knot index", throwing([] { HueCurve().setSaturation(HueCurve::Hue(6), 0.5); }),
       kIllegalIndex, "illegal knot index"},
      {"composite stages", throwing([&] {
         LutComposite3DSmall small;
         for (int i = 0; i <= LutComposite3DSmall::kMaxStages; ++i) small.addTransformation(stage);
       }),
       kLimitExceeded, "Exceed maximum number of LutFun3D transformations"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ReportCapture::reports().clear();
    try {
      EXPECT_EQ(row.call(), row.code);
      EXPECT_EQ(ReportCapture::lastMessage(), row.text);
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), row.code);
      EXPECT_STREQ(signal.what(), row.text);
    }
  }
}

}  // namespace
}  // namespace Kalvora
