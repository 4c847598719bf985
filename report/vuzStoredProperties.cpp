#include "report/vuzStoredProperties.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <unordered_map>

#include "platform/rtl/format.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClass.h"
#include "report/vuzUnicodeUtils.h"
#include "report/vuzUtils.h"
#include "report/vuzXML.h"
#include "report/vuzXMLSerializer.h"

namespace report {

namespace {

using rtl::AnsiString;
using rtl::TPropInfo;
using rtl::WideString;

// Marks an object as being written while its values are taken, as the
// writer does (a picture, a collection write differently then).
class WritingScope {
 public:
  explicit WritingScope(TfrxComponent* object) : c_(object) {
    if (c_) c_->SetIsWriting(true);
  }
  ~WritingScope() {
    if (c_) c_->SetIsWriting(false);
  }
  WritingScope(const WritingScope&) = delete;
  WritingScope& operator=(const WritingScope&) = delete;

 private:
  TfrxComponent* c_;
};

// A text as it reads back from its escaped form: only "&quot;" changes (into
// a quote), so texts without an ampersand are their own.
AnsiString ThroughText(const AnsiString& text) {
  if (text.find('&') == AnsiString::npos) return text;
  return vuzXMLToStr(vuzStrToXML(text));
}

// The memo text as it reads back from its escaped UTF-8 form. Valid UTF-16
// without an ampersand or a zero unit comes back unchanged.
WideString MemoThroughText(const WideString& text) {
  for (char16_t c : text)
    if (c == u'&' || c == u'\0' || (c >= 0xD800 && c <= 0xDFFF))
      return rtl::Utf8ToWide(vuzXMLToUtf8(vuzUtf8ToXML(rtl::WideToUtf8(text))));
  return text;
}

// A float as it reads back from the digits the writer keeps. Whole values
// below 10^15 are written in full; others are converted as the text would
// convert them, each value once per thread (a template repeats its sizes).
long double FloatThroughText(long double v) {
  if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15L && !(v == 0 && std::signbit(v))) return v;
  constexpr std::size_t kMaxKept = 4096;
  struct Key {
    unsigned char bytes[sizeof(long double)] = {};
    bool operator==(const Key& o) const { return std::memcmp(bytes, o.bytes, sizeof bytes) == 0; }
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      std::size_t h = 1469598103934665603ull;
      for (unsigned char b : k.bytes) h = (h ^ b) * 1099511628211ull;
      return h;
    }
  };
  Key key;
  // Only the ten bytes of the 80-bit value count (the padding may hold
  // anything); the separator the conversions use takes a byte of the rest.
  std::memcpy(key.bytes, &v, std::min<std::size_t>(10, sizeof v));
  key.bytes[sizeof key.bytes - 1] = static_cast<unsigned char>(rtl::CurrentFormatSettings().DecimalSeparator);
  thread_local std::unordered_map<Key, long double, KeyHash> kept;
  if (auto it = kept.find(key); it != kept.end()) return it->second;
  const long double back = vuzStrToFloat(rtl::FloatToStr(v));  // may raise, as reading would
  if (kept.size() >= kMaxKept) kept.clear();
  kept.emplace(key, back);
  return back;
}

// Whether every name of the enumeration reads back as its own value (names
// differing only in case, or looking like numbers, would not).
bool NamesReadBack(const rtl::TEnumType& type) {
  thread_local std::unordered_map<const rtl::TEnumType*, bool> known;
  if (auto it = known.find(&type); it != known.end()) return it->second;
  bool ok = true;
  for (std::size_t i = 0; i < type.Names.size() && ok; ++i) {
    std::int64_t number = 0;
    ok = type.ValueOf(type.Names[i]) == static_cast<int>(i) && !rtl::TryStrToInt64(type.Names[i], number);
  }
  known.emplace(&type, ok);
  return ok;
}

// The names the reader gives a meaning of its own before it looks for a
// property: such properties go through the text.
bool ReaderTreatsSpecially(const AnsiString& name, bool dotted) {
  switch (name.size()) {
    case 1: return !dotted && std::strchr("ltwhux", name[0]);
    case 4: return name == "Text" || (!dotted && rtl::SameText(name, "Name"));
    case 8: return name == "PropData";
    default: return false;
  }
}

}  // namespace

namespace {
// Entry lists of finished copies, kept for the next ones: a copy is made
// for every object a template has, and a fresh list of that size each time
// cost more than taking the values.
template <class T>
std::vector<std::vector<T>>& Spare() {
  thread_local std::vector<std::vector<T>> lists;
  return lists;
}
}  // namespace

TfrxStoredProperties::TfrxStoredProperties(TfrxComponent* source) {
  if (auto& spare = Spare<Entry>(); !spare.empty()) {
    entries_ = std::move(spare.back());
    spare.pop_back();
  }
  TfrxXMLSerializer writer(nullptr);
  writer.SetOwner(source->GetReport());
  if (!writer.Owner()) writer.SetOwner(source);
  holders_.push_back({-1, nullptr, &source->ClassType(), AnsiString()});
  Take(source, source, 0, writer);
}

