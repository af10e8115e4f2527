#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "kvrColorSpaces.h"
#include "kvrDisplayColorSpace.h"
#include "kvrError.h"
#include "kvrLutInverse.h"
#include "kvrPfwl.h"

using namespace Kalvora;

namespace {

const Chromaticity kD65(0.3127, 0.329);
const Chromaticity kRed(0.64, 0.33), kGreen(0.3, 0.6), kBlue(0.15, 0.06);
const double kGamma24 = 2.4000000953674316;
const double kGamma26 = 2.5999999046325684;

DisplayColorSpace gammaSpace(double gamma) {
  return DisplayColorSpace(kD65, kRed, kGreen, kBlue, EotfType::Gamma, gamma, "g", nullptr);
}

// Every channel encodes with the same function, whatever the channel.
void expectEncoding(const DisplayColorSpace& cs, bool pure, double (*expected)(double)) {
  for (int channel = 0; channel < 3; ++channel) {
    const LutFunc* f = cs.getGammaLut(channel, pure);
    ASSERT_NE(f, nullptr);
    for (double y : {0.0, 0.01, 0.18, 0.5, 1.0})
      EXPECT_DOUBLE_EQ(f->transform(y), expected(y)) << "channel " << channel << " at " << y;
  }
}

template <class Work>
KvrSignal signalOf(Work&& work) {
  try {
    work();
  } catch (const KvrSignal& signal) {
    return signal;
  }
  ADD_FAILURE() << "no signal thrown";
  return KvrSignal();
}

void expectSignal(const KvrSignal& s, ErrorCode code, const char* message) {
  EXPECT_EQ(s.code(), code);
  EXPECT_STREQ(s.what(), message);
  EXPECT_EQ(std::strncmp(s.where(), "src/kvrDisplayColorSpace:", 25), 0) << s.where();
}

}  // namespace

TEST(DisplayGamma, SinglePrecision24UsesTheSharedVideoCurve) {
  const DisplayColorSpace cs = gammaSpace(kGamma24);
  EXPECT_EQ(cs.getLinLut(false), &Pfwl::sGamma24);
  const LutFunc* pure = cs.getLinLut(true);
  EXPECT_NE(pure, &Pfwl::sGamma24);
  EXPECT_DOUBLE_EQ(pure->transform(0.5), std::pow(0.5, kGamma24));
  EXPECT_EQ(pure->transform(-0.5), 0.0);
  expectEncoding(cs, false, [](double y) { return Pfwl::sGamma24.inverse(y); });
  expectEncoding(cs, true, [](double y) { return y > 0 ? std::pow(y, 1 / kGamma24) : 0.0; });
}

TEST(DisplayGamma, SinglePrecision26UsesTheSharedDciCurve) {
  const DisplayColorSpace cs = gammaSpace(kGamma26);
  EXPECT_EQ(cs.getLinLut(false), &Pfwl::sGamma26);
  EXPECT_DOUBLE_EQ(cs.getLinLut(true)->transform(0.5), std::pow(0.5, kGamma26));
  expectEncoding(cs, false, [](double y) { return Pfwl::sGamma26.inverse(y); });
  expectEncoding(cs, true, [](double y) { return y > 0 ? std::pow(y, 1 / kGamma26) : 0.0; });
}

TEST(DisplayGamma, OtherGammasUseThePurePowerLawBothWays) {
  // 2.4 in double precision is not the single-precision 2.4 of the shared curve.
  const DisplayColorSpace cs = gammaSpace(2.4);
  EXPECT_DOUBLE_EQ(cs.getLinLut(false)->transform(0.5), std::pow(0.5, 2.4));
  EXPECT_EQ(cs.getLinLut(false), cs.getLinLut(true));
  // Encoding is never missing: it inverts the pure power law.
  expectEncoding(cs, false, [](double y) { return y > 0 ? std::pow(y, 1 / 2.4) : 0.0; });
  expectEncoding(cs, true, [](double y) { return y > 0 ? std::pow(y, 1 / 2.4) : 0.0; });

  const DisplayColorSpace srgbLike = gammaSpace(2.2);
  expectEncoding(srgbLike, false, [](double y) { return y > 0 ? std::pow(y, 1 / 2.2) : 0.0; });
  EXPECT_EQ(srgbLike.getGamma(), 2.2);
}

TEST(DisplayEotf, LinearPqAndHlg) {
  const DisplayColorSpace linear(kD65, kRed, kGreen, kBlue, EotfType::Linear, 0.0, "l", nullptr);
  EXPECT_EQ(linear.getLinLut(false), &LutFunc::sUnity);
  expectEncoding(linear, false, [](double y) { return y; });
  expectEncoding(linear, true, [](double y) { return y; });

  for (EotfType eotf : {EotfType::Pq, EotfType::Hlg}) {
    const DisplayColorSpace hdr(kD65, kRed, kGreen, kBlue, eotf, 0.0, "h", nullptr);
    EXPECT_EQ(hdr.getEotf(), eotf);
    for (bool pure : {false, true}) EXPECT_EQ(hdr.getLinLut(pure), &Pfwl::sGamma30);
    expectEncoding(hdr, false, [](double y) { return Pfwl::sGamma30.inverse(y); });
    expectEncoding(hdr, true, [](double y) { return Pfwl::sGamma30.inverse(y); });
  }
}

