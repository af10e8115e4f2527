// End-to-end tests of the kalvora program with the files colourists bring
// and take away: looks and raw video-LUT atoms, LUT files of other tools,
// ASC CDL files, the CLF and 3dl outputs, and malformed inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "kvrLutGeneratorImageCore.h"
#include "kvrMetaDataAtomKeys.h"
#include "kvrPipelineVocabulary.h"
#include "kvrTestSupport.h"
#include "kvrToolRunner.h"

using namespace Kalvora;
using namespace KalvoraTest;

namespace {

std::vector<std::array<double, 3>> cubePoints(const std::string& text) {
  ParsedCube cube;
  EXPECT_EQ(parseCube(text, cube), "");
  return cube.points;
}

// A raw video-LUT atom of the core's current look.
std::string rawAtom(LutGeneratorImageCore& core) {
  unsigned int size = 0;
  EXPECT_EQ(core.getMetaDataSize(vornraw_lut3d_atom_key, size), kNoError);
  std::string atom(size, '\0');
  EXPECT_EQ(core.getMetaData(vornraw_lut3d_atom_key, &atom[0]), kNoError);
  return atom;
}

// A one-correction ASC CDL with the given slopes.
std::string colorCorrection(const char* id, const char* slope) {
  return std::string("<ColorCorrection id=\"") + id + "\"><SOPNode><Slope>" + slope +
         "</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode></ColorCorrection>\n";
}

const Args kLook = {"--set", "cdl-slope-red=1.25", "--ei", "1600", "--target", "p3-d65"};
const Args kLut = {"lut", "--size", "9"};

}  // namespace

// Values that are exact as floats survive the look file unchanged, so the
// baked look equals the settings exactly; settings given as well go on top.
TEST(KalvoraLook, SavedLookListsAndBakesTheSettings) {
  ScratchDir dir;
  const std::string look = dir.file("day.look");
  runOk(Args{"look", "save"} + kLook +
        Args{"--note", "day \"x\"", "--lut-name", "g.cube", "-o", look});
  const std::string json = runOk({"look", "show", "--json", look}).out;
  for (const char* part :
       {"\"targetName\": \"p3-d65\"",
        "\"name\": \"cdl-slope-red\", \"value\": 1.25, \"default\": 1, \"changed\": true",
        "\"lutFileName\": \"g.cube\"", "\"note\": \"day \\\"x\\\"\"",
        "\"digest\": {\"kind\": \"CRC\", \"matches\": true}"})
    EXPECT_PRED2(contains, json, part);
  EXPECT_PRED2(contains, runOk({"look", "show", look}).out, "* cdl-slope-red            1.25\n");
  const Args onTop = {"--target", "rec2020", "--ei", "800"};
  EXPECT_EQ(cubePoints(runOk(kLut + Args{"--look", look} + onTop).out),
            cubePoints(runOk(kLut + kLook + onTop).out));
  // lut --save-look writes what look save writes.
  runOk(kLut + kLook + Args{"--save-look", dir.file("b.look"), "-o", dir.file("b.cube")});
  runOk(Args{"look", "save"} + kLook + Args{"-o", dir.file("c.look")});
  EXPECT_EQ(readFile(dir.file("b.look")), readFile(dir.file("c.look")));
}

