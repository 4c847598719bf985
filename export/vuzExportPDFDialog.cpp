#include "export/vuzExportPDFDialog.h"

#include <cctype>

#include "export/vuzExportDialogUtils.h"
#include "export/vuzExportHTMLDialog.h"
#include "report/vuzClassReport.h"

namespace report {

TfrxPDFDialogValues vuzPDFDialogLoad(const TfrxPDFExport& f) {
  TfrxPDFDialogValues v;
  v.openAfterVisible = !f.ExportToTemp;
  v.openAfter = f.OpenAfterExport && !f.ExportToTemp;
  v.compressed = f.Compressed;
  v.embedded = f.EmbeddedFonts;
  v.printOptimized = f.PrintOptimized;
  v.outline = f.Outline;
  v.outlineEnabled = f.Outline;
  v.background = f.Background;
  if (!f.PageNumbers.empty()) {
    v.pageNumbers = f.PageNumbers;
    v.pages = TfrxPDFDialogValues::pgNumbers;
  }
  v.ownerPassword = f.OwnerPassword;
  v.userPassword = f.UserPassword;
  const TfrxPDFEncBits flags = f.ProtectionFlags();
  v.print = flags & (1u << ePrint);
  v.modify = flags & (1u << eModify);
  v.copy = flags & (1u << eCopy);
  v.annot = flags & (1u << eAnnot);
  v.title = rtl::WideToAnsi(f.Title);
  v.author = rtl::WideToAnsi(f.Author);
  v.subject = rtl::WideToAnsi(f.Subject);
  v.keywords = rtl::WideToAnsi(f.Keywords);
  v.creator = rtl::WideToAnsi(f.Creator);
  v.producer = rtl::WideToAnsi(f.Producer);
  v.hideToolbar = f.HideToolbar;
  v.hideMenubar = f.HideMenubar;
  v.hideWindowUI = f.HideWindowUI;
  v.fitWindow = f.FitWindow;
  v.centerWindow = f.CenterWindow;
  v.printScaling = f.PrintScaling;
  return v;
}

bool vuzPDFDialogValidate(const TfrxPDFDialogValues& v, AnsiString& error) {
  const AnsiString& q = v.quality;
  bool ok = !q.empty() && q.size() <= 3;
  for (char c : q) ok = ok && std::isdigit(static_cast<unsigned char>(c));
  if (ok) {
    const int n = std::stoi(q);
    ok = n >= 1 && n <= 100;
  }
  if (!ok) error = "'" + q + "' is not a JPEG quality from 1 to 100";
  return ok;
}

void vuzPDFDialogApply(const TfrxPDFDialogValues& v, TfrxPDFExport& f) {
  f.OwnerPassword = v.ownerPassword;
  f.UserPassword = v.userPassword;
  f.SetProtectionFlags((v.print ? 1u << ePrint : 0) | (v.modify ? 1u << eModify : 0) | (v.copy ? 1u << eCopy : 0) |
                       (v.annot ? 1u << eAnnot : 0));
  f.PageNumbers.clear();
  f.CurPage = false;
  if (v.pages == TfrxPDFDialogValues::pgCurrent) f.CurPage = true;
  if (v.pages == TfrxPDFDialogValues::pgNumbers) f.PageNumbers = v.pageNumbers;
  f.OpenAfterExport = v.openAfter && v.openAfterVisible;
  f.Compressed = v.compressed;
  f.EmbeddedFonts = v.embedded;
  f.PrintOptimized = v.printOptimized;
  f.Outline = v.outline;
  f.Background = v.background;
  AnsiString error;
  if (vuzPDFDialogValidate(v, error)) f.Quality = std::stoi(v.quality);
  f.Title = rtl::AnsiToWide(v.title);
  f.Author = rtl::AnsiToWide(v.author);
  f.Subject = rtl::AnsiToWide(v.subject);
  f.Keywords = rtl::AnsiToWide(v.keywords);
  f.Creator = rtl::AnsiToWide(v.creator);
  f.Producer = rtl::AnsiToWide(v.producer);
  f.HideToolbar = v.hideToolbar;
  f.HideMenubar = v.hideMenubar;
  f.HideWindowUI = v.hideWindowUI;
  f.FitWindow = v.fitWindow;
  f.CenterWindow = v.centerWindow;
  f.PrintScaling = v.printScaling;
}

AnsiString vuzPDFSaveName(const TfrxPDFExport& f) { return vuzExportSaveName(f); }

bool vuzPDFPageNumberKey(char key) { return vuzExportPageNumberKey(key); }

}  // namespace report
