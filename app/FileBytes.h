// Reading the first bytes of a file, for the many places that look at a
// header or refuse a file longer than a process can be.
#pragma once
#include <cstddef>
#include <string>

#include "platform/rtl/strings.h"

namespace app {

// At most `count` bytes from the start of the file (fewer when it is shorter).
// False, with `bytes` undefined, when the file cannot be opened or read. Asking
// for one byte more than a limit shows a file that is too long.
bool ReadFilePrefix(const rtl::AnsiString& path, std::size_t count, std::string& bytes);

}  // namespace app
