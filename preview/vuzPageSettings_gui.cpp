#include "preview/vuzPageSettings_gui.h"

#include <memory>

#include "platform/gui/application.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "preview/vuzPageSettingsModel.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"

namespace preview {

namespace {
using report::vuzGet;

template <class T>
T* Make(gui::TComponent* owner, gui::TControl* parent, const char* name, int l, int t, int w, int h) {
  auto* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(l, t, w, h);
  return c;
}

gui::TButton* Button(gui::TForm& form, const char* name, int left, int top, int text, gui::TModalResult result) {
  auto* b = Make<gui::TButton>(&form, &form, name, left, top, 75, 25);
  b->SetCaption(vuzGet(text));
  b->SetModalResult(result);
  if (result == gui::mrOk)
    b->SetDefault(true);
  else
    b->SetCancel(true);
  return b;
}

// A sheet upright or turned, as the orientation box shows it.
void PaintOrientation(gfx::TCanvas& c, bool portrait) {
  c.Brush().SetStyle(gfx::bsSolid);
  c.Brush().SetColor(gfx::clBtnFace);
  c.FillRect({0, 0, 48, 48});
  c.Pen().SetColor(0x000000);
  c.Brush().SetColor(0xFFFFFF);
  if (portrait)
    c.Rectangle(10, 2, 38, 42);
  else
    c.Rectangle(4, 10, 44, 38);
  c.Font().SetHeight(-16);
  c.Brush().SetStyle(gfx::bsClear);
  c.TextOut(portrait ? 19 : 19, portrait ? 12 : 14, "A");
}

int DesignerUnits(report::TfrxReport* report) {
  if (!report) return duCM;
  std::unique_ptr<rtl::TCustomIniFile> ini = report->GetIniFile();
  return ini ? ini->ReadInteger("Form.TfrxDesignerForm", "Units", 0) : duCM;
}

void KeyHelp(gui::TForm& form, const char* topic) {
  form.SetKeyPreview(true);
  form.OnKeyDown = [topic](gui::TObject*, gui::Word& key, gui::TShiftState) {
    if (key == gui::VK_F1) report::vuzResources().Help(topic);
  };
}
}  // namespace

bool vuzShowPageSettings(report::TfrxReport* report, report::TfrxComponent* page, bool& applyToAll) {
  TfrxCustomPrinter* printer = vuzPrinters().GetCurrentPrinter();
  if (!page || !printer) return false;
  TfrxPageSettingsModel model(*printer, DesignerUnits(report));
  model.Show(page);
  TfrxPageSettingsState& s = model.State();

  gui::TForm form(nullptr);
  form.SetName("PageSettingsForm");
  form.SetCaption(vuzGet(400));
  form.SetBorderStyle(gui::bsDialog);
  form.SetClientWidth(286);
  form.SetClientHeight(359);
  form.SetPosition(gui::poScreenCenter);
  KeyHelp(form, "TfrxPageSettingsForm");
  bool updating = true;

  auto* size = Make<gui::TGroupBox>(&form, &form, "SizeL", 4, 4, 277, 101);
  size->SetCaption(vuzGet(403));
  auto* paper = Make<gui::TComboBox>(&form, size, "SizeCB", 12, 18, 253, 21);
  paper->SetStyle(gui::csDropDownList);
  paper->SetItems(s.Papers);
  Make<gui::TLabel>(&form, size, "WidthL", 12, 50, 60, 16)->SetCaption(vuzGet(401));
  auto* width = Make<gui::TEdit>(&form, size, "WidthE", 80, 46, 61, 21);
  Make<gui::TLabel>(&form, size, "UnitL1", 146, 50, 30, 16)->SetCaption(s.UnitName);
  Make<gui::TLabel>(&form, size, "HeightL", 12, 76, 60, 16)->SetCaption(vuzGet(402));
  auto* height = Make<gui::TEdit>(&form, size, "HeightE", 80, 72, 61, 21);
  Make<gui::TLabel>(&form, size, "UnitL2", 146, 76, 30, 16)->SetCaption(s.UnitName);

  auto* orientation = Make<gui::TGroupBox>(&form, &form, "OrientationL", 4, 108, 277, 73);
  orientation->SetCaption(vuzGet(404));
  auto* picture = Make<gui::TPaintBox>(&form, orientation, "PortraitImg", 12, 18, 48, 48);
  auto* portrait = Make<gui::TRadioButton>(&form, orientation, "PortraitRB", 80, 22, 180, 17);
  portrait->SetCaption(vuzGet(410));
  auto* landscape = Make<gui::TRadioButton>(&form, orientation, "LandscapeRB", 80, 44, 180, 17);
  landscape->SetCaption(vuzGet(411));
  picture->OnPaint = [&](gui::TObject*) { PaintOrientation(picture->Canvas(), portrait->Checked()); };

  auto* margins = Make<gui::TGroupBox>(&form, &form, "MarginsL", 4, 184, 277, 81);
  margins->SetCaption(vuzGet(409));
  struct MarginField {
    const char *label, *edit, *unit;
    int text, left, top;
    AnsiString* value;
    gui::TEdit* control = nullptr;
  } fields[] = {{"LeftL", "MarginLeftE", "UnitL3", 405, 12, 22, &s.Left},
                {"TopL", "MarginTopE", "UnitL4", 406, 12, 50, &s.Top},
                {"RightL", "MarginRightE", "UnitL5", 407, 144, 22, &s.Right},
                {"BottomL", "MarginBottomE", "UnitL6", 408, 144, 50, &s.Bottom}};
  for (MarginField& f : fields) {
    Make<gui::TLabel>(&form, margins, f.label, f.left, f.top + 4, 56, 16)->SetCaption(vuzGet(f.text));
    f.control = Make<gui::TEdit>(&form, margins, f.edit, f.left + 58, f.top, 41, 21);
    Make<gui::TLabel>(&form, margins, f.unit, f.left + 102, f.top + 4, 24, 16)->SetCaption(s.UnitName);
  }

  auto* other = Make<gui::TGroupBox>(&form, &form, "OtherL", 4, 268, 277, 57);
  other->SetCaption(vuzGet(412));
  auto* current = Make<gui::TRadioButton>(&form, other, "ApplyToCurRB", 12, 16, 253, 17);
  current->SetCaption(vuzGet(413));
  auto* all = Make<gui::TRadioButton>(&form, other, "ApplyToAllRB", 12, 34, 253, 17);
  all->SetCaption(vuzGet(414));
  Button(form, "OKB", 126, 330, 1, gui::mrOk);
  Button(form, "CancelB", 206, 330, 2, gui::mrCancel);

  auto push = [&] {
    updating = true;
    paper->SetItemIndex(s.Paper);
    width->SetCaption(s.Width);
    height->SetCaption(s.Height);
    portrait->SetChecked(s.Portrait);
    landscape->SetChecked(!s.Portrait);
    for (MarginField& f : fields) f.control->SetCaption(*f.value);
    current->SetChecked(!s.ApplyToAll);
    all->SetChecked(s.ApplyToAll);
    picture->Invalidate();
    updating = false;
  };
  auto pull = [&] {
    s.Paper = std::max(0, paper->ItemIndex());
    s.Width = width->Caption();
    s.Height = height->Caption();
    for (MarginField& f : fields) *f.value = f.control->Caption();
    s.ApplyToAll = all->Checked();
  };
  paper->OnSelect = [&](gui::TObject*) {
    if (updating) return;
    pull();
    model.PaperChanged();
    push();
  };
  auto turned = [&](gui::TObject*) {
    if (updating) return;
    pull();
    model.SetPortrait(portrait->Checked());
    push();
  };
  portrait->OnClick = turned;
  landscape->OnClick = turned;
  auto edited = [&](gui::TObject*) {
    if (updating) return;
    pull();
    model.SizeEdited();
    updating = true;
    paper->SetItemIndex(s.Paper);
    updating = false;
  };
  width->OnChange = edited;
  height->OnChange = edited;
  push();

  // OK keeps the dialog open until every field reads as a number.
  for (;;) {
    if (form.ShowModal() != gui::mrOk) return false;
    pull();
    AnsiString error;
    if (model.Accept(page, error)) break;
    gui::Application->MessageBox(error, form.Caption(), 0x30);
  }
  applyToAll = s.ApplyToAll;
  return true;
}

bool vuzShowSearchDialog(AnsiString& text, bool& fromTop, bool& matchCase) {
  gui::TForm dialog(nullptr);
  dialog.SetName("SearchDialog");
  dialog.SetCaption(vuzGet(300));
  dialog.SetBorderStyle(gui::bsDialog);
  dialog.SetClientWidth(252);
  dialog.SetClientHeight(150);
  dialog.SetPosition(gui::poScreenCenter);
  KeyHelp(dialog, "TfrxSearchDialog");
  Make<gui::TLabel>(&dialog, &dialog, "TextL", 8, 8, 236, 16)->SetCaption(vuzGet(301));
  auto* edit = Make<gui::TEdit>(&dialog, &dialog, "TextE", 8, 26, 236, 21);
  edit->SetCaption(vuzLastSearchText());
  auto* group = Make<gui::TGroupBox>(&dialog, &dialog, "SearchL", 8, 54, 236, 56);
  group->SetCaption(vuzGet(302));
  auto* top = Make<gui::TCheckBox>(&dialog, group, "TopCB", 8, 16, 220, 17);
  top->SetCaption(vuzGet(304));
  auto* caseBox = Make<gui::TCheckBox>(&dialog, group, "CaseCB", 8, 34, 220, 17);
  caseBox->SetCaption(vuzGet(305));
  caseBox->SetChecked(matchCase);
  Button(dialog, "OkB", 88, 118, 1, gui::mrOk);
  Button(dialog, "CancelB", 169, 118, 2, gui::mrCancel);
  dialog.SetActiveControl(edit);
  dialog.OnActivate = [edit](gui::TObject*) { edit->SelectAll(); };
  edit->SelectAll();
  if (dialog.ShowModal() != gui::mrOk) return false;
  text = edit->Caption();
  vuzLastSearchText() = text;
  fromTop = top->Checked();
  matchCase = caseBox->Checked();
  return true;
}

}  // namespace preview
