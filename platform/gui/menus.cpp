#include "platform/gui/menus.h"

#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <algorithm>
#include <functional>

#include "platform/gui/imglist.h"
#include "platform/gui/qt_bridge_p.h"

namespace gui {

namespace {
// "Файл" with an accelerator "&Файл" is shown by Qt the same way; a shortcut
// that belongs to an action is shown after a tab, not registered twice.
QString MenuText(const AnsiString& caption, TShortCut sc) {
  QString t = detail::ToQ(caption);
  if (sc) t += QChar('\t') + detail::ToKeySequence(sc).toString(QKeySequence::NativeText);
  return t;
}
}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
  detail::EnsureQtApp();
  native_ = new QAction;
  QObject::connect(native_, &QAction::triggered, native_, [this] { detail::Guarded([&] { Click(); }); });
}

TMenuItem::~TMenuItem() {
  if (action_) action_->RemoveClient(this);
  for (TMenuItem* child : std::vector<TMenuItem*>(items_)) child->parent_ = nullptr;
  items_.clear();
  if (parent_) parent_->Remove(this);
  detail::DisposeLater(native_);
  detail::DisposeLater(menu_);
}

AnsiString TMenuItem::Caption() const { return action_ ? action_->Caption() : caption_; }
bool TMenuItem::Checked() const { return action_ ? action_->Checked() : checked_; }
bool TMenuItem::Enabled() const { return action_ ? action_->Enabled() : enabled_; }
bool TMenuItem::Visible() const { return action_ ? action_->Visible() : visible_; }
TShortCut TMenuItem::ShortCut() const { return action_ ? action_->ShortCut() : shortCut_; }
AnsiString TMenuItem::Hint() const { return action_ ? action_->Hint() : hint_; }

void TMenuItem::SetCaption(const AnsiString& c) {
  bool wasLine = IsLine();
  caption_ = c;
  if (action_) action_->SetCaption(c);
  UpdateNative();
  if (wasLine != IsLine() && parent_) parent_->Rebuild();
}
void TMenuItem::SetChecked(bool c) {
  if (action_) {
    action_->SetChecked(c);
    return;
  }
  if (c && radio_ && parent_) {
    for (TMenuItem* sib : parent_->items_)
      if (sib != this && sib->radio_ && sib->groupIndex_ == groupIndex_ && sib->checked_) {
        sib->checked_ = false;
        sib->UpdateNative();
      }
  }
  checked_ = c;
  UpdateNative();
}
void TMenuItem::SetEnabled(bool e) {
  if (action_) action_->SetEnabled(e);
  enabled_ = e;
  UpdateNative();
}
void TMenuItem::SetVisible(bool v) {
  if (action_) action_->SetVisible(v);
  visible_ = v;
  UpdateNative();
}
void TMenuItem::SetRadioItem(bool r) {
  radio_ = r;
  UpdateNative();
}
void TMenuItem::SetShortCut(TShortCut sc) {
  shortCut_ = sc;
  UpdateNative();
}

void TMenuItem::SetAction(TAction* a) {
  if (action_) action_->RemoveClient(this);
  action_ = a;
  if (a) a->AddClient(this);
  UpdateNative();
}

void TMenuItem::ActionChanged() { UpdateNative(); }
void TMenuItem::ActionDestroyed() {
  action_ = nullptr;
  UpdateNative();
}

void TMenuItem::UpdateNative() {
  QAction* entry = NativeEntry();
  bool checked = Checked();
  // A line carries no text: some desktop styles draw a separator's text as a
  // section title, which would show the "-" itself.
  entry->setSeparator(IsLine());
  entry->setText(IsLine() ? QString() : MenuText(Caption(), ShortCut()));
  entry->setEnabled(Enabled());
  entry->setVisible(Visible());
  native_->setCheckable(checked || radio_);
  native_->setChecked(checked);
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  TImageList* il = root->images_;
  int index = action_ ? action_->ImageIndex() : imageIndex_;
  if (il && index >= 0 && index < il->Count()) {
    QImage img(reinterpret_cast<const uchar*>(il->Pixels(index).data()), il->Width(), il->Height(),
               QImage::Format_ARGB32_Premultiplied);
    entry->setIcon(QIcon(QPixmap::fromImage(img.copy())));
  } else {
    entry->setIcon(QIcon());
  }
}

