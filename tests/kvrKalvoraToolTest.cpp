// End-to-end tests of the kalvora program: `kalvora lut`, `kalvora info`,
// help, version and the failure behaviour, checked against what the LUT
// generator core itself returns for the same settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "kvrColorSpaces.h"
#include "kvrCubeParser.h"
#include "kvrKestaImageCore.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrToolNames.h"
#include "kvrToolRunner.h"

using namespace Kalvora;
using namespace KalvoraTest;

namespace {

using Codes = std::vector<unsigned short>;

Codes codesFor(int size) { return Codes(3 * static_cast<size_t>(size) * size * size); }

Codes lookLut(const LutGeneratorImageCore& core, int size, bool halfGrid = false,
              int maxValue = 65535) {
  Codes codes = codesFor(size);
  EXPECT_EQ(core.get3dLut(10, size, codes.data(), kLutInterleaved, maxValue, halfGrid), kNoError);
  return codes;
}

// Parses a 3-D Cube text and compares every value with the library's codes
// (library layout: blue fastest); the file lists red fastest.
void expectCubeMatches(const std::string& text, const Codes& codes, int size) {
  ParsedCube cube;
  ASSERT_EQ(parseCube(text, cube), "");
  ASSERT_EQ(cube.size3d, size);
  const long n = size;
  for (size_t k = 0; k < cube.points.size(); ++k) {
    const long r = static_cast<long>(k) % n;
    const long g = static_cast<long>(k) / n % n;
    const long b = static_cast<long>(k) / (n * n);
    for (int c = 0; c < 3; ++c)
      ASSERT_EQ(std::lround(cube.points[k][c] * 65535.0), codes[3 * ((r * n + g) * n + b) + c])
          << "point " << k << " channel " << c;
  }
}

ToolRun runOk(const std::vector<std::string>& args) {
  ToolRun run = runTool(args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  return run;
}

size_t lineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

}  // namespace

TEST(KalvoraLut, DefaultIsNodeTenAtThirtyThreePointsForRec1886) {
  const ToolRun run = runOk({"lut"});
  LutGeneratorImageCore core;
  ASSERT_TRUE(core.good());
  expectCubeMatches(run.out, lookLut(core, 33), 33);
  ParsedCube cube;
  ASSERT_EQ(parseCube(run.out, cube), "");
  EXPECT_EQ(cube.title, "");
  EXPECT_NE(run.out.find("# target: com.apple.proapps.colorspace.rec1886\n"), std::string::npos);
}

TEST(KalvoraLut, WritesTheFileNamedByOutputAndNothingElse) {
  ScratchDir dir;
  const ToolRun toFile = runOk({"lut", "-o", dir.file("look.cube"), "--title", "Night look"});
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"look.cube"});
  const ToolRun toStdout = runOk({"lut", "--title", "Night look", "-o", "-"});
  EXPECT_EQ(readFile(dir.file("look.cube")), toStdout.out);
  EXPECT_EQ(toStdout.out.compare(0, 19, "TITLE \"Night look\"\n"), 0);
}

TEST(KalvoraLut, SettingsChangeTheLookAsTheCoreSays) {
  const ToolRun run =
      runOk({"lut", "--size", "17", "--set", "cdl-slope-red=1.5", "--set", "video-saturation=0.8",
             "--set", "5051=1.2", "--set", "knee=0.3", "--ei", "1600"});
  LutGeneratorImageCore core;
  ASSERT_EQ(core.setParam(3011, 1.5), kNoError);
  ASSERT_EQ(core.setParam(5040, 0.8), kNoError);
  ASSERT_EQ(core.setParam(5051, 1.2), kNoError);
  ASSERT_EQ(core.setParam(4002, 0.3), kNoError);
  ASSERT_EQ(core.setParam(1001, 1600.0), kNoError);
  const Codes expected = lookLut(core, 17);
  expectCubeMatches(run.out, expected, 17);
  LutGeneratorImageCore plain;
  EXPECT_NE(lookLut(plain, 17), expected);
}

