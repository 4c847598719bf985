// The shared scratch folder, and Slurp, the whole of a file read through the runtime.
#pragma once
#include <string>

#include "platform/rtl/streams.h"
#include "tests/support/scratch_folder.h"

inline std::string Slurp(const std::string& name) {
  rtl::TFileStream f(name, rtl::fmOpenRead);
  return f.ReadRest();
}
