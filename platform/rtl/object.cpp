#include "platform/rtl/object.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>

#include "platform/rtl/object_handles.h"
#include "platform/rtl/type_names.h"

namespace rtl {

TObject::~TObject() { ObjectHandles::Release(this); }

namespace {

AnsiString Demangled(const std::type_info& type) {
  const char* mangled = type.name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : mangled;
  // Drop namespaces and template arguments' enclosing scopes: keep the last name.
  auto templateAt = name.find('<');
  auto scopeAt = name.rfind("::", templateAt);
  if (scopeAt != std::string::npos) name.erase(0, scopeAt + 2);
  return name;
}

}  // namespace

AnsiString ShortTypeName(const std::type_info& type) {
  // Saving, copying and scripting ask every object's class name; demangling
  // each time cost more than the rest of writing an object. Each thread
  // keeps its own names, so no lock is taken.
  thread_local std::unordered_map<std::type_index, AnsiString> names;
  auto it = names.find(std::type_index(type));
  if (it == names.end()) it = names.emplace(std::type_index(type), Demangled(type)).first;
  return it->second;
}

AnsiString TObject::ClassName() const { return ShortTypeName(typeid(*this)); }

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  AnsiString sourceName = source ? source->ClassName() : AnsiString("nil");
  throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

}  // namespace rtl