TEST(KalvoraLut, TargetsByShortNameAndIdentifier) {
  const char* identifier[] = {"com.apple.proapps.colorspace.p3.d65.gamma26",
                              "com.apple.proapps.colorspace.dci.d65.gamma26"};
  LutGeneratorImageCore core;
  core.setTargetColorSpace(core.getColorSpaceInfo(P3D65Gamma26));
  const Codes expected = lookLut(core, 9);
  for (const char* name : {"p3-d65", identifier[0], identifier[1]})
    expectCubeMatches(runOk({"lut", "--size", "9", "--target", name}).out, expected, 9);

  for (int id = 0; id < 8; ++id) {
    const std::string shortName = Tool::targetNames()[id].shortName;
    LutGeneratorImageCore target;
    target.setTargetColorSpace(target.getColorSpaceInfo(static_cast<ColorSpace>(id)));
    const ToolRun run = runOk({"lut", "--size", "5", "--target", shortName});
    expectCubeMatches(run.out, lookLut(target, 5), 5);
    EXPECT_NE(run.out.find(std::string("# target: ") + ColorSpaces::identifier(ColorSpace(id))),
              std::string::npos);
  }
}

TEST(KalvoraLut, ExportNodesAreTheCoresExports) {
  for (unsigned int node : {12u, 13u, 14u, 15u}) {
    LutGeneratorImageCore core;
    core.setTargetColorSpace(core.getColorSpaceInfo(Rec2020Gamma24));
    ASSERT_EQ(core.setParam(3040, 1.3), kNoError);
    Codes expected = codesFor(9);
    ASSERT_EQ(core.export3dLut(node, 9, expected.data(), kLutInterleaved, 65535), kNoError);
    const ToolRun run = runOk({"lut", "--node", std::to_string(node), "--size", "9", "--target",
                               "rec2020", "--set", "cdl-saturation=1.3"});
    expectCubeMatches(run.out, expected, 9);
  }
}

TEST(KalvoraLut, HdrPeakWhiteFollowsTheCoresRules) {
  LutGeneratorImageCore core;
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  ASSERT_EQ(core.setParam(5078, 4000.0), kNoError);
  ASSERT_EQ(core.setParam(5077, 200.0), kNoError);
  expectCubeMatches(runOk({"lut", "--size", "9", "--target", "pq", "--set", "peak-white=4000",
                           "--set", "diffuse-white=200"})
                        .out,
                    lookLut(core, 9), 9);

  // HLG takes peak white 1000 only, for node 10 and for every export.
  ScratchDir dir;
  for (const char* node : {"10", "12", "15"}) {
    const ToolRun run = runTool({"lut", "--target", "hlg", "--node", node, "--set",
                                 "peak-white=2000", "-o", dir.file("hlg.cube")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kalvora: lut: Illegal value of peak white for HLG (library error 3)\n");
    EXPECT_TRUE(dir.entries().empty());
  }
  runOk({"lut", "--target", "hlg", "--set", "peak-white=1000", "--size", "3"});
}

TEST(KalvoraLut, BadUsageExitsWithTwoOneLineAndNoFile) {
  ScratchDir dir;
  const std::string out = dir.file("look.cube");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"lut", "--node", "11", "-o", out},
       "kalvora: lut: unknown node '11' (accepted: 10, 12, 13, 14, 15)\n"},
      {{"lut", "--size", "1", "-o", out},
       "kalvora: lut: --size 1 is out of range for a 3-D LUT (accepted: 3 to 65)\n"},
      {{"lut", "--target", "rec709", "-o", out},
       "kalvora: lut: unknown target 'rec709' (accepted: rec1886, rec2020, p3-dci, p3-d65, "
       "p3-d60, pq, hlg, acesproxy, or a colour space identifier that 'kalvora info' lists)\n"},
      {{"lut", "--set", "cdl-slope-red=2.5", "-o", out},
       "kalvora: lut: cdl-slope-red 2.5 is out of range (accepted: 0.5 to 2)\n"},
      {{"lut", "--ei", "100", "-o", out},
       "kalvora: lut: exposure-index 100 is out of range (accepted: 160 to 3200)\n"},
      {{"lut", "--set", "normalization-gain=2", "-o", out},
       "kalvora: lut: parameter normalization-gain is derived and read-only\n"},
      {{"lut", "--set", "grain=1", "-o", out},
       "kalvora: lut: unknown parameter 'grain' (accepted: a name or id that 'kalvora info' "
       "lists for the LUT generator)\n"},
      {{"lut", "--set", "peak-white=3000", "-o", out},
       "kalvora: lut: peak-white 3000 is not accepted (accepted: 1000, 2000 or 4000)\n"},
      {{"lut", "--bogus", "-o", out},
       "kalvora: lut: unknown option '--bogus' (see 'kalvora lut --help')\n"},
      {{"render"},
       "kalvora: unknown subcommand 'render' (accepted: lut, camera, info, --help, "
       "--version)\n"},
      {{}, "kalvora: missing subcommand (accepted: lut, camera, info; see 'kalvora --help')\n"},
  };
  for (const Case& c : cases) {
    const ToolRun run = runTool(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, c.message);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(dir.entries().empty());
  }
}

