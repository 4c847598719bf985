// The reader of registration declarations: "function IntToStr(i: Integer): String".
#include <cctype>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/textcase.h"
#include "script/fs_iparser.h"
#include "script/fs_itools.h"

namespace script {

namespace {

// The script lexer with its default options (plus characters 128 to 255 for
// scripts with extended identifiers), and the few reads a declaration needs.
class DeclarationReader {
 public:
  DeclarationReader(std::string_view text, bool extended) {
    if (extended) lexer_.AddExtendedIdentifierChars();
    lexer_.SetText(text);
  }
  AnsiString Ident() { return lexer_.Ident(); }
  AnsiString GetNumber() { return lexer_.GetNumber(); }
  AnsiString GetString() { return lexer_.GetString(); }
  // The next character after blanks and comments, not consumed (NUL at the end).
  char Peek() {
    lexer_.SkipSpaces();
    const int p = lexer_.Position();
    return p >= 1 && p <= lexer_.Length() ? lexer_.Text()[static_cast<size_t>(p - 1)] : '\0';
  }
  void Skip() {
    if (lexer_.Position() <= lexer_.Length()) lexer_.SetPosition(lexer_.Position() + 1);
  }
  void GetChar() { Skip(); }
  int Position() const { return lexer_.Position(); }
  bool AtEnd() {
    lexer_.SkipSpaces();
    return lexer_.Position() > lexer_.Length();
  }

 private:
  TfsParser lexer_;
};

// The result type: the identifier after the declaration's last colon.
AnsiString ResultTypeName(std::string_view declaration, bool extended) {
  size_t colon = declaration.rfind(':');
  if (colon == std::string_view::npos) return AnsiString();
  DeclarationReader lexer(declaration.substr(colon + 1), extended);
  return lexer.Ident();
}

// A parameter default: a number, a quoted string, a negative number, or an
// identifier whose item's value is taken (True, False, nil); Null otherwise.
Variant ReadDefault(DeclarationReader& lexer, TfsScript* script) {
  AnsiString number = lexer.GetNumber();
  if (!number.empty()) return ParserStringToVariant(number);
  AnsiString text = lexer.GetString();
  if (!text.empty()) return ParserStringToVariant(text);
  if (lexer.Peek() == '-') {
    lexer.GetChar();
    number = lexer.GetNumber();
    return number.empty() ? Variant::Null() : ParserStringToVariant("-" + number);
  }
  AnsiString ident = lexer.Ident();
  if (ident.empty() || !script) return Variant::Null();
  TfsCustomVariable* item = script->Find(ident);
  return item ? item->GetValue() : Variant::Null();
}

// One group: [var|const] a, b: Type [= default]
void ReadGroup(DeclarationReader& lexer, TfsScript* script, TfsCustomVariable& item) {
  bool byRef = false;
  std::vector<AnsiString> names;
  AnsiString word = lexer.Ident();
  if (rtl::SameText(word, "var")) {
    byRef = true;
    word = lexer.Ident();
  } else if (rtl::SameText(word, "const")) {
    word = lexer.Ident();
  }
  while (!word.empty()) {
    names.push_back(word);
    if (lexer.Peek() == ',') lexer.GetChar();
    word = lexer.Ident();
  }
  AnsiString typeName;
  if (lexer.Peek() == ':') {
    lexer.GetChar();
    typeName = lexer.Ident();
  }
  Variant defaultValue = Variant::Null();
  if (lexer.Peek() == '=') {
    lexer.GetChar();
    defaultValue = ReadDefault(lexer, script);
  }
  const TfsVarType type = StrToVarType(typeName, script);
  for (size_t i = 0; i < names.size(); ++i) {
    const bool last = i + 1 == names.size();
    const bool optional = last && !defaultValue.IsNull();
    auto* param = new TfsParamItem(names[i], byRef, optional, type, typeName);
    if (optional) param->DefaultValue = defaultValue;
    item.Add(param);
  }
}

}  // namespace

std::unique_ptr<TfsCustomVariable> ParseMethodSyntax(std::string_view declaration, TfsScript* script) {
  const bool extended = script && script->ExtendedIdentifiers;
  DeclarationReader lexer(declaration, extended);
  AnsiString kind = lexer.Ident();
  bool macro = false;
  if (rtl::LowerCase(kind).starts_with("macro")) {
    macro = true;
    kind = kind.substr(5);
  }
  const bool isFunction = rtl::SameText(kind, "function");
  AnsiString name = lexer.Ident();
  if (kind.empty() || name.empty())
    throw rtl::EConvertError("'" + AnsiString(declaration) + "' is not a valid declaration");

  AnsiString typeName = isFunction ? ResultTypeName(declaration, extended) : AnsiString();
  auto item = std::make_unique<TfsCustomVariable>(name, StrToVarType(typeName, script), typeName);
  item->MacroFlag = macro;

  if (lexer.Peek() == '(') {
    lexer.GetChar();
    while (!lexer.AtEnd() && lexer.Peek() != ')') {
      const int before = lexer.Position();
      ReadGroup(lexer, script, *item);
      if (lexer.Peek() == ';') lexer.GetChar();
      // Text that is none of the above is skipped a character at a time.
      if (lexer.Position() == before) lexer.Skip();
    }
  }
  return item;
}

}  // namespace script
