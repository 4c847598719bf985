// The paper table of the Windows paper numbers: report pages turn a paper
// number into millimetres with it, and printers match their media to it.
// Depends on nothing beyond the runtime, so every layer above may use it.
#pragma once
#include <array>

#include "platform/rtl/strings.h"

namespace report {

// One paper: its Windows number, a name (empty in the table) and its
// portrait size in tenths of a millimetre.
struct TPaperInfo {
  int Typ;
  const char* Name;
  int X, Y;
};

inline constexpr int kPaperCount = 66;
// The numbers 1 to 68 without 48 and 49, in that order.
extern const std::array<TPaperInfo, kPaperCount> vuzPaperInfo;

// Paper 9, A4: the default paper everywhere.
inline constexpr int DMPAPER_A4 = 9;
// A size that is not in the table.
inline constexpr int DMPAPER_USER = 256;

// Width and height in millimetres (portrait) of a paper number of the table;
// false, with the outputs untouched, for any other number.
bool vuzGetPaperDimensions(int paperSize, long double& width, long double& height);

// The number of the table's first paper whose portrait size is within
// toleranceMM of width x height (either way round), DMPAPER_USER when none.
int vuzFindPaperNumber(long double widthMM, long double heightMM, long double toleranceMM = 1.0L);

}  // namespace report
