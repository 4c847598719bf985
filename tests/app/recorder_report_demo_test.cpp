// The recorder report of each demo process (3, 4 and 5 channels), prepared
// as zarnik-report prepares it, checked against the main window showing the
// same process: the title against the list row, and every data row against
// the text "Скопировать таблицу данных в буфер обмена" puts on the clipboard
// (an independent path through the program). Page 1 and the last page are
// drawn through DrawPage and compared with the kept PNG pictures.
//
// The pictures in tests/app/data/recorder_report_*.png were written with
// ZARNIK_WRITE_REFERENCE=1 and looked at by eye once: the title with the
// report date 11.12.2026, the chart with its five curves and axes, the
// framed two-column table, "- n -" at the foot of each page but the first
// of the 3-channel report. ImageMagick's compare reads them back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "platform/gfx/bitmap.h"
#include "platform/gui/clipboard.h"
#include "platform/rtl/datetime.h"
#include "report/frxpngimage.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassReport.h"
#include "tests/app/form_fixture.h"
#include "tests/support/external_tools.h"

using namespace rtl::literals;
using rtl::AnsiString;

namespace {

rtl::TDateTime ReportDay() { return rtl::EncodeDate(2026, 12, 11) + 0.5; }

std::vector<AnsiString> Split(const AnsiString& text, const AnsiString& separator) {
  std::vector<AnsiString> parts;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find(separator, at)) != AnsiString::npos; at = end + separator.size())
    parts.push_back(text.substr(at, end - at));
  parts.push_back(text.substr(at));
  return parts;
}

AnsiString Trimmed(AnsiString s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

// The texts of one prepared page: each band's memos in order, by band class.
struct PageTexts {
  std::vector<std::vector<AnsiString>> rows;  // master data rows
  std::vector<AnsiString> title, footer;
};

PageTexts TextsOf(report::TfrxComponent* page) {
  PageTexts t;
  for (report::TfrxComponent* band : page->Objects()) {
    std::vector<AnsiString> memos;
    for (report::TfrxComponent* o : band->Objects())
      if (auto* m = dynamic_cast<report::TfrxMemoView*>(o)) memos.push_back(Trimmed(m->AnsiText()));
    if (band->ClassName() == "TfrxMasterData") t.rows.push_back(memos);
    if (band->ClassName() == "TfrxReportTitle") t.title = memos;
    if (band->ClassName() == "TfrxPageFooter") t.footer = memos;
  }
  return t;
}

// What each template's data memos show of a table row's cells.
std::vector<AnsiString> PrintedRow(app::TRecorderTemplate t, const std::vector<AnsiString>& cells) {
  switch (t) {
    case app::TRecorderTemplate::Report1: return {cells[0], cells[1], cells[2], cells[3], cells[4]};
    case app::TRecorderTemplate::Report2: return {cells[0] + ", " + cells[1], cells[2], cells[3], cells[4], cells[5]};
    case app::TRecorderTemplate::Report3: break;
  }
  return {cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]};
}

class RecorderReportDemo : public apptest::FormFixture {
 protected:
  RecorderReportDemo() { oldNow_ = rtl::SetNowSource(&ReportDay); }
  ~RecorderReportDemo() override { rtl::SetNowSource(oldNow_); }
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
    Create();
    FirstTick();
    ASSERT_EQ(DataFiles().size(), 3u);
    form->SetBounds(0, 0, 800, 600);
    form->Show();
    form->FormResize(form.get());
  }
  // Page index drawn at 96 dpi on white, as the preview draws it at 100 %.
  void CheckPicture(report::TfrxCustomPreviewPages& pages, int index, const std::string& name) {
    const report::TfrxPoint size = pages.GetPageSize(index);
    gfx::TBitmap drawn(int(size.X), int(size.Y));
    drawn.Canvas().Brush().SetColor(gfx::clWhite);
    drawn.Canvas().FillRect(gfx::Rect(0, 0, drawn.Width(), drawn.Height()));
    pages.DrawPage(index, drawn.Canvas(), 1, 1, 0, 0);
    report::TPNGObject png;
    png.Assign(drawn);
    const std::string kept = std::string(ZARNIK_APP_TEST_DATA) + "/" + name;
    if (std::getenv("ZARNIK_WRITE_REFERENCE")) png.SaveToFile(kept);
    if (!support::IsProgram("/usr/bin/compare")) GTEST_SKIP() << "needs ImageMagick's compare";
    const std::string now = (folder / name).string();
    png.SaveToFile(now);
    // Pixels that differ by more than a quarter of the range (glyph edges
    // may differ a little between FreeType versions).
    const std::string out =
        support::CommandOutput("/usr/bin/compare -metric AE -fuzz 25% '" + kept + "' '" + now + "' null: 2>&1");
    const long differing = std::atol(out.c_str());
    EXPECT_LE(differing, long(size.X * size.Y / 200)) << name << ": " << out;
  }

 private:
  rtl::NowSource oldNow_ = nullptr;
};

