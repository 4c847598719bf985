#include "report/vuzDrawText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/textcase.h"
#include "platform/rtl/threads.h"
#include "report/vuzHyphenation.h"
#include "report/vuzUtils.h"

namespace report {

const rtl::TEnumType& HAlignType() {
  static const rtl::TEnumType type{"TfrxHAlign", {"haLeft", "haRight", "haCenter", "haBlock"}};
  return type;
}

const rtl::TEnumType& VAlignType() {
  static const rtl::TEnumType type{"TfrxVAlign", {"vaTop", "vaBottom", "vaCenter"}};
  return type;
}

namespace {

rtl::TCriticalSection* g_lock = nullptr;
TfrxDrawText* g_drawText = nullptr;
int g_startups = 0;

// Layout pixels per report pixel.
constexpr double kRatio = double(TfrxDrawText::kLayoutPPI) / TfrxDrawText::kScreenPPI;

// Nearest integer, halves to even; anything not finite counts as 0 and huge
// values are held within int, so odd sizes never make the geometry undefined.
int RoundI(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::nearbyint(v);
  return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

int TruncI(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), -1e9, 1e9));
}

int Sign(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

bool IsBlank(char16_t c) { return c == u' ' || c == 0x00A0; }

// Holds a canvas's own lock: the layout canvas is shared by measuring and
// the caller's drawing.
class TCanvasLock {
 public:
  explicit TCanvasLock(gfx::TCanvas& canvas) : canvas_(canvas) { canvas_.Lock(); }
  ~TCanvasLock() { canvas_.Unlock(); }
  TCanvasLock(const TCanvasLock&) = delete;
  TCanvasLock& operator=(const TCanvasLock&) = delete;

 private:
  gfx::TCanvas& canvas_;
};

}  // namespace

// Spreads n single pixels (each of the sign one) evenly over a[lo..hi]:
// halves first, recursively.
void vuzSpreadIncrements(std::vector<int>& a, int lo, int hi, int one, int n) {
  if (n <= 0 || hi < lo || lo < 0 || hi >= static_cast<int>(a.size())) return;
  const int half = std::max(1, (hi - lo + 1) / 2);
  if (n == 1) {
    a[static_cast<std::size_t>(lo + half - 1)] += one;
    return;
  }
  vuzSpreadIncrements(a, lo, lo + half - 1, one, n / 2);
  vuzSpreadIncrements(a, lo + half, hi, one, n - n / 2);
}

namespace {

// Adds |q| pixels with the sign of q to the n first entries of a: whole
// shares first when |q| reaches n, the rest spread.
void SpreadCorrection(std::vector<int>& a, int n, int q) {
  if (q == 0 || n <= 0) return;
  const int one = Sign(q), amount = std::abs(q);
  if (amount < n) {
    vuzSpreadIncrements(a, 0, n - 1, one, amount);
    return;
  }
  for (int k = 0; k < n; ++k) a[static_cast<std::size_t>(k)] += one * (amount / n);
  vuzSpreadIncrements(a, 0, n - 1, one, amount % n);
}

}  // namespace

TfrxDrawText::TfrxDrawText() : layoutCanvas_(std::make_unique<gfx::TRecordingCanvas>(kLayoutPPI, kLayoutPPI)) {
  gfx::TFont& font = layoutCanvas_->Font();
  font.SetPixelsPerInch(kLayoutPPI);
  font.SetName("Arial");
  font.SetColor(gfx::clBlack);
  font.SetHeight(-RoundI(pointSize_ * double(kLayoutPPI) / 72));
}

TfrxDrawText::~TfrxDrawText() = default;

void TfrxDrawText::Lock() {
  if (!g_lock) throw rtl::EInvalidOperation("Text layout is not started");
  g_lock->Enter();
}

void TfrxDrawText::Unlock() {
  if (g_lock) g_lock->Leave();
}

const TfrxTextMeasurer& TfrxDrawText::Measurer() const { return measurer_ ? *measurer_ : vuzTextMeasurer(); }

// ---------------------------------------------------------------- configuration

