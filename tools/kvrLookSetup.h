// The LUT generator set up as the options of lut, look save and cdl ask:
// a saved look (--look) first, then the target colour space, a user 3-D LUT
// read from a LUT file, an ASC CDL file, and the --set and --ei settings in
// command-line order, each on top of what came before.
#pragma once

#include <string>
#include <vector>

#include "kvrCdlFile.h"
#include "kvrColorSpaces.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrToolOptions.h"

namespace Kalvora {
namespace Tool {

class LookSetup {
public:
  // Throws UsageError for an unknown target or a setting the core refuses,
  // InputError for a file that cannot be read and LibraryError for a file
  // the library refuses.
  explicit LookSetup(const Options& options);
  LookSetup(const LookSetup&) = delete;
  LookSetup& operator=(const LookSetup&) = delete;

  LutGeneratorImageCore& core() { return core_; }
  ColorSpace target() const { return target_; }

  // The look file of the current look with every saved parameter (the
  // exposure index too), the --note and the --lut-name of the options; the
  // LUT file name defaults to the name of the --user-lut file.
  std::string saveLook(const Options& options);

private:
  void loadLook(const std::string& path);
  void applyTarget(const std::string& name);
  void installUserLut(const Options& options);
  void applyCdl(const Options& options);

  LutGeneratorImageCore core_;
  ColorSpace target_ = Rec1886;
  // Referenced by the core while it lives: the look's bytes (its LUT design
  // data) and the samples of the user 3-D LUT.
  std::string lookBytes_;
  std::vector<unsigned short> userLut_;
};

// The registry index of a short name or a full identifier (main or
// alternative); unknown names are bad usage.
ColorSpace resolveTarget(const std::string& name);

// The registry index of the core's current target.
ColorSpace currentTarget(const LutGeneratorImageCore& core);

// The ten ASC CDL parameters of the core.
CdlValues cdlOf(LutGeneratorImageCore& core);

}  // namespace Tool
}  // namespace Kalvora
