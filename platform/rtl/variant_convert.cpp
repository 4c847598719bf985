// Variant conversions: to the simple kinds, to text, and between kinds.
#include <cmath>
#include <limits>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"
#include "platform/rtl/variant_blocks_p.h"

namespace rtl {

namespace {

[[noreturn]] void CastError(TVarType from, TVarType to) {
  throw EConvertError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (" +
                      VarTypeAsText(to) + ")");
}

[[noreturn]] void OverflowError(TVarType from, TVarType to) {
  throw ERangeError("Arithmetic overflow converting variant of type (" + VarTypeAsText(from) + ") into type (" +
                    VarTypeAsText(to) + ")");
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Rounds a float to an integer in [lo, hi], halves to even.
int64_t FloatToIntChecked(long double f, int64_t lo, int64_t hi, TVarType from, TVarType to) {
  if (std::isnan(f)) OverflowError(from, to);
  long double r = std::nearbyintl(f);  // the default rounding mode: halves to even
  if (!(r >= static_cast<long double>(lo) && r <= static_cast<long double>(hi))) OverflowError(from, to);
  return static_cast<int64_t>(r);
}

int64_t CurrencyToInt(int64_t scaled) {
  int64_t q = scaled / 10000, r = scaled % 10000;
  if (r > 5000 || (r == 5000 && (q & 1))) ++q;
  if (r < -5000 || (r == -5000 && (q & 1))) --q;
  return q;
}

// Integer value of any kind, checked against [lo, hi].
int64_t ToInteger(const Variant& v, int64_t lo, int64_t hi, TVarType to) {
  int64_t result = 0;
  if (IsOrdinalType(v.RawType()) || v.RawType() == varBoolean) {
    result = v.RawInt();
    if (result < lo || result > hi) OverflowError(v.RawType(), to);
    return result;
  }
  switch (v.RawType()) {
    case varEmpty: return 0;
    case varSingle: return FloatToIntChecked(v.RawSingle(), lo, hi, v.RawType(), to);
    case varDouble:
    case varDate: return FloatToIntChecked(v.RawDouble(), lo, hi, v.RawType(), to);
    case varExtended: return FloatToIntChecked(v.RawExtended(), lo, hi, v.RawType(), to);
    case varCurrency: result = CurrencyToInt(v.RawCurrency()); break;
    case varString:
    case varOleStr: {
      AnsiString scratch;
      const AnsiString& text = detail::TextOf(v, scratch);
      if (to != varInt64) {
        int32_t i32;
        if (TryStrToInt(text, i32)) {
          result = i32;
          break;
        }
      }
      if (TryStrToInt64(text, result)) break;
      long double f;
      if (!TryStrToFloat(text, f)) CastError(v.RawType(), to);
      return FloatToIntChecked(f, lo, hi, v.RawType(), to);
    }
    default: CastError(v.Type(), to);
  }
  if (result < lo || result > hi) OverflowError(v.RawType(), to);
  return result;
}

long double ToFloat(const Variant& v, TVarType to) {
  if (IsOrdinalType(v.RawType()) || v.RawType() == varBoolean) return static_cast<long double>(v.RawInt());
  switch (v.RawType()) {
    case varEmpty: return 0;
    case varSingle: return v.RawSingle();
    case varDouble:
    case varDate: return v.RawDouble();
    case varExtended: return v.RawExtended();
    case varCurrency: return static_cast<long double>(v.RawCurrency()) / 10000.0L;
    case varString:
    case varOleStr: {
      AnsiString scratch;
      long double f;
      if (!TryStrToFloat(detail::TextOf(v, scratch), f)) CastError(v.RawType(), to);
      return f;
    }
    default: CastError(v.Type(), to);
  }
}

}  // namespace

AnsiString VarTypeAsText(TVarType type) {
  static const char* const kNames[] = {"Empty",   "Null",     "Smallint", "Integer", "Single",  "Double",   "Currency",
                                       "Date",    "OleStr",   "Dispatch", "Error",   "Boolean", "Variant",  "Unknown",
                                       "Decimal", "Extended", "ShortInt", "Byte",    "Word",    "LongWord", "Int64"};
  TVarType base = type & varTypeMask;
  AnsiString name;
  if (base < std::size(kNames))
    name = kNames[base];
  else if (base == varString)
    name = "String";
  else if (base == varAny)
    name = "Any";
  else
    name = "$" + IntToHex(base, 4);
  if (type & varArray) name = "Array " + name;
  if (type & varByRef) name = "ByRef " + name;
  return name;
}

Currency Currency::FromFloat(long double value) {
  long double scaled = std::nearbyintl(value * 10000.0L);
  if (!(scaled >= -9223372036854775807.0L && scaled <= 9223372036854775807.0L))
    throw EOverflow("Floating point overflow");
  return Currency{static_cast<int64_t>(scaled)};
}

int32_t Variant::AsInteger() const { return static_cast<int32_t>(ToInteger(*this, INT32_MIN, INT32_MAX, varInteger)); }

int64_t Variant::AsInt64() const { return ToInteger(*this, INT64_MIN, INT64_MAX, varInt64); }

long double Variant::AsExtended() const { return ToFloat(*this, varExtended); }

double Variant::AsDouble() const { return static_cast<double>(ToFloat(*this, varDouble)); }

Currency Variant::AsCurrency() const {
  if (IsOrdinalType(tag()) || tag() == varBoolean) {
    int64_t scaled;
    if (__builtin_mul_overflow(RawInt(), int64_t{10000}, &scaled)) OverflowError(tag(), varCurrency);
    return Currency{scaled};
  }
  switch (tag()) {
    case varCurrency: return Currency{RawCurrency()};
    default: {
      long double f = ToFloat(*this, varCurrency);
      if (!(std::fabs(f) < 922337203685477.5807L)) OverflowError(tag(), varCurrency);
      return Currency::FromFloat(f);
    }
  }
}

double Variant::AsDate() const {
  if (tag() == varString || tag() == varOleStr) {
    AnsiString scratch;
    const AnsiString& text = detail::TextOf(*this, scratch);
    TDateTime d;
    if (TryStrToDateTime(text, d)) return d;
    long double f;  // a date may also be written as its day number
    if (TryStrToFloat(text, f) && std::fabs(f) < 1e9) return static_cast<double>(f);
    CastError(tag(), varDate);
  }
  return static_cast<double>(ToFloat(*this, varDate));
}

bool Variant::AsBoolean() const {
  if (IsOrdinalType(tag()) || tag() == varBoolean) return RawInt() != 0;
  switch (tag()) {
    case varEmpty: return false;
    case varSingle:
    case varDouble:
    case varDate:
    case varExtended:
    case varCurrency: return ToFloat(*this, varBoolean) != 0;
    case varString:
    case varOleStr: {
      AnsiString scratch;
      const AnsiString& text = detail::TextOf(*this, scratch);
      if (EqualsNoCase(text, "true")) return true;
      if (EqualsNoCase(text, "false")) return false;
      long double f;
      if (!TryStrToFloat(text, f)) CastError(tag(), varBoolean);
      return f != 0;
    }
    default: CastError(Type(), varBoolean);
  }
}

AnsiString Variant::AsString() const {
  if (IsOrdinalType(tag())) return IntToStr(RawInt());
  switch (tag()) {
    case varEmpty: return {};
    case varString: return StringRef();
    case varOleStr: return WideToAnsi(static_cast<const detail::WideBlock*>(Ptr())->text);
    case varBoolean: return RawInt() ? "True" : "False";
    case varSingle:
      // A single carries 7 significant digits; more would show binary noise.
      return FloatToStrF(RawSingle(), ffGeneral, 7, 0);
    case varDouble: return FloatToStr(RawDouble());
    case varExtended: return FloatToStr(RawExtended());
    case varCurrency: return CurrToStr(RawCurrency());
    case varDate: return DateTimeToStr(RawDouble());
    default: CastError(Type(), varString);
  }
}

WideString Variant::AsWideString() const {
  if (tag() == varOleStr) return static_cast<const detail::WideBlock*>(Ptr())->text;
  return AnsiToWide(AsString());
}

AnsiString VarToStr(const Variant& v) { return v.IsNull() ? AnsiString() : v.AsString(); }

WideString VarToWideStr(const Variant& v) { return v.IsNull() ? WideString() : v.AsWideString(); }

Variant Variant::ChangeType(TVarType type) const {
  if (type == Type() || type == varVariant) return *this;
  switch (type) {
    case varEmpty: return Variant();
    case varNull: return Variant::Null();
    case varSmallint: return static_cast<int16_t>(ToInteger(*this, INT16_MIN, INT16_MAX, type));
    case varInteger: return AsInteger();
    case varShortInt: return static_cast<int8_t>(ToInteger(*this, INT8_MIN, INT8_MAX, type));
    case varByte: return static_cast<uint8_t>(ToInteger(*this, 0, UINT8_MAX, type));
    case varWord: return static_cast<uint16_t>(ToInteger(*this, 0, UINT16_MAX, type));
    case varLongWord: return static_cast<uint32_t>(ToInteger(*this, 0, UINT32_MAX, type));
    case varInt64: return AsInt64();
    case varSingle: {
      long double f = ToFloat(*this, type);
      if (std::isfinite(f) && std::fabs(f) > std::numeric_limits<float>::max()) OverflowError(tag(), type);
      return static_cast<float>(f);
    }
    case varDouble: {
      long double f = ToFloat(*this, type);
      if (std::isfinite(f) && std::fabs(f) > std::numeric_limits<double>::max()) OverflowError(tag(), type);
      return static_cast<double>(f);
    }
    case varExtended: return Variant::FromExtended(AsExtended());
    case varCurrency: return AsCurrency();
    case varDate: return Variant::FromDate(AsDate());
    case varBoolean: return AsBoolean();
    case varString: return AsString();
    case varOleStr: return AsWideString();
    case varDispatch:
      if (tag() == varEmpty) return Variant::FromDispatch(nullptr);
      CastError(Type(), type);
    default: CastError(Type(), type);
  }
}

bool VarSameValue(const Variant& a, const Variant& b) {
  if (a.Type() != b.Type()) return false;
  switch (a.RawType()) {
    case varEmpty:
    case varNull: return true;
    case varSingle: return a.RawSingle() == b.RawSingle();
    case varDouble:
    case varDate: return a.RawDouble() == b.RawDouble();
    case varExtended: return a.RawExtended() == b.RawExtended();
    case varCurrency: return a.RawCurrency() == b.RawCurrency();
    case varString: return a.StringRef() == b.StringRef();
    case varOleStr: return a.AsWideString() == b.AsWideString();
    case varDispatch: return a.AsDispatch() == b.AsDispatch();
    case varArray: {
      const auto& x = a.Array();
      const auto& y = b.Array();
      if (x.dims != y.dims || x.items.size() != y.items.size()) return false;
      for (int d = 0; d < x.dims; ++d)
        if (x.low[d] != y.low[d] || x.count[d] != y.count[d]) return false;
      for (std::size_t i = 0; i < x.items.size(); ++i)
        if (!VarSameValue(x.items[i], y.items[i])) return false;
      return true;
    }
    default: return a.RawInt() == b.RawInt();
  }
}

}  // namespace rtl
