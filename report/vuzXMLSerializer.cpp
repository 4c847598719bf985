#include "report/vuzXMLSerializer.h"

#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/rtl/classes.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzRes.h"
#include "report/vuzUnicodeUtils.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

// The object as a report object, nil when it is none. The reflected class
// answers (a walk up a few class infos): a class's reflected ancestry
// follows its C++ one, which a test holds every registered class to, and a
// dynamic_cast compares type names all along a deep class chain.
TfrxComponent* AsComponent(rtl::TPersistent* object) {
  if (!object) return nullptr;
  if (object->ClassType().InheritsFrom(TfrxComponent::StaticClass())) return static_cast<TfrxComponent*>(object);
  return nullptr;
}

// Marks an object (and its ancestor) as being written while its text is built.
class WritingScope {
 public:
  WritingScope(rtl::TPersistent* a, rtl::TPersistent* b) : a_(AsComponent(a)), b_(AsComponent(b)) {
    if (a_) a_->SetIsWriting(true);
    if (b_) b_->SetIsWriting(true);
  }
  ~WritingScope() {
    if (a_) a_->SetIsWriting(false);
    if (b_) b_->SetIsWriting(false);
  }

 private:
  TfrxComponent* a_;
  TfrxComponent* b_;
};

AnsiString WithoutLastLineBreak(AnsiString text) { return vuzWithoutLastLineBreak(std::move(text)); }

}  // namespace

// A class's property by name, as TClassInfo::FindProperty answers it; each
// thread keeps the answers per class, since reading and copying objects asks
// for every attribute of every object (a walk over all properties with a
// text comparison each). Names are kept up to a bound, so hostile input
// with ever new names cannot grow the table without end.
const rtl::TPropInfo* vuzCachedProperty(const rtl::TClassInfo& cls, std::string_view name) {
  constexpr std::size_t kMaxNamesPerClass = 1024;
  thread_local std::unordered_map<const rtl::TClassInfo*, std::unordered_map<std::string, const rtl::TPropInfo*>> known;
  // Property names compare without regard to ASCII case.
  std::string key(name);
  for (char& ch : key)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  auto& names = known[&cls];
  if (auto it = names.find(key); it != names.end()) return it->second;
  const rtl::TPropInfo* found = cls.FindProperty(name);
  if (names.size() < kMaxNamesPerClass) names.emplace(std::move(key), found);
  return found;
}

TWideStrings* vuzMemoLinesOf(TfrxComponent* c) {
  if (!c || !c->IsKind(TfrxComponent::ckCustomMemoView)) return nullptr;
  const rtl::TPropInfo* p = vuzCachedProperty(c->ClassType(), "Memo");
  if (!p || p->Kind != rtl::pkWideStrings) return nullptr;
  return dynamic_cast<TWideStrings*>(p->GetObject(*c));
}

AnsiString vuzWithoutLastLineBreak(AnsiString text) {
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  return text;
}

namespace {

const rtl::TPropInfo* FindProperty(const rtl::TClassInfo& cls, std::string_view name) {
  return vuzCachedProperty(cls, name);
}

bool IsReportObject(TfrxComponent* c) { return c && c->IsKind(TfrxComponent::ckReport); }

TWideStrings* MemoLinesOf(TfrxComponent* c) { return vuzMemoLinesOf(c); }

TWideStrings* MemoLines(rtl::TPersistent* object) { return MemoLinesOf(AsComponent(object)); }

AnsiString Attribute(const AnsiString& name, const AnsiString& value) { return " " + name + "=\"" + value + "\""; }

// FloatToStr's text: whole values of at most 15 digits are written as the
// integer itself (the general form keeps 15 digits), which most sizes and
// positions of a template are, without the general conversion.
AnsiString FloatText(long double v) {
  if (v == std::trunc(v) && std::fabs(v) < 1e15L) return std::to_string(static_cast<long long>(v));
  return rtl::FloatToStr(v);
}

}  // namespace

TfrxXMLSerializer::TfrxXMLSerializer(rtl::TStream* stream) : stream_(stream) {
  errors_.SetSorted(true);
  errors_.Duplicates = rtl::dupIgnore;
}

TfrxXMLSerializer::~TfrxXMLSerializer() = default;

void TfrxXMLSerializer::AddError(const AnsiString& text) { errors_.Add(text); }

