#include "script/fs_iconst.h"

namespace script {

// Function-local texts: they exist before any other unit's start-up can ask.
#define FS_MESSAGE(Key, Initial)   \
  AnsiString& Key() {              \
    static AnsiString text(Initial); \
    return text;                   \
  }

FS_MESSAGE(SLangNotFound, "Language '%s' not found")
FS_MESSAGE(SInvalidLanguage, "Invalid language definition")
FS_MESSAGE(SIdRedeclared, "Identifier redeclared: ")
FS_MESSAGE(SUnknownType, "Unknown type: ")
FS_MESSAGE(SIncompatibleTypes, "Incompatible types")
FS_MESSAGE(SIdUndeclared, "Undeclared identifier: ")
FS_MESSAGE(SClassRequired, "Class type required")
FS_MESSAGE(SIndexRequired, "Index required")
FS_MESSAGE(SStringError, "Strings doesn't have properties or methods")
FS_MESSAGE(SClassError, "Class %s does not have a default property")
FS_MESSAGE(SArrayRequired, "Array type required")
FS_MESSAGE(SVarRequired, "Variable required")
FS_MESSAGE(SNotEnoughParams, "Not enough actual parameters")
FS_MESSAGE(STooManyParams, "Too many actual parameters")
FS_MESSAGE(SLeftCantAssigned, "Left side cannot be assigned to")
FS_MESSAGE(SForError, "For loop variable must be numeric variable")
FS_MESSAGE(SEventError, "Event handler must be a procedure")
#undef FS_MESSAGE

const std::array<TfsMessageEntry, 17>& fsMessageTable() {
  static const std::array<TfsMessageEntry, 17> table{{
      {"SLangNotFound", &SLangNotFound},         {"SInvalidLanguage", &SInvalidLanguage},
      {"SIdRedeclared", &SIdRedeclared},         {"SUnknownType", &SUnknownType},
      {"SIncompatibleTypes", &SIncompatibleTypes}, {"SIdUndeclared", &SIdUndeclared},
      {"SClassRequired", &SClassRequired},       {"SIndexRequired", &SIndexRequired},
      {"SStringError", &SStringError},           {"SClassError", &SClassError},
      {"SArrayRequired", &SArrayRequired},       {"SVarRequired", &SVarRequired},
      {"SNotEnoughParams", &SNotEnoughParams},   {"STooManyParams", &STooManyParams},
      {"SLeftCantAssigned", &SLeftCantAssigned}, {"SForError", &SForError},
      {"SEventError", &SEventError},
  }};
  return table;
}

bool fsSetMessage(std::string_view key, const AnsiString& text) {
  for (const auto& [name, get] : fsMessageTable())
    if (key == name) {
      get() = text;
      return true;
    }
  return false;
}

void fsResetMessages() {
  static const char* const initial[17] = {
      "Language '%s' not found", "Invalid language definition", "Identifier redeclared: ", "Unknown type: ",
      "Incompatible types", "Undeclared identifier: ", "Class type required", "Index required",
      "Strings doesn't have properties or methods", "Class %s does not have a default property",
      "Array type required", "Variable required", "Not enough actual parameters", "Too many actual parameters",
      "Left side cannot be assigned to", "For loop variable must be numeric variable",
      "Event handler must be a procedure"};
  for (std::size_t i = 0; i < 17; ++i) fsMessageTable()[i].second() = initial[i];
}

}  // namespace script
