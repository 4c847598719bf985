// The language registry: every script language is a grammar text registered
// by name. The four standard languages ("PascalScript", "C++Script",
// "JScript", "BasicScript") are registered before the registry is first used;
// their grammars are the data files in script/grammars, compiled into the
// library. Names compare without regard to case.
#pragma once
#include <string_view>

#include "platform/rtl/stringlists.h"
#include "platform/rtl/strings.h"

namespace script {

using rtl::AnsiString;

// Adds a language, or replaces the grammar of a language of the same name.
void fsRegisterLanguage(const AnsiString& name, const AnsiString& text);
// The grammar text; an unregistered name raises "Language '<name>' not found".
AnsiString fsGetLanguage(const AnsiString& name);
// The same without raising: false when the name is not registered.
bool fsFindLanguage(const AnsiString& name, AnsiString& text);
// Fills list with the registered names, in registration order, leaving out
// names that begin with "@" (usable, but not offered).
void fsGetLanguageList(rtl::TStrings& list);
// Registers as "PascalScript" the variant for the older report-expression
// syntax: sets in grave accents, [expression] embedded report expressions,
// and no declarations needed.
void fsModifyPascalForFR2();
// Changes whenever a grammar is registered; compiled grammars are cached against it.
unsigned fsLanguageGeneration();

// The stored grammar texts of the standard languages.
std::string_view fsPascalScriptGrammar();
std::string_view fsCppScriptGrammar();
std::string_view fsJScriptGrammar();
std::string_view fsBasicScriptGrammar();

}  // namespace script
