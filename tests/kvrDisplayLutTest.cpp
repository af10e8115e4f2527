// Display colour spaces with the built-in registry, and the display LUTs:
// conversion, viewing controls, false colour and calibrated monitors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "kvrCalibratedDisplayLut.h"
#include "kvrColorSpaces.h"
#include "kvrElvexView.h"
#include "kvrLutInverse.h"
#include "kvrMath.h"
#include "kvrPfwl.h"
#include "kvrTestSupport.h"
#include "kvrVorn2DefaultDisplayCalibration.h"

using namespace Kalvora;

namespace {

using ColorRange = FalseColorLut::ColorRange;

const Chromaticity kD65(0.3127, 0.329), kRed(0.64, 0.33), kGreen(0.3, 0.6), kBlue(0.15, 0.06);

// Rec.709 (or P3) primaries, D65, a chosen identifier and transfer curve.
DisplayColorSpace space(EotfType eotf, double gamma, const char* name = "x",
                        const char* altName = nullptr, bool p3 = false) {
  return DisplayColorSpace(kD65, p3 ? Chromaticity(0.68, 0.32) : kRed, kGreen, kBlue, eotf, gamma,
                           name, altName);
}

const LutFuncGain kHalf(LutFunc::sUnity, 0.5), kTwice(LutFunc::sUnity, 2.0);

// Exposes the video false-colour bands.
class InspectedLut : public ColorConversionLut {
public:
  using ColorConversionLut::ColorConversionLut;
  const ColorRange* videoRanges() const { return videoRanges_; }
};

std::vector<double> paint(const LutFuncRgb& lut, double x) {
  std::vector<double> rgb(3);
  lut.transform(x, rgb[0], rgb[1], rgb[2]);
  return rgb;
}

std::vector<double> colour(const double (&rgb)[3]) { return {rgb[0], rgb[1], rgb[2]}; }

void expectEncoding(DisplayLut& lut, const LutFunc* f) {
  const auto* triple = dynamic_cast<const LutFuncTriple*>(lut.getGammaLut());
  ASSERT_NE(triple, nullptr);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(&triple->getColorChannel(k), f) << k;
}

using KalvoraTest::expectSignal;

DisplayCalibrationV2 v2Record(uint32_t gammaCode) {
  DisplayCalibrationV2 record = gKestaMirelCalibrationDefaultData;
  record.gammaCode = gammaCode;
  const double gains[3] = {0.5, 1.0, 0.25}, perChannelGammas[3] = {2.0, 2.5, 4.0};
  std::copy_n(gains, 3, record.gain);
  std::copy_n(perChannelGammas, 3, record.gamma);
  return record;
}

// Per level a default display's matrix and three-knot curves of its own.
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
      auto& curve = record.levels[l].curve[k];
      curve.x[1] = 512;
      curve.x[2] = 1023;
      curve.y[1] = static_cast<uint8_t>(100 + 20 * l + 5 * k);
      curve.y[2] = 255;
    }
  }
  return record;
}

double v3Curve(const DisplayCalibrationV3& record, int level, int k, double x) {
  const auto& c = record.levels[level].curve[k];
  return LinearInterpolator(c.x, c.y, record.xScale, record.yScale, record.count).transform(x);
}

class CalibratedDisplay : public ::testing::Test {
protected:
  double channel(int k, double x) { return paint(*lut.getGammaLut(), x)[k]; }

  // The same display given by its matrix (anchored in the V2 test below).
  void expectMatrix(const double (&rgb2xyz)[9], double saturation = 1.0) {
    CalibratedDisplayLut reference{&source};
    reference.setViewingSaturation(saturation);
    reference.setXyz2RgbMatrix(rgb2xyz);
    double m[9], expected[9];
    lut.getColorMatrix(m);
    reference.getColorMatrix(expected);
    EXPECT_EQ(std::vector<double>(m, m + 9), std::vector<double>(expected, expected + 9));
  }

  const ColorSpaces registry;
  const DisplayColorSpace& source = *registry.forId(Rec1886);
  CalibratedDisplayLut lut{&source};
};

const ColorSpace kAll[] = {Rec1886,      Rec2020Gamma24, P3DciGamma26, P3D65Gamma26,
                           P3D60Gamma26, Rec2100Pq,      Rec2100Hlg,   AcesProxy};
