#include "script/fs_iparser.h"

#include <algorithm>

#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace script {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
// Codes 0 to 31 except the tab end a quoted part of a string.
bool EndsStringPart(char c) {
  auto u = static_cast<unsigned char>(c);
  return u < 32 && u != 9;
}
bool IsPunctuation(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 33 && u <= 47) || (u >= 58 && u <= 64) || (u >= 91 && u <= 96) || (u >= 123 && u <= 126);
}

void SplitPair(std::string_view pair, AnsiString& open, AnsiString& close) {
  std::size_t comma = pair.find(',');
  open = AnsiString(pair.substr(0, comma));
  close = comma == std::string_view::npos ? AnsiString() : AnsiString(pair.substr(comma + 1));
}

bool KeywordLess(const AnsiString& a, std::string_view b) { return rtl::AnsiCompareText(a, b) < 0; }

}  // namespace

TfsParser::TfsParser() { Clear(); }

void TfsParser::Clear() {
  keywords_.clear();
  CommentLine1 = "//";
  SetCommentBlock1("{,}");
  SetCommentBlock2("(*,*)");
  StringQuotes = "'";
  HexSequence = "$";
  ConstructCharset("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_");
  SkipChar.clear();
  SkipEOL = true;
  SpecStrChar = false;
}

void TfsParser::SetCommentBlock1(std::string_view pair) {
  commentBlock1_ = AnsiString(pair);
  SplitPair(pair, block1Open_, block1Close_);
}

void TfsParser::SetCommentBlock2(std::string_view pair) {
  commentBlock2_ = AnsiString(pair);
  SplitPair(pair, block2Open_, block2Close_);
}

void TfsParser::ConstructCharset(std::string_view text) {
  identChars_.reset();
  for (char c : text) identChars_.set(static_cast<unsigned char>(c));
  // The NUL behind the text must never read as part of a token.
  identChars_.reset(0);
}

void TfsParser::AddExtendedIdentifierChars() {
  for (int c = 128; c < 256; ++c) identChars_.set(static_cast<std::size_t>(c));
}

void TfsParser::AddKeyword(std::string_view word) {
  auto it = std::lower_bound(keywords_.begin(), keywords_.end(), word, KeywordLess);
  keywords_.insert(it, AnsiString(word));
}

void TfsParser::SetText(std::string_view text) {
  text_ = AnsiString(text);
  length_ = static_cast<int>(text_.size());
  text_.push_back('\0');
  position_ = tokenStart_ = 1;
  lineTable_.assign(1, 0);
  for (int i = 0; i < length_; ++i)
    if (text_[static_cast<std::size_t>(i)] == '\n') lineTable_.push_back(i + 1);
}

void TfsParser::SetPosition(int p) { position_ = tokenStart_ = p; }

bool TfsParser::StartsWithAt(int p, std::string_view marker) const {
  if (marker.empty() || p < 1 || p > length_) return false;
  return std::string_view(text_).substr(static_cast<std::size_t>(p - 1)).starts_with(marker);
}

void TfsParser::SkipSpaces() {
  // Line ends still owed to continuation characters: each continuation reads
  // the line end that follows it once the blanks behind it are skipped.
  int owedLineEnds = 0;
  for (;;) {
    while (position_ <= length_) {
      auto c = static_cast<unsigned char>(At(position_));
      if (c > 32 || (c == '\r' && !SkipEOL)) break;
      ++position_;
    }
    if (!SkipChar.empty() && position_ <= length_ && At(position_) == SkipChar[0]) {
      ++position_;
      ++owedLineEnds;
      continue;
    }
    if (position_ < length_) {
      if (StartsWithAt(position_, CommentLine1) || StartsWithAt(position_, CommentLine2)) {
        bool afterCode = !SkipEOL && position_ > 1 && At(position_ - 1) != '\n';
        char stop = afterCode ? '\r' : '\n';
        while (position_ <= length_ && At(position_) != stop) ++position_;
        continue;
      }
      const AnsiString* close = nullptr;
      int openLength = 0;
      if (StartsWithAt(position_, block1Open_)) {
        close = &block1Close_;
        openLength = static_cast<int>(block1Open_.size());
      } else if (StartsWithAt(position_, block2Open_)) {
        close = &block2Close_;
        openLength = static_cast<int>(block2Open_.size());
      }
      if (close) {
        position_ += openLength;
        while (position_ <= length_ && !StartsWithAt(position_, *close)) ++position_;
        // An unterminated comment ends with the text, never beyond it.
        position_ = std::min(position_ + static_cast<int>(close->size()), length_ + 1);
        continue;
      }
    }
    if (owedLineEnds > 0) {
      --owedLineEnds;
      while (position_ <= length_ && IsLineEnd(At(position_))) ++position_;
      continue;
    }
    break;
  }
  tokenStart_ = position_;
}

