// Published properties of host objects as script values: the bridge between
// property helpers imported from a class's published properties and the
// runtime's published-property reflection.
#pragma once
#include "script/fs_iinterpreter.h"

namespace script {

// The published property `name` of the object as a script value; Null when
// the object's class has no such property (or no reflection at all).
Variant fsReadPublishedProperty(rtl::TObject* instance, const AnsiString& name);
// Writes the published property; `asBoolean` maps true to 1 and anything
// else to 0 for ordinal properties. Nothing for an unknown property.
void fsWritePublishedProperty(rtl::TObject* instance, const AnsiString& name, const Variant& value, bool asBoolean);

}  // namespace script
