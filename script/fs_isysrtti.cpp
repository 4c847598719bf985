#include "script/fs_isysrtti.h"

#include <cmath>
#include <limits>
#include <vector>

#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"
#include "platform/rtl/random.h"
#include "platform/rtl/textcase.h"

namespace script {

namespace {

TfsShowMessageHandler& ShowMessageHandler() {
  static TfsShowMessageHandler handler;
  return handler;
}

Variant Arg(TfsMethodHelper* caller, int index) { return caller->GetVParam(index); }
AnsiString ArgText(TfsMethodHelper* caller, int index) { return Arg(caller, index).AsString(); }
long double ArgFloat(TfsMethodHelper* caller, int index) { return Arg(caller, index).AsExtended(); }
std::int64_t ArgInt(TfsMethodHelper* caller, int index) { return Arg(caller, index).AsInt64(); }

// Floats reach scripts as doubles: scripts know no 80-bit type code.
Variant Float(long double value) { return Variant(static_cast<double>(value)); }
Variant DateValue(double value) { return Variant::FromDate(value); }

// A whole number that must fit a script integer.
Variant Int32Result(std::int64_t value, const char* function) {
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    throw rtl::ERangeError(AnsiString(function) + ": value out of the integer range");
  return Variant(static_cast<std::int32_t>(value));
}

AnsiString CopyText(const AnsiString& s, std::int64_t from, std::int64_t count) {
  if (from < 1) from = 1;
  if (count < 0 || from > static_cast<std::int64_t>(s.size())) return {};
  return s.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count));
}

AnsiString NameCase(const AnsiString& s) {
  AnsiString out = rtl::AnsiLowerCase(s);
  if (!out.empty()) out[0] = rtl::AnsiUpperChar(out[0]);
  for (std::size_t i = 1; i + 1 < out.size(); ++i)
    if (out[i] == ' ') out[i + 1] = rtl::AnsiUpperChar(out[i + 1]);
  return out;
}

AnsiString ExtractFilePath(const AnsiString& name) {
  std::size_t at = name.find_last_of("\\/:");
  return at == AnsiString::npos ? AnsiString() : name.substr(0, at + 1);
}

// The arguments of Format: the elements of a one-dimensional array, or the
// value itself. Strings pass whole (no 255-character cut).
std::vector<Variant> FormatArguments(const Variant& args) {
  std::vector<Variant> out;
  if (!args.IsArray()) {
    if (!args.IsNull() && !args.IsEmpty()) out.push_back(args);
    return out;
  }
  int32_t low = rtl::VarArrayLowBound(args, 1), high = rtl::VarArrayHighBound(args, 1);
  for (int32_t i = low; i <= high; ++i) {
    Variant element = args[i];
    // Integer and float kinds as the runtime's argument records hold them.
    switch (element.Type()) {
      case rtl::varSmallint:
      case rtl::varShortInt:
      case rtl::varByte:
      case rtl::varWord: element = Variant(element.AsInteger()); break;
      case rtl::varSingle:
      case rtl::varCurrency:
      case rtl::varDate: element = Variant::FromExtended(element.AsExtended()); break;
      default: break;
    }
    out.push_back(element);
  }
  return out;
}

bool ValidDate(const Variant& v) {
  AnsiString text = v.Type() == rtl::varDate ? rtl::DateToStr(v.AsDate()) : v.AsString();
  double value;
  return rtl::TryStrToDate(text, value);
}

}  // namespace

void fsSetShowMessageHandler(TfsShowMessageHandler handler) { ShowMessageHandler() = std::move(handler); }

TfsRTTIModule* fsCreateSysFunctions(TfsScript* script) { return new TfsSysFunctions(script); }

// ---- registration ----

