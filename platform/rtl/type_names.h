// The name of a dynamic type as the program's classes use it, the one place
// that reads the compiler's own type names.
#pragma once
#include <typeinfo>

#include "platform/rtl/strings.h"

namespace rtl {

// Demangled and without namespaces: "EConvertError", "TfrxMemoView".
AnsiString ShortTypeName(const std::type_info& type);

}  // namespace rtl
