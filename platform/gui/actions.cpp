#include "platform/gui/actions.h"

#include <QAction>
#include <algorithm>

#include "platform/gui/forms.h"
#include "platform/gui/qt_bridge_p.h"

namespace gui {

namespace {
std::vector<TAction*>& LiveActions() {
  static std::vector<TAction*> v;
  return v;
}
}  // namespace

TAction::TAction(TComponent* owner, TActionList* list) : TComponent(owner) {
  LiveActions().push_back(this);
  detail::EnsureQtApp();
  native_ = new QAction;
  // A shortcut runs the action as a user command would.
  QObject::connect(native_, &QAction::triggered, native_, [this] {
    native_->setChecked(checked_);
    detail::Guarded([&] { Execute(); });
  });
  if (!list) list = dynamic_cast<TActionList*>(owner);
  SetActionList(list);
}

TAction::~TAction() {
  LiveActions().erase(std::remove(LiveActions().begin(), LiveActions().end(), this), LiveActions().end());
  for (TActionClient* c : std::vector<TActionClient*>(clients_)) c->ActionDestroyed();
  if (list_) list_->Remove(this);
  detail::DisposeLater(native_);
}

void TAction::SetActionList(TActionList* list) {
  if (list_) list_->Remove(this);
  list_ = list;
  if (list_) list_->Add(this);
}

TComponent* TAction::ShortcutForm() const {
  for (TComponent* c = list_ ? static_cast<TComponent*>(list_) : Owner(); c; c = c->Owner())
    if (dynamic_cast<TForm*>(c)) return c;
  return nullptr;
}

bool TAction::ExecuteShortCut(TComponent* form, TShortCut sc) {
  if (sc == 0) return false;
  for (TAction* a : std::vector<TAction*>(LiveActions()))
    if (a->shortCut_ == sc && a->ShortcutForm() == form) {
      a->Update();
      if (a->enabled_ && a->visible_) {
        a->Execute();
        return true;
      }
    }
  return false;
}

void TAction::Changed() {
  native_->setText(detail::ToQ(caption_));
  native_->setEnabled(enabled_);
  native_->setVisible(visible_);
  native_->setCheckable(checked_ || autoCheck_);
  native_->setChecked(checked_);
  native_->setToolTip(detail::ToQ(hint_.substr(0, hint_.find('|'))));
  for (TActionClient* c : std::vector<TActionClient*>(clients_)) c->ActionChanged();
}

void TAction::SetCaption(const AnsiString& c) {
  caption_ = c;
  Changed();
}

void TAction::SetChecked(bool c) {
  if (c && groupIndex_ > 0 && list_) {
    for (int i = 0; i < list_->ActionCount(); ++i) {
      TAction* other = list_->Actions(i);
      if (other != this && other->groupIndex_ == groupIndex_ && other->checked_) {
        other->checked_ = false;
        other->Changed();
      }
    }
  }
  checked_ = c;
  Changed();
}

void TAction::SetEnabled(bool e) {
  enabled_ = e;
  Changed();
}
void TAction::SetVisible(bool v) {
  visible_ = v;
  Changed();
}
void TAction::SetHint(const AnsiString& h) {
  hint_ = h;
  Changed();
}
void TAction::SetImageIndex(int i) {
  imageIndex_ = i;
  Changed();
}

void TAction::SetShortCut(TShortCut sc) {
  // The key dispatcher runs shortcuts itself, before any control sees the key.
  shortCut_ = sc;
  Changed();
}

bool TAction::Execute() { return Execute(this); }

bool TAction::Execute(TObject* sender) {
  Update();
  if (!enabled_ || !OnExecute) return false;
  if (autoCheck_) SetChecked(!checked_);
  OnExecute(sender);
  return true;
}

void TAction::Update() {
  if (OnUpdate) OnUpdate(this);
}

void TAction::AddClient(TActionClient* c) {
  if (std::find(clients_.begin(), clients_.end(), c) == clients_.end()) clients_.push_back(c);
}

void TAction::RemoveClient(TActionClient* c) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), c), clients_.end());
}

TActionList::~TActionList() {
  for (TAction* a : std::vector<TAction*>(actions_)) a->SetActionList(nullptr);
}

void TActionList::Remove(TAction* a) {
  actions_.erase(std::remove(actions_.begin(), actions_.end(), a), actions_.end());
}

void TActionList::UpdateActions() {
  for (TAction* a : std::vector<TAction*>(actions_)) a->Update();
}

}  // namespace gui
