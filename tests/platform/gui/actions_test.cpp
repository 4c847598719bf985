// Actions and menus: states, groups, execution with and without a sender,
// shortcuts, menu items and buttons that follow an action, pop-up menus.
#include "platform/gui/actions.h"

#include <gtest/gtest.h>

#include "platform/gui/forms.h"
#include "platform/gui/menus.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"

using namespace gui;

TEST(Action, ExecutePassesTheActionOrTheGivenSender) {
  TAction a(nullptr);
  std::vector<TObject*> senders;
  a.OnExecute = [&](TObject* s) { senders.push_back(s); };
  EXPECT_TRUE(a.Execute());
  EXPECT_TRUE(a.Execute(nullptr));  // start-up restores state without a sender
  EXPECT_EQ(senders, (std::vector<TObject*>{&a, nullptr}));
  a.SetEnabled(false);
  EXPECT_FALSE(a.Execute());
  EXPECT_FALSE(a.Execute(nullptr));
  EXPECT_EQ(senders.size(), 2u);
}

TEST(Action, CheckingOneOfAGroupUnchecksTheOthers) {
  TActionList list(nullptr);
  TAction z5(&list), z10(&list), zAuto(&list), other(&list);
  for (TAction* a : {&z5, &z10, &zAuto}) a->SetGroupIndex(1);
  other.SetChecked(true);
  z5.SetChecked(true);
  z10.SetChecked(true);
  EXPECT_FALSE(z5.Checked());
  EXPECT_TRUE(z10.Checked());
  EXPECT_TRUE(other.Checked());  // not in the group
}

TEST(Action, ShortcutOfAnActionOnAFormRunsIt) {
  TForm form(nullptr);
  TButton target(&form);
  target.SetParent(&form);
  form.Show();
  TActionList list(&form);
  TAction a(&list);
  int runs = 0;
  a.OnExecute = [&](TObject*) { ++runs; };
  a.SetShortCut(ShortCut('P', ssCtrl));
  EXPECT_EQ(TextToShortCut("Ctrl+P"), a.ShortCut());
  simulate::PressKey(target, 'P', ssCtrl);
  EXPECT_EQ(runs, 1);
  a.SetEnabled(false);
  simulate::PressKey(target, 'P', ssCtrl);
  EXPECT_EQ(runs, 1);
}

TEST(MenuItem, FollowsItsActionAndExecutesIt) {
  TAction a(nullptr);
  a.SetCaption("Выход");
  int runs = 0;
  a.OnExecute = [&](TObject*) { ++runs; };
  TMainMenu menu(nullptr);
  TMenuItem file(nullptr), exit(nullptr);
  file.SetCaption("File");
  menu.Items()->Add(&file);
  file.Add(&exit);
  exit.SetAction(&a);
  EXPECT_EQ(exit.Caption(), "Выход");
  a.SetVisible(false);
  EXPECT_FALSE(exit.Visible());
  a.SetVisible(true);
  a.SetChecked(true);
  EXPECT_TRUE(exit.Checked());
  exit.Click();
  EXPECT_EQ(runs, 1);
  a.SetEnabled(false);
  exit.Click();
  EXPECT_EQ(runs, 1);
  file.Remove(&exit);
  menu.Items()->Remove(&file);
}

TEST(MenuItem, RadioItemsOfAGroupAndSeparators) {
  TPopupMenu menu(nullptr);
  auto* a = NewItem(&menu, "COM1", 0, false, true, nullptr);
  auto* line = NewLine(&menu);
  auto* b = NewItem(&menu, "COM2", 0, false, true, nullptr);
  for (TMenuItem* i : {a, line, b}) menu.Items()->Add(i);
  a->SetRadioItem(true);
  b->SetRadioItem(true);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(line->IsLine());
  EXPECT_EQ(menu.Items()->Count(), 3);
  EXPECT_EQ(menu.Items()->IndexOf(b), 2);
}

TEST(PopupMenu, PopsUpAtThePointAfterOnPopup) {
  TPopupMenu menu(nullptr);
  TMenuItem* item = NewItem(&menu, "Note", 0, false, true, nullptr);
  menu.Items()->Add(item);
  int popups = 0;
  menu.OnPopup = [&](TObject*) {
    ++popups;
    item->SetVisible(false);  // handlers adjust the items first
  };
  menu.Popup(120, 80);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu.PopupPoint(), (TPoint{120, 80}));
  EXPECT_FALSE(item->Visible());
  menu.CloseMenu();
}

TEST(Button, FollowsItsActionAndClickRunsIt) {
  TForm form(nullptr);
  TButton b(&form);
  b.SetParent(&form);
  TAction a(nullptr);
  a.SetCaption("Отмена");
  int runs = 0;
  a.OnExecute = [&](TObject*) { ++runs; };
  b.SetAction(&a);
  EXPECT_EQ(b.Caption(), "Отмена");
  a.SetVisible(false);
  EXPECT_FALSE(b.Visible());
  a.SetVisible(true);
  b.Click();
  EXPECT_EQ(runs, 1);
}
