// Any input as stored intermediate code: the first byte chooses the language,
// the rest is given to SetILCode. A program that loads is run; its run may
// raise a script error but must not crash, and it is stopped after a few
// thousand lines (a loop round with an empty body reports its loop's line).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/rtl/streams.h"
#include "script/fs_iinterpreter.h"

using namespace script;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const languages[] = {"PascalScript", "C++Script", "JScript", "BasicScript"};
  rtl::TMemoryStream il(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  TfsScript script;
  script.AddRTTI();
  script.SyntaxType = languages[data[0] % 4];
  if (!script.SetILCode(il)) {
    if (script.ErrorMessage.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  int lines = 0;
  script.OnRunLine = [&](TfsScript*, const AnsiString&, const AnsiString&) {
    if (++lines == 5000) script.Terminate();
  };
  try {
    script.Execute();
  } catch (const std::exception&) {
    // A run-time error of the script is an answer, not a fault.
  }
  return 0;
}
