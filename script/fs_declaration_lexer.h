// A small scanner for registration declarations: identifiers, punctuation,
// numbers and quoted strings, with blanks and comments skipped.
#pragma once
#include <string_view>

#include "platform/rtl/strings.h"

namespace script {

class TfsDeclarationLexer {
 public:
  // `extended`: characters 128 to 255 are identifier characters.
  TfsDeclarationLexer(std::string_view text, bool extended) : text_(text), extended_(extended) {}

  // Skips blanks and comments; the identifier there, or empty.
  rtl::AnsiString Ident();
  // Skips blanks; the character there without consuming it (0 at the end).
  char Peek();
  // Consumes one character.
  void GetChar() { Skip(); }
  void Skip() {
    if (pos_ < text_.size()) ++pos_;
  }
  // Skips blanks; an unsigned number ($hex, decimal, real), or empty.
  rtl::AnsiString GetNumber();
  // Skips blanks; a string literal in single quotes ('' for a quote, #n
  // parts), returned between single quotes; empty when there is none.
  rtl::AnsiString GetString();
  size_t Position() const { return pos_; }
  bool AtEnd() {
    SkipSpaces();
    return pos_ >= text_.size();
  }

 private:
  void SkipSpaces();
  bool IsIdentChar(unsigned char c) const;
  std::string_view text_;
  size_t pos_ = 0;
  bool extended_;
};

}  // namespace script
