// Source text to running objects: the same algorithm in the four languages,
// Evaluate in each, and the builder's static checks with their positions.
#include <gtest/gtest.h>

#include <fstream>

#include "script/fs_iinterpreter.h"
#include "support/scratch_folder.h"

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

namespace {

// A small host class: a point with an X property and an indexed Items property.
class TTestPoint : public rtl::TObject {
 public:
  int X = 0;
};

TClass TestPointClass() { return fsHostClass<TTestPoint>("TTestPoint"); }

// A script with Output and the point Pt registered, as a host would.
struct Host {
  TfsScript script;
  TTestPoint point;
  Host() {
    script.AddRTTI();
    TfsClassVariable* cls = script.AddClass(TestPointClass(), "TObject");
    cls->AddProperty(
        "X", "Integer",
        [](rtl::TObject* o, TClass, const AnsiString&) { return Variant(static_cast<TTestPoint*>(o)->X); },
        [](rtl::TObject* o, TClass, const AnsiString&, const Variant& v) {
          static_cast<TTestPoint*>(o)->X = v.AsInteger();
        });
    cls->AddIndexProperty(
        "Items", "Integer", "Integer",
        TfsCallMethodEvent([](rtl::TObject*, TClass, const AnsiString&, Variant&) { return Variant(7); }));
    script.AddObject("Pt", &point);
    script.AddVariable("Output", "String", Variant(AnsiString()));
  }
};

// One algorithm (loops, recursion, try, case, with, strings, arrays) per language.
const std::pair<const char*, const char*> kAlgorithm[] = {
    {"PascalScript",
     "function Fact(n: Integer): Integer;\r\n"
     "begin\r\n"
     "  if n <= 1 then Result := 1 else Result := n * Fact(n - 1);\r\n"
     "end;\r\n"
     "function Kind(n: Integer): String;\r\n"
     "begin\r\n"
     "  case n of\r\n"
     "    0: Result := 'zero';\r\n"
     "    1, 2: Result := 'small';\r\n"
     "  else Result := 'big';\r\n"
     "  end;\r\n"
     "end;\r\n"
     "var i, sum: Integer; a: array[5] of Integer; s: String;\r\n"
     "begin\r\n"
     "  sum := 0;\r\n"
     "  for i := 1 to 10 do sum := sum + i;\r\n"
     "  Output := IntToStr(sum) + ' ' + IntToStr(Fact(5));\r\n"
     "  for i := 0 to 4 do a[i] := i * i;\r\n"
     "  sum := 0;\r\n"
     "  i := 0;\r\n"
     "  while i < 5 do begin sum := sum + a[i]; i := i + 1 end;\r\n"
     "  Output := Output + ' ' + IntToStr(sum);\r\n"
     "  try RaiseException('boom') except Output := Output + ' ' + ExceptionMessage end;\r\n"
     "  Output := Output + ' ' + Kind(0) + ' ' + Kind(2) + ' ' + Kind(7);\r\n"
     "  s := 'hello';\r\n"
     "  Output := Output + ' ' + UpperCase(Copy(s, 2, 3)) + IntToStr(Length(s));\r\n"
     "  with Pt do X := 42;\r\n"
     "  Output := Output + ' ' + IntToStr(Pt.X);\r\n"
     "end."},
    {"C++Script",
     "int Fact(int n) { if (n <= 1) return 1; else return n * Fact(n - 1); }\r\n"
     "string Kind(int n) { switch (n) { case 0: return \"zero\"; case 1, 2: return \"small\"; default: return \"big\"; "
     "} }\r\n"
     "int i, sum, a[5]; string s;\r\n"
     "{\r\n"
     "  sum = 0;\r\n"
     "  for (i = 1; i <= 10; i++) sum += i;\r\n"
     "  Output = IntToStr(sum) + \" \" + IntToStr(Fact(5));\r\n"
     "  for (i = 0; i < 5; i++) a[i] = i * i;\r\n"
     "  sum = 0;\r\n"
     "  i = 0;\r\n"
     "  while (i < 5) { sum = sum + a[i]; i++; }\r\n"
     "  Output = Output + \" \" + IntToStr(sum);\r\n"
     "  try { RaiseException(\"boom\"); } except { Output = Output + \" \" + ExceptionMessage; }\r\n"
     "  Output = Output + \" \" + Kind(0) + \" \" + Kind(2) + \" \" + Kind(7);\r\n"
     "  s = \"hello\";\r\n"
     "  Output = Output + \" \" + UpperCase(Copy(s, 2, 3)) + IntToStr(Length(s));\r\n"
     "  Pt.X = 42;\r\n"
     "  Output = Output + \" \" + IntToStr(Pt.X);\r\n"
     "}"},
    {"JScript",
     "function Fact(n) { if (n <= 1) return 1; else return n * Fact(n - 1); }\r\n"
     "function Kind(n) { switch (n) { case 0: return \"zero\"; case 1, 2: return \"small\"; default: return \"big\"; } "
     "}\r\n"
     "var a[5];\r\n"
     "sum = 0;\r\n"
     "for (i = 1; i <= 10; i++) sum += i;\r\n"
     "Output = IntToStr(sum) + \" \" + IntToStr(Fact(5));\r\n"
     "for (i = 0; i < 5; i++) a[i] = i * i;\r\n"
     "sum = 0\r\n"
     "i = 0\r\n"
     "while (i < 5) { sum = sum + a[i]; i++ }\r\n"
     "Output = Output + \" \" + IntToStr(sum);\r\n"
     "try { RaiseException(\"boom\"); } except { Output = Output + \" \" + ExceptionMessage; }\r\n"
     "Output = Output + \" \" + Kind(0) + \" \" + Kind(2) + \" \" + Kind(7);\r\n"
     "s = \"hello\";\r\n"
     "Output = Output + \" \" + UpperCase(Copy(s, 2, 3)) + IntToStr(Length(s));\r\n"
     "with (Pt) { X = 42; }\r\n"
     "Output = Output + \" \" + IntToStr(Pt.X);\r\n"},
    {"BasicScript",
     "function Fact(n)\r\n"
     "  if n <= 1 then\r\n"
     "    return 1\r\n"
     "  else\r\n"
     "    return n * Fact(n - 1)\r\n"
     "  end if\r\n"
     "end function\r\n"
     "function Kind(n)\r\n"
     "  select case n\r\n"
     "  case 0: return \"zero\"\r\n"
     "  case 1, 2: return \"small\"\r\n"
     "  case else: return \"big\"\r\n"
     "  end select\r\n"
     "end function\r\n"
     "dim a[5], s\r\n"
     "sum = 0\r\n"
     "for i = 1 to 10\r\n"
     "  sum += i\r\n"
     "next\r\n"
     "Output = IntToStr(sum) & \" \" & IntToStr(Fact(5))\r\n"
     "for i = 0 to 4\r\n"
     "  a[i] = i * i\r\n"
     "next\r\n"
     "sum = 0\r\n"
     "i = 0\r\n"
     "while i < 5\r\n"
     "  sum = sum + a[i] : i = i + 1\r\n"
     "wend\r\n"
     "Output = Output & \" \" & IntToStr(sum)\r\n"
     "try\r\n"
     "  RaiseException(\"boom\")\r\n"
     "catch\r\n"
     "  Output = Output & \" \" & ExceptionMessage\r\n"
     "end try\r\n"
     "Output = Output & \" \" & Kind(0) & \" \" & Kind(2) & \" \" & Kind(7)\r\n"
     "s = \"hello\"\r\n"
     "Output = Output & \" \" & UpperCase(Copy(s, 2, 3)) & IntToStr(Length(s))\r\n"
     "with Pt\r\n"
     "  X = 42\r\n"
     "end with\r\n"
     "Output = Output & \" \" & IntToStr(Pt.X)\r\n"},
};

}  // namespace

