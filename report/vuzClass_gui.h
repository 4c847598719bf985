// The GUI half of the report classes' start-up: the hidden parent form that
// holds window controls of dialog objects while they belong to no window,
// and the engine's own cursors crHand, crZoom and crFormat in the screen's
// cursor table. The program calls ReportClassesGuiStartup right after
// ReportClassesStartup, and ReportClassesGuiShutdown before
// ReportClassesShutdown.
#pragma once
#include <memory>

#include "platform/gfx/bitmap.h"

namespace gui {
class TForm;
}

namespace report {

// The hidden parent form (no owner, never shown), made on first call.
gui::TForm* vuzParentForm();
// Whether it exists (asking vuzParentForm would make it).
bool vuzParentFormExists();

// The picture of one of the engine's cursors (crHand, crZoom, crFormat):
// 32 x 32, black and white on the transparent colour; its hot spot.
struct TfrxCursorPicture {
  std::unique_ptr<gfx::TBitmap> Image;  // empty for a number that is not one of them
  gfx::TColor Transparent;
  int HotX, HotY;
};
TfrxCursorPicture vuzCursorPicture(int cursor);

// Runs once (counted, like ReportClassesStartup): the GUI's handlers
// (vuzUseGuiHandlers), the parent form and the three cursors.
void ReportClassesGuiStartup();
// Takes every control off the parent form, frees it, and removes the
// cursors.
void ReportClassesGuiShutdown();

}  // namespace report
