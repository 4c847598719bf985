// Actions: named commands with caption, checked, enabled and visible states,
// hint, shortcut and tag, shared by the menu items and buttons that show them.
// A disabled action does not execute, whoever asks.
#pragma once
#include <vector>

#include "platform/gui/component.h"

class QAction;

namespace gui {

class TActionList;

// Something that shows an action (a menu item, a button) and follows it.
class TActionClient {
 public:
  virtual ~TActionClient() = default;
  virtual void ActionChanged() = 0;
  virtual void ActionDestroyed() = 0;
};

class TAction : public TComponent {
 public:
  explicit TAction(TComponent* owner, TActionList* list = nullptr);
  ~TAction() override;

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& c);
  bool Checked() const { return checked_; }
  // Checking an action of a group (GroupIndex > 0) unchecks the others of its list.
  void SetChecked(bool c);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& h);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut sc);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int i);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int g) { groupIndex_ = g; }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool a) { autoCheck_ = a; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int h) { helpContext_ = h; }
  TActionList* ActionList() const { return list_; }
  void SetActionList(TActionList* list);

  // Runs OnExecute with the action as sender; false (and nothing runs) when
  // the action is disabled or has no handler.
  bool Execute();
  // The same with the given sender (nullptr: run by code, not by the user).
  bool Execute(TObject* sender);
  // Runs OnUpdate, which may change the states.
  void Update();

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

  // Platform-internal.
  void AddClient(TActionClient* c);
  void RemoveClient(TActionClient* c);
  QAction* Native() const { return native_; }
  // The form whose keys run this action's shortcut (found through the owners).
  TComponent* ShortcutForm() const;
  // Runs the enabled action of the form whose shortcut this is; false if none.
  static bool ExecuteShortCut(TComponent* form, TShortCut sc);

 private:
  void Changed();
  AnsiString caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, autoCheck_ = false;
  TShortCut shortCut_ = 0;
  int imageIndex_ = -1, groupIndex_ = 0, helpContext_ = 0;
  TActionList* list_ = nullptr;
  std::vector<TActionClient*> clients_;
  QAction* native_ = nullptr;
};

class TActionList : public TComponent {
 public:
  explicit TActionList(TComponent* owner) : TComponent(owner) {}
  ~TActionList() override;
  int ActionCount() const { return static_cast<int>(actions_.size()); }
  TAction* Actions(int i) const { return actions_.at(static_cast<std::size_t>(i)); }
  // Runs OnUpdate of every action.
  void UpdateActions();

  // Platform-internal.
  void Add(TAction* a) { actions_.push_back(a); }
  void Remove(TAction* a);

 private:
  std::vector<TAction*> actions_;
};

}  // namespace gui
