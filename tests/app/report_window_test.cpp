// "Печать отчета" from the main window, as a user gets it: the preview of the
// selected process opens (a grab of it is compared with the kept picture),
// every export filter of the window writes a file from that preview which an
// independent reader opens with the data table's values, the preview prints
// to the tests' private print server as one PDF job with the report's page
// count, and "Печать графика" prints the chart through the same queue.
//
// tests/app/data/report_window_preview.png was written with
// ZARNIK_WRITE_REFERENCE=1 and looked at by eye: the preview window with its
// toolbar, the first page of the 3-channel demo report (title, chart, the
// framed two-column table) and "Страница 1 из 7" in the status bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "export/biff/biffExcelStandIn.h"
#include "platform/chart/preview_dialog.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"
#include "platform/print/print_destinations.h"
#include "platform/rtl/datetime.h"
#include "preview/vuzPreviewForm_gui.h"
#include "preview/vuzPrinter.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassServices.h"
#include "report/vuzClass_gui.h"
#include "report/vuzDsgnIntf.h"
#include "tests/app/form_fixture.h"
#include "tests/platform/print/private_print_server.h"
#include "tests/support/external_tools.h"

using namespace rtl::literals;
using rtl::AnsiString;

namespace {

rtl::TDateTime ReportDay() { return rtl::EncodeDate(2026, 12, 11) + 0.5; }

// The words of a text: split at white space, a trailing comma dropped (the
// 4-channel template prints "date, time" in one cell).
std::multiset<std::string> Words(const std::string& text) {
  std::multiset<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) {
    while (!w.empty() && (w.back() == ',' || w.back() == ';')) w.pop_back();
    if (!w.empty()) words.insert(w);
  }
  return words;
}

// How many of the wanted words (with their repeats) the text lacks.
int MissingWords(const std::multiset<std::string>& wanted, const std::string& text) {
  std::multiset<std::string> have = Words(text);
  int missing = 0;
  for (const std::string& w : wanted) {
    auto at = have.find(w);
    if (at == have.end())
      ++missing;
    else
      have.erase(at);
  }
  return missing;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// The text an independent reader finds in an exported file (UTF-8), keyed
// by the filter's class; "" when the reader is missing (the caller skips).
struct TReader {
  const char* filterClass;
  const char* extension;
  const char* tool;
  const char* package;
  std::string (*read)(const std::string& file);
};

std::string PythonRead(const std::string& program, const std::string& file) {
  return support::CommandOutput("/usr/bin/python3 -c " + Quoted(program) + " " + Quoted(file) + " 2>&1");
}

// Every cell of every sheet, one a line.
std::string XlrdRead(const std::string& f) {
  return PythonRead(
      "import sys, xlrd\n"
      "book = xlrd.open_workbook(sys.argv[1])\n"
      "for sheet in book.sheets():\n"
      "  for r in range(sheet.nrows):\n"
      "    for c in range(sheet.ncols): print(sheet.cell_value(r, c))\n",
      f);
}

const TReader kReaders[] = {
    {"TfrxXLSExport", ".automation.xls", "python3", "python3-xlrd", XlrdRead},
    {"TfrxTXTExport", ".txt", "iconv", "libc-bin",
     [](const std::string& f) { return support::CommandOutput("iconv -f CP1251 -t UTF-8 " + Quoted(f)); }},
    {"TfrxODSExport", ".ods", "python3", "python3-odf",
     [](const std::string& f) {
       return PythonRead(
           "import sys\n"
           "from odf.opendocument import load\n"
           "from odf import table, teletype, text\n"
           "doc = load(sys.argv[1])\n"
           "for p in doc.spreadsheet.getElementsByType(text.P): print(teletype.extractText(p))\n",
           f);
     }},
    {"TfrxODTExport", ".odt", "python3", "python3-odf",
     [](const std::string& f) {
       return PythonRead(
           "import sys\n"
           "from odf.opendocument import load\n"
           "from odf import teletype, text\n"
           "doc = load(sys.argv[1])\n"
           "for p in doc.text.getElementsByType(text.P): print(teletype.extractText(p))\n",
           f);
     }},
    {"TfrxBIFFExport", ".xls", "python3", "python3-xlrd", XlrdRead},
    {"TfrxPDFExport", ".pdf", "pdftotext", "poppler-utils",
     [](const std::string& f) { return support::CommandOutput("pdftotext -layout " + Quoted(f) + " - 2>&1"); }},
    {"TfrxHTMLExport", ".html", "python3", "python3",
     [](const std::string& f) {
       return PythonRead(
           "import sys, html.parser\n"
           "class Text(html.parser.HTMLParser):\n"
           "  def handle_data(self, data): print(data)\n"
           "Text().feed(open(sys.argv[1], encoding=\"utf-8\").read())\n",
           f);
     }},
    {"TfrxRTFExport", ".rtf", "unrtf", "unrtf",
     [](const std::string& f) { return support::CommandOutput("unrtf --text " + Quoted(f) + " 2>/dev/null"); }},
};

const TReader* ReaderOf(const AnsiString& filterClass) {
  for (const TReader& r : kReaders)
    if (filterClass == r.filterClass) return &r;
  return nullptr;
}

preview::TfrxPreviewForm* OpenPreview() {
  for (int i = 0; i < gui::Screen->FormCount(); ++i)
    if (auto* f = preview::vuzPreviewFormOf(gui::Screen->Forms(i))) return f;
  return nullptr;
}

class ReportWindow : public apptest::FormFixture {
 protected:
  ReportWindow() { oldNow_ = rtl::SetNowSource(&ReportDay); }
  ~ReportWindow() override { rtl::SetNowSource(oldNow_); }
  void SetUp() override {
    // As the program starts: the report's GUI (its start timer) and the preview window.
    report::ReportClassesGuiStartup();
    preview::vuzPreviewGuiStartup();
    report::BiffExcelStandInStartup();  // the spreadsheet application the automation export drives
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
    Create();
    FirstTick();
    ASSERT_EQ(DataFiles().size(), 3u);
    form->SetBounds(0, 0, 800, 600);
    form->Show();
    form->FormResize(form.get());
    form->StringGridProcessList->SetRow(1);  // the 3-channel process: 577 points
    form->ShowProcess();
  }
  void TearDown() override {
    report::vuzReportHooks().CreatePreviewForm = nullptr;
    report::ReportClassesGuiShutdown();
  }

  // The data table's cells below the captions, in UTF-8.
  std::multiset<std::string> TableWords() {
    std::multiset<std::string> words;
    gui::TStringGrid& g = *form->StringGridData;
    for (int row = 1; row < g.RowCount(); ++row)
      for (int col = 0; col < g.ColCount(); ++col) {
        const std::string cell = rtl::AnsiToUtf8(g.Cells(col, row));
        if (!cell.empty()) words.insert(cell);
      }
    return words;
  }

  // Runs "Печать отчета" with what to do in the open preview; the preview is
  // closed afterwards as the user closes it, with Esc.
  void WithPreview(std::function<void(preview::TfrxPreviewForm&)> inside) {
    bool opened = false;
    dialogs.OnModal([&](gui::TForm& window) {
      preview::TfrxPreviewForm* preview = preview::vuzPreviewFormOf(&window);
      ASSERT_NE(preview, nullptr) << "the modal window is the preview";
      opened = true;
      // The report builds once the preview shows (the report's start timer).
      preview::TfrxPreview& control = preview::vuzPreviewFormControl(*preview);
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      gui::Application->ProcessMessages();
      while ((control.Building() || control.PageCount() == 0) && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        gui::Application->ProcessMessages();
      }
      for (int i = 0; i < 20; ++i) gui::Application->ProcessMessages();
      inside(*preview);
      gui::simulate::PressKey(window, gui::VK_ESCAPE);
      if (window.ModalResult() == gui::mrNone) window.Close();
    });
    form->APrintReport->Execute();
    EXPECT_TRUE(opened);
    EXPECT_EQ(OpenPreview(), nullptr) << "the preview closed";
  }

 private:
  rtl::NowSource oldNow_ = nullptr;
};

}  // namespace

