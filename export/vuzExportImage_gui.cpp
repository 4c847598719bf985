// The picture exports' options dialog over the toolkit-free values of
// vuzExportImageDialog: page range, JPEG quality, resolution, one file per
// page, crop and monochrome.
#include "export/vuzExportImage_gui.h"

#include <memory>

#include "export/vuzExportDialogs.h"
#include "export/vuzExportImage.h"
#include "export/vuzExportImageDialog.h"
#include "export/vuzExportRes.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzRes.h"

namespace report {

namespace {

// A control on parent, owned by the window so that it is found by its name.
template <class T>
T* Put(gui::TControl* parent, const char* name, int l, int t, int w, int h, const AnsiString& caption = {}) {
  gui::TControl* window = parent;
  while (window->Parent()) window = window->Parent();
  auto* c = new T(window);
  c->SetName(name);
  c->SetParent(parent);
  // The caption first: a label sizes itself to it, and the bounds given win.
  if (!caption.empty()) c->SetCaption(caption);
  c->SetBounds(l, t, w, h);
  return c;
}

struct ImageDialog {
  std::unique_ptr<gui::TForm> form = std::make_unique<gui::TForm>(nullptr);
  gui::TRadioButton *all, *current, *numbers;
  gui::TEdit *pageNumbers, *quality, *resolution;
  gui::TCheckBox *separate, *crop, *mono;

  ImageDialog() {
    vuzLoadExportResources();
    gui::TForm& f = *form;
    f.SetName("TfrxIMGExportDialog");
    f.SetBorderStyle(gui::bsDialog);
    f.SetPosition(gui::poScreenCenter);
    f.SetKeyPreview(true);
    f.SetCaption(vuzGet(8600));
    f.SetClientWidth(260);
    f.SetClientHeight(300);
    f.OnKeyDown = [](rtl::TObject*, gui::Word& key, gui::TShiftState) {
      if (key == gui::VK_F1) vuzResources().Help("TfrxIMGExportDialog");
    };
    auto* range = Put<gui::TGroupBox>(&f, "GroupPageRange", 4, 4, 252, 124, vuzGet(7));
    all = Put<gui::TRadioButton>(range, "AllRB", 8, 20, 150, 17, vuzGet(3));
    current = Put<gui::TRadioButton>(range, "CurPageRB", 8, 40, 150, 17, vuzGet(4));
    numbers = Put<gui::TRadioButton>(range, "PageNumbersRB", 8, 60, 80, 17, vuzGet(5));
    pageNumbers = Put<gui::TEdit>(range, "PageNumbersE", 92, 58, 152, 21);
    auto* hint = Put<gui::TLabel>(range, "DescrL", 8, 84, 236, 34, vuzGet(9));
    hint->SetAutoSize(false);
    hint->SetWordWrap(true);
    all->SetChecked(true);
    pageNumbers->OnChange = [this](rtl::TObject*) { numbers->SetChecked(true); };
    pageNumbers->OnKeyPress = [](rtl::TObject*, char& key) {
      if (!TfrxIMGDialogOptions::PageKeyAllowed(key)) key = 0;
    };
    auto* options = Put<gui::TGroupBox>(&f, "GroupBox1", 4, 132, 252, 130, vuzGet(8601));
    Put<gui::TLabel>(options, "Label2", 8, 22, 140, 17, vuzGet(8602));
    quality = Put<gui::TEdit>(options, "Quality", 180, 20, 60, 21);
    Put<gui::TLabel>(options, "Label1", 8, 48, 140, 17, vuzGet(8603));
    resolution = Put<gui::TEdit>(options, "Resolution", 180, 46, 60, 21);
    separate = Put<gui::TCheckBox>(options, "SeparateCB", 8, 72, 236, 17, vuzGet(8604));
    crop = Put<gui::TCheckBox>(options, "CropPage", 8, 90, 236, 17, vuzGet(8605));
    mono = Put<gui::TCheckBox>(options, "Mono", 8, 108, 236, 17, vuzGet(8606));
    auto* ok = Put<gui::TButton>(&f, "OK", 100, 270, 75, 25, vuzGet(1));
    ok->SetDefault(true);
    ok->SetModalResult(gui::mrOk);
    auto* cancel = Put<gui::TButton>(&f, "Cancel", 181, 270, 75, 25, vuzGet(2));
    cancel->SetCancel(true);
    cancel->SetModalResult(gui::mrCancel);
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

void vuzExportImageGuiStartup() { TfrxCustomImageExport::SetDialogHandler(vuzShowIMGExportDialog); }

}  // namespace report
