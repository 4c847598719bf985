#include "tools/zarnik-report/ReportFormats.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "report/vuzClassServices.h"
#include "report/vuzDsgnIntf.h"

namespace zreport {

const std::vector<TReportFormat>& ReportFormats() {
  static const std::vector<TReportFormat> formats = {
      {"fp3", {".fp3"}, "", ""},
      {"pdf", {".pdf"}, "TfrxPDFExport", "UserPassword"},
      {"rtf", {".rtf"}, "TfrxRTFExport", ""},
      {"html", {".html", ".htm"}, "TfrxHTMLExport", ""},
      {"ods", {".ods"}, "TfrxODSExport", ""},
      {"odt", {".odt"}, "TfrxODTExport", ""},
      {"txt", {".txt"}, "TfrxTXTExport", ""},
      {"biff", {".xls"}, "TfrxBIFFExport", "Password"},
      // Also an .xls file, but only when asked for by name.
      {"xls-automation", {}, "TfrxXLSExport", ""},
      {"bmp", {".bmp"}, "TfrxBMPExport", ""},
      {"jpeg", {".jpg", ".jpeg"}, "TfrxJPEGExport", ""},
      {"tiff", {".tif", ".tiff"}, "TfrxTIFFExport", ""},
      {"png", {".png"}, "TfrxPNGExport", ""},
      {"gif", {".gif"}, "TfrxGIFExport", ""},
      {"emf", {".emf"}, "TfrxEMFExport", ""},
  };
  return formats;
}

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return out;
}

}  // namespace

const TReportFormat* FindFormatByName(std::string_view name) {
  const std::string key = Lower(name);
  for (const TReportFormat& f : ReportFormats())
    if (f.name == key) return &f;
  return nullptr;
}

const TReportFormat* FindFormatByFileName(std::string_view fileName) {
  const std::size_t slash = fileName.find_last_of('/');
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return nullptr;
  const std::string ext = Lower(fileName.substr(dot));
  for (const TReportFormat& f : ReportFormats())
    for (std::string_view e : f.extensions)
      if (e == ext) return &f;
  return nullptr;
}

report::TfrxCustomExportFilter* FindRegisteredFilter(const TReportFormat& format) {
  if (format.filterClass.empty() || !report::vuzExportFiltersExist()) return nullptr;
  report::TfrxExportFilterCollection& filters = report::vuzExportFilters();
  for (int i = 0; i < filters.Count(); ++i) {
    report::TfrxCustomExportFilter* filter = filters.GetExportFilterItem(i)->Filter;
    if (filter && filter->ClassName() == format.filterClass) return filter;
  }
  return nullptr;
}

}  // namespace zreport
