// What the prepared-pages store asks of the report that owns it and of the
// preview control showing it: options, the stop flag, the error list, events
// and the few preview commands that drawing, hit-testing and exporting use.
//
// The host of a store made for a TfrxReport reads that report's options and
// raises its events; the preview commands go to the report's preview control
// when it offers TfrxPreviewCommands. Without a report every answer is a
// default and every command does nothing. Tests install recording hosts.
#pragma once
#include <functional>
#include <memory>

#include "platform/rtl/stringlists.h"
#include "platform/rtl/strings.h"
#include "preview/vuzPreparedFile.h"
#include "report/vuzClass.h"
#include "report/vuzClassServices.h"

namespace report {
class TfrxReport;
class TfrxCustomPreview;
}  // namespace report

namespace preview {

using report::TfrxComponent;
using rtl::AnsiString;

// What the preview control offers the store beyond the report's base of it
// (Init, Lock, Unlock, RefreshReport and the progress operations): the GUI
// preview control implements both.
class TfrxPreviewCommands {
 public:
  virtual ~TfrxPreviewCommands() = default;
  // Repaints the pages shown.
  virtual void RefreshPages() = 0;
  // Hides the message the preview shows over the pages.
  virtual void HideMessage() = 0;
  // Shows that page (1-based).
  virtual void SetPageNo(int page) = 0;
  // Shows that page (1-based) scrolled to that top (pixels).
  virtual void SetPosition(int page, int top) = 0;
  virtual bool ShowHint() const = 0;
  virtual void SetShowHint(bool value) = 0;
  virtual void SetHint(const AnsiString& text) = 0;
  virtual void Invalidate() = 0;
};

// The print options one print run uses; the print dialog edits a copy of
// them, and what it chose is in force for that print only.
struct TfrxPrintSettings {
  int Copies = 1;
  bool Collate = true;
  AnsiString PageNumbers;
  AnsiString Printer;
  bool Reverse = false;
  int PrintPages = 0;    // all, odd, even
  int PrintMode = 0;     // default, split, join, scale
  int PrintOnSheet = 0;  // paper number of the sheet; 256: the printer's own paper
  bool ShowDialog = true;
  int Duplex = 0;         // none, vertical, horizontal, simplex
  int Overlap = 3;        // millimetres neighbouring sheets of a split page share
  AnsiString OutputFile;  // print into this file instead of the queue
  AnsiString Title;       // the report's name, else its file name
  bool operator==(const TfrxPrintSettings&) const = default;
};

// The print dialog a GUI installs: edits the settings, false when cancelled.
// Without one, printing goes ahead with the settings as they are.
using TfrxPrintDialogHandler = std::function<bool(TfrxComponent* report, TfrxPrintSettings& settings)>;
TfrxPrintDialogHandler& vuzPrintDialogHandler();

class TfrxPreviewHost {
 public:
  explicit TfrxPreviewHost(TfrxComponent* report);
  virtual ~TfrxPreviewHost() = default;
  TfrxComponent* Report() const { return report_; }

  // ---- options
  virtual int MaxMemSize() const;  // mebibytes of page elements before swapping (10)
  virtual bool UseFileCache() const;
  virtual AnsiString TempDir() const;
  virtual int PagesInCache() const;  // built pages kept (50)
  virtual bool PictureCacheInFile() const;
  virtual TfrxPreparedReportSettings Settings() const;
  virtual void ApplySettings(const TfrxPreparedReportSettings& settings);
  virtual TfrxPrintSettings PrintSettings() const;
  // Puts settings into the report's print options (the output file, which
  // the options do not hold, is kept here).
  virtual void SetPrintSettings(const TfrxPrintSettings& settings);

  // ---- state of the report
  virtual bool Terminated() const;
  virtual void SetTerminated(bool value);
  // The report's error list (nil when it has none).
  virtual rtl::TStrings* Errors();
  // By the report's silent mode: a message box, nothing more, or raised.
  virtual void CommonErrorHandler(const AnsiString& text);
  // Shows an error text in a message box (the "no printer" message).
  virtual void ErrorMessage(const AnsiString& text);
  // DrillName values of the groups whose state clicks toggled (nil: none).
  virtual rtl::TStrings* DrillState();

  // ---- progress and events of the report
  virtual void ProgressStart(report::TfrxProgressType type, int progress);
  virtual void Progress(report::TfrxProgressType type, int progress);
  virtual void ProgressStop(report::TfrxProgressType type, int progress);
  // The preview window's status text (hint false) or hint text (true).
  virtual void SetProgressMessage(const AnsiString& text, bool hint);
  virtual void MouseOverObject(TfrxComponent* view);
  // OnClickObject / OnDblClickObject; a handler sets modified to have the
  // page written back.
  virtual void PreviewClick(TfrxComponent* view, int button, unsigned shift, bool& modified, bool doubleClick);
  virtual void PrintReport();
  // The print dialog (a GUI companion installs it); false when cancelled.
  virtual bool ShowPrintDialog(TfrxPrintSettings& settings);
  // OnPrintPage, before a page is printed.
  virtual void PrintPage(TfrxComponent* page, int copyNo);
  virtual void AfterPrintReport();
  // Serves pending window messages (a progress window's cancel button).
  virtual void ProcessMessages();
  // True when the filter is the process-wide dot-matrix filter.
  virtual bool IsDotMatrixFilter(report::TfrxCustomExportFilter* /*filter*/) const { return false; }

  // Hands an outside link to the desktop's opener (only what the links
  // policy lets through reaches this).
  virtual bool OpenExternal(const AnsiString& target);

  // ---- the preview control (all do nothing without one)
  virtual bool HasPreview() const;
  virtual void PreviewLock();
  virtual void PreviewRefresh();
  virtual void PreviewHideMessage();
  virtual void PreviewSetPageNo(int page);
  virtual void PreviewSetPosition(int page, int top);
  virtual bool PreviewShowHint() const;
  virtual void SetPreviewShowHint(bool value);
  // Whether the preview shows the views' hints at all.
  virtual bool PreviewUseReportHints() const;
  virtual void SetPreviewHint(const AnsiString& text);
  virtual void PreviewInvalidate();
  // Builds the report again (after a drill-down toggle).
  virtual void PreviewRefreshReport();

 private:
  report::TfrxCustomPreview* Control() const;
  TfrxPreviewCommands* Commands() const;
  TfrxComponent* report_;
  report::TfrxReport* full_;
  AnsiString printOutputFile_;  // the report when it is the engine's report object
};

}  // namespace preview
