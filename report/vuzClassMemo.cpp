// The text object's properties, its printing cycle (BeforePrint, GetData,
// AfterPrint), value formatting, styles, Diff and reflection. Geometry,
// measuring, drawing and splitting are in vuzClassMemoDraw.cpp.
#include "report/vuzClassMemo.h"

#include <cmath>
#include <typeinfo>

#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"
#include "report/vuzStyles.h"
#include "report/vuzVariables.h"
#include "report/vuzXML.h"

namespace report {

// ---------------------------------------------------------------- construction

TfrxCustomMemoView::TfrxCustomMemoView(rtl::TComponent* owner) : TfrxStretcheable(owner) { InitMemo(); }

TfrxCustomMemoView::TfrxCustomMemoView(rtl::TComponent* owner, std::uint16_t flags) : TfrxStretcheable(owner, flags) {
  InitMemo();
}

TfrxCustomMemoView::~TfrxCustomMemoView() {
  if (flowTo_) flowTo_->RemoveFreeNotification(this);
}

void TfrxCustomMemoView::InitMemo() {
  displayFormat_ = std::make_unique<TfrxFormat>();
  highlight_ = std::make_unique<TfrxHighlight>();
  memo_ = std::make_unique<TWideStrings>();
  SetParentFont(true);
  SetFrComponentStyle(FrComponentStyle() & ~static_cast<TfrxComponentStyle>(csDefaultDiff));
}

void TfrxCustomMemoView::SetFlowTo(TfrxCustomMemoView* v) {
  if (v == this) v = nullptr;  // a memo cannot flow into itself
  if (flowTo_ == v) return;
  // One link serves both directions: when the old target flows back into
  // this memo, it still needs to hear when this one goes, so the link stays
  // (dropping it left the other memo pointing at a freed one in Clear).
  if (flowTo_ && flowTo_->FlowTo() != this) flowTo_->RemoveFreeNotification(this);
  flowTo_ = v;
  if (flowTo_) flowTo_->FreeNotificationAlways(this);
}

void TfrxCustomMemoView::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TfrxStretcheable::Notification(component, operation);
  if (operation == rtl::opRemove && component == flowTo_) flowTo_ = nullptr;
}

bool TfrxCustomMemoView::IsHighlightStored() const { return !rtl::Trim(highlight_->Condition()).empty(); }

AnsiString TfrxCustomMemoView::GetDescription() const { return vuzResources().Get("obText"); }
AnsiString TfrxSysMemoView::GetDescription() const { return vuzResources().Get("obSysText"); }

// ---------------------------------------------------------------- text

bool TfrxCustomMemoView::ConvertsCharset() const { return Font()->Charset() != DEFAULT_CHARSET && !useDefaultCharset_; }

AnsiString TfrxCustomMemoView::AnsiText() const { return _UnicodeToAnsi(Text(), Font()->Charset()); }

void TfrxCustomMemoView::SetAnsiText(const AnsiString& text) { SetText(AnsiToUnicode(text, Font()->Charset())); }

// ---------------------------------------------------------------- the report

namespace {
TfrxMemoReportLink* LinkOf(const TfrxComponent& c) { return dynamic_cast<TfrxMemoReportLink*>(c.GetReport()); }
TfrxReport* ReportOf(const TfrxComponent& c) {
  TfrxComponent* report = c.GetReport();
  return report ? report->AsReport() : nullptr;
}
}  // namespace

rtl::Variant TfrxCustomMemoView::ReportCalc(const AnsiString& expression) const {
  if (TfrxReport* report = ReportOf(*this)) return report->Calc(expression);
  if (TfrxMemoReportLink* link = LinkOf(*this)) return link->Calc(expression);
  return rtl::Variant::Null();
}

void TfrxCustomMemoView::ReportSetLocalValue(const rtl::Variant& value) const {
  if (TfrxReport* report = ReportOf(*this)) {
    report->SetLocalValue(value);
    return;
  }
  if (TfrxMemoReportLink* link = LinkOf(*this)) link->SetLocalValue(value);
}

