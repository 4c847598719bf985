// zarnik-report: prepares the recorder report of a process file with the
// program's templates and feed, and saves the prepared pages (.fp3) or
// exports them through one of the registered export filters. A developers'
// and tests' tool; the program's users export from the preview window.
//
//   zarnik-report PROCESS.bin -o OUT [-f FORMAT] [--pages 1-3,7] [--password TEXT]
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "export/biff/biffExcelStandIn.h"
#include "export/vuzExportImage.h"
#include "platform/rtl/format.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassServices.h"
#include "tools/zarnik-report/ReportFormats.h"

namespace {

namespace fs = std::filesystem;

enum TExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

struct TOptions {
  std::string process, output, format, pages, password;
  bool hasPages = false, hasPassword = false;
};

void PrintUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: zarnik-report PROCESS.bin -o OUT [-f FORMAT] [--pages LIST] [--password TEXT]\n"
               "  Prepares the recorder report of an archive process file and saves it.\n"
               "  FORMAT (else taken from OUT's extension; .xls is the workbook):");
  for (const zreport::TReportFormat& f : zreport::ReportFormats())
    std::fprintf(to, " %.*s", int(f.name.size()), f.name.data());
  std::fprintf(to,
               "\n  --pages 1-3,7   pages to export (not for fp3)\n"
               "  --password TEXT password of the output, where the format has one\n");
}

// One clear line on the error output.
int Fail(const std::string& message) {
  std::fprintf(stderr, "zarnik-report: %s\n", message.c_str());
  return kFailed;
}

bool ParseArguments(int argc, char** argv, TOptions& o, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        error = std::string(a) + " needs a value";
        return false;
      }
      into = argv[++i];
      return true;
    };
    if (a == "-o" || a == "--output") {
      if (!value(o.output)) return false;
    } else if (a == "-f" || a == "--format") {
      if (!value(o.format)) return false;
    } else if (a == "--pages") {
      if (!value(o.pages)) return false;
      o.hasPages = true;
    } else if (a == "--password") {
      if (!value(o.password)) return false;
      o.hasPassword = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      error = "unknown option " + std::string(a);
      return false;
    } else if (o.process.empty()) {
      o.process = a;
    } else {
      error = "more than one process file given";
      return false;
    }
  }
  if (o.process.empty())
    error = "no process file given";
  else if (o.output.empty())
    error = "no output file given (-o OUT)";
  return error.empty();
}

// "1-3,7": page numbers and ranges of them, separated by commas.
bool PageListIsValid(std::string_view pages) {
  auto number = [](std::string_view n) {
    return !n.empty() && n.find_first_not_of("0123456789") == std::string_view::npos;
  };
  while (true) {
    const std::size_t comma = pages.find(',');
    const std::string_view item = pages.substr(0, comma);
    const std::size_t dash = item.find('-');
    if (!number(item.substr(0, dash))) return false;
    if (dash != std::string_view::npos && !number(item.substr(dash + 1))) return false;
    if (comma == std::string_view::npos) return true;
    pages.remove_prefix(comma + 1);
  }
}

// Exports write into a folder of their own beside the output, under the
// output's name; only a whole export is moved out of it (every file it made:
// an export of pictures makes one file per page), and a failed one goes with
// the folder.
class TExportFolder {
 public:
  explicit TExportFolder(const fs::path& output) {
    const fs::path parent = output.has_parent_path() ? output.parent_path() : fs::path(".");
    folder_ = parent / (".zarnik-report-" + std::to_string(::getpid()));
    std::error_code ec;
    created_ = fs::create_directory(folder_, ec);
  }
  ~TExportFolder() {
    std::error_code ec;
    if (created_) fs::remove_all(folder_, ec);
  }
  bool Created() const { return created_; }
  fs::path File(const fs::path& output) const { return folder_ / output.filename(); }
  // Moves what the export made next to the output; false when it made nothing
  // or a file could not be moved.
  bool MoveOut(const fs::path& output) {
    const fs::path parent = output.has_parent_path() ? output.parent_path() : fs::path(".");
    std::error_code ec;
    int moved = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(folder_, ec)) {
      fs::rename(e.path(), parent / e.path().filename(), ec);
      if (ec) return false;
      ++moved;
    }
    return !ec && moved > 0;
  }

 private:
  fs::path folder_;
  bool created_ = false;
};

