// The display LUT of a calibrated monitor: encoding curves and colour matrix
// from version 2 and version 3 calibration records.
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
#include "kvrTestSupport.h"
#include "kvrVorn2DefaultDisplayCalibration.h"

using namespace Kalvora;

namespace {

template <class Work>
void expectSignal(ErrorCode code, const char* fragment, Work&& work) {
  try {
    work();
    ADD_FAILURE() << "no failure, expected \"" << fragment << "\"";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), code);
    EXPECT_PRED2(KalvoraTest::contains, signal.what(), fragment);
    EXPECT_PRED2(KalvoraTest::contains, signal.where(), "src/kvrCalibratedDisplayLut:");
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
  CalibratedDisplayLut lut{&source};
};

}  // namespace

TEST_F(CalibratedDisplay, UncalibratedThenDefaultRecords) {
  EXPECT_EQ(lut.getCalibrationData(), nullptr);
  EXPECT_FALSE(lut.isIdentity());
  EXPECT_EQ(channel(1, 0.3), 0.3);
  expectMatrix(gUnityMatrix);

  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  EXPECT_EQ(lut.getCalibrationData(), &gKestaMirelCalibrationDefaultData);
  EXPECT_EQ(channel(2, 0.3), Pfwl::getVideoGamma().inverse(0.3));
  expectMatrix(kesta_default_mirel_xyz);

  // A Rec.709 display of a Rec.709 source is the unit matrix.
  lut.setCalibrationData(&gKestaMirelLegacyCalibrationData);
  double m[9];
  lut.getColorMatrix(m);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], gUnityMatrix[i], 1e-6) << i;
}

// The gains scale the input of the display curve the gamma code selects.
TEST_F(CalibratedDisplay, GammaCodesSelectTheDisplayCurveAfterTheGains) {
  const Pfwl &srgb = Pfwl::getSrgbGamma(), &dci = Pfwl::getDCIGamma();
  const double power14 = 1.0 / 1.399999976158142;
  DisplayCalibrationV2 perChannel = v2Record(101);
  perChannel.gamma[0] = 2.0;
  perChannel.gamma[1] = 2.5;
  perChannel.gamma[2] = 4.0;
  const DisplayCalibrationV2 records[] = {v2Record(14), v2Record(26), perChannel, v2Record(22)};
  const struct {
    const DisplayCalibration* record;
    int channel;
    double x, expected;
  } cases[] = {{&gPendroSonyCalibrationDefaultData, 0, 0.5, srgb.inverse(0.8048999905586243 * 0.5)},
               {&gPendroSonyCalibrationDefaultData, 1, 0.8, srgb.inverse(0.7558000087738037 * 0.8)},
               {&records[0], 0, 0.6, std::pow(0.3, power14)},
               {&records[0], 2, 0.6, std::pow(0.15, power14)},
               {&records[1], 1, 0.6, dci.inverse(0.6)},
               {&records[1], 0, 0.6, dci.inverse(0.3)},
               {&records[2], 0, 0.5, std::sqrt(0.25)},
               {&records[2], 1, 0.5, std::pow(0.5, 1.0 / 2.5)},
               {&records[2], 2, 0.5, std::pow(0.125, 0.25)},
               {&records[2], 1, -0.5, 0.0},
               {&records[3], 2, 0.8, srgb.inverse(0.2)}};  // one curve again after per channel
  for (const auto& c : cases) {
    lut.setCalibrationData(c.record);
    EXPECT_NEAR(channel(c.channel, c.x), c.expected, 1e-14)
        << "case " << &c - cases << ", channel " << c.channel;
  }
}

