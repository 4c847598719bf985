// The text export's options dialog (scale, frames, options, page range,
// printing afterwards, and a live preview of one page) and its printer
// dialog (printer, copies, printer type and its commands, ".fpi" files),
// bound to the toolkit-free logic of vuzExportTXTDialog.
#include "export/vuzExportTXT_gui.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "export/vuzExportDialogs.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportTXT.h"
#include "export/vuzExportTXTDialog.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/format.h"
#include "preview/vuzPrinter.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"

namespace report {

using namespace rtl::literals;

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

// Both windows: a fixed dialog centred on the screen that opens the help
// with F1.
std::unique_ptr<gui::TForm> NewDialogForm(const char* name, int captionKey) {
  vuzLoadExportResources();
  auto form = std::make_unique<gui::TForm>(nullptr);
  form->SetName(name);
  form->SetBorderStyle(gui::bsDialog);
  form->SetPosition(gui::poScreenCenter);
  form->SetKeyPreview(true);
  form->SetCaption(vuzGet(captionKey));
  form->OnKeyDown = [name](rtl::TObject*, gui::Word& key, gui::TShiftState) {
    if (key == gui::VK_F1) vuzResources().Help(AnsiString(name));
  };
  return form;
}

gui::TButton* OkButton(gui::TForm& f, int left, int top) {
  auto* ok = Put<gui::TButton>(&f, "OK", left, top, 75, 25, vuzGet(1));
  ok->SetDefault(true);
  ok->SetModalResult(gui::mrOk);
  return ok;
}

gui::TButton* CancelButton(gui::TForm& f, int left, int top) {
  auto* cancel = Put<gui::TButton>(&f, "Cancel", left, top, 75, 25, vuzGet(2));
  cancel->SetCancel(true);
  cancel->SetModalResult(gui::mrCancel);
  return cancel;
}

// ---- the options dialog ---------------------------------------------------------------------

class TxtExportDialog {
 public:
  // The narrow window, and the width with the preview beside it.
  static constexpr int kNarrowWidth = 277, kWideWidth = 631, kShift = 177;

