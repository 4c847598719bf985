// The PDF options dialog: four tabs (export, information, security, viewer)
// over the toolkit-free values of vuzExportPDFDialog.
#include "export/vuzExportPDF_gui.h"

#include <memory>

#include "export/vuzExportDialogs_gui.h"
#include "export/vuzExportPDFDialog.h"
#include "export/vuzExportRes.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzRes.h"

namespace report {

namespace {

template <class T>
T* Put(gui::TControl* parent, int l, int t, int w, int h, const AnsiString& caption = {}) {
  auto* c = new T(parent);
  c->SetParent(parent);
  c->SetBounds(l, t, w, h);
  if (!caption.empty()) c->SetCaption(caption);
  return c;
}

struct PdfDialog {
  std::unique_ptr<gui::TForm> form = std::make_unique<gui::TForm>(nullptr);
  gui::TRadioButton *all, *current, *numbers;
  gui::TEdit *pageNumbers, *quality, *owner, *user;
  gui::TCheckBox *compressed, *embedded, *optimized, *outline, *background, *openAfter;
  gui::TCheckBox *print, *modify, *copy, *annot;
  gui::TEdit* info[6];
  gui::TCheckBox* viewer[6];

  PdfDialog() {
    vuzLoadExportResources();
    gui::TForm& f = *form;
    f.SetBorderStyle(gui::bsDialog);
    f.SetPosition(gui::poScreenCenter);
    f.SetCaption(vuzGet(8700));
    f.SetClientWidth(300);
    f.SetClientHeight(370);
    auto* tabs = Put<gui::TPageControl>(&f, 4, 4, 292, 326);
    auto tab = [&](int key) {
      auto* t = new gui::TTabSheet(tabs);
      t->SetPageControl(tabs);
      t->SetCaption(vuzGet(key));
      return t;
    };
    gui::TTabSheet* exportTab = tab(107);
    const TfrxPageRangeControls range = vuzPlacePageRange(exportTab, 4, 4, 276, 120);
    all = range.All;
    current = range.Current;
    numbers = range.Numbers;
    pageNumbers = range.PageNumbers;
    auto* options = Put<gui::TGroupBox>(exportTab, 4, 128, 276, 150, vuzGet(8));
    compressed = Put<gui::TCheckBox>(options, 8, 20, 130, 17, vuzGet(8701));
    embedded = Put<gui::TCheckBox>(options, 8, 40, 130, 17, vuzGet(8702));
    optimized = Put<gui::TCheckBox>(options, 8, 60, 130, 17, vuzGet(8703));
    outline = Put<gui::TCheckBox>(options, 140, 20, 130, 17, vuzGet(8704));
    background = Put<gui::TCheckBox>(options, 140, 40, 130, 17, vuzGet(8705));
    Put<gui::TLabel>(options, 8, 88, 90, 17, "JPEG Quality");
    quality = Put<gui::TEdit>(options, 100, 86, 50, 21);
    quality->SetNumbersOnly(true);
    openAfter = Put<gui::TCheckBox>(exportTab, 8, 282, 260, 17, vuzGet(8706));

    gui::TTabSheet* infoTab = tab(8972);
    Put<gui::TGroupBox>(infoTab, 4, 4, 276, 200, vuzGet(8971));
    for (int i = 0; i < 6; ++i) {
      Put<gui::TLabel>(infoTab, 12, 26 + i * 28, 80, 17, vuzGet(8973 + i));
      info[i] = Put<gui::TEdit>(infoTab, 96, 24 + i * 28, 176, 21);
    }

    gui::TTabSheet* securityTab = tab(8962);
    auto* auth = Put<gui::TGroupBox>(securityTab, 4, 4, 276, 80, vuzGet(8979));
    Put<gui::TLabel>(auth, 8, 22, 120, 17, vuzGet(8964));
    owner = Put<gui::TEdit>(auth, 130, 20, 138, 21);
    Put<gui::TLabel>(auth, 8, 50, 120, 17, vuzGet(8965));
    user = Put<gui::TEdit>(auth, 130, 48, 138, 21);
    owner->SetPasswordChar('*');
    user->SetPasswordChar('*');
    auto* rights = Put<gui::TGroupBox>(securityTab, 4, 90, 276, 110, vuzGet(8980));
    print = Put<gui::TCheckBox>(rights, 8, 20, 260, 17, vuzGet(8966));
    modify = Put<gui::TCheckBox>(rights, 8, 40, 260, 17, vuzGet(8967));
    copy = Put<gui::TCheckBox>(rights, 8, 60, 260, 17, vuzGet(8968));
    annot = Put<gui::TCheckBox>(rights, 8, 80, 260, 17, vuzGet(8969));

    gui::TTabSheet* viewerTab = tab(8981);
    auto* prefs = Put<gui::TGroupBox>(viewerTab, 4, 4, 276, 150, vuzGet(8982));
    for (int i = 0; i < 6; ++i) viewer[i] = Put<gui::TCheckBox>(prefs, 8, 20 + i * 20, 260, 17, vuzGet(8983 + i));

    vuzPutOkCancel(f, 140, 338);
  }

