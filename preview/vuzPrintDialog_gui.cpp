#include "preview/vuzPrintDialog_gui.h"

#include <algorithm>
#include <string>

#include "platform/gui/comctrls.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "preview/vuzPrintDialogModel.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"

namespace preview {

namespace {
using report::vuzGet;
AnsiString Res(const char* name) { return report::vuzResources().Get(name); }

template <class T>
T* Make(gui::TComponent* owner, gui::TControl* parent, const char* name, int l, int t, int w, int h) {
  auto* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(l, t, w, h);
  return c;
}

// The pictures of the copies box: three sheets "1 2 3" twice, or each page
// twice in a row.
void PaintCopies(gfx::TCanvas& c, bool collate, gfx::TColor back) {
  c.Brush().SetStyle(gfx::bsSolid);
  c.Brush().SetColor(back);
  c.FillRect({0, 0, 110, 50});
  const char* order = collate ? "123123" : "112233";
  for (int i = 0; i < 6; ++i) {
    const int set = i / 3, k = i % 3;
    const int x = 4 + set * 54 + k * 8, y = 4 + k * 6;
    c.Pen().SetColor(0x000000);
    c.Brush().SetColor(0xFFFFFF);
    c.Rectangle(x, y, x + 22, y + 30);
    c.Brush().SetStyle(gfx::bsClear);
    c.Font().SetHeight(-10);
    c.TextOut(x + 8, y + 16, std::string(1, order[i]));
    c.Brush().SetStyle(gfx::bsSolid);
  }
}

// The print modes: a sheet with the pages it carries.
void PaintMode(gfx::TCanvas& c, int mode, int left, int top) {
  c.Pen().SetColor(0x000000);
  c.Brush().SetStyle(gfx::bsSolid);
  c.Brush().SetColor(0xFFFFFF);
  auto sheet = [&](int x, int y, int w, int h) { c.Rectangle(left + x, top + y, left + x + w, top + y + h); };
  switch (mode) {
    case 1:  // a large page cut into sheets
      sheet(2, 2, 28, 28);
      sheet(34, 2, 14, 28);
      sheet(50, 2, 14, 28);
      break;
    case 2:  // small pages on one sheet
      sheet(2, 2, 28, 28);
      sheet(36, 2, 28, 28);
      c.Brush().SetColor(0xE0E0E0);
      sheet(39, 5, 10, 22);
      sheet(51, 5, 10, 22);
      break;
    case 3:  // a page scaled onto a sheet
      sheet(2, 2, 28, 28);
      sheet(40, 8, 16, 22);
      break;
    default: sheet(2, 2, 22, 28); break;
  }
}

class TfrxPrintDialog : public gui::TForm {
 public:
  TfrxPrintDialog(TfrxPrintDialogModel& model, int currentPage);
  bool Run(TfrxPrintSettings& settings);

 private:
  void Push();  // the model into the controls
  void Pull();  // the controls into the model

