// The guard against nesting too deep to evaluate: every designator
// evaluation and every expression evaluation checks how close to the end of
// the thread's stack it runs, so deep recursion or deeply nested expressions
// end in a clear error instead of a stack overflow.
#pragma once
#include <cstddef>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/stack.h"

namespace script {

class EScriptNestingError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// The guard measures the stack of the thread it runs on (a host may run
// scripts on threads with small stacks) and stops short of its end, leaving
// the reserve rtl::ThreadStackFloor keeps for what runs below a check.
class TfsNestingGuard {
 public:
  TfsNestingGuard() {
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    if (depth_++ == 0) floor_ = rtl::ThreadStackFloor();
    if (here < floor_) Fail();
  }
  ~TfsNestingGuard() { --depth_; }
  TfsNestingGuard(const TfsNestingGuard&) = delete;
  TfsNestingGuard& operator=(const TfsNestingGuard&) = delete;
  // Guards active on this thread (0 when no script is evaluating).
  static int Depth() { return depth_; }

 private:
  [[noreturn]] static void Fail();
  static inline thread_local int depth_ = 0;
  static inline thread_local const char* floor_ = nullptr;
};

}  // namespace script
