// The engine's output half: filling, stretching and placing bands, pages
// and columns, splitting, keep blocks, subreports, vertical bands, outline.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <tuple>
#include <type_traits>

#include "report/vuzAggregate.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassSubreport.h"
#include "report/vuzClassView.h"
#include "report/vuzEngine.h"

namespace report {

namespace {

constexpr long double kEps = 0.0001L;

bool IsDataBand(const TfrxComponent* c) { return c && c->IsKind(TfrxComponent::ckDataBand); }

TfrxStretcheable* AsStretcheable(TfrxComponent* c) { return c ? c->AsStretcheable() : nullptr; }

// A dot-matrix text object whose frame has a bottom line takes one more
// character row below its text.
bool IsDMPMemoWithBottomLine(TfrxComponent* c) {
  if (!c || !c->IsKind(TfrxComponent::ckDMPMemoView)) return false;
  auto* view = dynamic_cast<TfrxView*>(c);
  return view && view->Frame() && (view->Frame()->Typ() & FrameBit(ftBottom));
}

// Runs body; when it throws, runs restore and lets body's error go on.
template <class Body, class Restore>
auto RestoreOnFailure(Body&& body, Restore&& restore) -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    restore();
    throw;
  }
}

// Puts a flag back on every exit.
struct FlagScope {
  bool& flag;
  bool saved;
  FlagScope(bool& f, bool value) : flag(f), saved(f) { flag = value; }
  ~FlagScope() { flag = saved; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;
};

// Runs body, then restore, on success and on failure alike. Restoring runs
// the report's scripts (after-print events), so it may throw itself: as in a
// catch block, its error then takes the place of body's, where a destructor
// would end the program.
template <class Body, class Restore>
auto RunThenRestore(Body&& body, Restore&& restore) -> decltype(body()) {
  if constexpr (std::is_void_v<decltype(body())>) {
    RestoreOnFailure(body, restore);
    restore();
  } else {
    auto result = RestoreOnFailure(body, restore);
    restore();
    return result;
  }
}

// Horizontal overlap of two spans by more than the tolerance on both sides.
bool OverlapsSpan(long double l1, long double r1, long double l2, long double r2) {
  return r1 - l2 > kEps && r2 - l1 > kEps;
}

}  // namespace

// ---------------------------------------------------------------- measures

long double TfrxEngine::GetPageHeight() {
  if (page_ && page_->EndlessHeight()) return FooterHeight() + CurY;
  return PageHeight;
}

long double TfrxEngine::FreeSpace() {
  if (page_ && page_->EndlessHeight()) return 1000000;
  if (prevFooterHeight_ != 0) return GetPageHeight() - prevFooterHeight_ - CurY;
  return GetPageHeight() - FooterHeight() - CurY;
}

long double TfrxEngine::HeaderHeight() {
  long double result = 0;
  for (const rtl::TClassInfo* cls : {&TfrxColumnHeader::StaticClass(), &TfrxPageHeader::StaticClass()}) {
    for (TfrxBand* b = FindBand(*cls); b; b = b->Child()) result += b->Height();
  }
  return result;
}

long double TfrxEngine::FooterHeight() {
  long double result = 0;
  if (TfrxBand* b = FindBand(TfrxColumnFooter::StaticClass())) result += b->Height();
  if (TfrxBand* b = FindBand(TfrxPageFooter::StaticClass())) result += b->Height();
  return result;
}

TfrxBand* TfrxEngine::FindBand(const rtl::TClassInfo& bandClass) {
  if (!page_) return nullptr;
  return dynamic_cast<TfrxBand*>(page_->FindBand(bandClass));
}

rtl::Variant TfrxEngine::GetAggregateValue(const AnsiString& name, const AnsiString& expression, TfrxComponent* band,
                                           int flags) {
  return aggregates_->GetValue(curBand_, CurVColumn, name, expression, band, flags);
}

long double TfrxEngine::ColumnX(int column) const {
  if (!page_ || column <= 1) return 0;
  const rtl::TStrings* positions = page_->ColumnPositions();
  const int index = column - 1;
  if (positions && index < positions->Count()) {
    try {
      return vuzStrToFloat(positions->Strings(index)) * fr01cm;
    } catch (const rtl::Exception&) {
      // An unreadable position is treated like a missing one.
    }
  }
  // A page has no gap between its columns: they follow at the column width.
  return (column - 1) * page_->ColumnWidth() * fr01cm;
}

// ---------------------------------------------------------------- showing a band

void TfrxEngine::ShowBand(TfrxComponent* component) {
  auto* band = dynamic_cast<TfrxBand*>(component);
  if (!band) return;
  if (band->KeepChild()) StartKeep(band);
  DoShow(band);
  const bool columnAbove1 = IsDataBand(band) && static_cast<TfrxDataBand*>(band)->CurColumn() > 1;
  if ((band->Visible() || band->PrintChildIfInvisible()) && !columnAbove1 && band->Child()) ShowBand(band->Child());
  if (band->KeepChild()) EndKeep(band);
  if (IsDataBand(band)) aggregates_->AddValue(band);
}

void TfrxEngine::ShowBand(const rtl::TClassInfo& bandClass) { ShowBand(FindBand(bandClass)); }

