#include "engine_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/colors.h"
#include "platform/rtl/format.h"
#include "preview/vuzPreviewStartup.h"
#include "report/frxpngimage.h"
#include "report/vuzClass.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzPaperSizes.h"
#include "report/vuzUnicodeUtils.h"
#include "tests/support/files.h"

namespace engine_test {

namespace {

AnsiString Ansi(const std::string& utf8) { return rtl::Utf8ToAnsi(utf8); }
std::string Utf8(const AnsiString& ansi) { return rtl::AnsiToUtf8(ansi); }

}  // namespace

// ---------------------------------------------------------------- EngineScope

EngineScope::EngineScope(bool fixedMetrics) {
  report::ReportClassesStartup();
  report::vuzClassRTTIStartup();
  report::vuzChBoxRTTIStartup();
  preview::vuzPreviewStartup();
  if (fixedMetrics) {
    measurer_ = std::make_unique<report::TfrxFixedTextMeasurer>();
    measurerScope_ = std::make_unique<report::TfrxTextMeasurerScope>(*measurer_);
  }
}

EngineScope::~EngineScope() {
  measurerScope_.reset();
  measurer_.reset();
  preview::vuzPreviewShutdown();
  report::vuzChBoxRTTIShutdown();
  report::vuzClassRTTIShutdown();
  report::ReportClassesShutdown();
}

// ---------------------------------------------------------------- TableDataSet

TableDataSet::TableDataSet(const std::string& name, std::vector<std::string> columns, std::vector<Row> rows)
    : columns_(std::move(columns)),
      rows_(std::move(rows)),
      dataSet_(std::make_unique<report::TfrxUserDataSet>(nullptr)) {
  report::TfrxUserDataSet& d = *dataSet_;
  d.SetName(Ansi(name));
  rtl::TStringList fields;
  for (const std::string& c : columns_) fields.Add(Ansi(c));
  d.SetFields(&fields);
  d.SetRangeBegin(report::rbFirst);
  d.SetRangeEnd(report::reCount);
  Refilter();
  d.OnFirst = [this](rtl::TObject*) {
    ++counters_.firsts;
    Refilter();
  };
  d.OnNext = [this](rtl::TObject*) { ++counters_.nexts; };
  d.OnPrior = [this](rtl::TObject*) { ++counters_.priors; };
  d.OnGetValue = [this](const AnsiString& field, rtl::Variant& value) {
    ++counters_.values;
    const int row = CurrentRow();
    const int column = ColumnIndex(field);
    if (row >= 0 && column >= 0 && static_cast<std::size_t>(column) < rows_[static_cast<std::size_t>(row)].size())
      value = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  };
}

TableDataSet::~TableDataSet() = default;

void TableDataSet::Refilter() {
  visible_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (!filter_ || filter_(rows_[i])) visible_.push_back(static_cast<int>(i));
  dataSet_->SetRangeEndCount(static_cast<int>(visible_.size()));
}

int TableDataSet::CurrentRow() const {
  const int at = dataSet_->RecNo();
  if (at < 0 || static_cast<std::size_t>(at) >= visible_.size()) return -1;
  return visible_[static_cast<std::size_t>(at)];
}

int TableDataSet::ColumnIndex(const AnsiString& field) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (rtl::AnsiSameText(Ansi(columns_[i]), field)) return static_cast<int>(i);
  return -1;
}

rtl::Variant TableDataSet::Value(const std::string& column) const {
  const int row = CurrentRow();
  const int c = ColumnIndex(Ansi(column));
  if (row < 0 || c < 0 || static_cast<std::size_t>(c) >= rows_[static_cast<std::size_t>(row)].size())
    return rtl::Variant::Null();
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)];
}

void TableDataSet::SetFilter(std::function<bool(const Row&)> filter) {
  filter_ = std::move(filter);
  Refilter();
}

void TableDataSet::EndByCheckEOF() {
  dataSet_->SetRangeEnd(report::reLast);
  dataSet_->OnCheckEOF = [this](rtl::TObject*, bool& eof) {
    eof = dataSet_->RecNo() < 0 || static_cast<std::size_t>(dataSet_->RecNo()) >= visible_.size();
  };
}

