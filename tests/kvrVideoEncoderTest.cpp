#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "kvrMath.h"
#include "kvrVideoEncoder.h"

using namespace Kalvora;

namespace {

struct Scaling {
  double lumaOffset, lumaScale, chromaOffset, chromaScale;
};

// The scaling as a host sees it through the encoding matrix and offsets
// (Rec.709 matrix).
void expectScaling(const VideoEncoder& encoder, Scaling expected) {
  double m[9], offsets[3];
  encoder.getEncodingMatrix(m, offsets);
  EXPECT_DOUBLE_EQ(offsets[0], expected.lumaOffset);
  EXPECT_DOUBLE_EQ(m[0] / 0.2126, expected.lumaScale);
  EXPECT_DOUBLE_EQ(offsets[1], expected.chromaOffset);
  EXPECT_DOUBLE_EQ(m[5] / 0.5, expected.chromaScale);
}

void expectEncodes(const VideoEncoder& encoder, double r, double g, double b, double y, double cb,
                   double cr) {
  double out[3];
  encoder.transform(r, g, b, out[0], out[1], out[2]);
  EXPECT_NEAR(out[0], y, 1e-9);
  EXPECT_NEAR(out[1], cb, 1e-9);
  EXPECT_NEAR(out[2], cr, 1e-9);
}

}  // namespace

TEST(VideoEncoderScaling, TenBitRanges) {
  const double pb = 0.04584709169418339;  // minus Pr of pure blue
  VideoEncoder encoder(10, VideoEncoder::Legal);
  expectScaling(encoder, {64, 876, 512, 896});
  expectEncodes(encoder, 1, 1, 1, 940, 512, 512);
  expectEncodes(encoder, 0, 0, 0, 64, 512, 512);
  // Pure blue reaches the top of the Pb range, pure red the top of Pr.
  expectEncodes(encoder, 0, 0, 1, 64 + 0.0722 * 876, 960, 512 - pb * 896);
  expectEncodes(encoder, 1, 0, 0, 64 + 0.2126 * 876, 512 - 0.11457210605733996 * 896, 960);

  encoder.setRange(VideoEncoder::Full);
  expectScaling(encoder, {0, 1023, 512, 1023});
  expectEncodes(encoder, 1, 1, 1, 1023, 512, 512);
  expectEncodes(encoder, 0, 0, 1, 0.0722 * 1023, 512 + 511.5, 512 - pb * 1023);

  encoder.setRange(VideoEncoder::Extended);
  expectScaling(encoder, {4, 1015, 511.5, 1015});
  expectEncodes(encoder, 1, 1, 1, 1019, 511.5, 511.5);
  expectEncodes(encoder, 0, 0, 1, 4 + 0.0722 * 1015, 511.5 + 507.5, 511.5 - pb * 1015);

  encoder.setRange(VideoEncoder::FullScaledChroma);
  expectScaling(encoder, {0, 1023, 512, 1023 * 1.0228310502283104});
}

TEST(VideoEncoderRoundTrip, DecodeUndoesEncodeInEveryRange) {
  const double samples[][3] = {{0, 0, 0}, {1, 1, 1}, {1, 0, 0}, {0.2, 0.5, 0.9}, {-0.1, 1.2, 0.4}};
  for (int bits : {8, 10, 12, 16})
    for (VideoEncoder::Range range : {VideoEncoder::Full, VideoEncoder::Extended,
                                      VideoEncoder::Legal, VideoEncoder::FullScaledChroma})
      for (ColorSpace cs : {Rec1886, Rec2020Gamma24}) {
        VideoEncoder encoder(bits, range), decoder(bits, range);
        ASSERT_EQ(encoder.setColorSpace(cs), kNoError);
        ASSERT_EQ(decoder.setColorSpace(cs), kNoError);
        decoder.setDirection(false);
        for (const auto& rgb : samples) {
          double code[3], back[3];
          encoder.transform(rgb[0], rgb[1], rgb[2], code[0], code[1], code[2]);
          decoder.transform(code[0], code[1], code[2], back[0], back[1], back[2]);
          for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(back[c], rgb[c], 1e-12) << bits << " bits, range " << range;
        }
      }
}