void TfrxEngine::DoShow(TfrxBand* band) {
  TfrxReport& report = OwnerReport();
  // A horizontal band whose objects were moved into vertical bands lays
  // those out first.
  long double vSavedCurX = CurX;
  std::vector<int> vPages;
  TfrxBand* vMaster = nullptr;
  const bool isPageHeader = band->IsKind(TfrxComponent::ckPageHeader);
  if (band->HasVBands && !band->Vertical() && !isPageHeader) {
    vSavedCurX = CurX;
    report.SetCurObject(band->Name());
    band->BeforePrint();
    report.DoBeforePrint(band);
    ShowVBands(band);
    CurX = 0;
    CurLine = band->LineN;
    CurLineThrough = band->LineThrough;
    if (PreviewPages) PreviewPages->AddPageAction = apAdd;
    vPages = vPageList_;
    vMaster = vMasterBand_;
  }
  // Vertical bands have their own output.
  if (band->Vertical()) {
    ShowVerticalBand(band);
    return;
  }
  const bool columnBand = IsDataBand(band) && static_cast<TfrxDataBand*>(band)->Columns() > 1;
  // A new page first: a data band or group asks for one from its second
  // row or group on.
  const bool dataOrGroup = IsDataBand(band) || band->IsKind(TfrxComponent::ckGroupHeader);
  if (!callFromAddPage_ && band->Visible() && band->StartNewPage() && !outputBand_ &&
      (!dataOrGroup || band->LineN != 1)) {
    startNewPageBand_ = band;
    struct Forget {
      TfrxBand*& b;
      ~Forget() { b = nullptr; }
    } forget{startNewPageBand_};
    if (auto* group = dynamic_cast<TfrxGroupHeader*>(band); group && group->ResetPageNumbers() && PreviewPages)
      PreviewPages->ResetLogicalPageNumber();
    NewPage();
  }
  Stretch(band);
  band->StretchedHeight = band->Height();
  RunThenRestore(
      [&] {
        if (band->Visible()) {
          bool split = false;
          const bool nullBand = band->IsKind(TfrxComponent::ckNullBand);
          // Bands that AddPage prints again at the top of every page are placed
          // as they come: one that does not fit there would fit on no new page
          // either, and asking for one would print it again without end.
          if (!columnBand && !band->IsKind(TfrxComponent::ckOverlay) && !nullBand && !outputBand_ &&
              !reprintingHeader_ && band->Height() > FreeSpace()) {
            if ((band->AllowSplit() && !keeping_) ||
                (band->Height() > GetPageHeight() - FooterHeight() && !band->HasVBands)) {
              if (!band->AllowSplit() && band->LineThrough > 1 && !band->StartNewPage()) {
                curBand_ = band;
                NewColumn();
              }
              if (keeping_) EndKeep(keepBand_);
              DrawSplit(band);
              split = true;
            } else {
              if (!keeping_) CheckSuppress(band);
              NewColumn();
            }
          }
          if (!split) {
            if (!nullBand) {
              band->SetLeft(columnBand ? band->Left() + CurX : CurX);
              band->SetTop(CurY);
            }
            if (outputBand_) {
              auto* copy = new TfrxBand(outputBand_);
              copy->SetParent(outputBand_);
              copy->AssignAll(band);
            } else if (!band->HasVBands || isPageHeader) {
              if (PreviewPages && (!callFromAddPage_ || !PreviewPages->BandExists(band))) PreviewPages->AddObject(band);
            } else {
              vPageList_ = vPages;
              vMasterBand_ = vMaster;
              band->SetLeft(0);
              const long double savedX = CurX;
              CurX = vSavedCurX;
              RestoreOnFailure([&] { ShowVerticalPages(band); }, [&] { CurX = savedX; });
            }
            CurY += band->Height();
          }
        }
      },
      [&] { UnStretch(band); });
  aggregates_->Reset(band);
  if (band->Visible()) CheckSubReports(band);
}

// ---------------------------------------------------------------- stretching

void TfrxEngine::Stretch(TfrxBand* band) {
  TfrxReport& report = OwnerReport();
  curBand_ = band;
  PrepareShiftTree(band);
  // The vertical master band while its vertical output is under way.
  const bool vMaster = band == vMasterBand_ && band->OriginalObjectsCount >= 0;
  if (!vMaster) {
    report.SetCurObject(band->Name());
    band->BeforePrint();
    report.DoBeforePrint(band);
  }
  const std::vector<TfrxComponent*> objects = band->Objects();
  bool grew = false;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (vMaster && static_cast<int>(i) >= band->OriginalObjectsCount) continue;
    auto* c = objects[i]->AsReportComponent();
    if (!c) continue;
    report.SetCurObject(c->Name());
    c->BeforePrint();
    if (band->Visible()) {
      report.DoBeforePrint(c);
      if (c->Visible()) c->GetData();
    }
    TfrxStretcheable* s = AsStretcheable(c);
    if (s && band->Visible() && s->Visible() && s->StretchMode() != smDontStretch) {
      const long double h = s->CalcHeight();
      if (h <= s->Height()) {
        s->ShiftAmount = 0;
      } else {
        s->ShiftAmount = h - s->Height();
        s->SetHeight(h);
        grew = true;
      }
    }
  }
  if (!band->Visible()) return;
  if (grew) ShiftObjects(band, 0);
  bool onParent = false;
  for (TfrxComponent* c : band->Objects())
    if (auto* sub = c->AsSubreport(); sub && sub->Visible() && sub->PrintOnParent()) onParent = true;
  if (onParent) RunSubreportsOnParent(band);

  long double bottom = 0;
  TfrxComponent* lowest = nullptr;
  for (TfrxComponent* c : band->Objects()) {
    const long double b = c->Top() + c->Height();
    if (!lowest || b > bottom) {
      bottom = b;
      lowest = c;
    }
  }
  if (lowest && IsDMPMemoWithBottomLine(lowest)) bottom += fr1CharY;
  if (band->Stretched()) band->SetHeight(bottom);
  report.SetCurObject(band->Name());
  for (TfrxComponent* c : band->Objects()) {
    TfrxStretcheable* s = AsStretcheable(c);
    if (!s || s->StretchMode() != smMaxHeight) continue;
    s->SetHeight(bottom - s->Top() - (IsDMPMemoWithBottomLine(s) ? fr1CharY : 0));
  }
}