void TfrxDrawText::SetFont(const gfx::TFont& font) {
  TCanvasLock lock(*layoutCanvas_);
  gfx::TFont& f = layoutCanvas_->Font();
  f.SetName(font.Name());
  f.SetStyle(font.Style());
  f.SetCharset(font.Charset());
  f.SetColor(font.Color());
  pointSize_ = font.Size();
  f.SetHeight(-RoundI(pointSize_ * double(kLayoutPPI) / 72));
}

void TfrxDrawText::SetOptions(bool wordWrap, bool htmlTags, bool rtlReading, bool wordBreak, bool clipped, bool wysiwyg,
                              int rotation) {
  wordWrap_ = wordWrap;
  tagList_.TagsAllowed = htmlTags;
  rtlReading_ = rtlReading;
  wordBreak_ = wordBreak;
  clipped_ = clipped;
  wysiwyg_ = wysiwyg;
  // -90 is 270: layout and drawing must agree on which side is the width.
  rotation_ = ((rotation % 360) + 360) % 360;
  textFlags_ = (clipped ? gfx::ETO_CLIPPED : 0u) | (rtlReading ? gfx::ETO_RTLREADING : 0u);
}

void TfrxDrawText::SetGaps(double paragraphGap, double charSpacing, double lineSpacing) {
  paragraphGap_ = paragraphGap;
  charSpacing_ = charSpacing;
  lineSpacing_ = lineSpacing;
}

void TfrxDrawText::SetDimensions(double scaleX, double scaleY, double printScale, const gfx::TRect& layoutRect,
                                 const gfx::TRect& deviceRect) {
  scaleX_ = scaleX;
  scaleY_ = scaleY;
  printScale_ = printScale;
  layoutRect_ = layoutRect;
  deviceRect_ = deviceRect;
}

void TfrxDrawText::SetParaBreaks(bool firstParaBreak, bool lastParaBreak) {
  if (wrappedLines_.empty()) return;
  // Only the text's own first and last line, when they are kept.
  if (firstParaBreak && firstKept_ == 0) wrappedLines_.front().flags &= ~pfParagraphStart;
  if (lastParaBreak && firstKept_ + WrappedLineCount() == lineCount_) wrappedLines_.back().flags &= ~pfParagraphEnd;
}

// ---------------------------------------------------------------- layout

void TfrxDrawText::SetText(const TWideStrings& lines) { Lay(lines, 0, std::numeric_limits<int>::max(), true); }

void TfrxDrawText::SetText(const TWideStrings& lines, int first, int count) {
  Lay(lines, std::max(0, first), std::max(0, count), false);
}

void TfrxDrawText::Lay(const TWideStrings& lines, int first, int count, bool keepSource) {
  TCanvasLock lock(*layoutCanvas_);
  sourceText_.clear();
  wrappedLines_.clear();
  tagList_.Clear();
  lineCount_ = 0;
  firstKept_ = first;
  if (lines.Count() == 0) {
    firstKept_ = 0;
    return;
  }
  const long long keptEnd = static_cast<long long>(first) + count;
  gfx::TFont& font = layoutCanvas_->Font();
  const gfx::TFontStyles savedStyle = font.Style();
  tagList_.SetDefaults(font.Color(), pointSize_, font.Style());
  const bool sideways = (rotation_ >= 90 && rotation_ <= 179) || (rotation_ >= 270 && rotation_ <= 359);
  const int w = sideways ? layoutRect_.Bottom - layoutRect_.Top : layoutRect_.Right - layoutRect_.Left;
  for (int i = 0; i < lines.Count(); ++i) {
    const rtl::WideString& s = lines.LineRef(i);
    if (keepSource) {
      sourceText_ += s;
      sourceText_ += u"\r\n";
    }
    const std::size_t start = wrappedLines_.size();
    WrapTextLine(s, RoundI(w * kRatio), RoundI(charSpacing_ * kRatio), RoundI((w - paragraphGap_) * kRatio));
    const int made = static_cast<int>(wrappedLines_.size() - start);
    if (made == 0) continue;
    wrappedLines_[start].flags |= pfParagraphStart;
    wrappedLines_.back().flags |= pfParagraphEnd;
    // The paragraph's lines outside [first, first + count) go, with their
    // formats, before the next paragraph is laid out.
    const int from = static_cast<int>(std::clamp<long long>(first - lineCount_, 0, made));
    const int to = static_cast<int>(std::clamp<long long>(keptEnd - lineCount_, from, made));
    const int base = static_cast<int>(start);
    if (to < made) {
      wrappedLines_.resize(start + static_cast<std::size_t>(to));
      tagList_.DeleteFrom(base + to);
    }
    if (from > 0) {
      wrappedLines_.erase(wrappedLines_.begin() + base, wrappedLines_.begin() + base + from);
      tagList_.Delete(base, base + from);
    }
    lineCount_ += made;
  }
  if (lineCount_ <= first) firstKept_ = lineCount_;
  font.SetStyle(savedStyle);
}

