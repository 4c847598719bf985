// The alias dictionary of prepared pages: every source object (the copy of a
// template object that prepared pages store differences against) has a short
// alias such as m1 or b12, and a source name "Page<k>.<object name>".
#pragma once
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

  // The aliases in their sorted order (1251 case ignored).
  int Count() const { return static_cast<int>(names_.size()); }
  const AnsiString& Alias(int index) const { return names_[static_cast<std::size_t>(index)].first; }
  const AnsiString& SourceNameAt(int index) const;

 private:
  int Find(const AnsiString& alias) const;
  std::vector<std::pair<AnsiString, int>> names_;  // sorted: alias, source index
  std::vector<std::pair<AnsiString, rtl::TObject*>> sources_;
};

}  // namespace preview
