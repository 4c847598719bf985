// The shared test helpers: a scratch folder must vanish whatever the test
// did, or parallel runs fill the temporary area.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/errors.h"
#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

fs::path lastFolder;

void FailInsideScratchFolder() {
  support::ScratchFolder scratch;
  lastFolder = scratch.Folder();
  ASSERT_TRUE(false) << "deliberate";
}

TEST(ScratchFolder, IsRemovedWhenAnAssertionFails) {
  EXPECT_FATAL_FAILURE(FailInsideScratchFolder(), "deliberate");
  ASSERT_FALSE(lastFolder.empty());
  EXPECT_FALSE(fs::exists(lastFolder));
}

TEST(ScratchFolder, IsRemovedWithFoldersATestMadeReadOnly) {
  fs::path folder;
  {
    support::ScratchFolder scratch;
    folder = scratch.Folder();
    fs::create_directories(folder / "locked" / "inner");
    ASSERT_TRUE(support::WriteFile(folder / "locked" / "inner" / "file", "x"));
    fs::permissions(folder / "locked" / "inner", fs::perms::owner_read);
    fs::permissions(folder / "locked", fs::perms::none);
  }
  EXPECT_FALSE(fs::exists(folder));
}

TEST(ScratchFolder, TwoAtOnceAreDistinct) {
  support::ScratchFolder a, b;
  EXPECT_NE(a.Folder(), b.Folder());
  EXPECT_EQ(a.Path(), a.Folder().string() + "/");
}

TEST(Files, WriteThenReadKeepsEveryByte) {
  support::ScratchFolder scratch;
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  ASSERT_TRUE(support::WriteFile(scratch.File("all"), bytes + bytes));
  EXPECT_EQ(support::ReadFile(scratch.File("all")), bytes + bytes);
  EXPECT_EQ(support::ReadFile(scratch.File("missing")), "");
  EXPECT_FALSE(support::WriteFile(scratch.File("no/such/folder/file"), "x"));
}

TEST(ExternalTools, FindsInstalledProgramsOnly) {
  EXPECT_EQ(support::FindTool("sh"), "/usr/bin/sh");
  EXPECT_EQ(support::FindTool("zarnik-no-such-program"), "");
  support::ScratchFolder scratch;
  ASSERT_TRUE(support::WriteFile(scratch.File("plain"), "not executable"));
  EXPECT_FALSE(support::IsProgram(scratch.File("plain")));
}

TEST(ErrorOf, GivesTheRuntimeMessageOrNoError) {
  EXPECT_EQ(support::ErrorOf([] { throw rtl::Exception("broken"); }), "broken");
  EXPECT_EQ(support::ErrorOf([] {}), "no error");
}

}  // namespace
