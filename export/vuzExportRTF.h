// The RTF export: the prepared pages laid out by the layout matrix and
// written as one RTF document of table rows (vuzExportRTFDocument), a
// section per page. The document is built in memory and written at Finish
// through a temporary file, so a failed or cancelled export leaves no file.
#pragma once
#include <functional>
#include <memory>

#include "export/vuzExportRTFDocument.h"
#include "export/vuzImageConverter.h"
#include "report/vuzClassServices.h"

namespace report {

class TfrxIEMatrix;

// The progress window of the writing step, installed by the GUI companion;
// without it nothing is shown and nobody can cancel.
struct TfrxRTFProgressHooks {
  std::function<void(int maximum, const AnsiString& message)> Start;
  // One step on; true when the user pressed Cancel.
  std::function<bool()> Tick;
  std::function<void()> Stop;
};
TfrxRTFProgressHooks& vuzRTFProgressHooks();

class TfrxRTFExport : public TfrxCustomExportFilter {
  RTL_CLASS_INFO
 public:
  explicit TfrxRTFExport(rtl::TComponent* owner = nullptr);
  ~TfrxRTFExport() override;

  AnsiString GetDescription() const override;
  int ShowModal() override;
  bool Start() override;
  void ExportObject(TfrxComponent* object) override;
  void FinishPage(TfrxComponent* page, int index) override;
  void Finish() override;

  // Published options.
  TfrxPictureType PictureType = gpPNG;
  bool ExportPageBreaks = true, ExportPictures = true, OpenAfterExport = false, Wysiwyg = true;
  AnsiString Creator = "ReziZuzore";
  TfrxHeaderFooterMode HeaderFooterMode = hfText;
  bool AutoSize = false;

  // The options dialog, installed by the GUI companion; without it the
  // filter runs with its settings.
  using DialogHandler = std::function<int(TfrxRTFExport&)>;
  static void SetDialogHandler(DialogHandler handler);

 private:
  // Prepares the matrix and writes the document into Stream, else the file
  // (nothing when the user cancels).
  void WriteDocument();

  std::unique_ptr<TfrxIEMatrix> matrix_;
};

// Makes the filter creatable by class name (stored forms, tools).
void vuzExportRTFStartup();

}  // namespace report