TfsSysFunctions::TfsSysFunctions(TfsScript* script) : TfsRTTIModule(script) {
  TfsScript& s = *script;
  for (const char* name : {"Byte", "Word", "Integer", "Longint", "Cardinal", "TColor", "TAlphaColor"})
    s.AddType(name, fvtInt);
  s.AddType("Boolean", fvtBool);
  for (const char* name : {"Real", "Single", "Double", "Extended", "Currency", "TDate", "TTime", "TDateTime"})
    s.AddType(name, fvtFloat);
  s.AddType("Char", fvtChar);
  s.AddType("String", fvtString);
  s.AddType("Variant", fvtVariant);
  s.AddType("Pointer", fvtVariant);
  s.AddType("Array", fvtArray);
  s.AddType("Constructor", fvtConstructor);

  s.AddConst("True", "Boolean", Variant(true));
  s.AddConst("False", "Boolean", Variant(false));
  s.AddConst("nil", "Variant", Variant(0));
  s.AddConst("Null", "Variant", Variant::Null());

  s.Add("__StringHelper", new TfsStringHelper());
  s.Add("__ArrayHelper", new TfsArrayHelper("__ArrayHelper", -1, fvtVariant, ""));

  s.AddVariable("ExceptionClassName", "String", Variant(AnsiString()));
  s.AddVariable("ExceptionMessage", "String", Variant(AnsiString()));

  struct Function {
    const char* declaration;
    Variant (*dispatch)(rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper*);
    const char* category;
  };
  static const Function kFunctions[] = {
      {"function IntToStr(i: Integer): String", CallMethod1, kCategoryConv},
      {"function FloatToStr(e: Extended): String", CallMethod1, kCategoryConv},
      {"function DateToStr(e: Extended): String", CallMethod1, kCategoryConv},
      {"function TimeToStr(e: Extended): String", CallMethod1, kCategoryConv},
      {"function DateTimeToStr(e: Extended): String", CallMethod1, kCategoryConv},
      {"function BoolToStr(B: Boolean): string;", CallMethod1, kCategoryConv},
      {"function VarToStr(v: Variant): String", CallMethod7, kCategoryConv},
      {"function StrToInt(s: String): Integer", CallMethod2, kCategoryConv},
      {"function StrToInt64(s: String): Int64", CallMethod2, kCategoryConv},
      {"function StrToFloat(s: String): Extended", CallMethod2, kCategoryConv},
      {"function StrToDate(s: String): Extended", CallMethod2, kCategoryConv},
      {"function StrToTime(s: String): Extended", CallMethod2, kCategoryConv},
      {"function StrToDateTime(s: String): Extended", CallMethod2, kCategoryConv},
      {"function StrToBool(const S: string): Boolean;", CallMethod2, kCategoryConv},
      {"function Format(Fmt: String; Args: array): String", CallMethod3, kCategoryFormat},
      {"function FormatFloat(Fmt: String; Value: Extended): String", CallMethod3, kCategoryFormat},
      {"function FormatDateTime(Fmt: String; DateTime: TDateTime): String", CallMethod3, kCategoryFormat},
      {"function FormatMaskText(EditMask: string; Value: string): string", CallMethod3, kCategoryFormat},
      {"function EncodeDate(Year, Month, Day: Word): TDateTime", CallMethod4, kCategoryDate},
      {"procedure DecodeDate(Date: TDateTime; var Year, Month, Day: Word)", CallMethod4, kCategoryDate},
      {"function EncodeTime(Hour, Min, Sec, MSec: Word): TDateTime", CallMethod4, kCategoryDate},
      {"procedure DecodeTime(Time: TDateTime; var Hour, Min, Sec, MSec: Word)", CallMethod4, kCategoryDate},
      {"function Date: TDateTime", CallMethod4, kCategoryDate},
      {"function Time: TDateTime", CallMethod4, kCategoryDate},
      {"function Now: TDateTime", CallMethod4, kCategoryDate},
      {"function DayOfWeek(aDate: TDateTime): Integer", CallMethod4, kCategoryDate},
      {"function IsLeapYear(Year: Word): Boolean", CallMethod4, kCategoryDate},
      {"function DaysInMonth(nYear, nMonth: Integer): Integer", CallMethod4, kCategoryDate},
      {"function Length(s: Variant): Integer", CallMethod5, kCategoryString},
      {"function Copy(s: String; from, count: Integer): String", CallMethod5, kCategoryString},
      {"function Pos(substr, s: String): Integer", CallMethod5, kCategoryString},
      {"procedure Delete(var s: String; from, count: Integer)", CallMethod5, kCategoryString},
      {"procedure DeleteStr(var s: String; from, count: Integer)", CallMethod5, kCategoryString},
      {"procedure Insert(s: String; var s2: String; pos: Integer)", CallMethod5, kCategoryString},
      {"function Uppercase(s: String): String", CallMethod5, kCategoryString},
      {"function Lowercase(s: String): String", CallMethod5, kCategoryString},
      {"function Trim(s: String): String", CallMethod5, kCategoryString},
      {"function NameCase(s: String): String", CallMethod5, kCategoryString},
      {"function CompareText(s, s1: String): Integer", CallMethod5, kCategoryString},
      {"function Chr(i: Integer): Char", CallMethod5, kCategoryString},
      {"function Ord(ch: Char): Integer", CallMethod5, kCategoryString},
      {"procedure SetLength(var S: Variant; L: Integer)", CallMethod5, kCategoryString},
      {"function Round(e: Extended): Integer", CallMethod6, kCategoryMath},
      {"function Trunc(e: Extended): Integer", CallMethod6, kCategoryMath},
      {"function Int(e: Extended): Integer", CallMethod6, kCategoryMath},
      {"function Frac(X: Extended): Extended", CallMethod6, kCategoryMath},
      {"function Sqrt(e: Extended): Extended", CallMethod6, kCategoryMath},
      {"function Abs(e: Extended): Extended", CallMethod6, kCategoryMath},
      {"function Sin(e: Extended): Extended", CallMethod6, kCategoryMath},
      {"function Cos(e: Extended): Extended", CallMethod6, kCategoryMath},
      {"function ArcTan(X: Extended): Extended", CallMethod6, kCategoryMath},
      {"function Tan(X: Extended): Extended", CallMethod6, kCategoryMath},
      {"function Exp(X: Extended): Extended", CallMethod6, kCategoryMath},
      {"function Ln(X: Extended): Extended", CallMethod6, kCategoryMath},
      {"function Pi: Extended", CallMethod6, kCategoryMath},
      {"procedure Inc(var i: Integer; incr: Integer = 1)", CallMethod7, kCategoryOther},
      {"procedure Dec(var i: Integer; decr: Integer = 1)", CallMethod7, kCategoryOther},
      {"procedure RaiseException(Param: String)", CallMethod7, kCategoryOther},
      {"procedure ShowMessage(Msg: Variant)", CallMethod7, kCategoryOther},
      {"procedure Randomize", CallMethod7, kCategoryOther},
      {"function Random: Extended", CallMethod7, kCategoryOther},
      {"function ValidInt(cInt: String): Boolean", CallMethod7, kCategoryOther},
      {"function ValidFloat(cFlt: String): Boolean", CallMethod7, kCategoryOther},
      {"function ValidDate(cDate: String): Boolean", CallMethod7, kCategoryOther},
      {"function ExtractFilePath(const FileName: string): string;", CallMethod7, kCategoryOther},
      {"function CreateOleObject(ClassName: String): Variant", CallMethod7, kCategoryOther},
      {"function VarArrayCreate(Bounds: Array; Typ: Integer): Variant", CallMethod7, kCategoryOther},
      {"function VarType(V: Variant): Integer", CallMethod7, kCategoryOther},
  };
  for (const Function& f : kFunctions) s.AddMethod(f.declaration, TfsCallMethodNewEvent(f.dispatch), f.category);

  static const std::pair<const char*, int> kVariantCodes[] = {
      {"varEmpty", 0},    {"varNull", 1},     {"varSmallint", 2},    {"varInteger", 3},  {"varSingle", 4},
      {"varDouble", 5},   {"varCurrency", 6}, {"varDate", 7},        {"varOleStr", 8},   {"varDispatch", 9},
      {"varError", 10},   {"varBoolean", 11}, {"varVariant", 12},    {"varUnknown", 13}, {"varShortInt", 16},
      {"varByte", 17},    {"varWord", 18},    {"varLongWord", 19},   {"varInt64", 20},   {"varStrArg", 72},
      {"varString", 256}, {"varAny", 257},    {"varTypeMask", 4095}, {"varArray", 8192}, {"varByRef", 16384},
  };
  for (const auto& [name, code] : kVariantCodes) s.AddConst(name, "Integer", Variant(code));
}