TEST(KalvoraLut, AFailedRunLeavesAnExistingFileAlone) {
  ScratchDir dir;
  const std::string path = dir.file("look.cube");
  runOk({"lut", "--size", "3", "-o", path});
  const std::string before = readFile(path);
  EXPECT_EQ(runTool({"lut", "--size", "3", "--set", "knee=7", "-o", path}).status, 2);
  EXPECT_EQ(
      runTool({"lut", "--size", "3", "--target", "hlg", "--set", "peak-white=4000", "-o", path})
          .status,
      1);
  EXPECT_EQ(readFile(path), before);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"look.cube"});
}

TEST(KalvoraTool, HelpAndVersion) {
  const ToolRun help = runOk({"--help"});
  EXPECT_NE(help.out.find("Usage: kalvora <command> [options]"), std::string::npos);
  for (const char* command : {"lut", "camera", "info"}) {
    const ToolRun sub = runOk({command, "--help"});
    EXPECT_NE(sub.out.find(std::string("Usage: kalvora ") + command), std::string::npos);
    EXPECT_EQ(runOk({"help", command}).out, sub.out);
  }
  const ToolRun version = runOk({"--version"});
  EXPECT_EQ(version.out.compare(0, 8, "kalvora "), 0);
  EXPECT_EQ(lineCount(version.out), 1u);
}

// Every parameter of both cores appears in the listing under its readable
// name, and the name table agrees with the cores.
TEST(KalvoraTool, InfoListsEveryParameterOfBothCoresByName) {
  const ToolRun run = runOk({"info"});
  LutGeneratorImageCore lut;
  KestaImageCore camera(1, kPipelineSingleBranch);
  struct Core {
    ::Kalvora::Kalvora* core;
    Tool::CoreKind kind;
  };
  for (const Core& c : {Core{&lut, Tool::kLutCore}, Core{&camera, Tool::kCameraCore}}) {
    PipelineParameter* const* parameters = c.core->getParameters();
    std::set<unsigned int> ids;
    for (int i = 0; i < c.core->getNumParameters(); ++i) {
      const PipelineParameter& parameter = *parameters[i];
      ids.insert(parameter.id);
      const Tool::ParamName* name = Tool::findParamById(c.kind, parameter.id);
      ASSERT_NE(name, nullptr) << parameter.id;
      EXPECT_NE(run.out.find(" " + std::to_string(parameter.id) + " "), std::string::npos);
      EXPECT_NE(run.out.find(std::string(" ") + name->name + " "), std::string::npos);
      for (int k = 0; k < name->choiceCount; ++k)
        EXPECT_TRUE(parameter.minimum <= name->choices[k] && name->choices[k] <= parameter.maximum)
            << name->name;
    }
    const PipelineVocabulary& vocabulary = Tool::vocabulary(c.kind);
    for (int k = 0; k < vocabulary.paramCount; ++k)
      EXPECT_EQ(ids.count(vocabulary.params[k].id), 1u) << vocabulary.params[k].name;
  }
  for (int id = 0; id < 8; ++id)
    EXPECT_NE(run.out.find(ColorSpaces::identifier(static_cast<ColorSpace>(id))),
              std::string::npos);
  EXPECT_NE(run.out.find("peak-white"), std::string::npos);
  EXPECT_NE(run.out.find("1000, 2000 or 4000"), std::string::npos);
}