// ---------------------------------------------------------------- ReportBuilder

ReportBuilder::ReportBuilder() : report_(std::make_unique<report::TfrxReport>()) {
  report_->EngineOptions()->NewSilentMode = report::simSilent;
  report_->SetShowProgress(false);
}

ReportBuilder::~ReportBuilder() {
  // The report goes first: its bands and dataset list point at the datasets.
  report_.reset();
  dataSets_.clear();
}

preview::TfrxPreviewPages& ReportBuilder::Store() {
  auto* store = preview::TfrxPreviewPages::StoreOf(report_.get());
  if (!store) throw rtl::Exception("the report has no prepared-pages store (no EngineScope?)");
  return *store;
}

void ReportBuilder::Name(report::TfrxComponent* object, const std::string& name) {
  if (name.empty())
    object->CreateUniqueName();
  else
    object->SetName(Ansi(name));
}

report::TfrxReportPage* ReportBuilder::AddPage(const PageSetup& spec) {
  auto* page = new report::TfrxReportPage(report_.get());
  Name(page, {});
  if (spec.paperSize == report::DMPAPER_USER)
    page->SetSizeAndDimensions(spec.paperSize, spec.paperWidth, spec.paperHeight);
  else
    page->SetPaperSize(spec.paperSize);
  if (spec.landscape) page->SetOrientation(report::poLandscape);
  page->SetLeftMargin(spec.leftMargin);
  page->SetTopMargin(spec.topMargin);
  page->SetRightMargin(spec.rightMargin);
  page->SetBottomMargin(spec.bottomMargin);
  if (spec.columns > 0) {
    page->SetColumns(spec.columns);
    if (spec.columnWidth > 0) page->SetColumnWidth(spec.columnWidth);
  }
  return page;
}

void ReportBuilder::PlaceBand(report::TfrxBand* band, report::TfrxComponent* page, long double top, long double height,
                              const std::string& name) {
  Name(band, name);
  long double width = page->Width();
  if (auto* p = dynamic_cast<report::TfrxReportPage*>(page))
    width = (p->PaperWidth() - p->LeftMargin() - p->RightMargin()) * report::fr01cm;
  band->SetBounds(0, top, width, height);
}

void ReportBuilder::BindData(report::TfrxDataBand* band, TableDataSet& data) { band->SetDataSet(&data.DataSet()); }

report::TfrxGroupHeader* ReportBuilder::AddGroupHeader(report::TfrxComponent* page, long double top, long double height,
                                                       const std::string& condition, const std::string& name) {
  auto* group = AddBand<report::TfrxGroupHeader>(page, top, height, name);
  group->SetCondition(Ansi(condition));
  return group;
}

report::TfrxMemoView* ReportBuilder::AddMemo(report::TfrxComponent* parent, long double left, long double top,
                                             long double width, long double height, const std::string& text,
                                             const MemoSetup& spec, const std::string& name) {
  auto* memo = new report::TfrxMemoView(parent);
  Name(memo, name);
  memo->SetBounds(left, top, width, height);
  memo->SetStretchMode(spec.stretch);
  memo->SetShiftMode(spec.shift);
  memo->SetWordWrap(spec.wordWrap);
  memo->SetHAlign(spec.hAlign);
  if (!spec.displayFormat.empty()) {
    memo->DisplayFormat()->SetKind(report::fkNumeric);
    memo->DisplayFormat()->SetFormatStr(spec.displayFormat);
  }
  if (spec.expressionOnly) {
    const AnsiString& d = memo->ExpressionDelimiters();  // "[,]"
    const std::size_t comma = d.find(',');
    memo->SetText(rtl::AnsiToWide(d.substr(0, comma)) + rtl::Utf8ToWide(text) +
                  rtl::AnsiToWide(comma == AnsiString::npos ? AnsiString() : d.substr(comma + 1)));
  } else {
    memo->SetText(rtl::Utf8ToWide(text));
  }
  return memo;
}

