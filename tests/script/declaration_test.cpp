#include <gtest/gtest.h>

#include "script/fs_itools.h"
#include "script_builder.h"

using namespace script;
using namespace script::testing;

namespace {

struct Param {
  const char* name;
  bool byRef;
  bool optional;
  Variant defaultValue;
};

TEST(Declarations, ParametersResultTypesAndMacros) {
  TfsScript script;
  Builder b(script);  // the basic type names
  script.AddConst("True", "Boolean", Variant(true));
  struct Case {
    const char* text;
    const char* name;
    TfsVarType type;
    const char* typeName;
    bool macro;
    std::vector<Param> params;
  };
  const Case cases[] = {
      {"procedure DecodeDate(Date: TDateTime; var Year, Month, Day: Word)",
       "DecodeDate",
       fvtClass,
       "",
       false,
       {{"Date", false, false, Variant::Null()},
        {"Year", true, false, Variant::Null()},
        {"Month", true, false, Variant::Null()},
        {"Day", true, false, Variant::Null()}}},
      {"procedure Inc(var i: Integer; incr: Integer = 1)",
       "Inc",
       fvtClass,
       "",
       false,
       {{"i", true, false, Variant::Null()}, {"incr", false, true, Variant(1)}}},
      {"function ReadInteger(const Section, Ident: String; Default: LongInt): LongInt",
       "ReadInteger",
       fvtInt,
       "LongInt",
       false,
       {{"Section", false, false, Variant::Null()},
        {"Ident", false, false, Variant::Null()},
        {"Default", false, false, Variant::Null()}}},
      {"procedure P(a, b: Integer = -5)",
       "P",
       fvtClass,
       "",
       false,
       {{"a", false, false, Variant::Null()}, {"b", false, true, Variant(-5)}}},
      {"macrofunction SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
       "SUM",
       fvtVariant,
       "Variant",
       true,
       {{"Expr", false, false, Variant::Null()},
        {"Band", false, true, Variant(0)},
        {"Flags", false, true, Variant(0)}}},
      {"MACROFUNCTION IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant",
       "IIF",
       fvtVariant,
       "Variant",
       true,
       {{"Expr", false, false, Variant::Null()},
        {"TrueValue", false, false, Variant::Null()},
        {"FalseValue", false, false, Variant::Null()}}},
      {"function BoolToStr(B: Boolean): string;",
       "BoolToStr",
       fvtString,
       "string",
       false,
       {{"B", false, false, Variant::Null()}}},
      {"function Pi: Extended", "Pi", fvtFloat, "Extended", false, {}},
      {"function StrToInt64(s: String): Int64",
       "StrToInt64",
       fvtClass,
       "Int64",
       false,
       {{"s", false, false, Variant::Null()}}},
      {"procedure WriteTStrings(const Section :String; Value :TStrings; IsClear :Boolean = True)",
       "WriteTStrings",
       fvtClass,
       "",
       false,
       {{"Section", false, false, Variant::Null()},
        {"Value", false, false, Variant::Null()},
        {"IsClear", false, true, Variant(true)}}},
      {"procedure Say(Text: String = 'it''s'; Code: Integer = $1F; Other: Variant = Unknown)",
       "Say",
       fvtClass,
       "",
       false,
       {{"Text", false, true, Variant("it's")},
        {"Code", false, true, Variant(31)},
        {"Other", false, false, Variant::Null()}}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TfsCustomVariable> item = ParseMethodSyntax(c.text, &script);
    EXPECT_EQ(item->Name, c.name) << c.text;
    EXPECT_EQ(item->VarType, c.type) << c.text;
    EXPECT_EQ(item->TypeIdent, c.typeName) << c.text;
    EXPECT_EQ(item->MacroFlag, c.macro) << c.text;
    ASSERT_EQ(item->Count(), static_cast<int>(c.params.size())) << c.text;
    for (size_t i = 0; i < c.params.size(); ++i) {
      TfsParamItem* p = item->GetParam(static_cast<int>(i));
      EXPECT_EQ(p->Name, c.params[i].name) << c.text;
      EXPECT_EQ(p->ByRef, c.params[i].byRef) << c.text << " " << p->Name;
      EXPECT_EQ(p->Optional, c.params[i].optional) << c.text << " " << p->Name;
      EXPECT_TRUE(rtl::VarSameValue(p->DefaultValue, c.params[i].defaultValue))
          << c.text << " " << p->Name << " = " << rtl::VarToStr(p->DefaultValue);
    }
  }
}

TEST(Declarations, ExtendedIdentifiersAndBadText) {
  TfsScript script;
  script.ExtendedIdentifiers = true;
  std::unique_ptr<TfsCustomVariable> item =
      ParseMethodSyntax("procedure \xCF\xF0\xE8\xE2\xE5\xF2(x: Integer)", &script);
  EXPECT_EQ(item->Name, "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(item->UpperName, "\xCF\xD0\xC8\xC2\xC5\xD2");
  for (const char* bad : {"", "function", "12 x", "procedure (a: Integer)"})
    EXPECT_THROW(ParseMethodSyntax(bad, &script), rtl::EConvertError) << bad;
  // Garbage inside the parameter list ends without hanging.
  for (const char* odd : {"procedure P(a: Integer", "procedure P(;;;:,,=", "procedure P(a: = )", "function F(: )"})
    EXPECT_NO_THROW(ParseMethodSyntax(odd, &script)) << odd;
}

}  // namespace
