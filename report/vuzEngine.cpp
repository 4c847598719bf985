// The engine's run: structure analysis of each report page, the data-band
// loop with groups and columns, and the vertical bands' loop.
#include "report/vuzEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "platform/rtl/datetime.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/textcase.h"
#include "report/vuzAggregate.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"
#include "report/vuzRes.h"

namespace report {

using rtl::operator""_cp;

namespace {

// The component as one of the engine's kinds, by its registered class: a
// class's registered ancestry follows its C++ one (a test holds every
// registered class to it), and the walk up it costs a fraction of the
// run-time type search, which weighed on pages of many bands.
template <class T>
T* As(TfrxComponent* c) {
  return c && c->ClassType().InheritsFrom(T::StaticClass()) ? static_cast<T*>(c) : nullptr;
}

// The list a band structure is built from: the bands still waiting to be
// placed, in order of their position on the page.
using BandList = std::vector<TfrxBand*>;

void AddError(rtl::TStrings& errors, const char* key, TfrxBand* band) {
  errors.Add(vuzResources().Get(key) + " " + band->Name());
}

// Moves the data bands whose number is one above the band's, found from
// `from` on in the list, under the band as its details (each collecting its
// own in turn); a band of the band's own level or above ends the walk. Bands
// taken are marked gone rather than erased, so that pages of many bands do
// not pay for shifting the list at every take.
void CollectDetails(TfrxDataBand* band, const BandList& list, std::vector<char>& gone, std::size_t from) {
  const int level = band->BandNumber();
  for (std::size_t k = from; k < list.size(); ++k) {
    if (gone[k]) continue;
    const int number = list[k]->BandNumber();
    if (number <= level) return;
    if (number != level + 1) continue;
    auto* detail = static_cast<TfrxDataBand*>(list[k]);
    if (detail->DataSet()) band->SubBands().push_back(detail);
    gone[k] = 1;
    if (!detail->IsA("TfrxDataBand6")) CollectDetails(detail, list, gone, k + 1);
  }
}

// The bands of the list that are not marked gone, in order.
BandList Remaining(const BandList& list, const std::vector<char>& gone) {
  BandList rest;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (!gone[i]) rest.push_back(list[i]);
  return rest;
}

}  // namespace

// ---------------------------------------------------------------- TfrxHeaderList

void TfrxHeaderList::AddItem(TfrxBand* band, long double left, bool isInKeepList) {
  items_.push_back(TfrxHeaderListItem{band, left, isInKeepList});
}

void TfrxHeaderList::RemoveItem(TfrxBand* band) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->Band == band) {
      items_.erase(it);
      return;
    }
  }
}

// ---------------------------------------------------------------- TfrxEngine

TfrxEngine::TfrxEngine(TfrxComponent* report)
    : TfrxCustomEngine(report), aggregates_(std::make_unique<TfrxAggregateList>(static_cast<TfrxReport*>(report))) {}

TfrxEngine::~TfrxEngine() = default;

const rtl::TClassInfo& TfrxEngine::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxEngine>("TfrxEngine", &TfrxCustomEngine::StaticClass()).Build();
  return info;
}

TfrxReport& TfrxEngine::OwnerReport() const { return *static_cast<TfrxReport*>(Report()); }

bool TfrxEngine::Terminated() {
  if (OwnerReport().Terminated()) return true;
  if (MaxRunTime.count() > 0 && std::chrono::steady_clock::now() - runStart_ > MaxRunTime)
    StopRun("Построение остановлено: отчёт строился дольше "_cp + rtl::IntToStr(MaxRunTime.count()) + " мс"_cp);
  return OwnerReport().Terminated();
}

void TfrxEngine::StopRun(const AnsiString& why) {
  if (OwnerReport().Terminated()) return;
  OwnerReport().Errors().Add(why);
  OwnerReport().SetTerminated(true);
}

