// The message loop: nested pumping runs timers, a busy action does not run
// twice, exceptions reach the default display, timers change inside their
// own handlers.
#include <gtest/gtest.h>

#include "gui_test_util.h"
#include "platform/gui/actions.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/rtl/exceptions.h"

using namespace gui;
using namespace rtl::literals;

TEST(MessageLoop, TimerFiresInsideANestedProcessMessages) {
  TTimer timer(nullptr);
  timer.SetInterval(1);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) { ++ticks; };
  TAction read(nullptr);
  bool tickedInside = false;
  // A device exchange polls and pumps messages until its bytes arrive.
  read.OnExecute = [&](TObject*) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ticks == 0 && std::chrono::steady_clock::now() < end) gui::Application->ProcessMessages();
    tickedInside = ticks > 0;
  };
  EXPECT_TRUE(read.Execute());
  EXPECT_TRUE(tickedInside);
}

TEST(MessageLoop, TimerTicksWhileAHandlerPumpsMessages) {
  TTimer timer(nullptr);
  timer.SetInterval(1);
  int ticks = 0, ticksSeenInsideHandler = 0;
  timer.OnTimer = [&](TObject*) { ++ticks; };
  TTimer outer(nullptr);
  outer.SetInterval(1);
  outer.OnTimer = [&](TObject*) {
    outer.SetEnabled(false);
    int before = ticks;
    // Nested: the handler waits the way a device exchange does.
    gui_test::PumpUntil([&] { return ticks >= before + 3; });
    ticksSeenInsideHandler = ticks - before;
  };
  ASSERT_TRUE(gui_test::PumpUntil([&] { return ticksSeenInsideHandler > 0; }));
  EXPECT_GE(ticksSeenInsideHandler, 3);
}

TEST(MessageLoop, TimerChangesIntervalAndStopsInsideItsOwnHandler) {
  TTimer timer(nullptr);
  timer.SetInterval(1);
  std::vector<unsigned> intervals;
  timer.OnTimer = [&](TObject* sender) {
    auto* t = static_cast<TTimer*>(sender);
    intervals.push_back(t->Interval());
    if (intervals.size() == 1) t->SetInterval(2);
    if (intervals.size() == 2) t->SetEnabled(false);
  };
  ASSERT_TRUE(gui_test::PumpUntil([&] { return !timer.Enabled(); }));
  gui::Application->ProcessMessages();
  EXPECT_EQ(intervals, (std::vector<unsigned>{1, 2}));
  // A disabled timer stays quiet.
  for (int i = 0; i < 20; ++i) gui::Application->HandleMessage(1);
  EXPECT_EQ(intervals.size(), 2u);
}

TEST(MessageLoop, ActionDisabledWhileBusyDoesNotExecute) {
  TActionList list(nullptr);
  TAction read(&list);
  int started = 0, nestedRefused = 0;
  read.OnExecute = [&](TObject*) {
    ++started;
    read.SetEnabled(false);  // busy
    // While the exchange pumps messages, the user (a timer here) tries again.
    TTimer user(nullptr);
    user.SetInterval(1);
    user.OnTimer = [&](TObject*) {
      user.SetEnabled(false);
      if (!read.Execute()) ++nestedRefused;
    };
    gui_test::PumpUntil([&] { return !user.Enabled(); });
    read.SetEnabled(true);
  };
  EXPECT_TRUE(read.Execute());
  EXPECT_EQ(started, 1);
  EXPECT_EQ(nestedRefused, 1);
  EXPECT_TRUE(read.Execute());
  EXPECT_EQ(started, 2);
}

TEST(MessageLoop, ExceptionFromAHandlerIsShownCaptionedWithTheTitle) {
  gui::Application->SetTitle("Zudazuzira zirudoradid");
  DialogScript script;
  TTimer timer(nullptr);
  timer.SetInterval(1);
  int runs = 0;
  timer.OnTimer = [&](TObject*) {
    ++runs;
    timer.SetEnabled(false);
    throw rtl::EConvertError("'abc' is not a valid integer value");
  };
  ASSERT_TRUE(gui_test::PumpUntil([&] { return runs == 1; }));
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
  const MessageBoxRecord& box = script.MessageBoxes()[0];
  EXPECT_EQ(box.Text, "'abc' is not a valid integer value.");
  EXPECT_EQ(box.Caption, "Zudazuzira zirudoradid");
  EXPECT_EQ(box.Icon(), unsigned{MB_ICONERROR});
  EXPECT_EQ(box.Buttons(), unsigned{MB_OK});
}

TEST(MessageLoop, AbortIsSilentAndOnExceptionReplacesTheBox) {
  DialogScript script;
  TTimer timer(nullptr);
  timer.SetInterval(1);
  int runs = 0;
  timer.OnTimer = [&](TObject*) {
    if (++runs == 2) timer.SetEnabled(false);
    if (runs == 1) rtl::Abort();
    throw rtl::Exception("Ошибка"_cp);
  };
  std::string seen;
  gui::Application->OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
  ASSERT_TRUE(gui_test::PumpUntil([&] { return runs == 2; }));
  gui::Application->OnException = nullptr;
  EXPECT_TRUE(script.MessageBoxes().empty());
  EXPECT_EQ(seen, std::string("Ошибка"_cp));
}

TEST(Screen, SizeAndHourGlassCursor) {
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_GT(Screen->Height(), 0);
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST(Screen, ActiveFormIsTheShownOne) {
  TForm f(nullptr);
  f.Show();
  EXPECT_EQ(Screen->ActiveForm(), &f);
}

TEST(MessageLoop, TerminateEndsRunAndOpenModalLoops) {
  TForm main(nullptr);
  TForm dialog(nullptr);
  gui::Application->SetMainForm(&main);
  TTimer timer(nullptr);
  timer.SetInterval(1);
  TModalResult dialogResult = -1;
  timer.OnTimer = [&](TObject*) {
    timer.SetEnabled(false);
    TTimer end(nullptr);
    end.SetInterval(1);
    end.OnTimer = [&](TObject*) { gui::Application->Terminate(); };
    dialogResult = dialog.ShowModal();
  };
  gui::Application->Run();
  EXPECT_TRUE(gui::Application->Terminated());
  EXPECT_EQ(dialogResult, mrCancel);
  gui::Application->SetMainForm(nullptr);
  gui::Application->ResetTerminated();
}

TEST(MessageLoop, ATimerFreedInItsOwnHandlerAndAnActionFreedInItsOwnExecute) {
  // The start-up timer's second tick frees the timer.
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(1);
  int ticks = 0;
  timer->OnTimer = [&](TObject* sender) {
    ++ticks;
    delete static_cast<TTimer*>(sender);
  };
  ASSERT_TRUE(gui_test::PumpUntil([&] { return ticks == 1; }));
  for (int i = 0; i < 10; ++i) gui::Application->HandleMessage(2);
  EXPECT_EQ(ticks, 1);

  auto* action = new TAction(nullptr);
  action->OnExecute = [](TObject* sender) { delete static_cast<TAction*>(sender); };
  EXPECT_TRUE(action->Execute());
  gui::Application->ProcessMessages();
}