void TfrxDrawText::SetShownText(const TWideStrings& lines, const gfx::TCanvas& canvas, TfrxVAlign vAlign) {
  const TLineWindow first = VisibleLines(canvas, vAlign, -1);
  if (first.whole) {
    SetText(lines);
    return;
  }
  SetText(lines, first.first, first.count);
  if (LineCount() <= WrappedLineCount()) return;
  const TLineWindow shown = VisibleLines(canvas, vAlign, LineCount());
  if (shown.first != FirstKeptLine() || shown.count != WrappedLineCount()) SetText(lines, shown.first, shown.count);
}

TfrxDrawText::TLineWindow TfrxDrawText::VisibleLines(const gfx::TCanvas& canvas, TfrxVAlign vAlign,
                                                     int lineCount) const {
  TLineWindow all{0, std::numeric_limits<int>::max(), true};
  const gfx::TDeviceKind kind = canvas.DeviceKind();
  if (!clipped_ || (kind != gfx::dkScreen && kind != gfx::dkBitmap) || rotation_ % 90 != 0) return all;
  // The least a line advances on this device (DrawText's rule): the output
  // font's height and spacing, with Wysiwyg the layout's line height at
  // this scale, either moved a pixel or two by spreading the rounding.
  const int fh = std::abs(OutputFontHeight(pointSize_, canvas));
  double step = fh + RoundI(lineSpacing_ * scaleY_);
  if (wysiwyg_) step = std::min(step, (lineSpacing_ * kRatio - layoutCanvas_->Font().Height()) / kRatio * scaleY_);
  const double least = step - 2;
  if (!(least >= 1)) return all;
  const int extent = rotation_ % 180 == 0 ? deviceRect_.Bottom - deviceRect_.Top : deviceRect_.Right - deviceRect_.Left;
  // The lines the box holds, and a margin on either side for glyphs that
  // reach beyond their line (subscripts sit up to a font height lower) and
  // for the few pixels by which spread rounding moves a line.
  const double shown = std::ceil(std::max(0, extent) / least) + 1;
  const double margin = std::ceil((3.0 * fh + 64) / least) + 2;
  if (shown + 2 * margin > 1e8) return all;
  const int n = lineCount;
  double first = 0;
  if (n >= 0 && vAlign == vaBottom) first = n - shown - margin;
  if (n >= 0 && vAlign == vaCenter) first = std::floor((n - shown) / 2) - margin;
  TLineWindow window;
  window.first = static_cast<int>(std::max(0.0, first));
  window.count = static_cast<int>(shown + 2 * margin);
  window.whole = false;
  if (n >= 0) {
    window.count = std::max(0, std::min(window.count, n - window.first));
    window.whole = window.first == 0 && window.count == n;
  }
  return window;
}

