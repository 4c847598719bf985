// The RTF document of a prepared layout matrix: font and colour tables,
// document information, one section per page and one table row per matrix
// row, whose cells carry each object's text (font, colour, paragraph
// settings) or picture, fill and borders. Page headers and footers can stay
// rows where they stand, become the document's header and footer, or go.
#pragma once
#include <functional>
#include <string>

#include "export/vuzImageConverter.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

class TfrxIEMatrix;

// What happens to the objects of page headers and footers.
enum TfrxHeaderFooterMode { hfText = 0, hfPrint = 1, hfNone = 2 };

struct TfrxRTFDocumentOptions {
  TfrxPictureType PictureType = gpPNG;
  bool ExportPageBreaks = true;
  bool ExportPictures = true;
  bool AutoSize = false;  // row heights are minimum heights
  TfrxHeaderFooterMode HeaderFooterMode = hfText;
  rtl::WideString Title, Author;
  rtl::TDateTime Created = 0;
  // Called once per row of every pass; true when the user cancelled.
  std::function<bool()> Cancelled;
};

// Writes the document of a prepared matrix into out, in pieces. Answers
// false when the user cancelled (out then holds a partial document nobody
// should keep). Resets every object's ExportMark.
bool vuzWriteRTFDocument(TfrxIEMatrix& matrix, const TfrxRTFDocumentOptions& options, rtl::TStream& out);

}  // namespace report
