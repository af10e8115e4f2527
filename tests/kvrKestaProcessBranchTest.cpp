#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "kvrColorSpaces.h"
#include "kvrElvex.h"
#include "kvrError.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaProcessBranch.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrLut.h"
#include "kvrMath.h"
#include "kvrPfwl.h"
#include "kvrTestSupport.h"
#include "kvrVideoCurve.h"

namespace Kalvora {
namespace {

constexpr double kToneRangeLow = 0.0012210012646391988;  // 5/4095 in single precision
constexpr int kSamples = 129;

double sampleAt(int i) { return -0.05 + 1.1 * i / (kSamples - 1); }

// Records every report so that a test can check what was said.
class ReportLog : public testing::Test {
protected:
  static std::vector<std::string> reports() { return KalvoraTest::ReportCapture::messages(); }

private:
  KalvoraTest::ReportCapture capture_;
};

// The tone map the branch builds from a curve for an encoding.
KestaNormToneMapCurve normalised(const LutFunc& curve, const Elvex& elvex) {
  KestaNormToneMapCurve norm(curve);
  norm.setRange(kToneRangeLow, 1.0);
  norm.setDomain(elvex.getElvexParam().encodingBlack, std::min(1.0, elvex.getMaxValue()));
  return norm;
}

void expectSameCurve(const LutFunc& got, const LutFunc& want) {
  for (int i = 0; i < kSamples; ++i)
    ASSERT_DOUBLE_EQ(got.transform(sampleAt(i)), want.transform(sampleAt(i))) << sampleAt(i);
}

struct Rgb {
  double r, g, b;
};

Rgb channels(const LutFuncRgb& func, double x) {
  Rgb out;
  func.transform(x, out.r, out.g, out.b);
  return out;
}

Rgb render(const LutFunc3D& func, double r, double g, double b) {
  Rgb out;
  func.transform(r, g, b, out.r, out.g, out.b);
  return out;
}

void expectMatrix(const double (&got)[9], const double (&want)[9]) {
  for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(got[i], want[i]) << "entry " << i;
}

void expectSignal(ErrorCode code, const std::string& message, void (*action)()) {
  try {
    action();
    ADD_FAILURE() << "no signal";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), code);
    EXPECT_EQ(std::string(signal.what()), message);
  }
}

class BranchTest : public ReportLog {
protected:
  BranchTest() : elvex(kestaElvexparam, 800.0) { branch.updateElvex(elvex); }

  Elvex elvex;
  KestaProcessBranch branch;
};

// ---- Static table ---------------------------------------------------------------

TEST(KestaProcessBranchTable, VideoFalseColourBandsAreSinglePrecisionConstants) {
  const FalseColorLut::ColorRange* t = KestaProcessBranch::sVideoFalseColor;
  const float bounds[7] = {0.0019f, 0.0039f, 0.1034f, 0.1287f, 0.2084f, 0.2473f, 0.9272f};
  EXPECT_EQ(t[0].min, 0.0);
  EXPECT_EQ(t[0].max, double(bounds[0]));
  EXPECT_EQ(t[1].min, double(bounds[0]));
  EXPECT_EQ(t[1].max, double(bounds[1]));
  EXPECT_EQ(t[2].min, double(bounds[2]));
  EXPECT_EQ(t[2].max, double(bounds[3]));
  EXPECT_EQ(t[3].min, double(bounds[4]));
  EXPECT_EQ(t[3].max, double(bounds[5]));
  EXPECT_EQ(t[4].min, double(bounds[6]));
  EXPECT_EQ(t[4].max, double(0.9754f));
  EXPECT_EQ(t[5].min, double(0.9754f));
  EXPECT_EQ(t[5].max, double(1.1f));
  const double colours[6][3] = {{0.7f, 0, 1},    {0, 0, 1}, {0, 1, 0},
                                {1, 0.7f, 0.7f}, {1, 1, 0}, {1, 0, 0}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(t[i].red, colours[i][0]) << i;
    EXPECT_EQ(t[i].green, colours[i][1]) << i;
    EXPECT_EQ(t[i].blue, colours[i][2]) << i;
  }
}

// ---- Default branch -------------------------------------------------------------