int Export(report::TfrxReport& r, report::TfrxCustomExportFilter& filter, const zreport::TReportFormat& format,
           const TOptions& o) {
  const fs::path output = o.output;
  TExportFolder work(output);
  if (!work.Created()) return Fail("cannot write " + o.output);
  filter.ShowDialog = false;
  filter.ShowProgress = false;
  filter.OverwritePrompt = false;
  filter.FileName = rtl::Utf8ToAnsi(work.File(output).string());
  filter.PageNumbers = o.hasPages ? rtl::AnsiString(o.pages) : rtl::AnsiString();
  filter.CurPage = false;
  // A picture export writes one file: all pages in one picture, a TIFF with
  // one image per page.
  if (auto* picture = dynamic_cast<report::TfrxCustomImageExport*>(&filter)) {
    picture->SeparateFiles = false;
    picture->MultiImage = true;
  }
  if (o.hasPassword) rtl::SetPropValue(filter, format.passwordProperty, rtl::Variant(rtl::Utf8ToWide(o.password)));
  if (!r.Export(&filter))
    return Fail("the " + std::string(format.name) + " export failed" +
                (r.Errors().Count() ? ": " + rtl::AnsiToUtf8(r.Errors().Strings(0)) : std::string()));
  if (!work.MoveOut(output)) return Fail("cannot write " + o.output);
  return kOk;
}

int Run(const TOptions& o) {
  const zreport::TReportFormat* format =
      o.format.empty() ? zreport::FindFormatByFileName(o.output) : zreport::FindFormatByName(o.format);
  if (!format)
    return Fail(o.format.empty() ? "cannot tell the format from " + o.output + "; give -f FORMAT"
                                 : "unknown format " + o.format);
  if (o.hasPages && (format->filterClass.empty() || !PageListIsValid(o.pages)))
    return Fail(format->filterClass.empty() ? "--pages applies to exports, not to fp3"
                                            : "bad page list " + o.pages + " (e.g. 1-3,7)");
  if (o.hasPassword && format->passwordProperty.empty())
    return Fail("the " + std::string(format->name) + " format has no password");

  app::TReportEngineStartup started;
  // The picture exports, which the program's window does not offer.
  rtl::TComponent pictures(nullptr);
  report::vuzCreatePictureExports(&pictures);
  // No spreadsheet application here: the automation export drives the
  // in-process one, which writes the workbook itself.
  report::BiffExcelStandInStartup();
  report::TfrxCustomExportFilter* filter = nullptr;
  if (!format->filterClass.empty()) {
    filter = zreport::FindRegisteredFilter(*format);
    if (!filter) return Fail("the " + std::string(format->name) + " export is not available in this build");
  }

  // Numbers as the program shows them.
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  app::TProcessFileReport recorderReport;
  switch (recorderReport.Load(rtl::Utf8ToAnsi(o.process))) {
    case app::TProcessLoadResult::Loaded: break;
    case app::TProcessLoadResult::Unreadable: return Fail("cannot read process file " + o.process);
    case app::TProcessLoadResult::Damaged: return Fail("not a process file, or a damaged one: " + o.process);
  }
  report::TfrxReport& r = recorderReport.Report();
  if (!recorderReport.Prepare())
    return Fail("the report could not be prepared" +
                (r.Errors().Count() ? ": " + rtl::AnsiToUtf8(r.Errors().Strings(0)) : std::string()));

  if (!filter) {
    // The prepared-pages store writes beside the file and renames it over.
    r.PreviewPages()->SaveToFile(rtl::Utf8ToAnsi(o.output));
    return kOk;
  }
  return Export(r, *filter, *format, o);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    PrintUsage(stdout);
    return kOk;
  }
  TOptions o;
  std::string error;
  if (!ParseArguments(argc, argv, o, error)) {
    std::fprintf(stderr, "zarnik-report: %s\n", error.c_str());
    PrintUsage(stderr);
    return kUsage;
  }
  try {
    return Run(o);
  } catch (const std::exception& e) {
    return Fail("cannot write " + o.output + ": " + rtl::AnsiToUtf8(e.what()));
  } catch (...) {
    return Fail("cannot write " + o.output);
  }
}
