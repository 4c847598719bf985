// Character screen, wrapping and frame junctions of the dot-matrix export.
#include "export/vuzTextScreen.h"

#include <algorithm>

#include "platform/rtl/strings.h"

namespace report {

const char kSimpleFrameSet[kFrameChars + 1] = "|-+++++++++";
const char kGraphicFrameSet[kFrameChars + 1] = "\xB3\xC4\xDA\xBF\xC0\xD9\xC1\xC3\xC2\xB4\xC5";

AnsiString ChooseFrameSet(const AnsiString& custom, bool graphic) {
  if (custom.size() >= static_cast<std::size_t>(kFrameChars)) return custom.substr(0, kFrameChars);
  if (!custom.empty()) return kSimpleFrameSet;
  return graphic ? kGraphicFrameSet : kSimpleFrameSet;
}

TfrxTextScreen::TfrxTextScreen(int width, int height, const AnsiString& frameSet, bool oem)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      set_(frameSet.size() == static_cast<std::size_t>(kFrameChars) ? frameSet : AnsiString(kSimpleFrameSet)),
      oem_(oem),
      cells_(static_cast<std::size_t>(width_) * height_, ' ') {}

char TfrxTextScreen::Get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return ' ';
  return cells_[static_cast<std::size_t>(y) * width_ + x];
}

void TfrxTextScreen::Set(int x, int y, char c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  if (!oem_ && static_cast<unsigned char>(c) == 0xA0) c = ' ';
  cells_[static_cast<std::size_t>(y) * width_ + x] = c;
}

void TfrxTextScreen::DrawSide(int x0, int y0, int length, bool vertical, char first, char last, char line) {
  for (int i = 0; i <= length; ++i) {
    const char c = i == 0 ? first : i == length ? last : line;
    if (vertical)
      Set(x0, y0 + i, c);
    else
      Set(x0 + i, y0, c);
  }
}

void TfrxTextScreen::DrawMemo(int x, int y, int dx, int dy, const AnsiString& text, unsigned frameSides, bool borders,
                              TVAlign vAlign, THAlign hAlign, bool oemConvert) {
  if (frameSides && borders) {
    auto joins = [&](char c) { return c == set_[fcVertical] || c == set_[fcTopLeft] || c == set_[fcTopRight]; };
    if (joins(Get(x + 1, y))) {
      ++x;
      --dx;
    } else if (joins(Get(x - 1, y))) {
      --x;
      ++dx;
    }
    const char v = set_[fcVertical], h = set_[fcHorizontal];
    if (frameSides & 1) DrawSide(x, y, dy, true, set_[fcTopLeft], set_[fcBottomLeft], v);
    if (frameSides & 2) DrawSide(x + dx, y, dy, true, set_[fcTopRight], set_[fcBottomRight], v);
    if (frameSides & 4) DrawSide(x, y, dx, false, set_[fcTopLeft], set_[fcTopRight], h);
    if (frameSides & 8) DrawSide(x, y + dy, dx, false, set_[fcBottomLeft], set_[fcBottomRight], h);
  }
  const int w = dx - 1;
  // A box narrower than one column has no room for a character.
  if (w <= 0) return;
  AnsiString wrapped = WrapForScreen(text, w, dy - 1);
  std::vector<AnsiString> lines(1);
  for (std::size_t i = 0; i < wrapped.size(); ++i) {
    if (wrapped[i] == '\r' && i + 1 < wrapped.size() && wrapped[i + 1] == '\n') {
      lines.emplace_back();
      ++i;
    } else if (wrapped[i] == '\r') {
      lines.emplace_back();
    } else {
      lines.back() += wrapped[i];
    }
  }
  const int count = static_cast<int>(lines.size());
  int c = y;
  if (vAlign == vaBottom)
    c = y + dy - count - 1;
  else if (vAlign == vaCenter)
    c = y + (dy - count - 1) / 2;
  for (int i = 1; i <= count; ++i) {
    const int row = c + i;
    if (row > y + dy) break;
    AnsiString line = lines[i - 1];
    const int len = static_cast<int>(line.size());
    if (len < w) {
      if (hAlign == haRight)
        line = AnsiString(w - len, ' ') + line;
      else if (hAlign == haCenter) {
        const int lead = std::max(0, w / 2 - len / 2);
        line = AnsiString(lead, ' ') + line;
        if (static_cast<int>(line.size()) < w) line += AnsiString(w - line.size(), ' ');
      } else {
        line += AnsiString(w - len, ' ');
      }
    }
    if (oemConvert) line = AnsiToOem(line);
    for (std::size_t k = 0; k < line.size(); ++k) Set(x + 1 + static_cast<int>(k), row, line[k]);
  }
}