// ---------------------------------------------------------------- writing

void TfrxXMLSerializer::WriteDefinedData(rtl::TPersistent* object, rtl::TPersistent* ancestor,
                                         rtl::TMemoryStream& out) {
  rtl::TWriter writer(out);
  writer.Root = owner_;
  writer.Ancestor = ancestor;
  writer.WriteDefinedProperties(*object);
}

AnsiString TfrxXMLSerializer::DefinedData(rtl::TPersistent* object, rtl::TPersistent* ancestor) {
  rtl::TMemoryStream own;
  WriteDefinedData(object, ancestor, own);
  if (own.Size() == 0) return AnsiString();
  if (ancestor) {
    rtl::TMemoryStream theirs;
    WriteDefinedData(ancestor, nullptr, theirs);
    if (vuzStreamCRC32(own) == vuzStreamCRC32(theirs)) return AnsiString();
  }
  return vuzStreamToString(own);
}

AnsiString TfrxXMLSerializer::ObjToXML(rtl::TPersistent* object, const AnsiString& prefix, rtl::TPersistent* ancestor) {
  if (!object) return AnsiString();
  if (!ancestor && OnGetAncestor)
    if (auto* c = dynamic_cast<rtl::TComponent*>(object)) ancestor = OnGetAncestor(c->Name());
  if (ancestor && &ancestor->ClassType() != &object->ClassType() &&
      !object->ClassType().InheritsFrom(ancestor->ClassType()))
    ancestor = nullptr;  // an ancestor of another kind answers nothing
  WritingScope writing(object, ancestor);
  const bool all = SerializeDefaultValues;
  AnsiString s;
  s.reserve(256);
  // Each attribute goes straight onto the text: a template has some twenty
  // per object, and building each in pieces first cost more than the rest.
  const rtl::TPropInfo* p = nullptr;
  auto attribute = [&](std::string_view suffix, const AnsiString& value) {
    s += ' ';
    s += prefix;
    s += p->Name;
    s += suffix;
    s += "=\"";
    s += value;
    s += '"';
  };
  auto emit = [&](const AnsiString& value) {
    if (!value.empty()) attribute({}, value);
  };

  for (const rtl::TPropInfo* property : object->ClassType().Properties()) {
    p = property;
    if (!p->IsStored(*object) || !p->HasGetter()) continue;
    switch (p->Kind) {
      case rtl::pkEnumeration:
      case rtl::pkInteger:
      case rtl::pkChar:
      case rtl::pkWideChar:
      case rtl::pkInt64:
      case rtl::pkSet: {
        const long long v = p->GetOrd(*object);
        const bool same = ancestor ? v == p->GetOrd(*ancestor) : p->HasDefault && v == p->Default;
        if (same && !all) break;
        emit(p->Kind == rtl::pkEnumeration && p->EnumType ? p->EnumType->NameOf(v) : rtl::IntToStr(v));
        break;
      }
      case rtl::pkFloat: {
        const long double v = p->GetFloat(*object);
        if (ancestor && !all && std::fabs(v - p->GetFloat(*ancestor)) <= 0.000001L) break;
        emit(FloatText(v));
        break;
      }
      case rtl::pkString:
      case rtl::pkWideString: {
        const AnsiString v = p->GetStr(*object);
        if (!all && (ancestor ? v == p->GetStr(*ancestor) : v.empty())) break;
        emit(vuzStrToXML(v));
        break;
      }
      case rtl::pkVariant: {
        const rtl::Variant v = p->GetVariant(*object);
        const AnsiString text = v.IsNull() || v.IsEmpty() ? AnsiString() : v.AsString();
        if (ancestor && !all) {
          const rtl::Variant a = p->GetVariant(*ancestor);
          const AnsiString theirs = a.IsNull() || a.IsEmpty() ? AnsiString() : a.AsString();
          if (text == theirs && v.IsNull() == a.IsNull()) break;
        }
        emit(vuzStrToXML(text));
        break;
      }
      case rtl::pkComponent: {
        auto* v = dynamic_cast<rtl::TComponent*>(p->GetObject(*object));
        if (ancestor) {
          auto* a = dynamic_cast<rtl::TComponent*>(p->GetObject(*ancestor));
          if (!all && ((!v && !a) || (v && a && rtl::AnsiSameText(v->Name(), a->Name())))) break;
          if (!v && a) {
            emit("nil");
            break;
          }
        }
        if (!v) break;
        emit(vuzGetFullName(owner_, v));
        break;
      }
      case rtl::pkStrings: {
        auto* v = dynamic_cast<rtl::TStrings*>(p->GetObject(*object));
        if (!v) break;
        const AnsiString text = WithoutLastLineBreak(v->Text());
        if (ancestor && !all)
          if (auto* a = dynamic_cast<rtl::TStrings*>(p->GetObject(*ancestor)); a && a->Text() == v->Text()) break;
        attribute(".Text", vuzStrToXML(text));  // an empty list still writes its empty text
        break;
      }
      case rtl::pkPersistent: {
        auto* v = dynamic_cast<rtl::TPersistent*>(p->GetObject(*object));
        if (!v) break;
        rtl::TPersistent* a = ancestor ? dynamic_cast<rtl::TPersistent*>(p->GetObject(*ancestor)) : nullptr;
        s += ObjToXML(v, prefix + p->Name + ".", a);
        break;
      }
      default:  // wide string lists, events
        break;
    }
  }

  if (TWideStrings* lines = MemoLines(object)) {
    TWideStrings* theirs = MemoLines(ancestor);
    if (!theirs || theirs->GetTextStr() != lines->GetTextStr()) {
      // A text may be large: each form is made in place of the one before.
      const AnsiString escaped = vuzUtf8ToXML(WithoutLastLineBreak(rtl::WideToUtf8(lines->GetTextStr())));
      // With room for what follows: a class name before, PropData after.
      s.reserve(s.size() + prefix.size() + escaped.size() + 256);
      s += ' ';
      s += prefix;
      s += "Text=\"";
      s += escaped;
      s += '"';
    }
  }

  const AnsiString data = DefinedData(object, ancestor);
  if (!data.empty()) s += Attribute(prefix + "PropData", data);
  return s;
}

