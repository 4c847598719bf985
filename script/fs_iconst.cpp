#include "script/fs_iconst.h"

namespace script {

// Every key with its initial English text, written once.
#define FS_MESSAGES(X)                                          \
  X(SLangNotFound, "Language '%s' not found")                   \
  X(SInvalidLanguage, "Invalid language definition")            \
  X(SIdRedeclared, "Identifier redeclared: ")                   \
  X(SUnknownType, "Unknown type: ")                             \
  X(SIncompatibleTypes, "Incompatible types")                   \
  X(SIdUndeclared, "Undeclared identifier: ")                   \
  X(SClassRequired, "Class type required")                      \
  X(SIndexRequired, "Index required")                           \
  X(SStringError, "Strings doesn't have properties or methods") \
  X(SClassError, "Class %s does not have a default property")   \
  X(SArrayRequired, "Array type required")                      \
  X(SVarRequired, "Variable required")                          \
  X(SNotEnoughParams, "Not enough actual parameters")           \
  X(STooManyParams, "Too many actual parameters")               \
  X(SLeftCantAssigned, "Left side cannot be assigned to")       \
  X(SForError, "For loop variable must be numeric variable")    \
  X(SEventError, "Event handler must be a procedure")

// Function-local texts: they exist before any other unit's start-up can ask.
#define FS_MESSAGE(Key, Initial)     \
  AnsiString& Key() {                \
    static AnsiString text(Initial); \
    return text;                     \
  }
FS_MESSAGES(FS_MESSAGE)
#undef FS_MESSAGE

namespace {
#define FS_INITIAL(Key, Initial) Initial,
constexpr const char* kInitialTexts[] = {FS_MESSAGES(FS_INITIAL)};
#undef FS_INITIAL
}  // namespace

const std::array<TfsMessageEntry, 17>& fsMessageTable() {
#define FS_ENTRY(Key, Initial) TfsMessageEntry{#Key, &Key},
  static const std::array<TfsMessageEntry, 17> table{FS_MESSAGES(FS_ENTRY)};
#undef FS_ENTRY
  return table;
}
#undef FS_MESSAGES

bool fsSetMessage(std::string_view key, const AnsiString& text) {
  for (const auto& [name, get] : fsMessageTable())
    if (key == name) {
      get() = text;
      return true;
    }
  return false;
}

void fsResetMessages() {
  static_assert(std::size(kInitialTexts) == 17);
  for (std::size_t i = 0; i < 17; ++i) fsMessageTable()[i].second() = kInitialTexts[i];
}

}  // namespace script