TEST_F(BranchTest, DefaultsAreVideoRec709WithNeutralCurves) {
  EXPECT_TRUE(branch.isVideoMode());
  EXPECT_FALSE(branch.isP3Output());
  EXPECT_FALSE(branch.isPlaybackMode());
  EXPECT_FALSE(branch.isFalseColorMode());
  EXPECT_FALSE(branch.hasUserLut());

  KestaToneMapCurve neutral(0.5, 0.5);
  expectSameCurve(branch.getToneMapLut(), normalised(neutral, elvex));

  double matrix[9];
  branch.getColorSpaceMatrix(matrix);
  expectMatrix(matrix, gKestaWgTmRec709Mat);

  const LutFuncRgb& gamma = branch.getGammaLut();
  for (int i = 0; i < kSamples; ++i) {
    const double want = Pfwl::sGamma24.inverse(sampleAt(i));
    const Rgb got = channels(gamma, sampleAt(i));
    // The neutral video curves clamp to [0, 1].
    const double clamped = std::min(1.0, std::max(0.0, want));
    ASSERT_DOUBLE_EQ(got.r, clamped);
    ASSERT_DOUBLE_EQ(got.g, clamped);
    ASSERT_DOUBLE_EQ(got.b, clamped);
  }

  // No log offsets: the identity clamped to [0, 1].
  const Rgb log = channels(branch.getLogLut(), 0.3);
  EXPECT_EQ(log.r, 0.3);
  EXPECT_EQ(log.g, 0.3);
  EXPECT_EQ(log.b, 0.3);
}

TEST_F(BranchTest, ToneMapSpansTheEncodingFromBlackToClipping) {
  const LutFunc& tone = branch.getToneMapLut();
  EXPECT_NEAR(tone.transform(kestaElvexparam.encodingBlack), kToneRangeLow, 1e-15);
  EXPECT_NEAR(tone.transform(std::min(1.0, elvex.getMaxValue())), 1.0, 1e-15);

  // A new encoding moves the domain.
  Elvex bright(kestaElvexparam, 3200.0);
  branch.updateElvex(bright);
  expectSameCurve(branch.getToneMapLut(), normalised(KestaToneMapCurve(0.5, 0.5), bright));
}

TEST_F(BranchTest, P3OutputUsesTheP3MatrixAndGamma26) {
  branch.setP3Output(true);
  double matrix[9];
  branch.getColorSpaceMatrix(matrix);
  expectMatrix(matrix, gKestaWgTmP3Mat);
  const LutFuncRgb& gamma = branch.getGammaLut();
  for (double x : {0.01, 0.2, 0.5, 0.9}) {
    const Rgb got = channels(gamma, x);
    EXPECT_DOUBLE_EQ(got.g, Pfwl::sGamma26.inverse(x)) << x;
  }
}

TEST_F(BranchTest, SaturationScalesTheMatrix) {
  branch.setSaturation(0.4);
  double matrix[9], want[9];
  branch.getColorSpaceMatrix(matrix);
  satRgbMat(gKestaWgTmRec709Mat, gLumaFactors, 0.4, want);
  expectMatrix(matrix, want);
}

// ---- Settings -------------------------------------------------------------------

TEST_F(BranchTest, LogOffsetsMoveOneChannelEach) {
  branch.setLogParameter(3001, -0.2);
  branch.setLogParameter(3003, 0.25);
  const Rgb got = channels(branch.getLogLut(), 0.1);
  EXPECT_DOUBLE_EQ(got.r, 0.0);  // clamped at black
  EXPECT_DOUBLE_EQ(got.g, 0.1);
  EXPECT_DOUBLE_EQ(got.b, 0.35);
  EXPECT_DOUBLE_EQ(channels(branch.getLogLut(), 0.9).b, 1.0);  // clamped at white
}

