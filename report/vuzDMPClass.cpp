#include "report/vuzDMPClass.h"

#include <cmath>

#include "platform/rtl/classes.h"
#include "platform/rtl/format.h"
#include "report/vuzDMPMemo.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzRes.h"
#include "report/vuzXML.h"

namespace report {

const rtl::TEnumType& DMPFontStyleType() {
  static const rtl::TEnumType type{"TfrxDMPFontStyle",
                                   {"fsxBold", "fsxItalic", "fsxUnderline", "fsxSuperScript", "fsxSubScript",
                                    "fsxCondensed", "fsxWide", "fsx12cpi", "fsx15cpi"}};
  return type;
}

const rtl::TSetType& DMPFontStylesType() {
  static const rtl::TSetType type{"TfrxDMPFontStyles", &DMPFontStyleType()};
  return type;
}

void vuzResetDMPFont(gfx::TFont& font, TfrxDMPFontStyles style) {
  font.SetName("Courier New");
  font.SetSize(12);
  // Bold, italic and underline share their bits with the screen font's.
  font.SetStyle(gfx::TFontStyles::FromBits(style & ((1u << fsxBold) | (1u << fsxItalic) | (1u << fsxUnderline))));
}

// ---------------------------------------------------------------- snapping

namespace {
constexpr long double X = fr1CharX;
constexpr long double Y = fr1CharY;
// Whole cells below (towards zero) or nearest (halves to even).
long double Trunc(long double x, long double cell) { return std::trunc(x / cell) * cell; }
long double Round(long double x, long double cell) { return std::nearbyint(x / cell) * cell; }
}  // namespace

long double vuzDMPMemoLeft(long double x, TfrxAlign align) { return align == baRight ? Trunc(x, X) : Round(x, X); }
long double vuzDMPMemoWidth(long double x) { return Round(x, X); }
long double vuzDMPMemoTopOrHeight(long double x) { return Round(x, Y); }

long double vuzDMPLineLeft(long double x, TfrxAlign align) {
  if (x < 0) return Trunc(x, X) - X / 2;
  if (align == baRight) return Round(x, X) - X / 2;
  return Trunc(x, X) + X / 2;
}

long double vuzDMPLineTop(long double x) { return Trunc(x, Y) + Y / 2; }
long double vuzDMPLineWidth(long double x, TfrxAlign align) { return align == baWidth ? Trunc(x, X) : Round(x, X); }
long double vuzDMPCommandLeft(long double x) { return Round(x, X); }
long double vuzDMPCommandTop(long double x) { return Round(x, Y); }

// ---------------------------------------------------------------- commands

namespace {
char ByteOf(const AnsiString& text, int value) {
  // A code that does not fit a byte is as wrong as one that is no number:
  // cutting it down would send the printer some other command.
  if (value < 0 || value > 255) throw rtl::EConvertError("'" + text + "' is not a valid byte value");
  return static_cast<char>(static_cast<unsigned char>(value));
}
}  // namespace

AnsiString vuzDMPCommandBytes(const AnsiString& command) {
  AnsiString bytes;
  if (!command.empty() && command[0] == '#') {
    const AnsiString s = command + "#";
    std::size_t start = 1;
    for (std::size_t hash = s.find('#', start); hash != AnsiString::npos; hash = s.find('#', start)) {
      const AnsiString part = s.substr(start, hash - start);
      bytes += ByteOf(part, rtl::StrToInt(part));
      start = hash + 1;
    }
    return bytes;
  }
  for (std::size_t i = 0; i + 1 < command.size(); i += 2) {
    const AnsiString pair = command.substr(i, 2);
    bytes += ByteOf(pair, rtl::StrToInt("$" + pair));
  }
  return bytes;
}

// ---------------------------------------------------------------- TfrxDMPPage

TfrxDMPPage::TfrxDMPPage(rtl::TComponent* owner) : TfrxReportPage(owner) { ResetFontOptions(); }
TfrxDMPPage::TfrxDMPPage(rtl::TComponent* owner, std::uint16_t flags) : TfrxReportPage(owner, flags) {
  ResetFontOptions();
}

void TfrxDMPPage::ResetFontOptions() {
  // The fixed font is not a change the page's objects should take as theirs.
  Font()->OnChange = nullptr;
  vuzResetDMPFont(*Font(), fontStyle_);
}

void TfrxDMPPage::SetFontStyle(TfrxDMPFontStyles value) {
  fontStyle_ = value & kDMPFontStyleMask;
  ResetFontOptions();
  // Parents come before their children, so each takes the updated font.
  const std::vector<TfrxComponent*> all = GetAllObjects();
  for (TfrxComponent* c : all)
    if (c->ParentFont()) c->SetParentFont(true);
}

void TfrxDMPPage::RoundWidthToCells() { SetPaperWidthDirect(Round(PaperWidth() * fr01cm, X) / fr01cm); }
void TfrxDMPPage::RoundHeightToCells() { SetPaperHeightDirect(Round(PaperHeight() * fr01cm, Y) / fr01cm); }

void TfrxDMPPage::SetDefaults() {
  TfrxReportPage::SetDefaults();
  SetLeftMargin(X / fr01cm);
  SetRightMargin(X / fr01cm);
  SetTopMargin(Y / fr01cm);
  SetBottomMargin(Y / fr01cm);
  SetPaperWidthDirect(Trunc(PaperWidth() * fr01cm, X) / fr01cm);
  SetPaperHeightDirect(Trunc(PaperHeight() * fr01cm, Y) / fr01cm);
  UpdateDimensions();
}

void TfrxDMPPage::SetPaperSize(int value) {
  TfrxReportPage::SetPaperSize(value);
  RoundWidthToCells();
  RoundHeightToCells();
  UpdateDimensions();
}

void TfrxDMPPage::SetPaperWidth(long double value) {
  TfrxReportPage::SetPaperWidth(value);
  RoundWidthToCells();
  UpdateDimensions();
}

void TfrxDMPPage::SetPaperHeight(long double value) {
  TfrxReportPage::SetPaperHeight(value);
  RoundHeightToCells();
  UpdateDimensions();
}

const rtl::TClassInfo& TfrxDMPPage::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxDMPPage>("TfrxDMPPage", &TfrxReportPage::StaticClass())
          .Creatable()
          .Set("FontStyle", DMPFontStylesType(), &TfrxDMPPage::FontStyle, &TfrxDMPPage::SetFontStyle)
          .Default(0)
          .Build();
  return info;
}

