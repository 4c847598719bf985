// Toolbars, dock sites and forms saved into a settings store and put back
// by its rules (a memory ini file stands for the store), and the dock site's
// splitter: growing with a docked control, collapsing and restoring with the
// grip, dragging, and the grip's pixels.
#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/inifiles.h"
#include "preview/vuzDock.h"
#include "tests/support/scratch_folder.h"

namespace preview_test {

using preview::TfrxDockSite;
using rtl::AnsiString;

namespace {
struct FakeToolbar : preview::TfrxToolbarFace {
  AnsiString name = "PreviewTB", parent = "Form", bars = "Bar1";  // the owner's control bars
  bool parentIsBar = false, floating = false, visible = true;
  gfx::TRect bounds{0, 0, 300, 26}, floatBounds{500, 400, 800, 426};
  std::vector<std::string> calls;
  AnsiString Name() const override { return name; }
  gfx::TRect Bounds() const override { return bounds; }
  bool Floating() const override { return floating; }
  gfx::TRect FloatingBounds() const override { return floatBounds; }
  bool Visible() const override { return visible; }
  void SetVisible(bool v) override {
    visible = v;
    calls.push_back(v ? "show" : "hide");
  }
  AnsiString ParentName() const override { return parent; }
  bool ParentIsControlBar() const override { return parentIsBar; }
  void FloatIn(const gfx::TRect& r) override {
    floating = true;
    floatBounds = r;
    calls.push_back("float");
  }
  bool DockInto(const AnsiString& bar) override {
    if (bar != bars) return false;
    parent = bar;
    parentIsBar = true;
    calls.push_back("dock " + bar);
    return true;
  }
  void SetBounds(int l, int t, int w, int h) override {
    bounds = {l, t, l + w, t + h};
    calls.push_back("bounds");
  }
};

struct FakeForm : preview::TfrxFormFace {
  bool maximized = false, visible = false, mdi = false, designer = false;
  gfx::TRect bounds{10, 20, 810, 620};
  AnsiString host;
  AnsiString ClassName() const override { return "TfrxPreviewForm"; }
  gfx::TRect Bounds() const override { return bounds; }
  bool Maximized() const override { return maximized; }
  void Maximize() override { maximized = true; }
  bool Visible() const override { return visible; }
  void SetVisible(bool v) override { visible = v; }
  bool MDIChild() const override { return mdi; }
  bool IsDesigner() const override { return designer; }
  AnsiString HostDockSite() const override { return host; }
  bool DockInto(const AnsiString& site) override {
    host = site;
    return true;
  }
  void SetBounds(int l, int t, int w, int h) override { bounds = {l, t, l + w, t + h}; }
};

class DockTest : public ::testing::Test {
 protected:
  support::ScratchFolder folder_{"dock-"};
  rtl::TMemIniFile ini_{folder_.File("layout.ini")};
};
}  // namespace

TEST_F(DockTest, ToolbarRoundTripDockedAndFloating) {
  FakeToolbar saved;
  saved.parent = "Bar1";
  saved.parentIsBar = true;
  saved.bounds = {11, 2, 311, 28};
  preview::vuzSaveToolbarPosition(ini_, saved);
  EXPECT_EQ(ini_.ReadString("ToolBar4.PreviewTB", "Dock4", ""), "Bar1");
  EXPECT_EQ(ini_.ReadInteger("ToolBar4.PreviewTB", "Width", 0), 300);

  FakeToolbar restored;  // now on the form itself
  preview::vuzRestoreToolbarPosition(ini_, restored);
  EXPECT_EQ(restored.parent, "Bar1");
  EXPECT_EQ(restored.bounds, (gfx::TRect{11, 2, 311, 28}));
  EXPECT_EQ(restored.calls, (std::vector<std::string>{"hide", "dock Bar1", "bounds", "show"}));

  FakeToolbar floating;
  floating.floating = true;
  floating.visible = false;
  preview::vuzSaveToolbarPosition(ini_, floating);
  EXPECT_EQ(ini_.ReadInteger("ToolBar4.PreviewTB", "Left", 0), 500);  // the floating window's place
  FakeToolbar back;
  preview::vuzRestoreToolbarPosition(ini_, back);
  EXPECT_TRUE(back.floating);
  EXPECT_EQ(back.floatBounds, (gfx::TRect{500, 400, 800, 426}));
  EXPECT_FALSE(back.visible);
}

TEST_F(DockTest, ToolbarDockNamingNoControlBarOnlyTakesTheBounds) {
  struct Case {
    const char* dock;
  } cases[] = {{"StatusBar"}, {"Form"}, {"Nobody"}};
  for (const Case& c : cases) {
    ini_.WriteString("ToolBar4.PreviewTB", "Dock4", c.dock);
    ini_.WriteInteger("ToolBar4.PreviewTB", "Left", 40);
    FakeToolbar t;
    preview::vuzRestoreToolbarPosition(ini_, t);
    EXPECT_EQ(t.parent, "Form") << c.dock;
    EXPECT_EQ(t.bounds.Left, 40) << c.dock;
    EXPECT_TRUE(t.visible) << c.dock;  // "Visible" absent: shown
  }
}

TEST_F(DockTest, FormRestoreRules) {
  FakeForm saved;
  saved.bounds = {100, 50, 900, 650};
  saved.visible = true;
  saved.host = "LeftDock";
  preview::vuzSaveFormPosition(ini_, saved);
  EXPECT_EQ(ini_.ReadString("Form4.TfrxPreviewForm", "Dock4", "?"), "LeftDock");

  FakeForm plain;
  preview::vuzRestoreFormPosition(ini_, plain);
  EXPECT_EQ(plain.bounds, (gfx::TRect{100, 50, 900, 650}));
  EXPECT_TRUE(plain.visible);
  EXPECT_EQ(plain.host, "LeftDock");

  ini_.WriteBool("Form4.TfrxPreviewForm", "Maximized", true);
  FakeForm maximized;
  preview::vuzRestoreFormPosition(ini_, maximized);
  EXPECT_TRUE(maximized.maximized);
  EXPECT_EQ(maximized.bounds, (gfx::TRect{10, 20, 810, 620}));  // stored bounds ignored

  FakeForm child;
  child.mdi = true;
  preview::vuzRestoreFormPosition(ini_, child);
  EXPECT_FALSE(child.maximized);
  EXPECT_EQ(child.bounds, (gfx::TRect{10, 20, 810, 620}));

  ini_.WriteBool("Form4.TfrxPreviewForm", "Visible", false);
  FakeForm designer;
  designer.designer = true;
  designer.visible = true;
  preview::vuzRestoreFormPosition(ini_, designer);
  EXPECT_TRUE(designer.visible);  // a designer shows itself
}

TEST_F(DockTest, DockSiteLayoutAsHexAndSizes) {
  TfrxDockSite site("LeftDock", preview::daLeft);
  site.SetBounds({0, 0, 120, 400});
  site.SetSavedSize(140);
  site.Layout = {0x00, 0x1F, 0xAB};
  preview::vuzSaveDock(ini_, site);
  EXPECT_EQ(ini_.ReadString("Dock4.LeftDock", "Data", ""), "001FAB");

  TfrxDockSite back("LeftDock", preview::daLeft);
  back.Layout = {9};
  preview::vuzRestoreDock(ini_, back);
  EXPECT_EQ(back.Layout, (std::vector<std::uint8_t>{0x00, 0x1F, 0xAB}));
  EXPECT_EQ(back.Size(), 120);
  EXPECT_EQ(back.SavedSize(), 140);

  // An empty "Data" leaves the layout as it is; a missing "Size" is 100.
  rtl::TMemIniFile empty(folder_.File("empty.ini"));
  empty.WriteString("Dock4.LeftDock", "Data", "");
  TfrxDockSite kept("LeftDock", preview::daLeft);
  kept.Layout = {7, 8};
  preview::vuzRestoreDock(empty, kept);
  EXPECT_EQ(kept.Layout, (std::vector<std::uint8_t>{7, 8}));
  EXPECT_EQ(kept.SavedSize(), 100);
}

TEST(DockSite, GrowsWithDockedControlsAndRefusesStrangers) {
  TfrxDockSite site("BottomDock", preview::daBottom);
  site.SetBounds({0, 500, 800, 510});
  site.OwnerForm = "DesignerForm";
  EXPECT_FALSE(site.DockOver("OtherForm", 200, 90));
  ASSERT_TRUE(site.DockOver("DesignerForm", 200, 90));
  int controlSize = 40;
  ASSERT_TRUE(site.DockDrop("DesignerForm", controlSize));
  EXPECT_EQ(controlSize, 90);  // the site was smaller than the control
  EXPECT_TRUE(site.SplitterVisible());
  EXPECT_EQ(site.SplitterBounds(), (gfx::TRect{0, 494, 800, 500}));
  EXPECT_FALSE(site.UnDock("OtherForm"));
  EXPECT_TRUE(site.UnDock("DesignerForm"));
  EXPECT_FALSE(site.SplitterVisible());
}

TEST(DockSite, GripCollapsesAndRestoresDragResizes) {
  struct Case {
    preview::TfrxDockAlign align;
    int dx, dy, grown;
  } cases[] = {{preview::daTop, 0, 15, 115},
               {preview::daBottom, 0, 15, 85},
               {preview::daLeft, 15, 0, 115},
               {preview::daRight, 15, 0, 85}};
  for (const Case& c : cases) {
    TfrxDockSite site("Site", c.align);
    site.SetBounds({200, 200, 300, 300});
    site.GripClick();
    EXPECT_EQ(site.Size(), 0) << c.align;
    site.GripClick();
    EXPECT_EQ(site.Size(), 100) << c.align;
    site.Drag(c.dx, c.dy);
    EXPECT_EQ(site.Size(), c.grown) << c.align;
  }
  TfrxDockSite site("Site", preview::daTop);
  EXPECT_TRUE(site.OnGrip(100, 200));
  EXPECT_TRUE(site.OnGrip(120, 200));
  EXPECT_FALSE(site.OnGrip(121, 200));
}

TEST(DockSite, GripPixels) {
  gfx::TBitmap b(100, 6);
  b.Canvas().Brush().SetColor(0x000000);
  b.Canvas().FillRect({0, 0, 100, 6});
  TfrxDockSite::PaintGrip(b.Canvas(), 100, 6, true);
  auto at = [&](int x, int y) { return gfx::ColorToRGB(b.Canvas().GetPixel(x, y)) & 0xFFFFFF; };
  EXPECT_EQ(at(36, 0), 0xC0D0D0u);  // 29 pixels from middle - 14
  EXPECT_EQ(at(64, 5), 0xC0D0D0u);
  EXPECT_EQ(at(35, 0), 0u);
  EXPECT_EQ(at(65, 0), 0u);
  for (int i = 0; i < 7; ++i) {
    const int x = 50 - 9 + 3 * i;
    EXPECT_EQ(at(x, 2), 0xFFFFFFu) << i;
    EXPECT_EQ(at(x + 1, 2), 0x808080u) << i;
    EXPECT_EQ(at(x, 3), 0x808080u) << i;
    EXPECT_EQ(at(x + 1, 3), 0x808080u) << i;
  }
}

}  // namespace preview_test
