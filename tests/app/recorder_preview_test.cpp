// The recorder report of the largest process (over 200 pages) in the real
// preview window, driven as a user drives it: the first page, page width
// zoom, the thumbnail strip and a word found on the last page from the
// first, each grabbed. The page area is drawn by our own canvas, so its
// grabs are compared with the pictures kept in tests/app/data/preview_*.png
// (written with ZARNIK_WRITE_REFERENCE=1 under Xvfb and looked at by eye:
// the report's title and chart on page 1 at 100 %, the same page filling
// the width, the strip of numbered pages, the page footer of the last page
// inverted where it was found; ImageMagick's compare reads them back). The
// whole window goes into PNG files beside the test program. The Export menu
// lists the filters the program registers, and the print dialog opens from
// the print button. ctest runs these offscreen and again under Xvfb.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/menus.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/datetime.h"
#include "preview/vuzPreviewFormModel.h"
#include "preview/vuzPreviewForm_gui.h"
#include "preview/vuzPrinter.h"
#include "report/frxpngimage.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"
#include "tests/support/external_tools.h"
#include "tests/support/process_files.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/watchdog.h"

using namespace rtl::literals;
using rtl::AnsiString;

namespace {

rtl::TDateTime ReportDay() { return rtl::EncodeDate(2026, 12, 11) + 0.5; }

void Pump() {
  for (int i = 0; i < 20; ++i) gui::Application->ProcessMessages();
}

preview::TfrxPreviewForm* OpenPreview() {
  for (int i = 0; i < gui::Screen->FormCount(); ++i)
    if (auto* f = preview::vuzPreviewFormOf(gui::Screen->Forms(i))) return f;
  return nullptr;
}

class RecorderPreview : public ::testing::Test {
 protected:
  RecorderPreview() { oldNow_ = rtl::SetNowSource(&ReportDay); }
  ~RecorderPreview() override {
    report::vuzReportHooks().CreatePreviewForm = nullptr;
    preview::vuzPrintDialogHandler() = nullptr;
    rtl::SetNowSource(oldNow_);
  }

  // A grab of part of the window against its kept picture.
  void Check(gui::TControl& control, const std::string& name) {
    gfx::TBitmap bitmap(1, 1);
    gui::GrabToBitmap(control, bitmap);
    report::TPNGObject png;
    png.Assign(bitmap);
    const std::string kept = std::string(ZARNIK_APP_TEST_DATA) + "/" + name;
    if (std::getenv("ZARNIK_WRITE_REFERENCE")) png.SaveToFile(kept);
    const std::string now = folder_.File(name);
    png.SaveToFile(now);
    if (!support::IsProgram("/usr/bin/compare")) GTEST_SKIP() << "needs ImageMagick's compare";
    const std::string out =
        support::CommandOutput("/usr/bin/compare -metric AE -fuzz 25% '" + kept + "' '" + now + "' null: 2>&1");
    EXPECT_LE(std::atol(out.c_str()), long(bitmap.Width()) * bitmap.Height() / 200) << name << ": " << out;
  }

  support::ScratchFolder folder_{"recorder-preview-"};

 private:
  rtl::NowSource oldNow_ = nullptr;
};

}  // namespace

