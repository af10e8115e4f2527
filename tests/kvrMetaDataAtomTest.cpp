#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kvrLutCoreTestSupport.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrMD5.h"
#include "kvrMetaDataAtomKeys.h"

namespace Kalvora {
namespace {

using Bytes = std::vector<unsigned char>;
using Codes = std::vector<unsigned short>;
using Change = std::function<void(Bytes&)>;
using Ids = std::vector<unsigned int>;
using KalvoraTest::contains;
using KalvoraTest::cube;

constexpr size_t kRawSize = 215976;
constexpr size_t kRawDesignAt = 215828;

void putBe(Bytes& b, size_t at, unsigned int v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    b[at + i] = static_cast<unsigned char>(v >> (8 * (bytes - 1 - i)));
}
unsigned int host32(const Bytes& b, size_t at) {
  unsigned int v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
Change be16At(size_t at, unsigned int v) {
  return [=](Bytes& b) { putBe(b, at, v, 2); };
}
Change be32At(size_t at, unsigned int v) {
  return [=](Bytes& b) { putBe(b, at, v, 4); };
}
Change hostAt(size_t at, unsigned int v) {
  return [=](Bytes& b) { std::memcpy(&b[at], &v, 4); };
}
Change byteAt(size_t at) {
  return [=](Bytes& b) { b[at] = 'q'; };
}
Change shrink(size_t n) {
  return [=](Bytes& b) { b.resize(n); };
}
const unsigned char* bytesOf(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}
std::string textAt(const Bytes& b, size_t at) { return reinterpret_cast<const char*>(&b[at]); }

Bytes atom(LutGeneratorImageCore& c, const char* key) {
  unsigned int size = 0;
  EXPECT_EQ(c.getMetaDataSize(key, size), kNoError) << key;
  Bytes b(size, 0xCD);
  EXPECT_EQ(c.getMetaData(key, b.data()), kNoError) << key;
  return b;
}

Codes exported(LutGeneratorImageCore& c, unsigned int id) {
  Codes out(3 * cube(33));
  EXPECT_EQ(c.export3dLut(id, 33, out.data(), kLutInterleaved, 65535), kNoError);
  return out;
}

void expectSameParameters(LutGeneratorImageCore& a, LutGeneratorImageCore& b, const Ids& ids) {
  for (unsigned int id : ids) {
    double x = -1, y = -2;
    a.getParam(id, x);
    b.getParam(id, y);
    EXPECT_EQ(x, y) << id;
  }
}

const Ids kLookIds = {kLutParamKnee,
                      kLutParamBlackGamma,
                      kLutParamMasterGamma,
                      kLutParamVideoSaturation,
                      kLutParamHueSaturationRed,
                      kLutParamHueSaturationMagenta};
const Ids kCdlIds = {kLutParamCdlSaturation, kLutParamCdlSlopeRed,  kLutParamCdlOffsetGreen,
                     kLutParamCdlPowerBlue,  kLutParamCdlSlopeBlue, kLutParamCdlOffsetRed};
const Ids kVideoIds = {
    kLutParamKnee,           kLutParamHueSaturationCyan, kLutParamVideoSlopeRed,
    kLutParamVideoGammaBlue, kLutParamVideoPedestalRed,  kLutParamVideoPedestalBlue};

class MetaDataTest : public KalvoraTest::ReportCaptureTest {
protected:
  // A non-default look: every saved parameter off its default (exact in
  // single precision), a user LUT, file name, note and design data.
  void makeLook(LutGeneratorImageCore& c, ColorSpace target) {
    userLut.resize(3 * cube(33));
    for (size_t i = 0; i < userLut.size(); ++i)
      userLut[i] = static_cast<unsigned short>((i * 40503u) >> 3);
    ASSERT_EQ(c.setUser3dLut(kLutNodeLook, 33, userLut.data(), kLutInterleaved, 65535), kNoError);
    PipelineParameter* const* p = c.getParameters();
    for (int i = 0; i < c.getNumParameters(); ++i)
      if (p[i]->save(false)) {
        const double value = std::round((p[i]->minimum + p[i]->maximum) * 32) / 64 + 0.0625;
        ASSERT_EQ(c.setParam(p[i]->id, value), kNoError) << p[i]->id;
      }
    c.getLookFile()->setLutFileName(bytesOf("show_lut.cube"), 13);
    c.getLookFile()->setLookNote(bytesOf("night exterior"), 14);
    ASSERT_EQ(c.setUserLutDesignDataKey(bytesOf("grade"), 5), kNoError);
    ASSERT_EQ(c.setUserLutDesignData(design.data(), unsigned(design.size())), kNoError);
    ASSERT_EQ(c.getLookFile()->setTargetColorSpace(target), kNoError);
  }

  LutGeneratorImageCore core;
  Codes userLut;
  const Bytes design = {9, 8, 7, 0, 6};
};

class AtomRoundTripTest : public MetaDataTest, public testing::WithParamInterface<ColorSpace> {};

TEST_P(AtomRoundTripTest, EveryPayloadParsesBackIntoAFreshCore) {
  makeLook(core, GetParam());
  auto target = [](ColorSpace id) {
    return [id](LutGeneratorImageCore& c) {
      EXPECT_EQ(c.getTargetColorSpace(), c.getColorSpaceInfo(id));
      EXPECT_EQ(c.getLookFile()->getTargetColorSpace(), c.getTargetColorSpace());
    };
  };
  const ColorSpace mine = GetParam();
  const struct {
    const char* key;
    std::function<void(LutGeneratorImageCore&)> check;
  } cases[] = {
      {look_video_param_atom_key, [&](auto& c) { expectSameParameters(core, c, kLookIds); }},
      {asc_cdl_param_atom_key, [&](auto& c) { expectSameParameters(core, c, kCdlIds); }},
      {look_video_param_v2_atom_key,
       [&](auto& c) { expectSameParameters(core, c, kVideoIds), target(mine)(c); }},
      {look_video_param_v2_atom_key_old, target(mine)},
      {look_info_atom_key,
       [&](auto& c) {
         EXPECT_STREQ(c.getLookFile()->getLutFileName(), "show_lut.cube");
         EXPECT_STREQ(c.getLookFile()->getLookNote(), "night exterior");
       }},
      // Plain LUT atoms carry the look converted to Rec.1886.
      {lut3d_atom_key,
       [&](auto& c) {
         target(Rec1886)(c);
         EXPECT_EQ(exported(c, kLutExportLookWithoutTransform),
                   exported(core, mine == Rec1886 ? kLutNodeLook : kLutExportLookRec1886));
       }},
      {lut3d_with_cdl_atom_key, target(Rec1886)},
      {vornraw_lut3d_atom_key,
       [&](auto& c) {
         target(mine)(c);
         EXPECT_EQ(exported(c, kLutExportLookWithoutTransform), exported(core, kLutNodeLook));
         EXPECT_STREQ(c.getLookFile()->getLutFileName(), "show_lut.cube");
         ASSERT_EQ(c.getUserLutDesignDataSize(), design.size());
         EXPECT_EQ(Bytes(c.getUserLutDesignData(), c.getUserLutDesignData() + 5), design);
       }},
      // Master atoms carry the look in the target; there is none for Rec.1886.
      {mine == Rec1886 ? nullptr : lut3d_master_atom_key,
       [&](auto& c) {
         target(mine)(c);
         EXPECT_EQ(exported(c, kLutExportLookWithoutTransform), exported(core, kLutNodeLook));
       }},
  };
  for (const auto& k : cases) {
    if (k.key == nullptr) continue;
    SCOPED_TRACE(k.key);
    Bytes payload = atom(core, k.key);
    LutGeneratorImageCore fresh;
    ASSERT_EQ(fresh.setMetaData(k.key, payload.data(), unsigned(payload.size())), kNoError);
    std::fill(payload.begin(), payload.end(), 0);  // nothing may refer to the payload
    k.check(fresh);
  }
  EXPECT_EQ(reportCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rec1886AndP3, AtomRoundTripTest, testing::Values(Rec1886, P3D65Gamma26));

TEST_F(MetaDataTest, PlainAndMasterKeysNameTheirColourSpace) {
  unsigned int size = 1;
  EXPECT_EQ(core.getMetaDataSize(lut3d_master_atom_key, size), kNoError);
  EXPECT_EQ(size, 0u);
  Bytes buffer(300000);
  EXPECT_EQ(core.getMetaData(lut3d_master_with_cdl_atom_key, buffer.data()), kIllegalValue);
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  const Bytes plain = atom(core, lut3d_atom_key);
  EXPECT_EQ(plain.size(), 64u + 215624u);  // 28 + 36 name bytes
  EXPECT_EQ(textAt(plain, 28), "com.apple.proapps.colorspace.rec1886");
  const Bytes master = atom(core, lut3d_master_atom_key);
  EXPECT_EQ(master.size(), 72u + 215624u);  // 43 name bytes padded to 44
  EXPECT_EQ(textAt(master, 28), "com.apple.proapps.colorspace.rec2100.d65.pq");
}

TEST_F(MetaDataTest, RawAtomOfAFreshCoreHasThePublishedLayout) {
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);
  ASSERT_EQ(raw.size(), kRawSize);
  EXPECT_EQ(std::string(raw.begin(), raw.begin() + 8), "VRNLUT3D");
  EXPECT_EQ(host32(raw, 16), kRawSize);
  EXPECT_EQ(textAt(raw, 100), "rec1886");
  EXPECT_EQ(host32(raw, 172), kRawDesignAt);
  EXPECT_EQ(host32(raw, 176), 148u);
  EXPECT_EQ(host32(raw, 180), 0xFFFFFFFFu);  // no note
  EXPECT_EQ(textAt(raw, kRawDesignAt), "com.vorn.opx.video_param");
  unsigned char digest[16];
  MD5 md5;
  md5.add(raw.data() + 36, raw.size() - 36);
  md5.getHash(digest);
  EXPECT_EQ(Bytes(raw.begin() + 20, raw.begin() + 36), Bytes(digest, digest + 16));
}

TEST_F(MetaDataTest, RawAtomNoteIsPaddedAndReadsBackPadded) {
  core.getLookFile()->setLookNote(bytesOf("hello"), 5);
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);
  EXPECT_EQ(host32(raw, 184), 8u);
  LutGeneratorImageCore fresh;
  ASSERT_EQ(fresh.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())), kNoError);
  EXPECT_EQ(std::string(fresh.getLookFile()->getLookNote(), 8), std::string("hello\0\0\0", 8));
}

