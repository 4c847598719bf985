#include "preview/vuzExportPages.h"

#include <set>

#include "platform/rtl/stringlists.h"
#include "report/vuzUtils.h"

namespace preview {

bool vuzExportPageIndices(const AnsiString& pageNumbers, bool curPage, int previewPage, int pageCount,
                          std::vector<int>& indices, AnsiString& error) {
  indices.clear();
  error.clear();
  const AnsiString text = curPage ? std::to_string(previewPage > 0 ? previewPage : 1) : pageNumbers;
  rtl::TStringList list;
  try {
    report::vuzParsePageNumbers(text, list, pageCount);
  } catch (const rtl::Exception& e) {
    error = e.Message();
    return false;
  }
  std::set<int> wanted;
  for (int i = 0; i < list.Count(); ++i) wanted.insert(std::atoi(list[i].c_str()));
  for (int i = 0; i < pageCount; ++i)
    if (list.Count() == 0 || wanted.count(i + 1)) indices.push_back(i);
  return true;
}

}  // namespace preview