// ---- dispatch ----

Variant TfsSysFunctions::CallMethod1(rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "INTTOSTR") return Variant(rtl::IntToStr(ArgInt(caller, 0)));
  if (name == "FLOATTOSTR") return Variant(rtl::FloatToStr(ArgFloat(caller, 0)));
  if (name == "DATETOSTR") return Variant(rtl::DateToStr(Arg(caller, 0).AsDouble()));
  if (name == "TIMETOSTR") return Variant(rtl::TimeToStr(Arg(caller, 0).AsDouble()));
  if (name == "DATETIMETOSTR") return Variant(rtl::DateTimeToStr(Arg(caller, 0).AsDouble()));
  if (name == "BOOLTOSTR") return Variant(rtl::BoolToStr(Arg(caller, 0).AsBoolean()));
  return Variant::Null();
}

Variant TfsSysFunctions::CallMethod2(rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "STRTOINT") return Variant(rtl::StrToInt(ArgText(caller, 0)));
  if (name == "STRTOINT64") return Variant(rtl::StrToInt64(ArgText(caller, 0)));
  if (name == "STRTOFLOAT") return Float(rtl::StrToFloat(ArgText(caller, 0)));
  if (name == "STRTODATE") return DateValue(rtl::StrToDate(ArgText(caller, 0)));
  if (name == "STRTOTIME") return DateValue(rtl::StrToTime(ArgText(caller, 0)));
  if (name == "STRTODATETIME") return DateValue(rtl::StrToDateTime(ArgText(caller, 0)));
  if (name == "STRTOBOOL") return Variant(Arg(caller, 0).AsBoolean());
  return Variant::Null();
}