  explicit TxtExportDialog(TfrxTXTExport& filter) : filter_(filter), preview_(filter) {
    form = NewDialogForm("TfrxTXTExportDialog", 8300);
    gui::TForm& f = *form;
    f.SetClientHeight(392);

    auto* scale = Put<gui::TGroupBox>(&f, "GroupScaleSettings", 4, 4, 263, 70, vuzGet(8309));
    Put<gui::TLabel>(scale, "Label5", 8, 20, 70, 17, vuzGet(8310));
    scaleX_ = Put<gui::TEdit>(scale, "E_ScaleX", 90, 18, 50, 21);
    upDownX_ = Put<gui::TUpDown>(scale, "UpDown1", 140, 18, 17, 21);
    Put<gui::TLabel>(scale, "Label6", 164, 20, 12, 17, "%");
    Put<gui::TLabel>(scale, "Label7", 8, 44, 70, 17, vuzGet(8311));
    scaleY_ = Put<gui::TEdit>(scale, "E_ScaleY", 90, 42, 50, 21);
    upDownY_ = Put<gui::TUpDown>(scale, "UpDown2", 140, 42, 17, 21);
    Put<gui::TLabel>(scale, "Label8", 164, 44, 12, 17, "%");
    for (auto [updown, edit] : {std::pair{upDownX_, scaleX_}, std::pair{upDownY_, scaleY_}}) {
      updown->SetMin(10);
      updown->SetMax(500);
      updown->SetIncrement(10);
      updown->SetAssociate(edit);
      updown->SetPosition(100);
    }

    auto* frames = Put<gui::TGroupBox>(&f, "GroupFramesSettings", 4, 78, 263, 44, vuzGet(8312));
    none_ = Put<gui::TRadioButton>(frames, "RB_NoneFrames", 8, 20, 70, 17, vuzGet(8313));
    simple_ = Put<gui::TRadioButton>(frames, "RB_Simple", 80, 20, 86, 17, vuzGet(8314));
    graph_ = Put<gui::TRadioButton>(frames, "RB_Graph", 168, 20, 90, 17, vuzGet(8315));
    graph_->SetHint(vuzGet(8316));
    graph_->SetShowHint(true);
    none_->SetChecked(true);

    auto* cells = Put<gui::TGroupBox>(&f, "GroupCellProp", 4, 126, 263, 64, vuzGet(8302));
    pageBreaks_ = Put<gui::TCheckBox>(cells, "CB_PageBreaks", 8, 18, 124, 17, vuzGet(8303));
    oem_ = Put<gui::TCheckBox>(cells, "CB_OEM", 136, 18, 124, 17, vuzGet(8304));
    emptyLines_ = Put<gui::TCheckBox>(cells, "CB_EmptyLines", 8, 40, 124, 17, vuzGet(8305));
    leadSpaces_ = Put<gui::TCheckBox>(cells, "CB_LeadSpaces", 136, 40, 124, 17, vuzGet(8306));

    auto* range = Put<gui::TGroupBox>(&f, "GroupPageRange", 4, 194, 263, 96, vuzGet(7));
    Put<gui::TLabel>(range, "Pages", 8, 22, 60, 17, vuzGet(8307));
    range_ = Put<gui::TEdit>(range, "E_Range", 70, 20, 185, 21);
    auto* descr = Put<gui::TLabel>(range, "Descr", 8, 46, 247, 44, vuzGet(8308));
    descr->SetAutoSize(false);
    descr->SetWordWrap(true);
    range_->OnKeyPress = [](rtl::TObject*, char& key) {
      if (!vuzPageNumberKey(key)) key = 0;
    };

    printAfter_ = Put<gui::TCheckBox>(&f, "CB_PrintAfter", 8, 298, 200, 17, vuzGet(8317));
    previewButton_ = Put<gui::TSpeedButton>(&f, "BtnPreview", 236, 294, 28, 25, ">>");
    previewButton_->SetGroupIndex(1);
    previewButton_->SetAllowAllUp(true);
    previewButton_->SetHint(vuzGet(8301));
    previewButton_->SetShowHint(true);
    OkButton(f, 110, 360);
    CancelButton(f, 190, 360);

    panel_ = Put<gui::TPanel>(&f, "Panel2", kNarrowWidth - 4, 4, 354, 384);
    panel_->SetBevelOuter(gui::bvNone);
    auto* box = Put<gui::TGroupBox>(panel_, "GroupBox1", 0, 0, 350, 380, vuzGet(8319));
    Put<gui::TLabel>(box, "Label1", 8, 20, 50, 17, vuzGet(8320));
    pageWidth_ = Put<gui::TLabel>(box, "PgWidth", 60, 20, 40, 17, "0");
    Put<gui::TLabel>(box, "Label3", 104, 20, 50, 17, vuzGet(8321));
    pageHeight_ = Put<gui::TLabel>(box, "PgHeight", 156, 20, 40, 17, "0");
    auto* larger = Put<gui::TSpeedButton>(box, "ToolButton1", 292, 14, 23, 22, "+");
    auto* smaller = Put<gui::TSpeedButton>(box, "ToolButton2", 318, 14, 23, 22, "-");
    larger->SetHint(vuzGet(8323));
    smaller->SetHint(vuzGet(8324));
    larger->SetShowHint(true);
    smaller->SetShowHint(true);
    Put<gui::TLabel>(box, "LBPage", 8, 46, 60, 17, vuzGet(8322));
    page_ = Put<gui::TEdit>(box, "EPage", 70, 44, 50, 21);
    pageUpDown_ = Put<gui::TUpDown>(box, "PageUpDown", 120, 44, 17, 21);
    pageUpDown_->SetMin(1);
    pageUpDown_->SetAssociate(page_);
    pageUpDown_->SetPosition(1);
    memo_ = Put<gui::TMemo>(box, "Preview", 8, 72, 334, 300);
    memo_->SetReadOnly(true);
    memo_->SetWordWrap(false);
    memo_->SetScrollBars(gui::ssBoth);
    memo_->Font().SetName("Courier New");
    memo_->Font().SetSize(8);

    // What refreshes the preview while it is shown.
    for (gui::TControl* c :
         std::initializer_list<gui::TControl*>{pageBreaks_, emptyLines_, leadSpaces_, none_, simple_, graph_})
      c->OnClick = [this](rtl::TObject*) { AutoRefresh(); };
    page_->OnChange = [this](rtl::TObject*) { AutoRefresh(); };
    for (gui::TEdit* e : {scaleX_, scaleY_}) e->OnChange = [this, e](rtl::TObject*) { ScaleChanged(*e); };
    oem_->OnClick = [this](rtl::TObject*) { OemClicked(); };
    previewButton_->OnClick = [this](rtl::TObject*) { ApplyPreviewButton(); };
    larger->OnClick = [this](rtl::TObject*) {
      if (memo_->Font().Size() < 30) memo_->Font().SetSize(memo_->Font().Size() + 1);
    };
    smaller->OnClick = [this](rtl::TObject*) {
      if (memo_->Font().Size() > 2) memo_->Font().SetSize(memo_->Font().Size() - 1);
    };
    ApplyPreviewButton();
    created_ = true;
  }

