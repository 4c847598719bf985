#include "app/CalibrFigures.h"

#include <cmath>
#include <cstring>

#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace app {

TCalibrMode CalibrModeFromA1(std::uint32_t a1) {
  switch (a1) {
    case kA1NoDS1820: return TCalibrMode::NoDS1820;
    case kA1DS1820: return TCalibrMode::DS1820;
    case kA1U: return TCalibrMode::U;
    case kA1TCDebug: return TCalibrMode::TCDebug;
    default: return TCalibrMode::T;
  }
}

AnsiString CalibrModeText(TCalibrMode mode) {
  switch (mode) {
    case TCalibrMode::NoDS1820: return "0xEEEEEEEE";
    case TCalibrMode::DS1820: return "0xFFFFFFFF";
    case TCalibrMode::U: return "0";
    case TCalibrMode::TCDebug: return "0.5";
    case TCalibrMode::T: return "";
  }
  return "";
}

std::uint32_t FloatWord(float f) {
  std::uint32_t w;
  std::memcpy(&w, &f, 4);
  return w;
}

float WordFloat(std::uint32_t w) {
  float f;
  std::memcpy(&f, &w, 4);
  return f;
}

AnsiString CoefficientText(std::uint32_t word) { return rtl::FormatFloat("0.0000000", WordFloat(word)); }

bool CoefficientFromText(const AnsiString& text, std::uint32_t& word) {
  rtl::FormatSettings fs = rtl::CurrentFormatSettings();
  AnsiString t = rtl::StringReplace(text, ".", AnsiString(1, fs.DecimalSeparator), rtl::rfReplaceAll);
  long double v = 0;
  if (!rtl::TryStrToFloat(t, v, fs)) return false;
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) return false;
  word = FloatWord(f);
  return true;
}

TCalibrWords CalibrWordsFor(TCalibrMode mode, const AnsiString& a1Text, const AnsiString& a0Text) {
  TCalibrWords w;
  switch (mode) {
    case TCalibrMode::NoDS1820: w.A1 = w.A0 = kA1NoDS1820; break;
    case TCalibrMode::DS1820: w.A1 = w.A0 = kA1DS1820; break;
    case TCalibrMode::U: w.A1 = w.A0 = kA1U; break;
    default:
      w.A1Bad = !CoefficientFromText(a1Text, w.A1);
      w.A0Bad = !CoefficientFromText(a0Text, w.A0);
      break;
  }
  return w;
}

}  // namespace app
