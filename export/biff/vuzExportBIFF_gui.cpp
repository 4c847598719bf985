// The workbook export's options dialog: four tabs (general, information,
// protection, options) over the toolkit-free values of vuzExportBIFFDialog.
#include "export/biff/vuzExportBIFF_gui.h"

#include <memory>

#include "export/biff/vuzExportBIFFDialog.h"
#include "export/vuzExportRes.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzRes.h"

namespace report {

namespace {

// A control owned by the form (so the form finds it by name), placed on its
// parent, captioned with the text of a key.
template <class T>
T* Put(gui::TForm& form, gui::TControl* parent, int l, int t, int w, int h, int key = 0, const char* name = nullptr) {
  auto* c = new T(&form);
  c->SetParent(parent);
  c->SetBounds(l, t, w, h);
  if (key) c->SetCaption(vuzGet(key));
  if (name) c->SetName(name);
  return c;
}

struct BiffDialog {
  std::unique_ptr<gui::TForm> form = std::make_unique<gui::TForm>(nullptr);
  gui::TRadioButton *all, *current, *numbers, *original, *single, *chunks;
  gui::TEdit *pageNumbers, *chunk, *pass1, *pass2;
  gui::TCheckBox *openAfter, *autoCreate;
  gui::TEdit* info[9];
  gui::TMemo* comment;
  gui::TCheckBox *precise, *pictures, *gridLines, *fit, *deleteEmpty, *formulas;

  BiffDialog() {
    vuzLoadExportResources();
    gui::TForm& f = *form;
    f.SetBorderStyle(gui::bsDialog);
    f.SetPosition(gui::poScreenCenter);
    f.SetCaption(vuzGet(9182));
    f.SetClientWidth(302);
    f.SetClientHeight(367);
    f.SetName("BIFFExportDialog");
    auto* tabs = Put<gui::TPageControl>(f, &f, 4, 4, 294, 324);
    auto tab = [&](int key) {
      auto* t = new gui::TTabSheet(tabs);
      t->SetPageControl(tabs);
      t->SetCaption(vuzGet(key));
      return t;
    };
    gui::TTabSheet* general = tab(9173);
    auto* range = Put<gui::TGroupBox>(f, general, 4, 4, 278, 116, 7);
    all = Put<gui::TRadioButton>(f, range, 8, 18, 120, 17, 3, "rbAll");
    all->SetChecked(true);
    current = Put<gui::TRadioButton>(f, range, 8, 38, 120, 17, 4, "rbCurrent");
    numbers = Put<gui::TRadioButton>(f, range, 8, 58, 80, 17, 5, "rbNumbers");
    pageNumbers = Put<gui::TEdit>(f, range, 92, 56, 178, 21, 0, "PageNumbersE");
    auto* hint = Put<gui::TLabel>(f, range, 8, 80, 262, 32, 9);
    hint->SetWordWrap(true);
    pageNumbers->OnChange = [this](rtl::TObject*) { numbers->SetChecked(true); };
    pageNumbers->OnKeyPress = [](rtl::TObject*, char& key) {
      if (!vuzBIFFPageNumberKey(key)) key = 0;
    };
    auto* grouping = Put<gui::TGroupBox>(f, general, 4, 124, 278, 100, 9157);
    original = Put<gui::TRadioButton>(f, grouping, 8, 18, 260, 17, 9158, "rbOriginal");
    single = Put<gui::TRadioButton>(f, grouping, 8, 38, 260, 17, 9156, "rbSingle");
    chunks = Put<gui::TRadioButton>(f, grouping, 8, 58, 200, 30, 9159, "rbChunks");
    chunk = Put<gui::TEdit>(f, grouping, 212, 60, 56, 21, 0, "edChunk");
    openAfter = Put<gui::TCheckBox>(f, general, 8, 232, 270, 17, 8706, "OpenCB");
    autoCreate = Put<gui::TCheckBox>(f, general, 8, 252, 270, 17, 9152, "cbAutoCreateFile");

    gui::TTabSheet* infoTab = tab(9174);
    const int labels[] = {9171, 9162, 9164, 9165, 9167, 9168, 9169, 9170, 9172};
    const char* edits[] = {"edTitle",   "edAuthor",   "edKeywords", "edRevision", "edAppName",
                           "edSubject", "edCategory", "edCompany",  "edManager"};
    for (int i = 0; i < 9; ++i) {
      Put<gui::TLabel>(f, infoTab, 8, 10 + i * 26, 96, 17, labels[i]);
      info[i] = Put<gui::TEdit>(f, infoTab, 108, 8 + i * 26, 172, 21, 0, edits[i]);
    }
    Put<gui::TLabel>(f, infoTab, 8, 246, 96, 17, 9163);
    comment = Put<gui::TMemo>(f, infoTab, 108, 244, 172, 48, 0, "edComment");

    gui::TTabSheet* protection = tab(9175);
    Put<gui::TLabel>(f, protection, 8, 12, 100, 17, 9176);
    pass1 = Put<gui::TEdit>(f, protection, 112, 10, 168, 21, 0, "edPass1");
    Put<gui::TLabel>(f, protection, 8, 40, 100, 17, 9178);
    pass2 = Put<gui::TEdit>(f, protection, 112, 38, 168, 21, 0, "edPass2");
    pass1->SetPasswordChar('*');
    pass2->SetPasswordChar('*');
    auto* explanation = Put<gui::TLabel>(f, protection, 8, 70, 272, 80, 9177);
    explanation->SetWordWrap(true);

    gui::TTabSheet* options = tab(9153);
    precise = Put<gui::TCheckBox>(f, options, 8, 10, 270, 17, 8502, "cbPreciseQuality");
    pictures = Put<gui::TCheckBox>(f, options, 8, 30, 270, 17, 8002, "cbPictures");
    gridLines = Put<gui::TCheckBox>(f, options, 8, 50, 270, 17, 9155, "cbGridLines");
    fit = Put<gui::TCheckBox>(f, options, 8, 70, 270, 17, 9181, "cbFit");
    deleteEmpty = Put<gui::TCheckBox>(f, options, 8, 90, 270, 17, 9183, "cbDelEmptyRows");
    formulas = Put<gui::TCheckBox>(f, options, 8, 110, 270, 17, 9184, "cbFormulas");

    auto* ok = Put<gui::TButton>(f, &f, 142, 336, 75, 25, 1, "OkB");
    ok->SetDefault(true);
    ok->SetModalResult(gui::mrOk);
    auto* cancel = Put<gui::TButton>(f, &f, 223, 336, 75, 25, 2, "CancelB");
    cancel->SetCancel(true);
    cancel->SetModalResult(gui::mrCancel);
  }

