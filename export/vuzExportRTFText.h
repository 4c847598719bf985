// The text side of the RTF export: escaping memo text for RTF, the font and
// colour tables every cell refers to by number, and the merging of a memo
// that already holds RTF (its font and colour numbers re-mapped into the
// document's tables).
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/gfx/colors.h"
#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;
using rtl::WideString;

// Drops one CR LF from the end of a text of at least two characters.
WideString RTFTruncReturns(const WideString& text);
// "\", "{" and "}" escaped; a CR LF becomes "\line" and the CR LF, except a
// CR LF that ends the text.
WideString StrToRTFSlash(const WideString& text);
// Characters below 128 as bytes, others as "\uN\'3f". A tab becomes "\tab "
// and other control characters (CR and LF excepted) are dropped: readers
// would lose a raw tab and show control bytes as garbage.
AnsiString StrToRTFUnicode(const WideString& text);
// StrToRTFSlash, then StrToRTFUnicode.
AnsiString StrToRTFUnicodeEx(const WideString& text);
// Appends StrToRTFUnicodeEx of the text (with truncReturns, of
// RTFTruncReturns of it) in one pass, as every cell needs.
void AppendRTFText(std::string& out, std::u16string_view text, bool truncReturns);
// Appends a whole number in decimal.
void AppendRTFNumber(std::string& out, long long value);

// The document's font and colour tables. A font's number is its 0-based
// position (fonts are keyed by name alone: the first charset stays); a
// colour's number is its 1-based position, the written table beginning with
// an empty entry.
class TfrxRTFTables {
 public:
  int AddFont(const AnsiString& name, int charset);
  // The colour resolved to RGB.
  int AddColor(gfx::TColor color);
  // An entry "\redR\greenG\blueB;" as it is written.
  int AddColorEntry(const AnsiString& entry);
  int FontCount() const { return static_cast<int>(fontNames_.size()); }
  int ColorCount() const { return static_cast<int>(colors_.size()); }
  // "{\fonttbl...}" and "{\colortbl;...}" as lines of at most 254
  // characters (unless one entry is longer), each ending in CR LF.
  std::string FontTable() const;
  std::string ColorTable() const;

 private:
  std::vector<AnsiString> fontNames_, fontCharsets_;
  std::vector<AnsiString> colors_;
  std::unordered_map<AnsiString, int> fontIndex_, colorIndex_;
};

// The RTF colour entry of a colour: "\red" R "\green" G "\blue" B ";".
AnsiString RTFColorEntry(gfx::TColor color);

// A memo's RTF text (1251) made into one group for a table cell: the part
// from the first "\pard" on (every "\pard" removed), its "\f" and "\cf"
// numbers re-mapped into tables. A text that cannot be merged gives "{"
// + the error message + "}".
AnsiString RTFRemapRichText(const AnsiString& rtf, TfrxRTFTables& tables);

}  // namespace report
