#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/picture.h"
#include "preview/vuzPictureCache.h"
#include "report/vuzXML.h"
#include "support/scratch_folder.h"

using preview::TfrxPictureCache;
using report::TfrxXMLItem;

using support::ScratchFolder;

namespace {

// A cache element holding pictures of the given raw bytes, as a saved
// prepared report carries them.
void FillFromBytes(TfrxPictureCache& cache, const std::vector<std::string>& pictures) {
  TfrxXMLItem saved("picturecache");
  for (const std::string& bytes : pictures)
    saved.Add("item")->Prop = "stream=\"" + preview::vuzBytesToHex(bytes) + "\"";
  cache.LoadFromXML(&saved);
}

void SmallBitmap(gfx::TPicture& picture, int w, int h, gfx::TColor color) {
  gfx::TBitmap bmp;
  bmp.SetSize(w, h);
  bmp.Canvas().Brush().SetColor(color);
  bmp.Canvas().FillRect({0, 0, w, h});
  picture.SetGraphic(&bmp);
}

std::size_t FilesStartingWith(const std::filesystem::path& folder, const std::string& prefix) {
  std::size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.path().filename().string().rfind(prefix, 0) == 0) ++n;
  return n;
}

struct LayoutCase {
  const char* what;
  std::int64_t segmentLimit;
  std::vector<int> sizes;
  std::vector<std::pair<int, std::int64_t>> entries;  // (segment, offset)
  int segments;
};

class PictureCacheLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PictureCacheLayout, EntriesAndSegments) {
  const LayoutCase& c = GetParam();
  TfrxPictureCache cache;
  cache.SetSegmentLimit(c.segmentLimit);
  std::vector<std::string> pictures;
  for (std::size_t i = 0; i < c.sizes.size(); ++i)
    pictures.emplace_back(static_cast<std::size_t>(c.sizes[i]), static_cast<char>('a' + i));
  FillFromBytes(cache, pictures);
  ASSERT_EQ(cache.Count(), static_cast<int>(c.entries.size())) << c.what;
  for (int i = 0; i < cache.Count(); ++i) {
    EXPECT_EQ(cache.Entries().Items(i).Segment, c.entries[static_cast<std::size_t>(i)].first) << c.what << " #" << i;
    EXPECT_EQ(cache.Entries().Items(i).Offset, c.entries[static_cast<std::size_t>(i)].second) << c.what << " #" << i;
    // Each picture reads back exactly its own bytes, wherever it lies.
    EXPECT_EQ(cache.PictureBytes(i + 1), pictures[static_cast<std::size_t>(i)]) << c.what << " #" << i;
  }
  EXPECT_EQ(cache.SegmentCount(), c.segments) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureCacheLayout,
    ::testing::Values(LayoutCase{"three pictures in one segment",
                                 TfrxPictureCache::kDefaultSegmentLimit,
                                 {10, 20, 30},
                                 {{0, 0}, {0, 10}, {0, 30}},
                                 1},
                      LayoutCase{
                          "a full segment starts a new one", 25, {10, 20, 30, 5}, {{0, 0}, {0, 10}, {1, 0}, {2, 0}}, 3},
                      LayoutCase{"the limit is reached, not passed", 10, {10, 1}, {{0, 0}, {1, 0}}, 2},
                      LayoutCase{"an empty picture takes no bytes",
                                 TfrxPictureCache::kDefaultSegmentLimit,
                                 {4, 0, 4},
                                 {{0, 0}, {0, 4}, {0, 4}},
                                 1},
                      LayoutCase{"no pictures, no segment", TfrxPictureCache::kDefaultSegmentLimit, {}, {}, 0}));

TEST(PictureCache, PicturesComeBackUnderTheirNumbers) {
  TfrxPictureCache cache;
  gfx::TPicture red, blue, none;
  SmallBitmap(red, 3, 2, gfx::clRed);
  SmallBitmap(blue, 5, 7, gfx::clBlue);
  EXPECT_EQ(cache.AddPicture(none), 0);
  EXPECT_EQ(cache.AddPicture(red), 1);
  EXPECT_EQ(cache.AddPicture(blue), 2);

  struct Case {
    int index;
    int width, height;  // 0, 0: empty picture
  };
  for (const Case c : {Case{1, 3, 2}, Case{2, 5, 7}, Case{0, 0, 0}, Case{3, 0, 0}, Case{-4, 0, 0}}) {
    gfx::TPicture out;
    SmallBitmap(out, 1, 1, gfx::clBlack);  // whatever was there goes
    EXPECT_TRUE(cache.GetPicture(c.index, out)) << c.index;
    EXPECT_EQ(out.Width(), c.width) << c.index;
    EXPECT_EQ(out.Height(), c.height) << c.index;
    EXPECT_EQ(out.Empty(), c.width == 0) << c.index;
  }
}

