// One print run of the prepared pages on a printer: the page loop with its
// copies, collation, order and odd/even pages, the printer settings sent
// only when a page needs other ones, duplex back pages, and the four ways
// pages map to sheets (own paper, scaled onto a sheet, split over several
// sheets, several joined on one sheet).
#pragma once
#include <vector>

#include "preview/vuzPreviewHost.h"
#include "preview/vuzPrintPlan.h"
#include "preview/vuzPrinter.h"

namespace preview {

class TfrxPreviewPages;

class TfrxPrintRun {
 public:
  // list: the page indices typed (empty: every page), from vuzPrintPageList.
  TfrxPrintRun(TfrxPreviewPages& store, TfrxPreviewHost& host, TfrxCustomPrinter& printer,
               const TfrxPrintSettings& settings, std::vector<int> list);
  // Prints every copy; an exception passes on with the document still open
  // (DocumentStarted() says so, for the caller to abort it).
  void Run();
  bool DocumentStarted() const { return started_ && !aborted_; }

 private:
  struct SentParams {
    int Paper = -1;
    long long Width = -1, Height = -1;
    int Bin = -1, Orientation = -1, Duplex = -1;
    bool operator==(const SentParams&) const = default;
  };
  struct PageParams {
    int Paper;
    long double Width, Height;
    int Orientation, Bin, Duplex;
  };
  PageParams ParamsOf(TfrxComponent* page, int index);
  // The position's page built, the copy number set and OnPrintPage raised;
  // -1 to skip it, -2 when the user stopped the run.
  int TakePage(int position, int copyNo, TfrxComponent*& page);
  bool PageLoop(int copyNo, int requested);
  bool SingleStep(int position, int copyNo, int requested);
  bool SplitStep(int position, int copyNo, int requested);
  // Places cellsPerPage copies of each page in consecutive cells, numbered
  // from firstCopyNo on (a page whose cells run out at a sheet's end
  // continues on the next sheet).
  void Join(int cellsPerPage, int copyNo);
  void AbortDocument();
  void BlankBackPage();
  void PageDone(int index);

  TfrxPreviewPages& store_;
  TfrxPreviewHost& host_;
  TfrxCustomPrinter& printer_;
  TfrxPrintSettings s_;
  std::vector<int> list_;
  int positions_ = 0;
  long double sheetWidth_ = 0, sheetHeight_ = 0;
  bool started_ = false, aborted_ = false;
  bool duplexSide_ = false;
  int lastDuplex_ = -1;
  SentParams last_;
};

}  // namespace preview
