#include "platform/rtl/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/format_settings.h"
#include "tests/support/errors.h"

using namespace rtl;

namespace {

// Describes a value as kind:text, so a table row shows both what came out and
// of which kind.
std::string Show(const Variant& v) {
  if (v.IsNull()) return "Null";
  if (v.IsEmpty()) return "Empty";
  return VarTypeAsText(v.Type()) + ":" + v.AsString();
}

Variant Date(double d) { return Variant::FromDate(d); }

class VariantTest : public ::testing::Test {
 protected:
  FormatSettingsScope settings{FormatSettings::Russian()};
};

}  // namespace

TEST_F(VariantTest, KindsAndTypeCodes) {
  struct Case {
    Variant v;
    TVarType type;
  };
  const Case cases[] = {
      {Variant(), varEmpty},
      {Variant::Null(), varNull},
      {Variant(int16_t{1}), varSmallint},
      {Variant(1), varInteger},
      {Variant(int8_t{1}), varShortInt},
      {Variant(uint8_t{1}), varByte},
      {Variant(uint16_t{1}), varWord},
      {Variant(1u), varLongWord},
      {Variant(int64_t{1}), varInt64},
      {Variant(1.0f), varSingle},
      {Variant(1.0), varDouble},
      {Variant::FromExtended(1.0L), varExtended},
      {Variant(1.0L), varDouble},  // narrowed, as values keep floats
      {Variant(Currency{10000}), varCurrency},
      {Date(1.0), varDate},
      {Variant(true), varBoolean},
      {Variant("abc"), varString},
      {Variant(u"abc"), varOleStr},
      {Variant::FromDispatch(nullptr), varDispatch},
      {VarArrayCreate({0, 1}, varInteger), varArray | varInteger},
  };
  for (const auto& c : cases) EXPECT_EQ(VarType(c.v), c.type) << VarTypeAsText(c.type);
  EXPECT_EQ(VarTypeAsText(varArray | varVariant), "Array Variant");
}

TEST_F(VariantTest, ExtendedKeepsItsPrecision) {
  long double third = 1.0L / 3.0L;
  Variant v = Variant::FromExtended(third);
  EXPECT_EQ(v.AsExtended(), third);
  EXPECT_NE(static_cast<long double>(v.AsDouble()), third);
}

TEST_F(VariantTest, ConversionToInteger) {
  struct Case {
    Variant v;
    int32_t expected;
  };
  const Case cases[] = {
      {Variant(), 0},
      {Variant(true), -1},
      {Variant(false), 0},
      {Variant(2.5), 2},  // halves to even
      {Variant(3.5), 4},
      {Variant(-2.5), -2},
      {Variant(-3.5), -4},
      {Variant(2.4999), 2},
      {Variant(Currency{25000}), 2},  // 2.5
      {Variant(Currency{35000}), 4},  // 3.5
      {Variant(Currency{-15000}), -2},
      {Variant("12"), 12},
      {Variant(" 12"), 12},
      {Variant("$FF"), 255},
      {Variant("-7"), -7},
      {Variant("2,5"), 2},  // decimal comma of the settings
      {Variant(u"42"), 42},
      {Variant(int64_t{2147483647}), 2147483647},
      {Variant(1.0f), 1},
      {Date(2.75), 3},
  };
  for (const auto& c : cases) EXPECT_EQ(c.v.AsInteger(), c.expected) << Show(c.v);
}

TEST_F(VariantTest, ConversionErrors) {
  EXPECT_EQ(support::ErrorOf([] { Variant("x").AsDouble(); }),
            "Could not convert variant of type (String) into type (Double)");
  EXPECT_EQ(support::ErrorOf([] { Variant("x").AsInteger(); }),
            "Could not convert variant of type (String) into type (Integer)");
  EXPECT_EQ(support::ErrorOf([] { Variant("").AsInteger(); }),
            "Could not convert variant of type (String) into type (Integer)");
  EXPECT_EQ(support::ErrorOf([] { Variant::Null().AsInteger(); }),
            "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(support::ErrorOf([] { Variant::Null().AsString(); }),
            "Could not convert variant of type (Null) into type (String)");
  EXPECT_EQ(support::ErrorOf([] { Variant("maybe").AsBoolean(); }),
            "Could not convert variant of type (String) into type (Boolean)");
  EXPECT_EQ(support::ErrorOf([] { VarArrayOf({1}).AsInteger(); }),
            "Could not convert variant of type (Array Variant) into type (Integer)");
  EXPECT_THROW(Variant("x").AsInteger(), EConvertError);
  EXPECT_THROW(Variant::Null().AsDouble(), EConvertError);
  // Out of the 32-bit range: the range error, not a silent wrap.
  EXPECT_THROW(Variant(3e9).AsInteger(), ERangeError);
  EXPECT_THROW(Variant(int64_t{1} << 40).AsInteger(), ERangeError);
  EXPECT_THROW(Variant(std::nan("")).AsInteger(), ERangeError);
  EXPECT_THROW(Variant(1e300).AsInt64(), ERangeError);
  // "1.5" is not a number where the decimal separator is a comma.
  EXPECT_THROW(Variant("1.5").AsDouble(), EConvertError);
}