void TfrxXMLSerializer::FillItem(TfrxComponent* object, TfrxXMLItem* item, bool saveChildren, bool saveRealClass,
                                 bool isRoot) {
  // Without recursion: the tree may be as deep as a file made it.
  struct Work {
    TfrxComponent* object;
    TfrxXMLItem* item;
    bool isRoot;
  };
  std::vector<Work> stack{{object, item, isRoot}};
  while (!stack.empty()) {
    Work w = stack.back();
    stack.pop_back();
    if (w.isRoot) {
      w.item->Name = w.object->ClassName();
      w.item->Prop = ObjToXML(w.object);
    } else {
      w.item->Name = w.object->GetIsAncestor() && !saveRealClass ? AnsiString("inherited") : w.object->ClassName();
      w.item->Prop = Attribute("Name", w.object->Name()) + ObjToXML(w.object);
    }
    if (!saveChildren) continue;
    const auto& children = w.object->Objects();
    std::vector<Work> next;
    for (TfrxComponent* child : children) next.push_back({child, w.item->Add(), false});
    stack.insert(stack.end(), next.rbegin(), next.rend());
  }
}

void TfrxXMLSerializer::WriteRootComponent(TfrxComponent* root, bool saveChildren, TfrxXMLItem* item,
                                           bool saveRealClass) {
  if (!owner_) owner_ = root;
  if (item) {
    FillItem(root, item, saveChildren, saveRealClass, true);
    return;
  }
  TfrxXMLDocument doc;
  doc.AutoIndent = true;
  FillItem(root, doc.Root(), saveChildren, saveRealClass, true);
  if (stream_) doc.SaveToStream(*stream_);
}

AnsiString TfrxXMLSerializer::WriteComponentStr(TfrxComponent* object) {
  // The class name goes before the attributes in place when they left room
  // for it: a large text's string is then neither copied nor grown to twice
  // its length.
  AnsiString s = ObjToXML(object);
  const AnsiString name = object->ClassName();
  if (s.capacity() - s.size() >= name.size()) {
    s.insert(0, name);
    return s;
  }
  AnsiString joined;
  joined.reserve(name.size() + s.size());
  joined += name;
  joined += s;
  return joined;
}

