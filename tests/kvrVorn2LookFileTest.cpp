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
using Change = std::function<void(Bytes&)>;
using KalvoraTest::contains;
using KalvoraTest::cube;

constexpr unsigned int kKeyAt = 36;
constexpr unsigned int kNameAt = 1344;
constexpr unsigned int kEntriesAt = 1408;
constexpr unsigned int kLookSize = 1640;
constexpr unsigned int kLutBlockSize = 6 * 33 * 33 * 33;

unsigned int le(const Bytes& b, size_t at, int bytes = 4) {
  unsigned int v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}
void putLe(Bytes& b, size_t at, unsigned int v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
Change le32At(size_t at, unsigned int v) {
  return [=](Bytes& b) { putLe(b, at, v); };
}
Change le16At(size_t at, unsigned int v) {
  return [=](Bytes& b) { putLe(b, at, v, 2); };
}
Change byteAt(size_t at, char c) {
  return [=](Bytes& b) { b[at] = static_cast<unsigned char>(c); };
}
void refreshCrc(Bytes& b) {
  putLe(b, 8, CrcCalculator().calculateCrc(b.data() + 12, unsigned(b.size() - 12)));
}
const unsigned char* bytesOf(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}
std::string textAt(const Bytes& b, size_t at) { return reinterpret_cast<const char*>(&b[at]); }

class LookFileTest : public KalvoraTest::ReportCaptureTest {
protected:
  static Bytes save(LutGeneratorImageCore& c, bool all) {
    unsigned int size = 0;
    EXPECT_EQ(c.getLookDataSize(all, size), kNoError);
    Bytes b(size, 0xAB);
    EXPECT_EQ(c.saveLook(b.data(), all), kNoError);
    return b;
  }

  // A 33-point user LUT whose codes hit all byte values.
  void installUserLut(LutGeneratorImageCore& c) {
    userLut.resize(3 * cube(33));
    for (size_t i = 0; i < userLut.size(); ++i)
      userLut[i] = static_cast<unsigned short>((i * 40503u) >> 3);
    ASSERT_EQ(c.setUser3dLut(kLutNodeLook, 33, userLut.data(), kLutInterleaved, 65535), kNoError);
  }

  static std::vector<unsigned short> lookNode(LutGeneratorImageCore& c) {
    std::vector<unsigned short> out(3 * cube(17));
    EXPECT_EQ(c.get3dLut(kLutNodeLook, 17, out.data(), kLutInterleaved, 65535, false), kNoError);
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
    EXPECT_EQ(file.getLutFileNameLength() + file.getLookNoteLength(), 0);
    EXPECT_EQ(file.getLutDesignDataSize(), 0u);
    EXPECT_EQ(file.getBadLut(), 0);
    EXPECT_EQ(file.getTargetColorSpace(), c.getTargetColorSpace());
  }

  LutGeneratorImageCore core;
  std::vector<unsigned short> userLut;
};

TEST_F(LookFileTest, FreshCoreSavesThePublishedLayout) {
  const Bytes look = save(core, false);
  ASSERT_EQ(look.size(), kLookSize);
  EXPECT_EQ(save(core, true).size(), 1648u);
  EXPECT_EQ(std::string(look.begin(), look.begin() + 4), "KOLV");
  EXPECT_EQ(le(look, 4), 3u);
  EXPECT_EQ(le(look, 8), CrcCalculator().calculateCrc(look.data() + 12, kLookSize - 12));
  EXPECT_EQ(le(look, 12), kEntriesAt);
  EXPECT_EQ(le(look, 16), 29u);
  EXPECT_EQ(le(look, 20) + le(look, 24) + le(look, 100) + le(look, 104), 0u);
  EXPECT_EQ(textAt(look, kKeyAt), "com.vorn.opx.video_param");
  EXPECT_EQ(textAt(look, kNameAt), "com.apple.proapps.colorspace.rec1886");
  // Entries in registration order: CDL slope red first, pedestal blue last.
  EXPECT_EQ(le(look, kEntriesAt), kLutParamCdlSlopeRed);
  float value = 0;
  std::memcpy(&value, &look[kEntriesAt + 4], 4);
  EXPECT_EQ(value, 1.0f);
  EXPECT_EQ(le(look, kEntriesAt + 8 * 28), kLutParamVideoPedestalBlue);
  EXPECT_EQ(le(save(core, true), kEntriesAt), kLutParamExposureIndex);
}

TEST_F(LookFileTest, UserLutAddsAThirtyThreePointBlockAndDropsTheVideoKey) {
  installUserLut(core);
  const Bytes look = save(core, false);
  ASSERT_EQ(look.size(), kLookSize + kLutBlockSize);
  EXPECT_EQ(le(look, 20), kLookSize);
  EXPECT_EQ(le(look, 24), 33u);
  EXPECT_EQ(look[kKeyAt], 0);
  // The export without transform holds the user LUT alone: the block is the LUT itself.
  for (size_t i = 0; i < userLut.size(); ++i) ASSERT_EQ(le(look, kLookSize + 2 * i, 2), userLut[i]);
}

class LookRoundTripTest : public LookFileTest, public testing::WithParamInterface<ColorSpace> {};

TEST_P(LookRoundTripTest, RestoresEveryPartOfTheLookThroughAFreshCore) {
  installUserLut(core);  // as a load does: the LUT first, so the parameters act on it
  PipelineParameter* const* p = core.getParameters();
  for (int i = 0; i < core.getNumParameters(); ++i)
    if (p[i]->save(true)) {  // off its default, inside its range, exact in single precision
      const double mid =
          p[i]->maximum < 1e300 ? (p[i]->minimum + p[i]->maximum) / 2 : p[i]->defaultValue;
      ASSERT_EQ(core.setParam(p[i]->id, std::round(mid * 64) / 64 + 0.0625), kNoError) << p[i]->id;
    }
  const std::string name(64, 'n'), note(1024, 'o');
  const Bytes design = {1, 2, 3, 0, 5, 6, 7};
  Vorn2LookFile& file = *core.getLookFile();
  file.setLutFileName(bytesOf(name), 64);
  file.setLookNote(bytesOf(note), 1024);
  ASSERT_EQ(core.setUserLutDesignData(design.data(), unsigned(design.size())), kNoError);
  file.setBadLut(1);
  ASSERT_EQ(file.setTargetColorSpace(GetParam()), kNoError);

  Bytes look = save(core, true);
  EXPECT_EQ(le(look, 100), look.size() - design.size());
  LutGeneratorImageCore loaded;
  ASSERT_EQ(loaded.loadLook(look.data(), unsigned(look.size())), kNoError);
  std::fill(look.begin(), look.end(), 0);  // the look must not refer to the buffer
  for (int i = 0; i < core.getNumParameters(); ++i) {
    double value = 0;
    ASSERT_EQ(loaded.getParam(p[i]->id, value), kNoError);
    EXPECT_EQ(value, p[i]->value) << p[i]->id;
  }
  EXPECT_EQ(loaded.getTargetColorSpace(), loaded.getColorSpaceInfo(GetParam()));
  EXPECT_EQ(lookNode(loaded), lookNode(core));
  Vorn2LookFile& back = *loaded.getLookFile();
  EXPECT_EQ(back.getTargetColorSpace(), loaded.getTargetColorSpace());
  EXPECT_EQ(back.getLutFileName(), name);
  EXPECT_EQ(back.getLookNote(), note);
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
  ASSERT_EQ(core.setParam(kLutParamExposureIndex, 1234.567), kNoError);
  const Bytes look = save(core, true);
  ASSERT_EQ(core.loadLook(look.data(), unsigned(look.size())), kNoError);
  double value = 0;
  core.getParam(kLutParamExposureIndex, value);
  EXPECT_EQ(value, double(1234.567f));
}

TEST_F(LookFileTest, LoadChecksEachFieldInOrderAndResetsTheLookOnFailure) {
  installUserLut(core);
  ASSERT_EQ(core.setUserLutDesignData(Bytes(40, 0x5A).data(), 40), kNoError);
  const Bytes good = save(core, false);
  const std::string p3 = "com.apple.proapps.colorspace.dci.d65.gamma26_and_more";
  const struct {
    const char* what;
    Change change;
    ErrorCode code;
    const char* fragment;  // of the report; empty for a successful load
  } cases[] = {
      {"255 bytes", [](Bytes& b) { b.resize(255); }, kIllegalValue, "look file buffer"},
      {"magic", byteAt(3, 'W'), kMagicMismatch, "magic"},
      {"version 1", le32At(4, 1), kUnsupportedVersion, "no longer"},
      {"version 4", le32At(4, 4), kUnknownFileVersion, "version"},
      {"name length 65", le16At(30, 65), kIllegalValue, "lut file name"},
      {"note length 1025", le16At(32, 1025), kIllegalValue, "look note"},
      {"parameter offset", le32At(12, 1400), kIllegalValue, "parameter offset"},
      {"LUT offset", le32At(20, 1648), kIllegalValue, "3d lut offset"},
      {"count wraps 8N", le32At(16, 29 + 0x20000000u), kIllegalValue, "3d lut offset"},
      {"mesh 66", le32At(24, 66), kIllegalValue, "mesh points"},
      {"mesh wraps 6m^3", le32At(24, 0x80000000u), kIllegalValue, "mesh points"},
      {"mesh 32", le32At(24, 32), kIllegalValue, "size of look file!"},
      {"design size", le32At(104, 41), kIllegalValue, "size of look file!"},
      {"truncated", [](Bytes& b) { b.pop_back(); }, kIllegalValue, "size of look file!"},
      {"design offset", le32At(100, kLookSize + kLutBlockSize - 1), kIllegalValue,
       "design data offset"},
      {"colour space", byteAt(kNameAt + 29, 'X'), kUnknownColorSpace, "color space"},
      {"version 0", le32At(4, 0), kNoError, ""},
      {"version 2", le32At(4, 2), kNoError, ""},
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
      EXPECT_EQ(core.getUserLutDesignDataSize(), 40u);
    } else {
      EXPECT_PRED2(contains, lastReport(), c.fragment);
      expectResetLook(core);
    }
  }
  EXPECT_EQ(core.getTargetColorSpace(), core.getColorSpaceInfo(P3D65Gamma26));
}

