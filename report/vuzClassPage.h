// Pages of a template: TfrxPage, the report page (paper in millimetres,
// orientation, margins, columns, a background picture with colour and frame)
// that holds the bands, and the data page that holds the report's
// non-visual components. Also the hook through which the printing layer
// tells new pages the current printer's default paper.
#pragma once
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/rtl/stringlists.h"
#include "report/vuzClass.h"

namespace gfx {
class TPicture;
}

namespace report {

class TfrxBand;
class TfrxDataSet;
class TfrxFrame;
class TfrxPictureView;

// Paper orientation and duplex, as templates store them (by name).
enum TPrinterOrientation { poPortrait, poLandscape };
const rtl::TEnumType& PrinterOrientationType();
enum TfrxDuplexMode { dmNone, dmVertical, dmHorizontal, dmSimplex };
const rtl::TEnumType& DuplexModeType();

// ---------------------------------------------------------------- printer defaults

// What a new page takes from the current printer.
struct TfrxPrinterDefaults {
  int PaperSize = 9;  // A4
  long double PaperWidth = 210;
  long double PaperHeight = 297;
  TPrinterOrientation Orientation = poPortrait;
};
// The printers live in a higher layer, which installs this at start-up; an
// empty function (the default) answers A4 portrait.
using TfrxPrinterDefaultsProvider = std::function<TfrxPrinterDefaults()>;
void vuzSetPrinterDefaultsProvider(TfrxPrinterDefaultsProvider provider);
TfrxPrinterDefaults vuzPrinterDefaults();

// ---------------------------------------------------------------- TfrxPage

class TfrxPage : public TfrxComponent {
  RTL_CLASS_INFO
 public:
  explicit TfrxPage(rtl::TComponent* owner);
  TfrxPage(rtl::TComponent* owner, std::uint16_t flags);
};

// ---------------------------------------------------------------- TfrxReportPage

class TfrxReportPage : public TfrxPage {
  RTL_CLASS_INFO
 public:
  // Starts on paper 9 (210 x 297 mm), portrait, margins 0 (SetDefaults
  // gives the printer's paper and margins of 10).
  explicit TfrxReportPage(rtl::TComponent* owner);
  TfrxReportPage(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxReportPage() override;

  AnsiString GetDescription() const override;

  // ---- paper (millimetres); Width and Height in pixels follow it
  TPrinterOrientation Orientation() const { return orientation_; }
  // Turning the paper swaps its sides and turns the margins with it.
  void SetOrientation(TPrinterOrientation value);
  long double PaperWidth() const { return paperWidth_; }
  long double PaperHeight() const { return paperHeight_; }
  int PaperSize() const { return paperSize_; }
  // A size set by hand makes the paper a user size (256).
  virtual void SetPaperHeight(long double value);
  virtual void SetPaperWidth(long double value);
  // A number of the paper table takes that paper's size (turned for
  // landscape); other numbers change only the number.
  virtual void SetPaperSize(int value);
  // The four margins 10 and the current printer's paper and orientation.
  virtual void SetDefaults();
  // Number and sizes at once, without looking at the paper table.
  void SetSizeAndDimensions(int paperSize, long double width, long double height);
  // Width and Height (pixels) from the paper size.
  void UpdateDimensions();

  long double LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(long double v) { leftMargin_ = v; }
  long double RightMargin() const { return rightMargin_; }
  void SetRightMargin(long double v) { rightMargin_ = v; }
  long double TopMargin() const { return topMargin_; }
  void SetTopMargin(long double v) { topMargin_ = v; }
  long double BottomMargin() const { return bottomMargin_; }
  void SetBottomMargin(long double v) { bottomMargin_ = v; }
  bool MirrorMargins() const { return mirrorMargins_; }
  void SetMirrorMargins(bool v) { mirrorMargins_ = v; }

  // ---- columns
  int Columns() const { return columns_; }
  // n equal columns over the printable width, with their left edges (mm,
  // as texts) in ColumnPositions. More columns than the width holds are
  // cut to MaxColumns, with a line in the report's errors.
  void SetColumns(int n);
  // The most columns the printable width holds: each at least a pixel wide,
  // and never more than kMaxColumns (whatever the paper).
  int MaxColumns() const;
  static constexpr int kMaxColumns = 10'000;
  long double ColumnWidth() const { return columnWidth_; }
  void SetColumnWidth(long double v) { columnWidth_ = v; }
  rtl::TStrings* ColumnPositions() const { return columnPositions_.get(); }
  void SetColumnPositions(const rtl::TStrings* value);

  // ---- printing
  int Bin() const { return bin_; }
  void SetBin(int v) { bin_ = v; }
  int BinOtherPages() const { return binOtherPages_; }
  void SetBinOtherPages(int v) { binOtherPages_ = v; }
  int PageCount() const { return pageCount_; }
  // Values below 1 are ignored.
  void SetPageCount(int value);
  TfrxDuplexMode Duplex() const { return duplex_; }
  void SetDuplex(TfrxDuplexMode v) { duplex_ = v; }

  // ---- background: picture, colour and frame of a hidden picture object
  gfx::TPicture* BackPicture() const;
  void SetBackPicture(const gfx::TPicture* value);
  bool BackPictureVisible() const { return backPictureVisible_; }
  void SetBackPictureVisible(bool v) { backPictureVisible_ = v; }
  bool BackPicturePrintable() const { return backPicturePrintable_; }
  void SetBackPicturePrintable(bool v) { backPicturePrintable_ = v; }
  gfx::TColor Color() const;
  void SetColor(gfx::TColor value);
  TfrxFrame* Frame() const;
  void SetFrame(const TfrxFrame* value);
  // The hidden picture object that carries the background.
  TfrxPictureView* BackgroundView() const;

  // ---- data
  TfrxDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TfrxDataSet* dataSet);
  AnsiString GetDataSetName() const;
  void SetDataSetName(const AnsiString& name);

