// Reading processes out of a copy of the recorder's memory.
#include <gtest/gtest.h>

#include "app/FlashImage.h"
#include "tests/app/header_builder.h"

using namespace rtl::literals;

namespace {

app::TProcessHeader Header(std::uint32_t start, int points, int channels, int slot = 0) {
  return apptest::MakeHeader({.address = start, .slot = slot, .points = points, .channels = channels});
}

std::string Erased() { return std::string(app::kFlashSize, '\xFF'); }

}  // namespace

TEST(FlashImage, PlainProcessAndDirectorySlots) {
  std::string image = Erased();
  const auto h = Header(0x340, 10, 4, 3);
  std::copy(h.Bytes.begin(), h.Bytes.end(), image.begin() + 16 * 4);
  for (int i = 0; i < 80; ++i) image[0x340 + i] = char(i);
  app::TProcessHeader read;
  ASSERT_TRUE(app::FlashDirectoryHeader(image, 3, read));
  EXPECT_EQ(read.Bytes, h.Bytes);
  EXPECT_FALSE(app::FlashDirectoryHeader(image.substr(0, 16 * 4 + 15), 3, read));
  std::string samples;
  ASSERT_EQ(app::ExtractFlashProcess(image, h, samples), app::TFlashExtract::Ok);
  EXPECT_EQ(samples, image.substr(0x340, 80));
}

// The recorder leaves the bytes at the end of the memory erased when a
// record does not fit and goes on at 0x340.
TEST(FlashImage, WrapDropsTheErasedGapButKeepsWholeRecords) {
  struct Case {
    const char* what;
    int channels;
    bool lastRecordEndsInFF;
  } cases[] = {{"3 channels", 3, false},
               {"5 channels", 5, false},
               {"negative extra temperature", 5, true},
               {"4 channels, no gap", 4, true}};
  for (const auto& c : cases) {
    std::string image = Erased();
    const std::size_t start = app::kFlashSize - 512;
    const std::size_t record = std::size_t(c.channels) * 2;
    const std::size_t before = 512 / record;  // whole records before the end
    const int points = int(before) + 7;
    std::string expected;
    for (std::size_t r = 0; r < std::size_t(points); ++r) {
      std::string rec;
      for (std::size_t b = 0; b < record; ++b) rec += char(0x10 + (r * 3 + b) % 200);
      if (c.lastRecordEndsInFF && r == before - 1) rec.back() = '\xFF';
      expected += rec;
      const std::size_t at = r < before ? start + r * record : 0x340 + (r - before) * record;
      image.replace(at, record, rec);
    }
    std::string samples;
    ASSERT_EQ(app::ExtractFlashProcess(image, Header(start, points, c.channels), samples), app::TFlashExtract::Ok)
        << c.what;
    EXPECT_EQ(samples, expected) << c.what;
  }
}

TEST(FlashImage, RecordSplitAcrossTheEndIsJoined) {
  std::string image = Erased();
  const std::size_t start = app::kFlashSize - 100;  // 100 is no multiple of 6
  std::string data;
  for (int i = 0; i < 600; ++i) data += char(i % 250);
  for (std::size_t i = 0; i < data.size(); ++i) image[i < 100 ? start + i : 0x340 + (i - 100)] = data[i];
  std::string samples;
  ASSERT_EQ(app::ExtractFlashProcess(image, Header(start, 100, 3), samples), app::TFlashExtract::Ok);
  EXPECT_EQ(samples, data);
}

TEST(FlashImage, ShortAndOversizedImages) {
  std::string samples;
  const auto h = Header(0x1000, 100, 3);
  EXPECT_EQ(app::ExtractFlashProcess(std::string(0x1000 + 300, '\1'), h, samples), app::TFlashExtract::Incomplete);
  EXPECT_EQ(app::ExtractFlashProcess(std::string(0x800, '\1'), h, samples), app::TFlashExtract::BeyondImage);
  EXPECT_EQ(app::ExtractFlashProcess(Erased(), Header(0x340, 21706, 3), samples), app::TFlashExtract::Ok);
  auto big = Header(0x340, 13024, 5);
  big.SetPoints(13024);
  EXPECT_EQ(app::ExtractFlashProcess(Erased(), big, samples), app::TFlashExtract::TooLarge);  // 130240 > 130239
}

TEST(FlashImage, MarkerSetsTheSht21Bit) {
  const auto h = Header(0x340, 5, 3);
  EXPECT_TRUE(app::MarkedHeader(h, app::kMarkerSht21).Sht21());
  EXPECT_EQ(app::MarkedHeader(h, app::kMarkerSht15).Bytes, h.Bytes);
  auto sht21 = app::MarkedHeader(h, app::kMarkerSht21);
  EXPECT_EQ(app::MarkedHeader(sht21, app::kMarkerSht15).Bytes, sht21.Bytes);  // 21 never clears it
  std::string image = Erased();
  image[4] = 0x21;
  EXPECT_EQ(app::FlashMarkerByte(image), 33);
  EXPECT_EQ(app::FlashMarkerByte("abc"), -1);
}

TEST(FlashImage, SensorVote) {
  // The values, which the flash dialog's choice relies on, stay as they were.
  struct Case {
    int s21, s15, vote;
  } cases[] = {{0, 0, 0}, {0, 3, 21}, {4, 0, 33}, {1, 2, 1}, {2, 2, 2}, {3, 1, 2}};
  for (const auto& c : cases) EXPECT_EQ(int(app::VoteFromCounts(c.s21, c.s15)), c.vote) << c.s21 << "/" << c.s15;
}

TEST(FlashImage, RussianCountPhrases) {
  struct Case {
    int n;
    const char* text;
  } cases[] = {{1, "Считан 1 процесс"},      {2, "Считано 2 процесса"},    {4, "Считано 4 процесса"},
               {5, "Считано 5 процессов"},   {11, "Считано 11 процессов"}, {12, "Считано 12 процессов"},
               {19, "Считано 19 процессов"}, {21, "Считан 21 процесс"},    {22, "Считано 22 процесса"},
               {25, "Считано 25 процессов"}, {50, "Считано 50 процессов"}};
  for (const auto& c : cases) EXPECT_EQ(app::ProcessCountPhrase(c.n), rtl::Utf8ToAnsi(c.text)) << c.n;
}
