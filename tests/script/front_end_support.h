// Compiling source text to the intermediate program without a script, for
// the tests of the grammars and the walker.
#pragma once
#include <cstdlib>
#include <string>

#include "script/fs_iilparser.h"

struct FrontEndResult {
  bool ok = false;
  std::string message;
  std::string position;
  std::string unitName;
  std::string il;  // the intermediate program, indented, without the header line
};

inline FrontEndResult CompileToIL(const std::string& language, const std::string& text,
                                  script::TfsCompileSite* site = nullptr) {
  script::TfsCompileSite ownSite;
  script::TfsCompileSite& s = site ? *site : ownSite;
  script::TfsILParser parser(s);
  parser.SelectLanguage(language);
  FrontEndResult r;
  r.ok = parser.MakeILScript(text);
  r.message = s.ErrorMessage;
  r.position = s.ErrorPosition;
  r.unitName = s.ErrorUnitName();
  if (r.ok) {
    parser.ILScript().IndentOutput = true;
    r.il = parser.ILScript().SaveToString();
    r.il.erase(0, r.il.find("\r\n") + 2);
  }
  return r;
}

inline std::string SourceDir() {
  const char* dir = std::getenv("ZARNIK_SOURCE_DIR");
  return dir ? dir : ZARNIK_SOURCE_DIR_FALLBACK;
}