void TfrxEngine::UnStretch(TfrxBand* band) {
  TfrxReport& report = OwnerReport();
  const std::vector<TfrxComponent*> objects = band->Objects();
  if (band->Visible()) {
    for (TfrxComponent* c : objects) {
      auto* rc = c->AsReportComponent();
      if (!rc) continue;
      report.SetCurObject(rc->Name());
      report.DoAfterPrint(rc);
    }
  }
  const bool vMaster = band == vMasterBand_ && band->OriginalObjectsCount >= 0;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (vMaster && static_cast<int>(i) >= band->OriginalObjectsCount) break;
    if (auto* rc = objects[i]->AsReportComponent()) rc->AfterPrint();
  }
  report.SetCurObject(band->Name());
  report.DoAfterPrint(band);
  band->AfterPrint();
  if (band->OriginalObjectsCount != -1) {
    // Objects added for this output only (subreports printed on the band,
    // vertical bands' copies) go again.
    while (static_cast<int>(band->Objects().size()) > std::max(band->OriginalObjectsCount, 0))
      delete band->Objects().back();
    band->OriginalObjectsCount = -1;
  }
}

void TfrxEngine::PrepareShiftTree(TfrxBand* band) {
  if (!band->ShiftChildren().empty()) return;
  struct Entry {
    TfrxReportComponent* object;  // nil for the root above the band's objects
    long double left, top, right, bottom;
    long long key;
  };
  std::vector<Entry> list;
  // The vertical master band's copies of vertical objects live for one
  // output only: they never join the tree.
  std::vector<TfrxComponent*> objects = band->Objects();
  if (band == vMasterBand_ && band->OriginalObjectsCount >= 0 &&
      band->OriginalObjectsCount < static_cast<int>(objects.size()))
    objects.resize(static_cast<std::size_t>(band->OriginalObjectsCount));
  for (TfrxComponent* c : objects) {
    auto* rc = c->AsReportComponent();
    if (!rc) continue;
    rc->ShiftChildren().clear();
    const long double l = rc->GetAbsLeft(), t = rc->GetAbsTop();
    // Objects are ordered by their tops to two decimals, as numbers (so
    // negative tops order correctly); equal tops keep their band order.
    list.push_back({rc, l, t, l + rc->Width(), t + rc->Height(), std::llround(t * 100.0L)});
  }
  std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
  // The root: a thin strip just above the band, so every object that has
  // nothing above it hangs from the band itself.
  const long double bandTop = band->GetAbsTop();
  list.insert(list.begin(), Entry{nullptr, 0, bandTop - 2, band->Width(), bandTop - 1, 0});
  std::vector<TfrxReportComponent*> rootChildren;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Entry& a = list[i];
    for (std::size_t j = i + 1; j < list.size(); ++j) {
      const Entry& b = list[j];
      const bool overlapV = a.bottom - b.top > kEps && b.bottom - a.top > kEps;
      if (overlapV || !(a.top < b.top) || !OverlapsSpan(a.left, a.right, b.left, b.right)) continue;
      const long double spanL = std::max(a.left, b.left), spanR = std::min(a.right, b.right);
      bool between = false;
      for (std::size_t k = i + 1; k < j && !between; ++k) {
        const Entry& m = list[k];
        const bool mOverA = m.bottom - a.top > kEps && a.bottom - m.top > kEps;
        const bool mOverB = m.bottom - b.top > kEps && b.bottom - m.top > kEps;
        if (!mOverA && !mOverB && OverlapsSpan(m.left, m.right, spanL, spanR)) between = true;
      }
      if (between) continue;
      if (a.object)
        a.object->ShiftChildren().push_back(b.object);
      else
        rootChildren.push_back(b.object);
    }
  }
  band->ShiftChildren() = rootChildren;
}

void TfrxEngine::ShiftObjects(TfrxReportComponent* parent, long double offset) {
  // The objects under the parent, each once, with the objects directly
  // above it. An object under two grown objects moves as far as the
  // furthest push, not by their sum, and each object is visited once
  // however many paths lead to it.
  struct Node {
    std::vector<TfrxReportComponent*> above;
    long double out = 0;  // what the objects under it are pushed by
  };
  std::map<TfrxReportComponent*, Node> nodes;
  std::vector<TfrxReportComponent*> order;
  std::vector<TfrxReportComponent*> pending{parent};
  while (!pending.empty()) {
    TfrxReportComponent* p = pending.back();
    pending.pop_back();
    for (TfrxReportComponent* c : p->ShiftChildren()) {
      auto [it, added] = nodes.try_emplace(c);
      it->second.above.push_back(p);
      if (added) {
        order.push_back(c);
        pending.push_back(c);
      }
    }
  }
  // An object lies below every object above it, so going down by the tops
  // they had before anything moved meets each one after those above it.
  std::stable_sort(order.begin(), order.end(),
                   [](const TfrxReportComponent* a, const TfrxReportComponent* b) { return a->Top() < b->Top(); });
  auto outOf = [&](TfrxReportComponent* p) { return p == parent ? offset : nodes[p].out; };
  for (TfrxReportComponent* c : order) {
    Node& node = nodes[c];
    auto* view = dynamic_cast<TfrxView*>(c);
    const TfrxShiftMode mode = view ? view->ShiftMode() : smDontShift;
    long double moved = 0;
    if (mode == smAlways) {
      for (TfrxReportComponent* p : node.above) moved = std::max(moved, outOf(p));
      node.out = moved + c->ShiftAmount;
    } else if (mode == smWhenOverlapped) {
      for (TfrxReportComponent* p : node.above) {
        if (p->IsA("TfrxBand")) continue;
        const long double bottom = p->Top() + p->Height();
        if (c->Top() < bottom) moved = std::max(moved, bottom - c->Top());
      }
      node.out = moved + c->ShiftAmount;
    } else {
      long double pushed = 0;
      for (TfrxReportComponent* p : node.above) pushed = std::max(pushed, outOf(p));
      node.out = pushed + c->ShiftAmount;
    }
    if (moved != 0) c->SetTop(c->Top() + moved);
  }
  for (TfrxReportComponent* c : order) c->ShiftAmount = 0;
}

