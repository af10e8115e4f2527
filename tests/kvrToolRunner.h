// Helpers of the kalvora tool's tests. runTool runs the built program and
// captures its exit status, standard output and standard error; the program's
// path comes from the build (KALVORA_TOOL), and the environment variable
// KALVORA_TOOL overrides it, so the same suites can run an installed copy.
// parseCube is a strict reader of Cube files, written independently of the
// tool's writer so that the two check each other: every line must be a
// header keyword (before the data), a comment, a blank line or a data line of
// exactly three numbers, domains must be 0 to 1, and the number of data lines
// must match the declared size.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
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

struct ParsedCube {
  int size3d = 0;
  int size1d = 0;
  std::vector<std::array<double, 3>> points;  // in file order: red fastest
};

// Exactly three numbers, and nothing else, follow on the line.
inline bool parseCubeNumbers(std::istringstream& in, std::array<double, 3>& values) {
  std::string word;
  for (double& value : values) {
    char* end = nullptr;
    if (!(in >> word)) return false;
    value = std::strtod(word.c_str(), &end);
    if (*end != '\0') return false;
  }
  return !(in >> word);
}

// Returns an empty string on success, else what is wrong (with the line).
inline std::string parseCube(const std::string& text, ParsedCube& cube) {
  std::istringstream lines(text);
  std::string line;
  for (int lineNumber = 1; std::getline(lines, line); ++lineNumber) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string keyword, extra;
    in >> keyword;
    std::array<double, 3> point;
    bool good = cube.points.empty();  // header lines come first
    if (keyword == "TITLE") {
      good = good && line.size() >= 8 && line[6] == '"' && line.back() == '"';
    } else if (keyword == "LUT_3D_SIZE" || keyword == "LUT_1D_SIZE") {
      int& size = keyword == "LUT_3D_SIZE" ? cube.size3d : cube.size1d;
      good = good && (in >> size) && !(in >> extra) && size >= 2;
    } else if (keyword == "DOMAIN_MIN" || keyword == "DOMAIN_MAX") {
      const double bound = keyword == "DOMAIN_MAX" ? 1.0 : 0.0;
      good = good && parseCubeNumbers(in, point) &&
             point == std::array<double, 3>{{bound, bound, bound}};
    } else {
      std::istringstream data(line);
      good = parseCubeNumbers(data, point);
      cube.points.push_back(point);
    }
    if (!good) return "line " + std::to_string(lineNumber) + ": " + line;
  }
  const size_t n = static_cast<size_t>(cube.size3d);
  const size_t expected = n != 0 ? n * n * n : static_cast<size_t>(cube.size1d);
  if ((n == 0) == (cube.size1d == 0) || cube.points.size() != expected)
    return "sizes " + std::to_string(cube.size3d) + "/" + std::to_string(cube.size1d) + " but " +
           std::to_string(cube.points.size()) + " data lines";
  return "";
}

// Checks a Cube text of the given size (3-D, or 1-D with threeD false)
// against the library's values: 3-D tables in the library layout (blue
// fastest, interleaved), 1-D tables one value per entry. Cube values carry
// at least 7 significant digits, so one 16-bit code of difference shows.
inline void expectCubeValues(const std::string& text, const std::vector<double>& expected, int size,
                             bool threeD = true) {
  ParsedCube cube;
  ASSERT_EQ(parseCube(text, cube), "");
  ASSERT_EQ(threeD ? cube.size3d : cube.size1d, size);
  const size_t n = static_cast<size_t>(size);
  ASSERT_EQ(cube.points.size() * (threeD ? 3 : 1), expected.size());
  for (size_t k = 0; k < cube.points.size(); ++k) {
    const size_t at = threeD ? 3 * ((k % n * n + k / n % n) * n + k / (n * n)) : 0;
    for (size_t c = 0; c < 3; ++c) {
      const double want = threeD ? expected[at + c] : expected[k];
      ASSERT_NEAR(cube.points[k][c], want, 1e-6 * std::max(1.0, std::fabs(want)))
          << "point " << k << " channel " << c;
    }
  }
}

// 16-bit codes as the values a Cube file holds.
inline std::vector<double> codeValues(const std::vector<unsigned short>& codes) {
  std::vector<double> values;
  for (unsigned short code : codes) values.push_back(code / 65535.0);
  return values;
}

}  // namespace KalvoraTest
