// Text layout of text objects. TfrxDrawText wraps each source line to a width
// (optionally hyphenating Russian words), parses the HTML-like tags into
// per-character formats, measures, cuts the text where a height ends, and
// draws the lines on any canvas with alignment, justification, paragraph
// indent, line and character spacing, rotation and sub- and superscript.
//
// Layout happens once at 600 pixels per inch; drawing places every character
// where layout put it, scaled to the device, so that preview, printer and
// exports wrap and fill lines alike.
//
// One process-wide lock (Lock/Unlock) serialises every configure, lay out
// and query sequence on any TfrxDrawText: a caller holds it from SetFont to
// its last query. vuzDrawTextStartup makes the lock and the shared layout
// object vuzDrawText(); vuzDrawTextShutdown frees them.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/gfx/types.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzHTMLTags.h"
#include "report/vuzTextMeasurer.h"
#include "report/vuzUnicodeUtils.h"

namespace report {

// Horizontal and vertical alignment of text in its rectangle.
enum TfrxHAlign : std::uint8_t { haLeft, haRight, haCenter, haBlock };
enum TfrxVAlign : std::uint8_t { vaTop, vaBottom, vaCenter };
const rtl::TEnumType& HAlignType();
const rtl::TEnumType& VAlignType();

// Flags of an output line: the first and the last line of a source line
// (a paragraph); a source line that gives one output line has both.
enum TfrxParagraphFlag : int { pfParagraphStart = 1, pfParagraphEnd = 2 };

class TfrxDrawText {
 public:
  static constexpr int kLayoutPPI = 600;
  static constexpr int kScreenPPI = 96;

  TfrxDrawText();
  ~TfrxDrawText();
  TfrxDrawText(const TfrxDrawText&) = delete;
  TfrxDrawText& operator=(const TfrxDrawText&) = delete;

  // The process-wide lock shared by every layout object (recursive). Raises
  // rtl::EInvalidOperation before vuzDrawTextStartup.
  static void Lock();
  static void Unlock();

  // ---- configuration, in this order, with the lock held
  // The measuring font: name, style, charset and colour of font, height
  // -round(size x 600 / 72); PointSize := size.
  void SetFont(const gfx::TFont& font);
  // Rotation in degrees, kept within 0..359.
  void SetOptions(bool wordWrap, bool htmlTags, bool rtlReading, bool wordBreak, bool clipped, bool wysiwyg,
                  int rotation);
  // Report pixels.
  void SetGaps(double paragraphGap, double charSpacing, double lineSpacing);
  // layoutRect: the text rectangle in report pixels at scale 1; deviceRect:
  // the text rectangle on the output canvas (also the clip rectangle).
  void SetDimensions(double scaleX, double scaleY, double printScale, const gfx::TRect& layoutRect,
                     const gfx::TRect& deviceRect);
  // Lays the lines out. An invalid hexadecimal font colour raises rtl::EConvertError.
  void SetText(const TWideStrings& lines);
  // Lays the lines out as SetText does but keeps only the output lines from
  // first on, at most count of them; the others are counted (LineCount) and
  // dropped paragraph by paragraph. Drawing a text far taller than its box
  // then costs what the box shows, not the whole text. Only drawing and the
  // line counts are meant for such a layout: the other queries see the kept
  // lines, and the source text is not kept (cutting needs a whole layout).
  void SetText(const TWideStrings& lines, int first, int count);
  // The output lines drawing on the canvas can show, for a text of
  // lineCount output lines (-1: not known yet, the first lines then), from
  // the dimensions, font and gaps set: the whole text when the text is not
  // clipped, is turned at other than a right angle, or the canvas records
  // rather than shows (metafiles, printers: what they keep stays as it was).
  struct TLineWindow {
    int first = 0;
    int count = 0;
    bool whole = true;  // every line, nothing left out
  };
  TLineWindow VisibleLines(const gfx::TCanvas& canvas, TfrxVAlign vAlign, int lineCount) const;
  // Lays the lines out for drawing on the canvas: the whole text where
  // VisibleLines says so, else only the lines it shows. Top-aligned text
  // shows its first lines whatever its length; bottom- and centre-aligned
  // text that does not fit shows its last or middle ones, so the line count
  // of a first pass decides which, and those are laid out in a second.
  void SetShownText(const TWideStrings& lines, const gfx::TCanvas& canvas, TfrxVAlign vAlign);
  // The first output line is no paragraph start / the last no paragraph end.
  void SetParaBreaks(bool firstParaBreak, bool lastParaBreak);
  // Text objects copy their UseDefaultCharset here before each use.
  bool UseDefaultCharset() const { return useDefaultCharset_; }
  void SetUseDefaultCharset(bool value) { useDefaultCharset_ = value; }
  // The measurer of this object (not owned); nil: the process-wide one.
  void SetMeasurer(const TfrxTextMeasurer* measurer) { measurer_ = measurer; }

  // ---- queries and output
  void DrawText(gfx::TCanvas& canvas, TfrxHAlign hAlign, TfrxVAlign vAlign);
  // One output line at (x, y) in dx device pixels of width, along the
  // rotated baseline; used by DrawText, with the output font selected.
  // lineIndex counts the kept lines.
  void DrawTextLine(gfx::TCanvas& canvas, const rtl::WideString& line, int x, int y, int dx, int lineIndex,
                    TfrxHAlign align);
  // Report pixels.
  double CalcHeight() const;
  double CalcWidth() const;
  double LineHeight() const;
  double TextHeight() const;
  // What is left of the layout rectangle below the whole lines that fit
  // (0.0001 for an exact fit, 0 when not even one line fits).
  double UnusedSpace() const;
  // Cuts the layout after the lines that fit the layout rectangle and answers
  // the source text that does not fit (empty when all fits); inParagraph
  // tells whether the cut falls inside a paragraph.
  rtl::WideString GetOutBoundsText(bool& inParagraph);
  // The source text (after a cut: the part that fits), lines ended by CR LF.
  rtl::WideString GetInBoundsText() const { return sourceText_; }
  // The output lines, each followed by CR LF.
  rtl::WideString GetWrappedText() const;
  // The text without its HTML tags (unchanged when tags are not allowed).
  rtl::WideString DeleteTags(const rtl::WideString& text) const;
  // Whether the canvas is a printer's (text is then sized from its pixels
  // per inch and the print scale).
  static bool IsPrinter(const gfx::TCanvas& canvas);

