// What prepared pages read and set on report objects. The store knows the
// concrete classes (pages, bands, views, text and picture objects) by their
// reflected class names and published properties, like the object tree does;
// the few members that a class keeps unpublished (a text object's page
// total, copy number and print scale, its macros, a page's background
// drawing) go through hooks that the concrete classes' adapter installs.
#pragma once
#include <functional>

#include "platform/gfx/picture.h"
#include "platform/rtl/strings.h"
#include "report/vuzClass.h"

namespace gfx {
class TCanvas;
}

namespace preview {

using report::TfrxComponent;
using rtl::AnsiString;

struct TfrxObjectHooks {
  // Before a text object is drawn or exported.
  std::function<void(TfrxComponent* memo, int totalPages, int copyNo)> SetMemoPrintValues;
  // Before a text object is drawn (printing scales its text).
  std::function<void(TfrxComponent* memo, long double printScale)> SetMemoPrintScale;
  // Replaces the page-total and copy-name macros of a text object.
  std::function<void(TfrxComponent* memo)> ExtractMacros;
  // Paints a page's background (colour, picture, frame).
  std::function<void(TfrxComponent* page, gfx::TCanvas& canvas, long double sx, long double sy, long double ox,
                     long double oy)>
      DrawPageBackground;
  // A new free-standing picture object (the export's page background).
  std::function<TfrxComponent*()> CreatePictureView;
};

// The installed hooks; the defaults hand the page total, copy number and
// print scale to text objects (and let them replace their macros), and a
// page that is a report component draws through its Draw.
TfrxObjectHooks& vuzObjectHooks();

// ---- published properties by name (absent ones read as the fallback)
long long vuzOrdProp(TfrxComponent* object, const char* path, long long fallback = 0);
long double vuzFloatPropOf(TfrxComponent* object, const char* path, long double fallback = 0);
AnsiString vuzStrPropOf(TfrxComponent* object, const char* path);
// False when the object has no such property (or it cannot be set).
bool vuzSetProp(TfrxComponent* object, const char* path, const rtl::Variant& value);
// A float property at full precision.
bool vuzSetFloatProp(TfrxComponent* object, const char* path, long double value);
// A sub-object property ("Picture", "BackPicture", "Highlight.Font"), nil without one.
rtl::TObject* vuzObjectProp(TfrxComponent* object, const char* path);
gfx::TPicture* vuzPictureOf(TfrxComponent* view, const char* path = "Picture");

// ---- the views' members prepared pages use
bool vuzIsPrintable(TfrxComponent* view);  // Printable, true without one
int vuzCursorOf(TfrxComponent* view);
AnsiString vuzURLOf(TfrxComponent* view);
AnsiString vuzHintOf(TfrxComponent* view);
bool vuzShowHintOf(TfrxComponent* view);

// ---- pages (millimetres)
struct TfrxPageMargins {
  long double Left = 0, Top = 0, Right = 0, Bottom = 0;
};
TfrxPageMargins vuzPageMargins(TfrxComponent* page);
bool vuzMirrorMargins(TfrxComponent* page);
void vuzSetLeftRightMargins(TfrxComponent* page, long double left, long double right);

// Prepares a text object as the export driver and page drawing need it.
void vuzSetMemoPrintValues(TfrxComponent* memo, int totalPages, int copyNo);
void vuzSetMemoPrintScale(TfrxComponent* memo, long double printScale);
// Through the hook (nil when no picture class is known).
TfrxComponent* vuzCreatePictureView();
// A view's absolute rectangle in device units: position x scale, moved by the
// offsets and widened by slack; values beyond int range are clamped.
struct TfrxDeviceRect {
  int Left, Top, Right, Bottom;
};
TfrxDeviceRect vuzDeviceRect(TfrxComponent* view, long double sx, long double sy, long double ox, long double oy,
                             int slack);
// Rounds halves to even; NaN and values beyond int range are clamped.
int vuzRoundClamped(long double value);

}  // namespace preview