TEST_F(MetaDataTest, RawAtomInVideoModeKeepsTheUserLutAndSetsTheVideoParameters) {
  ASSERT_EQ(core.setParam(kLutParamVideoPedestalRed, 0.125), kNoError);
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);  // no user LUT: video parameter mode
  LutGeneratorImageCore other;
  makeLook(other, Rec1886);
  ASSERT_EQ(other.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())), kNoError);
  EXPECT_TRUE(other.hasUser3dLut());
  EXPECT_STREQ(other.getLookFile()->getLutFileName(), "show_lut.cube");
  expectSameParameters(core, other, kVideoIds);
  ColorSpace id = Rec1886;
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Hlg));
  Bytes hlg = atom(core, vornraw_lut3d_atom_key);
  EXPECT_EQ(core.readTargetColorSpace(hlg.data(), id), kNoError);
  EXPECT_EQ(id, Rec2100Hlg);
  hlg[100] = 'x';
  EXPECT_EQ(core.readTargetColorSpace(hlg.data(), id), kUnknownColorSpace);
}

TEST_F(MetaDataTest, DesignBlockOperationsUseTheRawAtomsFormat) {
  makeLook(core, Rec1886);
  unsigned int size = 0;
  ASSERT_EQ(core.getLutDesignDataSize(size), kNoError);
  ASSERT_EQ(size, 64u + 5u);
  Bytes block(size);
  ASSERT_EQ(core.getLutDesignData(block.data()), kNoError);
  LutGeneratorImageCore fresh;
  ASSERT_EQ(fresh.setLutDesignData(block.data(), size), kNoError);
  block.assign(block.size(), 0);  // copied, not referenced
  EXPECT_EQ(Bytes(fresh.getUserLutDesignData(), fresh.getUserLutDesignData() + 5), design);
  EXPECT_EQ(fresh.setLutDesignData(block.data(), 63), kIllegalValue);
  ASSERT_EQ(core.setUserLutDesignData(nullptr, 0), kNoError);
  EXPECT_EQ(core.getLutDesignData(block.data()), kMissingCalibration);
}

