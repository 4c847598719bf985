// Feeds arbitrary bytes to the picture readers (EMF, placeable WMF, JPEG,
// icon, bitmap, chosen by the first bytes), then plays or draws what was
// read onto a bitmap and a recording canvas and writes it back. Any escape
// other than the readers' own errors, any crash, hang or runaway allocation
// is a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/metafile.h"
#include "platform/gfx/picture.h"
#include "platform/gfx/recording_canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
  gfx::TPicture picture;
  try {
    picture.LoadFromStream(in);
  } catch (const rtl::Exception&) {
    return 0;  // a clear error is the expected answer to bad input
  }
  gfx::TGraphic* graphic = picture.Graphic();
  if (!graphic) return 0;
  // Drawing surfaces end at 32767 pixels a side; bitmaps read beyond that
  // are the bitmap reader's and canvas's business, not this target's.
  if (graphic->Width() > 32767 || graphic->Height() > 32767) return 0;
  try {
    gfx::TBitmap target(32, 24, gfx::pf24bit);
    target.Canvas().StretchDraw(gfx::Rect(1, 1, 31, 23), *graphic);
    gfx::TRecordingCanvas recording;
    recording.StretchDraw(gfx::Rect(0, 0, 320, 240), *graphic);
    if (auto* mf = dynamic_cast<gfx::TMetafile*>(graphic)) {
      (void)mf->TextRecords();
      rtl::TMemoryStream out;
      mf->SetEnhanced(!mf->Enhanced());  // the other form too
      mf->SaveToStream(out);
    }
    rtl::TMemoryStream out;
    picture.WriteData(out);
  } catch (const rtl::Exception&) {
  }
  return 0;
}
