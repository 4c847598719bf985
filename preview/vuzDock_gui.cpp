#include "preview/vuzDock_gui.h"

#include "platform/gui/stdctrls.h"

namespace preview {

TfrxTBPanel::TfrxTBPanel(gui::TComponent* owner) : gui::TCustomControl(owner) {
  // A toolbar places its children itself, so the panel takes an alignment
  // only when it goes onto a panel (SetParent).
  SetBounds(0, 0, 8, 8);
  SetColor(gfx::clBtnFace);
}

void TfrxTBPanel::SetParent(gui::TControl* parent) {
  gui::TCustomControl::SetParent(parent);
  if (!dynamic_cast<gui::TPanel*>(parent)) return;
  const gui::TControl* area = parent->Parent();
  const bool vertical = area && (area->Align() == gui::alLeft || area->Align() == gui::alRight);
  SetAlign(vertical ? gui::alTop : gui::alLeft);
}

void TfrxTBPanel::Paint() {
  Canvas().Brush().SetStyle(gfx::bsSolid);
  Canvas().Brush().SetColor(gfx::clBtnFace);
  Canvas().FillRect({0, 0, Width(), Height()});
  gui::TCustomControl::Paint();
}

gfx::TRect TfrxGuiFormFace::Bounds() const {
  const gui::TRect r = form_.NormalBounds();
  return {r.Left, r.Top, r.Right, r.Bottom};
}

gfx::TRect TfrxGuiToolbarFace::Bounds() const {
  return {toolbar_.Left(), toolbar_.Top(), toolbar_.Left() + toolbar_.Width(), toolbar_.Top() + toolbar_.Height()};
}

AnsiString TfrxGuiToolbarFace::ParentName() const { return toolbar_.Parent() ? toolbar_.Parent()->Name() : ""; }

void TfrxGuiToolbarFace::SetBounds(int left, int top, int width, int height) {
  toolbar_.SetBounds(left, top, width, height);
}

}  // namespace preview