TEST_F(MetaDataTest, RejectedPayloadsFailWithTheirCode) {
  LutGeneratorImageCore source;
  source.setTargetColorSpace(source.getColorSpaceInfo(P3D65Gamma26));
  const char* const look = look_video_param_atom_key;
  const char* const v2 = look_video_param_v2_atom_key;
  const char* const info = look_info_atom_key;
  const char* const lut = lut3d_master_atom_key;
  const char* const raw = vornraw_lut3d_atom_key;
  const struct {
    const char* key;
    Change change;
    ErrorCode code;
    const char* fragment;
  } cases[] = {
      {look, shrink(43), kIllegalValue, "size"},
      {look, be16At(0, 2), kUnknownMetaDataVersion, "version"},
      {v2, shrink(87), kIllegalValue, "size"},
      {v2, be16At(4, 3), kUnknownMetaDataVersion, "version"},
      {v2, be32At(0, 200), kIllegalValue, "size"},
      {v2, byteAt(86 + 29), kUnknownColorSpace, "color space"},
      {v2, be32At(0, 128), kIllegalValue, "header"},
      {v2, [](Bytes& b) { b.resize(100), putBe(b, 0, 100, 4); }, kUnknownColorSpace, "color space"},
      {info, shrink(75), kIllegalValue, "size"},
      {info, be16At(4, 3), kUnknownMetaDataVersion, "version"},
      {info, be16At(74, 40), kIllegalValue, "size"},
      {info, be16At(8, 65), kIllegalValue, "file name"},
      {info, be32At(0, 72), kIllegalValue, "header"},
      {lut, shrink(27), kIllegalValue, "size"},
      {lut, [](Bytes& b) { b[7] = 'X'; }, kMagicMismatch, "manufacture"},
      {lut, be16At(8, 2), kUnknownMetaDataVersion, "version"},
      {lut, be32At(12, 4095), kIllegalValue, "scaling"},
      {lut, be16At(24, 17), kIllegalValue, "meshpoints"},
      {lut, byteAt(28 + 29), kUnknownColorSpace, "color space"},
      {lut, be32At(0, 64), kIllegalValue, "header"},
      {lut, [](Bytes& b) { b.resize(b.size() - 3); }, kIllegalValue, "size"},
      {raw, [](Bytes& b) { b.resize(100), b[0] = 'X'; }, kIllegalValue, "size"},
      {raw, [](Bytes& b) { b[0] = 'X'; }, kMagicMismatch, "magic"},
      {raw, hostAt(8, 2), kUnknownMetaDataVersion, "version"},
      {raw, hostAt(12, 1), kUnknownRevision, "reversion"},
      {raw, hostAt(16, kRawSize + 1), kIllegalValue, "size"},
      {raw, hostAt(172, kRawSize - 100), kIllegalValue, "size"},
      {raw, hostAt(176, 63), kIllegalValue, "size"},
      {raw, [](Bytes& b) { hostAt(180, kRawSize - 4)(b), hostAt(184, 8)(b); }, kIllegalValue,
       "size"},
      {raw, byteAt(100), kUnknownColorSpace, "color space"},
      {raw, byteAt(100 + 14), kUnknownColorSpace, "color space"},
      {raw, hostAt(kRawDesignAt + 64 + 4, 2), kUnknownMetaDataVersion, "video parameter"},
      {raw, hostAt(kRawDesignAt + 64, 83), kIllegalValue, "video parameter"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    Bytes payload = atom(source, cases[i].key);
    cases[i].change(payload);
    EXPECT_EQ(core.setMetaData(cases[i].key, payload.data(), unsigned(payload.size())),
              cases[i].code);
    EXPECT_PRED2(contains, lastReport(), cases[i].fragment);
  }
  EXPECT_EQ(core.setMetaData("com.vorn.camera.look.unknown", nullptr, 0), kUnknownAtomKey);
  unsigned int n = 0;
  EXPECT_EQ(core.getMetaDataSize(color_space_atom_key, n), kUnknownAtomKey);
}

TEST_F(MetaDataTest, RawAtomWithUserLutChecksItsChunk) {
  makeLook(core, Rec1886);
  const Bytes good = atom(core, vornraw_lut3d_atom_key);
  const Change changes[] = {hostAt(168, unsigned(good.size())), hostAt(192, 66), hostAt(192, 34),
                            hostAt(196, 0)};
  for (const Change& change : changes) {
    Bytes raw = good;
    change(raw);
    LutGeneratorImageCore fresh;
    EXPECT_EQ(fresh.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())),
              kIllegalValue);
    EXPECT_FALSE(fresh.hasUser3dLut());
  }
  // Size unknown: the atom's own size field bounds it.
  LutGeneratorImageCore fresh;
  EXPECT_EQ(fresh.setMetaData(vornraw_lut3d_atom_key, good.data(), 0), kNoError);
  EXPECT_TRUE(fresh.hasUser3dLut());
}

