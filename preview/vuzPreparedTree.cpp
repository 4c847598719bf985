#include "preview/vuzPreparedTree.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzUtils.h"

namespace preview {

AnsiString vuzTextProp(const TfrxXMLItem* item, const AnsiString& name) {
  try {
    return item->GetProp(name);
  } catch (const rtl::Exception&) {
    // The raw value between the quotes.
    const AnsiString hay = rtl::AnsiUpperCase(" " + item->Prop), key = rtl::AnsiUpperCase(" " + name + "=\"");
    const std::size_t at = hay.find(key);
    if (at == std::string::npos) return {};
    const std::size_t start = at + key.size() - 1, end = item->Prop.find('"', start);
    return item->Prop.substr(start, end == std::string::npos ? std::string::npos : end - start);
  }
}

int vuzIntProp(const TfrxXMLItem* item, const AnsiString& name, int fallback) {
  const AnsiString text = rtl::Trim(vuzTextProp(item, name));
  if (text.empty()) return fallback;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size() || v < INT32_MIN || v > INT32_MAX) return fallback;
  return static_cast<int>(v);
}

long double vuzFloatProp(const TfrxXMLItem* item, const AnsiString& name, long double fallback) {
  const AnsiString text = vuzTextProp(item, name);
  if (text.empty()) return fallback;
  try {
    const long double v = report::vuzStrToFloat(text);
    return std::isfinite(v) ? v : fallback;
  } catch (const rtl::Exception&) {
    return fallback;
  }
}

namespace {
AnsiString IntText(long long v) { return std::to_string(v); }
}  // namespace

TfrxPreparedTree::TfrxPreparedTree() : doc_(std::make_unique<report::TfrxXMLDocument>()) {
  Root()->Name = "preparedreport";
}

void TfrxPreparedTree::Clear() {
  doc_->Clear();
  ++generation_;
  Root()->Name = "preparedreport";
  CurPage = -1;
  XMLSize = 0;
}

TfrxXMLItem* TfrxPreparedTree::Page(int index) const {
  TfrxXMLItem* pages = Pages();
  return index >= 0 && index < pages->Count() ? pages->Items(index) : nullptr;
}

TfrxXMLItem* TfrxPreparedTree::AppendPage(const AnsiString& name) {
  TfrxXMLItem* item = Pages()->Add(name);
  // The first two pages stay in memory.
  if (Count() > 2) item->Unloadable = true;
  return item;
}

void TfrxPreparedTree::AddEmptyPage(int index) {
  TfrxXMLItem* old = Page(index);
  if (!old) return;
  auto* item = new TfrxXMLItem(old->Name);
  Pages()->InsertItem(index, item);
}

void TfrxPreparedTree::DeletePage(int index) {
  if (Count() < 2) return;
  delete Page(index);
  if (CurPage >= Count()) CurPage = Count() - 1;
}

int TfrxPreparedTree::GetCurPosition() const {
  const TfrxXMLItem* page = CurXMLPage();
  return page ? page->Count() : 0;
}

void TfrxPreparedTree::CutObjects(int position) {
  TfrxXMLItem* page = CurXMLPage();
  TfrxXMLItem* cut = Section("cutted");
  if (!page || position < 0) return;
  while (page->Count() > position) cut->AddItem(page->Items(position));
}

void TfrxPreparedTree::PasteObjects(long double x, long double y) {
  const int at = Root()->Find("cutted");
  if (at < 0) return;
  std::unique_ptr<TfrxXMLItem> cut(Root()->Items(at));
  TfrxXMLItem* page = CurXMLPage();
  if (cut->Count() > 0 && page) {
    const long double l0 = vuzFloatProp(cut->Items(0), "l"), t0 = vuzFloatProp(cut->Items(0), "t");
    while (cut->Count() > 0) {
      TfrxXMLItem* item = cut->Items(0);
      item->SetProp("l", rtl::FloatToStr(static_cast<double>(vuzFloatProp(item, "l") + (x - l0))));
      item->SetProp("t", rtl::FloatToStr(static_cast<double>(vuzFloatProp(item, "t") + (y - t0))));
      page->AddItem(item);
    }
  }
  // The "cutted" element goes in every case (its destructor detaches it).
}

void TfrxPreparedTree::AddAnchor(const AnsiString& text, long double curY) {
  TfrxXMLItem* item = Anchors()->Add("item");
  item->Prop = "text=\"" + report::vuzStrToXML(text) + "\" page=\"" + IntText(CurPage) + "\" top=\"" +
               IntText(rtl::Round(curY)) + "\"";
}

TfrxXMLItem* TfrxPreparedTree::FindAnchor(const AnsiString& text) const {
  TfrxXMLItem* anchors = Anchors();
  for (int i = anchors->Count() - 1; i >= 0; --i)
    if (rtl::AnsiSameText(vuzTextProp(anchors->Items(i), "text"), text)) return anchors->Items(i);
  return nullptr;
}

int TfrxPreparedTree::GetAnchorPage(const AnsiString& text) const {
  const TfrxXMLItem* anchor = FindAnchor(text);
  return anchor ? vuzIntProp(anchor, "page") + 1 : 1;
}