void TfrxEngine::CheckLimits() {
  if (PreviewPages && PreviewPages->GetCount() > MaxPages)
    StopRun("Построение остановлено: отчёт превысил "_cp + rtl::IntToStr(MaxPages) + " страниц"_cp);
  Terminated();
}

std::vector<TfrxReportPage*> TfrxEngine::ReportPages() const {
  std::vector<TfrxReportPage*> pages;
  for (TfrxComponent* c : OwnerReport().Objects())
    if (auto* p = As<TfrxReportPage>(c)) pages.push_back(p);
  return pages;
}

bool TfrxEngine::CountRow(TfrxDataSet* dataSet, int& rows) {
  if (++rows <= MaxRowsWithoutEnd) return true;
  // A dataset that never says where its data ends would build pages until
  // memory runs out; the run stops and says why.
  AnsiString name = dataSet->UserName();
  if (name.empty()) name = dataSet->Name();
  StopRun("Набор данных \""_cp + name + "\" не сообщил о конце данных: построение остановлено после "_cp +
          rtl::IntToStr(MaxRowsWithoutEnd) + " строк"_cp);
  return false;
}

// ---------------------------------------------------------------- the run

bool TfrxEngine::Run() {
  bool result = false;
  try {
    if (Initialize()) {
      TfrxReport& report = OwnerReport();
      report.DataSets()->Initialize();
      RunDialogs();
      for (TfrxReportPage* p : ReportPages()) {
        page_ = p;
        PreviewPages->AddSourcePage(p);
        aggregates_->AddItems(p);
      }
      const bool doublePass = report.EngineOptions()->DoublePass;
      FinalPass = !doublePass;
      TotalPages = 0;
      PreviewPages->BeginPass();
      RunReportPages();
      if (doublePass && !Terminated()) {
        TotalPages = PreviewPages->GetCount();
        PreviewPages->CurPage = TotalPages - 1;
        PreviewPages->ClearFirstPassPages();
        aggregates_->ClearValues();
        FinalPass = true;
        RunReportPages();
      }
      result = true;
    }
  } catch (...) {
    Finalize();
    throw;
  }
  Finalize();
  return result;
}

bool TfrxEngine::Initialize() {
  TfrxReport& report = OwnerReport();
  prevFooterHeight_ = 0;
  PreviewPages->Initialize();
  PreviewPages->AddPageAction = apAdd;
  StartDate = rtl::Date();
  StartTime = rtl::Now();
  runStart_ = std::chrono::steady_clock::now();
  Running = true;
  keeping_ = false;
  CurVColumn = 0;
  outputBand_ = nullptr;
  aggregates_->Clear();
  // Every run starts as the first did: a title printed by the last run (or
  // state left by a run that raised) must not change this one.
  titlePrinted_ = false;
  keepBand_ = nullptr;
  keepFooter_ = false;
  keepHeader_ = false;
  dontShowHeaders_ = false;
  callFromAddPage_ = false;
  callFromEndPage_ = false;
  callFromPHeader_ = false;
  startNewPageBand_ = nullptr;
  lastBandOnPage_ = nullptr;
  vMasterBand_ = nullptr;
  bandNamesPath_.clear();
  headerList_.Clear();
  vHeaderList_.clear();

  rtl::TStrings& errors = report.Errors();
  const std::vector<TfrxReportPage*> pages = ReportPages();
  for (TfrxReportPage* p : pages) {
    page_ = p;
    PreparePage(errors, false);
    PreparePage(errors, true);
  }

  TfrxDataSet* reportDataSet = report.DataSet();
  for (TfrxReportPage* p : pages) {
    if (reportDataSet && reportDataSet == p->DataSet()) {
      errors.Add("Cannot use the same dataset for Report.DataSet and Page.DataSet");
      break;
    }
    for (TfrxBand* b : p->SubBands()) {
      TfrxDataSet* d = static_cast<TfrxDataBand*>(b)->DataSet();
      if (reportDataSet && d == reportDataSet) {
        errors.Add("Cannot use the same dataset for Report.DataSet and Band.DataSet");
        break;
      }
      if (p->DataSet() && d == p->DataSet()) {
        errors.Add("Cannot use the same dataset for Page.DataSet and Band.DataSet");
        break;
      }
    }
  }
  return errors.Count() == 0;
}

