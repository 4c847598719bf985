// A language's grammar, read once from its XML text into a tree of nodes the
// walker runs over without looking at attribute texts again. Compiled
// grammars are cached per language until a registration changes the registry.
#pragma once
#include <deque>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/rtl/strings.h"
#include "script/fs_iparser.h"
#include "script/fs_xml.h"

namespace script {

using rtl::AnsiString;

struct TfsGrammarNode {
  enum Kind {
    Rule,  // a rule definition (a child of the grammar root)
    Char,
    Keyword,
    Ident,
    Number,
    String,
    FRString,
    EOL,
    Sequence,
    Switch,
    OptionalSwitch,
    Loop,
    OptionalLoop,
    Optional,
    Reference,  // any other element name: the rule of that name
  };
  Kind kind = Sequence;
  AnsiString name;     // element name in small letters
  AnsiString text;     // expected token or loop separator, in small letters
  AnsiString node;     // wrapping element, in small letters
  AnsiString add;      // element written on success
  AnsiString addText;  // its text in place of the token
  bool hasAddText = false;
  AnsiString errMessage;  // recorded on failure; empty records nothing
  bool noSkip = false;    // char: skip="0"
  bool loopSkip = false;  // loop: skip="1"
  bool term = false;
  std::vector<const TfsGrammarNode*> children;
  const TfsGrammarNode* rule = nullptr;  // a reference's rule; none when undefined
};

class TfsGrammar {
 public:
  // Reads and compiles a grammar text; malformed XML raises "Invalid file format".
  explicit TfsGrammar(std::string_view text);
  TfsGrammar(const TfsGrammar&) = delete;
  TfsGrammar& operator=(const TfsGrammar&) = delete;

  const TfsXMLDocument& Document() const { return document_; }
  // The rule of that name (case ignored); none when the grammar lacks it.
  const TfsGrammarNode* FindRule(std::string_view name) const;
  // The start rule; an empty rule when the grammar has no "program".
  const TfsGrammarNode* ProgramRule() const { return program_; }
  // The grammar's "types" element (none when absent).
  const TfsXMLItem* Types() const { return types_; }
  bool DeclareVars() const { return declareVars_; }
  // The message of a walk that fails where no element names an error.
  const AnsiString& SyntaxErrorMessage() const { return syntaxError_; }
  // Sets the lexer's keywords and options from the <parser> section.
  void ApplyTo(TfsParser& parser) const;

 private:
  const TfsGrammarNode* Compile(const TfsXMLItem* item, bool isRule);
  TfsXMLDocument document_;
  std::deque<TfsGrammarNode> nodes_;
  std::unordered_map<std::string, const TfsGrammarNode*> rules_;
  std::vector<TfsGrammarNode*> references_;
  const TfsGrammarNode* program_ = nullptr;
  const TfsXMLItem* parser_ = nullptr;
  const TfsXMLItem* types_ = nullptr;
  const TfsXMLItem* errors_ = nullptr;
  bool declareVars_ = true;
  AnsiString syntaxError_ = "Syntax error";
};

// The compiled grammar of a registered language; an unregistered name raises
// "Language '<name>' not found".
std::shared_ptr<const TfsGrammar> fsGetGrammar(const AnsiString& language);

}  // namespace script