TEST_F(BranchTest, VideoParametersShapeTheirOwnChannel) {
  branch.setVideoParameter(5001, 1.5);   // red slope
  branch.setVideoParameter(5012, -0.1);  // green offset
  branch.setVideoParameter(5023, 1.3);   // blue power
  branch.setVideoParameter(5032, 0.1);   // green pedestal
  VideoCurve red, green, blue;
  red.setSlope(1.5);
  green.setOffset(-0.1);
  green.setPedestal(0.1);
  blue.setPower(1.3);
  const LutFuncRgb& gamma = branch.getGammaLut();
  for (int i = 0; i < kSamples; ++i) {
    const double v = Pfwl::sGamma24.inverse(sampleAt(i));
    const Rgb got = channels(gamma, sampleAt(i));
    ASSERT_DOUBLE_EQ(got.r, red.transform(v));
    ASSERT_DOUBLE_EQ(got.g, green.transform(v));
    ASSERT_DOUBLE_EQ(got.b, blue.transform(v));
  }
}

TEST(KestaProcessBranchIds, UnknownParameterIdsAreRejected) {
  for (unsigned int id : {3000u, 3004u, 5001u}) {
    KestaProcessBranch branch;
    try {
      branch.setLogParameter(id, 0.1);
      ADD_FAILURE() << id;
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kUnknownId);
      EXPECT_STREQ(signal.what(), "Unknown parameter");
    }
  }
  for (unsigned int id : {5000u, 5004u, 5014u, 5024u, 5034u, 5040u, 3001u}) {
    KestaProcessBranch branch;
    try {
      branch.setVideoParameter(id, 0.1);
      ADD_FAILURE() << id;
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kUnknownId);
      EXPECT_STREQ(signal.what(), "Unknown parameter");
    }
  }
}

TEST_F(BranchTest, ToneShapeFollowsTheControlsAndKeepsItWhenRejected) {
  branch.setTonemapParam(0.2, 0.8);
  KestaToneMapCurve shaped(0.2, 0.8);
  expectSameCurve(branch.getToneMapLut(), normalised(shaped, elvex));

  expectSignal(kIllegalValue, "Illegal value for black gamma", [] {
    KestaProcessBranch b;
    b.setTonemapParam(-0.1, 0.5);
  });
  try {
    branch.setTonemapParam(0.5, 1.1);
    ADD_FAILURE();
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kIllegalValue);
    EXPECT_STREQ(signal.what(), "Illegal value for knee point");
  }
  expectSameCurve(branch.getToneMapLut(), normalised(shaped, elvex));
}

// ---- Modes ----------------------------------------------------------------------

TEST_F(BranchTest, PlaybackUsesTheVideoGammaAndBypassesTheVideoCurves) {
  branch.setVideoParameter(5001, 2.0);
  branch.setPlaybackMode(true);
  EXPECT_EQ(&branch.getToneMapLut(), &Pfwl::sGamma24);
  const LutFuncRgb& gamma = branch.getGammaLut();
  for (double x : {0.0, 0.1, 0.4, 0.8, 1.0}) {
    const Rgb got = channels(gamma, x);
    EXPECT_DOUBLE_EQ(got.r, Pfwl::sGamma24.inverse(x)) << x;
    EXPECT_DOUBLE_EQ(got.b, Pfwl::sGamma24.inverse(x)) << x;
  }
}

TEST_F(BranchTest, LogOutputMakesToneMatrixAndGammaIdentities) {
  branch.setVideoMode(false);
  EXPECT_EQ(&branch.getToneMapLut(), &LutFunc::sUnity);
  double matrix[9];
  branch.getColorSpaceMatrix(matrix);
  expectMatrix(matrix, gUnityMatrix);
  EXPECT_EQ(&branch.getGammaLut(), &LutFuncRgb::sUnity);
  // Playback does not change the log output.
  branch.setPlaybackMode(true);
  EXPECT_EQ(&branch.getToneMapLut(), &LutFunc::sUnity);
}

