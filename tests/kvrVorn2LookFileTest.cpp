#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "kvrCrcCalculator.h"
#include "kvrLutCoreTestSupport.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrVorn2LookFile.h"

namespace Kalvora {
namespace {

using Bytes = std::vector<unsigned char>;
using KalvoraTest::cube;

constexpr unsigned int kKeyAt = 36;
constexpr unsigned int kNameAt = 1344;

unsigned int le32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | unsigned(b[at + 3]) << 24;
}
void putLe32(Bytes& b, size_t at, unsigned int v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
unsigned short le16(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8; }
void putLe16(Bytes& b, size_t at, unsigned short v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}
void refreshCrc(Bytes& b) {
  putLe32(b, 8, CrcCalculator().calculateCrc(b.data() + 12, unsigned(b.size() - 12)));
}
const unsigned char* bytesOf(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

// A value inside the parameter's range, away from its default and exact in
// single precision.
double lookValue(const PipelineParameter& p) {
  const double mid = p.maximum < 1e300 ? (p.minimum + p.maximum) / 2 : p.defaultValue;
  return std::round(mid * 64) / 64 + 0.0625;
}

class LookFileTest : public KalvoraTest::ReportCaptureTest {
protected:
  static Bytes save(LutGeneratorImageCore& c, bool all) {
    unsigned int size = 0;
    EXPECT_EQ(c.getLookDataSize(all, size), kNoError);
    Bytes b(size, 0xAB);
    EXPECT_EQ(c.saveLook(b.data(), all), kNoError);
    return b;
  }

  // Every saved parameter moved off its default.
  static void setLookParameters(LutGeneratorImageCore& c) {
    PipelineParameter* const* p = c.getParameters();
    for (int i = 0; i < c.getNumParameters(); ++i)
      if (p[i]->save(true)) {
        ASSERT_EQ(c.setParam(p[i]->id, lookValue(*p[i])), kNoError) << p[i]->id;
      }
  }

  // A 33-point user LUT whose codes hit all byte values.
  void installUserLut(LutGeneratorImageCore& c) {
    userLut.resize(3 * cube(33));
    for (size_t i = 0; i < userLut.size(); ++i)
      userLut[i] = static_cast<unsigned short>((i * 40503u) >> 3);
    ASSERT_EQ(c.setUser3dLut(10, 33, userLut.data(), kLutInterleaved, 65535), kNoError);
  }

  static std::vector<unsigned short> node10(LutGeneratorImageCore& c) {
    std::vector<unsigned short> out(3 * cube(17));
    EXPECT_EQ(c.get3dLut(10, 17, out.data(), kLutInterleaved, 65535, false), kNoError);
    return out;
  }

  static void expectResetLook(LutGeneratorImageCore& c) {
    PipelineParameter* const* p = c.getParameters();
    for (int i = 0; i < c.getNumParameters(); ++i)
      if (p[i]->persistence == kPersistAlways) {
        EXPECT_EQ(p[i]->value, p[i]->defaultValue) << p[i]->id;
      }
    EXPECT_FALSE(c.hasUser3dLut());
    Vorn2LookFile& file = *c.getLookFile();
    EXPECT_EQ(file.getLutFileNameLength(), 0);
    EXPECT_EQ(file.getLookNoteLength(), 0);
    EXPECT_EQ(file.getLutDesignDataSize(), 0u);
    EXPECT_EQ(file.getBadLut(), 0);
    EXPECT_EQ(file.getTargetColorSpace(), c.getTargetColorSpace());
  }

  LutGeneratorImageCore core;
  std::vector<unsigned short> userLut;
};

// ---- Writing ------------------------------------------------------------------------------

TEST_F(LookFileTest, FreshCoreSavesThePublishedLayout) {
  const Bytes look = save(core, false);
  ASSERT_EQ(look.size(), 1640u);
  EXPECT_EQ(save(core, true).size(), 1648u);
  EXPECT_EQ(std::string(look.begin(), look.begin() + 4), "KOLV");
  EXPECT_EQ(le32(look, 4), 3u);
  EXPECT_EQ(le32(look, 8), CrcCalculator().calculateCrc(look.data() + 12, 1640 - 12));
  EXPECT_EQ(le32(look, 8),
            core.getLookFile()->getCRC(const_cast<unsigned char*>(look.data()), 1640));
  EXPECT_EQ(le32(look, 12), 1408u);
  EXPECT_EQ(le32(look, 16), 29u);
  EXPECT_EQ(le32(look, 20), 0u);
  EXPECT_EQ(le32(look, 24), 0u);
  EXPECT_EQ(le16(look, 34), 36u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&look[kKeyAt])), "com.vorn.opx.video_param");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&look[kNameAt])),
            "com.apple.proapps.colorspace.rec1886");
  EXPECT_EQ(le32(look, 100), 0u);
  EXPECT_EQ(le32(look, 104), 0u);
  for (size_t i = 108; i < 256; ++i) ASSERT_EQ(look[i], 0) << i;
  // Entries in registration order: CDL slope red first, pedestal blue last.
  EXPECT_EQ(le32(look, 1408), 3011u);
  float value = 0;
  std::memcpy(&value, &look[1412], 4);
  EXPECT_EQ(value, 1.0f);
  EXPECT_EQ(le32(look, 1408 + 8 * 28), 5075u);
  EXPECT_EQ(le32(save(core, true), 1408), 1001u);
}

