// Type names and compatibility, literal conversion, host argument records,
// and the reader of registration declarations.
#pragma once
#include <string_view>
#include <vector>

#include "script/fs_iinterpreter.h"

namespace script {

// The tag of the item that `name` finds in the script chain; fvtClass for an
// empty name or one that finds nothing.
TfsVarType StrToVarType(std::string_view name, TfsScript* script);
bool TypesCompatible(const TfsTypeRec& target, const TfsTypeRec& source, TfsScript* script);
// As TypesCompatible, and never a float into an integer.
bool AssignCompatible(TfsCustomVariable* target, TfsCustomVariable* source, TfsScript* script);
// A literal of the intermediate text: '' quoted text, an integer (64-bit
// above 2147483647), else a real read with "." or the locale's separator.
Variant ParserStringToVariant(std::string_view text);

// A host argument record: what a host event or a formatting call passes.
enum TVarRecType : uint8_t {
  vtInteger,
  vtBoolean,
  vtChar,
  vtExtended,
  vtString,
  vtPointer,
  vtPChar,
  vtObject,
  vtClass,
  vtWideChar,
  vtPWideChar,
  vtAnsiString,
  vtCurrency,
  vtVariant,
  vtInterface,
  vtWideString,
  vtInt64,
};
struct TVarRec {
  TVarRecType VType = vtInteger;
  int32_t VInteger = 0;
  bool VBoolean = false;
  char VChar = 0;
  long double VExtended = 0;
  AnsiString VString;  // vtString (at most 255 bytes) and vtAnsiString
  rtl::TObject* VObject = nullptr;
  rtl::Currency VCurrency;
  Variant VVariant;
  int64_t VInt64 = 0;
};
using TVarRecArray = std::vector<TVarRec>;

Variant VarRecToVariant(const TVarRec& record);
void VariantToVarRec(const Variant& array, TVarRecArray& records);
void ClearVarRec(TVarRecArray& records);

// "12:5" -> line 12, column 5; empty -> 0, 0.
struct TfsPoint {
  int X = 0;
  int Y = 0;
};
TfsPoint fsPosToPoint(std::string_view position);

// Reads a declaration such as "function IntToStr(i: Integer): String" into an
// item with its name, result type, macro flag and parameters. Raises
// EConvertError for text that is not a declaration.
std::unique_ptr<TfsCustomVariable> ParseMethodSyntax(std::string_view declaration, TfsScript* script);

}  // namespace script

namespace script {

class TfsXMLItem;

// The documentation tree of a script's registrations under `root`:
// "Functions" by category, "Classes" with their members, "Types" (enumerations),
// "Variables" and "Constants". With `functionsOnly`, the functions alone.
void GenerateXMLContents(TfsScript* script, TfsXMLItem* root, bool functionsOnly = false);
// Appends the members of every registered class that `cls` is or descends from.
void GenerateMembers(TfsScript* script, TClass cls, TfsXMLItem* element);

}  // namespace script
