#include "export/biff/vuzExportBIFFDialog.h"

#include <cctype>

#include "export/vuzExportRes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

TfrxBIFFDialogValues vuzBIFFDialogLoad(const TfrxBIFFExport& f) {
  TfrxBIFFDialogValues v;
  v.openAfterEnabled = !f.ExportToTemp;
  v.openAfter = f.OpenAfterExport && !f.ExportToTemp;
  if (!f.PageNumbers.empty()) {
    v.pageNumbers = f.PageNumbers;
    v.pages = TfrxBIFFDialogValues::pgNumbers;
  }
  v.gridLines = f.GridLines;
  v.preciseQuality = f.Inaccuracy <= 2;
  v.grouping = f.SingleSheet       ? TfrxBIFFDialogValues::grSingle
               : f.ChunkSize() > 0 ? TfrxBIFFDialogValues::grChunks
                                   : TfrxBIFFDialogValues::grOriginal;
  v.fitPages = f.FitPages;
  v.pictures = f.Pictures;
  v.deleteEmptyRows = f.DeleteEmptyRows;
  v.formulas = f.ExportFormulas;
  v.title = f.Title;
  v.author = f.Author;
  v.keywords = f.Keywords;
  v.revision = f.Revision;
  v.appName = f.AppName;
  v.subject = f.Subject;
  v.category = f.Category;
  v.company = f.Company;
  v.manager = f.Manager;
  v.comment = f.Comment;
  return v;
}

bool vuzBIFFDialogValidate(const TfrxBIFFDialogValues& v, AnsiString& error) {
  vuzLoadExportResources();
  if (v.password != v.confirmation) {
    error = vuzGet(9179);
    return false;
  }
  if (v.password.size() >= 256) {
    error = rtl::Format(vuzGet(9180), {static_cast<int>(v.password.size()), 255});
    return false;
  }
  return true;
}

int vuzBIFFChunkRows(const AnsiString& text) {
  std::int32_t rows = 0;
  if (!rtl::TryStrToInt(text, rows) || rows < 0) return 0;
  return rows;
}

void vuzBIFFDialogApply(const TfrxBIFFDialogValues& v, TfrxBIFFExport& f) {
  f.PageNumbers.clear();
  f.CurPage = v.pages == TfrxBIFFDialogValues::pgCurrent;
  if (v.pages == TfrxBIFFDialogValues::pgNumbers) f.PageNumbers = v.pageNumbers;
  f.OpenAfterExport = v.openAfter && v.openAfterEnabled;
  f.GridLines = v.gridLines;
  f.SingleSheet = v.grouping == TfrxBIFFDialogValues::grSingle;
  f.FitPages = v.fitPages;
  f.Pictures = v.pictures;
  f.DeleteEmptyRows = v.deleteEmptyRows;
  f.ExportFormulas = v.formulas;
  f.Title = v.title;
  f.Author = v.author;
  f.Keywords = v.keywords;
  f.Revision = v.revision;
  f.AppName = v.appName;
  f.Subject = v.subject;
  f.Category = v.category;
  f.Company = v.company;
  f.Manager = v.manager;
  f.Comment = v.comment;
  f.SetPassword(v.password);
  f.SetChunkSize(v.grouping == TfrxBIFFDialogValues::grChunks ? vuzBIFFChunkRows(v.chunk) : 0);
  f.Inaccuracy = v.preciseQuality ? 2 : 10;
}

AnsiString vuzBIFFSaveName(const TfrxBIFFExport& f) {
  if (!f.FileName.empty() || f.ExportToTemp) return f.FileName;
  auto* report = dynamic_cast<TfrxReport*>(f.Report);
  const AnsiString name = report ? rtl::ExtractFileName(report->FileName()) : AnsiString();
  return name.empty() ? name : rtl::ChangeFileExt(name, f.DefaultExt);
}

AnsiString vuzBIFFAutoFileName(const TfrxBIFFExport& f) {
  const AnsiString reserved = GetTempFile();
  rtl::DeleteFile(reserved);
  return reserved + f.DefaultExt;
}

bool vuzBIFFPageNumberKey(char key) {
  return std::isdigit(static_cast<unsigned char>(key)) || key == ',' || key == '-' || key == '\b';
}

}  // namespace report
