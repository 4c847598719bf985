#include "script/fs_igrammar.h"

#include <map>
#include <mutex>

#include "platform/rtl/textcase.h"
#include "script/fs_ilanguages.h"

namespace script {

namespace {

TfsGrammarNode::Kind KindOf(const AnsiString& name) {
  static const std::map<std::string, TfsGrammarNode::Kind, std::less<>> kinds = {
      {"char", TfsGrammarNode::Char},         {"keyword", TfsGrammarNode::Keyword},
      {"ident", TfsGrammarNode::Ident},       {"number", TfsGrammarNode::Number},
      {"string", TfsGrammarNode::String},     {"frstring", TfsGrammarNode::FRString},
      {"eol", TfsGrammarNode::EOL},           {"sequence", TfsGrammarNode::Sequence},
      {"switch", TfsGrammarNode::Switch},     {"optionalswitch", TfsGrammarNode::OptionalSwitch},
      {"loop", TfsGrammarNode::Loop},         {"optionalloop", TfsGrammarNode::OptionalLoop},
      {"optional", TfsGrammarNode::Optional},
  };
  auto it = kinds.find(name);
  return it == kinds.end() ? TfsGrammarNode::Reference : it->second;
}

const TfsXMLItem* ChildNamed(const TfsXMLItem* item, std::string_view name) {
  if (!item) return nullptr;
  int i = item->Find(name);
  return i < 0 ? nullptr : item->Items(i);
}

}  // namespace

TfsGrammar::TfsGrammar(std::string_view text) {
  document_.LoadFromString(text);
  const TfsXMLItem* root = document_.Root();
  parser_ = ChildNamed(root, "parser");
  types_ = ChildNamed(root, "types");
  errors_ = ChildNamed(parser_, "errors");
  if (parser_)
    for (int i = 0; i < parser_->Count(); ++i) {
      const TfsXMLItem* option = parser_->Items(i);
      if (rtl::AnsiLowerCase(option->Name) == "declarevars" && option->GetProp("text") == "0") declareVars_ = false;
    }
  if (const TfsXMLItem* syntax = ChildNamed(errors_, "syntaxerror")) syntaxError_ = syntax->GetProp("text");
  for (int i = 0; i < root->Count(); ++i) {
    const TfsGrammarNode* rule = Compile(root->Items(i), true);
    rules_.emplace(rule->name, rule);  // the first rule of a name wins
  }
  for (TfsGrammarNode* reference : references_) reference->rule = FindRule(reference->name);
  program_ = FindRule("program");
  if (!program_) {
    TfsGrammarNode& empty = nodes_.emplace_back();
    empty.kind = TfsGrammarNode::Rule;
    empty.name = "program";
    program_ = &empty;
  }
}

const TfsGrammarNode* TfsGrammar::Compile(const TfsXMLItem* item, bool isRule) {
  TfsGrammarNode& node = nodes_.emplace_back();
  node.name = rtl::AnsiLowerCase(item->Name);
  node.kind = isRule ? TfsGrammarNode::Rule : KindOf(node.name);
  node.text = rtl::AnsiLowerCase(item->GetProp("text"));
  node.node = rtl::AnsiLowerCase(item->GetProp("node"));
  node.add = item->GetProp("add");
  node.hasAddText = item->PropExists("addtext");
  node.addText = item->GetProp("addtext");
  AnsiString err = item->GetProp("err");
  if (!err.empty())
    if (const TfsXMLItem* message = ChildNamed(errors_, err)) node.errMessage = message->GetProp("text");
  AnsiString skip = item->GetProp("skip");
  node.noSkip = skip == "0";
  node.loopSkip = skip == "1";
  node.term = item->GetProp("term") == "1";
  if (node.kind == TfsGrammarNode::Reference) references_.push_back(&node);
  for (int i = 0; i < item->Count(); ++i) node.children.push_back(Compile(item->Items(i), false));
  return &node;
}

const TfsGrammarNode* TfsGrammar::FindRule(std::string_view name) const {
  auto it = rules_.find(rtl::AnsiLowerCase(name));
  return it == rules_.end() ? nullptr : it->second;
}

void TfsGrammar::ApplyTo(TfsParser& parser) const {
  if (!parser_) return;
  if (const TfsXMLItem* keywords = ChildNamed(parser_, "keywords"))
    for (int i = 0; i < keywords->Count(); ++i) parser.AddKeyword(keywords->Items(i)->Name);
  for (int i = 0; i < parser_->Count(); ++i) {
    const TfsXMLItem* option = parser_->Items(i);
    AnsiString name = rtl::AnsiLowerCase(option->Name);
    AnsiString value = option->GetProp("text");
    if (name == "identchars")
      parser.ConstructCharset(value);
    else if (name == "commentline1")
      parser.CommentLine1 = value;
    else if (name == "commentline2")
      parser.CommentLine2 = value;
    else if (name == "commentblock1")
      parser.SetCommentBlock1(value);
    else if (name == "commentblock2")
      parser.SetCommentBlock2(value);
    else if (name == "stringquotes")
      parser.StringQuotes = value;
    else if (name == "hexsequence")
      parser.HexSequence = value;
    else if (name == "specstrchar")
      parser.SpecStrChar = parser.SpecStrChar || value == "1";
    else if (name == "casesensitive")
      parser.CaseSensitive = parser.CaseSensitive || value == "1";
    else if (name == "skipeol")
      parser.SkipEOL = parser.SkipEOL && value != "0";
    else if (name == "skipchar")
      parser.SkipChar = value;
  }
}

std::shared_ptr<const TfsGrammar> fsGetGrammar(const AnsiString& language) {
  static std::mutex lock;
  static std::map<std::string, std::shared_ptr<const TfsGrammar>> cache;
  static unsigned cachedGeneration = 0;
  std::lock_guard guard(lock);
  unsigned generation = fsLanguageGeneration();
  AnsiString text = fsGetLanguage(language);  // raises for an unregistered name
  if (generation != cachedGeneration) {
    cache.clear();
    cachedGeneration = generation;
  }
  AnsiString key = rtl::AnsiUpperCase(language);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  auto grammar = std::make_shared<const TfsGrammar>(text);
  cache.emplace(key, grammar);
  return grammar;
}

}  // namespace script
