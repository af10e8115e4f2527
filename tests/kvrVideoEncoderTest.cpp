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

// The scaling as a host sees it through the encoding matrix and offsets.
Scaling scalingOf(const VideoEncoder& encoder) {
  double m[9], offsets[3];
  encoder.getEncodingMatrix(m, offsets);
  return {offsets[0], m[0] / 0.2126, offsets[1], m[5] / 0.5};
}

void expectScaling(const VideoEncoder& encoder, Scaling expected) {
  Scaling s = scalingOf(encoder);
  EXPECT_DOUBLE_EQ(s.lumaOffset, expected.lumaOffset);
  EXPECT_DOUBLE_EQ(s.lumaScale, expected.lumaScale);
  EXPECT_DOUBLE_EQ(s.chromaOffset, expected.chromaOffset);
  EXPECT_DOUBLE_EQ(s.chromaScale, expected.chromaScale);
}

void expectEncodes(const VideoEncoder& encoder, double r, double g, double b, double y, double cb,
                   double cr) {
  double out[3];
  encoder.transform(r, g, b, out[0], out[1], out[2]);
  EXPECT_NEAR(out[0], y, 1e-9);
  EXPECT_NEAR(out[1], cb, 1e-9);
  EXPECT_NEAR(out[2], cr, 1e-9);
}

const VideoEncoder::Range kRanges[] = {VideoEncoder::Full, VideoEncoder::Extended,
                                       VideoEncoder::Legal, VideoEncoder::FullScaledChroma};

}  // namespace

TEST(VideoEncoderConstants, YPbPrRowsFollowFromTheLumaCoefficients) {
  for (const double* m : {VideoEncoder::sRec709YPbPr, VideoEncoder::sRec2020YPbPr}) {
    const double kr = m[0], kg = m[1], kb = m[2];
    EXPECT_EQ(kr + kg + kb, 1.0);
    EXPECT_DOUBLE_EQ(m[3], -kr / (2 * (1 - kb)));
    EXPECT_DOUBLE_EQ(m[4], -kg / (2 * (1 - kb)));
    EXPECT_EQ(m[5], 0.5);
    EXPECT_EQ(m[6], 0.5);
    EXPECT_DOUBLE_EQ(m[7], -kg / (2 * (1 - kr)));
    EXPECT_DOUBLE_EQ(m[8], -kb / (2 * (1 - kr)));
  }
}

TEST(VideoEncoderScaling, TenBitRanges) {
  VideoEncoder encoder(10, VideoEncoder::Legal);
  expectScaling(encoder, {64, 876, 512, 896});
  expectEncodes(encoder, 1, 1, 1, 940, 512, 512);
  expectEncodes(encoder, 0, 0, 0, 64, 512, 512);
  // Pure blue reaches the top of the Pb range, pure red the top of Pr.
  expectEncodes(encoder, 0, 0, 1, 64 + 0.0722 * 876, 960, 512 - 0.04584709169418339 * 896);
  expectEncodes(encoder, 1, 0, 0, 64 + 0.2126 * 876, 512 - 0.11457210605733996 * 896, 960);

  encoder.setRange(VideoEncoder::Full);
  expectScaling(encoder, {0, 1023, 512, 1023});
  expectEncodes(encoder, 1, 1, 1, 1023, 512, 512);
  expectEncodes(encoder, 0, 0, 1, 0.0722 * 1023, 512 + 511.5, 512 - 0.04584709169418339 * 1023);

  encoder.setRange(VideoEncoder::Extended);
  expectScaling(encoder, {4, 1015, 511.5, 1015});
  expectEncodes(encoder, 1, 1, 1, 1019, 511.5, 511.5);
  expectEncodes(encoder, 0, 0, 1, 4 + 0.0722 * 1015, 511.5 + 507.5,
                511.5 - 0.04584709169418339 * 1015);

  encoder.setRange(VideoEncoder::FullScaledChroma);
  expectScaling(encoder, {0, 1023, 512, 1023 * 1.0228310502283104});
}

TEST(VideoEncoderScaling, EightAndSixteenBits) {
  VideoEncoder encoder(8, VideoEncoder::Extended);
  expectScaling(encoder, {1, 253, 127.5, 253});
  encoder.setBits(16);
  expectScaling(encoder, {256, 254 * 256 - 1, 32767.5, 254 * 256 - 1});
  encoder.setRange(VideoEncoder::Legal);
  expectScaling(encoder, {4096, 219 * 256, 32768, 224 * 256});
}

TEST(VideoEncoderScaling, UnknownRangeIsIgnored) {
  VideoEncoder encoder(10, VideoEncoder::Legal);
  encoder.setRange(static_cast<VideoEncoder::Range>(4));
  expectScaling(encoder, {64, 876, 512, 896});
  encoder.setBits(12);  // still the legal range
  expectScaling(encoder, {256, 3504, 2048, 3584});
}

