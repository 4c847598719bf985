// Any input: the first byte chooses one of the four languages, the rest is
// program text. Compiling it (lexer, grammar walker, program builder) must
// end in a program or a recorded compile error; nothing may raise, crash or
// hang. A program that compiles stores its intermediate code, which another
// script reads back. The same bytes given as stored intermediate code to
// SetILCode load and build, or fail with a recorded error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/streams.h"
#include "script/fs_iinterpreter.h"

using namespace script;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const languages[] = {"PascalScript", "C++Script", "JScript", "BasicScript"};
  const char* language = languages[data[0] % 4];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  TfsScript script;
  script.AddRTTI();
  script.SyntaxType = language;
  script.OnGetUnit = [&](TfsScript*, const AnsiString&, AnsiString& unit) { unit = text.substr(0, text.size() / 2); };
  script.Lines.SetText(text);
  if (script.Compile()) {
    if (!script.ErrorMessage.empty()) std::abort();
    rtl::TMemoryStream stored;
    TfsScript writer;
    writer.AddRTTI();
    writer.SyntaxType = language;
    writer.OnGetUnit = script.OnGetUnit;
    writer.Lines.SetText(text);
    if (!writer.GetILCode(stored)) std::abort();
    stored.SetPosition(0);
    TfsScript reader;
    reader.AddRTTI();
    reader.SyntaxType = language;
    reader.SetILCode(stored);
  } else if (script.ErrorMessage.empty()) {
    std::abort();  // a failed compilation always says why
  }

  rtl::TMemoryStream il(text);
  TfsScript loaded;
  loaded.AddRTTI();
  loaded.SyntaxType = language;
  if (!loaded.SetILCode(il) && loaded.ErrorMessage.empty()) std::abort();
  return 0;
}
