// Published-property reflection: the one description of classes and their
// stored properties that both engines read (the template reader and writer of
// the report engine, the script engine's host classes, the property editors).
//
// Every reflected class has a TClassInfo: its name, its parent's info, an
// optional factory, and its published properties in stored order (those first
// published by a base class first, then each class's own in declaration
// order). A class registers in one visible block, built on first use:
//
//   const rtl::TClassInfo& TMyView::StaticClass() {
//     static const rtl::TClassInfo info = rtl::TClassBuilder<TMyView>("TMyView", &TBase::StaticClass())
//         .Creatable()
//         .Property("Visible", &TMyView::Visible, &TMyView::SetVisible).Default(true)
//         .Property("Font", &TMyView::Font, &TMyView::SetFont).Stored(&TMyView::IsFontStored)
//         .Enum("Align", AlignType(), &TMyView::Align, &TMyView::SetAlign).Default(baNone)
//         .Build();
//     return info;
//   }
//
// and declares RTL_CLASS_INFO in its body. Setters keep their side effects:
// the reader applies properties in stored order through them.
//
// Property kinds follow the getter's type: bool is an enumeration of
// BooleanType(); other integers are Integer; floating point is Float;
// AnsiString, WideString and Variant their own kinds; a pointer to a
// TComponent is a component reference, to a TStrings a string list, to any
// other reflected TPersistent an owned sub-object (its properties are reached
// with dotted names: "Font.Name", "Frame.LeftLine.Color"). Enumerations and
// sets name their type with Enum and Set. Events are declared with Event.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace rtl {

class TComponent;
class TStrings;
class TFiler;

enum TPropKind : std::uint8_t {
  pkInteger,      // 32-bit ordinal (colours, counts, tags)
  pkChar,         // one 8-bit character, as its code
  pkWideChar,     // one UTF-16 unit, as its code
  pkInt64,        // 64-bit ordinal
  pkEnumeration,  // ordinal with names (Boolean included)
  pkSet,          // bit mask, member n is bit n
  pkFloat,        // 80-bit extended
  pkString,       // 8-bit (1251) text
  pkWideString,   // UTF-16 text
  pkVariant,      // any value
  pkComponent,    // reference to a component (not owned)
  pkStrings,      // owned TStrings sub-object
  pkWideStrings,  // owned wide string list sub-object
  pkPersistent,   // owned sub-object with its own properties
  pkEvent,        // handler; never stored, not a value
};

// The kinds whose value is an ordinal (GetOrd/SetOrd).
bool IsOrdinalKind(TPropKind kind);
// The kinds whose value is an object (GetObject/SetObject).
bool IsObjectKind(TPropKind kind);

// An enumeration type: its name and the names of its values from 0 upward.
struct TEnumType {
  AnsiString Name;
  std::vector<AnsiString> Names;
  // The value of a name, compared without regard to case; -1 when unknown.
  int ValueOf(std::string_view name) const;
  // The name of a value; the value in decimal when out of range.
  AnsiString NameOf(long long value) const;
};
// "Boolean": False, True.
const TEnumType& BooleanType();

// A set type: a bit mask over an enumeration.
struct TSetType {
  AnsiString Name;
  const TEnumType* Element = nullptr;
};

class TClassInfo;

// One published property of a class.
class TPropInfo {
 public:
  using OrdGetter = std::function<long long(const TObject&)>;
  using OrdSetter = std::function<void(TObject&, long long)>;
  using FloatGetter = std::function<long double(const TObject&)>;
  using FloatSetter = std::function<void(TObject&, long double)>;
  using StrGetter = std::function<AnsiString(const TObject&)>;
  using StrSetter = std::function<void(TObject&, const AnsiString&)>;
  using WStrGetter = std::function<WideString(const TObject&)>;
  using WStrSetter = std::function<void(TObject&, const WideString&)>;
  using VarGetter = std::function<Variant(const TObject&)>;
  using VarSetter = std::function<void(TObject&, const Variant&)>;
  using ObjGetter = std::function<TObject*(const TObject&)>;
  using ObjSetter = std::function<void(TObject&, TObject*)>;
  using StoredFn = std::function<bool(const TObject&)>;

