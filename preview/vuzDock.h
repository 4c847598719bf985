// Docking helpers without a window: where toolbars, dock sites and forms are
// remembered in a settings store (sections "ToolBar4.", "Dock4." and
// "Form4."), the rules that put them back, and a dock site with its
// splitter (grow with what docks, collapse and restore with the grip).
// Windows reach the routines through the small faces below; the GUI
// companion (vuzDock_gui) implements them on its widgets.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/types.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/strings.h"

namespace preview {

using rtl::AnsiString;

// What the routines need of a toolbar.
class TfrxToolbarFace {
 public:
  virtual ~TfrxToolbarFace() = default;
  virtual AnsiString Name() const = 0;
  virtual gfx::TRect Bounds() const = 0;  // left, top, right, bottom
  virtual bool Floating() const = 0;
  virtual gfx::TRect FloatingBounds() const = 0;  // the floating window's
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  // The parent's name, and whether the parent is a control bar.
  virtual AnsiString ParentName() const = 0;
  virtual bool ParentIsControlBar() const = 0;
  virtual void FloatIn(const gfx::TRect& r) = 0;
  // Moves the toolbar into the owner's control bar of that name; false when
  // the owner has none of that name or it is no control bar.
  virtual bool DockInto(const AnsiString& barName) = 0;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
};

// What the routines need of a form.
class TfrxFormFace {
 public:
  virtual ~TfrxFormFace() = default;
  virtual AnsiString ClassName() const = 0;
  virtual gfx::TRect Bounds() const = 0;
  virtual bool Maximized() const = 0;
  virtual void Maximize() = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool MDIChild() const { return false; }
  virtual bool IsDesigner() const { return false; }
  // The dock site hosting the form ("" when not docked) and docking into the
  // owner's site of a name (false when there is no such windowed control).
  virtual AnsiString HostDockSite() const { return ""; }
  virtual bool DockInto(const AnsiString& /*siteName*/) { return false; }
  virtual void SetBounds(int left, int top, int width, int height) = 0;
};

enum TfrxDockAlign { daTop, daBottom, daLeft, daRight };

// A dock site along one edge of a form and its splitter.
class TfrxDockSite {
 public:
  static constexpr int SplitterThickness = 6;
  static constexpr int GripLength = 29;

  TfrxDockSite(AnsiString name, TfrxDockAlign align) : name_(std::move(name)), align_(align) {}
  const AnsiString& Name() const { return name_; }
  TfrxDockAlign Align() const { return align_; }
  bool Horizontal() const { return align_ == daTop || align_ == daBottom; }
  gfx::TRect Bounds() const { return bounds_; }
  void SetBounds(const gfx::TRect& r) { bounds_ = r; }
  // The height of a top or bottom site, the width of a left or right one.
  int Size() const;
  void SetSize(int size);
  int SavedSize() const { return savedSize_; }
  void SetSavedSize(int size) { savedSize_ = size; }
  bool SplitterVisible() const { return splitterVisible_; }
  int DockedCount() const { return docked_; }
  // Only controls of this owner may dock ("" accepts any).
  AnsiString OwnerForm;
  // The dock manager's layout bytes (the GUI's own format).
  std::vector<std::uint8_t> Layout;

  // A control of a size dragged over the site; false when refused.
  bool DockOver(const AnsiString& owner, int width, int height);
  // Dropped: the site grows to the control's size when smaller; the answer
  // is the size the control takes (its height or width).
  bool DockDrop(const AnsiString& owner, int& controlSize);
  // A control leaves for a target of another owner: refused (false).
  bool UnDock(const AnsiString& targetOwner);
  // The splitter beside the site.
  gfx::TRect SplitterBounds() const;
  // The grip: in the splitter's middle, 20 pixels either way.
  bool OnGrip(int along, int splitterLength) const;
  // The grip clicked: collapse to 0 remembering the size, or restore it.
  void GripClick();
  // The splitter dragged by (dx, dy) pixels.
  void Drag(int dx, int dy);
  // Paints the splitter's grip (a 29 x 6 strip with seven dots).
  static void PaintGrip(gfx::TCanvas& canvas, int splitterWidth, int splitterHeight, bool horizontal);

 private:
  AnsiString name_;
  TfrxDockAlign align_;
  gfx::TRect bounds_{0, 0, 10, 10};
  int clientSize_ = 0;
  int savedSize_ = 100;
  int docked_ = 0;
  bool splitterVisible_ = false;
};

void vuzSaveToolbarPosition(rtl::TCustomIniFile& ini, const TfrxToolbarFace& toolbar);
void vuzRestoreToolbarPosition(rtl::TCustomIniFile& ini, TfrxToolbarFace& toolbar);
void vuzSaveDock(rtl::TCustomIniFile& ini, const TfrxDockSite& site);
void vuzRestoreDock(rtl::TCustomIniFile& ini, TfrxDockSite& site);
void vuzSaveFormPosition(rtl::TCustomIniFile& ini, const TfrxFormFace& form);
void vuzRestoreFormPosition(rtl::TCustomIniFile& ini, TfrxFormFace& form);

}  // namespace preview