void TfrxDrawText::WrapTextLine(rtl::WideString s, int width, int charSpacing, int firstWidth) {
  // Without tags a line's first record is all that is read of it.
  const bool firstOnly = !tagList_.TagsAllowed;
  tagList_.NewLine();
  if (firstOnly)
    tagList_.ExpandFirstOnly(s);
  else
    tagList_.ExpandHTMLTags(s);
  tagList_.NextPos += 2;  // the line end
  const int n = static_cast<int>(s.size());
  if (n < 2 || !wordWrap_) {
    AddLine(std::move(s));
    return;
  }
  const int total = tagList_.FillCharSpacingArray(advances_, s, layoutCanvas_->Font(), tagList_.Count() - 1,
                                                  charSpacing, true, useDefaultCharset_, &Measurer());
  if (total < firstWidth) {
    AddLine(std::move(s));
    return;
  }
  // Positions are 1-based as the rules read; advances_[k] is the right edge
  // of character k + 1.
  auto part = [&](int from, int count) { return s.substr(static_cast<std::size_t>(from - 1), count); };
  auto right = [&](int pos) { return advances_[static_cast<std::size_t>(pos - 1)]; };
  // The tags are cut into lines once the breaks are known.
  const TfrxHTMLTags* lineTags = tagList_.Find(tagList_.Count() - 1);
  std::vector<TfrxHTMLTagsList::TWrapCut> cuts;
  auto wrapTags = [&](int count, bool hyphen) { cuts.push_back({count, hyphen}); };
  int start = 1, wp = 1, offset = 0, limit = firstWidth;
  for (int i = 1; i <= n;) {
    if (s[static_cast<std::size_t>(i - 1)] == u' ') {
      const TfrxHTMLTag* tag = lineTags ? lineTags->Find(i - 1) : nullptr;
      if (!tagList_.TagsAllowed || !tag || !tag->NoWrap) wp = i;
    }
    if (right(i) - offset <= limit) {
      ++i;
      continue;
    }
    if (wp != start) {
      // Break at the last blank, or inside the next word when it hyphenates.
      const int p = wordBreak_ ? SyllablePrefix(s, wp + 1, i) : 0;
      if (p > 0) {
        AddLine(part(start, wp - start + 1) + part(wp + 1, p) + u"-", true);
        wrapTags(wp - start + 1 + p, true);
        wp += p;
      } else {
        AddLine(part(start, wp - start));
        wrapTags(wp - start + 1, false);
      }
    } else if (i == start) {
      AddLine(part(start, 1));
      wrapTags(1, false);
    } else if (wordBreak_) {
      int p = SyllablePrefix(s, start, i);
      const bool hyphen = p > 0;
      if (!hyphen) p = i - start;
      AddLine(hyphen ? part(start, p) + u"-" : part(start, p), hyphen);
      wrapTags(p, hyphen);
      wp = start + p - 1;
    } else {
      AddLine(part(start, i - start));
      wrapTags(i - start, false);
      wp = i - 1;
    }
    offset = right(wp);
    start = wp + 1;
    i = start;
    wp = start;
    limit = width;
  }
  if (start <= n) AddLine(part(start, n - start + 1));
  if (firstOnly)
    tagList_.WrapFirstOnly(cuts, n);
  else
    tagList_.Wrap(cuts);
}

int TfrxDrawText::SyllablePrefix(const rtl::WideString& s, int wordStart, int overflow) const {
  const int n = static_cast<int>(s.size());
  int end = overflow;
  auto delimiter = [](char16_t c) { return c == u' ' || c == u'.' || c == u',' || c == u'-' || c == u';'; };
  while (end <= n && !delimiter(s[static_cast<std::size_t>(end - 1)])) ++end;
  if (end <= wordStart) return 0;
  const rtl::WideString word = s.substr(static_cast<std::size_t>(wordStart - 1), end - wordStart);
  const rtl::AnsiString upper = rtl::AnsiUpperCase(rtl::WideToAnsi(word));
  if (upper.size() != word.size()) return 0;
  const std::vector<int> positions = vuzSyllablePositions(upper);
  for (auto it = positions.rbegin(); it != positions.rend(); ++it)
    if (*it < overflow - wordStart) return *it;
  return 0;
}

// ---------------------------------------------------------------- measuring

double TfrxDrawText::TextHeight() const { return -layoutCanvas_->Font().Height() / kRatio; }

double TfrxDrawText::LineHeight() const { return TextHeight() + lineSpacing_; }

double TfrxDrawText::CalcHeight() const {
  if (wrappedLines_.empty()) return 0;
  double h = LineHeight() * static_cast<double>(wrappedLines_.size());
  if (lineSpacing_ < 0) h -= lineSpacing_;
  return h;
}

