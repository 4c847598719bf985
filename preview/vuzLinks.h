// What a click on a view's URL in the preview may do. "@n" goes to page n,
// "#name" to an anchor; everything else leaves the program, so only ordinary
// link schemes and existing documents are handed to the desktop's opener,
// never a program or a script: a loaded prepared report can carry any text.
#pragma once
#include "platform/rtl/strings.h"

namespace preview {

using rtl::AnsiString;

enum class TfrxLinkKind { None, PageNumber, Anchor, External };

struct TfrxLinkTarget {
  TfrxLinkKind Kind = TfrxLinkKind::None;
  int Page = 0;       // PageNumber: 1-based
  AnsiString Anchor;  // Anchor: the name after "#"
  AnsiString Target;  // External: what the opener gets
};

// "@" followed by a whole number: that page; "@" followed by anything else is
// ignored (None). "#name": an anchor. http, https, ftp and mailto addresses
// (scheme case ignored): External. A path or file:// address of an existing
// file whose extension is a document type: External. Anything else: None.
TfrxLinkTarget vuzClassifyLink(const AnsiString& url);

// Opens an External link with the desktop's opener; false for anything else
// or when the opener cannot start.
bool vuzOpenExternalLink(const TfrxLinkTarget& link);

}  // namespace preview
