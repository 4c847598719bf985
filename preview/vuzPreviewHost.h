// What the prepared-pages store asks of the report that owns it and of the
// preview control showing it: options, the stop flag, the error list, events
// and the few preview commands that drawing, hit-testing and exporting use.
//
// The default host reads the report's published options by name
// ("EngineOptions.MaxMemSize", ...) and answers defaults where a report
// lacks them; the report object installs a host that knows it directly, and
// tests install recording ones.
#pragma once
#include <memory>

#include "platform/rtl/stringlists.h"
#include "platform/rtl/strings.h"
#include "preview/vuzPreparedFile.h"
#include "report/vuzClass.h"
#include "report/vuzClassServices.h"

namespace preview {

using report::TfrxComponent;
using rtl::AnsiString;

class TfrxPreviewHost {
 public:
  explicit TfrxPreviewHost(TfrxComponent* report) : report_(report) {}
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
  virtual rtl::TStrings* DrillState() { return nullptr; }

  // ---- progress and events of the report
  virtual void ProgressStart(report::TfrxProgressType /*type*/, int /*progress*/) {}
  virtual void Progress(report::TfrxProgressType /*type*/, int /*progress*/) {}
  virtual void ProgressStop(report::TfrxProgressType /*type*/, int /*progress*/) {}
  // The preview window's status text (hint false) or hint text (true).
  virtual void SetProgressMessage(const AnsiString& /*text*/, bool /*hint*/) {}
  virtual void MouseOverObject(TfrxComponent* /*view*/) {}
  // OnClickObject / OnDblClickObject; a handler sets modified to have the
  // page written back.
  virtual void PreviewClick(TfrxComponent* /*view*/, int /*button*/, unsigned /*shift*/, bool& /*modified*/,
                            bool /*doubleClick*/) {}
  virtual void PrintReport() {}
  // The print dialog (a GUI companion installs it); false when cancelled.
  virtual bool ShowPrintDialog() { return true; }
  virtual void AfterPrintReport() {}
  // Serves pending window messages (a progress window's cancel button).
  virtual void ProcessMessages() {}
  // True when the filter is the process-wide dot-matrix filter.
  virtual bool IsDotMatrixFilter(report::TfrxCustomExportFilter* /*filter*/) const { return false; }

  // Hands an outside link to the desktop's opener (only what the links
  // policy lets through reaches this).
  virtual bool OpenExternal(const AnsiString& target);

  // ---- the preview control (all do nothing without one)
  virtual bool HasPreview() const { return false; }
  virtual void PreviewLock() {}
  virtual void PreviewRefresh() {}
  virtual void PreviewHideMessage() {}
  virtual void PreviewSetPageNo(int /*page*/) {}
  virtual void PreviewSetPosition(int /*page*/, int /*top*/) {}
  virtual bool PreviewShowHint() const { return false; }
  virtual void SetPreviewShowHint(bool /*value*/) {}
  // Whether the preview shows the views' hints at all.
  virtual bool PreviewUseReportHints() const { return true; }
  virtual void SetPreviewHint(const AnsiString& /*text*/) {}
  virtual void PreviewInvalidate() {}
  // Builds the report again (after a drill-down toggle).
  virtual void PreviewRefreshReport() {}

 protected:
  // A published property of the report by dotted name, or nullptr.
  const rtl::TPropInfo* Find(const char* path, rtl::TObject*& holder) const;
  long long OrdOr(const char* path, long long fallback) const;
  AnsiString StrOr(const char* path, const AnsiString& fallback) const;

 private:
  TfrxComponent* report_;
};

}  // namespace preview
