// The flat combo box, the combo edit and the drawing helpers as tables of
// geometry and colours, the flat look checked pixel by pixel on a bitmap,
// and the font-name list with its recent fonts kept in a private settings
// store.
#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/registry.h"
#include "preview/vuzCtrls.h"
#include "preview/vuzFontList.h"
#include "tests/support/scratch_folder.h"

namespace preview_test {

using preview::TfrxFlatComboGeometry;
using preview::TfrxFontItem;
using preview::TfrxFontList;
using rtl::AnsiString;

TEST(ColourMixing, WeightsBelowHundredArePercentAboveArePerThousand) {
  struct Case {
    gfx::TColor c1, c2;
    int a;
    gfx::TColor expected;
  } cases[] = {
      {0x0000FF, 0xFF0000, 30, 0xB3004D},                                        // red 77, blue 179
      {0x0000FF, 0xFF0000, 0, 0xFF0000},                                         // all of c2
      {0x0000FF, 0xFF0000, 100, 0xE6001A},                                       // per thousand: red 26, blue 230
      {0xFFFFFF, 0x000000, 500, 0x808080},                                       // half, rounded up
      {0xFFFFFF, 0x000000, 1000, 0xFFFFFF}, {0x102030, 0x102030, 77, 0x102030},  // equal colours stay
  };
  for (const Case& c : cases)
    EXPECT_EQ(preview::vuzMixColors(c.c1, c.c2, c.a), c.expected) << std::hex << c.c1 << " " << c.c2 << " " << c.a;
  // System colours are resolved first.
  EXPECT_EQ(preview::vuzMixColors(gfx::clWindow, gfx::clWindow, 30), gfx::ColorToRGB(gfx::clWindow));
}

TEST(TextHeight, GrowsWithTheFontAndMatchesTheCanvas) {
  gfx::TFont small, large;
  small.SetHeight(-11);
  large.SetHeight(-24);
  const int h1 = preview::vuzGetFontHeight(small), h2 = preview::vuzGetFontHeight(large);
  EXPECT_GE(h1, 11);
  EXPECT_GT(h2, h1);
  gfx::TBitmap screen(10, 10);
  screen.Canvas().Font().Assign(large);
  EXPECT_EQ(h2, screen.Canvas().GetTextMetrics().tmHeight);
}

TEST(FlatCombo, GeometryAndListHeight) {
  TfrxFlatComboGeometry g;
  g.Width = 49;
  g.Height = 19;
  EXPECT_EQ(g.EditRect(), (gfx::TRect{3, 3, 3 + 49 - 11 - 8, 3 + 13}));
  EXPECT_EQ(g.ButtonRect(), (gfx::TRect{35, 1, 48, 18}));
  EXPECT_EQ(g.SeparatorX(), 34);
  EXPECT_EQ(g.GlyphOrigin(), (gfx::TPoint{5 + 49 - 15, 8}));
  EXPECT_TRUE(g.OnButton(40, 5));
  EXPECT_FALSE(g.OnButton(20, 5));
  g.ImageWidth = 16;  // the font box leaves room for the type mark
  EXPECT_EQ(g.EditRect().Left, 19);
  EXPECT_EQ(g.EditRect().Right, 19 + 49 - 11 - 16 - 8);
  EXPECT_EQ(g.ImageRect(), (gfx::TRect{3, 3, 19, 16}));

  struct Case {
    int dropDown, items, itemHeight, expected;
  } lists[] = {{8, 3, 13, 3 * 13 + 2}, {8, 0, 13, 15}, {8, 20, 13, 8 * 13 + 2}, {0, 5, 13, 15}};
  for (const Case& c : lists)
    EXPECT_EQ(preview::vuzComboListHeight(c.dropDown, c.items, c.itemHeight), c.expected)
        << c.dropDown << "/" << c.items;
  EXPECT_FALSE(preview::vuzComboListDropsUp(100, 13, 106, 768));
  EXPECT_TRUE(preview::vuzComboListDropsUp(700, 13, 106, 768));

  preview::TfrxComboEditGeometry e;
  e.Width = 120;
  e.Height = 21;
  EXPECT_EQ(e.ButtonPanel(), (gfx::TRect{101, 2, 118, 19}));
  EXPECT_EQ(e.EditWidth(), 95);
}

TEST(FlatCombo, ButtonColoursFollowTheState) {
  const auto normal = preview::vuzComboButtonStyle(preview::cpsNormal);
  const auto hot = preview::vuzComboButtonStyle(preview::cpsHot);
  const auto pressed = preview::vuzComboButtonStyle(preview::cpsPressed);
  EXPECT_EQ(normal.Fill, gfx::clBtnFace);
  EXPECT_TRUE(normal.WindowFrame);
  EXPECT_EQ(normal.Separator, gfx::clWindow);
  EXPECT_EQ(hot.Fill, preview::vuzMixColors(gfx::clHighlight, gfx::clWindow, 30));
  EXPECT_EQ(hot.Separator, gfx::clHighlight);
  EXPECT_EQ(hot.Glyph, gfx::clBtnText);
  EXPECT_EQ(pressed.Fill, preview::vuzMixColors(gfx::clHighlight, gfx::clWindow, 50));
  EXPECT_EQ(pressed.Glyph, gfx::clCaptionText);
}

namespace {
std::uint32_t At(gfx::TBitmap& b, int x, int y) { return gfx::ColorToRGB(b.Canvas().GetPixel(x, y)) & 0xFFFFFF; }
}  // namespace

TEST(FlatCombo, PaintsFrameButtonAndArrow) {
  TfrxFlatComboGeometry g;
  g.Width = 49;
  g.Height = 19;
  const auto rgb = [](gfx::TColor c) { return gfx::ColorToRGB(c) & 0xFFFFFF; };
  struct Case {
    preview::TfrxComboPaintState state;
    gfx::TColor border, fill, glyph;
  } cases[] = {
      {preview::cpsNormal, gfx::clBtnFace, gfx::clBtnFace, gfx::clBtnText},
      {preview::cpsHot, gfx::clHighlight, preview::vuzMixColors(gfx::clHighlight, gfx::clWindow, 30), gfx::clBtnText},
      {preview::cpsPressed, gfx::clHighlight, preview::vuzMixColors(gfx::clHighlight, gfx::clWindow, 50),
       gfx::clCaptionText},
  };
  for (const Case& c : cases) {
    gfx::TBitmap b(g.Width, g.Height);
    preview::vuzPaintFlatCombo(b.Canvas(), g, c.state, true);
    EXPECT_EQ(At(b, 0, 0), rgb(c.border)) << c.state;
    EXPECT_EQ(At(b, 1, 1), rgb(gfx::clWindow)) << c.state;
    EXPECT_EQ(At(b, g.ButtonRect().Left + 1, 3), rgb(c.fill)) << c.state;
    const gfx::TPoint o = g.GlyphOrigin();
    // The arrow is 5, 3 and 1 pixels wide, the end points left out.
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(b, o.X + x, o.Y), rgb(c.glyph)) << c.state << " x " << x;
    EXPECT_NE(At(b, o.X + 5, o.Y), rgb(c.glyph));
    EXPECT_EQ(At(b, o.X + 2, o.Y + 2), rgb(c.glyph));
    EXPECT_NE(At(b, o.X + 3, o.Y + 2), rgb(c.glyph));
  }
  gfx::TBitmap off(g.Width, g.Height);
  preview::vuzPaintFlatCombo(off.Canvas(), g, preview::cpsHot, false);
  EXPECT_EQ(At(off, 0, 0), rgb(gfx::clBtnShadow));
  EXPECT_EQ(At(off, 10, 10), rgb(gfx::clBtnFace));
  EXPECT_EQ(At(off, g.GlyphOrigin().X, g.GlyphOrigin().Y), rgb(gfx::clGrayText));
}

