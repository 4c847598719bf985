// What the text export's dialogs show and do, without a window: the options
// as the controls hold them, the mapping to and from the filter, the rule of
// the OEM box, the live preview's export of one page, and the printer dialog's
// work on the filter's printer types. The windows (vuzExportTXT_gui.cpp) bind
// controls to these.
#pragma once
#include "export/vuzExportTXT.h"

namespace report {

struct TfrxTXTDialogOptions {
  bool NoneFrames = true, SimpleFrames = false, GraphFrames = false;
  bool GraphEnabled = false;
  bool PageBreaks = true, OEM = false, EmptyLines = false, LeadSpaces = false;
  bool PrintAfter = false, PrintAfterVisible = true;
  AnsiString ScaleX = "100", ScaleY = "100";  // per cent, as typed
  AnsiString Range;

  static TfrxTXTDialogOptions FromFilter(const TfrxTXTExport& filter);
  // Copies the options into the filter. A scale that is not a whole number
  // from 1 to 10000 is refused (the filter is left as it was) with a text
  // for the user.
  bool ApplyTo(TfrxTXTExport& filter, AnsiString* error = nullptr) const;
  // A click on the OEM box: the graphic frames need the OEM code page, so a
  // graphic choice turns into the simple one when the box is cleared.
  void OemClicked();
};

// The live preview: one page exported with the options as they are edited,
// into memory. Pages beyond the report give an empty text.
class TfrxTXTPreview {
 public:
  explicit TfrxTXTPreview(TfrxTXTExport& owner) : owner_(owner) {}
  // False (and the error text) when the options are refused or the export
  // failed; the running flag is cleared in every case.
  bool Refresh(const TfrxTXTDialogOptions& options, const AnsiString& page, AnsiString* error = nullptr);
  const AnsiString& Text() const { return text_; }
  int PageWidth() const { return width_; }
  int PageHeight() const { return height_; }
  // Set while a refresh runs: the scale controls refuse changes meanwhile.
  bool Running() const { return running_; }

 private:
  TfrxTXTExport& owner_;
  AnsiString text_;
  int width_ = 0, height_ = 0;
  bool running_ = false;
};

// The preview's text as the dialog's memo shows it, in Windows-1251: OEM text
// is read back from code page 866 with its graphic frame bytes as the simple
// set (1251 has no box-drawing characters); form feeds are left out.
AnsiString vuzTXTPreviewDisplayText(const AnsiString& text, bool oem);

// The printer dialog's actions on the filter; the current printer it started
// with comes back when the dialog is cancelled.
class TfrxPrnInitModel {
 public:
  explicit TfrxPrnInitModel(TfrxTXTExport& filter);
  TfrxTXTExport& Filter() { return filter_; }
  void SelectType(int index);
  void SetCommandEnabled(int command, bool enabled);
  void SelectPrinter(int index);
  // Ends the dialog: with a result other than OK the printer comes back; on
  // OK the copies (at least 1) become the filter's.
  void Close(int modalResult, int copies);

 private:
  TfrxTXTExport& filter_;
  int startPrinter_;
};

}  // namespace report
