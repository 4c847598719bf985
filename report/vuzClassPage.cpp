#include "report/vuzClassPage.h"

#include <cmath>
#include <utility>

#include "platform/rtl/format.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassSubreport.h"
#include "report/vuzDataSet.h"
#include "report/vuzPaperSizes.h"
#include "report/vuzRes.h"

namespace report {

using rtl::operator""_cp;

const rtl::TEnumType& PrinterOrientationType() {
  static const rtl::TEnumType type{"TPrinterOrientation", {"poPortrait", "poLandscape"}};
  return type;
}

const rtl::TEnumType& DuplexModeType() {
  static const rtl::TEnumType type{"TfrxDuplexMode", {"dmNone", "dmVertical", "dmHorizontal", "dmSimplex"}};
  return type;
}

// ---------------------------------------------------------------- printer defaults

namespace {
TfrxPrinterDefaultsProvider& Provider() {
  static TfrxPrinterDefaultsProvider provider;
  return provider;
}
}  // namespace

void vuzSetPrinterDefaultsProvider(TfrxPrinterDefaultsProvider provider) { Provider() = std::move(provider); }

TfrxPrinterDefaults vuzPrinterDefaults() { return Provider() ? Provider()() : TfrxPrinterDefaults{}; }

// ---------------------------------------------------------------- TfrxPage

TfrxPage::TfrxPage(rtl::TComponent* owner) : TfrxComponent(owner) {}
TfrxPage::TfrxPage(rtl::TComponent* owner, std::uint16_t flags) : TfrxComponent(owner, flags) {}

// ---------------------------------------------------------------- TfrxReportPage

TfrxReportPage::TfrxReportPage(rtl::TComponent* owner) : TfrxPage(owner) { Init(); }
TfrxReportPage::TfrxReportPage(rtl::TComponent* owner, std::uint16_t flags) : TfrxPage(owner, flags) { Init(); }

void TfrxReportPage::Init() {
  columnPositions_ = std::make_unique<rtl::TStringList>();
  hGuides_ = std::make_unique<rtl::TStringList>();
  vGuides_ = std::make_unique<rtl::TStringList>();
  SetBaseName("Page");
  // The background: a picture object of no report, transparent, stretched
  // over the printable area without keeping its aspect.
  auto background = std::make_unique<TfrxPictureView>(nullptr);
  background->SetColor(clTransparent);
  background->SetKeepAspectRatio(false);
  background_ = std::move(background);
  paperSize_ = DMPAPER_A4;
  vuzGetPaperDimensions(paperSize_, paperWidth_, paperHeight_);
  UpdateDimensions();
}

TfrxReportPage::~TfrxReportPage() {
  // A subreport among this page's own objects would otherwise reach back
  // into the page after its part of the object is gone.
  if (subReport_)
    if (TfrxSubreport* sub = subReport_->AsSubreport()) sub->SetPage(nullptr);
}

AnsiString TfrxReportPage::GetDescription() const { return vuzResources().Get("obRepPage"); }

TfrxPictureView* TfrxReportPage::BackgroundView() const { return static_cast<TfrxPictureView*>(background_.get()); }

// ---- paper

void TfrxReportPage::UpdateDimensions() {
  SetWidth(std::nearbyint(paperWidth_ * fr01cm));
  SetHeight(std::nearbyint(paperHeight_ * fr01cm));
}

void TfrxReportPage::SetPaperWidth(long double value) {
  paperWidth_ = vuzRound8(value);
  paperSize_ = DMPAPER_USER;
  UpdateDimensions();
}

void TfrxReportPage::SetPaperHeight(long double value) {
  paperHeight_ = vuzRound8(value);
  paperSize_ = DMPAPER_USER;
  UpdateDimensions();
}

void TfrxReportPage::SetPaperSize(int value) {
  paperSize_ = value;
  if (value < DMPAPER_USER) {
    long double w = 0, h = 0;
    if (vuzGetPaperDimensions(value, w, h)) {
      if (orientation_ == poLandscape) std::swap(w, h);
      paperWidth_ = w;
      paperHeight_ = h;
    }
  }
  UpdateDimensions();
}

void TfrxReportPage::SetSizeAndDimensions(int paperSize, long double width, long double height) {
  paperSize_ = paperSize;
  paperWidth_ = vuzRound8(width);
  paperHeight_ = vuzRound8(height);
  UpdateDimensions();
}

void TfrxReportPage::SetOrientation(TPrinterOrientation value) {
  if (orientation_ != value) {
    std::swap(paperWidth_, paperHeight_);
    const long double l = leftMargin_, r = rightMargin_, t = topMargin_, b = bottomMargin_;
    if (value == poLandscape) {
      leftMargin_ = t;
      rightMargin_ = b;
      topMargin_ = r;
      bottomMargin_ = l;
    } else {
      leftMargin_ = b;
      rightMargin_ = t;
      topMargin_ = l;
      bottomMargin_ = r;
    }
    UpdateDimensions();
  }
  orientation_ = value;
}

void TfrxReportPage::SetDefaults() {
  leftMargin_ = rightMargin_ = topMargin_ = bottomMargin_ = 10;
  const TfrxPrinterDefaults d = vuzPrinterDefaults();
  paperSize_ = d.PaperSize;
  paperWidth_ = d.PaperWidth;
  paperHeight_ = d.PaperHeight;
  orientation_ = d.Orientation;
  UpdateDimensions();
}

// ---- columns and other setters

int TfrxReportPage::MaxColumns() const {
  const long double pixels = std::floor((paperWidth_ - leftMargin_ - rightMargin_) * fr01cm);
  if (!(pixels >= 1)) return 1;  // also for a width that is not a number
  return pixels >= kMaxColumns ? kMaxColumns : static_cast<int>(pixels);
}

void vuzReportColumnsCut(TfrxComponent* object, int asked, int kept) {
  TfrxReportServices* services = object ? object->GetReportServices() : nullptr;
  if (!services) return;
  services->Errors().Add(object->Name() + ": число колонок "_cp + rtl::IntToStr(asked) +
                         " не помещается на странице, оставлено "_cp + rtl::IntToStr(kept));
}

void TfrxReportPage::SetColumns(int n) {
  // Each column keeps a text of its position: a count from a damaged or
  // hostile template would fill memory before anything could be printed.
  if (n > MaxColumns()) {
    vuzReportColumnsCut(this, n, MaxColumns());
    n = MaxColumns();
  }
  columns_ = n;
  columnPositions_->Clear();
  if (n <= 0) return;
  columnWidth_ = (paperWidth_ - leftMargin_ - rightMargin_) / n;
  for (int i = 0; i < n; ++i) columnPositions_->Add(rtl::FloatToStr(i * columnWidth_));
}

void TfrxReportPage::SetColumnPositions(const rtl::TStrings* value) { columnPositions_->Assign(value); }

void TfrxReportPage::SetPageCount(int value) {
  if (value > 0) pageCount_ = value;
}

void TfrxReportPage::ClearGuides() {
  hGuides_->Clear();
  vGuides_->Clear();
}

// ---- background

gfx::TPicture* TfrxReportPage::BackPicture() const { return BackgroundView()->Picture(); }
void TfrxReportPage::SetBackPicture(const gfx::TPicture* value) { BackgroundView()->SetPicture(value); }
gfx::TColor TfrxReportPage::Color() const { return BackgroundView()->Color(); }
void TfrxReportPage::SetColor(gfx::TColor value) { BackgroundView()->SetColor(value); }
TfrxFrame* TfrxReportPage::Frame() const { return BackgroundView()->Frame(); }
void TfrxReportPage::SetFrame(const TfrxFrame* value) { BackgroundView()->SetFrame(value); }

void TfrxReportPage::SizeBackground() {
  BackgroundView()->SetWidth((paperWidth_ - leftMargin_ - rightMargin_) * fr01cm);
  BackgroundView()->SetHeight((paperHeight_ - topMargin_ - bottomMargin_) * fr01cm);
}

void TfrxReportPage::Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                          long double offsetY) {
  SizeBackground();
  if (!backPictureVisible_ || (IsPrinting() && !backPicturePrintable_)) return;
  TfrxPictureView* background = BackgroundView();
  background->SetIsPrinting(IsPrinting());
  background->Draw(canvas, scaleX, scaleY, offsetX + leftMargin_ * fr01cm * scaleX,
                   offsetY + topMargin_ * fr01cm * scaleY);
}