TEST(ScriptCompile, OneAlgorithmInFourLanguages) {
  for (const auto& [language, source] : kAlgorithm) {
    SCOPED_TRACE(language);
    Host host;
    Outcome o = Compile(host.script, language, source);
    ASSERT_TRUE(o.compiled) << o.message << " at " << o.position;
    host.script.Execute();
    EXPECT_EQ(host.script.GetVariables("Output").AsString(), "55 120 30 boom zero small big ELL5 42");
    EXPECT_EQ(host.point.X, 42);
  }
}

TEST(ScriptCompile, IntermediateCodeStoresAndRestoresAProgram) {
  for (const auto& [language, source] : kAlgorithm) {
    SCOPED_TRACE(language);
    Host writer;
    writer.script.SyntaxType = language;
    writer.script.Lines.SetText(source);
    rtl::TMemoryStream stream;
    ASSERT_TRUE(writer.script.GetILCode(stream)) << writer.script.ErrorMessage;
    stream.SetPosition(0);
    Host reader;
    reader.script.SyntaxType = language;
    ASSERT_TRUE(reader.script.SetILCode(stream)) << reader.script.ErrorMessage << " at " << reader.script.ErrorPosition;
    reader.script.Execute();
    EXPECT_EQ(reader.script.GetVariables("Output").AsString(), "55 120 30 boom zero small big ELL5 42");
  }
}