void TfrxEngine::CheckSuppress(TfrxBand* band) {
  bool any = false;
  for (TfrxComponent* c : band->Objects()) {
    auto* memo = dynamic_cast<TfrxCustomMemoView*>(c);
    if (memo && memo->SuppressRepeated()) {
      memo->ResetSuppress();
      any = true;
    }
  }
  if (!any || band->HasVBands) return;
  UnStretch(band);
  CurLine = band->LineN;
  CurLineThrough = band->LineThrough;
  FlagScope second(SecondScriptCall, true);
  Stretch(band);
}

// ---------------------------------------------------------------- splitting

void TfrxEngine::DrawSplit(TfrxBand* band) {
  TfrxReport& report = OwnerReport();
  struct PartState {
    long double savedTop = 0;
    long double remaining = 0;
  };
  const std::vector<TfrxComponent*> all = band->Objects();
  std::vector<TfrxComponent*> work;
  std::map<TfrxComponent*, PartState> state;
  for (TfrxComponent* c : all) {
    c->SetParent(nullptr);
    if (c->AsSubreport()) continue;
    work.push_back(c);
    if (TfrxStretcheable* s = AsStretcheable(c)) {
      s->InitPart();
      state[c].remaining = s->Height();
    }
  }
  struct GiveBack {
    TfrxBand* band;
    const std::vector<TfrxComponent*>& all;
    ~GiveBack() {
      while (!band->Objects().empty()) band->Objects().back()->SetParent(nullptr);
      for (TfrxComponent* c : all) c->SetParent(band);
    }
  } giveBack{band, all};

  long double free = FreeSpace();
  bool anyOutput = false;    // some object has gone into the band
  bool freshColumn = false;  // this pass starts on a column opened by the split
  while (!work.empty()) {
    std::vector<TfrxComponent*> moved;
    if (!report.EngineThreadSafe()) vuzProcessMessages();
    if (report.Terminated()) break;
    bool splitThisPass = false;
    bool progress = false;
    auto pushBelow = [&](TfrxComponent* r, long double bottom, long double by) {
      for (TfrxComponent* o : work) {
        if (o == r || std::find(moved.begin(), moved.end(), o) != moved.end()) continue;
        if (o->Top() + kEps < bottom) continue;
        if (!OverlapsSpan(o->Left(), o->Left() + o->Width(), r->Left(), r->Left() + r->Width())) continue;
        o->SetTop(o->Top() + by);
        moved.push_back(o);
      }
    };
    const std::vector<TfrxComponent*> pass = work;
    for (TfrxComponent* r : pass) {
      TfrxStretcheable* s = AsStretcheable(r);
      long double partHeight = r->Height();
      bool hasMore = false;
      long double leftOver = 0;
      if (s) {
        PartState& st = state[r];
        st.savedTop = s->Top();
        s->SetHeight(free - s->Top());
        if (s->Top() < free) leftOver = s->DrawPart();
        partHeight = st.remaining;
        hasMore = s->HasNextDataPart();
      }
      if (r->Top() + partHeight <= free && !hasMore) {
        r->SetHeight(partHeight);
        work.erase(std::find(work.begin(), work.end(), r));
        r->SetParent(band);
        progress = true;
        continue;
      }
      if (s) {
        if (s->Top() < free) {
          PartState& st = state[r];
          pushBelow(r, s->Top() + s->Height(), leftOver);
          if (std::fabs(leftOver - s->Height()) < kEps) {
            s->SetTop(free);
            s->SetHeight(st.remaining);
          } else {
            r->SetParent(band);
            st.remaining = st.remaining - s->Height() + leftOver;
            splitThisPass = true;
            progress = true;
          }
        }
      } else if (r->Height() <= GetPageHeight() - FooterHeight()) {
        if (r->Top() < free) {
          pushBelow(r, r->Top() + r->Height(), free - r->Top());
          r->SetTop(free);
        }
      } else {
        work.erase(std::find(work.begin(), work.end(), r));
        r->SetParent(band);
        progress = true;
      }
    }
    // On a column the split itself opened, waiting for the next one would
    // find the same space again: the first waiting object goes out as it is.
    if (!progress && freshColumn && !work.empty()) {
      TfrxComponent* r = work.front();
      if (TfrxStretcheable* s = AsStretcheable(r)) {
        PartState& st = state[r];
        s->SetTop(std::max(st.savedTop, 0.0L));
        if (s->Top() >= free) s->SetTop(0);
        s->SetHeight(st.remaining);
        s->DrawPart();
        s->SetHeight(st.remaining);
      } else if (r->Top() >= free) {
        r->SetTop(0);
      }
      work.erase(work.begin());
      r->SetParent(band);
      progress = true;
    }
    if (progress) anyOutput = true;

    // Fit the part.
    long double height = 0;
    for (TfrxComponent* c : band->Objects()) height = std::max(height, c->Top() + c->Height());
    band->SetHeight(height);
    if (work.empty()) {
      for (TfrxComponent* c : band->Objects()) {
        auto* view = dynamic_cast<TfrxView*>(c);
        if (view && view->Align() == baBottom) c->SetTop(band->Height() - c->Height());
        TfrxStretcheable* s = AsStretcheable(c);
        if (s && s->StretchMode() == smMaxHeight) s->SetHeight(band->Height() - s->Top());
      }
    }
    // Output the part; a pass that placed nothing leaves no empty band
    // behind on this page.
    if (!band->Objects().empty()) {
      band->SetLeft(CurX);
      band->SetTop(CurY);
      if (PreviewPages) PreviewPages->AddObject(band);
      CurY += band->Height();
    }
    curBand_ = band;
    freshColumn = false;
    if (!work.empty()) {
      NewColumn();
      freshColumn = true;
    }
    while (!band->Objects().empty()) band->Objects().back()->SetParent(nullptr);
    for (TfrxComponent* r : work) {
      r->SetTop(r->Top() - free);
      if (TfrxStretcheable* s = AsStretcheable(r)) {
        const PartState& st = state[r];
        if (!splitThisPass && !anyOutput) s->SetTop(st.savedTop);
        if (s->Top() < 0) s->SetTop(0);
        s->SetHeight(st.remaining);
      } else if (r->Top() < 0) {
        r->SetTop(0);
      }
    }
    free = FreeSpace();
  }
}

