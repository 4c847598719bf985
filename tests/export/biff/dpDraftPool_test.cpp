// The draft pool: distribution over workers, waking, waiting for the drafts
// handed over, errors kept for the caller, and a workbook filled by several
// threads that equals one filled serially.
#include "export/biff/dpDraftPool.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "export/biff/biffFormulaCompiler.h"
#include "export/biff/biffWorkbook.h"
#include "tests/export/biff/biff_test_util.h"

namespace {

using namespace report;

class Draft : public rtl::TObject {
 public:
  explicit Draft(int n) : number(n) {}
  int number;
  std::thread::id worker;
  std::unique_ptr<TBiffSheet> sheet;
};

TEST(DraftPool, DistributesToTheLeastBusyWorker) {
  std::mutex m;
  TDpDraftPool pool(2, 3, [&](rtl::TObject* d) {
    std::lock_guard<std::mutex> hold(m);
    static_cast<Draft*>(d)->worker = std::this_thread::get_id();
  });
  for (int i = 0; i < 3; ++i) pool.AddDraft(std::make_unique<Draft>(i));
  EXPECT_EQ(pool.Thread(0)->Pending() + pool.Thread(1)->Pending(), 3);
  pool.WaitForThreads();
  auto worker = [&](int i) { return static_cast<Draft*>(pool.Drafts()[i])->worker; };
  EXPECT_EQ(worker(0), worker(2));
  EXPECT_NE(worker(0), worker(1));
}

TEST(DraftPool, OneWorkerWakesAtTheEighthAndFinishesAll) {
  std::atomic<int> done{0};
  TDpDraftPool pool(1, 20, [&](rtl::TObject*) { ++done; });
  for (int i = 0; i < 20; ++i) pool.AddDraft(std::make_unique<Draft>(i));
  pool.WaitForThreads();
  EXPECT_EQ(done.load(), 20);
  EXPECT_TRUE(pool.Errors().empty());
}

TEST(DraftPool, WaitsOnlyForTheDraftsHandedOver) {
  TDpDraftPool none(3, 0, [](rtl::TObject*) {});
  none.WaitForThreads();
  // A page range: 3 of 10 pages exported.
  std::atomic<int> done{0};
  TDpDraftPool range(2, 10, [&](rtl::TObject*) { ++done; });
  for (int i = 0; i < 3; ++i) range.AddDraft(std::make_unique<Draft>(i));
  range.WaitForThreads();
  EXPECT_EQ(done.load(), 3);
  // No workers: drafts are converted on the calling thread.
  TDpDraftPool serial(0, 2, [&](rtl::TObject*) { ++done; });
  serial.AddDraft(std::make_unique<Draft>(0));
  serial.WaitForThreads();
  EXPECT_EQ(done.load(), 4);
}

TEST(DraftPool, ErrorsAreReportedAfterTheWait) {
  TDpDraftPool pool(2, 5, [](rtl::TObject* d) {
    if (static_cast<Draft*>(d)->number == 3) throw rtl::Exception("page 4 failed");
  });
  for (int i = 0; i < 5; ++i) pool.AddDraft(std::make_unique<Draft>(i));
  pool.WaitForThreads();
  ASSERT_EQ(pool.Errors().size(), 1u);
  try {
    pool.RaiseFirstError();
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "page 4 failed");
  }
  TDpDraftPool over(1, 1, [](rtl::TObject*) {});
  over.AddDraft(std::make_unique<Draft>(0));
  over.AddDraft(std::make_unique<Draft>(1));
  over.WaitForThreads();
  EXPECT_EQ(over.Errors().size(), 1u);
}

