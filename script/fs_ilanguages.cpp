#include "script/fs_ilanguages.h"

#include <mutex>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/textcase.h"
#include "script/fs_iconst.h"
#include "script/fs_xml.h"

namespace script {

namespace grammar_texts {
// Generated from script/grammars/*.xml by the library's build.
extern const char kPascal[];
extern const char kCpp[];
extern const char kJs[];
extern const char kBasic[];
}  // namespace grammar_texts

std::string_view fsPascalScriptGrammar() { return grammar_texts::kPascal; }
std::string_view fsCppScriptGrammar() { return grammar_texts::kCpp; }
std::string_view fsJScriptGrammar() { return grammar_texts::kJs; }
std::string_view fsBasicScriptGrammar() { return grammar_texts::kBasic; }

namespace {

struct Language {
  AnsiString name;
  AnsiString text;
};

struct Registry {
  std::mutex lock;
  std::vector<Language> languages;
  unsigned generation = 1;
};

void Register(Registry& r, const AnsiString& name, const AnsiString& text) {
  for (auto& language : r.languages)
    if (rtl::AnsiSameText(language.name, name)) {
      language.text = text;
      ++r.generation;
      return;
    }
  r.languages.push_back({name, text});
  ++r.generation;
}

// The registry, with the standard languages in it from the first use on.
Registry& TheRegistry() {
  static Registry* registry = [] {
    auto* r = new Registry;
    Register(*r, "PascalScript", AnsiString(fsPascalScriptGrammar()));
    Register(*r, "C++Script", AnsiString(fsCppScriptGrammar()));
    Register(*r, "JScript", AnsiString(fsJScriptGrammar()));
    Register(*r, "BasicScript", AnsiString(fsBasicScriptGrammar()));
    return r;
  }();
  return *registry;
}

// Replaces one attribute-free child sequence of factor: the set constructor
// in square brackets becomes a set in grave accents plus an embedded report
// expression in square brackets.
void ReplaceSetAlternative(TfsXMLItem* factorSwitch) {
  for (int i = 0; i < factorSwitch->Count(); ++i) {
    TfsXMLItem* alternative = factorSwitch->Items(i);
    if (alternative->Count() < 2 || alternative->Items(0)->Name != "char" ||
        alternative->Items(0)->GetProp("text") != "[" || alternative->Items(1)->Name != "setconstructor")
      continue;
    auto* grave = new TfsXMLItem;
    grave->Assign(alternative);
    grave->Items(0)->SetProp("text", "`");
    grave->Items(2)->SetProp("text", "`");
    auto* embedded = new TfsXMLItem;
    embedded->Name = "sequence";
    embedded->Add()->Name = "char";
    embedded->Items(0)->SetProp("text", "[");
    embedded->Add()->Name = "frstring";
    TfsXMLItem* close = embedded->Add();
    close->Name = "char";
    close->SetProp("text", "]");
    close->SetProp("err", "err8");
    delete alternative;
    factorSwitch->InsertItem(i, grave);
    factorSwitch->InsertItem(i + 1, embedded);
    return;
  }
}

}  // namespace

void fsRegisterLanguage(const AnsiString& name, const AnsiString& text) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  Register(r, name, text);
}

bool fsFindLanguage(const AnsiString& name, AnsiString& text) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  for (const auto& language : r.languages)
    if (rtl::AnsiSameText(language.name, name)) {
      text = language.text;
      return true;
    }
  return false;
}

AnsiString fsGetLanguage(const AnsiString& name) {
  AnsiString text;
  if (!fsFindLanguage(name, text))
    throw rtl::Exception(rtl::StringReplace(SLangNotFound(), "%s", name, rtl::rfReplaceAll));
  return text;
}

void fsGetLanguageList(rtl::TStrings& list) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  list.Clear();
  for (const auto& language : r.languages)
    if (!language.name.starts_with('@')) list.Add(language.name);
}

unsigned fsLanguageGeneration() {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  return r.generation;
}

void fsModifyPascalForFR2() {
  TfsXMLDocument grammar;
  grammar.LoadFromString(fsPascalScriptGrammar());
  TfsXMLItem* root = grammar.Root();
  int factor = root->Find("factor");
  if (factor >= 0 && root->Items(factor)->Count() > 0) ReplaceSetAlternative(root->Items(factor)->Items(0));
  TfsXMLItem* parser = root->FindItem("parser");
  auto* declareVars = new TfsXMLItem;
  declareVars->Name = "declarevars";
  declareVars->SetProp("text", "0");
  int at = parser->Find("commentline1");
  parser->InsertItem(at < 0 ? parser->Count() : at, declareVars);
  grammar.IndentOutput = true;
  fsRegisterLanguage("PascalScript", grammar.SaveToString());
}

}  // namespace script