// ---------------------------------------------------------------- pages and columns

void TfrxEngine::InitPage() {
  headerList_.Clear();
  TfrxBand* title = FindBand(TfrxReportTitle::StaticClass());
  TfrxBand* pageHeader = FindBand(TfrxPageHeader::StaticClass());
  const bool titleFirst = !page_ || page_->TitleBeforeHeader();
  for (TfrxBand* b : titleFirst ? std::vector<TfrxBand*>{title, pageHeader} : std::vector<TfrxBand*>{pageHeader, title})
    if (b) headerList_.AddItem(b, 0, false);
  if (page_) {
    PageHeight = (page_->PaperHeight() - page_->TopMargin() - page_->BottomMargin()) * fr01cm;
    PageWidth = (page_->PaperWidth() - page_->LeftMargin() - page_->RightMargin()) * fr01cm;
  }
  CurX = 0;
  CurY = 0;
  pageCurX_ = 0;
  CurColumn = 1;
  vMasterBand_ = nullptr;
  isFirstPage_ = true;
  isLastPage_ = false;
  outlineOpen_.clear();
  OutlineRoot();
  if (page_ && page_->ResetPageNumbers() && PreviewPages) PreviewPages->ResetLogicalPageNumber();
  if (PreviewPages && PreviewPages->GetCount() > 0 && page_ && page_->PrintOnPreviousPage()) {
    PreviewPages->CurPage = PreviewPages->GetCount() - 1;
    CurY = PreviewPages->GetLastY(0);
    RemoveFromHeaderList(title);
    ShowBand(title);
  } else {
    AddPage();
  }
  if (firstReportPage_ && PreviewPages) PreviewPages->FirstPage = PreviewPages->CurPage;
  firstColumnY_ = CurY;
  if (TfrxBand* columnHeader = FindBand(TfrxColumnHeader::StaticClass())) {
    ShowBand(columnHeader);
    headerList_.AddItem(columnHeader, pageCurX_, false);
  }
  RemoveFromHeaderList(title);
  AddPageOutline();
}

void TfrxEngine::AddPage() {
  prevFooterHeight_ = 0;
  if (PreviewPages) PreviewPages->AddPage(page_);
  // A runaway template (a band split over a billion pixels, rows without
  // end) builds pages here; the splitting and row loops stop once this
  // says so.
  CheckLimits();
  CurY = 0;
  if (auto* overlay = dynamic_cast<TfrxOverlay*>(FindBand(TfrxOverlay::StaticClass()));
      overlay && !overlay->PrintOnTop())
    ShowBand(overlay);
  CurY = 0;
  firstColumnY_ = 0;
  const long double savedX = CurX;
  for (int i = 0; i < headerList_.Count(); ++i) {
    const TfrxHeaderListItem item = headerList_[i];
    TfrxBand* band = item.Band;
    if (!band || band == startNewPageBand_) continue;
    if (auto* ph = dynamic_cast<TfrxPageHeader*>(band); ph && isFirstPage_ && !ph->PrintOnFirstPage()) {
      if (ph->PrintChildIfInvisible() && ph->Child())
        band = ph->Child();
      else
        continue;
    }
    const bool isHeader = band->IsA("TfrxHeader");
    if (!keepFooter_ && ((isHeader && keepHeader_) || item.IsInKeepList)) continue;
    if (isHeader && (dontShowHeaders_ || band == lastBandOnPage_)) continue;
    if (band->IsA("TfrxGroupHeader") && dontShowHeaders_) continue;

    const int savedLine = CurLine, savedLineThrough = CurLineThrough;
    const bool pageHeader = band->IsA("TfrxPageHeader");
    const bool title = band->IsA("TfrxReportTitle");
    if (title) headerList_[i].Band = nullptr;  // the title prints once
    band->Overflow = true;
    CurLine = band->LineN;
    CurLineThrough = band->LineThrough;
    CurX = item.Left;
    {
      FlagScope fromAddPage(callFromAddPage_, true);
      FlagScope fromPageHeader(callFromPHeader_, pageHeader);
      FlagScope reprinting(reprintingHeader_, !title);
      RunThenRestore([&] { ShowBand(band); },
                     [&] {
                       band->Overflow = false;
                       CurLine = savedLine;
                       CurLineThrough = savedLineThrough;
                       CurX = savedX;
                     });
    }
    if (pageHeader) firstColumnY_ = band->StretchedHeight;
    if (title && isFirstBand_) titlePrinted_ = true;
  }
}

void TfrxEngine::EndPage() {
  if (!callFromEndPage_) EndColumn();
  if (!isLastPage_) {
    CurX = pageCurX_;
    CurColumn = 1;
  }
  if (isLastPage_ && !callFromEndPage_) {
    FlagScope fromEndPage(callFromEndPage_, true);
    const long double before = CurY;
    ShowBand(TfrxReportSummary::StaticClass());
    if (page_ && page_->EndlessHeight() && PreviewPages) {
      PageHeight += CurY - before;
      const long double width = page_->LeftMargin() * fr01cm + PageWidth + page_->RightMargin() * fr01cm;
      const long double height = PageHeight + (page_->TopMargin() + page_->BottomMargin()) * fr01cm;
      PreviewPages->UpdatePageDimensions(page_, width, height);
    }
  }
  if (TfrxBand* footer = FindBand(TfrxPageFooter::StaticClass())) {
    CurY = GetPageHeight() - footer->Height();
    auto* pf = static_cast<TfrxPageFooter*>(footer);
    prevFooterHeight_ = (isLastPage_ && pf->PrintOnLastPage() && !callFromEndPage_) ? footer->Height() : 0;
    ShowFooterBand(footer);
  }
  if (auto* overlay = dynamic_cast<TfrxOverlay*>(FindBand(TfrxOverlay::StaticClass()));
      overlay && overlay->PrintOnTop()) {
    CurY = 0;
    ShowFooterBand(overlay);
  }
  isFirstPage_ = false;
}

