// Endless loops with empty bodies can be stopped: from the host's OnRunLine
// handler on the script's own thread, and by Terminate from another thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "script/fs_iinterpreter.h"
#include "tests/support/watchdog.h"

using namespace script;

namespace {

const struct {
  const char* language;
  const char* text;
} kEmptyLoops[] = {
    {"PascalScript", "begin while True do ; end."},
    {"PascalScript", "begin repeat until False; end."},
    {"PascalScript", "var i: Integer; begin for i := 0 to 2000000000 do ; end."},
    {"C++Script", "{ for (;true;) {} }"},
    {"JScript", "while (true) {}"},
    {"BasicScript", "while true\r\nwend"},
};

void Load(TfsScript& script, const char* language, const char* text) {
  script.AddRTTI();
  script.SyntaxType = language;
  script.Lines.SetText(text);
  ASSERT_TRUE(script.Compile()) << text << ": " << script.ErrorMessage;
}

TEST(ScriptTerminate, EmptyEndlessLoopsReportTheirLineEachRound) {
  support::Watchdog watchdog;
  for (const auto& loop : kEmptyLoops) {
    TfsScript script;
    Load(script, loop.language, loop.text);
    int lines = 0;
    script.OnRunLine = [&](TfsScript*, const AnsiString&, const AnsiString&) {
      if (++lines == 1000) script.Terminate();
    };
    script.Execute();
    EXPECT_EQ(lines, 1000) << loop.text;
  }
}

TEST(ScriptTerminate, AnotherThreadStopsAnEmptyEndlessLoop) {
  support::Watchdog watchdog;
  for (const auto& loop : kEmptyLoops) {
    TfsScript script;
    Load(script, loop.language, loop.text);
    std::atomic<bool> finished = false;
    std::thread runner([&] {
      script.Execute();
      finished = true;
    });
    // Repeated: a request made before the run starts is cleared by it.
    while (!finished) {
      script.Terminate();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    runner.join();
  }
}

}  // namespace