void TfrxEngine::Finalize() {
  try {
    OwnerReport().DataSets()->Finalize();
  } catch (...) {
    PreviewPages->Finish();
    Running = false;
    throw;
  }
  PreviewPages->Finish();
  Running = false;
}

// ---------------------------------------------------------------- structure analysis

void TfrxEngine::PreparePage(rtl::TStrings& errors, bool vertical) {
  page_->AlignChildren();
  (vertical ? page_->VSubBands() : page_->SubBands()).clear();

  std::vector<TfrxBand*> bands, verticalBands;
  for (TfrxComponent* c : page_->Objects())
    if (auto* b = As<TfrxBand>(c)) {
      if (b->Vertical() == vertical) bands.push_back(b);
      if (b->Vertical()) verticalBands.push_back(b);
    }

  for (TfrxBand* b : bands) {
    PrepareShiftTree(b);
    b->SubBands().clear();
    b->Header = nullptr;
    b->Footer = nullptr;
    b->Group = nullptr;
    b->HasVBands = false;
    if (auto* d = As<TfrxDataBand>(b); d && !d->DataSet() && d->RowCount() > 0) {
      d->SetDataSet(d->VirtualDataSet());
      d->VirtualDataSet()->Initialize();
    }
    if (vertical || b->IsA("TfrxOverlay") || verticalBands.empty()) continue;
    // Objects standing inside a vertical band's strip print with it.
    const std::vector<TfrxComponent*> objects = b->Objects();
    for (TfrxComponent* c : objects) {
      const long double left = b->Left() + c->Left();
      const long double right = left + c->Width();
      for (TfrxBand* v : verticalBands) {
        if (left < v->Left() - 0.0001 || right > v->Left() + v->Width() + 0.0001) continue;
        c->SetParent(v);
        c->SetSourceBand(b);
        c->SetLeft(left - v->Left());
        b->HasVBands = true;
        break;
      }
    }
  }

  // The numbered kinds that make up the structure, by position; of two at
  // the same position (to two decimals) only the first takes part. The key
  // is numeric, so bands above the page's top sort before the others.
  std::vector<std::pair<std::int64_t, TfrxBand*>> keyed;
  std::unordered_set<std::int64_t> positions;
  for (TfrxBand* b : bands) {
    const int number = b->BandNumber();
    if (number < 4 || number > 13) continue;
    const std::int64_t key = std::llround((vertical ? b->Left() : b->Top()) * 100.0L);
    if (!positions.insert(key).second) continue;
    keyed.emplace_back(key, b);
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  BandList list;
  for (const auto& e : keyed) list.push_back(e.second);

  // Groups: a run of group headers belongs to the next data band.
  std::vector<std::size_t> nextData(list.size() + 1, list.size());
  for (std::size_t i = list.size(); i-- > 0;) nextData[i] = As<TfrxDataBand>(list[i]) ? i : nextData[i + 1];
  for (std::size_t i = 0; i < list.size();) {
    auto* first = As<TfrxGroupHeader>(list[i]);
    if (!first) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < list.size() && As<TfrxGroupHeader>(list[j])) first->SubBands().push_back(list[j++]);
    if (nextData[j] < list.size())
      list[nextData[j]]->Group = first;
    else
      AddError(errors, "enUnconnGroup", first);
    i = j;
  }
  // Each group footer closes the nearest open group header before it; both
  // leave the list, and so do the headers left open. Footers that close
  // nothing are errors.
  std::vector<char> gone(list.size(), 0);
  std::vector<std::size_t> openHeaders;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (As<TfrxGroupHeader>(list[i])) {
      openHeaders.push_back(i);
    } else if (As<TfrxGroupFooter>(list[i]) && !openHeaders.empty()) {
      list[openHeaders.back()]->Footer = list[i];
      gone[openHeaders.back()] = gone[i] = 1;
      openHeaders.pop_back();
    }
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (gone[i]) continue;
    if (As<TfrxGroupHeader>(list[i])) {
      gone[i] = 1;
    } else if (As<TfrxGroupFooter>(list[i])) {
      AddError(errors, "enUnconnGFooter", list[i]);
      gone[i] = 1;
    }
  }
  list = Remaining(list, gone);

  // Headers and footers: the one right before and right after a data band.
  std::vector<bool> taken(list.size(), false);
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!As<TfrxDataBand>(list[i])) continue;
    if (i > 0 && !taken[i - 1] && As<TfrxHeader>(list[i - 1])) {
      list[i]->Header = list[i - 1];
      taken[i - 1] = true;
    }
    if (i + 1 < list.size() && As<TfrxFooter>(list[i + 1])) {
      list[i]->Footer = list[i + 1];
      taken[i + 1] = true;
    }
  }
  BandList rest;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (taken[i]) continue;
    if (As<TfrxHeader>(list[i]) || As<TfrxFooter>(list[i]))
      AddError(errors, "enUnconnHeader", list[i]);
    else
      rest.push_back(list[i]);
  }
  list = std::move(rest);

  // Master-detail trees.
  std::vector<TfrxBand*>& masters = vertical ? page_->VSubBands() : page_->SubBands();
  gone.assign(list.size(), 0);
  for (std::size_t i = 0; i < list.size(); ++i) {
    auto* master = gone[i] ? nullptr : As<TfrxMasterData>(list[i]);
    if (!master) continue;
    if (master->DataSet()) masters.push_back(master);
    gone[i] = 1;
    CollectDetails(master, list, gone, i + 1);
  }
  list = Remaining(list, gone);

  for (TfrxBand* b : list) AddError(errors, "enBandPos", b);
}

