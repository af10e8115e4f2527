#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "kvrChromaLumaCurve.h"
#include "kvrError.h"

using namespace Kalvora;

namespace {

const double kSdrX[6] = {0, 0.27, 0.4003, 0.549, 0.7, 1.0};
const double kSdrY[6] = {0, 0.8263, 1.0, 1.0, 0.7968, 0.0};
const double kHdrX[7] = {0, 0.27, 0.4003, 0.55, 0.8, 0.9, 1.0};

void expectSdr(const ChromaLumaCurve& curve) {
  for (int k = 0; k < 6; ++k) EXPECT_EQ(curve.getChroma(kSdrX[k]), kSdrY[k]) << "knot " << k;
}

void expectHdr(const ChromaLumaCurve& curve, double y5) {
  const double y[7] = {1, 1, 0.95, 0.7747159, 0.4, y5, 0};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(curve.getChroma(kHdrX[k]), y[k]) << "knot " << k;
}

void expectRejected(ChromaLumaCurve& curve, double peakWhite) {
  try {
    curve.setPeakWhite(peakWhite);
    ADD_FAILURE() << "peak white " << peakWhite << " accepted";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kIllegalValue);
    EXPECT_STREQ(signal.where(), "src/kvrChromaLumaCurve:136 ERROR");
    EXPECT_STREQ(signal.what(), "Illegal value");
  }
}

}  // namespace

TEST(ChromaLumaCurve, DefaultIsTheSdrCurve) {
  ChromaLumaCurve curve;
  expectSdr(curve);
  EXPECT_EQ(curve.getChroma(0.4003), 1.0);
  EXPECT_EQ(curve.getChroma(1.0), 0.0);
  EXPECT_EQ(curve.getChroma(-1.0), 0.0);
}

TEST(ChromaLumaCurve, HdrCurveFollowsPeakWhite) {
  ChromaLumaCurve curve;
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.05);
  EXPECT_EQ(curve.getChroma(0.9), 0.05);
  curve.setPeakWhite(2000);
  EXPECT_EQ(curve.getChroma(0.9), 0.1);
  curve.setPeakWhite(4000);
  expectHdr(curve, 0.1);
  curve.setPeakWhite(1000);
  expectHdr(curve, 0.05);
}

TEST(ChromaLumaCurve, SlopesNearWhiteFollowPeakWhite) {
  const double h = 1e-7;
  ChromaLumaCurve curve;
  curve.setCurveType(ChromaLumaCurve::kHdr);
  EXPECT_NEAR((0.05 - curve.getChroma(0.9 - h)) / h, -1.5, 1e-5);
  EXPECT_NEAR((0.0 - curve.getChroma(1.0 - h)) / h, -0.2, 1e-5);
  curve.setPeakWhite(2000);
  EXPECT_NEAR((0.1 - curve.getChroma(0.9 - h)) / h, -1.715, 1e-5);
  EXPECT_NEAR((0.0 - curve.getChroma(1.0 - h)) / h, -0.23, 1e-5);
}

TEST(ChromaLumaCurve, PeakWhiteRebuildsHdrWhileSdrIsSelected) {
  ChromaLumaCurve curve;
  curve.setPeakWhite(2000);
  expectSdr(curve);
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.1);
  curve.setCurveType(ChromaLumaCurve::kSdr);
  expectSdr(curve);
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.1);
}

TEST(ChromaLumaCurve, UnknownTypeChangesNothing) {
  ChromaLumaCurve curve;
  curve.setCurveType(ChromaLumaCurve::kHdr);
  curve.setCurveType(ChromaLumaCurve::CurveType(2));
  expectHdr(curve, 0.05);
  curve.resetSpline();
  expectSdr(curve);
}

TEST(ChromaLumaCurve, UnknownPeakWhiteIsRejectedAndKeepsTheShape) {
  ChromaLumaCurve curve;
  curve.setCurveType(ChromaLumaCurve::kHdr);
  curve.setPeakWhite(2000);
  expectRejected(curve, 1500);
  expectRejected(curve, std::numeric_limits<double>::quiet_NaN());
  expectHdr(curve, 0.1);
  // The rejected value stays stored, so selecting HDR fails too and the
  // selection does not move.
  curve.setCurveType(ChromaLumaCurve::kSdr);
  EXPECT_THROW(curve.setCurveType(ChromaLumaCurve::kHdr), KvrSignal);
  expectSdr(curve);
  curve.setPeakWhite(1000);
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.05);
}

TEST(ChromaLumaCurve, CopyKeepsItsOwnSelection) {
  auto original = std::make_unique<ChromaLumaCurve>();
  original->setCurveType(ChromaLumaCurve::kHdr);
  ChromaLumaCurve copy(*original);
  ChromaLumaCurve assigned;
  assigned = *original;
  original.reset();
  expectHdr(copy, 0.05);
  expectHdr(assigned, 0.05);
  copy.setCurveType(ChromaLumaCurve::kSdr);
  expectSdr(copy);
  expectHdr(assigned, 0.05);
}
