// The aggregate list: finding calls, accumulating rows, answering values.
#include "report/vuzAggregate.h"

#include <set>
#include <string_view>

#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzUtils.h"
#include "report/vuzVariables.h"

namespace report {

namespace {

using rtl::Variant;

TfrxAggregateFunction FunctionOf(std::string_view name) {
  const AnsiString upper = rtl::AnsiUpperCase(rtl::Trim(name));
  if (upper == "SUM") return agSum;
  if (upper == "AVG") return agAvg;
  if (upper == "MIN") return agMin;
  if (upper == "MAX") return agMax;
  return agCount;
}

// Folds one row's value into a count and an accumulated value. AVG counts
// only the rows that have a value, so that Nulls weigh nothing.
void Combine(TfrxAggregateFunction function, int& count, Variant& accumulated, const Variant& value) {
  if (function != agAvg || !value.IsNull()) ++count;
  if (accumulated.IsNull()) {
    accumulated = value;
    return;
  }
  if (value.IsNull()) return;
  switch (function) {
    case agSum:
    case agAvg: accumulated = accumulated + value; break;
    case agMin:
      if (value < accumulated) accumulated = value;
      break;
    case agMax:
      if (value > accumulated) accumulated = value;
      break;
    case agCount: break;
  }
}

bool IsAggregateName(const AnsiString& upperWord) {
  return upperWord == "SUM" || upperWord == "MIN" || upperWord == "MAX" || upperWord == "AVG" || upperWord == "COUNT";
}

// Characters passed over between the words of an expression: controls and
// blanks, operators, digits and the index brackets.
bool IsSkipped(unsigned char c) {
  static constexpr std::string_view kOperators = "!#$%&*+,-./=[]^|";
  return (c >= 1 && c <= ' ') || (c >= '0' && c <= '9') ||
         (c != 0 && kOperators.find(static_cast<char>(c)) != std::string_view::npos);
}

// Characters that end a word; letters of the 1251 upper half belong to it.
bool EndsWord(unsigned char c) {
  static constexpr std::string_view kOperators = "!#$%&(*+,-./=[]^|";
  return (c >= 1 && c <= ' ') || (c != 0 && kOperators.find(static_cast<char>(c)) != std::string_view::npos);
}

// The index of the bracket that closes the one at `open` (0-based), counting
// nested brackets and passing over quoted strings, the way bracketed
// expressions are read everywhere in the engine; npos when the text ends
// first. Works on a view so that nested scans copy nothing.
std::size_t MatchBracket(std::string_view text, std::size_t open, char openChar, char closeChar) {
  int depth = 0;
  bool inDouble = false, inSingle = false;
  for (std::size_t j = open; j < text.size(); ++j) {
    const char c = text[j];
    if (!inDouble && !inSingle) {
      if (c == openChar)
        ++depth;
      else if (c == closeChar && --depth == 0)
        return j;
    }
    if (!inSingle && c == '"') inDouble = !inDouble;
    if (!inDouble && c == '\'') inSingle = !inSingle;
  }
  return std::string_view::npos;
}

// Nesting (of brackets and of variables naming variables) deeper than this
// is not searched for aggregates: no real text nests so deep, each level
// costs a pass over the text below it, and a hostile template must not
// exhaust the stack.
constexpr int kMaxScanDepth = 256;

}  // namespace

// Finds the aggregate calls of one memo's bracketed expressions. Variables
// are scanned once per memo: a variable naming itself, directly or through
// others, would otherwise never end, and one used many times would be
// searched over and over.
class TfrxAggregateScanner {
 public:
  TfrxAggregateScanner(TfrxAggregateList& list, TfrxReport* report, TfrxCustomMemoView* memo, TfrxDataBand* defaultBand)
      : list_(list), report_(report), memo_(memo), defaultBand_(defaultBand) {}