report::TfrxSubreport* ReportBuilder::AddSubreport(report::TfrxComponent* band, long double left, long double top,
                                                   long double width, long double height, report::TfrxReportPage** page,
                                                   const PageSetup& spec, const std::string& name) {
  auto* sub = new report::TfrxSubreport(band);
  Name(sub, name);
  sub->SetBounds(left, top, width, height);
  report::TfrxReportPage* subPage = AddPage(spec);
  sub->SetPage(subPage);
  if (page) *page = subPage;
  return sub;
}

TableDataSet& ReportBuilder::AddDataSet(const std::string& name, std::vector<std::string> columns,
                                        std::vector<TableDataSet::Row> rows) {
  dataSets_.push_back(std::make_unique<TableDataSet>(name, std::move(columns), std::move(rows)));
  report_->DataSets()->Add(&dataSets_.back()->DataSet());
  return *dataSets_.back();
}

bool ReportBuilder::Prepare() { return report_->PrepareReport(true); }

std::string ReportBuilder::Errors() const {
  std::string out;
  for (int i = 0; i < report_->Errors().Count(); ++i) out += Utf8(report_->Errors()[i]) + "\n";
  return out;
}

// ---------------------------------------------------------------- dump

std::string Fixed2(long double value) {
  long long hundredths = std::llround(static_cast<double>(value) * 100.0);
  const bool negative = hundredths < 0;
  if (negative) hundredths = -hundredths;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%lld.%02lld", negative ? "-" : "", hundredths / 100, hundredths % 100);
  return buf;
}

namespace {

std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      default: out += c;
    }
  }
  return out;
}

// A memo's lines joined with "\n" (the store keeps them as lines).
std::string MemoText(report::TfrxCustomMemoView* memo) {
  std::string out;
  const report::TWideStrings* lines = memo->Memo();
  for (int i = 0; i < lines->Count(); ++i) {
    if (i > 0) out += "\\n";
    out += Escaped(rtl::WideToUtf8(lines->Get(i)));
  }
  return out;
}

void DumpInto(std::string& out, report::TfrxComponent* object, int depth) {
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
  out += Utf8(object->ClassName());
  out += ' ';
  out += object->Name().empty() ? std::string("-") : Utf8(object->Name());
  out += ' ' + Fixed2(object->Left()) + ' ' + Fixed2(object->Top()) + ' ' + Fixed2(object->Width()) + ' ' +
         Fixed2(object->Height());
  if (auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(object)) out += " \"" + MemoText(memo) + '"';
  out += '\n';
  for (report::TfrxComponent* child : object->Objects()) DumpInto(out, child, depth + 1);
}

}  // namespace

std::string DumpObject(report::TfrxComponent* object, int depth) {
  std::string out;
  if (object) DumpInto(out, object, depth);
  return out;
}

std::string DumpPage(preview::TfrxPreviewPages& store, int index) {
  std::string out = "page " + std::to_string(index);
  report::TfrxComponent* page = store.GetPage(index);
  if (!page) return out + " missing\n";
  out += ' ' + Utf8(page->ClassName());
  if (auto* p = dynamic_cast<report::TfrxReportPage*>(page))
    out += ' ' + Fixed2(p->PaperWidth()) + 'x' + Fixed2(p->PaperHeight()) + "mm";
  out += ' ' + Fixed2(page->Width()) + 'x' + Fixed2(page->Height()) + '\n';
  for (report::TfrxComponent* child : page->Objects()) DumpInto(out, child, 1);
  return out;
}

std::string DumpPages(preview::TfrxPreviewPages& store) {
  std::string out = "pages " + std::to_string(store.GetCount()) + '\n';
  for (int i = 0; i < store.GetCount(); ++i) out += DumpPage(store, i);
  return out;
}

// ---------------------------------------------------------------- golden files

