#include "platform/rtl/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "platform/rtl/datetime.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

using namespace rtl;

namespace {
void Touch(const std::string& name, const std::string& bytes = "") {
  std::ofstream(NativePath(name), std::ios::binary) << bytes;
}
}  // namespace

TEST(Paths, AcceptBothDelimitersAndAnswerWithSlashes) {
  struct Case {
    const char* name;
    const char* path;
    const char* file;
    const char* ext;
  };
  const Case cases[] = {
      {"C:\\Prog\\Data\\131105_0930.bin", "C:/Prog/Data/", "131105_0930.bin", ".bin"},
      {"/opt/zarnik/Zarnik.ini", "/opt/zarnik/", "Zarnik.ini", ".ini"},
      {"dir/sub.d\\noext", "dir/sub.d/", "noext", ""},
      {"name", "", "name", ""},
      {"a/b.tar.gz", "a/", "b.tar.gz", ".gz"},
      {"a/", "a/", "", ""},
      {"C:name.txt", "C:", "name.txt", ".txt"},
      {"/tmp/a:b.c", "/tmp/", "a:b.c", ".c"},
      {"dir.d/x", "dir.d/", "x", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
  }
  EXPECT_EQ(ChangeFileExt("Data\\131105_0930.bin", ".note"), "Data/131105_0930.note");
  EXPECT_EQ(ChangeFileExt("dir.x/file", ".txt"), "dir.x/file.txt");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a\\b"), "a/b/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a/b/"), "a/b/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("a/b/"), "a/b");
  EXPECT_EQ(ExtractFileDir("/x/y/z.txt"), "/x/y");
  EXPECT_EQ(ExpandFileName("/a/b/../c/./d.txt"), "/a/c/d.txt");
  EXPECT_EQ(ExpandFileName("\\a\\..\\..\\b\\"), "/b/");
  EXPECT_EQ(ExpandFileName("rel"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "rel");
}

TEST(Paths, ProgramFolderAndTemporaryFiles) {
  EXPECT_FALSE(ParamStr(0).empty());  // from /proc/self/exe
  SetProgramFileName("C:\\Zarnik\\zarnik");
  EXPECT_EQ(ProgramFolder(), "C:/Zarnik/");
  SetProgramFileName("");

  support::ScratchFolder dir;
  const char* old = std::getenv("TMPDIR");
  std::string saved = old ? old : "";
  setenv("TMPDIR", dir.Path().c_str(), 1);
  EXPECT_EQ(GetTempPath(), dir.Path());
  AnsiString a = GetTempFileName("", "fr");
  AnsiString b = GetTempFileName(dir.Path(), "fr");
  if (old)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_NE(a, b);
  for (const auto& name : {a, b}) {
    EXPECT_EQ(ExtractFilePath(name), dir.Path());
    EXPECT_EQ(ExtractFileName(name).substr(0, 2), "fr");
    EXPECT_EQ(ExtractFileExt(name), ".tmp");
    EXPECT_EQ(FileSize(name), 0);  // exists, empty
  }
  EXPECT_EQ(GetTempFileName(dir.Path() + "missing/", "fr"), "");
}

TEST(Paths, UniqueFilesClaimTheirNameAndNeverReuseOne) {
  support::ScratchFolder dir;
  Touch(dir.Path() + "zarnik-chart-3.pdf", "kept");  // taken already
  std::vector<AnsiString> names;
  for (int i = 0; i < 4; ++i) names.push_back(CreateUniqueFile(dir.Path(), "zarnik-chart", ".pdf"));
  const std::vector<AnsiString> expected = {dir.Path() + "zarnik-chart.pdf", dir.Path() + "zarnik-chart-2.pdf",
                                            dir.Path() + "zarnik-chart-4.pdf", dir.Path() + "zarnik-chart-5.pdf"};
  EXPECT_EQ(names, expected);
  for (const auto& name : names) EXPECT_EQ(FileSize(name), 0);
  EXPECT_EQ(support::ReadFile(NativePath(dir.Path() + "zarnik-chart-3.pdf")), "kept");
  EXPECT_EQ(CreateUniqueFile(dir.Path() + "missing/", "x", ".pdf"), "");
}

TEST(Files, ExistenceFoldersRenameDelete) {
  support::ScratchFolder dir;
  AnsiString data = dir.Path() + "Data\\Deep\\Er";
  EXPECT_FALSE(DirectoryExists(data));
  EXPECT_TRUE(ForceDirectories(data));
  EXPECT_TRUE(DirectoryExists(data));
  EXPECT_FALSE(FileExists(data));
  EXPECT_FALSE(CreateDir(data));  // already there

  AnsiString file = dir.Path() + "Примечание.note"_cp;
  Touch(file, "12345");
  EXPECT_TRUE(FileExists(file));
  EXPECT_EQ(FileSize(file), 5);
  EXPECT_GT(FileAge(file), 40000.0);                // a date after 2009
  EXPECT_NEAR(FileAge(file), Now(), 10.0 / 86400);  // just written, local time like Now
  EXPECT_EQ(FileAge(dir.Path() + "none"), -1);
  EXPECT_EQ(FileSize(dir.Path() + "none"), -1);

  AnsiString other = dir.Path() + "other.note";
  Touch(other);
  EXPECT_FALSE(RenameFile(file, other));  // the target exists
  EXPECT_TRUE(DeleteFile(other));
  EXPECT_TRUE(RenameFile(file, other));
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(DeleteFile(other + "x"));
  EXPECT_FALSE(DeleteFile(data));  // a folder is not a file
}

TEST(Files, MaskMatching) {
  struct Case {
    std::string name, mask;
    bool match;
  };
  const Case cases[] = {
      {"131105_0930.bin", "??????_????.bin", true},
      {"131105_0930.BIN", "??????_????.bin", true},
      {"131105_0930.b", "??????_????.bin", false},
      {"131105_093.bin", "??????_????.bin", false},
      {"131105_09300.bin", "??????_????.bin", false},
      {"131105-0930.bin", "??????_????.bin", false},
      {"131105_0930.bin.bak", "??????_????.bin", false},
      {"a.zrn", "*.zrn", true},
      {"a.b.zrn", "*.zrn", true},
      {".zrn", "*.zrn", true},
      {"a.zrnx", "*.zrn", false},
      {"readme", "*.*", true},
      {"readme.txt", "*.*", true},
      {"anything", "*", true},
      {"", "*", true},
      {"abc", "a*c", true},
      {"abcbc", "a*bc", true},
      {"abcb", "a*bc", false},
      {"ПРОЦЕСС.txt"_cp, "процесс*"_cp, true},
      {"Ёлка"_cp, "ёлка"_cp, true},
      {"Елка"_cp, "ёлка"_cp, false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST(Files, FindFirstListsMatchesOnly) {
  support::ScratchFolder dir;
  CreateDir(dir.Path() + "Data");
  for (const char* n : {"131105_0930.bin", "131105_0930.note", "140101_1200.bin", "140101_1200.b", ".hidden.bin"})
    Touch(dir.Path() + "Data/" + n, "x");
  CreateDir(dir.Path() + "Data/150101_0000.bin");  // a folder with a matching name

  std::set<std::string> found;
  TSearchRec rec;
  for (int rc = FindFirst(dir.Path() + "Data\\??????_????.bin", faAnyFile & ~faDirectory, rec); rc == 0;
       rc = FindNext(rec)) {
    found.insert(rec.Name);
    EXPECT_EQ(rec.Size, 1);
  }
  FindClose(rec);
  EXPECT_EQ(found, (std::set<std::string>{"131105_0930.bin", "140101_1200.bin"}));

  std::set<std::string> withDirs;
  for (int rc = FindFirst(dir.Path() + "Data/*.bin", faAnyFile, rec); rc == 0; rc = FindNext(rec)) {
    withDirs.insert(rec.Name);
    if (rec.Name == "150101_0000.bin") {
      EXPECT_TRUE(rec.Attr & faDirectory);
    }
  }
  EXPECT_EQ(withDirs.size(), 4u);  // plus the folder and the hidden file

  auto full = FindFiles(dir.Path() + "Data/*.note");
  ASSERT_EQ(full.size(), 1u);
  EXPECT_EQ(full[0], dir.Path() + "Data/131105_0930.note");
  EXPECT_NE(FindFirst(dir.Path() + "Nope/*.bin", faAnyFile, rec), 0);
}

TEST(Files, AtomicSaveReplacesOrKeepsTheOldFile) {
  support::ScratchFolder dir;
  AnsiString name = dir.Path() + "Zarnik.ini";
  SaveFileAtomically(name, std::string_view("first"));
  EXPECT_EQ(support::ReadFile(name), "first");
  SaveFileAtomically(name, std::string_view("second, longer"));
  EXPECT_EQ(support::ReadFile(name), "second, longer");

  // A writer that fails half-way leaves the old content and no stray file.
  EXPECT_THROW(SaveFileAtomically(name,
                                  [](TStream& s) {
                                    s.WriteString("partial");
                                    throw EWriteError("disk full");
                                  }),
               EWriteError);
  EXPECT_EQ(support::ReadFile(name), "second, longer");
  EXPECT_EQ(FindFiles(dir.Path() + "*").size(), 1u);

  // A folder that does not exist: an error, nothing created.
  EXPECT_THROW(SaveFileAtomically(dir.Path() + "no/such.ini", std::string_view("x")), EFCreateError);

  // A memory stream saves the same way.
  SetSaveFaultForTests([](std::string_view) { throw EWriteError("disk full"); });
  EXPECT_THROW(TMemoryStream("lost").SaveToFile(name), EWriteError);
  SetSaveFaultForTests(nullptr);
  EXPECT_EQ(support::ReadFile(name), "second, longer");
  TMemoryStream("kept").SaveToFile(name);
  EXPECT_EQ(support::ReadFile(name), "kept");

  AnsiString replacement = dir.Path() + "new.tmp";
  Touch(replacement, "third");
  EXPECT_TRUE(ReplaceFile(name, replacement));
  EXPECT_EQ(support::ReadFile(name), "third");
  EXPECT_FALSE(FileExists(replacement));
}
