// Hostile input: truncated and randomly damaged programs in each language,
// and damaged stored intermediate code, end in a compile error or a clean
// program: never a crash, a hang or an exception out of Compile/SetILCode.
#include <gtest/gtest.h>

#include <random>

#include "platform/rtl/streams.h"
#include "script/fs_iinterpreter.h"

using namespace script;

namespace {

const std::pair<const char*, const char*> kPrograms[] = {
    {"PascalScript",
     "program P; uses 'u.pas';\r\nconst N = 3;\r\nvar i: Integer; a: array[1..N] of String; s: String = 'x';\r\n"
     "function F(var x: Integer; y: String = 'd'): String; begin x := x + 1; Result := y + IntToStr(x) end;\r\n"
     "begin for i := 1 to N do a[i] := F(i); case i of 1..2: s := #65 else s := '' end;\r\n"
     "  with Obj do Caption := <Date>; try s := s + 'q' except s := '' end end."},
    {"C++Script",
     "#include \"u.cpp\"\r\n#define N 3\r\nint i, a[N][2] = 0;\r\nint F(int &x, string y = \"d\") { x++; return x; "
     "}\r\n"
     "{ for (i = 0; i < N; i++) { a[i][0] = F(i); } switch (i) { case 1: i -= 0x1F; default: ; }\r\n"
     "  do i--; while (i > 0); delete o; o = new TObject(); }"},
    {"JScript",
     "import \"u.js\"\r\nvar a[3], s = \"x\\n\";\r\nfunction F(x, &y) { y = x; return x + 1 }\r\n"
     "for (i = 0; i < 3; i++) { a[i] = F(i, s) } with (o) { x = 1 } try { s += \"q\" } finally { s = \"\" }"},
    {"BasicScript",
     "imports \"u.vb\"\r\ndim a[3], s as string = \"x\"\r\nsub P(byref x)\r\n  x = x & \"a\"\r\nend sub\r\n"
     "for i = 0 to 2 step 1\r\n  P(s) : a[i] = i \\ 2\r\nnext\r\nselect case i\r\ncase 1: s = \"\"\r\ncase else: s = "
     "\"z\"\r\n"
     "end select\r\nif i > 1 then\r\n  s = s & \"b\"\r\nelseif i < 0 then s = \"\"\r\nend if\r\n"},
};

void CompileQuietly(const char* language, const std::string& text) {
  TfsScript script;
  script.AddRTTI();
  script.SyntaxType = language;
  script.OnGetUnit = [&](TfsScript*, const AnsiString&, AnsiString& unit) { unit = text.substr(0, text.size() / 3); };
  script.Lines.SetText(text);
  bool ok = false;
  EXPECT_NO_THROW(ok = script.Compile()) << text;
  if (!ok) {
    EXPECT_FALSE(script.ErrorMessage.empty()) << text;
  }
}

}  // namespace

TEST(ScriptHostileInput, TruncatedPrograms) {
  for (const auto& [language, source] : kPrograms) {
    SCOPED_TRACE(language);
    const std::string text = source;
    for (std::size_t cut = 0; cut <= text.size(); cut += 3) CompileQuietly(language, text.substr(0, cut));
  }
}

TEST(ScriptHostileInput, RandomlyDamagedPrograms) {
  std::mt19937 random(20261210);
  const std::string noise = "()[]{}<>;:,.'\"#$@&!=+-*/\\_ \r\n\tabzAZ09\x80\xFF";
  for (const auto& [language, source] : kPrograms) {
    SCOPED_TRACE(language);
    for (int round = 0; round < 150; ++round) {
      std::string text = source;
      int edits = 1 + static_cast<int>(random() % 6);
      for (int e = 0; e < edits && !text.empty(); ++e) {
        std::size_t at = random() % text.size();
        switch (random() % 3) {
          case 0: text[at] = noise[random() % noise.size()]; break;
          case 1: text.erase(at, 1 + random() % 8); break;
          default: text.insert(at, std::string(1 + random() % 4, noise[random() % noise.size()]));
        }
      }
      CompileQuietly(language, text);
    }
  }
}

