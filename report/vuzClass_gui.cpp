#include "report/vuzClass_gui.h"

#include <array>
#include <memory>

#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "report/vuzClass.h"
#include "report/vuzUtils_gui.h"

namespace report {
namespace {

// A form that is never shown: dialog controls live on it while no page or
// control of theirs is a window.
class TParentForm : public gui::TForm {
 public:
  TParentForm() : gui::TForm(nullptr) {}
};

std::unique_ptr<TParentForm>& ParentForm() {
  static std::unique_ptr<TParentForm> form;
  return form;
}

int g_guiNesting = 0;

// The cursors as the engine drew them: X black, o white, . transparent.
using Art = std::array<const char*, 16>;
const Art kHand = {"......XX........", "...XX.XoXXX.....", "..XooXXoXooX....", "..XooXXoXooX.X..",
                   "...XooXoXooXXoX.", "...XooXoXooXooX.", ".XX.XoooooooooX.", "XooXXoooooooooX.",
                   "XoooXooooooooX..", ".XoooooooooooX..", "..XooooooooooX..", "..XoooooooooX...",
                   "...XooooooooX...", "....XoooooooX...", ".....XooooooX...", ".....XooooooX..."};
const Art kZoom = {"....XXXXX.......", "..XXoooooXX.....", ".XooooXooooX....", ".XooooXooooX....",
                   "XoooooXoooooX...", "XooXXXXXXXooX...", "XoooooXoooooX...", ".XooooXooooX....",
                   ".XooooXooooX....", "..XXoooooXXX....", "....XXXXX.XXX...", "...........XXX..",
                   "............XXX.", ".............XXX", "..............XX", "................"};
const Art kFormat = {"X...............", "XX..............", "XoX.............", "XooX............",
                     "XoooX...........", "XooooX..........", "XoooooX.........", "XooooooX........",
                     "XoooooooX.......", "XooooXXXXX......", "XooXoX..........", "XoX.XoX...XXXXXX",
                     "XX..XoX...XooooX", "X....XoX..XXXXXX", ".....XoX...XooX.", "......X.....XX.."};

constexpr gfx::TColor kTransparent = gfx::clOlive;

TfrxCursorPicture Picture(const Art& art, int hotX, int hotY) {
  constexpr int kSize = 32;
  // 0x00RRGGBB pixels: olive is 80 80 00.
  std::array<std::uint32_t, kSize * kSize> pixels;
  pixels.fill(0x808000u);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const char c = art[static_cast<std::size_t>(y)][x];
      if (c != '.') pixels[static_cast<std::size_t>(y) * kSize + x] = c == 'X' ? 0x000000u : 0xFFFFFFu;
    }
  TfrxCursorPicture p{std::make_unique<gfx::TBitmap>(kSize, kSize, gfx::pf24bit), kTransparent, hotX, hotY};
  p.Image->FromRGB32(pixels.data());
  return p;
}

}  // namespace

gui::TForm* vuzParentForm() {
  if (!ParentForm()) ParentForm() = std::make_unique<TParentForm>();
  return ParentForm().get();
}

bool vuzParentFormExists() { return ParentForm() != nullptr; }

TfrxCursorPicture vuzCursorPicture(int cursor) {
  switch (cursor) {
    case crHand: return Picture(kHand, 8, 8);
    case crZoom: return Picture(kZoom, 6, 5);
    case crFormat: return Picture(kFormat, 0, 0);
    default: return TfrxCursorPicture{std::make_unique<gfx::TBitmap>(), kTransparent, 0, 0};
  }
}

void ReportClassesGuiStartup() {
  if (g_guiNesting++ > 0) return;
  vuzUseGuiHandlers();
  vuzParentForm();
  for (int cursor : {crHand, crZoom, crFormat}) {
    const TfrxCursorPicture p = vuzCursorPicture(cursor);
    gui::Screen->SetCursorImage(cursor, *p.Image, p.Transparent, p.HotX, p.HotY);
  }
}

void ReportClassesGuiShutdown() {
  if (g_guiNesting == 0 || --g_guiNesting > 0) return;
  if (std::unique_ptr<TParentForm>& form = ParentForm()) {
    // Controls still parked here belong to their objects, which free them.
    while (form->ControlCount() > 0) form->Controls(0)->SetParent(nullptr);
    form.reset();
  }
  for (int cursor : {crHand, crZoom, crFormat}) gui::Screen->SetCursorImage(cursor, gfx::TBitmap(), kTransparent, 0, 0);
}

}  // namespace report
