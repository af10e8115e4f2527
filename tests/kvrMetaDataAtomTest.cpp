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
using KalvoraTest::cube;

unsigned int be32(const Bytes& b, size_t at) {
  return unsigned(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}
void putBe32(Bytes& b, size_t at, unsigned int v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}
void putBe16(Bytes& b, size_t at, unsigned short v) {
  b[at] = v >> 8;
  b[at + 1] = v & 0xFF;
}
unsigned int host32(const Bytes& b, size_t at) {
  unsigned int v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
void putHost32(Bytes& b, size_t at, unsigned int v) { std::memcpy(&b[at], &v, 4); }
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

double param(LutGeneratorImageCore& c, unsigned int id) {
  double value = -1;
  EXPECT_EQ(c.getParam(id, value), kNoError);
  return value;
}

Codes node(LutGeneratorImageCore& c, unsigned int id, int mesh = 33) {
  Codes out(3 * cube(mesh));
  EXPECT_EQ(c.export3dLut(id, mesh, out.data(), kLutInterleaved, 65535), kNoError);
  return out;
}

class MetaDataTest : public KalvoraTest::ReportCaptureTest {
protected:
  // A non-default look: every saved parameter off its default (exact in
  // single precision), a user LUT, file name, note and design data.
  void makeLook(LutGeneratorImageCore& c, ColorSpace target) {
    userLut.resize(3 * cube(33));
    for (size_t i = 0; i < userLut.size(); ++i)
      userLut[i] = static_cast<unsigned short>((i * 40503u) >> 3);
    ASSERT_EQ(c.setUser3dLut(10, 33, userLut.data(), kLutInterleaved, 65535), kNoError);
    PipelineParameter* const* p = c.getParameters();
    for (int i = 0; i < c.getNumParameters(); ++i) {
      if (!p[i]->save(false)) continue;
      const double value = std::round((p[i]->minimum + p[i]->maximum) * 32) / 64 + 0.0625;
      ASSERT_EQ(c.setParam(p[i]->id, value), kNoError) << p[i]->id;
    }
    Vorn2LookFile& file = *c.getLookFile();
    file.setLutFileName(bytesOf("show_lut.cube"), 13);
    file.setLookNote(bytesOf("night exterior"), 14);
    ASSERT_EQ(c.setUserLutDesignDataKey(bytesOf("grade"), 5), kNoError);
    ASSERT_EQ(c.setUserLutDesignData(design.data(), unsigned(design.size())), kNoError);
    ASSERT_EQ(file.setTargetColorSpace(target), kNoError);
  }

  static void expectSameParameters(LutGeneratorImageCore& a, LutGeneratorImageCore& b,
                                   std::vector<unsigned int> ids) {
    for (unsigned int id : ids) EXPECT_EQ(param(a, id), param(b, id)) << id;
  }

  LutGeneratorImageCore core;
  Codes userLut;
  const Bytes design = {9, 8, 7, 0, 6};
};

std::vector<unsigned int> range(unsigned int first, unsigned int last) {
  std::vector<unsigned int> ids;
  for (unsigned int id = first; id <= last; ++id) ids.push_back(id);
  return ids;
}

const std::vector<unsigned int> kLookIds = {4002, 4001, 5051, 5040, 5061,
                                            5062, 5063, 5064, 5065, 5066};
const std::vector<unsigned int> kCdlIds = {3040, 3011, 3012, 3013, 3001,
                                           3002, 3003, 3021, 3022, 3023};
std::vector<unsigned int> videoIds() {
  std::vector<unsigned int> ids = kLookIds;
  for (unsigned int id : range(5067, 5075)) ids.push_back(id);
  return ids;
}

// ---- Round trips --------------------------------------------------------------------------

class AtomRoundTripTest : public MetaDataTest, public testing::WithParamInterface<ColorSpace> {};

TEST_P(AtomRoundTripTest, EveryPayloadParsesBackIntoAFreshCore) {
  makeLook(core, GetParam());
  const bool rec1886 = GetParam() == Rec1886;
  struct Case {
    const char* key;
    std::function<void(LutGeneratorImageCore&)> check;
  };
  auto target = [&](ColorSpace id) {
    return [&, id](LutGeneratorImageCore& c) {
      EXPECT_EQ(c.getTargetColorSpace(), c.getColorSpaceInfo(id));
      EXPECT_EQ(c.getLookFile()->getTargetColorSpace(), c.getTargetColorSpace());
    };
  };
  const Case cases[] = {
      {look_video_param_atom_key,
       [&](LutGeneratorImageCore& c) { expectSameParameters(core, c, kLookIds); }},
      {asc_cdl_param_atom_key,
       [&](LutGeneratorImageCore& c) { expectSameParameters(core, c, kCdlIds); }},
      {look_video_param_v2_atom_key,
       [&](LutGeneratorImageCore& c) {
         expectSameParameters(core, c, videoIds());
         target(GetParam())(c);
       }},
      {look_video_param_v2_atom_key_old, [&](LutGeneratorImageCore& c) { target(GetParam())(c); }},
      {look_info_atom_key,
       [&](LutGeneratorImageCore& c) {
         EXPECT_STREQ(c.getLookFile()->getLutFileName(), "show_lut.cube");
         EXPECT_STREQ(c.getLookFile()->getLookNote(), "night exterior");
       }},
      // Plain LUT atoms carry the look converted to Rec.1886 (node 12).
      {lut3d_atom_key,
       [&](LutGeneratorImageCore& c) {
         target(Rec1886)(c);
         EXPECT_EQ(node(c, 15), node(core, rec1886 ? 10 : 12));
       }},
      {lut3d_with_cdl_atom_key, target(Rec1886)},
      {vornraw_lut3d_atom_key,
       [&](LutGeneratorImageCore& c) {
         target(GetParam())(c);
         EXPECT_EQ(node(c, 15), node(core, 10));
         EXPECT_STREQ(c.getLookFile()->getLutFileName(), "show_lut.cube");
         EXPECT_EQ(c.getUserLutDesignDataKeySize(), 5);
         ASSERT_EQ(c.getUserLutDesignDataSize(), design.size());
         EXPECT_EQ(Bytes(c.getUserLutDesignData(), c.getUserLutDesignData() + 5), design);
       }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.key);
    Bytes payload = atom(core, k.key);
    LutGeneratorImageCore fresh;
    ASSERT_EQ(fresh.setMetaData(k.key, payload.data(), unsigned(payload.size())), kNoError);
    std::fill(payload.begin(), payload.end(), 0);  // nothing may refer to the payload
    k.check(fresh);
  }
  if (!rec1886) {
    // Master atoms carry the look in the target (node 10).
    Bytes payload = atom(core, lut3d_master_atom_key);
    LutGeneratorImageCore fresh;
    ASSERT_EQ(fresh.setMetaData(lut3d_master_atom_key, payload.data(), unsigned(payload.size())),
              kNoError);
    target(GetParam())(fresh);
    EXPECT_EQ(node(fresh, 15), node(core, 10));
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
  EXPECT_EQ(lastReport(), "This metadata atom does not exist for rec709d65");
  Bytes plain = atom(core, lut3d_atom_key);
  EXPECT_EQ(plain.size(), 64u + 215624u);  // 28 + 36 name bytes
  EXPECT_EQ(be32(plain, 4), 0x564C4F4Bu);
  EXPECT_EQ(textAt(plain, 28), "com.apple.proapps.colorspace.rec1886");

  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  plain = atom(core, lut3d_atom_key);
  EXPECT_EQ(textAt(plain, 28), "com.apple.proapps.colorspace.rec1886");
  const Bytes master = atom(core, lut3d_master_atom_key);
  EXPECT_EQ(master.size(), 72u + 215624u);  // 43 name bytes padded to 44
  EXPECT_EQ(textAt(master, 28), "com.apple.proapps.colorspace.rec2100.d65.pq");
  EXPECT_EQ(core.getLookFile()->getTargetColorSpace(), core.getColorSpaceInfo(Rec2100Pq));
}

// ---- Raw video-LUT atom
// --------------------------------------------------------------------------

TEST_F(MetaDataTest, RawAtomOfAFreshCoreHasThePublishedLayout) {
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);
  ASSERT_EQ(raw.size(), 215976u);
  EXPECT_EQ(std::string(raw.begin(), raw.begin() + 8), "VRNLUT3D");
  EXPECT_EQ(host32(raw, 16), 215976u);
  EXPECT_EQ(textAt(raw, 100), "rec1886");
  EXPECT_EQ(host32(raw, 164), 192u);
  EXPECT_EQ(host32(raw, 168), 215636u);
  EXPECT_EQ(host32(raw, 172), 215828u);
  EXPECT_EQ(host32(raw, 176), 148u);
  EXPECT_EQ(host32(raw, 180), 0xFFFFFFFFu);
  EXPECT_EQ(host32(raw, 184), 0xFFFFFFFFu);
  EXPECT_EQ(textAt(raw, 215828), "com.vorn.opx.video_param");
  EXPECT_EQ(host32(raw, 215828 + 64), 84u);
  unsigned char digest[16];
  MD5 md5;
  md5.add(raw.data() + 36, raw.size() - 36);
  md5.getHash(digest);
  EXPECT_EQ(Bytes(raw.begin() + 20, raw.begin() + 36), Bytes(digest, digest + 16));
  unsigned int size = 0;
  EXPECT_EQ(core.getLutDesignDataSize(size), kNoError);
  EXPECT_EQ(size, 148u);
}

TEST_F(MetaDataTest, RawAtomNoteIsPaddedAndReadsBackPadded) {
  core.getLookFile()->setLookNote(bytesOf("hello"), 5);
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);
  EXPECT_EQ(host32(raw, 184), 8u);
  EXPECT_EQ(host32(raw, 180), raw.size() - 8);
  LutGeneratorImageCore fresh;
  ASSERT_EQ(fresh.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())), kNoError);
  EXPECT_EQ(fresh.getLookFile()->getLookNoteLength(), 8);
  EXPECT_EQ(std::string(fresh.getLookFile()->getLookNote(), 8), std::string("hello\0\0\0", 8));
}