TEST(ScriptHostileInput, DamagedIntermediateCode) {
  std::mt19937 random(4242);
  for (const auto& [language, source] : kPrograms) {
    SCOPED_TRACE(language);
    TfsScript writer;
    writer.AddRTTI();
    writer.SyntaxType = language;
    writer.OnGetUnit = [](TfsScript*, const AnsiString&, AnsiString& unit) { unit.clear(); };
    writer.Lines.SetText(source);
    rtl::TMemoryStream stored;
    if (!writer.GetILCode(stored)) continue;  // units or classes the bare script lacks
    const std::string il = stored.Bytes();
    for (int round = 0; round < 200; ++round) {
      std::string text = il;
      std::size_t at = random() % text.size();
      switch (round % 4) {
        case 0: text.resize(at); break;
        case 1: text[at] = "<>/\"= &#x"[random() % 9]; break;
        case 2: text.erase(at, random() % 40); break;
        default: text.insert(at, text.substr(random() % text.size(), random() % 60));
      }
      TfsScript reader;
      reader.AddRTTI();
      reader.SyntaxType = language;
      rtl::TMemoryStream stream(text);
      bool ok = false;
      EXPECT_NO_THROW(ok = reader.SetILCode(stream));
      if (!ok) {
        EXPECT_FALSE(reader.ErrorMessage.empty());
      }
    }
  }
}

TEST(ScriptHostileInput, OperatorsWithoutOperandsAreRefused) {
  // Stored code where an operator lacks an operand was accepted and crashed
  // the run (a missing right child), or folded silently ("1 +" gave 1).
  const std::string program =
      "<?xml version=\"1.0\"?><program><var pos=\"1:5\"><ident text=\"R\" pos=\"1:6\"/>"
      "<type text=\"Integer\" pos=\"1:15\"/></var><compoundstmt pos=\"2:1\"><assignstmt pos=\"2:7\">"
      "<dsgn pos=\"2:7\"><node text=\"R\" pos=\"2:8\"/></dsgn><expr pos=\"2:12\">ASSIGNED</expr></assignstmt>"
      "<ifstmt pos=\"2:19\"><expr pos=\"2:22\">TESTED</expr><thenstmt pos=\"2:33\"><assignstmt pos=\"2:33\">"
      "<dsgn pos=\"2:33\"><node text=\"R\" pos=\"2:34\"/></dsgn><expr pos=\"2:38\"><number text=\"3\"/></expr>"
      "</assignstmt></thenstmt></ifstmt></compoundstmt><types/></program>";
  const std::string r = "<dsgn><node text=\"R\"/></dsgn>";
  const std::string one = "<number text=\"1\"/>";
  auto op = [](const char* text) { return std::string("<op text=\"") + text + "\"/>"; };
  const struct {
    std::string assigned, tested;
    bool ok;
  } cases[] = {
      {r + op("+") + one, r + op("&#60;") + one, true},
      {r + op("+") + op("-"), one, false},              // R + -
      {one, r + op("&#60;") + "<unknown/>", false},     // R <, its operand unreadable
      {one + op("+") + op("-"), one, false},            // 1 + -
      {op("not") + op("+") + one, one, false},          // not + 1
      {op("(") + op(")") + op("+") + one, one, false},  // () + 1
      {r + op("*") + op("(") + op(")"), one, false},    // R * ()
      {r + op("+") + op("-") + one, one, false},        // R + - 1: "-" here is the binary one
      {r + op("+") + op("unminus") + one, one, true},   // R + -1
      {one + op("+"), one, true},                       // a trailing operator is dropped
  };
  for (const auto& c : cases) {
    std::string il = program;
    il.replace(il.find("ASSIGNED"), 8, c.assigned);
    il.replace(il.find("TESTED"), 6, c.tested);
    TfsScript script;
    script.AddRTTI();
    script.SyntaxType = "PascalScript";
    rtl::TMemoryStream stream(il);
    bool ok = false;
    EXPECT_NO_THROW(ok = script.SetILCode(stream)) << c.assigned << " / " << c.tested;
    EXPECT_EQ(ok, c.ok) << c.assigned << " / " << c.tested;
    if (!ok) {
      EXPECT_EQ(script.ErrorMessage, "Expression expected") << c.assigned << " / " << c.tested;
      continue;
    }
    EXPECT_NO_THROW(script.Execute());
  }
}

TEST(ScriptHostileInput, DeepNestingIsACompileError) {
  struct Case {
    const char* language;
    std::string text;
  } cases[] = {
      {"PascalScript", "begin x := " + std::string(3000, '(') + "1" + std::string(3000, ')') + " end."},
      {"PascalScript", "begin " + std::string(2000, 'b') + " end."},
      {"C++Script", "{ " + std::string(3000, '{') + std::string(3000, '}') + " }"},
      {"JScript", std::string(3000, '[')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    CompileQuietly(c.language, c.text);
  }
  // Stored code nested far deeper than any program is refused as well.
  std::string il = "<?xml version=\"1.0\"?><program>";
  for (int i = 0; i < 1500; ++i) il += "<compoundstmt>";
  TfsScript reader;
  reader.AddRTTI();
  rtl::TMemoryStream stream(il);
  EXPECT_FALSE(reader.SetILCode(stream));
  EXPECT_FALSE(reader.ErrorMessage.empty());
}
