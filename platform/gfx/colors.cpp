#include "platform/gfx/colors.h"

#include <cstdint>
#include <mutex>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace gfx {

namespace {

std::mutex resolverMutex;
TSystemColorResolver& Resolver() {
  static TSystemColorResolver resolver;
  return resolver;
}

struct TColorName {
  TColor color;
  const char* name;
};

// Identifier table: named colours first, so that ColorToIdent prefers them.
constexpr TColorName kNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
};

}  // namespace

TColorRef DefaultSystemColor(int index) {
  // A classic grey desktop scheme, as RGB(r, g, b).
  switch (index) {
    case COLOR_SCROLLBAR: return RGB(0xD4, 0xD0, 0xC8);
    case COLOR_BACKGROUND: return RGB(0x3A, 0x6E, 0xA5);
    case COLOR_ACTIVECAPTION: return RGB(0x0A, 0x24, 0x6A);
    case COLOR_INACTIVECAPTION: return RGB(0x80, 0x80, 0x80);
    case COLOR_MENU: return RGB(0xD4, 0xD0, 0xC8);
    case COLOR_WINDOW: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_WINDOWFRAME: return RGB(0, 0, 0);
    case COLOR_MENUTEXT: return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_ACTIVEBORDER: return RGB(0xD4, 0xD0, 0xC8);
    case COLOR_INACTIVEBORDER: return RGB(0xD4, 0xD0, 0xC8);
    case COLOR_APPWORKSPACE: return RGB(0x80, 0x80, 0x80);
    case COLOR_HIGHLIGHT: return RGB(0x0A, 0x24, 0x6A);
    case COLOR_HIGHLIGHTTEXT: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_BTNFACE: return RGB(0xD4, 0xD0, 0xC8);
    case COLOR_BTNSHADOW: return RGB(0x80, 0x80, 0x80);
    case COLOR_GRAYTEXT: return RGB(0x80, 0x80, 0x80);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_INACTIVECAPTIONTEXT: return RGB(0xD4, 0xD0, 0xC8);
    case COLOR_BTNHIGHLIGHT: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_3DDKSHADOW: return RGB(0x40, 0x40, 0x40);
    case COLOR_3DLIGHT: return RGB(0xD4, 0xD0, 0xC8);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(0xFF, 0xFF, 0xE1);
    case COLOR_HOTLIGHT: return RGB(0, 0, 0x80);
    case COLOR_GRADIENTACTIVECAPTION: return RGB(0xA6, 0xCA, 0xF0);
    case COLOR_GRADIENTINACTIVECAPTION: return RGB(0xC0, 0xC0, 0xC0);
    case COLOR_MENUHILIGHT: return RGB(0x0A, 0x24, 0x6A);
    case COLOR_MENUBAR: return RGB(0xD4, 0xD0, 0xC8);
    default: return RGB(0, 0, 0);
  }
}

void SetSystemColorResolver(TSystemColorResolver resolver) {
  std::lock_guard lock(resolverMutex);
  Resolver() = std::move(resolver);
}

TColorRef GetSysColor(int index) {
  std::lock_guard lock(resolverMutex);
  if (Resolver()) return Resolver()(index) & 0xFFFFFF;
  return DefaultSystemColor(index);
}

TColorRef ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return GetSysColor(color & 0xFF);
  return static_cast<TColorRef>(color) & 0xFFFFFF;
}

bool IdentToColor(const std::string& ident, TColor& color) {
  for (const auto& n : kNames)
    if (rtl::SameText(ident, n.name)) {
      color = n.color;
      return true;
    }
  return false;
}

bool ColorToIdent(TColor color, std::string& ident) {
  for (const auto& n : kNames)
    if (n.color == color) {
      ident = n.name;
      return true;
    }
  return false;
}

std::string ColorToString(TColor color) {
  std::string ident;
  if (ColorToIdent(color, ident)) return ident;
  return "$" + rtl::IntToHex32(static_cast<std::int32_t>(color), 8);
}

TColor StringToColor(const std::string& text) {
  TColor c;
  if (IdentToColor(text, c)) return c;
  // Decimal, "$" or "0x" hexadecimal; the whole unsigned range is accepted.
  std::int64_t v;
  if (rtl::TryStrToInt64(text, v) && v >= -2147483648LL && v <= 0xFFFFFFFFLL)
    return static_cast<TColor>(static_cast<std::uint32_t>(v));
  throw rtl::EConvertError("'" + text + "' is not a valid color value");
}

}  // namespace gfx
