// Each language's constructs pinned by the intermediate program they compile
// to. The expected programs are files under tests/script/golden; running the
// tests with ZARNIK_UPDATE_GOLDEN=1 rewrites them (review the difference).
#include <gtest/gtest.h>

#include <map>

#include "front_end_support.h"
#include "tests/support/files.h"

namespace {

struct GoldenCase {
  const char* name;
  const char* language;
  const char* source;
};

const GoldenCase kCases[] = {
    {"pascal_declarations", "PascalScript",
     "program Demo;\r\n"
     "uses 'unit1.pas';\r\n"
     "const Limit = 10; Name = 'abc';\r\n"
     "var i, j: Integer; s: String = 'x';\r\n"
     "  a: array[1..3, 0..1] of Integer;\r\n"
     "procedure P(var x: Integer; const y: String; z: Integer);\r\n"
     "var t: Integer;\r\n"
     "begin t := x; x := t + 1 end;\r\n"
     "function F(n: Integer): Integer;\r\n"
     "begin Result := n * 2 end;\r\n"
     "begin\r\n"
     "  P(i, s, 3); j := F(i)\r\n"
     "end."},
    {"pascal_statements", "PascalScript",
     "begin\r\n"
     "  if a > 1 then b := 1 else b := 2;\r\n"
     "  case a of 1, 3..5: b := 1; 2: ; else b := 0 end;\r\n"
     "  repeat a := a - 1; if a = 2 then continue until a < 0;\r\n"
     "  while a < 10 do begin a := a + 1; if a = 5 then break end;\r\n"
     "  for i := 1 to 10 do s := s + 'x';\r\n"
     "  for i := 10 downto 1 do exit;\r\n"
     "  try a := 1 finally a := 2 end;\r\n"
     "  try a := 1 except a := 3 end;\r\n"
     "  with Obj, Obj.Sub do Caption := 'c'\r\n"
     "end."},
    {"pascal_expressions", "PascalScript",
     "begin\r\n"
     "  x := -a + b * (c - d) div 2 mod 3 / e;\r\n"
     "  y := not (a >= b) and (a <> b) or (a <= b) xor (a in [1, 2..3]) or (o is TObject);\r\n"
     "  z := a shl 2 shr 1 + $FF + 1.5E2 + 'it''s'#13#10;\r\n"
     "  w := Items[i, j].Value(1, 'a') + @Proc + <Date>\r\n"
     "end."},
    {"cpp_program", "C++Script",
     "#include \"unit1.cpp\", \"unit2.cpp\"\r\n"
     "#define Limit 10\r\n"
     "int i, a[3][2] = 0, b = 1;\r\n"
     "int Twice(int n, int &r, string s = \"d\") { r = n; return n * 2; }\r\n"
     "void Nothing() { }\r\n"
     "{\r\n"
     "  if (a == 1 && b != 2 || !c) x = 1; else x = 2;\r\n"
     "  switch (a) { case 1: x = 1; case 2, 3: { x = 2; } default: x = 0; }\r\n"
     "  do i++; while (i < 10);\r\n"
     "  while (i > 0) i--;\r\n"
     "  for (i = 0, j = 1; i < 5; i++) x += i % 3 << 1 >> 1 ^ 2;\r\n"
     "  try { delete o; } finally { o = new TObject(); }\r\n"
     "  x -= 0x1F; x *= 2; x /= 2; ;\r\n"
     "  break; continue; exit;\r\n"
     "}"},
    {"js_program", "JScript",
     "import \"lib.js\"\r\n"
     "var a = 1, b[3], c\r\n"
     "function F(x, &y) { y = x; return x + 1 }\r\n"
     "a = 1 b = 2\r\n"
     "if (a == b) { a = 0 } else a = 1;\r\n"
     "switch (a) { case 1: b = 1 default: b = 2 }\r\n"
     "do { a++ } while (a < 3);\r\n"
     "while (a > 0) a--\r\n"
     "for (i = 0; i < 3; i++) { continue }\r\n"
     "try { delete o } except { b = new TList() }\r\n"
     "with (o) { x = 1 }\r\n"
     "s = \"a\\tb\\x41\" + \"\\n\";\r\n"
     "break"},
    {"basic_program", "BasicScript",
     "imports \"lib.vb\"\r\n"
     "dim i as integer, a[3], s as string = \"x\"\r\n"
     "sub P(byref x, byval y as integer)\r\n"
     "  x = y\r\n"
     "end sub\r\n"
     "function F(n) as integer\r\n"
     "  return n * 2\r\n"
     "end function\r\n"
     "if i = 1 then s = \"one\" : i = 2\r\n"
     "if i > 1 then\r\n"
     "  s = \"big\"\r\n"
     "elseif i < 0 then\r\n"
     "  s = \"negative\"\r\n"
     "else\r\n"
     "  s = \"small\"\r\n"
     "end if\r\n"
     "select case i\r\n"
     "case 1, 2 : s = \"low\"\r\n"
     "case else : s = \"other\"\r\n"
     "end select\r\n"
     "do\r\n"
     "  i += 1\r\n"
     "loop until i > 5\r\n"
     "do\r\n"
     "  i = i - 1 : exit\r\n"
     "loop while i > 0\r\n"
     "while i < 3\r\n"
     "  i++\r\n"
     "wend\r\n"
     "for i = 1 to 10 step 2\r\n"
     "  s = s & i ' a note\r\n"
     "next\r\n"
     "try\r\n"
     "  x = 7 \\ 2 mod 3\r\n"
     "catch\r\n"
     "  x = 0\r\n"
     "end try\r\n"
     "with o\r\n"
     "  .x = 1\r\n"
     "end with\r\n"
     "set o = new TObject\r\n"
     "x = not a and b or c xor _\r\n"
     "  d\r\n"},
};

}  // namespace

TEST(ScriptGrammars, GoldenIntermediatePrograms) {
  const bool update = std::getenv("ZARNIK_UPDATE_GOLDEN") != nullptr;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    script::TfsCompileSite site;
    site.OnGetUnit = [](const std::string& name, std::string& text) {
      const std::map<std::string, std::string> units = {{"unit1.pas", "var u1: Integer; begin end."},
                                                        {"unit1.cpp", "int u1; {}"},
                                                        {"unit2.cpp", "int u2; {}"},
                                                        {"lib.js", "var l = 1"},
                                                        {"lib.vb", "dim v\r\n"}};
      auto it = units.find(name);
      if (it == units.end()) return false;
      text = it->second;
      return true;
    };
    FrontEndResult r = CompileToIL(c.language, c.source, &site);
    ASSERT_TRUE(r.ok) << r.message << " at " << r.position;
    std::string path = SourceDir() + "/tests/script/golden/" + c.name + ".xml";
    if (update) {
      std::ofstream(path, std::ios::binary) << r.il;
      continue;
    }
    EXPECT_EQ(r.il, support::ReadFile(path));
  }
}
