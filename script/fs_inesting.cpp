#include "script/fs_inesting.h"

namespace script {

thread_local int TfsNestingGuard::depth_ = 0;

void TfsNestingGuard::Fail() {
  throw EScriptNestingError("Script nesting too deep: recursion or expression depth exceeds the engine's limit");
}

}  // namespace script
