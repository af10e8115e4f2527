#include <gtest/gtest.h>

#include <algorithm>
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

// Every channel c of got is curves[c] after the inverse of the video gamma;
// without curves (playback) the inverse gamma alone.
void expectGamma(const LutFuncRgb& got, const LutFuncInv& gamma, const VideoCurve* curves) {
  for (int i = 0; i < kSamples; ++i) {
    const double x = sampleAt(i), v = gamma.inverse(x);
    double out[3];
    got.transform(x, out[0], out[1], out[2]);
    for (int c = 0; c < 3; ++c)
      ASSERT_DOUBLE_EQ(out[c], curves ? curves[c].transform(v) : v) << x << " channel " << c;
  }
}

struct Rgb {
  double r, g, b;
};

Rgb channels(const LutFuncRgb& func, double x) {
  Rgb out;
  func.transform(x, out.r, out.g, out.b);
  return out;
}

void expectMatrix(KestaProcessBranch& branch, const double (&want)[9]) {
  double got[9];
  branch.getColorSpaceMatrix(got);
  for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(got[i], want[i]) << "entry " << i;
}

template <class Action>
void expectSignal(ErrorCode code, const std::string& message, Action&& action) {
  try {
    action();
    ADD_FAILURE() << "no signal";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), code);
    EXPECT_EQ(std::string(signal.what()), message);
  }
}

class BranchTest : public testing::Test {
protected:
  BranchTest() : elvex(kestaElvexparam, 800.0) { branch.updateElvex(elvex); }

  static std::vector<std::string> reports() { return KalvoraTest::ReportCapture::messages(); }

  KalvoraTest::ReportCapture capture;
  Elvex elvex;
  KestaProcessBranch branch;
};

// ---- Default branch and settings ------------------------------------------------

TEST_F(BranchTest, ToneMapSpansTheEncodingFromBlackToClipping) {
  const LutFunc& tone = branch.getToneMapLut();
  EXPECT_NEAR(tone.transform(kestaElvexparam.encodingBlack), kToneRangeLow, 1e-15);
  EXPECT_NEAR(tone.transform(std::min(1.0, elvex.getMaxValue())), 1.0, 1e-15);
  // A new encoding moves the domain.
  Elvex bright(kestaElvexparam, 3200.0);
  branch.updateElvex(bright);
  expectSameCurve(branch.getToneMapLut(), normalised(KestaToneMapCurve(0.5, 0.5), bright));
}

TEST_F(BranchTest, MatrixFollowsOutputAndSaturation) {
  double want[9];
  branch.setSaturation(0.4);
  satRgbMat(gKestaWgTmRec709Mat, gLumaFactors, 0.4, want);
  expectMatrix(branch, want);
  branch.setSaturation(1.0);
  branch.setP3Output(true);
  expectMatrix(branch, gKestaWgTmP3Mat);
  const VideoCurve neutral[3];
  expectGamma(branch.getGammaLut(), Pfwl::sGamma26, neutral);
}

TEST_F(BranchTest, LogOffsetsAndVideoParametersShapeTheirOwnChannel) {
  branch.setLogParameter(3001, -0.2);
  branch.setLogParameter(3003, 0.25);
  const Rgb got = channels(branch.getLogLut(), 0.1);
  EXPECT_DOUBLE_EQ(got.r, 0.0);  // clamped at black
  EXPECT_DOUBLE_EQ(got.g, 0.1);
  EXPECT_DOUBLE_EQ(got.b, 0.35);
  EXPECT_DOUBLE_EQ(channels(branch.getLogLut(), 0.9).b, 1.0);  // clamped at white

  branch.setVideoParameter(5001, 1.5);   // red slope
  branch.setVideoParameter(5012, -0.1);  // green offset
  branch.setVideoParameter(5023, 1.3);   // blue power
  branch.setVideoParameter(5032, 0.1);   // green pedestal
  VideoCurve curves[3];
  curves[0].setSlope(1.5);
  curves[1].setOffset(-0.1);
  curves[1].setPedestal(0.1);
  curves[2].setPower(1.3);
  expectGamma(branch.getGammaLut(), Pfwl::sGamma24, curves);
}

TEST_F(BranchTest, UnknownParametersAndIllegalToneShapesAreRejected) {
  for (unsigned int id : {3000u, 3004u, 5001u})
    expectSignal(kUnknownId, "Unknown parameter", [&] { branch.setLogParameter(id, 0.1); });
  for (unsigned int id : {5000u, 5004u, 5014u, 5024u, 5034u, 5040u, 3001u})
    expectSignal(kUnknownId, "Unknown parameter", [&] { branch.setVideoParameter(id, 0.1); });

  // A rejected tone shape keeps the previous one.
  branch.setTonemapParam(0.2, 0.8);
  KestaToneMapCurve shaped(0.2, 0.8);
  expectSameCurve(branch.getToneMapLut(), normalised(shaped, elvex));
  expectSignal(kIllegalValue, "Illegal value for black gamma",
               [&] { branch.setTonemapParam(-0.1, 0.5); });
  expectSignal(kIllegalValue, "Illegal value for knee point",
               [&] { branch.setTonemapParam(0.5, 1.1); });
  expectSameCurve(branch.getToneMapLut(), normalised(shaped, elvex));
}

// ---- Modes ----------------------------------------------------------------------

