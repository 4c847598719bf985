// The per-character formatting of laid-out text: the small set of HTML-like
// tags a text object may carry (<b>, <i>, <u>, <strike>, <sub>, <sup>,
// <nowrap>, <font color=...>), parsed into one record per remaining
// character, one list of records per output line. The text layout fills and
// wraps these lists; the exports read them to find each character's format.
#pragma once
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gfx/colors.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/strings.h"

namespace gfx {
class TCanvas;
}

namespace report {

class TfrxTextMeasurer;

// The format of one character.
class TfrxHTMLTag {
 public:
  int SourcePos = 0;  // 1-based position in the tagged source text; a line end counts 2
  int FontSize = 0;   // points
  int Lowered = 0;    // 1 for subscript, else 0
  gfx::TFontStyles FontStyle;
  gfx::TColor FontColor = gfx::clBlack;
  bool SameAsPrevious = false;  // no format change against the preceding character
  bool Reduced = false;         // FontSize differs from the default size (sub- and superscript)
  bool NoWrap = false;          // inside <nowrap>: a blank here is no wrap point

  // Copies every field except NoWrap.
  void Assign(const TfrxHTMLTag& source);
  // Same size, lowering, style and colour.
  bool SameFormat(const TfrxHTMLTag& other) const {
    return FontSize == other.FontSize && Lowered == other.Lowered && FontStyle == other.FontStyle &&
           FontColor == other.FontColor;
  }

  // The names the exports use for the same fields.
  int Position() const { return SourcePos; }
  gfx::TFontStyles Style() const { return FontStyle; }
  gfx::TColor Color() const { return FontColor; }
};

// The records of one output line.
class TfrxHTMLTags {
 public:
  TfrxHTMLTag& Add();
  void Add(const TfrxHTMLTag& tag) { items_.push_back(tag); }
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  // An index outside the list raises the list index error.
  TfrxHTMLTag& GetItems(int index);
  const TfrxHTMLTag& GetItems(int index) const;
  TfrxHTMLTag& operator[](int index) { return GetItems(index); }
  const TfrxHTMLTag& operator[](int index) const { return GetItems(index); }
  // Nil for an index outside the list.
  const TfrxHTMLTag* Find(int index) const {
    return index >= 0 && index < Count() ? &items_[static_cast<std::size_t>(index)] : nullptr;
  }
  std::vector<TfrxHTMLTag>& Items() { return items_; }
  const std::vector<TfrxHTMLTag>& Items() const { return items_; }

 private:
  std::vector<TfrxHTMLTag> items_;
};

// One TfrxHTMLTags per output line, and the parser's state.
class TfrxHTMLTagsList {
 public:
  TfrxHTMLTagsList() = default;
  TfrxHTMLTagsList(const TfrxHTMLTagsList&) = delete;
  TfrxHTMLTagsList& operator=(const TfrxHTMLTagsList&) = delete;

  bool TagsAllowed = true;
  gfx::TColor DefaultColor = gfx::clBlack;
  int DefaultSize = 0;
  gfx::TFontStyles DefaultStyle;
  gfx::TColor CurColor = gfx::clBlack;
  int CurSize = 0;
  gfx::TFontStyles CurStyle;
  int CurLowered = 0;
  bool CurNoWrap = false;
  int NextPos = 0;

  // Default and current colour, size and style; lowering and no-wrap off;
  // positions restart at 1; every line removed.
  void SetDefaults(gfx::TColor color, int size, gfx::TFontStyles style);
  // Removes the recognised tags from text and records one tag per remaining
  // character in the current (last) line. An emptied text becomes one blank.
  // An invalid hexadecimal font colour raises rtl::EConvertError.
  void ExpandHTMLTags(rtl::WideString& text);
  // For text without tags (TagsAllowed off): ExpandHTMLTags's line, but
  // only its first character's record. The others would differ from it in
  // their positions alone, which follow from it, and a record per character
  // costs a large text several times its size.
  void ExpandFirstOnly(rtl::WideString& text);
  // Starts a new tag line (nothing while the list is empty).
  void NewLine();
  // A new record in the current line (a first line is made when none exists).
  TfrxHTMLTag& Add();
  // Moves the records from index count on into a new line; with hyphen the
  // old line gets a copy of its last record for the hyphen.
  void Wrap(int count, bool hyphen);
  // Wrap for each cut in turn (counts relative to the line each cut leaves
  // last), in time linear in the line's length.
  struct TWrapCut {
    int count;
    bool hyphen;
  };
  void Wrap(const std::vector<TWrapCut>& cuts);
  // Wrap for a line ExpandFirstOnly made of length characters: each new
  // line gets the record of its first character.
  void WrapFirstOnly(const std::vector<TWrapCut>& cuts, int length);
  // The record before the last one: the second-to-last of the current line,
  // or the last of the previous line; nil when there is none.
  const TfrxHTMLTag* GetPrevTag() const;
  int Count() const { return static_cast<int>(lines_.size()); }
  // An index outside the list raises the list index error.
  TfrxHTMLTags& GetItems(int line);
  const TfrxHTMLTags& GetItems(int line) const;
  TfrxHTMLTags& operator[](int line) { return GetItems(line); }
  // Nil for a line outside the list.
  const TfrxHTMLTags* Find(int line) const {
    return line >= 0 && line < Count() ? lines_[static_cast<std::size_t>(line)].get() : nullptr;
  }
  void Clear() { lines_.clear(); }
  // Removes the lines from index on.
  void DeleteFrom(int line);
  // Removes the lines [from, to) (clamped to the list).
  void Delete(int from, int to);

  // Per-character widths of text in the canvas's font, each character in the
  // style of its tag in the given line: width = advance + spacing, reduced to
  // two thirds for sub- and superscript. out is sized to the text; with
  // cumulative each entry is the right edge of its character. Returns the
  // total. With useDefault off and a font charset other than the default one,
  // the text is measured as its 8-bit form in that charset reads.
  int FillCharSpacingArray(std::vector<int>& out, const rtl::WideString& text, const gfx::TCanvas& canvas, int line,
                           int spacing, bool cumulative, bool useDefault,
                           const TfrxTextMeasurer* measurer = nullptr) const;
  // The same in a given font.
  int FillCharSpacingArray(std::vector<int>& out, const rtl::WideString& text, const gfx::TFont& font, int line,
                           int spacing, bool cumulative, bool useDefault,
                           const TfrxTextMeasurer* measurer = nullptr) const;

 private:
  // A new record at the next position in the current formatting; whether it
  // matches the one before is left to the caller.
  TfrxHTMLTag& AddCurrent();

  std::vector<std::unique_ptr<TfrxHTMLTags>> lines_;
};

}  // namespace report
