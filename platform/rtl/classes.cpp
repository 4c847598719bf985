#include "platform/rtl/classes.h"

#include <deque>
#include <mutex>

#include "platform/rtl/textcase.h"

namespace rtl {
namespace {

struct Registry {
  std::mutex m;
  std::deque<TClassEntry> entries;  // a deque keeps entries in place as it grows
};

Registry& TheRegistry() {
  static Registry r;
  return r;
}

TClassEntry* Lookup(Registry& r, std::string_view name) {
  for (auto& e : r.entries)
    if (AnsiSameText(e.name, name)) return &e;
  return nullptr;
}

}  // namespace

void RegisterClass(const AnsiString& name, TClassFactory create) {
  auto& r = TheRegistry();
  std::lock_guard lock(r.m);
  if (name.empty() || !create || Lookup(r, name)) return;
  r.entries.push_back({name, std::move(create)});
}

void UnRegisterClass(const AnsiString& name) {
  auto& r = TheRegistry();
  std::lock_guard lock(r.m);
  for (auto it = r.entries.begin(); it != r.entries.end(); ++it)
    if (AnsiSameText(it->name, name)) {
      r.entries.erase(it);
      return;
    }
}

const TClassEntry* GetClass(std::string_view name) {
  auto& r = TheRegistry();
  std::lock_guard lock(r.m);
  return Lookup(r, name);
}

const TClassEntry& FindClass(std::string_view name) {
  if (const TClassEntry* e = GetClass(name)) return *e;
  throw EClassNotFound("Class " + AnsiString(name) + " not found");
}

std::vector<AnsiString> RegisteredClassNames() {
  auto& r = TheRegistry();
  std::lock_guard lock(r.m);
  std::vector<AnsiString> names;
  for (auto& e : r.entries) names.push_back(e.name);
  return names;
}

}  // namespace rtl