TfrxStyleItem* TfrxCustomMemoView::ReportFindStyle(const AnsiString& name) const {
  if (TfrxReport* report = ReportOf(*this)) return report->Styles() ? report->Styles()->Find(name) : nullptr;
  if (TfrxMemoReportLink* link = LinkOf(*this)) return link->FindStyle(name);
  return nullptr;
}

// ---------------------------------------------------------------- formatting

namespace {

TfrxValueFormat ValueFormatOf(const TfrxFormat& format) {
  TfrxValueFormat f;
  f.Kind = format.Kind();
  f.DecimalSeparator = format.DecimalSeparator();
  f.ThousandSeparator = format.ThousandSeparator();
  f.FormatStr = format.FormatStr();
  return f;
}

enum class TMacro { None, TotalPages, CopyName };

}  // namespace

// One expression of the text, with what does not change from row to row
// worked out once: its inline format, the narrowed text the report
// evaluates, and whether it is a placeholder left for draw time.
struct TfrxCustomMemoView::PreparedExpression {
  AnsiString narrowed;
  TMacro macro = TMacro::None;
  bool hasFormat = false;
  TfrxValueFormat format;
};

struct TfrxCustomMemoView::PreparedText {
  WideString text, open, close;
  int charset = 0;
  bool hasOpen = false;
  TfrxExpressionParts cut;
  std::vector<PreparedExpression> expressions;  // one for each part of `cut`
};

WideString TfrxCustomMemoView::FormatData(const rtl::Variant& value, const TfrxFormat* format) {
  return vuzFormatValue(value, ValueFormatOf(format ? *format : *displayFormat_),
                        ConvertsCharset() ? int{Font()->Charset()} : kNoConversion);
}

int TfrxCustomMemoView::ExpressionCharset() const {
  return ConvertsCharset() ? int{Font()->Charset()} : int{DEFAULT_CHARSET};
}

TfrxCustomMemoView::PreparedExpression TfrxCustomMemoView::PrepareExpression(const WideString& text,
                                                                             int charset) const {
  PreparedExpression p;
  WideString expression = text;
  TfrxValueFormat inlineFormat;
  if (vuzSplitInlineFormat(text, expression, inlineFormat)) {
    // As an inline TfrxFormat holds it: no thousand separator of its own.
    p.hasFormat = true;
    p.format.Kind = inlineFormat.Kind;
    p.format.DecimalSeparator = inlineFormat.DecimalSeparator;
    p.format.FormatStr = inlineFormat.FormatStr;
  }
  p.narrowed = _UnicodeToAnsi(expression, charset);
  if (rtl::SameText(p.narrowed, "TOTALPAGES#"))
    p.macro = TMacro::TotalPages;
  else if (rtl::SameText(p.narrowed, "COPYNAME#"))
    p.macro = TMacro::CopyName;
  return p;
}

WideString TfrxCustomMemoView::CalcAndFormat(const PreparedExpression& p) {
  switch (p.macro) {
    case TMacro::TotalPages: CurrentValue = rtl::Variant(WideString(kTotalPagesMacro)); break;
    case TMacro::CopyName: CurrentValue = rtl::Variant(WideString(kCopyNameMacro)); break;
    case TMacro::None: CurrentValue = ReportCalc(p.narrowed); break;
  }
  if (hideZeros_ && vuzIsHiddenZero(CurrentValue)) return WideString();
  const int charset = ConvertsCharset() ? int{Font()->Charset()} : kNoConversion;
  if (p.hasFormat) return vuzFormatValue(CurrentValue, p.format, charset);
  return vuzFormatValue(CurrentValue, ValueFormatOf(*displayFormat_), charset);
}

WideString TfrxCustomMemoView::CalcAndFormat(const WideString& text) {
  return CalcAndFormat(PrepareExpression(text, ExpressionCharset()));
}

