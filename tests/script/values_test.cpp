#include <gtest/gtest.h>

#include "platform/rtl/format_settings.h"
#include "script/fs_itools.h"
#include "script_builder.h"

using namespace script;
using namespace script::testing;

namespace {

FS_TEST_CLASS(BaseThing, rtl::TObject, "TBaseThing")
FS_TEST_CLASS(DerivedThing, BaseThing, "TDerivedThing")

TEST(ScriptValues, AssignmentConvertsByTheVariableType) {
  struct Case {
    TfsVarType type;
    Variant assigned;
    Variant stored;  // Null: the assignment raises and the old value stays
  };
  const Case cases[] = {
      {fvtInt, Variant(2.5), Variant(2)},
      {fvtInt, Variant(3.5), Variant(4)},
      {fvtInt, Variant(-2.5), Variant(-2)},
      {fvtInt, Variant("12"), Variant(12)},
      {fvtInt, Variant("x"), Variant::Null()},
      {fvtInt, Variant(5e9), Variant::Null()},
      {fvtInt, Variant(), Variant(0)},
      {fvtBool, Variant(), Variant(false)},
      {fvtBool, Variant(1), Variant(true)},
      {fvtFloat, Variant(3), Variant(3.0)},
      {fvtFloat, Variant("abc"), Variant::Null()},
      {fvtString, Variant(42), Variant("42")},
      {fvtString, Variant(), Variant("")},
      {fvtVariant, Variant("42"), Variant("42")},
      {fvtEnum, Variant(3), Variant(3)},
  };
  for (const Case& c : cases) {
    TfsVariable v("v", c.type, "");
    v.Value = Variant(77);
    if (c.stored.IsNull()) {
      EXPECT_THROW(v.SetValue(c.assigned), rtl::Exception) << rtl::VarToStr(c.assigned);
      EXPECT_TRUE(rtl::VarSameValue(v.GetValue(), Variant(77)));
    } else {
      v.SetValue(c.assigned);
      EXPECT_TRUE(rtl::VarSameValue(v.GetValue(), c.stored))
          << int(c.type) << " " << rtl::VarToStr(c.assigned) << " -> " << rtl::VarToStr(v.GetValue());
    }
  }
}

TEST(ScriptValues, ReadOnlyItemsKeepTheirValue) {
  TfsScript script;
  Builder b(script);
  script.AddConst("Limit", "Integer", Variant(10));
  TfsCustomVariable* limit = script.Find("Limit");
  ASSERT_NE(limit, nullptr);
  limit->SetValue(Variant(99));
  EXPECT_EQ(limit->GetValue().AsInteger(), 10);
}

TEST(ScriptValues, TheVariableHookAnswersReadsUnlessItAnswersNull) {
  TfsVariable v("Counter", fvtInt, "");
  v.SetValue(Variant(5));
  Variant answer;
  AnsiString askedName;
  v.OnGetVarValue = [&](const AnsiString& name, TfsVarType, const Variant& old) {
    askedName = name;
    EXPECT_EQ(old.AsInteger(), 5);
    return answer;
  };
  answer = Variant::Null();
  EXPECT_EQ(v.GetValue().AsInteger(), 5);
  answer = Variant(0);
  EXPECT_EQ(v.GetValue().AsInteger(), 0);
  EXPECT_EQ(askedName, "Counter");
  EXPECT_EQ(v.Value.AsInteger(), 5);  // the hook never writes

  TfsStringVariable s("Text", fvtString, "");
  s.SetValue(Variant("own"));
  s.OnGetVarValue = [](const AnsiString&, TfsVarType, const Variant&) { return Variant("hooked"); };
  EXPECT_EQ(s.GetValue().AsString(), "hooked");
}

TEST(ScriptValues, LiteralConversion) {
  rtl::FormatSettingsScope scope;
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  struct Case {
    const char* text;
    Variant expected;
  };
  const Case cases[] = {
      {"", Variant::Null()},
      {"4294967296", Variant(int64_t{4294967296})},
      {"2147483647", Variant(int32_t{2147483647})},
      {"-2147483648", Variant(int32_t{-2147483647 - 1})},
      {"-3000000000", Variant(int64_t{-3000000000})},
      {"$FF", Variant(255)},
      {"1.5", Variant(1.5)},
      {"2.5E2", Variant(250.0)},
      {"'it''s'", Variant("it''s")},
      {"''", Variant("")},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(rtl::VarSameValue(ParserStringToVariant(c.text), c.expected))
        << c.text << " -> " << rtl::VarToStr(ParserStringToVariant(c.text));
  rtl::CurrentFormatSettings().DecimalSeparator = '.';
  EXPECT_TRUE(rtl::VarSameValue(ParserStringToVariant("1.5"), Variant(1.5)));
  EXPECT_THROW(ParserStringToVariant("1.5.5x"), rtl::EConvertError);
}

TEST(ScriptValues, CompatibilityTables) {
  TfsScript script;
  Builder b(script);
  script.AddClass(&BaseThing::StaticClass(), "TObject");
  script.AddClass(&DerivedThing::StaticClass(), "TBaseThing");

  const TfsVarType all[] = {fvtInt,   fvtBool,    fvtFloat, fvtChar,        fvtString, fvtClass,
                            fvtArray, fvtVariant, fvtEnum,  fvtConstructor, fvtInt64};
  // Which sources each target accepts (class and enum names aside).
  const std::pair<TfsVarType, std::vector<TfsVarType>> table[] = {
      {fvtInt, {fvtInt, fvtFloat, fvtVariant, fvtEnum, fvtInt64}},
      {fvtBool, {fvtBool, fvtVariant}},
      {fvtFloat, {fvtInt, fvtFloat, fvtVariant}},
      {fvtChar, {fvtChar, fvtString, fvtVariant}},
      {fvtString, {fvtChar, fvtString, fvtVariant}},
      {fvtArray, {fvtArray, fvtVariant}},
      {fvtVariant,
       {fvtInt, fvtBool, fvtFloat, fvtChar, fvtString, fvtClass, fvtArray, fvtVariant, fvtEnum, fvtConstructor,
        fvtInt64}},
      {fvtConstructor, {}},
      {fvtInt64, {}},
  };
  for (const auto& [target, sources] : table)
    for (TfsVarType source : all) {
      const bool expected = std::find(sources.begin(), sources.end(), source) != sources.end();
      EXPECT_EQ(TypesCompatible({target, "X"}, {source, "Y"}, &script), expected)
          << int(target) << " <- " << int(source);
    }

  struct Case {
    TfsTypeRec target, source;
    bool expected;
  };
  const std::string long1 = std::string(32, 'A') + "One", long2 = std::string(32, 'a') + "Two";
  const Case cases[] = {
      {{fvtClass, "TBaseThing"}, {fvtClass, "TDerivedThing"}, true},
      {{fvtClass, "TDerivedThing"}, {fvtClass, "TBaseThing"}, false},
      {{fvtClass, "TBaseThing"}, {fvtClass, "TBaseThing"}, true},
      {{fvtClass, "TUnknown"}, {fvtClass, "TUnknown"}, false},
      {{fvtClass, "TBaseThing"}, {fvtVariant, ""}, true},
      {{fvtEnum, "TAlign"}, {fvtEnum, "talign"}, true},
      {{fvtEnum, "TAlign"}, {fvtEnum, "TAnchors"}, false},
      {{fvtEnum, long1}, {fvtEnum, long2}, true},
      {{fvtEnum, "TAlign"}, {fvtInt, ""}, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TypesCompatible(c.target, c.source, &script), c.expected)
        << c.target.TypeName << " <- " << c.source.TypeName;

  // Assignment refuses a float into an integer, which operands accept.
  TfsVariable i("i", fvtInt, ""), f("f", fvtFloat, "");
  EXPECT_FALSE(AssignCompatible(&i, &f, &script));
  EXPECT_TRUE(AssignCompatible(&f, &i, &script));
}

TEST(ScriptValues, HostArgumentRecords) {
  Variant array = rtl::VarArrayOf({Variant(7), Variant(2.5), Variant(std::string(300, 'x')), Variant(true),
                                   Variant(int64_t{1} << 40), Variant::Null()});
  TVarRecArray records;
  VariantToVarRec(array, records);
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records[0].VType, vtInteger);
  EXPECT_EQ(records[0].VInteger, 7);
  EXPECT_EQ(records[1].VType, vtExtended);
  EXPECT_EQ(records[1].VExtended, 2.5L);
  EXPECT_EQ(records[2].VType, vtString);
  EXPECT_EQ(records[2].VString.size(), 255u);
  EXPECT_EQ(records[3].VType, vtBoolean);
  EXPECT_EQ(records[4].VType, vtInt64);
  EXPECT_EQ(records[5].VType, vtInteger);
  EXPECT_EQ(records[5].VInteger, 0);
  EXPECT_TRUE(rtl::VarSameValue(VarRecToVariant(records[0]), Variant(7)));
  EXPECT_TRUE(rtl::VarSameValue(VarRecToVariant(records[1]), Variant(2.5)));
  TVarRec ch;
  ch.VType = vtChar;
  ch.VChar = 'Q';
  EXPECT_TRUE(rtl::VarSameValue(VarRecToVariant(ch), Variant("Q")));
  ClearVarRec(records);
  EXPECT_TRUE(records.empty());
}

TEST(ScriptValues, PositionTexts) {
  EXPECT_EQ(fsPosToPoint("12:5").Y, 12);
  EXPECT_EQ(fsPosToPoint("12:5").X, 5);
  EXPECT_EQ(fsPosToPoint("").X, 0);
  EXPECT_EQ(fsPosToPoint("").Y, 0);
}

TEST(ScriptValues, FullTypeNames) {
  const std::pair<TfsVarType, const char*> cases[] = {
      {fvtInt, "Integer"},   {fvtBool, "Boolean"},        {fvtFloat, "Extended"}, {fvtChar, "Char"},
      {fvtString, "String"}, {fvtClass, "TFoo"},          {fvtArray, "Array"},    {fvtVariant, "Variant"},
      {fvtEnum, "TFoo"},     {fvtConstructor, "Variant"}, {fvtInt64, "Int64"}};
  for (auto [type, name] : cases) EXPECT_EQ(TfsVariable("v", type, "TFoo").GetFullTypeName(), name);
}

}  // namespace