  // Fills the controls from the filter and the report.
  void Fill() {
    const TfrxTXTDialogOptions o = TfrxTXTDialogOptions::FromFilter(filter_);
    Show(o);
    printAfter_->SetVisible(o.PrintAfterVisible);
    auto* report = dynamic_cast<TfrxReport*>(filter_.Report);
    const int pages = report && report->PreviewPages() ? report->PreviewPages()->GetCount() : 0;
    pageUpDown_->SetMax(std::max(1, pages));
  }

  // On OK: the options into the filter; false (with a message) when a value
  // is refused, and the dialog stays open.
  bool Apply() {
    AnsiString error;
    if (Read().ApplyTo(filter_, &error)) return true;
    gui::ShowMessage(error);
    return false;
  }

  std::unique_ptr<gui::TForm> form;

 private:
  TfrxTXTDialogOptions Read() const {
    TfrxTXTDialogOptions o;
    o.NoneFrames = none_->Checked();
    o.SimpleFrames = simple_->Checked();
    o.GraphFrames = graph_->Checked();
    o.GraphEnabled = graph_->Enabled();
    o.PageBreaks = pageBreaks_->Checked();
    o.OEM = oem_->Checked();
    o.EmptyLines = emptyLines_->Checked();
    o.LeadSpaces = leadSpaces_->Checked();
    o.PrintAfter = printAfter_->Checked();
    o.PrintAfterVisible = printAfter_->Visible();
    o.ScaleX = scaleX_->Text();
    o.ScaleY = scaleY_->Text();
    o.Range = range_->Text();
    return o;
  }

  // Sets the controls without refreshing on each of them.
  void Show(const TfrxTXTDialogOptions& o) {
    const bool wasFilling = filling_;
    filling_ = true;
    graph_->SetEnabled(o.GraphEnabled);
    (o.GraphFrames ? graph_ : o.SimpleFrames ? simple_ : none_)->SetChecked(true);
    pageBreaks_->SetChecked(o.PageBreaks);
    oem_->SetChecked(o.OEM);
    emptyLines_->SetChecked(o.EmptyLines);
    leadSpaces_->SetChecked(o.LeadSpaces);
    printAfter_->SetChecked(o.PrintAfter);
    scaleX_->SetText(o.ScaleX);
    scaleY_->SetText(o.ScaleY);
    lastScaleX_ = o.ScaleX;
    lastScaleY_ = o.ScaleY;
    range_->SetText(o.Range);
    filling_ = wasFilling;
  }