  // ---- switches
  bool EndlessHeight() const { return endlessHeight_; }
  void SetEndlessHeight(bool v) { endlessHeight_ = v; }
  bool EndlessWidth() const { return endlessWidth_; }
  void SetEndlessWidth(bool v) { endlessWidth_ = v; }
  bool LargeDesignHeight() const { return largeDesignHeight_; }
  void SetLargeDesignHeight(bool v) { largeDesignHeight_ = v; }
  const AnsiString& OutlineText() const { return outlineText_; }
  void SetOutlineText(const AnsiString& v) { outlineText_ = v; }
  bool PrintIfEmpty() const { return printIfEmpty_; }
  void SetPrintIfEmpty(bool v) { printIfEmpty_ = v; }
  bool PrintOnPreviousPage() const { return printOnPreviousPage_; }
  void SetPrintOnPreviousPage(bool v) { printOnPreviousPage_ = v; }
  bool ResetPageNumbers() const { return resetPageNumbers_; }
  void SetResetPageNumbers(bool v) { resetPageNumbers_ = v; }
  bool TitleBeforeHeader() const { return titleBeforeHeader_; }
  void SetTitleBeforeHeader(bool v) { titleBeforeHeader_ = v; }

  // ---- designer guides
  rtl::TStrings* HGuides() const { return hGuides_.get(); }
  void SetHGuides(const rtl::TStrings* v) { hGuides_->Assign(v); }
  rtl::TStrings* VGuides() const { return vGuides_.get(); }
  void SetVGuides(const rtl::TStrings* v) { vGuides_->Assign(v); }
  void ClearGuides();

  // Script handler names.
  AnsiString OnAfterPrint, OnBeforePrint, OnManualBuild;

  // ---- layout
  // Sizes the page to its printable area, aligns the views and sizes the
  // bands (full width, column width, or down to the bottom for vertical
  // bands), then returns to the paper size.
  void AlignChildren() override;
  // The background: colour, picture and frame over the printable area.
  virtual void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                    long double offsetY);
  // The first object of the page of that class (or a descendant); nil when
  // none. The answers are kept while the page's children stay: the engine
  // asks for the page's footers at every band it places.
  TfrxComponent* FindBand(const rtl::TClassInfo& bandClass) const;
  // How often FindBand walked the page's objects (tests).
  long long BandScans() const { return bandScans_; }

  // The subreport object that prints this page (nil when none).
  TfrxComponent* SubReport() const { return subReport_; }
  void SetSubReport(TfrxComponent* subreport) { subReport_ = subreport; }
  bool IsSubReport() const { return subReport_ != nullptr; }

  // The engine's lists of the page's bands (not owned by the lists).
  std::vector<TfrxBand*>& SubBands() { return subBands_; }
  std::vector<TfrxBand*>& VSubBands() { return vSubBands_; }

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;
  // Store a size as it is, for pages that round sizes their own way.
  void SetPaperWidthDirect(long double value) { paperWidth_ = value; }
  void SetPaperHeightDirect(long double value) { paperHeight_ = value; }

 private:
  void Init();
  // The background object covers the printable area.
  void SizeBackground();

  TPrinterOrientation orientation_ = poPortrait;
  long double paperWidth_ = 210;
  long double paperHeight_ = 297;
  int paperSize_ = 9;
  long double leftMargin_ = 0, rightMargin_ = 0, topMargin_ = 0, bottomMargin_ = 0;
  bool mirrorMargins_ = false;
  int columns_ = 0;
  long double columnWidth_ = 0;
  std::unique_ptr<rtl::TStringList> columnPositions_;
  // FindBand's answers (class, band or nil) for one version of the children.
  mutable std::vector<std::pair<const rtl::TClassInfo*, TfrxComponent*>> foundBands_;
  mutable std::uint64_t foundBandsVersion_ = 0;
  mutable long long bandScans_ = 0;
  int bin_ = 7;
  int binOtherPages_ = 7;
  std::unique_ptr<TfrxComponent> background_;  // a TfrxPictureView
  bool backPictureVisible_ = true;
  bool backPicturePrintable_ = true;
  int pageCount_ = 1;
  TfrxDataSet* dataSet_ = nullptr;
  AnsiString dataSetName_;
  TfrxDuplexMode duplex_ = dmNone;
  bool endlessHeight_ = false;
  bool endlessWidth_ = false;
  bool largeDesignHeight_ = false;
  AnsiString outlineText_;
  bool printIfEmpty_ = true;
  bool printOnPreviousPage_ = false;
  bool resetPageNumbers_ = false;
  bool titleBeforeHeader_ = true;
  std::unique_ptr<rtl::TStringList> hGuides_;
  std::unique_ptr<rtl::TStringList> vGuides_;
  TfrxComponent* subReport_ = nullptr;
  std::vector<TfrxBand*> subBands_;
  std::vector<TfrxBand*> vSubBands_;
};

// A column count cut to what fits (a page's or a data band's): the line
// the report's errors get.
void vuzReportColumnsCut(TfrxComponent* object, int asked, int kept);

// ---------------------------------------------------------------- TfrxDataPage

// Holds the report's datasets and other non-visual components; 1000 x 1000.
class TfrxDataPage : public TfrxPage {
  RTL_CLASS_INFO
 public:
  explicit TfrxDataPage(rtl::TComponent* owner);
  TfrxDataPage(rtl::TComponent* owner, std::uint16_t flags);
  AnsiString GetDescription() const override;
};

}  // namespace report
