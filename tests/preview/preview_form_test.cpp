// The preview window's decisions: buttons shown and enabled, the export
// menu, the zoom and page boxes and the status text.
#include <gtest/gtest.h>

#include "preview/vuzPreviewFormModel.h"
#include "report/vuzClassServices.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzRes.h"

namespace preview_test {

using namespace preview;
using rtl::operator""_cp;

namespace {
report::TfrxPreviewButtons Set(std::initializer_list<report::TfrxPreviewButton> buttons) {
  report::TfrxPreviewButtons b = 0;
  for (auto x : buttons) b |= 1u << x;
  return b;
}

class DescribedFilter : public report::TfrxCustomExportFilter {
 public:
  explicit DescribedFilter(AnsiString description) : description_(std::move(description)) {
    report::vuzExportFilters().Register(this);
  }
  ~DescribedFilter() override { report::vuzExportFilters().Unregister(this); }
  AnsiString GetDescription() const override { return description_; }

 private:
  AnsiString description_;
};
}  // namespace

// The buttons of this program's templates, and a few others.
TEST(PreviewForm, VisibilityTable) {
  using namespace report;
  const auto templates = Set({pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbPageSetup, pbTools, pbNavigator});
  TfrxToolbarState s = vuzToolbarVisibility(templates, true, true, true);
  for (TfrxPreviewTool shown :
       {tbPrint, tbOpen, tbSave, tbExport, tbFind, tbSep1, tbZoomPlus, tbZoomBox, tbZoomMinus, tbFullScreen, tbSep2,
        tbPageSettings, tbSep5, tbFirst, tbPrior, tbPageBox, tbNext, tbLast, tbClose})
    EXPECT_TRUE(s.Visible[shown]) << shown;
  for (TfrxPreviewTool hidden : {tbPdf, tbEmail, tbOutline, tbThumbnails, tbDesigner})
    EXPECT_FALSE(s.Visible[hidden]) << hidden;

  s = vuzToolbarVisibility(Set({pbExport, pbZoom, pbNoFullScreen, pbNoClose}), false, false, false);
  EXPECT_FALSE(s.Visible[tbExport]);  // no filter registered
  EXPECT_TRUE(s.Visible[tbZoomBox]);
  EXPECT_FALSE(s.Visible[tbFullScreen]);
  EXPECT_FALSE(s.Visible[tbClose]);
  EXPECT_FALSE(s.Visible[tbSep2]);

  s = vuzToolbarVisibility(Set({pbExportQuick, pbNoEmail, pbEdit}), true, true, true);
  EXPECT_TRUE(s.Visible[tbPdf]);
  EXPECT_FALSE(s.Visible[tbEmail]);
  EXPECT_TRUE(s.Visible[tbSep2]);

  vuzToolbarEnabling(s, true, 10, true);
  EXPECT_FALSE(s.Enabled[tbPrint]);
  EXPECT_FALSE(s.Enabled[tbDesigner]);
  EXPECT_TRUE(s.Enabled[tbNext]);
  vuzToolbarEnabling(s, false, 0, true);
  EXPECT_FALSE(s.Enabled[tbSave]);
  EXPECT_TRUE(s.Enabled[tbDesigner]);
  vuzToolbarEnabling(s, false, 3, false);
  EXPECT_TRUE(s.Enabled[tbExport]);
  EXPECT_FALSE(s.Enabled[tbDesigner]);
}

TEST(PreviewForm, ExportMenuListsTheRegisteredFilters) {
  const int before = report::vuzExportFilters().Count();
  DescribedFilter pdf("Документ PDF"_cp), text("Текстовый файл (prn)"_cp), html("Документ HTML (табличный)"_cp);
  std::vector<TfrxExportMenuItem> menu = vuzExportMenu(&text);
  ASSERT_EQ(menu.size(), static_cast<std::size_t>(before + 2));
  EXPECT_EQ(menu[static_cast<std::size_t>(before)].Caption, "Документ PDF..."_cp);
  EXPECT_EQ(menu[static_cast<std::size_t>(before) + 1].Caption, "Документ HTML (табличный)..."_cp);
  EXPECT_EQ(menu[static_cast<std::size_t>(before) + 1].Index, before + 2);
}

TEST(PreviewForm, ZoomBox) {
  const std::vector<AnsiString> items = vuzZoomItems();
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[6], report::vuzResources().Get("zmPageWidth"));
  EXPECT_EQ(vuzZoomText(1.5L), "150%");
  EXPECT_EQ(vuzZoomText(0.254L), "25%");
  struct Case {
    int index;
    const char* text;
    bool valid, mode;
    long double zoom;
  } cases[] = {{3, "100%", true, false, 1},    {-1, " 1 25 %", true, false, 1.25L}, {-1, "", false, false, 0},
               {-1, "%", false, false, 0},     {-1, "big", false, false, 0},        {-1, "80,5", true, false, 0.805L},
               {6, "whatever", true, true, 0}, {-1, "-50", false, false, 0}};
  for (const Case& c : cases) {
    const auto choice = vuzZoomBoxChoice(c.index, c.text);
    ASSERT_EQ(choice.has_value(), c.valid) << c.text;
    if (!choice) continue;
    EXPECT_EQ(choice->IsMode, c.mode) << c.text;
    if (!c.mode) {
      EXPECT_NEAR(static_cast<double>(choice->Zoom), static_cast<double>(c.zoom), 1e-12) << c.text;
    }
  }
  EXPECT_EQ(vuzZoomBoxChoice(7, "")->Mode, report::zmWholePage);
}

TEST(PreviewForm, PageBoxAndStatus) {
  EXPECT_EQ(vuzPageBoxNumber("12"), 12);
  EXPECT_FALSE(vuzPageBoxNumber(""));
  EXPECT_FALSE(vuzPageBoxNumber("1x"));
  EXPECT_FALSE(vuzPageBoxNumber("99999999999"));
  EXPECT_EQ(vuzPageStatusText(3, 350, false), "Страница 3 из 350"_cp);
  EXPECT_EQ(vuzPageStatusText(1, 40, true), report::vuzResources().Get("clFirstPass") + " 40");
}

// The right-click menu with this program's buttons: print, open, save,
// export, find, a line, zoom in, zoom out, full screen; the walk stops at
// the second separator.
TEST(PreviewForm, RightMenuFollowsTheVisibleButtons) {
  using namespace report;
  const auto templates = Set({pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbPageSetup, pbTools, pbNavigator});
  EXPECT_EQ(vuzRightMenuTools(vuzToolbarVisibility(templates, true, false, false)),
            (std::vector<int>{tbPrint, tbOpen, tbSave, tbExport, tbFind, kMenuSeparator, tbZoomPlus, tbZoomMinus,
                              tbFullScreen}));
  // Without zoom and export: no zoom items, the line stays.
  EXPECT_EQ(vuzRightMenuTools(vuzToolbarVisibility(Set({pbPrint, pbOutline}), true, false, false)),
            (std::vector<int>{tbPrint, kMenuSeparator}));
  // The PDF button shows with quick export.
  EXPECT_EQ(vuzRightMenuTools(vuzToolbarVisibility(Set({pbExport, pbExportQuick}), true, true, false)),
            (std::vector<int>{tbExport, tbPdf, kMenuSeparator}));
}

}  // namespace preview_test
