// The report's own windows on the GUI layer (offscreen): the progress window
// with its message position, Cancel and the form it disables, and the
// password and inherit-error dialogs with their captions.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzClassReport.h"
#include "report/vuzInheritError.h"
#include "report/vuzPassw.h"
#include "report/vuzProgress.h"
#include "report/vuzUtils_gui.h"
#include "report_fakes.h"

using namespace report;
using namespace report_test;
using namespace rtl::literals;

namespace {

class ReportWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::Application->Initialize();
    ReportClassesStartup();
  }
  void TearDown() override { ReportClassesShutdown(); }
  ReportHooksScope hooks;
  gui::DialogScript noBlockingDialogs;
};

}  // namespace

TEST_F(ReportWindows, TheMessageSitsHigherWhenTheBarShows) {
  struct Case {
    bool showBar;
    int messageTop;
  };
  for (const Case c : {Case{true, 15}, Case{false, 35}}) {
    TfrxProgress progress;
    progress.Execute(10, "Работа"_cp, c.showBar, false);
    EXPECT_EQ(progress.MessageLabel()->Top(), c.messageTop);
    EXPECT_EQ(progress.Bar()->Visible(), c.showBar);
    EXPECT_FALSE(progress.CancelButton()->Visible());
    EXPECT_EQ(progress.MessageLabel()->Caption(), std::string("Работа"_cp));
    EXPECT_EQ(progress.Form()->ClientWidth(), 271);
    EXPECT_EQ(progress.Form()->ClientHeight(), 101);
    EXPECT_EQ(progress.CancelButton()->Caption(), std::string("Отмена"_cp));
  }
}

TEST_F(ReportWindows, TickStopsAtTheMaximum) {
  TfrxProgress progress;
  progress.Execute(2, "", true, true);
  progress.Tick();
  progress.Tick();
  EXPECT_EQ(progress.Position(), 2);
  progress.Tick();
  EXPECT_EQ(progress.Position(), 2);
  progress.Reset();
  EXPECT_EQ(progress.Position(), 0);
}

TEST_F(ReportWindows, TheWindowIsDraggedByItsBody) {
  TfrxProgress progress;
  progress.Execute(0, "", false, true);
  gui::TForm& form = *progress.Form();
  const int left = form.Left(), top = form.Top();
  gui::simulate::Drag(*progress.MessageLabel(), 100, 10, 130, 0);
  EXPECT_EQ(form.Left(), left + 30);
  EXPECT_EQ(form.Top(), top - 10);
}

TEST_F(ReportWindows, CancelClosesTheWindowAndTheNextStepTerminatesTheRun) {
  TfrxReport r;
  r.SetOldStyleProgress(true);
  r.EngineOptions()->NewSilentMode = simSilent;
  std::string seen;
  ReportHooksScope::Engine(r).onRun = [&](FakeEngine& e) {
    e.PreviewPages->Initialize();
    e.PreviewPages->AddPage(nullptr);
    auto* progress = dynamic_cast<TfrxProgress*>(r.ProgressWindow());
    EXPECT_NE(progress, nullptr);
    if (!progress) return false;
    EXPECT_EQ(progress->Message(), std::string("Готовится страница 1"_cp));
    gui::simulate::Click(*progress->CancelButton(), 10, 10);
    EXPECT_FALSE(progress->Form()->Visible()) << "Cancel closes the window at once";
    EXPECT_FALSE(r.Terminated()) << "the report hears of it at its next step";
    e.PreviewPages->AddPage(nullptr);
    EXPECT_TRUE(r.Terminated());
    seen = "terminated";
    e.PreviewPages->Finish();
    return true;
  };
  EXPECT_TRUE(r.PrepareReport());
  EXPECT_EQ(seen, "terminated");
  EXPECT_EQ(r.ProgressWindow(), nullptr);
}

TEST_F(ReportWindows, TheDisabledFormIsEnabledAgainHoweverTheRunEnds) {
  enum Ending { kFinishes, kRaisesException, kRaisesOther };
  for (Ending ending : {kFinishes, kRaisesException, kRaisesOther}) {
    gui::TForm owner(nullptr);
    owner.Show();
    gui::Application->ProcessMessages();
    ASSERT_EQ(gui::Screen->ActiveForm(), &owner);

    TfrxReport r;
    r.SetOldStyleProgress(true);
    r.EngineOptions()->NewSilentMode = simSilent;
    ReportHooksScope::Engine(r).onRun = [&](FakeEngine& e) -> bool {
      e.PreviewPages->Initialize();
      EXPECT_FALSE(owner.Enabled()) << "disabled while the progress window shows";
      e.PreviewPages->AddPage(nullptr);
      if (ending == kRaisesException) throw rtl::Exception("broken");
      if (ending == kRaisesOther) throw 7;
      e.PreviewPages->Finish();
      return true;
    };
    if (ending == kRaisesOther)
      EXPECT_THROW(r.PrepareReport(), int);
    else
      EXPECT_EQ(r.PrepareReport(), ending == kFinishes);
    EXPECT_TRUE(owner.Enabled()) << static_cast<int>(ending);
    EXPECT_EQ(r.ProgressWindow(), nullptr);
  }
}

