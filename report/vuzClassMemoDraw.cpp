// The text object's geometry, measuring, drawing and splitting. Every use of
// the layout object holds its process-wide lock from the first configuration
// call to the last query, and puts Color back afterwards, because an active
// highlight replaces it while the object is laid out.
#include <cmath>

#include "report/vuzClassMemo.h"

namespace report {

namespace {

// Holds the layout lock and keeps the memo's colour for one sequence.
class TLayoutSession {
 public:
  explicit TLayoutSession(TfrxCustomMemoView& memo) : memo_(memo), color_(memo.Color()) {}
  ~TLayoutSession() { memo_.SetColor(color_); }
  TLayoutSession(const TLayoutSession&) = delete;
  TLayoutSession& operator=(const TLayoutSession&) = delete;

 private:
  TfrxDrawTextLock lock_;
  TfrxCustomMemoView& memo_;
  gfx::TColor color_;
};

constexpr gfx::TRect kUnboundedRect{0, 0, 10000, 10000};

bool Has(TfrxFrameTypes typ, TfrxFrameType side) { return (typ & FrameBit(side)) != 0; }

}  // namespace

TfrxDrawText& TfrxCustomMemoView::LayoutObject() {
  if (auto* link = dynamic_cast<TfrxMemoReportLink*>(GetReport()))
    if (TfrxDrawText* own = link->DrawText()) return *own;
  TfrxDrawText* shared = vuzDrawText();
  if (!shared) throw rtl::Exception("The text layout is not started");
  return *shared;
}

// ---------------------------------------------------------------- geometry

void TfrxCustomMemoView::BeginDraw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                                   long double offsetY) {
  TfrxStretcheable::BeginDraw(canvas, scaleX, scaleY, offsetX, offsetY);
  const long double fw = Frame()->Width();
  const TfrxFrameTypes typ = Frame()->Typ();
  int left = DevX, right = DevX1, top = DevY, bottom = DevY1;
  if (Has(typ, ftLeft)) left += vuzRoundEven((scaleX * fw - 1) / 2);
  if (Has(typ, ftRight)) right -= vuzRoundEven(scaleX * fw / 2);
  if (Has(typ, ftTop)) top += vuzRoundEven((scaleY * fw - 1) / 2);
  if (Has(typ, ftBottom)) bottom -= vuzRoundEven(scaleY * fw / 2);
  const int gx = vuzRoundEven(scaleX * GapX());
  const int gy = vuzRoundEven(scaleY * GapY());
  InnerRect = gfx::TRect{left + gx, top + gy, right - gx + 1, bottom - gy + 1};
}

void TfrxCustomMemoView::ComputeInnerRect(gfx::TCanvas* canvas, long double scaleX, long double scaleY,
                                          long double offsetX, long double offsetY) {
  BeginDraw(canvas ? *canvas : LayoutObject().LayoutCanvas(), scaleX, scaleY, offsetX, offsetY);
}

long double TfrxCustomMemoView::AdjustCalcHeight() const {
  const long double fw = Frame()->Width();
  long double r = 2 * GapY();
  if (Has(Frame()->Typ(), ftTop)) r += (fw - 1) / 2;
  if (Has(Frame()->Typ(), ftBottom)) r += fw / 2;
  if (Frame()->DropShadow()) r += Frame()->ShadowWidth();
  return r;
}

long double TfrxCustomMemoView::AdjustCalcWidth() const {
  const long double fw = Frame()->Width();
  long double r = 2 * GapX();
  if (Has(Frame()->Typ(), ftLeft)) r += (fw - 1) / 2;
  if (Has(Frame()->Typ(), ftRight)) r += fw / 2;
  if (Frame()->DropShadow()) r += Frame()->ShadowWidth();
  return r;
}

// ---------------------------------------------------------------- configuring the layout

void TfrxCustomMemoView::ConfigureLayout(TfrxDrawText& dt) {
  dt.SetUseDefaultCharset(UseDefaultCharset());
  if (Highlight()->Active()) {
    dt.SetFont(*Highlight()->Font());
    SetColor(Highlight()->Color());
  } else {
    dt.SetFont(*Font());
  }
  dt.SetOptions(WordWrap(), AllowHTMLTags(), RTLReading(), WordBreak(), Clipped(), Wysiwyg(), Rotation());
  dt.SetGaps(static_cast<double>(ParagraphGap()), static_cast<double>(CharSpacing()),
             static_cast<double>(LineSpacing()));
}

void TfrxCustomMemoView::SetDrawParams(gfx::TCanvas* canvas, long double scaleX, long double scaleY,
                                       long double offsetX, long double offsetY) {
  TfrxDrawText& dt = LayoutObject();
  SetLayoutDimensions(dt, canvas, scaleX, scaleY, offsetX, offsetY);
  dt.SetText(*Memo());
  dt.SetParaBreaks(FirstParaBreak(), LastParaBreak());
}

