// The XML tree of prepared pages ("preparedreport") and every operation on
// it that needs no report object: page elements, the current page, anchors,
// logical page numbers, keep-together cut and paste, the first-pass marks,
// parking page elements in the temporary file, and reading and writing the
// tree as a prepared-report file. The prepared-pages store drives it; the
// engine's values it needs (final pass, current Y, ...) come as arguments.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "report/vuzXML.h"

namespace preview {

using report::TfrxXMLItem;
using rtl::AnsiString;

class TfrxPreparedTree {
 public:
  TfrxPreparedTree();
  TfrxPreparedTree(const TfrxPreparedTree&) = delete;
  TfrxPreparedTree& operator=(const TfrxPreparedTree&) = delete;

  report::TfrxXMLDocument& Document() { return *doc_; }
  TfrxXMLItem* Root() const { return doc_->Root(); }
  // A child of the root, created on first use (so the order of the root's
  // children follows first use; readers look them up by name).
  TfrxXMLItem* Section(const AnsiString& name) const { return Root()->FindItem(name); }
  TfrxXMLItem* Pages() const { return Section("previewpages"); }

  int CurPage = -1;                                       // the current page index, -1 when there is none
  int FirstPage = -1, FirstObject = 0, FirstOutline = 0;  // marks of BeginPass
  int LogicalPageCounter = 0;
  std::int64_t XMLSize = 0;  // bytes of page elements written since the last parking

  // Frees every element and the parking file; current page -1, size 0.
  void Clear();
  // Grows whenever the elements are replaced (Clear, a load), so holders of
  // element positions (the outline) can tell theirs went stale.
  int Generation() const { return generation_; }

  int Count() const { return Pages()->Count(); }
  // Null outside the pages.
  TfrxXMLItem* Page(int index) const;
  TfrxXMLItem* CurXMLPage() const { return Page(CurPage); }
  // Appends a page element; from the third page on it may be parked.
  TfrxXMLItem* AppendPage(const AnsiString& name);
  // An empty element of the same name (the same source page) before index;
  // nothing on an empty tree or outside the pages.
  void AddEmptyPage(int index);
  // Removes a page; the last page is never removed.
  void DeletePage(int index);
  // Number of objects on the current page (the next object's position).
  int GetCurPosition() const;

  // Keep-together: the current page's objects from position on go into
  // "cutted"; pasting moves them back at (x, y), keeping their distances.
  void CutObjects(int position);
  void PasteObjects(long double x, long double y);

  // Anchors: name, page (0-based) and top (whole pixels).
  void AddAnchor(const AnsiString& text, long double curY);
  // The most recent anchor of that name (case ignored), null when none.
  TfrxXMLItem* FindAnchor(const AnsiString& text) const;
  // That anchor's page + 1, or 1.
  int GetAnchorPage(const AnsiString& text) const;
  int GetAnchorCurPosition() const;
  // The anchors after from move to the next page (or stay on their page when
  // nextPage is false), the first of them to top.
  void ShiftAnchors(int from, int top, bool nextPage = true);

  // Logical page numbers. Nothing is counted in the final pass of a
  // two-pass run, which reads what the first pass recorded.
  void IncLogicalPageNumber(bool finalPass, bool doublePass);
  void ResetLogicalPageNumber(bool finalPass, bool doublePass);
  int GetLogicalPageNo(int runFirstPage) const;
  int GetLogicalTotalPages(int totalPages, int runFirstPage) const;

  // Two-pass runs: the marks, and removing what the first pass added.
  void BeginPass(bool finalPass, bool doublePass);
  void ClearFirstPassPages(bool finalPass, bool doublePass);

  // Parks every parkable page element but the current one in the temporary
  // file (created in tempDir, or the system's folder when empty).
  void ParkPages(const AnsiString& tempDir);
  // Makes a parked page element resident again.
  void LoadPage(TfrxXMLItem* page) { doc_->LoadItem(page); }

  // The whole tree as a prepared-report file (one line of UTF-8 XML).
  void SaveToStream(rtl::TStream& stream) { doc_->SaveToStream(stream); }
  // Reads a prepared-report file completely. A stream that is not one raises
  // the XML reader's error (or a stream error) and leaves the tree as it was.
  void LoadFromStream(rtl::TStream& stream);
  // Answers whether the file exists; reads it when it does (writers denied
  // meanwhile), and when failWhenMissing is set also tries a missing one,
  // which raises the stream error.
  bool LoadFromFile(const AnsiString& fileName, bool failWhenMissing);
  // Writes beside the file and renames, so a failed save keeps the old file.
  void SaveToFile(const AnsiString& fileName);

 private:
  TfrxXMLItem* Anchors() const { return Section("anchors"); }
  TfrxXMLItem* LogicalPages() const { return Section("logicalpagenumbers"); }
  std::unique_ptr<report::TfrxXMLDocument> doc_;
  int generation_ = 0;
};

// An attribute's text; a malformed character reference in a damaged file
// gives the undecoded text instead of an error.
AnsiString vuzTextProp(const TfrxXMLItem* item, const AnsiString& name);
// A number attribute of an element: the text read as an integer, fallback
// when it is absent, empty or not a number (a damaged file never raises).
int vuzIntProp(const TfrxXMLItem* item, const AnsiString& name, int fallback = 0);
// A float attribute read with vuzStrToFloat; fallback likewise.
long double vuzFloatProp(const TfrxXMLItem* item, const AnsiString& name, long double fallback = 0);

}  // namespace preview
