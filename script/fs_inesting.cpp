#include "script/fs_inesting.h"

namespace script {

void TfsNestingGuard::Fail() {
  --depth_;
  throw EScriptNestingError("Script nesting too deep: recursion or expressions nested beyond the engine's stack limit");
}

}  // namespace script
