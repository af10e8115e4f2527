// End-to-end tests of the kalvora program: `kalvora lut`, `kalvora info`,
// help, version and the failure behaviour, checked against what the LUT
// generator core itself returns for the same settings.
#include <gtest/gtest.h>

#include <algorithm>

#include "kvrColorSpaces.h"
#include "kvrKestaImageCore.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrPipelineVocabulary.h"
#include "kvrTestSupport.h"
#include "kvrToolNames.h"
#include "kvrToolRunner.h"

using namespace Kalvora;
using namespace KalvoraTest;

namespace {

// What the camera shows: the CDL-and-look export, then the normalisation.
std::vector<double> cameraView(LutGeneratorImageCore& core, int size) {
  std::vector<double> values(3 * static_cast<size_t>(size) * size * size);
  EXPECT_EQ(core.export3dLut(kLutExportCdlLook, size, values.data(), kLutInterleaved), kNoError);
  RgbGainOffset norm{};
  EXPECT_EQ(core.getRgbGainOffset(kLutNodeNormalization, norm), kNoError);
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = std::min(1.0, std::max(0.0, values[i] * norm.gain[i % 3] + norm.offset[i % 3]));
  return values;
}

}  // namespace

TEST(KalvoraLut, DefaultIsTheCameraViewForRec1886AndOutputGoesWhereAsked) {
  const ToolRun run = runOk({"lut"});
  LutGeneratorImageCore core;
  ASSERT_TRUE(core.good());
  expectCubeValues(run.out, cameraView(core, 33), 33);
  EXPECT_PRED2(contains, run.out, "# target: com.apple.proapps.colorspace.rec1886\n");

  ScratchDir dir;
  EXPECT_EQ(runOk({"lut", "-o", dir.file("a.cube"), "--title", "Night"}).out, "");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.cube"});
  EXPECT_EQ(readFile(dir.file("a.cube")), runOk({"lut", "--title", "Night", "-o", "-"}).out);
  EXPECT_EQ(readFile(dir.file("a.cube")).rfind("TITLE \"Night\"\n", 0), 0u);
}

// Every node is the core's look or export with the same settings; later
// settings of a parameter win, by name or by id; a target goes by its
// identifier as well as by its short name.
TEST(KalvoraLut, NodesAreTheCoresLookAndExportsWithTheSettings) {
  for (unsigned int node : {kLutNodeLook, kLutExportLookRec1886, kLutExportCdlLookRec1886,
                            kLutExportCdlLook, kLutExportLookWithoutTransform}) {
    LutGeneratorImageCore core;
    core.setTargetColorSpace(core.getColorSpaceInfo(Rec2020Gamma24));
    ASSERT_EQ(core.setParam(kLutParamCdlSaturation, 1.3), kNoError);
    ASSERT_EQ(core.setParam(kLutParamExposureIndex, 1280), kNoError);
    ASSERT_EQ(core.setParam(kLutParamMasterGamma, 1.2), kNoError);
    std::vector<double> expected(3 * 9 * 9 * 9);
    ASSERT_EQ(node == kLutNodeLook ? core.get3dLut(node, 9, expected.data(), kLutInterleaved)
                                   : core.export3dLut(node, 9, expected.data(), kLutInterleaved),
              kNoError);
    expectCubeValues(runOk({"lut", "--node", std::to_string(node), "--size", "9", "--target",
                            ColorSpaces::identifier(Rec2020Gamma24), "--set", "cdl-saturation=1.3",
                            "--ei", "400", "--set", "1001=1280", "--set", "5051=1.2"})
                         .out,
                     expected, 9);
  }
}

TEST(KalvoraLut, HalfGridAndRaw16CarryTheLibraryCodes) {
  LutGeneratorImageCore core;
  std::vector<unsigned short> half(3 * 17 * 17 * 17), full(half.size());
  ASSERT_EQ(core.get3dLut(kLutNodeLook, 17, half.data(), kLutInterleaved, 65535, true), kNoError);
  ASSERT_EQ(core.get3dLut(kLutNodeLook, 17, full.data(), kLutInterleaved, 65535, false), kNoError);
  EXPECT_NE(half, full);
  expectCubeValues(runOk({"lut", "--node", "10", "--size", "17", "--half-grid"}).out,
                   codeValues(half), 17);

  // raw16: the library layout, little-endian, at the chosen full scale.
  ScratchDir dir;
  runOk({"lut", "--format", "raw16", "--max-value", "1023", "--size", "5", "-o", dir.file("a")});
  const std::vector<double> values = cameraView(core, 5);
  const std::string bytes = readFile(dir.file("a"));
  ASSERT_EQ(bytes.size(), 2 * values.size());
  for (size_t i = 0; i < values.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(bytes[2 * i]) |
                  static_cast<unsigned char>(bytes[2 * i + 1]) << 8,
              toCode16(values[i], 1023))
        << i;
}