std::shared_ptr<const TfrxCustomMemoView::PreparedText> TfrxCustomMemoView::PrepareText(const WideString& text,
                                                                                        int charset) {
  const PreparedText* p = prepared_.get();
  if (p && p->charset == charset && p->text == text && p->open == openDelimiter_ && p->close == closeDelimiter_)
    return prepared_;
  auto fresh = std::make_shared<PreparedText>();
  fresh->text = text;
  fresh->open = openDelimiter_;
  fresh->close = closeDelimiter_;
  fresh->charset = charset;
  fresh->hasOpen = vuzSplitExpressions(text, openDelimiter_, closeDelimiter_, fresh->cut);
  fresh->expressions.reserve(fresh->cut.parts.size());
  for (const TfrxExpressionParts::Part& part : fresh->cut.parts)
    fresh->expressions.push_back(PrepareExpression(part.expression, charset));
  prepared_ = fresh;
  return prepared_;
}

void TfrxCustomMemoView::ExtractMacros() {
  if (!allowExpressions_) return;
  // Most texts hold no placeholder: only those that might are looked at, and
  // only they are joined into one text (a large one costs its size again).
  bool placeholder = false;
  for (int i = 0; i < memo_->Count() && !placeholder; ++i)
    placeholder = memo_->LineRef(i).find(u'#') != WideString::npos;
  if (!placeholder) return;
  WideString text = Text();
  WideString copyName;
  if (TfrxVariables* globals = vuzGlobalVariables()) {
    const AnsiString name = "CopyName" + rtl::IntToStr(CopyNumber);
    if (globals->IndexOf(name) != -1) copyName = rtl::VarToWideStr(globals->GetVariable(name));
  }
  if (vuzReplaceMacros(text, PageTotal, copyName)) SetText(text);
}

AnsiString TfrxCustomMemoView::GetComponentText() {
  AnsiString s = AnsiText();
  if (allowExpressions_) vuzReplaceFirstTotalPages(s, PageTotal);
  return s;
}

// ---------------------------------------------------------------- printing

void TfrxCustomMemoView::BeforePrint() {
  TfrxStretcheable::BeforePrint();
  if (!IsDataField()) memo_->GetTextStr(SavedText);
}

void TfrxCustomMemoView::AfterPrint() {
  if (!IsDataField()) SetText(SavedText);
  TfrxStretcheable::AfterPrint();
}

void TfrxCustomMemoView::GetData() {
  TfrxStretcheable::GetData();
  const bool convert = ConvertsCharset();
  const int charset = Font()->Charset();

  if (IsDataField()) {
    TfrxDataSet* ds = DataSet();
    if (ds->IsBlobField(DataField())) {
      // A blob holds lines: loaded as they are, without formatting.
      ds->AssignBlobTo(DataField(), memo_.get());
    } else {
      CurrentValue = ds->GetValue(DataField());
      WideString text;
      if (displayFormat_->Kind() != fkText) {
        text = FormatData(CurrentValue);
      } else {
        text = ds->GetDisplayText(DataField());
        if (convert) text = AnsiToUnicode(_UnicodeToAnsi(text, charset), charset);
      }
      if (hideZeros_ && vuzIsHiddenZero(CurrentValue)) text.clear();
      SetText(text);
    }
  } else if (allowExpressions_) {
    if (splitDelimitersOf_.empty() || splitDelimitersOf_ != expressionDelimiters_) {
      vuzSplitDelimiters(rtl::AnsiToWide(expressionDelimiters_), openDelimiter_, closeDelimiter_);
      splitDelimitersOf_ = expressionDelimiters_;
    }
    // Held for the whole filling: an expression may reach this memo again.
    memo_->GetTextStr(fillSource_);
    const std::shared_ptr<const PreparedText> prepared = PrepareText(fillSource_, ExpressionCharset());
    if (prepared->hasOpen) {
      if (prepared->cut.parts.empty()) {
        SetText(prepared->text);
      } else {
        // A local buffer while an expression runs: it may fill this memo again.
        WideString filled = std::move(filled_);
        filled.clear();
        for (std::size_t k = 0; k < prepared->cut.parts.size(); ++k) {
          filled += prepared->cut.parts[k].text;
          filled += CalcAndFormat(prepared->expressions[k]);
        }
        filled += prepared->cut.tail;
        SetText(filled);
        filled_ = std::move(filled);
      }
    }
  }

  ReportSetLocalValue(CurrentValue);

  highlight_->SetActive(false);
  if (!highlight_->Condition().empty()) {
    const rtl::Variant active = ReportCalc(highlight_->Condition());
    highlight_->SetActive(!active.IsNull() && active.AsBoolean());
  }

  if (suppressRepeated_) {
    const WideString text = Text();
    if (!PreviousText.IsNull() && rtl::VarToWideStr(PreviousText) == text)
      SetText(WideString());
    else
      PreviousText = rtl::Variant(text);
  }

  if (flowTo_) {
    // What does not fit here is printed there, verbatim.
    InitPart();
    DrawPart();
    flowTo_->SetText(RemainderText);
    flowTo_->SetAllowExpressions(false);
  }
}

