#include "report/vuzClassBands.h"

#include <cmath>
#include <unordered_set>

#include "report/vuzClassPage.h"
#include "report/vuzDataSet.h"
#include "report/vuzRes.h"
#include "report/vuzXML.h"

namespace report {

// ---------------------------------------------------------------- TfrxBand

TfrxBand::TfrxBand(rtl::TComponent* owner) : TfrxReportComponent(owner) {}
TfrxBand::TfrxBand(rtl::TComponent* owner, std::uint16_t flags) : TfrxReportComponent(owner, flags) {}

// The runtime's component destructor forgets the free notifications; the
// child may already be gone when a whole report is freed, so it is not
// touched here.
TfrxBand::~TfrxBand() = default;

AnsiString TfrxBand::GetDescription() const { return vuzResources().Get("obBand"); }

bool TfrxBand::OnDotMatrixPage() const {
  const TfrxComponent* page = GetPage();
  return page && page->IsKind(ckDMPPage);
}

namespace {
// Whole cells: round(x / cell) x cell, halves to even.
long double SnapRound(long double x, long double cell) { return std::nearbyint(x / cell) * cell; }
}  // namespace

void TfrxBand::SetLeft(long double value) {
  if (OnDotMatrixPage()) value = SnapRound(value, fr1CharX);
  TfrxReportComponent::SetLeft(value);
}

void TfrxBand::SetTop(long double value) {
  if (OnDotMatrixPage()) value = SnapRound(value, fr1CharY);
  TfrxReportComponent::SetTop(value);
}

void TfrxBand::SetHeight(long double value) {
  if (OnDotMatrixPage()) value = SnapRound(value, fr1CharY);
  TfrxReportComponent::SetHeight(value);
}

void TfrxBand::SetVertical(bool v) { vertical_ = v; }

void TfrxBand::SetChild(TfrxChild* child) {
  // The chain from the new child must not lead back here. The band itself
  // is refused too, and a chain that already loops elsewhere (a damaged
  // template) is walked only once round.
  std::unordered_set<const TfrxBand*> visited;
  for (const TfrxBand* b = child; b; b = b->child_) {
    if (b == this) throw rtl::Exception(vuzResources().Get("clCirRefNotAllow"));
    if (!visited.insert(b).second) break;
  }
  if (child_ == child) return;
  if (child_) RemoveFreeNotification(child_);
  child_ = child;
  if (child_) FreeNotificationAlways(child_);
}

void TfrxBand::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TfrxReportComponent::Notification(component, operation);
  if (operation == rtl::opRemove && component && component == child_) child_ = nullptr;
}

int TfrxBand::BandNumber() const {
  const auto& table = vuzBands();
  for (int i = kBandKindCount - 1; i >= 0; --i)
    if (ClassType().InheritsFrom(*table[static_cast<std::size_t>(i)])) return i;
  return 0;
}

AnsiString TfrxBand::GetBandName() const {
  AnsiString name = ClassName();
  if (auto at = name.find("Tfrx"); at != AnsiString::npos) name.erase(at, 4);
  if (auto at = name.find("Band"); at != AnsiString::npos) name.erase(at, 4);
  return name;
}

// ---------------------------------------------------------------- TfrxDataBand

TfrxDataBand::TfrxDataBand(rtl::TComponent* owner) : TfrxBand(owner) {}
TfrxDataBand::TfrxDataBand(rtl::TComponent* owner, std::uint16_t flags) : TfrxBand(owner, flags) {}

TfrxUserDataSet* TfrxDataBand::VirtualDataSet() const {
  if (!virtualDataSet_) {
    virtualDataSet_ = std::make_unique<TfrxUserDataSet>(nullptr);
    virtualDataSet_->SetRangeEnd(reCount);
    virtualDataSet_->SetRangeEndCount(rowCount_);
  }
  return virtualDataSet_.get();
}

TfrxDataBand::~TfrxDataBand() = default;

AnsiString TfrxDataBand::GetDescription() const { return vuzResources().Get("obDataBand"); }

void TfrxDataBand::SetDataSet(TfrxDataSet* dataSet) {
  BindDataSet(dataSet_, dataSet);
  dataSetName_ = dataSet_ ? dataSet_->UserName() : AnsiString();
}

AnsiString TfrxDataBand::GetDataSetName() const { return dataSet_ ? dataSet_->UserName() : dataSetName_; }

void TfrxDataBand::SetDataSetName(const AnsiString& name) {
  dataSetName_ = name;
  BindDataSet(dataSet_, FindDataSet(dataSet_, name));
}

