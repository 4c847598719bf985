#include "platform/rtl/user_answers.h"

namespace rtl {

std::vector<int> MessageBoxButtons(TMessageBoxFlags flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

int MessageBoxDefault(TMessageBoxFlags flags) {
  const std::vector<int> buttons = MessageBoxButtons(flags);
  const std::size_t i = (flags & MB_DEFMASK) >> 8;
  return buttons[i < buttons.size() ? i : 0];
}

}  // namespace rtl