TfrxDMPPage* vuzDMPPageOf(const TfrxComponent* object) {
  return object ? dynamic_cast<TfrxDMPPage*>(object->GetPage()) : nullptr;
}

namespace {
AnsiString FontStyleDiff(TfrxDMPFontStyles mine, TfrxDMPFontStyles theirs) {
  if ((mine & kDMPFontStyleMask) == (theirs & kDMPFontStyleMask)) return AnsiString();
  return " FontStyle=\"" + rtl::IntToStr(static_cast<int>(mine & kDMPFontStyleMask)) + "\"";
}
}  // namespace

// ---------------------------------------------------------------- TfrxDMPLineView

TfrxDMPLineView::TfrxDMPLineView(rtl::TComponent* owner) : TfrxCustomLineView(owner) {}
TfrxDMPLineView::TfrxDMPLineView(rtl::TComponent* owner, std::uint16_t flags) : TfrxCustomLineView(owner, flags) {}

void TfrxDMPLineView::SetLeft(long double value) { TfrxCustomLineView::SetLeft(vuzDMPLineLeft(value, Align())); }
void TfrxDMPLineView::SetTop(long double value) { TfrxCustomLineView::SetTop(vuzDMPLineTop(value)); }
void TfrxDMPLineView::SetWidth(long double value) { TfrxCustomLineView::SetWidth(vuzDMPLineWidth(value, Align())); }