  void Scan(std::string_view text, int depth) {
    if (depth > kMaxScanDepth) return;
    if (CheckVariable(text, depth)) return;
    std::size_t i = 0;
    while (i < text.size()) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (IsSkipped(c)) {
        ++i;
      } else if (c == '\'' || c == '"') {
        const std::size_t close = text.find(static_cast<char>(c), i + 1);
        i = close == std::string_view::npos ? text.size() : close + 1;
      } else if (c == '(' || c == '<') {
        const std::size_t close = MatchBracket(text, i, static_cast<char>(c), c == '(' ? ')' : '>');
        if (close == std::string_view::npos) {
          // Never closed: the rest of the text is what it holds.
          Scan(text.substr(i + 1), depth + 1);
          i = text.size();
        } else {
          Scan(text.substr(i + 1, close - i - 1), depth + 1);
          i = close + 1;
        }
      } else {
        const std::size_t start = i;
        while (i < text.size() && !EndsWord(static_cast<unsigned char>(text[i]))) ++i;
        const std::string_view word = text.substr(start, i - start);
        if (!IsAggregateName(rtl::AnsiUpperCase(word))) {
          CheckVariable(word, depth);
        } else if (i < text.size() && text[i] == '(') {
          const std::size_t close = MatchBracket(text, i, '(', ')');
          const std::size_t end = close == std::string_view::npos ? text.size() : close + 1;
          list_.AddItem(AnsiString(text.substr(start, end - start)), memo_, defaultBand_);
          i = end;
        }
      }
    }
  }

 private:
  // A report variable (whose value is searched in turn) or a dataset field.
  bool CheckVariable(std::string_view name, int depth) {
    if (name.empty() || !report_) return false;
    const AnsiString text(name);
    TfrxVariables* variables = report_->Variables();
    const int index = variables->IndexOf(text);
    if (index >= 0) {
      if (scannedVariables_.insert(index).second) {
        const AnsiString value = rtl::VarToStr(variables->GetItems(index)->Value());
        Scan(value, depth + 1);
      }
      return true;
    }
    // Only a whole Alias."Field" name: a text that merely contains `."`
    // ("DS."a" + SUM(...)") is an expression to search.
    if (text.back() != '"') return false;
    TfrxDataSet* dataSet = nullptr;
    AnsiString field;
    report_->GetDatasetAndField(text, dataSet, field);
    return dataSet != nullptr && !field.empty() && field.find('"') == AnsiString::npos;
  }

  TfrxAggregateList& list_;
  TfrxReport* report_;
  TfrxCustomMemoView* memo_;
  TfrxDataBand* defaultBand_;
  std::set<int> scannedVariables_;
};

// ---------------------------------------------------------------- TfrxAggregateItem

void TfrxAggregateItem::Calc() {
  if (!Band || (!Band->Visible() && !CountInvisibleBands)) return;
  Report->SetCurObject(MemoName);
  Variant value = Function == agCount ? Variant::Null() : Report->Calc(Expression);
  // A condition counts as one when true.
  if (value.IsBoolean() && value.AsBoolean()) value = Variant(1);

  if (Column < 1) {
    if (Keeping) {
      Combine(Function, HeldCount, HeldValue, value);
    } else {
      LastCount = Count;
      LastValue = CurrentValue;
      Combine(Function, Count, CurrentValue, value);
    }
    return;
  }
  const auto column = static_cast<std::size_t>(Column);
  if (ColumnValues.size() <= column) {
    ColumnValues.resize(column + 1, Variant::Null());
    ColumnCounts.resize(column + 1, 0);
  }
  Combine(Function, ColumnCounts[column], ColumnValues[column], value);
}

Variant TfrxAggregateItem::Value() {
  Variant value = CurrentValue;
  int count = Count;
  if (Column >= 1 && !ColumnValues.empty()) {
    const auto column = static_cast<std::size_t>(Column);
    value = column < ColumnValues.size() ? ColumnValues[column] : Variant::Null();
    count = column < ColumnCounts.size() ? ColumnCounts[column] : 0;
  }
  Variant result;
  switch (Function) {
    case agAvg: result = value.IsNull() || count == 0 ? Variant::Null() : value / Variant(count); break;
    case agCount: result = Variant(count); break;
    default: result = value; break;
  }
  if (result.IsNull() || result.IsEmpty()) return Variant(0);
  // Rows that were all False add up to nothing, not to False.
  if (Function == agSum && result.IsBoolean()) return Variant(result.AsBoolean() ? 1 : 0);
  return result;
}

