#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "kvrCalibratedDisplayLut.h"
#include "kvrError.h"
#include "kvrMath.h"
#include "kvrPfwl.h"
#include "kvrSrcColorSpaceInfo.h"
#include "kvrVorn2DefaultDisplayCalibration.h"

using namespace Kalvora;

namespace {

const double kXs[] = {0.0, 0.1, 0.3, 0.5, 0.8, 1.0};

template <class Work>
void expectSignal(ErrorCode code, const char* message, Work&& work) {
  try {
    work();
    ADD_FAILURE() << "no failure, expected \"" << message << "\"";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), code);
    EXPECT_STREQ(signal.what(), message);
    EXPECT_EQ(std::string(signal.where()).rfind("src/kvrCalibratedDisplayLut:", 0), 0u)
        << signal.where();
  }
}

DisplayCalibrationV2 v2Record(uint32_t gammaCode) {
  DisplayCalibrationV2 record = gKestaMirelCalibrationDefaultData;
  record.gammaCode = gammaCode;
  record.gain[0] = 0.5;
  record.gain[1] = 1.0;
  record.gain[2] = 0.25;
  return record;
}

// Level l: matrix of one of the default displays; curves with a level- and
// channel-dependent middle knot.
DisplayCalibrationV3 v3Record() {
  const double* matrices[4] = {kesta_default_mirel_xyz, pendro_default_sony_xyz,
                               pendro_default_tft_xyz, kesta_legacy_mirel_xyz};
  DisplayCalibrationV3 record;
  record.count = 3;
  record.xScale = 1023;
  record.yScale = 255;
  for (int l = 0; l < 4; ++l) {
    std::copy(matrices[l], matrices[l] + 9, record.levels[l].rgb2xyz);
    for (int k = 0; k < 3; ++k) {
      DisplayCalibrationV3::Level::Curve& curve = record.levels[l].curve[k];
      curve.x[1] = 512;
      curve.x[2] = 1023;
      curve.y[1] = static_cast<uint8_t>(100 + 20 * l + 5 * k);
      curve.y[2] = 255;
    }
  }
  return record;
}

double v3Curve(const DisplayCalibrationV3& record, int level, int k, double x) {
  const DisplayCalibrationV3::Level::Curve& c = record.levels[level].curve[k];
  return LinearInterpolator(c.x, c.y, record.xScale, record.yScale, record.count).transform(x);
}

// A video source or display: Rec.709 (or P3 D65) primaries, video gamma.
class VideoSpace : public ColorSpaceInfo {
public:
  VideoSpace(const char* name, bool p3)
      : ColorSpaceInfo(
            Chromaticity(0.3127, 0.329), Chromaticity(p3 ? 0.68 : 0.64, p3 ? 0.32 : 0.33),
            Chromaticity(p3 ? 0.265 : 0.3, p3 ? 0.69 : 0.6), Chromaticity(0.15, 0.06), name),
        encode_(Pfwl::getVideoGamma()) {}
  const LutFunc* getLinLut(bool) const override { return &Pfwl::getVideoGamma(); }
  const LutFunc* getGammaLut(int, bool) const override { return &encode_; }

private:
  InverseLutFunc encode_;
};

class CalibratedDisplay : public ::testing::Test {
protected:
  double channel(int k, double x) {
    double rgb[3];
    lut.getGammaLut()->transform(x, rgb[0], rgb[1], rgb[2]);
    return rgb[k];
  }

  // The display matrix expected for a display RGB-to-XYZ matrix: XYZ of the
  // saturated source, into display RGB, normalised by the largest row sum.
  void expectMatrix(const double (&rgb2xyz)[9], double saturation = 1.0) {
    double xyz[9], saturated[9], xyz2rgb[9], product[9], expected[9], m[9];
    source.getXyzMatrix(xyz);
    for (int i = 0; i < 9; ++i)
      saturated[i] = saturation * xyz[i] + (1 - saturation) * xyz[3 + i % 3];
    bool ok = false;
    invMat(rgb2xyz, xyz2rgb, ok);
    ASSERT_TRUE(ok);
    mulRgbMat(xyz2rgb, saturated, product);
    normMat(product, expected);
    lut.getColorMatrix(m);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], expected[i], 1e-14) << i;
  }

  VideoSpace source{"rec709", false};
  VideoSpace p3Display{"p3", true};
  CalibratedDisplayLut lut{&source};
};

TEST_F(CalibratedDisplay, LuminanceLevelNeedsAV3RecordAndALevelFromZeroToThree) {
  expectSignal(kMissingCalibration, "No calibration data available!",
               [&] { lut.setLuminaceLevel(2); });
  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  expectSignal(kMissingCalibration, "No calibration data available!",
               [&] { lut.setLuminaceLevel(0); });

  DisplayCalibrationV3 record = v3Record();
  lut.setCalibrationData(&record);
  lut.setLuminaceLevel(1);
  for (int bad : {4, 5, -1, -2147483647 - 1}) {
    expectSignal(kIllegalValue, "Illegal luminance value!", [&] { lut.setLuminaceLevel(bad); });
    EXPECT_EQ(channel(2, 0.25), v3Curve(record, 1, 2, 0.25)) << bad;
  }
  expectMatrix(record.levels[1].rgb2xyz);
  lut.setLuminaceLevel(3);
  EXPECT_EQ(channel(2, 0.25), v3Curve(record, 3, 2, 0.25));
}

}  // namespace