const double kGamma24 = 2.4000000953674316;  // single-precision gammas widened
const double kGamma26 = 2.5999999046325684;

// Every channel encodes with `expected`, pure or not as asked.
template <class Expected>
void expectSpaceEncoding(const DisplayColorSpace& cs, bool pure, Expected expected) {
  for (int channel = 0; channel < 3; ++channel)
    for (double y : {0.0, 0.01, 0.5, 1.0})
      EXPECT_NEAR(cs.getGammaLut(channel, pure)->transform(y), expected(y), 1e-15)
          << "channel " << channel << " at " << y;
}

void expectRowSums(const double* m, double r0, double r1, double r2, double tolerance) {
  EXPECT_NEAR(m[0] + m[1] + m[2], r0, tolerance);
  EXPECT_NEAR(m[3] + m[4] + m[5], r1, tolerance);
  EXPECT_NEAR(m[6] + m[7] + m[8], r2, tolerance);
}

}  // namespace

TEST(DisplayLutTest, SameIdentifierIsTheIdentityAndViewingControlsApplyElsewhere) {
  const DisplayColorSpace rec709 = space(EotfType::Gamma, kGamma24, "rec709"),
                          sameName = space(EotfType::Linear, 0.0, "rec709", nullptr, true),
                          p3 = space(EotfType::Linear, 0.0, "p3", nullptr, true);
  ColorConversionLut lut(&rec709, &sameName);
  EXPECT_EQ(lut.getGammaLut(), &LutFuncRgb::sUnity);
  EXPECT_FALSE(lut.setFalseColor(true));  // the painter needs the linearisation
  EXPECT_EQ(lut.getLinLut(), &Pfwl::sGamma24);
  double expected[9], m[9];
  rec709.getLumaMatrix(expected);  // every channel carries the luminance
  lut.getColorMatrix(m);
  EXPECT_EQ(std::vector<double>(m, m + 9), std::vector<double>(expected, expected + 9));
  EXPECT_TRUE(lut.setFalseColor(false));

  // Another display: no viewing saturation; the viewing gamma on clamped input.
  lut.setDestinationColorSpace(&p3);
  lut.setViewingSaturation(0.5);
  rec709.getConversionMatrix(p3, expected);
  lut.getColorMatrix(m);
  EXPECT_EQ(m[4], expected[4]);
  expectEncoding(lut, p3.getGammaLut(0, false));
  lut.setViewingGamma(2.0);
  for (double x : {-1.0, 0.25, 4.0})
    EXPECT_EQ(paint(*lut.getGammaLut(), x)[1], std::sqrt(std::min(1.0, std::max(0.0, x))));
  for (double off : {0.0, 1.0}) {
    lut.setViewingGamma(off);
    expectEncoding(lut, p3.getGammaLut(0, false));
  }
  for (double bad : {0.0, -0.5, std::numeric_limits<double>::quiet_NaN()})
    expectSignal(kIllegalValue, "saturation", [&] { lut.setViewingSaturation(bad); });
}