void TfrxXMLSerializer::WriteComponent(TfrxComponent* object) {
  const AnsiString s = "<" + WriteComponentStr(object) + "/>";
  if (stream_) stream_->WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

// ---------------------------------------------------------------- reading

AnsiString TfrxXMLSerializer::DecodeString(const AnsiString& escaped) const {
  return OldFormat ? vuzXMLToStr(escaped) : rtl::Utf8ToAnsi(vuzXMLToUtf8(escaped));
}

void TfrxXMLSerializer::ReadPropData(rtl::TPersistent* object, const AnsiString& hex) {
  // The stream is cut to the decoded bytes, so nothing of a longer earlier
  // value is read again.
  readerStream_.SetSize(0);
  vuzStringToStream(hex, readerStream_);
  readerStream_.SetSize(readerStream_.Position());
  ReadPropStream(object);
}

void TfrxXMLSerializer::ReadPropBytes(rtl::TPersistent* object, const AnsiString& bytes) {
  readerStream_.SetSize(0);
  readerStream_.SetPosition(0);
  readerStream_.WriteString(bytes);
  ReadPropStream(object);
}

void TfrxXMLSerializer::ReadPropStream(rtl::TPersistent* object) {
  readerStream_.SetPosition(0);
  rtl::TReader reader(readerStream_);
  reader.Root = owner_;
  try {
    reader.ReadProperties(*object);
  } catch (const std::exception&) {
    // The first bad record ends the property data without a message.
  }
  for (const auto& ref : reader.References)
    if (const rtl::TPropInfo* p = FindProperty(ref.object->ClassType(), ref.property))
      AddFixup(ref.object, p, ref.name);
}

void TfrxXMLSerializer::ApplyProperty(rtl::TPersistent* object, const rtl::TPropInfo& p, std::string_view name,
                                      const AnsiString& value) {
  if (!p.HasSetter()) return;
  switch (p.Kind) {
    case rtl::pkEnumeration: {
      std::int64_t ordinal = 0;
      if (rtl::TryStrToInt64(value, ordinal)) return p.SetOrd(*object, ordinal);
      const int v = p.EnumType ? p.EnumType->ValueOf(value) : -1;
      // An unknown name would store an ordinal no enumeration holds: refuse it
      // and keep the value.
      if (v < 0) throw rtl::EPropertyError("Invalid property value: " + AnsiString(name) + "=\"" + value + "\"");
      return p.SetOrd(*object, v);
    }
    case rtl::pkFloat: return p.SetFloat(*object, vuzStrToFloat(value));
    case rtl::pkString: return p.SetStr(*object, DecodeString(value));
    case rtl::pkWideString:
      return p.SetWideStr(*object,
                          OldFormat ? rtl::AnsiToWide(vuzXMLToStr(value)) : rtl::Utf8ToWide(vuzXMLToUtf8(value)));
    case rtl::pkComponent: return AddFixup(object, &p, value);
    case rtl::pkVariant: return p.SetVariant(*object, rtl::Variant(DecodeString(value)));
    case rtl::pkInteger:
    case rtl::pkChar:
    case rtl::pkWideChar:
    case rtl::pkSet: return p.SetOrd(*object, rtl::StrToInt(value));
    case rtl::pkInt64: return p.SetOrd(*object, rtl::StrToInt64(value));
    default:  // objects and events take no attribute value
      return;
  }
}

void TfrxXMLSerializer::ApplyAttribute(rtl::TPersistent* object, const AnsiString& name, const AnsiString& value) {
  ApplyAttribute(object, ObjectTraits::Of(object), name, value);
}

TfrxXMLSerializer::ObjectTraits TfrxXMLSerializer::ObjectTraits::Of(rtl::TPersistent* object) {
  ObjectTraits t;
  t.component = AsComponent(object);
  t.report = IsReportObject(t.component);
  t.lines = MemoLinesOf(t.component);
  return t;
}

void TfrxXMLSerializer::ApplyAttribute(rtl::TPersistent* object, const ObjectTraits& traits, std::string_view name,
                                       std::string_view value) {
  rtl::TPersistent* target = object;
  std::string_view rest = name;
  const bool dotted = rest.find('.') != std::string_view::npos;
  for (std::size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
    const rtl::TPropInfo* p = FindProperty(target->ClassType(), rest.substr(0, dot));
    if (!p || !rtl::IsObjectKind(p->Kind)) return;  // a part that names no object: ignored
    target = dynamic_cast<rtl::TPersistent*>(p->GetObject(*target));
    if (!target) return;
    rest.remove_prefix(dot + 1);
  }
  const std::string_view last = rest;

  // Undotted names apply to the object itself, whose kind was found once.
  if (!dotted && last.size() == 1) {
    TfrxComponent* c = traits.component;
    switch (last[0]) {
      case 'l':
        if (c) c->SetLeft(vuzStrToFloat(AnsiString(value)));
        return;
      case 't':
        if (c) c->SetTop(vuzStrToFloat(AnsiString(value)));
        return;
      case 'w':
        if (c) c->SetWidth(vuzStrToFloat(AnsiString(value)));
        return;
      case 'h':
        if (c) c->SetHeight(vuzStrToFloat(AnsiString(value)));
        return;
      case 'u':
      case 'x':
        if (TWideStrings* lines = traits.lines) {
          lines->SetTextStr(last[0] == 'u' ? rtl::Utf8ToWide(vuzXMLToUtf8(value))
                                           : rtl::AnsiToWide(vuzXMLToStr(value)));
          return;
        }
        break;
      default: break;
    }
  }
  if (last == "Text") {
    if (auto* list = dynamic_cast<rtl::TStrings*>(target)) return list->SetText(DecodeString(AnsiString(value)));
    if (auto* wide = dynamic_cast<TWideStrings*>(target)) return wide->SetTextStr(rtl::AnsiToWide(vuzXMLToStr(value)));
    if (TWideStrings* lines = dotted ? MemoLines(target) : traits.lines)
      return lines->SetTextStr(rtl::Utf8ToWide(vuzXMLToUtf8(value)));
  }
  if (last == "PropData") return ReadPropData(target, AnsiString(value));
  if (!dotted && traits.report && rtl::SameText(last, "Name")) return;
  if (const rtl::TPropInfo* p = FindProperty(target->ClassType(), last))
    ApplyProperty(target, *p, name, AnsiString(value));
}

namespace {

// Calls f(name, valueStart, valueEnd) for each attribute of an attribute
// text, as XMLToObj reads them.
template <typename F>
void ForEachAttribute(std::string_view text, F f) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const std::size_t eq = text.find('=', pos);
    if (eq == std::string_view::npos) break;
    std::string_view name(text.data() + pos, eq - pos);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty()) break;
    const std::size_t open = text.find('"', eq);
    if (open == std::string_view::npos) break;
    std::size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) close = text.size();
    f(name, open + 1, close);
    pos = close + 1;
  }
}

