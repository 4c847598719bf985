// The standard controls: buttons, labels, edits (with key filter, font colour
// and password character), the masked edit, check and radio buttons, group
// boxes, combo and list boxes, memos, panels and the progress bar.
#pragma once
#include <vector>

#include "platform/gui/controls.h"

namespace gui {

class TButton : public TControl {
 public:
  explicit TButton(TComponent* owner);
  void SetCaption(const AnsiString& text) override;
  // Enter (Default) or Esc (Cancel) on the form presses this button.
  bool Default() const { return default_; }
  void SetDefault(bool d);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool c);
  // Pressing the button sets the form's ModalResult to this (0: nothing).
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  void Click() override;
  bool WantsKey(Word key) const override { return key == VK_RETURN; }

 private:
  bool default_ = false, cancel_ = false;
  TModalResult modalResult_ = mrNone;
};

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);
  void SetCaption(const AnsiString& text) override;
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool w);
  // Sizes the label to its text when on (the default).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool a);
  void SetTransparent(bool t);
  // The control whose focus the label's accelerator moves to.
  void SetFocusControl(TControl* c);
  bool ClickOnMouseUp() const override { return true; }

 private:
  void Fit();
  TAlignment alignment_ = taLeftJustify;
  bool wordWrap_ = false, autoSize_ = true;
};

class TEdit : public TControl {
 public:
  explicit TEdit(TComponent* owner);
  AnsiString Caption() const override;
  void SetCaption(const AnsiString& text) override;
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int n);
  // A non-zero character hides what is typed.
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  bool ReadOnly() const;
  void SetReadOnly(bool r);
  // Only digits may be typed.
  void SetNumbersOnly(bool n);
  // bsNone draws no frame (the page box in the preview's toolbar).
  void SetBorderStyle(TBorderStyle b);
  int SelStart() const;
  void SetSelStart(int s);
  int SelLength() const;
  void SetSelLength(int n);
  void SelectAll();
  void Clear() { SetText({}); }
  // Runs on every change of the text, by the user or by code.
  TNotifyEvent OnChange;

 protected:
  explicit TEdit(TComponent* owner, bool masked);

 private:
  int maxLength_ = 0;
  char passwordChar_ = 0;
};

// An edit with an input mask: "#00\.000;1;_" — '0' a required digit, '9' an
// optional digit, '#' a digit or sign, 'L'/'l' letters, 'A'/'a' letters or
// digits, 'C'/'c' any character, '\' a literal next; after ';' whether the
// literals are kept in the text and the blank character.
class TMaskEdit : public TEdit {
 public:
  explicit TMaskEdit(TComponent* owner);
  const AnsiString& EditMask() const { return mask_; }
  void SetEditMask(const AnsiString& mask);
  AnsiString Caption() const override;
  void SetCaption(const AnsiString& text) override;

 private:
  AnsiString mask_;
};

class TCheckBox : public TControl {
 public:
  explicit TCheckBox(TComponent* owner);
  void SetCaption(const AnsiString& text) override;
  bool Checked() const;
  // Runs OnClick when the state changes, whether by the user or by code.
  void SetChecked(bool c);
  void Click() override;
};

class TRadioButton : public TControl {
 public:
  explicit TRadioButton(TComponent* owner);
  void SetCaption(const AnsiString& text) override;
  bool Checked() const;
  // Checking unchecks the other radio buttons of the same parent and runs
  // OnClick.
  void SetChecked(bool c);
  void Click() override;
};

