// The pictures of the preview window's buttons, by index: 0 open, 1 save,
// 2 print, 3 export, 4 find, 5 outline, 6 blank, 7 page settings, 8 first,
// 9 previous, 10 next, 11 last page, 12 thumbnails, 13 up, 14 down, 15 zoom in,
// 16 zoom out, 17 and 18 blank, 19 new page, 20 delete page, 21 edit page,
// 22 full screen, 23 e-mail, 24 save as PDF.
#pragma once
#include <memory>

#include "platform/gfx/bitmap.h"

namespace report {

inline constexpr int kPreviewButtonCount = 25;

// A 400 x 16 strip of 24-bit pixels, silver (C0C0C0) behind the pictures.
std::unique_ptr<gfx::TBitmap> vuzDrawPreviewButtonStrip();

}  // namespace report