// ---- data

void TfrxReportPage::SetDataSet(TfrxDataSet* dataSet) {
  BindDataSet(dataSet_, dataSet);
  dataSetName_ = dataSet_ ? dataSet_->UserName() : AnsiString();
}

AnsiString TfrxReportPage::GetDataSetName() const { return dataSet_ ? dataSet_->UserName() : dataSetName_; }

void TfrxReportPage::SetDataSetName(const AnsiString& name) {
  dataSetName_ = name;
  BindDataSet(dataSet_, FindDataSet(dataSet_, name));
}

void TfrxReportPage::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TfrxPage::Notification(component, operation);
  if (operation != rtl::opRemove || !component) return;
  if (component == dataSet_) dataSet_ = nullptr;
  if (component == subReport_) subReport_ = nullptr;
}

// ---- layout

void TfrxReportPage::AlignChildren() {
  SetWidth((paperWidth_ - leftMargin_ - rightMargin_) * fr01cm);
  SetHeight((paperHeight_ - topMargin_ - bottomMargin_) * fr01cm);
  TfrxPage::AlignChildren();
  for (TfrxComponent* c : Objects()) {
    auto* band = dynamic_cast<TfrxBand*>(c);
    if (!band) continue;
    if (band->Vertical()) {
      band->SetHeight((paperHeight_ - topMargin_ - bottomMargin_) * fr01cm - band->Top());
    } else if (columns_ > 1 && !band->IsA("TfrxNullBand") && !band->IsA("TfrxReportSummary") &&
               !band->IsA("TfrxPageHeader") && !band->IsA("TfrxPageFooter") && !band->IsA("TfrxReportTitle") &&
               !band->IsA("TfrxOverlay")) {
      band->SetWidth(columnWidth_ * fr01cm);
    } else {
      band->SetWidth(Width() - band->Left());
    }
    band->AlignChildren();
  }
  UpdateDimensions();
}