AnsiString TfsParser::GetChar() {
  char c = At(position_);
  if (position_ > length_ || !IsPunctuation(c)) return {};
  ++position_;
  return AnsiString(1, c);
}

AnsiString TfsParser::Ident() {
  SkipSpaces();
  char c = At(position_);
  if (position_ > length_ || !IsIdentChar(c) || IsDigit(c)) return {};
  while (position_ <= length_ && IsIdentChar(At(position_))) ++position_;
  return text_.substr(static_cast<std::size_t>(tokenStart_ - 1), static_cast<std::size_t>(position_ - tokenStart_));
}

AnsiString TfsParser::GetWord() { return Ident(); }

AnsiString TfsParser::GetIdent() {
  AnsiString word = Ident();
  return IsKeyWord(word) ? AnsiString() : word;
}

bool TfsParser::IsKeyWord(std::string_view word) const {
  if (word.empty()) return false;
  if (CaseSensitive) return std::find(keywords_.begin(), keywords_.end(), word) != keywords_.end();
  auto it = std::lower_bound(keywords_.begin(), keywords_.end(), word, KeywordLess);
  return it != keywords_.end() && rtl::AnsiCompareText(*it, word) == 0;
}

bool TfsParser::GetEOL() {
  SkipSpaces();
  if (position_ > length_ || !IsLineEnd(At(position_))) return false;
  while (position_ <= length_ && IsLineEnd(At(position_))) ++position_;
  return true;
}

bool TfsParser::ReadQuotedPart(AnsiString& out) {
  if (StringQuotes.empty() || At(position_) != StringQuotes[0] || position_ > length_) return false;
  const char quote = StringQuotes[0];
  const int start = position_;
  AnsiString part;
  ++position_;
  for (;;) {
    char c = At(position_);
    if (position_ > length_ || EndsStringPart(c)) {
      position_ = start;
      return false;
    }
    if (SpecStrChar && c == '\\') {
      char e = At(position_ + 1);
      if (position_ + 1 > length_ || EndsStringPart(e)) {
        position_ = start;
        return false;
      }
      position_ += 2;
      switch (e) {
        case 'n':
        case 'N': part += '\n'; break;
        case 'r':
        case 'R': part += '\r'; break;
        case 'x':
        case 'X': {
          int digits = position_;
          while (position_ <= length_ && IsHexDigit(At(position_))) ++position_;
          if (position_ > digits) {
            auto hex = std::string_view(text_).substr(static_cast<std::size_t>(digits - 1),
                                                      static_cast<std::size_t>(position_ - digits));
            part += static_cast<char>(rtl::StrToInt("$" + AnsiString(hex)) & 0xFF);
          }
          break;
        }
        default: part += e;
      }
      continue;
    }
    if (c == quote) {
      if (!SpecStrChar && At(position_ + 1) == quote && position_ + 1 <= length_) {
        part += quote;
        position_ += 2;
        continue;
      }
      ++position_;
      out += part;
      return true;
    }
    part += c;
    ++position_;
  }
}

