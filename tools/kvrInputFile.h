// Reading the files a user hands the kalvora tool: looks, LUT files, CDLs.
// A file that is missing, unreadable or malformed throws InputError with a
// message that names the file and what is wrong; the run then fails with
// exit status 1 and writes nothing.
#pragma once

#include <stdexcept>
#include <string>

namespace Kalvora {
namespace Tool {

class InputError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The whole content of a regular file of at most maxSize bytes.
std::string readInputFile(const std::string& path, size_t maxSize);

// The path made absolute against the working directory (readers of
// OpenColorIO resolve nothing themselves); the file must exist.
std::string absoluteInputPath(const std::string& path);

// "FILE: what", the form of every InputError message.
[[noreturn]] void failInput(const std::string& path, const std::string& what);

}  // namespace Tool
}  // namespace Kalvora