TEST(KalvoraLook, RawAtomsAreLooksAndTheirDigestIsChecked) {
  LutGeneratorImageCore core;
  ASSERT_EQ(core.setParam(kLutParamVideoSaturation, 1.25), kNoError);
  core.setTargetColorSpace(core.getColorSpaceInfo(P3D65Gamma26));
  ScratchDir dir;
  std::string atom = rawAtom(core);
  writeFile(dir.file("clip.atom"), atom);
  EXPECT_EQ(
      cubePoints(runOk(kLut + Args{"--look", dir.file("clip.atom")}).out),
      cubePoints(runOk(kLut + Args{"--set", "video-saturation=1.25", "--target", "p3-d65"}).out));
  const std::string json = runOk({"look", "show", "--json", dir.file("clip.atom")}).out;
  EXPECT_PRED2(contains, json, "\"name\": \"video-saturation\", \"value\": 1.25");
  EXPECT_PRED2(contains, json, "\"digest\": {\"kind\": \"MD5\", \"matches\": true}");

  // A changed byte in the LUT chunk: shown, but reported, and never baked.
  atom[300] = static_cast<char>(atom[300] ^ 1);
  writeFile(dir.file("bad.atom"), atom);
  const ToolRun show = runTool({"look", "show", dir.file("bad.atom")});
  EXPECT_EQ(show.status, 1);
  EXPECT_PRED2(contains, show.out, "MD5: does not match\n");
  EXPECT_PRED2(contains, show.err, "the MD5 digest does not match the atom's content");
  EXPECT_EQ(runTool({"lut", "--look", dir.file("bad.atom"), "-o", dir.file("x")}).status, 1);
  EXPECT_EQ(dir.entries().size(), 2u);
}

// What kalvora writes, read back as a user LUT, reproduces its grid (the
// export without the transform is the user LUT itself); CLF and 3dl agree
// with the Cube within their precision.
TEST(KalvoraLook, LutFilesReadBackAsUserLuts) {
  ScratchDir dir;
  const Args look = {"lut", "--node", "10", "--set", "knee=0.3", "--size", "17"};
  const auto points = cubePoints(runOk(look).out);
  for (const char* format : {"cube", "clf", "3dl"}) {
    const std::string file = dir.file(std::string("a.") + format);
    runOk(look + Args{"--format", format, "-o", file});
    const auto back =
        cubePoints(runOk({"lut", "--user-lut", file, "--node", "15", "--size", "17"}).out);
    ASSERT_EQ(back.size(), points.size());
    for (size_t k = 0; k < points.size(); ++k)
      for (int c = 0; c < 3; ++c)
        ASSERT_NEAR(back[k][c], points[k][c], (format[0] == '3' ? 9 : 1) / 65535.0) << format;
  }
  // A Cube without domain lines on its own 2-point grid: half the identity.
  writeFile(dir.file("half.cube"),
            "LUT_3D_SIZE 2\n0 0 0\n.5 0 0\n0 .5 0\n.5 .5 0\n0 0 .5\n.5 0 .5\n0 .5 .5\n.5 .5 .5\n");
  const Args half = {"--user-lut", dir.file("half.cube")};
  const auto grid = cubePoints(runOk(Args{"lut", "--node", "15", "--size", "3"} + half).out);
  EXPECT_NEAR(grid.at(13)[0], 0.25, 1e-4);
  EXPECT_NEAR(grid.at(26)[2], 0.5, 1e-4);
  runOk(Args{"look", "save", "--user-lut-size", "5", "-o", dir.file("half.look")} + half);
  EXPECT_PRED2(contains, runOk({"look", "show", dir.file("half.look")}).out,
               "user 3-D LUT: 33 points\nLUT file name: half.cube\n");
}

TEST(KalvoraLook, CdlFilesRoundTripAndCdlIdPicksACorrection) {
  ScratchDir dir;
  const Args cdl = {"--set", "cdl-slope-red=1.05", "--set", "cdl-offset-green=-0.02",
                    "--set", "cdl-power-blue=0.9", "--set", "cdl-saturation=1.1"};
  const std::string direct = runOk(Args{"cdl"} + cdl).out;
  const auto lut = cubePoints(runOk(kLut + cdl).out);
  for (const char* name : {"a.cc", "a.ccc", "a.cdl"}) {
    runOk(Args{"cdl"} + cdl + Args{"-o", dir.file(name)});
    EXPECT_EQ(runOk({"cdl", "--cdl", dir.file(name)}).out, direct) << name;
    EXPECT_EQ(cubePoints(runOk(kLut + Args{"--cdl", dir.file(name)}).out), lut) << name;
  }
  writeFile(dir.file("two.ccc"), "<ColorCorrectionCollection xmlns=\"urn:ASC:CDL:v1.01\">\n" +
                                     colorCorrection("a", "1.2 1 1") +
                                     colorCorrection("b", "1 1.3 1") +
                                     "</ColorCorrectionCollection>\n");
  EXPECT_PRED2(contains, runOk({"cdl", "--cdl", dir.file("two.ccc")}).out, "<Slope>1.2 1 1<");
  EXPECT_PRED2(contains, runOk({"cdl", "--cdl", dir.file("two.ccc"), "--cdl-id", "b"}).out,
               "<Slope>1 1.3 1<");
}

