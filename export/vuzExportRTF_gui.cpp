// The RTF options dialog (page range, options, header and footer mode) over
// the toolkit-free values of vuzExportRTFDialog, and the writing step's
// progress window.
#include "export/vuzExportRTF_gui.h"

#include <memory>

#include "export/vuzExportDialogs.h"
#include "export/vuzExportDialogs_gui.h"
#include "export/vuzExportHTMLDialog.h"
#include "export/vuzExportRTFDialog.h"
#include "export/vuzExportRes.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzGuiHooks.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"

namespace report {

namespace {

struct RtfDialog {
  std::unique_ptr<gui::TForm> form = std::make_unique<gui::TForm>(nullptr);
  gui::TRadioButton *all, *current, *numbers;
  gui::TEdit* pageNumbers;
  gui::TCheckBox *continuous, *pictures, *pageBreaks, *wysiwyg, *openAfter;
  gui::TComboBox* headerFooter;

  RtfDialog() {
    vuzLoadExportResources();
    gui::TForm& f = *form;
    f.SetBorderStyle(gui::bsDialog);
    f.SetPosition(gui::poScreenCenter);
    f.SetCaption(vuzGet(8500));
    f.SetClientWidth(290);
    f.SetClientHeight(330);
    const TfrxPageRangeControls range = vuzPlacePageRange(&f, 4, 4, 282, 120);
    all = range.All;
    current = range.Current;
    numbers = range.Numbers;
    pageNumbers = range.PageNumbers;
    auto* quality = vuzPlaceControl<gui::TGroupBox>(&f, 4, 128, 282, 130, vuzGet(8));
    continuous = vuzPlaceControl<gui::TCheckBox>(quality, 8, 20, 130, 17, vuzGet(8950));
    pictures = vuzPlaceControl<gui::TCheckBox>(quality, 8, 40, 130, 17, vuzGet(8501));
    pageBreaks = vuzPlaceControl<gui::TCheckBox>(quality, 8, 60, 130, 17, vuzGet(6));
    wysiwyg = vuzPlaceControl<gui::TCheckBox>(quality, 144, 20, 130, 17, vuzGet(8502));
    vuzPlaceControl<gui::TLabel>(quality, 8, 86, 110, 17, vuzGet(8951));
    headerFooter = vuzPlaceControl<gui::TComboBox>(quality, 120, 84, 154, 21);
    headerFooter->SetItems({vuzGet(8952), vuzGet(8953), vuzGet(8954)});
    headerFooter->SetReadOnly(true);
    openAfter = vuzPlaceControl<gui::TCheckBox>(&f, 8, 266, 270, 17, vuzGet(8503));
    vuzPutOkCancel(f, 130, 298);
  }

  void Show(const TfrxRTFDialogValues& v) {
    (v.pages == TfrxRTFDialogValues::pgNumbers   ? numbers
     : v.pages == TfrxRTFDialogValues::pgCurrent ? current
                                                 : all)
        ->SetChecked(true);
    if (!v.pageNumbers.empty()) pageNumbers->SetText(v.pageNumbers);
    continuous->SetChecked(v.continuous);
    pictures->SetChecked(v.pictures);
    pageBreaks->SetChecked(v.pageBreaks);
    wysiwyg->SetChecked(v.wysiwyg);
    openAfter->SetVisible(v.openAfterVisible);
    openAfter->SetChecked(v.openAfter);
    headerFooter->SetItemIndex(static_cast<int>(v.headerFooter));
  }

  void Read(TfrxRTFDialogValues& v) const {
    v.pages = numbers->Checked()   ? TfrxRTFDialogValues::pgNumbers
              : current->Checked() ? TfrxRTFDialogValues::pgCurrent
                                   : TfrxRTFDialogValues::pgAll;
    v.pageNumbers = pageNumbers->Text();
    v.continuous = continuous->Checked();
    v.pictures = pictures->Checked();
    v.pageBreaks = pageBreaks->Checked();
    v.wysiwyg = wysiwyg->Checked();
    v.openAfter = openAfter->Checked();
    const int mode = headerFooter->ItemIndex();
    v.headerFooter = mode >= hfText && mode <= hfNone ? static_cast<TfrxHeaderFooterMode>(mode) : hfText;
  }
};

int RunDialog(TfrxRTFExport& filter) {
  RtfDialog dialog;
  TfrxRTFDialogValues values = vuzRTFDialogLoad(filter);
  dialog.Show(values);
  if (dialog.form->ShowModal() != gui::mrOk) return gui::mrCancel;
  dialog.Read(values);
  vuzRTFDialogApply(values, filter);
  if (filter.ExportToTemp) return gui::mrOk;
  gui::TSaveDialog save;
  save.Filter = vuzGet(8504);
  save.DefaultExt = vuzGet(8505);
  save.FileName = vuzExportSaveName(filter);
  if (!filter.DefaultPath.empty()) save.InitialDir = filter.DefaultPath;
  if (filter.OverwritePrompt) save.Options |= gui::ofOverwritePrompt;
  if (!save.Execute()) return gui::mrCancel;
  filter.FileName = save.FileName;
  return gui::mrOk;
}

std::unique_ptr<TfrxProgress>& ProgressWindow() {
  static std::unique_ptr<TfrxProgress> window;
  return window;
}

}  // namespace

void vuzExportRTFGuiStartup() {
  TfrxRTFExport::SetDialogHandler(RunDialog);
  TfrxRTFProgressHooks& hooks = vuzRTFProgressHooks();
  hooks.Start = [](int maximum, const AnsiString& message) {
    ProgressWindow() = std::make_unique<TfrxProgress>();
    ProgressWindow()->Execute(maximum, message, true, true);
  };
  hooks.Tick = [] {
    TfrxProgress* window = ProgressWindow().get();
    if (!window) return false;
    window->Tick();
    // Rows are many and short: the window gets to run now and then.
    static int rows = 0;
    if (++rows % 64 == 0) vuzProcessMessages();
    return window->Terminated();
  };
  hooks.Stop = [] { ProgressWindow().reset(); };
}

}  // namespace report
