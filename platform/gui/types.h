// Small value types and constants shared by every GUI unit: points and
// rectangles, key codes, shift states, mouse buttons, modal results, colours
// and the event signatures.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/gfx/colors.h"
#include "platform/gfx/types.h"
#include "platform/rtl/object.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/user_answers.h"

namespace gui {

using rtl::AnsiString;
using Word = std::uint16_t;
using rtl::TObject;

// Geometry and colours are the graphics layer's.
using gfx::Bounds;
using gfx::cl3DDkShadow;
using gfx::cl3DLight;
using gfx::clActiveBorder;
using gfx::clActiveCaption;
using gfx::clAppWorkSpace;
using gfx::clAqua;
using gfx::clBackground;
using gfx::clBlack;
using gfx::clBlue;
using gfx::clBtnFace;
using gfx::clBtnHighlight;
using gfx::clBtnShadow;
using gfx::clBtnText;
using gfx::clCaptionText;
using gfx::clCream;
using gfx::clDefault;
using gfx::clDkGray;
using gfx::clFuchsia;
using gfx::clGradientActiveCaption;
using gfx::clGradientInactiveCaption;
using gfx::clGray;
using gfx::clGrayText;
using gfx::clGreen;
using gfx::clHighlight;
using gfx::clHighlightText;
using gfx::clHotLight;
using gfx::clInactiveBorder;
using gfx::clInactiveCaption;
using gfx::clInactiveCaptionText;
using gfx::clInfoBk;
using gfx::clInfoText;
using gfx::clLime;
using gfx::clLtGray;
using gfx::clMaroon;
using gfx::clMedGray;
using gfx::clMenu;
using gfx::clMenuBar;
using gfx::clMenuHighlight;
using gfx::clMenuText;
using gfx::clMoneyGreen;
using gfx::clNavy;
using gfx::clNone;
using gfx::clOlive;
using gfx::clPurple;
using gfx::clRed;
using gfx::clScrollBar;
using gfx::clSilver;
using gfx::clSkyBlue;
using gfx::clTeal;
using gfx::clTransparent;
using gfx::clWhite;
using gfx::clWindow;
using gfx::clWindowFrame;
using gfx::clWindowText;
using gfx::clYellow;
using gfx::ColorToRGB;
using gfx::Point;
using gfx::Rect;
using gfx::RGB;
using gfx::TColor;
using gfx::TPoint;
using gfx::TRect;
using gfx::TSize;

// Key codes of the key events (the virtual-key numbering the handlers test).
enum : Word {
  VK_BACK = 8,
  VK_TAB = 9,
  VK_RETURN = 13,
  VK_SHIFT = 16,
  VK_CONTROL = 17,
  VK_MENU = 18,
  VK_PAUSE = 19,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_PRIOR = 33,
  VK_NEXT = 34,
  VK_END = 35,
  VK_HOME = 36,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_INSERT = 45,
  VK_DELETE = 46,
  VK_F1 = 112,
  VK_F2,
  VK_F3,
  VK_F4,
  VK_F5,
  VK_F6,
  VK_F7,
  VK_F8,
  VK_F9,
  VK_F10,
  VK_F11,
  VK_F12,
  VK_ADD = 107,
  VK_SUBTRACT = 109,
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
                      ssLeft = TShiftState::ssLeft, ssRight = TShiftState::ssRight, ssMiddle = TShiftState::ssMiddle,
                      ssDouble = TShiftState::ssDouble;
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

// Modal results are the runtime layer's, so model units name them without the GUI.
using rtl::mrAbort;
using rtl::mrAll;
using rtl::mrCancel;
using rtl::mrIgnore;
using rtl::mrNo;
using rtl::mrNone;
using rtl::mrNoToAll;
using rtl::mrOk;
using rtl::mrRetry;
using rtl::mrYes;
using rtl::mrYesToAll;
using rtl::TModalResult;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
// Window borders (the runtime layer's); controls know bsNone and bsSingle.
using rtl::bsDialog;
using rtl::bsNone;
using rtl::bsSingle;
using rtl::bsSizeable;
using rtl::bsSizeToolWin;
using rtl::bsToolWindow;
using rtl::TFormBorderStyle;
using TBorderStyle = TFormBorderStyle;
// Which scroll bars a memo or grid may show.
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Mouse cursors of Screen.Cursor.
using TCursor = int;
enum : TCursor {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crDrag = -12,
  crNoDrop = -13,
  crHSplit = -14,
  crVSplit = -15,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22,
};

// Event signatures.
using rtl::TNotifyEvent;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

}  // namespace gui