// ---- the font list

class FontListTest : public ::testing::Test {
 protected:
  void SetUp() override { rtl::SetSettingsFolder(folder_.Path() + "/"); }
  void TearDown() override { rtl::SetSettingsFolder(""); }
  static std::vector<TfrxFontItem> Fonts(std::initializer_list<const char*> names) {
    std::vector<TfrxFontItem> out;
    for (const char* n : names) out.push_back({n, preview::kTrueTypeFontType});
    return out;
  }
  static std::vector<AnsiString> Names(const TfrxFontList& list) {
    std::vector<AnsiString> out;
    for (const TfrxFontItem& f : list.Items()) out.push_back(f.Name);
    return out;
  }
  static std::vector<AnsiString> Top(const TfrxFontList& list, int n) {
    const std::vector<AnsiString> all = Names(list);
    return {all.begin(), all.begin() + n};
  }
  // The entry of a name in the full list (below the recent block).
  static int Last(const TfrxFontList& list, const char* name) {
    for (int i = static_cast<int>(list.Items().size()) - 1; i >= 0; --i)
      if (list.Items()[static_cast<std::size_t>(i)].Name == name) return i;
    return -1;
  }
  support::ScratchFolder folder_{"font-list-"};
};

TEST_F(FontListTest, ScreenAndPrinterFontsSortedOnceAPrinterFailureIgnored) {
  TfrxFontList list;
  list.Populate(Fonts({"Tahoma", "arial", "Courier"}), [] {
    return std::vector<TfrxFontItem>{{"Arial", preview::kDeviceFontType}, {"Roman 10cpi", preview::kDeviceFontType}};
  });
  EXPECT_EQ(Names(list), (std::vector<AnsiString>{"arial", "Courier", "Roman 10cpi", "Tahoma"}));
  EXPECT_EQ(list.Items()[2].Type, preview::kDeviceFontType);
  EXPECT_EQ(list.MRUCount(), -1);

  TfrxFontList failing;
  failing.Populate(Fonts({"B", "A"}), []() -> std::vector<TfrxFontItem> { throw std::runtime_error("no printer"); });
  EXPECT_EQ(Names(failing), (std::vector<AnsiString>{"A", "B"}));
}