TEST_F(ReportWindows, BuildingProgressGoesToThePreviewUnlessOldStyle) {
  // Printing and export always show the window; a build only in the old style.
  struct Case {
    bool oldStyle;
    TfrxProgressType type;
    bool window;
  };
  const Case cases[] = {{false, ptRunning, false}, {true, ptRunning, true}, {false, ptPrinting, true}};
  for (const Case& c : cases) {
    TfrxReport r;
    r.SetOldStyleProgress(c.oldStyle);
    r.InternalOnProgressStart(c.type);
    EXPECT_EQ(r.ProgressWindow() != nullptr, c.window);
    r.InternalOnProgress(c.type, 3);
    if (c.window) {
      EXPECT_EQ(r.ProgressWindow()->Message(),
                std::string(c.type == ptPrinting ? "Печатается страница 3"_cp : "Готовится страница 3"_cp));
    }
    r.InternalOnProgressStop(c.type);
    EXPECT_EQ(r.ProgressWindow(), nullptr);
  }
  // The thread-safe switch silences every progress operation.
  TfrxReport quiet;
  quiet.EngineOptions()->EnableThreadSafe = true;
  int events = 0;
  quiet.OnProgressStart = [&](TfrxReport*, TfrxProgressType, int) { ++events; };
  quiet.InternalOnProgressStart(ptPrinting);
  EXPECT_EQ(events, 0);
  EXPECT_EQ(quiet.ProgressWindow(), nullptr);
}

TEST_F(ReportWindows, ThePasswordDialogSpeaksRussianAndHidesTheText) {
  gui::DialogScript script;
  script.OnModal([](gui::TForm& form) { form.SetModalResult(gui::mrOk); });
  TfrxPasswordForm dialog;
  EXPECT_EQ(dialog.Form()->Caption(), std::string("Пароль"_cp));
  EXPECT_EQ(dialog.PasswordL()->Caption(), std::string("Введите пароль:"_cp));
  EXPECT_EQ(dialog.OkB()->Caption(), std::string("ОК"_cp));
  EXPECT_EQ(dialog.CancelB()->Caption(), std::string("Отмена"_cp));
  EXPECT_EQ(dialog.PasswordE()->PasswordChar(), '*');
  dialog.PasswordE()->SetText("abc");
  EXPECT_TRUE(dialog.ShowModal());
  EXPECT_EQ(dialog.Password(), "abc");
}

TEST_F(ReportWindows, TheInheritErrorDialogOffersDeletingFirst) {
  gui::DialogScript script;
  script.OnModal([](gui::TForm& form) { form.SetModalResult(gui::mrOk); });
  TfrxInheritErrorForm dialog;
  EXPECT_EQ(dialog.Form()->Caption(), std::string("Ошибка"_cp));
  EXPECT_EQ(dialog.DeleteRB()->Caption(), std::string("Удалить дубликаты"_cp));
  EXPECT_EQ(dialog.RenameRB()->Caption(), std::string("Переименовать дубликаты"_cp));
  EXPECT_NE(dialog.MessageL()->Caption(), "6001");
  EXPECT_TRUE(dialog.ShowModal());
  EXPECT_TRUE(dialog.DeleteDuplicates());
  dialog.RenameRB()->SetChecked(true);
  EXPECT_FALSE(dialog.DeleteDuplicates());
}

TEST_F(ReportWindows, TheGuiStartTimerTicksInTheMessageLoop) {
  std::unique_ptr<TfrxTimer> timer = vuzCreateGuiTimer();
  int ticks = 0;
  timer->OnTimer = [&] {
    ++ticks;
    timer->SetEnabled(false);  // as the report's tick does
  };
  EXPECT_FALSE(timer->Enabled());
  timer->SetInterval(1);
  timer->SetEnabled(true);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ticks == 0 && std::chrono::steady_clock::now() < end) gui::Application->HandleMessage(2);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer->Enabled());
}