TEST(DisplayLutTest, FalseColourPaintsTheBandsAndGreyElsewhere) {
  ElvexView view;  // a log source paints the Elvex bands directly
  ColorConversionLut logLut(&view, &view);
  logLut.setFalseColor(true);
  EXPECT_EQ(paint(*logLut.getGammaLut(), 0.1287), colour(DisplayLut::sGreen));
  EXPECT_EQ(paint(*logLut.getGammaLut(), 0.12870000302791595)[0], 0.12870000302791595);

  // Display-linear bands are encoded; unknown modes are rejected, the mode stays.
  const DisplayColorSpace rec1886 = space(EotfType::Gamma, kGamma24, "rec1886");
  InspectedLut lut(&rec1886, &rec1886);
  lut.setVideoFalseColorMode(DisplayLinear);
  lut.setFalseColor(true);
  for (int bad : {3, -1})
    EXPECT_THROW(lut.setVideoFalseColorMode(static_cast<FalseColorMode>(bad)), KvrSignal) << bad;
  EXPECT_EQ(paint(*lut.getGammaLut(), 0.11), colour(DisplayLut::sGreen));
  EXPECT_EQ(paint(*lut.getGammaLut(), 1.0), colour(DisplayLut::sRed));
  EXPECT_NEAR(paint(*lut.getGammaLut(), 0.5)[2], Pfwl::sGamma24.inverse(0.5), 1e-15);

  // Elvex bands reach video through the grey-scale curve.
  lut.setVideoFalseColorMode(ElvexDefault);
  lut.setVideoGrayScaleCurve(&kHalf);
  EXPECT_EQ(paint(*lut.getGammaLut(), Pfwl::sGamma24.transform(0.5 * 0.39)),
            colour(DisplayLut::sGreen));

  // Bounds doubled past 1 are clamped; the top bands keep the minimum width.
  lut.setVideoGrayScaleCurve(&kTwice);
  lut.setVideoFalseColorLimits();
  const ColorRange* rows = lut.videoRanges();
  const double w = DisplayLut::kMinBandWidth;
  EXPECT_EQ(rows[5].min, 1.0 - w);
  EXPECT_EQ(rows[4].min, 1.0 - 2 * w);
  DisplayLut::setMinValuesByLimits(nullptr, 3, w);  // no table: nothing to do
  lut.setVideoFalseColorMode(ElvexCurve);           // the curve's own bands, no grey-scale curve
  lut.setVideoGrayScaleCurve(nullptr);
  lut.setVideoFalseColorLimits();
  for (int k = 0; k < 5; ++k) EXPECT_LE(rows[k].max, rows[k + 1].min) << k;
}

// The gains scale the input of the display curve the gamma code selects.
TEST_F(CalibratedDisplay, V2GammaCodesSelectTheDisplayCurveAfterTheGains) {
  EXPECT_EQ(channel(1, 0.3), 0.3);  // uncalibrated
  expectMatrix(gUnityMatrix);
  // A display with the source's primaries shows it as it is.
  lut.setCalibrationData(&gKestaMirelLegacyCalibrationData);
  double m[9];
  lut.getColorMatrix(m);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], gUnityMatrix[i], 1e-6) << i;
  const Pfwl& srgb = Pfwl::getSrgbGamma();
  const DisplayCalibrationV2 records[] = {v2Record(14), v2Record(26), v2Record(101), v2Record(22)};
  const struct {
    const DisplayCalibration* record;
    int channel;
    double x, expected;
  } cases[] = {{&gKestaMirelCalibrationDefaultData, 2, 0.3, Pfwl::getVideoGamma().inverse(0.3)},
               {&gPendroSonyCalibrationDefaultData, 0, 0.5, srgb.inverse(0.8048999905586243 * 0.5)},
               {&records[0], 2, 0.6, std::pow(0.15, 1.0 / 1.399999976158142)},
               {&records[1], 0, 0.6, Pfwl::getDCIGamma().inverse(0.3)},
               {&records[2], 1, 0.5, std::pow(0.5, 1.0 / 2.5)},
               {&records[2], 2, 0.5, std::pow(0.125, 0.25)},
               {&records[2], 1, -0.5, 0.0},
               {&records[3], 2, 0.8, srgb.inverse(0.2)}};  // one curve again after per channel
  for (const auto& c : cases) {
    lut.setCalibrationData(c.record);
    EXPECT_NEAR(channel(c.channel, c.x), c.expected, 1e-14) << "case " << &c - cases;
  }
  expectMatrix(records[3].rgb2xyz);
  // A destination colour space overrides the calibration until it is left.
  const DisplayColorSpace* p3 = registry.forId(P3D65Gamma26);
  lut.setViewingSaturation(0.5);
  lut.setDestinationColorSpace(p3);
  EXPECT_EQ(channel(0, 0.4), p3->getGammaLut(0, false)->transform(0.4));
  lut.setDestinationColorSpace(&source);
  EXPECT_TRUE(lut.isIdentity());
  lut.useCalibrationData();
  expectMatrix(records[3].rgb2xyz, 0.5);
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
  // An unknown data type, or no record, drops the record.
  DisplayCalibrationV2 type3 = gKestaMirelCalibrationDefaultData;
  type3.dataType = 3;
  expectSignal(kIllegalValue, "calibration data type", [&] { lut.setCalibrationData(&type3); });
  EXPECT_EQ(lut.getCalibrationData(), nullptr);

  // A matrix that cannot be inverted leaves the unit matrix.
  const double rankTwo[9] = {1, 2, 3, 2, 4, 6, 0, 0, 1};
  lut.setXyz2RgbMatrix(pendro_default_tft_xyz);
  expectMatrix(pendro_default_tft_xyz);
  expectSignal(kIllegalValue, "invertible", [&] { lut.setXyz2RgbMatrix(rankTwo); });
  expectMatrix(gUnityMatrix);
}

