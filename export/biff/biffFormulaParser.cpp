#include "export/biff/biffFormulaParser.h"

#include <memory>

#include "export/vuzCryptoAssert.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "platform/rtl/variant.h"

namespace report {

namespace {

constexpr const char* kUnit = "biffFormulaParser";
const char* const kInvalid = "Invalid formula";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

// --- lexer ---------------------------------------------------------------------

void TBiffFormulaLexer::Analyse(const AnsiString& text) {
  lexems_.clear();
  const std::size_t n = text.size();
  std::size_t i = 0;
  auto run = [&](auto pred) {
    const std::size_t start = i;
    while (i < n && pred(text[i])) ++i;
    return text.substr(start, i - start);
  };
  while (i < n) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (u >= 1 && u <= 32) {
      run([](char x) { return static_cast<unsigned char>(x) >= 1 && static_cast<unsigned char>(x) <= 32; });
      lexems_.push_back({flkSpace, {}});
      continue;
    }
    if (IsDigit(c)) {
      lexems_.push_back({flkInt, run(IsDigit)});
      continue;
    }
    if (IsLetter(c)) {
      lexems_.push_back({flkName, run(IsLetter)});
      continue;
    }
    if (c == '"' || c == '\'') {
      // Up to the next quote of the same kind that is not doubled; a doubled
      // quote stands for one.
      std::size_t j = i + 1;
      AnsiString body;
      bool closed = false;
      while (j < n) {
        if (text[j] == c) {
          if (j + 1 < n && text[j + 1] == c) {
            body += c;
            j += 2;
            continue;
          }
          closed = true;
          break;
        }
        body += text[j++];
      }
      if (closed) {
        lexems_.push_back({flkString, body});
        i = j + 1;
        continue;
      }
    }
    if (c == '<' || c == '>') {
      AnsiString op(1, c);
      if (i + 1 < n && (text[i + 1] == '=' || (c == '<' && text[i + 1] == '>'))) op += text[i + 1];
      lexems_.push_back({flkOp, op});
      i += op.size();
      continue;
    }
    if (AnsiString("!%&*+-/:=^").find(c) != AnsiString::npos) {
      lexems_.push_back({flkOp, AnsiString(1, c)});
      ++i;
      continue;
    }
    lexems_.push_back({flkSymbol, AnsiString(1, c)});
    ++i;
  }
}

const TBiffFormulaLexem& TBiffFormulaLexer::GetLexem(int index) const {
  VUZ_ASSERT(index >= 0 && index < GetLexemsCount(), "", kUnit);
  return lexems_[static_cast<std::size_t>(index)];
}

// --- RPN stack -------------------------------------------------------------------

int TBiffFormulaRPNStack::OpPriority(TBiffFormulaOperatorKind op) {
  switch (op) {
    case fokPush: return 8;
    case fokArea:
    case fokColon: return 7;
    case fokExt: return 6;
    case fokDiv100:
    case fokNeg: return 5;
    case fokPow: return 4;
    case fokMul:
    case fokDiv:
    case fokIsect: return 3;
    case fokAdd:
    case fokSub: return 2;
    case fokL:
    case fokG:
    case fokE:
    case fokNE:
    case fokLE:
    case fokGE: return 1;
    default: return 0;
  }
}

int TBiffFormulaRPNStack::FrameArguments() const {
  return values_ - (frames_.empty() ? 0 : frames_.back().ValuesAtOpen);
}

std::size_t TBiffFormulaRPNStack::FrameOperators() const {
  return operators_.size() - (frames_.empty() ? 0 : frames_.back().OperatorsAtOpen);
}

void TBiffFormulaRPNStack::PushArg(TBiffFormulaOperatorKind op, const AnsiString& text, int value) {
  output_.push_back({ftkArg, op, text, value});
  ++values_;
}

void TBiffFormulaRPNStack::PushOp(TBiffFormulaOperatorKind op, const AnsiString& text, int operands) {
  // "push" binds tightest, so the next operator would move it to the output
  // first anyway; doing it now keeps it with its operand when a frame (an
  // argument after a missing one) opens before any operator comes.
  if (op == fokPush) {
    output_.push_back({ftkOp, op, text, operands});
    values_ += 1 - operands;
    return;
  }
  for (;;) {
    if (FrameOperators() == 0 || OpPriority(operators_.back().Op) < OpPriority(op) ||
        (operators_.back().Op == fokPow && op == fokPow)) {
      operators_.push_back({ftkOp, op, text, operands});
      return;
    }
    const TBiffFormulaToken top = operators_.back();
    operators_.pop_back();
    output_.push_back(top);
    values_ += 1 - top.Value;
  }
}

void TBiffFormulaRPNStack::PushFrame(const AnsiString& functionName) {
  frames_.push_back({functionName, operators_.size(), values_});
}

void TBiffFormulaRPNStack::PopFrame() {
  VUZ_ASSERT(!frames_.empty(), "", kUnit);
  while (FrameOperators() > 0) {
    const TBiffFormulaToken top = operators_.back();
    operators_.pop_back();
    if (FrameArguments() < top.Value) throw EBiffFormulaRPNStackError("RPN stack failed");
    output_.push_back(top);
    values_ += 1 - top.Value;
  }
  const Frame frame = frames_.back();
  const int arguments = FrameArguments();
  frames_.pop_back();
  if (!frame.Name.empty()) {
    values_ += 1 - arguments;
    output_.push_back({ftkOp, fokFunc, frame.Name, arguments});
  }
}

// --- parser ------------------------------------------------------------------------

const TBiffFormulaLexem& TBiffFormulaParser::Peek(int ahead) const {
  static const TBiffFormulaLexem kVoid;
  const std::size_t at = static_cast<std::size_t>(pos_ + ahead);
  return at < lexems_.size() ? lexems_[at] : kVoid;
}

bool TBiffFormulaParser::IsSymbol(const char* text, int ahead) const {
  const auto& l = Peek(ahead);
  return (l.Kind == flkSymbol || l.Kind == flkOp) && l.Text == text;
}

bool TBiffFormulaParser::IsSeparator(int ahead) const {
  const auto& l = Peek(ahead);
  return l.Kind == flkSymbol && (l.Text == "," || l.Text == ";");
}

void TBiffFormulaParser::Parse(const AnsiString& text) {
  TBiffFormulaLexer lexer;
  lexer.Analyse(text);
  const auto& raw = lexer.Lexems();
  lexems_.clear();
  auto blocksSpace = [](const TBiffFormulaLexem& l, bool before) {
    if (l.Kind == flkOp) return true;
    if (l.Kind == flkSymbol && (l.Text == "," || l.Text == ";")) return true;
    return l.Kind == flkSymbol && l.Text == (before ? "(" : ")");
  };
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i].Kind != flkSpace) {
      lexems_.push_back(raw[i]);
      continue;
    }
    if (i == 0 || i + 1 >= raw.size()) continue;
    const auto& prev = raw[i - 1];
    const auto& next = raw[i + 1];
    if (prev.Kind == flkSpace || next.Kind == flkSpace || blocksSpace(prev, true) || blocksSpace(next, false)) continue;
    lexems_.push_back({flkOp, " "});
  }
  pos_ = 0;
  nesting_ = 0;
  saved_.clear();
  auto rpn = std::make_unique<TBiffFormulaRPNStack>();
  rpn_ = rpn.get();
  Formula();
  // Whatever follows a complete expression ("1)", "A1B2") is not a formula.
  if (Peek().Kind != flkVoid) throw EBiffFormulaParserError(kInvalid);
  tokens_.clear();
  for (int i = 0; i < rpn->GetCount(); ++i) tokens_.push_back(rpn->GetInstruction(i));
  rpn_ = nullptr;
}