TEST_F(VariantTest, ConversionToTextAndBoolean) {
  struct Case {
    Variant v;
    const char* text;
  };
  const Case cases[] = {
      {Variant(), ""},
      {Variant(-5), "-5"},
      {Variant(true), "True"},
      {Variant(false), "False"},
      {Variant(2.5), "2,5"},
      {Variant(0.1f), "0,1"},  // a single shows its own 7 digits
      {Variant(1e20), "1E20"},
      {Variant(Currency{12345}), "1,2345"},
      {Date(41340.3784722222), "07.03.2013 9:05:00"},
      {Date(41340.0), "07.03.2013"},
      {Variant(u"\u0416"), "\xC6"},  // Ж in 1251
      {Variant(int64_t{-9223372036854775807LL - 1}), "-9223372036854775808"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.v.AsString(), c.text) << VarTypeAsText(c.v.Type());
  EXPECT_EQ(VarToStr(Variant::Null()), "");

  struct BoolCase {
    Variant v;
    bool expected;
  };
  const BoolCase bools[] = {
      {Variant(), false},    {Variant(0), false},     {Variant(7), true},           {Variant(0.0), false},
      {Variant(0.5), true},  {Variant("True"), true}, {Variant("false"), false},    {Variant("TRUE"), true},
      {Variant("0"), false}, {Variant("-1"), true},   {Variant(Currency{1}), true},
  };
  for (const auto& c : bools) EXPECT_EQ(c.v.AsBoolean(), c.expected) << Show(c.v);
}

TEST_F(VariantTest, ConversionToDate) {
  EXPECT_EQ(Variant("07.03.2013").AsDate(), 41340.0);
  EXPECT_DOUBLE_EQ(Variant("07.03.2013 12:00").AsDate(), 41340.5);
  EXPECT_EQ(Variant("41340,5").AsDate(), 41340.5);
  EXPECT_EQ(Variant(41340).AsDate(), 41340.0);
  EXPECT_EQ(Variant().AsDate(), 0.0);
  EXPECT_EQ(VarType(Variant("07.03.2013").ChangeType(varDate)), varDate);
  EXPECT_THROW(Variant("31.02.2013").AsDate(), EConvertError);
  EXPECT_THROW(Variant::Null().AsDate(), EConvertError);
}

TEST_F(VariantTest, ChangeTypeChecksTheTargetRange) {
  EXPECT_EQ(VarType(Variant(300).ChangeType(varSmallint)), varSmallint);
  EXPECT_THROW(Variant(300).ChangeType(varByte), ERangeError);
  EXPECT_THROW(Variant(-1).ChangeType(varLongWord), ERangeError);
  EXPECT_EQ(Variant("12").ChangeType(varInteger).AsInteger(), 12);
  EXPECT_EQ(Variant(12).ChangeType(varString).AsString(), "12");
  EXPECT_EQ(Variant(2.5).ChangeType(varCurrency).AsCurrency().scaled, 25000);
  EXPECT_EQ(VarType(Variant(2.5).ChangeType(varExtended)), varExtended);
  EXPECT_THROW(Variant(1e300).ChangeType(varSingle), ERangeError);
  EXPECT_THROW(Variant::Null().ChangeType(varInteger), EConvertError);
  EXPECT_TRUE(Variant::Null().ChangeType(varVariant).IsNull());
}

// The operator table: every engine depends on these rules.
TEST_F(VariantTest, ArithmeticTable) {
  struct Case {
    const char* name;
    Variant (*op)(const Variant&, const Variant&);
    Variant a, b;
    const char* expected;  // Show() of the result
  };
  const Case cases[] = {
      {"int+int", VarAdd, 2, 3, "Integer:5"},
      {"int+int overflows to Int64", VarAdd, 2147483647, 1, "Int64:2147483648"},
      {"int*int overflows to Int64", VarMul, 65536, 65536, "Int64:4294967296"},
      {"int64+int64 overflows to Double", VarAdd, int64_t{INT64_MAX}, int64_t{1}, "Double:9,22337203685478E18"},
      {"int-int", VarSub, 2, 5, "Integer:-3"},
      {"byte+byte is Integer", VarAdd, uint8_t{200}, uint8_t{100}, "Integer:300"},
      {"int+double", VarAdd, 1, 0.5, "Double:1,5"},
      {"int*double", VarMul, 3, 0.5, "Double:1,5"},
      {"double+double", VarAdd, 0.1, 0.2, "Double:0,3"},
      {"single+single is Double", VarAdd, 0.5f, 0.25f, "Double:0,75"},
      {"extended wins", VarAdd, Variant::FromExtended(1.0L), 0.5, "Extended:1,5"},
      {"int/int is Double", VarDiv, 1, 2, "Double:0,5"},
      {"extended/int is Extended", VarDiv, Variant::FromExtended(3.0L), 2, "Extended:1,5"},
      {"7 div 2", VarIntDiv, 7, 2, "Integer:3"},
      {"-7 div 2", VarIntDiv, -7, 2, "Integer:-3"},
      {"7 mod 2", VarMod, 7, 2, "Integer:1"},
      {"-7 mod 2", VarMod, -7, 2, "Integer:-1"},
      {"7.5 div 2 rounds first", VarIntDiv, 7.5, 2, "Integer:4"},
      {"string+string joins", VarAdd, "ab", "cd", "String:abcd"},
      {"string+wide joins wide", VarAdd, "ab", u"cd", "OleStr:abcd"},
      {"numeric string+int", VarAdd, "12", 1, "Integer:13"},
      {"int+numeric string", VarAdd, 1, "2,5", "Double:3,5"},
      {"numeric strings multiply", VarMul, "3", "4", "Integer:12"},
      {"numeric strings subtract", VarSub, "10", "4", "Integer:6"},
      {"empty+int", VarAdd, Variant(), 5, "Integer:5"},
      {"empty+string", VarAdd, Variant(), "x", "String:x"},
      {"string+empty", VarAdd, "x", Variant(), "String:x"},
      {"empty+empty", VarAdd, Variant(), Variant(), "Integer:0"},
      {"bool+int", VarAdd, true, 1, "Integer:0"},
      {"bool+bool", VarAdd, true, true, "Integer:-2"},
      {"null+int", VarAdd, Variant::Null(), 1, "Null"},
      {"int*null", VarMul, 1, Variant::Null(), "Null"},
      {"null/int", VarDiv, Variant::Null(), 1, "Null"},
      {"null div int", VarIntDiv, Variant::Null(), 1, "Null"},
      {"null+string", VarAdd, Variant::Null(), "x", "Null"},
      {"date+int is a date", VarAdd, Date(41340.5), 1, "Date:08.03.2013 12:00:00"},
      {"int+date is a date", VarAdd, 1, Date(41340.0), "Date:08.03.2013"},
      {"date-double is a date", VarSub, Date(41340.5), 0.5, "Date:07.03.2013"},
      {"date-date is days", VarSub, Date(41342.0), Date(41340.0), "Double:2"},
      {"date*int is a number", VarMul, Date(2.0), 2, "Double:4"},
      {"currency+int", VarAdd, Currency{15000}, 1, "Currency:2,5"},
      {"currency*currency", VarMul, Currency{15000}, Currency{15000}, "Currency:2,25"},
      {"currency+double", VarAdd, Currency{15000}, 0.25, "Double:1,75"},
      {"currency/int", VarDiv, Currency{30000}, 2, "Double:1,5"},
      {"1 shl 4", VarShl, 1, 4, "Integer:16"},
      {"-1 shr 28", VarShr, -1, 28, "Integer:15"},
      {"int64 shl", VarShl, int64_t{1}, 40, "Int64:1099511627776"},
      {"5 and 3", VarAnd, 5, 3, "Integer:1"},
      {"5 or 3", VarOr, 5, 3, "Integer:7"},
      {"5 xor 3", VarXor, 5, 3, "Integer:6"},
      {"true and false", VarAnd, true, false, "Boolean:False"},
      {"true or false", VarOr, true, false, "Boolean:True"},
      {"true xor true", VarXor, true, true, "Boolean:False"},
      {"true and 'false'", VarAnd, true, "false", "Boolean:False"},
      {"true and 5 is bitwise", VarAnd, true, 5, "Integer:5"},
      {"null and true", VarAnd, Variant::Null(), true, "Null"},
      {"concat of number", VarConcat, "n=", 5, "String:n=5"},
      {"concat of null", VarConcat, "n=", Variant::Null(), "String:n="},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(c.op(c.a, c.b)), c.expected) << c.name;
}

TEST_F(VariantTest, UnaryTable) {
  struct Case {
    const char* name;
    Variant (*op)(const Variant&);
    Variant a;
    const char* expected;
  };
  const Case cases[] = {
      {"-int", VarNeg, 5, "Integer:-5"},
      {"-minint", VarNeg, INT32_MIN, "Int64:2147483648"},
      {"-int64 min", VarNeg, int64_t{INT64_MIN}, "Double:9,22337203685478E18"},
      {"-double", VarNeg, 1.5, "Double:-1,5"},
      {"-extended", VarNeg, Variant::FromExtended(1.5L), "Extended:-1,5"},
      {"-currency", VarNeg, Currency{15000}, "Currency:-1,5"},
      {"-true", VarNeg, true, "Integer:1"},
      {"-string", VarNeg, "3", "Integer:-3"},
      {"-empty", VarNeg, Variant(), "Integer:0"},
      {"-null", VarNeg, Variant::Null(), "Null"},
      {"not true", VarNot, true, "Boolean:False"},
      {"not 0", VarNot, 0, "Integer:-1"},
      {"not 5", VarNot, 5, "Integer:-6"},
      {"not 'true'", VarNot, "true", "Boolean:False"},
      {"not '5'", VarNot, "5", "Integer:-6"},
      {"not empty", VarNot, Variant(), "Integer:-1"},
      {"not null", VarNot, Variant::Null(), "Null"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(c.op(c.a)), c.expected) << c.name;
}

TEST_F(VariantTest, ArithmeticErrors) {
  EXPECT_THROW(VarAdd("abc", 1), EConvertError);
  EXPECT_THROW(VarMul(2, "x"), EConvertError);
  EXPECT_THROW(VarDiv(1, 0), EZeroDivide);
  EXPECT_THROW(VarDiv(1.5, 0.0), EZeroDivide);
  EXPECT_THROW(VarDiv(0, 0), EInvalidOp);
  EXPECT_THROW(VarIntDiv(1, 0), EZeroDivide);
  EXPECT_THROW(VarMod(1, 0), EZeroDivide);
  EXPECT_THROW(VarIntDiv(int64_t{INT64_MIN}, int64_t{-1}), EIntOverflow);
  EXPECT_THROW(VarMul(1e308, 10.0), EOverflow);
  EXPECT_THROW(VarAdd(1e308, 1e308), EOverflow);
  EXPECT_THROW(VarDiv(1e308, 1e-10), EOverflow);
  EXPECT_THROW(VarMul(Currency{INT64_MAX}, 1e300), EOverflow);
  EXPECT_THROW(VarAdd(VarArrayOf({1}), 1), EVariantError);
  EXPECT_THROW(VarAdd(Variant::FromDispatch(nullptr), 1), EVariantError);
  EXPECT_EQ(Show(VarIntDiv(INT32_MIN, -1)), "Int64:2147483648");
  EXPECT_EQ(Show(VarMod(int64_t{INT64_MIN}, int64_t{-1})), "Int64:0");
  // Infinities from a host pass through; only finite operands overflowing raise.
  double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Show(VarAdd(inf, 1.0)), "Double:INF");
}

TEST_F(VariantTest, ComparisonTable) {
  enum R { L = 0, E = 1, G = 2, N = 3 };  // less, equal, greater, unordered
  struct Case {
    Variant a, b;
    R expected;
  };
  const Case cases[] = {
      {1, 2, L},
      {2, 2, E},
      {int64_t{5}, 4, G},
      {1, 1.0, E},
      {1, 1.5, L},
      {Currency{15000}, 1.5, E},
      {Currency{15000}, 2, L},
      {"a", "b", L},
      {"abc", "abc", E},
      {"abc", "ab", G},
      {"B", "a", L},        // 1251 byte order: capitals first
      {"\xC0", "\xA8", G},  // А after Ё
      {"abc", u"abc", E},
      {"10", 9, G},  // a numeric string compares as a number
      {"2,5", 2.5, E},
      {Variant(), 0, E},
      {Variant(), "", E},
      {Variant(), false, E},
      {Variant(), Variant(), E},
      {Variant(), 1, L},
      {false, true, L},
      {true, true, E},
      {true, -1, E},  // a boolean is -1 or 0 against numbers
      {true, "True", E},
      {Variant::Null(), Variant::Null(), E},
      {Variant::Null(), 0, N},
      {0, Variant::Null(), N},
      {Variant::Null(), Variant(), N},
      {Variant::Null(), "", N},
      {std::nan(""), 1.0, N},
      {Date(41340.0), 41340, E},
      {Date(41340.0), "07.03.2013", E},  // a text against a date is read as a date
      {"08.03.2013", Date(41340.5), G},
      {Date(41340.0), "41340", E},
  };
  const char* names[] = {"Less", "Equal", "Greater", "NotEqual"};
  for (const auto& c : cases) {
    VarCompareResult r = VarCompare(c.a, c.b);
    EXPECT_EQ(static_cast<int>(r), static_cast<int>(c.expected))
        << Show(c.a) << " vs " << Show(c.b) << " gave " << names[static_cast<int>(r)];
  }
}

TEST_F(VariantTest, NullComparisonsAreFalseExceptEquality) {
  Variant n = Variant::Null();
  EXPECT_FALSE(n == 0);
  EXPECT_TRUE(n != 0);
  EXPECT_FALSE(n < 1);
  EXPECT_FALSE(n > 1);
  EXPECT_FALSE(n <= 1);
  EXPECT_FALSE(n >= 1);
  EXPECT_TRUE(n == Variant::Null());
  EXPECT_TRUE(n <= Variant::Null());
  EXPECT_FALSE(n < Variant::Null());
}

TEST_F(VariantTest, ComparisonErrors) {
  EXPECT_THROW(VarCompare("abc", 1), EConvertError);
  EXPECT_THROW(VarCompare(Date(1.0), "abc"), EConvertError);
  EXPECT_THROW(VarCompare(VarArrayOf({1}), VarArrayOf({1})), EVariantError);
  Variant a = VarArrayOf({1});
  Variant b = a;
  EXPECT_TRUE(a == b);  // the same array
}

TEST_F(VariantTest, CopiesAreIndependent) {
  Variant s("abc");
  Variant t = s;
  t.MutableString()[0] = 'x';
  EXPECT_EQ(s.AsString(), "abc");
  EXPECT_EQ(t.AsString(), "xbc");

  Variant a = VarArrayOf({1, 2});
  Variant b = a;
  int32_t i = 0;
  b.PutElement({&i, 1}, 9);
  EXPECT_EQ(a[0].AsInteger(), 1);
  EXPECT_EQ(b[0].AsInteger(), 9);

  Variant moved = std::move(t);
  EXPECT_EQ(moved.AsString(), "xbc");
  EXPECT_TRUE(t.IsEmpty());  // NOLINT(bugprone-use-after-move): a moved-from Variant is Empty
  moved = moved;
  EXPECT_EQ(moved.AsString(), "xbc");
}

TEST_F(VariantTest, ArraysOfOneToThreeDimensions) {
  Variant a = VarArrayCreate({2, 5}, varInteger);
  EXPECT_EQ(VarArrayDimCount(a), 1);
  EXPECT_EQ(VarArrayLowBound(a, 1), 2);
  EXPECT_EQ(VarArrayHighBound(a, 1), 5);
  EXPECT_EQ(Show(a[3]), "Integer:0");
  int32_t i = 3;
  a.PutElement({&i, 1}, "42");  // converted to the element type
  EXPECT_EQ(Show(a[3]), "Integer:42");
  EXPECT_THROW(a[6], EVariantError);
  EXPECT_THROW(a[1], EVariantError);
  EXPECT_THROW(a.PutElement({&i, 1}, "x"), EConvertError);

  Variant m = VarArrayCreate({1, 2, 0, 2, -1, 1}, varVariant);
  EXPECT_EQ(VarArrayDimCount(m), 3);
  EXPECT_EQ(VarArrayLowBound(m, 3), -1);
  EXPECT_EQ(VarArrayHighBound(m, 2), 2);
  for (int32_t x = 1; x <= 2; ++x)
    for (int32_t y = 0; y <= 2; ++y)
      for (int32_t z = -1; z <= 1; ++z) {
        const int32_t idx[] = {x, y, z};
        m.PutElement(idx, x * 100 + y * 10 + z);
      }
  const int32_t probe[] = {2, 1, -1};
  EXPECT_EQ(m.GetElement(probe).AsInteger(), 209);
  const int32_t tooFew[] = {1, 1};
  EXPECT_THROW(m.GetElement(tooFew), EVariantError);
  EXPECT_THROW(VarArrayLowBound(m, 4), EVariantError);
  EXPECT_THROW(VarArrayLowBound(Variant(1), 1), EVariantError);
  EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);

  EXPECT_THROW(VarArrayCreate({0, 1, 0, 1, 0, 1, 0, 1}, varVariant), EVariantError);
  EXPECT_THROW(VarArrayCreate({0}, varVariant), EVariantError);
  EXPECT_THROW(VarArrayCreate({0, 1}, varNull), EVariantError);
  EXPECT_THROW(VarArrayCreate({0, 100000000}, varVariant), EVariantError);
  EXPECT_THROW(VarArrayCreate({0, 9999, 0, 9999}, varVariant), EVariantError);
  EXPECT_THROW(VarArrayCreate({5, 3}, varVariant), EVariantError);
  EXPECT_THROW(VarArrayCreate({0, 10000000, 0, 10000000, 0, 10000000}, varVariant), EVariantError);
  EXPECT_THROW(VarArrayCreate({INT32_MIN, INT32_MAX}, varVariant), EVariantError);
  Variant empty = VarArrayCreate({0, -1}, varVariant);
  EXPECT_EQ(VarArrayHighBound(empty, 1), -1);
}

