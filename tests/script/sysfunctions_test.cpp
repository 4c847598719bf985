// The system library as scripts see it: each function's edges as a table of
// PascalScript expressions, the procedures with by-reference arguments, the
// errors that must raise, and ShowMessage through the GUI message box.
#include <gtest/gtest.h>

#include "platform/gui/dialogs.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/format_settings.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_isysrtti.h"
#include "script/fs_isysrtti_gui.h"

using namespace script;
using rtl::Variant;
using namespace rtl::literals;

namespace {

Variant Eval(const std::string& expression) {
  TfsScript script;
  script.AddRTTI();
  Variant v = script.Evaluate(expression);
  if (script.EvaluateFailed) ADD_FAILURE() << expression << ": " << v.AsString();
  return v;
}

// Runs a PascalScript body with a String variable s and an Integer i; answers s.
std::string RunWithS(const std::string& body) {
  TfsScript script;
  script.AddRTTI();
  script.Lines.SetText("var s: String; i, y, m, d: Integer; v: Variant;\r\nbegin\r\n" + body + "\r\nend.");
  if (!script.Compile()) {
    ADD_FAILURE() << body << ": " << script.ErrorMessage << " at " << script.ErrorPosition;
    return {};
  }
  script.Execute();
  return script.GetVariables("s").AsString();
}

}  // namespace