TEST_F(LookFileTest, FlippingAnyCoveredByteFailsAndLeavesTheLookReset) {
  ASSERT_EQ(core.setUserLutDesignData(Bytes(16, 0x33).data(), 16), kNoError);
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

TEST_F(LookFileTest, NameIsCheckedBeforeTheCrcAndUnsavedParametersAreNeverTaken) {
  Bytes look = save(core, false);
  look[kNameAt + 30] = '?';
  refreshCrc(look);
  EXPECT_EQ(core.loadLook(look.data(), unsigned(look.size())), kUnknownColorSpace);
  look = save(core, false);
  look[kNameAt + 60] = 'x';  // after the name: still Rec.1886
  EXPECT_EQ(core.loadLook(look.data(), unsigned(look.size())), kCrcMismatch);
  EXPECT_EQ(core.loadLook(nullptr, 2000), kIllegalValue);

  look = save(core, false);
  putLe(look, kEntriesAt, kLutParamPeakWhite);  // in place of the first entry
  refreshCrc(look);
  ASSERT_EQ(core.loadLook(look.data(), unsigned(look.size())), kNoError);
  double peak = 0;
  core.getParam(kLutParamPeakWhite, peak);
  EXPECT_EQ(peak, 1000.0);
}

TEST_F(LookFileTest, SeedLooksOfTheFuzzerLoadOrFailAsNamed) {
  const std::filesystem::path dir =
      std::filesystem::path(KALVORA_TEST_DATA_DIR) / "../../fuzz/corpus/kvrLookFileFuzz";
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes look{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(core.loadLook(look.data(), unsigned(look.size())) == kNoError,
              name.rfind("valid_", 0) == 0)
        << name;
    ++seeds;
  }
  EXPECT_GE(seeds, 8);
}

TEST_F(LookFileTest, SettersRejectTooLongOrMissingBytesAndKeepTheField) {
  Vorn2LookFile& file = *core.getLookFile();
  file.setLutFileName(bytesOf("lut.cube"), 8);
  file.setLookNote(bytesOf("warm"), 4);
  const std::string long1025(1025, 'x');
  const std::function<void()> calls[] = {
      [&] { file.setLutFileName(bytesOf(long1025), 65); },
      [&] { file.setLutFileName(nullptr, 3); },
      [&] { file.setLookNote(bytesOf(long1025), 1025); },
      [&] { file.setLookNote(nullptr, 3); },
      [&] { file.setUserLutDesignDataKey(bytesOf(long1025), 65); },
      [&] { file.setUserLutDesignData(nullptr, 5); },
  };
  for (const auto& call : calls) EXPECT_THROW(call(), KvrSignal);
  EXPECT_STREQ(file.getLutFileName(), "lut.cube");
  EXPECT_STREQ(file.getLookNote(), "warm");
  const Bytes tooLarge(65473);
  EXPECT_EQ(core.setUserLutDesignData(tooLarge.data(), 65473), kIllegalValue);
  EXPECT_EQ(core.setUserLutDesignData(tooLarge.data(), 65472), kNoError);
}

TEST_F(LookFileTest, KeyFollowsTheUserLut) {
  const std::string video = "com.vorn.opx.video_param";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(core.getUserLutDesignDataKey())), video);
  installUserLut(core);
  EXPECT_EQ(core.getUserLutDesignDataKeySize(), 0);
  // Removing the user LUT clears what belonged to it.
  core.getLookFile()->setLutFileName(bytesOf("a.cube"), 6);
  core.getLookFile()->setBadLut(1);
  ASSERT_EQ(core.resetUser3dLut(kLutNodeLook), kNoError);
  EXPECT_EQ(core.getLookFile()->getLutFileNameLength(), 0);
  EXPECT_EQ(core.getLookFile()->getBadLut(), 0);
  EXPECT_EQ(core.getUserLutDesignDataKeySize(), 24);
}

