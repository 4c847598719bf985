// The class registry: classes known by name, so that a reader of stored
// objects can make an object of a class named in a file. C++ has no class
// references; a registered class is a name with a factory and, for reflected
// classes, its TClassInfo (which knows the parent and the properties).
#pragma once
#include <functional>
#include <type_traits>
#include <vector>

#include "platform/rtl/components.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"
#include "platform/rtl/typinfo.h"

namespace rtl {

// Makes a new object of the class; components receive the owner, other
// persistent objects ignore it.
using TClassFactory = std::function<TPersistent*(TComponent* owner)>;

struct TClassEntry {
  AnsiString name;
  TClassFactory create;
  const TClassInfo* info = nullptr;  // null for classes registered by factory only
};

// Registers a class under its name. A name already registered keeps its
// first entry (registering the same class twice is harmless).
void RegisterClass(const AnsiString& name, TClassFactory create);
// A reflected class under its own name; it must be creatable.
void RegisterClass(const TClassInfo& info);
void RegisterClassEntry(TClassEntry entry);
template <class T>
void RegisterClass(const AnsiString& name) {
  TClassFactory create = [](TComponent* owner) -> TPersistent* {
    if constexpr (std::is_constructible_v<T, TComponent*>)
      return new T(owner);
    else
      return new T();
  };
  const TClassInfo* info = nullptr;
  if constexpr (requires { T::StaticClass(); }) info = &T::StaticClass();
  RegisterClassEntry({name, std::move(create), info});
}
void UnRegisterClass(const AnsiString& name);
// The entry of a name, compared without regard to 1251 case; nullptr when
// unknown. An entry stays valid until its name is unregistered.
const TClassEntry* GetClass(std::string_view name);
// As GetClass, but an unknown name raises EClassNotFound "Class <name> not found".
const TClassEntry& FindClass(std::string_view name);
// The reflected class registered under a name; nullptr when unknown or not reflected.
const TClassInfo* GetClassInfo(std::string_view name);
// The names in the order of registration.
std::vector<AnsiString> RegisteredClassNames();

}  // namespace rtl
