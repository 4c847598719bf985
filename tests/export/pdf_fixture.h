// A report built in code for the PDF export tests: a title band with text in
// Latin and Cyrillic, shapes, lines, a check box and links, a data band of
// n rows (so the report runs over pages), and the outline entries of its
// bands. Exports go into memory or a file with a fixed clock and identifier,
// so two runs give the same bytes.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "export/vuzExportPDF.h"
#include "report/vuzClassReport.h"

namespace export_test {

// Starts the report classes, their type information and the preview layer
// for the life of the object.
class PdfScope {
 public:
  PdfScope();
  ~PdfScope();
};

struct PdfReportOptions {
  int rows = 60;
  std::string font = "Arial";
  bool outline = false;
  bool picture = true;
};

class PdfReport {
 public:
  explicit PdfReport(const PdfReportOptions& options = {});
  ~PdfReport();
  report::TfrxReport& Report() { return *report_; }
  int PageCount();

 private:
  struct Data;
  std::unique_ptr<Data> data_;
  std::unique_ptr<report::TfrxReport> report_;
};

// A filter with fixed date and identifier and no dialog.
void FixFilter(report::TfrxPDFExport& filter);
// Exports into memory: the file's bytes ("" when the export failed).
std::string ExportToBytes(PdfReport& report, const std::function<void(report::TfrxPDFExport&)>& configure = {});

// A shell command's standard output and exit status.
struct CommandResult {
  int status = -1;
  std::string output;
};
CommandResult RunCommand(const std::string& command);

}  // namespace export_test