  AnsiString Name;
  TPropKind Kind = pkInteger;
  const TEnumType* EnumType = nullptr;    // enumerations (Boolean included)
  const TSetType* SetType = nullptr;      // sets
  const TClassInfo* PropClass = nullptr;  // object kinds: the declared class
  // The declared default of an ordinal property; without one the value is
  // always stored.
  bool HasDefault = false;
  long long Default = 0;

  // The "stored" test: a constant or a predicate on the object.
  bool IsStored(const TObject& object) const { return stored_ ? stored_(object) : storedConst_; }
  bool HasSetter() const;
  bool HasGetter() const;
  // The type name scripts see: "Boolean", the enumeration's or set's name,
  // the class's name, or a plain kind name ("Integer", "String", ...).
  AnsiString TypeName() const;

  // Typed access. A call that does not fit the kind, or a set without a
  // setter, raises EPropertyError.
  long long GetOrd(const TObject& object) const;
  void SetOrd(TObject& object, long long value) const;
  long double GetFloat(const TObject& object) const;
  void SetFloat(TObject& object, long double value) const;
  // Strings of either width; wide text is narrowed to 1251 and back.
  AnsiString GetStr(const TObject& object) const;
  void SetStr(TObject& object, const AnsiString& value) const;
  WideString GetWideStr(const TObject& object) const;
  void SetWideStr(TObject& object, const WideString& value) const;
  Variant GetVariant(const TObject& object) const;
  void SetVariant(TObject& object, const Variant& value) const;
  TObject* GetObject(const TObject& object) const;
  // Component references store the object; sub-objects copy it (Assign).
  void SetObject(TObject& object, TObject* value) const;

  // Any kind as a Variant: ordinals as Integer (Boolean as Boolean), floats
  // as Extended, texts as strings, objects as their handle (nil is 0), events
  // as Null.
  Variant GetValue(const TObject& object) const;
  // The reverse; an enumeration also accepts one of its names.
  void SetValue(TObject& object, const Variant& value) const;

 private:
  template <class C>
  friend class TClassBuilder;
  friend class TClassInfo;
  OrdGetter getOrd_;
  OrdSetter setOrd_;
  FloatGetter getFloat_;
  FloatSetter setFloat_;
  StrGetter getStr_;
  StrSetter setStr_;
  WStrGetter getWStr_;
  WStrSetter setWStr_;
  VarGetter getVar_;
  VarSetter setVar_;
  ObjGetter getObj_;
  ObjSetter setObj_;
  StoredFn stored_;
  bool storedConst_ = true;
};

using TClassFactoryFn = std::function<TObject*(TComponent* owner)>;

// A class as the runtime knows it.
class TClassInfo {
 public:
  TClassInfo(AnsiString name, const TClassInfo* parent);
  TClassInfo(TClassInfo&&) = default;
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const AnsiString& Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  // True for this class and every descendant.
  bool InheritsFrom(const TClassInfo& other) const;
  // The same by name, compared without regard to case.
  bool InheritsFrom(std::string_view className) const;

  // Every published property, base classes first.
  const std::vector<const TPropInfo*>& Properties() const { return all_; }
  // Compared without regard to case; nullptr when the class has none.
  const TPropInfo* FindProperty(std::string_view name) const;

  bool CanCreate() const { return static_cast<bool>(factory_); }
  // A new object of the class (components get the owner). Raises
  // EClassNotFound for abstract classes.
  TObject* Create(TComponent* owner = nullptr) const;

 private:
  template <class C>
  friend class TClassBuilder;
  void Publish(std::unique_ptr<TPropInfo> prop);
  AnsiString name_;
  const TClassInfo* parent_;
  std::vector<std::unique_ptr<TPropInfo>> own_;
  std::vector<const TPropInfo*> all_;
  TClassFactoryFn factory_;
};

// ---------------------------------------------------------------- dotted access

