// What the host-class binding modules share: reading a callback's arguments,
// objects as values with a clear error for the wrong kind, and adding and
// removing a module in the binding-module list.
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "script/fs_iinterpreter.h"

namespace script {

inline Variant fsArg(TfsMethodHelper* caller, int index) { return caller->GetVParam(index); }
inline AnsiString fsArgText(TfsMethodHelper* caller, int index) { return fsArg(caller, index).AsString(); }
inline bool fsArgBool(TfsMethodHelper* caller, int index) { return fsArg(caller, index).AsBoolean(); }
// An integer argument clamped to the 32-bit range (a count or an index).
inline std::int32_t fsArgInt(TfsMethodHelper* caller, int index) {
  const std::int64_t v = fsArg(caller, index).AsInt64();
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The object a value refers to, as the class a member needs; nil stays nil,
// an object of another kind raises "Invalid class typecast".
template <class T>
T* fsAs(const Variant& value) {
  rtl::TObject* object = fsVariantToObject(value);
  if (!object) return nullptr;
  auto* typed = dynamic_cast<T*>(object);
  if (!typed) throw rtl::EInvalidCast("Invalid class typecast");
  return typed;
}
// As fsAs, but nil raises too: the member needs an object.
template <class T>
T& fsNeed(rtl::TObject* object) {
  auto* typed = dynamic_cast<T*>(object);
  if (!typed) throw rtl::EInvalidCast("Invalid class typecast");
  return *typed;
}

// A runtime stream as a script object: the runtime's streams are not objects
// of the class hierarchy, so scripts hold them through this (TStream,
// TFileStream and TMemoryStream in scripts). Owned streams go with it.
class TfsStreamObject : public rtl::TObject {
 public:
  explicit TfsStreamObject(std::unique_ptr<rtl::TStream> owned) : owned_(std::move(owned)), stream_(owned_.get()) {}
  // A host's stream lent to a script (not freed here).
  explicit TfsStreamObject(rtl::TStream* lent) : stream_(lent) {}
  rtl::TStream& Stream() const { return *stream_; }

 private:
  std::unique_ptr<rtl::TStream> owned_;
  rtl::TStream* stream_;
};
// The stream a value refers to; nil for nil.
rtl::TStream* fsStreamOf(const Variant& value);

// Makers of host classes by name, for TObject.Create and TComponent.Create
// on classes the runtime's registry does not know (the GUI's controls).
using TfsClassFactory = std::function<rtl::TObject*(rtl::TComponent* owner)>;
// An empty factory takes the name out again.
void fsRegisterClassFactory(const AnsiString& name, TfsClassFactory factory);
// A new object of the named class, or nullptr when no factory knows it.
rtl::TObject* fsCreateByFactory(const AnsiString& name, rtl::TComponent* owner);

// Puts a module into the binding-module list (after the system library and
// the modules before it) once however often it is called; the matching
// remove takes it out when the last user has gone.
void fsAddBindingModule(TfsRTTIModuleClass module);
void fsRemoveBindingModule(TfsRTTIModuleClass module);

}  // namespace script
