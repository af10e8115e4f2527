#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvrToolOptions.h"

using namespace Kalvora::Tool;

namespace {

Options parse(std::vector<std::string> args) { return parseOptions(args); }

// The usage error message of the arguments, or "" when they parse.
std::string usageError(std::vector<std::string> args) {
  try {
    parseOptions(args);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "";
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(ToolOptions, LutDefaultsAreTheCameraViewAtThirtyThreePointsForRec1886) {
  const Options options = parse({"lut"});
  EXPECT_EQ(options.command, Command::kLut);
  EXPECT_EQ(options.node, 11u);
  EXPECT_EQ(effectiveSize(options), 33);
  EXPECT_EQ(options.target, "rec1886");
  EXPECT_EQ(options.format, FileFormat::kCube);
  EXPECT_EQ(options.maxValue, 65535);
  EXPECT_TRUE(options.settings.empty());
  EXPECT_EQ(options.output, "-");
  EXPECT_FALSE(options.halfGrid);
  EXPECT_FALSE(options.hasTitle);
}

TEST(ToolOptions, ValuesFollowTheOptionOrAnEqualsSign) {
  EXPECT_EQ(parse({"lut", "--size", "17"}).size, 17);
  EXPECT_EQ(parse({"lut", "--size=17"}).size, 17);
  EXPECT_EQ(parse({"lut", "-o", "a.cube"}).output, "a.cube");
  EXPECT_EQ(parse({"lut", "-oa.cube"}).output, "a.cube");
  EXPECT_EQ(parse({"lut", "--output=a.cube"}).output, "a.cube");
  EXPECT_EQ(parse({"lut", "--title", "A = B"}).title, "A = B");
  EXPECT_EQ(parse({"lut", "--node", "12", "--node", "15"}).node, 15u);
  EXPECT_EQ(parse({"lut", "--format", "raw16", "--max-value", "1023"}).maxValue, 1023);
  EXPECT_EQ(parse({"lut", "--target", "com.apple.proapps.colorspace.rec2100.d65.pq"}).target,
            "com.apple.proapps.colorspace.rec2100.d65.pq");
}

TEST(ToolOptions, SettingsKeepTheirOrderAndResolveNamesAndIds) {
  const Options options = parse({"lut", "--set", "cdl-slope-red=1.5", "--ei", "1600", "--set",
                                 "3001=-0.25", "--set=peak-white=2000"});
  ASSERT_EQ(options.settings.size(), 4u);
  EXPECT_EQ(options.settings[0].param->id, 3011u);
  EXPECT_EQ(options.settings[0].value, 1.5);
  EXPECT_EQ(options.settings[1].param->id, 1001u);
  EXPECT_EQ(options.settings[1].value, 1600.0);
  EXPECT_STREQ(options.settings[2].param->name, "cdl-offset-red");
  EXPECT_EQ(options.settings[2].value, -0.25);
  EXPECT_EQ(options.settings[3].param->id, 5078u);
}

TEST(ToolOptions, CameraNamesMapToTheCameraIds) {
  const Options options =
      parse({"camera", "--set", "log-offset-red=0.1", "--set", "video-slope-blue=1.2", "--p3",
             "--false-color", "--set", "5021=0.8"});
  ASSERT_EQ(options.settings.size(), 3u);
  EXPECT_EQ(options.settings[0].param->id, 3001u);
  EXPECT_EQ(options.settings[1].param->id, 5003u);
  EXPECT_STREQ(options.settings[2].param->name, "video-power-red");
  EXPECT_TRUE(options.p3);
  EXPECT_TRUE(options.falseColor);
  EXPECT_EQ(options.curve, CameraCurve::kNone);
}

TEST(ToolOptions, CameraCurvesAreOneDimensionalWithTheirOwnSizes) {
  const Options log = parse({"camera", "--curve", "log"});
  EXPECT_EQ(log.curve, CameraCurve::kLog);
  EXPECT_EQ(effectiveSize(log), 4096);
  EXPECT_EQ(parse({"camera", "--curve=tonemap", "--size", "65536"}).size, 65536);
  EXPECT_EQ(effectiveSize(parse({"camera"})), 33);
  EXPECT_TRUE(contains(usageError({"camera", "--curve", "log", "--size", "255"}),
                       "--size 255 is out of range for a 1-D LUT (accepted: 256 to 65536)"));
  EXPECT_TRUE(contains(usageError({"camera", "--size", "4096"}),
                       "--size 4096 is out of range for a 3-D LUT (accepted: 3 to 65)"));
}

TEST(ToolOptions, BadUsageNamesTheProblemAndWhatIsAccepted) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{}, "missing subcommand (accepted: lut, camera, info"},
      {{"grade"}, "unknown subcommand 'grade' (accepted: lut, camera, info"},
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"lut", "--p3"}, "lut: unknown option '--p3' (see 'kalvora lut --help')"},
      {{"lut", "extra"}, "lut: unexpected argument 'extra'"},
      {{"camera", "--node", "10"}, "camera: unknown option '--node'"},
      {{"info", "-o", "x"}, "info: unknown option '-o'"},
      {{"lut", "--size"}, "lut: option --size needs a value"},
      {{"lut", "--size", "2"}, "lut: --size 2 is out of range for a 3-D LUT (accepted: 3 to 65)"},
      {{"lut", "--size", "66"}, "(accepted: 3 to 65)"},
      {{"lut", "--size", "99999999999999999999"}, "out of range for a 3-D LUT"},
      {{"lut", "--size", "17.5"}, "lut: --size '17.5' is not a whole number"},
      {{"lut", "--node", "16"}, "lut: unknown node '16' (accepted: 10, 11, 12, 13, 14, 15)"},
      {{"lut", "--node", "ten"}, "unknown node 'ten'"},
      {{"lut", "--format", "csp"}, "lut: unknown format 'csp' (accepted: cube, clf, 3dl, raw16)"},
      {{"lut", "--format", "3dl", "--size", "3"}, "--format 3dl needs --size 4 or more"},
      {{"lut", "--user-lut-size", "17"}, "lut: --user-lut-size needs --user-lut"},
      {{"lut", "--user-lut", "a.cube", "--user-lut-size", "1"},
       "--user-lut-size 1 is out of range (accepted: 2 to 65)"},
      {{"cdl", "--cdl-id", "shot1"}, "cdl: --cdl-id needs --cdl"},
      {{"lut", "--note", "x"}, "lut: --note applies only with --save-look"},
      {{"lut", "--save-look", "a", "-o", "a"}, "--save-look and -o name the same file"},
      {{"look", "save", "--note", std::string(1025, 'n')}, "--note is longer than 1024 bytes"},
      {{"look", "save", "--node", "10"}, "look save: unknown option '--node'"},
      {{"look", "show"}, "look show: missing FILE"},
      {{"look", "show", "a.look", "b.look"}, "look show: unexpected argument 'b.look'"},
      {{"look", "grade"}, "look: unknown action 'grade' (accepted: save, show)"},
      {{"look"}, "look: missing action (accepted: save, show)"},
      {{"cdl", "-o", "grade.xml"}, "cdl: cannot tell the CDL format of 'grade.xml'"},
      {{"cdl", "--set", "knee=0.3"}, "cdl: parameter 'knee' is not part of the ASC CDL"},
      {{"cdl", "--ei", "800"}, "cdl: unknown option '--ei'"},
      {{"lut", "--format", "raw16", "--max-value", "65536"},
       "lut: --max-value 65536 is out of range (accepted: 1 to 65535)"},
      {{"lut", "--max-value", "1023"}, "--max-value applies only to --format raw16"},
      {{"lut", "--format", "raw16", "--title", "x"},
       "--title applies only to --format cube and clf"},
      {{"lut", "--title", "say \"hi\""}, "--title must not contain double quotes"},
      {{"lut", "--title", "two\nlines"}, "--title must not contain"},
      {{"lut", "--node", "10", "--half-grid", "--size", "32"},
       "--half-grid needs an odd --size (got 32)"},
      {{"lut", "--half-grid=yes"}, "option --half-grid takes no value"},
      {{"lut", "--half-grid"}, "--half-grid is available for node 10 only"},
      {{"lut", "--half-grid", "--node", "12"}, "--half-grid is available for node 10 only"},
      {{"camera", "--curve", "log", "--p3"}, "--p3 does not apply to --curve"},
      {{"camera", "--false-color", "--curve", "tonemap"},
       "--false-color does not apply to --curve"},
      {{"lut", "--set", "cdl-slope-red"}, "--set needs PARAM=VALUE, got 'cdl-slope-red'"},
      {{"lut", "--set", "=1"}, "--set needs PARAM=VALUE"},
      {{"lut", "--set", "slope=1"}, "lut: unknown parameter 'slope'"},
      {{"lut", "--set", "log-offset-red=0.1"}, "unknown parameter 'log-offset-red'"},
      {{"lut", "--set", "9999=1"}, "unknown parameter '9999'"},
      {{"lut", "--set", "cdl-slope-red=1.0x"}, "value of cdl-slope-red '1.0x' is not a number"},
      {{"lut", "--set", "cdl-slope-red="}, "is not a number"},
      {{"lut", "--set", "cdl-slope-red=nan"}, "is not a number"},
      {{"lut", "--set", "cdl-slope-red=inf"}, "is not a number"},
      {{"lut", "--set", "cdl-slope-red= 1"}, "is not a number"},
      {{"lut", "--ei", "fast"}, "value of exposure-index 'fast' is not a number"},
      {{"lut", "--set", "peak-white=1500"},
       "lut: peak-white 1500 is not accepted (accepted: 1000, 2000 or 4000)"},
      {{"lut", "--set", "diffuse-white=150"}, "(accepted: 100 or 200)"},
      {{"lut", "-o", ""}, "-o needs a file name"},
      {{"lut", "--target", ""}, "--target needs a name"},
      {{"camera", "--set", "cdl-slope-red=1"}, "camera: unknown parameter 'cdl-slope-red'"},
      {{"camera", "--set", "tint=2"}, "camera: parameter 'tint' does not change the camera LUT"},
      {{"camera", "--curve", "gamma"}, "camera: unknown curve 'gamma' (accepted: log, tonemap)"},
      {{"camera", "--p3=1"}, "option --p3 takes no value"},
      {{"help", "grade"}, "no help for 'grade'"},
  };
  for (const Case& c : cases) {
    const std::string message = usageError(c.args);
    EXPECT_TRUE(contains(message, c.message)) << "got: " << message << "\nwanted: " << c.message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
}