TEST_F(CalibratedDisplay, RejectedRecordsAndSingularMatrices) {
  // A rejected gamma code keeps the new matrix and the last good encoding.
  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  DisplayCalibrationV2 perChannelV1 = v2Record(101);
  perChannelV1.version = 1;
  perChannelV1.rgb2xyz[0] = 0.6;
  expectSignal(kReadOnly, "gamma", [&] { lut.setCalibrationData(&perChannelV1); });
  expectMatrix(perChannelV1.rgb2xyz);
  EXPECT_EQ(channel(0, 0.6), Pfwl::getVideoGamma().inverse(0.6));
  DisplayCalibrationV2 code23 = v2Record(23);
  expectSignal(kReadOnly, "gamma", [&] { lut.setCalibrationData(&code23); });

  // An unknown data type, or no record, drops the calibration record.
  DisplayCalibrationV2 type3 = gKestaMirelCalibrationDefaultData;
  type3.dataType = 3;
  for (const DisplayCalibration* bad :
       {static_cast<DisplayCalibration*>(&type3), static_cast<DisplayCalibration*>(nullptr)}) {
    lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
    expectSignal(kIllegalValue, "Unknown calibration", [&] { lut.setCalibrationData(bad); });
    EXPECT_EQ(lut.getCalibrationData(), nullptr);
  }

  // A matrix that cannot be inverted leaves the unit matrix.
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
    expectSignal(kIllegalValue, "invertible", failure);
    expectMatrix(gUnityMatrix);
  }
  lut.setXyz2RgbMatrix(pendro_default_tft_xyz);
  expectMatrix(pendro_default_tft_xyz);
}

TEST_F(CalibratedDisplay, V3UsesTheCurvesAndMatrixOfTheCurrentLevel) {
  expectSignal(kMissingCalibration, "No calibration", [&] { lut.setLuminaceLevel(2); });
  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  expectSignal(kMissingCalibration, "No calibration", [&] { lut.setLuminaceLevel(0); });

  DisplayCalibrationV3 record = v3Record();
  lut.setCalibrationData(&gPendroSonyCalibrationDefaultData);  // gains are reset to 1
  lut.setCalibrationData(&record);
  EXPECT_EQ(lut.getCalibrationData(), &record);
  for (int level : {0, 2, 1}) {
    if (level != 0) lut.setLuminaceLevel(level);
    for (double x : {0.0, 0.1, 0.5, 0.8, 1.0})
      for (int k = 0; k < 3; ++k) EXPECT_EQ(channel(k, x), v3Curve(record, level, k, x));
    expectMatrix(record.levels[level].rgb2xyz);
  }
  for (int bad : {4, -1, -2147483647 - 1}) {
    expectSignal(kIllegalValue, "luminance", [&] { lut.setLuminaceLevel(bad); });
    EXPECT_EQ(channel(2, 0.25), v3Curve(record, 1, 2, 0.25)) << bad;
  }
  // A new record is read at the level in force.
  DisplayCalibrationV3 other = v3Record();
  other.levels[1].curve[1].y[1] = 7;
  lut.setCalibrationData(&other);
  EXPECT_EQ(channel(1, 0.25), v3Curve(other, 1, 1, 0.25));
}

TEST_F(CalibratedDisplay, KnotCountMustBeFromOneToTwentyOne) {
  DisplayCalibrationV3 good = v3Record();
  lut.setCalibrationData(&good);
  lut.setLuminaceLevel(1);
  for (int bad : {0, -1, 22}) {
    DisplayCalibrationV3 record = v3Record();
    record.levels[1].curve[0].y[1] = 3;  // would change channel 0 if it were used
    record.count = bad;
    expectSignal(kIllegalValue, "curve points", [&] { lut.setCalibrationData(&record); });
    EXPECT_EQ(lut.getCalibrationData(), &good);
    EXPECT_EQ(channel(0, 0.25), v3Curve(good, 1, 0, 0.25)) << bad;
  }
  // The borrowed record is checked again when a level is selected.
  good.count = 22;
  expectSignal(kIllegalValue, "curve points", [&] { lut.setLuminaceLevel(2); });

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
  VideoSpace p3Display{"p3", true};
  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  lut.setViewingSaturation(0.5);
  lut.setDestinationColorSpace(&p3Display);
  EXPECT_FALSE(lut.isIdentity());
  EXPECT_EQ(channel(0, 0.4), p3Display.getGammaLut(0, false)->transform(0.4));
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
