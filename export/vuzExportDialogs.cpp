#include "export/vuzExportDialogs.h"

#include <cctype>

#include "platform/rtl/files.h"
#include "report/vuzClassReport.h"

namespace report {

AnsiString vuzExportSaveName(const TfrxCustomExportFilter& f) {
  if (!f.FileName.empty() || f.ExportToTemp) return f.FileName;
  auto* report = dynamic_cast<TfrxReport*>(f.Report);
  const AnsiString name = report ? rtl::ExtractFileName(rtl::ToSlashes(report->FileName())) : AnsiString();
  return name.empty() ? AnsiString() : rtl::ChangeFileExt(name, f.DefaultExt);
}

bool vuzPageNumberKey(char key) {
  return std::isdigit(static_cast<unsigned char>(key)) || key == ',' || key == '-' || key == '\b';
}

}  // namespace report
