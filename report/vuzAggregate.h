// The aggregate functions SUM, AVG, MIN, MAX and COUNT of text objects.
// Before a run the list finds every aggregate call in the footers and the
// summary of a page; each shown data row adds its values to the aggregates
// that watch its band; a text object's call reads the accumulated value
// through the engine; the band that prints an aggregate resets it once it
// is output. Page-footer aggregates follow keep blocks moved to the next
// page.
#pragma once
#include <memory>
#include <set>
#include <vector>

#include "platform/rtl/variant.h"
#include "report/vuzClass.h"

namespace report {

class TfrxBand;
class TfrxCustomMemoView;
class TfrxDataBand;
class TfrxReport;
class TfrxReportPage;

enum TfrxAggregateFunction { agSum, agAvg, agMin, agMax, agCount };

// What ParseName reads out of a call text.
struct TfrxAggregateCall {
  TfrxAggregateFunction Function = agCount;
  bool RunningTotal = false;         // flags bit 1
  bool CountInvisibleBands = false;  // flags bit 0
  TfrxDataBand* Band = nullptr;      // nil when the call names none
  AnsiString Expression;             // empty for COUNT
};

// One aggregate call of one text object.
class TfrxAggregateItem {
 public:
  explicit TfrxAggregateItem(TfrxReport* report) : Report(report) {}

  // Adds the current row's value.
  void Calc();
  // The value for the current column (column 0: the rows added without a
  // column); Null becomes the integer 0.
  rtl::Variant Value();
  void Reset();
  void DeleteValue();
  void StartKeep();
  void EndKeep();

  TfrxAggregateFunction Function = agSum;
  bool RunningTotal = false;
  bool CountInvisibleBands = false;
  TfrxDataBand* Band = nullptr;         // the band whose rows feed it
  TfrxComponent* ParentBand = nullptr;  // the band printing (and resetting) it
  bool IsPageFooter = false;
  AnsiString Expression;
  AnsiString CallText;
  AnsiString MemoName;
  TfrxReport* Report;
  int Column = 0;  // vertical column of the current use; 0 for none
  bool Keeping = false;
  int Count = 0;
  rtl::Variant CurrentValue;
  int LastCount = 0;
  rtl::Variant LastValue;
  int HeldCount = 0;
  rtl::Variant HeldValue;
  // Per vertical column (index = column); empty until first used. Grows as
  // far as the columns reach.
  std::vector<rtl::Variant> ColumnValues;
  std::vector<int> ColumnCounts;
};

class TfrxAggregateList {
  friend class TfrxAggregateScanner;

 public:
  explicit TfrxAggregateList(TfrxReport* report);
  ~TfrxAggregateList();
  TfrxAggregateList(const TfrxAggregateList&) = delete;
  TfrxAggregateList& operator=(const TfrxAggregateList&) = delete;

  // Finds the aggregate calls of a report page (after its structure
  // analysis: the page's master-band lists are filled).
  void AddItems(TfrxReportPage* page);
  void FindAggregates(TfrxCustomMemoView* memo, TfrxDataBand* defaultBand);
  // Flags written as an expression rather than a number are evaluated.
  TfrxAggregateCall ParseName(const AnsiString& callText) const;
  void AddValue(TfrxBand* band, int column = 0);
  void DeleteValue(TfrxBand* band);
  rtl::Variant GetValue(TfrxComponent* parentBand, int column, const AnsiString& name, const AnsiString& expression,
                        TfrxComponent* band, int flags);
  rtl::Variant GetValue(TfrxComponent* parentBand, const AnsiString& callText, int column);
  void Reset(TfrxComponent* parentBand);
  void StartKeep();
  void EndKeep();
  // Between the two passes: every value goes, running totals too.
  void ClearValues();
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxAggregateItem* GetItem(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }

 private:
  // One item for a call found in a memo; the default band serves when the
  // call names none.
  void AddItem(const AnsiString& callText, TfrxCustomMemoView* memo, TfrxDataBand* defaultBand);
  // The memos placed on a band (and on its chain of child bands).
  void AddBandMemos(TfrxBand* band, TfrxDataBand* defaultBand, bool withChildren);
  // A data band's footers (its own and its groups') and its details in turn.
  void AddDataBand(TfrxBand* band, std::set<TfrxBand*>& visited);

  std::vector<std::unique_ptr<TfrxAggregateItem>> items_;
  TfrxReport* report_;
};

}  // namespace report
