// A folder of its own for each stored-files test, with real files, links and
// hard links in it; removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace stored_files_test {

namespace fs = std::filesystem;

class TempFolder : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vistrel-stored-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  std::string at(const std::string& name) const { return (dir / name).string(); }

  static void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static bool isLink(const std::string& path) { return fs::is_symlink(fs::symlink_status(path)); }

  // Every name in `folder` (the test's own by default), sorted.
  std::vector<std::string> names(const fs::path& folder = {}) const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder.empty() ? dir : folder))
      out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  fs::path dir;
};

}  // namespace stored_files_test