TEST_F(CalibratedDisplay, UncalibratedThenMirelDefault) {
  EXPECT_EQ(lut.getCalibrationData(), nullptr);
  EXPECT_FALSE(lut.isIdentity());
  EXPECT_FALSE(lut.isUnity());
  for (int k = 0; k < 3; ++k) EXPECT_EQ(channel(k, 0.3), 0.3);
  expectMatrix(gUnityMatrix);

  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  EXPECT_EQ(lut.getCalibrationData(), &gKestaMirelCalibrationDefaultData);
  for (double x : kXs)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(channel(k, x), Pfwl::getVideoGamma().inverse(x));
  expectMatrix(kesta_default_mirel_xyz);
  double m[9];
  lut.getColorMatrix(m);
  EXPECT_DOUBLE_EQ(std::max({m[0] + m[1] + m[2], m[3] + m[4] + m[5], m[6] + m[7] + m[8]}), 1.0);

  // A Rec.709 display of a Rec.709 source is the unit matrix.
  lut.setCalibrationData(&gKestaMirelLegacyCalibrationData);
  lut.getColorMatrix(m);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], gUnityMatrix[i], 1e-6) << i;
}

TEST_F(CalibratedDisplay, GammaCodesSelectTheDisplayCurveAfterTheGains) {
  lut.setCalibrationData(&gPendroSonyCalibrationDefaultData);
  const Pfwl& srgb = Pfwl::getSrgbGamma();
  for (double x : kXs) {
    EXPECT_EQ(channel(0, x), srgb.inverse(0.8048999905586243 * x));
    EXPECT_EQ(channel(1, x), srgb.inverse(0.7558000087738037 * x));
    EXPECT_EQ(channel(2, x), srgb.inverse(x));
  }

  DisplayCalibrationV2 power14 = v2Record(14);
  lut.setCalibrationData(&power14);
  EXPECT_EQ(channel(0, 0.6), std::pow(0.3, 1.0 / 1.399999976158142));
  EXPECT_EQ(channel(2, 0.6), std::pow(0.15, 1.0 / 1.399999976158142));

  DisplayCalibrationV2 dci = v2Record(26);
  lut.setCalibrationData(&dci);
  EXPECT_EQ(channel(1, 0.6), Pfwl::getDCIGamma().inverse(0.6));
  EXPECT_EQ(channel(0, 0.6), Pfwl::getDCIGamma().inverse(0.3));

  DisplayCalibrationV2 perChannel = v2Record(101);
  perChannel.gamma[0] = 2.0;
  perChannel.gamma[1] = 2.5;
  perChannel.gamma[2] = 4.0;
  lut.setCalibrationData(&perChannel);
  EXPECT_EQ(channel(0, 0.5), std::pow(0.25, 1.0 / 2.0));
  EXPECT_EQ(channel(1, 0.5), std::pow(0.5, 1.0 / 2.5));
  EXPECT_EQ(channel(2, 0.5), std::pow(0.125, 1.0 / 4.0));
  EXPECT_EQ(channel(1, -0.5), 0.0);

  // Back to one curve for all channels after per-channel powers.
  DisplayCalibrationV2 srgbRecord = v2Record(22);
  lut.setCalibrationData(&srgbRecord);
  EXPECT_EQ(channel(2, 0.8), srgb.inverse(0.2));
}

TEST_F(CalibratedDisplay, RejectedRecords) {
  // A rejected gamma code keeps the new matrix and the last good encoding.
  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  DisplayCalibrationV2 perChannelV1 = v2Record(101);
  perChannelV1.version = 1;
  perChannelV1.rgb2xyz[0] = 0.6;
  expectSignal(kReadOnly, "Illegal value for gamma!",
               [&] { lut.setCalibrationData(&perChannelV1); });
  expectMatrix(perChannelV1.rgb2xyz);
  EXPECT_EQ(channel(0, 0.6), Pfwl::getVideoGamma().inverse(0.6));
  DisplayCalibrationV2 code23 = v2Record(23);
  expectSignal(kReadOnly, "Illegal value for gamma!", [&] { lut.setCalibrationData(&code23); });

  // An unknown data type, or no record, drops the calibration record.
  DisplayCalibrationV2 type3 = gKestaMirelCalibrationDefaultData;
  type3.dataType = 3;
  for (const DisplayCalibration* bad :
       {static_cast<DisplayCalibration*>(&type3), static_cast<DisplayCalibration*>(nullptr)}) {
    lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
    expectSignal(kIllegalValue, "Unknown calibration data type",
                 [&] { lut.setCalibrationData(bad); });
    EXPECT_EQ(lut.getCalibrationData(), nullptr);
  }
}