// ---------------------------------------------------------------- pages

void TfrxEngine::RunReportPages() {
  firstReportPage_ = true;
  auto runAll = [this] {
    for (TfrxReportPage* p : ReportPages()) {
      page_ = p;
      if (!p->IsSubReport() && p->Visible()) RunPage(p);
      if (Terminated()) return;
      firstReportPage_ = false;
    }
  };
  TfrxDataSet* dataSet = OwnerReport().DataSet();
  if (!dataSet) {
    runAll();
    return;
  }
  int rows = 0;
  dataSet->First();
  while (!dataSet->Eof() && !Terminated() && CountRow(dataSet, rows)) {
    runAll();
    dataSet->Next();
  }
}

void TfrxEngine::RunPage(TfrxReportPage* page) {
  if (page->IsSubReport()) {
    ShowDataBands(page);
    return;
  }
  page_ = page;
  isFirstBand_ = true;
  if (TfrxDataSet* dataSet = page->DataSet()) {
    int rows = 0;
    dataSet->First();
    while (!dataSet->Eof() && !Terminated() && CountRow(dataSet, rows)) {
      RunOnePage();
      dataSet->Next();
    }
  } else {
    for (int i = 0; i < page->PageCount() && !Terminated(); ++i) RunOnePage();
  }
}

