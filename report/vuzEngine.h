// TfrxEngine: builds a report's prepared pages. The run half (vuzEngine.cpp)
// analyses each report page's bands into headers, footers, groups and
// master-detail trees, walks the datasets row by row and hands bands over;
// the output half (vuzEngineOutput.cpp) fills a band with data, grows and
// shifts its objects, decides whether it fits, starts columns and pages,
// splits tall bands, keeps blocks together and writes the band into the
// prepared pages. The engine is the only writer of the prepared pages while
// a run lasts.
#pragma once
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "platform/rtl/stringlists.h"
#include "platform/rtl/variant.h"
#include "report/vuzClassServices.h"

namespace report {

class TfrxAggregateList;
class TfrxBand;
class TfrxDataBand;
class TfrxDataSet;
class TfrxGroupHeader;
class TfrxNullBand;
class TfrxReport;
class TfrxReportPage;

// A band reprinted at the top of each new page or column.
struct TfrxHeaderListItem {
  TfrxBand* Band = nullptr;
  long double Left = 0;       // the page X offset when it was added
  bool IsInKeepList = false;  // added while a keep block was open
};

class TfrxHeaderList {
 public:
  void AddItem(TfrxBand* band, long double left, bool isInKeepList);
  // Removes the first item of that band (nothing when none).
  void RemoveItem(TfrxBand* band);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxHeaderListItem& operator[](int index) { return items_.at(static_cast<std::size_t>(index)); }

 private:
  std::vector<TfrxHeaderListItem> items_;
};

class TfrxEngine : public TfrxCustomEngine {
  RTL_CLASS_INFO
 public:
  explicit TfrxEngine(TfrxComponent* report);
  ~TfrxEngine() override;

  // ---- the slots of TfrxCustomEngine, in their order
  long double GetPageHeight() override;
  void EndPage() override;
  void BreakAllKeep() override;
  void NewColumn() override;
  void NewPage() override;
  void ShowBand(TfrxComponent* band) override;
  void ShowBand(const rtl::TClassInfo& bandClass) override;
  long double HeaderHeight() override;
  long double FooterHeight() override;
  long double FreeSpace() override;
  rtl::Variant GetAggregateValue(const AnsiString& name, const AnsiString& expression, TfrxComponent* band,
                                 int flags) override;
  // One complete build; false when the template has a structure error (the
  // texts are in the report's error list) and nothing was built.
  bool Run() override;

  // ---- run control (vuzEngine.cpp)
  bool Initialize();
  void Finalize();
  bool RunDialogs() { return true; }
  void RunReportPages();
  void RunPage(TfrxReportPage* page);
  // The structure analysis of the current page's horizontal (or vertical)
  // bands; problems are added to the error list.
  void PreparePage(rtl::TStrings& errors, bool vertical);
  bool CanShow(TfrxComponent* bandOrPage, bool printIfEmpty);
  void InitGroups(TfrxDataBand* band, TfrxGroupHeader* group, bool first, int start);
  void CheckGroups(TfrxDataBand* band, TfrxGroupHeader* group, long double rowStartY, int cutPosition);
  void ShowGroupFooters(TfrxGroupHeader* group, int start, TfrxDataBand* band);
  void CheckDrill(TfrxDataBand* band, TfrxGroupHeader* group);
  void CheckBandColumns(TfrxDataBand* band, int cutPosition, long double rowStartY);
  void ResetSuppressValues(TfrxBand* band);
  void NotifyObjects(TfrxBand* band);
  void ShowVBands(TfrxBand* band);

  // ---- band output (vuzEngineOutput.cpp)
  void DoShow(TfrxBand* band);
  void Stretch(TfrxBand* band);
  void UnStretch(TfrxBand* band);
  void PrepareShiftTree(TfrxBand* band);
  void ShiftObjects(TfrxReportComponent* parent, long double offset);
  void CheckSuppress(TfrxBand* band);
  void DrawSplit(TfrxBand* band);
  // The current page's band of that class (nil when it has none).
  TfrxBand* FindBand(const rtl::TClassInfo& bandClass);
  void InitPage();
  void AddPage();
  void AddColumn();
  void EndColumn();
  // Position 0 means the prepared pages' current position.
  void StartKeep(TfrxBand* band, int position = 0);
  void EndKeep(TfrxBand* band);
  void AddToHeaderList(TfrxBand* band);
  void AddToVHeaderList(TfrxBand* band);
  void RemoveFromHeaderList(TfrxBand* band);
  void RemoveFromVHeaderList(TfrxBand* band);
  void CheckSubReports(TfrxBand* band);
  void AddBandOutline(TfrxBand* band);
  void AddPageOutline();
  void OutlineRoot();
  void OutlineUp(TfrxBand* band);