TfrxStoredProperties::~TfrxStoredProperties() {
  constexpr std::size_t kMaxSpare = 8;  // copies within copies are few
  entries_.clear();
  if (auto& spare = Spare<Entry>(); spare.size() < kMaxSpare) spare.push_back(std::move(entries_));
}

bool TfrxStoredProperties::CopiesDirectly(const TfrxComponent* source, const TfrxComponent* dest) {
  if (!source || !dest || &source->ClassType() != &dest->ClassType()) return false;
  auto* s = const_cast<TfrxComponent*>(source);
  auto* d = const_cast<TfrxComponent*>(dest);
  return !dynamic_cast<TfrxReportServices*>(s) && !dynamic_cast<TfrxReportServices*>(d) &&
         !s->IsKind(TfrxComponent::ckReport);
}

// Mirrors the writer's walk over one object: stored properties with a
// getter in stored order, sub-objects in place, then a text object's lines
// and the object's defined data.
void TfrxStoredProperties::Take(rtl::TPersistent* object, TfrxComponent* component, int holder,
                                TfrxXMLSerializer& writer) {
  WritingScope writing(component);
  auto add = [&](const TPropInfo* p, Kind kind) -> Entry& {
    Entry& e = entries_.emplace_back();
    e.holder = holder;
    e.prop = p;
    e.kind = kind;
    return e;
  };
  for (const TPropInfo* p : object->ClassType().Properties()) {
    if (!p->IsStored(*object) || !p->HasGetter()) continue;
    switch (p->Kind) {
      case rtl::pkEnumeration:
      case rtl::pkInteger:
      case rtl::pkChar:
      case rtl::pkWideChar:
      case rtl::pkInt64:
      case rtl::pkSet: add(p, Kind::kOrdinal).ordinal = p->GetOrd(*object); break;
      case rtl::pkFloat: add(p, Kind::kFloat).number = p->GetFloat(*object); break;
      case rtl::pkString:
      case rtl::pkWideString: {
        AnsiString v = p->GetStr(*object);  // wide texts narrowed, as written
        if (!v.empty()) add(p, Kind::kText).text = std::move(v);
        break;
      }
      case rtl::pkVariant: {
        const rtl::Variant v = p->GetVariant(*object);
        AnsiString text = v.IsNull() || v.IsEmpty() ? AnsiString() : v.AsString();
        if (!text.empty()) add(p, Kind::kText).text = std::move(text);
        break;
      }
      case rtl::pkComponent: {
        auto* v = dynamic_cast<rtl::TComponent*>(p->GetObject(*object));
        if (!v) break;
        AnsiString name = vuzGetFullName(writer.Owner(), v);
        if (!name.empty()) add(p, Kind::kReference).text = std::move(name);
        break;
      }
      case rtl::pkStrings: {
        auto* v = dynamic_cast<rtl::TStrings*>(p->GetObject(*object));
        if (v) add(p, Kind::kListText).text = vuzWithoutLastLineBreak(v->Text());
        break;
      }
      case rtl::pkPersistent: {
        auto* v = dynamic_cast<rtl::TPersistent*>(p->GetObject(*object));
        if (!v) break;
        const int sub = static_cast<int>(holders_.size());
        holders_.push_back({holder, p, &v->ClassType(), holders_[holder].prefix + p->Name + "."});
        Take(v, dynamic_cast<TfrxComponent*>(v), sub, writer);
        break;
      }
      default: break;  // wide string lists, events
    }
  }
  if (TWideStrings* lines = vuzMemoLinesOf(component)) {
    WideString text = lines->GetTextStr();
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) text.resize(text.size() - 2);
    add(nullptr, Kind::kMemoText).ordinal = static_cast<long long>(memoTexts_.size());
    memoTexts_.push_back(std::move(text));
  }
  rtl::TMemoryStream data;
  writer.WriteDefinedData(object, nullptr, data);
  if (data.Size() > 0) {
    data.SetPosition(0);
    add(nullptr, Kind::kPropData).text = data.ReadRest();
  }
}

// The reader's way to a sub-object: by the property's name on the object it
// holds now.
rtl::TPersistent* TfrxStoredProperties::Resolve(TfrxComponent* object, int holder) const {
  if (holder == 0) return object;
  const Holder& h = holders_[static_cast<std::size_t>(holder)];
  rtl::TPersistent* parent = Resolve(object, h.parent);
  if (!parent) return nullptr;
  const TPropInfo* p = &parent->ClassType() == holders_[static_cast<std::size_t>(h.parent)].cls
                           ? h.via
                           : vuzCachedProperty(parent->ClassType(), h.via->Name);
  if (!p || !rtl::IsObjectKind(p->Kind)) return nullptr;
  return dynamic_cast<rtl::TPersistent*>(p->GetObject(*parent));
}