void TfrxEngine::RunOnePage() {
  TfrxReport& report = OwnerReport();
  if (!CanShow(page_, report.EngineOptions()->PrintIfEmpty)) return;
  InitPage();
  ShowPageObjects();
  if (report.OnManualBuild)
    report.OnManualBuild(page_);
  else if (rtl::Trim(page_->OnManualBuild).empty())
    ShowDataBands(page_);
  // A manual-build handler named by the page is a script handler: not run.

  isLastPage_ = true;
  if (page_->EndlessHeight() || page_->EndlessWidth()) {
    const long double width = page_->EndlessWidth()
                                  ? page_->LeftMargin() * fr01cm + PageWidth + page_->RightMargin() * fr01cm
                                  : page_->PaperWidth() * fr01cm;
    long double height = page_->PaperHeight() * fr01cm;
    if (page_->EndlessHeight()) {
      PageHeight = FooterHeight() + CurY;
      height = PageHeight + (page_->TopMargin() + page_->BottomMargin()) * fr01cm;
    }
    PreviewPages->UpdatePageDimensions(page_, width, height);
  }
  EndPage();
  isLastPage_ = false;
}

void TfrxEngine::ShowPageObjects() {
  std::vector<TfrxComponent*> objects;
  for (TfrxComponent* c : page_->Objects())
    if (!As<TfrxBand>(c)) objects.push_back(c);

  // The objects lying on the page print as one band at the page's origin;
  // they go back to the page afterwards, in their order.
  TfrxNullBand* band = new TfrxNullBand(nullptr);
  band->SetParent(page_);
  band->SetFont(page_->Font());  // objects that take their parent's font keep the page's
  band->SetBounds(0, 0, PageWidth, PageHeight);
  const long double savedY = CurY;
  auto restore = [&] {
    for (TfrxComponent* c : objects) c->SetParent(page_);
    delete band;
    CurY = savedY;
  };
  try {
    for (TfrxComponent* c : objects) c->SetParent(band);
    band->AlignChildren();
    ShowBand(band);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

bool TfrxEngine::CanShow(TfrxComponent* bandOrPage, bool printIfEmpty) {
  if (printIfEmpty) return true;
  std::vector<TfrxBand*>* subBands = nullptr;
  bool result = false;
  // A band far more often than a page: the cast that fails is the dear one.
  if (auto* band = As<TfrxBand>(bandOrPage)) {
    subBands = &band->SubBands();
    result = subBands->empty();
  } else if (auto* page = As<TfrxReportPage>(bandOrPage)) {
    subBands = &page->SubBands();
  } else {
    return false;
  }
  const std::vector<TfrxBand*> list = *subBands;
  for (TfrxBand* b : list) {
    auto* sub = static_cast<TfrxDataBand*>(b);
    TfrxDataSet* dataSet = sub->DataSet();
    if (!dataSet) continue;
    int rows = 0;
    dataSet->First();
    while (!dataSet->Eof() && !Terminated() && CountRow(dataSet, rows)) {
      if (CanShow(sub, sub->PrintIfDetailEmpty())) {
        result = true;
        break;
      }
      dataSet->Next();
    }
  }
  return result;
}

// ---------------------------------------------------------------- the data-band loop

// The loop runs once per row for each band's details, most often over no
// detail at all: polling the window system every time would cost more than
// the row. A few milliseconds between polls keep the preview and the
// progress window (and their cancel) live.
void TfrxEngine::PumpMessages() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < std::chrono::milliseconds(kPumpIntervalMs)) return;
  lastPump_ = now;
  vuzProcessMessages();
}