TEST_F(CalibratedDisplay, V3UsesTheCurvesAndMatrixOfTheCurrentLevel) {
  lut.setCalibrationData(&gKestaMirelCalibrationDefaultData);
  expectSignal(kMissingCalibration, "No calibration", [&] { lut.setLuminaceLevel(0); });
  DisplayCalibrationV3 record = v3Record();
  lut.setCalibrationData(&gPendroSonyCalibrationDefaultData);  // gains are reset to 1
  lut.setCalibrationData(&record);
  for (int level : {0, 2, 1}) {
    if (level != 0) lut.setLuminaceLevel(level);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(channel(k, 0.3), v3Curve(record, level, k, 0.3));
    expectMatrix(record.levels[level].rgb2xyz);
  }
  for (int bad : {4, -1})
    expectSignal(kIllegalValue, "luminance", [&] { lut.setLuminaceLevel(bad); });
  // Bad knot counts are rejected, also when a level of the borrowed record is set.
  DisplayCalibrationV3 other = v3Record();
  other.count = 0;
  expectSignal(kIllegalValue, "curve points", [&] { lut.setCalibrationData(&other); });
  EXPECT_EQ(lut.getCalibrationData(), &record);
  EXPECT_EQ(channel(2, 0.25), v3Curve(record, 1, 2, 0.25));
  record.count = 22;
  expectSignal(kIllegalValue, "curve points", [&] { lut.setLuminaceLevel(2); });
}

TEST(ColorSpacesTest, IdentifiersAreUniqueAndFoundByMainAndAlternativeName) {
  const ColorSpaces registry;
  std::set<std::string> names;
  for (ColorSpace id : kAll) {
    const DisplayColorSpace* cs = registry.forId(id);
    EXPECT_TRUE(names.insert(cs->getName()).second) << cs->getName();
    EXPECT_EQ(cs->getNameLen(), std::strlen(cs->getName()));
    EXPECT_STREQ(ColorSpaces::identifier(id), cs->getName());
    EXPECT_EQ(registry.forName(cs->getName()), cs);
    if (cs->getAltName() != nullptr) {
      EXPECT_EQ(registry.forName(cs->getAltName()), cs);
      EXPECT_TRUE(names.insert(cs->getAltName()).second) << cs->getAltName();
    }
    EXPECT_EQ(cs->isHDR(), id == Rec2100Pq || id == Rec2100Hlg) << id;
  }
  EXPECT_STREQ(ColorSpaces::identifier(Rec1886), "com.apple.proapps.colorspace.rec1886");
  EXPECT_STREQ(registry.forId(P3DciGamma26)->getAltName(),
               "com.apple.proapps.colorspace.dci.p3.gamma26");
  for (ColorSpace unknown : {ColorSpace(-1), ColorSpace(8)})
    EXPECT_TRUE(registry.forId(unknown) == nullptr && ColorSpaces::identifier(unknown) == nullptr);
  EXPECT_EQ(registry.forName("rec1886"), nullptr);
  EXPECT_EQ(registry.forName(nullptr), nullptr);
  // Matching from an offset, by either identifier, with text after it.
  const DisplayColorSpace* dci = registry.forId(P3DciGamma26);
  EXPECT_TRUE(dci->isColorSpace("dci.p3.gamma26", 29));
  const unsigned char trailing[] = "com.apple.proapps.colorspace.dci.p3.gamma26 trailing";
  EXPECT_TRUE(dci->isColorSpace(trailing, 0));
  EXPECT_FALSE(space(EotfType::Pq, 0.0).isHDR());  // HDR by identifier, not by EOTF
}