TEST_F(LookFileTest, UserLutAddsAThirtyThreePointBlockAndDropsTheVideoKey) {
  installUserLut(core);
  const Bytes look = save(core, false);
  ASSERT_EQ(look.size(), 1640u + 215622u);
  EXPECT_EQ(le32(look, 20), 1640u);
  EXPECT_EQ(le32(look, 24), 33u);
  EXPECT_EQ(look[kKeyAt], 0);
  // Node 15 holds the user LUT alone, so the block is the LUT itself.
  for (size_t i = 0; i < userLut.size(); ++i) ASSERT_EQ(le16(look, 1640 + 2 * i), userLut[i]) << i;
}

// ---- Round trip ---------------------------------------------------------------------------

class LookRoundTripTest : public LookFileTest, public testing::WithParamInterface<ColorSpace> {};

TEST_P(LookRoundTripTest, RestoresEveryPartOfTheLook) {
  // As a load does: the LUT first, so that the look parameters act on it.
  installUserLut(core);
  setLookParameters(core);
  const std::string name(64, 'n'), note(1024, 'o'), key(64, 'k');
  const Bytes design = {1, 2, 3, 0, 5, 6, 7};
  Vorn2LookFile& file = *core.getLookFile();
  file.setLutFileName(bytesOf(name), 64);
  file.setLookNote(bytesOf(note), 1024);
  ASSERT_EQ(core.setUserLutDesignDataKey(bytesOf(key), 64), kNoError);
  ASSERT_EQ(core.setUserLutDesignData(design.data(), unsigned(design.size())), kNoError);
  file.setBadLut(1);
  ASSERT_EQ(file.setTargetColorSpace(GetParam()), kNoError);
  ASSERT_EQ(core.getTargetColorSpace(), core.getColorSpaceInfo(GetParam()));

  Bytes look = save(core, true);
  EXPECT_EQ(le32(look, 100), look.size() - design.size());
  LutGeneratorImageCore loaded;
  ASSERT_EQ(loaded.loadLook(look.data(), unsigned(look.size())), kNoError);
  std::fill(look.begin(), look.end(), 0);  // the look must not refer to the buffer

  PipelineParameter* const* p = core.getParameters();
  for (int i = 0; i < core.getNumParameters(); ++i) {
    double value = 0;
    ASSERT_EQ(loaded.getParam(p[i]->id, value), kNoError);
    EXPECT_EQ(value, p[i]->value) << p[i]->id;
  }
  EXPECT_EQ(loaded.getTargetColorSpace(), loaded.getColorSpaceInfo(GetParam()));
  EXPECT_TRUE(loaded.hasUser3dLut());
  EXPECT_EQ(node10(loaded), node10(core));
  Vorn2LookFile& back = *loaded.getLookFile();
  EXPECT_EQ(back.getTargetColorSpace(), loaded.getTargetColorSpace());
  EXPECT_EQ(back.getLutFileName(), name);
  EXPECT_EQ(back.getLookNote(), note);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(loaded.getUserLutDesignDataKey()), 64), key);
  EXPECT_EQ(loaded.getUserLutDesignDataKeySize(), 64);
  ASSERT_EQ(loaded.getUserLutDesignDataSize(), design.size());
  EXPECT_EQ(Bytes(loaded.getUserLutDesignData(), loaded.getUserLutDesignData() + design.size()),
            design);
  EXPECT_EQ(back.getBadLut(), 1);
  EXPECT_EQ(loaded.isLookFileForStandardDisplay(), GetParam() == Rec1886);
  EXPECT_EQ(reportCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(SdrPqHlg, LookRoundTripTest,
                         testing::Values(Rec1886, Rec2100Pq, Rec2100Hlg));

TEST_F(LookFileTest, ParametersComeBackRoundedToSinglePrecision) {
  ASSERT_EQ(core.setParam(3001, 0.1), kNoError);
  ASSERT_EQ(core.setParam(1001, 1234.567), kNoError);
  const Bytes look = save(core, true);
  LutGeneratorImageCore loaded;
  ASSERT_EQ(loaded.loadLook(look.data(), unsigned(look.size())), kNoError);
  double value = 0;
  loaded.getParam(3001, value);
  EXPECT_EQ(value, double(0.1f));
  loaded.getParam(1001, value);
  EXPECT_EQ(value, double(1234.567f));
}

// ---- Reading --------------------------------------------------------------------------------

struct LoadCase {
  const char* what;
  std::function<void(Bytes&)> change;
  ErrorCode code;
  const char* message;  // empty for a successful load
};

TEST_F(LookFileTest, LoadChecksEachFieldInOrder) {
  installUserLut(core);
  const Bytes design(40, 0x5A);
  ASSERT_EQ(core.setUserLutDesignData(design.data(), 40), kNoError);
  const Bytes good = save(core, false);
  const unsigned int lutEnd = 1640 + 215622;
  const std::string p3 = "com.apple.proapps.colorspace.dci.d65.gamma26_and_more";
  const LoadCase cases[] = {
      {"255 bytes", [](Bytes& b) { b.resize(255); }, kIllegalValue,
       "Illegal size of look file buffer!"},
      {"magic", [](Bytes& b) { b[3] = 'W'; }, kMagicMismatch, "The magic word does not match!"},
      {"version 1", [](Bytes& b) { putLe32(b, 4, 1); }, kUnsupportedVersion,
       "This version is no longer supported!"},
      {"version 4", [](Bytes& b) { putLe32(b, 4, 4); }, kUnknownFileVersion,
       "Unknown look file version!"},
      {"name length 65", [](Bytes& b) { putLe16(b, 30, 65); }, kIllegalValue,
       "Illegal value for length of the lut file name!"},
      {"note length 1025", [](Bytes& b) { putLe16(b, 32, 1025); }, kIllegalValue,
       "Illegal value for length of look note!"},
      {"parameter offset", [](Bytes& b) { putLe32(b, 12, 1400); }, kIllegalValue,
       "Illegal value for parameter offset!"},
      {"LUT offset", [](Bytes& b) { putLe32(b, 20, 1648); }, kIllegalValue,
       "Illegal value for 3d lut offset!"},
      {"count wraps 8N", [](Bytes& b) { putLe32(b, 16, 29 + 0x20000000u); }, kIllegalValue,
       "Illegal value for 3d lut offset!"},
      {"mesh 66", [](Bytes& b) { putLe32(b, 24, 66); }, kIllegalValue,
       "Illegal value for 3d lut mesh points!"},
      {"mesh wraps 6m^3", [](Bytes& b) { putLe32(b, 24, 0x80000000u); }, kIllegalValue,
       "Illegal value for 3d lut mesh points!"},
      {"mesh 32", [](Bytes& b) { putLe32(b, 24, 32); }, kIllegalValue,
       "Illegal size of look file!"},
      {"design size", [](Bytes& b) { putLe32(b, 104, 41); }, kIllegalValue,
       "Illegal size of look file!"},
      {"truncated", [](Bytes& b) { b.pop_back(); }, kIllegalValue, "Illegal size of look file!"},
      {"design offset", [=](Bytes& b) { putLe32(b, 100, lutEnd - 1); }, kIllegalValue,
       "Illegal value for design data offset!"},
      {"colour space", [](Bytes& b) { b[kNameAt + 29] = 'X'; }, kUnknownColorSpace,
       "Unknown target color space name!"},
      {"version 0", [](Bytes& b) { putLe32(b, 4, 0); }, kNoError, ""},
      {"version 2", [](Bytes& b) { putLe32(b, 4, 2); }, kNoError, ""},
      {"longer name", [&](Bytes& b) { std::memcpy(&b[kNameAt], p3.data(), p3.size()); }, kNoError,
       ""},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes look = good;
    c.change(look);
    if (look.size() > 12) refreshCrc(look);
    ASSERT_EQ(core.setParam(3001, 0.25), kNoError);
    EXPECT_EQ(core.loadLook(look.data(), unsigned(look.size())), c.code);
    if (c.code == kNoError) {
      EXPECT_TRUE(core.hasUser3dLut());
      EXPECT_EQ(core.getUserLutDesignDataSize(), 40u);
    } else {
      EXPECT_EQ(lastReport(), c.message);
      expectResetLook(core);
    }
  }
  EXPECT_EQ(core.getTargetColorSpace(), core.getColorSpaceInfo(P3D65Gamma26));
}

TEST_F(LookFileTest, FlippingAnyCoveredByteFailsAndLeavesTheLookReset) {
  const Bytes design(16, 0x33);
  ASSERT_EQ(core.setUserLutDesignData(design.data(), 16), kNoError);
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
    ASSERT_EQ(core.setParam(3001, 0.25), kNoError);
    const ErrorCode code = core.loadLook(look.data(), unsigned(look.size()));
    if (checked(i)) {
      ASSERT_NE(code, kNoError) << i;
    } else {
      ASSERT_EQ(code, kCrcMismatch) << i;
    }
    double value = 1;
    core.getParam(3001, value);
    ASSERT_EQ(value, 0.0) << i;
  }
  expectResetLook(core);
  EXPECT_EQ(lastReport(), "The CRC value does not match!");
}