void TfrxEngine::ShowDataBands(TfrxComponent* parent) {
  TfrxReport& report = OwnerReport();
  if (!report.EngineOptions()->EnableThreadSafe) PumpMessages();
  if (Terminated()) return;

  long double rowStartY = CurY;
  int cutPosition = 0;
  int footerPosition = 0;
  std::vector<TfrxBand*> subBands;
  if (auto* band = As<TfrxBand>(parent))
    subBands = band->SubBands();
  else if (auto* page = As<TfrxReportPage>(parent))
    subBands = page->SubBands();

  for (TfrxBand* b : subBands) {
    auto* band = static_cast<TfrxDataBand*>(b);
    TfrxDataSet* dataSet = band->DataSet();
    if (!dataSet) continue;
    auto* group = static_cast<TfrxGroupHeader*>(band->Group);
    const bool columns = band->Columns() > 1;

    dataSet->First();
    band->LineN = 1;
    band->LineThrough = 1;
    band->SetCurColumn(1);
    ResetSuppressValues(band);
    bool firstRow = true;
    int rows = 0;
    do {
      if (dataSet->Eof() || !CountRow(dataSet, rows)) break;
      if (CanShow(band, band->PrintIfDetailEmpty())) {
        if (firstRow) {
          if (band->KeepHeader() && band->Header) {
            if (isFirstBand_) isFirstBand_ = !titlePrinted_;
            keepHeader_ = !isFirstBand_;
            StartKeep(band);
          }
          if (band->Header) {
            AddToHeaderList(band->Header);
            ShowBand(band->Header);
          }
          if (band->KeepTogether()) StartKeep(band);
        } else if (!group && band->KeepTogether()) {
          StartKeep(band);
        }
        if (group) {
          if (firstRow)
            InitGroups(band, group, true, 0);
          else
            CheckGroups(band, group, rowStartY, cutPosition);
        }
        if (band->KeepFooter()) footerPosition = PreviewPages->GetCurPosition();
        if (columns && band->CurColumn() == 1) cutPosition = PreviewPages->GetCurPosition();

        rowStartY = CurY;
        CurLine = band->LineN;
        CurLineThrough = band->LineThrough;
        ShowBand(band);
        keepHeader_ = false;
        NotifyObjects(band);
        if (firstRow && band->KeepHeader() && band->Header) EndKeep(band);

        bandNamesPath_.emplace_back(band->Name(), band->LineThrough);
        ++band->LineN;
        ++band->LineThrough;

        CheckBandColumns(band, cutPosition, rowStartY);
        AddBandOutline(band);
        ShowDataBands(band);
        bandNamesPath_.pop_back();
        OutlineUp(band);
        isFirstBand_ = false;
        if (band->FooterAfterEach()) ShowBand(band->Footer);
        firstRow = false;
      }
      if (!group && band->KeepTogether()) EndKeep(band);
      dataSet->Next();
    } while ((band->RowCount() == 0 || band->RowCount() >= band->LineN) && !Terminated());

    // Closes the last row of columns.
    if (columns) {
      band->SetCurColumn(band->Columns());
      CheckBandColumns(band, cutPosition, rowStartY);
    }

    if (!firstRow) {
      if (group) ShowGroupFooters(group, 0, band);
      if (keeping_) RemoveFromHeaderList(band->Header);
      if (!band->FooterAfterEach()) {
        if (band->KeepFooter()) StartKeep(band, footerPosition);
        keepFooter_ = true;
        try {
          ShowBand(band->Footer);
        } catch (...) {
          keepFooter_ = false;
          throw;
        }
        if (band->KeepFooter()) EndKeep(band);
        keepFooter_ = false;
      }
      RemoveFromHeaderList(band->Header);
      if (group && band->KeepTogether()) EndKeep(band);
    }

    if (Terminated()) break;
    isFirstBand_ = false;
  }
}

// ---------------------------------------------------------------- groups

void TfrxEngine::InitGroups(TfrxDataBand* band, TfrxGroupHeader* group, bool first, int start) {
  TfrxReport& report = OwnerReport();
  std::vector<TfrxBand*>& run = group->SubBands();
  const int count = static_cast<int>(run.size());
  for (int i = start; i < count; ++i) {
    TfrxBand* g = run[static_cast<std::size_t>(i)];
    if (first) {
      g->LineN = 1;
      g->LineThrough = 1;
      ResetSuppressValues(g);
    } else {
      ++g->LineN;
      if (i + 1 < count) run[static_cast<std::size_t>(i + 1)]->LineN = 0;
      ++g->LineThrough;
    }
  }

  CheckDrill(band, group);

  for (int i = start; i < count; ++i) {
    auto* g = static_cast<TfrxGroupHeader*>(run[static_cast<std::size_t>(i)]);
    CurLine = g->LineN;
    CurLineThrough = g->LineThrough;
    report.SetCurObject(g->Name());
    g->LastValue = report.Calc(g->Condition());
    if (g->KeepTogether()) StartKeep(g);
    ShowBand(g);
    AddBandOutline(g);
    if (band->Vertical())
      AddToVHeaderList(g);
    else
      AddToHeaderList(g);
  }
}

