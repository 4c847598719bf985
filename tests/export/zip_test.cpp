// The ZIP writer: stored versus deflated entries, names, order, the end
// record, the format's limits, and archives checked by unzip and Python.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "export/vuzZip.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/files.h"
#include "tests/export/export_tools.h"

namespace {

using namespace exporttest;
using report::TfrxZipArchive;

std::uint32_t Le32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}
std::uint16_t Le16(const std::string& s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8));
}

// One central directory entry as read back from the bytes.
struct Entry {
  std::string name;
  int method = -1;
  std::uint32_t compressed = 0, size = 0, offset = 0;
};

// The end record and the central directory of an archive that ends the
// buffer (no archive comment).
std::vector<Entry> CentralDirectory(const std::string& zip, std::uint32_t* dirOffset = nullptr) {
  EXPECT_GE(zip.size(), 22u);
  const std::size_t end = zip.size() - 22;
  EXPECT_EQ(Le32(zip, end), 0x06054B50u);
  const int count = Le16(zip, end + 10);
  EXPECT_EQ(Le16(zip, end + 8), count);
  std::size_t p = Le32(zip, end + 16);
  if (dirOffset) *dirOffset = static_cast<std::uint32_t>(p);
  EXPECT_EQ(Le32(zip, end + 12), end - p) << "central directory size";
  std::vector<Entry> out;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(Le32(zip, p), 0x02014B50u);
    Entry e;
    e.method = Le16(zip, p + 10);
    e.compressed = Le32(zip, p + 20);
    e.size = Le32(zip, p + 24);
    const int nameLen = Le16(zip, p + 28), extra = Le16(zip, p + 30), comment = Le16(zip, p + 32);
    e.offset = Le32(zip, p + 42);
    e.name = zip.substr(p + 46, nameLen);
    // The local header repeats name and method.
    EXPECT_EQ(Le32(zip, e.offset), 0x04034B50u);
    EXPECT_EQ(Le16(zip, e.offset + 8), e.method);
    EXPECT_EQ(zip.substr(e.offset + 30, Le16(zip, e.offset + 26)), e.name);
    out.push_back(e);
    p += 46 + nameLen + extra + comment;
  }
  return out;
}

std::string Archive(TfrxZipArchive& zip, const std::string& prefix = {}) {
  rtl::TMemoryStream out;
  out.WriteString(prefix);
  zip.SaveToStream(out);
  return out.Bytes();
}

// Text that deflates well, of the given length.
std::string Filler(std::size_t n) {
  std::string s;
  while (s.size() < n) s += "Сушка кирпича, камера " + std::to_string(s.size() % 97) + "; ";
  return s.substr(0, n);
}

TEST(ZipArchive, StoresSmallFilesAndDeflatesLargerOnes) {
  struct Case {
    std::size_t size;
    int method;
  };
  const Case cases[] = {{0, 0}, {1, 0}, {128, 0}, {129, 8}, {100000, 8}};
  TempDir dir;
  TfrxZipArchive zip;
  zip.RootFolder = dir.Path() + "/";
  for (const Case& c : cases) WriteFile(dir.File("f" + std::to_string(c.size)), Filler(c.size));
  zip.AddDir(dir.Path());
  const std::vector<Entry> entries = CentralDirectory(Archive(zip));
  ASSERT_EQ(entries.size(), std::size(cases));
  std::map<std::string, Entry> byName;
  for (const auto& e : entries) byName[e.name] = e;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const Entry& e = byName.at("f" + std::to_string(c.size));
    EXPECT_EQ(e.method, c.method);
    EXPECT_EQ(e.size, c.size);
    if (c.method == 0) {
      EXPECT_EQ(e.compressed, c.size);
    }
  }
  EXPECT_LT(byName.at("f100000").compressed, 10000u);
}

TEST(ZipArchive, EmptyListGivesTheEndRecordAloneAtTheStreamPosition) {
  TfrxZipArchive zip;
  const std::string bytes = Archive(zip, "0123456789");
  ASSERT_EQ(bytes.size(), 10u + 22u);
  const std::string end = bytes.substr(10);
  EXPECT_EQ(Le32(end, 0), 0x06054B50u);
  EXPECT_EQ(Le16(end, 8), 0);
  EXPECT_EQ(Le16(end, 10), 0);
  EXPECT_EQ(Le32(end, 12), 0u) << "size";
  EXPECT_EQ(Le32(end, 16), 10u) << "offsets are stream positions";
  EXPECT_EQ(Le16(end, 20), 0) << "no comment";
}

