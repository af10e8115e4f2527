// Option parsing and the vocabulary of the kalvora tool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvrPipelineVocabulary.h"
#include "kvrTestSupport.h"
#include "kvrToolNames.h"
#include "kvrToolOptions.h"

using namespace Kalvora;
using namespace Kalvora::Tool;
using KalvoraTest::contains;

namespace {

// The usage error message of the arguments, or "" when they parse.
std::string usageError(std::vector<std::string> args) {
  try {
    parseOptions(args);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(ToolOptions, BadUsageNamesTheProblemOnOneLine) {
  const struct {
    std::vector<std::string> args;
    const char* fragment;
  } cases[] = {
      {{}, "missing subcommand"},
      {{"grade"}, "unknown subcommand 'grade'"},
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"camera", "--node", "10"}, "camera: unknown option '--node'"},
      {{"look", "show", "a.look", "b.look"}, "unexpected argument 'b.look'"},
      {{"lut", "--size"}, "option --size needs a value"},
      {{"camera", "--p3=1"}, "option --p3 takes no value"},
      {{"lut", "--size", "17.5"}, "'17.5' is not a whole number"},
      {{"lut", "--size", "99999999999999999999"}, "out of range for a 3-D LUT"},
      {{"camera", "--curve", "log", "--size", "255"}, "out of range for a 1-D LUT"},
      {{"lut", "--user-lut", "a.cube", "--user-lut-size", "1"}, "--user-lut-size 1 is out of"},
      {{"lut", "--set", "cdl-slope-red"}, "--set needs PARAM=VALUE"},
      {{"lut", "--set", "cdl-slope-red= 1"}, "is not a number"},
      {{"lut", "--set", "cdl-slope-red=1.0x"}, "cdl-slope-red '1.0x' is not a number"},
      {{"lut", "--set", "9999=1"}, "unknown parameter '9999'"},
      {{"lut", "--set", "peak-white=1500"}, "peak-white 1500 is not accepted"},
      {{"camera", "--set", "tint=2"}, "parameter 'tint' does not change the camera LUT"},
      {{"cdl", "--set", "knee=0.3"}, "parameter 'knee' is not part of the ASC CDL"},
      {{"lut", "--title", "say \"hi\""}, "--title must not contain"},
      {{"lut", "--node", "ten"}, "unknown node 'ten'"},
      {{"lut", "--format", "csp"}, "unknown format 'csp'"},
      {{"camera", "--curve", "gamma"}, "unknown curve 'gamma'"},
      {{"look"}, "look: missing action"},
      {{"camera", "--curve", "log", "--p3"}, "--p3 does not apply to --curve"},
      {{"cdl", "--cdl-id", "shot1"}, "--cdl-id needs --cdl"},
      {{"lut", "--half-grid", "--node", "12"}, "--half-grid is available for node 10 only"},
      {{"lut", "--node", "10", "--half-grid", "--size", "32"}, "--half-grid needs an odd --size"},
      {{"lut", "--format", "3dl", "--size", "3"}, "--format 3dl needs --size 4 or more"},
      {{"lut", "--max-value", "1023"}, "--max-value applies only to --format raw16"},
      {{"lut", "--save-look", "a", "-o", "a"}, "--save-look and -o name the same file"},
      {{"look", "save", "--note", std::string(1025, 'n')}, "--note is longer than 1024 bytes"},
      {{"cdl", "-o", "grade.xml"}, "cannot tell the CDL format of 'grade.xml'"},
  };
  for (const auto& c : cases) {
    const std::string message = usageError(c.args);
    EXPECT_PRED2(contains, message, c.fragment);
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
}

TEST(ToolNames, NamesAndIdsFindTheParametersOfTheirCore) {
  EXPECT_EQ(findParam(kCameraCore, "video-slope-red")->id, kCameraParamVideoSlopeRed);
  EXPECT_EQ(findParam(kCameraCore, "3001"), findParam(kCameraCore, "log-offset-red"));
  for (const char* unknown : {"log-offset-red", "+3001", "0", ""})
    EXPECT_EQ(findParam(kLutCore, unknown), nullptr) << unknown;
  // Names stand for the main branch only.
  EXPECT_EQ(findParamById(kCameraCore, kCameraBranch1 + kCameraParamLogOffsetRed), nullptr);
  EXPECT_EQ(describeAllowedValues(*findParam(kLutCore, "diffuse-white")), "100 or 200");
  EXPECT_EQ(findTargetShortName("Rec1886"), -1);
  EXPECT_EQ(findParamById(kLutCore, kLutParamPeakWhite), findParam(kLutCore, "peak-white"));
  EXPECT_STREQ(nodeMeaning(kCameraCore, 99), "");
}
