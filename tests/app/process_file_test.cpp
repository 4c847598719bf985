// The exported process file: building it from an archive file and its notes,
// and reading it back, including files that must be refused.
#include <gtest/gtest.h>

#include <random>

#include "app/ProcessFile.h"
#include "tests/app/header_builder.h"

using namespace rtl::literals;
using app::ParseProcessFile;
using app::TProcessFileError;
using rtl::AnsiString;

namespace {

// An archive file: a valid header and points × channels samples.
std::string Archive(int points, int channels = 3, std::uint8_t fill = 0) {
  const app::TProcessHeader h = apptest::MakeHeader({.address = 0x340 | (1u << 21),
                                                     .slot = 2,
                                                     .sec = 7,
                                                     .min = 30,
                                                     .day = 5,
                                                     .month = 11,
                                                     .points = points,
                                                     .channels = channels});
  std::string s(h.Bytes.begin(), h.Bytes.end());
  for (int i = 0; i < points * channels * 2; ++i) s += char(fill ? fill : std::uint8_t(i * 7 + 3));
  return s;
}

}  // namespace

TEST(ProcessFile, ExportEqualsArchiveWithoutNotesAndAppendsNoteBlocks) {
  const std::string a = Archive(20);
  struct Case {
    const char* what;
    AnsiString n1, n2;
    std::string tail;
  } cases[] = {
      {"no notes", "", "", ""},
      {"note 1 only", "Кирпич"_cp, "", "Note1:" + "Кирпич"_cp + std::string(1, '\0')},
      {"note 2 only", "", "Цех 2"_cp, "Note2:" + "Цех 2"_cp + std::string(1, '\0')},
      {"both", "A", "B", std::string("Note1:A\0Note2:B\0", 16)},
  };
  for (const auto& c : cases) {
    const std::string file = app::BuildProcessFile(a, c.n1, c.n2);
    EXPECT_EQ(file, a + c.tail) << c.what;
    const auto back = ParseProcessFile(file);
    EXPECT_EQ(back.Error, TProcessFileError::None) << c.what;
    EXPECT_EQ(back.Archive, a) << c.what;
    EXPECT_EQ(back.Notes[0], c.n1) << c.what;
    EXPECT_EQ(back.Notes[1], c.n2) << c.what;
    EXPECT_EQ(back.Key, "131105_0930.bin") << c.what;
  }
}

TEST(ProcessFile, NoteOf510BytesSurvivesLongerOnesAreCut) {
  const std::string a = Archive(4);
  const AnsiString n510(510, 'x'), n600(600, 'y');
  auto back = ParseProcessFile(app::BuildProcessFile(a, n510, "z"));
  EXPECT_EQ(back.Notes[0], n510);
  EXPECT_EQ(back.Notes[1], "z");
  back = ParseProcessFile(app::BuildProcessFile(a, n600, "z"));
  EXPECT_EQ(back.Error, TProcessFileError::None);
  EXPECT_EQ(back.Notes[0], AnsiString(510, 'y'));
  EXPECT_EQ(back.Notes[1], "z");
}

// The file used to be read in windows of 512 bytes overlapping by 6: markers
// on and around the window boundaries must all be found.
TEST(ProcessFile, MarkersAroundWindowBoundaries) {
  // 3 channels: the archive part is 16 + 6 × points bytes.
  for (int points : {80, 82, 83, 84, 85, 164, 165, 166, 167, 168}) {
    const std::string a = Archive(points);
    const auto back = ParseProcessFile(app::BuildProcessFile(a, "первое"_cp, "второе"_cp));
    EXPECT_EQ(back.Error, TProcessFileError::None) << a.size();
    EXPECT_EQ(back.Archive.size(), a.size());
    EXPECT_EQ(back.Notes[0], "первое"_cp) << a.size();
    EXPECT_EQ(back.Notes[1], "второе"_cp) << a.size();
  }
  // 166 points: the first marker begins exactly at the third window (1012).
  EXPECT_EQ(Archive(166).size(), 1012u);
}

TEST(ProcessFile, SamplesThatLookLikeAMarkerStayInTheArchive) {
  std::string a = Archive(30);
  a.replace(40, 6, "Note1:");
  a.replace(100, 6, "Notex:");
  const auto withNotes = ParseProcessFile(app::BuildProcessFile(a, "n1", ""));
  EXPECT_EQ(withNotes.Error, TProcessFileError::None);
  EXPECT_EQ(withNotes.Archive, a);
  EXPECT_EQ(withNotes.Notes[0], "n1");
  const auto plain = ParseProcessFile(a);
  EXPECT_EQ(plain.Archive, a);
  EXPECT_EQ(plain.Notes[0], "");
}

