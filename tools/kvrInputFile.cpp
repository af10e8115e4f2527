#include "kvrInputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace Kalvora {
namespace Tool {

namespace {

// Stats the path; a missing file or a directory is an input error.
struct stat statRegularFile(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) failInput(path, std::strerror(errno));
  if (!S_ISREG(info.st_mode)) failInput(path, "not a regular file");
  return info;
}

}  // namespace

void failInput(const std::string& path, const std::string& what) {
  throw InputError(path + ": " + what);
}

std::string readInputFile(const std::string& path, size_t maxSize) {
  const struct stat info = statRegularFile(path);
  if (static_cast<unsigned long long>(info.st_size) > maxSize)
    failInput(path, "too large (" + std::to_string(info.st_size) + " bytes, at most " +
                        std::to_string(maxSize) + ")");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  if (!in || !(content << in.rdbuf()) || in.bad()) {
    // An empty file leaves the stream failed without an error.
    if (info.st_size != 0) failInput(path, std::string("cannot read: ") + std::strerror(errno));
  }
  return content.str();
}

std::string absoluteInputPath(const std::string& path) {
  statRegularFile(path);
  if (!path.empty() && path[0] == '/') return path;
  char directory[PATH_MAX];
  if (getcwd(directory, sizeof directory) == nullptr)
    failInput(path, std::string("cannot resolve the working directory: ") + std::strerror(errno));
  return std::string(directory) + "/" + path;
}

}  // namespace Tool
}  // namespace Kalvora
