#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

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

DisplayColorSpace space(EotfType eotf, double gamma, const char* name = "x",
                        const char* altName = nullptr) {
  return DisplayColorSpace(kD65, kRed, kGreen, kBlue, eotf, gamma, name, altName);
}

// Every channel encodes with the same function, whatever the channel.
template <class Expected>
void expectEncoding(const DisplayColorSpace& cs, bool pure, Expected expected) {
  for (int channel = 0; channel < 3; ++channel) {
    const LutFunc* f = cs.getGammaLut(channel, pure);
    ASSERT_NE(f, nullptr);
    for (double y : {0.0, 0.01, 0.18, 0.5, 1.0})
      EXPECT_DOUBLE_EQ(f->transform(y), expected(y)) << "channel " << channel << " at " << y;
  }
}

template <class Work>
void expectSignal(Work&& work, ErrorCode code, const char* message,
                  const char* where = "src/kvrDisplayColorSpace:") {
  try {
    work();
    ADD_FAILURE() << "no signal thrown, expected \"" << message << "\"";
  } catch (const KvrSignal& s) {
    EXPECT_EQ(s.code(), code);
    EXPECT_STREQ(s.what(), message);
    EXPECT_EQ(std::strncmp(s.where(), where, std::strlen(where)), 0) << s.where();
  }
}

TEST(DisplayNames, AlternativeIdentifierAnswersToo) {
  const DisplayColorSpace cs =
      space(EotfType::Gamma, kGamma26, "com.apple.proapps.colorspace.p3.dci.gamma26",
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
  EXPECT_TRUE(cs !=
              space(EotfType::Gamma, kGamma26, "com.apple.proapps.colorspace.dci.p3.gamma26"));

  // HDR is decided by identifier (main or alternative), not by the EOTF.
  EXPECT_TRUE(
      space(EotfType::Gamma, kGamma24, "com.apple.proapps.colorspace.rec2100.d65.pq").isHDR());
  EXPECT_TRUE(
      space(EotfType::Pq, 0.0, "x", "com.apple.proapps.colorspace.rec2100.d65.hlg").isHDR());
  EXPECT_FALSE(space(EotfType::Pq, 0.0).isHDR());
}

}  // namespace

TEST(DisplayGamma, SinglePrecisionGammasUseTheSharedCurves) {
  const struct {
    double gamma;
    const Pfwl* shared;
  } cases[] = {{kGamma24, &Pfwl::sGamma24}, {kGamma26, &Pfwl::sGamma26}, {2.4, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gamma);
    const DisplayColorSpace cs = space(EotfType::Gamma, c.gamma);
    const double g = c.gamma;
    const auto powerInverse = [g](double y) { return y > 0 ? std::pow(y, 1 / g) : 0.0; };
    const LutFunc* pure = cs.getLinLut(true);
    EXPECT_DOUBLE_EQ(pure->transform(0.5), std::pow(0.5, g));
    EXPECT_EQ(pure->transform(-0.5), 0.0);
    expectEncoding(cs, true, powerInverse);
    if (c.shared != nullptr) {
      EXPECT_EQ(cs.getLinLut(false), c.shared);
      expectEncoding(cs, false, [&c](double y) { return c.shared->inverse(y); });
    } else {
      // 2.4 in double precision is not the shared curve's gamma: the pure
      // power law both ways, and the encoding is never missing.
      EXPECT_EQ(cs.getLinLut(false), pure);
      expectEncoding(cs, false, powerInverse);
    }
  }
}

TEST(DisplayEotf, LinearPqAndHlg) {
  const DisplayColorSpace linear = space(EotfType::Linear, 0.0);
  EXPECT_EQ(linear.getLinLut(false), &LutFunc::sUnity);
  expectEncoding(linear, false, [](double y) { return y; });
  expectEncoding(linear, true, [](double y) { return y; });

  for (EotfType eotf : {EotfType::Pq, EotfType::Hlg}) {
    const DisplayColorSpace hdr = space(eotf, 0.0);
    for (bool pure : {false, true}) {
      EXPECT_EQ(hdr.getLinLut(pure), &Pfwl::sGamma30);
      expectEncoding(hdr, pure, [](double y) { return Pfwl::sGamma30.inverse(y); });
    }
  }
}

TEST(DisplayEotf, CallerTableDecodesAndItsInverseEncodes) {
  const unsigned short forward[3] = {0, 300, 1023};
  const unsigned short inverse[3] = {0, 700, 1023};
  const LutInverse table(forward, inverse, 3, 1023);
  const DisplayColorSpace cs(kD65, kRed, kGreen, kBlue, &table, "t", nullptr);
  EXPECT_EQ(cs.getEotf(), EotfType::Lut);
  EXPECT_EQ(cs.getGamma(), 0.0);
  for (bool pure : {false, true}) {
    EXPECT_EQ(cs.getLinLut(pure), &table);
    EXPECT_DOUBLE_EQ(cs.getGammaLut(1, pure)->transform(0.75), 861.5 / 1023);
  }
}

TEST(DisplayFailures, ConstructorArguments) {
  expectSignal([] { space(EotfType::Lut, 0.0); }, kIllegalCall,
               "Use other constructor for this EOTF type");
  for (int eotf : {0, 6, -1})
    expectSignal([&] { space(static_cast<EotfType>(eotf), 2.4); }, kIllegalValue,
                 "Unknown EOTF type");
  expectSignal(
      [] {
        DisplayColorSpace(kD65, kRed, kGreen, kBlue, static_cast<const LutInverse*>(nullptr), "x",
                          nullptr);
      },
      kIllegalValue, "Unhandled gamma lut");
  expectSignal(
      [] {
        DisplayColorSpace({0.3, -0.1}, kRed, kGreen, kBlue, EotfType::Linear, 0.0, "x", nullptr);
      },
      kIllegalValue, "Illegal white chromaticity", "src/kvrSrcColorSpaceInfo:");
}
