// The report talking to the user where there is no GUI: with no handlers
// installed nothing waits, errors reach the error output and every question
// has its answer at once.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "platform/gui/answering.h"
#include "platform/gui/dialogs.h"
#include "platform/rtl/streams.h"
#include "report/vuzClassReport.h"
#include "report/vuzDialogPage.h"
#include "report/vuzGuiHooks.h"
#include "report/vuzPassw.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"
#include "report/vuzUtils_gui.h"

namespace report_test {
namespace {

using namespace report;
using namespace rtl::literals;

// Takes the GUI's handlers away for one test and puts them back after it.
class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = vuzGuiHooks();
    vuzGuiHooks() = TfrxGuiHooks{};
    ReportClassesStartup();
  }
  void TearDown() override {
    ReportClassesShutdown();
    vuzGuiHooks() = saved_;
  }

 private:
  TfrxGuiHooks saved_;
};

TEST_F(Headless, ErrorsAndNotesGoToTheErrorOutputAsUtf8Lines) {
  ::testing::internal::CaptureStderr();
  vuzErrorMsg("Ошибка в отчёте"_cp);
  vuzInfoMsg("note");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Ошибка в отчёте\nnote\n");
}

TEST_F(Headless, AReportErrorInMessageBoxModeIsWrittenNotShown) {
  ::testing::internal::CaptureStderr();
  vuzCommonErrorHandler(simMessageBoxes, "broken band");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "broken band\n");
}

TEST_F(Headless, AQuestionAnswersItsDefaultButton) {
  struct Case {
    rtl::TMessageBoxFlags buttons;
    rtl::TModalResult answer;
  };
  const Case cases[] = {
      {rtl::MB_YESNO, rtl::mrYes},
      {rtl::MB_YESNO | rtl::MB_DEFBUTTON2, rtl::mrNo},
      {rtl::MB_OKCANCEL, rtl::mrOk},
      {rtl::MB_YESNOCANCEL | rtl::MB_DEFBUTTON3, rtl::mrCancel},
      {rtl::MB_OK | rtl::MB_DEFBUTTON3, rtl::mrOk},  // a default past the last button is the first
  };
  for (const Case& c : cases) EXPECT_EQ(vuzConfirmMsg("sure?", c.buttons), c.answer) << c.buttons;
}

TEST_F(Headless, APasswordRequestFailsAndThePasswordedReportSaysSo) {
  AnsiString typed = "untouched";
  EXPECT_FALSE(vuzAskPassword(typed));
  EXPECT_EQ(typed, "untouched");

  TfrxReport source;
  source.ReportOptions()->Password = "open";
  rtl::TMemoryStream stream;
  source.SaveToStream(stream);
  stream.SetPosition(0);
  TfrxReport target;
  target.EngineOptions()->NewSilentMode = simSilent;
  target.LoadFromStream(stream);
  EXPECT_GE(target.Errors().IndexOf("Invalid password"), 0);
}

TEST_F(Headless, ProgressIsSilentAndPumpingDoesNothing) {
  TfrxReport r;
  r.SetOldStyleProgress(true);
  r.InternalOnProgressStart(ptRunning);
  EXPECT_EQ(r.ProgressWindow(), nullptr);
  r.InternalOnProgress(ptRunning, 3);
  r.SetProgressMessage("step");
  r.InternalOnProgressStop(ptRunning);
  EXPECT_FALSE(r.Terminated());
  vuzProcessMessages();
  EXPECT_EQ(vuzCreateProgress(), nullptr);
}

TEST_F(Headless, ADialogPageKeepsItsGeometryAndAnswersCancelAtOnce) {
  TfrxReport r;
  auto* page = new TfrxDialogPage(&r);
  page->SetWidth(300);
  page->SetHeight(200);
  page->SetLeft(10);
  EXPECT_EQ(page->Window().Width(), 300);
  EXPECT_EQ(page->Window().Height(), 200);
  EXPECT_EQ(page->Window().Left(), 10);
  EXPECT_EQ(page->ShowModal(), rtl::mrCancel);
  EXPECT_EQ(page->GetModalResult(), rtl::mrCancel);
}

TEST_F(Headless, TheStartTimerNeverFires) {
  std::unique_ptr<TfrxTimer> timer = vuzCreateTimer();
  bool fired = false;
  timer->OnTimer = [&fired] { fired = true; };
  timer->SetInterval(1);
  timer->SetEnabled(true);
  EXPECT_TRUE(timer->Enabled());
  vuzProcessMessages();
  EXPECT_FALSE(fired);
}

// Aborts the test program when a step waits longer than it may: a modal
// window nobody can answer would otherwise hang the run.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) std::abort();
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_one();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

// The GUI installed, but on a platform without a display (offscreen, as
// under ctest) and no scripted answers: a box there would wait for ever, so
// the GUI's handlers behave as the headless ones. Printing with no printer
// reports through this route.
TEST(NoOneToAnswer, TheGuiHandlersWriteErrorsAndTakeDefaultsInsteadOfWaiting) {
  vuzUseGuiHandlers();
  if (gui::UserCanAnswer()) GTEST_SKIP() << "a real display: a box would be answered";
  Watchdog watchdog(std::chrono::seconds(20));
  ::testing::internal::CaptureStderr();
  vuzErrorMsg(vuzResources().Get("clNoPrinters"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "В вашей системе не установлено принтеров\n");
  EXPECT_EQ(vuzConfirmMsg("sure?", rtl::MB_YESNO | rtl::MB_DEFBUTTON2), rtl::mrNo);
}

TEST(NoOneToAnswer, AScriptedAnswerStillGetsTheBox) {
  vuzUseGuiHandlers();
  gui::DialogScript script;
  script.AnswerMessageBox(rtl::IDYES);
  EXPECT_EQ(vuzConfirmMsg("sure?", rtl::MB_YESNO | rtl::MB_DEFBUTTON2), rtl::mrYes);
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace report_test
