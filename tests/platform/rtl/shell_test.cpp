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

TEST(ShellOpen, WatchedOpenerTellsWhetherAViewerShowedTheFile) {
  const support::ScratchFolder scratch("zarnik-shell-");
  const auto& dir = scratch.Folder();
  auto opener = [&](const char* name, const std::string& body) {
    { std::ofstream(dir / name) << "#!/bin/sh\n" << body << "\n"; }
    std::filesystem::permissions(dir / name, std::filesystem::perms::owner_all);
    return (dir / name).string();
  };
  const auto log = dir / "log.txt";
  struct Case {
    std::string program;
    int waitMs;
    TShellOpenOutcome expected;
  };
  const Case cases[] = {
      {opener("ok.sh", "printf '%s' \"$1\" > '" + log.string() + "'"), 5000, TShellOpenOutcome::Opened},
      // xdg-open's own codes: 3 no tool found, 4 the action failed.
      {opener("none.sh", "exit 3"), 5000, TShellOpenOutcome::Failed},
      {opener("fails.sh", "exit 4"), 5000, TShellOpenOutcome::Failed},
      {(dir / "not-installed").string(), 5000, TShellOpenOutcome::Failed},
      // An opener that waits for its viewer is left running.
      {opener("waits.sh", "sleep 3"), 50, TShellOpenOutcome::StillRunning},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    SetShellOpenProgram(c.program);
    int idles = 0;
    EXPECT_EQ(ShellOpenWatched("C:\\out\\chart 1.pdf", c.waitMs, [&] { ++idles; }), c.expected);
    if (c.expected == TShellOpenOutcome::StillRunning) {
      EXPECT_GT(idles, 0);
    }
  }
  SetShellOpenProgram("");
  EXPECT_EQ(support::ReadFile(log), "C:/out/chart 1.pdf");
}
