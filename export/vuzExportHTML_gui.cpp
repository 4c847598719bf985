// The HTML and OpenDocument options dialogs over the toolkit-free values of
// vuzExportHTMLDialog: the page range, the options, then the save dialog.
#include "export/vuzExportHTML_gui.h"

#include <memory>

#include "export/vuzExportDialogs.h"
#include "export/vuzExportDialogs_gui.h"
#include "export/vuzExportHTMLDialog.h"
#include "export/vuzExportPDFDialog.h"
#include "export/vuzExportRes.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzRes.h"

namespace report {

namespace {

// The window with the page-range group and the OK and Cancel buttons that
// every export dialog has; the options group is the caller's.
struct ExportDialog {
  std::unique_ptr<gui::TForm> form = std::make_unique<gui::TForm>(nullptr);
  gui::TRadioButton *all, *current, *numbers;
  gui::TEdit* pageNumbers;
  gui::TGroupBox* options;

  ExportDialog(const AnsiString& caption, int optionsHeight) {
    vuzLoadExportResources();
    gui::TForm& f = *form;
    f.SetBorderStyle(gui::bsDialog);
    f.SetPosition(gui::poScreenCenter);
    f.SetCaption(caption);
    f.SetClientWidth(290);
    f.SetClientHeight(170 + optionsHeight);
    const TfrxPageRangeControls range = vuzPlacePageRange(&f, 4, 4, 282, 124);
    all = range.All;
    current = range.Current;
    numbers = range.Numbers;
    pageNumbers = range.PageNumbers;
    options = vuzPlaceControl<gui::TGroupBox>(&f, 4, 132, 282, optionsHeight, vuzGet(8));
    vuzPutOkCancel(f, 130, 140 + optionsHeight);
  }
  gui::TCheckBox* Check(int row, int column, int key, bool checked) {
    auto* c = vuzPlaceControl<gui::TCheckBox>(options, 8 + column * 136, 20 + row * 20, 130, 17, vuzGet(key));
    c->SetChecked(checked);
    return c;
  }
  void ShowPages(TfrxDialogPages pages, const AnsiString& text) {
    (pages == dpNumbers ? numbers : pages == dpCurrent ? current : all)->SetChecked(true);
    if (!text.empty()) pageNumbers->SetText(text);
  }
  TfrxDialogPages Pages() const { return numbers->Checked() ? dpNumbers : current->Checked() ? dpCurrent : dpAll; }
};

// The save dialog after OK, unless the export goes to the temporary folder.
int Save(TfrxCustomExportFilter& filter) {
  if (filter.ExportToTemp) return gui::mrOk;
  gui::TSaveDialog save;
  save.Filter = filter.FileFilter;
  save.DefaultExt = filter.DefaultExt;
  save.FileName = vuzExportSaveName(filter);
  if (!filter.DefaultPath.empty()) save.InitialDir = filter.DefaultPath;
  if (filter.OverwritePrompt) save.Options |= gui::ofOverwritePrompt;
  if (!save.Execute()) return gui::mrCancel;
  filter.FileName = save.FileName;
  return gui::mrOk;
}

int RunHTMLDialog(TfrxHTMLExport& filter) {
  TfrxHTMLDialogValues v = vuzHTMLDialogLoad(filter);
  ExportDialog d(vuzGet(8200), 150);
  d.ShowPages(v.pages, v.pageNumbers);
  gui::TCheckBox* styles = d.Check(0, 0, 8202, v.styles);
  gui::TCheckBox* fixed = d.Check(1, 0, 8205, v.fixedWidth);
  gui::TCheckBox* background = d.Check(2, 0, 8209, v.background);
  gui::TCheckBox* navigator = d.Check(0, 1, 8206, v.navigator);
  gui::TCheckBox* multipage = d.Check(1, 1, 8207, v.multipage);
  gui::TCheckBox* same = d.Check(2, 1, 8204, v.picsSame);
  vuzPlaceControl<gui::TLabel>(d.options, 8, 84, 100, 17, vuzGet(8203));
  auto* format = vuzPlaceControl<gui::TComboBox>(d.options, 110, 82, 100, 21);
  format->SetStyle(gui::csDropDownList);
  format->SetItems({vuzGet(8313), "JPEG", "BMP", "GIF"});
  format->SetItemIndex(v.pictureFormat);
  gui::TCheckBox* open = d.Check(6, 0, 8201, v.openAfter);
  open->SetVisible(v.openAfterVisible);
  same->SetEnabled(v.picsSameEnabled);
  navigator->SetEnabled(v.navigatorEnabled);
  multipage->SetEnabled(v.multipageEnabled);
  background->SetEnabled(v.backgroundEnabled);
  if (d.form->ShowModal() != gui::mrOk) return gui::mrCancel;
  v.pages = d.Pages();
  v.pageNumbers = d.pageNumbers->Text();
  v.styles = styles->Checked();
  v.fixedWidth = fixed->Checked();
  v.background = background->Checked();
  v.navigator = navigator->Checked();
  v.multipage = multipage->Checked();
  v.picsSame = same->Checked();
  v.pictureFormat = format->ItemIndex() < 0 ? 0 : format->ItemIndex();
  v.openAfter = open->Checked();
  vuzHTMLDialogApply(v, filter);
  return Save(filter);
}

int RunODFDialog(TfrxODFExport& filter) {
  TfrxODFDialogValues v = vuzODFDialogLoad(filter);
  ExportDialog d(filter.GetDescription(), 110);
  d.ShowPages(v.pages, v.pageNumbers);
  gui::TCheckBox* wysiwyg = d.Check(0, 0, 8102, v.wysiwyg);
  gui::TCheckBox* continuous = d.Check(1, 0, 8950, v.continuous);
  gui::TCheckBox* breaks = d.Check(2, 0, 6, v.pageBreaks);
  gui::TCheckBox* background = d.Check(0, 1, 8103, v.background);
  gui::TCheckBox* open = d.Check(4, 0, 8706, v.openAfter);
  open->SetVisible(v.openAfterVisible);
  if (d.form->ShowModal() != gui::mrOk) return gui::mrCancel;
  v.pages = d.Pages();
  v.pageNumbers = d.pageNumbers->Text();
  v.wysiwyg = wysiwyg->Checked();
  v.continuous = continuous->Checked();
  v.pageBreaks = breaks->Checked();
  v.background = background->Checked();
  v.openAfter = open->Checked();
  vuzODFDialogApply(v, filter);
  return Save(filter);
}

}  // namespace

void vuzExportHTMLGuiStartup() { TfrxHTMLExport::SetDialogHandler(RunHTMLDialog); }
void vuzExportODFGuiStartup() { TfrxODFExport::SetDialogHandler(RunODFDialog); }

}  // namespace report