  void Show(const TfrxBIFFDialogValues& v) {
    (v.pages == TfrxBIFFDialogValues::pgNumbers   ? numbers
     : v.pages == TfrxBIFFDialogValues::pgCurrent ? current
                                                  : all)
        ->SetChecked(true);
    if (!v.pageNumbers.empty()) pageNumbers->SetText(v.pageNumbers);
    (v.grouping == TfrxBIFFDialogValues::grSingle   ? single
     : v.grouping == TfrxBIFFDialogValues::grChunks ? chunks
                                                    : original)
        ->SetChecked(true);
    chunk->SetText(v.chunk);
    openAfter->SetEnabled(v.openAfterEnabled);
    openAfter->SetChecked(v.openAfter);
    autoCreate->SetChecked(v.autoCreateFile);
    const AnsiString* texts[] = {&v.title,   &v.author,   &v.keywords, &v.revision, &v.appName,
                                 &v.subject, &v.category, &v.company,  &v.manager};
    for (int i = 0; i < 9; ++i) info[i]->SetText(*texts[i]);
    comment->SetCaption(v.comment);
    pass1->SetText(rtl::WideToAnsi(v.password));
    pass2->SetText(rtl::WideToAnsi(v.confirmation));
    precise->SetChecked(v.preciseQuality);
    pictures->SetChecked(v.pictures);
    gridLines->SetChecked(v.gridLines);
    fit->SetChecked(v.fitPages);
    deleteEmpty->SetChecked(v.deleteEmptyRows);
    formulas->SetChecked(v.formulas);
  }

  void Read(TfrxBIFFDialogValues& v) const {
    v.pages = numbers->Checked()   ? TfrxBIFFDialogValues::pgNumbers
              : current->Checked() ? TfrxBIFFDialogValues::pgCurrent
                                   : TfrxBIFFDialogValues::pgAll;
    v.pageNumbers = pageNumbers->Text();
    v.grouping = single->Checked()   ? TfrxBIFFDialogValues::grSingle
                 : chunks->Checked() ? TfrxBIFFDialogValues::grChunks
                                     : TfrxBIFFDialogValues::grOriginal;
    v.chunk = chunk->Text();
    v.openAfter = openAfter->Checked();
    v.autoCreateFile = autoCreate->Checked();
    AnsiString* texts[] = {&v.title,   &v.author,   &v.keywords, &v.revision, &v.appName,
                           &v.subject, &v.category, &v.company,  &v.manager};
    for (int i = 0; i < 9; ++i) *texts[i] = info[i]->Text();
    v.comment = comment->Caption();
    v.password = rtl::AnsiToWide(pass1->Text());
    v.confirmation = rtl::AnsiToWide(pass2->Text());
    v.preciseQuality = precise->Checked();
    v.pictures = pictures->Checked();
    v.gridLines = gridLines->Checked();
    v.fitPages = fit->Checked();
    v.deleteEmptyRows = deleteEmpty->Checked();
    v.formulas = formulas->Checked();
  }
};

int RunDialog(TfrxBIFFExport& filter) {
  BiffDialog dialog;
  TfrxBIFFDialogValues values = vuzBIFFDialogLoad(filter);
  dialog.Show(values);
  for (;;) {
    if (dialog.form->ShowModal() != gui::mrOk) return gui::mrCancel;
    dialog.Read(values);
    AnsiString error;
    if (vuzBIFFDialogValidate(values, error)) break;
    // A mismatched or too long password: say so and ask again, so that the
    // export never runs with settings the user did not confirm.
    gui::MessageBox(error, vuzGet(9182), gui::MB_OK | gui::MB_ICONERROR);
  }
  vuzBIFFDialogApply(values, filter);
  if (filter.ExportToTemp) return gui::mrOk;
  if (values.autoCreateFile) {
    filter.FileName = vuzBIFFAutoFileName(filter);
    return gui::mrOk;
  }
  gui::TSaveDialog save;
  save.Filter = "Microsoft Excel 97/2000/XP (*.xls)|*.xls|All files|*.*";
  save.DefaultExt = ".xls";
  save.FileName = vuzBIFFSaveName(filter);
  if (!filter.DefaultPath.empty()) save.InitialDir = filter.DefaultPath;
  if (filter.OverwritePrompt) save.Options |= gui::ofOverwritePrompt;
  if (!save.Execute()) return gui::mrCancel;
  filter.FileName = save.FileName;
  return gui::mrOk;
}

}  // namespace

void vuzExportBIFFGuiStartup() { TfrxBIFFExport::SetDialogHandler(RunDialog); }

}  // namespace report
