// A private folder beside an export's target where every file of one export
// is written first. Commit moves what it holds into the target's folder,
// replacing files and folders of the same names; without a commit (a failed
// or cancelled export) the folder and everything in it are removed, so
// nothing is left behind and older files stay as they were.
#pragma once
#include <string>

#include "platform/rtl/strings.h"

namespace report {

class TfrxExportStaging {
 public:
  // targetFolder: where the files belong (1251, "" for the current folder).
  // Raises rtl::EInOutError when the private folder cannot be made.
  explicit TfrxExportStaging(const rtl::AnsiString& targetFolder);
  ~TfrxExportStaging();
  TfrxExportStaging(const TfrxExportStaging&) = delete;
  TfrxExportStaging& operator=(const TfrxExportStaging&) = delete;

  // Where a file (or folder) named relative to the target folder is written
  // now (1251).
  rtl::AnsiString Path(const rtl::AnsiString& relative) const;
  // Its name once committed (1251).
  rtl::AnsiString FinalPath(const rtl::AnsiString& relative) const;
  // Moves every entry into the target folder. Raises rtl::EInOutError when
  // an entry cannot be moved.
  void Commit();

 private:
  rtl::AnsiString target_;  // with a trailing "/" unless empty
  std::string native_;      // the private folder (operating-system name)
};

}  // namespace report
