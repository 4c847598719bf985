// The message of the runtime exception a call raises, or "no error", so a
// table of cases can compare error texts in one line each.
#pragma once
#include <string>

#include "platform/rtl/exceptions.h"

namespace support {

template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const rtl::Exception& e) {
    return e.Message();
  }
  return "no error";
}

}  // namespace support
