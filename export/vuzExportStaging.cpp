#include "export/vuzExportStaging.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"

namespace report {

namespace fs = std::filesystem;

TfrxExportStaging::TfrxExportStaging(const rtl::AnsiString& targetFolder) {
  target_ = targetFolder.empty() ? rtl::AnsiString() : rtl::IncludeTrailingPathDelimiter(targetFolder);
  // Beside the target, so that moving into place is a rename on one file
  // system; a hidden name that no export of ours would choose.
  std::string pattern = rtl::NativePath(target_.empty() ? rtl::AnsiString("./") : target_) + ".zarnik-export-XXXXXX";
  if (!::mkdtemp(pattern.data()))
    throw rtl::EInOutError("Cannot create a folder for the export in " +
                           (target_.empty() ? rtl::AnsiString(".") : target_));
  native_ = pattern;
}

TfrxExportStaging::~TfrxExportStaging() {
  std::error_code ec;
  fs::remove_all(native_, ec);
}

rtl::AnsiString TfrxExportStaging::Path(const rtl::AnsiString& relative) const {
  return rtl::FromNativePath(native_) + "/" + relative;
}

rtl::AnsiString TfrxExportStaging::FinalPath(const rtl::AnsiString& relative) const { return target_ + relative; }

void TfrxExportStaging::Commit() {
  const fs::path to = rtl::NativePath(target_.empty() ? rtl::AnsiString("./") : target_);
  std::error_code ec;
  std::vector<fs::path> entries;
  for (const fs::directory_entry& e : fs::directory_iterator(native_, ec)) entries.push_back(e.path());
  if (ec) throw rtl::EInOutError("Cannot write into " + target_ + ": " + rtl::AnsiString(ec.message()));
  int n = 0;
  for (const fs::path& entry : entries) {
    const fs::path dest = to / entry.filename();
    std::error_code ignore;
    // A folder of the same name from an earlier export cannot be renamed
    // over: it is moved aside into this folder first and goes with it.
    if (fs::is_directory(fs::symlink_status(entry, ignore)) && fs::is_directory(fs::symlink_status(dest, ignore)))
      fs::rename(dest, fs::path(native_) / (".old" + std::to_string(n++)), ignore);
    std::error_code moved;
    fs::rename(entry, dest, moved);
    if (moved)
      throw rtl::EInOutError("Cannot write " + rtl::FromNativePath(dest.string()) + ": " +
                             rtl::AnsiString(moved.message()));
  }
}

}  // namespace report