// Follows a dotted name ("Font.Name", "Frame.LeftLine.Color") through
// sub-object properties. Answers the property of the last part and sets
// target to the object that holds it; nullptr when a part names no property
// or an inner part is not an object.
const TPropInfo* FindPropPath(TObject& object, std::string_view path, TObject*& target);
// Reads and writes a property by (dotted) name, without regard to case.
// An unknown name raises EPropertyError "Unknown property: <name>".
Variant GetPropValue(TObject& object, std::string_view path);
void SetPropValue(TObject& object, std::string_view path, const Variant& value);
// The property as stored text: enumerations by name, sets as the decimal
// mask, floats by the general conversion, objects by name (components) or
// empty.
AnsiString GetPropText(TObject& object, std::string_view path);

// ---------------------------------------------------------------- building

namespace detail {
template <class T>
struct PointerTarget {
  using type = void;
};
template <class T>
struct PointerTarget<T*> {
  using type = std::remove_const_t<T>;
};
template <class T>
const TClassInfo* ClassInfoOf() {
  if constexpr (requires { T::StaticClass(); })
    return &T::StaticClass();
  else
    return nullptr;
}
}  // namespace detail

// Lets a library say which kind a pointer to its class is (the report
// engine's wide string list says WideStrings).
template <class T>
struct PropKindOf {
  static constexpr TPropKind kind = std::is_base_of_v<TComponent, T> ? pkComponent
                                    : std::is_base_of_v<TStrings, T> ? pkStrings
                                                                     : pkPersistent;
};

template <class C>
class TClassBuilder {
 public:
  TClassBuilder(AnsiString name, const TClassInfo* parent) : info_(std::move(name), parent) {}

  // Objects of the class can be made by name (the class has a constructor
  // taking an owner, or a default one).
  TClassBuilder& Creatable() {
    info_.factory_ = [](TComponent* owner) -> TObject* {
      if constexpr (std::is_constructible_v<C, TComponent*>)
        return new C(owner);
      else
        return new C();
    };
    return *this;
  }
  TClassBuilder& Factory(TClassFactoryFn factory) {
    info_.factory_ = std::move(factory);
    return *this;
  }

  // A property whose kind follows the getter's result. The getter is a
  // member function or a callable taking const C&; the setter (optional) a
  // member function or a callable taking C& and the value.
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Property(const AnsiString& name, G getter, S setter = nullptr) {
    using R = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
    auto p = NewProp(name);
    if constexpr (std::is_same_v<R, bool>) {
      p->Kind = pkEnumeration;
      p->EnumType = &BooleanType();
      BindOrd<R>(*p, getter, setter);
    } else if constexpr (std::is_integral_v<R> && sizeof(R) == 1 && std::is_same_v<R, char>) {
      p->Kind = pkChar;
      BindOrd<R>(*p, getter, setter);
    } else if constexpr (std::is_same_v<R, char16_t>) {
      p->Kind = pkWideChar;
      BindOrd<R>(*p, getter, setter);
    } else if constexpr (std::is_integral_v<R> || std::is_enum_v<R>) {
      p->Kind = pkInteger;
      BindOrd<R>(*p, getter, setter);
    } else if constexpr (std::is_floating_point_v<R>) {
      p->Kind = pkFloat;
      p->getFloat_ = [getter](const TObject& o) -> long double {
        return std::invoke(getter, static_cast<const C&>(o));
      };
      if constexpr (!std::is_null_pointer_v<S>)
        p->setFloat_ = [setter](TObject& o, long double v) {
          std::invoke(setter, static_cast<C&>(o), static_cast<R>(v));
        };
    } else if constexpr (std::is_same_v<R, AnsiString>) {
      p->Kind = pkString;
      p->getStr_ = [getter](const TObject& o) -> AnsiString { return std::invoke(getter, static_cast<const C&>(o)); };
      if constexpr (!std::is_null_pointer_v<S>)
        p->setStr_ = [setter](TObject& o, const AnsiString& v) { std::invoke(setter, static_cast<C&>(o), v); };
    } else if constexpr (std::is_same_v<R, WideString>) {
      p->Kind = pkWideString;
      p->getWStr_ = [getter](const TObject& o) -> WideString { return std::invoke(getter, static_cast<const C&>(o)); };
      if constexpr (!std::is_null_pointer_v<S>)
        p->setWStr_ = [setter](TObject& o, const WideString& v) { std::invoke(setter, static_cast<C&>(o), v); };
    } else if constexpr (std::is_same_v<R, Variant>) {
      p->Kind = pkVariant;
      p->getVar_ = [getter](const TObject& o) -> Variant { return std::invoke(getter, static_cast<const C&>(o)); };
      if constexpr (!std::is_null_pointer_v<S>)
        p->setVar_ = [setter](TObject& o, const Variant& v) { std::invoke(setter, static_cast<C&>(o), v); };
    } else if constexpr (std::is_pointer_v<R>) {
      using T = typename detail::PointerTarget<R>::type;
      static_assert(std::is_base_of_v<TObject, T>, "object properties hold TObject descendants");
      p->Kind = PropKindOf<T>::kind;
      p->PropClass = detail::ClassInfoOf<T>();
      p->getObj_ = [getter](const TObject& o) -> TObject* {
        return const_cast<T*>(static_cast<const T*>(std::invoke(getter, static_cast<const C&>(o))));
      };
      if constexpr (!std::is_null_pointer_v<S>)
        p->setObj_ = [setter](TObject& o, TObject* v) {
          T* typed = v ? dynamic_cast<T*>(v) : nullptr;
          if (v && !typed) throw EPropertyError("Invalid property value");
          std::invoke(setter, static_cast<C&>(o), typed);
        };
    } else {
      static_assert(sizeof(R) == 0, "unsupported property type");
    }
    return Publish(std::move(p));
  }

