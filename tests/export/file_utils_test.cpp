// The export file helpers: media types, folder removal, file sizes and
// stream search.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/vuzFileUtils.h"
#include "tests/export/export_tools.h"

namespace {

using namespace exporttest;
namespace fs = std::filesystem;

// A database of our own, so weights, case and folder priority are known.
class MimeDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(user_.File("mime"));
    fs::create_directories(system_.File("mime"));
    WriteFile(user_.File("mime/globs2"),
              "# user database\n"
              "50:image/x-user-png:*.png\n"
              "60:text/x-user-heavy:*.heavy\n");
    WriteFile(system_.File("mime/globs2"),
              "# system database\n"
              "80:text/html:*.html\n"
              "50:image/png:*.png\n"
              "50:text/x-csrc:*.c:cs\n"
              "50:text/x-c++src:*.C:cs\n"
              "50:application/x-core:core:cs\n"
              "50:application/x-tar-gz:*.tar.gz\n"
              "50:image/x-lower:*.heavy\n"
              "70:text/x-weighty:*.heavy\n"
              "40:application/x-gzip-light:*.gz\n"
              "10:broken line without fields\n");
    report::SetMIMEDataFolders({user_.Path(), system_.Path()});
  }
  void TearDown() override { report::SetMIMEDataFolders({}); }

  TempDir user_, system_;
};

TEST_F(MimeDatabase, TypesByExtension) {
  struct Case {
    const char* ext;
    const char* type;
  };
  const Case cases[] = {
      {".html", "text/html"},
      {".HTML", "text/html"},               // case ignored by default
      {"html", "text/html"},                // a missing dot is supplied
      {".png", "image/x-user-png"},         // equal weights: the first folder wins
      {".c", "text/x-csrc"},                // case-sensitive patterns
      {".C", "text/x-c++src"},              //
      {".heavy", "text/x-weighty"},         // the heaviest wins across folders
      {".gz", "application/x-gzip-light"},  // "*.tar.gz" names no extension of its own
      {".core", ""},                        // "core" is a whole name, not an extension
      {".unknownext", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(report::GetFileMIMEType(c.ext), c.type) << c.ext;
}

TEST(MimeTypes, DesktopDatabaseKnowsPictureTypes) {
  if (!fs::exists("/usr/share/mime/globs2")) GTEST_SKIP() << "needs shared-mime-info";
  report::SetMIMEDataFolders({"/usr/share"});
  struct Case {
    const char* ext;
    const char* type;
  };
  const Case cases[] = {{".png", "image/png"},
                        {".jpg", "image/jpeg"},
                        {".gif", "image/gif"},
                        {".bmp", "image/bmp"},
                        {".PNG", "image/png"},
                        {".xml", "application/xml"},
                        {".odt", "application/vnd.oasis.opendocument.text"},
                        {".zzqqxx", ""}};
  for (const Case& c : cases) EXPECT_EQ(report::GetFileMIMEType(c.ext), c.type) << c.ext;
  report::SetMIMEDataFolders({});
}

TEST(DeleteFolder, RemovesTheTreeButNotWhatLinksPointTo) {
  TempDir dir, outside;
  WriteFile(outside.File("keep.txt"), "keep");
  fs::create_directories(outside.File("keepdir"));
  WriteFile(outside.File("keepdir/inner.txt"), "inner");
  const std::string root = dir.File("pkg");
  fs::create_directories(root + "/a/b");
  WriteFile(root + "/top.txt", "t");
  WriteFile(root + "/a/b/deep.txt", "d");
  fs::create_symlink(outside.File("keep.txt"), root + "/a/file-link");
  fs::create_directory_symlink(outside.File("keepdir"), root + "/a/dir-link");
  fs::create_symlink(root + "/nowhere", root + "/dangling");
  report::DeleteFolder(root);
  EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
  EXPECT_EQ(ReadFile(outside.File("keep.txt")), "keep");
  EXPECT_EQ(ReadFile(outside.File("keepdir/inner.txt")), "inner");
}

TEST(DeleteFolder, AFolderGivenAsALinkLosesOnlyTheLink) {
  TempDir dir, outside;
  WriteFile(outside.File("keep.txt"), "keep");
  fs::create_directory_symlink(outside.Path(), dir.File("link"));
  report::DeleteFolder(dir.File("link") + "/");
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File("link"))));
  EXPECT_EQ(ReadFile(outside.File("keep.txt")), "keep");
}

TEST(DeleteFolder, ReadOnlyFilesAndTheirFoldersStay) {
  TempDir dir;
  const std::string root = dir.File("pkg");
  fs::create_directories(root + "/locked");
  fs::create_directories(root + "/free");
  WriteFile(root + "/locked/ro.txt", "ro");
  WriteFile(root + "/free/rw.txt", "rw");
  fs::permissions(root + "/locked/ro.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  report::DeleteFolder(root);
  EXPECT_TRUE(fs::exists(root + "/locked/ro.txt"));
  EXPECT_FALSE(fs::exists(root + "/free"));
  report::DeleteFolder(dir.File("missing"));  // nothing to do, no error
}

TEST(GetFileSize, FirstMatchOrMinusOne) {
  TempDir dir;
  WriteFile(dir.File("report.odt"), std::string(1234, 'x'));
  fs::create_directories(dir.File("folder.odt"));
  struct Case {
    std::string name;
    std::int64_t size;
  };
  const Case cases[] = {{dir.File("report.odt"), 1234},
                        {dir.File("rep*.odt"), 1234},
                        {dir.File("report.od?"), 1234},
                        {dir.File("folder.odt"), -1},  // folders have no file size
                        {dir.File("none.*"), -1}};
  for (const Case& c : cases) EXPECT_EQ(report::GetFileSize(c.name), c.size) << c.name;
}

TEST(StreamSearch, FindsTheFirstRealOccurrence) {
  struct Case {
    std::string data;
    std::int64_t start;
    std::string pattern;
    std::int64_t found;
  };
  const Case cases[] = {
      {"aab", 0, "ab", 1},       // inside a failed partial match
      {"xyzab", 0, "ab", 3},     // ending exactly at the end
      {"abab", 1, "ab", 2},      // from start on
      {"abab", 2, "ab", 2},      // at start
      {"ababab", 0, "abab", 0},  //
      {"aaaab", 0, "aaab", 1},   // overlapping prefixes
      {"abc", 0, "abcd", -1},    // runs off the end
      {"abc", 0, "c", 2},        //
      {"abc", 3, "c", -1},       // start at the end
      {"abc", 10, "a", -1},      // start beyond the end
      {"abc", -1, "a", -1},      //
      {"abc", 0, "", -1},        // nothing to find
      {"", 0, "a", -1},          //
      {std::string("\0\xff\0", 3), 0, std::string("\xff\0", 2), 1},
  };
  for (const Case& c : cases) {
    rtl::TMemoryStream s(c.data);
    s.SetPosition(1 < c.data.size() ? 1 : 0);
    const std::int64_t before = s.Position();
    EXPECT_EQ(report::StreamSearch(s, c.start, c.pattern), c.found) << c.data << " / " << c.pattern;
    EXPECT_EQ(s.Position(), before);
  }
}

}  // namespace
