#include "preview/vuzCtrls_gui.h"

#include <algorithm>

#include "platform/gui/application.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/menus.h"
#include "platform/gui/stdctrls.h"
#include "preview/vuzPrinter.h"

namespace preview {

// ---- flat combo box

TfrxComboBox::TfrxComboBox(gui::TComponent* owner) : gui::TCustomControl(owner) {
  edit_ = new gui::TEdit(this);
  edit_->SetParent(this);
  edit_->SetBorderStyle(gui::bsNone);
  list_ = new gui::TPopupMenu(this);
  edit_->OnEnter = [this](gui::TObject*) { Invalidate(); };
  edit_->OnExit = [this](gui::TObject*) { Invalidate(); };
  SetBounds(0, 0, 100, 21);
}

AnsiString TfrxComboBox::Caption() const { return edit_->Caption(); }
void TfrxComboBox::SetCaption(const AnsiString& text) {
  edit_->SetCaption(text);
  Invalidate();
}
bool TfrxComboBox::ReadOnly() const { return edit_->ReadOnly(); }
void TfrxComboBox::SetReadOnly(bool value) { edit_->SetReadOnly(value); }
bool TfrxComboBox::EditFocused() const { return edit_->Focused(); }

TfrxComboPaintState TfrxComboBox::PaintState() const {
  if (dropped_) return cpsPressed;
  return edit_->Focused() ? cpsHot : cpsNormal;
}

void TfrxComboBox::DoResize() {
  gui::TCustomControl::DoResize();
  TfrxFlatComboGeometry g{Width(), Height(), 0};
  const gfx::TRect r = g.EditRect();
  edit_->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

void TfrxComboBox::Paint() {
  TfrxFlatComboGeometry g{Width(), Height(), 0};
  vuzPaintFlatCombo(Canvas(), g, PaintState(), Enabled());
}

void TfrxComboBox::MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
  gui::TCustomControl::MouseDown(button, shift, x, y);
  TfrxFlatComboGeometry g{Width(), Height(), 0};
  if (button == gui::mbLeft && Enabled() && g.OnButton(x, y)) DropDown();
}

void TfrxComboBox::Choose(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  itemIndex_ = index;
  edit_->SetCaption(items_[static_cast<std::size_t>(index)]);
  if (OnSelect) OnSelect(this);
}

void TfrxComboBox::DropDown() {
  list_->Items()->Clear();
  for (std::size_t i = 0; i < items_.size(); ++i) {
    auto* item = new gui::TMenuItem(list_);
    item->SetCaption(items_[i]);
    const int index = static_cast<int>(i);
    item->OnClick = [this, index](gui::TObject*) { Choose(index); };
    list_->Items()->Add(item);
  }
  const int itemHeight = vuzGetFontHeight(Canvas().Font()) + 4;
  const int listHeight = vuzComboListHeight(DropDownCount, static_cast<int>(items_.size()), itemHeight);
  const gfx::TPoint top = ClientToScreen({0, 0});
  dropsUp_ = vuzComboListDropsUp(top.Y, Height(), listHeight, gui::Screen->Height());
  dropped_ = true;
  Invalidate();
  list_->Popup(top.X, dropsUp_ ? top.Y - listHeight : top.Y + Height());
  dropped_ = false;
  Invalidate();
}

// ---- font combo box

TfrxFontComboBox::TfrxFontComboBox(gui::TComponent* owner) : gui::TCustomControl(owner) {
  box_ = new gui::TComboBox(this);
  box_->SetParent(this);
  box_->SetAlign(gui::alClient);
  box_->SetStyle(gui::csOwnerDrawFixed);
  box_->SetDropDownCount(12);
  box_->SetReadOnly(true);
  box_->SetItemHeight(std::max(16, vuzGetFontHeight(gfx::TFont()) + 1));
  box_->OnDrawItem = [this](gui::TObject*, int index, gui::TRect r, unsigned state) {
    if (index < 0 || index >= static_cast<int>(list_.Items().size())) return;
    const TfrxFontItem& f = list_.Items()[static_cast<std::size_t>(index)];
    gfx::TCanvas& c = box_->Canvas();
    // The kind mark: a "T" for outline fonts, a printer's "D" for its own.
    if (f.Type & (kTrueTypeFontType | kDeviceFontType)) {
      c.Font().SetHeight(-11);
      c.Font().SetStyle(gfx::TFontStyles{gfx::fsBold});
      c.Font().SetColor(f.Type & kTrueTypeFontType ? 0x808080 : 0x000080);
      c.Brush().SetStyle(gfx::bsClear);
      c.TextOut(r.Left + 2, r.Top + 1, f.Type & kTrueTypeFontType ? "T" : "D");
    }
    c.Font().SetStyle(gfx::TFontStyles());
    c.Font().SetColor(state & gui::odSelected ? gfx::clHighlightText : gfx::clWindowText);
    c.TextOut(r.Left + 17, r.Top + 1, f.Name);
    // The recent fonts end with a line.
    if (index == list_.MRUCount()) {
      c.Pen().SetColor(gfx::clBtnShadow);
      c.MoveTo(r.Left, r.Bottom - 2);
      c.LineTo(r.Right, r.Bottom - 2);
    }
    if (state & gui::odSelected && sampleText_) {
      sampleText_->Font().SetName(f.Name);
      sampleText_->SetCaption(f.Name);
    }
  };
  box_->OnDropDown = [this](gui::TObject*) {
    if (!sample_) return;
    const gfx::TPoint corner = ClientToScreen({Width(), Height()});
    int left = corner.X + 1;
    if (left + sample_->Width() > gui::Screen->Width()) left = ClientToScreen({0, 0}).X - sample_->Width() - 1;
    sample_->SetBounds(left, corner.Y, 200, 50);
    sample_->Show();
  };
  box_->OnSelect = [this](gui::TObject*) { CloseUp(box_->ItemIndex()); };

  sample_ = new gui::TForm(this);
  sample_->SetBorderStyle(gui::bsNone);
  sample_->SetClientWidth(200);
  sample_->SetClientHeight(50);
  sample_->SetColor(gfx::clWindow);
  sampleText_ = new gui::TLabel(sample_);
  sampleText_->SetParent(sample_);
  sampleText_->SetAlign(gui::alClient);
  sampleText_->SetAlignment(gui::taCenter);
  sampleText_->Font().SetSize(18);
  sampleText_->Font().SetColor(gfx::clWindowText);
  SetBounds(0, 0, 150, 21);
}

TfrxFontComboBox::~TfrxFontComboBox() = default;

void TfrxFontComboBox::PopulateList() {
  populating_ = true;
  const AnsiString current = box_->Caption();
  list_.Populate(vuzScreenFonts(), [] {
    std::vector<TfrxFontItem> fonts;
    if (vuzPrinters().HasPhysicalPrinters())
      if (TfrxCustomPrinter* p = vuzPrinters().GetCurrentPrinter())
        for (const AnsiString& name : p->DeviceFonts()) fonts.push_back({name, kDeviceFontType});
    return fonts;
  });
  Refill();
  const int at = list_.IndexOf(current);
  box_->SetItemIndex(at >= 0 ? at : (list_.Items().empty() ? -1 : 0));
  populating_ = false;
}

void TfrxFontComboBox::Refill() {
  std::vector<AnsiString> names;
  for (const TfrxFontItem& f : list_.Items()) names.push_back(f.Name);
  box_->SetItems(names);
}

AnsiString TfrxFontComboBox::Caption() const { return box_->Caption(); }
void TfrxFontComboBox::SetCaption(const AnsiString& text) {
  const int at = list_.IndexOf(text);
  if (at >= 0) box_->SetItemIndex(at);
}

void TfrxFontComboBox::CloseUp(int index) {
  if (sample_) sample_->Hide();
  if (populating_) return;
  const int selected = list_.Choose(index);
  Refill();
  box_->SetItemIndex(selected);
  if (OnClick) OnClick(this);
}

// ---- combo edit

TfrxComboEdit::TfrxComboEdit(gui::TComponent* owner) : gui::TCustomControl(owner) {
  edit_ = new gui::TEdit(this);
  edit_->SetParent(this);
  button_ = new gui::TSpeedButton(this);
  button_->SetParent(this);
  button_->SetCaption("...");
  button_->OnClick = [this](gui::TObject*) {
    edit_->SetFocus();
    if (OnButtonClick) OnButtonClick(this);
  };
  SetBounds(0, 0, 121, 21);
}

void TfrxComboEdit::SetButtonHint(const AnsiString& hint) {
  button_->SetHint(hint);
  button_->SetShowHint(true);
}

void TfrxComboEdit::SetButtonEnabled(bool enabled) { button_->SetEnabled(enabled && Enabled()); }

void TfrxComboEdit::DoResize() {
  gui::TCustomControl::DoResize();
  const TfrxComboEditGeometry g{Width(), Height()};
  edit_->SetBounds(0, 0, std::max(0, g.EditWidth()), Height());
  const gfx::TRect b = g.ButtonPanel();
  button_->SetBounds(b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top);
}

}  // namespace preview
