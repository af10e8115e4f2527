// One output branch of the camera: its tone, matrix and gamma stages, the
// log and video modes, false colour and the user tone table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "kvrColorSpaces.h"
#include "kvrElvex.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaProcessBranch.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrLut.h"
#include "kvrPfwl.h"
#include "kvrPipelineVocabulary.h"
#include "kvrRgbTestSupport.h"
#include "kvrTestSupport.h"

namespace Kalvora {
namespace {

using KalvoraTest::Rgb;

constexpr double kToneRangeLow = 0.0012210012646391988;  // 5/4095 in single precision

// The tone map the branch builds from a curve for an encoding.
KestaNormToneMapCurve normalised(const LutFunc& curve, const Elvex& elvex) {
  KestaNormToneMapCurve norm(curve);
  norm.setRange(kToneRangeLow, 1.0);
  norm.setDomain(elvex.getElvexParam().encodingBlack, std::min(1.0, elvex.getMaxValue()));
  return norm;
}

void expectSameCurve(const LutFunc& got, const LutFunc& want) {
  for (double x = -0.05; x <= 1.05; x += 1.0 / 128)
    ASSERT_DOUBLE_EQ(got.transform(x), want.transform(x)) << x;
}

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

class BranchTest : public KalvoraTest::ReportCaptureTest {
protected:
  BranchTest() : elvex(kestaElvexparam, 800.0) { branch.updateElvex(elvex); }

  Elvex elvex;
  KestaProcessBranch branch;
};

TEST_F(BranchTest, ToneMapSpansTheEncodingFromBlackToClipping) {
  const LutFunc& tone = branch.getToneMapLut();
  EXPECT_NEAR(tone.transform(kestaElvexparam.encodingBlack), kToneRangeLow, 1e-15);
  EXPECT_NEAR(tone.transform(std::min(1.0, elvex.getMaxValue())), 1.0, 1e-15);
  // A new encoding moves the domain; a user table replaces the curve until reset.
  Elvex bright(kestaElvexparam, 3200.0);
  branch.updateElvex(bright);
  expectSameCurve(branch.getToneMapLut(), normalised(KestaToneMapCurve(0.5, 0.5), bright));
  const unsigned short table[5] = {0, 100, 500, 900, 1023};
  branch.setUserLut(table, 5, 1023);
  branch.setTonemapParam(0.1, 0.9);
  expectSameCurve(branch.getToneMapLut(), normalised(Lut(table, 5, 1023), bright));
  branch.resetUserLut();
  EXPECT_FALSE(branch.hasUserLut());
  expectSameCurve(branch.getToneMapLut(), normalised(KestaToneMapCurve(0.1, 0.9), bright));
}

TEST_F(BranchTest, SettingsShapeTheirOwnStage) {
  branch.setLogParameter(kCameraParamLogOffsetRed, -0.2);
  branch.setLogParameter(kCameraParamLogOffsetBlue, 0.25);
  const Rgb log = channels(branch.getLogLut(), 0.1);
  KalvoraTest::expectSame(log, {0.0, 0.1, 0.1 + 0.25});        // red clamped at black
  EXPECT_DOUBLE_EQ(channels(branch.getLogLut(), 0.9).b, 1.0);  // clamped at white

  // Grey follows the video gamma; a slope scales only its own channel.
  const double x = 0.2, grey = Pfwl::sGamma24.inverse(x);
  branch.setVideoParameter(kCameraParamVideoSlopeRed, 1.5);
  const Rgb video = channels(branch.getGammaLut(), x);
  EXPECT_DOUBLE_EQ(video.g, grey);
  EXPECT_GT(video.r, grey);
  EXPECT_DOUBLE_EQ(video.b, grey);
  branch.setP3Output(true);
  EXPECT_DOUBLE_EQ(channels(branch.getGammaLut(), x).b, Pfwl::sGamma26.inverse(x));
  expectMatrix(branch, gKestaWgTmP3Mat);
  // Saturation 0 leaves the luma of the camera matrix.
  branch.setP3Output(false);
  branch.setSaturation(0.0);
  double luma[9];
  satRgbMat(gKestaWgTmRec709Mat, gLumaFactors, 0.0, luma);
  expectMatrix(branch, luma);
}

TEST_F(BranchTest, UnknownParametersAndIllegalToneShapesAreRejected) {
  for (unsigned int id : {3000u, 3004u, 5001u})
    EXPECT_THROW(branch.setLogParameter(id, 0.1), KvrSignal) << id;
  for (unsigned int id : {5000u, 5004u, 5014u, 5024u, 5034u, 5040u, 3001u})
    EXPECT_THROW(branch.setVideoParameter(id, 0.1), KvrSignal) << id;
  // A rejected tone shape keeps the previous one.
  branch.setTonemapParam(0.2, 0.8);
  EXPECT_THROW(branch.setTonemapParam(-0.1, 0.5), KvrSignal);
  EXPECT_THROW(branch.setTonemapParam(0.5, 1.1), KvrSignal);
  expectSameCurve(branch.getToneMapLut(), normalised(KestaToneMapCurve(0.2, 0.8), elvex));
}

// On the log signal the bands sit at the encoding's grey and skin values and
// move with the exposure index; between them the signal stays grey.
TEST_F(BranchTest, FalseColourOnTheLogSignalFollowsTheEncoding) {
  branch.setVideoMode(false);
  branch.setFalseColorMode(true);
  double luma[9];
  satRgbMat(gUnityMatrix, gLumaFactors, 0.0, luma);
  expectMatrix(branch, luma);
  const LutFuncRgb& paint = branch.getGammaLut();
  const double grey = kestaElvexparam.encodingOffset;
  KalvoraTest::expectSame(channels(paint, grey), {0.0, 1.0, 0.0});  // green
  EXPECT_EQ(channels(paint, elvex.skinValue()).r, 1.0);
  EXPECT_EQ(channels(paint, elvex.transform(0.7)).b, 0.0);  // yellow
  EXPECT_EQ(channels(paint, 1.0).g, 0.0);                   // red
  EXPECT_EQ(channels(paint, 0.6).g, 0.6);                   // grey, no gamma
  Elvex faster(kestaElvexparam, 3200.0);
  branch.updateElvex(faster);
  EXPECT_EQ(branch.getLogRanges()[3].min, faster.skinValue() - 0.0104);
}

}  // namespace
}  // namespace Kalvora