TEST(ProcessFile, UnknownNoteNumberIsSkippedAndLaterNotesRead) {
  const std::string a = Archive(10);
  const std::string file = a + std::string("Note7:seven\0Note2:two\0", 22);
  const auto back = ParseProcessFile(file);
  EXPECT_EQ(back.Error, TProcessFileError::None);
  EXPECT_EQ(back.Archive, a);
  EXPECT_EQ(back.Notes[0], "");
  EXPECT_EQ(back.Notes[1], "two");
}

TEST(ProcessFile, HostileFilesAreRefused) {
  const std::string a = Archive(50);
  std::mt19937 rng(7);
  std::string random(3000, '\0');
  for (auto& ch : random) ch = char(rng());
  std::string badMonth = a, year100 = a, year150 = a;
  badMonth[8] = 13;
  year100[9] = char(100);  // would be named 1001105_0930.bin, which the archive never lists
  year150[9] = char(150);
  struct Case {
    const char* what;
    std::string bytes;
    TProcessFileError error;
  } cases[] = {
      {"empty", "", TProcessFileError::BadHeader},
      {"shorter than a header", a.substr(0, 15), TProcessFileError::BadHeader},
      {"month 13", badMonth, TProcessFileError::BadHeader},
      {"year byte 100", year100, TProcessFileError::BadHeader},
      {"year byte 150", year150, TProcessFileError::BadHeader},
      {"random bytes", random, TProcessFileError::BadHeader},
      {"note without terminator", a + "Note1:never ends", TProcessFileError::UnterminatedNote},
      {"second note without terminator", a + std::string("Note1:a\0Note2:b", 15), TProcessFileError::UnterminatedNote},
      {"oversized", a + std::string(app::kMaxProcessFileSize, 'q'), TProcessFileError::Oversized},
  };
  for (const auto& c : cases) {
    const auto back = ParseProcessFile(c.bytes);
    EXPECT_EQ(back.Error, c.error) << c.what;
  }
}

TEST(ProcessFile, FilesCutShortKeepTheirWholeRecords) {
  const std::string a = Archive(50);  // 3 channels: 6 bytes a record
  struct Case {
    const char* what;
    std::string bytes;
    int whole;
    std::size_t dropped;
    const char* note1;
  } cases[] = {
      {"header only", a.substr(0, 16), 0, 0, ""},
      {"header and part of the first record", a.substr(0, 20), 0, 4, ""},
      {"one byte short", a.substr(0, a.size() - 1), 49, 5, ""},
      {"a record short", a.substr(0, a.size() - 6), 49, 0, ""},
      {"cut before a note", a.substr(0, a.size() - 3) + std::string("Note1:x\0", 8), 49, 3, "x"},
      {"whole records then a note", a.substr(0, 16 + 10 * 6) + std::string("Note1:y\0", 8), 10, 0, "y"},
  };
  for (const auto& c : cases) {
    const auto back = ParseProcessFile(c.bytes);
    ASSERT_EQ(back.Error, TProcessFileError::None) << c.what;
    EXPECT_TRUE(back.Incomplete()) << c.what;
    EXPECT_EQ(back.WholePoints, c.whole) << c.what;
    EXPECT_EQ(back.DroppedBytes, c.dropped) << c.what;
    EXPECT_EQ(back.Archive, a.substr(0, 16 + std::size_t(c.whole) * 6)) << c.what;
    EXPECT_EQ(back.Header.Points(), 50) << c.what;  // the header is kept as it is
    EXPECT_EQ(back.Notes[0], c.note1) << c.what;
  }
  // A whole file is not incomplete.
  const auto whole = ParseProcessFile(a);
  EXPECT_FALSE(whole.Incomplete());
  EXPECT_EQ(whole.WholePoints, 50);
  EXPECT_EQ(whole.DroppedBytes, 0u);
}

TEST(ProcessFile, KeyFromHeader) {
  EXPECT_EQ(app::ProcessFileKey(Archive(1)), "131105_0930.bin");
  EXPECT_EQ(app::ProcessFileKey(Archive(1).substr(0, 15)), "");
  std::string lowAddress = Archive(1);
  lowAddress[0] = 0x3F;
  lowAddress[1] = 0x03;
  EXPECT_EQ(app::ProcessFileKey(lowAddress), "");
  std::string year99 = Archive(1);
  year99[9] = 99;
  EXPECT_EQ(app::ProcessFileKey(year99), "991105_0930.bin");
}