TEST_F(FontListTest, RecentFontsGoOnTopKeepFiveAndSurviveARebuild) {
  const auto fonts = Fonts({"A", "B", "C", "D", "E", "F", "G"});
  TfrxFontList list;
  list.Populate(fonts);
  // Choosing the first item changes nothing.
  EXPECT_EQ(list.Choose(0), 0);
  EXPECT_EQ(list.MRUCount(), -1);
  for (const char* name : {"B", "C", "D", "E", "F"}) EXPECT_EQ(list.Choose(Last(list, name)), 0);
  EXPECT_EQ(list.MRUCount(), 4);
  EXPECT_EQ(Names(list), (std::vector<AnsiString>{"F", "E", "D", "C", "B", "A", "B", "C", "D", "E", "F", "G"}));
  // A sixth new font keeps five: the oldest drops out.
  list.Choose(Last(list, "G"));
  EXPECT_EQ(list.MRUCount(), 4);
  EXPECT_EQ(Top(list, 5), (std::vector<AnsiString>{"G", "F", "E", "D", "C"}));
  // Choosing a recent font again (from the full list) moves it to the top.
  list.Choose(Last(list, "D"));
  EXPECT_EQ(Top(list, 5), (std::vector<AnsiString>{"D", "G", "F", "E", "C"}));
  EXPECT_EQ(list.Items().size(), 12u);

  // The store keeps them; a rebuild puts them back in the same order, and a
  // stored font that is gone is cleared.
  rtl::TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(preview::kDefaultMRUFontKey, false));
  EXPECT_EQ(reg.ReadString("Font0"), "D");
  EXPECT_EQ(reg.ReadString("Font4"), "C");
  EXPECT_EQ(reg.ReadInteger("FontType0"), preview::kTrueTypeFontType);
  TfrxFontList again;
  again.Populate(Fonts({"A", "B", "D", "E", "F", "G"}));  // "C" uninstalled
  EXPECT_EQ(again.MRUCount(), 3);
  EXPECT_EQ(Top(again, 4), (std::vector<AnsiString>{"D", "G", "F", "E"}));
  EXPECT_EQ(reg.ReadString("Font4"), "");
  EXPECT_EQ(reg.ReadInteger("FontType4"), 0);
}

TEST_F(FontListTest, WithoutRecentFontsNothingIsStored) {
  TfrxFontList list(false);
  list.Populate(Fonts({"A", "B"}));
  EXPECT_EQ(list.Choose(1), 1);
  EXPECT_EQ(list.MRUCount(), -1);
  rtl::TRegistry reg;
  EXPECT_FALSE(reg.OpenKey(preview::kDefaultMRUFontKey, false));
}

TEST(ScreenFonts, ListsInstalledFamiliesInWindows1251) {
  const std::vector<TfrxFontItem> fonts = preview::vuzScreenFonts();
  ASSERT_FALSE(fonts.empty());
  bool dejaVu = false;
  for (const TfrxFontItem& f : fonts) {
    EXPECT_LE(f.Name.size(), 32u);
    dejaVu = dejaVu || f.Name == "DejaVu Sans";
  }
  EXPECT_TRUE(dejaVu);
}

}  // namespace preview_test
