// What the workbook export's options dialog shows and gives back, without a
// toolkit: the controls as plain values, filled from a filter, checked and
// applied to it, and the save dialog's first name. The window itself is
// vuzExportBIFF_gui.cpp.
#pragma once
#include "export/biff/vuzExportBIFF.h"

namespace report {

struct TfrxBIFFDialogValues {
  enum TPages { pgAll, pgCurrent, pgNumbers };
  enum TGrouping { grOriginal, grSingle, grChunks };
  TPages pages = pgAll;
  AnsiString pageNumbers;
  TGrouping grouping = grOriginal;
  AnsiString chunk = "50";  // the edit always offers 50
  bool openAfter = false, openAfterEnabled = true;
  bool autoCreateFile = false;
  // Information tab, in the order of its edits.
  AnsiString title, author, keywords, revision, appName, subject, category, company, manager, comment;
  // Both password edits start empty.
  WideString password, confirmation;
  bool preciseQuality = false, pictures = true, gridLines = true, fitPages = false, deleteEmptyRows = false,
       formulas = true;
};

TfrxBIFFDialogValues vuzBIFFDialogLoad(const TfrxBIFFExport& filter);
// False with the message the dialog shows when OK cannot be taken: the
// confirmation differs from the password (text 9179; the dialog stays open
// and asks again), or the password is too long (text 9180).
bool vuzBIFFDialogValidate(const TfrxBIFFDialogValues& values, AnsiString& error);
// Writes valid values back into the filter.
void vuzBIFFDialogApply(const TfrxBIFFDialogValues& values, TfrxBIFFExport& filter);
// The chunk edit's rows: a whole number, else 0; negative numbers give 0.
int vuzBIFFChunkRows(const AnsiString& text);
// The save dialog's first name: FileName, or the report's file name without
// its folder and with ".xls".
AnsiString vuzBIFFSaveName(const TfrxBIFFExport& filter);
// A new file name in the temporary folder with the filter's extension; no
// file is left behind for the name (automatic file creation).
AnsiString vuzBIFFAutoFileName(const TfrxBIFFExport& filter);
// The page-number edit takes digits, ",", "-" and backspace.
bool vuzBIFFPageNumberKey(char key);

}  // namespace report