Variant TfsSysFunctions::CallMethod3(rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "FORMAT") {
    std::vector<Variant> args = FormatArguments(Arg(caller, 1));
    return Variant(rtl::Format(ArgText(caller, 0), std::span<const Variant>(args)));
  }
  if (name == "FORMATFLOAT") return Variant(rtl::FormatFloat(ArgText(caller, 0), ArgFloat(caller, 1)));
  if (name == "FORMATDATETIME") return Variant(rtl::FormatDateTime(ArgText(caller, 0), Arg(caller, 1).AsDouble()));
  if (name == "FORMATMASKTEXT") return Variant(rtl::FormatMaskText(ArgText(caller, 0), ArgText(caller, 1)));
  return Variant::Null();
}

Variant TfsSysFunctions::CallMethod4(rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  auto word = [&](int i) { return static_cast<int>(ArgInt(caller, i)); };
  if (name == "ENCODEDATE") return DateValue(rtl::EncodeDate(word(0), word(1), word(2)));
  if (name == "DECODEDATE") {
    int y, m, d;
    rtl::DecodeDate(Arg(caller, 0).AsDouble(), y, m, d);
    caller->SetVParam(1, Variant(y));
    caller->SetVParam(2, Variant(m));
    caller->SetVParam(3, Variant(d));
    return Variant::Null();
  }
  if (name == "ENCODETIME") return DateValue(rtl::EncodeTime(word(0), word(1), word(2), word(3)));
  if (name == "DECODETIME") {
    int h, m, s, ms;
    rtl::DecodeTime(Arg(caller, 0).AsDouble(), h, m, s, ms);
    caller->SetVParam(1, Variant(h));
    caller->SetVParam(2, Variant(m));
    caller->SetVParam(3, Variant(s));
    caller->SetVParam(4, Variant(ms));
    return Variant::Null();
  }
  if (name == "DATE") return DateValue(rtl::Date());
  if (name == "TIME") return DateValue(rtl::Time());
  if (name == "NOW") return DateValue(rtl::Now());
  if (name == "DAYOFWEEK") return Variant(rtl::DayOfWeek(Arg(caller, 0).AsDouble()));
  if (name == "ISLEAPYEAR") return Variant(rtl::IsLeapYear(word(0)));
  if (name == "DAYSINMONTH") {
    std::int64_t month = ArgInt(caller, 1);
    if (month < 1 || month > 12)
      throw rtl::ERangeError("DaysInMonth: month " + rtl::IntToStr(month) + " is outside 1 to 12");
    return Variant(rtl::DaysInMonth(word(0), static_cast<int>(month)));
  }
  return Variant::Null();
}

