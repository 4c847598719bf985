// Formula texts into BIFF8 parsed-expression bytes: operand classes are
// assigned from the function table, then the tokens are emitted.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "export/biff/biffFormulaParser.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

namespace report {

class TBiffLinkTable;

VUZ_DECLARE_EXCEPTION(EBiffFormulaCompilerError, rtl::Exception)
VUZ_DECLARE_EXCEPTION(EBiffFormulaCodeEmitterError, rtl::Exception)

enum TBiffFormulaRetType : std::uint8_t { frtVoid, frtRef, frtVal, frtArray };

struct TBiffFormulaCellRef {
  int Row = 0, Col = 0;
  bool RowAbs = false, ColAbs = false;
};

struct TBiffFormulaFunc {
  AnsiString Name;
  int Id = 0;
  int MinArgs = 0, MaxArgs = 0;
  bool Flag = false;
  char RetType = 'v';
  AnsiString ArgTypes;  // one of a, r, v per position; later positions take the last
};

class TBiffFormulaCodeEmitter {
 public:
  explicit TBiffFormulaCodeEmitter(std::string* output) : out_(output) {}
  TBiffFormulaRetType Mode = frtVoid;

  void Add() { Op(0x03); }
  void Sub() { Op(0x04); }
  void Mul() { Op(0x05); }
  void Divide() { Op(0x06); }
  void Pow() { Op(0x07); }
  void Join() { Op(0x08); }
  void CmpL() { Op(0x09); }
  void CmpLE() { Op(0x0A); }
  void CmpE() { Op(0x0B); }
  void CmpGE() { Op(0x0C); }
  void CmpG() { Op(0x0D); }
  void CmpNE() { Op(0x0E); }
  void Intersect() { Op(0x0F); }
  void Range() { Op(0x11); }
  void Neg() { Op(0x13); }
  void Div100() { Op(0x14); }
  void CallId() { Op(0x15); }
  void PushNull() { Op(0x16); }
  // 8-bit characters when all fit, else UTF-16 (the text is 1251).
  void Push(const AnsiString& text);
  void Push(bool value);
  void Push(int value);
  void Push(double value);
  void Call(int id);
  void Call(int id, int argumentCount);
  void PushCell(const TBiffFormulaCellRef& ref);
  void PushArea(const TBiffFormulaCellRef& first, const TBiffFormulaCellRef& last);
  void PushExtCell(int refIndex, const TBiffFormulaCellRef& ref);
  void PushExtArea(int refIndex, const TBiffFormulaCellRef& first, const TBiffFormulaCellRef& last);

 private:
  void Op(int code) { *out_ += static_cast<char>(code); }
  void U16(unsigned v);
  int ClassCode(int base) const;
  void CellBody(const TBiffFormulaCellRef& ref);

  std::string* out_;
};

// The process-wide table of built-in functions, filled once before any use.
class TBiffFormulaFuncList {
 public:
  static int GetCount();
  static const TBiffFormulaFunc& GetFunc(int index);
  // Index of the first entry whose name is not less than the upper-cased name.
  static int Find(const AnsiString& name);
  static bool Exists(const AnsiString& name);
  static const TBiffFormulaFunc* Get(const AnsiString& name);
  // 'A', 'R' or 'V'; position must be below the maximum argument count.
  static char GetArgType(const AnsiString& name, int position);
};

class TBiffFormulaCompiler {
 public:
  TBiffFormulaCompiler();
  void Compile(const AnsiString& text);
  void SaveToStream(rtl::TStream& stream) const;
  const std::string& Code() const { return code_; }
  TBiffLinkTable* LinkTable = nullptr;

 private:
  void CalcRetTypes();
  void EmitPush(const TBiffFormulaToken& operand);
  void EmitFunc(const AnsiString& name, int argumentCount);
  static TBiffFormulaCellRef ParseCell(const TBiffFormulaToken& token);

  TBiffFormulaParser parser_;
  std::string code_;
  TBiffFormulaCodeEmitter emitter_;
  std::vector<TBiffFormulaRetType> classes_;
};

}  // namespace report
