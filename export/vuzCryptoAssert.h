// Internal preconditions of the export units. A failed one is a programming
// error: it raises EAssertionFailed naming the unit and the source line, so a
// caller can never go on with corrupt state.
#pragma once
#include "platform/rtl/exceptions.h"

// Exception classes of the export units (RTL_DECLARE_EXCEPTION wants an
// unqualified base).
#define VUZ_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {              \
    using Inherited = Base;               \
                                          \
   public:                                \
    using Inherited::Inherited;           \
  };

namespace report {

VUZ_DECLARE_EXCEPTION(EAssertionFailed, rtl::Exception)

[[noreturn]] void vuzAssertionFailed(const char* message, const char* unit, int line);

}  // namespace report

// VUZ_ASSERT(condition, message, unit): message may be "" for the default text.
#define VUZ_ASSERT(cond, message, unit)                                 \
  do {                                                                  \
    if (!(cond)) ::report::vuzAssertionFailed(message, unit, __LINE__); \
  } while (0)