TEST_F(LookFileTest, TargetOfCoreAndLookFileStayTogether) {
  Vorn2LookFile& file = *core.getLookFile();
  EXPECT_EQ(file.setTargetColorSpace(P3D65Gamma26), kNoError);
  for (int id : {8, -1})
    EXPECT_EQ(file.setTargetColorSpace(static_cast<ColorSpace>(id)), kIllegalValue);
  EXPECT_EQ(core.getTargetColorSpace(), core.getColorSpaceInfo(P3D65Gamma26));
  core.setTargetColorSpace(core.getColorSpaceInfo(Rec2100Pq));
  EXPECT_EQ(file.getTargetColorSpace(), core.getColorSpaceInfo(Rec2100Pq));
  EXPECT_STREQ(file.getColSpaceName(), "com.apple.proapps.colorspace.rec2100.d65.pq");
  LutGeneratorImageCore other;
  EXPECT_THROW(core.setTargetColorSpace(other.getLookFile()), KvrSignal);
}

TEST_F(LookFileTest, StaticHelpersReadABufferWithoutACore) {
  core.getLookFile()->setBadLut(3);
  installUserLut(core);
  Bytes look = save(core, false);
  unsigned long size = 0;
  EXPECT_EQ(Vorn2LookFile::getLookFileHeaderSize(size), kNoError);
  EXPECT_EQ(size, 256u);
  const unsigned char* name = nullptr;
  unsigned short length = 0;
  EXPECT_EQ(Vorn2LookFile::getTargetColorSpace(look.data(), &name, length), kNoError);
  EXPECT_EQ(name, look.data() + kNameAt);
  unsigned int value = 0;
  EXPECT_EQ(Vorn2LookFile::getLookFileFeatures(look.data(), kLookFileHas3dLut, value), kNoError);
  EXPECT_EQ(value, kLookSize);
  EXPECT_EQ(Vorn2LookFile::getLookFileFeatures(look.data(), kLookFileBadLut), 3u);
  EXPECT_EQ(Vorn2LookFile::getLookFileFeatures(look.data(), LookFileFeature(3), value),
            kUnknownFeature);
}

TEST_F(LookFileTest, VideoParametersStopAtTheFirstValueOutOfRange) {
  VornRawMeta::VideoParameters record = {};
  ASSERT_EQ(core.getVideoParameters(&record), kNoError);
  EXPECT_EQ(record.size, 84u);
  record.values[2] = 1.5f;   // master gamma
  record.values[10] = 9.0f;  // video slope red, out of range: stops here
  record.values[11] = 1.5f;  // video slope green stays
  ASSERT_EQ(core.setVideoParameters(&record), kIllegalValue);
  double gamma = 0, slope = 0;
  core.getParam(kLutParamMasterGamma, gamma);
  core.getParam(kLutParamVideoSlopeGreen, slope);
  EXPECT_EQ(gamma, 1.5);
  EXPECT_EQ(slope, 1.0);
  record.version = 2;
  EXPECT_EQ(core.setVideoParameters(&record), kUnknownMetaDataVersion);
}

}  // namespace
}  // namespace Kalvora
