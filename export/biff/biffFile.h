// A workbook as an Excel 97-2003 file: the compound file with the
// "Workbook" stream and the two property-set streams.
#pragma once
#include <cstdint>

#include "export/biff/biffWorkbook.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

struct TBiffDocumentInfo {
  rtl::WideString Title, Subject, Author, Keywords, Revision, Application, Comments;
  rtl::WideString Category, Company, Manager;
  std::uint64_t Created = 0;  // FILETIME in UTC; 0 takes the current time
};

// Flushes the workbook into a record stream (in memory or in the file cache)
// and writes the whole file to output.
void BiffWriteWorkbookFile(TBiffWorkbook& workbook, rtl::TStream& output, const TBiffDocumentInfo& info,
                           bool useFileCache = true);

}  // namespace report