TEST(ZipArchive, EntryNamesAreRelativeToTheRootWithSlashes) {
  struct Case {
    std::string root, file, entry;
  };
  const Case cases[] = {
      {"/tmp/pkg/", "/tmp/pkg/content.xml", "content.xml"},
      {"/tmp/pkg/", "/tmp/pkg/Pictures/1.png", "Pictures/1.png"},
      {"\\tmp\\pkg\\", "/tmp/pkg/META-INF/manifest.xml", "META-INF/manifest.xml"},
      {"/tmp/pkg/", "/var/other/a.txt", "/var/other/a.txt"},  // outside the root: full path
      {"", "/tmp/pkg/a.txt", "/tmp/pkg/a.txt"},
  };
  for (const Case& c : cases) {
    TfrxZipArchive zip;
    zip.RootFolder = c.root;
    EXPECT_EQ(zip.EntryName(c.file), c.entry) << c.root << " + " << c.file;
  }
}

TEST(ZipArchive, FirstFileSetsTheRootAndMissingFilesAreListed) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("a/b"));
  WriteFile(dir.File("a/x.txt"), "x");
  WriteFile(dir.File("a/b/y.txt"), "y");
  TfrxZipArchive zip;
  zip.AddFile(dir.File("a/missing.txt"));
  zip.AddFile(dir.File("a/x.txt"));
  zip.AddFile(dir.File("a/b/y.txt"));
  EXPECT_EQ(zip.RootFolder, dir.File("a") + "/");
  EXPECT_EQ(zip.GetCount(), 2);
  ASSERT_EQ(zip.Errors.Count(), 1);
  EXPECT_EQ(zip.Errors.Get(0), "File " + dir.File("a/missing.txt") + " not found!");
  const auto entries = CentralDirectory(Archive(zip));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "x.txt");
  EXPECT_EQ(entries[1].name, "b/y.txt");
  zip.Clear();
  EXPECT_EQ(zip.GetCount(), 0);
  EXPECT_EQ(zip.Errors.Count(), 0);
  EXPECT_EQ(zip.RootFolder, "");
}

// An OpenDocument package: "mimetype" first and stored, the rest in the same
// order every time.
TEST(ZipArchive, NamedFirstEntryAndStableOrder) {
  TempDir dir;
  for (const char* sub : {"Pictures", "META-INF", "Thumbnails"}) std::filesystem::create_directories(dir.File(sub));
  const char* files[] = {"content.xml",
                         "styles.xml",
                         "meta.xml",
                         "Pictures/2.png",
                         "Pictures/1.png",
                         "META-INF/manifest.xml",
                         "Thumbnails/thumbnail.png",
                         "mimetype"};
  for (const char* f : files) WriteFile(dir.File(f), std::string(f) == "mimetype" ? "application/x" : Filler(300));
  std::vector<std::string> first;
  for (int round = 0; round < 2; ++round) {
    TfrxZipArchive zip;
    zip.RootFolder = dir.Path() + "/";
    zip.FirstEntry = "mimetype";
    zip.AddDir(dir.Path());
    std::vector<std::string> names;
    const auto entries = CentralDirectory(Archive(zip));
    for (const auto& e : entries) names.push_back(e.name);
    ASSERT_EQ(names.size(), std::size(files));
    EXPECT_EQ(names[0], "mimetype");
    EXPECT_EQ(entries[0].method, 0);
    EXPECT_EQ(entries[0].offset, 0u);
    EXPECT_TRUE(std::is_sorted(names.begin() + 1, names.end())) << "byte order of the paths after the first";
    if (round == 0)
      first = names;
    else
      EXPECT_EQ(names, first);
  }
}

