// Delivery of a finished LUT: to standard output, or to a file through a
// temporary file in the destination directory that is renamed into place
// only when everything is written, so no reader ever sees a truncated LUT.
#pragma once

#include <stdexcept>
#include <string>

namespace Kalvora {
namespace Tool {

class OutputError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Writes content to path ("-" for standard output). Throws OutputError with
// a message naming the file and the reason; nothing is left behind then.
void writeOutput(const std::string& path, const std::string& content);

// Whether path names standard output.
inline bool isStandardOutput(const std::string& path) { return path == "-"; }

}  // namespace Tool
}  // namespace Kalvora
