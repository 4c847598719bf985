#include "platform/rtl/stringlists.h"

#include <algorithm>
#include <numeric>

#include "platform/rtl/files.h"
#include "platform/rtl/lists.h"
#include "platform/rtl/textcase.h"

namespace rtl {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' ' && c != '\0'; }

AnsiString Quoted(const AnsiString& s, char quote) {
  AnsiString r(1, quote);
  for (char c : s) {
    r.push_back(c);
    if (c == quote) r.push_back(quote);
  }
  r.push_back(quote);
  return r;
}

}  // namespace

// ---- TStrings ----

void TStrings::Put(int index, const AnsiString& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

TObject* TStrings::GetObject(int) const { return nullptr; }
void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const AnsiString& s) {
  int index = Count();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const AnsiString& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::InsertObject(int index, const AnsiString& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TStrings::CompareStrings(const AnsiString& a, const AnsiString& b) const { return AnsiCompareText(a, b); }

int TStrings::IndexOf(const AnsiString& s) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

void TStrings::Exchange(int a, int b) {
  AnsiString sa = Get(a), sb = Get(b);
  TObject *oa = GetObject(a), *ob = GetObject(b);
  BeginUpdate();
  Put(a, sb);
  PutObject(a, ob);
  Put(b, sa);
  PutObject(b, oa);
  EndUpdate();
}

void TStrings::Move(int from, int to) {
  if (from == to) return;
  BeginUpdate();
  AnsiString s = Get(from);
  TObject* object = GetObject(from);
  Delete(from);
  InsertObject(to, s, object);
  EndUpdate();
}

void TStrings::AddStrings(const TStrings& other) {
  BeginUpdate();
  for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
  EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

void TStrings::Assign(const TPersistent* source) {
  if (auto* strings = dynamic_cast<const TStrings*>(source)) {
    if (strings == this) return;
    BeginUpdate();
    Clear();
    AddStrings(*strings);
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

AnsiString TStrings::Names(int index) const {
  AnsiString s = Get(index);
  auto at = s.find(NameValueSeparator);
  return at == AnsiString::npos ? AnsiString() : s.substr(0, at);
}

AnsiString TStrings::ValueFromIndex(int index) const {
  AnsiString s = Get(index);
  auto at = s.find(NameValueSeparator);
  return at == AnsiString::npos ? AnsiString() : s.substr(at + 1);
}

int TStrings::IndexOfName(const AnsiString& name) const {
  for (int i = 0; i < Count(); ++i) {
    AnsiString s = Get(i);
    auto at = s.find(NameValueSeparator);
    if (at != AnsiString::npos && CompareStrings(s.substr(0, at), name) == 0) return i;
  }
  return -1;
}

AnsiString TStrings::Values(const AnsiString& name) const {
  int index = IndexOfName(name);
  return index < 0 ? AnsiString() : ValueFromIndex(index);
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value) {
  int index = IndexOfName(name);
  if (!value.empty()) {
    AnsiString line = name + NameValueSeparator + value;
    if (index < 0)
      Add(line);
    else
      Put(index, line);
  } else if (index >= 0) {
    Delete(index);
  }
}

AnsiString TStrings::Text() const {
  AnsiString r;
  for (int i = 0; i < Count(); ++i) {
    r += Get(i);
    r += "\r\n";
  }
  return r;
}

void TStrings::SetText(std::string_view text) {
  BeginUpdate();
  Clear();
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    Add(AnsiString(text.substr(start, i - start)));
    // One line break: CR LF, CR or LF.
    if (i < text.size() && text[i] == '\r')
      ++i;
    else if (i < text.size() && text[i] == '\n') {
      ++i;
      continue;
    } else
      continue;
    if (i < text.size() && text[i] == '\n') ++i;
  }
  EndUpdate();
}

AnsiString TStrings::JoinDelimited(char delimiter, bool strict) const {
  if (Count() == 1 && Get(0).empty()) return AnsiString(2, QuoteChar);
  AnsiString r;
  for (int i = 0; i < Count(); ++i) {
    AnsiString s = Get(i);
    bool quote = std::any_of(s.begin(), s.end(), [&](char c) {
      return c == QuoteChar || c == delimiter || (!strict && static_cast<unsigned char>(c) <= ' ');
    });
    if (i) r.push_back(delimiter);
    r += quote ? Quoted(s, QuoteChar) : s;
  }
  return r;
}

void TStrings::SplitDelimited(std::string_view text, char delimiter, bool strict) {
  BeginUpdate();
  Clear();
  std::size_t i = 0, n = text.size();
  auto skipBlanks = [&] {
    if (!strict)
      while (i < n && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  while (i < n) {
    AnsiString item;
    if (text[i] == QuoteChar) {
      ++i;
      while (i < n) {
        if (text[i] == QuoteChar) {
          if (i + 1 < n && text[i + 1] == QuoteChar) {
            item.push_back(QuoteChar);
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item.push_back(text[i++]);
      }
    } else {
      std::size_t start = i;
      while (i < n && text[i] != delimiter && (strict || static_cast<unsigned char>(text[i]) > ' ')) ++i;
      item.assign(text.substr(start, i - start));
    }
    Add(item);
    skipBlanks();
    if (i < n && text[i] == delimiter) {
      ++i;
      if (i == n) Add(AnsiString());
      skipBlanks();
    }
  }
  EndUpdate();
}

AnsiString TStrings::CommaText() const { return JoinDelimited(',', false); }
void TStrings::SetCommaText(std::string_view text) { SplitDelimited(text, ',', false); }
AnsiString TStrings::DelimitedText() const { return JoinDelimited(Delimiter, StrictDelimiter); }
void TStrings::SetDelimitedText(std::string_view text) { SplitDelimited(text, Delimiter, StrictDelimiter); }

void TStrings::LoadFromStream(TStream& stream) { SetText(stream.ReadRest()); }

void TStrings::SaveToStream(TStream& stream) const { stream.WriteString(Text()); }

void TStrings::LoadFromFile(const AnsiString& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TStrings::SaveToFile(const AnsiString& fileName) const { SaveFileAtomically(fileName, Text()); }

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

// ---- TStringList ----

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (ownsObjects_)
    for (auto& item : items_) delete item.object;
}

TStringList::TStringList(const TStringList& other)
    : TStrings(),
      Duplicates(other.Duplicates),
      items_(other.items_),
      sorted_(other.sorted_),
      caseSensitive_(other.caseSensitive_) {
  // A copy never owns: the objects belong to the original.
}

TStringList& TStringList::operator=(const TStringList& other) {
  if (this != &other) Assign(&other);
  return *this;
}

void TStringList::Check(int index) const {
  if (index < 0 || index >= Count()) throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) {
    if (OnChanging) OnChanging(this);
  } else if (OnChange) {
    OnChange(this);
  }
}

AnsiString TStringList::Get(int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)].string;
}

void TStringList::Put(int index, const AnsiString& s) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  Check(index);
  Changing();
  items_[static_cast<std::size_t>(index)].string = s;
  Changed();
}

TObject* TStringList::GetObject(int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object) {
  Check(index);
  Changing();
  TObject*& slot = items_[static_cast<std::size_t>(index)].object;
  if (slot != object) FreeObject(slot);
  slot = object;
  Changed();
}

int TStringList::AddObject(const AnsiString& s, TObject* object) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    if (Duplicates == dupIgnore) return index;
    if (Duplicates == dupError) throw EStringListError("String list does not allow duplicates");
    // dupAccept: after the equal ones, so equal strings keep their order of arrival.
    while (index < Count() && CompareStrings(items_[static_cast<std::size_t>(index)].string, s) == 0) ++index;
  }
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
  return index;
}

void TStringList::InsertObject(int index, const AnsiString& s, TObject* object) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  if (index < 0 || index > Count()) throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Delete(int index) {
  Check(index);
  Changing();
  TObject* object = items_[static_cast<std::size_t>(index)].object;
  items_.erase(items_.begin() + index);
  FreeObject(object);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  auto old = std::move(items_);
  items_.clear();
  if (ownsObjects_)
    for (auto& item : old) delete item.object;
  Changed();
}

void TStringList::Exchange(int a, int b) {
  Check(a);
  Check(b);
  Changing();
  std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
  Changed();
}

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const {
  return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

int TStringList::IndexOf(const AnsiString& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const AnsiString& s, int& index) const {
  int lo = 0, hi = Count();
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (CompareStrings(items_[static_cast<std::size_t>(mid)].string, s) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  index = lo;
  return lo < Count() && CompareStrings(items_[static_cast<std::size_t>(lo)].string, s) == 0;
}

void TStringList::CustomSort(const std::function<int(TStringList&, int, int)>& compare) {
  if (Count() < 2) return;
  Changing();
  std::vector<int> order = StableOrder(Count(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(std::move(items_[static_cast<std::size_t>(i)]));
  items_ = std::move(sorted);
  Changed();
}

void TStringList::Sort() {
  CustomSort([](TStringList& list, int a, int b) {
    return list.CompareStrings(list.items_[static_cast<std::size_t>(a)].string,
                               list.items_[static_cast<std::size_t>(b)].string);
  });
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !sorted_) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == caseSensitive_) return;
  caseSensitive_ = value;
  if (sorted_) Sort();
}

// ---- TStringStream ----

std::string TStringStream::ReadString(std::int64_t count) {
  std::string r(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)), '\0');
  auto n = Read(r.data(), static_cast<std::int64_t>(r.size()));
  r.resize(static_cast<std::size_t>(n));
  return r;
}

}  // namespace rtl