TEST_F(LookFileTest, UnknownNameWithGoodCrcFailsAsNameKnownNameWithBadCrcAsCrc) {
  Bytes look = save(core, false);
  look[kNameAt + 30] = '?';
  refreshCrc(look);
  EXPECT_EQ(core.loadLook(look.data(), unsigned(look.size())), kUnknownColorSpace);
  look = save(core, false);
  look[kNameAt + 60] = 'x';  // after the name: still Rec.1886
  EXPECT_EQ(core.loadLook(look.data(), unsigned(look.size())), kCrcMismatch);
  EXPECT_EQ(core.loadLook(nullptr, 2000), kIllegalValue);
}

TEST_F(LookFileTest, LookNeverTakesParametersItDoesNotSave) {
  Bytes look = save(core, false);
  putLe32(look, 1408, 5078);  // peak white in place of the first entry
  refreshCrc(look);
  ASSERT_EQ(core.loadLook(look.data(), unsigned(look.size())), kNoError);
  double peak = 0;
  core.getParam(5078, peak);
  EXPECT_EQ(peak, 1000.0);
  EXPECT_EQ(reportCount(), 0u);
}

TEST_F(LookFileTest, SeedLooksOfTheFuzzerLoadOrFailAsNamed) {
  const std::filesystem::path dir =
      std::filesystem::path(KALVORA_TEST_DATA_DIR) / "../../fuzz/corpus/kvrLookFileFuzz";
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes look{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const bool valid = name.rfind("valid_", 0) == 0;
    EXPECT_EQ(core.loadLook(look.data(), unsigned(look.size())) == kNoError, valid);
    ++seeds;
  }
  EXPECT_GE(seeds, 8);
}

