// End-to-end tests of the kalvora program with the files colourists bring
// and take away: looks and raw video-LUT atoms, LUT files of other tools,
// ASC CDL files, the CLF and 3dl outputs, malformed inputs, and the
// README's examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kvrCubeParser.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrMetaDataAtomKeys.h"
#include "kvrToolRunner.h"

using namespace Kalvora;
using namespace KalvoraTest;

namespace {

using Args = std::vector<std::string>;

ToolRun runOk(const Args& args) {
  ToolRun run = runTool(args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  return run;
}

Args operator+(Args a, const Args& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The data points of a Cube file in file order.
std::vector<std::array<double, 3>> cubePoints(const std::string& text) {
  ParsedCube cube;
  EXPECT_EQ(parseCube(text, cube), "");
  return cube.points;
}

// Largest difference of two Cube files in 16-bit codes.
double codeDifference(const std::string& a, const std::string& b) {
  const auto pa = cubePoints(a);
  const auto pb = cubePoints(b);
  EXPECT_EQ(pa.size(), pb.size());
  double largest = pa.size() == pb.size() ? 0.0 : 1e9;
  for (size_t k = 0; k < std::min(pa.size(), pb.size()); ++k)
    for (int c = 0; c < 3; ++c) largest = std::max(largest, std::fabs(pa[k][c] - pb[k][c]));
  return largest * 65535.0;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A raw video-LUT atom of the core's current look.
std::string rawAtom(LutGeneratorImageCore& core) {
  unsigned int size = 0;
  EXPECT_EQ(core.getMetaDataSize(vornraw_lut3d_atom_key, size), kNoError);
  std::string atom(size, '\0');
  EXPECT_EQ(core.getMetaData(vornraw_lut3d_atom_key, &atom[0]), kNoError);
  return atom;
}

const Args kLookSettings = {"--set", "cdl-slope-red=1.25", "--set", "video-saturation=0.75", "--ei",
                            "1600",  "--target",           "p3-d65"};

}  // namespace

// Values that are exact as floats survive the look file unchanged, so the
// baked look equals the settings exactly.
TEST(KalvoraLook, SavedLookListsAndBakesTheSettings) {
  ScratchDir dir;
  const std::string look = dir.file("day.look");
  runOk(Args{"look", "save"} + kLookSettings +
        Args{"--note", "day \"exterior\"", "--lut-name", "grade.cube", "-o", look});
  const std::string json = runOk({"look", "show", "--json", look}).out;
  for (const char* part :
       {"\"kind\": \"look file\"", "\"targetName\": \"p3-d65\"",
        "\"name\": \"cdl-slope-red\", \"value\": 1.25, \"default\": 1, \"changed\": true",
        "\"name\": \"video-saturation\", \"value\": 0.75",
        "\"name\": \"exposure-index\", \"value\": 1600",
        "\"name\": \"knee\", \"value\": 0.5, "
        "\"default\": 0.5, \"changed\": false",
        "\"userLut\": null", "\"lutFileName\": \"grade.cube\"",
        "\"note\": \"day \\\"exterior\\\"\"", "\"digest\": {\"kind\": \"CRC\", \"matches\": true}"})
    EXPECT_TRUE(contains(json, part)) << part << "\n" << json;
  EXPECT_TRUE(contains(runOk({"look", "show", look}).out, "* cdl-slope-red            1.25\n"));

  const Args lut = {"lut", "--size", "9"};
  EXPECT_EQ(cubePoints(runOk(lut + Args{"--look", look}).out),
            cubePoints(runOk(lut + kLookSettings).out));
  // Settings go on top of the look, the target too.
  EXPECT_EQ(
      cubePoints(runOk(lut + Args{"--look", look, "--target", "rec2020", "--ei", "800"}).out),
      cubePoints(runOk(lut + kLookSettings + Args{"--target", "rec2020", "--ei", "800"}).out));
  // lut --save-look writes what look save writes.
  runOk(lut + kLookSettings + Args{"--save-look", dir.file("b.look"), "-o", dir.file("b.cube")});
  runOk(Args{"look", "save"} + kLookSettings + Args{"-o", dir.file("c.look")});
  EXPECT_EQ(readFile(dir.file("b.look")), readFile(dir.file("c.look")));
}

TEST(KalvoraLook, RawAtomsAreLooksAndTheirDigestIsChecked) {
  LutGeneratorImageCore core;
  ASSERT_EQ(core.setParam(5040, 1.25), kNoError);
  core.setTargetColorSpace(core.getColorSpaceInfo(P3D65Gamma26));
  ScratchDir dir;
  const std::string atom = rawAtom(core);
  writeFile(dir.file("clip.atom"), atom);
  EXPECT_EQ(cubePoints(runOk({"lut", "--size", "9", "--look", dir.file("clip.atom")}).out),
            cubePoints(runOk({"lut", "--size", "9", "--set", "video-saturation=1.25", "--target",
                              "p3-d65"})
                           .out));
  const std::string json = runOk({"look", "show", "--json", dir.file("clip.atom")}).out;
  EXPECT_TRUE(contains(json, "\"kind\": \"raw video-LUT atom\"")) << json;
  EXPECT_TRUE(contains(json, "\"name\": \"video-saturation\", \"value\": 1.25")) << json;
  EXPECT_TRUE(contains(json, "\"digest\": {\"kind\": \"MD5\", \"matches\": true}")) << json;

  // A changed byte in the LUT chunk: shown, but reported, and never baked.
  std::string corrupt = atom;
  corrupt[300] = static_cast<char>(corrupt[300] ^ 1);
  writeFile(dir.file("corrupt.atom"), corrupt);
  const ToolRun show = runTool({"look", "show", dir.file("corrupt.atom")});
  EXPECT_EQ(show.status, 1);
  EXPECT_TRUE(contains(show.out, "MD5: does not match\n")) << show.out;
  EXPECT_EQ(show.err, "kalvora: look show: " + dir.file("corrupt.atom") +
                          ": the MD5 digest does not match the atom's content (the file is "
                          "corrupt)\n");
  const ToolRun bake = runTool({"lut", "--look", dir.file("corrupt.atom"), "-o", dir.file("x")});
  EXPECT_EQ(bake.status, 1);
  EXPECT_TRUE(contains(bake.err, "MD5 digest does not match")) << bake.err;
  EXPECT_FALSE(contains(readFile(dir.file("x")), "LUT"));
}

// What kalvora writes, read back as a user LUT, reproduces its grid (node 15
// is the user LUT itself); CLF and 3dl agree with the Cube within their
// precision.
TEST(KalvoraLook, LutFilesReadBackAsUserLuts) {
  ScratchDir dir;
  const Args look = {"lut", "--node", "10", "--set", "knee=0.3", "--size", "17"};
  const std::string cube = runOk(look + Args{"-o", dir.file("a.cube")}).out;
  runOk(look + Args{"--format", "clf", "-o", dir.file("a.clf")});
  runOk(look + Args{"--format", "3dl", "-o", dir.file("a.3dl")});
  const std::string written = readFile(dir.file("a.cube"));
  struct Case {
    const char* file;
    double codes;
  };
  for (const Case& c : {Case{"a.cube", 1.0}, Case{"a.clf", 1.0}, Case{"a.3dl", 9.0}}) {
    const ToolRun back =
        runOk({"lut", "--user-lut", dir.file(c.file), "--node", "15", "--size", "17"});
    EXPECT_LE(codeDifference(back.out, written), c.codes) << c.file;
  }
  EXPECT_TRUE(contains(readFile(dir.file("a.clf")), "outBitDepth=\"32f\""));

  // A Resolve-style Cube without domain lines, sampled on its own 2-point
  // grid: half of the identity.
  writeFile(dir.file("half.cube"),
            "LUT_3D_SIZE 2\n0 0 0\n0.5 0 0\n0 0.5 0\n0.5 0.5 0\n0 0 0.5\n0.5 0 0.5\n0 0.5 "
            "0.5\n0.5 0.5 0.5\n");
  const auto points = cubePoints(
      runOk({"lut", "--user-lut", dir.file("half.cube"), "--node", "15", "--size", "3"}).out);
  ASSERT_EQ(points.size(), 27u);
  EXPECT_NEAR(points[13][0], 0.25, 1e-4);
  EXPECT_NEAR(points[26][2], 0.5, 1e-4);
  runOk({"look", "save", "--user-lut", dir.file("half.cube"), "--user-lut-size", "5", "-o",
         dir.file("half.look")});
  const std::string shown = runOk({"look", "show", dir.file("half.look")}).out;
  EXPECT_TRUE(contains(shown, "user 3-D LUT: 33 points\nLUT file name: half.cube\n")) << shown;
}

TEST(KalvoraLook, CdlFilesRoundTrip) {
  ScratchDir dir;
  const Args cdl = {"--set", "cdl-slope-red=1.05", "--set", "cdl-offset-green=-0.02",
                    "--set", "cdl-power-blue=0.9", "--set", "cdl-saturation=1.1"};
  const std::string direct = runOk(Args{"cdl"} + cdl).out;
  const std::string lut = runOk(Args{"lut", "--size", "9"} + cdl).out;
  for (const char* name : {"a.cc", "a.ccc", "a.cdl"}) {
    runOk(Args{"cdl"} + cdl + Args{"-o", dir.file(name)});
    EXPECT_EQ(runOk({"cdl", "--cdl", dir.file(name)}).out, direct) << name;
    EXPECT_EQ(cubePoints(runOk({"lut", "--size", "9", "--cdl", dir.file(name)}).out),
              cubePoints(lut))
        << name;
  }
  EXPECT_TRUE(contains(readFile(dir.file("a.ccc")), "<ColorCorrection id=\"a\">"));

  // --cdl-id picks a correction of a collection.
  writeFile(dir.file("two.ccc"),
            "<ColorCorrectionCollection xmlns=\"urn:ASC:CDL:v1.01\">\n"
            "<ColorCorrection id=\"a\"><SOPNode><Slope>1.2 1 1</Slope><Offset>0 0 0</Offset>"
            "<Power>1 1 1</Power></SOPNode></ColorCorrection>\n"
            "<ColorCorrection id=\"b\"><SOPNode><Slope>1 1.3 1</Slope><Offset>0 0 0</Offset>"
            "<Power>1 1 1</Power></SOPNode></ColorCorrection>\n"
            "</ColorCorrectionCollection>\n");
  EXPECT_TRUE(contains(runOk({"cdl", "--cdl", dir.file("two.ccc")}).out, "<Slope>1.2 1 1<"));
  EXPECT_TRUE(contains(runOk({"cdl", "--cdl", dir.file("two.ccc"), "--cdl-id", "b"}).out,
                       "<Slope>1 1.3 1<"));
}

TEST(KalvoraLook, MalformedInputsFailWithOneAndLeaveNoOutput) {
  ScratchDir inputs;
  runOk({"look", "save", "--set", "knee=0.3", "-o", inputs.file("good.look")});
  const std::string look = readFile(inputs.file("good.look"));
  writeFile(inputs.file("short.look"), look.substr(0, 300));
  writeFile(inputs.file("magic.look"), "KOLX" + look.substr(4));
  std::string badCrc = look;
  badCrc[1500] = static_cast<char>(badCrc[1500] ^ 1);
  writeFile(inputs.file("crc.look"), badCrc);
  LutGeneratorImageCore core;
  writeFile(inputs.file("short.atom"), rawAtom(core).substr(0, 100));
  writeFile(inputs.file("notes.txt"), "not a LUT\n");
  writeFile(inputs.file("bad.cube"), "LUT_3D_SIZE 3\n0 0 0\n");
  writeFile(inputs.file("empty.cc"), "<ColorDecisionList xmlns=\"urn:ASC:CDL:v1.01\"/>\n");
  writeFile(inputs.file("steep.cc"),
            "<ColorCorrection id=\"x\"><SOPNode><Slope>2.5 1 1</Slope><Offset>0 0 0</Offset>"
            "<Power>1 1 1</Power></SOPNode></ColorCorrection>\n");
  const std::string missing = inputs.file("missing");
  struct Case {
    Args args;
    std::string message;  // after "kalvora: <command>: <file>: "
  };
  const std::vector<Case> cases = {
      {{"lut", "--look", inputs.file("short.look")},
       "Illegal size of look file! (library error 3)"},
      {{"lut", "--look", inputs.file("magic.look")},
       "The magic word does not match! (library error 8)"},
      {{"look", "save", "--look", inputs.file("crc.look")},
       "The CRC value does not match! (library error 10)"},
      {{"lut", "--look", inputs.file("short.atom")},
       "Illegal size of metadata buffer! (library error 3)"},
      {{"lut", "--user-lut", inputs.file("notes.txt")}, "not a LUT file OpenColorIO reads: "},
      {{"lut", "--user-lut", inputs.file("bad.cube")}, "not a LUT file OpenColorIO reads: "},
      {{"cdl", "--cdl", inputs.file("empty.cc")}, "not an ASC CDL that OpenColorIO reads: "},
      {{"lut", "--cdl", inputs.file("steep.cc")},
       "cdl-slope-red 2.5 is out of range (accepted: 0.5 to 2)"},
      {{"lut", "--look", missing}, "No such file or directory"},
      {{"lut", "--user-lut", missing}, "No such file or directory"},
      {{"cdl", "--cdl", missing}, "No such file or directory"},
  };
  ScratchDir out;
  for (const Case& c : cases) {
    const std::string input = c.args.back();
    const std::string command = c.args[0] == "look" ? "look " + c.args[1] : c.args[0];
    const ToolRun run = runTool(c.args + Args{"-o", out.file("out.cc")});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(contains(run.err, "kalvora: " + command + ": " + input + ": " + c.message))
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(out.entries().empty()) << c.args[1];
  }
  const ToolRun show = runTool({"look", "show", missing});
  EXPECT_EQ(show.status, 1);
  EXPECT_EQ(show.err, "kalvora: look show: " + missing + ": No such file or directory\n");
  EXPECT_EQ(show.out, "");
}

// Every example of the README runs, and every option of a lut, look save or
// cdl example that sets part of the look changes its output: leaving the
// option out gives a different file.
TEST(KalvoraLook, ReadmeExamplesChangeWhatTheyClaim) {
  std::ifstream readme(KALVORA_TEST_DATA_DIR "/../../README.md");
  ASSERT_TRUE(readme.good());
  ScratchDir dir;
  writeFile(dir.file("grade.cube"),
            "LUT_3D_SIZE 2\n0 0 0\n0.9 0 0\n0 0.8 0\n0.9 0.8 0\n0 0 0.7\n0.9 0 0.7\n0 0.8 "
            "0.7\n0.9 0.8 0.7\n");
  const std::vector<std::string> fileOptions = {"-o", "--look", "--cdl", "--user-lut",
                                                "--save-look"};
  const std::vector<std::string> lookOptions = {"--set",  "--ei",       "--target", "--node",
                                                "--look", "--user-lut", "--cdl"};
  int examples = 0;
  for (std::string line; std::getline(readme, line);) {
    if (line.compare(0, 12, "    kalvora ") != 0) continue;
    std::istringstream words(line.substr(0, line.find('#')));
    Args args;
    for (std::string word; words >> word;) {
      if (word.front() == '"') {  // a quoted value: up to the closing quote
        std::string rest;
        while (word.back() != '"' && words >> rest) word += " " + rest;
        word = word.substr(1, word.size() - 2);
      }
      const bool isFile = !args.empty() && std::find(fileOptions.begin(), fileOptions.end(),
                                                     args.back()) != fileOptions.end();
      args.push_back(isFile || (args.size() == 3 && args[2] == "show") ? dir.file(word) : word);
    }
    args.erase(args.begin());  // "kalvora"
    ++examples;
    const ToolRun run = runTool(args);
    ASSERT_EQ(run.status, 0) << line << "\n" << run.err;
    const bool writesLook = args[0] == "lut" || args[0] == "cdl" || args[1] == "save";
    if (!writesLook) continue;
    const std::string output = args[std::find(args.begin(), args.end(), "-o") - args.begin() + 1];
    const std::string written = readFile(output);
    for (size_t i = 0; i < args.size(); ++i) {
      if (std::find(lookOptions.begin(), lookOptions.end(), args[i]) == lookOptions.end()) continue;
      Args without = args;
      without.erase(without.begin() + static_cast<long>(i),
                    without.begin() + static_cast<long>(i) + 2);
      const std::string other = dir.file("without" + output.substr(output.rfind('.')));
      std::replace(without.begin(), without.end(), output, other);
      ASSERT_EQ(runTool(without).status, 0) << line;
      EXPECT_NE(readFile(other), written)
          << line << ": " << args[i] << " " << args[i + 1] << " changes nothing";
    }
  }
  EXPECT_GE(examples, 10);
}
