// The text pieces of the HTML export: escaping, a cell's formatted text and
// the style sheet block of a cell look.
#include <cmath>
#include <cstdio>

#include "export/vuzExportHTML.h"
#include "export/vuzExportMatrix.h"
#include "report/vuzHTMLTags.h"

namespace report {

namespace {

long Round(long double v) { return std::lrint(static_cast<double>(v)); }

// Characters no HTML reader accepts in a document: C0 controls other than
// tab, line feed and carriage return, and the two non-characters.
bool Forbidden(char16_t c) {
  return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
}

// A CSS font family: the characters that would end the declaration or the
// style element are left out.
std::string CssName(const AnsiString& name) {
  std::string out;
  for (char c : rtl::AnsiToUtf8(name))
    if (c != ';' && c != '{' && c != '}' && c != '<' && c != '>' && c != '"' && c != '\\' &&
        static_cast<unsigned char>(c) >= 0x20)
      out += c;
  return out;
}

// One piece of a cell's text: escaped, CR LF as <br>, then wrapped in the
// elements of its format.
void EmitPiece(std::string& out, std::u16string_view piece, gfx::TFontStyles style, gfx::TColor color) {
  std::string text;
  std::u16string segment;
  auto flush = [&] {
    text += HtmlEscape(rtl::WideToUtf8(segment));
    segment.clear();
  };
  for (std::size_t i = 0; i < piece.size(); ++i) {
    const char16_t c = piece[i];
    if (c == u'\r') continue;
    if (c == u'\n' && i > 0 && piece[i - 1] == u'\r') {
      flush();
      text += "<br>";
    } else if (!Forbidden(c)) {
      segment += c;
    }
  }
  flush();
  if (text.empty()) return;
  if (style.Contains(gfx::fsBold)) text = "<b>" + text + "</b>";
  if (style.Contains(gfx::fsItalic)) text = "<i>" + text + "</i>";
  if (style.Contains(gfx::fsUnderline)) text = "<u>" + text + "</u>";
  if (style.Contains(gfx::fsStrikeOut)) text = "<s>" + text + "</s>";
  if (color != 0) text = "<span style=\"color:" + HtmlColor(color) + "\">" + text + "</span>";
  out += text;
}

}  // namespace

std::string HtmlCellText(const rtl::WideString& source, bool allowTags) {
  rtl::WideString text = source;
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) text.resize(text.size() - 2);
  std::string out;
  // Tags are formatting only where the object allows them; elsewhere
  // "<b>" is text like any other.
  if (!allowTags) {
    EmitPiece(out, text, gfx::TFontStyles(), 0);
  } else {
    TfrxHTMLTagsList tags;
    tags.SetDefaults(0, 0, gfx::TFontStyles());
    const bool wasEmpty = text.empty();
    tags.ExpandHTMLTags(text);
    const TfrxHTMLTags* runs = tags.Find(0);
    if (wasEmpty || !runs || runs->Count() != static_cast<int>(text.size())) {
      EmitPiece(out, wasEmpty ? rtl::WideString() : text, gfx::TFontStyles(), 0);
    } else {
      std::size_t start = 0;
      for (std::size_t i = 1; i <= text.size(); ++i) {
        const TfrxHTMLTag& prev = (*runs)[static_cast<int>(i - 1)];
        if (i < text.size()) {
          const TfrxHTMLTag& cur = (*runs)[static_cast<int>(i)];
          if (cur.FontStyle == prev.FontStyle && cur.FontColor == prev.FontColor) continue;
        }
        EmitPiece(out, std::u16string_view(text).substr(start, i - start), prev.FontStyle, prev.FontColor);
        start = i;
      }
    }
  }
  // Trimmed as a whole: blanks and line breaks at either end go.
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  std::size_t b = 0, e = out.size();
  while (b < e && blank(out[b])) ++b;
  while (e > b && blank(out[e - 1])) --e;
  out = out.substr(b, e - b);
  return out.empty() ? std::string("&nbsp;") : out;
}

std::string HtmlStyleBlock(const TfrxIEMStyle& s, int n) {
  std::string out = ".s" + std::to_string(n) + " {";
  if (s.Font) {
    const gfx::TFont& f = *s.Font;
    out += " font-family: " + CssName(f.Name()) + ";\r\n font-size: " + std::to_string(Round(f.Size() * 96.0L / 72)) +
           "px;\r\n color: " + HtmlColor(f.Color()) + ";";
    const gfx::TFontStyles st = f.Style();
    if (st.Contains(gfx::fsBold)) out += " font-weight: bold;";
    out += st.Contains(gfx::fsItalic) ? " font-style: italic;" : " font-style: normal;";
    // Both decorations are one space-separated value.
    const bool u = st.Contains(gfx::fsUnderline), lt = st.Contains(gfx::fsStrikeOut);
    if (u || lt) out += std::string(" text-decoration:") + (u ? " underline" : "") + (lt ? " line-through" : "") + ";";
  }
  out += s.Color == gfx::clTransparent ? std::string(" background-color: transparent;")
                                       : " background-color: " + HtmlColor(s.Color) + ";";
  if (s.ParagraphGap > 0) {
    char gap[32];
    if (s.ParagraphGap == std::floor(s.ParagraphGap))
      std::snprintf(gap, sizeof gap, "%.0f", static_cast<double>(s.ParagraphGap));
    else
      std::snprintf(gap, sizeof gap, "%.2f", static_cast<double>(s.ParagraphGap));
    out += std::string("  text-indent: ") + gap + "px;";
  }
  if (s.FrameSides != 0) {
    out += " border-color:" + HtmlColor(s.FrameLineColor) + "; border-style: solid;";
    const char* sides[] = {"left", "right", "top", "bottom"};
    for (int b = 0; b < 4; ++b) {
      out += std::string(" border-") + sides[b] + "-width: ";
      // CSS lengths other than 0 need their unit.
      out += (s.FrameSides & (1u << b)) ? std::to_string(Round(s.FrameLineWidth)) + "px;" : std::string("0px;");
    }
  }
  const char* h = s.HAlign == haRight    ? "Right"
                  : s.HAlign == haCenter ? "Center"
                  : s.HAlign == haBlock  ? "Justify"
                                         : "Left";
  const char* v = s.VAlign == vaBottom ? "Bottom" : s.VAlign == vaCenter ? "Middle" : "Top";
  out += std::string(" text-align: ") + h + "; vertical-align: " + v + ";";
  return out + "}";
}

}  // namespace report