  void OemClicked() {
    if (filling_) return;
    TfrxTXTDialogOptions o = Read();
    o.OemClicked();
    Show(o);
    AutoRefresh();
  }

  // A scale change is refused while a refresh runs (the text comes back).
  void ScaleChanged(gui::TEdit& edit) {
    AnsiString& last = &edit == scaleX_ ? lastScaleX_ : lastScaleY_;
    if (filling_) return;
    if (autoRefresh_ && preview_.Running()) {
      filling_ = true;
      edit.SetText(last);
      filling_ = false;
      return;
    }
    last = edit.Text();
    AutoRefresh();
  }

  void ApplyPreviewButton() {
    gui::TForm& f = *form;
    if (previewButton_->Down()) {
      autoRefresh_ = true;
      f.SetLeft(f.Left() - kShift);
      f.SetClientWidth(kWideWidth);
      panel_->SetVisible(true);
      shown_ = true;
      Refresh();
    } else {
      if (created_ && autoRefresh_) f.SetLeft(f.Left() + kShift);
      shown_ = false;
      autoRefresh_ = false;
      f.SetClientWidth(kNarrowWidth);
      panel_->SetVisible(false);
    }
  }

  void AutoRefresh() {
    if (autoRefresh_ && !filling_) Refresh();
  }

  void Refresh() {
    if (!shown_) return;
    AnsiString error;
    const TfrxTXTDialogOptions o = Read();
    if (!preview_.Refresh(o, page_->Text(), &error)) {
      if (!error.empty()) gui::ShowMessage(error);
      return;
    }
    // The OEM text is shown in the dialog's own code page, its graphic
    // frames as the simple set.
    memo_->Font().SetName(o.OEM ? "Terminal" : "Courier New");
    memo_->SetText(vuzTXTPreviewDisplayText(preview_.Text(), o.OEM));
    pageWidth_->SetCaption(std::to_string(preview_.PageWidth()));
    pageHeight_->SetCaption(std::to_string(preview_.PageHeight()));
  }

