// Fonts, pens, brushes, canvases, pictures and colours for scripts. A GUI
// companion (it reaches the graphics layer through the GUI's arrow).
#pragma once
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/graphic.h"
#include "script/fs_iinterpreter.h"

namespace script {
namespace fs_igraphicsrtti {

class TFunctions : public TfsRTTIModule {
 public:
  explicit TFunctions(TfsScript* script);
};

}  // namespace fs_igraphicsrtti

// A canvas as a script object (the graphics layer's canvases are not objects
// of the class hierarchy): lent by its owner, or owning its own surface.
class TfsCanvasObject : public rtl::TObject {
 public:
  explicit TfsCanvasObject(gfx::TCanvas* lent) : canvas_(lent) {}
  explicit TfsCanvasObject(std::unique_ptr<gfx::TCanvas> owned) : owned_(std::move(owned)), canvas_(owned_.get()) {}
  // A canvas on a bitmap of its own.
  TfsCanvasObject();
  gfx::TCanvas& Canvas() const { return *canvas_; }

 private:
  std::unique_ptr<gfx::TBitmap> surface_;
  std::unique_ptr<gfx::TCanvas> owned_;
  gfx::TCanvas* canvas_;
};

// A picture (bitmap or metafile) as a script object.
class TfsGraphicObject : public rtl::TObject {
 public:
  explicit TfsGraphicObject(std::unique_ptr<gfx::TGraphic> graphic) : graphic_(std::move(graphic)) {}
  gfx::TGraphic& Graphic() const { return *graphic_; }
  // The bitmap's canvas as a script object, made once.
  TfsCanvasObject* CanvasObject();

 private:
  std::unique_ptr<gfx::TGraphic> graphic_;
  std::unique_ptr<TfsCanvasObject> canvas_;
};

void fsGraphicsRTTIStartup();
void fsGraphicsRTTIShutdown();

}  // namespace script