TEST(ZipArchive, DosTimesAndDates) {
  struct Case {
    int y, mo, d, h, mi, s;
    std::uint16_t time, date;
  };
  const Case cases[] = {
      {2021, 6, 15, 10, 20, 30, (10 << 11) | (20 << 5) | 15, ((2021 - 1980) << 9) | (6 << 5) | 15},
      {1980, 1, 1, 0, 0, 1, 0, (1 << 5) | 1},       // odd seconds round down
      {1979, 12, 31, 23, 59, 59, 0, (1 << 5) | 1},  // before DOS time: its first day
      {2107, 12, 31, 23, 59, 58, (23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31},
      {2150, 1, 1, 0, 0, 0, (23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31},  // after: its last
  };
  for (const Case& c : cases) {
    std::uint16_t time = 1, date = 1;
    report::vuzDateTimeToDos(rtl::EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s, 0), time, date);
    EXPECT_EQ(time, c.time) << c.y;
    EXPECT_EQ(date, c.date) << c.y;
  }
}

TEST(ZipArchive, RefusesMoreThan65535EntriesBeforeWriting) {
  TempDir dir;
  WriteFile(dir.File("one"), "1");
  TfrxZipArchive zip;
  for (int i = 0; i < 65535; ++i) zip.AddFile(dir.File("one"));
  rtl::TMemoryStream fits;
  zip.SaveToStream(fits);
  EXPECT_EQ(CentralDirectory(fits.Bytes()).size(), 65535u);
  zip.AddFile(dir.File("one"));
  rtl::TMemoryStream out;
  EXPECT_THROW(zip.SaveToStream(out), report::EZipLimitError);
  EXPECT_EQ(out.Size(), 0) << "nothing written";
}

// A stream that only counts: it stands for an output that has grown large.
class CountingSink : public rtl::TStream {
 public:
  explicit CountingSink(std::int64_t start) : pos_(start) {}
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void*, std::int64_t count) override {
    pos_ += count;
    return count;
  }
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override {
    if (origin == rtl::soBeginning)
      pos_ = offset;
    else
      pos_ += offset;
    return pos_;
  }

 private:
  std::int64_t pos_;
};

TEST(ZipArchive, RefusesOffsetsBeyond32Bits) {
  TempDir dir;
  WriteFile(dir.File("a.txt"), Filler(100));
  struct Case {
    std::int64_t start;
    const char* what;
  };
  const Case cases[] = {
      {0xFFFFFFFFLL - 50, "offset of the central directory"},  // the entry fits, the directory does not
      {0x100000000LL, "offset of a local header"},
  };
  for (const Case& c : cases) {
    TfrxZipArchive zip;
    zip.AddFile(dir.File("a.txt"));
    CountingSink sink(c.start);
    try {
      zip.SaveToStream(sink);
      ADD_FAILURE() << "no error at " << c.start;
    } catch (const report::EZipLimitError& e) {
      EXPECT_NE(std::string(e.what()).find(c.what), std::string::npos) << e.what();
    }
  }
  TfrxZipArchive zip;
  zip.AddFile(dir.File("a.txt"));
  CountingSink fits(0xFFFFFFFFLL - 300);
  EXPECT_NO_THROW(zip.SaveToStream(fits));
}

TEST(ZipArchive, RefusesAFileOf4GiBBeforeReadingIt) {
  TempDir dir;
  WriteFile(dir.File("small"), "s");
  std::filesystem::path big = dir.File("big");
  WriteFile(big.string(), "");
  std::error_code ec;
  std::filesystem::resize_file(big, 0x100000000ULL, ec);  // sparse: no disk space used
  if (ec) GTEST_SKIP() << "the file system cannot hold a sparse 4 GiB file";
  TfrxZipArchive zip;
  zip.AddFile(dir.File("small"));
  zip.AddFile(big.string());
  rtl::TMemoryStream out;
  EXPECT_THROW(zip.SaveToStream(out), report::EZipLimitError);
  EXPECT_EQ(out.Size(), 0);
}

TEST(ZipArchive, FailedSaveToFileKeepsTheOldArchive) {
  TempDir dir;
  WriteFile(dir.File("a.txt"), "a");
  WriteFile(dir.File("gone.txt"), "g");
  const std::string target = dir.File("out.zip");
  WriteFile(target, "old archive");
  TfrxZipArchive zip;
  zip.AddFile(dir.File("a.txt"));
  zip.AddFile(dir.File("gone.txt"));
  std::filesystem::remove(dir.File("gone.txt"));
  EXPECT_THROW(zip.SaveToFile(target), rtl::EFOpenError);
  EXPECT_EQ(ReadFile(target), "old archive");
}