QMenu* TMenuItem::EnsureMenu() {
  if (!menu_) {
    menu_ = new QMenu;
    if (parent_) parent_->Rebuild();
  }
  return menu_;
}

QAction* TMenuItem::NativeEntry() {
  // An item with children stands in its parent as its submenu.
  if (!items_.empty()) return EnsureMenu()->menuAction();
  return native_;
}

void TMenuItem::SetTarget(QWidget* target) {
  target_ = target;
  Rebuild();
}

void TMenuItem::Rebuild() {
  QWidget* target = target_;
  if (!target) {
    if (items_.empty()) return;
    target = EnsureMenu();
  }
  for (QAction* a : target->actions()) target->removeAction(a);
  for (TMenuItem* child : items_) {
    child->UpdateNative();
    target->addAction(child->NativeEntry());
  }
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  bool hadChildren = !items_.empty();
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  if (!hadChildren && !target_) {
    EnsureMenu();
    UpdateNative();
    if (parent_) parent_->Rebuild();
  }
  Rebuild();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  Rebuild();
  if (items_.empty() && parent_) parent_->Rebuild();
}

void TMenuItem::Delete(int index) { Remove(Items(index)); }

void TMenuItem::Clear() {
  for (TMenuItem* child : std::vector<TMenuItem*>(items_)) {
    Remove(child);
    delete child;
  }
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool TMenuItem::ExecuteShortCut(TShortCut sc) {
  for (TMenuItem* child : std::vector<TMenuItem*>(items_)) {
    if (!child->action_ && child->shortCut_ == sc && child->Enabled() && child->Visible()) {
      child->Click();
      return true;
    }
    if (child->ExecuteShortCut(sc)) return true;
  }
  return false;
}

void TMenuItem::Click() {
  if (!Enabled()) return;
  if (action_) {
    action_->Execute();
    if (action_ && action_->OnExecute) return;
  }
  if (OnClick) OnClick(this);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {}

TImageList* TMenu::Images() const { return items_->images_; }

void TMenu::SetImages(TImageList* images) {
  items_->images_ = images;
  std::function<void(TMenuItem*)> refresh = [&](TMenuItem* item) {
    for (int i = 0; i < item->Count(); ++i) {
      item->Items(i)->ActionChanged();
      refresh(item->Items(i));
    }
  };
  refresh(items_);
}
TMenu::~TMenu() {
  // Children owned by nobody else go with the menu.
  for (int i = items_->Count() - 1; i >= 0; --i) {
    TMenuItem* child = items_->Items(i);
    if (!child->Owner()) delete child;
  }
  delete items_;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {
  menu_ = new QMenu;
  Items()->SetTarget(menu_);
  // A drop-down button opens the menu itself: the handlers still run first.
  QObject::connect(menu_, &QMenu::aboutToShow, menu_, [this] {
    detail::Guarded([&] {
      if (OnPopup && !inPopup_) OnPopup(this);
    });
  });
}

TPopupMenu::~TPopupMenu() {
  Items()->SetTarget(nullptr);
  detail::DisposeLater(menu_);
}

void TPopupMenu::Popup(int x, int y) {
  popupPoint_ = {x, y};
  if (OnPopup) OnPopup(this);
  Items()->SetTarget(menu_);
  inPopup_ = true;
  menu_->popup(QPoint(x, y));
  inPopup_ = false;
}

bool TPopupMenu::IsShown() const { return menu_->isVisible(); }
void TPopupMenu::CloseMenu() { menu_->hide(); }

TMenuItem* NewItem(TComponent* owner, const AnsiString& caption, TShortCut sc, bool checked, bool enabled,
                   TNotifyEvent onClick, const AnsiString& name) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(sc);
  item->SetChecked(checked);
  item->SetEnabled(enabled);
  item->OnClick = std::move(onClick);
  if (!name.empty()) item->SetName(name);
  return item;
}

TMenuItem* NewLine(TComponent* owner) {
  auto* item = new TMenuItem(owner);
  item->SetCaption("-");
  return item;
}

TPoint MouseCursorPos() {
  detail::EnsureQtApp();
  QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

}  // namespace gui