TEST(PictureCache, SavedAndReloadedKeepsNumbersAndBytes) {
  TfrxPictureCache cache;
  FillFromBytes(cache, {std::string("\x01\xAB\xFF", 3)});
  TfrxXMLItem saved("picturecache");
  cache.SaveToXML(&saved);
  ASSERT_EQ(saved.Count(), 1);
  EXPECT_EQ(saved[0]->Name, "item");
  EXPECT_EQ(saved[0]->Prop, "stream=\"01ABFF\"");

  gfx::TPicture a, b;
  SmallBitmap(a, 2, 2, gfx::clGreen);
  SmallBitmap(b, 4, 1, gfx::clYellow);
  TfrxPictureCache two;
  two.AddPicture(a);
  two.AddPicture(b);
  two.SaveToXML(&saved);
  TfrxPictureCache reloaded;
  reloaded.LoadFromXML(&saved);
  ASSERT_EQ(reloaded.Count(), 2);
  for (int i = 1; i <= 2; ++i) EXPECT_EQ(reloaded.PictureBytes(i), two.PictureBytes(i)) << i;
  gfx::TPicture out;
  reloaded.GetPicture(2, out);
  EXPECT_EQ(out.Width(), 4);
}

struct HexCase {
  const char* text;
  std::string bytes;
};

class HexDecoding : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexDecoding, StopsAtTheFirstNonDigit) {
  EXPECT_EQ(preview::vuzHexToBytes(GetParam().text), GetParam().bytes) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, HexDecoding,
                         ::testing::Values(HexCase{"01ABFF", std::string("\x01\xAB\xFF", 3)},
                                           HexCase{"01abFf", std::string("\x01\xAB\xFF", 3)}, HexCase{"", ""},
                                           HexCase{"ABC", "\xAB"},
                                           // characters between "0" and "f" that are no hex digits
                                           HexCase{"41:2", "A"}, HexCase{"41G0", "A"}, HexCase{"41@0", "A"},
                                           HexCase{"41`0", "A"}, HexCase{"4 1", ""}, HexCase{"zz41", ""}));

TEST(PictureCache, DamagedBytesGiveAnEmptyPictureAndAnAnswer) {
  TfrxPictureCache cache;
  FillFromBytes(cache, {"BMnot really a bitmap", "\x89PNG\r\n\x1a\n truncated"});
  for (int i = 1; i <= 2; ++i) {
    gfx::TPicture out;
    SmallBitmap(out, 1, 1, gfx::clBlack);
    EXPECT_FALSE(cache.GetPicture(i, out)) << i;
    EXPECT_TRUE(out.Empty()) << i;
  }
}

TEST(PictureCache, FileModeKeepsPicturesInFrPicFilesUntilCleared) {
  ScratchFolder folder;
  TfrxPictureCache cache;
  cache.SetUseFileCache(true);
  cache.SetTempDir(folder.Path());
  cache.SetSegmentLimit(8);
  FillFromBytes(cache, {"0123456789", "abc", "xyz"});
  EXPECT_EQ(cache.SegmentCount(), 2);
  EXPECT_EQ(FilesStartingWith(folder.Folder(), "frPic"), 2u);
  EXPECT_EQ(cache.PictureBytes(3), "xyz");

  // Neither switch changes a cache that holds segments.
  cache.SetUseFileCache(false);
  cache.SetTempDir("/nonexistent-folder/");
  EXPECT_TRUE(cache.UseFileCache());

  cache.Clear();
  EXPECT_EQ(FilesStartingWith(folder.Folder(), "frPic"), 0u);
  EXPECT_EQ(cache.Count(), 0);

  // Now empty, it takes the new mode.
  cache.SetUseFileCache(false);
  FillFromBytes(cache, {"m"});
  EXPECT_EQ(FilesStartingWith(folder.Folder(), "frPic"), 0u);
  EXPECT_EQ(cache.PictureBytes(1), "m");
}

TEST(PictureCache, DestructionDeletesTheTemporaryFiles) {
  ScratchFolder folder;
  {
    TfrxPictureCache cache;
    cache.SetUseFileCache(true);
    cache.SetTempDir(folder.Path());
    FillFromBytes(cache, {"abc"});
    EXPECT_EQ(FilesStartingWith(folder.Folder(), "frPic"), 1u);
  }
  EXPECT_EQ(FilesStartingWith(folder.Folder(), "frPic"), 0u);
}

}  // namespace
