// The one runtime value type of both engines. A Variant is 16 bytes: the
// payload and a 16-bit type code. Numbers, booleans, dates and automation
// references live inline and never allocate; strings and arrays share a
// reference-counted block and copy it on write, so copying any Variant is
// cheap and a copy never sees a later change of the original.
//
// Host objects travel as Integer values holding a handle from ObjectHandles
// (object_handles.h), never as addresses; nil is 0.
//
// Conversion and operator rules (Null, Empty, mixed kinds) are in
// platform/rtl/README.md, "Values and formatting"; tests/platform/rtl keeps them
// as tables.
#pragma once
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <type_traits>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"

namespace rtl {

// Variant type codes: the published numbering scripts see through VarType.
using TVarType = uint16_t;
inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varSingle = 0x0004;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;
inline constexpr TVarType varDispatch = 0x0009;
inline constexpr TVarType varError = 0x000A;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;
inline constexpr TVarType varUnknown = 0x000D;
inline constexpr TVarType varExtended = 0x000F;  // our own code: an 80-bit float
inline constexpr TVarType varShortInt = 0x0010;
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varStrArg = 0x0048;
inline constexpr TVarType varString = 0x0100;
inline constexpr TVarType varAny = 0x0101;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;

// The integer kinds, listed once: every conversion and test treats them alike
// (booleans and errors, stored as integers too, are not among them).
constexpr bool IsOrdinalType(TVarType t) noexcept {
  return t == varSmallint || t == varInteger || t == varShortInt || t == varByte || t == varWord || t == varLongWord ||
         t == varInt64;
}
inline constexpr TVarType varByRef = 0x4000;

class Variant;

// Currency: a 64-bit count of ten-thousandths.
struct Currency {
  int64_t scaled = 0;
  static Currency FromScaled(int64_t s) { return Currency{s}; }
  // Rounds to four decimals, halves to even; out of range raises EOverflow.
  static Currency FromFloat(long double value);
  long double ToFloat() const { return static_cast<long double>(scaled) / 10000.0L; }
  friend bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
};

// How a late-bound member is reached on an automation object.
enum class DispatchKind { Method, PropertyGet, PropertyPut };

// An automation object: reference counted, called by member name. The Variant
// holds one reference for as long as it holds the object.
class IDispatch {
 public:
  virtual void AddRef() = 0;
  virtual void Release() = 0;
  virtual Variant Invoke(std::string_view name, DispatchKind kind, std::span<Variant> args) = 0;

 protected:
  virtual ~IDispatch() = default;
};

// A ready reference count for automation objects made with new.
class DispatchObject : public IDispatch {
 public:
  void AddRef() override { refs_.fetch_add(1, std::memory_order_relaxed); }
  void Release() override {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }

 private:
  std::atomic<int> refs_{0};
};

namespace detail {
struct StringBlock;
struct WideBlock;
struct ArrayBlock;
}  // namespace detail

class Variant {
 public:
  Variant() noexcept : meta_(varEmpty) {}
  Variant(bool v) noexcept : meta_(varBoolean) { Put<int16_t>(v ? -1 : 0); }
  template <class T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
           !std::is_same_v<T, char16_t> && !std::is_same_v<T, char32_t> && !std::is_same_v<T, wchar_t>) Variant(T v)
  noexcept {
    if constexpr (sizeof(T) == 8) {
      meta_ = varInt64;
      Put<int64_t>(static_cast<int64_t>(v));
    } else if constexpr (std::is_signed_v<T>) {
      meta_ = sizeof(T) == 1 ? varShortInt : sizeof(T) == 2 ? varSmallint : varInteger;
      Put<int32_t>(v);
    } else {
      meta_ = sizeof(T) == 1 ? varByte : sizeof(T) == 2 ? varWord : varLongWord;
      Put<uint32_t>(v);
    }
  }
  Variant(float v) noexcept : meta_(varSingle) { Put<float>(v); }
  Variant(double v) noexcept : meta_(varDouble) { Put<double>(v); }
  // An 80-bit value is narrowed to a double, as values keep them; FromExtended
  // keeps all 64 bits of the mantissa where a host needs them.
  Variant(long double v) noexcept : meta_(varDouble) { Put<double>(static_cast<double>(v)); }
  Variant(Currency v) noexcept : meta_(varCurrency) { Put<int64_t>(v.scaled); }
  Variant(const char* s);
  Variant(std::string_view s);
  Variant(const AnsiString& s);
  Variant(AnsiString&& s);
  Variant(const CpLiteral& s) : Variant(std::string_view(s)) {}
  Variant(std::u16string_view s);
  Variant(const WideString& s) : Variant(std::u16string_view(s)) {}
  Variant(const char16_t* s) : Variant(std::u16string_view(s)) {}

