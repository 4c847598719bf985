// What the filters' option windows share: controls placed and owned by
// their window (so a test finds them by name), the fixed dialog frame with
// F1 help, the OK and Cancel buttons, and the save dialog asked after OK.
#pragma once
#include <memory>

#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzClassServices.h"

namespace report {

// A control named name on parent, owned by parent's window.
template <class T>
T* vuzPutControl(gui::TControl* parent, const char* name, int left, int top, int width, int height,
                 const AnsiString& caption = {}) {
  gui::TControl* window = parent;
  while (window->Parent()) window = window->Parent();
  auto* c = new T(window);
  c->SetName(name);
  c->SetParent(parent);
  // The caption first: a label sizes itself to it, and the bounds given win.
  if (!caption.empty()) c->SetCaption(caption);
  c->SetBounds(left, top, width, height);
  return c;
}

// The same for a control no one looks up by name.
template <class T>
T* vuzPlaceControl(gui::TControl* parent, int left, int top, int width, int height, const AnsiString& caption = {}) {
  gui::TControl* window = parent;
  while (window->Parent()) window = window->Parent();
  auto* c = new T(window);
  c->SetParent(parent);
  if (!caption.empty()) c->SetCaption(caption);
  c->SetBounds(left, top, width, height);
  return c;
}

// A window named name with the export text captionKey as caption: a fixed
// dialog frame centred on the screen that opens the help on F1.
std::unique_ptr<gui::TForm> vuzNewExportDialog(const char* name, int captionKey);
// OK (default button) and Cancel (cancel button) side by side from left.
void vuzPutOkCancel(gui::TForm& form, int left, int top);

// The page-range group of the filters' windows: "all", "current page" and
// "page numbers" with its edit (typing there picks "page numbers", and only
// page-number keys get through) over the hint on how to write numbers.
struct TfrxPageRangeControls {
  gui::TRadioButton* All;
  gui::TRadioButton* Current;
  gui::TRadioButton* Numbers;
  gui::TEdit* PageNumbers;
};
TfrxPageRangeControls vuzPlacePageRange(gui::TControl* parent, int left, int top, int width, int height);
// Unless the filter exports into the temporary folder, asks for the file
// to write (starting in DefaultPath, with the first name the dialogs share)
// and makes it the filter's FileName; false when the user cancels.
bool vuzAskExportFileName(TfrxCustomExportFilter& filter, const AnsiString& fileFilter, const AnsiString& defaultExt);

}  // namespace report
