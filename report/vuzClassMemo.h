// The text object: TfrxCustomMemoView and its published forms TfrxMemoView
// (the full object) and TfrxSysMemoView (the system-text object). Lines of
// Unicode text whose bracketed expressions are filled while a report is
// built, formatted by a display format, with a conditional highlight,
// suppression of repeated values, alignment, rotation, simple HTML tags,
// underlining, automatic width and splitting across pages or into a
// follower object. All layout goes through the text-layout object
// (TfrxDrawText) under its one process-wide lock.
//
// The unit is split by topic: vuzClassMemo.cpp (properties, printing
// cycle, Diff, styles), vuzClassMemoDraw.cpp (geometry, measuring,
// drawing, splitting), vuzClassMemoFormat (value formatting and the
// expression scan as plain functions).
#pragma once
#include <cstdint>
#include <memory>

#include "platform/gfx/canvas.h"
#include "platform/rtl/variant.h"
#include "report/vuzClassMemoFormat.h"
#include "report/vuzClassView.h"
#include "report/vuzDrawText.h"
#include "report/vuzUnicodeUtils.h"

namespace report {

class TfrxStyleItem;

// What the text object asks of the report it belongs to while printing:
// evaluating an expression, the script's "Value", the report's styles and
// its text-layout object. The report object answers through its own
// methods; a memo outside a report uses the process-wide layout object and
// evaluates nothing.
class TfrxMemoReportLink {
 public:
  virtual ~TfrxMemoReportLink() = default;
  virtual rtl::Variant Calc(const AnsiString& expression) = 0;
  virtual void SetLocalValue(const rtl::Variant& value) = 0;
  virtual TfrxStyleItem* FindStyle(const AnsiString& name) = 0;
  // Nil: the process-wide layout object serves.
  virtual TfrxDrawText* DrawText() = 0;
};

class TfrxCustomMemoView : public TfrxStretcheable {
  RTL_CLASS_INFO
 public:
  explicit TfrxCustomMemoView(rtl::TComponent* owner);
  TfrxCustomMemoView(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxCustomMemoView() override;

  // ---- published values (TfrxMemoView publishes them all, TfrxSysMemoView a few)
  bool AllowExpressions() const { return allowExpressions_; }
  void SetAllowExpressions(bool v) { allowExpressions_ = v; }
  bool AllowHTMLTags() const { return allowHTMLTags_; }
  void SetAllowHTMLTags(bool v) { allowHTMLTags_ = v; }
  bool AutoWidth() const { return autoWidth_; }
  void SetAutoWidth(bool v) { autoWidth_ = v; }
  long double CharSpacing() const { return charSpacing_; }
  void SetCharSpacing(long double v) { charSpacing_ = v; }
  bool Clipped() const { return clipped_; }
  void SetClipped(bool v) { clipped_ = v; }
  TfrxFormat* DisplayFormat() const { return displayFormat_.get(); }
  void SetDisplayFormat(const TfrxFormat* f) { displayFormat_->Assign(f); }
  const AnsiString& ExpressionDelimiters() const { return expressionDelimiters_; }
  void SetExpressionDelimiters(const AnsiString& v) { expressionDelimiters_ = v; }
  bool FirstParaBreak() const { return firstParaBreak_; }
  void SetFirstParaBreak(bool v) { firstParaBreak_ = v; }
  bool LastParaBreak() const { return lastParaBreak_; }
  void SetLastParaBreak(bool v) { lastParaBreak_ = v; }
  TfrxCustomMemoView* FlowTo() const { return flowTo_; }
  void SetFlowTo(TfrxCustomMemoView* v);
  long double GapX() const { return gapX_; }
  void SetGapX(long double v) { gapX_ = v; }
  long double GapY() const { return gapY_; }
  void SetGapY(long double v) { gapY_ = v; }
  TfrxHAlign HAlign() const { return hAlign_; }
  void SetHAlign(TfrxHAlign v) { hAlign_ = v; }
  bool HideZeros() const { return hideZeros_; }
  void SetHideZeros(bool v) { hideZeros_ = v; }
  TfrxHighlight* Highlight() const { return highlight_.get(); }
  void SetHighlight(const TfrxHighlight* h) { highlight_->Assign(h); }
  long double LineSpacing() const { return lineSpacing_; }
  void SetLineSpacing(long double v) { lineSpacing_ = v; }
  TWideStrings* Memo() const { return memo_.get(); }
  void SetMemo(const TWideStrings* m) { memo_->Assign(*m); }
  long double ParagraphGap() const { return paragraphGap_; }
  void SetParagraphGap(long double v) { paragraphGap_ = v; }
  int Rotation() const { return rotation_; }
  // Stored modulo 360 with the sign of the value: 450 is 90, -90 stays -90.
  void SetRotation(int v) { rotation_ = v % 360; }
  bool RTLReading() const { return rtlReading_; }
  void SetRTLReading(bool v) { rtlReading_ = v; }
  const AnsiString& Style() const { return style_; }
  // Stores the name and, in a report, applies the style of that name.
  void SetStyle(const AnsiString& name);
  bool SuppressRepeated() const { return suppressRepeated_; }
  void SetSuppressRepeated(bool v) { suppressRepeated_ = v; }
  bool Underlines() const { return underlines_; }
  void SetUnderlines(bool v) { underlines_ = v; }
  bool UseDefaultCharset() const { return useDefaultCharset_; }
  void SetUseDefaultCharset(bool v) { useDefaultCharset_ = v; }
  TfrxVAlign VAlign() const { return vAlign_; }
  void SetVAlign(TfrxVAlign v) { vAlign_ = v; }
  bool WordBreak() const { return wordBreak_; }
  void SetWordBreak(bool v) { wordBreak_ = v; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { wordWrap_ = v; }
  bool Wysiwyg() const { return wysiwyg_; }
  void SetWysiwyg(bool v) { wysiwyg_ = v; }

  bool IsCharSpacingStored() const { return charSpacing_ != 0; }
  bool IsExpressionDelimitersStored() const { return expressionDelimiters_ != "[,]"; }
  bool IsGapXStored() const { return gapX_ != 2; }
  bool IsGapYStored() const { return gapY_ != 1; }
  bool IsHighlightStored() const;
  bool IsLineSpacingStored() const { return lineSpacing_ != 2; }
  bool IsParagraphGapStored() const { return paragraphGap_ != 0; }

  // ---- the text
  // Lines separated by CR LF.
  WideString Text() const { return memo_->Text(); }
  void SetText(const WideString& text) { memo_->SetText(text); }
  // The same as 8-bit text in the code page of Font.Charset.
  AnsiString AnsiText() const;
  void SetAnsiText(const AnsiString& text);

  // ---- internal state
  gfx::TRect InnerRect;  // the text rectangle inside frame and gaps (BeginDraw)
  rtl::Variant CurrentValue;
  rtl::Variant PreviousText = rtl::Variant::Null();
  WideString SavedText;
  WideString RemainderText;
  int PageTotal = 0;
  int CopyNumber = 0;
  long double PrintScale = 1;

  // ---- overrides
  AnsiString GetDescription() const override;
  AnsiString Diff(TfrxComponent* other) override;
  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;
  void BeginDraw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                 long double offsetY) override;
  void BeforePrint() override;
  void GetData() override;
  void AfterPrint() override;
  AnsiString GetComponentText() override;
  long double CalcHeight() override;
  long double DrawPart() override;
  void InitPart() override;
  virtual long double CalcWidth();

  // ---- operations
  // Configures the layout object for this memo; the caller holds its lock.
  void SetDrawParams(gfx::TCanvas* canvas, long double scaleX, long double scaleY, long double offsetX,
                     long double offsetY);
  // The space that frame, gaps and shadow take.
  long double AdjustCalcHeight() const;
  long double AdjustCalcWidth() const;
  WideString CalcAndFormat(const WideString& expression);
  // format nil: DisplayFormat.
  WideString FormatData(const rtl::Variant& value, const TfrxFormat* format = nullptr);
  void ExtractMacros();
  void ResetSuppress() { PreviousText = rtl::Variant(WideString()); }
  void ApplyStyle(TfrxStyleItem* style);
  // The laid-out lines joined by CR LF (wrapped), or the text without its
  // HTML tags.
  WideString WrapText(bool wrapped);

  // The layout object this memo uses: the report's, else the process-wide one.
  TfrxDrawText& LayoutObject();
  // What the memo asks of the report it belongs to: the report object, or a
  // stand-in that answers as a TfrxMemoReportLink. Outside a report nothing
  // is evaluated (Null), no style is found and no "Value" is set.
  rtl::Variant ReportCalc(const AnsiString& expression) const;
  void ReportSetLocalValue(const rtl::Variant& value) const;
  TfrxStyleItem* ReportFindStyle(const AnsiString& name) const;
  // True when 8-bit text goes through Font.Charset's code page.
  bool ConvertsCharset() const;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  void InitMemo();
  // Font and colour (the highlight's while active), options and gaps.
  void ConfigureLayout(TfrxDrawText& dt);
  // SetDrawParams up to the text: font, options, gaps and dimensions.
  void SetLayoutDimensions(TfrxDrawText& dt, gfx::TCanvas* canvas, long double scaleX, long double scaleY,
                           long double offsetX, long double offsetY);
  // InnerRect at the scales and offsets; without a canvas the layout
  // object's own stands in (nothing is drawn on it).
  void ComputeInnerRect(gfx::TCanvas* canvas, long double scaleX, long double scaleY, long double offsetX,
                        long double offsetY);

  bool allowExpressions_ = true;
  bool allowHTMLTags_ = false;
  bool autoWidth_ = false;
  long double charSpacing_ = 0;
  bool clipped_ = true;
  std::unique_ptr<TfrxFormat> displayFormat_;
  AnsiString expressionDelimiters_ = "[,]";
  // The delimiters split for the expression scan, and the text they were
  // split from (GetData runs for every row).
  AnsiString splitDelimitersOf_;
  WideString openDelimiter_, closeDelimiter_;
  // The text last filled, cut at its expressions, each made ready to be
  // evaluated: a data band's memo fills the same text for every row.
  struct PreparedExpression;
  struct PreparedText;
  std::shared_ptr<const PreparedText> prepared_;
  // Buffers the filling reuses from row to row.
  WideString fillSource_, filled_;
  std::shared_ptr<const PreparedText> PrepareText(const WideString& text, int charset);
  PreparedExpression PrepareExpression(const WideString& text, int charset) const;
  WideString CalcAndFormat(const PreparedExpression& expression);
  // The code page expressions are narrowed through before they are evaluated.
  int ExpressionCharset() const;
  bool firstParaBreak_ = false;
  bool lastParaBreak_ = false;
  TfrxCustomMemoView* flowTo_ = nullptr;
  long double gapX_ = 2;
  long double gapY_ = 1;
  TfrxHAlign hAlign_ = haLeft;
  bool hideZeros_ = false;
  std::unique_ptr<TfrxHighlight> highlight_;
  long double lineSpacing_ = 2;
  std::unique_ptr<TWideStrings> memo_;
  long double paragraphGap_ = 0;
  int rotation_ = 0;
  bool rtlReading_ = false;
  AnsiString style_;
  bool suppressRepeated_ = false;
  bool underlines_ = false;
  bool useDefaultCharset_ = false;
  TfrxVAlign vAlign_ = vaTop;
  bool wordBreak_ = false;
  bool wordWrap_ = true;
  bool wysiwyg_ = true;
};

// The text object as templates hold it: every property published.
class TfrxMemoView : public TfrxCustomMemoView {
  RTL_CLASS_INFO
 public:
  using TfrxCustomMemoView::TfrxCustomMemoView;
};

// The system-text object: fewer properties, its own description.
class TfrxSysMemoView : public TfrxCustomMemoView {
  RTL_CLASS_INFO
 public:
  using TfrxCustomMemoView::TfrxCustomMemoView;
  AnsiString GetDescription() const override;
};

}  // namespace report
