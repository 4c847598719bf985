// The preview window on the GUI layer: a toolbar, the page area with its
// scroll bars, the thumbnail strip and a status bar around the window-free
// preview control (vuzPreviewControl), which does the work.
#pragma once
#include <memory>

#include "preview/vuzPreviewControl.h"
#include "report/vuzClassReport.h"

namespace gui {
class TForm;
class TControl;
class TTreeView;
class TPopupMenu;
}  // namespace gui

namespace preview {

class TfrxPreviewForm;

// Installs the preview window for ShowReport / ShowPreparedReport, and the
// print dialog for printing.
void vuzPreviewGuiStartup();

// A preview window for the report (what the report hooks create).
std::unique_ptr<TfrxPreviewForm> vuzCreatePreviewForm(report::TfrxReport& report);

// What tests reach of the window.
gui::TForm& vuzPreviewFormWindow(TfrxPreviewForm& form);
// The preview window a form is, nil for any other form.
TfrxPreviewForm* vuzPreviewFormOf(gui::TForm* window);
void vuzPreviewFormShowThumbnails(TfrxPreviewForm& form, bool show);
void vuzPreviewFormShowOutline(TfrxPreviewForm& form, bool show);
gui::TTreeView& vuzPreviewFormOutline(TfrxPreviewForm& form);
// The right-click menu of the page area.
gui::TPopupMenu& vuzPreviewFormRightMenu(TfrxPreviewForm& form);
bool vuzPreviewFormFullScreen(TfrxPreviewForm& form);
TfrxPreview& vuzPreviewFormControl(TfrxPreviewForm& form);
// The page area (to click, drag and grab) and the thumbnail strip.
gui::TControl& vuzPreviewFormPages(TfrxPreviewForm& form);
gui::TControl& vuzPreviewFormThumbnails(TfrxPreviewForm& form);
AnsiString vuzPreviewFormStatus(TfrxPreviewForm& form);
AnsiString vuzPreviewFormZoomText(TfrxPreviewForm& form);
AnsiString vuzPreviewFormPageText(TfrxPreviewForm& form);
// Types into the zoom box or the page box and presses Enter.
void vuzPreviewFormEnterZoom(TfrxPreviewForm& form, const AnsiString& text);
void vuzPreviewFormEnterPage(TfrxPreviewForm& form, const AnsiString& text);

}  // namespace preview