class TGroupBox : public TControl {
 public:
  explicit TGroupBox(TComponent* owner);
  void SetCaption(const AnsiString& text) override;
  TRect AlignRect() const override;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// What an owner-draw handler is told about an item (bits).
enum TOwnerDrawState : unsigned { odSelected = 1, odFocused = 2, odDisabled = 4 };
using TDrawItemEvent = std::function<void(TObject* Control, int Index, TRect Rect, unsigned State)>;

class TComboBox : public TControl {
 public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);
  void SetItems(const std::vector<AnsiString>& items);
  std::vector<AnsiString> Items() const;
  void AddItem(const AnsiString& item);
  void ClearItems();
  int ItemCount() const;
  AnsiString Item(int i) const;
  int ItemIndex() const;
  // Choosing by code runs no OnChange.
  void SetItemIndex(int i);
  AnsiString Caption() const override;
  void SetCaption(const AnsiString& text) override;
  bool DroppedDown() const;
  void SetDroppedDown(bool d);
  int DropDownCount() const;
  void SetDropDownCount(int n);
  // Width of the drop-down list (0: the control's width).
  int ListWidth() const { return listWidth_; }
  void SetListWidth(int w);
  // The edit part refuses typing.
  bool ReadOnly() const;
  void SetReadOnly(bool r);
  // Height of the list's items (csOwnerDrawFixed), in pixels.
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int h);
  // The canvas of the item being drawn by OnDrawItem; the rectangle it gets
  // is the item's own (from 0, 0), its background already filled.
  gfx::TCanvas& Canvas();
  // The user chose an item or typed.
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  // Owner drawing of the items (styles csOwnerDrawFixed/Variable).
  TDrawItemEvent OnDrawItem;

 private:
  void InstallDelegate();
  TComboBoxStyle style_ = csDropDown;
  int listWidth_ = 0, itemHeight_ = 0;
  void* delegate_ = nullptr;
};

class TListBox : public TControl {
 public:
  explicit TListBox(TComponent* owner);
  void SetItems(const std::vector<AnsiString>& items);
  std::vector<AnsiString> Items() const;
  void AddItem(const AnsiString& item);
  void ClearItems();
  int ItemCount() const;
  AnsiString Item(int i) const;
  int ItemIndex() const;
  void SetItemIndex(int i);
  bool MultiSelect() const;
  void SetMultiSelect(bool m);
  bool Selected(int i) const;
  void SetSelected(int i, bool s);
  int SelCount() const;
  int TopIndex() const;
  void SetTopIndex(int i);
  int ItemAtPos(TPoint p) const;
};

class TMemo : public TControl {
 public:
  explicit TMemo(TComponent* owner);
  // The whole text, lines separated by CR LF.
  AnsiString Caption() const override;
  void SetCaption(const AnsiString& text) override;
  std::vector<AnsiString> Lines() const;
  void SetLines(const std::vector<AnsiString>& lines);
  void AddLine(const AnsiString& line);
  bool ReadOnly() const;
  void SetReadOnly(bool r);
  void SetWordWrap(bool w);
  void SetScrollBars(TScrollStyle s);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool w) { wantReturns_ = w; }
  bool WantsKey(Word key) const override { return key == VK_RETURN && wantReturns_; }
  TNotifyEvent OnChange;

 private:
  bool wantReturns_ = true;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TControl {
 public:
  explicit TPanel(TComponent* owner);
  void SetCaption(const AnsiString& text) override;
  void SetBevelOuter(TBevelCut b);
  void SetBevelInner(TBevelCut b);
  void SetBevelWidth(int w);
  void SetAlignment(TAlignment a);
  bool ClickOnMouseUp() const override { return true; }
  void DoResize() override;
  TRect AlignRect() const override;

 private:
  void UpdateFrame();
  TBevelCut outer_ = bvRaised, inner_ = bvNone;
  int bevelWidth_ = 1;
};

class TProgressBar : public TControl {
 public:
  explicit TProgressBar(TComponent* owner);
  int Min() const;
  void SetMin(int v);
  int Max() const;
  void SetMax(int v);
  int Position() const;
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int s) { step_ = s; }
  void StepIt() { StepBy(step_); }
  void StepBy(int delta);

 private:
  int step_ = 10;
};

}  // namespace gui