TEST_F(MetaDataTest, RawAtomOfTheSmallestUserLutIsWrittenAndReadBack) {
  const Codes corners = {0,     0, 0, 0,     0, 65535, 0,     65535, 0, 0,     65535, 65535,
                         65535, 0, 0, 65535, 0, 65535, 65535, 65535, 0, 65535, 65535, 65535};
  ASSERT_EQ(core.setUser3dLut(kLutNodeLook, 2, corners.data(), kLutInterleaved, 65535), kNoError);
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);
  EXPECT_EQ(host32(raw, 192), 2u);
  LutGeneratorImageCore fresh;
  ASSERT_EQ(fresh.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())), kNoError);
  EXPECT_EQ(atom(fresh, vornraw_lut3d_atom_key), raw);
}

TEST_F(MetaDataTest, FailingAtomsLeaveTheirPartAtItsDefaults) {
  Bytes cdl = atom(core, asc_cdl_param_atom_key);
  for (unsigned int id : kCdlIds) ASSERT_EQ(core.setParam(id, 0.5), kNoError);
  putBe(cdl, 0, 2, 2);
  EXPECT_EQ(core.setMetaData(asc_cdl_param_atom_key, cdl.data(), 44), kUnknownMetaDataVersion);
  LutGeneratorImageCore fresh;
  expectSameParameters(core, fresh, kCdlIds);
  // Size zero skips only the size checks.
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  Bytes master = atom(core, lut3d_master_atom_key);
  EXPECT_EQ(fresh.setMetaData(lut3d_master_atom_key, master.data(), 0), kNoError);
  EXPECT_EQ(fresh.getTargetColorSpace(), fresh.getColorSpaceInfo(Rec2100Pq));
  putBe(master, 0, 64, 4);
  EXPECT_EQ(fresh.setMetaData(lut3d_master_atom_key, master.data(), 0), kIllegalValue);
  EXPECT_EQ(fresh.getTargetColorSpace(), fresh.getColorSpaceInfo(Rec1886));
}