void TfrxEngine::CheckGroups(TfrxDataBand* band, TfrxGroupHeader* group, long double rowStartY, int cutPosition) {
  TfrxReport& report = OwnerReport();
  CheckDrill(band, group);
  std::vector<TfrxBand*>& run = group->SubBands();
  for (std::size_t i = 0; i < run.size(); ++i) {
    auto* g = static_cast<TfrxGroupHeader*>(run[i]);
    report.SetCurObject(g->Name());
    const rtl::Variant value = report.Calc(g->Condition());
    if (value == g->LastValue) continue;

    if (band->Columns() > 1) band->SetCurColumn(band->Columns());
    CheckBandColumns(band, cutPosition, rowStartY);

    // The footers print while the dataset stands on the last row of the
    // group they close.
    TfrxDataSet* dataSet = band->DataSet();
    bool steppedBack = true;
    try {
      dataSet->Prior();
    } catch (...) {
      steppedBack = false;
    }
    ShowGroupFooters(group, static_cast<int>(i), band);
    if (steppedBack) dataSet->Next();

    InitGroups(band, group, false, static_cast<int>(i));
    band->LineN = 1;
    ResetSuppressValues(band);
    return;
  }
}

void TfrxEngine::ShowGroupFooters(TfrxGroupHeader* group, int start, TfrxDataBand* band) {
  std::vector<TfrxBand*>& run = group->SubBands();
  for (int i = static_cast<int>(run.size()) - 1; i >= start; --i) {
    auto* g = static_cast<TfrxGroupHeader*>(run[static_cast<std::size_t>(i)]);
    if (auto* footer = As<TfrxGroupFooter>(g->Footer)) {
      if (footer->HideIfSingleDataRecord() && band->LineN < 3)
        aggregates_->Reset(footer);
      else
        ShowBand(footer);
    }
    OutlineUp(g);
    if (band->Vertical())
      RemoveFromVHeaderList(g);
    else
      RemoveFromHeaderList(g);
    if (g->KeepTogether()) EndKeep(g);
  }
}

void TfrxEngine::CheckDrill(TfrxDataBand* band, TfrxGroupHeader* group) {
  TfrxReport& report = OwnerReport();
  std::vector<TfrxBand*>& run = group->SubBands();
  for (std::size_t i = 0; i < run.size(); ++i) {
    auto* p = static_cast<TfrxGroupHeader*>(run[i]);
    if (!p->DrillDown()) continue;
    AnsiString name;
    for (const auto& [bandName, line] : bandNamesPath_) name += bandName + "." + rtl::IntToStr(line) + ".";
    name += p->Name() + "." + rtl::IntToStr(p->LineThrough);
    p->SetDrillName(name);

    bool expanded = report.DrillState()->IndexOf(name) >= 0;
    if (p->ExpandDrillDown()) expanded = !expanded;

    if (p->Child() && !group->ShowChildIfDrillDown()) p->Child()->SetVisible(expanded);
    for (std::size_t j = i + 1; j < run.size(); ++j) {
      run[j]->SetVisible(expanded);
      if (run[j]->Footer) run[j]->Footer->SetVisible(expanded);
    }
    band->SetVisible(expanded);
    if (p->Footer && !p->ShowFooterIfDrillDown()) p->Footer->SetVisible(expanded);
    if (!expanded) return;
  }
}

// ---------------------------------------------------------------- columns, suppression, notification

