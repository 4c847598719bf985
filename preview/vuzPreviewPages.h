// TfrxPreviewPages: the prepared-pages store, the one implementation of the
// engine's page sink. While a report is built the engine writes into it
// (source pages, pages, bands and objects, anchors, outline, logical page
// numbers); afterwards the preview, printing, page drawing and the export
// driver read the pages back, one rebuilt page object at a time.
//
// Pages are elements of one XML tree (TfrxPreparedTree); an object on a page
// is an element named with the alias of its source copy holding only what
// differs from it, or named with its class holding everything. Source copies
// of the template pages are made once per run; the last built pages stay in
// a small page cache; pictures are held once in the picture cache; page
// elements past the memory limit are swapped to a temporary file.
#pragma once
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "preview/vuzDictionary.h"
#include "preview/vuzOutline.h"
#include "preview/vuzPictureCache.h"
#include "preview/vuzPreparedTree.h"
#include "preview/vuzPreviewHost.h"
#include "report/vuzClassServices.h"

namespace preview {

using report::TfrxCustomExportFilter;

class TfrxPreviewPages : public report::TfrxCustomPreviewPages {
 public:
  explicit TfrxPreviewPages(TfrxComponent* report);
  ~TfrxPreviewPages() override;

  // The report's side of the store (options, events, the preview control).
  TfrxPreviewHost& Host() { return *host_; }
  void SetHost(std::unique_ptr<TfrxPreviewHost> host);

  // ---- the page sink's operations, in their slot order
  int GetCount() override;
  TfrxComponent* GetPage(int index) override;
  report::TfrxPoint GetPageSize(int index) override;
  void Clear() override;
  void Initialize() override;
  void AddObject(TfrxComponent* object) override;
  void AddPage(TfrxComponent* page) override;
  void AddSourcePage(TfrxComponent* page) override;
  void AddToSourcePage(TfrxComponent* object) override;
  void BeginPass() override;
  void ClearFirstPassPages() override;
  void CutObjects(int position) override;
  void Finish() override;
  void IncLogicalPageNumber() override;
  void ResetLogicalPageNumber() override;
  void PasteObjects(long double x, long double y) override;
  void ShiftAnchors(int from, int top, bool nextPage = true) override;
  void AddPicture(TfrxComponent* picture) override;
  bool BandExists(TfrxComponent* band) override;
  int GetCurPosition() override;
  int GetAnchorCurPosition() override;
  long double GetLastY(long double x) override;
  int GetLogicalPageNo() override;
  int GetLogicalTotalPages() override;
  void AddEmptyPage(int index) override;
  void DeletePage(int index) override;
  void ModifyPage(int index, TfrxComponent* page) override;
  void DrawPage(int index, gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                long double offsetY) override;
  // True when a view was under the mouse.
  bool ObjectOver(int index, int x, int y, int button, unsigned shift, long double scale, long double offsetX,
                  long double offsetY, bool click, int& cursor, bool doubleClick) override;
  void AddFrom(TfrxComponent* report) override;
  // A stream that is not a whole prepared report raises and leaves the
  // store as it was. Everything is read at once (partial loading is not
  // needed by anything and is ignored).
  void LoadFromStream(rtl::TStream& stream, bool allowPartialLoading = false) override;
  void SaveToStream(rtl::TStream& stream) override;
  bool LoadFromFile(const AnsiString& fileName, bool exceptionIfNotFound = false) override;
  // Writes beside the file and renames, so a failed save keeps the old file.
  void SaveToFile(const AnsiString& fileName) override;
  bool Print() override;
  bool Export(TfrxCustomExportFilter* filter) override;

  // ---- further operations
  // The source object of an alias, nil when there is none.
  TfrxComponent* GetObject(const AnsiString& alias) const;
  TfrxXMLItem* CurXMLPage();
  void ClearPageCache();
  void ClearSourcePages();
  void AddAnchor(const AnsiString& text);
  TfrxXMLItem* FindAnchor(const AnsiString& text) const { return tree_.FindAnchor(text); }
  int GetAnchorPage(const AnsiString& text) const { return tree_.GetAnchorPage(text); }
  // The source copy of that template page becomes a custom paper of that
  // size in pixels; every page made from it takes the new size.
  void UpdatePageDimensions(TfrxComponent* page, long double width, long double height) override;

