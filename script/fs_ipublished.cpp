#include "script/fs_ipublished.h"

namespace script {

// Until host classes carry published-property information, no class has
// published properties: reads give Null and writes do nothing.
Variant fsReadPublishedProperty(rtl::TObject*, const AnsiString&) { return Variant::Null(); }

void fsWritePublishedProperty(rtl::TObject*, const AnsiString&, const Variant&, bool) {}

void TfsClassVariable::AddPublishedProperties(TClass) {}

}  // namespace script
