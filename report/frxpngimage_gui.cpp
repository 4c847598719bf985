// The PNG image on the clipboard, which carries it as a bitmap: the one part
// of the codec that needs the GUI, kept apart so the codec stays free of it.
#include "platform/gfx/bitmap.h"
#include "platform/gui/clipboard.h"
#include "report/frxpngimage.h"

namespace report {

void TPNGObject::SaveToClipboardFormat() const {
  gfx::TBitmap bitmap;
  AssignTo(bitmap);
  gui::Clipboard().SetBitmap(bitmap);
}

bool TPNGObject::LoadFromClipboardFormat() {
  gfx::TBitmap bitmap;
  if (!gui::Clipboard().GetBitmap(bitmap)) return false;
  AssignHandle(bitmap, false, 0);
  return true;
}

}  // namespace report