// PQ takes the peak and diffuse white given; HLG takes peak white 1000
// only, for the look and every export, and a failed run leaves an existing
// file alone.
TEST(KalvoraLut, HdrPeakWhiteFollowsTheCoresRules) {
  LutGeneratorImageCore core;
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  ASSERT_EQ(core.setParam(kLutParamPeakWhite, 4000.0), kNoError);
  ASSERT_EQ(core.setParam(kLutParamDiffuseWhite, 200.0), kNoError);
  expectCubeValues(runOk({"lut", "--size", "9", "--target", "pq", "--set", "peak-white=4000",
                          "--set", "diffuse-white=200"})
                       .out,
                   cameraView(core, 9), 9);

  ScratchDir dir;
  const Args hlg = {"lut", "--target", "hlg", "-o", dir.file("a"), "--set"};
  runOk(hlg + Args{"peak-white=1000", "--size", "3"});
  const std::string before = readFile(dir.file("a"));
  for (const char* node : {"10", "11", "15"}) {
    const ToolRun run = runTool(hlg + Args{"peak-white=2000", "--node", node});
    EXPECT_EQ(run.status, 1);
    EXPECT_PRED2(contains, run.err, "for HLG (library error 3)");
  }
  EXPECT_EQ(readFile(dir.file("a")), before);
  EXPECT_EQ(dir.entries().size(), 1u);
}

// Usage errors, also those found while applying the settings, exit with 2
// and one line; errors while writing with 1. No file is left behind.
TEST(KalvoraLut, BadUsageAndUnwritableOutputLeaveNoFile) {
  ScratchDir dir;
  const struct {
    Args args;
    const char* fragment;
  } cases[] = {
      {{"lut", "--target", "rec709"}, "lut: unknown target 'rec709'"},
      {{"lut", "--ei", "100"}, "exposure-index 100 is out of range"},
      {{"lut", "--set", "normalization-gain=2"}, "is derived and read-only"},
      {{"camera", "--set", "knee=1.5"}, "camera: knee 1.5 is out of range"},
      {{"render"}, "kalvora: unknown subcommand 'render'"},
  };
  for (const auto& c : cases) {
    const ToolRun run = runTool(c.args + Args{"-o", dir.file("a.cube")});
    EXPECT_EQ(run.status, 2) << c.fragment;
    EXPECT_PRED2(contains, run.err, c.fragment);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  const ToolRun unwritable = runTool({"lut", "--size", "3", "-o", dir.file("missing/a.cube")});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_PRED2(contains, unwritable.err, dir.file("missing") + ": No such file or directory\n");
  EXPECT_TRUE(dir.entries().empty());
}

TEST(KalvoraTool, HelpAndVersion) {
  EXPECT_PRED2(contains, runOk({"--help"}).out, "Usage: kalvora <command> [options]");
  for (const char* command : {"lut", "camera", "info", "cdl"}) {
    const ToolRun sub = runOk({command, "--help"});
    EXPECT_PRED2(contains, sub.out, std::string("Usage: kalvora ") + command);
    EXPECT_EQ(runOk({"help", command}).out, sub.out);
  }
  const std::string version = runOk({"--version"}).out;
  EXPECT_EQ(version.compare(0, 8, "kalvora "), 0);
  EXPECT_EQ(std::count(version.begin(), version.end(), '\n'), 1);
}

// Every parameter of both cores appears in the listing under its readable
// name, with the targets and the accepted values of the choices.
TEST(KalvoraTool, InfoListsEveryParameterOfBothCoresByName) {
  const std::string out = runOk({"info"}).out;
  LutGeneratorImageCore lut;
  KestaImageCore camera(1, kPipelineSingleBranch);
  for (Tool::CoreKind kind : {Tool::kLutCore, Tool::kCameraCore}) {
    ::Kalvora::Kalvora& core =
        kind == Tool::kLutCore ? static_cast<::Kalvora::Kalvora&>(lut) : camera;
    for (int i = 0; i < core.getNumParameters(); ++i) {
      const Tool::ParamName* name = Tool::findParamById(kind, core.getParameters()[i]->id);
      ASSERT_NE(name, nullptr) << core.getParameters()[i]->id;
      EXPECT_PRED2(contains, out, std::string(" ") + name->name + " ");
    }
  }
  EXPECT_PRED2(contains, out, ColorSpaces::identifier(AcesProxy));
  EXPECT_PRED2(contains, out, "1000, 2000 or 4000");
}
