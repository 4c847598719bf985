#include "report/vuzDMPClass.h"

#include <cmath>

#include "platform/rtl/classes.h"
#include "platform/rtl/format.h"
#include "report/vuzDsgnIntf.h"

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

// ---------------------------------------------------------------- start-up

namespace {
int g_dmpNesting = 0;
}

void DMPClassesStartup() {
  if (g_dmpNesting++ > 0) return;
  vuzRegisterReportClass(TfrxDMPPage::StaticClass());
}

void DMPClassesShutdown() {
  if (g_dmpNesting == 0 || --g_dmpNesting > 0) return;
  rtl::UnRegisterClass(TfrxDMPPage::StaticClass().Name());
}

}  // namespace report