void TfrxDMPLineView::SetFontStyle(TfrxDMPFontStyles value) {
  fontStyle_ = value & kDMPFontStyleMask;
  TfrxCustomLineView::SetParentFont(false);
}

void TfrxDMPLineView::SetParentFont(bool value) {
  TfrxCustomLineView::SetParentFont(value);
  if (!value) return;
  if (TfrxDMPPage* page = vuzDMPPageOf(this)) fontStyle_ = page->FontStyle();
}

AnsiString TfrxDMPLineView::Diff(TfrxComponent* other) {
  AnsiString s = TfrxView::Diff(other);
  if (auto* line = dynamic_cast<TfrxDMPLineView*>(other)) s += FontStyleDiff(fontStyle_, line->fontStyle_);
  return s;
}

AnsiString TfrxDMPLineView::GetDescription() const { return vuzResources().Get("obDMPLine"); }

const rtl::TClassInfo& TfrxDMPLineView::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxDMPLineView>("TfrxDMPLineView", &TfrxCustomLineView::StaticClass())
          .Creatable()
          .Set("FontStyle", DMPFontStylesType(), &TfrxDMPLineView::FontStyle, &TfrxDMPLineView::SetFontStyle)
          .Stored(&TfrxDMPLineView::IsFontStyleStored)
          .Property("ParentFont", &TfrxComponent::ParentFont, [](TfrxDMPLineView& v, bool on) { v.SetParentFont(on); })
          .Default(true)
          .Build();
  return info;
}

// ---------------------------------------------------------------- TfrxDMPCommand

void TfrxDMPCommand::SetLeft(long double value) { TfrxView::SetLeft(vuzDMPCommandLeft(value)); }
void TfrxDMPCommand::SetTop(long double value) { TfrxView::SetTop(vuzDMPCommandTop(value)); }

AnsiString TfrxDMPCommand::Diff(TfrxComponent* other) {
  AnsiString s = TfrxView::Diff(other);
  auto* command = dynamic_cast<TfrxDMPCommand*>(other);
  if (!command || command->command_ != command_) s += " Command=\"" + vuzStrToXML(command_) + "\"";
  return s;
}

AnsiString TfrxDMPCommand::GetDescription() const { return vuzResources().Get("obDMPCmd"); }

const rtl::TClassInfo& TfrxDMPCommand::StaticClass() {
  static const rtl::TClassInfo info = rtl::TClassBuilder<TfrxDMPCommand>("TfrxDMPCommand", &TfrxView::StaticClass())
                                          .Creatable()
                                          .Property("Command", &TfrxDMPCommand::Command, &TfrxDMPCommand::SetCommand)
                                          .Build();
  return info;
}

// ---------------------------------------------------------------- start-up

namespace {
int g_dmpNesting = 0;
// The objects the designer offers on dot-matrix pages.
std::vector<const rtl::TClassInfo*> DMPObjectClasses() {
  return {&TfrxDMPMemoView::StaticClass(), &TfrxDMPLineView::StaticClass(), &TfrxDMPCommand::StaticClass()};
}
}  // namespace

void DMPClassesStartup() {
  if (g_dmpNesting++ > 0) return;
  vuzRegisterReportClass(TfrxDMPPage::StaticClass());
  for (const rtl::TClassInfo* cls : DMPObjectClasses())
    vuzObjects().RegisterObject1(cls, nullptr, AnsiString(), AnsiString(), 0, -1, ctDMP);
}

void DMPClassesShutdown() {
  if (g_dmpNesting == 0 || --g_dmpNesting > 0) return;
  for (const rtl::TClassInfo* cls : DMPObjectClasses()) vuzObjects().Unregister(cls);
  rtl::UnRegisterClass(TfrxDMPPage::StaticClass().Name());
}

}  // namespace report
