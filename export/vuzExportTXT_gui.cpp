// The text export's options dialog (scale, frames, options, page range,
// printing afterwards, and a live preview of one page) and its printer
// dialog (printer, copies, printer type and its commands, ".fpi" files),
// bound to the toolkit-free logic of vuzExportTXTDialog.
#include "export/vuzExportTXT_gui.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "export/vuzExportDialogs.h"
#include "export/vuzExportDialogs_gui.h"
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

// ---- the options dialog ---------------------------------------------------------------------

class TxtExportDialog {
 public:
  // The narrow window, and the width with the preview beside it.
  static constexpr int kNarrowWidth = 277, kWideWidth = 631, kShift = 177;

  explicit TxtExportDialog(TfrxTXTExport& filter) : filter_(filter), preview_(filter) {
    form = vuzNewExportDialog("TfrxTXTExportDialog", 8300);
    gui::TForm& f = *form;
    f.SetClientHeight(392);

    auto* scale = vuzPutControl<gui::TGroupBox>(&f, "GroupScaleSettings", 4, 4, 263, 70, vuzGet(8309));
    vuzPutControl<gui::TLabel>(scale, "Label5", 8, 20, 70, 17, vuzGet(8310));
    scaleX_ = vuzPutControl<gui::TEdit>(scale, "E_ScaleX", 90, 18, 50, 21);
    upDownX_ = vuzPutControl<gui::TUpDown>(scale, "UpDown1", 140, 18, 17, 21);
    vuzPutControl<gui::TLabel>(scale, "Label6", 164, 20, 12, 17, "%");
    vuzPutControl<gui::TLabel>(scale, "Label7", 8, 44, 70, 17, vuzGet(8311));
    scaleY_ = vuzPutControl<gui::TEdit>(scale, "E_ScaleY", 90, 42, 50, 21);
    upDownY_ = vuzPutControl<gui::TUpDown>(scale, "UpDown2", 140, 42, 17, 21);
    vuzPutControl<gui::TLabel>(scale, "Label8", 164, 44, 12, 17, "%");
    for (auto [updown, edit] : {std::pair{upDownX_, scaleX_}, std::pair{upDownY_, scaleY_}}) {
      updown->SetMin(10);
      updown->SetMax(500);
      updown->SetIncrement(10);
      updown->SetAssociate(edit);
      updown->SetPosition(100);
    }

    auto* frames = vuzPutControl<gui::TGroupBox>(&f, "GroupFramesSettings", 4, 78, 263, 44, vuzGet(8312));
    none_ = vuzPutControl<gui::TRadioButton>(frames, "RB_NoneFrames", 8, 20, 70, 17, vuzGet(8313));
    simple_ = vuzPutControl<gui::TRadioButton>(frames, "RB_Simple", 80, 20, 86, 17, vuzGet(8314));
    graph_ = vuzPutControl<gui::TRadioButton>(frames, "RB_Graph", 168, 20, 90, 17, vuzGet(8315));
    graph_->SetHint(vuzGet(8316));
    graph_->SetShowHint(true);
    none_->SetChecked(true);

    auto* cells = vuzPutControl<gui::TGroupBox>(&f, "GroupCellProp", 4, 126, 263, 64, vuzGet(8302));
    pageBreaks_ = vuzPutControl<gui::TCheckBox>(cells, "CB_PageBreaks", 8, 18, 124, 17, vuzGet(8303));
    oem_ = vuzPutControl<gui::TCheckBox>(cells, "CB_OEM", 136, 18, 124, 17, vuzGet(8304));
    emptyLines_ = vuzPutControl<gui::TCheckBox>(cells, "CB_EmptyLines", 8, 40, 124, 17, vuzGet(8305));
    leadSpaces_ = vuzPutControl<gui::TCheckBox>(cells, "CB_LeadSpaces", 136, 40, 124, 17, vuzGet(8306));

    auto* range = vuzPutControl<gui::TGroupBox>(&f, "GroupPageRange", 4, 194, 263, 96, vuzGet(7));
    vuzPutControl<gui::TLabel>(range, "Pages", 8, 22, 60, 17, vuzGet(8307));
    range_ = vuzPutControl<gui::TEdit>(range, "E_Range", 70, 20, 185, 21);
    auto* descr = vuzPutControl<gui::TLabel>(range, "Descr", 8, 46, 247, 44, vuzGet(8308));
    descr->SetAutoSize(false);
    descr->SetWordWrap(true);
    range_->OnKeyPress = [](rtl::TObject*, char& key) {
      if (!vuzPageNumberKey(key)) key = 0;
    };

    printAfter_ = vuzPutControl<gui::TCheckBox>(&f, "CB_PrintAfter", 8, 298, 200, 17, vuzGet(8317));
    previewButton_ = vuzPutControl<gui::TSpeedButton>(&f, "BtnPreview", 236, 294, 28, 25, ">>");
    previewButton_->SetGroupIndex(1);
    previewButton_->SetAllowAllUp(true);
    previewButton_->SetHint(vuzGet(8301));
    previewButton_->SetShowHint(true);
    vuzPutOkCancel(f, 110, 360);

    panel_ = vuzPutControl<gui::TPanel>(&f, "Panel2", kNarrowWidth - 4, 4, 354, 384);
    panel_->SetBevelOuter(gui::bvNone);
    auto* box = vuzPutControl<gui::TGroupBox>(panel_, "GroupBox1", 0, 0, 350, 380, vuzGet(8319));
    vuzPutControl<gui::TLabel>(box, "Label1", 8, 20, 50, 17, vuzGet(8320));
    pageWidth_ = vuzPutControl<gui::TLabel>(box, "PgWidth", 60, 20, 40, 17, "0");
    vuzPutControl<gui::TLabel>(box, "Label3", 104, 20, 50, 17, vuzGet(8321));
    pageHeight_ = vuzPutControl<gui::TLabel>(box, "PgHeight", 156, 20, 40, 17, "0");
    auto* larger = vuzPutControl<gui::TSpeedButton>(box, "ToolButton1", 292, 14, 23, 22, "+");
    auto* smaller = vuzPutControl<gui::TSpeedButton>(box, "ToolButton2", 318, 14, 23, 22, "-");
    larger->SetHint(vuzGet(8323));
    smaller->SetHint(vuzGet(8324));
    larger->SetShowHint(true);
    smaller->SetShowHint(true);
    vuzPutControl<gui::TLabel>(box, "LBPage", 8, 46, 60, 17, vuzGet(8322));
    page_ = vuzPutControl<gui::TEdit>(box, "EPage", 70, 44, 50, 21);
    pageUpDown_ = vuzPutControl<gui::TUpDown>(box, "PageUpDown", 120, 44, 17, 21);
    pageUpDown_->SetMin(1);
    pageUpDown_->SetAssociate(page_);
    pageUpDown_->SetPosition(1);
    memo_ = vuzPutControl<gui::TMemo>(box, "Preview", 8, 72, 334, 300);
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
    form = vuzNewExportDialog("TfrxPrnInit", 8400);
    gui::TForm& f = *form;
    f.SetClientWidth(360);
    f.SetClientHeight(372);

    auto* printer = vuzPutControl<gui::TGroupBox>(&f, "GroupBox1", 4, 4, 352, 56, vuzGet(8401));
    vuzPutControl<gui::TLabel>(printer, "Label4", 8, 24, 40, 17, vuzGet(8402));
    printers_ = vuzPutControl<gui::TComboBox>(printer, "CB1", 50, 20, 200, 22);
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
    auto* properties = vuzPutControl<gui::TButton>(printer, "PropButton", 256, 19, 88, 25, vuzGet(8403));
    properties->OnClick = [](rtl::TObject*) {
      if (auto* p = preview::vuzPrinters().GetCurrentPrinter()) p->PropertiesDlg();
    };

    auto* copies = vuzPutControl<gui::TGroupBox>(&f, "GroupBox3", 4, 64, 352, 52, vuzGet(8404));
    vuzPutControl<gui::TLabel>(copies, "Label2", 8, 24, 80, 17, vuzGet(8405));
    copiesEdit_ = vuzPutControl<gui::TMaskEdit>(copies, "E1", 100, 20, 50, 21);
    // Up to five digits (the mask's blanks are not part of the text).
    copiesEdit_->SetEditMask("99999;0;_");
    copiesEdit_->SetMaxLength(5);
    copiesUpDown_ = vuzPutControl<gui::TUpDown>(copies, "UpDown1", 150, 20, 17, 21);
    copiesUpDown_->SetMin(1);
    copiesUpDown_->SetMax(9999);
    copiesUpDown_->SetAssociate(copiesEdit_);
    copiesUpDown_->SetPosition(1);

    auto* options = vuzPutControl<gui::TGroupBox>(&f, "GroupBox2", 4, 120, 352, 216, vuzGet(8406));
    vuzPutControl<gui::TLabel>(options, "Label1", 8, 24, 80, 17, vuzGet(8407));
    types_ = vuzPutControl<gui::TComboBox>(options, "ComboBox1", 96, 20, 194, 22);
    types_->SetStyle(gui::csDropDownList);
    std::vector<AnsiString> names;
    for (int i = 0; i < filter_.PrinterTypesCount; ++i) names.push_back(filter_.PrinterTypes[i].Name);
    types_->SetItems(names);
    types_->SetItemIndex(filter_.SelectedPrinterType);
    types_->OnChange = [this](rtl::TObject*) {
      model_.SelectType(types_->ItemIndex());
      FillCommands();
    };
    auto* load = vuzPutControl<gui::TSpeedButton>(options, "Button1", 294, 19, 24, 24, "...");
    auto* save = vuzPutControl<gui::TSpeedButton>(options, "Button2", 320, 19, 24, 24, "S");
    load->SetHint("Загрузить настройки принтера"_cp);
    save->SetHint("Сохранить настройки принтера"_cp);
    load->SetShowHint(true);
    save->SetShowHint(true);
    load->OnClick = [this](rtl::TObject*) { Load(); };
    save->OnClick = [this](rtl::TObject*) { Save(); };
    // The commands of the chosen type, one check box each.
    commands_ = vuzPutControl<gui::TPanel>(options, "CheckListBox1", 8, 48, 336, 160);
    commands_->SetBevelOuter(gui::bvLowered);
    FillCommands();

    vuzPutOkCancel(f, 200, 342);
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
      auto* box = vuzPutControl<gui::TCheckBox>(commands_, name.c_str(), 4 + (i / 9) * 165, 4 + (i % 9) * 17, 160, 17,
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
  return vuzAskExportFileName(filter, vuzGet(8325), vuzGet(8326)) ? gui::mrOk : gui::mrCancel;
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
