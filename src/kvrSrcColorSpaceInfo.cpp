#include "kvrSrcColorSpaceInfo.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "kvrError.h"

#define KVR_SOURCE "src/kvrSrcColorSpaceInfo"

namespace Kalvora {

namespace {

// Below this triangle area (in the xy plane) the primaries are taken to lie
// on one line: real gamuts are many orders of magnitude larger.
constexpr double kMinGamutArea = 1e-9;

// Below this share of the white a primary counts as missing: the white lies
// on the line through the other two and the XYZ matrix loses a column.
constexpr double kMinPrimaryShare = 1e-9;

// Whites closer than this in x and y need no chromatic adaptation.
constexpr double kWhiteTolerance = 0.001;

void whiteXyz(const Chromaticity& w, double (&xyz)[3]) {
  xyz[0] = w.x / w.y;
  xyz[1] = 1.0;
  xyz[2] = (1.0 - w.x - w.y) / w.y;
}

// Von Kries scaling of the source white onto the destination white in the
// CAT02 cone space.
void cat02Adaptation(const Chromaticity& src, const Chromaticity& dst, double (&a)[9]) {
  double ws[3], wd[3];
  whiteXyz(src, ws);
  whiteXyz(dst, wd);
  double ls[3], ld[3];
  mulRgbMatVect(gCat02Mat, ws[0], ws[1], ws[2], ls[0], ls[1], ls[2]);
  mulRgbMatVect(gCat02Mat, wd[0], wd[1], wd[2], ld[0], ld[1], ld[2]);
  double gains[3] = {ld[0] / ls[0], ld[1] / ls[1], ld[2] / ls[2]};
  double d[9], catInv[9], scaled[9];
  diagMat(gains, d);
  bool ok = false;
  invMat(gCat02Mat, catInv, ok);
  mulRgbMat(catInv, d, scaled);
  mulRgbMat(scaled, gCat02Mat, a);
}

// e rounded half away from zero at the scale, through single precision. A
// product beyond the float range has no decimals left to round (and must not
// be narrowed to float): e stays as it is.
double roundToDecimals(double e, double scale) {
  const double scaled = e * scale;
  if (!(std::fabs(scaled) <= static_cast<double>(FLT_MAX))) return e;
  return kvrRoundf(static_cast<float>(scaled)) / scale;
}

}  // namespace

SrcColorSpaceInfo::SrcColorSpaceInfo(Chromaticity white, Chromaticity red, Chromaticity green,
                                     Chromaticity blue, const char* name)
    : white_(white), red_(red), green_(green), blue_(blue), name_(name) {
  if (!(white.x > 0.0 && white.y > 0.0))
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal white chromaticity");
}

unsigned long SrcColorSpaceInfo::getNameLen() const { return name_ ? std::strlen(name_) : 0; }

void SrcColorSpaceInfo::getXyzMatrix(double (&m)[9]) const {
  if (!(gamutSize() > kMinGamutArea))
    throw KvrSignal(kIllegalValue, KVR_HERE,
                    "Illegal primaries: they lie on one line and give no RGB to XYZ matrix");
  const double p[9] = {red_.x,
                       green_.x,
                       blue_.x,
                       red_.y,
                       green_.y,
                       blue_.y,
                       1.0 - red_.x - red_.y,
                       1.0 - green_.x - green_.y,
                       1.0 - blue_.x - blue_.y};
  double pInv[9];
  bool ok = false;
  invMat(p, pInv, ok);
  double w[3];
  whiteXyz(white_, w);
  double s[3];
  mulRgbMatVect(pInv, w[0], w[1], w[2], s[0], s[1], s[2]);
  if (!(std::fabs(s[0]) > kMinPrimaryShare && std::fabs(s[1]) > kMinPrimaryShare &&
        std::fabs(s[2]) > kMinPrimaryShare))
    throw KvrSignal(kIllegalValue, KVR_HERE,
                    "Illegal white point: it lies on the gamut boundary and gives a singular RGB "
                    "to XYZ matrix");
  double d[9];
  diagMat(s, d);
  mulRgbMat(p, d, m);
}

void SrcColorSpaceInfo::getWhite(double& X, double& Z) const {
  double w[3];
  whiteXyz(white_, w);
  X = w[0];
  Z = w[2];
}

double SrcColorSpaceInfo::gamutSize() const {
  return 0.5 * std::fabs((red_.y - blue_.y) * (red_.x - green_.x) -
                         (red_.x - blue_.x) * (red_.y - green_.y));
}

void SrcColorSpaceInfo::getConversionMatrix(const SrcColorSpaceInfo& dst, double (&m)[9]) const {
  if (*this == dst) {
    copyRgbMat(gUnityMatrix, m);
    return;
  }
  double mSrc[9], mDst[9], mInv[9];
  getXyzMatrix(mSrc);
  dst.getXyzMatrix(mDst);
  bool ok = false;
  invMat(mDst, mInv, ok);
  if (!ok)
    throw KvrSignal(kIllegalValue, KVR_HERE,
                    "Illegal destination colour space: its RGB to XYZ matrix is singular");

  const Chromaticity& ws = white_;
  const Chromaticity& wd = dst.white_;
  if (std::fabs(ws.x - wd.x) <= kWhiteTolerance && std::fabs(ws.y - wd.y) <= kWhiteTolerance) {
    mulRgbMat(mInv, mSrc, m);
    return;
  }
  double a[9], toDst[9];
  cat02Adaptation(ws, wd, a);
  mulRgbMat(mInv, a, toDst);
  mulRgbMat(toDst, mSrc, m);
}

void SrcColorSpaceInfo::getLumaMatrix(double (&m)[9]) const {
  double xyz[9];
  getXyzMatrix(xyz);
  for (int row = 0; row < 3; ++row)
    for (int c = 0; c < 3; ++c) m[3 * row + c] = xyz[3 + c];
}

void SrcColorSpaceInfo::getYPbPrMatrix(double (&m)[9], int digits) const {
  double xyz[9];
  getXyzMatrix(xyz);
  const double kr = xyz[3], kg = xyz[4], kb = xyz[5];
  m[0] = kr;
  m[1] = kg;
  m[2] = kb;
  m[3] = -kr / (2.0 * (1.0 - kb));
  m[4] = -kg / (2.0 * (1.0 - kb));
  m[5] = 0.5;
  m[6] = 0.5;
  m[7] = -kg / (2.0 * (1.0 - kr));
  m[8] = -kb / (2.0 * (1.0 - kr));
  if (digits <= 0) return;

  double scale = 1.0;
  for (int i = 0; i < digits; ++i) scale *= 10.0;
  for (double& e : m) e = roundToDecimals(e, scale);
  // Let the rounded luma row still sum to exactly 1.
  m[1] = (1.0 - ((m[0] + m[1]) + m[2])) + m[1];
}

bool SrcColorSpaceInfo::operator==(const SrcColorSpaceInfo& other) const {
  if (!name_ || !other.name_) return true;
  return std::strcmp(name_, other.name_) == 0;
}

bool SrcColorSpaceInfo::operator!=(const SrcColorSpaceInfo& other) const {
  if (!name_ || !other.name_) return false;
  return std::strcmp(name_, other.name_) != 0;
}

bool SrcColorSpaceInfo::isColorSpace(const char* name, unsigned long skip) const {
  return nameMatches(name_, name, skip);
}

bool SrcColorSpaceInfo::isColorSpace(const unsigned char* bytes, unsigned long skip) const {
  return bytesMatch(name_, bytes, skip);
}

bool SrcColorSpaceInfo::nameMatches(const char* identifier, const char* name, unsigned long skip) {
  if (!identifier || !name || skip > std::strlen(identifier)) return false;
  return std::strcmp(identifier + skip, name) == 0;
}

bool SrcColorSpaceInfo::bytesMatch(const char* identifier, const unsigned char* bytes,
                                   unsigned long skip) {
  if (!identifier || !bytes || skip > std::strlen(identifier)) return false;
  const char* tail = identifier + skip;
  return std::memcmp(tail, bytes, std::strlen(tail)) == 0;
}

}  // namespace Kalvora
