#include <gtest/gtest.h>

#include <vector>

#include "preview/vuzExportPages.h"

using namespace preview;

namespace {

struct RangeCase {
  const char* text;
  bool curPage;
  int previewPage, pageCount;
  std::vector<int> indices;
  bool ok = true;
};

TEST(ExportPages, RangeTextAndCurrentPage) {
  const RangeCase cases[] = {
      {"", false, 0, 3, {0, 1, 2}},
      {"3,1", false, 0, 5, {0, 2}},  // ascending, whatever the typed order
      {"2-4", false, 0, 5, {1, 2, 3}},
      {"4-", false, 0, 6, {3, 4, 5}},
      {" 1 , 9 ", false, 0, 3, {0}},  // beyond the count: ignored
      {"7", false, 0, 3, {}},
      {"1-2", false, 0, 5, {0, 1}},
      {"3-1", false, 0, 5, {0, 1, 2, 3, 4}},  // a range of no page leaves the list empty: every page
      {"2", true, 4, 5, {3}},                 // the preview's page wins over the text
      {"2", true, 0, 5, {0}},                 // no preview: page 1
      {"", false, 0, 0, {}},
      {"1,x", false, 0, 5, {}, false},
      {"a-b", false, 0, 5, {}, false},
  };
  for (const RangeCase& c : cases) {
    std::vector<int> indices{42};
    rtl::AnsiString error;
    EXPECT_EQ(vuzExportPageIndices(c.text, c.curPage, c.previewPage, c.pageCount, indices, error), c.ok) << c.text;
    EXPECT_EQ(indices, c.indices) << c.text;
    EXPECT_EQ(error.empty(), c.ok) << c.text << ": " << error;
  }
}

}  // namespace
