#include "export/vuzExportImageDialog.h"

#include "export/vuzExportDialogs.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace report {

using namespace rtl::literals;

TfrxIMGDialogOptions TfrxIMGDialogOptions::FromFilter(const TfrxCustomImageExport& f) {
  TfrxIMGDialogOptions o;
  o.Quality = std::to_string(f.JPEGQuality);
  o.QualityEnabled = dynamic_cast<const TfrxJPEGExport*>(&f) != nullptr;
  o.Crop = f.CropImages;
  o.Mono = f.Monochrome;
  o.MonoEnabled = dynamic_cast<const TfrxGIFExport*>(&f) == nullptr;
  o.Resolution = std::to_string(f.Resolution);
  o.SeparateVisible = !f.ExportToTemp;
  o.Separate = f.ExportToTemp ? false : f.SeparateFiles;
  if (!f.PageNumbers.empty()) {
    o.PageNumbers = f.PageNumbers;
    o.Pages = pgNumbers;
  }
  return o;
}

bool TfrxIMGDialogOptions::ApplyTo(TfrxCustomImageExport& f, AnsiString* error) const {
  int quality = 0, resolution = 0;
  if (!rtl::TryStrToInt(rtl::Trim(Quality), quality) || quality < 1 || quality > 100) {
    if (error) *error = "Качество JPEG должно быть целым числом от 1 до 100"_cp;
    return false;
  }
  if (!rtl::TryStrToInt(rtl::Trim(Resolution), resolution) || resolution < TfrxCustomImageExport::kMinResolution ||
      resolution > TfrxCustomImageExport::kMaxResolution) {
    if (error)
      *error = "Разрешение должно быть целым числом от "_cp + std::to_string(TfrxCustomImageExport::kMinResolution) +
               " до "_cp + std::to_string(TfrxCustomImageExport::kMaxResolution);
    return false;
  }
  f.JPEGQuality = quality;
  f.Resolution = resolution;
  f.CropImages = Crop;
  f.Monochrome = MonoEnabled && Mono;
  f.SeparateFiles = SeparateVisible && Separate;
  f.PageNumbers.clear();
  f.CurPage = Pages == pgCurrent;
  if (Pages == pgNumbers) f.PageNumbers = PageNumbers;
  return true;
}

bool TfrxIMGDialogOptions::PageKeyAllowed(char key) { return vuzPageNumberKey(key); }

}  // namespace report