TEST_F(RecorderReportDemo, EachDemoProcessPrintsItsListRowAndDataTable) {
  app::TReportEngineStartup engine;
  struct Case {
    int row, channels, points;
    app::TRecorderTemplate t;
    int pages;
    const char* picture;
  } cases[] = {
      {1, 3, 577, app::TRecorderTemplate::Report1, 7, "recorder_report_3ch"},
      {2, 4, 289, app::TRecorderTemplate::Report2, 4, "recorder_report_4ch"},
      {3, 5, 145, app::TRecorderTemplate::Report3, 2, "recorder_report_5ch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    form->StringGridProcessList->SetRow(c.row);
    form->ShowProcess();
    gui::Clipboard().Clear();
    form->ACopyData->Execute();
    std::vector<AnsiString> lines = Split(gui::Clipboard().AsText(), "\r\n");
    ASSERT_EQ(lines.back(), "");
    lines.pop_back();
    ASSERT_EQ(int(lines.size()), c.points + 1) << "captions and one line per point";

    const AnsiString name = app::FileNameFromCells(Cell(0, c.row), Cell(1, c.row));
    app::TShownProcess process;
    ASSERT_EQ(app::LoadShownProcess(DataFile(name).string(), {}, process), app::TProcessLoadResult::Loaded);
    app::TShownProcessSource source(process, {});
    app::TRecorderReport rr(source, source.TableColCount());
    EXPECT_EQ(rr.Template(), c.t);
    rr.Report().SetShowProgress(false);
    ASSERT_TRUE(rr.Prepare()) << rr.Report().Errors().Text();
    report::TfrxCustomPreviewPages& pages = *rr.Report().PreviewPages();
    ASSERT_EQ(pages.GetCount(), c.pages);

    // Page 1: the title from the list row, as the window lists the process.
    const PageTexts first = TextsOf(pages.GetPage(0));
    ASSERT_EQ(first.title.size(), 4u);
    EXPECT_EQ(first.title[0], "Велдор. Отчет о процессе регистрации. 11.12.2026"_cp);
    EXPECT_EQ(first.title[1], "Дата и время "_cp + Cell(0, c.row) + ", " + Cell(1, c.row));
    EXPECT_EQ(first.title[2], "Длительность "_cp + Cell(2, c.row));
    EXPECT_EQ(first.title[3], "Отсчетов: "_cp + Cell(4, c.row));
    const bool footerOnFirst = c.t != app::TRecorderTemplate::Report1;
    EXPECT_EQ(first.footer, footerOnFirst ? std::vector<AnsiString>{"- 1 -"} : std::vector<AnsiString>{});

    // Every page: its number at the foot; every row: the table's texts.
    std::vector<std::vector<AnsiString>> printed;
    for (int i = 0; i < pages.GetCount(); ++i) {
      const PageTexts t = TextsOf(pages.GetPage(i));
      if (i > 0) {
        EXPECT_TRUE(t.title.empty());
        EXPECT_EQ(t.footer, std::vector<AnsiString>{"- " + std::to_string(i + 1) + " -"});
      }
      EXPECT_FALSE(t.rows.empty()) << "page " << i + 1;
      printed.insert(printed.end(), t.rows.begin(), t.rows.end());
    }
    ASSERT_EQ(int(printed.size()), c.points);
    for (int k = 0; k < c.points; ++k) {
      const std::vector<AnsiString> cells = Split(lines[std::size_t(k) + 1], "\t");
      ASSERT_EQ(int(cells.size()), app::DataColumnCount(c.channels));
      ASSERT_EQ(printed[std::size_t(k)], PrintedRow(c.t, cells)) << "point " << k + 1;
    }

    CheckPicture(pages, 0, std::string(c.picture) + "_page1.png");
    CheckPicture(pages, pages.GetCount() - 1, std::string(c.picture) + "_last.png");
  }
}

}  // namespace
