#include "platform/rtl/classes.h"

#include <deque>
#include <memory>
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

void RegisterClassEntry(TClassEntry entry) {
  auto& r = TheRegistry();
  std::lock_guard lock(r.m);
  if (entry.name.empty() || !entry.create || Lookup(r, entry.name)) return;
  r.entries.push_back(std::move(entry));
}

void RegisterClass(const AnsiString& name, TClassFactory create) { RegisterClassEntry({name, std::move(create)}); }

void RegisterClass(const TClassInfo& info) {
  if (!info.CanCreate()) return;
  const TClassInfo* cls = &info;
  RegisterClassEntry({info.Name(),
                      [cls](TComponent* owner) -> TPersistent* {
                        std::unique_ptr<TObject> made(cls->Create(owner));
                        auto* persistent = dynamic_cast<TPersistent*>(made.get());
                        if (persistent) made.release();
                        return persistent;
                      },
                      cls});
}

const TClassInfo* GetClassInfo(std::string_view name) {
  const TClassEntry* e = GetClass(name);
  return e ? e->info : nullptr;
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