// ---- Setters, target, helpers
// ----------------------------------------------------------------------

TEST_F(LookFileTest, SettersRejectTooLongOrMissingBytesAndKeepTheField) {
  Vorn2LookFile& file = *core.getLookFile();
  file.setLutFileName(bytesOf("lut.cube"), 8);
  file.setLookNote(bytesOf("warm"), 4);
  const std::string long1025(1025, 'x');
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* fragment;
  };
  const Case cases[] = {
      {"name 65", [&] { file.setLutFileName(bytesOf(long1025), 65); }, "exceed maximal"},
      {"name null", [&] { file.setLutFileName(nullptr, 3); }, "is NULL"},
      {"note 1025", [&] { file.setLookNote(bytesOf(long1025), 1025); }, "look note"},
      {"note null", [&] { file.setLookNote(nullptr, 3); }, "look note"},
      {"key 65", [&] { file.setUserLutDesignDataKey(bytesOf(long1025), 65); }, "data key"},
      {"design null", [&] { file.setUserLutDesignData(nullptr, 5); }, "input size is not zero"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.call();
      ADD_FAILURE() << "accepted";
    } catch (const KvrSignal& s) {
      EXPECT_EQ(s.code(), kIllegalValue);
      EXPECT_NE(std::string(s.what()).find(c.fragment), std::string::npos) << s.what();
    }
  }
  EXPECT_STREQ(file.getLutFileName(), "lut.cube");
  EXPECT_STREQ(file.getLookNote(), "warm");
  const Bytes tooLarge(65473);
  EXPECT_EQ(core.setUserLutDesignData(tooLarge.data(), 65473), kIllegalValue);
  EXPECT_EQ(lastReport(), "Illegal value for length of lut design data!");
  EXPECT_EQ(core.setUserLutDesignData(tooLarge.data(), 65472), kNoError);
  file.setLutFileName(nullptr, 0);
  EXPECT_STREQ(file.getLutFileName(), "");
}

