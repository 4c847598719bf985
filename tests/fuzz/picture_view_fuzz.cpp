// Feeds arbitrary bytes to the picture object as a database field would
// (with or without the graphic-field prefix), then draws it stretched and
// unstretched, centred, keeping its aspect or not, on a recording canvas.
// Nothing may escape: unknown or damaged data only clears the picture.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx/recording_canvas.h"
#include "report/vuzClassPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  report::TfrxPictureView view(nullptr);
  view.SetBounds(3, 4, 50, 40);
  rtl::TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
  const report::TfrxPictureLoadResult result = view.LoadPictureFromStream(in, true);
  if (result != report::plOk && !view.Picture()->Empty()) __builtin_trap();
  gfx::TRecordingCanvas canvas;
  view.Draw(canvas, 1, 1, 0, 0);
  view.SetCenter(true);
  view.SetKeepAspectRatio(size % 2 == 0);
  view.Draw(canvas, 0.5L, 2, 7, 9);
  view.SetStretched(false);
  view.Draw(canvas, 1.5L, 1.5L, 0, 0);
  return 0;
}