  static Variant Null() noexcept {
    Variant v;
    v.meta_ = varNull;
    return v;
  }
  static Variant FromExtended(long double v) noexcept {
    Variant r;
    r.PutExtended(v);
    return r;
  }
  // Days since 30 December 1899; the fraction is the time of day.
  static Variant FromDate(double dateTime) noexcept {
    Variant v;
    v.meta_ = varDate;
    v.Put<double>(dateTime);
    return v;
  }
  // Takes a reference of its own to the object (nullptr gives a nil reference).
  static Variant FromDispatch(IDispatch* object) noexcept;
  // An error code (varError); the runtime uses it for a left-out optional argument.
  static Variant FromError(int32_t code) noexcept {
    Variant v;
    v.meta_ = varError;
    v.Put<int32_t>(code);
    return v;
  }

  Variant(const Variant& other) noexcept : payload_(other.payload_), meta_(other.meta_) {
    if (IsHeapType(tag())) AddRefHeap();
  }
  Variant(Variant&& other) noexcept : payload_(other.payload_), meta_(other.meta_) { other.meta_ = varEmpty; }
  Variant& operator=(const Variant& other) noexcept {
    if (this != &other) {
      Variant copy(other);
      *this = static_cast<Variant&&>(copy);
    }
    return *this;
  }
  Variant& operator=(Variant&& other) noexcept {
    if (this != &other) {
      if (IsHeapType(tag())) ReleaseHeap();
      payload_ = other.payload_;
      meta_ = other.meta_;
      other.meta_ = varEmpty;
    }
    return *this;
  }
  ~Variant() {
    if (IsHeapType(tag())) ReleaseHeap();
  }

  // The type code; an array answers varArray | its element type.
  TVarType Type() const noexcept;
  bool IsEmpty() const noexcept { return tag() == varEmpty; }
  bool IsNull() const noexcept { return tag() == varNull; }
  bool IsArray() const noexcept { return tag() == kArrayTag; }
  bool IsAnsiString() const noexcept { return tag() == varString; }
  bool IsString() const noexcept { return tag() == varString || tag() == varOleStr; }
  bool IsBoolean() const noexcept { return tag() == varBoolean; }
  // Integer kinds: Smallint, Integer, ShortInt, Byte, Word, LongWord, Int64.
  bool IsOrdinal() const noexcept;
  // Single, Double, Extended, Currency, Date.
  bool IsFloat() const noexcept;
  bool IsNumeric() const noexcept { return IsOrdinal() || IsFloat(); }

  // Conversions by the runtime's rules: Empty is 0 / False / ""; Null and
  // text that is not a number raise EConvertError; floats become integers
  // with halves to even, and a value outside the target raises ERangeError.
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  double AsDouble() const;
  long double AsExtended() const;
  Currency AsCurrency() const;
  double AsDate() const;
  bool AsBoolean() const;
  AnsiString AsString() const;  // 8-bit 1251 text
  WideString AsWideString() const;
  IDispatch* AsDispatch() const;  // borrowed; nullptr for Empty or a nil reference

  // The stored text without a copy; only for varString values.
  const AnsiString& StringRef() const;
  // The stored text, made unique so it can be changed in place; only for
  // varString values (a string designator writes single characters this way).
  AnsiString& MutableString();

  // The value converted to another kind (VarAsType). varVariant returns a copy.
  Variant ChangeType(TVarType type) const;