TEST(ToolOptions, HelpListsEveryOption) {
  struct Case {
    Command topic;
    std::vector<const char*> options;
  };
  const Case cases[] = {
      {Command::kLut,
       {"--output", "--node", "--size", "--look", "--target", "--user-lut", "--user-lut-size",
        "--cdl", "--cdl-id", "--ei", "--set", "--half-grid", "--format", "--max-value", "--title",
        "--save-look", "--note", "--lut-name", "--help"}},
      {Command::kLookSave,
       {"look save", "look show", "--output", "--look", "--target", "--user-lut", "--user-lut-size",
        "--cdl", "--cdl-id", "--ei", "--set", "--note", "--lut-name", "--json", "--help"}},
      {Command::kCdl, {"--output", "--look", "--cdl", "--cdl-id", "--set", "--help"}},
      {Command::kUsage, {"lut", "camera", "look save", "look show", "cdl", "info", "--version"}},
  };
  for (const Case& c : cases)
    for (const char* option : c.options) EXPECT_TRUE(contains(helpText(c.topic), option)) << option;
  EXPECT_EQ(parse({"look", "--help"}).helpTopic, Command::kLookSave);
  EXPECT_EQ(parse({"look", "show", "-h"}).helpTopic, Command::kLookSave);
  EXPECT_EQ(parse({"help", "cdl"}).helpTopic, Command::kCdl);
  const Options show = parse({"look", "show", "--json", "a.look"});
  EXPECT_EQ(show.command, Command::kLookShow);
  EXPECT_EQ(show.input, "a.look");
  EXPECT_TRUE(show.json);
}
