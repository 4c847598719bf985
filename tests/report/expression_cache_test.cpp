// The expression cache: one compiled function per distinct text, numbered
// fr3f0, fr3f1, ...; failed texts not kept; the same values in all four
// script languages; the exact error texts.
#include <gtest/gtest.h>

#include "platform/rtl/strings.h"
#include "report/vuzExpressionCache.h"
#include "report/vuzRes.h"
#include "script/fs_iinterpreter.h"

namespace report_test {
namespace {

using report::TfrxCalcError;
using report::TfrxExpressionCache;
using rtl::AnsiString;
using rtl::Variant;
using namespace rtl::literals;

// A report-like script: the system library and two variables the
// expressions can read through the parent chain.
struct CacheFixture : ::testing::Test {
  CacheFixture() {
    main.AddRTTI();
    main.AddVariable("a", "Integer", Variant(7));
    main.AddVariable("flag", "Boolean", Variant(true));
  }
  Variant Calc(const AnsiString& text) {
    error.clear();
    return cache.Calc(text, error, &main, &kind);
  }
  script::TfsScript main;
  TfrxExpressionCache cache{&main};
  AnsiString error;
  TfrxCalcError kind = TfrxCalcError::None;
};

TEST_F(CacheFixture, EachDistinctTextCompilesOnceUnderTheNextNumber) {
  EXPECT_EQ(Calc("a + 1"), Variant(8));
  EXPECT_EQ(Calc("a + 1"), Variant(8));
  EXPECT_EQ(Calc("a * 2"), Variant(14));
  EXPECT_EQ(Calc("a + 1"), Variant(8));
  EXPECT_EQ(cache.Count(), 2);
  EXPECT_EQ(cache.CompileCount(), 2u);
  ASSERT_NE(cache.Find("a + 1"), nullptr);
  EXPECT_EQ(cache.Find("a + 1")->Name, "fr3f0");
  EXPECT_EQ(cache.Find("a * 2")->Name, "fr3f1");
  // The compiled functions live in the cache's own script, not the report's.
  EXPECT_NE(cache.OwnScript()->FindLocal("fr3f1"), nullptr);
  EXPECT_EQ(main.FindLocal("fr3f0"), nullptr);
}

TEST_F(CacheFixture, TextsDifferingOnlyInCaseGetTheirOwnFunctions) {
  // Sharing one function would print "Yes" for both.
  EXPECT_EQ(Calc("'Yes: ' + IntToStr(a)"), Variant("Yes: 7"));
  EXPECT_EQ(Calc("'YES: ' + IntToStr(a)"), Variant("YES: 7"));
  EXPECT_EQ(cache.Count(), 2);
  cache.SetCaseSensitive(true);
  EXPECT_TRUE(cache.CaseSensitive());
  EXPECT_EQ(Calc("'YES: ' + IntToStr(a)"), Variant("YES: 7"));
  EXPECT_EQ(cache.Count(), 2);
}

TEST_F(CacheFixture, AFailedTextIsNotKeptAndIsCompiledAgainAtEachUse) {
  EXPECT_EQ(Calc("a +"), Variant::Null());
  EXPECT_EQ(kind, TfrxCalcError::Compile);
  const AnsiString first = error;
  EXPECT_EQ(Calc("a +"), Variant::Null());
  EXPECT_EQ(error, first);
  EXPECT_EQ(cache.Count(), 0);
  EXPECT_EQ(cache.CompileCount(), 2u);
  EXPECT_EQ(cache.OwnScript()->FindLocal("fr3f0"), nullptr);
  // The failed text did not use up a number.
  EXPECT_EQ(Calc("a - 1"), Variant(6));
  EXPECT_EQ(cache.Find("a - 1")->Name, "fr3f0");
}

TEST_F(CacheFixture, ACompileErrorNamesTheExpressionAndTheCompilerMessage) {
  Calc("nosuchname + 1");
  EXPECT_EQ(error, "Ошибка в выражении 'nosuchname + 1': Неопределенный идентификатор: 'nosuchname'"_cp);
}

TEST_F(CacheFixture, ClearForgetsTheFunctionsAndNumbersFromZeroAgain) {
  Calc("a + 1");
  Calc("a + 2");
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0);
  EXPECT_EQ(cache.OwnScript()->FindLocal("fr3f0"), nullptr);
  EXPECT_EQ(Calc("a + 2"), Variant(9));
  EXPECT_EQ(cache.Find("a + 2")->Name, "fr3f0");
  EXPECT_EQ(cache.CompileCount(), 3u);
}

TEST_F(CacheFixture, RunTimeErrorsCarryTheirKindAndMessage) {
  EXPECT_EQ(Calc("a / 0"), Variant::Null());
  EXPECT_EQ(kind, TfrxCalcError::DivideByZero);
  EXPECT_EQ(error, "Floating point division by zero");
  EXPECT_EQ(Calc("a div 0"), Variant::Null());
  EXPECT_EQ(kind, TfrxCalcError::DivideByZero);
  EXPECT_EQ(Calc("StrToInt('x')"), Variant::Null());
  EXPECT_EQ(kind, TfrxCalcError::Runtime);
  EXPECT_FALSE(error.empty());
  // The function stays compiled: only the run failed.
  EXPECT_NE(cache.Find("a / 0"), nullptr);
}

TEST_F(CacheFixture, TheReportScriptIsNotAMainProgramWhileAFunctionRuns) {
  main.IsMainProgram = true;
  bool seen = true;
  main.AddMethod("function Probe: Boolean", [&](rtl::TObject*, script::TClass, const AnsiString&, Variant&) {
    seen = main.IsMainProgram;
    return Variant(true);
  });
  EXPECT_EQ(Calc("Probe"), Variant(true));
  EXPECT_FALSE(seen);
  EXPECT_TRUE(main.IsMainProgram);
  // Put back also when the function raises.
  main.AddMethod("function Boom: Integer", [&](rtl::TObject*, script::TClass, const AnsiString&, Variant&) -> Variant {
    throw rtl::EConvertError("boom");
  });
  Calc("Boom");
  EXPECT_EQ(error, "boom");
  EXPECT_TRUE(main.IsMainProgram);
}

TEST_F(CacheFixture, AnUnknownLanguageIsACompileErrorNotAMissingFunction) {
  Calc("a + 1");
  cache.Clear();
  cache.SetScriptLanguage("Cobol");
  EXPECT_EQ(Calc("a + 1"), Variant::Null());
  EXPECT_EQ(kind, TfrxCalcError::Compile);
  EXPECT_EQ(error, "Ошибка в выражении 'a + 1': Язык 'Cobol' не найден"_cp);
  EXPECT_EQ(cache.Count(), 0);
}

struct LanguageCase {
  const char* language;
  const char* expression;
  Variant expected;
};

TEST(ExpressionCacheLanguages, TheFourLanguagesGiveTheSameValues) {
  const LanguageCase cases[] = {
      {"PascalScript", "a * 2 + 1", Variant(15)},
      {"C++Script", "a * 2 + 1", Variant(15)},
      {"JScript", "a * 2 + 1", Variant(15)},
      {"BasicScript", "a * 2 + 1", Variant(15)},
      {"PascalScript", "'x' + IntToStr(a)", Variant("x7")},
      {"C++Script", "\"x\" + IntToStr(a)", Variant("x7")},
      {"JScript", "\"x\" + IntToStr(a)", Variant("x7")},
      {"BasicScript", "\"x\" + IntToStr(a)", Variant("x7")},
      {"PascalScript", "(a > 5) and (a < 10)", Variant(true)},
      {"C++Script", "(a > 5) && (a < 10)", Variant(true)},
      {"JScript", "(a > 5) && (a < 10)", Variant(true)},
      {"BasicScript", "(a > 5) and (a < 10)", Variant(true)},
      {"PascalScript", "a mod 4", Variant(3)},
      {"C++Script", "a % 4", Variant(3)},
      {"JScript", "a % 4", Variant(3)},
      {"BasicScript", "a mod 4", Variant(3)},
      {"pascalscript", "a - 10", Variant(-3)},
  };
  for (const LanguageCase& c : cases) {
    SCOPED_TRACE(std::string(c.language) + ": " + c.expression);
    script::TfsScript main;
    main.AddRTTI();
    main.AddVariable("a", "Integer", Variant(7));
    TfrxExpressionCache cache(&main);
    cache.SetScriptLanguage(c.language);
    AnsiString error;
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(cache.Calc(c.expression, error, &main), c.expected);
      EXPECT_EQ(error, "");
    }
    EXPECT_EQ(cache.CompileCount(), 1u);
  }
}

TEST(ExpressionCacheLanguages, WrappersAreOneLineFunctions) {
  EXPECT_EQ(TfrxExpressionCache::WrapperText("PascalScript", 3, "x"),
            "function fr3f3: Variant; begin Result := x end; begin end.");
  EXPECT_EQ(TfrxExpressionCache::WrapperText("C++Script", 0, "x"), "Variant fr3f0() { return x; } {}");
  EXPECT_EQ(TfrxExpressionCache::WrapperText("BasicScript", 1, "x"), "function fr3f1\r\nreturn x\r\nend function");
  EXPECT_EQ(TfrxExpressionCache::WrapperText("JScript", 2, "x"), "function fr3f2() { return x; }");
  EXPECT_EQ(TfrxExpressionCache::WrapperText("Cobol", 2, "x"), "");
}

}  // namespace
}  // namespace report_test
