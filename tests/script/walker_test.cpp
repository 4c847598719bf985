// The grammar walker's rules: which error wins, where it is reported, what
// is ignored, language selection and unit inclusion.
#include <gtest/gtest.h>

#include <map>

#include "front_end_support.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/textcase.h"
#include "script/fs_ilanguages.h"

using namespace script;

TEST(ScriptWalker, ErrorRules) {
  struct Case {
    const char* language;
    const char* source;
    const char* message;  // empty: compiles
    const char* position;
  } cases[] = {
      // The last declaration of a var section lacks its semicolon.
      {"PascalScript", "var x: Integer\r\nbegin end.", "';' expected", "2:1"},
      // A const section followed by var ends without error (the identifier carries term).
      {"PascalScript", "const a = 1;\r\nvar b: Integer;\r\nbegin end.", "", ""},
      // A missing end after a statement list.
      {"PascalScript", "begin\r\n  x := 1\r\n", "';' expected", "3:1"},
      {"PascalScript", "begin end", "'.' expected", "2:1"},  // behind the last line end
      {"PascalScript", "begin x := ; end.", "Expression expected", "1:12"},
      {"PascalScript", "begin if x then y := 1 else end.", "", ""},
      {"PascalScript", "begin for i = 1 to 2 do end.", "':' expected", "1:13"},
      {"PascalScript", "begin for i := 1 into 2 do end.", "'TO' or 'DOWNTO' expected", "1:18"},
      {"PascalScript", "begin try x := 1 end.", "'FINALLY' or 'EXCEPT' expected", "1:18"},
      {"PascalScript", "begin x := <abc end.", "'>' expected", "2:1"},
      // Text after the final point is ignored.
      {"PascalScript", "begin end. this is ignored", "", ""},
      // A case with a missing separator: the skip loop drops the pending error.
      {"PascalScript", "begin case x of 1: y := 1 2: y := 2 end end.", "'END' expected", "1:27"},
      {"C++Script", "{ IF (x) y = 1; }", "';' expected", "1:10"},  // IF is a name: a call IF(x)
      {"C++Script", "{ if (x) y = 1; }", "", ""},
      {"C++Script", "{ x = 1 }", "';' expected", "1:9"},
      {"C++Script", "int f( { }", "')' expected", "1:8"},
      {"JScript", "a = 1 b = 2", "", ""},
      {"JScript", "if x) a = 1", "'(' expected", "1:4"},
      {"JScript", "function f(a { }", "')' expected", "1:14"},
      {"BasicScript", "if x then y = 1\r\n", "", ""},
      {"BasicScript", "if x then\r\n  y = 1\r\n", "'END' expected", "3:1"},
      {"BasicScript", "x = 1 y = 2\r\n", "End of line expected", "1:7"},
      {"BasicScript", "for i = 1 to 3\r\nx = 1\r\n", "'NEXT' expected", "3:1"},
      // A walk that stops where no element names an error still fails.
      {"BasicScript", "1 + 2", "Syntax error", "1:1"},
      {"BasicScript", "", "Syntax error", "1:1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + ": " + c.source);
    FrontEndResult r = CompileToIL(c.language, c.source);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.position, c.position);
    EXPECT_EQ(r.ok, std::string(c.message).empty());
  }
}

TEST(ScriptWalker, FailureLeavesNoProgram) {
  TfsCompileSite site;
  TfsILParser parser(site);
  parser.SelectLanguage("BasicScript");
  EXPECT_FALSE(parser.MakeILScript("1 + 2"));
  EXPECT_EQ(parser.ILScript().Root()->Count(), 0);
}

TEST(ScriptWalker, UnknownLanguageIsACompileError) {
  FrontEndResult r = CompileToIL("Klingon", "begin end.");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Language 'Klingon' not found");
  r = CompileToIL("PascalScript", "#language Klingon\r\nbegin end.");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Language 'Klingon' not found");
}