TfrxComponent* TfrxReportPage::FindBand(const rtl::TClassInfo& bandClass) const {
  if (foundBandsVersion_ != ChildrenVersion()) {
    foundBands_.clear();
    foundBandsVersion_ = ChildrenVersion();
  }
  for (const auto& [cls, band] : foundBands_)
    if (cls == &bandClass) return band;
  ++bandScans_;
  TfrxComponent* found = nullptr;
  for (TfrxComponent* c : Objects())
    if (c->ClassType().InheritsFrom(bandClass)) {
      found = c;
      break;
    }
  foundBands_.emplace_back(&bandClass, found);
  return found;
}

// ---------------------------------------------------------------- TfrxDataPage

TfrxDataPage::TfrxDataPage(rtl::TComponent* owner) : TfrxPage(owner) { SetBounds(0, 0, 1000, 1000); }
TfrxDataPage::TfrxDataPage(rtl::TComponent* owner, std::uint16_t flags) : TfrxPage(owner, flags) {
  SetBounds(0, 0, 1000, 1000);
}

AnsiString TfrxDataPage::GetDescription() const { return vuzResources().Get("obDataPage"); }

// ---------------------------------------------------------------- reflection

const rtl::TClassInfo& TfrxPage::StaticClass() {
  static const rtl::TClassInfo info = rtl::TClassBuilder<TfrxPage>("TfrxPage", &TfrxComponent::StaticClass())
                                          .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
                                          .Stored(&TfrxComponent::IsFontStored)
                                          .Property("Visible", &TfrxComponent::Visible, &TfrxComponent::SetVisible)
                                          .Default(true)
                                          .Build();
  return info;
}