TEST_F(MetaDataTest, RawAtomInVideoModeKeepsTheUserLutAndSetsTheVideoParameters) {
  ASSERT_EQ(core.setParam(5073, 0.125), kNoError);
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);  // no user LUT: video parameter mode
  LutGeneratorImageCore other;
  makeLook(other, Rec1886);
  ASSERT_EQ(other.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())), kNoError);
  EXPECT_TRUE(other.hasUser3dLut());
  EXPECT_STREQ(other.getLookFile()->getLutFileName(), "show_lut.cube");
  expectSameParameters(core, other, videoIds());
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
  EXPECT_EQ(textAt(block, 0), "grade");
  LutGeneratorImageCore fresh;
  ASSERT_EQ(fresh.setLutDesignData(block.data(), size), kNoError);
  block.assign(block.size(), 0);  // copied, not referenced
  EXPECT_EQ(Bytes(fresh.getUserLutDesignData(), fresh.getUserLutDesignData() + 5), design);
  EXPECT_EQ(fresh.setLutDesignData(block.data(), 63), kIllegalValue);
  ASSERT_EQ(core.setUserLutDesignData(nullptr, 0), kNoError);
  EXPECT_EQ(core.getLutDesignData(block.data()), kMissingCalibration);
}

// ---- Failures -----------------------------------------------------------------------------------

