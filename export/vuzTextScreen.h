// The character screen of the dot-matrix text export: a grid of single-byte
// characters that text objects are drawn into, frames drawn with line
// characters whose junctions are resolved when the page is written.
#pragma once
#include <string>
#include <vector>

#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;

// The 11 frame characters in their order: vertical, horizontal, the corners
// top-left, top-right, bottom-left, bottom-right, then the T pieces joining
// left-right-up, up-down-right, left-right-down, up-down-left, and the cross.
enum TfrxFrameChar {
  fcVertical,
  fcHorizontal,
  fcTopLeft,
  fcTopRight,
  fcBottomLeft,
  fcBottomRight,
  fcTeeUp,
  fcTeeRight,
  fcTeeDown,
  fcTeeLeft,
  fcCross,
  kFrameChars
};

// The simple set, and the box-drawing bytes of the OEM code pages 437 and 866.
extern const char kSimpleFrameSet[kFrameChars + 1];
extern const char kGraphicFrameSet[kFrameChars + 1];
// The active set: a custom set when it has all 11 characters (a shorter one
// falls back to the simple set), else the graphic or the simple set.
AnsiString ChooseFrameSet(const AnsiString& custom, bool graphic);

class TfrxTextScreen {
 public:
  // All spaces. With oem off the byte A0 is stored as a space.
  TfrxTextScreen(int width, int height, const AnsiString& frameSet, bool oem);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // A cell outside the screen reads as a space; setting one has no effect.
  char Get(int x, int y) const;
  void Set(int x, int y, char c);

  enum TVAlign { vaTop, vaBottom, vaCenter };
  enum THAlign { haLeft, haRight, haCenter };
  // A text object: its frame (sides as bits left 1, right 2, top 4, bottom
  // 8, drawn only with borders), then the text wrapped into the box. Lines
  // are aligned, converted to OEM when asked (never the frame), and set
  // byte by byte. A box narrower than one column takes no text.
  void DrawMemo(int x, int y, int dx, int dy, const AnsiString& text, unsigned frameSides, bool borders, TVAlign vAlign,
                THAlign hAlign, bool oemConvert);
  // Resolves the junction characters (with borders), removes the
  // indentation common to all rows unless leadSpaces, and answers the rows
  // without trailing spaces and control characters.
  std::vector<AnsiString> Flush(bool borders, bool leadSpaces);

  // The junction rule for the junction character at (x, y) on the screen
  // as it is now.
  char Junction(int x, int y) const;

 private:
  bool IsLine(char c) const { return c == set_[fcVertical] || c == set_[fcHorizontal]; }
  bool IsFrameChar(char c) const { return set_.find(c) != AnsiString::npos; }
  bool IsJunctionChar(char c) const { return set_.find(c, fcTopLeft) != AnsiString::npos; }
  void DrawSide(int x0, int y0, int length, bool vertical, char first, char last, char line);

  int width_, height_;
  AnsiString set_;
  bool oem_;
  std::vector<char> cells_;
};

// Wraps a text to at most maxLines lines of at most width characters: breaks
// at the last tab, space or "-", keeps the text's own line ends, joins the
// lines with CR LF.
AnsiString WrapForScreen(const AnsiString& text, int width, int maxLines);

// The 1251 text in the OEM code page 866, byte for byte the same length.
AnsiString AnsiToOem(const AnsiString& text);

}  // namespace report
