// Main and pop-up menus: trees of menu items, each with a caption ("-" is a
// separator line), check mark, enabling, visibility, shortcut and either an
// action or an OnClick handler.
#pragma once
#include <vector>

#include "platform/gui/actions.h"

class QAction;
class QMenu;
class QWidget;

namespace gui {

class TImageList;

class TMenuItem : public TComponent, public TActionClient {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  AnsiString Caption() const;
  void SetCaption(const AnsiString& c);
  bool IsLine() const { return Caption() == "-"; }
  bool Checked() const;
  void SetChecked(bool c);
  bool Enabled() const;
  void SetEnabled(bool e);
  bool Visible() const;
  void SetVisible(bool v);
  bool RadioItem() const { return radio_; }
  void SetRadioItem(bool r);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int g) { groupIndex_ = g; }
  TShortCut ShortCut() const;
  void SetShortCut(TShortCut sc);
  AnsiString Hint() const;
  void SetHint(const AnsiString& h) { hint_ = h; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int i) { imageIndex_ = i; }

  TAction* Action() const { return action_; }
  void SetAction(TAction* a);

  // Children.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  void Delete(int index);
  // Removes and destroys every child.
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const { return items_.at(static_cast<std::size_t>(i)); }
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return parent_; }

  // What choosing the item does: the action, else OnClick.
  void Click();
  TNotifyEvent OnClick;

  // Platform-internal.
  void ActionChanged() override;
  void ActionDestroyed() override;
  // The widget (menu bar or menu) this item's children are shown in.
  void SetTarget(QWidget* target);
  QAction* NativeEntry();
  // The image list of the menu this item belongs to (set on the root item).
  TImageList* images_ = nullptr;
  // Runs the enabled item under this one whose own shortcut this is.
  bool ExecuteShortCut(TShortCut sc);

 private:
  void UpdateNative();
  void Rebuild();
  QMenu* EnsureMenu();

  AnsiString caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, radio_ = false;
  int groupIndex_ = 0, imageIndex_ = -1;
  TShortCut shortCut_ = 0;
  TAction* action_ = nullptr;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
  QAction* native_ = nullptr;
  QMenu* menu_ = nullptr;
  QWidget* target_ = nullptr;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  TMenuItem* Items() const { return items_; }
  // The pictures the items' ImageIndex picks from.
  TImageList* Images() const;
  void SetImages(TImageList* images);

 private:
  TMenuItem* items_;
};

class TMainMenu : public TMenu {
 public:
  using TMenu::TMenu;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  // Runs OnPopup and shows the menu at the screen point without waiting.
  void Popup(int x, int y);
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool a) { autoPopup_ = a; }
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
  // Where the menu was last popped up (tests read it).
  TPoint PopupPoint() const { return popupPoint_; }
  bool IsShown() const;
  void CloseMenu();
  // Platform-internal: the toolkit menu (drop-down buttons show it).
  QMenu* NativeMenu() const { return menu_; }
  TNotifyEvent OnPopup;

 private:
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
  TPoint popupPoint_;
  QMenu* menu_ = nullptr;
  bool inPopup_ = false;
};

// Builders for menus made in code.
TMenuItem* NewItem(TComponent* owner, const AnsiString& caption, TShortCut sc, bool checked, bool enabled,
                   TNotifyEvent onClick, const AnsiString& name = {});
TMenuItem* NewLine(TComponent* owner);

// The pointer's position on the screen.
TPoint MouseCursorPos();

}  // namespace gui