  // Array elements, one index per dimension; a wrong index count or an index
  // outside the bounds raises EVariantError "Variant array index out of
  // bounds", a value that is not an array "Variant is not an array".
  Variant GetElement(std::span<const int32_t> indices) const;
  void PutElement(std::span<const int32_t> indices, const Variant& value);
  // The element itself, for in-place access; the array is made unique first.
  Variant& ElementRef(std::span<const int32_t> indices);
  Variant operator[](int32_t index) const { return GetElement({&index, 1}); }

  friend struct detail::ArrayBlock;
  friend Variant VarArrayCreate(std::span<const int32_t> bounds, TVarType elementType);
  friend int VarArrayDimCount(const Variant& v) noexcept;
  friend int32_t VarArrayLowBound(const Variant& v, int dim);
  friend int32_t VarArrayHighBound(const Variant& v, int dim);
  friend void VarArrayRedim(Variant& v, int32_t highBound);

  // Raw access for the operator and conversion units.
  TVarType RawType() const noexcept { return tag(); }
  // Any integer kind, boolean, error.
  int64_t RawInt() const noexcept {
    switch (tag()) {
      case varByte:
      case varWord:
      case varLongWord: return Get<uint32_t>();
      case varInt64: return Get<int64_t>();
      case varBoolean: return Get<int16_t>();
      case varSmallint:
      case varInteger:
      case varShortInt:
      case varError: return Get<int32_t>();
      default: return 0;
    }
  }
  double RawDouble() const noexcept { return Get<double>(); }
  float RawSingle() const noexcept { return Get<float>(); }
  long double RawExtended() const noexcept;
  int64_t RawCurrency() const noexcept { return Get<int64_t>(); }
  // The array block; the mutable form makes it unique first. Only for arrays.
  detail::ArrayBlock& Array();
  const detail::ArrayBlock& Array() const;

 private:
  static constexpr TVarType kArrayTag = varArray;  // the element type lives in the block

  static constexpr bool IsHeapType(TVarType t) noexcept {
    return t == varOleStr || t == varDispatch || t == varString || t == kArrayTag;
  }
  template <class T>
  T Get() const noexcept {
    T t;
    __builtin_memcpy(&t, &payload_, sizeof(T));
    return t;
  }
  // Whole-word stores only: a later copy reads both words at once, and a
  // word assembled from smaller stores would stall that read.
  template <class T>
  void Put(T t) noexcept {
    static_assert(sizeof(T) <= 8);
    uint64_t word = 0;
    __builtin_memcpy(&word, &t, sizeof(T));
    payload_ = word;
  }
  void PutExtended(long double v) noexcept;  // sets the tag too
  void* Ptr() const noexcept { return Get<void*>(); }
  TVarType tag() const noexcept { return static_cast<TVarType>(meta_); }
  void ReleaseHeap() noexcept;
  void AddRefHeap() const noexcept;

  // payload_: the value, or a block pointer. meta_: the type code in the low
  // 16 bits; for an Extended, its sign and exponent in the next 16.
  uint64_t payload_ = 0;
  uint64_t meta_ = varEmpty;
};

static_assert(sizeof(Variant) == 16, "a Variant is a 16-byte tagged value");

inline TVarType VarType(const Variant& v) noexcept { return v.Type(); }
inline bool VarIsEmpty(const Variant& v) noexcept { return v.IsEmpty(); }
inline bool VarIsNull(const Variant& v) noexcept { return v.IsNull(); }
inline bool VarIsArray(const Variant& v) noexcept { return v.IsArray(); }
// Empty or Null.
inline bool VarIsClear(const Variant& v) noexcept { return v.IsEmpty() || v.IsNull(); }
inline bool VarIsStr(const Variant& v) noexcept { return v.IsString(); }
inline bool VarIsOrdinal(const Variant& v) noexcept { return v.IsOrdinal(); }
inline bool VarIsFloat(const Variant& v) noexcept { return v.IsFloat(); }
inline bool VarIsNumeric(const Variant& v) noexcept { return v.IsNumeric(); }
inline Variant VarAsType(const Variant& v, TVarType type) { return v.ChangeType(type); }
// The value as text; Null and Empty give the empty text.
AnsiString VarToStr(const Variant& v);
WideString VarToWideStr(const Variant& v);
// The name of a type code as the error texts show it: "Integer", "String",
// "Array Variant" ...
AnsiString VarTypeAsText(TVarType type);