TEST_F(MetaDataTest, LookInformationVersionFollowsTheTarget) {
  Bytes info = atom(core, look_info_atom_key);
  EXPECT_EQ(info[5], 1);
  core.getLookFile()->setTargetColorSpace(P3D65Gamma26);
  EXPECT_EQ(atom(core, look_info_atom_key)[5], 2);
  info[5] = 0;  // version 0 is read; what is written back depends on the target only
  EXPECT_EQ(core.setMetaData(look_info_atom_key, info.data(), unsigned(info.size())), kNoError);
  EXPECT_EQ(atom(core, look_info_atom_key)[5], 2);
}

TEST_F(MetaDataTest, ResetAllReturnsEveryAtomToItsDefaults) {
  makeLook(core, P3D65Gamma26);
  ASSERT_EQ(core.resetAllMetaData(), kNoError);
  EXPECT_FALSE(core.hasUser3dLut());
  EXPECT_EQ(core.getTargetColorSpace(), core.getColorSpaceInfo(Rec1886));
  EXPECT_EQ(core.getLookFile()->getLutFileNameLength() + core.getLookFile()->getLookNoteLength(),
            0);
  LutGeneratorImageCore fresh;
  expectSameParameters(core, fresh, kVideoIds);
  expectSameParameters(core, fresh, kCdlIds);
}

}  // namespace
}  // namespace Kalvora