  int CopyNo = 0;              // the copy being printed or exported
  long double PrintScale = 1;  // handed to text objects while they draw

  // ---- for the outline, the file and tests
  TfrxPreparedTree& Tree() { return tree_; }
  TfrxOutline& PreparedOutline();
  const TfrxDictionary& Dictionary() const { return dictionary_; }
  TfrxPictureCache& PictureCache() { return pictures_; }
  int SourcePageCount() const { return static_cast<int>(sourcePages_.size()); }
  TfrxComponent* SourcePage(int index) const;
  // The text a source object's elements are read against (class and stored
  // properties, or the class alone for objects described whole).
  const AnsiString& StoredText(const TfrxComponent* source) const;
  long double LastY() const { return lastY_; }
  // The page indices the page cache holds, most recently used first.
  std::vector<int> CachedPageIndices() const;
  // Problems met while rebuilding pages or reading a file (also added to the
  // report's error list).
  const std::vector<AnsiString>& Problems() const { return problems_; }
  // The store of a report (nil when it has none of this kind).
  static TfrxPreviewPages* StoreOf(const TfrxComponent* report);

 private:
  struct CachedPage {
    int index;
    std::unique_ptr<TfrxComponent> page;
  };
  bool FinalPass() const;
  bool DoublePass() const;
  void SyncIn() { tree_.CurPage = CurPage; }
  void SyncOut() { CurPage = tree_.CurPage; }
  void AddObjectTo(TfrxXMLItem* parent, TfrxComponent* object, bool whole);
  TfrxComponent* SourceOf(const TfrxComponent* object) const;
  TfrxComponent* BuildPage(TfrxXMLItem* element);
  TfrxComponent* NewPage(const AnsiString& className) const;
  void BuildObjects(TfrxXMLItem* element, TfrxComponent* page, report::TfrxXMLSerializer& serializer);
  void Problem(const AnsiString& text);
  void BeforeSave();
  void AfterLoad();
  void DrawObjects(TfrxComponent* page, gfx::TCanvas& canvas, bool printing, long double sx, long double sy,
                   long double ox, long double oy);
  struct ExportRun;
  // False when the filter refused to start.
  bool ExportPages(ExportRun& run);
  void ExportPage(ExportRun& run, int index);
  void ExportObject(ExportRun& run, TfrxComponent* object);

  std::unique_ptr<TfrxPreviewHost> host_;
  TfrxPreparedTree tree_;
  std::unique_ptr<TfrxOutline> outline_;
  TfrxDictionary dictionary_;
  TfrxPictureCache pictures_;
  std::vector<std::unique_ptr<TfrxComponent>> sourcePages_;
  std::unordered_map<const TfrxComponent*, AnsiString> storedTexts_;
  std::vector<CachedPage> cache_;  // entry 0 most recently used
  std::vector<AnsiString> problems_;
  long double lastY_ = 0;
};

// Makes the base of every store create a TfrxStoreOutline.
void vuzInstallStoreOutline();

// The outline the store's base makes: the prepared outline of the store it
// belongs to, reached once the store is complete.
class TfrxStoreOutline : public report::TfrxCustomOutline {
 public:
  using TfrxCustomOutline::TfrxCustomOutline;
  int GetCount() override;
  void AddItem(const AnsiString& text, int top) override;
  void LevelDown(int index) override;
  void LevelRoot() override;
  void LevelUp() override;
  void GetItem(int index, AnsiString& text, int& page, int& top) override;
  void ShiftItems(TfrxXMLItem* from, int top, bool nextPage = true) override;
  TfrxXMLItem* GetCurPosition() override;

 private:
  TfrxOutline* Inner();
};

}  // namespace preview