// ---------------------------------------------------------------- styles

void TfrxCustomMemoView::SetStyle(const AnsiString& name) {
  style_ = name;
  if (TfrxStyleItem* item = ReportFindStyle(name)) ApplyStyle(item);
}

void TfrxCustomMemoView::ApplyStyle(TfrxStyleItem* style) {
  if (!style) return;
  SetColor(style->Color());
  SetFont(style->Font());
  // The style's frame, once styles carry one.
  if (const rtl::TPropInfo* p = style->ClassType().FindProperty("Frame"))
    if (auto* frame = dynamic_cast<TfrxFrame*>(p->GetObject(*style))) Frame()->Assign(frame);
}

// ---------------------------------------------------------------- Diff

namespace {

AnsiString Attr(const char* name, const AnsiString& value) { return AnsiString(" ") + name + "=\"" + value + "\""; }

// The same written straight onto the attribute text (the text attribute
// comes with every memo of every row).
void AppendAttr(AnsiString& s, const char* name, const AnsiString& value) {
  s += ' ';
  s += name;
  s += "=\"";
  s += value;
  s += '"';
}
AnsiString BoolText(bool v) { return v ? "1" : "0"; }
bool FloatDiffers(long double a, long double b) { return std::fabs(a - b) > 0.0001L; }

// A line that is the same in UTF-8 and needs no escaping: plain ASCII
// without line ends, quotes, angle brackets or ampersands.
bool IsPlainLine(const WideString& line) {
  for (char16_t c : line)
    if (c >= 0x80 || c == u'\n' || c == u'\r' || c == u'"' || c == u'<' || c == u'>' || c == u'&') return false;
  return true;
}

// The text as the prepared pages keep it: UTF-8, without the last line end.
AnsiString StoredText(const TWideStrings& memo) {
  if (memo.Count() == 0) return AnsiString();
  if (memo.Count() == 1) {
    // Most memos of a row hold one short plain line: copied as it is.
    const WideString& line = memo.LineRef(0);
    if (IsPlainLine(line)) return AnsiString(line.begin(), line.end());
    return vuzUtf8ToXML(rtl::WideToUtf8(line));
  }
  WideString text = memo.Text();
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) text.resize(text.size() - 2);
  return vuzUtf8ToXML(rtl::WideToUtf8(text));
}

}  // namespace