double TfrxDrawText::CalcWidth() const {
  if (wrappedLines_.empty()) return 0;
  const gfx::TFont& font = layoutCanvas_->Font();
  std::vector<int> widths;
  long long widest = 0;
  for (std::size_t i = 0; i < wrappedLines_.size(); ++i) {
    const TWrappedLine& line = wrappedLines_[i];
    // Runs measured in their own style; sub- and superscript count at full size.
    const TfrxHTMLTags* tags = tagList_.TagsAllowed ? tagList_.Find(static_cast<int>(i)) : nullptr;
    const rtl::WideString text = vuzFontCharsetText(line.text, font.Charset(), useDefaultCharset_);
    widths.assign(text.size(), 0);
    gfx::TFont styled(font);
    std::size_t runStart = 0;
    for (std::size_t k = 1; k <= text.size(); ++k) {
      const TfrxHTMLTag* next = tags && k < text.size() ? tags->Find(static_cast<int>(k)) : nullptr;
      if (k < text.size() && (!next || next->SameAsPrevious)) continue;
      const TfrxHTMLTag* first = tags ? tags->Find(static_cast<int>(runStart)) : nullptr;
      styled.SetStyle(first ? first->FontStyle : font.Style());
      Measurer().Advances(styled, std::u16string_view(text).substr(runStart, k - runStart), widths.data() + runStart);
      runStart = k;
    }
    long long w = 0;
    for (int a : widths) w += a;
    w += RoundI(static_cast<double>(line.text.size()) * charSpacing_ * kRatio);
    if (line.flags & pfParagraphStart) w += RoundI(paragraphGap_ * kRatio);
    widest = std::max(widest, w);
  }
  return static_cast<double>(widest) / kRatio;
}

double TfrxDrawText::UnusedSpace() const {
  const double h = layoutRect_.Bottom - layoutRect_.Top + 1;
  const double lh = LineHeight();
  if (!(lh > 0)) return 0;
  const int n = TruncI(h / lh);
  if (n <= 0) return 0;
  const double rest = h - lh * n;
  return rest == 0 ? 0.0001 : rest;
}

rtl::WideString TfrxDrawText::GetOutBoundsText(bool& inParagraph) {
  inParagraph = false;
  const int lines = WrappedLineCount();
  const double lh = LineHeight();
  int n = lh > 0 ? TruncI((layoutRect_.Bottom - layoutRect_.Top + 1) / lh) : lines;
  n = std::clamp(n, 0, lines);
  if (n >= tagList_.Count()) return {};
  const TfrxHTMLTags& cut = tagList_.GetItems(n);
  if (cut.Count() == 0) return {};
  const TfrxHTMLTag tag = cut[0];
  const std::size_t q = static_cast<std::size_t>(std::max(1, tag.SourcePos));
  if (q > sourceText_.size() + 1) return {};
  wrappedLines_.resize(static_cast<std::size_t>(n));
  lineCount_ = firstKept_ + n;
  tagList_.DeleteFrom(n);
  inParagraph = n > 0 && !(wrappedLines_[static_cast<std::size_t>(n - 1)].flags & pfParagraphEnd);
  rtl::WideString rest = sourceText_.substr(q - 1);
  if (inParagraph && !rest.empty() && rest.front() == u' ') rest.erase(0, 1);
  // A cut at a blank leaves the blank out of both parts, so that a justified
  // last line of the part does not spread its width into a trailing blank.
  std::size_t keep = q - 1;
  if (inParagraph && keep > 0 && sourceText_[keep - 1] == u' ') --keep;
  sourceText_.resize(keep);
  // Only a hyphen that hyphenation added is carried into the text; a line
  // that ends in a hyphen of its own keeps just that one.
  if (wordBreak_ && n > 0 && wrappedLines_.back().hyphenated) sourceText_ += u'-';
  if (tagList_.TagsAllowed) {
    // The rest starts in the format the cut fell in.
    rtl::WideString prefix = u"<font color=\"" + rtl::AnsiToWide(HTMLRGBColor(tag.FontColor)) + u"\">";
    if (tag.FontStyle.Contains(gfx::fsUnderline)) prefix += u"<u>";
    if (tag.FontStyle.Contains(gfx::fsItalic)) prefix += u"<i>";
    if (tag.FontStyle.Contains(gfx::fsBold)) prefix += u"<b>";
    rest = prefix + rest;
  }
  return rest;
}