TEST_F(BranchTest, LogOutputMakesToneMatrixAndGammaIdentities) {
  branch.setVideoMode(false);
  EXPECT_EQ(&branch.getToneMapLut(), &LutFunc::sUnity);
  expectMatrix(branch, gUnityMatrix);
  EXPECT_EQ(&branch.getGammaLut(), &LutFuncRgb::sUnity);
  branch.setPlaybackMode(true);  // does not change the log output
  EXPECT_EQ(&branch.getToneMapLut(), &LutFunc::sUnity);
}

TEST_F(BranchTest, FalseColourOnTheVideoSignalPaintsDisplayLightBands) {
  branch.setFalseColorMode(true);
  // Luma only: saturation 0.
  double luma[9];
  satRgbMat(gKestaWgTmRec709Mat, gLumaFactors, 0.0, luma);
  expectMatrix(branch, luma);

  // The bands are the display-light table seen through the video gamma, so a
  // display-light value is painted by the band that holds it.
  const LutFuncRgb& paint = branch.getGammaLut();
  const double painted[][4] = {{0.001, 0.7f, 0, 1},   {0.003, 0, 0, 1}, {0.115, 0, 1, 0},
                               {0.22, 1, 0.7f, 0.7f}, {0.95, 1, 1, 0},  {1.0, 1, 0, 0}};
  for (const auto& p : painted) {
    const Rgb got = channels(paint, p[0]);
    EXPECT_EQ(got.r, p[1]) << p[0];
    EXPECT_EQ(got.g, p[2]) << p[0];
    EXPECT_EQ(got.b, p[3]) << p[0];
  }
  EXPECT_DOUBLE_EQ(channels(paint, 0.5).r, Pfwl::sGamma24.inverse(0.5));
  EXPECT_DOUBLE_EQ(channels(paint, 0.5).b, Pfwl::sGamma24.inverse(0.5));

  // With P3 output the same bands go through gamma 2.6.
  branch.setP3Output(true);
  EXPECT_DOUBLE_EQ(channels(branch.getGammaLut(), 0.5).g, Pfwl::sGamma26.inverse(0.5));
  EXPECT_EQ(channels(branch.getGammaLut(), 0.115).g, 1.0);
}

TEST_F(BranchTest, FalseColourOnTheLogSignalFollowsTheEncoding) {
  branch.setVideoMode(false);
  branch.setFalseColorMode(true);
  double luma[9];
  satRgbMat(gUnityMatrix, gLumaFactors, 0.0, luma);
  expectMatrix(branch, luma);

  const FalseColorLut::ColorRange* bands = branch.getLogRanges();
  const double grey = kestaElvexparam.encodingOffset;
  const double limits[6][2] = {
      {0.0, elvex.valueZeroBase(2.5f / 65535.0f)},
      {elvex.valueZeroBase(2.5f / 65535.0f), elvex.valueZeroBase(10.0f / 65535.0f)},
      {grey - 0.0104, grey + 0.0104},
      {elvex.skinValue() - 0.0104, elvex.skinValue() + 0.0104},
      {elvex.transform(0.62996f), elvex.transform(0.7937f)},
      {elvex.transform(0.7937f), 1.001}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(bands[i].min, limits[i][0]) << i;
    EXPECT_EQ(bands[i].max, limits[i][1]) << i;
    EXPECT_EQ(bands[i].red, KestaProcessBranch::sVideoFalseColor[i].red) << i;
    EXPECT_EQ(bands[i].blue, KestaProcessBranch::sVideoFalseColor[i].blue) << i;
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

  // Reshaping the built-in curve does not disturb the user table, and a new
  // encoding rescales it.
  branch.setTonemapParam(0.1, 0.9);
  expectSameCurve(branch.getToneMapLut(), normalised(user, elvex));
  Elvex slower(kestaElvexparam, 200.0);
  branch.updateElvex(slower);
  expectSameCurve(branch.getToneMapLut(), normalised(user, slower));

  branch.resetUserLut();
  EXPECT_FALSE(branch.hasUserLut());
  expectSameCurve(branch.getToneMapLut(), normalised(KestaToneMapCurve(0.1, 0.9), slower));
}

// ---- Whole branch as one 3-D function -------------------------------------------

// Without a video gamma to render, the branch reports and keeps the last one.
TEST_F(BranchTest, RenderWithoutVideoGammaReportsAndKeepsTheLastOne) {
  Rgb before, grey, log;
  branch.getVideoRenderLut().transform(0.3, 0.4, 0.5, before.r, before.g, before.b);
  branch.setFalseColorMode(true);
  branch.getVideoRenderLut().transform(0.3, 0.4, 0.5, grey.r, grey.g, grey.b);
  EXPECT_EQ(reports(), std::vector<std::string>{"unexpected result, using default"});
  // The matrix stage turned grey; the gamma stage is still the video gamma.
  EXPECT_DOUBLE_EQ(grey.r, grey.g);
  EXPECT_DOUBLE_EQ(grey.g, grey.b);
  EXPECT_NE(before.r, grey.r);

  branch.setFalseColorMode(false);
  branch.setVideoMode(false);
  branch.setLogParameter(3001, 0.1);
  branch.getVideoRenderLut().transform(0.2, 0.5, 0.7, log.r, log.g, log.b);
  EXPECT_EQ(reports().size(), 2u);
  EXPECT_DOUBLE_EQ(log.r, Pfwl::sGamma24.inverse(0.2 + 0.1));
  EXPECT_DOUBLE_EQ(log.g, Pfwl::sGamma24.inverse(0.5));
}

}  // namespace
}  // namespace Kalvora
