// The guard against nesting too deep to evaluate: every designator
// evaluation and every expression evaluation checks how much stack the
// script's evaluation uses below its outermost guard, so deep recursion or
// deeply nested expressions end in a clear error instead of a stack overflow.
#pragma once
#include <cstddef>

#include "platform/rtl/exceptions.h"

namespace script {

class EScriptNestingError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// Stack a script's evaluation may use; what one expression needs below its
// guard (bounded by the element limit of an expression) fits well beyond it
// in a thread's usual 8 MB.
inline constexpr std::ptrdiff_t kScriptStackBudget = 2 * 1024 * 1024;

class TfsNestingGuard {
 public:
  TfsNestingGuard() {
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    if (depth_++ == 0)
      base_ = here;
    else if (base_ - here > kScriptStackBudget)
      Fail();
  }
  ~TfsNestingGuard() { --depth_; }
  TfsNestingGuard(const TfsNestingGuard&) = delete;
  TfsNestingGuard& operator=(const TfsNestingGuard&) = delete;
  // Guards active on this thread (0 when no script is evaluating).
  static int Depth() { return depth_; }

 private:
  [[noreturn]] static void Fail();
  static inline thread_local int depth_ = 0;
  static inline thread_local const char* base_ = nullptr;
};

}  // namespace script