  void Show(const TfrxPDFDialogValues& v) {
    (v.pages == TfrxPDFDialogValues::pgNumbers   ? numbers
     : v.pages == TfrxPDFDialogValues::pgCurrent ? current
                                                 : all)
        ->SetChecked(true);
    if (!v.pageNumbers.empty()) pageNumbers->SetText(v.pageNumbers);
    openAfter->SetVisible(v.openAfterVisible);
    openAfter->SetChecked(v.openAfter);
    compressed->SetChecked(v.compressed);
    embedded->SetChecked(v.embedded);
    optimized->SetChecked(v.printOptimized);
    outline->SetChecked(v.outline);
    outline->SetEnabled(v.outlineEnabled);
    background->SetChecked(v.background);
    owner->SetText(v.ownerPassword);
    user->SetText(v.userPassword);
    print->SetChecked(v.print);
    modify->SetChecked(v.modify);
    copy->SetChecked(v.copy);
    annot->SetChecked(v.annot);
    const AnsiString* texts[] = {&v.title, &v.author, &v.subject, &v.keywords, &v.creator, &v.producer};
    for (int i = 0; i < 6; ++i) info[i]->SetText(*texts[i]);
    const bool flags[] = {v.hideToolbar, v.hideMenubar, v.hideWindowUI, v.fitWindow, v.centerWindow, v.printScaling};
    for (int i = 0; i < 6; ++i) viewer[i]->SetChecked(flags[i]);
    quality->SetText(v.quality);
  }

  void Read(TfrxPDFDialogValues& v) const {
    v.pages = numbers->Checked()   ? TfrxPDFDialogValues::pgNumbers
              : current->Checked() ? TfrxPDFDialogValues::pgCurrent
                                   : TfrxPDFDialogValues::pgAll;
    v.pageNumbers = pageNumbers->Text();
    v.openAfter = openAfter->Checked();
    v.compressed = compressed->Checked();
    v.embedded = embedded->Checked();
    v.printOptimized = optimized->Checked();
    v.outline = outline->Checked();
    v.background = background->Checked();
    v.ownerPassword = owner->Text();
    v.userPassword = user->Text();
    v.print = print->Checked();
    v.modify = modify->Checked();
    v.copy = copy->Checked();
    v.annot = annot->Checked();
    AnsiString* texts[] = {&v.title, &v.author, &v.subject, &v.keywords, &v.creator, &v.producer};
    for (int i = 0; i < 6; ++i) *texts[i] = info[i]->Text();
    bool* flags[] = {&v.hideToolbar, &v.hideMenubar, &v.hideWindowUI, &v.fitWindow, &v.centerWindow, &v.printScaling};
    for (int i = 0; i < 6; ++i) *flags[i] = viewer[i]->Checked();
    v.quality = quality->Text();
  }
};

int RunDialog(TfrxPDFExport& filter) {
  PdfDialog dialog;
  TfrxPDFDialogValues values = vuzPDFDialogLoad(filter);
  dialog.Show(values);
  for (;;) {
    if (dialog.form->ShowModal() != gui::mrOk) return gui::mrCancel;
    dialog.Read(values);
    AnsiString error;
    if (vuzPDFDialogValidate(values, error)) break;
    gui::ShowMessage(error);  // the dialog stays open for a correction
  }
  vuzPDFDialogApply(values, filter);
  return vuzAskExportFileName(filter, vuzGet(8707), vuzGet(8708)) ? gui::mrOk : gui::mrCancel;
}

}  // namespace

void vuzExportPDFGuiStartup() { TfrxPDFExport::SetDialogHandler(RunDialog); }

}  // namespace report