// Positions are those of the element the builder read last: a name or an
// operator is placed just behind its token, a call or a value at its start.
TEST(ScriptCompile, BuilderMessagesWithPositions) {
  struct Case {
    const char* language;
    const char* source;
    const char* message;
    const char* position;
  } cases[] = {
      {"PascalScript", "begin x := 1 end.", "Undeclared identifier: 'x'", "1:8"},
      {"PascalScript", "var a: Integer;\r\n    a: String;\r\nbegin end.", "Identifier redeclared: 'a'", "2:6"},
      {"PascalScript", "var a: TNoSuchType; begin end.", "Unknown type: 'TNoSuchType'", "1:6"},
      {"PascalScript", "var s: String; begin s := 1 end.", "Incompatible types: 'String', 'Integer'", "1:28"},
      {"PascalScript", "var b: Boolean; begin b := 'a' + 1 end.", "Incompatible types", "1:33"},
      {"PascalScript", "var i: Integer; begin with i do ; end.", "Class type required", "1:28"},
      {"PascalScript", "begin Pt.Items.X := 1 end.", "Index required", "1:17"},
      {"PascalScript", "var s: String; begin s.Size := 1 end.", "Strings doesn't have properties or methods", "1:28"},
      {"PascalScript", "begin Pt[0] := 1 end.", "Class TTestPoint does not have a default property", "1:10"},
      {"PascalScript", "var i: Integer; begin i[0] := 1 end.", "Array type required", "1:25"},
      {"PascalScript", "var v: String; begin v := @Pt.X end.", "Variable required", "1:32"},
      {"PascalScript", "var s: String; begin s := Copy('a') end.", "Not enough actual parameters", "1:27"},
      {"PascalScript", "var e: Extended; begin e := Pi(1) end.", "Too many actual parameters", "1:29"},
      {"PascalScript", "begin True := False end.", "Left side cannot be assigned to", "1:15"},
      {"PascalScript", "var s: String; begin for s := 1 to 2 do ; end.", "For loop variable must be numeric variable",
       "1:27"},
      {"PascalScript", "var i: Integer; begin i := 2.5 end.", "Incompatible types: 'Integer', 'Extended'", "1:31"},
      {"C++Script", "{ x = 1; }", "Undeclared identifier: 'x'", "1:4"},
      {"Cobol", "begin end.", "Language 'Cobol' not found", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + ": " + c.source);
    Host host;
    Outcome o = Compile(host.script, c.language, c.source);
    EXPECT_FALSE(o.compiled);
    EXPECT_EQ(o.message, c.message);
    EXPECT_EQ(o.position, c.position);
  }
}

TEST(ScriptCompile, DeclarationFreeLanguagesMakeVariants) {
  for (const char* language : {"JScript", "BasicScript"}) {
    SCOPED_TRACE(language);
    Host host;
    ASSERT_TRUE(Compile(host.script, language, "x = 5\r\n").compiled) << host.script.ErrorMessage;
    host.script.Execute();
    EXPECT_EQ(host.script.GetVariables("x").AsInteger(), 5);
  }
}

