#include <gtest/gtest.h>

#include "platform/rtl/exceptions.h"
#include "script/fs_iparser.h"

using namespace script;

namespace {

enum class Options { Pascal, CLike, Basic };

// The option sets the languages' grammars give the lexer.
void Configure(TfsParser& p, Options o) {
  p.Clear();
  p.CommentLine2.clear();
  p.CaseSensitive = false;
  switch (o) {
    case Options::Pascal: break;
    case Options::CLike:
      p.SetCommentBlock1("/*,*/");
      p.SetCommentBlock2("/*,*/");
      p.StringQuotes = "\"";
      p.HexSequence = "0x";
      p.SpecStrChar = true;
      break;
    case Options::Basic:
      p.CommentLine1 = "'";
      p.CommentLine2 = "rem";
      p.SetCommentBlock1("/\\,/\\");
      p.SetCommentBlock2("/\\,/\\");
      p.StringQuotes = "\"";
      p.HexSequence = "0x";
      p.SkipEOL = false;
      p.SkipChar = "_";
      break;
  }
}

}  // namespace

TEST(ScriptLexer, StringsPerLanguage) {
  struct Case {
    Options options;
    const char* source;
    const char* token;
    int endPosition;  // where the lexer stands afterwards
  } cases[] = {
      {Options::Pascal, "'it''s'", "'it's'", 8},
      {Options::Pascal, "'a'#13#10'b'", "'a\r\nb'", 13},
      {Options::Pascal, "#65", "'A'", 4},
      {Options::Pascal, "#$41#66", "'AB'", 8},
      {Options::Pascal, "  'x' + 1", "'x'", 6},
      {Options::Pascal, "'unterminated", "", 1},
      {Options::Pascal, "'broken\r\nline'", "", 1},
      {Options::Pascal, "'tab\there'", "'tab\there'", 11},
      {Options::Pascal, "#", "", 1},
      {Options::CLike, "\"\\t\"", "'t'", 5},
      {Options::CLike, "\"\\x41\\x4a\"", "'AJ'", 11},
      {Options::CLike, "\"a\\nb\\rc\"", "'a\nb\rc'", 10},
      {Options::CLike, "\"a\"\"b\"", "'ab'", 7},
      {Options::CLike, "\"q\\\"q\"", "'q\"q'", 7},
      {Options::CLike, "\"\\x\"", "''", 5},
      {Options::CLike, "\"\\X41\"", "'A'", 7},
      {Options::CLike, "#0x41", "'A'", 6},
      {Options::CLike, "\"end\\", "", 1},
      {Options::Basic, "\"say \"\"hi\"\"\"", "'say \"hi\"'", 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    TfsParser p;
    Configure(p, c.options);
    p.SetText(c.source);
    EXPECT_EQ(p.GetString(), c.token);
    EXPECT_EQ(p.Position(), c.endPosition);
  }
}

TEST(ScriptLexer, CharacterCodesTooLargeRaiseConversionError) {
  TfsParser p;
  p.SetText("#99999999999");
  EXPECT_THROW(p.GetString(), rtl::Exception);
  Configure(p, Options::CLike);
  p.SetText("\"\\x123456789ab\"");
  EXPECT_THROW(p.GetString(), rtl::Exception);
}

TEST(ScriptLexer, Numbers) {
  struct Case {
    Options options;
    const char* source;
    const char* token;
    int endPosition;
  } cases[] = {
      {Options::Pascal, "123", "123", 4},
      {Options::Pascal, "$1F", "$1F", 4},
      {Options::Pascal, "$", "", 1},
      {Options::Pascal, "1e5", "1e5", 4},
      {Options::Pascal, "1.5E-3", "1.5E-3", 7},
      {Options::Pascal, "1..5", "1", 2},
      {Options::Pascal, "1.", "1", 2},
      {Options::Pascal, "2e", "2", 2},
      {Options::Pascal, "2e+", "2", 2},
      {Options::Pascal, "abc", "", 1},
      {Options::CLike, "0x1f", "$1f", 5},
      {Options::CLike, "0xZ", "", 1},  // the prefix demands hexadecimal digits
      {Options::CLike, "0", "0", 2},
      {Options::Basic, "0xFF + 1", "$FF", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    TfsParser p;
    Configure(p, c.options);
    p.SetText(c.source);
    EXPECT_EQ(p.GetNumber(), c.token);
    EXPECT_EQ(p.Position(), c.endPosition);
  }
}

TEST(ScriptLexer, IdentifiersAndKeywords) {
  TfsParser p;
  p.AddKeyword("begin");
  p.AddKeyword("end");
  p.AddKeyword("and");
  p.SetText("BEGIN x1 end _a 9z");
  EXPECT_EQ(p.GetIdent(), "");  // a keyword is no identifier...
  p.SetPosition(1);
  EXPECT_EQ(p.GetWord(), "BEGIN");  // ...but it is a word
  EXPECT_EQ(p.GetIdent(), "x1");
  EXPECT_EQ(p.GetWord(), "end");
  EXPECT_EQ(p.GetIdent(), "_a");
  EXPECT_EQ(p.GetIdent(), "");  // never begins with a digit
  EXPECT_TRUE(p.IsKeyWord("And"));

  p.CaseSensitive = true;
  EXPECT_FALSE(p.IsKeyWord("And"));
  EXPECT_TRUE(p.IsKeyWord("and"));
}

TEST(ScriptLexer, ExtendedIdentifiersTakeCyrillicLetters) {
  TfsParser p;
  const char cyrillic[] = "\xEF\xF0\xE8\xE2\xE5\xF2";  // "привет" in 1251
  p.SetText(cyrillic);
  EXPECT_EQ(p.GetIdent(), "");
  p.AddExtendedIdentifierChars();
  p.SetPosition(1);
  EXPECT_EQ(p.GetIdent(), cyrillic);
}

TEST(ScriptLexer, CharsAreOnlyPunctuation) {
  TfsParser p;
  p.SetText(";a :");
  EXPECT_EQ(p.GetChar(), ";");
  EXPECT_EQ(p.GetChar(), "");  // a letter
  p.SetText(" :");
  EXPECT_EQ(p.GetChar(), "");  // no blank skipping of its own
  p.SetText("");
  EXPECT_EQ(p.GetChar(), "");
}

TEST(ScriptLexer, CommentsPerLanguage) {
  struct Case {
    Options options;
    const char* source;
    const char* word;  // the first word after the skipped comments
  } cases[] = {
      {Options::Pascal, "{ c } x", "x"},
      {Options::Pascal, "(* c *) x", "x"},
      {Options::Pascal, "// line\r\nx", "x"},
      {Options::Pascal, "{ a (* b } x", "x"},
      {Options::Pascal, "{ a { b } x } y", "x"},  // comments do not nest
      {Options::CLike, "/* a */ x", "x"},
      {Options::CLike, "/* a\r\n b */x", "x"},
      {Options::Basic, "' c\r\nx", "x"},
      {Options::Basic, "rem c\r\nx", "x"},
      {Options::Basic, "remark\r\nx", "x"},  // "rem" starts a comment even inside a word
      {Options::Basic, "REM", "REM"},        // only in small letters
      {Options::Basic, "/\\ block /\\ x", "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    TfsParser p;
    Configure(p, c.options);
    p.SetText(c.source);
    EXPECT_EQ(p.GetWord(), c.word);
  }
}

TEST(ScriptLexer, UnterminatedCommentsStopAtTheEnd) {
  const char* sources[] = {"{ never closed", "(* never", "x {", "{"};
  for (const char* s : sources) {
    SCOPED_TRACE(s);
    TfsParser p;
    p.SetText(s);
    p.SkipSpaces();
    p.GetWord();
    p.SkipSpaces();
    EXPECT_LE(p.Position(), p.Length() + 1);
    EXPECT_EQ(p.GetWord(), "");
    EXPECT_EQ(p.GetString(), "");
    EXPECT_EQ(p.GetNumber(), "");
    EXPECT_FALSE(p.GetEOL());
  }
}

TEST(ScriptLexer, BasicLineEnds) {
  TfsParser p;
  Configure(p, Options::Basic);
  // A comment after code keeps the line end for the grammar.
  p.SetText("x ' note\r\ny");
  EXPECT_EQ(p.GetWord(), "x");
  EXPECT_TRUE(p.GetEOL());
  EXPECT_EQ(p.GetWord(), "y");
  // A comment on a line of its own disappears with its line end.
  p.SetText("x\r\n' note\r\ny");
  EXPECT_EQ(p.GetWord(), "x");
  EXPECT_TRUE(p.GetEOL());
  EXPECT_EQ(p.GetWord(), "y");
  // An underscore joins the next line.
  p.SetText("a _\r\n b\r\n");
  EXPECT_EQ(p.GetWord(), "a");
  EXPECT_EQ(p.GetWord(), "b");
  EXPECT_TRUE(p.GetEOL());
  EXPECT_FALSE(p.GetEOL());
  // A run of line ends is one.
  p.SetText("\r\n\r\n\r\nz");
  EXPECT_TRUE(p.GetEOL());
  EXPECT_EQ(p.GetWord(), "z");
}

TEST(ScriptLexer, ManyContinuationsDoNotExhaustTheStack) {
  TfsParser p;
  Configure(p, Options::Basic);
  p.SetText(std::string(200000, '_') + "x");
  EXPECT_EQ(p.GetWord(), "x");
}

TEST(ScriptLexer, Positions) {
  TfsParser p;
  p.SetText("ab\ncd");
  struct Case {
    int position;
    const char* text;
  } cases[] = {{1, "1:1"}, {3, "1:3"}, {4, "2:1"}, {5, "2:2"}, {6, "2:3"}};
  for (const auto& c : cases) {
    p.SetPosition(c.position);
    EXPECT_EQ(p.GetXYPosition(), c.text) << c.position;
  }
  EXPECT_EQ(p.GetPlainPosition(1, 2), 4);
  EXPECT_EQ(p.GetPlainPosition(2, 1), 2);
  EXPECT_EQ(p.GetPlainPosition(1, 3), -1);
  p.SetText("x\r\n  y");
  p.GetWord();
  EXPECT_EQ(p.GetWord(), "y");
  EXPECT_EQ(p.XYPositionOf(p.TokenStart()), "2:3");
}

TEST(ScriptLexer, EmbeddedReportExpressions) {
  struct Case {
    const char* source;
    const char* text;
    int stop;
  } cases[] = {
      {"Date>", "Date", 5},   {"a<b>c> rest", "a<b>c", 6},          {"x['>']>", "x['>']", 7},
      {"\"]\"]", "\"]\"", 4}, {"never closed", "never closed", 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    TfsParser p;
    p.SetText(c.source);
    EXPECT_EQ(p.GetFRString(), c.text);
    EXPECT_EQ(p.Position(), c.stop);
  }
}

TEST(ScriptLexer, ClearKeepsCaseSensitivityAndSecondLineComment) {
  TfsParser p;
  p.CaseSensitive = true;
  p.CommentLine2 = "rem";
  p.StringQuotes = "\"";
  p.AddKeyword("if");
  p.Clear();
  EXPECT_TRUE(p.CaseSensitive);
  EXPECT_EQ(p.CommentLine2, "rem");
  EXPECT_EQ(p.StringQuotes, "'");
  EXPECT_TRUE(p.Keywords().empty());
  EXPECT_EQ(p.CommentBlock1(), "{,}");
  EXPECT_EQ(p.CommentBlock2(), "(*,*)");
}
