// The preview window on a built report, offscreen: the first page, page
// width, the thumbnail strip and a found word, each grabbed into a PNG beside
// the test program (checked here for size and for what changed between them;
// look at them by eye when the window changes), and the zoom and page boxes
// with text that is no number.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/gui/application.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/menus.h"
#include "platform/gui/simulate.h"
#include "preview/vuzPreviewForm_gui.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClass.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzRes.h"
#include "tests/preview/log_report.h"

namespace preview_test {

using rtl::operator""_cp;

namespace {
struct Started {
  Started() {
    report::ReportClassesStartup();
    report::vuzClassRTTIStartup();
    preview::vuzPreviewStartup();
    preview::vuzPreviewGuiStartup();
  }
  ~Started() {
    report::vuzReportHooks().CreatePreviewForm = nullptr;
    preview::vuzPreviewShutdown();
    report::vuzClassRTTIShutdown();
    report::ReportClassesShutdown();
  }
};

preview::TfrxPreviewForm* OpenPreview() {
  for (int i = 0; i < gui::Screen->FormCount(); ++i)
    if (auto* f = preview::vuzPreviewFormOf(gui::Screen->Forms(i))) return f;
  return nullptr;
}

void Pump() {
  for (int i = 0; i < 20; ++i) gui::Application->ProcessMessages();
}

// How many pixels two grabs of the same size differ in.
long Differing(const gui::TGrabbedImage& a, const gui::TGrabbedImage& b) {
  if (a.Width != b.Width || a.Height != b.Height) return -1;
  long n = 0;
  for (std::size_t i = 0; i < a.Pixels.size() && i < b.Pixels.size(); ++i) n += a.Pixels[i] != b.Pixels[i];
  return n;
}
}  // namespace

TEST(PreviewWindow, ShowsBrowsesZoomsAndFinds) {
  Started started;
  LogReport log(2'000);  // about 33 pages
  report::TfrxReport& report = log.Report();
  report.PreviewOptions()->Modal = false;
  report.PreviewOptions()->Maximized = false;
  ASSERT_TRUE(report.PrepareReport(true));
  report.ShowPreparedReport();
  preview::TfrxPreviewForm* form = OpenPreview();
  ASSERT_NE(form, nullptr);
  gui::TForm& window = preview::vuzPreviewFormWindow(*form);
  preview::TfrxPreview& control = preview::vuzPreviewFormControl(*form);
  Pump();
  const int pages = control.PageCount();
  ASSERT_GT(pages, 20);
  EXPECT_EQ(preview::vuzPreviewFormStatus(*form), "Страница 1 из "_cp + std::to_string(pages));

  gui::TControl& area = preview::vuzPreviewFormPages(*form);
  ASSERT_TRUE(gui::GrabToPng(window, "preview_first_page.png"));
  const gui::TGrabbedImage first = gui::GrabImage(area);

  control.SetZoomMode(report::zmPageWidth);
  Pump();
  EXPECT_NE(preview::vuzPreviewFormZoomText(*form), "100%");
  ASSERT_TRUE(gui::GrabToPng(window, "preview_page_width.png"));
  EXPECT_GT(Differing(first, gui::GrabImage(area)), 1000);

  preview::vuzPreviewFormShowThumbnails(*form, true);
  Pump();
  EXPECT_TRUE(preview::vuzPreviewFormThumbnails(*form).Visible());
  ASSERT_TRUE(gui::GrabToPng(window, "preview_thumbnails.png"));

  // Searching from the first page for the last page's footer.
  const AnsiString last = "Страница "_cp + std::to_string(pages) + " из "_cp;
  control.First();
  const auto before = gui::GrabImage(area);
  ASSERT_TRUE(control.FindText(last, true, false));
  EXPECT_EQ(control.SearchPage(), pages - 1);
  Pump();
  ASSERT_TRUE(gui::GrabToPng(window, "preview_found.png"));
  EXPECT_GT(Differing(before, gui::GrabImage(area)), 100);

  // Text that is no number leaves both boxes as they were.
  control.SetZoom(1.5L);
  preview::vuzPreviewFormEnterZoom(*form, "abc");
  EXPECT_EQ(preview::vuzPreviewFormZoomText(*form), "150%");
  preview::vuzPreviewFormEnterZoom(*form, "50%");
  EXPECT_EQ(control.Zoom(), 0.5L);
  control.SetPageNo(3);
  preview::vuzPreviewFormEnterPage(*form, "");
  EXPECT_EQ(preview::vuzPreviewFormPageText(*form), "3");
  preview::vuzPreviewFormEnterPage(*form, "7");
  EXPECT_EQ(control.PageNo(), 7);

  window.Close();  // a modeless preview frees itself
  Pump();
  EXPECT_EQ(OpenPreview(), nullptr);
}

namespace {
class FailingFilter : public report::TfrxCustomExportFilter {
 public:
  FailingFilter() : report::TfrxCustomExportFilter(nullptr) { ShowDialog = false; }
  AnsiString GetDescription() const override { return "Failing"; }
  bool Start() override { throw rtl::Exception("disk full"); }
};
}  // namespace

// An export that fails raises to the application, and the window is usable
// again: nothing locked, the actions enabled.
TEST(PreviewWindow, AFailedExportLeavesTheWindowUsable) {
  Started started;
  FailingFilter filter;
  LogReport log(200);
  report::TfrxReport& report = log.Report();
  report.PreviewOptions()->Modal = false;
  report.EngineOptions()->NewSilentMode = report::simReThrow;
  ASSERT_TRUE(report.PrepareReport(true));
  report.ShowPreparedReport();
  preview::TfrxPreviewForm* form = OpenPreview();
  ASSERT_NE(form, nullptr);
  Pump();
  gui::TPopupMenu& menu = preview::vuzPreviewFormRightMenu(*form);
  gui::TMenuItem* exportItem = nullptr;
  gui::TMenuItem* printItem = nullptr;
  for (int i = 0; i < menu.Items()->Count(); ++i) {
    gui::TMenuItem* item = menu.Items()->Items(i);
    if (item->Caption() == report::vuzGet(108)) exportItem = item;
    if (item->Caption() == report::vuzGet(102)) printItem = item;
  }
  ASSERT_NE(exportItem, nullptr);
  ASSERT_NE(printItem, nullptr);
  gui::TMenuItem* failing = nullptr;
  for (int i = 0; i < exportItem->Count(); ++i)
    if (exportItem->Items(i)->Caption() == "Failing...") failing = exportItem->Items(i);
  ASSERT_NE(failing, nullptr);
  EXPECT_THROW(failing->Click(), rtl::Exception);
  preview::TfrxPreview& control = preview::vuzPreviewFormControl(*form);
  EXPECT_FALSE(control.MainWorkspace().Locked);
  EXPECT_TRUE(printItem->Enabled());
  preview::vuzPreviewFormWindow(*form).Close();
  Pump();
}

// F11 enters and leaves full screen; the outline tree and the thumbnail
// strip share the left side, one at a time.
TEST(PreviewWindow, FullScreenAndTheLeftSide) {
  Started started;
  LogReport log(200);
  report::TfrxReport& report = log.Report();
  report.PreviewOptions()->Modal = false;
  ASSERT_TRUE(report.PrepareReport(true));
  report.ShowPreparedReport();
  preview::TfrxPreviewForm* form = OpenPreview();
  ASSERT_NE(form, nullptr);
  gui::TForm& window = preview::vuzPreviewFormWindow(*form);
  Pump();
  gui::simulate::PressKey(preview::vuzPreviewFormPages(*form), gui::VK_F11);
  Pump();
  EXPECT_TRUE(preview::vuzPreviewFormFullScreen(*form));
  EXPECT_EQ(window.BorderStyle(), gui::bsNone);
  gui::simulate::PressKey(preview::vuzPreviewFormPages(*form), gui::VK_F11);
  Pump();
  EXPECT_FALSE(preview::vuzPreviewFormFullScreen(*form));
  EXPECT_NE(window.BorderStyle(), gui::bsNone);

  preview::vuzPreviewFormShowOutline(*form, true);
  EXPECT_TRUE(preview::vuzPreviewFormOutline(*form).Visible());
  preview::vuzPreviewFormShowThumbnails(*form, true);
  EXPECT_TRUE(preview::vuzPreviewFormThumbnails(*form).Visible());
  EXPECT_FALSE(preview::vuzPreviewFormOutline(*form).Visible());
  window.Close();
  Pump();
}

}  // namespace preview_test
