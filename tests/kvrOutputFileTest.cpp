#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kvrOutputFile.h"

using namespace Kalvora::Tool;

namespace {

class OutputFile : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/kvrOutputFileTest-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    for (const std::string& name : entries()) std::remove((dir_ + "/" + name).c_str());
    rmdir(dir_.c_str());
  }

  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(dir_.c_str())) {
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(dir);
    }
    return names;
  }

  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  std::string dir_;
};

}  // namespace

TEST_F(OutputFile, WritesTheContentAndLeavesNoTemporaryFile) {
  const std::string path = dir_ + "/look.cube";
  const std::string content("LUT_3D_SIZE 2\n\0binary", 21);
  writeOutput(path, content);
  EXPECT_EQ(read(path), content);
  EXPECT_EQ(entries(), std::vector<std::string>{"look.cube"});
}

TEST_F(OutputFile, ReplacesAnExistingFileWhole) {
  const std::string path = dir_ + "/look.cube";
  writeOutput(path, std::string(10000, 'a'));
  writeOutput(path, "short");
  EXPECT_EQ(read(path), "short");
  EXPECT_EQ(entries().size(), 1u);
}

TEST_F(OutputFile, NewFilesGetTheUsualPermissions) {
  const mode_t mask = umask(022);
  const std::string path = dir_ + "/look.cube";
  writeOutput(path, "x");
  umask(mask);
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(OutputFile, AMissingDirectoryFailsWithoutLeavingAnything) {
  const std::string path = dir_ + "/missing/look.cube";
  try {
    writeOutput(path, "x");
    FAIL() << "no error";
  } catch (const OutputError& e) {
    EXPECT_NE(std::string(e.what()).find(dir_ + "/missing"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos);
  }
  EXPECT_TRUE(entries().empty());
}

TEST_F(OutputFile, ADirectoryIsNotReplaced) {
  const std::string path = dir_ + "/looks";
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
  EXPECT_THROW(writeOutput(path, "x"), OutputError);
  EXPECT_EQ(entries(), std::vector<std::string>{"looks"});
  rmdir(path.c_str());
}
