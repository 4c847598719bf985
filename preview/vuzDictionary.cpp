#include "preview/vuzDictionary.h"

#include <algorithm>

#include "platform/rtl/textcase.h"

namespace preview {

namespace {
bool Less(const std::pair<AnsiString, int>& entry, const AnsiString& alias) {
  return rtl::AnsiCompareText(entry.first, alias) < 0;
}
}  // namespace

int TfrxDictionary::Find(const AnsiString& alias) const {
  const auto it = std::lower_bound(names_.begin(), names_.end(), alias, Less);
  if (it == names_.end() || rtl::AnsiCompareText(it->first, alias) != 0) return -1;
  return static_cast<int>(it - names_.begin());
}

void TfrxDictionary::Add(const AnsiString& alias, const AnsiString& sourceName, rtl::TObject* object) {
  sources_.emplace_back(sourceName, object);
  const auto it = std::lower_bound(names_.begin(), names_.end(), alias, Less);
  if (it != names_.end() && rtl::AnsiCompareText(it->first, alias) == 0) return;
  names_.insert(it, {alias, static_cast<int>(sources_.size()) - 1});
}

AnsiString TfrxDictionary::AddUnique(const AnsiString& prefix, const AnsiString& sourceName, rtl::TObject* object) {
  AnsiString alias = CreateUniqueName(prefix);
  Add(alias, sourceName, object);
  return alias;
}

AnsiString TfrxDictionary::CreateUniqueName(const AnsiString& prefix) const {
  int n = 10000;
  while (n > 1) {
    if (Find(prefix + std::to_string(n)) >= 0) break;
    n /= 2;
  }
  while (Find(prefix + std::to_string(n)) >= 0) ++n;
  return prefix + std::to_string(n);
}

rtl::TObject* TfrxDictionary::GetObject(const AnsiString& alias) const {
  const int i = Find(alias);
  return i < 0 ? nullptr : sources_[static_cast<std::size_t>(names_[static_cast<std::size_t>(i)].second)].second;
}

AnsiString TfrxDictionary::GetSourceName(const AnsiString& alias) const {
  const int i = Find(alias);
  return i < 0 ? AnsiString() : SourceNameAt(i);
}

const AnsiString& TfrxDictionary::SourceNameAt(int index) const {
  return sources_[static_cast<std::size_t>(names_[static_cast<std::size_t>(index)].second)].first;
}

void TfrxDictionary::Clear() {
  names_.clear();
  sources_.clear();
}

}  // namespace preview