Variant TfsSysFunctions::CallMethod5(rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "LENGTH") {
    Variant v = Arg(caller, 0);
    if (v.IsArray()) return Variant(rtl::VarArrayHighBound(v, 1) - rtl::VarArrayLowBound(v, 1) + 1);
    return Variant(static_cast<std::int32_t>(v.AsString().size()));
  }
  if (name == "COPY") return Variant(CopyText(ArgText(caller, 0), ArgInt(caller, 1), ArgInt(caller, 2)));
  if (name == "POS") return Variant(rtl::Pos(ArgText(caller, 0), ArgText(caller, 1)));
  if (name == "DELETE" || name == "DELETESTR") {
    AnsiString s = ArgText(caller, 0);
    rtl::Delete(s, ArgInt(caller, 1), ArgInt(caller, 2));
    caller->SetVParam(0, Variant(s));
    return Variant::Null();
  }
  if (name == "INSERT") {
    AnsiString s2 = ArgText(caller, 1);
    rtl::Insert(ArgText(caller, 0), s2, ArgInt(caller, 2));
    caller->SetVParam(1, Variant(s2));
    return Variant::Null();
  }
  if (name == "UPPERCASE") return Variant(rtl::AnsiUpperCase(ArgText(caller, 0)));
  if (name == "LOWERCASE") return Variant(rtl::AnsiLowerCase(ArgText(caller, 0)));
  if (name == "TRIM") return Variant(rtl::Trim(ArgText(caller, 0)));
  if (name == "NAMECASE") return Variant(NameCase(ArgText(caller, 0)));
  if (name == "COMPARETEXT") return Variant(rtl::AnsiCompareText(ArgText(caller, 0), ArgText(caller, 1)));
  if (name == "CHR") return Variant(AnsiString(1, static_cast<char>(ArgInt(caller, 0) & 0xFF)));
  if (name == "ORD") {
    AnsiString s = ArgText(caller, 0);
    if (s.empty()) throw rtl::ERangeError("Ord: the text is empty");
    return Variant(static_cast<std::int32_t>(static_cast<unsigned char>(s[0])));
  }
  if (name == "SETLENGTH") {
    Variant v = Arg(caller, 0);
    std::int64_t length = ArgInt(caller, 1);
    if (v.IsArray()) {
      rtl::VarArrayRedim(v, static_cast<std::int32_t>(length - 1));
    } else {
      if (length < 0 || length > (std::int64_t{1} << 30)) throw rtl::ERangeError("SetLength: length out of range");
      AnsiString s = v.AsString();
      s.resize(static_cast<std::size_t>(length));
      v = Variant(s);
    }
    caller->SetVParam(0, v);
    return Variant::Null();
  }
  return Variant::Null();
}

