// SIGTERM and SIGINT end the program in every state: with a message box, a
// file dialog or a modal form open, the main form's close handler runs (the
// settings are saved there) and the open window ends as cancelled, so the
// code waiting on it unwinds and the message loop ends.
#include "platform/gui/termination.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"

using namespace gui;
using namespace rtl::literals;

namespace {

// Ends the process with a failure when a case still waits after the limit:
// without the mend, an open box waits for a user for ever.
class Watchdog {
 public:
  explicit Watchdog(const char* what)
      : thread_([this, what] {
          std::unique_lock<std::mutex> lock(m_);
          if (!cv_.wait_for(lock, std::chrono::seconds(20), [this] { return done_; })) {
            std::fprintf(stderr, "still open 20 s after the signal: %s\n", what);
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_);
      done_ = true;
    }
    cv_.notify_one();
    thread_.join();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

struct OpenWindow {
  const char* what;
  std::function<int()> open;  // opens the window and answers its result
  int cancelled;              // the result of a cancel
};

TEST(Termination, ASignalClosesWhateverIsOpenAsCancelledAndRunsTheCloseHandler) {
  Application->Initialize();
  CloseMainFormOnTerminationSignals();
  TOpenDialog fileDialog(nullptr);
  const OpenWindow windows[] = {
      {"question box", [] { return MessageBox("Искать снова?"_cp, "t", MB_YESNO | MB_DEFBUTTON2); }, IDNO},
      {"abort/retry/ignore box",
       [] { return MessageBox("Не удается создать файл"_cp, "t", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2); }, IDABORT},
      {"file dialog", [&] { return fileDialog.Execute() ? 1 : 0; }, 0},
      {"modal form",
       [] {
         TForm dialog(nullptr);
         return dialog.ShowModal();
       },
       mrCancel},
  };
  for (int signal : {SIGTERM, SIGINT}) {
    for (const OpenWindow& w : windows) {
      SCOPED_TRACE(w.what + std::string(signal == SIGTERM ? " / SIGTERM" : " / SIGINT"));
      TForm main(nullptr);
      int closes = 0;
      main.OnClose = [&](TObject*, TCloseAction&) { ++closes; };
      Application->SetMainForm(&main);
      main.Show();
      TTimer timer(nullptr);
      timer.SetInterval(100);
      timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        std::raise(signal);
      };
      int result;
      {
        Watchdog watchdog(w.what);
        result = w.open();
      }
      EXPECT_EQ(result, w.cancelled);
      EXPECT_EQ(closes, 1);
      EXPECT_TRUE(Application->Terminated());
      // Once the program ends, a box asked on the way out answers at once.
      {
        Watchdog watchdog("a box after the signal");
        EXPECT_EQ(MessageBox("Сохранить?"_cp, "t", MB_YESNOCANCEL), IDCANCEL);
      }
      Application->SetMainForm(nullptr);
      Application->ResetTerminated();
    }
  }
}

// The signal comes while the main form is still being made (its start-up
// asks a question before it is the application's main form): the loop does
// not start, but the main form still closes, running its close handler.
TEST(Termination, ASignalBeforeTheLoopStillClosesTheMainForm) {
  Application->Initialize();
  CloseMainFormOnTerminationSignals();
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.OnTimer = [&](TObject*) {
    timer.SetEnabled(false);
    std::raise(SIGTERM);
  };
  {
    Watchdog watchdog("a start-up question");
    EXPECT_EQ(MessageBox("Продолжить выполнение?"_cp, "t", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), IDABORT);
  }
  ASSERT_TRUE(Application->Terminated());
  TForm main(nullptr);
  int closes = 0;
  main.OnClose = [&](TObject*, TCloseAction&) { ++closes; };
  Application->SetMainForm(&main);
  {
    Watchdog watchdog("the message loop");
    Application->Run();
  }
  EXPECT_EQ(closes, 1);
  Application->SetMainForm(nullptr);
  Application->ResetTerminated();
}

TEST(Termination, TheCancelAnswerOfEveryButtonSet) {
  struct Case {
    unsigned flags;
    int answer;
  };
  const Case cases[] = {{MB_OK, IDOK},
                        {MB_OKCANCEL, IDCANCEL},
                        {MB_ABORTRETRYIGNORE, IDABORT},
                        {MB_YESNO, IDNO},
                        {MB_YESNOCANCEL, IDCANCEL},
                        {MB_RETRYCANCEL, IDCANCEL},
                        {MB_YESNO | MB_DEFBUTTON1, IDNO}};
  for (const Case& c : cases) EXPECT_EQ(MessageBoxCancelAnswer(c.flags), c.answer) << c.flags;
}

}  // namespace
