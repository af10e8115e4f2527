#include "kvrOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace Kalvora {
namespace Tool {

namespace {

// The temporary file being written, removed by the signal handler when the
// run is interrupted. A fixed buffer: the handler may use nothing else.
char gPendingPath[4096];
volatile sig_atomic_t gHasPending = 0;

extern "C" void removePendingAndDie(int signalNumber) {
  if (gHasPending) unlink(gPendingPath);
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

constexpr int kSignalCount = 3;
const int kInterruptSignals[kSignalCount] = {SIGINT, SIGTERM, SIGHUP};

// Removes the temporary file on an interrupt while it exists.
class PendingFileGuard {
public:
  explicit PendingFileGuard(const std::string& path) {
    std::snprintf(gPendingPath, sizeof gPendingPath, "%s", path.c_str());
    gHasPending = 1;
    for (int i = 0; i < kSignalCount; ++i) {
      previous_[i] = std::signal(kInterruptSignals[i], removePendingAndDie);
      // A signal the caller ignores (nohup) stays ignored.
      if (previous_[i] == SIG_IGN) std::signal(kInterruptSignals[i], SIG_IGN);
    }
  }
  ~PendingFileGuard() {
    for (int i = 0; i < kSignalCount; ++i) std::signal(kInterruptSignals[i], previous_[i]);
    gHasPending = 0;
  }
  PendingFileGuard(const PendingFileGuard&) = delete;
  PendingFileGuard& operator=(const PendingFileGuard&) = delete;

private:
  void (*previous_[kSignalCount])(int);
};

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

[[noreturn]] void failWith(const std::string& what, int error) {
  throw OutputError(what + ": " + std::strerror(error));
}

bool writeAll(int fd, const std::string& content) {
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    const ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

// The permissions a newly created file gets: 0666 less the umask.
mode_t newFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

void writeStandardOutput(const std::string& content) {
  if (!writeAll(STDOUT_FILENO, content)) failWith("cannot write to standard output", errno);
}

void writeFileAtomically(const std::string& path, const std::string& content) {
  struct stat existing;
  if (stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
    throw OutputError("cannot write " + path + ": it is a directory");
  std::string temporary = directoryOf(path) + "/.kalvora-XXXXXX";
  const int fd = mkstemp(&temporary[0]);
  if (fd < 0) failWith("cannot create a temporary file in " + directoryOf(path), errno);
  PendingFileGuard guard(temporary);
  int error = 0;
  if (!writeAll(fd, content) || fchmod(fd, newFileMode()) != 0 || fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    failWith("cannot write " + path, error);
  }
}

}  // namespace

void writeOutput(const std::string& path, const std::string& content) {
  if (isStandardOutput(path))
    writeStandardOutput(content);
  else
    writeFileAtomically(path, content);
}

}  // namespace Tool
}  // namespace Kalvora