void TfrxAggregateItem::Reset() {
  if (RunningTotal) {
    bool holds = Count > 0;
    for (int n : ColumnCounts) holds = holds || n > 0;
    if (holds) return;
  }
  Count = 0;
  CurrentValue = Variant::Null();
  ColumnValues.clear();
  ColumnCounts.clear();
}

void TfrxAggregateItem::DeleteValue() {
  Count = LastCount;
  CurrentValue = LastValue;
}

void TfrxAggregateItem::StartKeep() {
  if (!IsPageFooter || Keeping) return;
  Keeping = true;
  HeldCount = 0;
  HeldValue = Variant::Null();
}

void TfrxAggregateItem::EndKeep() {
  if (!IsPageFooter || !Keeping) return;
  Keeping = false;
  Count += HeldCount;
  if (CurrentValue.IsNull()) {
    CurrentValue = HeldValue;
  } else if (!HeldValue.IsNull()) {
    switch (Function) {
      case agSum:
      case agAvg: CurrentValue = CurrentValue + HeldValue; break;
      case agMin:
        if (HeldValue < CurrentValue) CurrentValue = HeldValue;
        break;
      case agMax:
        if (HeldValue > CurrentValue) CurrentValue = HeldValue;
        break;
      case agCount: break;
    }
  }
}

// ---------------------------------------------------------------- TfrxAggregateList

TfrxAggregateList::TfrxAggregateList(TfrxReport* report) : report_(report) {}

TfrxAggregateList::~TfrxAggregateList() { Clear(); }

void TfrxAggregateList::Clear() { items_.clear(); }

namespace {

// The band and the bands printed after it as its children.
template <typename Fn>
void ForBandChain(TfrxBand* band, Fn&& fn) {
  std::set<TfrxBand*> seen;  // a chain is never circular, but a loop must not hang us
  for (TfrxBand* b = band; b && seen.insert(b).second; b = b->Child()) fn(b);
}

// The first band of that kind placed on the page.
template <typename Kind>
TfrxBand* FirstBandOf(TfrxReportPage* page) {
  for (TfrxComponent* object : page->Objects())
    if (auto* band = dynamic_cast<Kind*>(object)) return band;
  return nullptr;
}

}  // namespace

void TfrxAggregateList::AddBandMemos(TfrxBand* band, TfrxDataBand* defaultBand, bool withChildren) {
  auto addMemos = [&](TfrxBand* b) {
    for (TfrxComponent* object : b->Objects())
      if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(object)) FindAggregates(memo, defaultBand);
  };
  if (!band) return;
  if (withChildren)
    ForBandChain(band, addMemos);
  else
    addMemos(band);
}

void TfrxAggregateList::AddDataBand(TfrxBand* band, std::set<TfrxBand*>& visited) {
  auto* dataBand = dynamic_cast<TfrxDataBand*>(band);
  if (!dataBand || !visited.insert(band).second) return;
  AddBandMemos(dataBand->Footer, dataBand, true);
  if (TfrxBand* group = dataBand->Group) {
    // The group header's list holds the run of nested headers, itself first.
    std::vector<TfrxBand*> headers = group->SubBands();
    if (headers.empty()) headers.push_back(group);
    for (TfrxBand* header : headers)
      if (header) AddBandMemos(header->Footer, dataBand, true);
  }
  if (dataBand->Vertical()) AddBandMemos(dataBand, dataBand, false);
  for (TfrxBand* detail : dataBand->SubBands()) AddDataBand(detail, visited);
}

