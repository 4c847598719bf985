#include "preview/vuzDictionary.h"

#include <algorithm>
#include <string>

#include "platform/rtl/textcase.h"

namespace preview {

std::size_t TfrxDictionary::CaseFreeHash::operator()(std::string_view s) const {
  std::size_t h = 14695981039346656037ULL;  // FNV-1a over the upper-case bytes
  for (char c : s) {
    h ^= static_cast<unsigned char>(rtl::AnsiUpperChar(c));
    h *= 1099511628211ULL;
  }
  return h;
}

bool TfrxDictionary::CaseFreeEqual::operator()(std::string_view a, std::string_view b) const {
  return rtl::AnsiSameText(a, b);
}

int TfrxDictionary::Find(std::string_view alias) const {
  ++lookUps_;
  const auto it = aliases_.find(alias);
  return it == aliases_.end() ? -1 : it->second;
}

void TfrxDictionary::Add(const AnsiString& alias, const AnsiString& sourceName, rtl::TObject* object) {
  sources_.emplace_back(sourceName, object);
  if (aliases_.try_emplace(alias, static_cast<int>(sources_.size()) - 1).second) sortedValid_ = false;
}

AnsiString TfrxDictionary::AddUnique(const AnsiString& prefix, const AnsiString& sourceName, rtl::TObject* object) {
  AnsiString alias = CreateUniqueName(prefix);
  Add(alias, sourceName, object);
  return alias;
}

AnsiString TfrxDictionary::CreateUniqueName(const AnsiString& prefix) const {
  auto taken = [&](long long n) { return Find(prefix + std::to_string(n)) >= 0; };
  long long n = 10000;
  while (n > 1) {
    if (taken(n)) break;
    n /= 2;
  }
  // Counting up from there, over the run already known to be taken.
  auto& run = takenRuns_[prefix];
  long long from = n;
  if (run.first < run.second && n >= run.first && n <= run.second) {
    from = run.first;
    n = run.second;
  }
  while (taken(n)) ++n;
  run = {from, n};
  return prefix + std::to_string(n);
}

rtl::TObject* TfrxDictionary::GetObject(const AnsiString& alias) const {
  const int i = Find(alias);
  return i < 0 ? nullptr : sources_[static_cast<std::size_t>(i)].second;
}

AnsiString TfrxDictionary::GetSourceName(const AnsiString& alias) const {
  const int i = Find(alias);
  return i < 0 ? AnsiString() : sources_[static_cast<std::size_t>(i)].first;
}

const std::vector<std::pair<AnsiString, int>>& TfrxDictionary::Sorted() const {
  if (!sortedValid_) {
    sorted_.assign(aliases_.begin(), aliases_.end());
    std::sort(sorted_.begin(), sorted_.end(),
              [](const auto& a, const auto& b) { return rtl::AnsiCompareText(a.first, b.first) < 0; });
    sortedValid_ = true;
  }
  return sorted_;
}

const AnsiString& TfrxDictionary::SourceNameAt(int index) const {
  return sources_[static_cast<std::size_t>(Sorted()[static_cast<std::size_t>(index)].second)].first;
}

void TfrxDictionary::Clear() {
  aliases_.clear();
  sources_.clear();
  sorted_.clear();
  sortedValid_ = true;
  takenRuns_.clear();
}

}  // namespace preview