TEST(ScriptWalker, LanguageDirective) {
  struct Case {
    const char* source;
    bool ok;
  } cases[] = {
      {"#language JScript\r\nvar a = 1; a++", true},
      {"#LANGUAGE   JScript  \nvar a = 1; a++", true},  // LF alone ends the directive line
      {"#language JScript\rvar a = 1", true},
      {"#language JScript", true},
      {" #language JScript\r\nvar a = 1", false},  // not at the very first character
      {"#language BasicScript\r\nx = 1", true},    // the last line needs no line end of its own
      {"#language PascalScript\r\nBEGIN END.", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    FrontEndResult r = CompileToIL("C++Script", c.source);
    EXPECT_EQ(r.ok, c.ok) << r.message << " at " << r.position;
  }
  // Positions after the directive still count its line.
  FrontEndResult r = CompileToIL("PascalScript", "#language JScript\nif x) a = 1");
  EXPECT_EQ(r.position, "2:4");
}

TEST(ScriptWalker, OneLineBasicWithoutLineEnd) {
  EXPECT_TRUE(CompileToIL("BasicScript", "function fsEvaluateFUNC\r\nreturn 1 + 2\r\nend function").ok);
  EXPECT_TRUE(CompileToIL("BasicScript", "function f\nreturn 1\nend function").ok);
}

TEST(ScriptWalker, UnitsAreIncludedOnceAndErrorsNameTheirUnit) {
  std::map<std::string, std::string> units = {
      {"a.pas", "uses 'b.pas'; var a: Integer; begin end."},
      {"c.pas", "var c: Integer; begin end."},
      {"b.pas", "var b: Integer; begin end."},
      {"bad.pas", "var c: Integer\nbegin end."},
  };
  int requests = 0;
  TfsCompileSite site;
  site.OnGetUnit = [&](const std::string& name, std::string& text) {
    ++requests;
    auto it = units.find(rtl::AnsiLowerCase(name));
    if (it == units.end()) return false;
    text = it->second;
    return true;
  };
  FrontEndResult r = CompileToIL("PascalScript", "uses 'c.pas', 'a.pas', 'b.pas', 'A.PAS'; begin end.", &site);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(requests, 3);  // b.pas came in through A.PAS first; a.pas is A.PAS
  // The last named unit is handled first: its uses element stands first.
  std::size_t a = r.il.find("<uses unit=\"A.PAS\">"), c = r.il.find("<uses unit=\"c.pas\">");
  ASSERT_NE(a, std::string::npos);
  ASSERT_NE(c, std::string::npos);
  EXPECT_LT(a, c);
  EXPECT_EQ(r.il.find("<uses unit=\"b.pas\">"), r.il.rfind("<uses unit=\"b.pas\">"));

  r = CompileToIL("PascalScript", "uses 'bad.pas'; begin end.", &site);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "';' expected");
  EXPECT_EQ(r.position, "2:1");
  EXPECT_EQ(r.unitName, "bad.pas");

  r = CompileToIL("PascalScript", "uses 'missing.pas'; begin end.", &site);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.message.empty());
}

TEST(ScriptWalker, HostileInputNeverCrashes) {
  const char* languages[] = {"PascalScript", "C++Script", "JScript", "BasicScript"};
  std::string deep = "begin x := " + std::string(20000, '(') + "1";
  for (const char* language : languages) {
    SCOPED_TRACE(language);
    FrontEndResult r = CompileToIL(language, deep);
    EXPECT_FALSE(r.ok && std::string(language) == "PascalScript");
    r = CompileToIL(language, std::string(5000, '{') + std::string(5000, '['));
    (void)r;
    r = CompileToIL(language, std::string("\0\0\xFF\x01", 4));
    (void)r;
  }
}

TEST(ScriptWalker, MissingRuleIsInvalidLanguage) {
  fsRegisterLanguage("@Broken",
                     "<?xml version=\"1.0\"?><language><parser/><program><nosuchrule/></program></language>");
  FrontEndResult r = CompileToIL("@Broken", "x");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Invalid language definition");
}

TEST(ScriptLanguages, RegistryListsAndReplaces) {
  rtl::TStringList list;
  fsGetLanguageList(list);
  ASSERT_GE(list.Count(), 4);
  EXPECT_EQ(list[0], "PascalScript");
  EXPECT_EQ(list[1], "C++Script");
  EXPECT_EQ(list[2], "JScript");
  EXPECT_EQ(list[3], "BasicScript");
  fsRegisterLanguage("@Hidden", "<?xml version=\"1.0\"?><language/>");
  fsGetLanguageList(list);
  EXPECT_EQ(list.IndexOf("@Hidden"), -1);
  EXPECT_EQ(fsGetLanguage("@hidden"), "<?xml version=\"1.0\"?><language/>");
  fsRegisterLanguage("@HIDDEN", "<?xml version=\"1.0\"?><language text=\"2\"/>");
  EXPECT_EQ(fsGetLanguage("@Hidden"), "<?xml version=\"1.0\"?><language text=\"2\"/>");
  EXPECT_THROW(fsGetLanguage("nothing"), rtl::Exception);
}

TEST(ScriptLanguages, ReportExpressionVariantOfPascal) {
  fsModifyPascalForFR2();
  // Variables need no declaration, sets use grave accents and [..] embeds a report expression.
  FrontEndResult r = CompileToIL("PascalScript", "begin x := [Table.Field] + 1; b := x in `1, 2` end.");
  fsRegisterLanguage("PascalScript", std::string(fsPascalScriptGrammar()));
  ASSERT_TRUE(r.ok) << r.message << " at " << r.position;
  EXPECT_NE(r.il.find("<string text=\"'Table.Field'\""), std::string::npos);
  EXPECT_NE(r.il.find("<set "), std::string::npos);
}
