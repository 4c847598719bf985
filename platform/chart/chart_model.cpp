#include "platform/chart/chart_model.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/textcase.h"

namespace chart {

using gfx::TCanvas;
using gfx::TPoint;

namespace {

constexpr int kLabelPoints = 8;
constexpr int kTitlePoints = 10;

// Splits a label or title at carriage returns.
std::vector<AnsiString> Lines(const AnsiString& text) {
  std::vector<AnsiString> out(1);
  for (char c : text) {
    if (c == '\r')
      out.emplace_back();
    else if (c != '\n')
      out.back() += c;
  }
  return out;
}

int Scaled(double scale, int px) { return static_cast<int>(std::lround(px * scale)); }

int TextLinesWidth(TCanvas& c, const std::vector<AnsiString>& lines) {
  int w = 0;
  for (const auto& l : lines) w = std::max(w, c.TextWidth(l));
  return w;
}

int LineCount(const AnsiString& text) { return text.empty() ? 0 : static_cast<int>(Lines(text).size()); }

}  // namespace

void SetChartFont(TCanvas& canvas, int points, TColor color, bool bold, int orientation) {
  gfx::TFont& f = canvas.Font();
  f.SetName("Arial");
  f.SetPixelsPerInch(canvas.PixelsPerInchY());
  f.SetSize(points);
  f.SetColor(color);
  f.SetStyle(bold ? gfx::TFontStyles{gfx::fsBold} : gfx::TFontStyles{});
  f.SetOrientation(orientation);
}

AnsiString LabelTextOf(TChartModel& model, TChartAxis& axis, double value, double step, TColor* color) {
  AnsiString text = AxisLabelText(axis, value, step);
  TColor c = axis.LabelColor();
  if (model.OnGetAxisLabel) model.OnGetAxisLabel(axis, value, text, c);
  if (color) *color = c;
  return text;
}

TChartModel::TChartModel() {
  top_.SetVisible(false);
  for (TChartAxis* a : {&bottom_, &left_, &right_, &top_}) a->SetOnChange([this] { Changed(); });
}

TChartModel::~TChartModel() = default;

bool TChartModel::AxisInUse(const TChartAxis& axis) const {
  if (&axis == &bottom_ || &axis == &left_) return true;
  for (const auto& s : series_)
    if (s->Active() && &axis == (s->VertAxis() == TVertAxis::Right ? &right_ : &left_)) return true;
  return false;
}

void TChartModel::AdjustAxes() {
  struct Extent {
    bool any = false;
    double lo = 0, hi = 0;
    void Add(double a, double b) {
      if (!any) {
        lo = a, hi = b, any = true;
        return;
      }
      lo = std::min(lo, a), hi = std::max(hi, b);
    }
  } x, yl, yr;
  for (const auto& s : series_) {
    if (!s->Active()) continue;
    double a, b;
    if (s->XRange(a, b)) x.Add(a, b);
    if (s->YRange(a, b)) (s->VertAxis() == TVertAxis::Right ? yr : yl).Add(a, b);
  }
  // Adjusting must not announce a change: it runs while painting.
  auto quiet = [](TChartAxis& axis, const Extent& e) {
    if (!axis.Automatic() || !e.any) return;
    double lo = e.lo, hi = e.hi;
    if (!(hi > lo)) lo -= 1, hi += 1;  // one value: a range around it
    axis.AdjustToData(true, lo, hi);
  };
  quiet(bottom_, x);
  quiet(left_, yl);
  quiet(right_, yr);
}

std::vector<TChartSeries*> TChartModel::LegendEntries() const {
  std::vector<TChartSeries*> out;
  for (const auto& s : series_) {
    if (!s->Active() || !s->ShowInLegend()) continue;
    if (legendMaxRows_ > 0 && static_cast<int>(out.size()) >= legendMaxRows_) break;
    out.push_back(s.get());
  }
  return out;
}

const TChartLayout& TChartModel::LayOut(TCanvas& canvas, const TRect& bounds) {
  TChartLayout L;
  L.bounds = bounds;
  L.scale = canvas.PixelsPerInchY() / 96.0;
  const double s = L.scale;
  const int margin = Scaled(s, 8), gap = Scaled(s, 4), tick = Scaled(s, 4);

  int top = bounds.Top + margin, bottom = bounds.Bottom - margin;
  int left = bounds.Left + margin, right = bounds.Right - margin;

  // Title above everything.
  if (titleVisible_ && !titleLines_.empty()) {
    SetChartFont(canvas, kTitlePoints, gfx::clBlack, true);
    int h = canvas.TextHeight("Wg") * static_cast<int>(titleLines_.size());
    L.title = {bounds.Left, top, bounds.Right, top + h};
    top += h + gap;
  }

  // Legend on the right.
  std::vector<TChartSeries*> entries = legendVisible_ ? LegendEntries() : std::vector<TChartSeries*>{};
  SetChartFont(canvas, kLabelPoints, gfx::clBlack);
  const int textH = canvas.TextHeight("Wg");
  if (!entries.empty()) {
    int w = 0;
    for (auto* e : entries) w = std::max(w, canvas.TextWidth(e->Title()));
    const int rowH = textH + Scaled(s, 2);
    const int lw = Scaled(s, 4 + 24 + 4) + w + Scaled(s, 6);
    L.legend = {right - lw, top, right, top + rowH * static_cast<int>(entries.size()) + Scaled(s, 6)};
    right -= lw + gap;
  }

  // Bottom axis: labels, then the title below them.
  const int bottomLabelLines = bottom_.DateTime() ? LineCount(bottom_.DateTimeFormat()) : 1;
  const int bottomTitleLines = LineCount(bottom_.Title());
  int bottomH = tick + gap / 2 + bottomLabelLines * textH + (bottomTitleLines ? gap / 2 + bottomTitleLines * textH : 0);
  bottom -= bottomH;
  L.bottomAxis = {left, bottom, right, bottom + bottomH};
  // Half a label line of room above the plot for the top label of a vertical axis.
  top += textH / 2;
  L.plot.Top = top;
  L.plot.Bottom = std::max(top + 1, bottom);

  // Vertical axes: steps from the plot's height, widths from their labels.
  auto vertical = [&](TChartAxis& axis, TChartLayout::Labels& labels) -> int {
    if (!axis.Visible() || !AxisInUse(axis)) return 0;
    axis.Place(L.plot.Bottom - 1, L.plot.Top);
    const int pixels = L.plot.Height() - 1;
    labels.step = ChooseValueStep(axis.Maximum() - axis.Minimum(), pixels, textH + Scaled(s, axis.LabelsSeparation()),
                                  axis.Increment());
    labels.values = ValueLabelValues(axis.Minimum(), axis.Maximum(), labels.step);
    int w = 0;
    for (double v : labels.values) w = std::max(w, canvas.TextWidth(LabelTextOf(*this, axis, v, labels.step, nullptr)));
    const int titleLines = LineCount(axis.Title());
    return tick + gap / 2 + w + (titleLines ? gap + titleLines * textH : 0);
  };
  const int leftW = vertical(left_, L.left);
  const int rightW = vertical(right_, L.right);
  L.leftAxis = {left, L.plot.Top, left + leftW, L.plot.Bottom};
  L.rightAxis = {right - rightW, L.plot.Top, right, L.plot.Bottom};
  L.plot.Left = left + leftW;
  L.plot.Right = std::max(L.plot.Left + 1, right - rightW);
  L.bottomAxis.Left = L.plot.Left;
  L.bottomAxis.Right = L.plot.Right;

  // Bottom axis step: from the width of its widest label.
  bottom_.Place(L.plot.Left, L.plot.Right - 1);
  {
    const int pixels = L.plot.Width() - 1;
    const double range = bottom_.Maximum() - bottom_.Minimum();
    auto widest = [&](const std::vector<double>& vs, double step) {
      int w = 0;
      for (double v : vs) w = std::max(w, TextLinesWidth(canvas, Lines(LabelTextOf(*this, bottom_, v, step, nullptr))));
      return w;
    };
    if (bottom_.DateTime()) {
      // Labels of one format have nearly one width: measure the range's ends.
      int w = widest({bottom_.Minimum(), bottom_.Maximum()}, 0) + Scaled(s, bottom_.LabelsSeparation());
      L.bottom.dateStep = ChooseDateTimeStep(range, pixels, w);
      L.bottom.values = DateTimeLabelValues(bottom_.Minimum(), bottom_.Maximum(), L.bottom.dateStep);
      // A month-wide label may be wider than the ends: step up until they fit.
      const auto& steps = DateTimeSteps();
      for (std::size_t i = 0; i + 1 < steps.size() && L.bottom.values.size() > 1; ++i) {
        if (steps[i].Length() < L.bottom.dateStep.Length()) continue;
        int need = widest(L.bottom.values, 0) + Scaled(s, bottom_.LabelsSeparation());
        double px = L.bottom.dateStep.Length() * pixels / (range > 0 ? range : 1);
        if (px >= need) break;
        L.bottom.dateStep = steps[i + 1];
        L.bottom.values = DateTimeLabelValues(bottom_.Minimum(), bottom_.Maximum(), L.bottom.dateStep);
      }
    } else {
      int w = widest({bottom_.Minimum(), bottom_.Maximum()}, range / 10) + Scaled(s, bottom_.LabelsSeparation());
      L.bottom.step = ChooseValueStep(range, pixels, w, bottom_.Increment());
      L.bottom.values = ValueLabelValues(bottom_.Minimum(), bottom_.Maximum(), L.bottom.step);
    }
  }
  layout_ = L;
  return layout_;
}

TChartPart TChartModel::PartAt(int x, int y) const {
  const TChartLayout& L = layout_;
  if (L.plot.Contains(x, y)) return TChartPart::Plot;
  if (L.legend.Contains(x, y)) return TChartPart::Legend;
  if (L.title.Contains(x, y)) return TChartPart::Title;
  if (y >= L.plot.Top && y < L.plot.Bottom) {
    if (x < L.plot.Left && x >= L.bounds.Left) return TChartPart::LeftAxis;
    if (x >= L.plot.Right && x < L.bounds.Right && !(L.legend.Contains(x, y))) return TChartPart::RightAxis;
  }
  if (y >= L.plot.Bottom && y < L.bounds.Bottom && x >= L.plot.Left && x < L.plot.Right) return TChartPart::BottomAxis;
  return TChartPart::None;
}

// ---- drawing

void TChartModel::Draw(TCanvas& canvas, const TRect& bounds, TColor background) {
  canvas.SaveDC();
  AdjustAxes();
  const TChartLayout& L = LayOut(canvas, bounds);
  const double s = L.scale;

  canvas.Pen().SetStyle(gfx::psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Brush().SetColor(background == gfx::clDefault ? panel_ : background);
  canvas.FillRect(bounds);
  canvas.SetBkMode(gfx::bkTransparent);

  // Title.
  if (!L.title.IsEmpty()) {
    SetChartFont(canvas, kTitlePoints, gfx::clBlack, true);
    canvas.SetTextAlign(gfx::TA_CENTER | gfx::TA_TOP);
    int y = L.title.Top;
    const int h = canvas.TextHeight("Wg");
    for (const auto& line : titleLines_) {
      canvas.TextOut((L.title.Left + L.title.Right) / 2, y, line);
      y += h;
    }
  }

  // Back wall with its frame.
  canvas.Brush().SetColor(backWall_);
  canvas.Pen().SetColor(gfx::clGray);
  canvas.Rectangle(L.plot.Left, L.plot.Top, L.plot.Right, L.plot.Bottom);

  // Grid lines at the labels of the bottom and left axes.
  canvas.Pen().SetColor(gfx::clSilver);
  canvas.Pen().SetStyle(gfx::psDot);
  canvas.SetBkMode(gfx::bkTransparent);
  if (bottom_.Grid())
    for (double v : L.bottom.values) {
      int x = bottom_.ValueToPixel(v);
      if (x <= L.plot.Left || x >= L.plot.Right - 1) continue;
      canvas.MoveTo(x, L.plot.Top + 1);
      canvas.LineTo(x, L.plot.Bottom - 1);
    }
  if (left_.Grid() && AxisInUse(left_))
    for (double v : L.left.values) {
      int y = left_.ValueToPixel(v);
      if (y <= L.plot.Top || y >= L.plot.Bottom - 1) continue;
      canvas.MoveTo(L.plot.Left + 1, y);
      canvas.LineTo(L.plot.Right - 1, y);
    }
  canvas.Pen().SetStyle(gfx::psSolid);

  // Series, clipped to the inside of the wall.
  canvas.SaveDC();
  canvas.IntersectClipRect({L.plot.Left + 1, L.plot.Top + 1, L.plot.Right - 1, L.plot.Bottom - 1});
  for (auto& sp : series_)
    if (sp->Active()) DrawSeries(canvas, *sp);
  canvas.RestoreDC(-1);

  // Axes.
  DrawAxis(canvas, bottom_, L.bottom);
  if (left_.Visible() && AxisInUse(left_)) DrawAxis(canvas, left_, L.left);
  if (right_.Visible() && AxisInUse(right_)) DrawAxis(canvas, right_, L.right);

  DrawLegend(canvas);

  if (!rubber_.IsEmpty()) {
    canvas.Pen().SetColor(gfx::clBlack);
    canvas.Pen().SetStyle(gfx::psDot);
    canvas.Brush().SetStyle(gfx::bsClear);
    canvas.Rectangle(rubber_.Left, rubber_.Top, rubber_.Right, rubber_.Bottom);
  }
  (void)s;
  canvas.RestoreDC(-1);
}

namespace {

void DrawPointer(TCanvas& c, TPointerStyle style, int x, int y, int hs, int vs) {
  switch (style) {
    case TPointerStyle::Rectangle: c.Rectangle(x - hs, y - vs, x + hs + 1, y + vs + 1); break;
    case TPointerStyle::Circle: c.Ellipse(x - hs, y - vs, x + hs + 1, y + vs + 1); break;
    case TPointerStyle::Triangle: c.Polygon({{x - hs, y + vs}, {x + hs, y + vs}, {x, y - vs}}); break;
    case TPointerStyle::DownTriangle: c.Polygon({{x - hs, y - vs}, {x + hs, y - vs}, {x, y + vs}}); break;
    case TPointerStyle::Diamond: c.Polygon({{x, y - vs}, {x + hs, y}, {x, y + vs}, {x - hs, y}}); break;
    case TPointerStyle::Cross:
      c.MoveTo(x - hs, y);
      c.LineTo(x + hs + 1, y);
      c.MoveTo(x, y - vs);
      c.LineTo(x, y + vs + 1);
      break;
    case TPointerStyle::Nothing: break;
  }
}

}  // namespace

void TChartModel::DrawSeries(TCanvas& canvas, TChartSeries& series) {
  const int n = series.Count();
  if (n == 0) return;
  TChartAxis& vAxis = VertAxisOf(series);
  const auto& xs = series.XValues();
  const auto& ys = series.YValues();
  const double scale = layout_.scale;

  // Device points; runs of points that fall on one pixel collapse into one,
  // which draws exactly the same line.
  std::vector<TPoint> pts;
  pts.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    TPoint p{bottom_.ValueToPixel(xs[static_cast<std::size_t>(i)]),
             vAxis.ValueToPixel(ys[static_cast<std::size_t>(i)])};
    pts.push_back(p);
  }

  if (series.DrawsLine() && n > 1) {
    std::vector<TPoint> line;
    line.reserve(pts.size());
    for (const TPoint& p : pts)
      if (line.empty() || !(line.back() == p)) line.push_back(p);
    canvas.Pen().SetStyle(gfx::psSolid);
    canvas.Pen().SetColor(series.SeriesColor());
    canvas.Pen().SetWidth(std::max(1, static_cast<int>(std::lround(scale))));
    if (line.size() > 1) {
      canvas.Polyline(line);
      // LineTo leaves out the end point: put the last one in.
      canvas.MoveTo(line.back().X, line.back().Y);
      canvas.LineTo(line.back().X + 1, line.back().Y);
    }
    canvas.Pen().SetWidth(1);
  }

  const TSeriesPointer& ptr = series.Pointer();
  if (!ptr.Visible || ptr.Style == TPointerStyle::Nothing) return;
  const int hs = std::max(1, static_cast<int>(std::lround(ptr.HorizSize * scale)));
  const int vs = std::max(1, static_cast<int>(std::lround(ptr.VertSize * scale)));
  const TRect plot = layout_.plot;
  // A marker already drawn at the same pixel in the same colour is not drawn
  // again: the picture is the same, and thousands of points share pixels.
  const int w = std::max(1, plot.Width()), h = std::max(1, plot.Height());
  std::vector<std::uint8_t> seen(static_cast<std::size_t>(w) * h);
  TColor current = gfx::clNone;
  for (int i = 0; i < n; ++i) {
    const TPoint p = pts[static_cast<std::size_t>(i)];
    if (p.X < plot.Left - hs || p.X >= plot.Right + hs || p.Y < plot.Top - vs || p.Y >= plot.Bottom + vs) continue;
    const TColor c = series.PointColor(i);
    const bool inside = plot.Contains(p.X, p.Y);
    const std::size_t cell = inside ? static_cast<std::size_t>(p.Y - plot.Top) * w + (p.X - plot.Left) : 0;
    if (inside && c == series.SeriesColor()) {
      if (seen[cell]) continue;
      seen[cell] = 1;
    }
    if (c != current) {
      current = c;
      canvas.Brush().SetColor(c);
      canvas.Pen().SetColor(ptr.Pen ? gfx::clBlack : c);
    }
    DrawPointer(canvas, ptr.Style, p.X, p.Y, hs, vs);
  }
}

void TChartModel::DrawAxis(TCanvas& canvas, TChartAxis& axis, const TChartLayout::Labels& labels) {
  const TChartLayout& L = layout_;
  const double s = L.scale;
  const int gap = static_cast<int>(std::lround(4 * s)), tick = gap;
  SetChartFont(canvas, kLabelPoints, gfx::clBlack);
  const int textH = canvas.TextHeight("Wg");
  canvas.Pen().SetColor(gfx::clBlack);
  canvas.Pen().SetStyle(gfx::psSolid);
  canvas.SetBkMode(gfx::bkTransparent);

  const double step = axis.DateTime() ? labels.dateStep.Length() : labels.step;
  int widest = 0;
  if (axis.Horizontal()) {
    canvas.MoveTo(L.plot.Left, L.plot.Bottom - 1);
    canvas.LineTo(L.plot.Right, L.plot.Bottom - 1);
    canvas.SetTextAlign(gfx::TA_CENTER | gfx::TA_TOP);
    for (double v : labels.values) {
      const int x = axis.ValueToPixel(v);
      canvas.MoveTo(x, L.plot.Bottom);
      canvas.LineTo(x, L.plot.Bottom + tick);
      TColor color;
      AnsiString text = LabelTextOf(*this, axis, v, step, &color);
      canvas.Font().SetColor(color);
      int y = L.plot.Bottom + tick + gap / 2;
      for (const auto& line : Lines(text)) {
        canvas.TextOut(x, y, line);
        y += textH;
      }
    }
    if (!axis.Title().empty()) {
      canvas.Font().SetColor(gfx::clBlack);
      const int lines = axis.DateTime() ? LineCount(axis.DateTimeFormat()) : 1;
      int y = L.plot.Bottom + tick + gap / 2 + lines * textH + gap / 2;
      for (const auto& line : Lines(axis.Title())) {
        canvas.TextOut((L.plot.Left + L.plot.Right) / 2, y, line);
        y += textH;
      }
    }
    return;
  }

  const bool onLeft = axis.Kind() == TAxisKind::Left;
  const int x0 = onLeft ? L.plot.Left : L.plot.Right - 1;
  canvas.MoveTo(x0, L.plot.Top);
  canvas.LineTo(x0, L.plot.Bottom);
  canvas.SetTextAlign((onLeft ? gfx::TA_RIGHT : gfx::TA_LEFT) | gfx::TA_TOP);
  for (double v : labels.values) {
    const int y = axis.ValueToPixel(v);
    canvas.MoveTo(onLeft ? x0 - tick : x0 + 1, y);
    canvas.LineTo(onLeft ? x0 : x0 + tick + 1, y);
    TColor color;
    AnsiString text = LabelTextOf(*this, axis, v, step, &color);
    canvas.Font().SetColor(color);
    const int tx = onLeft ? x0 - tick - gap / 2 : x0 + tick + gap / 2 + 1;
    canvas.TextOut(tx, y - textH / 2, text);
    widest = std::max(widest, canvas.TextWidth(text));
  }
  if (!axis.Title().empty()) {
    // Read from bottom to top on the left, from top to bottom on the right.
    SetChartFont(canvas, kLabelPoints, gfx::clBlack, false, onLeft ? 900 : 2700);
    canvas.SetTextAlign(gfx::TA_CENTER | gfx::TA_TOP);
    const TRect& area = onLeft ? L.leftAxis : L.rightAxis;
    const int yc = (L.plot.Top + L.plot.Bottom) / 2;
    int x = onLeft ? area.Left : area.Right;
    for (const auto& line : Lines(axis.Title())) {
      canvas.TextOut(x, yc, line);
      x += onLeft ? textH : -textH;
    }
    SetChartFont(canvas, kLabelPoints, gfx::clBlack);
  }
  (void)widest;
}

void TChartModel::DrawLegend(TCanvas& canvas) {
  const TChartLayout& L = layout_;
  if (L.legend.IsEmpty()) return;
  const double s = L.scale;
  auto px = [&](int v) { return static_cast<int>(std::lround(v * s)); };
  canvas.Brush().SetColor(gfx::clWhite);
  canvas.Pen().SetColor(gfx::clBlack);
  canvas.Pen().SetStyle(gfx::psSolid);
  canvas.Rectangle(L.legend.Left, L.legend.Top, L.legend.Right, L.legend.Bottom);
  SetChartFont(canvas, kLabelPoints, gfx::clBlack);
  const int textH = canvas.TextHeight("Wg");
  const int rowH = textH + px(2);
  canvas.SetTextAlign(gfx::TA_LEFT | gfx::TA_TOP);
  canvas.SetBkMode(gfx::bkTransparent);
  int y = L.legend.Top + px(3);
  for (TChartSeries* e : LegendEntries()) {
    const int yc = y + rowH / 2;
    const int x1 = L.legend.Left + px(4), x2 = x1 + px(24);
    if (e->DrawsLine()) {
      canvas.Pen().SetColor(e->SeriesColor());
      canvas.Pen().SetWidth(std::max(1, px(1)));
      canvas.MoveTo(x1, yc);
      canvas.LineTo(x2, yc);
      canvas.Pen().SetWidth(1);
    }
    const TSeriesPointer& p = e->Pointer();
    if (p.Visible || !e->DrawsLine()) {
      canvas.Brush().SetColor(e->SeriesColor());
      canvas.Pen().SetColor(p.Pen ? gfx::clBlack : e->SeriesColor());
      DrawPointer(canvas, p.Style, (x1 + x2) / 2, yc, std::max(2, px(p.HorizSize)), std::max(2, px(p.VertSize)));
    }
    canvas.Font().SetColor(gfx::clBlack);
    canvas.SetBkMode(gfx::bkTransparent);  // the symbol's brush made it opaque
    canvas.TextOut(x2 + px(4), y + px(1), e->Title());
    y += rowH;
  }
}

}  // namespace chart
