// ASC CDL files: read through OpenColorIO (.cc, .ccc and .cdl) and written
// as the standard XML of the ASC CDL (schema urn:ASC:CDL:v1.01).
#pragma once

#include <string>

namespace Kalvora {
namespace Tool {

// The ten values of an ASC CDL.
struct CdlValues {
  double slope[3] = {1.0, 1.0, 1.0};
  double offset[3] = {0.0, 0.0, 0.0};
  double power[3] = {1.0, 1.0, 1.0};
  double saturation = 1.0;
};

// The kinds of CDL file, told by the file name's extension.
enum class CdlFormat { kCc, kCcc, kCdl };

// The kind of file a name ends in; false for any other name.
bool cdlFormatOf(const std::string& path, CdlFormat& format);

// Reads the colour correction `id` (its id or its index; "" the first) from
// a .cc, .ccc or .cdl file. Throws InputError naming the file and the problem.
CdlValues readCdlFile(const std::string& path, const std::string& id);

// The XML of one colour correction with the given id, as a file of `format`;
// the description goes into the correction's Description element.
std::string cdlXml(const CdlValues& cdl, CdlFormat format, const std::string& id,
                   const std::string& description);

}  // namespace Tool
}  // namespace Kalvora