bool TfsParser::ReadCodePart(AnsiString& out) {
  if (At(position_) != '#' || position_ > length_) return false;
  const int start = position_;
  ++position_;
  const int digits = position_;
  if (!DoUnsignedInteger()) {
    position_ = start;
    return false;
  }
  AnsiString number = text_.substr(static_cast<std::size_t>(digits - 1), static_cast<std::size_t>(position_ - digits));
  if (!HexSequence.empty() && number.starts_with(HexSequence)) number = "$" + number.substr(HexSequence.size());
  out += static_cast<char>(rtl::StrToInt(number) & 0xFF);
  return true;
}

AnsiString TfsParser::GetString() {
  SkipSpaces();
  AnsiString joined;
  bool any = false;
  while (ReadQuotedPart(joined) || ReadCodePart(joined)) any = true;
  return any ? "'" + joined + "'" : AnsiString();
}

bool TfsParser::DoDigitSequence() {
  int start = position_;
  while (position_ <= length_ && IsDigit(At(position_))) ++position_;
  return position_ > start;
}

bool TfsParser::DoHexDigitSequence() {
  int start = position_;
  while (position_ <= length_ && IsHexDigit(At(position_))) ++position_;
  return position_ > start;
}

bool TfsParser::DoUnsignedInteger() {
  int start = position_;
  if (StartsWithAt(position_, HexSequence)) {
    position_ += static_cast<int>(HexSequence.size());
    if (DoHexDigitSequence()) return true;
    position_ = start;
    return false;
  }
  if (DoDigitSequence()) return true;
  position_ = start;
  return false;
}

bool TfsParser::DoScaleFactor() {
  int start = position_;
  char e = At(position_);
  if (position_ > length_ || (e != 'E' && e != 'e')) return false;
  ++position_;
  if (At(position_) == '+' || At(position_) == '-') ++position_;
  if (DoDigitSequence()) return true;
  position_ = start;
  return false;
}

bool TfsParser::DoUnsignedReal() {
  int start = position_;
  if (!DoUnsignedInteger()) return false;
  if (At(position_) == '.' && position_ <= length_) {
    ++position_;
    if (!DoDigitSequence()) {
      position_ = start;
      return false;
    }
  }
  DoScaleFactor();
  return true;
}

AnsiString TfsParser::GetNumber() {
  SkipSpaces();
  int start = position_;
  if (!DoUnsignedReal()) {
    position_ = start;
    if (!DoUnsignedInteger()) return {};
  }
  AnsiString number =
      text_.substr(static_cast<std::size_t>(tokenStart_ - 1), static_cast<std::size_t>(position_ - tokenStart_));
  if (HexSequence != "$" && !HexSequence.empty())
    number = rtl::StringReplace(number, HexSequence, "$", rtl::rfReplaceAll);
  return number;
}

AnsiString TfsParser::GetFRString() {
  const int start = position_;
  int depth = 1;
  bool inSingle = false, inDouble = false;
  while (position_ <= length_) {
    char c = At(position_);
    if (c == '"' && !inSingle) {
      inDouble = !inDouble;
    } else if (c == '\'' && !inDouble) {
      inSingle = !inSingle;
    } else if (!inSingle && !inDouble) {
      if (c == '<' || c == '[') {
        ++depth;
      } else if (c == '>' || c == ']') {
        if (--depth == 0) break;
      }
    }
    ++position_;
  }
  return text_.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(position_ - start));
}

AnsiString TfsParser::XYPositionOf(int position) const {
  auto it = std::lower_bound(lineTable_.begin(), lineTable_.end(), position);
  auto line = static_cast<int>(it - lineTable_.begin());
  if (line < 1) line = 1;
  int column = position - lineTable_[static_cast<std::size_t>(line - 1)];
  return rtl::IntToStr(line) + ":" + rtl::IntToStr(column);
}

int TfsParser::GetPlainPosition(int x, int y) const {
  if (y < 1 || y > static_cast<int>(lineTable_.size())) return -1;
  return lineTable_[static_cast<std::size_t>(y - 1)] + x;
}

}  // namespace script