// What a page conversion does with the shared workbook.
void Convert(TBiffWorkbook& book, Draft& draft) {
  auto sheet = std::make_unique<TBiffSheet>(&book);
  sheet->Name = u"Page " + rtl::AnsiToWide(std::to_string(draft.number + 1));
  for (int r = 0; r < 60; ++r) {
    auto font = std::make_unique<TBiffFont>();
    font->Height = 200 + 20 * (r % 5);
    auto xf = std::make_unique<TBiffXF>();
    xf->Font = book.AddFont(std::move(font));
    xf->Format = book.AddFormat(u"0." + WideString(static_cast<std::size_t>(r % 4 + 1), u'0'));
    const int xfIndex = book.AddXF(std::move(xf));
    auto text = std::make_unique<TBiffTextCell>(
        book.AddString(u"text " + rtl::AnsiToWide(std::to_string((r * 7 + draft.number) % 50))));
    text->Row = r;
    text->XF = xfIndex;
    sheet->AddCell(std::move(text));
    auto number = std::make_unique<TBiffNumberCell>(r + draft.number * 0.5);
    number->Row = r;
    number->Col = 1;
    number->XF = book.AddXF(std::make_unique<TBiffXF>());
    sheet->AddCell(std::move(number));
    book.AddColor(static_cast<std::uint32_t>(0x010203 * (r % 40)));
  }
  TBiffFormulaCompiler compiler;
  compiler.LinkTable = book.GetLinkTable();
  compiler.Compile("'Page 1'!B1+'Page " + std::to_string(draft.number % 7 + 1) + "'!B2");
  auto formula = std::make_unique<TBiffFormulaCell>(compiler.Code());
  formula->Row = 60;
  sheet->AddCell(std::move(formula));
  for (int p = 0; p < 3; ++p) sheet->AddDrawing();
  draft.sheet = std::move(sheet);
}

// Cells as text: value or shared string, and the XF's font height and format.
std::vector<std::string> Cells(TBiffWorkbook& book) {
  std::vector<std::string> out;
  for (int s = 0; s < book.GetSheetsCount(); ++s)
    for (const auto& row : book.GetSheet(s)->Rows())
      for (const auto& cell : row->Cells) {
        std::string v = rtl::WideToUtf8(book.GetSheet(s)->Name) + "/" + std::to_string(row->Index) + "/";
        if (auto* t = dynamic_cast<TBiffTextCell*>(cell.get()))
          v += rtl::WideToUtf8(book.GetString(t->SstIndex)->Text());
        else if (auto* n = dynamic_cast<TBiffNumberCell*>(cell.get()))
          v += std::to_string(n->Value);
        out.push_back(v);
      }
  return out;
}

TEST(DraftPool, PooledAndSerialWorkbooksHoldTheSameCells) {
  const int pages = 40;
  TBiffWorkbook serial;
  for (int i = 0; i < pages; ++i) {
    Draft d(i);
    Convert(serial, d);
    serial.AddSheet(std::move(d.sheet));
  }
  TBiffWorkbook pooled;
  {
    TDpDraftPool pool(4, pages, [&](rtl::TObject* d) { Convert(pooled, *static_cast<Draft*>(d)); });
    for (int i = 0; i < pages; ++i) pool.AddDraft(std::make_unique<Draft>(i));
    pool.WaitForThreads();
    pool.RaiseFirstError();
    for (int i = 0; i < pages; ++i) pooled.AddSheet(std::move(static_cast<Draft*>(pool.Drafts()[i])->sheet));
  }
  EXPECT_EQ(Cells(serial), Cells(pooled));
  EXPECT_EQ(serial.GetFontsCount(), pooled.GetFontsCount());
  EXPECT_EQ(serial.UniqueStringsCount(), pooled.UniqueStringsCount());
  EXPECT_EQ(serial.PaletteCount(), pooled.PaletteCount());
  EXPECT_EQ(pooled.GetLinkTable()->GetRefsCount(), 7);
  // Every shape id is unique across the sheets' drawings.
  std::set<int> ids;
  for (int g = 0; g < pooled.Pictures().GroupCount(); ++g)
    for (int s = 0; s < pooled.Pictures().GetGroup(g)->Count(); ++s)
      EXPECT_TRUE(ids.insert(pooled.Pictures().GetGroup(g)->GetShape(s)->Id).second);
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(3 * pages));
  // Both are complete workbooks.
  EXPECT_NO_THROW(bifftest::WorkbookFile(pooled));
}

}  // namespace
