// Building the main form's menus out of its actions, one call a line.
#pragma once
#include "platform/gui/menus.h"

namespace app {

// Appends an item driven by `action` to `parent`.
inline gui::TMenuItem* AddActionItem(gui::TComponent* owner, gui::TMenuItem* parent, gui::TAction* action) {
  auto* m = new gui::TMenuItem(owner);
  m->SetAction(action);
  parent->Add(m);
  return m;
}

// Appends a submenu titled `caption` to `parent`.
inline gui::TMenuItem* AddSubMenu(gui::TComponent* owner, gui::TMenuItem* parent, const rtl::AnsiString& caption) {
  auto* m = new gui::TMenuItem(owner);
  m->SetCaption(caption);
  parent->Add(m);
  return m;
}

inline void AddSeparator(gui::TComponent* owner, gui::TMenuItem* parent) { parent->Add(gui::NewLine(owner)); }

}  // namespace app
