#include "export/biff/vuzBiffStyles.h"

#include <cmath>
#include <memory>

#include "export/biff/biffWorkbook.h"
#include "export/vuzExportMatrix.h"
#include "platform/rtl/format_settings.h"

namespace report {

TfrxBiffStyles::TfrxBiffStyles(int styleCount, TBiffWorkbook* workbook, int spaceWidth)
    : entries_(static_cast<std::size_t>(std::max(0, styleCount)) * 4, -1),
      workbook_(workbook),
      spaceWidth_(spaceWidth) {}

bool TfrxBiffStyles::IsValidStyleIndex(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) * 4 < entries_.size();
}

int TfrxBiffStyles::GetEntryIndex(int index, bool fillAllowed, bool rightToLeft) {
  return 4 * index + (fillAllowed ? 1 : 0) + (rightToLeft ? 2 : 0);
}

int TfrxBiffStyles::GetStyle(int index, bool fillAllowed, bool rightToLeft) const {
  if (!IsValidStyleIndex(index)) throw rtl::Exception("StyleIndex is out of bounds");
  return entries_[static_cast<std::size_t>(GetEntryIndex(index, fillAllowed, rightToLeft))];
}

int TfrxBiffStyles::AddStyle(int index, const TfrxIEMStyle* style, bool fillAllowed, bool rightToLeft) {
  const int stored = GetStyle(index, fillAllowed, rightToLeft);
  if (stored >= 0) return stored;
  const int made = CreateStyle(style, fillAllowed, rightToLeft);
  entries_[static_cast<std::size_t>(GetEntryIndex(index, fillAllowed, rightToLeft))] = made;
  return made;
}

int BiffRotation(int degrees) {
  if (degrees == 0) return 0;
  int r = degrees % 360;
  if (r < 0) r += 360;
  if (r > 180) r -= 360;
  if (r >= 1 && r <= 90) return r;
  if (r >= -90 && r <= -1) return 90 - r;
  return 0;
}

TBiffLineStyle BiffLineStyle(TfrxFrameStyle style, double width) {
  if (!(width > 0.000001)) return lsNone;
  const int band = width < 1.5 ? 0 : width < 2.5 ? 1 : 2;
  switch (style) {
    case fsSolid: return band == 0 ? lsThin : band == 1 ? lsMedium : lsThick;
    case fsDash: return band == 0 ? lsDashed : lsMediumDashed;
    case fsDot: return lsDotted;
    case fsDashDot: return band == 0 ? lsThinDashDotted : lsMediumDashDotted;
    case fsDashDotDot: return band == 0 ? lsThinDashDotDotted : lsMediumDashDotDotted;
    case fsDouble: return lsDouble;
    case fsAltDot: return lsHair;
    case fsSquare: return lsThin;
  }
  return lsThin;
}

int BiffFillPattern(gfx::TBrushStyle brush) {
  switch (brush) {
    case gfx::bsSolid:
    case gfx::bsClear: return 1;
    case gfx::bsHorizontal: return 11;
    case gfx::bsVertical: return 12;
    case gfx::bsFDiagonal: return 13;
    case gfx::bsBDiagonal: return 14;
    case gfx::bsCross: return 15;
    case gfx::bsDiagCross: return 16;
  }
  return 0;
}

namespace {

// A literal of a number format: quoted, so that a symbol such as "р." is
// not taken for a decimal point.
rtl::WideString Quoted(const AnsiString& text) {
  rtl::WideString out = u"\"";
  for (char16_t c : rtl::AnsiToWide(text))
    if (c != u'"') out += c;
  return out + u"\"";
}

// The engine's printf-like formats ("%2.2n") as number-format texts.
rtl::WideString PercentFormat(const AnsiString& text) {
  const char kind = text.back();
  int decimals = 0;
  const std::size_t dot = text.find('.');
  if (dot != AnsiString::npos) {
    const AnsiString digits = text.substr(dot + 1, text.size() - 1 - std::min(text.size() - 1, dot + 1));
    if (digits.empty() || digits.size() > 3) throw EInvalidFRFormat();
    for (char c : digits)
      if (c < '0' || c > '9') throw EInvalidFRFormat();
    decimals = std::stoi(digits);
  }
  const rtl::WideString zeros(static_cast<std::size_t>(decimals), u'0');
  const rtl::WideString base = decimals == 0 ? rtl::WideString(u"0") : u"0." + zeros;
  switch (kind) {
    case 'd':
      // Whole numbers: a decimal point only with decimals to show.
      return decimals == 0 ? rtl::WideString(u"0") : u"#." + rtl::WideString(static_cast<std::size_t>(decimals), u'#');
    case 'f': return base;
    case 'g': return rtl::WideString();
    case 'n': return u"#,##" + base;
    case 'm': {
      const rtl::FormatSettings& fs = rtl::CurrentFormatSettings();
      const rtl::WideString number = u"#,##" + base;
      if (fs.CurrencyString.empty()) return number;
      const rtl::WideString symbol = Quoted(fs.CurrencyString);
      switch (fs.CurrencyFormat) {
        case 0: return symbol + number;
        case 1: return number + symbol;
        case 2: return symbol + u" " + number;
        default: return number + u" " + symbol;
      }
    }
    default: throw EInvalidFRFormat();
  }
}

}  // namespace