rtl::WideString TfrxDrawText::GetWrappedText() const {
  rtl::WideString text;
  for (const TWrappedLine& line : wrappedLines_) {
    text += line.text;
    text += u"\r\n";
  }
  return text;
}

rtl::WideString TfrxDrawText::DeleteTags(const rtl::WideString& text) const {
  if (!tagList_.TagsAllowed || text.empty()) return text;
  TfrxHTMLTagsList scratch;
  scratch.SetDefaults(gfx::clBlack, pointSize_, {});
  rtl::WideString plain = text;
  scratch.ExpandHTMLTags(plain);
  return plain;
}

bool TfrxDrawText::IsPrinter(const gfx::TCanvas& canvas) { return canvas.DeviceKind() == gfx::dkPrinter; }

rtl::WideString TfrxDrawText::WrappedLine(int index) const {
  return index >= 0 && index < WrappedLineCount() ? wrappedLines_[static_cast<std::size_t>(index)].text
                                                  : rtl::WideString();
}

int TfrxDrawText::WrappedLineFlags(int index) const {
  return index >= 0 && index < WrappedLineCount() ? wrappedLines_[static_cast<std::size_t>(index)].flags : 0;
}

// ---------------------------------------------------------------- drawing

int TfrxDrawText::OutputFontHeight(int points, const gfx::TCanvas& canvas) const {
  if (IsPrinter(canvas)) return -RoundI(canvas.PixelsPerInchY() * points * printScale_ / 72);
  return -RoundI(points * scaleY_ * kScreenPPI / 72);
}

void TfrxDrawText::DrawText(gfx::TCanvas& canvas, TfrxHAlign hAlign, TfrxVAlign vAlign) {
  // Heights and advances count every line; only the kept ones are drawn.
  const int lines = lineCount_;
  const int kept = WrappedLineCount();
  if (kept == 0 || tagList_.Count() == 0) return;
  TCanvasLock lock(*layoutCanvas_);
  const bool printer = IsPrinter(canvas);
  const int ppiY = canvas.PixelsPerInchY() > 0 ? canvas.PixelsPerInchY() : kScreenPPI;

  // The output font: the measuring font at the device's size, turned.
  const gfx::TFont saved = canvas.Font();
  const gfx::TFont& layoutFont = layoutCanvas_->Font();
  outputFont_ = layoutFont;
  outputFont_.SetPixelsPerInch(ppiY);  // its pixel height is the device's already
  outputFont_.SetHeight(OutputFontHeight(pointSize_, canvas));
  outputFont_.SetOrientation(rotation_ * 10);
  canvas.Font() = outputFont_;

  // Line advances; with Wysiwyg they add up to the height layout gives.
  const int fh = std::abs(outputFont_.Height());
  const int ls = RoundI(lineSpacing_ * scaleY_);
  std::vector<int> advance(static_cast<std::size_t>(lines - 1), fh + ls);
  int height = lines * (fh + ls);
  if (wysiwyg_) {
    const double lh = -layoutFont.Height();
    if (printer) {
      const double d = double(kLayoutPPI) / ppiY / printScale_;
      height = RoundI((lineSpacing_ * scaleY_ * d * lines + lh * lines) / d);
    } else {
      height = RoundI((lineSpacing_ * kRatio * lines + lh * lines) / kRatio * scaleY_);
    }
    const int q = height - lines * (fh + ls);
    if (lines > 1 && q != 0) {
      int rest = q;
      if (std::abs(q) >= lines) {
        for (int& a : advance) a += q / (lines - 1);
        rest = q - (q / (lines - 1)) * (lines - 1);
      }
      vuzSpreadIncrements(advance, 0, lines - 2, Sign(rest), std::abs(rest));
    }
  }

  // Start point, line width and free space by the angle.
  const int theta = rotation_;
  const double rad = theta * std::numbers::pi / 180;
  const double sinT = std::sin(rad), cosT = std::cos(rad);
  const double s = std::abs(sinT), c = std::abs(cosT);
  const int left = deviceRect_.Left, top = deviceRect_.Top, right = deviceRect_.Right, bottom = deviceRect_.Bottom;
  const int slantedWidth = c > 0 ? RoundI((right - left - s * height) / c) : 0;
  int x = left, y = top, dx = right - left, free = 0;
  enum { kDown, kUp, kRight, kLeft } direction = kDown;
  if (theta == 0) {
    free = bottom - top - height;
  } else if (theta < 90) {
    dx = slantedWidth;
    y = top + RoundI(s * dx);
    free = bottom - y - RoundI(c * height);
  } else if (theta == 90) {
    y = bottom;
    dx = bottom - top;
    free = right - left - height;
    direction = kRight;
  } else if (theta < 180) {
    dx = slantedWidth;
    x = left + RoundI(c * dx);
    y = bottom;
    free = bottom - top - RoundI(c * height + s * dx);
    direction = kUp;
  } else if (theta == 180) {
    x = right;
    y = bottom;
    free = bottom - top - height;
    direction = kUp;
  } else if (theta < 270) {
    dx = slantedWidth;
    x = right;
    y = bottom - RoundI(s * dx);
    free = y - top - RoundI(c * height);
    direction = kUp;
  } else if (theta == 270) {
    x = right;
    dx = bottom - top;
    free = right - left - height;
    direction = kLeft;
  } else {
    dx = slantedWidth;
    x = left + RoundI(s * height);
    free = bottom - top - RoundI(s * dx + c * height);
  }
  const int shift = vAlign == vaBottom ? free : (vAlign == vaCenter ? RoundI(free / 2.0) : 0);
  switch (direction) {
    case kDown: y += shift; break;
    case kUp: y -= shift; break;
    case kRight: x += shift; break;
    case kLeft: x -= shift; break;
  }

  canvas.SetBkMode(gfx::bkTransparent);
  for (int i = 0; i < lines; ++i) {
    const int k = i - firstKept_;
    if (k >= kept) break;
    if (k >= 0) {
      const TWrappedLine& line = wrappedLines_[static_cast<std::size_t>(k)];
      const bool indented = (line.flags & pfParagraphStart) && (hAlign == haLeft || hAlign == haBlock);
      const int indent = indented ? RoundI(paragraphGap_ * scaleX_) : 0;
      TfrxHAlign align = hAlign;
      if (hAlign == haBlock && (line.flags & pfParagraphEnd)) align = rtlReading_ ? haRight : haLeft;
      // The indent runs along the baseline, also when the text is turned.
      DrawTextLine(canvas, line.text, x + RoundI(indent * cosT), y - RoundI(indent * sinT), dx - indent, k, align);
    }
    if (i + 1 < lines) {
      const int a = advance[static_cast<std::size_t>(i)];
      y += RoundI(a * cosT);
      x += RoundI(a * sinT);
    }
  }
  canvas.Font() = saved;
}

