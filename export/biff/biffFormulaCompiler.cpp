#include "export/biff/biffFormulaCompiler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "export/biff/biffSheet.h"
#include "export/vuzCryptoAssert.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "platform/rtl/variant.h"

namespace report {

namespace {

constexpr const char* kUnit = "biffFormulaCompiler";

[[noreturn]] void CompileError(const AnsiString& message) { throw EBiffFormulaCompilerError(message); }
[[noreturn]] void EmitError(const char* message) { throw EBiffFormulaCodeEmitterError(message); }

struct FuncGroup {
  int min, max;
  const char* args;
  char ret;
  std::initializer_list<std::pair<const char*, int>> names;
};

std::vector<TBiffFormulaFunc> BuildTable() {
  const FuncGroup groups[] = {
      {0, 0, "", 'v', {{"NA", 10}, {"TRUE", 34}, {"FALSE", 35}, {"RAND", 63}, {"NOW", 74}, {"TODAY", 221}}},
      {0, 1, "r", 'v', {{"ROW", 8}, {"COLUMN", 9}}},
      {0, 2, "v", 'v', {{"ERROR", 84}}},
      {0, 30, "r", 'v', {{"COUNTA", 169}}},
      {0, 30, "v", 'v', {{"CONCATENATE", 336}}},
      {1, 1, "a", 'a', {{"TRANSPOSE", 83}}},
      {1,
       1,
       "r",
       'v',
       {{"AREAS", 75},
        {"ROWS", 76},
        {"COLUMNS", 77},
        {"DEREF", 90},
        {"ISREF", 105},
        {"T", 130},
        {"N", 131},
        {"COUNTBLANK", 347}}},
      {1, 1, "v", 'v', {{"ISNA", 2},        {"ISERROR", 3},     {"SQRT", 20},        {"EXP", 21},
                        {"LN", 22},         {"LOG10", 23},      {"ABS", 24},         {"INT", 25},
                        {"SIGN", 26},       {"LEN", 32},        {"VALUE", 33},       {"NOT", 38},
                        {"DAY", 67},        {"MONTH", 68},      {"YEAR", 69},        {"HOUR", 71},
                        {"MINUTE", 72},     {"SECOND", 73},     {"TYPE", 86},        {"CHAR", 111},
                        {"LOWER", 112},     {"UPPER", 113},     {"CODE", 121},       {"ISERR", 126},
                        {"ISTEXT", 127},    {"ISNUMBER", 128},  {"ISBLANK", 129},    {"DATEVALUE", 140},
                        {"TIMEVALUE", 141}, {"CLEAN", 162},     {"ISNONTEXT", 190},  {"ISLOGICAL", 198},
                        {"LENB", 211},      {"EVALUATE", 257},  {"ERROR.TYPE", 261}, {"EVEN", 279},
                        {"ODD", 298},       {"DATESTRING", 352}}},
      {1,
       2,
       "v",
       'v',
       {{"DOLLAR", 13},
        {"WEEKDAY", 70},
        {"LOG", 109},
        {"LEFT", 115},
        {"RIGHT", 116},
        {"TRIM", 118},
        {"TRUNC", 197},
        {"LEFTB", 208},
        {"RIGHTB", 209},
        {"HYPERLINK", 359}}},
      {1, 2, "v", 'r', {{"TEXTREF", 147}, {"INDIRECT", 148}}},
      {1, 2, "vr", 'v', {{"CELL", 125}}},
      {1,
       30,
       "r",
       'v',
       {{"COUNT", 0},
        {"SUM", 4},
        {"AVERAGE", 5},
        {"MIN", 6},
        {"MAX", 7},
        {"AND", 36},
        {"OR", 37},
        {"MAXA", 362},
        {"MINA", 363}}},
      {2,
       2,
       "v",
       'v',
       {{"FIXED", 14},
        {"ROUND", 27},
        {"REPT", 30},
        {"MOD", 39},
        {"TEXT", 48},
        {"EXACT", 117},
        {"ROUNDUP", 212},
        {"ROUNDDOWN", 213},
        {"FLOOR", 285},
        {"CEILING", 288},
        {"POWER", 337},
        {"NUMBERSTRING", 353}}},
      {2, 2, "rv", 'v', {{"COUNTIF", 346}}},
      {2, 2, "vr", 'r', {{"ABSREF", 79}}},
      {2, 2, "rr", 'r', {{"RELREF", 80}}},
      {2, 3, "v", 'v', {{"SEARCH", 82}, {"FIND", 124}, {"FINDB", 205}, {"SEARCHB", 206}}},
      {2, 3, "vr", 'v', {{"LOOKUP", 28}, {"MATCH", 64}}},
      {2, 3, "vr", 'r', {{"IF", 1}}},
      {2, 3, "rvr", 'v', {{"SUMIF", 345}}},
      {2, 4, "rv", 'r', {{"INDEX", 29}}},
      {2, 5, "v", 'v', {{"ADDRESS", 219}}},
      {2, 30, "vr", 'r', {{"CHOOSE", 100}}},
      {2, 30, "vr", 'v', {{"SUBTOTAL", 344}}},
      {3, 3, "v", 'v', {{"MID", 31}, {"DATE", 65}, {"TIME", 66}, {"MIDB", 210}, {"CONFIDENCE", 277}, {"DATEDIF", 351}}},
      {3, 4, "v", 'v', {{"SUBSTITUTE", 120}}},
      {3, 4, "vrrv", 'v', {{"HLOOKUP", 101}, {"VLOOKUP", 102}}},
      {3, 5, "rv", 'r', {{"OFFSET", 78}}},
      {4, 4, "v", 'v', {{"REPLACE", 119}, {"REPLACEB", 207}, {"ISPMT", 350}}},
  };
  std::vector<TBiffFormulaFunc> table;
  for (const auto& g : groups)
    for (const auto& [name, id] : g.names) {
      const AnsiString upper = rtl::UpperCase(name);
      VUZ_ASSERT(std::none_of(table.begin(), table.end(), [&](const TBiffFormulaFunc& f) { return f.Name == upper; }),
                 (upper + " already added").c_str(), kUnit);
      const bool flag = upper == "CELL" || upper == "TODAY";
      table.push_back({upper, id, g.min, g.max, flag, g.ret, g.args});
    }
  std::sort(table.begin(), table.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
  return table;
}

// Filled once, thread-safely, before anyone reads it.
const std::vector<TBiffFormulaFunc>& Table() {
  static const std::vector<TBiffFormulaFunc> table = BuildTable();
  return table;
}

}  // namespace

// --- function table ----------------------------------------------------------------

int TBiffFormulaFuncList::GetCount() { return static_cast<int>(Table().size()); }

const TBiffFormulaFunc& TBiffFormulaFuncList::GetFunc(int index) { return Table()[static_cast<std::size_t>(index)]; }

int TBiffFormulaFuncList::Find(const AnsiString& name) {
  const AnsiString upper = rtl::UpperCase(name);
  const auto& t = Table();
  return static_cast<int>(std::lower_bound(t.begin(), t.end(), upper,
                                           [](const TBiffFormulaFunc& f, const AnsiString& n) { return f.Name < n; }) -
                          t.begin());
}

const TBiffFormulaFunc* TBiffFormulaFuncList::Get(const AnsiString& name) {
  const int i = Find(name);
  if (i < GetCount() && GetFunc(i).Name == rtl::UpperCase(name)) return &GetFunc(i);
  return nullptr;
}

bool TBiffFormulaFuncList::Exists(const AnsiString& name) { return Get(name) != nullptr; }

char TBiffFormulaFuncList::GetArgType(const AnsiString& name, int position) {
  const TBiffFormulaFunc* f = Get(name);
  VUZ_ASSERT(f && position >= 0 && position < f->MaxArgs && !f->ArgTypes.empty(), "", kUnit);
  const std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(position), f->ArgTypes.size() - 1);
  return static_cast<char>(f->ArgTypes[at] - 'a' + 'A');
}

// --- emitter ----------------------------------------------------------------------------

void TBiffFormulaCodeEmitter::U16(unsigned v) {
  Op(static_cast<int>(v & 0xFF));
  Op(static_cast<int>((v >> 8) & 0xFF));
}

int TBiffFormulaCodeEmitter::ClassCode(int base) const {
  switch (Mode) {
    case frtRef: return base + 0x20;
    case frtVal: return base + 0x40;
    case frtArray: return base + 0x60;
    default: EmitError("Invalid RetType mode");
  }
}

void TBiffFormulaCodeEmitter::Push(const AnsiString& text) {
  const rtl::WideString wide = rtl::AnsiToWide(text);
  if (wide.size() >= 256) EmitError("String is too long");
  const bool wideChars = std::any_of(wide.begin(), wide.end(), [](char16_t c) { return c > 0xFF; });
  Op(0x17);
  Op(static_cast<int>(wide.size()));
  Op(wideChars ? 1 : 0);
  for (char16_t c : wide) {
    if (wideChars)
      U16(c);
    else
      Op(c);
  }
}

void TBiffFormulaCodeEmitter::Push(bool value) {
  Op(0x1D);
  Op(value ? 1 : 0);
}

void TBiffFormulaCodeEmitter::Push(int value) {
  if (value < 0 || value > 65535) EmitError("Cannot emit opcode");
  Op(0x1E);
  U16(static_cast<unsigned>(value));
}

void TBiffFormulaCodeEmitter::Push(double value) {
  Op(0x1F);
  char b[8];
  std::memcpy(b, &value, 8);
  out_->append(b, 8);
}

void TBiffFormulaCodeEmitter::Call(int id) {
  if (id < 0 || id >= 65536) EmitError("Cannot emit opcode");
  Op(ClassCode(0x01));
  U16(static_cast<unsigned>(id));
}

void TBiffFormulaCodeEmitter::Call(int id, int argumentCount) {
  if (id < 0 || id >= 32768 || argumentCount < 0 || argumentCount >= 128) EmitError("Cannot emit opcode");
  Op(ClassCode(0x02));
  Op(argumentCount & 0x7F);
  U16(static_cast<unsigned>(id) & 0x7FFF);
}

void TBiffFormulaCodeEmitter::CellBody(const TBiffFormulaCellRef& ref) {
  if (ref.Row < 0 || ref.Row > 65535) EmitError("Row index is out of bounds");
  if (ref.Col < 0 || ref.Col > 255) EmitError("Column index is out of bounds");
  U16(static_cast<unsigned>(ref.Row));
  Op(ref.Col);
  Op((ref.RowAbs ? 0 : 0x80) | (ref.ColAbs ? 0 : 0x40));
}

void TBiffFormulaCodeEmitter::PushCell(const TBiffFormulaCellRef& ref) {
  Op(ClassCode(0x04));
  CellBody(ref);
}

void TBiffFormulaCodeEmitter::PushArea(const TBiffFormulaCellRef& first, const TBiffFormulaCellRef& last) {
  Op(ClassCode(0x05));
  for (const auto* r : {&first, &last})
    if (r->Row < 0 || r->Row > 65535) EmitError("Row index is out of bounds");
  for (const auto* r : {&first, &last})
    if (r->Col < 0 || r->Col > 255) EmitError("Column index is out of bounds");
  U16(static_cast<unsigned>(first.Row));
  U16(static_cast<unsigned>(last.Row));
  Op(first.Col);
  Op((first.RowAbs ? 0 : 0x80) | (first.ColAbs ? 0 : 0x40));
  Op(last.Col);
  Op((last.RowAbs ? 0 : 0x80) | (last.ColAbs ? 0 : 0x40));
}

void TBiffFormulaCodeEmitter::PushExtCell(int refIndex, const TBiffFormulaCellRef& ref) {
  if (refIndex < 0 || refIndex > 65535) EmitError("Cannot emit opcode");
  Op(ClassCode(0x1A));
  U16(static_cast<unsigned>(refIndex));
  CellBody(ref);
}

void TBiffFormulaCodeEmitter::PushExtArea(int refIndex, const TBiffFormulaCellRef& first,
                                          const TBiffFormulaCellRef& last) {
  if (refIndex < 0 || refIndex > 65535) EmitError("Cannot emit opcode");
  const std::size_t at = out_->size();
  PushArea(first, last);
  (*out_)[at] = static_cast<char>(ClassCode(0x1B));
  out_->insert(at + 1, std::string{static_cast<char>(refIndex & 0xFF), static_cast<char>(refIndex >> 8)});
}

// --- compiler ----------------------------------------------------------------------------

TBiffFormulaCompiler::TBiffFormulaCompiler() : emitter_(&code_) {}

void TBiffFormulaCompiler::SaveToStream(rtl::TStream& stream) const {
  if (!code_.empty()) stream.WriteBuffer(code_.data(), static_cast<std::int64_t>(code_.size()));
}

TBiffFormulaCellRef TBiffFormulaCompiler::ParseCell(const TBiffFormulaToken& token) {
  const AnsiString text = rtl::UpperCase(token.Text);
  TBiffFormulaCellRef ref;
  std::size_t i = 0;
  std::int64_t col = 0, row = 0;
  for (; i < text.size() && text[i] >= 'A' && text[i] <= 'Z'; ++i)
    col = std::min<std::int64_t>(col * 26 + (text[i] - 'A' + 1), 1 << 20);
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    row = std::min<std::int64_t>(row * 10 + (text[i] - '0'), 1 << 20);
  ref.Col = static_cast<int>(col - 1);
  ref.Row = static_cast<int>(row - 1);
  ref.RowAbs = (token.Value & 1) != 0;
  ref.ColAbs = (token.Value & 2) != 0;
  return ref;
}

void TBiffFormulaCompiler::CalcRetTypes() {
  const auto& tokens = parser_.Tokens();
  classes_.assign(tokens.size(), frtVoid);
  std::vector<int> stack;
  for (int i = 0; i < static_cast<int>(tokens.size()); ++i) {
    const auto& t = tokens[static_cast<std::size_t>(i)];
    if (t.Kind == ftkArg) {
      stack.push_back(i);
      continue;
    }
    const int n = t.Value;
    if (n < 0 || n > static_cast<int>(stack.size()))
      CompileError("Not all tokens produced by parser are supported by compiler");
    const TBiffFormulaFunc* func = nullptr;
    if (t.Op == fokFunc) {
      func = TBiffFormulaFuncList::Get(t.Text);
      if (!func) CompileError(rtl::Format("Function %s is not supported", {rtl::UpperCase(t.Text)}));
      // Too many arguments is the formula's fault, not the program's.
      if (n > func->MaxArgs)
        CompileError(rtl::Format("Function %s cannot be called with %d arguments", {func->Name, n}));
    }
    for (int k = 0; k < n; ++k) {
      const int entry = stack[stack.size() - static_cast<std::size_t>(n) + static_cast<std::size_t>(k)];
      VUZ_ASSERT(classes_[static_cast<std::size_t>(entry)] == frtVoid, "Ret type is already set", kUnit);
      TBiffFormulaRetType cls = frtVal;
      if (func) {
        switch (TBiffFormulaFuncList::GetArgType(func->Name, k)) {
          case 'A': cls = frtArray; break;
          case 'R': cls = frtRef; break;
          default: cls = frtVal; break;
        }
      } else if (t.Op == fokColon || t.Op == fokIsect) {
        cls = frtRef;
      }
      classes_[static_cast<std::size_t>(entry)] = cls;
    }
    stack.resize(stack.size() - static_cast<std::size_t>(n));
    stack.push_back(i);
  }
  if (stack.size() != 1) CompileError("Not all tokens produced by parser are supported by compiler");
  classes_[static_cast<std::size_t>(stack.back())] = frtVal;
}

void TBiffFormulaCompiler::EmitPush(const TBiffFormulaToken& operand) {
  switch (operand.Op) {
    case fokNull: emitter_.PushNull(); return;
    case fokBool: emitter_.Push(operand.Value != 0); return;
    case fokString: emitter_.Push(operand.Text); return;
    case fokCell: emitter_.PushCell(ParseCell(operand)); return;
    case fokNumber: {
      const auto dot = operand.Text.find('.');
      const AnsiString whole = operand.Text.substr(0, dot);
      const AnsiString decimals = dot == AnsiString::npos ? AnsiString() : operand.Text.substr(dot + 1);
      auto parse = [](const AnsiString& digits) -> std::int64_t {
        std::int64_t v = 0;
        for (char c : digits) {
          v = v * 10 + (c - '0');
          if (v > 2147483647) throw rtl::EConvertError("'" + digits + "' is not a valid integer value");
        }
        return v;
      };
      const double value = static_cast<double>(parse(whole)) +
                           (decimals.empty() ? 0.0
                                             : static_cast<double>(parse(decimals)) /
                                                   std::pow(10.0, static_cast<double>(decimals.size())));
      if (value == std::floor(value) && value >= -65535 && value <= 65535) {
        emitter_.Push(static_cast<int>(std::fabs(value)));
        if (value < 0) emitter_.Neg();
      } else {
        emitter_.Push(value);
      }
      return;
    }
    default:
      CompileError(rtl::Format("Cannot push value (%s) of type %d", {operand.Text, static_cast<int>(operand.Op)}));
  }
}

void TBiffFormulaCompiler::EmitFunc(const AnsiString& name, int argumentCount) {
  const TBiffFormulaFunc* f = TBiffFormulaFuncList::Get(name);
  if (!f) CompileError(rtl::Format("Function %s is not supported", {rtl::UpperCase(name)}));
  if (argumentCount < f->MinArgs || argumentCount > f->MaxArgs)
    CompileError(rtl::Format("Function %s cannot be called with %d arguments", {f->Name, argumentCount}));
  if (f->MinArgs == f->MaxArgs)
    emitter_.Call(f->Id);
  else
    emitter_.Call(f->Id, argumentCount);
}

void TBiffFormulaCompiler::Compile(const AnsiString& text) {
  code_.clear();
  parser_.Parse(text);
  CalcRetTypes();
  const auto& tokens = parser_.Tokens();
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const auto& t = tokens[i];
    emitter_.Mode = classes_[i];
    if (t.Kind != ftkOp) continue;
    const int n = t.Value;
    auto operand = [&](int back) -> const TBiffFormulaToken& { return tokens[i - static_cast<std::size_t>(back)]; };
    switch (t.Op) {
      case fokPush: EmitPush(operand(1)); break;
      case fokArea: {
        if (i < 2 || operand(1).Op != fokCell || operand(2).Op != fokCell || operand(1).Text.empty())
          CompileError("Cannot compile formula");
        emitter_.PushArea(ParseCell(operand(2)), ParseCell(operand(1)));
        break;
      }
      case fokExt: {
        if (n != 2 && n != 3) CompileError(rtl::Format("Operator \"!\" does not support %d arguments", {n}));
        if (i < static_cast<std::size_t>(n) || operand(n).Op != fokString || operand(1).Op != fokCell ||
            (n == 3 && operand(2).Op != fokCell))
          CompileError("Cannot compile formula");
        if (!LinkTable) CompileError("Link table is not assigned");
        const int ref = LinkTable->GetInternalSheetRef(operand(n).Text);
        if (n == 2)
          emitter_.PushExtCell(ref, ParseCell(operand(1)));
        else
          emitter_.PushExtArea(ref, ParseCell(operand(2)), ParseCell(operand(1)));
        break;
      }
      case fokFunc: EmitFunc(t.Text, n); break;
      case fokId:
        if (n == 1) emitter_.CallId();
        break;
      case fokNeg:
      case fokDiv100:
      case fokAdd:
      case fokSub:
      case fokDiv:
      case fokMul:
      case fokPow:
      case fokColon:
      case fokIsect:
      case fokJoin:
      case fokL:
      case fokG:
      case fokE:
      case fokNE:
      case fokLE:
      case fokGE:
        if (n == 2) {
          switch (t.Op) {
            case fokAdd: emitter_.Add(); break;
            case fokSub: emitter_.Sub(); break;
            case fokDiv: emitter_.Divide(); break;
            case fokMul: emitter_.Mul(); break;
            case fokPow: emitter_.Pow(); break;
            case fokColon: emitter_.Range(); break;
            case fokIsect: emitter_.Intersect(); break;
            case fokJoin: emitter_.Join(); break;
            case fokL: emitter_.CmpL(); break;
            case fokG: emitter_.CmpG(); break;
            case fokE: emitter_.CmpE(); break;
            case fokNE: emitter_.CmpNE(); break;
            case fokLE: emitter_.CmpLE(); break;
            case fokGE: emitter_.CmpGE(); break;
            default: CompileError(rtl::Format("Unsupported binary operator %d", {t.Op & 0x7F}));
          }
        } else if (n == 1) {
          if (t.Op == fokDiv100)
            emitter_.Div100();
          else if (t.Op == fokNeg)
            emitter_.Neg();
          else
            CompileError(rtl::Format("Unsupported unary operator %d", {t.Op & 0x7F}));
        } else {
          CompileError(rtl::Format("Unsupported %d-ary operator %d", {n, t.Op & 0x7F}));
        }
        break;
      default: CompileError(rtl::Format("Operator (%s) %d not supported", {t.Text, t.Op & 0x7F}));
    }
  }
  // Checked here too, so the caller learns it before it builds the cell.
  BiffCheckFormulaSize(code_.size());
}

}  // namespace report