TEST_F(BranchTest, FalseColourOnTheVideoSignalPaintsDisplayLightBands) {
  branch.setFalseColorMode(true);
  double matrix[9], luma[9];
  branch.getColorSpaceMatrix(matrix);
  satRgbMat(gKestaWgTmRec709Mat, gLumaFactors, 0.0, luma);
  expectMatrix(matrix, luma);
  for (int c = 0; c < 3; ++c) {
    const double row = gLumaFactors[0] * gKestaWgTmRec709Mat[c] +
                       gLumaFactors[1] * gKestaWgTmRec709Mat[3 + c] +
                       gLumaFactors[2] * gKestaWgTmRec709Mat[6 + c];
    EXPECT_NEAR(matrix[c], row, 1e-15);
    EXPECT_NEAR(matrix[3 + c], row, 1e-15);
    EXPECT_NEAR(matrix[6 + c], row, 1e-15);
  }

  // The bands are the display-light table seen through the video gamma, so a
  // display-light value is painted by the band that holds it.
  const LutFuncRgb& paint = branch.getGammaLut();
  const struct {
    double x, r, g, b;
  } painted[] = {{0.001, 0.7f, 0, 1},   {0.003, 0, 0, 1}, {0.115, 0, 1, 0},
                 {0.22, 1, 0.7f, 0.7f}, {0.95, 1, 1, 0},  {1.0, 1, 0, 0}};
  for (const auto& p : painted) {
    const Rgb got = channels(paint, p.x);
    EXPECT_EQ(got.r, p.r) << p.x;
    EXPECT_EQ(got.g, p.g) << p.x;
    EXPECT_EQ(got.b, p.b) << p.x;
  }
  const Rgb grey = channels(paint, 0.5);
  EXPECT_DOUBLE_EQ(grey.r, Pfwl::sGamma24.inverse(0.5));
  EXPECT_DOUBLE_EQ(grey.b, Pfwl::sGamma24.inverse(0.5));

  // With P3 output the same bands go through gamma 2.6.
  branch.setP3Output(true);
  const Rgb greyP3 = channels(branch.getGammaLut(), 0.5);
  EXPECT_DOUBLE_EQ(greyP3.g, Pfwl::sGamma26.inverse(0.5));
  EXPECT_EQ(channels(branch.getGammaLut(), 0.115).g, 1.0);
}

TEST_F(BranchTest, FalseColourOnTheLogSignalFollowsTheEncoding) {
  branch.setVideoMode(false);
  branch.setFalseColorMode(true);
  double matrix[9], luma[9];
  branch.getColorSpaceMatrix(matrix);
  satRgbMat(gUnityMatrix, gLumaFactors, 0.0, luma);
  expectMatrix(matrix, luma);

  const FalseColorLut::ColorRange* bands = branch.getLogRanges();
  const double grey = kestaElvexparam.encodingOffset;
  EXPECT_EQ(bands[0].min, 0.0);
  EXPECT_EQ(bands[0].max, elvex.valueZeroBase(2.5f / 65535.0f));
  EXPECT_EQ(bands[1].min, bands[0].max);
  EXPECT_EQ(bands[1].max, elvex.valueZeroBase(10.0f / 65535.0f));
  EXPECT_EQ(bands[2].min, grey - 0.0104);
  EXPECT_EQ(bands[2].max, grey + 0.0104);
  EXPECT_EQ(bands[3].min, elvex.skinValue() - 0.0104);
  EXPECT_EQ(bands[3].max, elvex.skinValue() + 0.0104);
  EXPECT_EQ(bands[4].min, elvex.transform(0.62996f));
  EXPECT_EQ(bands[4].max, elvex.transform(0.7937f));
  EXPECT_EQ(bands[5].min, bands[4].max);
  EXPECT_EQ(bands[5].max, 1.001);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(bands[i].red, KestaProcessBranch::sVideoFalseColor[i].red);
    EXPECT_EQ(bands[i].blue, KestaProcessBranch::sVideoFalseColor[i].blue);
  }

  const LutFuncRgb& paint = branch.getGammaLut();
  EXPECT_EQ(channels(paint, grey).g, 1.0);
  EXPECT_EQ(channels(paint, grey).r, 0.0);
  EXPECT_EQ(channels(paint, elvex.skinValue()).r, 1.0);
  EXPECT_EQ(channels(paint, elvex.transform(0.7)).b, 0.0);  // yellow
  EXPECT_EQ(channels(paint, 1.0).g, 0.0);                   // red
  EXPECT_EQ(channels(paint, 0.6).g, 0.6);                   // grey, no gamma
  // The bands move with the exposure index.
  Elvex faster(kestaElvexparam, 3200.0);
  branch.updateElvex(faster);
  EXPECT_EQ(bands[3].min, faster.skinValue() - 0.0104);
}

// ---- User tone table ------------------------------------------------------------