  TfrxPrintDialogModel& model_;
  int currentPage_;
  bool updating_ = false;
  gui::TComboBox *printers_ = nullptr, *printPages_ = nullptr, *order_ = nullptr, *duplex_ = nullptr, *mode_ = nullptr,
                 *sheet_ = nullptr;
  gui::TLabel* where_ = nullptr;
  gui::TCheckBox *file_ = nullptr, *collate_ = nullptr;
  gui::TRadioButton *all_ = nullptr, *current_ = nullptr, *numbers_ = nullptr;
  gui::TEdit *pageNumbers_ = nullptr, *copies_ = nullptr;
  gui::TUpDown* upDown_ = nullptr;
  gui::TPaintBox* copiesPicture_ = nullptr;
};

TfrxPrintDialog::TfrxPrintDialog(TfrxPrintDialogModel& model, int currentPage)
    : gui::TForm(nullptr), model_(model), currentPage_(currentPage) {
  SetName("PrintDialog");
  SetCaption(vuzGet(200));
  SetBorderStyle(gui::bsDialog);
  SetClientWidth(557);
  SetClientHeight(333);
  SetPosition(gui::poScreenCenter);
  SetKeyPreview(true);
  Font().SetName("Tahoma");
  Font().SetHeight(-11);

  auto* printer = Make<gui::TGroupBox>(this, this, "Label12", 4, 4, 549, 73);
  printer->SetCaption(vuzGet(201));
  Make<gui::TLabel>(this, printer, "NameL", 12, 22, 40, 16)->SetCaption(vuzGet(212));
  printers_ = Make<gui::TComboBox>(this, printer, "PrintersCB", 64, 18, 290, 21);
  printers_->SetStyle(gui::csDropDownList);
  Make<gui::TLabel>(this, printer, "WhereL", 12, 46, 40, 16)->SetCaption(vuzGet(208));
  where_ = Make<gui::TLabel>(this, printer, "WhereL1", 64, 46, 290, 16);
  auto* props = Make<gui::TButton>(this, printer, "PropButton", 384, 16, 153, 25);
  props->SetCaption(vuzGet(209));
  file_ = Make<gui::TCheckBox>(this, printer, "FileCB", 384, 46, 153, 17);
  file_->SetCaption(vuzGet(210));

  auto* pages = Make<gui::TGroupBox>(this, this, "Label1", 4, 80, 261, 117);
  pages->SetCaption(vuzGet(202));
  all_ = Make<gui::TRadioButton>(this, pages, "AllRB", 12, 20, 153, 17);
  all_->SetCaption(vuzGet(3));
  current_ = Make<gui::TRadioButton>(this, pages, "CurPageRB", 12, 40, 153, 17);
  current_->SetCaption(vuzGet(4));
  numbers_ = Make<gui::TRadioButton>(this, pages, "PageNumbersRB", 12, 60, 77, 17);
  numbers_->SetCaption(vuzGet(5));
  pageNumbers_ = Make<gui::TEdit>(this, pages, "PageNumbersE", 92, 58, 157, 21);
  auto* descr = Make<gui::TLabel>(this, pages, "DescrL", 12, 82, 237, 30);
  descr->SetAutoSize(false);
  descr->SetWordWrap(true);
  descr->SetCaption(vuzGet(9));

  auto* copiesBox = Make<gui::TGroupBox>(this, this, "Label2", 272, 80, 281, 117);
  copiesBox->SetCaption(vuzGet(205));
  Make<gui::TLabel>(this, copiesBox, "CopiesL", 12, 24, 80, 16)->SetCaption(vuzGet(203));
  copies_ = Make<gui::TEdit>(this, copiesBox, "CopiesE", 120, 20, 41, 21);
  copies_->SetNumbersOnly(true);
  upDown_ = Make<gui::TUpDown>(this, copiesBox, "UpDown1", 161, 20, 16, 21);
  upDown_->SetMin(1);
  upDown_->SetMax(32767);
  upDown_->SetAssociate(copies_);
  upDown_->SetPosition(1);
  collate_ = Make<gui::TCheckBox>(this, copiesBox, "CollateCB", 12, 92, 153, 17);
  collate_->SetCaption(vuzGet(204));
  copiesPicture_ = Make<gui::TPaintBox>(this, copiesBox, "CopiesPB", 164, 48, 110, 50);
  copiesPicture_->OnPaint = [this](gui::TObject*) {
    PaintCopies(copiesPicture_->Canvas(), collate_->Checked(), gfx::clBtnFace);
  };

  auto* other = Make<gui::TGroupBox>(this, this, "OtherGB", 4, 200, 261, 97);
  other->SetCaption(vuzGet(207));
  Make<gui::TLabel>(this, other, "PrintL", 12, 22, 80, 16)->SetCaption(vuzGet(206));
  printPages_ = Make<gui::TComboBox>(this, other, "PrintPagesCB", 100, 18, 149, 21);
  printPages_->SetStyle(gui::csDropDownList);
  printPages_->SetItems({Res("ppAll"), Res("ppOdd"), Res("ppEven")});
  Make<gui::TLabel>(this, other, "OrderL", 12, 46, 80, 16)->SetCaption(vuzGet(211));
  order_ = Make<gui::TComboBox>(this, other, "OrderCB", 100, 42, 149, 21);
  order_->SetStyle(gui::csDropDownList);
  order_->SetItems({Res("poDirect"), Res("poReverse")});
  Make<gui::TLabel>(this, other, "DuplexL", 12, 70, 80, 16)->SetCaption(vuzGet(216));
  duplex_ = Make<gui::TComboBox>(this, other, "DuplexCB", 100, 66, 149, 21);
  duplex_->SetStyle(gui::csDropDownList);
  duplex_->SetItems({Res("dupDefault"), Res("dupVert"), Res("dupHorz"), Res("dupSimpl")});

  auto* scale = Make<gui::TGroupBox>(this, this, "ScaleGB", 272, 200, 281, 97);
  scale->SetCaption(vuzGet(213));
  mode_ = Make<gui::TComboBox>(this, scale, "PrintModeCB", 12, 18, 257, 40);
  mode_->SetStyle(gui::csOwnerDrawFixed);
  mode_->SetItemHeight(34);
  mode_->SetItems({Res("pmDefault"), Res("pmSplit"), Res("pmJoin"), Res("pmScale")});
  mode_->OnDrawItem = [this](gui::TObject*, int index, gui::TRect r, unsigned) {
    gfx::TCanvas& c = mode_->Canvas();
    PaintMode(c, index, r.Left + 2, r.Top + 1);
    c.Brush().SetStyle(gfx::bsClear);
    c.TextOut(r.Left + 74, r.Top + 10, mode_->Item(index));
  };
  Make<gui::TLabel>(this, scale, "PagSizeL", 12, 70, 100, 16)->SetCaption(vuzGet(214));
  sheet_ = Make<gui::TComboBox>(this, scale, "PagPageSizeCB", 120, 66, 149, 21);
  sheet_->SetStyle(gui::csDropDownList);

  auto* ok = Make<gui::TButton>(this, this, "OkB", 398, 304, 75, 25);
  ok->SetCaption(vuzGet(1));
  ok->SetDefault(true);
  ok->SetModalResult(gui::mrOk);
  auto* cancel = Make<gui::TButton>(this, this, "CancelB", 478, 304, 75, 25);
  cancel->SetCaption(vuzGet(2));
  cancel->SetCancel(true);
  cancel->SetModalResult(gui::mrCancel);

  // Every control hands its change to the model, which may change others.
  auto changed = [this](gui::TObject*) {
    if (updating_) return;
    Pull();
    Push();
  };
  printers_->OnSelect = [this](gui::TObject*) {
    if (updating_) return;
    Pull();
    model_.ChoosePrinter(printers_->ItemIndex());
    Push();
  };
  mode_->OnSelect = [this](gui::TObject*) {
    if (updating_) return;
    Pull();
    model_.ChoosePrintMode(mode_->ItemIndex());
    Push();
  };
  pageNumbers_->OnChange = [this](gui::TObject*) {
    if (updating_) return;
    Pull();
    model_.PageNumbersEntered();
    Push();
  };
  pageNumbers_->OnEnter = [this](gui::TObject*) {
    if (!updating_) numbers_->SetChecked(true);
  };
  numbers_->OnClick = [this, changed](gui::TObject* sender) {
    changed(sender);
    if (Visible() && numbers_->Checked() && !pageNumbers_->Focused()) pageNumbers_->SetFocus();
  };
  for (gui::TControl* c : std::initializer_list<gui::TControl*>{all_, current_, collate_, file_}) c->OnClick = changed;
  collate_->OnClick = [this, changed](gui::TObject* sender) {
    changed(sender);
    copiesPicture_->Invalidate();
  };
  for (gui::TComboBox* c : {printPages_, order_, duplex_, sheet_}) c->OnSelect = changed;
  copies_->OnChange = changed;
  props->OnClick = [this](gui::TObject*) {
    TfrxCustomPrinter* p = vuzPrinters().GetCurrentPrinter();
    if (!p) return;
    p->PropertiesDlg();
    Pull();
    model_.PropertiesChosen(p->Duplex());
    Push();
  };
  OnKeyDown = [](gui::TObject*, gui::Word& key, gui::TShiftState) {
    if (key == gui::VK_F1) report::vuzResources().Help("TfrxPrintDialog");
  };
}

void TfrxPrintDialog::Push() {
  updating_ = true;
  const TfrxPrintDialogState& s = model_.State();
  printers_->SetItems(s.Printers);
  printers_->SetItemIndex(s.PrinterIndex);
  where_->SetCaption(s.Where);
  file_->SetChecked(s.PrintToFile);
  all_->SetChecked(s.Pages == pcAll);
  current_->SetChecked(s.Pages == pcCurrent);
  numbers_->SetChecked(s.Pages == pcNumbers);
  if (pageNumbers_->Caption() != s.PageNumbers) pageNumbers_->SetCaption(s.PageNumbers);
  if (copies_->Caption() != s.Copies) copies_->SetCaption(s.Copies);
  collate_->SetChecked(s.Collate);
  printPages_->SetItemIndex(s.PrintPages);
  order_->SetItemIndex(s.Order);
  duplex_->SetItemIndex(s.Duplex);
  mode_->SetItemIndex(s.PrintMode);
  if (sheet_->Items() != s.Sheets) sheet_->SetItems(s.Sheets);
  sheet_->SetItemIndex(s.Sheet);
  sheet_->SetEnabled(s.SheetEnabled);
  copiesPicture_->Invalidate();
  updating_ = false;
}

void TfrxPrintDialog::Pull() {
  TfrxPrintDialogState& s = model_.State();
  s.PrintToFile = file_->Checked();
  s.Pages = numbers_->Checked() ? pcNumbers : current_->Checked() ? pcCurrent : pcAll;
  s.PageNumbers = pageNumbers_->Caption();
  s.Copies = copies_->Caption();
  s.Collate = collate_->Checked();
  s.PrintPages = std::max(0, printPages_->ItemIndex());
  s.Order = std::max(0, order_->ItemIndex());
  s.Duplex = std::max(0, duplex_->ItemIndex());
  s.Sheet = std::max(0, sheet_->ItemIndex());
}

bool TfrxPrintDialog::Run(TfrxPrintSettings& settings) {
  model_.Show(settings);
  Push();
  if (ShowModal() != gui::mrOk) {
    model_.Cancel();
    return false;
  }
  Pull();
  return model_.Accept(settings, currentPage_, [](AnsiString& file) {
    gui::TSaveDialog dialog(nullptr);
    dialog.Title = vuzGet(507);
    dialog.Filter = vuzGet(510);
    dialog.DefaultExt = "prn";
    if (!dialog.Execute()) return false;
    file = dialog.FileName;
    return true;
  });
}
}  // namespace

bool vuzShowPrintDialog(TfrxComponent* report, TfrxPrintSettings& settings) {
  int currentPage = 1;
  if (auto* r = dynamic_cast<report::TfrxReport*>(report))
    if (r->PreviewPages()) currentPage = r->PreviewPages()->CurPreviewPage;
  TfrxPrintDialogModel model(vuzPrinters());
  TfrxPrintDialog dialog(model, currentPage);
  return dialog.Run(settings);
}

}  // namespace preview