void TfrxCustomMemoView::SetLayoutDimensions(TfrxDrawText& dt, gfx::TCanvas* canvas, long double scaleX,
                                             long double scaleY, long double offsetX, long double offsetY) {
  ConfigureLayout(dt);
  if (!IsDesigning() && AutoWidth()) {
    dt.SetDimensions(1, 1, 1, kUnboundedRect, kUnboundedRect);
    dt.SetText(*Memo());
    const long double oldWidth = Width();
    const long double newWidth = dt.CalcWidth() + AdjustCalcWidth();
    if (HAlign() == haRight) SetLeft(Left() + oldWidth - newWidth);
    if (HAlign() == haCenter) SetLeft(Left() + (oldWidth - newWidth) / 2);
    SetWidth(newWidth);
    if (Parent()) Parent()->AlignChildren();
  }
  ComputeInnerRect(canvas, scaleX, scaleY, offsetX, offsetY);
  const gfx::TRect deviceRect = InnerRect;
  ComputeInnerRect(canvas, 1, 1, 0, 0);
  if (!IsPrinting()) PrintScale = 1;
  dt.SetDimensions(static_cast<double>(scaleX), static_cast<double>(scaleY), static_cast<double>(PrintScale), InnerRect,
                   deviceRect);
}

// ---------------------------------------------------------------- drawing

void TfrxCustomMemoView::Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                              long double offsetY) {
  TfrxDrawText& dt = LayoutObject();
  dt.SetUseDefaultCharset(UseDefaultCharset());
  if (!IsDesigning()) {
    ExtractMacros();
  } else if (IsDataField()) {
    SetText(u"[" + rtl::AnsiToWide(DataSet()->UserName()) + u".\"" + rtl::AnsiToWide(DataField()) + u"\"]");
  }
  TLayoutSession session(*this);
  SetLayoutDimensions(dt, &canvas, scaleX, scaleY, offsetX, offsetY);
  // A text far taller than its box is drawn at the cost of what the box
  // shows: the lines outside it are counted but not kept.
  dt.SetShownText(*Memo(), canvas, VAlign());
  dt.SetParaBreaks(FirstParaBreak(), LastParaBreak());
  TfrxStretcheable::Draw(canvas, scaleX, scaleY, offsetX, offsetY);

  if (Underlines() && Rotation() == 0) {
    gfx::TPen& pen = canvas.Pen();
    pen.SetStyle(gfx::psSolid);
    pen.SetColor(Frame()->Color());
    pen.SetWidth(DevFrameWidth);
    pen.SetMode(gfx::pmCopy);
    const long double step = dt.LineHeight() * scaleY;
    if (step > 0) {
      long double y = DevY + (GapY() - LineSpacing() + 1) * scaleY + step;
      while (y < DevY1) {
        const int at = vuzRoundEven(y);
        canvas.MoveTo(DevX, at);
        canvas.LineTo(DevX1, at);
        y += step;
      }
    }
  }
  dt.DrawText(canvas, HAlign(), VAlign());
}

// ---------------------------------------------------------------- measuring

long double TfrxCustomMemoView::CalcHeight() {
  TLayoutSession session(*this);
  TfrxDrawText& dt = LayoutObject();
  ConfigureLayout(dt);
  if (AutoWidth()) {
    dt.SetDimensions(1, 1, 1, kUnboundedRect, kUnboundedRect);
  } else {
    ComputeInnerRect(nullptr, 1, 1, 0, 0);
    dt.SetDimensions(1, 1, 1, InnerRect, InnerRect);
  }
  dt.SetText(*Memo());
  return vuzRoundEven(dt.CalcHeight() + AdjustCalcHeight());
}

long double TfrxCustomMemoView::CalcWidth() {
  TLayoutSession session(*this);
  TfrxDrawText& dt = LayoutObject();
  ConfigureLayout(dt);
  dt.SetDimensions(1, 1, 1, kUnboundedRect, kUnboundedRect);
  dt.SetText(*Memo());
  return vuzRoundEven(dt.CalcWidth() + AdjustCalcWidth());
}

WideString TfrxCustomMemoView::WrapText(bool wrapped) {
  TLayoutSession session(*this);
  TfrxDrawText& dt = LayoutObject();
  SetDrawParams(nullptr, 1, 1, 0, 0);
  return wrapped ? dt.GetWrappedText() : dt.DeleteTags(Text());
}

// ---------------------------------------------------------------- splitting

void TfrxCustomMemoView::InitPart() {
  RemainderText = Text();
  SetFirstParaBreak(false);
  SetLastParaBreak(false);
}

long double TfrxCustomMemoView::DrawPart() {
  TLayoutSession session(*this);
  TfrxDrawText& dt = LayoutObject();
  SetText(RemainderText);
  // The object's current Height bounds the lines.
  SetDrawParams(nullptr, 1, 1, 0, 0);
  bool inParagraph = false;
  RemainderText = dt.GetOutBoundsText(inParagraph);
  SetLastParaBreak(inParagraph);
  SetText(dt.GetInBoundsText());
  const long double unused = dt.UnusedSpace();
  return unused == 0 ? Height() : unused;
}

}  // namespace report
