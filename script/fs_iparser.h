// The one lexer of the four script languages. It holds the source and a
// position and reads a token when the grammar walker asks for one: a reader
// either consumes a token and returns its text, or returns an empty text and
// leaves the position where the token would have begun. The caller saves and
// restores positions to backtrack. What differs between languages is set from
// the grammar's <parser> section before the text is given.
#pragma once
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/strings.h"

namespace script {

using rtl::AnsiString;

class TfsParser {
 public:
  TfsParser();

  // Empties the keywords and puts the options back to their defaults
  // (case sensitivity and the second line-comment marker stay).
  void Clear();

  // ---- options ----
  bool CaseSensitive = false;
  AnsiString CommentLine1 = "//";
  AnsiString CommentLine2;
  AnsiString StringQuotes = "'";
  AnsiString HexSequence = "$";
  AnsiString SkipChar;
  bool SkipEOL = true;
  bool SpecStrChar = false;
  void SetCommentBlock1(std::string_view pair);
  void SetCommentBlock2(std::string_view pair);
  const AnsiString& CommentBlock1() const { return commentBlock1_; }
  const AnsiString& CommentBlock2() const { return commentBlock2_; }
  // The identifier characters become exactly the characters of text.
  void ConstructCharset(std::string_view text);
  // Adds the codes 128 to 255 (letters of the code page, Cyrillic included).
  void AddExtendedIdentifierChars();
  bool IsIdentChar(char c) const { return identChars_[static_cast<unsigned char>(c)]; }
  // Adds a reserved word (kept sorted).
  void AddKeyword(std::string_view word);
  const std::vector<AnsiString>& Keywords() const { return keywords_; }

  // ---- text and position ----
  void SetText(std::string_view text);
  const AnsiString& Text() const { return text_; }
  // Length of the text (without the NUL the lexer appends).
  int Length() const { return length_; }
  int Position() const { return position_; }
  void SetPosition(int p);
  // Where the last skip of blanks and comments ended.
  int TokenStart() const { return tokenStart_; }

  // ---- readers ----
  void SkipSpaces();
  AnsiString GetChar();
  AnsiString Ident();
  AnsiString GetWord();
  AnsiString GetIdent();
  bool IsKeyWord(std::string_view word) const;
  bool GetEOL();
  AnsiString GetString();
  AnsiString GetNumber();
  AnsiString GetFRString();

  // ---- positions ----
  // The current position as "line:column".
  AnsiString GetXYPosition() const { return XYPositionOf(position_); }
  AnsiString XYPositionOf(int position) const;
  // The position of column x of line y (both 1-based); -1 when the line does not exist.
  int GetPlainPosition(int x, int y) const;

  // ---- number scanners ----
  bool DoDigitSequence();
  bool DoHexDigitSequence();
  bool DoUnsignedInteger();
  bool DoUnsignedReal();
  bool DoScaleFactor();

 private:
  // The character at p (1-based); NUL at and beyond the end.
  char At(int p) const { return p >= 1 && p <= length_ ? text_[static_cast<std::size_t>(p - 1)] : '\0'; }
  bool StartsWithAt(int p, std::string_view marker) const;
  bool ReadQuotedPart(AnsiString& out);
  bool ReadCodePart(AnsiString& out);

  std::vector<AnsiString> keywords_;
  AnsiString commentBlock1_, commentBlock2_;
  AnsiString block1Open_, block1Close_, block2Open_, block2Close_;
  std::bitset<256> identChars_;
  AnsiString text_;
  int length_ = 0;
  int position_ = 1;
  int tokenStart_ = 1;
  // Entry 0 is 0; entry k is the position of the k-th line feed.
  std::vector<int> lineTable_;
};

}  // namespace script
