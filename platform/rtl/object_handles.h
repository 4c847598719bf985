// Handles for host objects that scripts and variants carry as Integer values.
// A script never holds an address: it holds a handle made of a slot index and
// the slot's generation. When the object goes, its slot's generation moves on,
// so an old handle no longer resolves and raises instead of reaching freed
// memory. nil is 0 and is never a handle.
//
// An object is registered as its root class (the class every host object of
// an engine derives from) and resolved as that same class; callers then use
// dynamic_cast for the class they want. Resolving as another type raises.
#pragma once
#include <cstdint>
#include <typeinfo>

#include "platform/rtl/exceptions.h"

namespace rtl {

class ObjectHandles {
 public:
  // The handle of the object, registering it on first use. nullptr gives 0.
  template <class Root>
  static int32_t HandleOf(Root* object) {
    return object ? Acquire(object, typeid(Root)) : 0;
  }
  // The object of a handle; 0 gives nullptr. A stale or unknown handle, or
  // one registered as another type, raises EInvalidPointer.
  template <class Root>
  static Root* Resolve(int32_t handle) {
    return handle ? static_cast<Root*>(Lookup(handle, typeid(Root))) : nullptr;
  }
  // True when the handle names a live object (0 is false).
  static bool IsValid(int32_t handle) noexcept;
  // Forgets the object: every handle of it goes stale. Objects call this from
  // their destructor; an object that was never registered is ignored.
  static void Release(const void* object) noexcept;
  // Number of live registrations (for tests and leak checks).
  static int Count() noexcept;

 private:
  static int32_t Acquire(void* object, const std::type_info& type);
  static void* Lookup(int32_t handle, const std::type_info& type);
};

}  // namespace rtl