// An undotted attribute that sets a text object's whole text.
bool IsTextAttribute(std::string_view name) { return name == "u" || name == "x" || name == "Text"; }

}  // namespace

void TfrxXMLSerializer::XMLToObj(std::string_view text, rtl::TPersistent* object) { XMLToObj(text, object, false); }

void TfrxXMLSerializer::XMLToObj(std::string_view text, rtl::TPersistent* object, bool skipText) {
  if (!object) return;
  const ObjectTraits traits = ObjectTraits::Of(object);
  ForEachAttribute(text, [&](std::string_view name, std::size_t from, std::size_t to) {
    if (skipText && traits.lines && IsTextAttribute(name)) return;
    try {
      ApplyAttribute(object, traits, name, text.substr(from, to - from));
    } catch (const std::exception& e) {
      AddError(e.what());
    }
  });
}

void TfrxXMLSerializer::AddFixup(rtl::TPersistent* object, const rtl::TPropInfo* property, const AnsiString& value) {
  fixups_.push_back({object, property, value});
}

void TfrxXMLSerializer::ClearFixups() { fixups_.clear(); }

void TfrxXMLSerializer::CopyFixupList(std::vector<TfrxFixupItem>* list) const {
  if (list) list->insert(list->end(), fixups_.begin(), fixups_.end());
}

void TfrxXMLSerializer::FixupReferences() {
  std::vector<TfrxFixupItem> pending;
  pending.swap(fixups_);
  for (const TfrxFixupItem& f : pending) {
    try {
      // "nil" clears a reference, also one an inherited object brought along.
      if (rtl::SameText(f.Value, "nil")) {
        f.Property->SetObject(*f.Object, nullptr);
        continue;
      }
      rtl::TComponent* found = owner_ ? owner_->FindObject(f.Value) : nullptr;
      if (!found) found = vuzFindComponent(owner_, f.Value);
      if (found) f.Property->SetObject(*f.Object, found);
    } catch (const std::exception&) {
      // An unresolvable reference stays as it was.
    }
  }
}