  // ---- state others read
  TfrxAggregateList& Aggregates() { return *aggregates_; }
  TfrxReport& OwnerReport() const;
  TfrxReportPage* CurrentPage() const { return page_; }
  TfrxBand* CurrentBand() const { return curBand_; }
  TfrxHeaderList& HeaderList() { return headerList_; }
  bool Keeping() const { return keeping_; }
  bool TitlePrinted() const { return titlePrinted_; }
  // Rows a dataset that never reports its end may give one data band before
  // the run stops with an error (the guard against endless datasets).
  static constexpr int kMaxRowsWithoutEnd = 10'000'000;
  // The guard in force (tests lower it).
  int MaxRowsWithoutEnd = kMaxRowsWithoutEnd;
  // The engine's own stops, which hold without a window system (thread-safe
  // runs have no progress window to cancel them): past MaxPages prepared
  // pages, or once a pass has run MaxRunTime (zero: no limit), the run stops
  // with a line in the report's errors and finishes the pages it has.
  // Another thread cancels a run with the report's SetTerminated(true).
  static constexpr int kMaxPages = 100'000;
  int MaxPages = kMaxPages;
  std::chrono::milliseconds MaxRunTime{0};

 private:
  // ---- run control helpers (vuzEngine.cpp)
  void RunOnePage();
  void ShowPageObjects();
  void ShowDataBands(TfrxComponent* parent);
  void ShowVDataBands(TfrxComponent* parent);
  // Lets the window system handle what is waiting, at most every few ms.
  void PumpMessages();
  static constexpr int kPumpIntervalMs = 15;
  std::chrono::steady_clock::time_point lastPump_{};
  // Also stops the run when its time is up.
  bool Terminated();
  // Stops the run with that line in the report's errors.
  void StopRun(const AnsiString& why);
  // Past the page limit or the time limit the run stops.
  void CheckLimits();
  std::chrono::steady_clock::time_point runStart_{};
  // The report pages among the report's children, in order.
  std::vector<TfrxReportPage*> ReportPages() const;
  // Counts a row a dataset gives; past the guard the run stops with an
  // error in the report's list and the answer is false.
  bool CountRow(TfrxDataSet* dataSet, int& rows);

  // ---- output helpers (vuzEngineOutput.cpp)
  void ShowFooterBand(TfrxBand* band);  // page footer or top overlay
  void RunSubreportsOnParent(TfrxBand* band);
  void ShowVerticalBand(TfrxBand* band);
  void ShowVerticalPages(TfrxBand* band);
  long double ColumnX(int column) const;
  // Set while AddPage prints a band that every page repeats (not the title).
  bool reprintingHeader_ = false;
  // Bands whose outline entry is open (the outline went down into it), so
  // that only those go up again.
  std::vector<TfrxBand*> outlineOpen_;
  // Subreport pages being run, innermost last: a subreport that leads back
  // to one of them is not run again.
  std::vector<TfrxReportPage*> runningSubPages_;
  void RunSubreportPage(TfrxReportPage* page);

  // ---- state (the field table of the engine, in order)
  std::unique_ptr<TfrxAggregateList> aggregates_;
  bool callFromAddPage_ = false;
  bool callFromEndPage_ = false;
  TfrxBand* curBand_ = nullptr;
  TfrxBand* lastBandOnPage_ = nullptr;
  bool dontShowHeaders_ = false;
  TfrxHeaderList headerList_;
  bool firstReportPage_ = false;
  long double firstColumnY_ = 0;
  bool isFirstBand_ = false;
  bool isFirstPage_ = false;
  bool isLastPage_ = false;
  bool titlePrinted_ = false;
  // One entry per open data band: its name and its running line number.
  std::vector<std::pair<AnsiString, int>> bandNamesPath_;
  TfrxBand* keepBand_ = nullptr;
  bool keepFooter_ = false;
  bool keeping_ = false;
  bool keepHeader_ = false;
  long double keepCurY_ = 0;
  long double prevFooterHeight_ = 0;
  TfrxXMLItem* keepOutline_ = nullptr;
  int keepPosition_ = 0;
  int keepAnchor_ = 0;
  bool callFromPHeader_ = false;
  TfrxNullBand* outputBand_ = nullptr;
  TfrxReportPage* page_ = nullptr;
  long double pageCurX_ = 0;
  TfrxBand* startNewPageBand_ = nullptr;
  std::vector<TfrxBand*> vHeaderList_;
  TfrxBand* vMasterBand_ = nullptr;
  std::vector<int> vPageList_;
};

}  // namespace report