void TfrxDataBand::SetColumns(int v) {
  // More columns than the page holds would print rows beyond its edge.
  const auto* page = dynamic_cast<const TfrxReportPage*>(Parent());
  const int limit = page ? page->MaxColumns() : TfrxReportPage::kMaxColumns;
  if (v > limit) {
    vuzReportColumnsCut(this, v, limit);
    v = limit;
  }
  columns_ = v;
}

void TfrxDataBand::SetRowCount(int n) {
  rowCount_ = n;
  if (virtualDataSet_) virtualDataSet_->SetRangeEndCount(n);
}

void TfrxDataBand::SetCurColumn(int n) {
  if (n > columns_) n = 1;
  curColumn_ = n;
  if (curColumn_ == 1) MaxY = 0;
  SetLeft((curColumn_ - 1) * (columnWidth_ + columnGap_));
}

void TfrxDataBand::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TfrxBand::Notification(component, operation);
  if (operation == rtl::opRemove && component && component == dataSet_) dataSet_ = nullptr;
}

// ---------------------------------------------------------------- TfrxGroupHeader

AnsiString TfrxGroupHeader::Diff(TfrxComponent* other) {
  AnsiString s = TfrxBand::Diff(other);
  if (drillDown_) s += " DrillName=\"" + drillName_ + "\"";
  return s;
}

// ---------------------------------------------------------------- reflection

namespace {

// What every band publishes, after TfrxReportComponent's own.
template <class C>
rtl::TClassBuilder<C>& Common(rtl::TClassBuilder<C>& b) {
  return b.Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
      .Stored(&TfrxComponent::IsFontStored)
      .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
      .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
      .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
      .Default(true)
      .Set("Restrictions", RestrictionsType(), &TfrxComponent::Restrictions, &TfrxComponent::SetRestrictions)
      .Default(0)
      .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
      .Property("Vertical", &TfrxBand::Vertical, &TfrxBand::SetVertical)
      .Default(false)
      .Property("Visible", &TfrxComponent::Visible, &TfrxComponent::SetVisible)
      .Default(true)
      .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
      .Property(
          "OnAfterCalcHeight", [](const C& c) { return c.OnAfterCalcHeight; },
          [](C& c, const AnsiString& v) { c.OnAfterCalcHeight = v; })
      .Property(
          "OnAfterPrint", [](const C& c) { return c.OnAfterPrint; },
          [](C& c, const AnsiString& v) { c.OnAfterPrint = v; })
      .Property(
          "OnBeforePrint", [](const C& c) { return c.OnBeforePrint; },
          [](C& c, const AnsiString& v) { c.OnBeforePrint = v; });
}

// Boolean switches, default False unless given.
template <class C, class G, class S>
void Switch(rtl::TClassBuilder<C>& b, const char* name, G getter, S setter, bool def = false) {
  b.Property(name, getter, setter).Default(def);
}

template <class C>
void PubAllowSplit(rtl::TClassBuilder<C>& b) {
  Switch(b, "AllowSplit", &TfrxBand::AllowSplit, &TfrxBand::SetAllowSplit);
}
template <class C>
void PubChild(rtl::TClassBuilder<C>& b) {
  // Declared through the band base: TfrxChild itself publishes a Child, and
  // its class cannot name itself while it is being described.
  b.Property(
      "Child", [](const C& c) -> TfrxBand* { return c.Child(); },
      [](C& c, TfrxBand* v) {
        auto* child = dynamic_cast<TfrxChild*>(v);
        if (v && !child) throw rtl::EPropertyError("Invalid property value");
        c.SetChild(child);
      });
}
template <class C>
void PubKeepChild(rtl::TClassBuilder<C>& b) {
  Switch(b, "KeepChild", &TfrxBand::KeepChild, &TfrxBand::SetKeepChild);
}
template <class C>
void PubPrintChildIfInvisible(rtl::TClassBuilder<C>& b) {
  Switch(b, "PrintChildIfInvisible", &TfrxBand::PrintChildIfInvisible, &TfrxBand::SetPrintChildIfInvisible);
}
template <class C>
void PubStartNewPage(rtl::TClassBuilder<C>& b) {
  Switch(b, "StartNewPage", &TfrxBand::StartNewPage, &TfrxBand::SetStartNewPage);
}
template <class C>
void PubStretched(rtl::TClassBuilder<C>& b) {
  Switch(b, "Stretched", &TfrxBand::Stretched, &TfrxBand::SetStretched);
}
template <class C>
void PubOutlineText(rtl::TClassBuilder<C>& b) {
  b.Property("OutlineText", &TfrxBand::OutlineText, &TfrxBand::SetOutlineText);
}

// The title's set: report title, summary and child.
template <class C>
const rtl::TClassInfo& TitleLike(const char* name) {
  static const rtl::TClassInfo info = [name] {
    rtl::TClassBuilder<C> b(name, &TfrxBand::StaticClass());
    b.Creatable();
    PubAllowSplit(b);
    PubChild(b);
    PubKeepChild(b);
    PubPrintChildIfInvisible(b);
    PubStartNewPage(b);
    PubStretched(b);
    return b.Build();
  }();
  return info;
}

template <class C>
const rtl::TClassInfo& DataBandKind(const char* name) {
  static const rtl::TClassInfo info = rtl::TClassBuilder<C>(name, &TfrxDataBand::StaticClass()).Creatable().Build();
  return info;
}

}  // namespace

