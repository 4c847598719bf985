// Docking helpers as widgets: the toolbar panel that holds a non-button
// control in a toolbar (the preview's zoom and page boxes), and the faces
// through which the layout routines of vuzDock save and restore the GUI's
// forms and toolbars.
#pragma once
#include "platform/gui/comctrls.h"
#include "platform/gui/controls.h"
#include "platform/gui/forms.h"
#include "preview/vuzDock.h"

namespace preview {

// A small opaque panel in a toolbar; in a vertical tool area (a panel whose
// parent is aligned left or right) it stacks from the top.
class TfrxTBPanel : public gui::TCustomControl {
 public:
  explicit TfrxTBPanel(gui::TComponent* owner);
  void SetParent(gui::TControl* parent) override;

 protected:
  void Paint() override;
};

// A form as the layout routines see it, saved under its class name.
class TfrxGuiFormFace : public TfrxFormFace {
 public:
  TfrxGuiFormFace(gui::TForm& form, AnsiString className) : form_(form), class_(std::move(className)) {}
  AnsiString ClassName() const override { return class_; }
  gfx::TRect Bounds() const override;
  bool Maximized() const override { return form_.WindowState() == gui::wsMaximized; }
  void Maximize() override { form_.SetWindowState(gui::wsMaximized); }
  bool Visible() const override { return form_.Visible(); }
  void SetVisible(bool visible) override { form_.SetVisible(visible); }
  bool MDIChild() const override { return form_.FormStyle() == gui::fsMDIChild; }
  void SetBounds(int left, int top, int width, int height) override { form_.SetBounds(left, top, width, height); }

 private:
  gui::TForm& form_;
  AnsiString class_;
};

// A toolbar on a form (the GUI has no control bars, so it never moves to one).
class TfrxGuiToolbarFace : public TfrxToolbarFace {
 public:
  explicit TfrxGuiToolbarFace(gui::TToolBar& toolbar) : toolbar_(toolbar) {}
  AnsiString Name() const override { return toolbar_.Name(); }
  gfx::TRect Bounds() const override;
  bool Floating() const override { return false; }
  gfx::TRect FloatingBounds() const override { return Bounds(); }
  bool Visible() const override { return toolbar_.Visible(); }
  void SetVisible(bool visible) override { toolbar_.SetVisible(visible); }
  AnsiString ParentName() const override;
  bool ParentIsControlBar() const override { return false; }
  void FloatIn(const gfx::TRect&) override {}
  bool DockInto(const AnsiString&) override { return false; }
  void SetBounds(int left, int top, int width, int height) override;

 private:
  gui::TToolBar& toolbar_;
};

}  // namespace preview
