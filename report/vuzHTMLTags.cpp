#include "report/vuzHTMLTags.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/gfx/canvas.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"
#include "report/vuzTextMeasurer.h"

namespace report {

namespace {

[[noreturn]] void IndexError(int index) {
  throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
}

// Whether text continues at pos with the ASCII tag, letters compared without case.
bool TagAt(const rtl::WideString& text, std::size_t pos, std::string_view tag) {
  if (text.size() - pos < tag.size()) return false;
  for (std::size_t k = 0; k < tag.size(); ++k) {
    char16_t c = text[pos + k];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    if (c != static_cast<unsigned char>(tag[k])) return false;
  }
  return true;
}

// The colour of a font tag's value: "#RRGGBB" in double quotes, or a colour
// name without the "cl" prefix. False when it is neither.
bool FontTagColor(const rtl::WideString& value, gfx::TColor& color) {
  if (value.size() > 3 && value.front() == u'"' && value[1] == u'#' && value.back() == u'"') {
    rtl::AnsiString hex = "$";
    hex += rtl::WideToAnsi(value.substr(2, value.size() - 3));
    const auto rgb = static_cast<std::uint32_t>(rtl::StrToInt(hex));  // raises EConvertError
    color = static_cast<gfx::TColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    return true;
  }
  std::string ident = "cl";
  for (char16_t c : value) {
    if (c >= 0x80) return false;
    ident.push_back(static_cast<char>(c));
  }
  return gfx::IdentToColor(ident, color);
}

}  // namespace

void TfrxHTMLTag::Assign(const TfrxHTMLTag& source) {
  const bool noWrap = NoWrap;
  *this = source;
  NoWrap = noWrap;
}

TfrxHTMLTag& TfrxHTMLTags::Add() { return items_.emplace_back(); }

TfrxHTMLTag& TfrxHTMLTags::GetItems(int index) {
  if (index < 0 || index >= Count()) IndexError(index);
  return items_[static_cast<std::size_t>(index)];
}

const TfrxHTMLTag& TfrxHTMLTags::GetItems(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return items_[static_cast<std::size_t>(index)];
}

// ---------------------------------------------------------------- the list

void TfrxHTMLTagsList::SetDefaults(gfx::TColor color, int size, gfx::TFontStyles style) {
  DefaultColor = CurColor = color;
  DefaultSize = CurSize = size;
  DefaultStyle = CurStyle = style;
  CurLowered = 0;
  CurNoWrap = false;
  NextPos = 1;
  Clear();
}

void TfrxHTMLTagsList::NewLine() {
  if (!lines_.empty()) lines_.push_back(std::make_unique<TfrxHTMLTags>());
}

TfrxHTMLTag& TfrxHTMLTagsList::Add() {
  if (lines_.empty()) lines_.push_back(std::make_unique<TfrxHTMLTags>());
  return lines_.back()->Add();
}

const TfrxHTMLTag* TfrxHTMLTagsList::GetPrevTag() const {
  if (lines_.empty()) return nullptr;
  const auto& current = lines_.back()->Items();
  if (current.size() >= 2) return &current[current.size() - 2];
  if (lines_.size() < 2) return nullptr;
  const auto& previous = lines_[lines_.size() - 2]->Items();
  return previous.empty() ? nullptr : &previous.back();
}

TfrxHTMLTags& TfrxHTMLTagsList::GetItems(int line) {
  if (line < 0 || line >= Count()) IndexError(line);
  return *lines_[static_cast<std::size_t>(line)];
}

const TfrxHTMLTags& TfrxHTMLTagsList::GetItems(int line) const {
  if (line < 0 || line >= Count()) IndexError(line);
  return *lines_[static_cast<std::size_t>(line)];
}

void TfrxHTMLTagsList::DeleteFrom(int line) {
  if (line >= 0 && line < Count()) lines_.resize(static_cast<std::size_t>(line));
}

void TfrxHTMLTagsList::Delete(int from, int to) {
  from = std::clamp(from, 0, Count());
  to = std::clamp(to, from, Count());
  lines_.erase(lines_.begin() + from, lines_.begin() + to);
}

void TfrxHTMLTagsList::Wrap(int count, bool hyphen) { Wrap(std::vector<TWrapCut>{{count, hyphen}}); }

void TfrxHTMLTagsList::Wrap(const std::vector<TWrapCut>& cuts) {
  if (lines_.empty() || cuts.empty()) return;
  std::vector<TfrxHTMLTag> all = std::move(lines_.back()->Items());
  lines_.pop_back();
  std::size_t pos = 0;
  for (const TWrapCut& cut : cuts) {
    if (cut.count < 0 || all.size() - pos <= static_cast<std::size_t>(cut.count)) break;
    const auto count = static_cast<std::size_t>(cut.count);
    auto line = std::make_unique<TfrxHTMLTags>();
    line->Items().assign(all.begin() + static_cast<std::ptrdiff_t>(pos),
                         all.begin() + static_cast<std::ptrdiff_t>(pos + count));
    TfrxHTMLTag& next = all[pos + count];
    if (count > 0) {
      const TfrxHTMLTag last = line->Items().back();
      if (cut.hyphen) {
        TfrxHTMLTag mark;
        mark.Assign(last);
        mark.SameAsPrevious = true;
        line->Items().push_back(mark);
      } else if (next.SameAsPrevious) {
        // The new line starts in the format it continues. Its position stays
        // its own: taken from the character before, a text cut there would
        // repeat that character in the next part.
        next.FontSize = last.FontSize;
        next.Lowered = last.Lowered;
        next.FontStyle = last.FontStyle;
        next.FontColor = last.FontColor;
        next.Reduced = last.Reduced;
      }
    }
    lines_.push_back(std::move(line));
    pos += count;
  }
  auto rest = std::make_unique<TfrxHTMLTags>();
  rest->Items().assign(all.begin() + static_cast<std::ptrdiff_t>(pos), all.end());
  lines_.push_back(std::move(rest));
}

TfrxHTMLTag& TfrxHTMLTagsList::AddCurrent() {
  TfrxHTMLTag& tag = Add();
  tag.SourcePos = NextPos;
  tag.FontSize = CurSize;
  tag.Lowered = CurLowered;
  tag.FontStyle = CurStyle;
  tag.FontColor = CurColor;
  tag.NoWrap = CurNoWrap;
  tag.Reduced = CurSize != DefaultSize;
  return tag;
}

void TfrxHTMLTagsList::ExpandFirstOnly(rtl::WideString& text) {
  // ExpandHTMLTags's first record, tags not allowed.
  AddCurrent().SameAsPrevious = true;
  if (text.empty())
    text.assign(1, u' ');
  else
    NextPos += static_cast<int>(text.size());
}

void TfrxHTMLTagsList::WrapFirstOnly(const std::vector<TWrapCut>& cuts, int length) {
  if (lines_.empty() || lines_.back()->Items().empty()) return;
  const TfrxHTMLTag first = lines_.back()->Items().front();
  // The cuts Wrap would make, each line starting with its first record.
  std::size_t pos = 0;
  const auto n = static_cast<std::size_t>(std::max(0, length));
  for (const TWrapCut& cut : cuts) {
    if (cut.count < 0 || n - pos <= static_cast<std::size_t>(cut.count)) break;
    pos += static_cast<std::size_t>(cut.count);
    TfrxHTMLTag& tag = lines_.emplace_back(std::make_unique<TfrxHTMLTags>())->Add();
    tag = first;
    tag.SourcePos = first.SourcePos + static_cast<int>(pos);
  }
}

void TfrxHTMLTagsList::ExpandHTMLTags(rtl::WideString& text) {
  rtl::WideString out;
  out.reserve(text.size());
  if (lines_.empty()) lines_.push_back(std::make_unique<TfrxHTMLTags>());
  lines_.back()->Items().reserve(lines_.back()->Items().size() + text.size() + 1);
  auto record = [&] {
    TfrxHTMLTag& tag = AddCurrent();
    if (!TagsAllowed) {
      tag.SameAsPrevious = true;
    } else if (const TfrxHTMLTag* prev = GetPrevTag()) {
      tag.SameAsPrevious = prev->FontStyle == CurStyle && prev->FontColor == CurColor && prev->FontSize == CurSize &&
                           prev->Lowered == CurLowered && prev->NoWrap == CurNoWrap;
    } else {
      tag.SameAsPrevious = CurStyle == DefaultStyle && CurColor == DefaultColor && CurSize == DefaultSize;
    }
  };
  const int reduced = static_cast<int>(std::nearbyint(DefaultSize / 1.5));
  auto style = [&](gfx::TFontStyle s, bool on) {
    if (on)
      CurStyle.Include(s);
    else
      CurStyle.Exclude(s);
  };
  // The length of a recognised tag at pos, its effect applied; 0 otherwise.
  auto tagAt = [&](std::size_t pos) -> std::size_t {
    struct Simple {
      std::string_view text;
      int action;
    };
    static constexpr Simple kTags[] = {
        {"<b>", 0},      {"<i>", 1},        {"<u>", 2},       {"</b>", 3},       {"</i>", 4},
        {"</u>", 5},     {"<sub>", 6},      {"<sup>", 7},     {"</sub>", 8},     {"</sup>", 8},
        {"<strike>", 9}, {"</strike>", 10}, {"<nowrap>", 11}, {"</nowrap>", 12}, {"</font>", 13},
    };
    for (const Simple& t : kTags) {
      if (!TagAt(text, pos, t.text)) continue;
      switch (t.action) {
        case 0: style(gfx::fsBold, true); break;
        case 1: style(gfx::fsItalic, true); break;
        case 2: style(gfx::fsUnderline, true); break;
        case 3: style(gfx::fsBold, false); break;
        case 4: style(gfx::fsItalic, false); break;
        case 5: style(gfx::fsUnderline, false); break;
        case 6: CurSize = reduced, CurLowered = 1; break;
        case 7: CurSize = reduced, CurLowered = 0; break;
        case 8: CurSize = DefaultSize, CurLowered = 0; break;
        case 9: style(gfx::fsStrikeOut, true); break;
        case 10: style(gfx::fsStrikeOut, false); break;
        case 11: CurNoWrap = true; break;
        case 12: CurNoWrap = false; break;
        case 13: CurColor = DefaultColor; break;
      }
      return t.text.size();
    }
    if (TagAt(text, pos, "<font color")) {
      const std::size_t eq = text.find(u'=', pos + 11);
      const std::size_t close = text.find(u'>', pos + 11);
      if (eq == rtl::WideString::npos || close == rtl::WideString::npos || eq > close) return 0;
      std::size_t v = eq + 1;
      while (v < close && text[v] == u' ') ++v;
      gfx::TColor color;
      if (!FontTagColor(text.substr(v, close - v), color)) return 0;
      CurColor = color;
      return close - pos + 1;
    }
    return 0;
  };

  for (std::size_t i = 0; i < text.size();) {
    if (TagsAllowed && text[i] == u'<') {
      if (const std::size_t n = tagAt(i)) {
        i += n;
        NextPos += static_cast<int>(n);
        continue;
      }
    }
    record();
    out.push_back(text[i]);
    ++NextPos;
    ++i;
  }
  if (out.empty()) {
    record();
    out.assign(1, u' ');
  }
  text = std::move(out);
}

int TfrxHTMLTagsList::FillCharSpacingArray(std::vector<int>& out, const rtl::WideString& text,
                                           const gfx::TCanvas& canvas, int line, int spacing, bool cumulative,
                                           bool useDefault, const TfrxTextMeasurer* measurer) const {
  return FillCharSpacingArray(out, text, canvas.Font(), line, spacing, cumulative, useDefault, measurer);
}

int TfrxHTMLTagsList::FillCharSpacingArray(std::vector<int>& out, const rtl::WideString& text, const gfx::TFont& font,
                                           int line, int spacing, bool cumulative, bool useDefault,
                                           const TfrxTextMeasurer* measurer) const {
  const TfrxTextMeasurer& m = measurer ? *measurer : vuzTextMeasurer();
  const rtl::WideString measured = vuzFontCharsetText(text, font.Charset(), useDefault);
  const std::size_t n = measured.size();
  out.assign(n, 0);  // sized to the line, however long
  if (n == 0) return 0;
  const TfrxHTMLTags* tags = TagsAllowed ? Find(line) : nullptr;
  auto styleOf = [&](std::size_t k, gfx::TFontStyles current) {
    const TfrxHTMLTag* tag = tags ? tags->Find(static_cast<int>(k)) : nullptr;
    return tag ? tag->FontStyle : current;
  };
  // Characters of one style are measured together (advances add up: no kerning).
  gfx::TFont styled(font);
  gfx::TFontStyles style = styleOf(0, font.Style());
  std::size_t runStart = 0;
  for (std::size_t k = 1; k <= n; ++k) {
    const gfx::TFontStyles next = k < n ? styleOf(k, style) : style;
    if (k < n && next == style) continue;
    styled.SetStyle(style);
    m.Advances(styled, std::u16string_view(measured).substr(runStart, k - runStart), out.data() + runStart);
    runStart = k;
    style = next;
  }
  const TfrxHTMLTags* all = Find(line);
  int total = 0;
  for (std::size_t k = 0; k < n; ++k) {
    int width = out[k] + spacing;
    const TfrxHTMLTag* tag = all ? all->Find(static_cast<int>(k)) : nullptr;
    if (tag && tag->Reduced) width = static_cast<int>(std::nearbyint(width / 1.5));
    total += width;
    out[k] = cumulative && k > 0 ? width + out[k - 1] : width;
  }
  return total;
}

}  // namespace report
