// Looks in their two stored forms: the look file and the metadata atoms.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "kvrCrcCalculator.h"
#include "kvrLutCoreTestSupport.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrMD5.h"
#include "kvrMetaDataAtomKeys.h"
#include "kvrVorn2LookFile.h"

namespace Kalvora {
namespace {

using Bytes = std::vector<unsigned char>;
using Codes = std::vector<unsigned short>;
using Change = std::function<void(Bytes&)>;
using Ids = std::vector<unsigned int>;
using KalvoraTest::contains;
using KalvoraTest::cube;

constexpr unsigned int kKeyAt = 36;
constexpr unsigned int kNameAt = 1344;
constexpr unsigned int kEntriesAt = 1408;
constexpr unsigned int kLookSize = 1640;
constexpr unsigned int kLutBlockSize = 6 * 33 * 33 * 33;
constexpr size_t kRawSize = 215976;
constexpr size_t kRawDesignAt = 215828;

// Little-endian (look file), big-endian (atoms) and host order (raw atom) fields.
unsigned int le(const Bytes& b, size_t at, int bytes = 4) {
  unsigned int v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}
unsigned int host32(const Bytes& b, size_t at) {
  unsigned int v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
enum Order { kLittle, kBig, kHost };
Change put(Order order, size_t at, unsigned int v, int bytes = 4) {
  return [=](Bytes& b) {
    if (order == kHost) std::memcpy(&b[at], &v, 4);
    for (int i = 0; order != kHost && i < bytes; ++i)
      b[at + i] = static_cast<unsigned char>(v >> (8 * (order == kBig ? bytes - 1 - i : i)));
  };
}
Change byteAt(size_t at, char c = 'q') {
  return [=](Bytes& b) { b[at] = static_cast<unsigned char>(c); };
}
void refreshCrc(Bytes& b) {
  put(kLittle, 8, CrcCalculator().calculateCrc(b.data() + 12, unsigned(b.size() - 12)))(b);
}
const unsigned char* bytesOf(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}
std::string textAt(const Bytes& b, size_t at) { return reinterpret_cast<const char*>(&b[at]); }

Bytes save(LutGeneratorImageCore& c, bool all) {
  unsigned int size = 0;
  EXPECT_EQ(c.getLookDataSize(all, size), kNoError);
  Bytes b(size, 0xAB);
  EXPECT_EQ(c.saveLook(b.data(), all), kNoError);
  return b;
}
Bytes atom(LutGeneratorImageCore& c, const char* key) {
  unsigned int size = 0;
  EXPECT_EQ(c.getMetaDataSize(key, size), kNoError) << key;
  Bytes b(size, 0xCD);
  EXPECT_EQ(c.getMetaData(key, b.data()), kNoError) << key;
  return b;
}
Codes exported(LutGeneratorImageCore& c, unsigned int id) {
  Codes out(3 * cube(17));
  EXPECT_EQ(c.export3dLut(id, 17, out.data(), kLutInterleaved, 65535), kNoError);
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

const Ids kCdlIds = {kLutParamCdlSaturation, kLutParamCdlSlopeRed, kLutParamCdlOffsetGreen,
                     kLutParamCdlPowerBlue};
const Ids kVideoIds = {kLutParamKnee, kLutParamHueSaturationCyan, kLutParamVideoSlopeRed,
                       kLutParamVideoGammaBlue, kLutParamVideoPedestalBlue};

class LookFileTest : public KalvoraTest::LutCoreTest {
protected:
  // A 33-point user LUT whose codes hit all byte values.
  void installUserLut(LutGeneratorImageCore& c) {
    userLut.resize(3 * cube(33));
    for (size_t i = 0; i < userLut.size(); ++i)
      userLut[i] = static_cast<unsigned short>((i * 40503u) >> 3);
    ASSERT_EQ(c.setUser3dLut(kLutNodeLook, 33, userLut.data(), kLutInterleaved, 65535), kNoError);
  }

  // Every part of a look set; parameters off their defaults, exact in single precision.
  void makeLook(LutGeneratorImageCore& c, ColorSpace target) {
    installUserLut(c);
    PipelineParameter* const* p = c.getParameters();
    for (int i = 0; i < c.getNumParameters(); ++i)
      if (p[i]->save(true)) {
        const double mid =
            p[i]->maximum < 1e300 ? (p[i]->minimum + p[i]->maximum) / 2 : p[i]->defaultValue;
        ASSERT_EQ(c.setParam(p[i]->id, std::round(mid * 64) / 64 + 0.0625), kNoError) << p[i]->id;
      }
    c.getLookFile()->setLutFileName(bytesOf("show_lut.cube"), 13);
    c.getLookFile()->setLookNote(bytesOf("night exterior"), 14);
    ASSERT_EQ(c.setUserLutDesignDataKey(bytesOf("grade"), 5), kNoError);
    ASSERT_EQ(c.setUserLutDesignData(design.data(), unsigned(design.size())), kNoError);
    c.getLookFile()->setBadLut(1);
    ASSERT_EQ(c.getLookFile()->setTargetColorSpace(target), kNoError);
  }

  static void expectResetLook(LutGeneratorImageCore& c) {
    PipelineParameter* const* p = c.getParameters();
    for (int i = 0; i < c.getNumParameters(); ++i)
      if (p[i]->persistence == kPersistAlways) {
        EXPECT_EQ(p[i]->value, p[i]->defaultValue) << p[i]->id;
      }
    EXPECT_FALSE(c.hasUser3dLut());
    Vorn2LookFile& file = *c.getLookFile();
    EXPECT_EQ(file.getLutFileNameLength() + file.getLookNoteLength(), 0);
    EXPECT_EQ(file.getLutDesignDataSize() + file.getBadLut(), 0u);
    EXPECT_EQ(file.getTargetColorSpace(), c.getTargetColorSpace());
  }

  Codes userLut;
  const Bytes design = {9, 8, 7, 0, 6};
};

TEST_F(LookFileTest, FreshCoreSavesThePublishedLayout) {
  const Bytes look = save(core, false);
  ASSERT_EQ(look.size(), kLookSize);
  EXPECT_EQ(save(core, true).size(), 1648u);
  EXPECT_EQ(std::string(look.begin(), look.begin() + 4), "KOLV");
  EXPECT_EQ(le(look, 4), 3u);
  EXPECT_EQ(le(look, 8), CrcCalculator().calculateCrc(look.data() + 12, kLookSize - 12));
  EXPECT_EQ(le(look, 12), kEntriesAt);
  EXPECT_EQ(le(look, 16), 29u);  // entries, in registration order
  EXPECT_EQ(le(look, 20) + le(look, 24) + le(look, 100) + le(look, 104), 0u);
  EXPECT_EQ(textAt(look, kKeyAt), "com.vorn.opx.video_param");
  EXPECT_EQ(textAt(look, kNameAt), "com.apple.proapps.colorspace.rec1886");
  EXPECT_EQ(le(look, kEntriesAt), kLutParamCdlSlopeRed);
  EXPECT_EQ(le(look, kEntriesAt + 4), 0x3F800000u);  // 1.0f
  EXPECT_EQ(le(look, kEntriesAt + 8 * 28), kLutParamVideoPedestalBlue);
  EXPECT_EQ(le(save(core, true), kEntriesAt), kLutParamExposureIndex);
}

TEST_F(LookFileTest, UserLutAddsAThirtyThreePointBlockAndDropsTheVideoKey) {
  installUserLut(core);
  Bytes look = save(core, false);
  ASSERT_EQ(look.size(), kLookSize + kLutBlockSize);
  EXPECT_EQ(le(look, 20), kLookSize);
  EXPECT_EQ(le(look, 24), 33u);
  EXPECT_EQ(look[kKeyAt], 0);
  // The export without transform holds the user LUT alone: the block is the LUT itself.
  for (size_t i = 0; i < userLut.size(); ++i) ASSERT_EQ(le(look, kLookSize + 2 * i, 2), userLut[i]);
  unsigned int offset = 0, badLut = 1;  // read without a core
  EXPECT_EQ(Vorn2LookFile::getLookFileFeatures(look.data(), kLookFileHas3dLut, offset), kNoError);
  EXPECT_EQ(Vorn2LookFile::getLookFileFeatures(look.data(), kLookFileBadLut, badLut), kNoError);
  EXPECT_EQ(std::make_pair(offset, badLut), std::make_pair(kLookSize, 0u));
}

class LookRoundTripTest : public LookFileTest, public testing::WithParamInterface<ColorSpace> {};

TEST_P(LookRoundTripTest, RestoresEveryPartOfTheLookThroughAFreshCore) {
  makeLook(core, GetParam());
  const std::string name(64, 'n'), note(1024, 'o');  // the longest each field takes
  core.getLookFile()->setLutFileName(bytesOf(name), 64);
  core.getLookFile()->setLookNote(bytesOf(note), 1024);
  Bytes look = save(core, true);
  EXPECT_EQ(le(look, 100), look.size() - design.size());
  LutGeneratorImageCore loaded;
  ASSERT_EQ(loaded.loadLook(look.data(), unsigned(look.size())), kNoError);
  const Bytes copy = look;
  std::fill(look.begin(), look.end(), 0);  // the look must not refer to the buffer
  EXPECT_EQ(save(loaded, true), copy);     // every parameter, field and the LUT
  EXPECT_EQ(loaded.getTargetColorSpace(), loaded.getColorSpaceInfo(GetParam()));
  EXPECT_EQ(exported(loaded, kLutNodeLook), exported(core, kLutNodeLook));
  EXPECT_EQ(loaded.isLookFileForStandardDisplay(), GetParam() == Rec1886);
  EXPECT_EQ(reportCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(SdrPqHlg, LookRoundTripTest,
                         testing::Values(Rec1886, Rec2100Pq, Rec2100Hlg));

TEST_F(LookFileTest, LoadChecksEachFieldInOrderAndResetsTheLookOnFailure) {
  installUserLut(core);
  ASSERT_EQ(core.setUserLutDesignData(design.data(), unsigned(design.size())), kNoError);
  const Bytes good = save(core, false);
  const std::string p3 = "com.apple.proapps.colorspace.dci.d65.gamma26_and_more";
  const struct {
    const char* what;
    Change change;
    ErrorCode code;
    const char* fragment;  // of the report; empty for a successful load
  } cases[] = {
      {"count wraps 8N", put(kLittle, 16, 29 + 0x20000000u), kIllegalValue, "3d lut offset"},
      {"mesh wraps 6m^3", put(kLittle, 24, 0x80000000u), kIllegalValue, "mesh points"},
      {"mesh 32", put(kLittle, 24, 32), kIllegalValue, "size of look file!"},
      {"design offset", put(kLittle, 100, kLookSize + kLutBlockSize - 1), kIllegalValue,
       "design data offset"},
      {"key fills its field", [](Bytes& b) { std::memset(&b[kKeyAt], 'k', 64); }, kNoError, ""},
      {"entry not saved", put(kLittle, kEntriesAt, kLutParamPeakWhite), kNoError, ""},
      {"longer name", [&](Bytes& b) { std::memcpy(&b[kNameAt], p3.data(), p3.size()); }, kNoError,
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes look = good;
    c.change(look);
    if (look.size() > 12) refreshCrc(look);
    ASSERT_EQ(core.setParam(kLutParamCdlOffsetRed, 0.25), kNoError);
    EXPECT_EQ(core.loadLook(look.data(), unsigned(look.size())), c.code);
    if (c.code == kNoError) {
      EXPECT_TRUE(core.hasUser3dLut());
      EXPECT_EQ(core.getUserLutDesignDataSize(), design.size());
      EXPECT_EQ(param(kLutParamPeakWhite), 1000.0);  // never taken: the look does not save it
    } else {
      EXPECT_PRED2(contains, lastReport(), c.fragment);
      expectResetLook(core);
    }
  }
  EXPECT_EQ(core.getTargetColorSpace(), core.getColorSpaceInfo(P3D65Gamma26));
}

TEST_F(LookFileTest, FlippingAnyCoveredByteFailsAndLeavesTheLookReset) {
  ASSERT_EQ(core.setUserLutDesignData(design.data(), unsigned(design.size())), kNoError);
  core.getLookFile()->setLookNote(bytesOf("note"), 4);
  const Bytes good = save(core, false);
  // Fields with a check of their own fail with its code before the CRC is read.
  auto checked = [](size_t i) {
    return (12 <= i && i < 28) || (30 <= i && i < 34) || (100 <= i && i < 108) ||
           (kNameAt <= i && i < kNameAt + 36);
  };
  for (size_t i = 8; i < good.size(); ++i) {
    Bytes look = good;
    look[i] ^= 0x41;
    ASSERT_EQ(core.setParam(kLutParamCdlOffsetRed, 0.25), kNoError);
    const ErrorCode code = core.loadLook(look.data(), unsigned(look.size()));
    if (checked(i)) {
      ASSERT_NE(code, kNoError) << i;
    } else {
      ASSERT_EQ(code, kCrcMismatch) << i;
    }
    double value = 1;
    core.getParam(kLutParamCdlOffsetRed, value);
    ASSERT_EQ(value, 0.0) << i;
  }
  expectResetLook(core);
}

TEST_F(LookFileTest, FieldsRejectBadInputAndFollowTheUserLut) {
  Vorn2LookFile& file = *core.getLookFile();
  const std::string tooLong(1025, 'x');
  EXPECT_THROW(file.setLutFileName(bytesOf(tooLong), 65), KvrSignal);
  EXPECT_THROW(file.setLookNote(nullptr, 3), KvrSignal);
  EXPECT_THROW(file.setLookNote(bytesOf(tooLong), 1025), KvrSignal);
  EXPECT_EQ(core.setUserLutDesignData(Bytes(65473).data(), 65473), kIllegalValue);
  EXPECT_EQ(file.getLookNoteLength() + file.getLutDesignDataSize(), 0u);
  LutGeneratorImageCore other;
  EXPECT_THROW(core.setTargetColorSpace(other.getLookFile()), KvrSignal);
  // The key is the video one without a user LUT, empty with one; removing
  // the user LUT clears what belonged to it.
  makeLook(core, P3D65Gamma26);
  ASSERT_EQ(core.setUserLutDesignDataKey(bytesOf("com.vorn.opx.video_param"), 24), kNoError);
  EXPECT_EQ(core.getUserLutDesignDataKeySize(), 0);
  ASSERT_EQ(core.setUserLutDesignData(nullptr, 0), kNoError);
  ASSERT_EQ(core.resetUser3dLut(kLutNodeLook), kNoError);
  EXPECT_EQ(file.getLutFileNameLength() + file.getBadLut(), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(core.getUserLutDesignDataKey()),
               "com.vorn.opx.video_param");
}

class AtomRoundTripTest : public LookFileTest, public testing::WithParamInterface<ColorSpace> {};

TEST_P(AtomRoundTripTest, EveryPayloadParsesBackIntoAFreshCore) {
  makeLook(core, GetParam());
  const bool rec1886 = GetParam() == Rec1886;
  auto parsed = [&](const char* key, LutGeneratorImageCore& fresh) {
    Bytes payload = atom(core, key);
    EXPECT_EQ(fresh.setMetaData(key, payload.data(), unsigned(payload.size())), kNoError) << key;
    const Bytes copy = payload;
    std::fill(payload.begin(), payload.end(), 0);  // nothing may refer to the payload
    return copy;
  };
  // Parameter, information and raw atoms are written back byte for byte.
  for (const char* key :
       {look_video_param_atom_key, asc_cdl_param_atom_key, look_video_param_v2_atom_key,
        look_video_param_v2_atom_key_old, look_info_atom_key, vornraw_lut3d_atom_key}) {
    LutGeneratorImageCore fresh;
    fresh.setTargetColorSpace(fresh.getColorSpaceInfo(GetParam()));  // the information version
    EXPECT_EQ(atom(fresh, key), parsed(key, fresh)) << key;
  }
  // Plain LUT atoms carry the look converted to Rec.1886, master atoms the
  // look in the target (there is none for Rec.1886).
  const struct {
    const char* key;
    ColorSpace target;
    unsigned int node;
  } luts[] = {{lut3d_atom_key, Rec1886, rec1886 ? kLutNodeLook : kLutExportLookRec1886},
              {lut3d_with_cdl_atom_key, Rec1886, 0},
              {rec1886 ? nullptr : lut3d_master_atom_key, GetParam(), kLutNodeLook}};
  for (const auto& lut : luts) {
    if (lut.key == nullptr) continue;
    LutGeneratorImageCore fresh;
    parsed(lut.key, fresh);
    EXPECT_EQ(fresh.getTargetColorSpace(), fresh.getColorSpaceInfo(lut.target)) << lut.key;
    EXPECT_EQ(fresh.getLookFile()->getTargetColorSpace(), fresh.getTargetColorSpace());
    if (lut.node != 0) {
      EXPECT_EQ(exported(fresh, kLutExportLookWithoutTransform), exported(core, lut.node));
    }
  }
  EXPECT_EQ(reportCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rec1886AndP3, AtomRoundTripTest, testing::Values(Rec1886, P3D65Gamma26));

TEST_F(LookFileTest, RawAtomOfAFreshCoreHasThePublishedLayout) {
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);
  ASSERT_EQ(raw.size(), kRawSize);
  EXPECT_EQ(std::string(raw.begin(), raw.begin() + 8), "VRNLUT3D");
  EXPECT_EQ(host32(raw, 172), kRawDesignAt);
  EXPECT_EQ(host32(raw, 176), 148u);
  EXPECT_EQ(textAt(raw, kRawDesignAt), "com.vorn.opx.video_param");
  unsigned char digest[16];
  MD5 md5;
  md5.add(raw.data() + 36, raw.size() - 36);
  md5.getHash(digest);
  EXPECT_EQ(Bytes(raw.begin() + 20, raw.begin() + 36), Bytes(digest, digest + 16));
}

TEST_F(LookFileTest, RawAtomInVideoModeKeepsTheUserLutAndSetsTheVideoParameters) {
  ASSERT_EQ(core.setParam(kLutParamVideoPedestalRed, 0.125), kNoError);
  Bytes raw = atom(core, vornraw_lut3d_atom_key);  // no user LUT: video parameter mode
  LutGeneratorImageCore other;
  makeLook(other, Rec1886);
  ASSERT_EQ(other.setMetaData(vornraw_lut3d_atom_key, raw.data(), 0), kNoError);  // size unknown
  EXPECT_TRUE(other.hasUser3dLut());
  expectSameParameters(core, other, kVideoIds);
  // The video parameters stop at the first value out of range.
  VornRawMeta::VideoParameters record = {};
  ASSERT_EQ(core.getVideoParameters(&record), kNoError);
  record.values[0] = 0.25f;  // knee
  record.values[10] = 9.0f;  // video slope red
  ASSERT_EQ(other.setVideoParameters(&record), kIllegalValue);
  double knee = 0;
  other.getParam(kLutParamKnee, knee);
  EXPECT_EQ(knee, 0.25);
}

TEST_F(LookFileTest, RejectedPayloadsFailWithTheirCode) {
  LutGeneratorImageCore source, graded;  // the graded one carries a user LUT
  source.setTargetColorSpace(source.getColorSpaceInfo(P3D65Gamma26));
  makeLook(graded, P3D65Gamma26);
  const char* const v2 = look_video_param_v2_atom_key;
  const char* const info = look_info_atom_key;
  const char* const lut = lut3d_master_atom_key;
  const char* const raw = vornraw_lut3d_atom_key;
  const char* const rawLut = "user LUT";
  const struct {
    const char* key;
    Change change;
    ErrorCode code;
    const char* fragment;
  } cases[] = {
      {v2, put(kBig, 4, 3, 2), kUnknownMetaDataVersion, "version"},
      {v2, put(kBig, 0, 128), kIllegalValue, "header"},
      {v2, put(kBig, 0, 1u << 20), kIllegalValue, "size"},
      {v2, byteAt(86 + 29), kUnknownColorSpace, "color space"},
      {v2, [](Bytes& b) { b.resize(100), put(kBig, 0, 100)(b); }, kUnknownColorSpace,
       "color space"},
      {info, put(kBig, 4, 3, 2), kUnknownMetaDataVersion, "version"},
      {info, put(kBig, 74, 900, 2), kIllegalValue, "size"},
      {lut, [](Bytes& b) { b[7] = 'X'; }, kMagicMismatch, "manufacture"},
      {lut, put(kBig, 8, 2, 2), kUnknownMetaDataVersion, "version"},
      {lut, put(kBig, 0, 64), kIllegalValue, "header"},
      {lut, byteAt(28 + 29), kUnknownColorSpace, "color space"},
      {lut, put(kBig, 0, 1u << 20), kIllegalValue, "size"},
      {lut3d_atom_key, [](Bytes& b) { b.resize(b.size() - 4); }, kIllegalValue, "size"},
      {raw, [](Bytes& b) { b.resize(100), b[0] = 'X'; }, kIllegalValue, "size"},
      {raw, [](Bytes& b) { b[0] = 'X'; }, kMagicMismatch, "magic"},
      {raw, put(kHost, 16, kRawSize + 1), kIllegalValue, "size"},
      {raw, put(kHost, 172, kRawSize - 100), kIllegalValue, "size"},
      {raw, put(kHost, 176, 63), kIllegalValue, "size"},
      {raw, [](Bytes& b) { put(kHost, 180, kRawSize - 4)(b), put(kHost, 184, 8)(b); },
       kIllegalValue, "size"},
      {raw, byteAt(100), kUnknownColorSpace, "color space"},
      {raw, byteAt(100 + 14), kUnknownColorSpace, "color space"},
      {raw, put(kHost, kRawDesignAt + 64 + 4, 2), kUnknownMetaDataVersion, "video parameter"},
      {rawLut, [](Bytes& b) { put(kHost, 168, unsigned(b.size()))(b); }, kIllegalValue, "size"},
      {rawLut, put(kHost, 192, 66), kIllegalValue, "meshpoints"},
      {rawLut, put(kHost, 192, 34), kIllegalValue, "size"},
      {rawLut, put(kHost, 196, 0), kIllegalValue, "scaling"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    const char* key = cases[i].key == rawLut ? raw : cases[i].key;
    Bytes payload = atom(cases[i].key == rawLut ? graded : source, key);
    cases[i].change(payload);
    EXPECT_EQ(core.setMetaData(key, payload.data(), unsigned(payload.size())), cases[i].code);
    EXPECT_PRED2(contains, lastReport(), cases[i].fragment);
  }
  unsigned int n = 0;
  EXPECT_EQ(core.getMetaDataSize(color_space_atom_key, n), kUnknownAtomKey);
  Bytes payload = atom(source, raw);  // its target read on its own
  ColorSpace id = Rec1886;
  EXPECT_EQ(core.readTargetColorSpace(payload.data(), id), kNoError);
  EXPECT_EQ(id, P3D65Gamma26);
  byteAt(100)(payload);
  EXPECT_EQ(core.readTargetColorSpace(payload.data(), id), kUnknownColorSpace);
  EXPECT_EQ(core.readTargetColorSpace(nullptr, id), kIllegalValue);
}

TEST_F(LookFileTest, RawAtomOfTheSmallestUserLutIsWrittenAndReadBack) {
  const Codes corners = {0,     0, 0, 0,     0, 65535, 0,     65535, 0, 0,     65535, 65535,
                         65535, 0, 0, 65535, 0, 65535, 65535, 65535, 0, 65535, 65535, 65535};
  ASSERT_EQ(core.setUser3dLut(kLutNodeLook, 2, corners.data(), kLutInterleaved, 65535), kNoError);
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);
  EXPECT_EQ(host32(raw, 192), 2u);
  Bytes block(64);  // a user LUT without design data has none to give
  EXPECT_EQ(core.getLutDesignData(block.data()), kMissingCalibration);
  LutGeneratorImageCore fresh;
  ASSERT_EQ(fresh.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())), kNoError);
  EXPECT_EQ(atom(fresh, vornraw_lut3d_atom_key), raw);
}

TEST_F(LookFileTest, FailingAtomsAndResetLeaveTheirPartsAtTheDefaults) {
  LutGeneratorImageCore fresh;
  Bytes cdl = atom(core, asc_cdl_param_atom_key);
  for (unsigned int id : kCdlIds) ASSERT_EQ(core.setParam(id, 0.5), kNoError);
  put(kBig, 0, 2, 2)(cdl);
  EXPECT_EQ(core.setMetaData(asc_cdl_param_atom_key, cdl.data(), 44), kUnknownMetaDataVersion);
  expectSameParameters(core, fresh, kCdlIds);
  unsigned int size = 1;  // no master atom for Rec.1886
  EXPECT_EQ(core.getMetaDataSize(lut3d_master_atom_key, size), kNoError);
  EXPECT_EQ(size, 0u);
  // Size zero skips only the size checks.
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  for (const char* key : {lut3d_master_atom_key, lut3d_atom_key}) {
    Bytes payload = atom(core, key);
    put(kBig, 0, 1u << 20)(payload);
    EXPECT_EQ(fresh.setMetaData(key, payload.data(), 0), kIllegalValue) << key;
  }
  // The header size bounds a size-zero v2 atom: its short PQ name is read, not past it.
  Bytes v2 = atom(core, look_video_param_v2_atom_key);
  EXPECT_EQ(fresh.setMetaData(look_video_param_v2_atom_key, v2.data(), 0), kNoError);
  put(kBig, 0, 80)(v2);
  EXPECT_EQ(fresh.setMetaData(look_video_param_v2_atom_key, v2.data(), 0), kIllegalValue);
  makeLook(core, P3D65Gamma26);
  ASSERT_EQ(core.resetAllMetaData(), kNoError);
  expectResetLook(core);
  expectSameParameters(core, fresh, kVideoIds);
}

}  // namespace
}  // namespace Kalvora
