// The spreadsheet export's options dialog over the toolkit-free values of
// vuzExportXLSDialog, then the save dialog.
#include "export/vuzExportXLS_gui.h"

#include <memory>

#include "export/vuzExportDialogs_gui.h"
#include "export/vuzExportPDFDialog.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportXLSDialog.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzRes.h"

namespace report {

namespace {

struct XlsDialog {
  std::unique_ptr<gui::TForm> form = std::make_unique<gui::TForm>(nullptr);
  gui::TRadioButton *all, *current, *numbers;
  gui::TEdit* pageNumbers;
  gui::TCheckBox *continuous, *pictures, *merge, *pageBreaks, *fast, *wysiwyg, *asText, *background, *grid;
  gui::TCheckBox* openExcel;

  XlsDialog() {
    vuzLoadExportResources();
    gui::TForm& f = *form;
    f.SetBorderStyle(gui::bsDialog);
    f.SetPosition(gui::poScreenCenter);
    f.SetCaption(vuzGet(8000));
    f.SetClientWidth(290);
    f.SetClientHeight(330);
    const TfrxPageRangeControls range = vuzPlacePageRange(&f, 4, 4, 282, 120);
    all = range.All;
    current = range.Current;
    numbers = range.Numbers;
    pageNumbers = range.PageNumbers;
    auto* quality = vuzPlaceControl<gui::TGroupBox>(&f, 4, 128, 282, 140, vuzGet(8));
    continuous = vuzPlaceControl<gui::TCheckBox>(quality, 8, 20, 130, 17, vuzGet(8950));
    pictures = vuzPlaceControl<gui::TCheckBox>(quality, 8, 40, 130, 17, vuzGet(8002));
    merge = vuzPlaceControl<gui::TCheckBox>(quality, 8, 60, 130, 17, vuzGet(8003));
    pageBreaks = vuzPlaceControl<gui::TCheckBox>(quality, 8, 80, 130, 17, vuzGet(6));
    fast = vuzPlaceControl<gui::TCheckBox>(quality, 8, 100, 130, 17, vuzGet(8004));
    wysiwyg = vuzPlaceControl<gui::TCheckBox>(quality, 144, 20, 130, 17, vuzGet(8005));
    asText = vuzPlaceControl<gui::TCheckBox>(quality, 144, 40, 130, 17, vuzGet(8006));
    background = vuzPlaceControl<gui::TCheckBox>(quality, 144, 60, 130, 17, vuzGet(8007));
    grid = vuzPlaceControl<gui::TCheckBox>(quality, 144, 80, 130, 17, vuzGet(9155));
    openExcel = vuzPlaceControl<gui::TCheckBox>(&f, 8, 274, 270, 17, vuzGet(8008));
    vuzPutOkCancel(f, 130, 298);
  }

  void Show(const TfrxXLSDialogValues& v) {
    (v.pages == TfrxXLSDialogValues::pgNumbers   ? numbers
     : v.pages == TfrxXLSDialogValues::pgCurrent ? current
                                                 : all)
        ->SetChecked(true);
    if (!v.pageNumbers.empty()) pageNumbers->SetText(v.pageNumbers);
    continuous->SetChecked(v.continuous);
    pictures->SetChecked(v.pictures);
    merge->SetChecked(v.merge);
    pageBreaks->SetChecked(v.pageBreaks);
    fast->SetChecked(v.fastExport);
    wysiwyg->SetChecked(v.wysiwyg);
    asText->SetChecked(v.asText);
    background->SetChecked(v.background);
    grid->SetChecked(v.gridLines);
    openExcel->SetVisible(v.openExcelVisible);
    openExcel->SetChecked(v.openExcel);
  }

  void Read(TfrxXLSDialogValues& v) const {
    v.pages = numbers->Checked()   ? TfrxXLSDialogValues::pgNumbers
              : current->Checked() ? TfrxXLSDialogValues::pgCurrent
                                   : TfrxXLSDialogValues::pgAll;
    v.pageNumbers = pageNumbers->Text();
    v.continuous = continuous->Checked();
    v.pictures = pictures->Checked();
    v.merge = merge->Checked();
    v.pageBreaks = pageBreaks->Checked();
    v.fastExport = fast->Checked();
    v.wysiwyg = wysiwyg->Checked();
    v.asText = asText->Checked();
    v.background = background->Checked();
    v.gridLines = grid->Checked();
    v.openExcel = openExcel->Checked();
  }
};

int RunDialog(TfrxXLSExport& filter) {
  XlsDialog dialog;
  TfrxXLSDialogValues values = vuzXLSDialogLoad(filter);
  dialog.Show(values);
  if (dialog.form->ShowModal() != gui::mrOk) return gui::mrCancel;
  dialog.Read(values);
  vuzXLSDialogApply(values, filter);
  if (filter.ExportToTemp) return gui::mrOk;
  gui::TSaveDialog save;
  save.Filter = vuzGet(8009);
  save.DefaultExt = vuzGet(8010);
  save.FileName = vuzXLSSaveName(filter);
  if (!filter.DefaultPath.empty()) save.InitialDir = filter.DefaultPath;
  if (filter.OverwritePrompt) save.Options |= gui::ofOverwritePrompt;
  if (!save.Execute()) return gui::mrCancel;
  filter.FileName = save.FileName;
  return gui::mrOk;
}

}  // namespace

void vuzExportXLSGuiStartup() { TfrxXLSExport::SetDialogHandler(RunDialog); }

}  // namespace report