TEST_F(BranchTest, UserTableReplacesTheToneCurveUntilReset) {
  const unsigned short table[5] = {0, 100, 500, 900, 1023};
  branch.setUserLut(table, 5, 1023);
  EXPECT_TRUE(branch.hasUserLut());
  Lut user(table, 5, 1023);
  expectSameCurve(branch.getToneMapLut(), normalised(user, elvex));

  // Reshaping the built-in curve does not disturb the user table ...
  branch.setTonemapParam(0.1, 0.9);
  expectSameCurve(branch.getToneMapLut(), normalised(user, elvex));
  // ... and a new encoding rescales it.
  Elvex slower(kestaElvexparam, 200.0);
  branch.updateElvex(slower);
  expectSameCurve(branch.getToneMapLut(), normalised(user, slower));

  branch.resetUserLut();
  EXPECT_FALSE(branch.hasUserLut());
  expectSameCurve(branch.getToneMapLut(), normalised(KestaToneMapCurve(0.1, 0.9), slower));
}

// ---- Whole branch as one 3-D function -------------------------------------------

TEST_F(BranchTest, RenderChainsLogOffsetToneMatrixAndGamma) {
  branch.setLogParameter(3002, 0.05);
  branch.setSaturation(1.2);
  branch.setVideoParameter(5021, 1.1);  // red power
  branch.setTonemapParam(0.4, 0.6);

  KestaToneMapCurve curve(0.4, 0.6);
  KestaNormToneMapCurve tone = normalised(curve, elvex);
  double matrix[9];
  satRgbMat(gKestaWgTmRec709Mat, gLumaFactors, 1.2, matrix);
  VideoCurve red;
  red.setPower(1.1);
  LutFuncCdl greenOffset(1.0, 0.05, 1.0);
  const LutFunc3D& chain = branch.getVideoRenderLut();
  for (double r : {0.05, 0.4, 0.9})
    for (double g : {0.1, 0.39, 0.7})
      for (double b : {0.0, 0.5, 1.0}) {
        const double t[3] = {tone.transform(r), tone.transform(greenOffset.transform(g)),
                             tone.transform(b)};
        double m[3];
        for (int row = 0; row < 3; ++row) {
          const double v =
              (matrix[3 * row] * t[0] + matrix[3 * row + 1] * t[1]) + matrix[3 * row + 2] * t[2];
          m[row] = std::min(1.0, std::max(0.0, v));
        }
        const Rgb got = render(chain, r, g, b);
        ASSERT_DOUBLE_EQ(got.r, red.transform(Pfwl::sGamma24.inverse(m[0])));
        ASSERT_DOUBLE_EQ(got.g, std::min(1.0, Pfwl::sGamma24.inverse(m[1])));
        ASSERT_DOUBLE_EQ(got.b, std::min(1.0, Pfwl::sGamma24.inverse(m[2])));
      }
  EXPECT_TRUE(reports().empty());
}

TEST_F(BranchTest, RenderInFalseColourReportsAndKeepsTheVideoGamma) {
  const Rgb before = render(branch.getVideoRenderLut(), 0.3, 0.4, 0.5);
  branch.setFalseColorMode(true);
  const Rgb grey = render(branch.getVideoRenderLut(), 0.3, 0.4, 0.5);
  ASSERT_EQ(reports().size(), 1u);
  EXPECT_EQ(reports()[0], "unexpected result, using default");
  // The matrix stage turned grey; the gamma stage is still the video gamma.
  EXPECT_DOUBLE_EQ(grey.r, grey.g);
  EXPECT_DOUBLE_EQ(grey.g, grey.b);
  EXPECT_NE(before.r, grey.r);
}

TEST_F(BranchTest, RenderOfTheLogOutputReportsAndKeepsTheLastVideoGamma) {
  branch.getGammaLut();  // configures the gamma stage for video
  branch.setVideoMode(false);
  branch.setLogParameter(3001, 0.1);
  const Rgb got = render(branch.getVideoRenderLut(), 0.2, 0.5, 0.7);
  ASSERT_EQ(reports().size(), 1u);
  EXPECT_DOUBLE_EQ(got.r, Pfwl::sGamma24.inverse(0.2 + 0.1));
  EXPECT_DOUBLE_EQ(got.g, Pfwl::sGamma24.inverse(0.5));
}

}  // namespace
}  // namespace Kalvora