void TfrxDrawText::ApplyFormat(gfx::TCanvas& canvas, const TfrxHTMLTag* tag) const {
  gfx::TFont& font = canvas.Font();
  if (!tag) {
    font.SetStyle(outputFont_.Style());
    font.SetColor(outputFont_.Color());
    font.SetHeight(outputFont_.Height());
  } else {
    font.SetStyle(tag->FontStyle);
    font.SetColor(tag->FontColor);
    font.SetHeight(tag->FontSize == pointSize_ ? outputFont_.Height() : OutputFontHeight(tag->FontSize, canvas));
  }
  font.SetOrientation(rotation_ * 10);
}

void TfrxDrawText::DrawTextLine(gfx::TCanvas& canvas, const rtl::WideString& line, int x, int y, int dx, int lineIndex,
                                TfrxHAlign align) {
  if (line.empty()) return;
  const rtl::WideString text = vuzFontCharsetText(line, outputFont_.Charset(), useDefaultCharset_);
  const int n = static_cast<int>(text.size());
  const bool printer = IsPrinter(canvas);
  const int ppiX = canvas.PixelsPerInchX() > 0 ? canvas.PixelsPerInchX() : kScreenPPI;
  const int layoutSpacing = RoundI(charSpacing_ * kRatio);
  const int deviceSpacing = RoundI(charSpacing_ * scaleX_);

  // Layout width g and device width m; advances_ keeps the device advances.
  std::vector<int> layoutAdvances;
  const int g = tagList_.FillCharSpacingArray(layoutAdvances, text, layoutCanvas_->Font(), lineIndex, layoutSpacing,
                                              false, true, &Measurer());
  const int m =
      tagList_.FillCharSpacingArray(advances_, text, outputFont_, lineIndex, deviceSpacing, false, true, &Measurer());
  int t;
  if (!wysiwyg_)
    t = m - deviceSpacing;
  else if (printer)
    t = RoundI((g - layoutSpacing) * printScale_ / (double(kLayoutPPI) / ppiX));
  else
    t = RoundI((g - layoutSpacing) / kRatio * scaleX_);
  int q = t + deviceSpacing - m;

  const TfrxHTMLTags* tags = tagList_.TagsAllowed ? tagList_.Find(lineIndex) : nullptr;
  const TfrxHTMLTag* firstTag = tags ? tags->Find(0) : nullptr;
  const double rad = rotation_ * std::numbers::pi / 180;
  const double sinT = std::sin(rad), cosT = std::cos(rad);
  int w = dx - t;
  bool justified = false;
  switch (align) {
    case haRight: {
      const gfx::TFontStyles style = firstTag ? firstTag->FontStyle : outputFont_.Style();
      const bool slanted = style.Contains(gfx::fsBold) || style.Contains(gfx::fsItalic);
      ++w;
      y -= RoundI(w * sinT);
      x += RoundI(w * cosT) - (slanted && rotation_ == 0 ? 2 : 1);
      break;
    }
    case haCenter:
      y -= RoundI(w / 2.0 * sinT);
      x += RoundI(w / 2.0 * cosT);
      break;
    case haBlock: {
      int blanks = 0;
      for (char16_t ch : text) blanks += IsBlank(ch);
      if (blanks == 0) break;
      // Every blank gets its share; the first (rest + 1) one pixel more, so a
      // justified line ends one pixel beyond the others, as it always did.
      q = std::abs(dx) + deviceSpacing - m;
      const int one = Sign(q), amount = std::abs(q), share = amount / blanks, extra = amount % blanks + 1;
      int j = 0;
      for (int k = 0; k < n; ++k)
        if (IsBlank(text[static_cast<std::size_t>(k)])) {
          advances_[static_cast<std::size_t>(k)] += one * (share + (j < extra ? 1 : 0));
          ++j;
        }
      justified = one != 0;
      q = 0;
      break;
    }
    case haLeft: break;
  }
  if (!justified) SpreadCorrection(advances_, n, q);

  // Runs of one format, each with its slice of the advances.
  const bool withAdvances = wysiwyg_ || justified;
  std::size_t runStart = 0;
  for (std::size_t k = 1; k <= text.size(); ++k) {
    const TfrxHTMLTag* next = tags && k < text.size() ? tags->Find(static_cast<int>(k)) : nullptr;
    if (k < text.size() && (!next || next->SameAsPrevious)) continue;
    const TfrxHTMLTag* format = tags ? tags->Find(static_cast<int>(runStart)) : nullptr;
    ApplyFormat(canvas, format);
    const int v = format ? RoundI(format->Lowered * format->FontSize * scaleY_) : 0;
    const std::size_t count = k - runStart;
    canvas.ExtTextOut(x + RoundI(v * sinT), y + RoundI(v * cosT), textFlags_, &deviceRect_,
                      std::u16string_view(text).substr(runStart, count),
                      withAdvances ? advances_.data() + runStart : nullptr);
    long long width = 0;
    for (std::size_t a = runStart; a < k; ++a) width += advances_[a];
    if (rotation_ == 0) {
      x += static_cast<int>(width);
    } else {
      x += RoundI(static_cast<double>(width) * cosT);
      y -= RoundI(static_cast<double>(width) * sinT);
    }
    runStart = k;
  }
}

// ---------------------------------------------------------------- the shared object

TfrxDrawText* vuzDrawText() { return g_drawText; }

void vuzDrawTextStartup() {
  if (g_startups++ > 0) return;
  g_lock = new rtl::TCriticalSection;
  g_drawText = new TfrxDrawText;
}

void vuzDrawTextShutdown() {
  if (g_startups == 0 || --g_startups > 0) return;
  delete g_drawText;
  g_drawText = nullptr;
  delete g_lock;
  g_lock = nullptr;
}

}  // namespace report