void TfrxEngine::ShowFooterBand(TfrxBand* band) {
  Stretch(band);
  const bool printed = RunThenRestore(
      [&] {
        if (!band->Visible()) return true;
        band->SetLeft(0);
        band->SetTop(CurY);
        if (auto* pf = dynamic_cast<TfrxPageFooter*>(band)) {
          if ((isFirstPage_ && !pf->PrintOnFirstPage()) || (isLastPage_ && !pf->PrintOnLastPage() && !callFromEndPage_))
            return false;
        }
        if (PreviewPages && !PreviewPages->BandExists(band)) PreviewPages->AddObject(band);
        CurY += band->Height();
        return true;
      },
      [&] { UnStretch(band); });
  if (printed) aggregates_->Reset(band);  // a footer not printed here keeps its sums going
}

void TfrxEngine::NewPage() {
  // A keep block taller than a page cannot move whole.
  if (keepBand_ && CurY - keepCurY_ + keepBand_->Height() > GetPageHeight() - FooterHeight()) {
    keeping_ = false;
    aggregates_->EndKeep();
  }
  TfrxBand* carried = nullptr;
  const bool moving = keeping_ && PreviewPages;
  if (moving) {
    if (keepFooter_) aggregates_->DeleteValue(keepBand_);
    PreviewPages->CutObjects(keepPosition_);
    if (IsDataBand(curBand_) && std::fabs(PreviewPages->GetLastY(0) - CurY) >= kEps) carried = curBand_->Header;
    RemoveFromHeaderList(carried);
  }
  lastBandOnPage_ = curBand_;
  EndPage();
  if (page_ && page_->EndlessHeight() && PreviewPages && PreviewPages->GetCount() > 0) {
    const int last = PreviewPages->GetCount() - 1;
    if (auto* p = dynamic_cast<TfrxReportPage*>(PreviewPages->GetPage(last))) {
      p->SetSizeAndDimensions(256, PageWidth / fr01cm + page_->LeftMargin() + page_->RightMargin(),
                              (FooterHeight() + CurY) / fr01cm + page_->TopMargin() + page_->BottomMargin());
      PreviewPages->ModifyPage(last, p);
    }
  }
  AddPage();
  lastBandOnPage_ = nullptr;
  // The kept block continues on the new page.
  if (moving) {
    aggregates_->EndKeep();
    PreviewPages->PasteObjects(0, CurY);
    const int top = static_cast<int>(std::lround(CurY));
    if (PreviewPages->Outline()) PreviewPages->Outline()->ShiftItems(keepOutline_, top, true);
    PreviewPages->ShiftAnchors(keepAnchor_, top, true);
    CurY = PreviewPages->GetLastY(0);
    if (keepFooter_) aggregates_->AddValue(keepBand_);
    AddToHeaderList(carried);
  }
  keeping_ = false;
  keepHeader_ = false;
  keepCurY_ = 0;
  AddPageOutline();
}

void TfrxEngine::NewColumn() {
  if (!page_ || CurColumn >= page_->Columns()) {
    NewPage();
    return;
  }
  const bool moving = keeping_ && PreviewPages;
  if (moving) {
    if (keepFooter_) aggregates_->DeleteValue(keepBand_);
    PreviewPages->CutObjects(keepPosition_);
    CurY = PreviewPages->GetLastY(CurX);
  }
  lastBandOnPage_ = curBand_;
  EndColumn();
  AddColumn();
  lastBandOnPage_ = nullptr;
  if (moving) {
    aggregates_->EndKeep();
    PreviewPages->PasteObjects(CurX, CurY);
    // The block stays on its page: its outline entries and anchors follow it
    // to the top of the new column without changing page.
    const int top = static_cast<int>(std::lround(CurY));
    if (PreviewPages->Outline()) PreviewPages->Outline()->ShiftItems(keepOutline_, top, false);
    PreviewPages->ShiftAnchors(keepAnchor_, top, false);
    CurY = PreviewPages->GetLastY(CurX);
    if (keepFooter_) aggregates_->AddValue(keepBand_);
  }
  keeping_ = false;
  keepHeader_ = false;
}

void TfrxEngine::AddColumn() {
  ++CurColumn;
  const long double x = ColumnX(CurColumn);
  CurY = firstColumnY_;
  for (int i = 0; i < headerList_.Count(); ++i) {
    const TfrxHeaderListItem item = headerList_[i];
    TfrxBand* band = item.Band;
    if (!band || band->IsA("TfrxPageHeader")) continue;
    if (band == lastBandOnPage_ || item.IsInKeepList || keepHeader_) continue;
    CurX = item.Left + x;
    for (TfrxBand* b = band; b;) {
      b->Overflow = true;
      Stretch(b);
      RunThenRestore(
          [&] {
            if (!b->Visible()) return;
            b->SetLeft(CurX);
            b->SetTop(CurY);
            if (PreviewPages) PreviewPages->AddObject(b);
            CurY += b->Height();
          },
          [&] {
            UnStretch(b);
            b->Overflow = false;
          });
      if (!(b->Visible() || b->PrintChildIfInvisible())) break;
      b = b->Child();
    }
  }
  CurX = pageCurX_ + x;
}

void TfrxEngine::EndColumn() {
  TfrxBand* footer = FindBand(TfrxColumnFooter::StaticClass());
  if (!footer) return;
  Stretch(footer);
  RunThenRestore(
      [&] {
        if (!footer->Visible()) return;
        footer->SetLeft(CurX - pageCurX_);
        footer->SetTop(CurY);
        if (PreviewPages) PreviewPages->AddObject(footer);
        CurY += footer->Height();
      },
      [&] { UnStretch(footer); });
  aggregates_->Reset(footer);
}

