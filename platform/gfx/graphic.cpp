#include "platform/gfx/graphic.h"

#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"

namespace gfx {

void TGraphic::LoadFromFile(const rtl::AnsiString& fileName) {
  rtl::TFileStream stream(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const rtl::AnsiString& fileName) const {
  // A failed save keeps the old file.
  rtl::SaveFileAtomically(fileName, [this](rtl::TStream& stream) { SaveToStream(stream); });
}

void TGraphic::Assign(const TGraphic& source) {
  if (&source == this) return;
  if (source.ClassName() != ClassName())
    throw rtl::EConvertError("Cannot assign a " + source.ClassName() + " to a " + ClassName());
  rtl::TMemoryStream buffer;
  source.SaveToStream(buffer);
  buffer.SetPosition(0);
  LoadFromStream(buffer);
  SetTransparent(source.Transparent());
}

}  // namespace gfx