  TfrxTXTExport& filter_;
  TfrxTXTPreview preview_;
  gui::TEdit *scaleX_, *scaleY_, *range_, *page_;
  gui::TUpDown *upDownX_, *upDownY_, *pageUpDown_;
  gui::TRadioButton *none_, *simple_, *graph_;
  gui::TCheckBox *pageBreaks_, *oem_, *emptyLines_, *leadSpaces_, *printAfter_;
  gui::TSpeedButton* previewButton_;
  gui::TPanel* panel_;
  gui::TLabel *pageWidth_, *pageHeight_;
  gui::TMemo* memo_;
  AnsiString lastScaleX_, lastScaleY_;
  bool shown_ = false, autoRefresh_ = false, created_ = false, filling_ = false;
};

// ---- the printer dialog ---------------------------------------------------------------------

// A small printer picture for the printer list's items.
void DrawPrinterPicture(gfx::TCanvas& c, int left, int top) {
  c.Pen().SetColor(gfx::clBlack);
  c.Brush().SetColor(gfx::clWhite);
  c.Rectangle(left + 4, top + 1, left + 14, top + 7);  // the paper
  c.Brush().SetColor(gfx::clGray);
  c.Rectangle(left + 1, top + 6, left + 17, top + 13);  // the body
  c.Brush().SetColor(gfx::clWhite);
  c.Rectangle(left + 4, top + 10, left + 14, top + 15);  // the printed sheet
}

class PrnInitDialog {
 public:
  explicit PrnInitDialog(TfrxTXTExport& filter) : filter_(filter), model_(filter) {
    form = NewDialogForm("TfrxPrnInit", 8400);
    gui::TForm& f = *form;
    f.SetClientWidth(360);
    f.SetClientHeight(372);

    auto* printer = Put<gui::TGroupBox>(&f, "GroupBox1", 4, 4, 352, 56, vuzGet(8401));
    Put<gui::TLabel>(printer, "Label4", 8, 24, 40, 17, vuzGet(8402));
    printers_ = Put<gui::TComboBox>(printer, "CB1", 50, 20, 200, 22);
    printers_->SetStyle(gui::csOwnerDrawFixed);
    printers_->SetItemHeight(16);
    printers_->SetItems(preview::vuzPrinters().Printers());
    printers_->SetItemIndex(preview::vuzPrinters().PrinterIndex());
    printers_->OnDrawItem = [this](rtl::TObject*, int index, gfx::TRect rect, unsigned) {
      gfx::TCanvas& c = printers_->Canvas();
      c.FillRect(rect);
      DrawPrinterPicture(c, rect.Left + 2, rect.Top);
      const auto& names = preview::vuzPrinters().Printers();
      if (index >= 0 && index < static_cast<int>(names.size())) {
        c.Brush().SetStyle(gfx::bsClear);
        c.TextOut(rect.Left + 24, rect.Top + 1, names[static_cast<std::size_t>(index)]);
      }
    };
    printers_->OnChange = [this](rtl::TObject*) { model_.SelectPrinter(printers_->ItemIndex()); };
    auto* properties = Put<gui::TButton>(printer, "PropButton", 256, 19, 88, 25, vuzGet(8403));
    properties->OnClick = [](rtl::TObject*) {
      if (auto* p = preview::vuzPrinters().GetCurrentPrinter()) p->PropertiesDlg();
    };

    auto* copies = Put<gui::TGroupBox>(&f, "GroupBox3", 4, 64, 352, 52, vuzGet(8404));
    Put<gui::TLabel>(copies, "Label2", 8, 24, 80, 17, vuzGet(8405));
    copiesEdit_ = Put<gui::TMaskEdit>(copies, "E1", 100, 20, 50, 21);
    // Up to five digits (the mask's blanks are not part of the text).
    copiesEdit_->SetEditMask("99999;0;_");
    copiesEdit_->SetMaxLength(5);
    copiesUpDown_ = Put<gui::TUpDown>(copies, "UpDown1", 150, 20, 17, 21);
    copiesUpDown_->SetMin(1);
    copiesUpDown_->SetMax(9999);
    copiesUpDown_->SetAssociate(copiesEdit_);
    copiesUpDown_->SetPosition(1);

    auto* options = Put<gui::TGroupBox>(&f, "GroupBox2", 4, 120, 352, 216, vuzGet(8406));
    Put<gui::TLabel>(options, "Label1", 8, 24, 80, 17, vuzGet(8407));
    types_ = Put<gui::TComboBox>(options, "ComboBox1", 96, 20, 194, 22);
    types_->SetStyle(gui::csDropDownList);
    std::vector<AnsiString> names;
    for (int i = 0; i < filter_.PrinterTypesCount; ++i) names.push_back(filter_.PrinterTypes[i].Name);
    types_->SetItems(names);
    types_->SetItemIndex(filter_.SelectedPrinterType);
    types_->OnChange = [this](rtl::TObject*) {
      model_.SelectType(types_->ItemIndex());
      FillCommands();
    };
    auto* load = Put<gui::TSpeedButton>(options, "Button1", 294, 19, 24, 24, "...");
    auto* save = Put<gui::TSpeedButton>(options, "Button2", 320, 19, 24, 24, "S");
    load->SetHint("Загрузить настройки принтера"_cp);
    save->SetHint("Сохранить настройки принтера"_cp);
    load->SetShowHint(true);
    save->SetShowHint(true);
    load->OnClick = [this](rtl::TObject*) { Load(); };
    save->OnClick = [this](rtl::TObject*) { Save(); };
    // The commands of the chosen type, one check box each.
    commands_ = Put<gui::TPanel>(options, "CheckListBox1", 8, 48, 336, 160);
    commands_->SetBevelOuter(gui::bvLowered);
    FillCommands();

    OkButton(f, 200, 342);
    CancelButton(f, 281, 342);
  }

