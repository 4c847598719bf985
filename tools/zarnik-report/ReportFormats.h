// The formats zarnik-report writes: the prepared-report file itself, and one
// export filter for each of the others. Each export adds or mends its row.
#pragma once
#include <string_view>
#include <vector>

namespace report {
class TfrxCustomExportFilter;
}

namespace zreport {

struct TReportFormat {
  std::string_view name;                     // the -f argument
  std::vector<std::string_view> extensions;  // lower case with the dot; the first is the usual one
  std::string_view filterClass;              // "" for the prepared-report file
  std::string_view passwordProperty;         // the published property --password sets; "" when none
};

// Every format, in the order the help lists them.
const std::vector<TReportFormat>& ReportFormats();
// The format of a -f name, or of a file's extension (compared without case);
// null when there is none. ".xls" means the workbook filter.
const TReportFormat* FindFormatByName(std::string_view name);
const TReportFormat* FindFormatByFileName(std::string_view fileName);
// The registered export filter of the format's class; null when none is.
report::TfrxCustomExportFilter* FindRegisteredFilter(const TReportFormat& format);

}  // namespace zreport
