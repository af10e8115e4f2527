#include <gtest/gtest.h>

#include <cmath>

#include "kvrMath.h"
#include "kvrVideoEncoder.h"

using namespace Kalvora;

namespace {

void expectEncodes(const VideoEncoder& encoder, double r, double g, double b,
                   std::initializer_list<double> code) {
  double out[3];
  encoder.transform(r, g, b, out[0], out[1], out[2]);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[c], code.begin()[c], 1e-9) << c;
}

}  // namespace

// Published 10-bit code values of white, black and the blue and red
// primaries, Rec.709 coefficients.
TEST(VideoEncoder, TenBitRanges) {
  const double pb = 0.04584709169418339;  // minus Pr of pure blue
  VideoEncoder encoder(10, VideoEncoder::Legal);
  expectEncodes(encoder, 1, 1, 1, {940, 512, 512});
  expectEncodes(encoder, 0, 0, 0, {64, 512, 512});
  expectEncodes(encoder, 0, 0, 1, {64 + 0.0722 * 876, 960, 512 - pb * 896});
  expectEncodes(encoder, 1, 0, 0, {64 + 0.2126 * 876, 512 - 0.11457210605733996 * 896, 960});
  encoder.setRange(VideoEncoder::Full);
  expectEncodes(encoder, 0, 0, 1, {0.0722 * 1023, 512 + 511.5, 512 - pb * 1023});
  encoder.setRange(VideoEncoder::Extended);
  expectEncodes(encoder, 1, 1, 1, {1019, 511.5, 511.5});
  expectEncodes(encoder, 0, 0, 1, {4 + 0.0722 * 1015, 511.5 + 507.5, 511.5 - pb * 1015});
  encoder.setRange(VideoEncoder::FullScaledChroma);
  double m[9], offsets[3];
  encoder.getEncodingMatrix(m, offsets);
  EXPECT_DOUBLE_EQ(m[5], 0.5 * 1023 * 1.0228310502283104);
  EXPECT_EQ(offsets[1], 512.0);
}

// Decoding undoes encoding in every range, through the function and through
// the matrix-and-offsets form a host loads into hardware.
TEST(VideoEncoder, RoundTripsInEveryRangeAndBothForms) {
  const double samples[][3] = {{0, 0, 0}, {1, 1, 1}, {1, 0, 0}, {0.2, 0.5, 0.9}, {-0.1, 1.2, 0.4}};
  for (int bits : {8, 10, 12, 16})
    for (VideoEncoder::Range range : {VideoEncoder::Full, VideoEncoder::Extended,
                                      VideoEncoder::Legal, VideoEncoder::FullScaledChroma})
      for (ColorSpace cs : {Rec1886, Rec2020Gamma24}) {
        SCOPED_TRACE(testing::Message() << bits << " bits, range " << range << ", space " << cs);
        VideoEncoder encoder(bits, range);
        ASSERT_EQ(encoder.setColorSpace(cs), kNoError);
        double enc[9], encOffsets[3], dec[9], decOffsets[3];
        encoder.getEncodingMatrix(enc, encOffsets);
        encoder.getDecodingMatrix(dec, decOffsets);
        for (const auto& rgb : samples) {
          double code[3], viaMatrix[3], back[3];
          encoder.encode(rgb[0], rgb[1], rgb[2], code[0], code[1], code[2]);
          mulRgbMatVect(enc, rgb[0], rgb[1], rgb[2], viaMatrix[0], viaMatrix[1], viaMatrix[2]);
          for (int c = 0; c < 3; ++c) EXPECT_NEAR(viaMatrix[c] + encOffsets[c], code[c], 1e-9);
          encoder.setDirection(false);
          encoder.transform(code[0], code[1], code[2], back[0], back[1], back[2]);
          encoder.setDirection(true);
          for (int c = 0; c < 3; ++c) EXPECT_NEAR(back[c], rgb[c], 1e-12);
          for (int c = 0; c < 3; ++c) code[c] += decOffsets[c];
          mulRgbMatVect(dec, code[0], code[1], code[2], back[0], back[1], back[2]);
          for (int c = 0; c < 3; ++c) EXPECT_NEAR(back[c], rgb[c], 1e-12);
        }
      }
}

TEST(VideoEncoder, RejectsOtherSpacesSingularMatricesBitDepthsAndRanges) {
  VideoEncoder encoder(10, VideoEncoder::Full);
  double m[9];
  EXPECT_EQ(encoder.setColorSpace(P3D65Gamma26), kIllegalValue);
  EXPECT_EQ(encoder.setColorSpace(static_cast<ColorSpace>(-1)), kIllegalValue);
  EXPECT_EQ(encoder.setColorSpace(Rec2020Gamma24), kNoError);
  encoder.getEncodingMatrix(m, nullptr);  // offsets are optional
  EXPECT_DOUBLE_EQ(m[0], 0.2627 * 1023);
  const double custom[9] = {0.3, 0.59, 0.11, -0.17, -0.33, 0.5, 0.5, -0.42, -0.08};
  EXPECT_EQ(encoder.setColorSpace(custom), kNoError);
  // A singular, non-finite or missing matrix changes neither direction.
  const double singular[9] = {1, 2, 3, 2, 4, 6, 0, 0, 1};
  const double notFinite[9] = {1, 0, 0, 0, 1, 0, 0, 0, NAN};
  for (const double* bad : {singular, notFinite, static_cast<const double*>(nullptr)})
    EXPECT_EQ(encoder.setColorSpace(bad), kIllegalValue);
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[1], 0.59 * 1023);
  double code[3], back[3];
  encoder.encode(0.25, 0.5, 0.75, code[0], code[1], code[2]);
  encoder.decode(code[0], code[1], code[2], back[0], back[1], back[2]);
  EXPECT_NEAR(back[2], 0.75, 1e-12);

  for (int bits : {7, -3, 17}) EXPECT_EQ(encoder.setBits(bits), kIllegalValue) << bits;
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[1], 0.59 * 1023);
  EXPECT_EQ(encoder.setBits(16), kNoError);
  EXPECT_THROW(VideoEncoder(17, VideoEncoder::Legal), KvrSignal);
  EXPECT_THROW(VideoEncoder(10, static_cast<VideoEncoder::Range>(4)), KvrSignal);
}
