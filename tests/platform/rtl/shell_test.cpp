#include "platform/rtl/shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

using namespace rtl;

TEST(ShellOpen, RunsTheOpenerOnTheTarget) {
  const support::ScratchFolder scratch("zarnik-shell-");
  const auto& dir = scratch.Folder();
  const auto log = dir / "log.txt";
  { std::ofstream(dir / "opener.sh") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << log.string() << "'\n"; }
  std::filesystem::permissions(dir / "opener.sh", std::filesystem::perms::owner_all);
  SetShellOpenProgram((dir / "opener.sh").string());
  EXPECT_TRUE(ShellOpen("C:\\help\\file name.chm", true));       // "\" becomes "/"
  EXPECT_TRUE(ShellOpen("https://example.invalid/a\\b", true));  // addresses stay as they are
  EXPECT_EQ(support::ReadFile(log), "C:/help/file name.chm\nhttps://example.invalid/a\\b\n");
  SetShellOpenProgram((dir / "missing-opener").string());
  EXPECT_FALSE(ShellOpen("x", true));
  SetShellOpenProgram("");
  EXPECT_EQ(ShellOpenProgram(), "xdg-open");
}