TEST_F(VariantTest, RedimKeepsElements) {
  Variant a = VarArrayOf({1, "two", 3.0});
  VarArrayRedim(a, 4);
  EXPECT_EQ(VarArrayHighBound(a, 1), 4);
  EXPECT_EQ(Show(a[1]), "String:two");
  EXPECT_TRUE(a[4].IsEmpty());
  VarArrayRedim(a, 0);
  EXPECT_EQ(VarArrayHighBound(a, 1), 0);
  EXPECT_EQ(a[0].AsInteger(), 1);

  Variant m = VarArrayCreate({0, 1, 0, 1}, varInteger);
  const int32_t at[] = {1, 1};
  m.PutElement(at, 11);
  VarArrayRedim(m, 2);
  EXPECT_EQ(m.GetElement(at).AsInteger(), 11);
}

TEST_F(VariantTest, ElementReferenceWritesInPlace) {
  Variant a = VarArrayOf({1, 2});
  Variant shared = a;
  int32_t i = 1;
  a.ElementRef({&i, 1}) = "x";
  EXPECT_EQ(Show(a[1]), "String:x");
  EXPECT_EQ(Show(shared[1]), "Integer:2");
}

namespace {

class Counter : public DispatchObject {
 public:
  explicit Counter(int* alive) : alive_(alive) { ++*alive_; }
  ~Counter() override { --*alive_; }
  Variant Invoke(std::string_view name, DispatchKind, std::span<Variant> args) override {
    if (name == "Add") return VarAdd(args[0], args[1]);
    throw EVariantError("Unknown name");
  }

 private:
  int* alive_;
};

}  // namespace

TEST_F(VariantTest, DispatchIsReferenceCounted) {
  int alive = 0;
  {
    Variant v = Variant::FromDispatch(new Counter(&alive));
    {
      Variant copy = v;
      EXPECT_EQ(alive, 1);
      Variant args[] = {2, 3};
      EXPECT_EQ(copy.AsDispatch()->Invoke("Add", DispatchKind::Method, args).AsInteger(), 5);
    }
    EXPECT_EQ(alive, 1);
    EXPECT_TRUE(v == v);
    EXPECT_THROW(v.AsInteger(), EConvertError);
  }
  EXPECT_EQ(alive, 0);
}

TEST_F(VariantTest, SameValueIsExact) {
  EXPECT_TRUE(VarSameValue(1, 1));
  EXPECT_FALSE(VarSameValue(1, 1.0));
  EXPECT_TRUE(VarSameValue(Variant::Null(), Variant::Null()));
  EXPECT_TRUE(VarSameValue(VarArrayOf({1, "a"}), VarArrayOf({1, "a"})));
  EXPECT_FALSE(VarSameValue(VarArrayOf({1, "a"}), VarArrayOf({1, "b"})));
}