  // ---- state
  gfx::TCanvas& LayoutCanvas() { return *layoutCanvas_; }
  const gfx::TCanvas& LayoutCanvas() const { return *layoutCanvas_; }
  int LayoutPPI() const { return kLayoutPPI; }
  int ScreenPPI() const { return kScreenPPI; }
  int PointSize() const { return pointSize_; }
  TfrxHTMLTagsList& TagList() { return tagList_; }
  const TfrxHTMLTagsList& TagList() const { return tagList_; }
  // The kept output lines (all of them unless SetText kept a part).
  int WrappedLineCount() const { return static_cast<int>(wrappedLines_.size()); }
  // Every output line of the text, kept or not, and the index the first
  // kept one has among them.
  int LineCount() const { return lineCount_; }
  int FirstKeptLine() const { return firstKept_; }
  // An index outside the list gives an empty line and no flags.
  rtl::WideString WrappedLine(int index) const;
  int WrappedLineFlags(int index) const;
  const rtl::WideString& SourceText() const { return sourceText_; }
  bool WordWrap() const { return wordWrap_; }
  bool WordBreak() const { return wordBreak_; }
  bool RTLReading() const { return rtlReading_; }
  bool Clipped() const { return clipped_; }
  bool Wysiwyg() const { return wysiwyg_; }
  int Rotation() const { return rotation_; }
  double ParagraphGap() const { return paragraphGap_; }
  double CharSpacing() const { return charSpacing_; }
  double LineSpacing() const { return lineSpacing_; }
  double ScaleX() const { return scaleX_; }
  double ScaleY() const { return scaleY_; }
  double PrintScale() const { return printScale_; }
  const gfx::TRect& LayoutRect() const { return layoutRect_; }
  const gfx::TRect& DeviceRect() const { return deviceRect_; }

 private:
  struct TWrappedLine {
    rtl::WideString text;
    int flags = 0;
    bool hyphenated = false;  // ends in a hyphen that hyphenation added
  };
  const TfrxTextMeasurer& Measurer() const;
  // The height of a font of that many points on the canvas.
  int OutputFontHeight(int points, const gfx::TCanvas& canvas) const;
  // The canvas font takes a run's format (nil: the output font's).
  void ApplyFormat(gfx::TCanvas& canvas, const TfrxHTMLTag* tag) const;
  // SetText: the output lines [first, first + count) kept, the source text
  // only with keepSource.
  void Lay(const TWideStrings& lines, int first, int count, bool keepSource);
  void WrapTextLine(rtl::WideString s, int width, int charSpacing, int firstWidth);
  int SyllablePrefix(const rtl::WideString& s, int wordStart, int overflow) const;
  void AddLine(rtl::WideString text, bool hyphenated = false) {
    wrappedLines_.push_back({std::move(text), 0, hyphenated});
  }

  std::unique_ptr<gfx::TCanvas> layoutCanvas_;
  int pointSize_ = 10;
  TfrxHTMLTagsList tagList_;
  std::vector<TWrappedLine> wrappedLines_;
  int lineCount_ = 0;  // output lines, kept or not
  int firstKept_ = 0;  // the index of wrappedLines_[0] among them
  rtl::WideString sourceText_;
  std::vector<int> advances_;  // the line being laid out or drawn, sized to it
  gfx::TFont outputFont_;      // the font DrawText draws with, at the base size
  bool wordWrap_ = true;
  bool wordBreak_ = false;
  bool rtlReading_ = false;
  bool clipped_ = true;
  bool wysiwyg_ = true;
  int rotation_ = 0;
  unsigned textFlags_ = 0;
  double paragraphGap_ = 0, charSpacing_ = 0, lineSpacing_ = 0;
  double scaleX_ = 1, scaleY_ = 1, printScale_ = 1;
  gfx::TRect layoutRect_{}, deviceRect_{};
  bool useDefaultCharset_ = false;
  const TfrxTextMeasurer* measurer_ = nullptr;
};

// Spreads n single pixels, each worth one (1 or -1), evenly over a[lo..hi]:
// half of them to each half of the range, recursively. Nothing when n is not
// positive or the range is empty or outside a.
void vuzSpreadIncrements(std::vector<int>& a, int lo, int hi, int one, int n);

// The shared layout object: text objects outside a report and the exports
// use it. Nil before vuzDrawTextStartup and after vuzDrawTextShutdown.
TfrxDrawText* vuzDrawText();
// Makes the lock and the shared layout object (nested calls count);
// ReportClassesStartup calls it.
void vuzDrawTextStartup();
void vuzDrawTextShutdown();

// Holds the layout lock for a scope.
class TfrxDrawTextLock {
 public:
  TfrxDrawTextLock() { TfrxDrawText::Lock(); }
  ~TfrxDrawTextLock() { TfrxDrawText::Unlock(); }
  TfrxDrawTextLock(const TfrxDrawTextLock&) = delete;
  TfrxDrawTextLock& operator=(const TfrxDrawTextLock&) = delete;
};

}  // namespace report
