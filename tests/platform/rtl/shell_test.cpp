#include "platform/rtl/shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace rtl;

TEST(ShellOpen, RunsTheOpenerOnTheTarget) {
  const auto dir = std::filesystem::temp_directory_path() / ("zarnik-shell-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const auto log = dir / "log.txt";
  { std::ofstream(dir / "opener.sh") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << log.string() << "'\n"; }
  std::filesystem::permissions(dir / "opener.sh", std::filesystem::perms::owner_all);
  SetShellOpenProgram((dir / "opener.sh").string());
  EXPECT_TRUE(ShellOpen("C:\\help\\file name.chm", true));       // "\" becomes "/"
  EXPECT_TRUE(ShellOpen("https://example.invalid/a\\b", true));  // addresses stay as they are
  std::stringstream ss;
  ss << std::ifstream(log).rdbuf();
  EXPECT_EQ(ss.str(), "C:/help/file name.chm\nhttps://example.invalid/a\\b\n");
  SetShellOpenProgram((dir / "missing-opener").string());
  EXPECT_FALSE(ShellOpen("x", true));
  SetShellOpenProgram("");
  EXPECT_EQ(ShellOpenProgram(), "xdg-open");
  std::filesystem::remove_all(dir);
}