std::string GoldenPath(const std::string& name, const std::string& folder) { return folder + "/" + name + ".txt"; }

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::string LineDiff(const std::string& expected, const std::string& actual, int context) {
  if (expected == actual) return {};
  const std::vector<std::string> a = Lines(expected), b = Lines(actual);
  // Strip the common head and tail, then a longest-common-subsequence table
  // over the rest (dumps differ in a few places; the rest stays small).
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  const std::size_t n = a.size() - head - tail, m = b.size() - head - tail;
  struct Op {
    char kind;         // ' ', '-', '+'
    std::size_t line;  // index into a (for ' ' and '-') or b (for '+')
  };
  std::vector<Op> ops;
  for (std::size_t i = 0; i < head; ++i) ops.push_back({' ', i});
  if (n * m <= 4'000'000) {
    std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
      for (std::size_t j = m; j-- > 0;)
        lcs[i][j] = a[head + i] == b[head + j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
      if (i < n && j < m && a[head + i] == b[head + j]) {
        ops.push_back({' ', head + i});
        ++i, ++j;
      } else if (i < n && (j == m || lcs[i + 1][j] >= lcs[i][j + 1])) {
        ops.push_back({'-', head + i++});
      } else {
        ops.push_back({'+', head + j++});
      }
    }
  } else {
    for (std::size_t i = 0; i < n; ++i) ops.push_back({'-', head + i});
    for (std::size_t j = 0; j < m; ++j) ops.push_back({'+', head + j});
  }
  for (std::size_t i = 0; i < tail; ++i) ops.push_back({' ', a.size() - tail + i});

  // Print the changes with their context.
  std::vector<bool> show(ops.size(), false);
  for (std::size_t k = 0; k < ops.size(); ++k)
    if (ops[k].kind != ' ') {
      const std::size_t from = k >= static_cast<std::size_t>(context) ? k - static_cast<std::size_t>(context) : 0;
      const std::size_t to = std::min(ops.size(), k + static_cast<std::size_t>(context) + 1);
      for (std::size_t x = from; x < to; ++x) show[x] = true;
    }
  std::string out;
  std::size_t lineA = 0;
  bool inHunk = false;
  for (std::size_t k = 0; k < ops.size(); ++k) {
    if (!show[k]) {
      inHunk = false;
    } else {
      if (!inHunk) out += "@@ line " + std::to_string(lineA + 1) + "\n";
      inHunk = true;
      const std::string& text = ops[k].kind == '+' ? b[ops[k].line] : a[ops[k].line];
      out += ops[k].kind;
      out += text + '\n';
    }
    if (ops[k].kind != '+') ++lineA;
  }
  if (out.empty()) out = "(the texts differ only in their line ends)\n";
  return out;
}

::testing::AssertionResult MatchesGolden(const std::string& name, const std::string& actual,
                                         const std::string& folder) {
  const std::string path = GoldenPath(name, folder);
  const char* update = std::getenv("ZARNIK_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (!support::WriteFile(path, actual)) return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionSuccess() << "wrote " << path;
  }
  if (!std::filesystem::exists(path))
    return ::testing::AssertionFailure() << "no golden file " << path
                                         << " (run with ZARNIK_UPDATE_GOLDEN=1 to write it); the dump is:\n"
                                         << actual;
  const std::string expected = support::ReadFile(path);
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the dump differs from " << path
                                       << " (- golden, + now; ZARNIK_UPDATE_GOLDEN=1 renews it):\n"
                                       << LineDiff(expected, actual);
}

// ---------------------------------------------------------------- pictures

bool SavePagePng(preview::TfrxPreviewPages& store, int index, const std::string& path, long double scale) {
  const report::TfrxPoint size = store.GetPageSize(index);
  const int w = static_cast<int>(std::ceil(static_cast<double>(size.X * scale)));
  const int h = static_cast<int>(std::ceil(static_cast<double>(size.Y * scale)));
  if (w <= 0 || h <= 0) return false;
  gfx::TBitmap bitmap(w, h);
  bitmap.Canvas().Brush().SetColor(gfx::clWhite);
  bitmap.Canvas().FillRect(gfx::TRect{0, 0, w, h});
  store.DrawPage(index, bitmap.Canvas(), scale, scale, 0, 0);
  try {
    report::TPNGObject png;
    png.Assign(bitmap);
    png.SaveToFile(Ansi(path));
  } catch (const rtl::Exception&) {
    return false;
  }
  return std::filesystem::exists(path);
}

}  // namespace engine_test
