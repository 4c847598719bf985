#include "preview/vuzDock.h"

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/streams.h"
#include "report/vuzUtils.h"

namespace preview {

namespace {
int Width(const gfx::TRect& r) { return r.Right - r.Left; }
int Height(const gfx::TRect& r) { return r.Bottom - r.Top; }
void Pixel(gfx::TCanvas& canvas, gfx::TPoint p, gfx::TColor color) {
  canvas.Brush().SetColor(color);
  canvas.FillRect({p.X, p.Y, p.X + 1, p.Y + 1});
}
}  // namespace

// ---- toolbars

void vuzSaveToolbarPosition(rtl::TCustomIniFile& ini, const TfrxToolbarFace& toolbar) {
  const AnsiString section = "ToolBar4." + toolbar.Name();
  const gfx::TRect r = toolbar.Bounds();
  const gfx::TRect at = toolbar.Floating() ? toolbar.FloatingBounds() : r;
  ini.WriteBool(section, "Float", toolbar.Floating());
  ini.WriteBool(section, "Visible", toolbar.Visible());
  ini.WriteInteger(section, "Left", at.Left);
  ini.WriteInteger(section, "Top", at.Top);
  ini.WriteInteger(section, "Width", Width(r));
  ini.WriteInteger(section, "Height", Height(r));
  if (toolbar.ParentIsControlBar()) ini.WriteString(section, "Dock4", toolbar.ParentName());
}

void vuzRestoreToolbarPosition(rtl::TCustomIniFile& ini, TfrxToolbarFace& toolbar) {
  const AnsiString section = "ToolBar4." + toolbar.Name();
  const gfx::TRect r = toolbar.Bounds();
  const int left = ini.ReadInteger(section, "Left", r.Left);
  const int top = ini.ReadInteger(section, "Top", r.Top);
  const int width = ini.ReadInteger(section, "Width", Width(r));
  const int height = ini.ReadInteger(section, "Height", Height(r));
  toolbar.SetVisible(false);
  if (ini.ReadBool(section, "Float", false)) {
    toolbar.FloatIn({left, top, left + width, top + height});
  } else {
    const AnsiString parent = toolbar.ParentName();
    const AnsiString dock = ini.ReadString(section, "Dock4", parent);
    // Only another control bar of the owner takes it; anything else (a
    // component of another kind, a name nobody has) leaves it where it is.
    if (dock != parent) toolbar.DockInto(dock);
    toolbar.SetBounds(left, top, width, height);
  }
  toolbar.SetVisible(ini.ReadBool(section, "Visible", true));
}

// ---- dock sites

void vuzSaveDock(rtl::TCustomIniFile& ini, const TfrxDockSite& site) {
  const AnsiString section = "Dock4." + site.Name();
  rtl::TMemoryStream layout;
  if (!site.Layout.empty()) layout.Write(site.Layout.data(), static_cast<long long>(site.Layout.size()));
  layout.SetPosition(0);
  ini.WriteString(section, "Data", report::vuzStreamToString(layout));
  ini.WriteInteger(section, "Width", Width(site.Bounds()));
  ini.WriteInteger(section, "Height", Height(site.Bounds()));
  ini.WriteInteger(section, "Size", site.SavedSize());
}

void vuzRestoreDock(rtl::TCustomIniFile& ini, TfrxDockSite& site) {
  const AnsiString section = "Dock4." + site.Name();
  const AnsiString data = ini.ReadString(section, "Data", "");
  rtl::TMemoryStream bytes;
  report::vuzStringToStream(data, bytes);
  if (bytes.Size() > 0) {
    site.Layout.resize(static_cast<std::size_t>(bytes.Size()));
    bytes.SetPosition(0);
    bytes.Read(site.Layout.data(), bytes.Size());
  }
  const gfx::TRect r = site.Bounds();
  const int width = ini.ReadInteger(section, "Width", Width(r));
  const int height = ini.ReadInteger(section, "Height", Height(r));
  site.SetBounds({r.Left, r.Top, r.Left + width, r.Top + height});
  site.SetSavedSize(ini.ReadInteger(section, "Size", 100));
}

// ---- forms

void vuzSaveFormPosition(rtl::TCustomIniFile& ini, const TfrxFormFace& form) {
  const AnsiString section = "Form4." + form.ClassName();
  const gfx::TRect r = form.Bounds();
  ini.WriteInteger(section, "Left", r.Left);
  ini.WriteInteger(section, "Top", r.Top);
  ini.WriteInteger(section, "Width", Width(r));
  ini.WriteInteger(section, "Height", Height(r));
  ini.WriteBool(section, "Maximized", form.Maximized());
  ini.WriteBool(section, "Visible", form.Visible());
  ini.WriteString(section, "Dock4", form.HostDockSite());
}

void vuzRestoreFormPosition(rtl::TCustomIniFile& ini, TfrxFormFace& form) {
  const AnsiString section = "Form4." + form.ClassName();
  if (!form.MDIChild()) {
    if (ini.ReadBool(section, "Maximized", false)) {
      form.Maximize();
    } else {
      const gfx::TRect r = form.Bounds();
      form.SetBounds(ini.ReadInteger(section, "Left", r.Left), ini.ReadInteger(section, "Top", r.Top),
                     ini.ReadInteger(section, "Width", Width(r)), ini.ReadInteger(section, "Height", Height(r)));
    }
  }
  const AnsiString dock = ini.ReadString(section, "Dock4", "");
  if (!dock.empty()) form.DockInto(dock);
  if (!form.IsDesigner()) form.SetVisible(ini.ReadBool(section, "Visible", true));
}

// ---- the dock site

int TfrxDockSite::Size() const { return Horizontal() ? Height(bounds_) : Width(bounds_); }

void TfrxDockSite::SetSize(int size) {
  size = std::max(0, size);
  switch (align_) {
    case daTop: bounds_.Bottom = bounds_.Top + size; break;
    case daBottom: bounds_.Top = bounds_.Bottom - size; break;
    case daLeft: bounds_.Right = bounds_.Left + size; break;
    case daRight: bounds_.Left = bounds_.Right - size; break;
  }
}

bool TfrxDockSite::DockOver(const AnsiString& owner, int width, int height) {
  if (!OwnerForm.empty() && owner != OwnerForm) return false;
  clientSize_ = Horizontal() ? height : width;
  return true;
}

bool TfrxDockSite::DockDrop(const AnsiString& owner, int& controlSize) {
  if (!OwnerForm.empty() && owner != OwnerForm) return false;
  if (Size() < clientSize_) controlSize = clientSize_;
  ++docked_;
  splitterVisible_ = true;
  return true;
}

bool TfrxDockSite::UnDock(const AnsiString& targetOwner) {
  if (!OwnerForm.empty() && !targetOwner.empty() && targetOwner != OwnerForm) return false;
  docked_ = std::max(0, docked_ - 1);
  // The splitter goes with the last docked control.
  if (docked_ == 0) splitterVisible_ = false;
  return true;
}

gfx::TRect TfrxDockSite::SplitterBounds() const {
  // Alignment packs the splitter against the site's inner edge.
  const gfx::TRect& b = bounds_;
  switch (align_) {
    case daTop: return {b.Left, b.Bottom, b.Right, b.Bottom + SplitterThickness};
    case daBottom: return {b.Left, b.Top - SplitterThickness, b.Right, b.Top};
    case daLeft: return {b.Right, b.Top, b.Right + SplitterThickness, b.Bottom};
    case daRight: break;
  }
  return {b.Left - SplitterThickness, b.Top, b.Left, b.Bottom};
}

bool TfrxDockSite::OnGrip(int along, int splitterLength) const { return std::abs(along - splitterLength / 2) <= 20; }

void TfrxDockSite::GripClick() {
  const int size = Size();
  if (size != 0) {
    savedSize_ = size;
    SetSize(0);
  } else {
    SetSize(savedSize_);
  }
}

void TfrxDockSite::Drag(int dx, int dy) {
  switch (align_) {
    case daTop: SetSize(Size() + dy); break;
    case daBottom: SetSize(Size() - dy); break;
    case daLeft: SetSize(Size() + dx); break;
    case daRight: SetSize(Size() - dx); break;
  }
}

void TfrxDockSite::PaintGrip(gfx::TCanvas& canvas, int splitterWidth, int splitterHeight, bool horizontal) {
  const int mid = (horizontal ? splitterWidth : splitterHeight) / 2;
  // (along, across) to canvas coordinates.
  auto at = [horizontal](int along, int across) {
    return horizontal ? gfx::TPoint{along, across} : gfx::TPoint{across, along};
  };
  const gfx::TPoint a = at(mid - 14, 0), b = at(mid + 15, SplitterThickness);
  canvas.Brush().SetStyle(gfx::bsSolid);
  canvas.Brush().SetColor(0xC0D0D0);
  canvas.FillRect({a.X, a.Y, b.X, b.Y});
  for (int i = 0; i < 7; ++i) {
    const int along = mid - 9 + 3 * i;
    const gfx::TPoint dot = at(along, 2);
    Pixel(canvas, dot, 0xFFFFFF);
    for (const gfx::TPoint d : {at(along + 1, 2), at(along, 3), at(along + 1, 3)}) Pixel(canvas, d, 0x808080);
  }
}

}  // namespace preview
