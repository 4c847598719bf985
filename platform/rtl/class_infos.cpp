// The reflected classes of the runtime, one block each. TComponent publishes
// Name (never stored by template writers, which write it themselves) and Tag.
#include "platform/rtl/components.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/typinfo.h"

namespace rtl {

const TClassInfo& TComponent::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
          .Property("Name", &TComponent::Name, [](TComponent& c, const AnsiString& v) { c.SetName(v); })
          .Stored(false)
          .Property(
              "Tag", [](const TComponent& c) { return static_cast<int>(c.Tag); },
              [](TComponent& c, int v) { c.Tag = v; })
          .Default(0)
          .Build();
  return info;
}

const TClassInfo& TCollectionItem::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCollectionItem>("TCollectionItem", &TPersistent::StaticClass()).Build();
  return info;
}

const TClassInfo& TCollection::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCollection>("TCollection", &TPersistent::StaticClass()).Build();
  return info;
}

const TClassInfo& TStrings::StaticClass() {
  static const TClassInfo info = TClassBuilder<TStrings>("TStrings", &TPersistent::StaticClass()).Build();
  return info;
}

const TClassInfo& TStringList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TStringList>("TStringList", &TStrings::StaticClass()).Creatable().Build();
  return info;
}

}  // namespace rtl