AnsiString TfrxStoredProperties::AttributeName(const Entry& e) const {
  const AnsiString& prefix = holders_[static_cast<std::size_t>(e.holder)].prefix;
  switch (e.kind) {
    case Kind::kListText: return prefix + e.prop->Name + ".Text";
    case Kind::kMemoText: return prefix + "Text";
    case Kind::kPropData: return prefix + "PropData";
    default: return prefix + e.prop->Name;
  }
}

AnsiString TfrxStoredProperties::AttributeValue(const Entry& e) const {
  switch (e.kind) {
    case Kind::kOrdinal:
      return e.prop->Kind == rtl::pkEnumeration && e.prop->EnumType ? e.prop->EnumType->NameOf(e.ordinal)
                                                                    : rtl::IntToStr(e.ordinal);
    case Kind::kFloat: return rtl::FloatToStr(e.number);
    case Kind::kText:
    case Kind::kListText: return vuzStrToXML(e.text);
    case Kind::kReference: return e.text;
    case Kind::kMemoText: return vuzUtf8ToXML(rtl::WideToUtf8(memoTexts_[static_cast<std::size_t>(e.ordinal)]));
    case Kind::kPropData: {
      rtl::TMemoryStream bytes;
      bytes.WriteString(e.text);
      return vuzStreamToString(bytes);
    }
  }
  return AnsiString();
}

bool TfrxStoredProperties::ApplyTyped(const Entry& e, rtl::TPersistent* target, TWideStrings* rootLines,
                                      TfrxXMLSerializer& reader) const {
  const bool dotted = e.holder != 0;
  switch (e.kind) {
    case Kind::kMemoText: {
      if (dynamic_cast<rtl::TStrings*>(target) || dynamic_cast<TWideStrings*>(target)) return false;
      TWideStrings* lines = dotted ? vuzMemoLinesOf(dynamic_cast<TfrxComponent*>(target)) : rootLines;
      if (!lines) return false;
      lines->SetTextStr(MemoThroughText(memoTexts_[static_cast<std::size_t>(e.ordinal)]));
      return true;
    }
    case Kind::kPropData: reader.ReadPropBytes(target, e.text); return true;
    case Kind::kListText: {
      const TPropInfo* p = &target->ClassType() == holders_[static_cast<std::size_t>(e.holder)].cls
                               ? e.prop
                               : vuzCachedProperty(target->ClassType(), e.prop->Name);
      if (!p || !rtl::IsObjectKind(p->Kind)) return true;  // the reader ignores it too
      auto* list = dynamic_cast<rtl::TStrings*>(p->GetObject(*target));
      if (!list) return false;
      list->SetText(ThroughText(e.text));
      return true;
    }
    default: break;
  }
  if (ReaderTreatsSpecially(e.prop->Name, dotted)) return false;
  if (&target->ClassType() != holders_[static_cast<std::size_t>(e.holder)].cls) return false;
  const TPropInfo& p = *e.prop;
  if (!p.HasSetter()) return true;
  switch (e.kind) {
    case Kind::kOrdinal:
      if (p.Kind == rtl::pkEnumeration) {
        // A name reads back as its value; an ordinal outside the names was
        // written as a number.
        const rtl::TEnumType* type = p.EnumType;
        if (type && e.ordinal >= 0 && e.ordinal < static_cast<long long>(type->Names.size()) && !NamesReadBack(*type))
          return false;
        p.SetOrd(*target, e.ordinal);
        return true;
      }
      if (p.Kind == rtl::pkInt64) {
        p.SetOrd(*target, e.ordinal);
        return true;
      }
      // Read back as a 32-bit number: others go through the text.
      if (e.ordinal < INT32_MIN || e.ordinal > INT32_MAX) return false;
      p.SetOrd(*target, e.ordinal);
      return true;
    case Kind::kFloat: p.SetFloat(*target, FloatThroughText(e.number)); return true;
    case Kind::kText:
      switch (p.Kind) {
        case rtl::pkString: p.SetStr(*target, ThroughText(e.text)); return true;
        case rtl::pkWideString: p.SetWideStr(*target, rtl::AnsiToWide(ThroughText(e.text))); return true;
        case rtl::pkVariant: p.SetVariant(*target, rtl::Variant(ThroughText(e.text))); return true;
        default: return false;
      }
    case Kind::kReference: reader.AddFixup(target, &p, e.text); return true;
    default: return false;
  }
}

void TfrxStoredProperties::ApplyTo(TfrxComponent* object, TfrxXMLSerializer& reader) const {
  if (!reader.Owner()) reader.SetOwner(object);
  object->SetIsLoading(true);
  TWideStrings* rootLines = vuzMemoLinesOf(object);
  for (const Entry& e : entries_) {
    try {
      rtl::TPersistent* target = Resolve(object, e.holder);
      if (!target) continue;  // the reader finds no object for the name either
      if (!ApplyTyped(e, target, rootLines, reader)) reader.ApplyAttribute(object, AttributeName(e), AttributeValue(e));
    } catch (const std::exception& error) {
      reader.AddError(error.what());
    }
  }
  reader.FixupReferences();
  object->SetIsLoading(false);
  if (!object->IsA("TfrxReport")) object->Loaded();
}

}  // namespace report
