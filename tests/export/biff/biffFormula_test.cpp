// The formula lexer, parser and compiler: token orders, operand classes and
// the emitted bytes, and the errors that let a cell fall back to text.
#include <gtest/gtest.h>

#include "export/biff/biffFormulaCompiler.h"
#include "export/biff/biffSheet.h"
#include "tests/export/biff/biff_test_util.h"
#include "tests/support/errors.h"

namespace {

using namespace report;
using namespace rtl::literals;

// Tokens as text: operands by their text, operators by kind number, calls as
// NAME/arguments.
std::string Rpn(const AnsiString& formula) {
  TBiffFormulaParser parser;
  parser.Parse(formula);
  std::string out;
  for (const auto& t : parser.Tokens()) {
    if (!out.empty()) out += ' ';
    if (t.Kind == ftkArg)
      out += t.Text;
    else if (t.Op == fokPush)
      out += "push";
    else if (t.Op == fokFunc)
      out += t.Text + "/" + std::to_string(t.Value);
    else
      out += "op" + std::to_string(static_cast<int>(t.Op));
  }
  return out;
}

TEST(BiffFormulaParser, TokenOrders) {
  const std::string add = "op" + std::to_string(fokAdd), mul = "op" + std::to_string(fokMul),
                    pow = "op" + std::to_string(fokPow), div = "op" + std::to_string(fokDiv),
                    join = "op" + std::to_string(fokJoin), eq = "op" + std::to_string(fokE),
                    area = "op" + std::to_string(fokArea), isect = "op" + std::to_string(fokIsect),
                    id = "op" + std::to_string(fokId), ext = "op" + std::to_string(fokExt),
                    neg = "op" + std::to_string(fokNeg), pct = "op" + std::to_string(fokDiv100);
  const std::pair<const char*, std::string> cases[] = {
      {"1+2*3", "1 push 2 push 3 push " + mul + " " + add},
      {"SUM(A1:B2)", "A1 B2 " + area + " SUM/1"},
      {"(1)", "1 push " + id},
      {"A1 A2", "A1 push A2 push " + isect},
      {"A1 + A2", "A1 push A2 push " + add},
      {"1&2=3", "1 push 2 push 3 push " + eq + " " + join},
      {"2^3^2", "2 push 3 push 2 push " + pow + " " + pow},
      {"8/4/2", "8 push 4 push " + div + " 2 push " + div},
      {"LOG10(100)", "100 push LOG10/1"},
      {"'My Sheet'!A1:B2", "My Sheet A1 B2 " + ext},
      {"Sheet1!A1", "Sheet1 A1 " + ext},
      {"IF(A1,,2)", "A1 push void push 2 push IF/3"},
      {"-5%", "5 push " + neg + " " + pct},  // equal priorities: left to right
      {"12.", "12.0 push"},
      {"\"a\"\"b\"", "a\"b push"},
      {"'it''s'!A1", "it's A1 " + ext},
      {"NOW()", "NOW/0"},
      {"true", "TRUE push"},
  };
  for (const auto& [formula, rpn] : cases) EXPECT_EQ(Rpn(formula), rpn) << formula;
}

TEST(BiffFormulaParser, AbsoluteFlags) {
  TBiffFormulaParser parser;
  parser.Parse("$A$1+A$1+$A1");
  std::vector<int> flags;
  for (const auto& t : parser.Tokens())
    if (t.Op == fokCell) flags.push_back(t.Value);
  EXPECT_EQ(flags, (std::vector<int>{3, 1, 2}));
}

TEST(BiffFormulaParser, Errors) {
  const std::pair<const char*, const char*> cases[] = {
      {"ERROR.TYPE(A1)", "Invalid formula"},
      {"IF(A1,)", "Invalid formula"},
      {"1+", "Invalid formula"},
      {"--1", "Invalid formula"},
      {"5%%", "Operator \"%\" is unknown"},
      {"", "Invalid formula"},
      // Text after a complete expression is not silently dropped.
      {"1)", "Invalid formula"},
      {"A1B2", "Invalid formula"},
      {"SUM(1", "Invalid formula"},
  };
  for (const auto& [formula, message] : cases) {
    TBiffFormulaParser parser;
    try {
      parser.Parse(formula);
      ADD_FAILURE() << formula;
    } catch (const EBiffFormulaParserError& e) {
      EXPECT_STREQ(e.what(), message) << formula;
    }
  }
}

TEST(BiffFormulaParser, DeepNestingKeepsCounts) {
  // 300 pending operands around a parenthesis: counts do not wrap at 256.
  std::string formula;
  for (int i = 0; i < 300; ++i) formula += "1+(";
  formula += "1";
  for (int i = 0; i < 300; ++i) formula += ")";
  TBiffFormulaCompiler compiler;
  ASSERT_NO_THROW(compiler.Compile(formula));
  EXPECT_EQ(compiler.Code().size(), 301u * 3 + 300u * 2);
}

TEST(BiffFormulaParser, NestingIsBounded) {
  // Each parenthesis or call recursed once: 25,000 levels crashed the process.
  auto nested = [](const std::string& open, int levels) {
    std::string f;
    for (int i = 0; i < levels; ++i) f += open;
    return f + "1" + std::string(static_cast<std::size_t>(levels), ')');
  };
  const char* const kTooDeep = "Formula nested too deeply: more than 1000 levels";
  const std::pair<std::string, const char*> cases[] = {
      {nested("(", 25000), kTooDeep},
      {nested("ABS(", 20000), kTooDeep},
      {nested("(", 1001), kTooDeep},
      {nested("ABS(", 1000), "no error"},
  };
  for (const auto& [formula, error] : cases) {
    TBiffFormulaCompiler compiler;
    EXPECT_EQ(support::ErrorOf([&] { compiler.Compile(formula); }), error) << formula.substr(0, 12);
  }
  // A refused formula leaves the parser ready for the next one.
  TBiffFormulaParser parser;
  EXPECT_THROW(parser.Parse(nested("(", 1001)), EBiffFormulaParserError);
  EXPECT_NO_THROW(parser.Parse(nested("(", 1000)));
}

TEST(BiffFormulaCompiler, TokensBeyondTheRecordAreRefused) {
  // 20,000 terms compiled to 79,999 token bytes behind a 16-bit size field
  // that said 14,463.
  std::string formula = "1";
  for (int i = 1; i < 20000; ++i) formula += "+1";
  TBiffFormulaCompiler compiler;
  EXPECT_EQ(support::ErrorOf([&] { compiler.Compile(formula); }),
            "Formula too long: 79999 bytes of tokens, at most 8202 fit the record");
  EXPECT_THROW(compiler.Compile(formula), EBiffFormulaTooLong);
  // 2,050 terms: 8,199 bytes, the longest that fits this way.
  formula = "1";
  for (int i = 1; i < 2050; ++i) formula += "+1";
  ASSERT_NO_THROW(compiler.Compile(formula));
  EXPECT_EQ(compiler.Code().size(), 8199u);
  EXPECT_NO_THROW(TBiffFormulaCell(std::string(kBiffMaxFormulaTokens, '\x03')));
  EXPECT_THROW(TBiffFormulaCell(std::string(kBiffMaxFormulaTokens + 1, '\x03')), EBiffFormulaTooLong);
}

std::string Code(const AnsiString& formula, TBiffLinkTable* links = nullptr) {
  TBiffFormulaCompiler compiler;
  compiler.LinkTable = links;
  compiler.Compile(formula);
  return bifftest::Hex(compiler.Code());
}

TEST(BiffFormulaCompiler, EmittedBytes) {
  TBiffLinkTable links;
  links.GetInternalSheetRef("Other");
  const std::pair<AnsiString, const char*> cases[] = {
      {"SUM(A1:B2)", "25 00 00 01 00 00 C0 01 C0 42 01 04 00"},
      {"1+2", "1E 01 00 1E 02 00 03"},
      {"-5", "1E 05 00 13"},
      {"1.5", "1F 00 00 00 00 00 00 F8 3F"},
      {"70000", "1F 00 00 00 00 00 17 F1 40"},
      {"A1", "44 00 00 00 C0"},
      {"NOW()", "41 4A 00"},
      {"$B$3", "44 02 00 01 00"},
      {"IF(A1>0,1,2)", "44 00 00 00 C0 1E 00 00 0D 1E 01 00 1E 02 00 42 03 01 00"},
      {"DATEDIF(A1,B1,\"d\")", "44 00 00 00 C0 44 00 00 01 C0 17 01 00 64 41 5F 01"},
      {"'Data'!A1", "5A 01 00 00 00 00 C0"},
      {"Data!A1:B2", "5B 01 00 00 00 01 00 00 C0 01 C0"},
      {"SUM(Data!A1:B2)", "3B 01 00 00 00 01 00 00 C0 01 C0 42 01 04 00"},
      {"IF(TRUE,,1)", "1D 01 16 1E 01 00 42 03 01 00"},
      {"(1)%", "1E 01 00 15 14"},
      {"A1 B1", "24 00 00 00 C0 24 00 00 01 C0 0F"},
      {"\"ab\"&\"c\"", "17 02 00 61 62 17 01 00 63 08"},
      // Texts beyond Latin-1 are written with 16-bit characters.
      {"\"Ж\""_cp, "17 01 01 16 04"},
      {AnsiString("\"\xA0\""), "17 01 00 A0"},  // no-break space, U+00A0
  };
  for (const auto& [formula, bytes] : cases) EXPECT_EQ(Code(formula, &links), bytes) << formula;
  EXPECT_EQ(links.GetRefsCount(), 2);
  EXPECT_EQ(links.FindSheet("Data"), 1);
}

TEST(BiffFormulaCompiler, Errors) {
  const std::pair<AnsiString, const char*> cases[] = {
      {"FOO(1)", "Function FOO is not supported"},
      {"ROUND(1)", "Function ROUND cannot be called with 1 arguments"},
      {"ROUND(1,2,3)", "Function ROUND cannot be called with 3 arguments"},
      {"\"" + std::string(256, 'x') + "\"", "String is too long"},
      {"IW1", "Column index is out of bounds"},
      {"A65537", "Row index is out of bounds"},
      {"A0", "Row index is out of bounds"},
      {"Data!A1", "Link table is not assigned"},
  };
  for (const auto& [formula, message] : cases) {
    TBiffFormulaCompiler compiler;
    try {
      compiler.Compile(formula);
      ADD_FAILURE() << formula;
    } catch (const rtl::Exception& e) {
      EXPECT_STREQ(e.what(), message) << formula;
    }
  }
}

TEST(BiffFormulaFunctions, TableLookups) {
  EXPECT_EQ(TBiffFormulaFuncList::GetCount(), 120);
  EXPECT_TRUE(TBiffFormulaFuncList::Exists("vlookup"));
  EXPECT_EQ(TBiffFormulaFuncList::Get("ERROR.TYPE")->Id, 261);
  EXPECT_EQ(TBiffFormulaFuncList::GetArgType("VLOOKUP", 0), 'V');
  EXPECT_EQ(TBiffFormulaFuncList::GetArgType("VLOOKUP", 2), 'R');
  EXPECT_EQ(TBiffFormulaFuncList::GetArgType("SUM", 29), 'R');
  EXPECT_THROW(TBiffFormulaFuncList::GetArgType("SUM", 30), EAssertionFailed);
  EXPECT_TRUE(TBiffFormulaFuncList::Get("TODAY")->Flag);
  for (int i = 1; i < TBiffFormulaFuncList::GetCount(); ++i)
    EXPECT_LT(TBiffFormulaFuncList::GetFunc(i - 1).Name, TBiffFormulaFuncList::GetFunc(i).Name);
}

TEST(BiffLinkTable, ReferencesAndMissingSheets) {
  TBiffLinkTable links;
  EXPECT_EQ(links.GetInternalSheetRef("A"), 0);
  EXPECT_EQ(links.GetInternalSheetRef("B"), 1);
  EXPECT_EQ(links.GetInternalSheetRef("A"), 0);
  EXPECT_EQ(links.FindSheet("C"), 2);
  links.SheetCount = 3;
  links.SetSheetIndex("B", 2);
  links.SetSheetIndex("C", 1);
  EXPECT_EQ(links.MissingSheets(), std::vector<AnsiString>{"A"});
  TBiffStream stream(false);
  links.Flush(stream);
  const auto recs = bifftest::Records(bifftest::Bytes(stream));
  EXPECT_EQ(bifftest::Hex(recs.at(0).payload), "03 00 01 04");
  // A sheet that does not exist refers to no sheet (#REF!), not to the first.
  EXPECT_EQ(bifftest::Hex(recs.at(1).payload), "02 00 00 00 FF FF FF FF 00 00 02 00 02 00");
}

}  // namespace