TEST(ScriptSysFunctions, ExpressionTable) {
  rtl::FormatSettingsScope settings;
  struct Case {
    const char* expression;
    std::string text;  // the result as text
  } cases[] = {
      {"Copy('abcdef', 0, 2)", "ab"},
      {"Copy('abcdef', 7, 2)", ""},
      {"Copy('abcdef', 2, -1)", ""},
      {"Copy('abcdef', 5, 10)", "ef"},
      {"Pos('', 'abc')", "0"},
      {"Pos('c', 'abcabc')", "3"},
      {"Length(12345)", "5"},
      {"Length(VarArrayCreate([2, 5], 12))", "4"},
      {"Length('')", "0"},
      {"Round(2.5)", "2"},
      {"Round(3.5)", "4"},
      {"Round(-2.5)", "-2"},
      {"Trunc(-2.7)", "-2"},
      {"Int(2.7) = 2", "True"},
      {"VarType(Int(2.7)) = varDouble", "True"},
      {"VarType(Pi) = varDouble", "True"},
      {"NameCase('big RED box')", "Big Red Box"},
      {"NameCase(' abc')", " abc"},
      {"DaysInMonth(2000, 2)", "29"},
      {"DaysInMonth(1900, 2)", "28"},
      {"DaysInMonth(2001, 12)", "31"},
      {"BoolToStr(True)", "-1"},
      {"BoolToStr(False)", "0"},
      {"StrToBool('True') = True", "True"},
      {"VarType(StrToBool('True')) = varBoolean", "True"},
      {"ValidDate('31.02.2020')", "False"},
      {"ValidInt('12x')", "False"},
      {"ValidFloat('1,5')", "True"},
      {"inttostr(5)", "5"},
      {"INTTOSTR(6)", "6"},
      {"UpperCase('abc') + LowerCase('DEF')", "ABCdef"},
      {"Trim(#9'  x  '#13)", "x"},
      {"Chr(321)", "A"},
      {"Ord('A')", "65"},
      {"ExtractFilePath('C:\\data\\f.txt')", "C:\\data\\"},
      {"ExtractFilePath('f.txt')", ""},
      {"VarToStr(Null)", ""},
      {"Format('%d-%s', [7, 'x'])", "7-x"},
      {"FormatFloat('0.00', 2.5)", "2,50"},
      {"IntToStr(DayOfWeek(EncodeDate(2024, 1, 7)))", "1"},
      {"IsLeapYear(2024)", "True"},
      {"varString + varArray", "8448"},
      {"Tan(0) + Sqrt(16) + Abs(-1)", "5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(Eval(c.expression).AsString(), c.text);
  }
}

TEST(ScriptSysFunctions, CyrillicCaseInScripts) {
  EXPECT_EQ(Eval("UpperCase('" + std::string("привет ёж"_cp) + "')").AsString(), std::string("ПРИВЕТ ЁЖ"_cp));
  EXPECT_EQ(Eval("LowerCase('" + std::string("ПРИВЕТ"_cp) + "')").AsString(), std::string("привет"_cp));
  EXPECT_EQ(Eval("CompareText('" + std::string("абв"_cp) + "', '" + std::string("АБВ"_cp) + "')").AsInteger(), 0);
}

TEST(ScriptSysFunctions, ByReferenceProcedures) {
  struct Case {
    const char* body;
    const char* s;
  } cases[] = {
      {"s := 'abc'; Delete(s, 0, 1)", "abc"},
      {"s := 'abc'; Delete(s, 2, 10)", "a"},
      {"s := 'abc'; DeleteStr(s, 1, 1)", "bc"},
      {"s := 'abc'; Insert('X', s, 10)", "abcX"},
      {"s := 'abc'; Insert('X', s, 0)", "Xabc"},
      {"s := 'abcdef'; SetLength(s, 2)", "ab"},
      {"i := 5; Inc(i); Inc(i, 10); Dec(i, 5); s := IntToStr(i)", "11"},
      {"DecodeDate(EncodeDate(2021, 3, 14), y, m, d); s := IntToStr(y) + '-' + IntToStr(m) + '-' + IntToStr(d)",
       "2021-3-14"},
      {"try RaiseException('stop') except s := ExceptionMessage end", "stop"},
      // A date value is formatted first; the declared String parameter takes it through a variant.
      {"v := Date; s := BoolToStr(ValidDate(v))", "-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(RunWithS(c.body), c.s);
  }
}

TEST(ScriptSysFunctions, FormatPassesLongStringsWhole) {
  std::string body = "s := ''; for i := 1 to 300 do s := s + 'x'; s := Format('[%s]', [s])";
  EXPECT_EQ(RunWithS(body), "[" + std::string(300, 'x') + "]");
}

TEST(ScriptSysFunctions, OutOfRangeArgumentsRaise) {
  const char* expressions[] = {"Ord('')",
                               "DaysInMonth(2000, 13)",
                               "DaysInMonth(2000, 0)",
                               "StrToInt('x')",
                               "CreateOleObject('Excel.Application')",
                               "Round(1e12)"};
  for (const char* expression : expressions) {
    SCOPED_TRACE(expression);
    TfsScript script;
    script.AddRTTI();
    EXPECT_THROW(script.Evaluate(expression), rtl::Exception);
    EXPECT_FALSE(script.EvaluateFailed);
  }
}

TEST(ScriptSysFunctions, RegisteredNamesAndTypes) {
  TfsScript script;
  script.AddRTTI();
  for (const char* name : {"Byte", "TDateTime", "Constructor", "True", "nil", "Null", "varByRef", "__StringHelper",
                           "__ArrayHelper", "ExceptionMessage", "FormatMaskText", "VarType"})
    EXPECT_NE(script.Find(name), nullptr) << name;
  EXPECT_EQ(script.Find("Int64"), nullptr);
  EXPECT_EQ(script.Find("varByRef")->Value.AsInteger(), 16384);
  auto* category = dynamic_cast<TfsMethodHelper*>(script.Find("Sqrt"));
  ASSERT_NE(category, nullptr);
  EXPECT_EQ(category->Category, "ctMath");
}

TEST(ScriptSysFunctions, ShowMessageUsesTheGuiMessageBox) {
  fsUseGuiMessageBoxes();
  gui::DialogScript dialogs;
  dialogs.AnswerMessageBox(gui::IDOK);
  TfsScript script;
  script.AddRTTI();
  script.Lines.SetText("begin ShowMessage('hello ' + IntToStr(3)) end.");
  ASSERT_TRUE(script.Compile()) << script.ErrorMessage;
  script.Execute();
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  EXPECT_EQ(dialogs.MessageBoxes()[0].Text, "hello 3");
  fsSetShowMessageHandler(nullptr);
}