TEST(ZipArchive, ProgressAfterEveryEntry) {
  TempDir dir;
  for (int i = 0; i < 3; ++i) WriteFile(dir.File("f" + std::to_string(i)), "x");
  TfrxZipArchive zip;
  int calls = 0;
  zip.OnProgress = [&](TfrxZipArchive& sender) {
    EXPECT_EQ(&sender, &zip);
    ++calls;
  };
  zip.AddDir(dir.Path());
  Archive(zip);
  EXPECT_EQ(calls, 3);
}

TEST(ZipArchive, AMissingFolderAddsNothingAndLinkedFoldersAreNotFollowed) {
  TempDir dir, outside;
  WriteFile(outside.File("secret.txt"), "s");
  std::filesystem::create_directories(dir.File("pkg"));
  WriteFile(dir.File("pkg/a.txt"), "a");
  std::filesystem::create_directory_symlink(outside.Path(), dir.File("pkg/link"));
  TfrxZipArchive zip;
  zip.AddDir(dir.File("nowhere"));
  EXPECT_EQ(zip.GetCount(), 0);
  zip.AddDir(dir.File("pkg"));
  ASSERT_EQ(zip.GetCount(), 1);
  EXPECT_EQ(zip.Files()[0], dir.File("pkg/a.txt"));
}

// The archive as unzip and Python's zipfile see it: CRCs, sizes, methods,
// times and contents.
TEST(ZipArchive, IndependentReadersAcceptTheArchive) {
  const std::string unzip = FindTool("unzip");
  if (unzip.empty()) GTEST_SKIP() << "needs unzip";
  if (!PythonHas("zipfile")) GTEST_SKIP() << "needs python3";
  TempDir dir;
  const std::string pkg = dir.File("pkg");
  std::filesystem::create_directories(pkg + "/sub/deeper");
  const std::map<std::string, std::string> files = {
      {"mimetype", "application/vnd.oasis.opendocument.text"},
      {"empty", ""},
      {"c128", Filler(128)},
      {"sub/c129", Filler(129)},
      {"sub/deeper/big.xml", Filler(300000)},
      {"sub/binary", std::string("\0\1\2\3\xff\xfe", 6) + Filler(1000)},
  };
  for (const auto& [name, bytes] : files) {
    WriteFile(pkg + "/" + name, bytes);
    ASSERT_EQ(Shell("touch -d '2021-06-15 10:20:31' " + Quote(pkg + "/" + name)), 0);
  }
  TfrxZipArchive zip;
  zip.RootFolder = pkg + "/";
  zip.FirstEntry = "mimetype";
  zip.AddDir(pkg);
  const std::string archive = dir.File("out.zip");
  zip.SaveToFile(archive);

  EXPECT_EQ(Shell(Quote(unzip) + " -t " + Quote(archive)), 0) << Output(Quote(unzip) + " -t " + Quote(archive));

  const std::string report = RunPython(dir, R"PY(
import sys, zipfile, zlib
z = zipfile.ZipFile(sys.argv[1])
assert z.testzip() is None
for i in z.infolist():
    data = z.read(i)
    assert zlib.crc32(data) == i.CRC
    assert len(data) == i.file_size
    print(i.filename, i.compress_type, i.file_size, i.compress_size, "%04d-%02d-%02d %02d:%02d:%02d" % i.date_time)
)PY",
                                       Quote(archive));
  std::istringstream lines(report);
  std::string name, stamp, clock;
  int method = 0;
  std::size_t size = 0, packed = 0, seen = 0;
  while (lines >> name >> method >> size >> packed >> stamp >> clock) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(files.count(name)) << report;
    EXPECT_EQ(size, files.at(name).size());
    EXPECT_EQ(method, size > 128 ? 8 : 0);
    EXPECT_EQ(stamp + " " + clock, "2021-06-15 10:20:30") << "DOS times have two-second steps";
    if (seen == 0) {
      EXPECT_EQ(name, "mimetype");
    }
    ++seen;
  }
  EXPECT_EQ(seen, files.size()) << report;
}

}  // namespace
