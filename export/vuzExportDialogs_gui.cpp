#include "export/vuzExportDialogs_gui.h"

#include "export/vuzExportDialogs.h"
#include "export/vuzExportRes.h"
#include "platform/gui/dialogs.h"
#include "report/vuzRes.h"

namespace report {

std::unique_ptr<gui::TForm> vuzNewExportDialog(const char* name, int captionKey) {
  vuzLoadExportResources();
  auto form = std::make_unique<gui::TForm>(nullptr);
  form->SetName(name);
  form->SetBorderStyle(gui::bsDialog);
  form->SetPosition(gui::poScreenCenter);
  form->SetKeyPreview(true);
  form->SetCaption(vuzGet(captionKey));
  const AnsiString helpTopic = name;
  form->OnKeyDown = [helpTopic](rtl::TObject*, gui::Word& key, gui::TShiftState) {
    if (key == gui::VK_F1) vuzResources().Help(helpTopic);
  };
  return form;
}

void vuzPutOkCancel(gui::TForm& form, int left, int top) {
  auto* ok = vuzPutControl<gui::TButton>(&form, "OK", left, top, 75, 25, vuzGet(1));
  ok->SetDefault(true);
  ok->SetModalResult(gui::mrOk);
  auto* cancel = vuzPutControl<gui::TButton>(&form, "Cancel", left + 81, top, 75, 25, vuzGet(2));
  cancel->SetCancel(true);
  cancel->SetModalResult(gui::mrCancel);
}

TfrxPageRangeControls vuzPlacePageRange(gui::TControl* parent, int left, int top, int width, int height) {
  auto* range = vuzPlaceControl<gui::TGroupBox>(parent, left, top, width, height, vuzGet(7));
  TfrxPageRangeControls c{};
  c.All = vuzPlaceControl<gui::TRadioButton>(range, 8, 20, 120, 17, vuzGet(3));
  c.Current = vuzPlaceControl<gui::TRadioButton>(range, 8, 40, 120, 17, vuzGet(4));
  c.Numbers = vuzPlaceControl<gui::TRadioButton>(range, 8, 60, 80, 17, vuzGet(5));
  c.PageNumbers = vuzPlaceControl<gui::TEdit>(range, 92, 58, width - 100, 21);
  auto* hint = vuzPlaceControl<gui::TLabel>(range, 8, height - 38, width - 16, 32, vuzGet(9));
  hint->SetWordWrap(true);
  gui::TRadioButton* numbers = c.Numbers;
  c.PageNumbers->OnChange = [numbers](rtl::TObject*) { numbers->SetChecked(true); };
  c.PageNumbers->OnKeyPress = [](rtl::TObject*, char& key) {
    if (!vuzPageNumberKey(key)) key = 0;
  };
  return c;
}

bool vuzAskExportFileName(TfrxCustomExportFilter& filter, const AnsiString& fileFilter, const AnsiString& defaultExt) {
  if (filter.ExportToTemp) return true;
  gui::TSaveDialog save;
  save.Filter = fileFilter;
  save.DefaultExt = defaultExt;
  save.FileName = vuzExportSaveName(filter);
  if (!filter.DefaultPath.empty()) save.InitialDir = filter.DefaultPath;
  if (filter.OverwritePrompt) save.Options |= gui::ofOverwritePrompt;
  if (!save.Execute()) return false;
  filter.FileName = save.FileName;
  return true;
}

}  // namespace report