void TfrxEngine::CheckBandColumns(TfrxDataBand* band, int cutPosition, long double rowStartY) {
  if (band->Columns() <= 1 || !band->Visible()) return;
  if (CurY > band->MaxY) band->MaxY = CurY;
  if (band->CurColumn() < band->Columns()) {
    CurY = rowStartY;
  } else if (GetPageHeight() - FooterHeight() - band->MaxY > 0.0001 || page_->EndlessHeight()) {
    CurY = band->MaxY;
  } else if (keeping_) {
    NewColumn();
  } else {
    // The row of columns does not fit: it moves whole to the next column.
    PreviewPages->CutObjects(cutPosition);
    NewColumn();
    PreviewPages->PasteObjects(CurX, CurY);
    CurY += band->MaxY - rowStartY;
  }
  band->SetCurColumn(band->CurColumn() + 1);
}

void TfrxEngine::ResetSuppressValues(TfrxBand* band) {
  for (TfrxComponent* c : band->Objects())
    if (auto* memo = As<TfrxCustomMemoView>(c)) memo->PreviousText = rtl::Variant::Null();
}

void TfrxEngine::NotifyObjects(TfrxBand* band) {
  const std::vector<rtl::TObject*> notifies = Notifies();
  for (rtl::TObject* o : notifies)
    if (auto* c = dynamic_cast<TfrxComponent*>(o)) c->OnNotify(band);
}

// ---------------------------------------------------------------- vertical bands

void TfrxEngine::ShowVBands(TfrxBand* band) {
  vMasterBand_ = band;
  band->OriginalObjectsCount = static_cast<int>(band->Objects().size());
  band->SetAllowSplit(false);
  const int savedPage = PreviewPages->CurPage;
  vHeaderList_.clear();
  vPageList_.clear();
  vPageList_.push_back(0);
  CurVColumn = 0;
  ShowVDataBands(page_);
  vPageList_.push_back(static_cast<int>(band->Objects().size()));
  PreviewPages->CurPage = savedPage;
}

void TfrxEngine::ShowVDataBands(TfrxComponent* parent) {
  std::vector<TfrxBand*> subBands;
  if (auto* page = As<TfrxReportPage>(parent))
    subBands = page->VSubBands();
  else if (auto* b = As<TfrxBand>(parent))
    subBands = b->SubBands();

  for (TfrxBand* b : subBands) {
    auto* band = static_cast<TfrxDataBand*>(b);
    TfrxDataSet* dataSet = band->DataSet();
    if (!dataSet) continue;
    auto* group = static_cast<TfrxGroupHeader*>(band->Group);

    dataSet->First();
    band->LineN = 1;
    band->LineThrough = 1;
    band->SetCurColumn(1);
    CurLine = band->LineN;
    CurLineThrough = band->LineThrough;
    ResetSuppressValues(band);
    bool firstRow = true;
    int rows = 0;
    while (!dataSet->Eof() && CountRow(dataSet, rows)) {
      if (firstRow && band->Header) {
        ShowBand(band->Header);
        AddToVHeaderList(band->Header);
      }
      if (group) {
        if (firstRow)
          InitGroups(band, group, true, 0);
        else
          CheckGroups(band, group, 0, 0);
      }
      CurLine = band->LineN;
      CurLineThrough = band->LineThrough;
      ShowBand(band);
      NotifyObjects(band);
      ++band->LineN;
      ++band->LineThrough;
      ShowVDataBands(band);
      if (band->FooterAfterEach()) ShowBand(band->Footer);
      firstRow = false;
      dataSet->Next();
      if ((band->RowCount() > 0 && band->RowCount() < band->LineN) || Terminated()) break;
    }

    // Footers close only what was opened: an empty dataset shows none.
    if (!firstRow) {
      if (group) ShowGroupFooters(group, 0, band);
      RemoveFromVHeaderList(band->Header);
      if (!band->FooterAfterEach()) ShowBand(band->Footer);
    }
    if (Terminated()) break;
  }
}

}  // namespace report