TEST_F(RecorderPreview, ShowsBrowsesZoomsFindsAndOffersTheExports) {
  support::Watchdog watchdog(std::chrono::minutes(3));
  app::TReportEngineStartup engine;
  preview::vuzPreviewGuiStartup();
  support::ProcessFileSpec spec;
  spec.points = support::kLargestProcessPoints;
  spec.period = 1;
  spec.start = {2026, 12, 1, 8, 0};
  const std::string file = support::WriteProcessFile(folder_.Path(), spec);
  app::TShownProcess process;
  ASSERT_EQ(app::LoadShownProcess(file, {}, process), app::TProcessLoadResult::Loaded);
  app::TShownProcessSource source(process, {});
  app::TRecorderReport rr(source, source.TableColCount());
  report::TfrxReport& report = rr.Report();
  report.SetShowProgress(false);
  report.PreviewOptions()->Modal = false;
  report.PreviewOptions()->Maximized = false;
  ASSERT_TRUE(rr.Prepare()) << report.Errors().Text();

  report.ShowPreparedReport();
  preview::TfrxPreviewForm* form = OpenPreview();
  ASSERT_NE(form, nullptr);
  gui::TForm& window = preview::vuzPreviewFormWindow(*form);
  window.SetClientWidth(803);
  window.SetClientHeight(584);
  preview::TfrxPreview& control = preview::vuzPreviewFormControl(*form);
  Pump();
  const int pages = control.PageCount();
  EXPECT_GE(pages, 200);
  EXPECT_EQ(preview::vuzPreviewFormStatus(*form), "Страница 1 из "_cp + std::to_string(pages));
  gui::TControl& area = preview::vuzPreviewFormPages(*form);

  // The Export entry of the right-click menu carries one item per
  // registered filter, as the Export button's menu does.
  const std::vector<preview::TfrxExportMenuItem> exports = preview::vuzExportMenu();
  ASSERT_FALSE(exports.empty());
  gui::TPopupMenu& menu = preview::vuzPreviewFormRightMenu(*form);
  const gui::TMenuItem* exportItem = nullptr;
  for (int i = 0; i < menu.Items()->Count(); ++i)
    if (menu.Items()->Items(i)->Caption() == report::vuzGet(108)) exportItem = menu.Items()->Items(i);
  ASSERT_NE(exportItem, nullptr);
  ASSERT_EQ(exportItem->Count(), int(exports.size()));
  for (int i = 0; i < exportItem->Count(); ++i) {
    EXPECT_EQ(exportItem->Items(i)->Caption(), exports[std::size_t(i)].Caption);
    EXPECT_EQ(exportItem->Items(i)->Caption().substr(exportItem->Items(i)->Caption().size() - 3), "...");
  }

  ASSERT_TRUE(gui::GrabToPng(window, "recorder_preview_first_page.png"));
  Check(area, "preview_first_page.png");

  // Page width through the zoom box, as a user types it.
  preview::vuzPreviewFormEnterZoom(*form, "По ширине"_cp);
  control.SetZoomMode(report::zmPageWidth);
  Pump();
  EXPECT_NE(preview::vuzPreviewFormZoomText(*form), "100%");
  ASSERT_TRUE(gui::GrabToPng(window, "recorder_preview_page_width.png"));
  Check(area, "preview_page_width.png");
  control.SetZoom(1);

  preview::vuzPreviewFormShowThumbnails(*form, true);
  Pump();
  ASSERT_TRUE(gui::GrabToPng(window, "recorder_preview_thumbnails.png"));
  Check(preview::vuzPreviewFormThumbnails(*form), "preview_thumbnails.png");
  preview::vuzPreviewFormShowThumbnails(*form, false);
  Pump();

  // The last page's footer, searched from the first page with Ctrl+F.
  gui::DialogScript script;
  const AnsiString footer = "- " + std::to_string(pages) + " -";
  script.OnModal([&footer](gui::TForm& f) {
    dynamic_cast<gui::TEdit*>(f.FindComponent("TextE"))->SetCaption(footer);
    dynamic_cast<gui::TCheckBox*>(f.FindComponent("TopCB"))->SetChecked(true);
    f.SetModalResult(gui::mrOk);
  });
  control.First();
  gui::simulate::PressKey(area, 'F', gui::TShiftState{gui::TShiftState::ssCtrl});
  Pump();
  EXPECT_EQ(script.PendingAnswers(), 0);
  EXPECT_TRUE(control.FindTextFound());
  EXPECT_EQ(control.PageNo(), pages);
  ASSERT_TRUE(gui::GrabToPng(window, "recorder_preview_found.png"));
  Check(area, "preview_found.png");

  // The print button opens the print dialog; cancelled, nothing prints.
  if (preview::vuzPrinters().HasPhysicalPrinters()) {
    script.OnModal([](gui::TForm& f) {
      EXPECT_NE(f.FindComponent("PrintersCB"), nullptr);
      f.SetModalResult(gui::mrCancel);
    });
    EXPECT_FALSE(control.Print());
    EXPECT_EQ(script.PendingAnswers(), 0);
  }

  window.Close();
  Pump();
  EXPECT_EQ(OpenPreview(), nullptr);
}
