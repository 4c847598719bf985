// The parts of a prepared-report file beside the pages: the report's
// settings ("report"), the alias dictionary ("dictionary") and the picture
// cache ("picturecache"), written before a save and read after a load.
// Reading checks what a damaged or crafted file could make the store trip
// over and reports it instead.
#pragma once
#include <functional>
#include <vector>

#include "preview/vuzDictionary.h"
#include "preview/vuzPictureCache.h"
#include "preview/vuzPreparedTree.h"

namespace preview {

// What a prepared report keeps of its report.
struct TfrxPreparedReportSettings {
  bool DotMatrixReport = false;
  bool OutlineVisible = false;
  int OutlineWidth = 120;
  AnsiString Name;  // ReportOptions.Name
};

// "report" gets one child "TfrxReport" with the four attributes in order.
void vuzWriteReportSettings(TfrxPreparedTree& tree, const TfrxPreparedReportSettings& settings);
// False (settings untouched) when the file has no "report" child.
bool vuzReadReportSettings(const TfrxPreparedTree& tree, TfrxPreparedReportSettings& settings);

// "dictionary" gets one child per alias, in alias order: the alias as its
// name and name="Page<k>.<object>" as its attribute text.
void vuzWriteDictionary(TfrxPreparedTree& tree, const TfrxDictionary& dictionary);
// Finds the source object of a page index and an object name (null when none).
using TfrxSourceObjectFinder = std::function<rtl::TObject*(int sourcePage, const AnsiString& objectName)>;
// Rebuilds the dictionary. An entry whose page index has no source page, or
// whose text is not "Page<k>.<name>", is skipped with an error text.
void vuzReadDictionary(const TfrxPreparedTree& tree, TfrxDictionary& dictionary, int sourcePageCount,
                       const TfrxSourceObjectFinder& find, std::vector<AnsiString>& errors);

inline void vuzWritePictureCache(TfrxPreparedTree& tree, TfrxPictureCache& cache) {
  cache.SaveToXML(tree.Section("picturecache"));
}
inline void vuzReadPictureCache(const TfrxPreparedTree& tree, TfrxPictureCache& cache) {
  cache.LoadFromXML(tree.Section("picturecache"));
}

// The index N of a page element named "page" + N; -1 for any other name or a
// number that is not one.
int vuzSourcePageIndex(const AnsiString& elementName);

}  // namespace preview