const rtl::TClassInfo& TfrxBand::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxBand> b("TfrxBand", &TfrxReportComponent::StaticClass());
    Common(b);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxReportTitle::StaticClass() { return TitleLike<TfrxReportTitle>("TfrxReportTitle"); }
const rtl::TClassInfo& TfrxReportSummary::StaticClass() { return TitleLike<TfrxReportSummary>("TfrxReportSummary"); }
const rtl::TClassInfo& TfrxChild::StaticClass() { return TitleLike<TfrxChild>("TfrxChild"); }

const rtl::TClassInfo& TfrxPageHeader::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxPageHeader> b("TfrxPageHeader", &TfrxBand::StaticClass());
    b.Creatable();
    PubChild(b);
    PubPrintChildIfInvisible(b);
    Switch(b, "PrintOnFirstPage", &TfrxPageHeader::PrintOnFirstPage, &TfrxPageHeader::SetPrintOnFirstPage, true);
    PubStretched(b);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxPageFooter::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxPageFooter> b("TfrxPageFooter", &TfrxBand::StaticClass());
    b.Creatable();
    Switch(b, "PrintOnFirstPage", &TfrxPageFooter::PrintOnFirstPage, &TfrxPageFooter::SetPrintOnFirstPage, true);
    Switch(b, "PrintOnLastPage", &TfrxPageFooter::PrintOnLastPage, &TfrxPageFooter::SetPrintOnLastPage, true);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxHeader::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxHeader> b("TfrxHeader", &TfrxBand::StaticClass());
    b.Creatable();
    PubAllowSplit(b);
    PubChild(b);
    PubKeepChild(b);
    PubPrintChildIfInvisible(b);
    Switch(b, "ReprintOnNewPage", &TfrxHeader::ReprintOnNewPage, &TfrxHeader::SetReprintOnNewPage);
    PubStartNewPage(b);
    PubStretched(b);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxFooter::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxFooter> b("TfrxFooter", &TfrxBand::StaticClass());
    b.Creatable();
    PubAllowSplit(b);
    PubChild(b);
    PubKeepChild(b);
    PubPrintChildIfInvisible(b);
    PubStretched(b);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxDataBand::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxDataBand> b("TfrxDataBand", &TfrxBand::StaticClass());
    b.Creatable();
    PubAllowSplit(b);
    PubChild(b);
    b.Property("Columns", &TfrxDataBand::Columns, &TfrxDataBand::SetColumns).Default(0);
    b.Property("ColumnWidth", &TfrxDataBand::ColumnWidth, &TfrxDataBand::SetColumnWidth);
    b.Property("ColumnGap", &TfrxDataBand::ColumnGap, &TfrxDataBand::SetColumnGap);
    b.Property("DataSet", &TfrxDataBand::DataSet, &TfrxDataBand::SetDataSet);
    b.Property("DataSetName", &TfrxDataBand::GetDataSetName, &TfrxDataBand::SetDataSetName);
    Switch(b, "FooterAfterEach", &TfrxDataBand::FooterAfterEach, &TfrxDataBand::SetFooterAfterEach);
    PubKeepChild(b);
    Switch(b, "KeepFooter", &TfrxDataBand::KeepFooter, &TfrxDataBand::SetKeepFooter);
    Switch(b, "KeepHeader", &TfrxDataBand::KeepHeader, &TfrxDataBand::SetKeepHeader);
    Switch(b, "KeepTogether", &TfrxDataBand::KeepTogether, &TfrxDataBand::SetKeepTogether);
    PubOutlineText(b);
    PubPrintChildIfInvisible(b);
    Switch(b, "PrintIfDetailEmpty", &TfrxDataBand::PrintIfDetailEmpty, &TfrxDataBand::SetPrintIfDetailEmpty);
    b.Property("RowCount", &TfrxDataBand::RowCount, &TfrxDataBand::SetRowCount);
    PubStartNewPage(b);
    PubStretched(b);
    b.Property(
        "OnMasterDetail", [](const TfrxDataBand& c) { return c.OnMasterDetail; },
        [](TfrxDataBand& c, const AnsiString& v) { c.OnMasterDetail = v; });
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxMasterData::StaticClass() { return DataBandKind<TfrxMasterData>("TfrxMasterData"); }
const rtl::TClassInfo& TfrxDetailData::StaticClass() { return DataBandKind<TfrxDetailData>("TfrxDetailData"); }
const rtl::TClassInfo& TfrxSubdetailData::StaticClass() { return DataBandKind<TfrxSubdetailData>("TfrxSubdetailData"); }
const rtl::TClassInfo& TfrxDataBand4::StaticClass() { return DataBandKind<TfrxDataBand4>("TfrxDataBand4"); }
const rtl::TClassInfo& TfrxDataBand5::StaticClass() { return DataBandKind<TfrxDataBand5>("TfrxDataBand5"); }
const rtl::TClassInfo& TfrxDataBand6::StaticClass() { return DataBandKind<TfrxDataBand6>("TfrxDataBand6"); }

