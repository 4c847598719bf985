// The guard against nesting too deep to evaluate: every designator
// evaluation and every expression charges its depth against one budget per
// thread, so deep recursion or deeply nested expressions end in a clear
// error instead of a stack overflow.
#pragma once
#include "platform/rtl/exceptions.h"

namespace script {

class EScriptNestingError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// Budget units: an expression charges its tree depth, a designator step one.
inline constexpr int kNestingBudget = 24000;

class TfsNestingGuard {
 public:
  explicit TfsNestingGuard(int units) : units_(units) {
    depth_ += units;
    if (depth_ > kNestingBudget) {
      depth_ -= units;
      Fail();
    }
  }
  ~TfsNestingGuard() { depth_ -= units_; }
  TfsNestingGuard(const TfsNestingGuard&) = delete;
  TfsNestingGuard& operator=(const TfsNestingGuard&) = delete;
  static int Depth() { return depth_; }

 private:
  [[noreturn]] static void Fail();
  int units_;
  static thread_local int depth_;
};

}  // namespace script