// ---- arrays ----------------------------------------------------------------

// bounds: low and high bound of each dimension in turn (1 to 3 dimensions).
// Elements start as Empty for varVariant, else as the zero of their type;
// values stored into a typed array are converted to the element type.
Variant VarArrayCreate(std::span<const int32_t> bounds, TVarType elementType);
inline Variant VarArrayCreate(std::initializer_list<int32_t> bounds, TVarType elementType) {
  return VarArrayCreate(std::span<const int32_t>(bounds.begin(), bounds.size()), elementType);
}
// A one-dimensional varVariant array with bounds 0 to count - 1.
Variant VarArrayOf(std::span<const Variant> values);
Variant VarArrayOf(std::initializer_list<Variant> values);
// Dimension count of an array, 0 for any other value.
int VarArrayDimCount(const Variant& v) noexcept;
// dim is 1-based; a value that is not an array or a dimension outside the
// array raises EVariantError.
int32_t VarArrayLowBound(const Variant& v, int dim);
int32_t VarArrayHighBound(const Variant& v, int dim);
// Changes the high bound of the last dimension, keeping the elements that
// stay inside (SetLength of an array).
void VarArrayRedim(Variant& v, int32_t highBound);

// ---- operators ---------------------------------------------------------------

enum class VarCompareResult { Less, Equal, Greater, NotEqual /* unordered */ };

Variant VarAdd(const Variant& a, const Variant& b);
Variant VarSub(const Variant& a, const Variant& b);
Variant VarMul(const Variant& a, const Variant& b);
Variant VarDiv(const Variant& a, const Variant& b);     // "/": always a float
Variant VarIntDiv(const Variant& a, const Variant& b);  // div
Variant VarMod(const Variant& a, const Variant& b);
Variant VarAnd(const Variant& a, const Variant& b);
Variant VarOr(const Variant& a, const Variant& b);
Variant VarXor(const Variant& a, const Variant& b);
Variant VarShl(const Variant& a, const Variant& b);
Variant VarShr(const Variant& a, const Variant& b);
Variant VarNot(const Variant& a);
Variant VarNeg(const Variant& a);
// Both operands as text, joined (Basic's "&" when the left side is a string).
Variant VarConcat(const Variant& a, const Variant& b);

VarCompareResult VarCompare(const Variant& a, const Variant& b);
bool VarEquals(const Variant& a, const Variant& b);  // "="
bool VarLess(const Variant& a, const Variant& b);
bool VarLessEq(const Variant& a, const Variant& b);
bool VarGreater(const Variant& a, const Variant& b);
bool VarGreaterEq(const Variant& a, const Variant& b);

inline Variant operator+(const Variant& a, const Variant& b) { return VarAdd(a, b); }
inline Variant operator-(const Variant& a, const Variant& b) { return VarSub(a, b); }
inline Variant operator*(const Variant& a, const Variant& b) { return VarMul(a, b); }
inline Variant operator/(const Variant& a, const Variant& b) { return VarDiv(a, b); }
inline Variant operator-(const Variant& a) { return VarNeg(a); }
inline bool operator==(const Variant& a, const Variant& b) { return VarEquals(a, b); }
inline bool operator<(const Variant& a, const Variant& b) { return VarLess(a, b); }
inline bool operator<=(const Variant& a, const Variant& b) { return VarLessEq(a, b); }
inline bool operator>(const Variant& a, const Variant& b) { return VarGreater(a, b); }
inline bool operator>=(const Variant& a, const Variant& b) { return VarGreaterEq(a, b); }

// The same kind and the same value, exactly (for tests and caches; 1 and 1.0
// differ, two Nulls are identical).
bool VarSameValue(const Variant& a, const Variant& b);

}  // namespace rtl