TEST(DisplayEotf, CallerTableDecodesAndItsInverseEncodes) {
  const unsigned short forward[3] = {0, 300, 1023};
  const unsigned short inverse[3] = {0, 700, 1023};
  const LutInverse table(forward, inverse, 3, 1023);
  const DisplayColorSpace cs(kD65, kRed, kGreen, kBlue, &table, "t", nullptr);
  EXPECT_EQ(cs.getEotf(), EotfType::Lut);
  EXPECT_EQ(cs.getGamma(), 0.0);
  EXPECT_EQ(cs.getLinLut(false), &table);
  EXPECT_EQ(cs.getLinLut(true), &table);
  for (bool pure : {false, true})
    EXPECT_DOUBLE_EQ(cs.getGammaLut(1, pure)->transform(0.75), 861.5 / 1023);
}

TEST(DisplayNames, AlternativeIdentifierAnswersToo) {
  const DisplayColorSpace cs(kD65, kRed, kGreen, kBlue, EotfType::Gamma, kGamma26,
                             "com.apple.proapps.colorspace.p3.dci.gamma26",
                             "com.apple.proapps.colorspace.dci.p3.gamma26");
  EXPECT_TRUE(cs.isColorSpace("com.apple.proapps.colorspace.p3.dci.gamma26", 0));
  EXPECT_TRUE(cs.isColorSpace("com.apple.proapps.colorspace.dci.p3.gamma26", 0));
  EXPECT_TRUE(cs.isColorSpace("p3.dci.gamma26", 29));
  EXPECT_TRUE(cs.isColorSpace("dci.p3.gamma26", 29));
  EXPECT_FALSE(cs.isColorSpace("dci.p3.gamma2", 29));
  EXPECT_EQ(cs.getNameLen(), 43u);

  const unsigned char alt[] = "com.apple.proapps.colorspace.dci.p3.gamma26 trailing";
  const unsigned char main[] = "com.apple.proapps.colorspace.p3.dci.gamma26";
  const unsigned char neither[] = "com.apple.proapps.colorspace.p3.d65.gamma26";
  EXPECT_TRUE(cs.isColorSpace(alt, 0));
  EXPECT_TRUE(cs.isColorSpace(main, 0));
  EXPECT_FALSE(cs.isColorSpace(neither, 0));
  EXPECT_TRUE(cs.isColorSpace(alt + 29, 29));

  // Identity by name ignores the alternative identifier.
  const DisplayColorSpace other(kD65, kRed, kGreen, kBlue, EotfType::Gamma, kGamma26,
                                "com.apple.proapps.colorspace.dci.p3.gamma26", nullptr);
  EXPECT_TRUE(cs != other);
}

TEST(DisplayNames, HdrByIdentifier) {
  const DisplayColorSpace pq(kD65, kRed, kGreen, kBlue, EotfType::Gamma, kGamma24,
                             "com.apple.proapps.colorspace.rec2100.d65.pq", nullptr);
  EXPECT_TRUE(pq.isHDR());
  const DisplayColorSpace aliased(kD65, kRed, kGreen, kBlue, EotfType::Pq, 0.0, "x",
                                  "com.apple.proapps.colorspace.rec2100.d65.hlg");
  EXPECT_TRUE(aliased.isHDR());
  const DisplayColorSpace plain(kD65, kRed, kGreen, kBlue, EotfType::Pq, 0.0, "x", nullptr);
  EXPECT_FALSE(plain.isHDR());
}

TEST(DisplayFailures, ConstructorArguments) {
  expectSignal(signalOf([] {
                 DisplayColorSpace(kD65, kRed, kGreen, kBlue, EotfType::Lut, 0.0, "x", nullptr);
               }),
               kIllegalCall, "Use other constructor for this EOTF type");
  for (int eotf : {0, 6, -1}) {
    expectSignal(signalOf([&] {
                   DisplayColorSpace(kD65, kRed, kGreen, kBlue, static_cast<EotfType>(eotf), 2.4,
                                     "x", nullptr);
                 }),
                 kIllegalValue, "Unknown EOTF type");
  }
  expectSignal(signalOf([] {
                 DisplayColorSpace(kD65, kRed, kGreen, kBlue,
                                   static_cast<const LutInverse*>(nullptr), "x", nullptr);
               }),
               kIllegalValue, "Unhandled gamma lut");

  KvrSignal white = signalOf([] {
    DisplayColorSpace({0.3, -0.1}, kRed, kGreen, kBlue, EotfType::Linear, 0.0, "x", nullptr);
  });
  EXPECT_EQ(white.code(), kIllegalValue);
  EXPECT_STREQ(white.what(), "Illegal white chromaticity");
}