  // An enumeration property: the getter answers the enumeration (or its
  // ordinal), the setter takes it.
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Enum(const AnsiString& name, const TEnumType& type, G getter, S setter = nullptr) {
    using R = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
    auto p = NewProp(name);
    p->Kind = pkEnumeration;
    p->EnumType = &type;
    BindOrd<R>(*p, getter, setter);
    return Publish(std::move(p));
  }
  // A set property: the getter answers the bit mask (member n is bit n).
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Set(const AnsiString& name, const TSetType& type, G getter, S setter = nullptr) {
    using R = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
    auto p = NewProp(name);
    p->Kind = pkSet;
    p->SetType = &type;
    BindOrd<R>(*p, getter, setter);
    return Publish(std::move(p));
  }
  // An ordinal property of another explicit kind (Int64, Char).
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Ordinal(const AnsiString& name, TPropKind kind, G getter, S setter = nullptr) {
    using R = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
    auto p = NewProp(name);
    p->Kind = kind;
    BindOrd<R>(*p, getter, setter);
    return Publish(std::move(p));
  }
  // An event handler: listed (in stored order) but never stored or read as a value.
  TClassBuilder& Event(const AnsiString& name) {
    auto p = NewProp(name);
    p->Kind = pkEvent;
    p->storedConst_ = false;
    return Publish(std::move(p));
  }

  // Modifiers of the property declared last.
  TClassBuilder& Default(long long value) {
    last_->HasDefault = true;
    last_->Default = value;
    return *this;
  }
  TClassBuilder& Stored(bool stored) {
    last_->storedConst_ = stored;
    last_->stored_ = nullptr;
    return *this;
  }
  TClassBuilder& Stored(bool (C::*test)() const) {
    last_->stored_ = [test](const TObject& o) { return (static_cast<const C&>(o).*test)(); };
    return *this;
  }

  TClassInfo Build() { return std::move(info_); }

 private:
  std::unique_ptr<TPropInfo> NewProp(const AnsiString& name) {
    auto p = std::make_unique<TPropInfo>();
    p->Name = name;
    return p;
  }
  TClassBuilder& Publish(std::unique_ptr<TPropInfo> p) {
    last_ = p.get();
    info_.Publish(std::move(p));
    return *this;
  }
  template <class R, class G, class S>
  static void BindOrd(TPropInfo& p, G getter, S setter) {
    p.getOrd_ = [getter](const TObject& o) -> long long {
      return static_cast<long long>(std::invoke(getter, static_cast<const C&>(o)));
    };
    if constexpr (!std::is_null_pointer_v<S>)
      p.setOrd_ = [setter](TObject& o, long long v) { std::invoke(setter, static_cast<C&>(o), static_cast<R>(v)); };
  }

  TClassInfo info_;
  TPropInfo* last_ = nullptr;
};

}  // namespace rtl
