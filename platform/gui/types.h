// Small value types and constants shared by every GUI unit: points and
// rectangles, key codes, shift states, mouse buttons, modal results, colours
// and the event signatures.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/rtl/strings.h"

namespace gui {

using rtl::AnsiString;
using Word = std::uint16_t;

class TObject;

struct TPoint {
  int X = 0, Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }
inline TRect Bounds(int l, int t, int w, int h) { return {l, t, l + w, t + h}; }

// Colours are 0x00BBGGRR; a value with the top bit set names a system colour.
using TColor = std::int32_t;
constexpr TColor RGB(int r, int g, int b) { return r | (g << 8) | (b << 16); }
enum : TColor {
  clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
  clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
  clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
  clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
  clNone = 0x1FFFFFFF, clDefault = 0x20000000,
};
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInfoBk = clSystemColor | 24;
// The RGB value a system colour stands for on this desktop.
TColor ColorToRGB(TColor c);

// Key codes of the key events (the virtual-key numbering the handlers test).
enum : Word {
  VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
  VK_PAUSE = 19, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35,
  VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45,
  VK_DELETE = 46, VK_F1 = 112, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9,
  VK_F10, VK_F11, VK_F12,
  VK_ADD = 107, VK_SUBTRACT = 109,
};

// Which modifier keys and mouse buttons were held.
class TShiftState {
 public:
  enum Flag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
  constexpr TShiftState() = default;
  constexpr TShiftState(Flag f) : bits_(f) {}
  constexpr explicit TShiftState(unsigned bits) : bits_(bits) {}
  constexpr bool Contains(Flag f) const { return (bits_ & f) != 0; }
  constexpr TShiftState operator|(TShiftState o) const { return TShiftState(bits_ | o.bits_); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr unsigned Bits() const { return bits_; }
  friend constexpr bool operator==(TShiftState, TShiftState) = default;

 private:
  unsigned bits_ = 0;
};
constexpr TShiftState ssShift = TShiftState::ssShift, ssAlt = TShiftState::ssAlt, ssCtrl = TShiftState::ssCtrl,
                      ssLeft = TShiftState::ssLeft, ssRight = TShiftState::ssRight,
                      ssMiddle = TShiftState::ssMiddle, ssDouble = TShiftState::ssDouble;
constexpr TShiftState operator|(TShiftState::Flag a, TShiftState::Flag b) { return TShiftState(a) | TShiftState(b); }

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A shortcut: the key code in the low byte(s) plus scShift/scCtrl/scAlt.
using TShortCut = Word;
enum : Word { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0 };
inline TShortCut ShortCut(Word key, TShiftState shift) {
  Word s = key;
  if (shift.Contains(TShiftState::ssShift)) s |= scShift;
  if (shift.Contains(TShiftState::ssCtrl)) s |= scCtrl;
  if (shift.Contains(TShiftState::ssAlt)) s |= scAlt;
  return s;
}
// "Ctrl+C", "F5", "Alt+R" and the like; 0 for a text it does not know.
TShortCut TextToShortCut(const AnsiString& text);

// Modal results: what ShowModal, MessageDlg and buttons answer.
using TModalResult = int;
enum : TModalResult {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
  mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Mouse cursors of Screen.Cursor.
using TCursor = int;
enum : TCursor {
  crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crNo = -18, crAppStart = -19,
  crHelp = -20, crHandPoint = -21, crSizeAll = -22,
};

// Event signatures.
using TNotifyEvent = std::function<void(TObject* Sender)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

}  // namespace gui
