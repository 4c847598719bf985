// Bands: the horizontal strips of a report page that the engine places one
// after another (titles, headers, data rows, footers...). TfrxBand holds
// what every kind shares; each of the eighteen kinds publishes its own set
// of switches, and vuzBands() numbers them. Bands draw nothing themselves:
// the engine places them and the objects on them.
#pragma once
#include <array>
#include <memory>
#include <vector>

#include "report/vuzClass.h"

namespace report {

class TfrxChild;
class TfrxDataSet;
class TfrxUserDataSet;

// ---------------------------------------------------------------- TfrxBand

class TfrxBand : public TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  explicit TfrxBand(rtl::TComponent* owner);
  TfrxBand(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxBand() override;

  // Bands draw nothing: the engine draws the objects on them.
  void Draw(gfx::TCanvas&, long double, long double, long double, long double) override {}
  AnsiString GetDescription() const override;

  // On a dot-matrix page positions snap to whole character cells (Left to
  // columns, Top and Height to rows); elsewhere they are stored as given.
  void SetLeft(long double value) override;
  void SetTop(long double value) override;
  void SetHeight(long double value) override;

  // The index in vuzBands() of the last kind this band is or derives from;
  // 0 when it is none of them.
  int BandNumber() const;
  // The class name without "Tfrx" and "Band" ("TfrxMasterData" gives
  // "MasterData", "TfrxDataBand4" gives "Data4").
  AnsiString GetBandName() const;

  bool AllowSplit() const { return allowSplit_; }
  void SetAllowSplit(bool v) { allowSplit_ = v; }
  bool KeepChild() const { return keepChild_; }
  void SetKeepChild(bool v) { keepChild_ = v; }
  bool PrintChildIfInvisible() const { return printChildIfInvisible_; }
  void SetPrintChildIfInvisible(bool v) { printChildIfInvisible_ = v; }
  bool StartNewPage() const { return startNewPage_; }
  void SetStartNewPage(bool v) { startNewPage_ = v; }
  bool Stretched() const { return stretched_; }
  void SetStretched(bool v) { stretched_ = v; }
  bool Vertical() const { return vertical_; }
  virtual void SetVertical(bool v);
  const AnsiString& OutlineText() const { return outlineText_; }
  void SetOutlineText(const AnsiString& v) { outlineText_ = v; }

  // The band printed right after this one. Refuses (with "clCirRefNotAllow")
  // a chain that would come back to this band, including the band itself.
  TfrxChild* Child() const { return child_; }
  virtual void SetChild(TfrxChild* child);

  // Script handler name (published by every band).
  AnsiString OnAfterCalcHeight;

  // ---- the engine's working state
  // Sub-bands gathered by the engine for this band (not owned by the list).
  std::vector<TfrxBand*>& SubBands() { return subBands_; }
  // The object count saved by the engine before it adds objects; -1 unset.
  int OriginalObjectsCount = -1;
  // Bands the engine links to this one while it builds (headers, footers,
  // the group header a footer closes).
  TfrxBand* Header = nullptr;
  TfrxBand* Footer = nullptr;
  TfrxBand* Group = nullptr;
  // Set while the engine reprints the band on a new page or column.
  bool Overflow = false;
  // The height the band grew to while printing.
  long double StretchedHeight = 0;
  // The band's own row counters while the engine runs it ("Line" and
  // "Line#" of expressions): within the current master row, and through
  // the whole run.
  int LineN = 0;
  int LineThrough = 0;
  // Set when objects of this horizontal band were moved into vertical bands.
  bool HasVBands = false;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  bool OnDotMatrixPage() const;

  bool allowSplit_ = false;
  bool keepChild_ = false;
  bool printChildIfInvisible_ = false;
  bool startNewPage_ = false;
  bool stretched_ = false;
  bool vertical_ = false;
  AnsiString outlineText_;
  TfrxChild* child_ = nullptr;
  std::vector<TfrxBand*> subBands_;
};

// ---------------------------------------------------------------- the kinds

class TfrxReportTitle : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
};

class TfrxReportSummary : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
};