TEST(VideoEncoderMatrices, HardwareFormMatchesTheFunction) {
  VideoEncoder encoder(10, VideoEncoder::Legal);
  encoder.setColorSpace(Rec2020Gamma24);
  double enc[9], encOffsets[3], dec[9], decOffsets[3];
  encoder.getEncodingMatrix(enc, encOffsets);
  encoder.getDecodingMatrix(dec, decOffsets);
  EXPECT_EQ(decOffsets[0], -64.0);
  EXPECT_EQ(decOffsets[1], -512.0);
  EXPECT_EQ(decOffsets[2], -512.0);

  double code[3], expected[3], back[3];
  mulRgbMatVect(enc, 0.3, 0.6, 0.1, code[0], code[1], code[2]);
  encoder.encode(0.3, 0.6, 0.1, expected[0], expected[1], expected[2]);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(code[c] + encOffsets[c], expected[c], 1e-9);
  for (int c = 0; c < 3; ++c) code[c] += encOffsets[c] + decOffsets[c];
  mulRgbMatVect(dec, code[0], code[1], code[2], back[0], back[1], back[2]);
  EXPECT_NEAR(back[0], 0.3, 1e-12);
  EXPECT_NEAR(back[1], 0.6, 1e-12);
  EXPECT_NEAR(back[2], 0.1, 1e-12);

  // Offsets are optional.
  encoder.getEncodingMatrix(enc, nullptr);
  encoder.getDecodingMatrix(dec, nullptr);
}

TEST(VideoEncoderColorSpace, OnlyRec709Rec2020OrAnInvertibleCallerMatrix) {
  VideoEncoder encoder(10, VideoEncoder::Full);
  double m[9];
  EXPECT_EQ(encoder.setColorSpace(Rec2020Gamma24), kNoError);
  EXPECT_EQ(encoder.setColorSpace(P3D65Gamma26), kIllegalValue);
  EXPECT_EQ(encoder.setColorSpace(static_cast<ColorSpace>(-1)), kIllegalValue);
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[0], 0.2627 * 1023);
  EXPECT_EQ(encoder.setColorSpace(Rec1886), kNoError);
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[0], 0.2126 * 1023);

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
  EXPECT_NEAR(back[0], 0.25, 1e-12);
  EXPECT_NEAR(back[2], 0.75, 1e-12);
}

TEST(VideoEncoderFailures, BitDepthOutsideEightToSixteenAndUnknownRange) {
  VideoEncoder encoder(10, VideoEncoder::Legal);
  for (int bits : {7, 0, -3, 17, 31, 40}) {
    EXPECT_EQ(encoder.setBits(bits), kIllegalValue) << bits;
    expectScaling(encoder, {64, 876, 512, 896});
  }
  EXPECT_EQ(encoder.setBits(8), kNoError);
  EXPECT_EQ(encoder.setBits(16), kNoError);

  const struct {
    int bits;
    int range;
    const char* message;
  } bad[] = {{7, VideoEncoder::Legal, "Illegal video bit depth"},
             {17, VideoEncoder::Legal, "Illegal video bit depth"},
             {10, 4, "Illegal video range"}};
  for (const auto& c : bad) {
    try {
      VideoEncoder rejected(c.bits, static_cast<VideoEncoder::Range>(c.range));
      ADD_FAILURE() << c.message << " not raised";
    } catch (const KvrSignal& s) {
      EXPECT_EQ(s.code(), kIllegalValue);
      EXPECT_STREQ(s.what(), c.message);
      EXPECT_EQ(std::strncmp(s.where(), "src/kvrVideoEncoder:", 20), 0) << s.where();
    }
  }
}
