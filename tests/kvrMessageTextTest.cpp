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
  const VornRawMeta::VideoParameters videoParameters[] = {{1, 0, 0, {}}, {1, 9, 0, {}}};

  const Row rows[] = {
      // Parameters, modes and nodes of the cores.
      {[&] { return lut.setParam(kLutParamExposureIndex, std::nan("")); }, kIllegalValue,
       "parameter value nan for id 1001 out of range [160.000000, 3200.000000]"},
      {[&] { return lut.setParam(kLutParamNormalizationGain, 1); }, kReadOnly,
       "parameter is read only"},
      {[&] { return lut.setParam(0x10c, 1); }, kUnknownId, "Unknown parameter 10c"},
      {[&] { return lut.setMode(0x63, true); }, kUnknownId, "Unknown mode 63"},
      {[&] { return lut.setParam(kLutParamPeakWhite, 1500); }, kIllegalValue,
       "illegal parameter value 1500.000000 for id 5078 "},
      {[&] { return hlg.setParam(kLutParamPeakWhite, 2000); }, kIllegalValue,
       "Illegal value of peak white for HLG"},
      {[&] { return lut.getLut(kLutNodeCdl, 256, values.data()); }, kUnknownId, "Unknown node 8"},
      {[&] { return lut.getMatrix(kLutNodeLog, matrix); }, kUnknownId, "Unknown matrix node"},
      {[&] { return lut.getLut(kLutNodeLog, 255, values.data()); }, kIllegalValue,
       "illegal size for LUT"},
      {[&] { return lut.getLut(kLutNodeLog, 256, codes.data(), 70000); }, kLimitExceeded,
       "illegal value for scaling factor"},
      {[&] { return lut.convert3dLut2Rec709(2, codes.data(), kLutPlanar, 0, codes.data()); },
       kIllegalValue, "illegal full-scale value: 0"},
      {[&] { return lut.get3dLut(kLutNodeLook, 2, codes.data(), kLutPlanar, 9, false); },
       kIllegalValue, "illegal size for 3DLUT"},
      {[&] { return lut.get3dLut(kLutNodeLook, 3, nullptr, kLutPlanar, 9, false); }, kIllegalValue,
       "no buffer for 3DLUT"},
      {[&] { return lut.get3dLut(kLutNodeLook, 3, codes.data(), kLutPlanar, 0, false); },
       kIllegalValue, "illegal full-scale value for 3DLUT: 0"},
      {[&] { return lut.setUser3dLut(kLutNodeLook, 66, codes.data(), kLutPlanar, 9); },
       kIllegalValue, "illegal number of mesh points for user 3D LUT: 66 (2 to 65 allowed)"},
      {[&] { return lut.setUser3dLut(kLutNodeLook, 33, none, kLutPlanar, 9); }, kIllegalValue,
       "user 3D LUT without data"},
      {[&] { return lut.setUser3dLut(kLutNodeLook, 2, codes.data(), kLutPlanar, 0); },
       kIllegalValue, "illegal full-scale value for user 3D LUT: 0"},
      {[&] { return lut.getSmall3dLut(17, codes.data(), kLutPlanar, codes.data()); }, kIllegalValue,
       "illegal value for number of mesh points"},
      {[&] { return lut.convertVideo2Elvex(0.4, 0, codes.data(), 1000, value); }, kIllegalValue,
       "illegal table for video conversion"},
      {[&] { return camera.getParam(kCameraParamColorTemperature, value); }, kMissingCalibration,
       "No valid optical configuration"},
      {[&] { return camera.useConfiguration(2); }, kIllegalIndex, "illegal configuration index 2"},
      {[&] { return loadSystemCalibrationDataText("/nonexistent", loadCode), loadCode; },
       kUnknownError, "Error opening file /nonexistent"},
      {[] {
         return ProcessLutNode(kLutNodeLog, 256, 1023, 0).init(static_cast<Kalvora*>(nullptr));
       },
       kIllegalValue, "no image core given"},
      {[&] { return Process3DLutNode(kLutNodeLook, 17, kLutPlanar, 1023).init(&camera); },
       kIllegalCall, "a 3-D LUT node needs a LUT image core"},
      {[&] { return lut.setVideoParameters(nullptr); }, kIllegalValue,
       "Illegal value for video parameter buffer!"},
      {[&] { return lut.setVideoParameters(&videoParameters[0]); }, kIllegalValue,
       "Illegal size of video parameter buffer!"},
      {[&] { return lut.setVideoParameters(&videoParameters[1]); }, kUnknownMetaDataVersion,
       "Unknown video parameter metadata version!"},

      // Looks.
      {[&] { return lut.loadLook(nullptr, 2000); }, kIllegalValue, "Look file buffer is NULL!"},
      {lookWith([](Bytes& b) { b.resize(255); }), kIllegalValue,
       "Illegal size of look file buffer!"},
      {look(0, 0), kMagicMismatch, "The magic word does not match!"},
      {lookWith([](Bytes& b) { b[200] ^= 1; }, true), kCrcMismatch,
       "The CRC value does not match!"},
      {look(4, 1), kUnsupportedVersion, "This version is no longer supported!"},
      {look(4, 4), kUnknownFileVersion, "Unknown look file version!"},
      {look(30, 65), kIllegalValue, "Illegal value for length of the lut file name!"},
      {look(32, 1025), kIllegalValue, "Illegal value for length of look note!"},
      {look(12, 1400), kIllegalValue, "Illegal value for parameter offset!"},
      {look(20, 1648), kIllegalValue, "Illegal value for 3d lut offset!"},
      {lookWith([](Bytes& b) { putLe32(b, 20, 1640), putLe32(b, 24, 66); }), kIllegalValue,
       "Illegal value for 3d lut mesh points!"},
      {lookWith([](Bytes& b) { b.pop_back(); }), kIllegalValue, "Illegal size of look file!"},
      {lookWith(
           [](Bytes& b) { b.resize(b.size() + 8), putLe32(b, 100, 1000), putLe32(b, 104, 8); }),
       kIllegalValue, "Illegal value for design data offset!"},
      {look(1344 + 28, 0x58585858), kUnknownColorSpace, "Unknown target color space name!"},
      {[&] { return file.setTargetColorSpace(ColorSpace(8)); }, kIllegalValue,
       "Illegal value for target color space: 8"},
      {throwing([&] { file.setLutFileName(nullptr, 3); }), kIllegalValue,
       "Lut file name is NULL. Illegal value for length of the lut file name!"},
      {throwing([&] { file.setUserLutDesignDataKey(nullptr, 3); }), kIllegalValue,
       "Lut design data key is NULL!"},
      {throwing([&] { file.setUserLutDesignDataKey(name, 65); }), kIllegalValue,
       "Illegal value for length of lut design data key!"},
      {throwing([&] { file.setUserLutDesignData(nullptr, 5); }), kIllegalValue,
       "Illegal value for lut design data, input size is not zero!"},
      {[&] {
         return Vorn2LookFile::getLookFileFeatures(codes.data(), LookFileFeature(3), feature);
       },
       kUnknownFeature, "Unknown look file feature!"},

      // Metadata atoms.
      {[&] { return lut.setMetaData("com.vorn.camera.x", nullptr, 0); }, kUnknownAtomKey,
       "Unknown meta data atom key"},
      {[&] { return lut.getMetaData(look_video_param_atom_key, nullptr); }, kIllegalValue,
       "Metadata buffer is NULL!"},
      {[&] { return lut.getMetaData(lut3d_master_atom_key, codes.data()); }, kIllegalValue,
       "This metadata atom does not exist for rec709d65"},
      {atom(look_video_param_atom_key, 0, 0, 43), kIllegalValue,
       "Illegal size of metadata buffer!"},
      {atom(look_video_param_atom_key, 1, 2), kUnknownMetaDataVersion,
       "Unknown version of metadata!"},
      {atom(look_info_atom_key, 3, 72), kIllegalValue, "Wrong size of the header in the structure"},
      {atom(look_info_atom_key, 9, 65), kIllegalValue,
       "Length of the lut file name exceed maximal allowed length!"},
      {atom(lut3d_master_atom_key, 7, 'X'), kMagicMismatch, "The manufacture ID does not match!"},
      {atom(vornraw_lut3d_atom_key, 8, 2), kUnknownMetaDataVersion, "Unknown metadata version!"},
      {atom(lut3d_master_atom_key, 14, 0x0F), kIllegalValue, "Illegal scaling factor value!"},
      {atom(lut3d_master_atom_key, 25, 17), kIllegalValue, "Illegal number of meshpoints!"},
      {atom(vornraw_lut3d_atom_key, 12, 1), kUnknownRevision, "Unknown metadata reversion!"},
      {atom(vornraw_lut3d_atom_key, 215828 + 64, 83), kIllegalValue,
       "Illegal size of video parameter  metadata buffer!"},

      // Colour spaces, displays and curves.
      {space(d65, red, green, EotfType::Lut), kIllegalCall,
       "Use other constructor for this EOTF type"},
      {space(d65, red, green, EotfType(6)), kIllegalValue, "Unknown EOTF type"},
      {space({0.3, 0}, red, green, EotfType::Linear), kIllegalValue, "Illegal white chromaticity"},
      {space(d65, {0.25, 0.11}, {0.35, 0.16}, EotfType::Linear), kIllegalValue,
       "Illegal primaries: they lie on one line and give no RGB to XYZ matrix"},
      {space({0.4, 0.4}, {0.6, 0.3}, {0.2, 0.5}, EotfType::Linear), kIllegalValue,
       "Illegal white point: it lies on the gamut boundary and gives a singular RGB to XYZ matrix"},
      {throwing([&] {
         DisplayColorSpace(d65, red, green, blue, static_cast<const LutInverse*>(nullptr), "x",
                           nullptr);
       }),
       kIllegalValue, "Unhandled gamma lut"},
      {throwing([] { VideoEncoder(7, VideoEncoder::Legal); }), kIllegalValue,
       "Illegal video bit depth"},
      {throwing([] { VideoEncoder(10, VideoEncoder::Range(4)); }), kIllegalValue,
       "Illegal video range"},
      {throwing([&] { FalseColorLut().getColorRange(6, value, value, value, value, value); }),
       kIllegalValue, "index exceeds color table size"},
      {throwing([&] { ColorConversionLut(rec1886, rec1886).setViewingSaturation(0); }),
       kIllegalValue, "Illegal viewing saturation"},
      {throwing(
           [&] { ColorConversionLut(rec1886, rec1886).setVideoFalseColorMode(FalseColorMode(3)); }),
       kIllegalValue, "Illegal false color mode"},
      {throwing([&] { CalibratedDisplayLut(rec1886).setCalibrationData(nullptr); }), kIllegalValue,
       "Unknown calibration data type"},
      {throwing([&] { CalibratedDisplayLut(rec1886).setLuminaceLevel(2); }), kMissingCalibration,
       "No calibration data available!"},
      {throwing([] { KestaProcessBranch().setTonemapParam(-0.1, 0.5); }), kIllegalValue,
       "Illegal value for black gamma"},
      {throwing([] { KestaProcessBranch().setTonemapParam(0.2, 1.5); }), kIllegalValue,
       "Illegal value for knee point"},
      {throwing([] { HueCurve().setSaturation(HueCurve::Magenta, 2.5); }), kIllegalValue,
       "Illegal value for hue satureation"},
      {throwing([] {
         ChromaLumaCurve curve;
         curve.setCurveType(ChromaLumaCurve::kHdr);
         curve.setPeakWhite(1500);
       }),
       kIllegalValue, "Illegal value"},
      {throwing([] { HueCurve().setSaturation(HueCurve::Hue(6), 0.5); }), kIllegalIndex,
       "illegal knot index"},
      {throwing([&] {
         LutComposite3DSmall small;
         for (int i = 0; i <= LutComposite3DSmall::kMaxStages; ++i) small.addTransformation(stage);
       }),
       kLimitExceeded, "Exceed maximum number of LutFun3D transformations"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
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