  std::unique_ptr<gui::TForm> form;

  // Ends the dialog: the copies on OK, the first printer back otherwise.
  void Close(int modalResult) { model_.Close(modalResult, Copies()); }

 private:
  // The number typed; the mask's blanks and anything not a number count as 1.
  int Copies() const {
    AnsiString digits;
    for (char c : copiesEdit_->Text())
      if (c >= '0' && c <= '9') digits += c;
    return std::clamp(rtl::StrToIntDef(digits, 1), 1, 9999);
  }

  void FillCommands() {
    for (gui::TCheckBox* box : boxes_) delete box;
    boxes_.clear();
    const int type = filter_.SelectedPrinterType;
    if (type < 0 || type >= filter_.PrinterTypesCount) return;
    const TfrxTXTPrinterType& t = filter_.PrinterTypes[type];
    for (int i = 0; i < t.CommandsCount; ++i) {
      const std::string name = "Command" + std::to_string(i);
      // Two columns, so the 12 commands of the longest built-in type fit.
      auto* box = Put<gui::TCheckBox>(commands_, name.c_str(), 4 + (i / 9) * 165, 4 + (i % 9) * 17, 160, 17,
                                      t.Commands[i].Name);
      box->SetChecked(t.Commands[i].Enabled);
      box->OnClick = [this, i, box](rtl::TObject*) { model_.SetCommandEnabled(i, box->Checked()); };
      boxes_.push_back(box);
    }
  }

  void Load() {
    gui::TOpenDialog open;
    open.DefaultExt = vuzGet(8408);
    open.Filter = vuzGet(8409);
    if (!open.Execute()) return;
    try {
      filter_.LoadPrinterInit(open.FileName);
    } catch (const rtl::Exception& e) {
      gui::ShowMessage(e.Message());
    }
    types_->SetItemIndex(filter_.SelectedPrinterType);
    FillCommands();
  }

  void Save() {
    gui::TSaveDialog save;
    save.DefaultExt = vuzGet(8410);
    save.Filter = vuzGet(8411);
    if (!save.Execute()) return;
    try {
      filter_.SavePrinterInit(save.FileName);
    } catch (const rtl::Exception& e) {
      gui::ShowMessage(e.Message());
    }
  }

  TfrxTXTExport& filter_;
  TfrxPrnInitModel model_;
  gui::TComboBox *printers_, *types_;
  gui::TMaskEdit* copiesEdit_;
  gui::TUpDown* copiesUpDown_;
  gui::TPanel* commands_;
  std::vector<gui::TCheckBox*> boxes_;
};

}  // namespace

int vuzShowTXTExportDialog(TfrxTXTExport& filter) {
  TxtExportDialog dialog(filter);
  dialog.Fill();
  for (;;) {
    if (dialog.form->ShowModal() != gui::mrOk) return gui::mrCancel;
    if (dialog.Apply()) break;
  }
  if (filter.ExportToTemp) return gui::mrOk;
  gui::TSaveDialog save;
  save.Filter = vuzGet(8325);
  save.DefaultExt = vuzGet(8326);
  save.FileName = vuzExportSaveName(filter);
  if (!filter.DefaultPath.empty()) save.InitialDir = filter.DefaultPath;
  if (filter.OverwritePrompt) save.Options |= gui::ofOverwritePrompt;
  if (!save.Execute()) return gui::mrCancel;
  filter.FileName = save.FileName;
  return gui::mrOk;
}

int vuzShowPrnInitDialog(TfrxTXTExport& filter) {
  PrnInitDialog dialog(filter);
  const int result = dialog.form->ShowModal();
  dialog.Close(result);
  return result;
}

void vuzExportTXTGuiStartup() {
  TfrxTXTExport::SetDialogHandler(vuzShowTXTExportDialog);
  TfrxTXTExport::SetPrinterDialogHandler(vuzShowPrnInitDialog);
}

}  // namespace report