TEST(ColorSpacesTest, PublishedMatricesAndEveryPairKeepsWhite) {
  const ColorSpaces registry;
  double m[9];
  registry.forId(Rec1886)->getYPbPrMatrix(m, 4);
  EXPECT_EQ(std::vector<double>(m, m + 3), (std::vector<double>{0.2126, 0.7152, 0.0722}));
  registry.forId(Rec2020Gamma24)->getYPbPrMatrix(m, 4);
  EXPECT_EQ(std::vector<double>(m, m + 3), (std::vector<double>{0.2627, 0.678, 0.0593}));
  registry.forId(Rec1886)->getConversionMatrix(*registry.forId(Rec2020Gamma24), m);
  EXPECT_NEAR(m[0], 0.6274, 1e-4);
  EXPECT_NEAR(m[8], 0.8956, 1e-4);
  for (ColorSpace a : kAll)
    for (ColorSpace b : kAll) {
      registry.forId(a)->getConversionMatrix(*registry.forId(b), m);
      SCOPED_TRACE(testing::Message() << a << " to " << b);
      expectRowSums(m, 1.0, 1.0, 1.0, 1e-12);
    }
  for (const double* gamut : {gKestaWgTmRec709Mat, gKestaWgTmP3Mat, gKestaWgRec709Mat,
                              gKestaWgP3Mat, gKestaWgAcesMat, gKestaWgLogFilmMat})
    expectRowSums(gamut, 1.0, 1.0, 1.0, 2e-6);
  // Camera white goes to the D65 white.
  expectRowSums(gKestaWgXyz, 0.3127 / 0.329, 1.0, (1 - 0.3127 - 0.329) / 0.329, 1e-4);
}

TEST(ColorSpacesTest, EotfChoosesTheDecodingAndEncodingCurves) {
  // Single-precision gammas use the shared curves; 2.4 is the pure power law.
  for (double gamma : {kGamma24, kGamma26, 2.4}) {
    SCOPED_TRACE(gamma);
    const DisplayColorSpace cs = space(EotfType::Gamma, gamma);
    const Pfwl* shared = gamma == kGamma24   ? &Pfwl::sGamma24
                         : gamma == kGamma26 ? &Pfwl::sGamma26
                                             : nullptr;
    const auto power = [gamma](double y) { return y > 0 ? std::pow(y, 1 / gamma) : 0.0; };
    EXPECT_NEAR(cs.getLinLut(true)->transform(0.5), std::pow(0.5, gamma), 1e-15);
    expectSpaceEncoding(cs, true, power);
    if (shared != nullptr) {
      EXPECT_EQ(cs.getLinLut(false), shared);
      expectSpaceEncoding(cs, false, [shared](double y) { return shared->inverse(y); });
    } else {
      EXPECT_EQ(cs.getLinLut(false), cs.getLinLut(true));
      expectSpaceEncoding(cs, false, power);
    }
  }
  for (EotfType eotf : {EotfType::Pq, EotfType::Hlg}) {
    const DisplayColorSpace hdr = space(eotf, 0.0);
    EXPECT_EQ(hdr.getLinLut(true), &Pfwl::sGamma30);
    expectSpaceEncoding(hdr, false, [](double y) { return Pfwl::sGamma30.inverse(y); });
  }
  // A caller's table decodes and its inverse encodes.
  const unsigned short forward[3] = {0, 300, 1023}, inverse[3] = {0, 700, 1023};
  const LutInverse table(forward, inverse, 3, 1023);
  const DisplayColorSpace fromTable(kD65, kRed, kGreen, kBlue, &table, "t", nullptr);
  EXPECT_EQ(fromTable.getLinLut(true), &table);
  EXPECT_DOUBLE_EQ(fromTable.getGammaLut(1, false)->transform(0.75), 861.5 / 1023);
}

// (The message suite covers the other rejected arguments.)
TEST(ColorSpacesTest, BadConstructorArgumentsAreRejected) {
  EXPECT_THROW(space(static_cast<EotfType>(-1), 2.4), KvrSignal);
  const Chromaticity belowRange(0.3, -0.1);
  EXPECT_THROW(static_cast<void>(DisplayColorSpace(belowRange, kRed, kGreen, kBlue,
                                                   EotfType::Linear, 0, "x", nullptr)),
               KvrSignal);
}
