// The picture exports' options dialog over the toolkit-free values of
// vuzExportImageDialog: page range, JPEG quality, resolution, one file per
// page, crop and monochrome.
#include "export/vuzExportImage_gui.h"

#include <memory>

#include "export/vuzExportDialogs_gui.h"
#include "export/vuzExportImage.h"
#include "export/vuzExportImageDialog.h"
#include "export/vuzExportRes.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzRes.h"

namespace report {

namespace {

struct ImageDialog {
  std::unique_ptr<gui::TForm> form = vuzNewExportDialog("TfrxIMGExportDialog", 8600);
  gui::TRadioButton *all, *current, *numbers;
  gui::TEdit *pageNumbers, *quality, *resolution;
  gui::TCheckBox *separate, *crop, *mono;

  ImageDialog() {
    gui::TForm& f = *form;
    f.SetClientWidth(260);
    f.SetClientHeight(300);
    auto* range = vuzPutControl<gui::TGroupBox>(&f, "GroupPageRange", 4, 4, 252, 124, vuzGet(7));
    all = vuzPutControl<gui::TRadioButton>(range, "AllRB", 8, 20, 150, 17, vuzGet(3));
    current = vuzPutControl<gui::TRadioButton>(range, "CurPageRB", 8, 40, 150, 17, vuzGet(4));
    numbers = vuzPutControl<gui::TRadioButton>(range, "PageNumbersRB", 8, 60, 80, 17, vuzGet(5));
    pageNumbers = vuzPutControl<gui::TEdit>(range, "PageNumbersE", 92, 58, 152, 21);
    auto* hint = vuzPutControl<gui::TLabel>(range, "DescrL", 8, 84, 236, 34, vuzGet(9));
    hint->SetAutoSize(false);
    hint->SetWordWrap(true);
    all->SetChecked(true);
    pageNumbers->OnChange = [this](rtl::TObject*) { numbers->SetChecked(true); };
    pageNumbers->OnKeyPress = [](rtl::TObject*, char& key) {
      if (!TfrxIMGDialogOptions::PageKeyAllowed(key)) key = 0;
    };
    auto* options = vuzPutControl<gui::TGroupBox>(&f, "GroupBox1", 4, 132, 252, 130, vuzGet(8601));
    vuzPutControl<gui::TLabel>(options, "Label2", 8, 22, 140, 17, vuzGet(8602));
    quality = vuzPutControl<gui::TEdit>(options, "Quality", 180, 20, 60, 21);
    vuzPutControl<gui::TLabel>(options, "Label1", 8, 48, 140, 17, vuzGet(8603));
    resolution = vuzPutControl<gui::TEdit>(options, "Resolution", 180, 46, 60, 21);
    separate = vuzPutControl<gui::TCheckBox>(options, "SeparateCB", 8, 72, 236, 17, vuzGet(8604));
    crop = vuzPutControl<gui::TCheckBox>(options, "CropPage", 8, 90, 236, 17, vuzGet(8605));
    mono = vuzPutControl<gui::TCheckBox>(options, "Mono", 8, 108, 236, 17, vuzGet(8606));
    vuzPutOkCancel(f, 100, 270);
  }

  void Show(const TfrxIMGDialogOptions& o) {
    quality->SetText(o.Quality);
    quality->SetEnabled(o.QualityEnabled);
    resolution->SetText(o.Resolution);
    crop->SetChecked(o.Crop);
    mono->SetChecked(o.Mono);
    mono->SetEnabled(o.MonoEnabled);
    separate->SetChecked(o.Separate);
    separate->SetVisible(o.SeparateVisible);
    if (o.Pages == TfrxIMGDialogOptions::pgNumbers) pageNumbers->SetText(o.PageNumbers);
    (o.Pages == TfrxIMGDialogOptions::pgNumbers   ? numbers
     : o.Pages == TfrxIMGDialogOptions::pgCurrent ? current
                                                  : all)
        ->SetChecked(true);
  }

  void Read(TfrxIMGDialogOptions& o) const {
    o.Quality = quality->Text();
    o.Resolution = resolution->Text();
    o.Crop = crop->Checked();
    o.Mono = mono->Checked();
    o.Separate = separate->Checked();
    o.Pages = numbers->Checked()   ? TfrxIMGDialogOptions::pgNumbers
              : current->Checked() ? TfrxIMGDialogOptions::pgCurrent
                                   : TfrxIMGDialogOptions::pgAll;
    o.PageNumbers = pageNumbers->Text();
  }
};

}  // namespace

int vuzShowIMGExportDialog(TfrxCustomImageExport& filter) {
  ImageDialog dialog;
  TfrxIMGDialogOptions options = TfrxIMGDialogOptions::FromFilter(filter);
  dialog.Show(options);
  for (;;) {
    if (dialog.form->ShowModal() != gui::mrOk) return gui::mrCancel;
    dialog.Read(options);
    AnsiString error;
    if (options.ApplyTo(filter, &error)) break;
    gui::ShowMessage(error);  // the dialog stays open for a correction
  }
  return vuzAskExportFileName(filter, filter.FileFilter, filter.DefaultExt) ? gui::mrOk : gui::mrCancel;
}

void vuzExportImageGuiStartup() { TfrxCustomImageExport::SetDialogHandler(vuzShowIMGExportDialog); }

}  // namespace report
