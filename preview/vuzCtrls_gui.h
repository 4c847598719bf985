// The engine's own editing controls as widgets: the flat combo box (the
// preview's zoom box), the font-name box with its floating sample, and the
// combo edit. Their geometry, painting and lists come from the window-free
// units vuzCtrls and vuzFontList.
#pragma once
#include <functional>
#include <vector>

#include "platform/gui/controls.h"
#include "preview/vuzCtrls.h"
#include "preview/vuzFontList.h"

namespace gui {
class TEdit;
class TPopupMenu;
class TComboBox;
class TForm;
class TLabel;
class TSpeedButton;
}  // namespace gui

namespace preview {

// An editable combo box drawn flat: a one-pixel frame and a narrow arrow
// button, lit while it has the focus, dropped down as a list under (or, at
// the screen's bottom, above) the box.
class TfrxComboBox : public gui::TCustomControl {
 public:
  explicit TfrxComboBox(gui::TComponent* owner);
  void SetItems(const std::vector<AnsiString>& items) { items_ = items; }
  const std::vector<AnsiString>& Items() const { return items_; }
  AnsiString Caption() const override;
  void SetCaption(const AnsiString& text) override;
  int ItemIndex() const { return itemIndex_; }
  int DropDownCount = 8;
  int ListWidth = 0;  // 0: the box's width
  bool ReadOnly() const;
  void SetReadOnly(bool value);
  bool EditFocused() const;
  // Drops the list down (what a click on the arrow does).
  void DropDown();
  // Chooses an item as the list would.
  void Choose(int index);
  bool ListDropsUp() const { return dropsUp_; }
  TfrxComboPaintState PaintState() const;
  gui::TEdit& Edit() { return *edit_; }
  // An item chosen from the list.
  gui::TNotifyEvent OnSelect;

 protected:
  void Paint() override;
  void DoResize() override;
  void MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;

 private:
  gui::TEdit* edit_;
  gui::TPopupMenu* list_;
  std::vector<AnsiString> items_;
  int itemIndex_ = -1;
  bool dropped_ = false, dropsUp_ = false;
};

// A font-name box: the screen's and the printer's fonts with their kind
// drawn before the name, the recent fonts on top, and a sample window that
// shows the font while the list is open.
class TfrxFontComboBox : public gui::TCustomControl {
 public:
  explicit TfrxFontComboBox(gui::TComponent* owner);
  ~TfrxFontComboBox() override;
  TfrxFontList& List() { return list_; }
  // Rebuilds the list (the screen's fonts and the current printer's).
  void PopulateList();
  AnsiString Caption() const override;
  void SetCaption(const AnsiString& text) override;
  gui::TComboBox& Box() { return *box_; }
  // The list closed with an item chosen.
  void CloseUp(int index);
  gui::TNotifyEvent OnClick;

 private:
  void Refill();
  TfrxFontList list_;
  gui::TComboBox* box_;
  gui::TForm* sample_ = nullptr;
  gui::TLabel* sampleText_ = nullptr;
  bool populating_ = false;
};

// A simple combo with a small push button at its right end.
class TfrxComboEdit : public gui::TCustomControl {
 public:
  explicit TfrxComboEdit(gui::TComponent* owner);
  gui::TEdit& Edit() { return *edit_; }
  gui::TSpeedButton& Button() { return *button_; }
  void SetButtonHint(const AnsiString& hint);
  void SetButtonEnabled(bool enabled);
  void DoResize() override;
  gui::TNotifyEvent OnButtonClick;

 private:
  gui::TEdit* edit_;
  gui::TSpeedButton* button_;
};

}  // namespace preview