void TBiffFormulaParser::Formula() {
  static const struct {
    const char* text;
    TBiffFormulaOperatorKind op;
  } kBinary[] = {{" ", fokIsect}, {"!", fokExt}, {"&", fokJoin},  {"*", fokMul}, {"+", fokAdd},
                 {"-", fokSub},   {"/", fokDiv}, {":", fokColon}, {"<", fokL},   {"=", fokE},
                 {">", fokG},     {"^", fokPow}, {"<=", fokLE},   {">=", fokGE}, {"<>", fokNE}};
  rpn_->PushFrame("");
  PPTerm();
  while (Peek().Kind == flkOp) {
    const AnsiString text = Peek().Text;
    TBiffFormulaOperatorKind op = fokVoid;
    for (const auto& b : kBinary)
      if (text == b.text) op = b.op;
    if (op == fokVoid) throw EBiffFormulaParserError(rtl::Format("Operator \"%s\" is unknown", {text}));
    ++pos_;
    rpn_->PushOp(op, text, 2);
    PPTerm();
  }
  rpn_->PopFrame();
}

void TBiffFormulaParser::PPTerm() {
  if (IsSymbol("-")) {
    ++pos_;
    rpn_->PushOp(fokNeg, "-", 1);
  } else if (IsSymbol("+")) {
    ++pos_;
  }
  if (!Term()) throw EBiffFormulaParserError(kInvalid);
  if (IsSymbol("%")) {
    ++pos_;
    rpn_->PushOp(fokDiv100, "%", 1);
  }
}

bool TBiffFormulaParser::Term() {
  return ExtArea() || ExtCell() || FuncCall() || String() || Number() || NameConst() || Area() || [this] {
    CellRef cell;
    if (!Cell(cell)) return false;
    PushOperand(fokCell, cell.Text, cell.Flags);
    return true;
  }();
}

