#include "platform/gfx/graphic.h"

#include <cstdio>
#include <filesystem>

#include "platform/rtl/streams.h"

namespace gfx {

namespace {
std::filesystem::path NativePath(const rtl::AnsiString& name) {
  std::string p = rtl::AnsiToUtf8(name);
  for (auto& c : p)
    if (c == '\\') c = '/';
  return std::filesystem::path(p);
}
}  // namespace

void TGraphic::LoadFromFile(const rtl::AnsiString& fileName) {
  rtl::TFileStream stream(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const rtl::AnsiString& fileName) const {
  // Write beside the target, then rename, so a failed save keeps the old file.
  rtl::AnsiString temp = fileName + ".tmp~";
  try {
    {
      rtl::TFileStream stream(temp, rtl::fmCreate);
      SaveToStream(stream);
    }
    std::error_code ec;
    std::filesystem::rename(NativePath(temp), NativePath(fileName), ec);
    if (ec) throw rtl::EFCreateError("Cannot create file \"" + fileName + "\". " + ec.message());
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove(NativePath(temp), ec);
    throw;
  }
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
