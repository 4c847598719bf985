// What a view does while a report prints: the expressions of its tag and
// hyperlink texts, and the attribute text the prepared pages keep of it.
#include <cmath>

#include "platform/rtl/format.h"
#include "report/vuzClassView.h"
#include "report/vuzXML.h"

namespace report {

// ---- printing

void TfrxView::BeforePrint() {
  TfrxReportComponent::BeforePrint();
  savedTagStr_ = tagStr_;
  savedURL_ = url_;
  if (TfrxReportServices* report = GetReportServices()) report->SetSelfValue(this);
}

void TfrxView::GetData() {
  TfrxReportComponent::GetData();
  if (tagStr_.find('[') != AnsiString::npos) ExpandVariables(tagStr_);
  if (url_.find('[') != AnsiString::npos) ExpandVariables(url_);
}

void TfrxView::AfterPrint() {
  TfrxReportComponent::AfterPrint();
  tagStr_ = savedTagStr_;
  url_ = savedURL_;
}

void TfrxView::ExpandVariables(AnsiString& s) {
  TfrxReportServices* report = GetReportServices();
  if (!report) return;  // nothing can evaluate the expressions
  // Windows-1251 has no lead bytes, so every byte is a character of its own.
  std::size_t from = 0;
  for (;;) {
    const std::size_t open = s.find('[', from);
    if (open == AnsiString::npos) return;
    int i = static_cast<int>(open) + 1, j = 0;
    const AnsiString expression = vuzGetBrackedVariable(s, "[", "]", i, j);
    // A bracket that never closes is no expression: the text stays as it is.
    if (j <= i || j > static_cast<int>(s.size()) || s[static_cast<std::size_t>(j) - 1] != ']') return;
    const AnsiString value = rtl::VarToStr(report->Calc(expression));
    s.replace(static_cast<std::size_t>(i) - 1, static_cast<std::size_t>(j - i + 1), value);
    from = static_cast<std::size_t>(i) - 1 + value.size();
  }
}

// ---- attribute differences

namespace {

bool Differs(long double a, long double b) { return std::fabs(a - b) > 0.0001L; }

struct TDiffText {
  AnsiString text;
  void Add(const AnsiString& name, const AnsiString& value) { text += " " + name + "=\"" + value + "\""; }
  void Int(const AnsiString& name, long long value) { Add(name, rtl::IntToStr(value)); }
  void Bool(const AnsiString& name, bool value) { Add(name, value ? "1" : "0"); }
  void Float(const AnsiString& name, long double value) { Add(name, rtl::FloatToStr(value)); }
};

// The three values of one frame line. A line follows its own frame's value
// when the frame-level value already differed (the reader applies the frame
// value to every line first); otherwise it is compared with the other line.
void DiffLine(TDiffText& d, const AnsiString& prefix, const TfrxFrame& mine, const TfrxFrameLine& line,
              const TfrxFrame& theirs, const TfrxFrameLine& other) {
  const bool colorSet = mine.Color() != theirs.Color();
  if (colorSet ? line.Color() != mine.Color() : line.Color() != other.Color()) d.Int(prefix + ".Color", line.Color());
  const bool styleSet = mine.Style() != theirs.Style();
  if (styleSet ? line.Style() != mine.Style() : line.Style() != other.Style()) d.Int(prefix + ".Style", line.Style());
  const bool widthSet = Differs(mine.Width(), theirs.Width());
  if (widthSet ? Differs(line.Width(), mine.Width()) : Differs(line.Width(), other.Width()))
    d.Float(prefix + ".Width", line.Width());
}

}  // namespace

AnsiString TfrxView::Diff(TfrxComponent* other) { return TfrxReportComponent::Diff(other) + ViewDiff(other); }

AnsiString TfrxView::ViewDiff(TfrxComponent* other) {
  TfrxView* v = other ? other->AsView() : nullptr;
  if (!v) return AnsiString();
  TDiffText d;
  if (brushStyle_ != v->brushStyle_) d.Int("BrushStyle", brushStyle_);
  if (align_ != v->align_) d.Int("Align", align_);
  if (color_ != v->color_) d.Int("Color", color_);
  const TfrxFrame &f = *frame_, &g = *v->frame_;
  if (f.Color() != g.Color()) d.Int("Frame.Color", f.Color());
  if (f.DropShadow() != g.DropShadow()) d.Bool("Frame.DropShadow", f.DropShadow());
  if (f.ShadowColor() != g.ShadowColor()) d.Int("Frame.ShadowColor", f.ShadowColor());
  if (Differs(f.ShadowWidth(), g.ShadowWidth())) d.Float("Frame.ShadowWidth", f.ShadowWidth());
  if (f.Style() != g.Style()) d.Int("Frame.Style", f.Style());
  if (f.Typ() != g.Typ()) d.Int("Frame.Typ", f.Typ());
  if (Differs(f.Width(), g.Width())) d.Float("Frame.Width", f.Width());
  DiffLine(d, "Frame.LeftLine", f, *f.LeftLine(), g, *g.LeftLine());
  DiffLine(d, "Frame.TopLine", f, *f.TopLine(), g, *g.TopLine());
  DiffLine(d, "Frame.RightLine", f, *f.RightLine(), g, *g.RightLine());
  DiffLine(d, "Frame.BottomLine", f, *f.BottomLine(), g, *g.BottomLine());
  if (cursor_ != v->cursor_) d.Int("Cursor", cursor_);
  if (printable_ != v->printable_) d.Bool("Printable", printable_);
  if (tagStr_ != v->tagStr_) d.Add("TagStr", vuzStrToXML(tagStr_));
  if (url_ != v->url_) d.Add("URL", vuzStrToXML(url_));
  return d.text;
}

}  // namespace report