AnsiString TfrxCustomMemoView::Diff(TfrxComponent* other) {
  std::unique_ptr<TfrxCustomMemoView> defaults;
  // The source object is of the memo's own class almost always: the type
  // test is much cheaper than the cast's walk through the classes.
  auto* m = other && typeid(*other) == typeid(*this) ? static_cast<TfrxCustomMemoView*>(other)
                                                     : dynamic_cast<TfrxCustomMemoView*>(other);
  if (!m) {
    defaults = std::make_unique<TfrxCustomMemoView>(nullptr);
    m = defaults.get();
  }
  AnsiString s = TfrxStretcheable::Diff(m);
  auto floatAttr = [&](const char* name, long double mine, long double theirs) {
    if (FloatDiffers(mine, theirs)) s += Attr(name, rtl::FloatToStr(mine));
  };
  auto boolAttr = [&](const char* name, bool mine, bool theirs) {
    if (mine != theirs) s += Attr(name, BoolText(mine));
  };
  auto ordAttr = [&](const char* name, long long mine, long long theirs) {
    if (mine != theirs) s += Attr(name, rtl::IntToStr(mine));
  };
  auto strAttr = [&](const char* name, const AnsiString& mine, const AnsiString& theirs) {
    if (mine != theirs) s += Attr(name, vuzStrToXML(mine));
  };

  boolAttr("AutoWidth", autoWidth_, m->autoWidth_);
  floatAttr("CharSpacing", charSpacing_, m->charSpacing_);
  floatAttr("GapX", gapX_, m->gapX_);
  floatAttr("GapY", gapY_, m->gapY_);
  ordAttr("HAlign", hAlign_, m->hAlign_);
  boolAttr("Highlight.Active", highlight_->Active(), m->highlight_->Active());
  floatAttr("LineSpacing", lineSpacing_, m->lineSpacing_);
  boolAttr("UseDefaultCharset", useDefaultCharset_, m->useDefaultCharset_);
  AppendAttr(s, "u", StoredText(*memo_));
  floatAttr("ParagraphGap", paragraphGap_, m->paragraphGap_);
  ordAttr("Rotation", rotation_, m->rotation_);
  boolAttr("RTLReading", rtlReading_, m->rtlReading_);
  boolAttr("Underlines", underlines_, m->underlines_);
  ordAttr("VAlign", vAlign_, m->vAlign_);
  boolAttr("WordWrap", wordWrap_, m->wordWrap_);
  ordAttr("DisplayFormat.Kind", displayFormat_->Kind(), m->displayFormat_->Kind());
  strAttr("DisplayFormat.DecimalSeparator", displayFormat_->DecimalSeparator(), m->displayFormat_->DecimalSeparator());
  strAttr("DisplayFormat.ThousandSeparator", displayFormat_->ThousandSeparator(),
          m->displayFormat_->ThousandSeparator());
  strAttr("DisplayFormat.FormatStr", displayFormat_->FormatStr(), m->displayFormat_->FormatStr());
  // The part stored now starts or ends inside a paragraph; the next part
  // continues the paragraph this one cut.
  if (firstParaBreak_) s += Attr("FirstParaBreak", "1");
  if (lastParaBreak_) s += Attr("LastParaBreak", "1");
  firstParaBreak_ = lastParaBreak_;
  lastParaBreak_ = false;
  return s;
}

// ---------------------------------------------------------------- reflection