TEST_F(LookFileTest, KeyFollowsTheWritersRule) {
  const std::string video = "com.vorn.opx.video_param";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(core.getUserLutDesignDataKey())), video);
  EXPECT_TRUE(Vorn2LookFile::isVornUserLutDesignDataKey(bytesOf(video), 24));
  EXPECT_FALSE(Vorn2LookFile::isVornUserLutDesignDataKey(bytesOf(video), 23));
  installUserLut(core);
  EXPECT_EQ(core.getUserLutDesignDataKeySize(), 0);
  ASSERT_EQ(core.setUserLutDesignDataKey(bytesOf("grade"), 5), kNoError);
  EXPECT_EQ(core.getUserLutDesignDataKeySize(), 5);
  // Removing the user LUT clears what belonged to it.
  core.getLookFile()->setLutFileName(bytesOf("a.cube"), 6);
  core.getLookFile()->setBadLut(1);
  ASSERT_EQ(core.resetUser3dLut(10), kNoError);
  EXPECT_EQ(core.getLookFile()->getLutFileNameLength(), 0);
  EXPECT_EQ(core.getLookFile()->getBadLut(), 0);
  EXPECT_EQ(core.getUserLutDesignDataKeySize(), 24);
}

TEST_F(LookFileTest, TargetOfCoreAndLookFileStayTogether) {
  Vorn2LookFile& file = *core.getLookFile();
  EXPECT_EQ(file.setTargetColorSpace(P3D65Gamma26), kNoError);
  EXPECT_EQ(core.getTargetColorSpace(), core.getColorSpaceInfo(P3D65Gamma26));
  EXPECT_STREQ(file.getColSpaceName(), "com.apple.proapps.colorspace.p3.d65.gamma26");
  for (int id : {8, 99, 100, -1}) {
    EXPECT_EQ(file.setTargetColorSpace(static_cast<ColorSpace>(id)), kIllegalValue) << id;
    EXPECT_EQ(file.getTargetColorSpace(), core.getColorSpaceInfo(P3D65Gamma26));
  }
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  EXPECT_EQ(file.getTargetColorSpace(), core.getColorSpaceInfo(Rec2100Pq));
  EXPECT_EQ(file.getColSpaceNameLength(), 43);
  EXPECT_FALSE(core.isLookFileForStandardDisplay());
  LutGeneratorImageCore other;
  try {
    core.setTargetColorSpace(other.getLookFile());
    ADD_FAILURE() << "foreign look file accepted";
  } catch (const KvrSignal& s) {
    EXPECT_EQ(s.code(), kIllegalCall);
    EXPECT_STREQ(s.what(), "Illegal call! Only possible with Look File of this core");
  }
}

