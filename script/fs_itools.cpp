// Type names and compatibility, literal conversion, host argument records.
#include "script/fs_itools.h"

#include <charconv>

#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace script {

TfsVarType StrToVarType(std::string_view name, TfsScript* script) {
  if (name.empty() || !script) return fvtClass;
  TfsCustomVariable* item = script->Find(name);
  return item ? item->VarType : fvtClass;
}

// Type names are compared on their first 32 characters.
static bool SameTypeName(std::string_view a, std::string_view b) {
  return rtl::AnsiSameText(a.substr(0, 32), b.substr(0, 32));
}

// The source class is the target class or descends from it; both registered.
static bool ClassDescends(const AnsiString& target, const AnsiString& source, TfsScript* script) {
  if (!script || !script->FindClass(target)) return false;
  TfsClassVariable* cls = script->FindClass(source);
  for (int depth = 0; cls && depth < 256; ++depth) {
    if (SameTypeName(cls->Name, target)) return true;
    if (cls->AncestorName.empty()) break;
    cls = script->FindClass(cls->AncestorName);
  }
  return false;
}

bool TypesCompatible(const TfsTypeRec& target, const TfsTypeRec& source, TfsScript* script) {
  const TfsVarType s = source.Typ;
  switch (target.Typ) {
    case fvtInt: return s == fvtInt || s == fvtFloat || s == fvtVariant || s == fvtEnum || s == fvtInt64;
    case fvtBool: return s == fvtBool || s == fvtVariant;
    case fvtFloat: return s == fvtInt || s == fvtFloat || s == fvtVariant;
    case fvtChar:
    case fvtString: return s == fvtChar || s == fvtString || s == fvtVariant;
    case fvtClass: return s == fvtVariant || (s == fvtClass && ClassDescends(target.TypeName, source.TypeName, script));
    case fvtArray: return s == fvtArray || s == fvtVariant;
    case fvtVariant: return true;
    case fvtEnum:
      return s == fvtInt || s == fvtVariant || s == fvtInt64 ||
             (s == fvtEnum && SameTypeName(target.TypeName, source.TypeName));
    case fvtConstructor:
    case fvtInt64: return false;
  }
  return false;
}

bool AssignCompatible(TfsCustomVariable* target, TfsCustomVariable* source, TfsScript* script) {
  TfsTypeRec t{target->VarType, target->TypeIdent};
  TfsTypeRec s{source->VarType, source->TypeIdent};
  if (t.Typ == fvtInt && s.Typ == fvtFloat) return false;
  return TypesCompatible(t, s, script);
}

Variant ParserStringToVariant(std::string_view text) {
  if (text.empty()) return Variant::Null();
  if (text[0] == '\'') return Variant(text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string_view());
  int64_t integer = 0;
  if (rtl::TryStrToInt64(text, integer)) {
    // Whatever does not fit 32 bits stays 64-bit, below the range as above it.
    if (integer > INT32_MAX || integer < INT32_MIN) return Variant(integer);
    return Variant(static_cast<int32_t>(integer));
  }
  const char separator = rtl::CurrentFormatSettings().DecimalSeparator;
  AnsiString real(text);
  if (separator != '.') {
    size_t point = real.find('.');
    if (point != AnsiString::npos) real[point] = separator;
  }
  return Variant(static_cast<double>(rtl::StrToFloat(real)));
}

Variant VarRecToVariant(const TVarRec& record) {
  switch (record.VType) {
    case vtInteger: return Variant(record.VInteger);
    case vtObject: return fsObjectToVariant(record.VObject);
    case vtBoolean: return Variant(record.VBoolean);
    case vtChar: return Variant(std::string_view(&record.VChar, 1));
    case vtExtended: return Variant(static_cast<double>(record.VExtended));
    case vtCurrency: return Variant(static_cast<double>(record.VCurrency.ToFloat()));
    case vtString:
    case vtAnsiString: return Variant(record.VString);
    case vtVariant: return record.VVariant;
    default: return Variant::Null();
  }
}

void VariantToVarRec(const Variant& array, TVarRecArray& records) {
  records.clear();
  if (!array.IsArray()) return;
  const int32_t high = rtl::VarArrayHighBound(array, 1);
  for (int32_t i = 0; i <= high; ++i) {
    Variant element = array[i];
    TVarRec record;
    switch (element.RawType()) {
      case rtl::varSmallint:
      case rtl::varInteger:
      case rtl::varShortInt:
      case rtl::varByte:
      case rtl::varWord:
      case rtl::varLongWord:
        record.VType = vtInteger;
        record.VInteger = static_cast<int32_t>(element.RawInt());
        break;
      case rtl::varSingle:
      case rtl::varDouble:
      case rtl::varCurrency:
      case rtl::varDate:
      case rtl::varExtended:
        record.VType = vtExtended;
        record.VExtended = element.AsExtended();
        break;
      case rtl::varString:
      case rtl::varOleStr:
        record.VType = vtString;
        record.VString = element.AsString().substr(0, 255);
        break;
      case rtl::varBoolean:
        record.VType = vtBoolean;
        record.VBoolean = element.AsBoolean();
        break;
      case rtl::varInt64:
        record.VType = vtInt64;
        record.VInt64 = element.AsInt64();
        break;
      case rtl::varVariant:
        record.VType = vtVariant;
        record.VVariant = element;
        break;
      default: break;  // an integer record holding 0
    }
    records.push_back(std::move(record));
  }
}

void ClearVarRec(TVarRecArray& records) { records.clear(); }

TfsPoint fsPosToPoint(std::string_view position) {
  TfsPoint p;
  if (position.empty()) return p;
  size_t colon = position.find(':');
  std::string_view line = position.substr(0, colon);
  std::from_chars(line.data(), line.data() + line.size(), p.Y);
  if (colon != std::string_view::npos) {
    std::string_view column = position.substr(colon + 1);
    std::from_chars(column.data(), column.data() + column.size(), p.X);
  }
  return p;
}

}  // namespace script