void TfrxXMLSerializer::ReadRootComponent(TfrxComponent* root, TfrxXMLItem* item) {
  std::unique_ptr<TfrxXMLDocument> doc;
  if (!item) {
    doc = std::make_unique<TfrxXMLDocument>();
    if (stream_) doc->LoadFromStream(*stream_);
    OldFormat = doc->OldVersion();
    item = doc->Root();
  }
  if (!owner_) owner_ = root;
  std::vector<TfrxComponent*> touched;

  struct Work {
    TfrxXMLItem* item;
    TfrxComponent* parent;  // nil for the root item
    int depth;
  };
  std::vector<Work> stack{{item, nullptr, 0}};
  while (!stack.empty()) {
    const Work w = stack.back();
    stack.pop_back();
    const bool inherited = rtl::SameText(w.item->Name, "inherited");
    TfrxComponent* object = nullptr;
    if (!w.parent) {
      object = root;
    } else {
      if (w.depth > kMaxDepth) {
        AddError("Nesting too deep: " + w.item->Name);
        continue;
      }
      const rtl::TClassEntry* entry = inherited ? nullptr : rtl::GetClass(w.item->Name);
      if (!inherited && !entry) {
        AddError(vuzResources().Get("xrCantFindClass") + " " + w.item->Name);
        continue;
      }
      const AnsiString name = w.item->GetProp("Name");
      if (!name.empty() && owner_) {
        // An object of that name the owner already holds is reused.
        object = owner_->FindObject(name);
        if (object && object->Owner() != owner_) object = nullptr;
      }
      if (!object && !inherited) {
        std::unique_ptr<rtl::TPersistent> made(entry->create(w.parent));
        object = dynamic_cast<TfrxComponent*>(made.get());
        if (!object) {
          AddError(vuzResources().Get("xrCantFindClass") + " " + w.item->Name);
          continue;
        }
        made.release();  // the parent (through the report) owns it now
      }
      if (!object) continue;  // an inherited item without its object
    }
    object->SetIsLoading(true);
    XMLToObj(w.item->Prop, object);
    touched.push_back(object);
    for (int i = w.item->Count() - 1; i >= 0; --i) stack.push_back({w.item->Items(i), object, w.depth + 1});
  }

  FixupReferences();
  for (TfrxComponent* c : touched) {
    c->SetIsLoading(false);
    if (!c->IsA("TfrxReport")) c->Loaded();
  }
}

TfrxComponent* TfrxXMLSerializer::ReadComponentStr(rtl::TComponent* owner, std::string_view text, bool dontFixup) {
  return ReadComponentStr(owner, text, {}, dontFixup);
}

TfrxComponent* TfrxXMLSerializer::ReadComponentStr(rtl::TComponent* owner, std::string_view text, std::string_view more,
                                                   bool dontFixup) {
  if (auto* fr = dynamic_cast<TfrxComponent*>(owner)) owner_ = fr;
  // Trimmed as the two joined by a blank would be: the first text's leading
  // and the second's trailing control characters and blanks.
  auto blankOrControl = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blankOrControl(text.front())) text.remove_prefix(1);
  if (text.empty()) {
    text = more;
    more = {};
    while (!text.empty() && blankOrControl(text.front())) text.remove_prefix(1);
  }
  while (!more.empty() && blankOrControl(more.back())) more.remove_suffix(1);
  if (more.empty())
    while (!text.empty() && blankOrControl(text.back())) text.remove_suffix(1);
  if (text.empty()) return nullptr;
  const std::size_t blank = text.find(' ');
  const AnsiString className(text.substr(0, blank));
  const std::string_view attributes = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
  std::unique_ptr<rtl::TPersistent> made(rtl::FindClass(className).create(owner));
  auto* object = dynamic_cast<TfrxComponent*>(made.get());
  if (!object) throw rtl::EClassNotFound("Class " + className + " not found");
  made.release();
  object->SetIsLoading(true);
  struct Finish {
    TfrxXMLSerializer& s;
    TfrxComponent* object;
    bool dontFixup;
    ~Finish() {
      if (dontFixup)
        s.ClearFixups();
      else
        s.FixupReferences();
      object->SetIsLoading(false);
      if (!object->IsA("TfrxReport")) object->Loaded();
    }
  } finish{*this, object, dontFixup};
  // A text the second part sets replaces the first part's whole: the first
  // one's is not read (a prepared page's text object over its template).
  bool moreSetsText = false;
  ForEachAttribute(more, [&](std::string_view name, std::size_t, std::size_t) {
    moreSetsText = moreSetsText || IsTextAttribute(name);
  });
  XMLToObj(attributes, object, moreSetsText);
  if (!more.empty()) XMLToObj(more, object);
  return object;
}

