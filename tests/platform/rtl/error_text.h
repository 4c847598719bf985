// The message of the runtime exception a call raises, or "no error".
#pragma once
#include <string>

#include "platform/rtl/exceptions.h"

template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const rtl::Exception& e) {
    return e.Message();
  }
  return "no error";
}