TEST(VideoEncoderRoundTrip, DecodeUndoesEncodeInEveryRange) {
  const double samples[][3] = {{0, 0, 0}, {1, 1, 1}, {1, 0, 0}, {0.2, 0.5, 0.9}, {-0.1, 1.2, 0.4}};
  for (int bits : {8, 10, 12, 16}) {
    for (VideoEncoder::Range range : kRanges) {
      for (ColorSpace cs : {Rec1886, Rec2020Gamma24}) {
        VideoEncoder encoder(bits, range);
        ASSERT_EQ(encoder.setColorSpace(cs), kNoError);
        VideoEncoder decoder(bits, range);
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
  }
}

TEST(VideoEncoderMatrices, HardwareFormMatchesTheFunction) {
  VideoEncoder encoder(10, VideoEncoder::Legal);
  encoder.setColorSpace(Rec2020Gamma24);
  double enc[9], encOffsets[3], dec[9], decOffsets[3];
  encoder.getEncodingMatrix(enc, encOffsets);
  encoder.getDecodingMatrix(dec, decOffsets);

  const double rgb[3] = {0.3, 0.6, 0.1};
  double code[3], expected[3];
  mulRgbMatVect(enc, rgb[0], rgb[1], rgb[2], code[0], code[1], code[2]);
  encoder.encode(rgb[0], rgb[1], rgb[2], expected[0], expected[1], expected[2]);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(code[c] + encOffsets[c], expected[c], 1e-9);

  double back[3];
  mulRgbMatVect(dec, code[0] + encOffsets[0] + decOffsets[0],
                code[1] + encOffsets[1] + decOffsets[1], code[2] + encOffsets[2] + decOffsets[2],
                back[0], back[1], back[2]);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(back[c], rgb[c], 1e-12);
  EXPECT_EQ(decOffsets[0], -64.0);
  EXPECT_EQ(decOffsets[1], -512.0);
  EXPECT_EQ(decOffsets[2], -512.0);

  // Offsets are optional.
  encoder.getEncodingMatrix(enc, nullptr);
  encoder.getDecodingMatrix(dec, nullptr);
}

TEST(VideoEncoderColorSpace, OnlyRec709AndRec2020) {
  VideoEncoder encoder(10, VideoEncoder::Full);
  EXPECT_EQ(encoder.setColorSpace(Rec2020Gamma24), kNoError);
  double m[9];
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[0], 0.2627 * 1023);

  EXPECT_EQ(encoder.setColorSpace(P3D65Gamma26), kIllegalValue);
  EXPECT_EQ(encoder.setColorSpace(static_cast<ColorSpace>(-1)), kIllegalValue);
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[0], 0.2627 * 1023);

  EXPECT_EQ(encoder.setColorSpace(Rec1886), kNoError);
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[0], 0.2126 * 1023);
}

TEST(VideoEncoderColorSpace, CallerMatrixMustBeInvertible) {
  VideoEncoder encoder(10, VideoEncoder::Full);
  const double custom[9] = {0.3, 0.59, 0.11, -0.17, -0.33, 0.5, 0.5, -0.42, -0.08};
  EXPECT_EQ(encoder.setColorSpace(custom), kNoError);
  double m[9];
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[1], 0.59 * 1023);

  // A singular matrix changes neither direction.
  const double singular[9] = {1, 2, 3, 2, 4, 6, 0, 0, 1};
  EXPECT_EQ(encoder.setColorSpace(singular), kIllegalValue);
  const double notFinite[9] = {1, 0, 0, 0, 1, 0, 0, 0, NAN};
  EXPECT_EQ(encoder.setColorSpace(notFinite), kIllegalValue);
  EXPECT_EQ(encoder.setColorSpace(static_cast<const double*>(nullptr)), kIllegalValue);
  encoder.getEncodingMatrix(m, nullptr);
  EXPECT_DOUBLE_EQ(m[1], 0.59 * 1023);
  double code[3], back[3];
  encoder.encode(0.25, 0.5, 0.75, code[0], code[1], code[2]);
  encoder.decode(code[0], code[1], code[2], back[0], back[1], back[2]);
  EXPECT_NEAR(back[0], 0.25, 1e-12);
  EXPECT_NEAR(back[2], 0.75, 1e-12);
}

TEST(VideoEncoderFailures, BitDepthOutsideEightToSixteen) {
  VideoEncoder encoder(10, VideoEncoder::Legal);
  for (int bits : {7, 0, -3, 17, 31, 40}) {
    EXPECT_EQ(encoder.setBits(bits), kIllegalValue) << bits;
    expectScaling(encoder, {64, 876, 512, 896});
  }
  EXPECT_EQ(encoder.setBits(8), kNoError);
  EXPECT_EQ(encoder.setBits(16), kNoError);
}

TEST(VideoEncoderFailures, ConstructorRejectsBitDepthAndRange) {
  for (int bits : {7, 17}) {
    try {
      VideoEncoder encoder(bits, VideoEncoder::Legal);
      ADD_FAILURE() << bits << " bits accepted";
    } catch (const KvrSignal& s) {
      EXPECT_EQ(s.code(), kIllegalValue);
      EXPECT_STREQ(s.what(), "Illegal video bit depth");
      EXPECT_EQ(std::strncmp(s.where(), "src/kvrVideoEncoder:", 20), 0) << s.where();
    }
  }
  try {
    VideoEncoder encoder(10, static_cast<VideoEncoder::Range>(4));
    ADD_FAILURE() << "unknown range accepted";
  } catch (const KvrSignal& s) {
    EXPECT_EQ(s.code(), kIllegalValue);
    EXPECT_STREQ(s.what(), "Illegal video range");
  }
}
