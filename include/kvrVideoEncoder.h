// Conversion between gamma-encoded R'G'B' and Y'CbCr code values of a given
// bit depth and signal range, in either direction, as a 3-D function.
#pragma once

#include <cstdint>

#include "kvrColorSpaces.h"
#include "kvrError.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class VideoEncoder : public LutFunc3D {
public:
  // How code values are scaled, with U = 2^(bits - 8) and M = 2^bits - 1:
  // luma offset and scale, chroma offset and scale.
  enum Range : int32_t {
    Full = 0,             // 0, M; 128 U, M
    Extended = 1,         // U, 254 U - 1; M / 2, 254 U - 1
    Legal = 2,            // 16 U, 219 U; 128 U, 224 U
    FullScaledChroma = 3  // 0, M; 128 U, M * 224 / 219
  };

  static constexpr int kMinBits = 8;
  static constexpr int kMaxBits = 16;

  // R'G'B' to Y'PbPr of the two supported colour spaces.
  static const double sRec709YPbPr[9];
  static const double sRec2020YPbPr[9];

  // Encodes Rec.709 R'G'B'. Throws kIllegalValue for a bit depth outside
  // kMinBits to kMaxBits or an unknown range.
  VideoEncoder(int bits, Range range);

  // encode or decode, by the direction.
  void transform(double a, double b, double c, double& x, double& y, double& z) const override;
  void show(int) const override {}

  // kIllegalValue (and nothing changes) outside kMinBits to kMaxBits.
  ErrorCode setBits(int bits);
  // An unknown range is ignored.
  void setRange(Range range);
  // true: R'G'B' to code values; false: the reverse.
  void setDirection(bool encode);
  // Rec1886 selects the Rec.709 matrix, Rec2020Gamma24 the Rec.2020 one;
  // anything else is kIllegalValue and changes nothing.
  ErrorCode setColorSpace(ColorSpace cs);
  // Nine row-major values (R'G'B' to Y'PbPr). A null or singular matrix is
  // kIllegalValue and changes nothing.
  ErrorCode setColorSpace(const double* m);

  // code = m * R'G'B' + offsets; offsets (three values) may be null.
  void getEncodingMatrix(double (&m)[9], double* offsets) const;
  // R'G'B' = m * (code + offsets); offsets (three values) may be null.
  void getDecodingMatrix(double (&m)[9], double* offsets) const;

  // No clamping or rounding in either direction: codes are real numbers.
  void encode(double r, double g, double b, double& y, double& cb, double& cr) const;
  void decode(double y, double cb, double cr, double& r, double& g, double& b) const;

private:
  static bool isValidBits(int bits) { return kMinBits <= bits && bits <= kMaxBits; }
  static bool isValidRange(Range range) { return Full <= range && range <= FullScaledChroma; }
  void updateScaling();
  // Takes m and its inverse when m is invertible; false leaves both as they were.
  bool loadMatrix(const double (&m)[9]);

  bool encode_;
  Range range_;
  int bits_;
  double matrix_[9];
  double inverse_[9];
  double lumaOffset_;
  double lumaScale_;
  double chromaOffset_;
  double chromaScale_;
};

}  // namespace Kalvora