struct FailureCase {
  const char* what;
  const char* key;
  std::function<void(Bytes&)> change;
  ErrorCode code;
  const char* message;
};

TEST_F(MetaDataTest, RejectedPayloadsFailWithTheirCodeAndMessage) {
  LutGeneratorImageCore source;
  source.setTargetColorSpace(source.getColorSpaceInfo(P3D65Gamma26));
  const char* size = "Illegal size of metadata buffer!";
  const char* version = "Unknown version of metadata!";
  const char* header = "Wrong size of the header in the structure";
  const char* name = "Unknown target color space name!";
  auto shrink = [](size_t n) { return [n](Bytes& b) { b.resize(n); }; };
  const FailureCase cases[] = {
      {"look 43 bytes", look_video_param_atom_key, shrink(43), kIllegalValue, size},
      {"look version 2", look_video_param_atom_key, [](Bytes& b) { putBe16(b, 0, 2); },
       kUnknownMetaDataVersion, version},
      {"v2 87 bytes", look_video_param_v2_atom_key, shrink(87), kIllegalValue, size},
      {"v2 version 3", look_video_param_v2_atom_key, [](Bytes& b) { putBe16(b, 4, 3); },
       kUnknownMetaDataVersion, version},
      {"v2 header beyond", look_video_param_v2_atom_key, [](Bytes& b) { putBe32(b, 0, 200); },
       kIllegalValue, size},
      {"v2 name", look_video_param_v2_atom_key, [](Bytes& b) { b[86 + 29] = 'q'; },
       kUnknownColorSpace, name},
      {"v2 header size", look_video_param_v2_atom_key, [](Bytes& b) { putBe32(b, 0, 128); },
       kIllegalValue, header},
      {"v2 name cut by size", look_video_param_v2_atom_key,
       [](Bytes& b) { b.resize(100), putBe32(b, 0, 100); }, kUnknownColorSpace, name},
      {"info 75 bytes", look_info_atom_key, shrink(75), kIllegalValue, size},
      {"info version 3", look_info_atom_key, [](Bytes& b) { putBe16(b, 4, 3); },
       kUnknownMetaDataVersion, version},
      {"info note beyond", look_info_atom_key, [](Bytes& b) { putBe16(b, 74, 40); }, kIllegalValue,
       size},
      {"info name 65", look_info_atom_key, [](Bytes& b) { putBe16(b, 8, 65); }, kIllegalValue,
       "Length of the lut file name exceed maximal allowed length!"},
      {"info header size", look_info_atom_key, [](Bytes& b) { putBe32(b, 0, 72); }, kIllegalValue,
       header},
      {"lut 27 bytes", lut3d_master_atom_key, shrink(27), kIllegalValue, size},
      {"lut manufacturer", lut3d_master_atom_key, [](Bytes& b) { b[7] = 'X'; }, kMagicMismatch,
       "The manufacture ID does not match!"},
      {"lut version 2", lut3d_master_atom_key, [](Bytes& b) { putBe16(b, 8, 2); },
       kUnknownMetaDataVersion, version},
      {"lut scaling", lut3d_master_atom_key, [](Bytes& b) { putBe32(b, 12, 4095); }, kIllegalValue,
       "Illegal scaling factor value!"},
      {"lut mesh 17", lut3d_master_atom_key, [](Bytes& b) { putBe16(b, 24, 17); }, kIllegalValue,
       "Illegal number of meshpoints!"},
      {"lut name", lut3d_master_atom_key, [](Bytes& b) { b[28 + 29] = 'q'; }, kUnknownColorSpace,
       name},
      {"lut header size", lut3d_master_atom_key, [](Bytes& b) { putBe32(b, 0, 64); }, kIllegalValue,
       header},
      {"lut truncated", lut3d_master_atom_key, [](Bytes& b) { b.resize(b.size() - 3); },
       kIllegalValue, size},
      {"raw 100 bytes", vornraw_lut3d_atom_key, [](Bytes& b) { b.resize(100), b[0] = 'X'; },
       kIllegalValue, size},
      {"raw magic", vornraw_lut3d_atom_key, [](Bytes& b) { b[0] = 'X'; }, kMagicMismatch,
       "The magic word does not match!"},
      {"raw version 2", vornraw_lut3d_atom_key, [](Bytes& b) { putHost32(b, 8, 2); },
       kUnknownMetaDataVersion, "Unknown metadata version!"},
      {"raw revision 1", vornraw_lut3d_atom_key, [](Bytes& b) { putHost32(b, 12, 1); },
       kUnknownRevision, "Unknown metadata reversion!"},
      {"raw size field", vornraw_lut3d_atom_key, [](Bytes& b) { putHost32(b, 16, b.size() + 1); },
       kIllegalValue, size},
      {"raw design outside", vornraw_lut3d_atom_key,
       [](Bytes& b) { putHost32(b, 172, b.size() - 100); }, kIllegalValue, size},
      {"raw design short", vornraw_lut3d_atom_key, [](Bytes& b) { putHost32(b, 176, 63); },
       kIllegalValue, size},
      {"raw note outside", vornraw_lut3d_atom_key,
       [](Bytes& b) { putHost32(b, 180, b.size() - 4), putHost32(b, 184, 8); }, kIllegalValue,
       size},
      {"raw name", vornraw_lut3d_atom_key, [](Bytes& b) { b[100] = 'q'; }, kUnknownColorSpace,
       name},
      {"raw name with tail", vornraw_lut3d_atom_key, [](Bytes& b) { b[100 + 14] = 'q'; },
       kUnknownColorSpace, name},
      {"raw record version", vornraw_lut3d_atom_key,
       [](Bytes& b) { putHost32(b, 215828 + 64 + 4, 2); }, kUnknownMetaDataVersion,
       "Unknown video parameter metadata version!"},
      {"raw record size", vornraw_lut3d_atom_key, [](Bytes& b) { putHost32(b, 215828 + 64, 83); },
       kIllegalValue, "Illegal size of video parameter  metadata buffer!"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes payload = atom(source, c.key);
    c.change(payload);
    EXPECT_EQ(core.setMetaData(c.key, payload.data(), unsigned(payload.size())), c.code);
    EXPECT_EQ(lastReport(), c.message);
  }
  EXPECT_EQ(core.setMetaData("com.vorn.camera.look.unknown", nullptr, 0), kUnknownAtomKey);
  EXPECT_EQ(lastReport(), "Unknown meta data atom key");
  unsigned int n = 0;
  EXPECT_EQ(core.getMetaDataSize(color_space_atom_key, n), kUnknownAtomKey);
}

TEST_F(MetaDataTest, RawAtomWithUserLutChecksItsChunk) {
  makeLook(core, Rec1886);
  const Bytes good = atom(core, vornraw_lut3d_atom_key);
  struct Case {
    const char* what;
    std::function<void(Bytes&)> change;
    const char* message;
  };
  const Case cases[] = {
      {"chunk outside", [](Bytes& b) { putHost32(b, 168, b.size()); },
       "Illegal size of metadata buffer!"},
      {"mesh 66", [](Bytes& b) { putHost32(b, 192, 66); }, "Illegal number of meshpoints!"},
      {"mesh 34", [](Bytes& b) { putHost32(b, 192, 34); }, "Illegal size of metadata buffer!"},
      {"scale 0", [](Bytes& b) { putHost32(b, 196, 0); }, "Illegal scaling factor value!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes raw = good;
    c.change(raw);
    LutGeneratorImageCore fresh;
    EXPECT_EQ(fresh.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())),
              kIllegalValue);
    EXPECT_EQ(lastReport(), c.message);
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
  ASSERT_EQ(core.setUser3dLut(10, 2, corners.data(), kLutInterleaved, 65535), kNoError);
  const Bytes raw = atom(core, vornraw_lut3d_atom_key);
  EXPECT_EQ(host32(raw, 192), 2u);
  LutGeneratorImageCore fresh;
  ASSERT_EQ(fresh.setMetaData(vornraw_lut3d_atom_key, raw.data(), unsigned(raw.size())), kNoError);
  EXPECT_EQ(atom(fresh, vornraw_lut3d_atom_key), raw);
}

TEST_F(MetaDataTest, FailingCdlAtomLeavesTheCdlAtItsDefaults) {
  Bytes cdl = atom(core, asc_cdl_param_atom_key);
  for (unsigned int id : kCdlIds) ASSERT_EQ(core.setParam(id, 0.5), kNoError);
  putBe16(cdl, 0, 2);
  EXPECT_EQ(core.setMetaData(asc_cdl_param_atom_key, cdl.data(), 44), kUnknownMetaDataVersion);
  LutGeneratorImageCore fresh;
  expectSameParameters(core, fresh, kCdlIds);
}

TEST_F(MetaDataTest, SizeZeroSkipsOnlyTheSizeChecks) {
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  Bytes master = atom(core, lut3d_master_atom_key);
  LutGeneratorImageCore fresh;
  EXPECT_EQ(fresh.setMetaData(lut3d_master_atom_key, master.data(), 0), kNoError);
  EXPECT_EQ(fresh.getTargetColorSpace(), fresh.getColorSpaceInfo(Rec2100Pq));
  putBe32(master, 0, 64);
  EXPECT_EQ(fresh.setMetaData(lut3d_master_atom_key, master.data(), 0), kIllegalValue);
  EXPECT_EQ(fresh.getTargetColorSpace(), fresh.getColorSpaceInfo(Rec1886));  // atom reset
}

// ---- State
// -------------------------------------------------------------------------------------------

TEST_F(MetaDataTest, LookInformationVersionFollowsTheTarget) {
  const Bytes v1 = atom(core, look_info_atom_key);
  EXPECT_EQ(v1[5], 1);
  LutGeneratorImageCore source;
  source.getLookFile()->setTargetColorSpace(P3D65Gamma26);
  unsigned int size = 0;
  ASSERT_EQ(source.getLookDataSize(false, size), kNoError);
  Bytes look(size);
  ASSERT_EQ(source.saveLook(look.data(), false), kNoError);
  ASSERT_EQ(core.loadLook(look.data(), size), kNoError);
  EXPECT_EQ(atom(core, look_info_atom_key)[5], 2);
  // Version 0 is read; what is written back depends on the target only.
  Bytes v0 = v1;
  v0[5] = 0;
  EXPECT_EQ(core.setMetaData(look_info_atom_key, v0.data(), unsigned(v0.size())), kNoError);
  EXPECT_EQ(atom(core, look_info_atom_key)[5], 2);
}

TEST_F(MetaDataTest, ResetAllReturnsEveryAtomToItsDefaults) {
  makeLook(core, P3D65Gamma26);
  ASSERT_EQ(core.resetAllMetaData(), kNoError);
  EXPECT_FALSE(core.hasUser3dLut());
  EXPECT_EQ(core.getTargetColorSpace(), core.getColorSpaceInfo(Rec1886));
  EXPECT_EQ(core.getLookFile()->getLutFileNameLength(), 0);
  EXPECT_EQ(core.getLookFile()->getLookNoteLength(), 0);
  LutGeneratorImageCore fresh;
  expectSameParameters(core, fresh, videoIds());
  expectSameParameters(core, fresh, kCdlIds);
  EXPECT_EQ(core.getMetaDataHandler(lut3d_atom_key),
            core.getMetaDataHandler(lut3d_master_atom_key));
}

}  // namespace
}  // namespace Kalvora
