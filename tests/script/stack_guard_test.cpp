// The nesting guards measure the real stack of the thread they run on: deep
// recursion and deeply nested programs end in a clear error also on a thread
// with a small stack, and the compile-time limit does not depend on how large
// the build's frames are.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "script/fs_iinterpreter.h"
#include "script/fs_inesting.h"
#include "tests/support/watchdog.h"

using namespace script;

namespace {

// Runs fn on a thread whose stack has the given size.
void OnThreadWithStack(std::size_t bytes, std::function<void()> fn) {
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, bytes), 0);
  pthread_t thread;
  auto run = [](void* arg) -> void* {
    (*static_cast<std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, &fn), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

bool Compile(TfsScript& script, const char* language, const std::string& text) {
  script.AddRTTI();
  script.SyntaxType = language;
  script.Lines.SetText(text);
  return script.Compile();
}

TEST(ScriptStackGuard, RunawayRecursionOnASmallStackEndsInAnError) {
  support::Watchdog watchdog;
  for (std::size_t stack : {std::size_t{256} * 1024, std::size_t{1024} * 1024}) {
    std::string error = "no error";
    OnThreadWithStack(stack, [&] {
      TfsScript script;
      if (!Compile(script, "PascalScript",
                   "function Down(n: Integer): Integer; begin Result := Down(n + 1) end;\r\nbegin Down(0) end.")) {
        error = "compile: " + script.ErrorMessage;
        return;
      }
      try {
        script.Execute();
      } catch (const EScriptNestingError& e) {
        error = e.what();
      }
    });
    EXPECT_NE(error.find("too deep"), std::string::npos) << stack << ": " << error;
  }
}

TEST(ScriptStackGuard, DeeplyNestedProgramsOnASmallStackAreACompileError) {
  support::Watchdog watchdog;
  const std::string deep = "begin x := " + std::string(3000, '(') + "1" + std::string(3000, ')') + " end.";
  std::string message;
  bool compiled = true;
  OnThreadWithStack(256 * 1024, [&] {
    TfsScript script;
    compiled = Compile(script, "PascalScript", "var x: Integer;\r\n" + deep);
    message = script.ErrorMessage;
  });
  EXPECT_FALSE(compiled);
  EXPECT_EQ(message, "Program nested too deeply");
}

TEST(ScriptStackGuard, ModerateNestingCompilesInEveryBuild) {
  // A 2 MB budget let a sanitizer build refuse about 45 levels; the walk's
  // own depth limit is the rule now, on a thread's usual stack.
  for (int levels : {45, 100}) {
    TfsScript script;
    const std::string text = "var x: Integer;\r\nbegin x := " + std::string(static_cast<std::size_t>(levels), '(') +
                             "1" + std::string(static_cast<std::size_t>(levels), ')') + " end.";
    EXPECT_TRUE(Compile(script, "PascalScript", text)) << levels << ": " << script.ErrorMessage;
  }
}

}  // namespace