TEST(ScriptCompile, ArrayBoundsPerLanguage) {
  struct Case {
    const char* language;
    const char* source;
    int low, high;
  } cases[] = {
      {"PascalScript", "var a: array[1..3] of Integer; begin end.", 1, 3},
      {"PascalScript", "var a: array[5] of Integer; begin end.", 0, 4},
      {"C++Script", "int a[3]; {}", 0, 2},
      {"JScript", "var a[3];", 0, 2},
      {"BasicScript", "dim a[3]\r\n", 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    Host host;
    ASSERT_TRUE(Compile(host.script, c.language, c.source).compiled) << host.script.ErrorMessage;
    TfsCustomVariable* a = host.script.Find("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(rtl::VarArrayLowBound(a->Value, 1), c.low);
    EXPECT_EQ(rtl::VarArrayHighBound(a->Value, 1), c.high);
  }
}

TEST(ScriptCompile, CaseSelectorWithEmptyStatementKeepsItsValues) {
  // The empty branch of 2 must win over else: 2 does nothing, 3 goes to else.
  Host host;
  ASSERT_TRUE(Compile(host.script, "PascalScript",
                      "var i: Integer; begin Output := ''; for i := 1 to 3 do\r\n"
                      "  case i of 1: Output := Output + 'one'; 2: ; else Output := Output + 'else' end end.")
                  .compiled)
      << host.script.ErrorMessage;
  host.script.Execute();
  EXPECT_EQ(host.script.GetVariables("Output").AsString(), "oneelse");
}

TEST(ScriptCompile, NestedWithGetsDistinctHiddenVariables) {
  Host host;
  ASSERT_TRUE(Compile(host.script, "PascalScript", "begin with Pt do with Pt do X := 3 end.").compiled)
      << host.script.ErrorMessage;
  EXPECT_NE(host.script.FindLocal("_WithList_0"), nullptr);
  EXPECT_NE(host.script.FindLocal("_WithList_1"), nullptr);
  host.script.Execute();
  EXPECT_EQ(host.point.X, 3);
}

TEST(ScriptCompile, CppDefaultParameterAndVoidFunction) {
  Host host;
  ASSERT_TRUE(Compile(host.script, "C++Script",
                      "int Add(int a, int b = 10) { return a + b; }\r\n"
                      "void Put(int v) { Output = IntToStr(v); }\r\n"
                      "{ Put(Add(1)); }")
                  .compiled)
      << host.script.ErrorMessage << " at " << host.script.ErrorPosition;
  host.script.Execute();
  EXPECT_EQ(host.script.GetVariables("Output").AsString(), "11");
  auto* put = dynamic_cast<TfsProcVariable*>(host.script.Find("Put"));
  ASSERT_NE(put, nullptr);
  EXPECT_FALSE(put->IsFunction);
}

TEST(ScriptCompile, MembersOfVariantsAreBoundWhenFirstUsed) {
  struct Case {
    const char* language;
    const char* source;
  } cases[] = {
      {"JScript", "o = Pt; o.X = 5; with (o) { X = X + 1 } Output = IntToStr(o.X);"},
      {"PascalScript", "var o: Variant; begin o := Pt; o.X := 6; Output := IntToStr(o.X) end."},
      {"BasicScript", "o = Pt\r\no.X = 6\r\nOutput = IntToStr(o.X)\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    Host host;
    ASSERT_TRUE(Compile(host.script, c.language, c.source).compiled) << host.script.ErrorMessage;
    host.script.Execute();
    EXPECT_EQ(host.point.X, 6);
    EXPECT_EQ(host.script.GetVariables("Output").AsString(), "6");
  }
}

TEST(ScriptCompile, LineEndsOfAnyKind) {
  const char* texts[] = {"x = 1\ny = x + 1\n", "x = 1\ry = x + 1", "x = 1\r\ny = x + 1"};
  for (const char* text : texts) {
    Host host;
    ASSERT_TRUE(Compile(host.script, "BasicScript", text).compiled) << host.script.ErrorMessage;
    host.script.Execute();
    EXPECT_EQ(host.script.GetVariables("y").AsInteger(), 2);
  }
}

TEST(ScriptCompile, UnitFilesFromTheSearchPath) {
  ScratchFolder folder;
  // A unit file with LF line ends only, in the second folder searched.
  std::ofstream(folder.File("shared.pas"), std::ios::binary) << "var Shared: Integer;\nbegin\nend.\n";
  Host host;
  host.script.UnitSearchPath.Clear();
  host.script.UnitSearchPath.Add(folder.Path() + "missing");
  host.script.UnitSearchPath.Add(folder.Path());
  ASSERT_TRUE(
      Compile(host.script, "PascalScript", "uses 'shared.pas';\r\nbegin Shared := 4; Output := IntToStr(Shared) end.")
          .compiled)
      << host.script.ErrorMessage;
  host.script.Execute();
  EXPECT_EQ(host.script.GetVariables("Output").AsString(), "4");

  Host other;
  Outcome o = Compile(other.script, "PascalScript", "uses 'nowhere.pas'; begin end.");
  EXPECT_FALSE(o.compiled);
  EXPECT_FALSE(o.message.empty());
}
