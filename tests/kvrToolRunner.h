// Runs the built kalvora program for the end-to-end tests and captures its
// exit status, standard output and standard error. The program's path comes
// from the build (KALVORA_TOOL); the environment variable KALVORA_TOOL
// overrides it, so the same suite can run an installed copy.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace KalvoraTest {

using Args = std::vector<std::string>;

inline Args operator+(Args a, const Args& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct ToolRun {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

inline std::string readFile(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// A scratch directory removed with everything in it.
class ScratchDir {
public:
  ScratchDir() {
    char pattern[] = "/tmp/kvrKalvoraToolTest-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "";
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string file(const std::string& name) const { return path_ + "/" + name; }

  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    return names;
  }

private:
  std::string path_;
};

// Runs kalvora with the arguments; standard input is empty.
inline ToolRun runTool(const Args& args) {
  ScratchDir capture;
  const std::string outPath = capture.file("stdout");
  const std::string errPath = capture.file("stderr");
  const char* fromEnvironment = std::getenv("KALVORA_TOOL");
  const std::string program = fromEnvironment && *fromEnvironment ? fromEnvironment : KALVORA_TOOL;
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  ToolRun run;
  const pid_t child = fork();
  if (child == 0) {
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    if (dup2(open("/dev/null", O_RDONLY), 0) < 0 ||
        dup2(open(outPath.c_str(), flags, 0600), 1) < 0 ||
        dup2(open(errPath.c_str(), flags, 0600), 2) < 0)
      _exit(127);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child)
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = readFile(outPath);
  run.err = readFile(errPath);
  return run;
}

// Runs kalvora and expects success with nothing on standard error.
inline ToolRun runOk(const Args& args) {
  ToolRun run = runTool(args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  return run;
}

}  // namespace KalvoraTest