// ---------------------------------------------------------------- keep-together

void TfrxEngine::StartKeep(TfrxBand* band, int position) {
  if (keeping_ || isFirstBand_) return;
  keepCurY_ = CurY;
  keeping_ = true;
  keepBand_ = band;
  keepPosition_ = position != 0 ? position : (PreviewPages ? PreviewPages->GetCurPosition() : 0);
  keepOutline_ = PreviewPages && PreviewPages->Outline() ? PreviewPages->Outline()->GetCurPosition() : nullptr;
  keepAnchor_ = PreviewPages ? PreviewPages->GetAnchorCurPosition() : -1;
  aggregates_->StartKeep();
}

void TfrxEngine::EndKeep(TfrxBand* band) {
  if (band != keepBand_) return;
  BreakAllKeep();
}

void TfrxEngine::BreakAllKeep() {
  keepCurY_ = 0;
  keeping_ = false;
  keepBand_ = nullptr;
  aggregates_->EndKeep();
  keepHeader_ = false;
}

// ---------------------------------------------------------------- header lists

namespace {
bool ReprintsOnNewPage(const TfrxBand* band) {
  if (auto* h = dynamic_cast<const TfrxHeader*>(band)) return h->ReprintOnNewPage();
  if (auto* g = dynamic_cast<const TfrxGroupHeader*>(band)) return g->ReprintOnNewPage();
  return false;
}
}  // namespace

void TfrxEngine::AddToHeaderList(TfrxBand* band) {
  if (!band || !ReprintsOnNewPage(band)) return;
  headerList_.AddItem(band, pageCurX_, keeping_ && band->IsA("TfrxGroupHeader"));
}

void TfrxEngine::AddToVHeaderList(TfrxBand* band) {
  if (!band || !ReprintsOnNewPage(band)) return;
  vHeaderList_.push_back(band);
}

void TfrxEngine::RemoveFromHeaderList(TfrxBand* band) {
  if (band) headerList_.RemoveItem(band);
}

void TfrxEngine::RemoveFromVHeaderList(TfrxBand* band) {
  if (!band) return;
  auto it = std::find(vHeaderList_.begin(), vHeaderList_.end(), band);
  if (it != vHeaderList_.end()) vHeaderList_.erase(it);
}

// ---------------------------------------------------------------- subreports

void TfrxEngine::RunSubreportPage(TfrxReportPage* page) {
  // A template whose subreports lead back to a page already running (its
  // own page included) would run it again and again until the stack ran out.
  if (!page || std::find(runningSubPages_.begin(), runningSubPages_.end(), page) != runningSubPages_.end()) return;
  runningSubPages_.push_back(page);
  struct Pop {
    std::vector<TfrxReportPage*>& pages;
    ~Pop() { pages.pop_back(); }
  } pop{runningSubPages_};
  RunPage(page);
}

void TfrxEngine::CheckSubReports(TfrxBand* band) {
  if (!PreviewPages) return;
  const int savedPage = PreviewPages->CurPage;
  const int savedColumn = CurColumn;
  const long double savedX = CurX, savedPageX = pageCurX_, savedY = CurY;
  bool any = false;
  std::tuple<int, int, long double> furthest{savedPage, savedColumn, savedY};
  const std::vector<TfrxComponent*> objects = band->Objects();
  for (TfrxComponent* c : objects) {
    auto* sub = c->AsSubreport();
    if (!sub || !sub->Visible() || sub->PrintOnParent() || !sub->Page()) continue;
    PreviewPages->CurPage = savedPage;
    CurColumn = savedColumn;
    pageCurX_ = savedPageX + sub->Left();
    CurX = savedX + sub->Left();
    CurY = savedY - band->StretchedHeight + sub->Top();
    RunSubreportPage(sub->Page());
    const std::tuple<int, int, long double> end{PreviewPages->CurPage, CurColumn, CurY};
    if (!any || end > furthest) furthest = end;
    any = true;
  }
  if (!any) return;
  PreviewPages->CurPage = std::get<0>(furthest);
  CurColumn = std::get<1>(furthest);
  CurX = savedPageX + (CurColumn > 1 ? ColumnX(CurColumn) : 0);
  CurY = std::get<2>(furthest);
  pageCurX_ = savedPageX;
}

void TfrxEngine::RunSubreportsOnParent(TfrxBand* band) {
  if (outputBand_) return;  // only the outermost band collects
  band->OriginalObjectsCount = static_cast<int>(band->Objects().size());
  std::unique_ptr<TfrxNullBand> output = std::make_unique<TfrxNullBand>(nullptr);
  outputBand_ = output.get();
  struct Release {
    TfrxNullBand*& field;
    ~Release() { field = nullptr; }
  } release{outputBand_};
  const long double savedPageX = pageCurX_, savedX = CurX, savedY = CurY;
  RunThenRestore(
      [&] {
        const std::vector<TfrxComponent*> objects = band->Objects();
        for (TfrxComponent* c : objects) {
          auto* sub = c->AsSubreport();
          if (!sub || !sub->Visible() || !sub->PrintOnParent() || !sub->Page()) continue;
          pageCurX_ = savedPageX + sub->Left();
          CurX = sub->Left();
          CurY = sub->Top();
          RunSubreportPage(sub->Page());
        }
      },
      [&] {
        CurX = savedX;
        CurY = savedY;
        pageCurX_ = savedPageX;
      });
  // The collected objects join the band at their places.
  std::vector<TfrxComponent*> views;
  for (TfrxComponent* c : output->GetAllObjects())
    if (c->IsA("TfrxView") && !c->IsA("TfrxSubreport")) views.push_back(c);
  for (TfrxComponent* v : views) {
    const long double left = v->GetAbsLeft(), top = v->GetAbsTop();
    v->SetParent(band);
    v->SetLeft(left);
    v->SetTop(top);
    v->SetParentFont(false);
    if (TfrxStretcheable* s = AsStretcheable(v)) s->SetStretchMode(smDontStretch);
  }
}