TEST_F(CalibratedDisplay, SingularMatrixLeavesTheUnitMatrix) {
  DisplayCalibrationV2 singular = gKestaMirelCalibrationDefaultData;
  std::fill(singular.rgb2xyz, singular.rgb2xyz + 9, 0.0);
  const double rankTwo[9] = {1, 2, 3, 2, 4, 6, 0, 0, 1};
  DisplayCalibrationV3 record = v3Record();
  std::fill(record.levels[3].rgb2xyz, record.levels[3].rgb2xyz + 9, 0.0);
  const std::function<void()> failures[] = {[&] { lut.setCalibrationData(&singular); },
                                            [&] { lut.setXyz2RgbMatrix(rankTwo); },
                                            [&] {
                                              lut.setCalibrationData(&record);
                                              lut.setLuminaceLevel(3);
                                            }};
  for (const auto& failure : failures) {
    lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
    expectSignal(kIllegalValue, "Non invertible matrix!", failure);
    expectMatrix(gUnityMatrix);
  }
  lut.setXyz2RgbMatrix(pendro_default_tft_xyz);
  expectMatrix(pendro_default_tft_xyz);
}

TEST_F(CalibratedDisplay, V3UsesTheCurvesAndMatrixOfTheCurrentLevel) {
  DisplayCalibrationV3 record = v3Record();
  lut.setCalibrationData(&gPendroSonyCalibrationDefaultData);  // gains are reset to 1
  lut.setCalibrationData(&record);
  EXPECT_EQ(lut.getCalibrationData(), &record);
  for (int level : {0, 2}) {
    if (level != 0) lut.setLuminaceLevel(level);
    for (double x : kXs)
      for (int k = 0; k < 3; ++k) EXPECT_EQ(channel(k, x), v3Curve(record, level, k, x));
    expectMatrix(record.levels[level].rgb2xyz);
  }
  // A new record is read at the level in force.
  DisplayCalibrationV3 other = v3Record();
  other.levels[2].curve[1].y[1] = 7;
  lut.setCalibrationData(&other);
  EXPECT_EQ(channel(1, 0.25), v3Curve(other, 2, 1, 0.25));
}

TEST_F(CalibratedDisplay, KnotCountMustBeFromOneToTwentyOne) {
  const char* message = "Illegal number of curve points in calibration data (1 to 21)!";
  DisplayCalibrationV3 good = v3Record();
  lut.setCalibrationData(&good);
  lut.setLuminaceLevel(1);
  for (int bad : {0, -1, 22, 1000}) {
    DisplayCalibrationV3 record = v3Record();
    record.levels[1].curve[0].y[1] = 3;  // would change channel 0 if it were used
    record.count = bad;
    expectSignal(kIllegalValue, message, [&] { lut.setCalibrationData(&record); });
    EXPECT_EQ(lut.getCalibrationData(), &good);
    EXPECT_EQ(channel(0, 0.25), v3Curve(good, 1, 0, 0.25)) << bad;
  }
  // The borrowed record is checked again when a level is selected.
  good.count = 22;
  expectSignal(kIllegalValue, message, [&] { lut.setLuminaceLevel(2); });
  good.count = 3;
  EXPECT_EQ(channel(0, 0.25), v3Curve(good, 1, 0, 0.25));

  DisplayCalibrationV3 record = v3Record();
  record.count = 1;  // a constant curve
  lut.setCalibrationData(&record);
  EXPECT_EQ(channel(0, 0.7), 0.0);
  for (auto& curve : record.levels[0].curve)
    for (int i = 0; i < 21; ++i) {
      curve.x[i] = static_cast<uint16_t>(i * 50);
      curve.y[i] = static_cast<uint8_t>(i * 12);
    }
  record.count = 21;
  record.xScale = 1000;
  record.yScale = 240;
  lut.setLuminaceLevel(0);
  EXPECT_DOUBLE_EQ(channel(1, 0.525), 0.525);
  EXPECT_EQ(channel(1, 1.5), 1.0);
}

TEST_F(CalibratedDisplay, DestinationColourSpaceOverridesTheCalibration) {
  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  lut.setViewingSaturation(0.5);
  lut.setDestinationColorSpace(&p3Display);
  EXPECT_FALSE(lut.isIdentity());
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(channel(k, 0.4), p3Display.getGammaLut(k, false)->transform(0.4));
  double plain[9], m[9];
  source.getConversionMatrix(p3Display, plain);
  lut.getColorMatrix(m);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], plain[i], 1e-14) << i;

  lut.setDestinationColorSpace(&source);
  EXPECT_TRUE(lut.isIdentity());
  EXPECT_EQ(lut.getGammaLut(), &LutFuncRgb::sUnity);

  lut.useCalibrationData();
  EXPECT_FALSE(lut.isIdentity());
  EXPECT_EQ(channel(1, 0.4), Pfwl::getVideoGamma().inverse(0.4));
  expectMatrix(kesta_default_mirel_xyz, 0.5);
}
