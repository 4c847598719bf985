// The workbook export filter: its setters and their messages, the stored
// settings of the program's filter, the options dialog's values, the three
// groupings (chunks of an exact multiple included), the draft pool against
// the serial conversion, encryption, and failed exports that leave no file.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/biff/vuzExportBIFF.h"
#include "export/biff/vuzExportBIFFDialog.h"
#include "export/pdf_fixture.h"
#include "app/RecorderExportFilters.h"
#include "platform/rtl/files.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzRes.h"
#include "tests/export/biff/cancel_progress.h"
#include "tests/export/biff/xls_dump.h"

namespace {

using namespace report;
namespace fs = std::filesystem;

std::string Message(const std::function<void()>& action) {
  try {
    action();
  } catch (const rtl::Exception& e) {
    return rtl::AnsiToUtf8(e.Message());
  }
  return "no error";
}

TEST(BiffExport, SettersRefuseWhatTheWorkbookCannotTake) {
  export_test::PdfScope scope;
  TfrxBIFFExport f;
  const WideString p255(255, u'p'), p256(256, u'p');
  const struct {
    const char* what;
    std::function<void()> action;
    std::string message;
  } cases[] = {
      {"scale 0", [&] { f.SetRowHeightScale(0); }, "RowHeightScale must be positive"},
      {"scale -1", [&] { f.SetRowHeightScale(-1); }, "RowHeightScale must be positive"},
      {"scale 0.5", [&] { f.SetRowHeightScale(0.5L); }, "no error"},
      {"chunk -1", [&] { f.SetChunkSize(-1); }, "Размер блока должен быть положительным целым числом."},
      {"chunk 0", [&] { f.SetChunkSize(0); }, "no error"},
      {"password 255", [&] { f.SetPassword(p255); }, "no error"},
      {"password 256", [&] { f.SetPassword(p256); },
       "Попытка установить пароль длиной 256 символов. Максимальная длина пароля равна 255 символов."},
      {"pages 65", [&] { f.SetParallelPages(65); }, "Invalid value of ParallelPages property: 65"},
      {"pages -1", [&] { f.SetParallelPages(-1); }, "Invalid value of ParallelPages property: -1"},
      {"pages 64", [&] { f.SetParallelPages(64); }, "no error"},
      {"pages 0", [&] { f.SetParallelPages(0); }, "no error"},
  };
  for (const auto& c : cases) EXPECT_EQ(Message(c.action), c.message) << c.what;
  EXPECT_EQ(f.Password(), p255);  // the refused one left the last good one
  EXPECT_EQ(f.RowHeightScale(), 0.5L);
  // The same through the stored properties.
  EXPECT_EQ(Message([&] { rtl::SetPropValue(f, "ParallelPages", rtl::Variant(65)); }),
            "Invalid value of ParallelPages property: 65");
  EXPECT_EQ(f.DefaultExt, ".xls");
  EXPECT_EQ(rtl::AnsiToUtf8(f.GetDescription()), "Документ Excel 97/2000/XP");

  const struct {
    int pages, chunk;
    bool single, pool;
  } pools[] = {{0, 0, false, false}, {1, 0, false, true}, {4, 0, true, false}, {4, 10, false, false}};
  for (const auto& c : pools) {
    TfrxBIFFExport g;
    g.SetParallelPages(c.pages);
    g.SetChunkSize(c.chunk);
    g.SingleSheet = c.single;
    EXPECT_EQ(g.UseParallelPages(), c.pool) << c.pages << " " << c.chunk << " " << c.single;
  }
}

TEST(BiffExport, TheProgramsFilterAndItsStoredSettings) {
  export_test::PdfScope scope;
  rtl::TComponent mainWindow(nullptr);
  app::CreateRecorderExportFilters(&mainWindow);
  std::vector<std::string> classes;
  TfrxBIFFExport* biff = nullptr;
  for (int i = 0; i < vuzExportFilters().Count(); ++i) {
    TfrxCustomExportFilter* filter = vuzExportFilters().GetExportFilterItem(i)->Filter;
    classes.push_back(filter->ClassName());
    if (auto* b = dynamic_cast<TfrxBIFFExport*>(filter)) biff = b;
  }
  ASSERT_NE(biff, nullptr);
  // Fifth in the program's menu: after the two OpenDocument filters, before PDF.
  const auto at = std::find(classes.begin(), classes.end(), "TfrxBIFFExport");
  ASSERT_NE(at, classes.begin());
  EXPECT_EQ(*(at - 1), "TfrxODTExport");
  ASSERT_NE(at + 1, classes.end());
  EXPECT_EQ(*(at + 1), "TfrxPDFExport");
  EXPECT_TRUE(biff->UseFileCache);
  EXPECT_TRUE(biff->ShowProgress);
  EXPECT_FALSE(biff->OverwritePrompt);
  EXPECT_FALSE(biff->DataOnly);
  EXPECT_EQ(biff->RowHeightScale(), 1);
  EXPECT_EQ(biff->ChunkSize(), 0);
  EXPECT_EQ(biff->Inaccuracy, 10);
  EXPECT_FALSE(biff->FitPages);
  EXPECT_TRUE(biff->Pictures);
  EXPECT_EQ(biff->ParallelPages(), 0);
  EXPECT_FALSE(biff->UseParallelPages());
  EXPECT_TRUE(biff->GridLines);
  EXPECT_TRUE(biff->ExportFormulas);
  EXPECT_FALSE(biff->SingleSheet);
  EXPECT_FALSE(biff->OpenAfterExport);
}

TEST(BiffExport, DialogValues) {
  export_test::PdfScope scope;
  TfrxBIFFExport f;
  f.Inaccuracy = 2;
  f.SetChunkSize(20);
  f.Title = "T";
  f.Comment = "C";
  TfrxBIFFDialogValues v = vuzBIFFDialogLoad(f);
  EXPECT_EQ(v.chunk, "50");  // always offered, whatever the filter holds
  EXPECT_EQ(v.grouping, TfrxBIFFDialogValues::grChunks);
  EXPECT_TRUE(v.preciseQuality);
  EXPECT_TRUE(v.password.empty());
  EXPECT_EQ(v.title, "T");
  EXPECT_EQ(v.comment, "C");

  const struct {
    const char* chunk;
    int rows;
  } chunks[] = {{"50", 50}, {"abc", 0}, {"-5", 0}, {"", 0}, {"7", 7}, {"99999999999", 0}};
  for (const auto& c : chunks) EXPECT_EQ(vuzBIFFChunkRows(c.chunk), c.rows) << c.chunk;

  AnsiString error;
  v.password = u"secret";
  v.confirmation = u"secreT";
  EXPECT_FALSE(vuzBIFFDialogValidate(v, error));
  EXPECT_EQ(rtl::AnsiToUtf8(error), "Подтверждение пароля не совпадает с паролем. Введите пароль заново.");
  v.password = v.confirmation = WideString(300, u'x');
  EXPECT_FALSE(vuzBIFFDialogValidate(v, error));
  EXPECT_EQ(rtl::AnsiToUtf8(error),
            "Попытка установить пароль длиной 300 символов. Максимальная длина пароля равна 255 символов.");
  v.password = v.confirmation = u"secret";
  ASSERT_TRUE(vuzBIFFDialogValidate(v, error));
  v.grouping = TfrxBIFFDialogValues::grChunks;
  v.chunk = "abc";
  v.preciseQuality = false;
  v.pages = TfrxBIFFDialogValues::pgNumbers;
  v.pageNumbers = "1-3";
  vuzBIFFDialogApply(v, f);
  EXPECT_EQ(f.ChunkSize(), 0);
  EXPECT_EQ(f.Inaccuracy, 10);
  EXPECT_EQ(f.Password(), u"secret");
  EXPECT_EQ(f.PageNumbers, "1-3");
  EXPECT_FALSE(f.SingleSheet);

  // The automatic file leaves no empty file behind for its name.
  const AnsiString name = vuzBIFFAutoFileName(f);
  EXPECT_EQ(rtl::ExtractFileExt(name), ".xls");
  EXPECT_FALSE(fs::exists(std::string(name)));
  EXPECT_FALSE(fs::exists(std::string(name.substr(0, name.size() - 4))));
  EXPECT_TRUE(vuzBIFFPageNumberKey('7'));
  EXPECT_TRUE(vuzBIFFPageNumberKey(','));
  EXPECT_FALSE(vuzBIFFPageNumberKey('a'));
}

struct ExportRun {
  export_test::PdfReport& report;
  support::ScratchFolder& folder;
  // Exports into a file of the folder; false when the export failed.
  bool To(const std::string& name, const std::function<void(TfrxBIFFExport&)>& configure) {
    TfrxBIFFExport f;
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.FileName = folder.File(name);
    if (configure) configure(f);
    return report.Report().Export(&f);
  }
};

TEST(BiffExport, GroupingsPoolAndEncryptionReadBackByXlrd) {
  if (!bifftest::HavePythonModule("xlrd")) GTEST_SKIP() << "xlrd (Debian python3-xlrd) missing";
  export_test::PdfScope scope;
  export_test::PdfReportOptions options;
  options.rows = 150;
  export_test::PdfReport report(options);
  ASSERT_TRUE(report.Report().PrepareReport(true));
  const int pages = report.PageCount();
  ASSERT_GE(pages, 3);
  support::ScratchFolder folder;
  ExportRun run{report, folder};
  ASSERT_TRUE(run.To("pages.xls", {}));
  ASSERT_TRUE(run.To("pool.xls", [](TfrxBIFFExport& f) { f.SetParallelPages(3); }));
  ASSERT_TRUE(run.To("single.xls", [](TfrxBIFFExport& f) { f.SingleSheet = true; }));
  ASSERT_TRUE(run.To("locked.xls", [](TfrxBIFFExport& f) {
    f.SetPassword(u"s3cret");
    f.EncryptionSeed = std::string("fixed seed");
  }));
  ASSERT_TRUE(run.To("range.xls", [](TfrxBIFFExport& f) {
    f.SetParallelPages(2);
    f.PageNumbers = "2";
  }));
  auto dumps = bifftest::XlsDump(folder, {folder.File("pages.xls"), folder.File("pool.xls"), folder.File("single.xls"),
                                          folder.File("locked.xls"), folder.File("range.xls")});
  const auto perPage = bifftest::SheetLines(dumps["pages.xls"]);
  ASSERT_EQ(static_cast<int>(perPage.size()), pages) << dumps["pages.xls"];
  EXPECT_EQ(perPage[0].rfind("sheet Страница 0 rows=", 0), 0u) << perPage[0];
  EXPECT_EQ(dumps["pool.xls"], dumps["pages.xls"]);
  EXPECT_NE(dumps["locked.xls"].find("ERROR XLRDError: Workbook is encrypted"), std::string::npos)
      << dumps["locked.xls"];
  const auto range = bifftest::SheetLines(dumps["range.xls"]);
  ASSERT_EQ(range.size(), 1u);
  EXPECT_EQ(range[0].rfind("sheet Страница 1 rows=", 0), 0u) << range[0];

  // One sheet, and chunks of its rows: an exact multiple gives no empty sheet.
  const auto single = bifftest::SheetLines(dumps["single.xls"]);
  ASSERT_EQ(single.size(), 1u);
  const int rows = std::stoi(single[0].substr(single[0].find("rows=") + 5));
  ASSERT_GT(rows, 10);
  ASSERT_TRUE(run.To("exact.xls", [&](TfrxBIFFExport& f) { f.SetChunkSize(rows); }));
  ASSERT_TRUE(run.To("half.xls", [&](TfrxBIFFExport& f) { f.SetChunkSize(rows - 1); }));
  ASSERT_TRUE(run.To("tens.xls", [&](TfrxBIFFExport& f) { f.SetChunkSize(10); }));
  dumps = bifftest::XlsDump(folder, {folder.File("exact.xls"), folder.File("half.xls"), folder.File("tens.xls")});
  EXPECT_EQ(bifftest::SheetLines(dumps["exact.xls"]).size(), 1u) << dumps["exact.xls"];
  const auto half = bifftest::SheetLines(dumps["half.xls"]);
  ASSERT_EQ(half.size(), 2u);
  EXPECT_NE(half[1].find("rows=1 "), std::string::npos) << half[1];
  EXPECT_EQ(static_cast<int>(bifftest::SheetLines(dumps["tens.xls"]).size()), (rows + 9) / 10);
  for (const auto& line : bifftest::SheetLines(dumps["tens.xls"]))
    EXPECT_EQ(line.find("rows=0 "), std::string::npos) << line;
}

TEST(BiffExport, RefusedAndFailedExportsLeaveNoFile) {
  export_test::PdfScope scope;
  export_test::PdfReport report;
  ASSERT_TRUE(report.Report().PrepareReport(true));
  support::ScratchFolder folder;
  ExportRun run{report, folder};
  // Chunks with one sheet set by code: Start refuses.
  EXPECT_FALSE(run.To("refused.xls", [](TfrxBIFFExport& f) {
    f.SingleSheet = true;
    f.SetChunkSize(10);
  }));
  EXPECT_NE(rtl::AnsiToUtf8(report.Report().Errors().Text()).find("SingleSheet должно быть False"), std::string::npos);
  // A write that fails after its bytes (a full disk): nothing stays, an older
  // file keeps its content.
  bifftest::WriteText(folder.File("older.xls"), "older");
  rtl::SetSaveFaultForTests([](std::string_view) { throw rtl::Exception("disk full"); });
  EXPECT_FALSE(run.To("older.xls", {}));
  EXPECT_FALSE(run.To("failed.xls", {}));
  rtl::SetSaveFaultForTests({});
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(folder.Folder())) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"older.xls"});
  EXPECT_EQ(bifftest::ReadText(folder.File("older.xls")), "older");
  // Cancel in the converter's progress window: the export stops, no file.
  {
    bifftest::CancelIn cancel("BiffCell");
    run.To("cancelled.xls", [](TfrxBIFFExport& f) {
      f.SingleSheet = true;
      f.ShowProgress = true;
    });
  }
  EXPECT_FALSE(fs::exists(folder.File("cancelled.xls")));
  // Into a stream: no dialog, no file.
  TfrxBIFFExport f;
  f.ShowProgress = false;
  rtl::TMemoryStream out;
  f.Stream = &out;
  EXPECT_EQ(f.ShowModal(), rtl::mrOk);
  ASSERT_TRUE(report.Report().Export(&f));
  EXPECT_GT(out.Size(), 4096);
  EXPECT_EQ(out.Bytes().substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

}  // namespace
