// Any input: the first byte chooses one of the four languages, the rest is
// program text. Compiling it must end in an intermediate program or a
// recorded compile error; nothing may raise, crash or hang. A program that
// compiles writes out and reads back as the same intermediate text. The same
// bytes read as intermediate XML load or raise the format error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/exceptions.h"
#include "script/fs_iilparser.h"

using namespace script;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const languages[] = {"PascalScript", "C++Script", "JScript", "BasicScript"};
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  TfsCompileSite site;
  site.OnGetUnit = [&](const AnsiString&, AnsiString& unit) {
    unit = text.substr(0, text.size() / 2);
    return true;
  };
  TfsILParser parser(site);
  parser.SelectLanguage(languages[data[0] % 4]);
  if (parser.MakeILScript(text)) {
    if (!site.ErrorMessage.empty()) std::abort();
    AnsiString saved = parser.ILScript().SaveToString();
    TfsXMLDocument back;
    back.LoadFromString(saved);
    if (back.SaveToString() != saved) std::abort();
  } else if (site.ErrorMessage.empty()) {
    std::abort();  // a failed compilation always says why
  }
  TfsXMLDocument il;
  try {
    il.LoadFromString(text);
  } catch (const rtl::Exception&) {
  }
  return 0;
}