int TfrxPreparedTree::GetAnchorCurPosition() const { return Anchors()->Count() - 1; }

void TfrxPreparedTree::ShiftAnchors(int from, int top, bool nextPage) {
  TfrxXMLItem* anchors = Anchors();
  const int first = from + 1;
  if (first < 0 || first >= anchors->Count()) return;
  const long long d = static_cast<long long>(top) - vuzIntProp(anchors->Items(first), "top");
  for (int i = first; i < anchors->Count(); ++i) {
    TfrxXMLItem* a = anchors->Items(i);
    if (nextPage) a->SetProp("page", IntText(vuzIntProp(a, "page") + 1LL));
    a->SetProp("top", IntText(static_cast<long long>(vuzIntProp(a, "top")) + d));
  }
}

void TfrxPreparedTree::IncLogicalPageNumber(bool finalPass, bool doublePass) {
  if (finalPass && doublePass) return;
  ++LogicalPageCounter;
  LogicalPages()->Add("page")->SetProp("n", IntText(LogicalPageCounter));
}

void TfrxPreparedTree::ResetLogicalPageNumber(bool finalPass, bool doublePass) {
  if (finalPass && doublePass) return;
  TfrxXMLItem* numbers = LogicalPages();
  for (int i = CurPage; i > FirstPage; --i) {
    if (i < 0 || i >= numbers->Count()) continue;
    TfrxXMLItem* item = numbers->Items(i);
    item->SetProp("t", IntText(LogicalPageCounter));
    if (vuzTextProp(item, "n") == "1") break;
  }
  LogicalPageCounter = 0;
}

int TfrxPreparedTree::GetLogicalPageNo(int runFirstPage) const {
  const TfrxXMLItem* numbers = LogicalPages();
  if (CurPage >= 0 && CurPage < numbers->Count()) return vuzIntProp(numbers->Items(CurPage), "n");
  return CurPage - runFirstPage + 1;
}

int TfrxPreparedTree::GetLogicalTotalPages(int totalPages, int runFirstPage) const {
  const TfrxXMLItem* numbers = LogicalPages();
  if (CurPage >= 0 && CurPage < numbers->Count()) return vuzIntProp(numbers->Items(CurPage), "t");
  return totalPages - runFirstPage;
}

void TfrxPreparedTree::BeginPass(bool finalPass, bool doublePass) {
  FirstPage = Count() - 1;
  if (Count() > 0) {
    FirstObject = Page(FirstPage)->Count();
    FirstOutline = Section("outline")->Count();
  }
  ResetLogicalPageNumber(finalPass, doublePass);
}

void TfrxPreparedTree::ClearFirstPassPages(bool finalPass, bool doublePass) {
  if (FirstPage == -1) {
    for (int i = 0; i < Root()->Count(); ++i) {
      TfrxXMLItem* section = Root()->Items(i);
      if (!rtl::AnsiSameText(section->Name, "anchors") && !rtl::AnsiSameText(section->Name, "logicalpagenumbers"))
        section->Clear();
    }
  } else {
    if (TfrxXMLItem* page = Page(FirstPage)) {
      LoadPage(page);
      while (page->Count() > FirstObject && FirstObject >= 0) delete page->Items(page->Count() - 1);
    }
    while (Count() > FirstPage + 1) delete Page(Count() - 1);
    TfrxXMLItem* outline = Section("outline");
    while (outline->Count() > FirstOutline && FirstOutline >= 0) delete outline->Items(outline->Count() - 1);
  }
  ResetLogicalPageNumber(finalPass, doublePass);
  CurPage = FirstPage;
  XMLSize = 0;
}

void TfrxPreparedTree::ParkPages(const AnsiString& tempDir) {
  doc_->TempDir = tempDir;
  TfrxXMLItem* pages = Pages();
  // Back from the second-to-last page, stopping at one already parked.
  for (int i = pages->Count() - 2; i >= 0; --i) {
    TfrxXMLItem* page = pages->Items(i);
    if (page->Unloadable && !page->Loaded) break;
    doc_->UnloadItem(page);
  }
  XMLSize = 0;
}

void TfrxPreparedTree::LoadFromStream(rtl::TStream& stream) {
  auto fresh = std::make_unique<report::TfrxXMLDocument>();
  fresh->TempDir = doc_->TempDir;
  // A prepared file cut short would otherwise load as blank pages and
  // replace the pages held now.
  fresh->RequireClosedElements = true;
  fresh->LoadFromStream(stream);
  if (!rtl::AnsiSameText(fresh->Root()->Name, "preparedreport")) report::TfrxXMLReader::RaiseException();
  doc_ = std::move(fresh);  // the old tree and its parking file go only now
  ++generation_;
  CurPage = -1;
  XMLSize = 0;
}

bool TfrxPreparedTree::LoadFromFile(const AnsiString& fileName, bool failWhenMissing) {
  const bool exists = rtl::FileExists(fileName);
  if (exists || failWhenMissing) {
    rtl::TFileStream file(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
    LoadFromStream(file);
  }
  return exists;
}

void TfrxPreparedTree::SaveToFile(const AnsiString& fileName) {
  rtl::SaveFileAtomically(fileName, [this](rtl::TStream& out) { SaveToStream(out); });
}

}  // namespace preview