rtl::WideString BiffNumberFormat(const TfrxFormat& format) {
  const AnsiString& text = format.FormatStr();
  if (text.empty()) return format.Kind() == fkNumeric ? rtl::WideString(u"0.00") : rtl::WideString();
  if (text[0] != '%') return rtl::AnsiToWide(text);
  try {
    return PercentFormat(text);
  } catch (const std::exception&) {
    return rtl::AnsiToWide(text);
  }
}

int BiffNumberFormatIndex(TBiffWorkbook& workbook, const TfrxFormat* format) {
  if (!format) return 0;
  // The built-in "0.00" needs no record of its own.
  if (format->FormatStr().empty()) return format->Kind() == fkNumeric ? 2 : 0;
  return workbook.AddFormat(BiffNumberFormat(*format));
}

int TfrxBiffStyles::CreateStyle(const TfrxIEMStyle* style, bool fillAllowed, bool rightToLeft) {
  if (!style) return kBiffDefaultXF;
  TBiffWorkbook& book = *workbook_;
  auto xf = std::make_unique<TBiffXF>();
  xf->Parent = 0;
  switch (style->HAlign) {
    case haLeft: xf->HAlign = xfhaLeft; break;
    case haRight: xf->HAlign = xfhaRight; break;
    case haCenter: xf->HAlign = xfhaCentered; break;
    case haBlock: xf->HAlign = xfhaJustified; break;
  }
  switch (style->VAlign) {
    case vaTop: xf->VAlign = xfvaTop; break;
    case vaBottom: xf->VAlign = xfvaBottom; break;
    case vaCenter: xf->VAlign = xfvaCentered; break;
  }
  xf->TextDir = rightToLeft ? xftdRTL : xftdLTR;
  xf->Wrap = style->WordWrap;
  xf->Rotation = static_cast<std::uint8_t>(BiffRotation(style->Rotation));
  if (style->HAlign == haLeft && style->ParagraphGap > 1 && spaceWidth_ > 0) {
    const double indent = std::nearbyint(static_cast<double>(style->ParagraphGap / 25.4L * 96) / spaceWidth_);
    xf->Indent = static_cast<std::uint8_t>(static_cast<long long>(indent) & 7);
  }
  const struct {
    TfrxFrameType side;
    TBiffXF::Border* border;
  } sides[] = {{ftLeft, &xf->Left}, {ftTop, &xf->Top}, {ftRight, &xf->Right}, {ftBottom, &xf->Bottom}};
  for (const auto& s : sides) {
    if (!(style->FrameSides & FrameBit(s.side))) continue;
    s.border->Color = static_cast<std::uint8_t>(book.AddColor(static_cast<std::uint32_t>(style->FrameLineColor)));
    s.border->Style = BiffLineStyle(style->FrameLineStyle, style->FrameLineWidth);
  }
  int pattern = 0;
  if (fillAllowed && style->Color != gfx::clTransparent) pattern = BiffFillPattern(style->BrushStyle);
  xf->Pattern = static_cast<std::uint8_t>(pattern);
  if (pattern == 1) {
    xf->PatternColor = static_cast<std::uint16_t>(book.AddColor(static_cast<std::uint32_t>(style->Color)));
    xf->BackColor = 65;  // the system window colour
  } else {
    xf->BackColor = static_cast<std::uint16_t>(book.AddColor(static_cast<std::uint32_t>(style->Color)));
    xf->PatternColor = static_cast<std::uint16_t>(book.AddColor(gfx::clBlack));
  }
  xf->Format = BiffNumberFormatIndex(book, style->DisplayFormat.get());
  xf->Font = CreateFont(style->Font.get());
  xf->UsedAttrs = 63;
  return book.AddXF(std::move(xf));
}

int TfrxBiffStyles::CreateFont(const gfx::TFont* font) {
  if (!font) return 0;
  auto f = std::make_unique<TBiffFont>();
  const int ppi = font->PixelsPerInch() > 0 ? font->PixelsPerInch() : 96;
  f->Height = -gfx::MulDiv(font->Height(), 1440, ppi);
  const gfx::TFontStyles st = font->Style();
  f->Options =
      static_cast<std::uint16_t>((st.Contains(gfx::fsItalic) ? 2 : 0) | (st.Contains(gfx::fsStrikeOut) ? 8 : 0));
  f->Color = static_cast<std::uint16_t>(workbook_->AddColor(static_cast<std::uint32_t>(font->Color())));
  f->Weight = st.Contains(gfx::fsBold) ? 700 : 400;
  f->Underline = st.Contains(gfx::fsUnderline) ? 1 : 0;
  f->Family = font->Pitch() == gfx::fpFixed ? ffModern : ffNone;
  f->Charset = font->Charset();
  f->Name = rtl::AnsiToWide(font->Name());
  return workbook_->AddFont(std::move(f));
}

int TfrxBiffStyles::AddFont(const gfx::TFont* font) {
  const int cached = GetFont(font);
  if (cached >= 0) return cached;
  const int index = CreateFont(font);
  fonts_.push_back(font);
  fontIndexes_.push_back(index);
  return index;
}

int TfrxBiffStyles::GetFont(const gfx::TFont* font) const {
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i] == font) return fontIndexes_[i];
  return -1;
}

}  // namespace report