namespace {

// The published values of the text object, each with its template default,
// in stored order; `only` limits them to a subset (the system-text object).
template <class C>
void PublishMemo(rtl::TClassBuilder<C>& b, bool full) {
  using M = TfrxCustomMemoView;
  if (full) {
    b.Property("AllowExpressions", &M::AllowExpressions, &M::SetAllowExpressions).Default(true);
    b.Property("AllowHTMLTags", &M::AllowHTMLTags, &M::SetAllowHTMLTags).Default(false);
  }
  b.Property("AutoWidth", &M::AutoWidth, &M::SetAutoWidth).Default(false);
  ViewProps::BrushStyle(b);
  b.Property("CharSpacing", &M::CharSpacing, &M::SetCharSpacing).Stored(&M::IsCharSpacingStored);
  if (full) b.Property("Clipped", &M::Clipped, &M::SetClipped).Default(true);
  ViewProps::Color(b);
  if (full) {
    ViewProps::Cursor(b);
    ViewProps::DataField(b);
    ViewProps::DataSet(b);
    ViewProps::DataSetName(b);
  }
  b.Property("DisplayFormat", &M::DisplayFormat, &M::SetDisplayFormat);
  if (full) {
    b.Property("ExpressionDelimiters", &M::ExpressionDelimiters, &M::SetExpressionDelimiters)
        .Stored(&M::IsExpressionDelimitersStored);
    b.Property("FirstParaBreak", &M::FirstParaBreak, &M::SetFirstParaBreak).Default(false);
    b.Property("LastParaBreak", &M::LastParaBreak, &M::SetLastParaBreak).Default(false);
    b.Property("FlowTo", &M::FlowTo, &M::SetFlowTo);
  }
  b.Property("Font", &TfrxComponent::Font, [](C& v, gfx::TFont* f) {
     v.SetFont(f);
   }).Stored(&TfrxComponent::IsFontStored);
  ViewProps::Frame(b);
  b.Property("GapX", &M::GapX, &M::SetGapX).Stored(&M::IsGapXStored);
  b.Property("GapY", &M::GapY, &M::SetGapY).Stored(&M::IsGapYStored);
  b.Enum("HAlign", HAlignType(), &M::HAlign, &M::SetHAlign).Default(haLeft);
  b.Property("HideZeros", &M::HideZeros, &M::SetHideZeros).Default(false);
  b.Property("Highlight", &M::Highlight, &M::SetHighlight).Stored(&M::IsHighlightStored);
  if (full) b.Property("LineSpacing", &M::LineSpacing, &M::SetLineSpacing).Stored(&M::IsLineSpacingStored);
  b.Property("Memo", &M::Memo, &M::SetMemo);
  if (full) b.Property("ParagraphGap", &M::ParagraphGap, &M::SetParagraphGap).Stored(&M::IsParagraphGapStored);
  b.Property("ParentFont", &TfrxComponent::ParentFont, [](C& v, bool x) { v.SetParentFont(x); }).Default(true);
  b.Property("Rotation", &M::Rotation, &M::SetRotation).Default(0);
  b.Property("RTLReading", &M::RTLReading, &M::SetRTLReading).Default(false);
  b.Property("Style", &M::Style, &M::SetStyle);
  b.Property("SuppressRepeated", &M::SuppressRepeated, &M::SetSuppressRepeated).Default(false);
  if (full) {
    ViewProps::TagStr(b);
    ViewProps::URL(b);
    b.Property("Underlines", &M::Underlines, &M::SetUnderlines).Default(false);
    b.Property("UseDefaultCharset", &M::UseDefaultCharset, &M::SetUseDefaultCharset).Default(false);
  }
  b.Enum("VAlign", VAlignType(), &M::VAlign, &M::SetVAlign).Default(vaTop);
  if (full) b.Property("WordBreak", &M::WordBreak, &M::SetWordBreak).Default(false);
  b.Property("WordWrap", &M::WordWrap, &M::SetWordWrap).Default(true);
  if (full) b.Property("Wysiwyg", &M::Wysiwyg, &M::SetWysiwyg).Default(true);
}

}  // namespace

const rtl::TClassInfo& TfrxCustomMemoView::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxCustomMemoView>("TfrxCustomMemoView", &TfrxStretcheable::StaticClass())
          .Creatable()
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxMemoView::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxMemoView> b("TfrxMemoView", &TfrxCustomMemoView::StaticClass());
    b.Creatable();
    PublishMemo(b, true);
    return b.Build();
  }();
  return info;
}

const rtl::TClassInfo& TfrxSysMemoView::StaticClass() {
  static const rtl::TClassInfo info = [] {
    rtl::TClassBuilder<TfrxSysMemoView> b("TfrxSysMemoView", &TfrxCustomMemoView::StaticClass());
    b.Creatable();
    PublishMemo(b, false);
    return b.Build();
  }();
  return info;
}

}  // namespace report
