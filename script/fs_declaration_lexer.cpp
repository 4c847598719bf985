#include "script/fs_declaration_lexer.h"

#include <cctype>

namespace script {

bool TfsDeclarationLexer::IsIdentChar(unsigned char c) const {
  return std::isalnum(c) || c == '_' || (extended_ && c >= 128);
}

void TfsDeclarationLexer::SkipSpaces() {
  for (;;) {
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= 32) ++pos_;
    std::string_view rest = text_.substr(pos_);
    size_t end = std::string_view::npos;
    if (rest.starts_with("//")) {
      end = rest.find('\n');
    } else if (rest.starts_with("{")) {
      end = rest.find('}');
      if (end != std::string_view::npos) ++end;
    } else if (rest.starts_with("(*")) {
      end = rest.find("*)", 2);
      if (end != std::string_view::npos) end += 2;
    } else {
      return;
    }
    pos_ = end == std::string_view::npos ? text_.size() : pos_ + end;
  }
}

rtl::AnsiString TfsDeclarationLexer::Ident() {
  SkipSpaces();
  if (pos_ >= text_.size()) return {};
  unsigned char first = static_cast<unsigned char>(text_[pos_]);
  if (!IsIdentChar(first) || std::isdigit(first)) return {};
  size_t start = pos_;
  while (pos_ < text_.size() && IsIdentChar(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  return rtl::AnsiString(text_.substr(start, pos_ - start));
}

char TfsDeclarationLexer::Peek() {
  SkipSpaces();
  return pos_ < text_.size() ? text_[pos_] : '\0';
}

rtl::AnsiString TfsDeclarationLexer::GetNumber() {
  SkipSpaces();
  size_t start = pos_, p = pos_;
  auto digits = [&](auto accept) {
    size_t from = p;
    while (p < text_.size() && accept(static_cast<unsigned char>(text_[p]))) ++p;
    return p > from;
  };
  if (p < text_.size() && text_[p] == '$') {
    ++p;
    if (!digits([](unsigned char c) { return std::isxdigit(c) != 0; })) return {};
  } else {
    if (!digits([](unsigned char c) { return std::isdigit(c) != 0; })) return {};
    if (p + 1 < text_.size() && text_[p] == '.' && std::isdigit(static_cast<unsigned char>(text_[p + 1]))) {
      ++p;
      digits([](unsigned char c) { return std::isdigit(c) != 0; });
    }
    if (p < text_.size() && (text_[p] == 'e' || text_[p] == 'E')) {
      size_t e = p++;
      if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) ++p;
      if (!digits([](unsigned char c) { return std::isdigit(c) != 0; })) p = e;
    }
  }
  pos_ = p;
  return rtl::AnsiString(text_.substr(start, p - start));
}

rtl::AnsiString TfsDeclarationLexer::GetString() {
  SkipSpaces();
  rtl::AnsiString text;
  bool any = false;
  for (;;) {
    if (pos_ < text_.size() && text_[pos_] == '\'') {
      size_t p = pos_ + 1;
      rtl::AnsiString part;
      bool closed = false;
      while (p < text_.size()) {
        char c = text_[p];
        if (c == '\'') {
          if (p + 1 < text_.size() && text_[p + 1] == '\'') {
            part += '\'';
            p += 2;
            continue;
          }
          closed = true;
          ++p;
          break;
        }
        if (static_cast<unsigned char>(c) < 32 && c != '\t') break;
        part += c;
        ++p;
      }
      if (!closed) break;
      text += part;
      pos_ = p;
      any = true;
    } else if (pos_ + 1 < text_.size() && text_[pos_] == '#' &&
               std::isdigit(static_cast<unsigned char>(text_[pos_ + 1]))) {
      size_t p = pos_ + 1;
      unsigned code = 0;
      while (p < text_.size() && std::isdigit(static_cast<unsigned char>(text_[p])))
        code = (code * 10 + static_cast<unsigned>(text_[p++] - '0')) & 0xFFFF;
      text += static_cast<char>(code & 0xFF);
      pos_ = p;
      any = true;
    } else {
      break;
    }
  }
  return any ? "'" + text + "'" : rtl::AnsiString();
}

}  // namespace script