TEST(KalvoraLook, MalformedInputsFailWithOneAndLeaveNoOutput) {
  ScratchDir in;
  runOk({"look", "save", "--set", "knee=0.3", "-o", in.file("good.look")});
  const std::string look = readFile(in.file("good.look"));
  writeFile(in.file("short.look"), look.substr(0, 300));
  writeFile(in.file("magic.look"), "KOLX" + look.substr(4));
  std::string badCrc = look;
  badCrc[1500] = static_cast<char>(badCrc[1500] ^ 1);
  writeFile(in.file("crc.look"), badCrc);
  LutGeneratorImageCore core;
  writeFile(in.file("short.atom"), rawAtom(core).substr(0, 100));
  writeFile(in.file("notes.txt"), "not a LUT\n");
  writeFile(in.file("empty.cc"), "<ColorDecisionList xmlns=\"urn:ASC:CDL:v1.01\"/>\n");
  writeFile(in.file("steep.cc"), colorCorrection("x", "2.5 1 1"));
  const struct {
    Args args;
    const char* fragment;  // after "kalvora: <command>: <file>: "
  } cases[] = {
      {{"lut", "--look", in.file("short.look")}, "Illegal size of look"},
      {{"lut", "--look", in.file("magic.look")}, "The magic word"},
      {{"look", "save", "--look", in.file("crc.look")}, "The CRC value"},
      {{"lut", "--look", in.file("short.atom")}, "Illegal size of metadata"},
      {{"lut", "--user-lut", in.file("notes.txt")}, "not a LUT file OpenColorIO reads: "},
      {{"cdl", "--cdl", in.file("empty.cc")}, "not an ASC CDL that OpenColorIO reads: "},
      {{"lut", "--cdl", in.file("steep.cc")}, "cdl-slope-red 2.5 is out of range"},
  };
  ScratchDir out;
  for (const auto& c : cases) {
    const std::string command = c.args[0] == "look" ? "look " + c.args[1] : c.args[0];
    const ToolRun run = runTool(c.args + Args{"-o", out.file("out.cc")});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_PRED2(contains, run.err,
                 "kalvora: " + command + ": " + c.args.back() + ": " + c.fragment);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(out.entries().empty()) << c.args[1];
  }
}

// Every example of the README runs, with its file names in a scratch folder.
TEST(KalvoraLook, ReadmeExamplesRun) {
  std::ifstream readme(KALVORA_TEST_DATA_DIR "/../../README.md");
  ASSERT_TRUE(readme.good());
  ScratchDir dir;
  writeFile(dir.file("grade.cube"),
            "LUT_3D_SIZE 2\n0 0 0\n.9 0 0\n0 .8 0\n.9 .8 0\n0 0 .7\n.9 0 .7\n0 .8 .7\n.9 .8 .7\n");
  const Args fileOptions = {"-o", "--look", "--cdl", "--user-lut", "--save-look"};
  int examples = 0;
  for (std::string line; std::getline(readme, line);) {
    if (line.compare(0, 12, "    kalvora ") != 0) continue;
    std::istringstream words(line.substr(12, line.find('#') - 12));
    Args args;
    for (std::string word; words >> word;) {
      if (word.front() == '"') {  // a quoted value: up to the closing quote
        for (std::string rest; word.back() != '"' && words >> rest;) word += " " + rest;
        word = word.substr(1, word.size() - 2);
      }
      const bool isFile = !args.empty() && std::find(fileOptions.begin(), fileOptions.end(),
                                                     args.back()) != fileOptions.end();
      args.push_back(isFile || (args.size() == 2 && args[1] == "show") ? dir.file(word) : word);
    }
    ++examples;
    EXPECT_EQ(runTool(args).status, 0) << line;
  }
  EXPECT_GE(examples, 10);
}
