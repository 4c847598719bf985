// Variant operators. The rules (Null propagation, Empty as the other side's
// zero, strings as numbers, promotion on overflow) are tabled in
// platform/rtl/README.md under "Values and formatting".
#include <cmath>
#include <cstring>

#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"
#include "platform/rtl/variant_blocks_p.h"

namespace rtl {

namespace {

[[noreturn]] void InvalidOp() { throw EVariantError("Invalid variant operation"); }

[[noreturn]] void StringToNumberError(TVarType from) {
  throw EConvertError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (Double)");
}

enum class Cls { Empty, Null, Bool, Int, Wide, Currency, Date, Float, Extended, String, Other };

Cls Classify(const Variant& v) {
  switch (v.RawType()) {
    case varEmpty: return Cls::Empty;
    case varNull: return Cls::Null;
    case varBoolean: return Cls::Bool;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord: return Cls::Int;
    case varLongWord:
    case varInt64: return Cls::Wide;
    case varCurrency: return Cls::Currency;
    case varDate: return Cls::Date;
    case varSingle:
    case varDouble: return Cls::Float;
    case varExtended: return Cls::Extended;
    case varString:
    case varOleStr: return Cls::String;
    default: return Cls::Other;
  }
}

// A number ready for arithmetic.
struct Num {
  enum Kind { Int, Currency, Date, Double, Extended } kind = Int;
  bool narrow = true;  // an integer that came from a 32-bit-or-smaller kind
  int64_t i = 0;       // Int; Currency: ten-thousandths
  long double f = 0;   // Date, Double, Extended
};

bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

Num StringToNum(const Variant& v) {
  AnsiString scratch;
  const AnsiString& text = detail::TextOf(v, scratch);
  Num n;
  if (TryStrToInt64(text, n.i)) {
    n.narrow = FitsInt32(n.i);
    return n;
  }
  n.kind = Num::Double;
  if (!TryStrToFloat(text, n.f)) StringToNumberError(v.RawType());
  return n;
}

Num ToNum(const Variant& v) {
  Num n;
  switch (Classify(v)) {
    case Cls::Empty: return n;
    case Cls::Bool:
    case Cls::Int: n.i = v.RawInt(); return n;
    case Cls::Wide:
      n.i = v.RawInt();
      n.narrow = false;
      return n;
    case Cls::Currency:
      n.kind = Num::Currency;
      n.i = v.RawCurrency();
      return n;
    case Cls::Date:
      n.kind = Num::Date;
      n.f = v.RawDouble();
      return n;
    case Cls::Float:
      n.kind = Num::Double;
      n.f = v.RawType() == varSingle ? v.RawSingle() : v.RawDouble();
      return n;
    case Cls::Extended:
      n.kind = Num::Extended;
      n.f = v.RawExtended();
      return n;
    case Cls::String: return StringToNum(v);
    default: InvalidOp();
  }
}

long double AsFloat(const Num& n) {
  switch (n.kind) {
    case Num::Int: return static_cast<long double>(n.i);
    case Num::Currency: return static_cast<long double>(n.i) / 10000.0L;
    default: return n.f;
  }
}

Variant IntResult(int64_t v, bool narrow) {
  if (narrow && FitsInt32(v)) return static_cast<int32_t>(v);
  return v;
}

long double CheckFloat(long double result, long double x, long double y) {
  if (!std::isfinite(result) && std::isfinite(x) && std::isfinite(y)) {
    if (std::isnan(result)) throw EInvalidOp("Invalid floating point operation");
    throw EOverflow("Floating point overflow");
  }
  return result;
}

// A float result narrowed to a double: a finite computation that no longer
// fits raises like the arithmetic of doubles would.
double NarrowChecked(long double r, long double x, long double y) {
  return static_cast<double>(CheckFloat(static_cast<double>(r), x, y));
}

enum class Arith { Add, Sub, Mul };

long double FloatOp(Arith op, long double x, long double y) {
  long double r = op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y;
  return CheckFloat(r, x, y);
}

Variant Arithmetic(Arith op, const Variant& a, const Variant& b) {
  Cls ca = Classify(a), cb = Classify(b);
  if (ca == Cls::Null || cb == Cls::Null) return Variant::Null();
  if (ca == Cls::Other || cb == Cls::Other) InvalidOp();
  if (op == Arith::Add) {
    if (ca == Cls::String && (cb == Cls::String || cb == Cls::Empty)) return VarConcat(a, b);
    if (cb == Cls::String && ca == Cls::Empty) return VarConcat(a, b);
  }
  Num x = ToNum(a), y = ToNum(b);
  if (x.kind == Num::Extended || y.kind == Num::Extended)
    return Variant::FromExtended(FloatOp(op, AsFloat(x), AsFloat(y)));
  if (x.kind == Num::Date || y.kind == Num::Date) {
    double r = NarrowChecked(FloatOp(op, AsFloat(x), AsFloat(y)), AsFloat(x), AsFloat(y));
    bool bothDates = x.kind == Num::Date && y.kind == Num::Date;
    // A date moved by a number of days stays a date; a difference of two
    // dates, and any product, is a plain number.
    if (op != Arith::Mul && !bothDates && (x.kind == Num::Date || op == Arith::Add)) return Variant::FromDate(r);
    return r;
  }
  if (x.kind == Num::Double || y.kind == Num::Double)
    return NarrowChecked(FloatOp(op, AsFloat(x), AsFloat(y)), AsFloat(x), AsFloat(y));
  if (x.kind == Num::Currency || y.kind == Num::Currency) {
    __int128 sx = x.kind == Num::Currency ? x.i : static_cast<__int128>(x.i) * 10000;
    __int128 sy = y.kind == Num::Currency ? y.i : static_cast<__int128>(y.i) * 10000;
    __int128 r;
    if (op == Arith::Add) {
      r = sx + sy;
    } else if (op == Arith::Sub) {
      r = sx - sy;
    } else {
      // Product of two scaled values: divide by 10000 once, halves to even.
      __int128 p = sx * sy;
      r = p / 10000;
      __int128 rem = p % 10000;
      if (rem > 5000 || (rem == 5000 && (r & 1))) ++r;
      if (rem < -5000 || (rem == -5000 && (r & 1))) --r;
    }
    if (r >= INT64_MIN && r <= INT64_MAX) return Currency{static_cast<int64_t>(r)};
    return static_cast<double>(FloatOp(op, AsFloat(x), AsFloat(y)));
  }
  int64_t r;
  bool overflow = op == Arith::Add   ? __builtin_add_overflow(x.i, y.i, &r)
                  : op == Arith::Sub ? __builtin_sub_overflow(x.i, y.i, &r)
                                     : __builtin_mul_overflow(x.i, y.i, &r);
  if (overflow) return static_cast<double>(FloatOp(op, AsFloat(x), AsFloat(y)));
  return IntResult(r, x.narrow && y.narrow);
}

// An operand of div, mod, shifts and bitwise operators.
struct IntOperand {
  int64_t value;
  bool narrow;
};

IntOperand ToIntOperand(const Variant& v) {
  Cls c = Classify(v);
  if (c == Cls::Other) InvalidOp();
  if (c == Cls::String) {
    Num n = StringToNum(v);
    if (n.kind == Num::Int) return {n.i, n.narrow};
    int64_t r = Round(n.f);
    return {r, FitsInt32(r)};
  }
  int64_t r = v.AsInt64();
  return {r, c != Cls::Wide && FitsInt32(r)};
}

bool IsLogicalOperand(Cls c) { return c == Cls::Bool || c == Cls::String || c == Cls::Empty; }

enum class Bitwise { And, Or, Xor };

Variant BitwiseOp(Bitwise op, const Variant& a, const Variant& b) {
  Cls ca = Classify(a), cb = Classify(b);
  if (ca == Cls::Null || cb == Cls::Null) return Variant::Null();
  if ((ca == Cls::Bool || cb == Cls::Bool) && IsLogicalOperand(ca) && IsLogicalOperand(cb)) {
    bool x = a.AsBoolean(), y = b.AsBoolean();
    return op == Bitwise::And ? (x && y) : op == Bitwise::Or ? (x || y) : (x != y);
  }
  IntOperand x = ToIntOperand(a), y = ToIntOperand(b);
  int64_t r = op == Bitwise::And ? (x.value & y.value) : op == Bitwise::Or ? (x.value | y.value) : (x.value ^ y.value);
  return IntResult(r, x.narrow && y.narrow);
}

int CompareBytes(std::string_view x, std::string_view y) {
  int c = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
  if (c != 0) return c;
  return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

VarCompareResult FromInt(int c) {
  return c < 0 ? VarCompareResult::Less : c > 0 ? VarCompareResult::Greater : VarCompareResult::Equal;
}

VarCompareResult CompareStrings(const Variant& a, const Variant& b) {
  if (a.RawType() != varOleStr && b.RawType() != varOleStr) {
    AnsiString scratchA, scratchB;
    const AnsiString& x = a.IsEmpty() ? scratchA : detail::TextOf(a, scratchA);
    const AnsiString& y = b.IsEmpty() ? scratchB : detail::TextOf(b, scratchB);
    return FromInt(CompareBytes(x, y));
  }
  WideString x = a.AsWideString(), y = b.AsWideString();
  return FromInt(x.compare(y));
}

VarCompareResult CompareNums(const Num& x, const Num& y) {
  if (x.kind == Num::Int && y.kind == Num::Int) return FromInt(x.i < y.i ? -1 : x.i > y.i ? 1 : 0);
  if ((x.kind == Num::Int || x.kind == Num::Currency) && (y.kind == Num::Int || y.kind == Num::Currency)) {
    __int128 sx = x.kind == Num::Currency ? x.i : static_cast<__int128>(x.i) * 10000;
    __int128 sy = y.kind == Num::Currency ? y.i : static_cast<__int128>(y.i) * 10000;
    return FromInt(sx < sy ? -1 : sx > sy ? 1 : 0);
  }
  long double fx = AsFloat(x), fy = AsFloat(y);
  if (std::isnan(fx) || std::isnan(fy)) return VarCompareResult::NotEqual;
  return FromInt(fx < fy ? -1 : fx > fy ? 1 : 0);
}

}  // namespace

// The common pairs (Integer and Double) without the general classification.
static bool FastArithmetic(Arith op, const Variant& a, const Variant& b, Variant& out) {
  TVarType ta = a.RawType(), tb = b.RawType();
  if (ta == varInteger && tb == varInteger) {
    int64_t x = a.RawInt(), y = b.RawInt();
    int64_t r = op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y;  // cannot overflow 64 bits
    out = IntResult(r, true);
    return true;
  }
  double x, y;
  if (ta == varDouble)
    x = a.RawDouble();
  else if (ta == varInteger)
    x = static_cast<double>(a.RawInt());
  else
    return false;
  if (tb == varDouble)
    y = b.RawDouble();
  else if (tb == varInteger)
    y = static_cast<double>(b.RawInt());
  else
    return false;
  double r = op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y;
  if (!std::isfinite(r)) return false;  // the general path raises or passes infinities
  out = r;
  return true;
}

Variant VarAdd(const Variant& a, const Variant& b) {
  Variant r;
  if (FastArithmetic(Arith::Add, a, b, r)) return r;
  return Arithmetic(Arith::Add, a, b);
}

Variant VarSub(const Variant& a, const Variant& b) {
  Variant r;
  if (FastArithmetic(Arith::Sub, a, b, r)) return r;
  return Arithmetic(Arith::Sub, a, b);
}

Variant VarMul(const Variant& a, const Variant& b) {
  Variant r;
  if (FastArithmetic(Arith::Mul, a, b, r)) return r;
  return Arithmetic(Arith::Mul, a, b);
}

Variant VarDiv(const Variant& a, const Variant& b) {
  Cls ca = Classify(a), cb = Classify(b);
  if (ca == Cls::Null || cb == Cls::Null) return Variant::Null();
  if (ca == Cls::Other || cb == Cls::Other) InvalidOp();
  Num x = ToNum(a), y = ToNum(b);
  long double fx = AsFloat(x), fy = AsFloat(y);
  if (fy == 0) {
    if (fx == 0 || std::isnan(fx)) throw EInvalidOp("Invalid floating point operation");
    throw EZeroDivide("Floating point division by zero");
  }
  long double r = CheckFloat(fx / fy, fx, fy);
  if (x.kind == Num::Extended || y.kind == Num::Extended) return Variant::FromExtended(r);
  return NarrowChecked(r, fx, fy);
}

Variant VarIntDiv(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  IntOperand x = ToIntOperand(a), y = ToIntOperand(b);
  if (y.value == 0) throw EZeroDivide("Division by zero");
  if (x.value == INT64_MIN && y.value == -1) throw EIntOverflow("Integer overflow");
  return IntResult(x.value / y.value, x.narrow && y.narrow);
}

Variant VarMod(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  IntOperand x = ToIntOperand(a), y = ToIntOperand(b);
  if (y.value == 0) throw EZeroDivide("Division by zero");
  if (y.value == -1) return IntResult(0, x.narrow && y.narrow);
  return IntResult(x.value % y.value, x.narrow && y.narrow);
}

Variant VarAnd(const Variant& a, const Variant& b) { return BitwiseOp(Bitwise::And, a, b); }
Variant VarOr(const Variant& a, const Variant& b) { return BitwiseOp(Bitwise::Or, a, b); }
Variant VarXor(const Variant& a, const Variant& b) { return BitwiseOp(Bitwise::Xor, a, b); }

Variant VarShl(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  IntOperand x = ToIntOperand(a), y = ToIntOperand(b);
  if (x.narrow) return static_cast<int32_t>(static_cast<uint32_t>(x.value) << (y.value & 31));
  return static_cast<int64_t>(static_cast<uint64_t>(x.value) << (y.value & 63));
}

Variant VarShr(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  IntOperand x = ToIntOperand(a), y = ToIntOperand(b);
  if (x.narrow) return static_cast<int32_t>(static_cast<uint32_t>(x.value) >> (y.value & 31));
  return static_cast<int64_t>(static_cast<uint64_t>(x.value) >> (y.value & 63));
}

Variant VarNot(const Variant& a) {
  switch (Classify(a)) {
    case Cls::Null: return Variant::Null();
    case Cls::Bool: return !a.AsBoolean();
    case Cls::String: {
      int64_t i;
      AnsiString scratch;
      if (TryStrToInt64(detail::TextOf(a, scratch), i)) return IntResult(~i, FitsInt32(i));
      return !a.AsBoolean();
    }
    default: {
      IntOperand x = ToIntOperand(a);
      return IntResult(~x.value, x.narrow);
    }
  }
}

Variant VarNeg(const Variant& a) {
  Cls c = Classify(a);
  if (c == Cls::Null) return Variant::Null();
  if (c == Cls::Other) InvalidOp();
  Num x = ToNum(a);
  switch (x.kind) {
    case Num::Int:
      if (x.i == INT64_MIN) return -static_cast<double>(x.i);
      return IntResult(-x.i, x.narrow);
    case Num::Currency:
      if (x.i == INT64_MIN) return -static_cast<double>(AsFloat(x));
      return Currency{-x.i};
    case Num::Date: return Variant::FromDate(static_cast<double>(-x.f));
    case Num::Double: return static_cast<double>(-x.f);
    case Num::Extended: return Variant::FromExtended(-x.f);
  }
  InvalidOp();
}

Variant VarConcat(const Variant& a, const Variant& b) {
  if (a.RawType() == varOleStr || b.RawType() == varOleStr) return VarToWideStr(a) + VarToWideStr(b);
  if (a.RawType() == varString) {
    AnsiString r;
    const AnsiString& left = a.StringRef();
    AnsiString right = b.RawType() == varString ? b.StringRef() : VarToStr(b);
    r.reserve(left.size() + right.size());
    r.append(left).append(right);
    return r;
  }
  return VarToStr(a) + VarToStr(b);
}

VarCompareResult VarCompare(const Variant& a, const Variant& b) {
  Cls ca = Classify(a), cb = Classify(b);
  if (ca == Cls::Null || cb == Cls::Null) return ca == cb ? VarCompareResult::Equal : VarCompareResult::NotEqual;
  if (ca == Cls::Other || cb == Cls::Other) {
    if (a.IsArray() || b.IsArray()) {
      if (a.IsArray() && b.IsArray() && &a.Array() == &b.Array()) return VarCompareResult::Equal;
      InvalidOp();
    }
    TVarType ta = a.RawType(), tb = b.RawType();
    if ((ta == varDispatch || ta == varEmpty) && (tb == varDispatch || tb == varEmpty))
      return a.AsDispatch() == b.AsDispatch() ? VarCompareResult::Equal : VarCompareResult::NotEqual;
    if (ta == varError && tb == varError)
      return a.RawInt() == b.RawInt() ? VarCompareResult::Equal : VarCompareResult::NotEqual;
    InvalidOp();
  }
  if (ca == Cls::String || cb == Cls::String) {
    if ((ca == Cls::String || ca == Cls::Empty) && (cb == Cls::String || cb == Cls::Empty)) return CompareStrings(a, b);
    if (ca == Cls::Bool || cb == Cls::Bool) {
      bool x = a.AsBoolean(), y = b.AsBoolean();
      return FromInt(static_cast<int>(x) - static_cast<int>(y));
    }
  }
  // A date against a text: the text is read as a date (or a day number).
  if ((ca == Cls::Date && cb == Cls::String) || (ca == Cls::String && cb == Cls::Date)) {
    double x = a.AsDate(), y = b.AsDate();
    return FromInt(x < y ? -1 : x > y ? 1 : 0);
  }
  if (ca == Cls::Empty && cb == Cls::Empty) return VarCompareResult::Equal;
  if ((ca == Cls::Bool || ca == Cls::Empty) && (cb == Cls::Bool || cb == Cls::Empty)) {
    bool x = ca == Cls::Bool && a.RawInt() != 0, y = cb == Cls::Bool && b.RawInt() != 0;
    return FromInt(static_cast<int>(x) - static_cast<int>(y));
  }
  return CompareNums(ToNum(a), ToNum(b));
}

bool VarEquals(const Variant& a, const Variant& b) {
  if (a.RawType() == varInteger && b.RawType() == varInteger) return a.RawInt() == b.RawInt();
  return VarCompare(a, b) == VarCompareResult::Equal;
}
bool VarLess(const Variant& a, const Variant& b) { return VarCompare(a, b) == VarCompareResult::Less; }
bool VarGreater(const Variant& a, const Variant& b) { return VarCompare(a, b) == VarCompareResult::Greater; }
bool VarLessEq(const Variant& a, const Variant& b) {
  auto r = VarCompare(a, b);
  return r == VarCompareResult::Less || r == VarCompareResult::Equal;
}
bool VarGreaterEq(const Variant& a, const Variant& b) {
  auto r = VarCompare(a, b);
  return r == VarCompareResult::Greater || r == VarCompareResult::Equal;
}

}  // namespace rtl
