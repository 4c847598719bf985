// Formula texts (without their leading "=") into a flat list of tokens in
// reverse Polish order: the lexer cuts the text into lexems, the parser reads
// the grammar by recursive descent and the RPN stack orders operands and
// operators by priority, with a frame for every parenthesis and call.
#pragma once
#include <cstdint>
#include <vector>

#include "export/vuzCryptoAssert.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;

VUZ_DECLARE_EXCEPTION(EBiffFormulaParserError, rtl::Exception)
VUZ_DECLARE_EXCEPTION(EBiffFormulaRPNStackError, rtl::Exception)

enum TBiffFormulaLexemKind : std::uint8_t { flkVoid, flkSpace, flkName, flkInt, flkString, flkOp, flkSymbol };
enum TBiffFormulaTokenKind : std::uint8_t { ftkVoid, ftkArg, ftkOp };
enum TBiffFormulaOperatorKind : std::uint8_t {
  fokVoid,
  fokPush,
  fokDiv100,
  fokNeg,
  fokAdd,
  fokSub,
  fokDiv,
  fokMul,
  fokPow,
  fokArea,
  fokColon,
  fokIsect,
  fokExt,
  fokJoin,
  fokL,
  fokG,
  fokE,
  fokNE,
  fokLE,
  fokGE,
  fokNull,
  fokNumber,
  fokBool,
  fokString,
  fokCell,
  fokFunc,
  fokId
};

struct TBiffFormulaLexem {
  TBiffFormulaLexemKind Kind = flkVoid;
  AnsiString Text;
};

// Value: operand count of an operator, argument count of a call, absolute
// flags of a cell (bit 0 row, bit 1 column), 1 or 0 of a boolean.
struct TBiffFormulaToken {
  TBiffFormulaTokenKind Kind = ftkVoid;
  TBiffFormulaOperatorKind Op = fokVoid;
  AnsiString Text;
  int Value = 0;
};

using TBiffFormulaTokenArray = std::vector<TBiffFormulaToken>;

class TBiffFormulaLexer {
 public:
  void Analyse(const AnsiString& text);
  int GetLexemsCount() const { return static_cast<int>(lexems_.size()); }
  const TBiffFormulaLexem& GetLexem(int index) const;
  const std::vector<TBiffFormulaLexem>& Lexems() const { return lexems_; }

 private:
  std::vector<TBiffFormulaLexem> lexems_;
};

class TBiffFormulaRPNStack {
 public:
  void PushArg(TBiffFormulaOperatorKind op, const AnsiString& text, int value);
  void PushOp(TBiffFormulaOperatorKind op, const AnsiString& text, int operands);
  void PushFrame(const AnsiString& functionName);
  void PopFrame();
  int GetCount() const { return static_cast<int>(output_.size()); }
  const TBiffFormulaToken& GetInstruction(int index) const { return output_[static_cast<std::size_t>(index)]; }
  static int OpPriority(TBiffFormulaOperatorKind op);

 private:
  // Frames keep full counts: a formula may hold any number of pending values.
  struct Frame {
    AnsiString Name;
    std::size_t OperatorsAtOpen = 0;
    int ValuesAtOpen = 0;
  };
  int FrameArguments() const;
  std::size_t FrameOperators() const;

  int values_ = 0;
  TBiffFormulaTokenArray output_;
  TBiffFormulaTokenArray operators_;
  std::vector<Frame> frames_;
};

class TBiffFormulaParser {
 public:
  // Raises EBiffFormulaParserError or EBiffFormulaRPNStackError; text after a
  // complete expression is an error too.
  void Parse(const AnsiString& text);
  int GetTokensCount() const { return static_cast<int>(tokens_.size()); }
  const TBiffFormulaToken& GetToken(int index) const { return tokens_[static_cast<std::size_t>(index)]; }
  const TBiffFormulaTokenArray& Tokens() const { return tokens_; }

 private:
  struct CellRef {
    AnsiString Text;
    int Flags = 0;
  };
  const TBiffFormulaLexem& Peek(int ahead = 0) const;
  bool IsSymbol(const char* text, int ahead = 0) const;
  bool IsSeparator(int ahead = 0) const;
  void Save() { saved_.push_back(pos_); }
  void Restore() {
    pos_ = saved_.back();
    saved_.pop_back();
  }
  void Drop() { saved_.pop_back(); }

  // The parser recurses once per parenthesis or call: deeper nesting than
  // this is refused rather than let it exhaust the stack.
  static constexpr int kMaxNesting = 1000;
  void Formula();
  void PPTerm();
  bool Term();
  bool Sheet(AnsiString& name);
  bool Name(AnsiString& name);
  bool Cell(CellRef& cell);
  bool ExtArea();
  bool ExtCell();
  bool FuncCall();
  bool String();
  bool Number();
  bool NameConst();
  bool Area();
  void PushOperand(TBiffFormulaOperatorKind op, const AnsiString& text, int value);

  std::vector<TBiffFormulaLexem> lexems_;
  int pos_ = 0;
  std::vector<int> saved_;
  int nesting_ = 0;  // parentheses and calls open around the current term
  TBiffFormulaRPNStack* rpn_ = nullptr;
  TBiffFormulaTokenArray tokens_;
};

}  // namespace report