class TfrxPageHeader : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
  bool PrintOnFirstPage() const { return printOnFirstPage_; }
  void SetPrintOnFirstPage(bool v) { printOnFirstPage_ = v; }

 private:
  bool printOnFirstPage_ = true;
};

class TfrxPageFooter : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
  bool PrintOnFirstPage() const { return printOnFirstPage_; }
  void SetPrintOnFirstPage(bool v) { printOnFirstPage_ = v; }
  bool PrintOnLastPage() const { return printOnLastPage_; }
  void SetPrintOnLastPage(bool v) { printOnLastPage_ = v; }

 private:
  bool printOnFirstPage_ = true;
  bool printOnLastPage_ = true;
};

class TfrxHeader : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
  bool ReprintOnNewPage() const { return reprintOnNewPage_; }
  void SetReprintOnNewPage(bool v) { reprintOnNewPage_ = v; }

 private:
  bool reprintOnNewPage_ = false;
};

class TfrxFooter : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
};

// ---------------------------------------------------------------- data bands

// A band printed once per row of its dataset, or RowCount times without one
// (over a dataset of its own that counts rows), in one or more columns.
class TfrxDataBand : public TfrxBand {
  RTL_CLASS_INFO
 public:
  explicit TfrxDataBand(rtl::TComponent* owner);
  TfrxDataBand(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxDataBand() override;

  AnsiString GetDescription() const override;

  int Columns() const { return columns_; }
  // Bounded like a page's columns by the page the band stands on.
  void SetColumns(int v);
  long double ColumnWidth() const { return columnWidth_; }
  void SetColumnWidth(long double v) { columnWidth_ = v; }
  long double ColumnGap() const { return columnGap_; }
  void SetColumnGap(long double v) { columnGap_ = v; }

  // The dataset the band runs over; DataSetName follows it (the dataset's
  // UserName), and a name is looked up among the report's datasets.
  TfrxDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TfrxDataSet* dataSet);
  AnsiString GetDataSetName() const;
  void SetDataSetName(const AnsiString& name);

  bool FooterAfterEach() const { return footerAfterEach_; }
  void SetFooterAfterEach(bool v) { footerAfterEach_ = v; }
  bool KeepFooter() const { return keepFooter_; }
  void SetKeepFooter(bool v) { keepFooter_ = v; }
  bool KeepHeader() const { return keepHeader_; }
  void SetKeepHeader(bool v) { keepHeader_ = v; }
  bool KeepTogether() const { return keepTogether_; }
  void SetKeepTogether(bool v) { keepTogether_ = v; }
  bool PrintIfDetailEmpty() const { return printIfDetailEmpty_; }
  void SetPrintIfDetailEmpty(bool v) { printIfDetailEmpty_ = v; }

  // The number of rows to print without a dataset; also the row count of
  // the band's own dataset.
  int RowCount() const { return rowCount_; }
  void SetRowCount(int n);
  // The dataset the engine iterates when the band has a RowCount (owned,
  // without owner; its range ends after RowCount rows). Made on first use:
  // most bands never need it, and a large template would otherwise carry,
  // and search through, one dataset per band.
  TfrxUserDataSet* VirtualDataSet() const;

  // The column being printed (1-based): a number above Columns becomes 1;
  // the band moves to its column's left edge.
  int CurColumn() const { return curColumn_; }
  void SetCurColumn(int n);
  // The lowest bottom reached among the columns of the current row of
  // columns; reset when column 1 starts.
  long double MaxY = 0;

  AnsiString OnMasterDetail;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  int columns_ = 0;
  long double columnWidth_ = 0;
  long double columnGap_ = 0;
  TfrxDataSet* dataSet_ = nullptr;
  AnsiString dataSetName_;
  bool footerAfterEach_ = false;
  bool keepFooter_ = false;
  bool keepHeader_ = false;
  bool keepTogether_ = false;
  bool printIfDetailEmpty_ = false;
  int rowCount_ = 0;
  int curColumn_ = 0;
  mutable std::unique_ptr<TfrxUserDataSet> virtualDataSet_;
};