void TfrxAggregateList::AddItems(TfrxReportPage* page) {
  if (!page) return;
  std::set<TfrxBand*> visited;
  for (TfrxBand* band : page->SubBands()) AddDataBand(band, visited);
  for (TfrxBand* band : page->VSubBands()) AddDataBand(band, visited);

  // A page of vertical master bands only has footers and a summary too.
  const std::vector<TfrxBand*>& masters = page->SubBands().empty() ? page->VSubBands() : page->SubBands();
  if (masters.empty()) return;
  auto* firstMaster = dynamic_cast<TfrxDataBand*>(masters.front());
  AddBandMemos(FirstBandOf<TfrxPageFooter>(page), firstMaster, true);
  AddBandMemos(FirstBandOf<TfrxColumnFooter>(page), firstMaster, true);
  AddBandMemos(FirstBandOf<TfrxReportSummary>(page), firstMaster, true);
}

void TfrxAggregateList::FindAggregates(TfrxCustomMemoView* memo, TfrxDataBand* defaultBand) {
  if (!memo || !memo->AllowExpressions()) return;
  const AnsiString text = memo->AnsiText();
  const AnsiString& delimiters = memo->ExpressionDelimiters();
  const std::size_t comma = delimiters.find(',');
  const AnsiString opener = delimiters.substr(0, comma);
  const AnsiString closer = comma == AnsiString::npos ? AnsiString() : delimiters.substr(comma + 1, 255);
  if (opener.empty() || closer.empty()) return;

  TfrxAggregateScanner scanner(*this, report_, memo, defaultBand);
  int i = 1;
  while (true) {
    const int at = PosEx(opener, text, i);
    if (at == 0) break;
    i = at;
    int j = 0;
    const AnsiString expression = vuzGetBrackedVariable(text, opener, closer, i, j);
    if (i == j) break;
    scanner.Scan(expression, 0);
    i = j + 1;
  }
}

void TfrxAggregateList::AddItem(const AnsiString& callText, TfrxCustomMemoView* memo, TfrxDataBand* defaultBand) {
  const TfrxAggregateCall call = ParseName(callText);
  auto item = std::make_unique<TfrxAggregateItem>(report_);
  item->Function = call.Function;
  item->RunningTotal = call.RunningTotal;
  item->CountInvisibleBands = call.CountInvisibleBands;
  item->Expression = call.Expression;
  item->Band = call.Band ? call.Band : defaultBand;

  // An object moved from a footer into a vertical band still prints (and
  // resets) with the footer it came from.
  TfrxComponent* parent = memo->Parent();
  auto* parentBand = dynamic_cast<TfrxBand*>(parent);
  if (parentBand && parentBand->Vertical()) {
    TfrxComponent* source = memo->SourceBand();
    if (dynamic_cast<TfrxReportSummary*>(source) || dynamic_cast<TfrxPageFooter*>(source) ||
        dynamic_cast<TfrxFooter*>(source) || dynamic_cast<TfrxGroupFooter*>(source))
      parent = source;
  }
  item->ParentBand = parent;
  item->IsPageFooter = dynamic_cast<TfrxPageFooter*>(parent) != nullptr;
  item->CallText = rtl::Trim(callText);
  item->MemoName = memo->Name();
  item->Reset();
  items_.push_back(std::move(item));
}

