#include "export/vuzExportDialogUtils.h"

#include <cctype>

#include "platform/rtl/files.h"
#include "report/vuzClassReport.h"

namespace report {

AnsiString vuzExportSaveName(const TfrxCustomExportFilter& f) {
  if (!f.FileName.empty() || f.ExportToTemp) return f.FileName;
  auto* report = dynamic_cast<TfrxReport*>(f.Report);
  AnsiString name = report ? report->FileName() : AnsiString();
  for (char& c : name)
    if (c == '/') c = '\\';
  name = name.substr(name.find_last_of('\\') == AnsiString::npos ? 0 : name.find_last_of('\\') + 1);
  return name.empty() ? name : rtl::ChangeFileExt(name, f.DefaultExt);
}

bool vuzExportPageNumberKey(char key) {
  return std::isdigit(static_cast<unsigned char>(key)) || key == ',' || key == '-' || key == '\b';
}

}  // namespace report
