// What the picture export's dialog shows and does, without a window: the
// options as its controls hold them and their mapping to and from the filter.
#pragma once
#include "export/vuzExportImage.h"

namespace report {

struct TfrxIMGDialogOptions {
  enum TPages { pgAll, pgCurrent, pgNumbers };
  AnsiString Quality = "90", Resolution = "96";  // as typed
  bool QualityEnabled = false, MonoEnabled = true, SeparateVisible = true;
  bool Crop = false, Mono = false, Separate = true;
  TPages Pages = pgAll;
  AnsiString PageNumbers;

  static TfrxIMGDialogOptions FromFilter(const TfrxCustomImageExport& filter);
  // Copies the options into the filter. Quality must be a whole number from
  // 1 to 100 and the resolution one within the filter's range; otherwise the
  // filter stays as it was and the text says why.
  bool ApplyTo(TfrxCustomImageExport& filter, AnsiString* error = nullptr) const;
  // The page edit takes digits, "," and "-" only.
  static bool PageKeyAllowed(char key);
};

}  // namespace report
