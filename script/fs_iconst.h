// The script engine's compile and run error texts. Each key is one process-wide
// text, read at the moment an error is raised, so a host may replace the texts
// once at start-up (the report engine puts its language table's texts here).
#pragma once
#include <array>
#include <utility>

#include "platform/rtl/strings.h"

namespace script {

using rtl::AnsiString;

// "Language '%s' not found"
AnsiString& SLangNotFound();
// "Invalid language definition"
AnsiString& SInvalidLanguage();
// "Identifier redeclared: "
AnsiString& SIdRedeclared();
// "Unknown type: "
AnsiString& SUnknownType();
// "Incompatible types"
AnsiString& SIncompatibleTypes();
// "Undeclared identifier: "
AnsiString& SIdUndeclared();
// "Class type required"
AnsiString& SClassRequired();
// "Index required"
AnsiString& SIndexRequired();
// "Strings doesn't have properties or methods"
AnsiString& SStringError();
// "Class %s does not have a default property"
AnsiString& SClassError();
// "Array type required"
AnsiString& SArrayRequired();
// "Variable required"
AnsiString& SVarRequired();
// "Not enough actual parameters"
AnsiString& SNotEnoughParams();
// "Too many actual parameters"
AnsiString& STooManyParams();
// "Left side cannot be assigned to"
AnsiString& SLeftCantAssigned();
// "For loop variable must be numeric variable"
AnsiString& SForError();
// "Event handler must be a procedure"
AnsiString& SEventError();

// The seventeen keys with their texts, in the order above.
using TfsMessageEntry = std::pair<const char*, AnsiString& (*)()>;
const std::array<TfsMessageEntry, 17>& fsMessageTable();
// Sets the text of a key; false for a key that is not one of the seventeen.
bool fsSetMessage(std::string_view key, const AnsiString& text);
// Puts the initial English texts back.
void fsResetMessages();

}  // namespace script