const rtl::TClassInfo& TfrxGroupHeader::StaticClass() {
  static const rtl::TClassInfo info = [] {
    using G = TfrxGroupHeader;
    rtl::TClassBuilder<G> b("TfrxGroupHeader", &TfrxBand::StaticClass());
    b.Creatable();
    PubAllowSplit(b);
    PubChild(b);
    b.Property("Condition", &G::Condition, &G::SetCondition);
    Switch(b, "DrillDown", &G::DrillDown, &G::SetDrillDown);
    Switch(b, "ExpandDrillDown", &G::ExpandDrillDown, &G::SetExpandDrillDown);
    PubKeepChild(b);
    Switch(b, "KeepTogether", &G::KeepTogether, &G::SetKeepTogether);
    Switch(b, "ReprintOnNewPage", &G::ReprintOnNewPage, &G::SetReprintOnNewPage);
    PubOutlineText(b);
    PubPrintChildIfInvisible(b);
    Switch(b, "ResetPageNumbers", &G::ResetPageNumbers, &G::SetResetPageNumbers);
    Switch(b, "ShowFooterIfDrillDown", &G::ShowFooterIfDrillDown, &G::SetShowFooterIfDrillDown);
    Switch(b, "ShowChildIfDrillDown", &G::ShowChildIfDrillDown, &G::SetShowChildIfDrillDown);
    PubStartNewPage(b);
    PubStretched(b);
    b.Property("DrillName", &G::DrillName, &G::SetDrillName);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxGroupFooter::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxGroupFooter> b("TfrxGroupFooter", &TfrxBand::StaticClass());
    b.Creatable();
    PubAllowSplit(b);
    PubChild(b);
    Switch(b, "HideIfSingleDataRecord", &TfrxGroupFooter::HideIfSingleDataRecord,
           &TfrxGroupFooter::SetHideIfSingleDataRecord);
    PubKeepChild(b);
    PubPrintChildIfInvisible(b);
    PubStretched(b);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxColumnHeader::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxColumnHeader> b("TfrxColumnHeader", &TfrxBand::StaticClass());
    b.Creatable();
    PubChild(b);
    PubStretched(b);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxColumnFooter::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxColumnFooter>("TfrxColumnFooter", &TfrxBand::StaticClass()).Creatable().Build();
  return info;
}

const rtl::TClassInfo& TfrxOverlay::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxOverlay> b("TfrxOverlay", &TfrxBand::StaticClass());
    b.Creatable();
    Switch(b, "PrintOnTop", &TfrxOverlay::PrintOnTop, &TfrxOverlay::SetPrintOnTop);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxNullBand::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxNullBand>("TfrxNullBand", &TfrxBand::StaticClass()).Creatable().Build();
  return info;
}

const std::array<const rtl::TClassInfo*, kBandKindCount>& vuzBands() {
  static const std::array<const rtl::TClassInfo*, kBandKindCount> table = {
      &TfrxReportTitle::StaticClass(),  &TfrxReportSummary::StaticClass(), &TfrxPageHeader::StaticClass(),
      &TfrxPageFooter::StaticClass(),   &TfrxHeader::StaticClass(),        &TfrxFooter::StaticClass(),
      &TfrxMasterData::StaticClass(),   &TfrxDetailData::StaticClass(),    &TfrxSubdetailData::StaticClass(),
      &TfrxDataBand4::StaticClass(),    &TfrxDataBand5::StaticClass(),     &TfrxDataBand6::StaticClass(),
      &TfrxGroupHeader::StaticClass(),  &TfrxGroupFooter::StaticClass(),   &TfrxChild::StaticClass(),
      &TfrxColumnHeader::StaticClass(), &TfrxColumnFooter::StaticClass(),  &TfrxOverlay::StaticClass(),
  };
  return table;
}

}  // namespace report
