#include "export/biff/biffFile.h"

#include "export/biff/cbffDocument.h"
#include "export/biff/olepsStream.h"

namespace report {

void BiffWriteWorkbookFile(TBiffWorkbook& workbook, rtl::TStream& output, const TBiffDocumentInfo& info,
                           bool useFileCache) {
  TCbffDocument document;
  {
    TBiffStream stream(useFileCache);
    workbook.Flush(stream);
    TCbffDir* book = document.Root().Add(u"Workbook");
    stream.SaveToStream(book->Data);
  }
  const std::uint64_t created = info.Created ? info.Created : OlepsFileTimeNow();
  {
    TOlepsStream summary;
    TOlepsPropSet* set = summary.Add(kOlepsSummaryInformation);
    set->AddUCS(2, info.Title);
    set->AddUCS(3, info.Subject);
    set->AddUCS(4, info.Author);
    set->AddUCS(5, info.Keywords);
    set->AddUCS(8, info.Author);
    set->AddUCS(9, info.Revision);
    set->AddUCS(18, info.Application);
    set->AddUCS(6, info.Comments);
    set->AddTime(12, created);
    set->AddTime(13, created);
    set->Add(19, 3)->WriteVal(0, 4);
    TCbffDir* dir = document.Root().Add(u"\u0005SummaryInformation");
    summary.Flush(dir->Data);
  }
  {
    TOlepsStream docSummary;
    TOlepsPropSet* set = docSummary.Add(kOlepsDocSummaryInformation);
    set->AddUCS(2, info.Category);
    set->AddUCS(15, info.Company);
    set->AddUCS(14, info.Manager);
    TCbffDir* dir = document.Root().Add(u"\u0005DocumentSummaryInformation");
    docSummary.Flush(dir->Data);
  }
  document.Flush(output);
}

}  // namespace report
