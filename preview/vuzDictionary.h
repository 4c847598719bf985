// The alias dictionary of prepared pages: every source object (the copy of a
// template object that prepared pages store differences against) has a short
// alias such as m1 or b12, and a source name "Page<k>.<object name>".
#pragma once
#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/rtl/object.h"
#include "platform/rtl/strings.h"

namespace preview {

using rtl::AnsiString;

class TfrxDictionary {
 public:
  // Adds the source name with its object and the alias for it. An alias that
  // is already there keeps its first entry (a damaged file cannot replace it).
  void Add(const AnsiString& alias, const AnsiString& sourceName, rtl::TObject* object);
  // CreateUniqueName(prefix), then Add; answers the alias.
  AnsiString AddUnique(const AnsiString& prefix, const AnsiString& sourceName, rtl::TObject* object);
  // The prefix and the first number no alias uses yet: the numbers 10000,
  // 5000, ..., 2 are probed (stopping at the first taken) before counting up,
  // so handing out the n-th alias does not cost n look-ups.
  AnsiString CreateUniqueName(const AnsiString& prefix) const;
  // Null / empty for an alias that is not in the dictionary.
  rtl::TObject* GetObject(const AnsiString& alias) const;
  AnsiString GetSourceName(const AnsiString& alias) const;
  bool Contains(const AnsiString& alias) const { return Find(alias) >= 0; }
  void Clear();
  // The alias look-ups made so far (tests: handing out aliases must not
  // cost a walk over those already given).
  long long LookUps() const { return lookUps_; }

  // The aliases in their sorted order (1251 case ignored).
  int Count() const { return static_cast<int>(aliases_.size()); }
  const AnsiString& Alias(int index) const { return Sorted()[static_cast<std::size_t>(index)].first; }
  const AnsiString& SourceNameAt(int index) const;

 private:
  // Aliases compare without regard to 1251 case.
  struct CaseFreeHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const;
  };
  struct CaseFreeEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  // The source index of an alias, -1 when it has none.
  int Find(std::string_view alias) const;
  const std::vector<std::pair<AnsiString, int>>& Sorted() const;

  std::unordered_map<AnsiString, int, CaseFreeHash, CaseFreeEqual> aliases_;  // alias, source index
  std::vector<std::pair<AnsiString, rtl::TObject*>> sources_;
  // The aliases in sorted order, made again when asked after a change.
  mutable std::vector<std::pair<AnsiString, int>> sorted_;
  mutable bool sortedValid_ = true;
  mutable long long lookUps_ = 0;
  // Per prefix (case ignored): a run of numbers known to be taken, [first,
  // second). Aliases only come, so a run stays taken until Clear; handing
  // out aliases one after another then costs no walk over the taken ones.
  mutable std::unordered_map<AnsiString, std::pair<long long, long long>, CaseFreeHash, CaseFreeEqual> takenRuns_;
};

}  // namespace preview
