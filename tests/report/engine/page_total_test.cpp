// Page totals reach what is drawn and exported: the prepared pages keep
// "[TotalPages#]" as written (the count is known only at the end), and the
// text objects take the real count when a page is drawn or exported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_fixture.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassServices.h"

namespace engine_test {
namespace {

using namespace rtl::literals;

// Collects the text of every exported text object.
class TextCollector : public report::TfrxCustomExportFilter {
 public:
  void ExportObject(report::TfrxComponent* object) override {
    auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(object);
    if (!memo) return;
    std::string text = rtl::AnsiToUtf8(memo->AnsiText());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    texts.push_back(text);
  }
  std::vector<std::string> texts;
};

TEST(PageTotal, ExportedPageHeadersCarryTheRealPageCount) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup small;
  small.paperSize = 256;
  small.paperWidth = 100;
  small.paperHeight = 60;
  auto* page = b.AddPage(small);
  std::vector<TableDataSet::Row> rows;
  for (int i = 1; i <= 30; ++i) rows.push_back({rtl::Variant(i)});
  auto& data = b.AddDataSet("Rows", {"N"}, rows);
  auto* header = b.AddBand<report::TfrxPageHeader>(page, 0, 20);
  b.AddMemo(header, 0, 0, 300, 18, "Страница [Page#] из [TotalPages#]");
  auto* band = b.AddDataBand(page, 40, 18, data);
  b.AddMemo(band, 0, 0, 100, 18, "[Rows.\"N\"]");
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  const int pages = b.Store().GetCount();
  ASSERT_GT(pages, 2);

  TextCollector filter;
  filter.ShowDialog = false;
  ASSERT_TRUE(b.Store().Export(&filter));
  std::vector<std::string> headers;
  for (const std::string& t : filter.texts)
    if (t.rfind("Страница", 0) == 0) headers.push_back(t);
  ASSERT_EQ(static_cast<int>(headers.size()), pages);
  for (int i = 0; i < pages; ++i)
    EXPECT_EQ(headers[i], "Страница " + std::to_string(i + 1) + " из " + std::to_string(pages));
}

}  // namespace
}  // namespace engine_test
