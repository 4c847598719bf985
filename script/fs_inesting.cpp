#include "script/fs_inesting.h"

namespace script {

thread_local int TfsNestingGuard::depth_ = 0;
thread_local const char* TfsNestingGuard::base_ = nullptr;

void TfsNestingGuard::Fail() {
  --depth_;
  throw EScriptNestingError("Script nesting too deep: recursion or expressions nested beyond the engine's stack limit");
}

}  // namespace script