class TfrxMasterData : public TfrxDataBand {
  RTL_CLASS_INFO
 public:
  using TfrxDataBand::TfrxDataBand;
};

class TfrxDetailData : public TfrxDataBand {
  RTL_CLASS_INFO
 public:
  using TfrxDataBand::TfrxDataBand;
};

class TfrxSubdetailData : public TfrxDataBand {
  RTL_CLASS_INFO
 public:
  using TfrxDataBand::TfrxDataBand;
};

class TfrxDataBand4 : public TfrxDataBand {
  RTL_CLASS_INFO
 public:
  using TfrxDataBand::TfrxDataBand;
};

class TfrxDataBand5 : public TfrxDataBand {
  RTL_CLASS_INFO
 public:
  using TfrxDataBand::TfrxDataBand;
};

class TfrxDataBand6 : public TfrxDataBand {
  RTL_CLASS_INFO
 public:
  using TfrxDataBand::TfrxDataBand;
};

// ---------------------------------------------------------------- groups and the rest

class TfrxGroupHeader : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
  // The base attributes and, while DrillDown is on, DrillName (unescaped):
  // the prepared pages use it to fold the group.
  AnsiString Diff(TfrxComponent* other) override;

  const AnsiString& Condition() const { return condition_; }
  void SetCondition(const AnsiString& v) { condition_ = v; }
  bool DrillDown() const { return drillDown_; }
  void SetDrillDown(bool v) { drillDown_ = v; }
  bool ExpandDrillDown() const { return expandDrillDown_; }
  void SetExpandDrillDown(bool v) { expandDrillDown_ = v; }
  bool KeepTogether() const { return keepTogether_; }
  void SetKeepTogether(bool v) { keepTogether_ = v; }
  bool ReprintOnNewPage() const { return reprintOnNewPage_; }
  void SetReprintOnNewPage(bool v) { reprintOnNewPage_ = v; }
  bool ResetPageNumbers() const { return resetPageNumbers_; }
  void SetResetPageNumbers(bool v) { resetPageNumbers_ = v; }
  bool ShowFooterIfDrillDown() const { return showFooterIfDrillDown_; }
  void SetShowFooterIfDrillDown(bool v) { showFooterIfDrillDown_ = v; }
  bool ShowChildIfDrillDown() const { return showChildIfDrillDown_; }
  void SetShowChildIfDrillDown(bool v) { showChildIfDrillDown_ = v; }
  const AnsiString& DrillName() const { return drillName_; }
  void SetDrillName(const AnsiString& v) { drillName_ = v; }

  // The condition's last value, kept by the engine to see the group change.
  rtl::Variant LastValue;

 private:
  AnsiString condition_;
  bool drillDown_ = false;
  bool expandDrillDown_ = false;
  bool keepTogether_ = false;
  bool reprintOnNewPage_ = false;
  bool resetPageNumbers_ = false;
  bool showFooterIfDrillDown_ = false;
  bool showChildIfDrillDown_ = false;
  AnsiString drillName_;
};

class TfrxGroupFooter : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
  bool HideIfSingleDataRecord() const { return hideIfSingleDataRecord_; }
  void SetHideIfSingleDataRecord(bool v) { hideIfSingleDataRecord_ = v; }

 private:
  bool hideIfSingleDataRecord_ = false;
};

class TfrxChild : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
};

class TfrxColumnHeader : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
};

class TfrxColumnFooter : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
};

class TfrxOverlay : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
  bool PrintOnTop() const { return printOnTop_; }
  void SetPrintOnTop(bool v) { printOnTop_ = v; }

 private:
  bool printOnTop_ = false;
};

// The band the engine makes for objects placed straight on a page and for
// subreports printed on their parent; not one of the numbered kinds.
class TfrxNullBand : public TfrxBand {
  RTL_CLASS_INFO
 public:
  using TfrxBand::TfrxBand;
};

// ---------------------------------------------------------------- the table

inline constexpr int kBandKindCount = 18;
// The eighteen kinds in band-number order: report title 0 ... overlay 17.
const std::array<const rtl::TClassInfo*, kBandKindCount>& vuzBands();

}  // namespace report