// ---------------------------------------------------------------- vertical bands

void TfrxEngine::ShowVerticalBand(TfrxBand* band) {
  TfrxReport& report = OwnerReport();
  if (IsDataBand(band)) ++CurVColumn;
  const bool footer = band->IsA("TfrxFooter") || band->IsA("TfrxGroupFooter");
  curBand_ = footer ? band : vMasterBand_;
  report.SetCurObject(band->Name());
  band->BeforePrint();
  report.DoBeforePrint(band);
  if (band->Visible() && vMasterBand_) {
    if (CurX + band->Width() > PageWidth + kEps) {
      if (page_ && page_->EndlessWidth()) {
        PageWidth += band->Width();
      } else {
        // The next prepared page, or a new one past the last.
        if (PreviewPages) {
          const TfrxAddPageAction action = PreviewPages->AddPageAction;
          PreviewPages->AddPageAction = apWriteOver;
          PreviewPages->AddPage(page_);
          PreviewPages->AddPageAction = action;
        }
        CurX = 0;
        vPageList_.push_back(static_cast<int>(vMasterBand_->Objects().size()));
        const std::vector<TfrxBand*> headers = vHeaderList_;
        for (TfrxBand* h : headers) ShowBand(h);
      }
    }
    const std::vector<TfrxComponent*> objects = band->Objects();
    for (TfrxComponent* c : objects) {
      auto* rc = c->AsReportComponent();
      if (!rc || rc->SourceBand() != vMasterBand_) continue;
      report.SetCurObject(rc->Name());
      rc->BeforePrint();
      report.DoBeforePrint(rc);
      rc->GetData();
      std::unique_ptr<rtl::TObject> made(rc->ClassType().Create(nullptr));
      if (auto* copy = dynamic_cast<TfrxComponent*>(made.get())) {
        made.release();
        copy->Assign(rc);
        copy->SetAliasName(rc->AliasName());
        copy->SetOriginal(rc->Original());
        copy->SetParent(vMasterBand_);
        copy->SetLeft(rc->Left() + CurX);
      }
      rc->AfterPrint();
    }
    CurX += band->Width();
  }
  report.DoAfterPrint(band);
  band->AfterPrint();
  if (IsDataBand(band)) aggregates_->AddValue(band, CurVColumn);
  if (footer) aggregates_->Reset(band);
}

void TfrxEngine::ShowVerticalPages(TfrxBand* band) {
  if (!PreviewPages) return;
  PreviewPages->AddPageAction = apWriteOver;
  const int savedPage = PreviewPages->CurPage;
  const long double savedY = CurY, savedX = CurX;
  const std::vector<TfrxComponent*> all = band->Objects();
  const std::vector<int> spans = vPageList_;
  auto layOut = [&] {
    const int count = static_cast<int>(all.size());
    for (std::size_t i = 0; i + 1 < spans.size(); ++i) {
      const int from = std::clamp(spans[i], 0, count), to = std::clamp(spans[i + 1], 0, count);
      while (!band->Objects().empty()) band->Objects().back()->SetParent(nullptr);
      for (int k = from; k < to; ++k) all[static_cast<std::size_t>(k)]->SetParent(band);
      PreviewPages->AddObject(band);
      if (i + 2 == spans.size()) {
        // Only the pages the vertical bands went on to are ended here; the
        // page the band started on goes on with the rows below it.
        if (spans.size() > 2) EndPage();
      } else {
        FlagScope noHeaders(dontShowHeaders_, true);
        NewPage();
      }
    }
  };
  auto giveBack = [&] {
    while (!band->Objects().empty()) band->Objects().back()->SetParent(nullptr);
    for (TfrxComponent* c : all) c->SetParent(band);
    PreviewPages->CurPage = savedPage;
    CurY = savedY;
    CurX = savedX;
    PreviewPages->AddPageAction = apAdd;
  };
  RunThenRestore(layOut, giveBack);
}

// ---------------------------------------------------------------- outline

void TfrxEngine::AddBandOutline(TfrxBand* band) {
  if (!band || band->OutlineText().empty() || !PreviewPages || !PreviewPages->Outline()) return;
  TfrxReport& report = OwnerReport();
  report.SetCurObject(band->Name());
  const long double height = band->Stretched() ? band->StretchedHeight : band->Height();
  const int top = static_cast<int>(std::lround(CurY - height));
  if (!band->Visible()) return;
  PreviewPages->Outline()->AddItem(rtl::VarToStr(report.Calc(band->OutlineText())), top);
  outlineOpen_.push_back(band);
}

void TfrxEngine::AddPageOutline() {
  if (!page_ || page_->OutlineText().empty() || !PreviewPages || !PreviewPages->Outline()) return;
  PreviewPages->Outline()->LevelRoot();
  PreviewPages->Outline()->AddItem(rtl::VarToStr(OwnerReport().Calc(page_->OutlineText())), 0);
}

void TfrxEngine::OutlineRoot() {
  if (PreviewPages && PreviewPages->Outline()) PreviewPages->Outline()->LevelRoot();
}

void TfrxEngine::OutlineUp(TfrxBand* band) {
  if (!band || band->OutlineText().empty() || !PreviewPages || !PreviewPages->Outline()) return;
  // A band that added no entry (it was hidden) has no level to leave: going
  // up for it would hang every later entry one level too high.
  auto it = std::find(outlineOpen_.rbegin(), outlineOpen_.rend(), band);
  if (it == outlineOpen_.rend()) return;
  outlineOpen_.erase(std::next(it).base());
  PreviewPages->Outline()->LevelUp();
}

}  // namespace report
