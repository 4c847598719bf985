// The thermocouple calibration coefficients A1 and A0 (thermocouple EMF =
// U × A1 + A0, single-precision floats) and the four A1 values that instead
// say how the recorder uses its DS1820 sensor.
#pragma once
#include <cstdint>

#include "platform/rtl/strings.h"

namespace app {

using rtl::AnsiString;

enum class TCalibrMode { NoDS1820, DS1820, U, TCDebug, T };

constexpr std::uint32_t kA1NoDS1820 = 0xEEEEEEEE;
constexpr std::uint32_t kA1DS1820 = 0xFFFFFFFF;
constexpr std::uint32_t kA1U = 0;
constexpr std::uint32_t kA1TCDebug = 0x3F000000;  // the float 0.5

TCalibrMode CalibrModeFromA1(std::uint32_t a1);
// The text a marker mode puts into both edits ("" for T).
AnsiString CalibrModeText(TCalibrMode mode);

std::uint32_t FloatWord(float f);
float WordFloat(std::uint32_t w);
// A coefficient as the edits show it, "0.0000000" (decimal comma).
AnsiString CoefficientText(std::uint32_t word);
// An edit's text as a coefficient: "." or "," as the decimal point, a finite
// single-precision value; false when it does not convert.
bool CoefficientFromText(const AnsiString& text, std::uint32_t& word);

// The words a write sends for a mode: the markers, or the two edits' texts.
struct TCalibrWords {
  std::uint32_t A1 = 0, A0 = 0;
  bool A1Bad = false, A0Bad = false;
  bool Ok() const { return !A1Bad && !A0Bad; }
};
TCalibrWords CalibrWordsFor(TCalibrMode mode, const AnsiString& a1Text, const AnsiString& a0Text);

}  // namespace app