char TfrxTextScreen::Junction(int x, int y) const {
  const char j = Get(x, y);
  const char L = Get(x - 1, y), R = Get(x + 1, y), U = Get(x, y - 1), D = Get(x, y + 1);
  const char V = set_[fcVertical], H = set_[fcHorizontal];
  const bool l = IsLine(L), r = IsLine(R), u = IsLine(U), d = IsLine(D);
  if (!l && !r && !u && d) return V;
  if (!l && !r && !d && u) return V;
  if (!l && !u && !d && r) return H;
  if (!r && !u && !d && l) return H;
  if (!IsFrameChar(R) && !IsFrameChar(L) && D == V && U == V) return V;
  if (R == H && L == H && !IsFrameChar(D) && !IsFrameChar(U)) return H;
  if (R == H && L == H && D == V && U == V) return set_[fcCross];
  if (R == H && L == H && D == V && U != V) return set_[fcTeeDown];
  if (R == H && L == H && U == V && D != V) return set_[fcTeeUp];
  if (U == V && D == V && R == H && L != H) return set_[fcTeeRight];
  if (U == V && D == V && L == H && R != H) return set_[fcTeeLeft];
  if (R == H && L != H && D == V && U != V) return set_[fcTopLeft];
  if (R == H && L != H && U == V && D != V) return set_[fcBottomLeft];
  if (L == H && R != H && U == V && D != V) return set_[fcBottomRight];
  if (L == H && R != H && D == V && U != V) return set_[fcTopRight];
  return j;
}

std::vector<AnsiString> TfrxTextScreen::Flush(bool borders, bool leadSpaces) {
  if (borders)
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (IsJunctionChar(Get(x, y))) cells_[static_cast<std::size_t>(y) * width_ + x] = Junction(x, y);
  std::vector<AnsiString> rows;
  rows.reserve(height_);
  std::size_t indent = static_cast<std::size_t>(width_);
  for (int y = 0; y < height_; ++y) {
    AnsiString row(cells_.begin() + static_cast<std::ptrdiff_t>(y) * width_,
                   cells_.begin() + static_cast<std::ptrdiff_t>(y + 1) * width_);
    const std::size_t lead = row.find_first_not_of(' ');
    indent = std::min(indent, lead == AnsiString::npos ? row.size() : lead);
    // Trailing blanks and control characters go.
    while (!row.empty() && static_cast<unsigned char>(row.back()) <= ' ') row.pop_back();
    rows.push_back(std::move(row));
  }
  if (leadSpaces) indent = 0;
  for (AnsiString& row : rows) row.erase(0, std::min(indent, row.size()));
  return rows;
}

AnsiString WrapForScreen(const AnsiString& text, int width, int maxLines) {
  AnsiString result, rest = text;
  const std::size_t w = static_cast<std::size_t>(std::max(0, width));
  if (w == 0) return result;
  int lines = 0;
  auto isBreak = [](char c) { return c == '\t' || c == ' ' || c == '-'; };
  while (lines < maxLines && !rest.empty()) {
    if (w >= rest.size()) {
      result += rest;
      break;
    }
    const char ch = rest[w];
    const std::size_t take = ch == '\n' ? w + 1 : ch == '\r' ? w + 2 : w;
    const AnsiString candidate = rest.substr(0, take);
    AnsiString line;
    bool ownEnd = false;
    const std::size_t p = candidate.find("\r\n");
    if (p != AnsiString::npos) {
      line = candidate.substr(0, p + 2);
      rest.erase(0, line.size());
      ownEnd = true;
    } else if (isBreak(ch)) {
      line = rest.substr(0, w);
      rest.erase(0, w + 1);
    } else {
      std::size_t at = AnsiString::npos;
      for (std::size_t i = w; i-- > 0;)
        if (isBreak(rest[i])) {
          at = i;
          break;
        }
      line = rest.substr(0, at == AnsiString::npos ? w : at + 1);
      rest.erase(0, line.size());
    }
    result += line;
    if (!ownEnd) result += "\r\n";
    ++lines;
  }
  return result;
}

AnsiString AnsiToOem(const AnsiString& text) {
  std::string oem = rtl::WideToAnsi(rtl::AnsiToWide(text), 866);
  // One byte per character both ways; keep the length whatever happens.
  oem.resize(text.size(), '?');
  return oem;
}

}  // namespace report
