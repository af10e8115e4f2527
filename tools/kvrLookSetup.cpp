#include "kvrLookSetup.h"

#include "kvrInputFile.h"
#include "kvrLookInput.h"
#include "kvrLutFile.h"
#include "kvrToolLibrary.h"

namespace Kalvora {
namespace Tool {

namespace {

// A CDL value with the parameter it sets.
struct CdlEntry {
  unsigned int id;
  double CdlValues::*scalar;
  double (CdlValues::*triple)[3];
  int channel;
};

constexpr CdlEntry kCdlEntries[] = {
    {kLutParamCdlSlopeRed, nullptr, &CdlValues::slope, 0},
    {kLutParamCdlSlopeGreen, nullptr, &CdlValues::slope, 1},
    {kLutParamCdlSlopeBlue, nullptr, &CdlValues::slope, 2},
    {kLutParamCdlOffsetRed, nullptr, &CdlValues::offset, 0},
    {kLutParamCdlOffsetGreen, nullptr, &CdlValues::offset, 1},
    {kLutParamCdlOffsetBlue, nullptr, &CdlValues::offset, 2},
    {kLutParamCdlPowerRed, nullptr, &CdlValues::power, 0},
    {kLutParamCdlPowerGreen, nullptr, &CdlValues::power, 1},
    {kLutParamCdlPowerBlue, nullptr, &CdlValues::power, 2},
    {kLutParamCdlSaturation, &CdlValues::saturation, nullptr, 0},
};

double& valueOf(CdlValues& cdl, const CdlEntry& entry) {
  return entry.scalar ? cdl.*entry.scalar : (cdl.*entry.triple)[entry.channel];
}

}  // namespace

ColorSpace resolveTarget(const std::string& name) {
  const int shortName = findTargetShortName(name);
  if (shortName >= 0) return static_cast<ColorSpace>(shortName);
  ColorSpaces registry;
  if (const DisplayColorSpace* entry = registry.forName(name.c_str()))
    for (int id = 0; id < ColorSpaces::kCount; ++id)
      if (registry.forId(static_cast<ColorSpace>(id)) == entry) return static_cast<ColorSpace>(id);
  throw UsageError("unknown target '" + name + "' (accepted: " + targetShortNameList() +
                   ", or a colour space identifier that 'kalvora info' lists)");
}

ColorSpace currentTarget(const LutGeneratorImageCore& core) {
  for (int id = 0; id < ColorSpaces::kCount; ++id)
    if (core.isTargetColorSpace(static_cast<ColorSpace>(id))) return static_cast<ColorSpace>(id);
  return Rec1886;
}

CdlValues cdlOf(LutGeneratorImageCore& core) {
  CdlValues cdl;
  for (const CdlEntry& entry : kCdlEntries)
    call([&] { return core.getParam(entry.id, valueOf(cdl, entry)); });
  return cdl;
}

LookSetup::LookSetup(const Options& options) {
  checkGood(core_, "the LUT generator");
  // Bad usage is reported before any file is read.
  checkSettings(core_, options.settings);
  const bool ownTarget = options.hasTarget || options.look.empty();
  const ColorSpace wanted = ownTarget ? resolveTarget(options.target) : Rec1886;

  if (!options.look.empty()) loadLook(options.look);
  // The target before the settings, so that the core judges peak white
  // against it.
  if (ownTarget) checkSignal([&] { core_.setTargetColorSpace(core_.getColorSpaceInfo(wanted)); });
  target_ = currentTarget(core_);
  installUserLut(options);
  applyCdl(options);
  applySettings(core_, options.settings);
}

std::string LookSetup::saveLook(const Options& options) {
  Vorn2LookFile& file = *core_.getLookFile();
  std::string name = options.lutName;
  if (!options.hasLutName && !options.userLut.empty()) {
    name = options.userLut.substr(options.userLut.rfind('/') + 1);
    name = name.substr(0, Vorn2LookFile::kMaxLutFileNameLength);
  }
  const auto bytes = [](const std::string& text) {
    return reinterpret_cast<const unsigned char*>(text.data());
  };
  checkSignal([&] {
    if (options.hasLutName || !options.userLut.empty())
      file.setLutFileName(bytes(name), static_cast<unsigned short>(name.size()));
    if (options.hasNote)
      file.setLookNote(bytes(options.note), static_cast<unsigned short>(options.note.size()));
  });
  // All: the exposure index is part of what the camera shows.
  constexpr bool kAllParameters = true;
  unsigned int size = 0;
  call([&] { return core_.getLookDataSize(kAllParameters, size); });
  std::string look(size, '\0');
  call([&] { return core_.saveLook(&look[0], kAllParameters); });
  return look;
}

void LookSetup::loadLook(const std::string& path) {
  lookBytes_ = readInputFile(path, kMaxLookFileSize);
  const LoadedLook look = loadLookBytes(core_, path, lookBytes_);
  if (!look.digestMatches)
    failInput(path, "the MD5 digest does not match the atom's content (the file is corrupt)");
}

void LookSetup::installUserLut(const Options& options) {
  if (options.userLut.empty()) return;
  UserLut lut = readUserLut(options.userLut, options.userLutSize);
  userLut_ = std::move(lut.codes);
  call([&] {
    return core_.setUser3dLut(kLutNodeLook, lut.size, userLut_.data(), kLutInterleaved, kMaxCode);
  });
}

void LookSetup::applyCdl(const Options& options) {
  if (options.cdl.empty()) return;
  CdlValues cdl = readCdlFile(options.cdl, options.cdlId);
  // Every value is checked before any is applied.
  for (const CdlEntry& entry : kCdlEntries) {
    const ParamName& param = *findParamById(kLutCore, entry.id);
    const double value = valueOf(cdl, entry);
    if (!(param.minimum <= value && value <= param.maximum))
      failInput(options.cdl, std::string(param.name) + " " + formatNumber(value) +
                                 " is out of range (accepted: " + formatNumber(param.minimum) +
                                 " to " + formatNumber(param.maximum) + ")");
  }
  for (const CdlEntry& entry : kCdlEntries)
    call([&] { return core_.setParam(entry.id, valueOf(cdl, entry)); });
}

}  // namespace Tool
}  // namespace Kalvora