TEST_F(LookFileTest, StaticHelpersReadABufferWithoutACore) {
  core.getLookFile()->setBadLut(3);
  installUserLut(core);
  Bytes look = save(core, false);
  unsigned long size = 0;
  EXPECT_EQ(Vorn2LookFile::getLookFileHeaderSize(size), kNoError);
  EXPECT_EQ(size, 256u);
  EXPECT_EQ(Vorn2LookFile::getTargetColorSpaceBufferSize(size), kNoError);
  EXPECT_EQ(size, 1408u);
  const unsigned char* name = nullptr;
  unsigned short length = 0;
  EXPECT_EQ(Vorn2LookFile::getTargetColorSpace(look.data(), &name, length), kNoError);
  EXPECT_EQ(name, look.data() + kNameAt);
  EXPECT_EQ(length, 36);
  unsigned int value = 0;
  EXPECT_EQ(Vorn2LookFile::getLookFileFeatures(look.data(), kLookFileHas3dLut, value), kNoError);
  EXPECT_EQ(value, 1640u);
  EXPECT_EQ(Vorn2LookFile::getLookFileFeatures(look.data(), kLookFileBadLut), 3u);
  EXPECT_EQ(Vorn2LookFile::getLookFileFeatures(look.data(), LookFileFeature(3), value),
            kUnknownFeature);
  EXPECT_EQ(lastReport(), "Unknown look file feature!");
  unsigned int maxValue = 0, mesh = 0;
  LutOrder order = kLutPlanar;
  core.getLookFile()->get3dLutParam(maxValue, mesh, order);
  EXPECT_EQ(maxValue, 65535u);
  EXPECT_EQ(mesh, 33u);
  EXPECT_EQ(order, kLutInterleaved);
}

// ---- Video parameters
// ------------------------------------------------------------------------------

TEST_F(LookFileTest, VideoParametersRecordTheNineteenLookValues) {
  ASSERT_EQ(core.setParam(5075, 0.25), kNoError);
  VornRawMeta::VideoParameters record = {};
  ASSERT_EQ(core.getVideoParameters(&record), kNoError);
  EXPECT_EQ(record.size, 84u);
  EXPECT_EQ(record.version, 1);
  EXPECT_EQ(record.revision, 0);
  EXPECT_EQ(record.values[0], 0.5f);  // 4002
  EXPECT_EQ(record.values[18], 0.25f);

  LutGeneratorImageCore other;
  record.values[2] = 1.5f;   // 5051
  record.values[10] = 9.0f;  // 5067, out of range: stops here
  record.values[11] = 1.5f;  // 5068 stays
  ASSERT_EQ(other.setVideoParameters(&record), kIllegalValue);
  double value = 0;
  other.getParam(5051, value);
  EXPECT_EQ(value, 1.5);
  other.getParam(5068, value);
  EXPECT_EQ(value, 1.0);

  record.version = 2;
  EXPECT_EQ(other.setVideoParameters(&record), kUnknownMetaDataVersion);
  EXPECT_EQ(lastReport(), "Unknown video parameter metadata version!");
  record.version = 0;
  record.size = 83;
  EXPECT_EQ(other.setVideoParameters(&record), kIllegalValue);
  EXPECT_EQ(lastReport(), "Illegal size of video parameter buffer!");
}

}  // namespace
}  // namespace Kalvora