void TBiffFormulaParser::PushOperand(TBiffFormulaOperatorKind op, const AnsiString& text, int value) {
  rpn_->PushArg(op, text, value);
  rpn_->PushOp(fokPush, "push", 1);
}

bool TBiffFormulaParser::Name(AnsiString& name) {
  if (Peek().Kind != flkName) return false;
  name = Peek().Text;
  ++pos_;
  if (Peek().Kind == flkInt) {
    name += Peek().Text;
    ++pos_;
  }
  return true;
}

bool TBiffFormulaParser::Sheet(AnsiString& name) {
  if (Peek().Kind == flkString) {
    name = Peek().Text;
    ++pos_;
    return true;
  }
  return Name(name);
}

bool TBiffFormulaParser::Cell(CellRef& cell) {
  Save();
  cell = {};
  if (IsSymbol("$")) {
    cell.Flags |= 2;
    ++pos_;
  }
  if (Peek().Kind != flkName) {
    Restore();
    return false;
  }
  cell.Text = Peek().Text;
  ++pos_;
  if (IsSymbol("$")) {
    cell.Flags |= 1;
    ++pos_;
  }
  if (Peek().Kind != flkInt) {
    Restore();
    return false;
  }
  cell.Text += Peek().Text;
  ++pos_;
  Drop();
  return true;
}

bool TBiffFormulaParser::ExtArea() {
  Save();
  AnsiString sheet;
  CellRef first, last;
  if (Sheet(sheet) && IsSymbol("!") && (++pos_, Cell(first)) && IsSymbol(":") && (++pos_, Cell(last))) {
    Drop();
    rpn_->PushArg(fokString, sheet, 0);
    rpn_->PushArg(fokCell, first.Text, first.Flags);
    rpn_->PushArg(fokCell, last.Text, last.Flags);
    rpn_->PushOp(fokExt, "!", 3);
    return true;
  }
  Restore();
  return false;
}

bool TBiffFormulaParser::ExtCell() {
  Save();
  AnsiString sheet;
  CellRef cell;
  if (Sheet(sheet) && IsSymbol("!") && (++pos_, Cell(cell))) {
    Drop();
    rpn_->PushArg(fokString, sheet, 0);
    rpn_->PushArg(fokCell, cell.Text, cell.Flags);
    rpn_->PushOp(fokExt, "!", 2);
    return true;
  }
  Restore();
  return false;
}

bool TBiffFormulaParser::FuncCall() {
  Save();
  AnsiString name;
  Name(name);
  if (!IsSymbol("(")) {
    Restore();
    return false;
  }
  Drop();
  ++pos_;
  if (nesting_ >= kMaxNesting)
    throw EBiffFormulaParserError(rtl::Format("Formula nested too deeply: more than %d levels", {kMaxNesting}));
  struct Level {
    int& n;
    explicit Level(int& count) : n(count) { ++n; }
    ~Level() { --n; }
  } level(nesting_);
  rpn_->PushFrame(name);
  if (!IsSymbol(")")) {
    Formula();
    while (IsSeparator()) {
      ++pos_;
      if (IsSeparator())
        PushOperand(fokNull, "void", 0);
      else
        Formula();
    }
  }
  if (!IsSymbol(")")) throw EBiffFormulaParserError(kInvalid);
  ++pos_;
  if (name.empty()) rpn_->PushOp(fokId, "id", 1);
  rpn_->PopFrame();
  return true;
}

bool TBiffFormulaParser::String() {
  if (Peek().Kind != flkString) return false;
  PushOperand(fokString, Peek().Text, 0);
  ++pos_;
  return true;
}

bool TBiffFormulaParser::Number() {
  if (Peek().Kind != flkInt) return false;
  AnsiString text = Peek().Text;
  ++pos_;
  if (IsSymbol(".")) {
    ++pos_;
    text += ".";
    if (Peek().Kind == flkInt) {
      text += Peek().Text;
      ++pos_;
    } else {
      text += "0";
    }
  }
  PushOperand(fokNumber, text, 0);
  return true;
}

bool TBiffFormulaParser::NameConst() {
  Save();
  AnsiString name;
  if (Name(name)) {
    const AnsiString upper = rtl::UpperCase(name);
    if (upper == "TRUE" || upper == "FALSE") {
      Drop();
      PushOperand(fokBool, upper, upper == "TRUE" ? 1 : 0);
      return true;
    }
  }
  Restore();
  return false;
}

bool TBiffFormulaParser::Area() {
  Save();
  CellRef first, last;
  if (Cell(first) && IsSymbol(":") && (++pos_, Cell(last))) {
    Drop();
    rpn_->PushArg(fokCell, first.Text, first.Flags);
    rpn_->PushArg(fokCell, last.Text, last.Flags);
    rpn_->PushOp(fokArea, ":", 2);
    return true;
  }
  Restore();
  return false;
}

}  // namespace report