TfrxComponent* TfrxXMLSerializer::ReadComponent(rtl::TComponent* owner) {
  if (!stream_) return nullptr;
  TfrxXMLReader reader(*stream_);
  AnsiString name, text;
  reader.ReadItem(name, text);
  if (!text.empty() && text.back() == '/') text.pop_back();
  return ReadComponentStr(owner, name + " " + text);
}

void TfrxXMLSerializer::ReadPersistentStr(TfrxComponent* root, rtl::TPersistent* object, const AnsiString& text) {
  if (!owner_) owner_ = root;
  XMLToObj(text, object);
  FixupReferences();
}

// ---------------------------------------------------------------- collections

void vuzWriteCollection(rtl::TCollection& collection, rtl::TWriter& writer, TfrxComponent* component) {
  if (!component || !component->IsWriting()) {
    writer.WriteCollection(collection);
    return;
  }
  TfrxXMLSerializer serializer(nullptr);
  serializer.SetOwner(component->GetReport() ? component->GetReport() : component);
  writer.WriteListBegin();
  for (int i = 0; i < collection.Count(); ++i) {
    writer.WriteListBegin();
    const AnsiString text = serializer.ObjToXML(collection.Items(i));
    writer.WriteValue(rtl::vaLString);
    const auto n = static_cast<std::uint32_t>(text.size());
    writer.Stream().WriteBuffer(&n, 4);
    writer.Stream().WriteBuffer(text.data(), n);
    writer.WriteListEnd();
  }
  writer.WriteListEnd();
}

namespace {
// Older streams kept characters above 127 as code 1 followed by the code less 128.
AnsiString DecodeHighCharacters(const AnsiString& s) {
  AnsiString out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\x01' && i + 1 < s.size()) {
      out += static_cast<char>(static_cast<unsigned char>(s[i + 1]) + 128);
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}
}  // namespace

void vuzReadCollection(rtl::TCollection& collection, rtl::TReader& reader, TfrxComponent* component) {
  if (reader.NextValue() == rtl::vaCollection) {
    reader.ReadCollection(collection);
    for (int i = 0; i < collection.Count(); ++i) {
      rtl::TCollectionItem* item = collection.Items(i);
      for (const rtl::TPropInfo* p : item->ClassType().Properties()) {
        if (!p->HasSetter()) continue;
        if (p->Kind == rtl::pkString || p->Kind == rtl::pkWideString) {
          const AnsiString v = p->GetStr(*item);
          const AnsiString decoded = DecodeHighCharacters(v);
          if (decoded != v) p->SetStr(*item, decoded);
        } else if (p->Kind == rtl::pkVariant) {
          const rtl::Variant v = p->GetVariant(*item);
          if (v.IsString()) p->SetVariant(*item, rtl::Variant(DecodeHighCharacters(v.AsString())));
        }
      }
    }
    return;
  }
  TfrxComponent* report = component ? component->GetReport() : nullptr;
  TfrxReportServices* services = component ? component->GetReportServices() : nullptr;
  TfrxXMLSerializer* loading = services ? services->ActiveSerializer() : nullptr;
  std::unique_ptr<TfrxXMLSerializer> temporary;
  if (!loading) {
    temporary = std::make_unique<TfrxXMLSerializer>(nullptr);
    temporary->SetOwner(report ? report : component);
  }
  collection.Clear();
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    reader.ReadListBegin();
    rtl::TCollectionItem* item = collection.Add();
    while (!reader.EndOfList()) {
      const AnsiString text = reader.ReadString();
      if (loading)
        loading->XMLToObj(text, item);
      else
        temporary->ReadPersistentStr(report ? report : component, item, text);
    }
    reader.ReadListEnd();
  }
  reader.ReadListEnd();
}

}  // namespace report