const rtl::TClassInfo& TfrxReportPage::StaticClass() {
  using P = TfrxReportPage;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<P>("TfrxReportPage", &TfrxPage::StaticClass())
          .Creatable()
          .Enum("Orientation", PrinterOrientationType(), &P::Orientation, &P::SetOrientation)
          .Default(poPortrait)
          .Property("PaperWidth", &P::PaperWidth, &P::SetPaperWidth)
          .Property("PaperHeight", &P::PaperHeight, &P::SetPaperHeight)
          .Property("PaperSize", &P::PaperSize, &P::SetPaperSize)
          .Property("LeftMargin", &P::LeftMargin, &P::SetLeftMargin)
          .Property("RightMargin", &P::RightMargin, &P::SetRightMargin)
          .Property("TopMargin", &P::TopMargin, &P::SetTopMargin)
          .Property("BottomMargin", &P::BottomMargin, &P::SetBottomMargin)
          .Property("MirrorMargins", &P::MirrorMargins, &P::SetMirrorMargins)
          .Default(false)
          .Property("Columns", &P::Columns, &P::SetColumns)
          .Default(0)
          .Property("ColumnWidth", &P::ColumnWidth, &P::SetColumnWidth)
          .Property("ColumnPositions", &P::ColumnPositions, &P::SetColumnPositions)
          .Property("Bin", &P::Bin, &P::SetBin)
          .Default(7)
          .Property("BinOtherPages", &P::BinOtherPages, &P::SetBinOtherPages)
          .Default(7)
          .Property("BackPicture", &P::BackPicture, &P::SetBackPicture)
          .Property("BackPictureVisible", &P::BackPictureVisible, &P::SetBackPictureVisible)
          .Default(true)
          .Property("BackPicturePrintable", &P::BackPicturePrintable, &P::SetBackPicturePrintable)
          .Default(true)
          .Property("PageCount", &P::PageCount, &P::SetPageCount)
          .Default(1)
          .Property("Color", &P::Color, &P::SetColor)
          .Default(clTransparent)
          .Property("DataSet", &P::DataSet, &P::SetDataSet)
          .Property("DataSetName", &P::GetDataSetName, &P::SetDataSetName)
          .Enum("Duplex", DuplexModeType(), &P::Duplex, &P::SetDuplex)
          .Default(dmNone)
          .Property("Frame", &P::Frame, &P::SetFrame)
          .Property("EndlessHeight", &P::EndlessHeight, &P::SetEndlessHeight)
          .Default(false)
          .Property("EndlessWidth", &P::EndlessWidth, &P::SetEndlessWidth)
          .Default(false)
          .Property("LargeDesignHeight", &P::LargeDesignHeight, &P::SetLargeDesignHeight)
          .Default(false)
          .Property("OutlineText", &P::OutlineText, &P::SetOutlineText)
          .Property("PrintIfEmpty", &P::PrintIfEmpty, &P::SetPrintIfEmpty)
          .Default(true)
          .Property("PrintOnPreviousPage", &P::PrintOnPreviousPage, &P::SetPrintOnPreviousPage)
          .Default(false)
          .Property("ResetPageNumbers", &P::ResetPageNumbers, &P::SetResetPageNumbers)
          .Default(false)
          .Property("TitleBeforeHeader", &P::TitleBeforeHeader, &P::SetTitleBeforeHeader)
          .Default(true)
          .Property("HGuides", &P::HGuides, &P::SetHGuides)
          .Property("VGuides", &P::VGuides, &P::SetVGuides)
          .Property(
              "OnAfterPrint", [](const P& p) { return p.OnAfterPrint; },
              [](P& p, const AnsiString& v) { p.OnAfterPrint = v; })
          .Property(
              "OnBeforePrint", [](const P& p) { return p.OnBeforePrint; },
              [](P& p, const AnsiString& v) { p.OnBeforePrint = v; })
          .Property(
              "OnManualBuild", [](const P& p) { return p.OnManualBuild; },
              [](P& p, const AnsiString& v) { p.OnManualBuild = v; })
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxDataPage::StaticClass() {
  static const rtl::TClassInfo info = rtl::TClassBuilder<TfrxDataPage>("TfrxDataPage", &TfrxPage::StaticClass())
                                          .Creatable()
                                          .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
                                          .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
                                          .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
                                          .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
                                          .Build();
  return info;
}

}  // namespace report