TEST_F(ReportWindow, PrintReportOpensThePreviewOfTheSelectedProcess) {
  WithPreview([&](preview::TfrxPreviewForm& preview) {
    preview::TfrxPreview& control = preview::vuzPreviewFormControl(preview);
    EXPECT_EQ(control.PageCount(), 7);
    EXPECT_EQ(preview::vuzPreviewFormStatus(preview), "Страница 1 из 7"_cp);
    gui::TForm& window = preview::vuzPreviewFormWindow(preview);
    window.SetBounds(0, 0, 900, 700);
    for (int i = 0; i < 20; ++i) gui::Application->ProcessMessages();
    const std::string kept = std::string(ZARNIK_APP_TEST_DATA) + "/report_window_preview.png";
    const std::string now = (folder / "report_window_preview.png").string();
    ASSERT_TRUE(gui::GrabToPng(window, now));
    if (std::getenv("ZARNIK_WRITE_REFERENCE"))
      std::filesystem::copy_file(now, kept, std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(std::filesystem::exists(kept));
    if (!support::IsProgram("/usr/bin/compare")) GTEST_SKIP() << support::Missing("compare", "imagemagick");
    const std::string out = support::CommandOutput("/usr/bin/compare -metric AE -fuzz 25% " + Quoted(kept) + " " +
                                                   Quoted(now) + " null: 2>&1");
    EXPECT_LE(std::atol(out.c_str()), 900L * 700 / 200) << out;
  });
  // The list's last row shows a 5-channel process: its own template.
  form->StringGridProcessList->SetRow(3);
  form->ShowProcess();
  WithPreview(
      [&](preview::TfrxPreviewForm& preview) { EXPECT_EQ(preview::vuzPreviewFormControl(preview).PageCount(), 2); });
}

TEST_F(ReportWindow, NothingHappensWithAnEmptyList) {
  std::filesystem::remove_all(folder / "Data");
  std::filesystem::create_directories(folder / "Data");
  form->RefreshProcessList();
  ASSERT_TRUE(form->ProcessListEmpty());
  form->APrintReport->Execute();  // no preview opens, so no modal script is taken
  EXPECT_EQ(dialogs.PendingAnswers(), 0);
  EXPECT_EQ(OpenPreview(), nullptr);
}

TEST_F(ReportWindow, EveryExportOfTheWindowOpensInItsReaderWithTheTable) {
  // The window's filters, in the export menu's order.
  std::vector<AnsiString> classes;
  report::TfrxExportFilterCollection& filters = report::vuzExportFilters();
  for (int i = 0; i < filters.Count(); ++i) classes.push_back(filters.GetExportFilterItem(i)->Filter->ClassName());
  EXPECT_EQ(classes, (std::vector<AnsiString>{"TfrxXLSExport", "TfrxTXTExport", "TfrxODSExport", "TfrxODTExport",
                                              "TfrxBIFFExport", "TfrxPDFExport", "TfrxHTMLExport", "TfrxRTFExport"}));

  const std::multiset<std::string> table = TableWords();
  ASSERT_EQ(table.size(), 577u * 5);
  std::vector<std::pair<std::string, const TReader*>> written;
  WithPreview([&](preview::TfrxPreviewForm& preview) {
    preview::TfrxPreview& control = preview::vuzPreviewFormControl(preview);
    for (int i = 0; i < filters.Count(); ++i) {
      report::TfrxCustomExportFilter* filter = filters.GetExportFilterItem(i)->Filter;
      const TReader* reader = ReaderOf(filter->ClassName());
      // The workbook and HTML exports are read by their own tests.
      if (!reader) continue;
      const std::string file = (folder / (std::string("report") + reader->extension)).string();
      filter->ShowDialog = false;
      filter->FileName = rtl::FromNativePath(file);
      EXPECT_TRUE(control.Export(filter)) << filter->ClassName();
      written.emplace_back(file, reader);
    }
  });
  for (const auto& [file, reader] : written) {
    SCOPED_TRACE(file);
    ASSERT_TRUE(std::filesystem::exists(file));
    if (support::FindTool(reader->tool).empty()) {
      ADD_FAILURE() << support::Missing(reader->tool, reader->package);
      continue;
    }
    const std::string text = reader->read(file);
    EXPECT_EQ(MissingWords(table, text), 0) << text.substr(0, 2000);
  }
}

TEST_F(ReportWindow, PrintsTheReportAndTheChartOnThePrivateQueue) {
  PrivatePrintServer server;
  if (!server.Available()) GTEST_SKIP() << server.Reason();
  for (const char* tool : {"qpdf", "pdfinfo"})
    if (support::FindTool(tool).empty()) GTEST_SKIP() << support::Missing(tool, "qpdf / poppler-utils");
  print::SetServer(server.Server());
  preview::vuzResetPrinters();
  struct Restore {
    ~Restore() {
      preview::vuzResetPrinters();
      print::SetServer("");
      chart::SetChartPrintSink(nullptr);
    }
  } restore;
  preview::vuzPrinters().SetPrinterIndex(preview::vuzPrinters().IndexOf(PrivatePrintServer::kQueue));
  auto pages = [&](const std::string& pdf) {
    EXPECT_NE(PrivatePrintServer::Run("qpdf --check " + pdf + " 2>&1").find("No syntax or stream encoding errors"),
              std::string::npos);
    const std::string info = PrivatePrintServer::Run("pdfinfo " + pdf + " 2>&1");
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
  };

  for (report::TfrxReport* r : {form->vuzReport1, form->vuzReport2, form->vuzReport3}) {
    r->PrintOptions()->ShowDialog = false;
    r->PrintOptions()->Printer = PrivatePrintServer::kQueue;
  }
  WithPreview([&](preview::TfrxPreviewForm& preview) { EXPECT_TRUE(preview::vuzPreviewFormControl(preview).Print()); });
  ASSERT_TRUE(server.WaitForJobs()) << server.ErrorLog();
  EXPECT_EQ(pages(server.OutputFile()), 7);
  std::filesystem::remove(server.OutputFile());

  app::TForm1::UseReportPrinterForCharts();
  dialogs.OnModal([](gui::TForm& window) {
    // The chart's preview: its "Печать" button prints and closes it.
    for (int i = 0; i < window.ControlCount(); ++i)
      if (auto* b = dynamic_cast<gui::TButton*>(window.Controls(i)); b && b->Caption() == "Печать"_cp)
        gui::simulate::Click(*b, 4, 4);
    if (window.ModalResult() == gui::mrNone) window.Close();
  });
  form->APrintGraph->Execute();
  ASSERT_TRUE(server.WaitForJobs()) << server.ErrorLog();
  EXPECT_EQ(pages(server.OutputFile()), 1);
  EXPECT_EQ(dialogs.MessageBoxes().size(), 0u) << "no refusal was told";
}