TfrxAggregateCall TfrxAggregateList::ParseName(const AnsiString& callText) const {
  TfrxAggregateCall call;
  const std::string_view text(callText);
  const std::size_t open = text.find('(');
  call.Function = FunctionOf(text.substr(0, open));

  // The arguments, split at the commas that stand outside quotes and
  // nested parentheses, up to the closing parenthesis.
  std::vector<AnsiString> pieces;
  if (open != std::string_view::npos) {
    int depth = 0;
    bool inDouble = false, inSingle = false;
    std::size_t start = open + 1, i = open + 1;
    for (; i < text.size(); ++i) {
      const char c = text[i];
      if (!inSingle && c == '"') {
        inDouble = !inDouble;
      } else if (!inDouble && c == '\'') {
        inSingle = !inSingle;
      } else if (!inDouble && !inSingle) {
        if (c == '(') {
          ++depth;
        } else if (c == ')') {
          if (depth == 0) break;
          --depth;
        } else if (c == ',' && depth == 0) {
          pieces.push_back(rtl::Trim(text.substr(start, i - start)));
          start = i + 1;
        }
      }
    }
    pieces.push_back(rtl::Trim(text.substr(start, i - start)));
  }
  AnsiString arg1, arg2, arg3;
  if (!pieces.empty()) arg1 = pieces.front();
  if (pieces.size() >= 2) {
    for (std::size_t k = 1; k + 1 < pieces.size(); ++k) arg2 = pieces[k];
    // A fourth argument and beyond has no place: the last one is dropped.
    if (pieces.size() == 2) arg2 = pieces.back();
    if (pieces.size() == 3) arg3 = pieces.back();
  }

  const AnsiString& bandName = call.Function == agCount ? arg1 : arg2;
  const AnsiString& flagsText = call.Function == agCount ? arg2 : arg3;
  if (call.Function != agCount) call.Expression = arg1;
  if (!bandName.empty() && report_) call.Band = dynamic_cast<TfrxDataBand*>(report_->FindObject(bandName));
  int flags = 0;
  if (!flagsText.empty() && !rtl::TryStrToInt(flagsText, flags)) {
    // Written as an expression (the call itself evaluates it so too).
    flags = report_ ? report_->Calc(flagsText).AsInteger() : 0;
  }
  call.CountInvisibleBands = (flags & 1) != 0;
  call.RunningTotal = (flags & 2) != 0;
  return call;
}

void TfrxAggregateList::AddValue(TfrxBand* band, int column) {
  for (auto& item : items_) {
    if (item->Band != band) continue;
    item->Column = column;
    item->Calc();
  }
}

void TfrxAggregateList::DeleteValue(TfrxBand* band) {
  for (auto& item : items_)
    if (item->Band == band) item->DeleteValue();
}

rtl::Variant TfrxAggregateList::GetValue(TfrxComponent* parentBand, int column, const AnsiString& name,
                                         const AnsiString& expression, TfrxComponent* band, int flags) {
  const TfrxAggregateFunction function = FunctionOf(name);
  const AnsiString trimmed = rtl::Trim(expression);
  const bool countInvisible = (flags & 1) != 0;
  const bool runningTotal = (flags & 2) != 0;
  for (auto& item : items_) {
    if (item->ParentBand != parentBand || item->Function != function) continue;
    if (!rtl::AnsiSameText(item->Expression, trimmed)) continue;
    if (band && item->Band != band) continue;
    if (item->CountInvisibleBands != countInvisible || item->RunningTotal != runningTotal) continue;
    item->Column = column;
    return item->Value();
  }
  return Variant::Null();
}

rtl::Variant TfrxAggregateList::GetValue(TfrxComponent* parentBand, const AnsiString& callText, int column) {
  const TfrxAggregateCall call = ParseName(callText);
  const std::string_view text(callText);
  const AnsiString name(text.substr(0, text.find('(')));
  const int flags = (call.CountInvisibleBands ? 1 : 0) | (call.RunningTotal ? 2 : 0);
  return GetValue(parentBand, column, name, call.Expression, call.Band, flags);
}

void TfrxAggregateList::Reset(TfrxComponent* parentBand) {
  for (auto& item : items_)
    if (item->ParentBand == parentBand) item->Reset();
}

void TfrxAggregateList::StartKeep() {
  for (auto& item : items_) item->StartKeep();
}

void TfrxAggregateList::EndKeep() {
  for (auto& item : items_) item->EndKeep();
}

void TfrxAggregateList::ClearValues() {
  for (auto& item : items_) {
    const bool runningTotal = item->RunningTotal;
    item->RunningTotal = false;
    item->Reset();
    item->RunningTotal = runningTotal;
  }
}

}  // namespace report