Variant TfsSysFunctions::CallMethod6(rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "PI") return Float(3.1415926535897932385L);
  long double x = ArgFloat(caller, 0);
  if (name == "ROUND") return Int32Result(rtl::Round(x), "Round");
  if (name == "TRUNC") return Int32Result(rtl::Trunc(x), "Trunc");
  if (name == "INT") return Float(rtl::Int(x));
  if (name == "FRAC") return Float(rtl::Frac(x));
  if (name == "SQRT") return Float(std::sqrt(x));
  if (name == "ABS") return Float(std::fabs(x));
  if (name == "SIN") return Float(std::sin(x));
  if (name == "COS") return Float(std::cos(x));
  if (name == "ARCTAN") return Float(std::atan(x));
  if (name == "TAN") return Float(std::sin(x) / std::cos(x));
  if (name == "EXP") return Float(std::exp(x));
  if (name == "LN") return Float(std::log(x));
  return Variant::Null();
}

Variant TfsSysFunctions::CallMethod7(rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "VARTOSTR") {
    Variant v = Arg(caller, 0);
    return Variant(v.IsNull() ? AnsiString() : v.AsString());
  }
  if (name == "INC" || name == "DEC") {
    Variant step = Arg(caller, 1);
    if (step.IsNull()) step = Variant(1);
    Variant v = Arg(caller, 0);
    caller->SetVParam(0, name == "INC" ? rtl::VarAdd(v, step) : rtl::VarSub(v, step));
    return Variant::Null();
  }
  if (name == "RAISEEXCEPTION") throw rtl::Exception(ArgText(caller, 0));
  if (name == "SHOWMESSAGE") {
    Variant v = Arg(caller, 0);
    if (ShowMessageHandler()) ShowMessageHandler()(v.IsNull() ? AnsiString() : v.AsString());
    return Variant::Null();
  }
  if (name == "RANDOMIZE") {
    rtl::Randomize();
    return Variant::Null();
  }
  if (name == "RANDOM") return Variant(rtl::Random());
  if (name == "VALIDINT") {
    std::int32_t value;
    try {
      return Variant(rtl::TryStrToInt(ArgText(caller, 0), value));
    } catch (const std::exception&) {
      return Variant(false);
    }
  }
  if (name == "VALIDFLOAT") {
    double value;
    try {
      return Variant(rtl::TryStrToFloat(ArgText(caller, 0), value));
    } catch (const std::exception&) {
      return Variant(false);
    }
  }
  if (name == "VALIDDATE") {
    try {
      return Variant(ValidDate(Arg(caller, 0)));
    } catch (const std::exception&) {
      return Variant(false);
    }
  }
  if (name == "EXTRACTFILEPATH") return Variant(ExtractFilePath(ArgText(caller, 0)));
  if (name == "CREATEOLEOBJECT")
    throw rtl::Exception("CreateOleObject('" + ArgText(caller, 0) +
                         "'): automation objects are not available on this system");
  if (name == "VARARRAYCREATE") {
    Variant bounds = Arg(caller, 0);
    if (!bounds.IsArray()) throw rtl::EVariantError("VarArrayCreate: the bounds must be an array");
    std::vector<std::int32_t> values;
    for (int32_t i = rtl::VarArrayLowBound(bounds, 1); i <= rtl::VarArrayHighBound(bounds, 1); ++i)
      values.push_back(bounds[i].AsInteger());
    std::int64_t elements = 1;
    for (std::size_t i = 0; i + 1 < values.size(); i += 2)
      elements *= std::max<std::int64_t>(std::int64_t{values[i + 1]} - values[i] + 1, 1);
    if (values.size() % 2 != 0 || values.empty() || values.size() > 6 || elements > (std::int64_t{1} << 24))
      throw rtl::EVariantError("VarArrayCreate: invalid bounds");
    return rtl::VarArrayCreate(values, static_cast<rtl::TVarType>(ArgInt(caller, 1)));
  }
  if (name == "VARTYPE") {
    rtl::TVarType type = Arg(caller, 0).Type();
    // Extended values are shown as doubles: scripts know no other float code.
    if (type == rtl::varExtended) type = rtl::varDouble;
    return Variant(static_cast<std::int32_t>(type));
  }
  return Variant::Null();
}

}  // namespace script
