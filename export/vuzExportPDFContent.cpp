// Page content: each report object as content-stream operators. Text goes
// through the shared text layout so lines break as in the preview; lines,
// shapes and check marks are paths; every other view is drawn on a bitmap
// and placed as an inline JPEG picture.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <mutex>

#include "export/vuzExportPDF.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/jpeg_codec.h"
#include "report/vuzChBox.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassShape.h"
#include "report/vuzDrawText.h"

namespace report {

namespace {

constexpr const char* kEol = "\r\n";

// Held with the layout lock around one text object, so no other user of the
// export's font list runs in between.
std::recursive_mutex& UnitLock() {
  static std::recursive_mutex lock;
  return lock;
}

// Bitmaps of raster fallbacks are bounded: a giant object is drawn at a
// lower scale rather than allocating without limit.
constexpr double kMaxRasterPixels = 40e6;

// The rectangle of an object in page coordinates and its size in points.
struct Box {
  double x1, y1, x2, y2, w, h;
};

bool HasSide(TfrxFrameTypes typ, TfrxFrameType side) { return (typ & FrameBit(side)) != 0; }

// Appending in place: the content of a big report is millions of these.
void PutNums(std::string& c, std::initializer_list<double> values, const char* op) {
  for (double v : values) {
    c += PdfNum(v);
    c += ' ';
  }
  c += op;
  c += kEol;
}

}  // namespace

// ---------------------------------------------------------------- numbers and operators

AnsiString PdfNum(double value) {
  // Written by hand: this runs several times for every object of every page.
  char text[32];
  char* end = text + sizeof text;
  if (!std::isfinite(value)) return "0";
  if (value == std::trunc(value) && std::fabs(value) < 9e15)
    return AnsiString(text, std::to_chars(text, end, static_cast<long long>(value)).ptr);
  if (std::fabs(value) >= 9e13) {
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
  }
  const long long cents = std::llround(std::fabs(value) * 100);
  char* p = text;
  if (value < 0) *p++ = '-';
  p = std::to_chars(p, end, cents / 100).ptr;
  *p++ = '.';
  *p++ = static_cast<char>('0' + cents % 100 / 10);
  *p++ = static_cast<char>('0' + cents % 10);
  return AnsiString(text, p);
}

AnsiString PdfColor(gfx::TColor color) {
  const gfx::TColorRef rgb = gfx::ColorToRGB(color);
  auto part = [](unsigned c) -> AnsiString {
    if (c == 0) return "0";
    if (c == 255) return "1";
    char text[8];
    std::snprintf(text, sizeof text, "0.%02u", c * 100 / 256);
    return text;
  };
  return part(gfx::GetRValue(rgb)) + " " + part(gfx::GetGValue(rgb)) + " " + part(gfx::GetBValue(rgb));
}

AnsiString PdfSetLineColor(gfx::TColor color) { return PdfColor(color) + " RG" + kEol; }
AnsiString PdfSetColor(gfx::TColor color) { return PdfColor(color) + " rg" + kEol; }
AnsiString PdfSetLineWidth(double width) { return PdfNum(width) + " w" + kEol; }
AnsiString PdfPoint(double x, double y) { return PdfNum(x) + " " + PdfNum(y); }
AnsiString PdfMove(double x, double y) { return PdfPoint(x, y) + " m" + kEol; }
AnsiString PdfLine(double x, double y) { return PdfPoint(x, y) + " l" + kEol; }
AnsiString PdfFill() { return AnsiString("B") + kEol; }

AnsiString PdfFillRect(double x1, double y1, double x2, double y2, gfx::TColor color) {
  return PdfSetLineWidth(0) + PdfSetLineColor(color) + PdfSetColor(color) + PdfMove(x1, y1) + PdfLine(x2, y1) +
         PdfLine(x2, y2) + PdfLine(x1, y2) + PdfFill();
}

AnsiString PdfDash(TfrxFrameStyle style, double width) {
  const AnsiString d = PdfNum(width * 6) + " ", e = PdfNum(width * 2) + " ";
  switch (style) {
    case fsDash: return "[" + d + "] 0 d" + kEol;
    case fsDot: return "[" + e + d + "] 0 d" + kEol;
    case fsDashDot: return "[" + d + d + e + d + "] 0 d" + kEol;
    case fsDashDotDot: return "[" + d + d + e + d + e + d + "] 0 d" + kEol;
    default: return AnsiString("[] 0 d") + kEol;
  }
}

AnsiString EscapeSpecialChar(std::string_view text) {
  AnsiString out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '(': out += "\\("; break;
      case ')': out += "\\)"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

AnsiString StrToHex(std::u16string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString out;
  out.reserve(text.size() * 4);
  for (char16_t u : text) {
    out += kHex[(u >> 12) & 15];
    out += kHex[(u >> 8) & 15];
    out += kHex[(u >> 4) & 15];
    out += kHex[u & 15];
  }
  return out;
}

AnsiString StrToUTF16H(std::u16string_view text) { return "FEFF" + StrToHex(text); }

std::string StrToUTF16(std::u16string_view text) {
  std::string out = "\xFE\xFF";
  for (char16_t u : text) {
    out += static_cast<char>(u >> 8);
    out += static_cast<char>(u & 0xFF);
  }
  return out;
}

std::string PdfURI(std::u16string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string utf8 = rtl::WideToUtf8(text);
  std::string out;
  for (unsigned char c : utf8) {
    if (c >= 33 && c <= 126) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

AnsiString TfrxPDFExport::GetPDFColor(gfx::TColor color) {
  if (color == 0) return "0 0 0";
  if (color == 0xFFFFFF) return "1 1 1";
  if (color == cachedColor_) return cachedColorText_;
  const gfx::TColorRef rgb = gfx::ColorToRGB(color);
  cachedColorText_ = PdfNum(std::round(gfx::GetRValue(rgb) / 255.0 * 100) / 100) + " " +
                     PdfNum(std::round(gfx::GetGValue(rgb) / 255.0 * 100) / 100) + " " +
                     PdfNum(std::round(gfx::GetBValue(rgb) / 255.0 * 100) / 100);
  cachedColor_ = color;
  return cachedColorText_;
}

// ---------------------------------------------------------------- dispatch

void TfrxPDFExport::AddObject(TfrxView* view) {
  const double left = static_cast<double>(view->GetAbsLeft()), top = static_cast<double>(view->GetAbsTop());
  const double width = static_cast<double>(view->Width()), height = static_cast<double>(view->Height());
  if (!view->URL().empty())
    AddLink(view->URL(),
            PdfNum(X(left)) + " " + PdfNum(Y(top + height)) + " " + PdfNum(X(left + width)) + " " + PdfNum(Y(top)));

  if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(view)) {
    const bool plainBrush = memo->BrushStyle() == gfx::bsSolid || memo->BrushStyle() == gfx::bsClear;
    const bool tagged = memo->AllowHTMLTags() && HTMLTags && memo->Text().find(u'<') != WideString::npos;
    if (plainBrush && !tagged) {
      DrawText(*memo);
      return;
    }
  }
  if (auto* line = dynamic_cast<TfrxCustomLineView*>(view)) {
    DrawLineView(*line);
  } else if (auto* shape = dynamic_cast<TfrxShapeView*>(view)) {
    DrawShape(*shape);
  } else if (auto* box = dynamic_cast<TfrxCheckBoxView*>(view)) {
    if (box->Checked()) DrawCheck(*box);
  } else if ((view->Name() != "_pagebackground" || Background) && height > 0 && width > 0) {
    DrawPicture(*view, dynamic_cast<TfrxCustomMemoView*>(view) != nullptr);
  }
}

// ---------------------------------------------------------------- frames, lines, shapes

void TfrxPDFExport::DrawFrame(TfrxView& view) {
  const TfrxFrame& frame = *view.Frame();
  if (frame.Typ() == 0 || frame.Color() == gfx::clTransparent) return;
  const double left = static_cast<double>(view.GetAbsLeft()), top = static_cast<double>(view.GetAbsTop());
  const double x1 = X(left), y1 = Y(top), x2 = X(left + static_cast<double>(view.Width()));
  const double y2 = Y(top + static_cast<double>(view.Height()));
  std::string& c = content_;
  c += GetPDFColor(frame.Color());
  c += " RG\r\n";
  auto side = [&](const TfrxFrameLine& line, double xa, double ya, double xb, double yb) {
    const double w = static_cast<double>(line.Width());
    if (line.Style() == fsSolid || line.Style() >= fsDouble)
      c += "[] 0 d\r\n";
    else
      c += PdfDash(line.Style(), w);
    PutNums(c, {w * 0.75}, "w");
    PutNums(c, {xa, ya}, "m");
    PutNums(c, {xb, yb}, "l");
    c += "S\r\n";
  };
  if (HasSide(frame.Typ(), ftTop)) side(*frame.TopLine(), x1, y1, x2, y1);
  if (HasSide(frame.Typ(), ftRight)) side(*frame.RightLine(), x2, y1, x2, y2);
  if (HasSide(frame.Typ(), ftBottom)) side(*frame.BottomLine(), x1, y2, x2, y2);
  if (HasSide(frame.Typ(), ftLeft)) side(*frame.LeftLine(), x1, y1, x1, y2);
}

void TfrxPDFExport::DrawArrow(double ox, double oy, double tx, double ty, TfrxCustomLineView& line) {
  const double al = line.ArrowLength() * 0.75, aw = line.ArrowWidth() * 0.75;
  double px, py, w1x, w1y, w2x, w2y;
  if (tx != ox) {
    const double k = (ty - oy) / (tx - ox);
    const double b = (tx * oy - ox * ty) / (tx - ox);
    const double a = 1 + k * k, bb = 2 * (k * (b - ty) - tx);
    const double cc = tx * tx + (b - ty) * (b - ty) - al * al;
    const double d = std::max(0.0, bb * bb - 4 * a * cc);
    px = (-bb + std::sqrt(d)) / (2 * a);
    if ((px > tx && px > ox) || (px < tx && px < ox)) px = (-bb - std::sqrt(d)) / (2 * a);
    py = k * px + b;
    const double theta = std::atan(k);
    w1x = px + aw * std::sin(theta);
    w1y = py - aw * std::cos(theta);
    w2x = px - aw * std::sin(theta);
    w2y = py + aw * std::cos(theta);
  } else {
    px = tx;
    py = ty - al;
    if ((py > ty && py > oy) || (py < ty && py < oy)) py = ty + al;
    w1x = px - aw;
    w1y = py;
    w2x = px + aw;
    w2y = py;
  }
  const TfrxFrame& frame = *line.Frame();
  content_ += PdfDash(frame.Style(), static_cast<double>(frame.Width()));
  content_ += PdfMove(w1x, w1y) + PdfLine(tx, ty) + PdfLine(w2x, w2y);
  if (line.ArrowSolid())
    content_ += AnsiString("1 j") + kEol + GetPDFColor(frame.Color()) + " rg" + kEol + "b" + kEol;
  else
    content_ += AnsiString("S") + kEol;
}

void TfrxPDFExport::DrawLineView(TfrxCustomLineView& line) {
  const TfrxFrame& frame = *line.Frame();
  const double left = static_cast<double>(line.GetAbsLeft()), top = static_cast<double>(line.GetAbsTop());
  const double x1 = X(left), y1 = Y(top), x2 = X(left + static_cast<double>(line.Width()));
  const double y2 = Y(top + static_cast<double>(line.Height()));
  const double fw = static_cast<double>(frame.Width());
  content_ += PdfDash(frame.Style(), fw);
  content_ += GetPDFColor(frame.Color()) + " RG" + kEol + PdfNum(fw * 0.75) + " w" + kEol;
  content_ += PdfMove(x1, y1) + PdfLine(x2, y2) + "S" + kEol;
  if (line.ArrowStart()) DrawArrow(x2, y2, x1, y1, line);
  if (line.ArrowEnd()) DrawArrow(x1, y1, x2, y2, line);
}

void TfrxPDFExport::DrawShape(TfrxShapeView& shape) {
  const TfrxFrame& frame = *shape.Frame();
  const double left = static_cast<double>(shape.GetAbsLeft()), top = static_cast<double>(shape.GetAbsTop());
  const double width = static_cast<double>(shape.Width()), height = static_cast<double>(shape.Height());
  const double right = left + width, bottom = top + height;
  const double x1 = X(left), y1 = Y(top), x2 = X(right), y2 = Y(bottom);
  const double cx = X(left + width / 2), cy = Y(top + height / 2);
  const double fw = static_cast<double>(frame.Width());
  const bool clear = shape.Color() == gfx::clTransparent;
  const AnsiString close = AnsiString(clear ? "S" : "B") + kEol;
  std::string& c = content_;
  c += PdfDash(frame.Style(), fw);
  const AnsiString pen = GetPDFColor(frame.Color()) + " RG" + kEol + PdfNum(fw * 0.75) + " w" + kEol;
  auto brush = [&] { return GetPDFColor(shape.Color()) + " rg" + kEol; };
  auto pt = [&](double x, double y) { return PdfPoint(X(x), Y(y)); };
  auto curve = [&](double ax, double ay, double bx, double by, double ex, double ey) {
    return pt(ax, ay) + " " + pt(bx, by) + " " + pt(ex, ey) + " c" + kEol;
  };
  switch (shape.Shape()) {
    case skRectangle:
      c += pen;
      c += brush();
      c += PdfPoint(x1, y2) + " " + PdfNum(width * 0.75) + " " + PdfNum(height * 0.75) + " re" + kEol + close;
      break;
    case skRoundRectangle: {
      c += pen;
      c += brush();
      const double r = shape.Curve() == 0 ? 7.48 : shape.Curve() * 3.74, q = r / 2;
      c += pt(left + r, bottom) + " m" + kEol;
      c += pt(right - r, bottom) + " l" + kEol;
      c += curve(right - q, bottom, right, bottom - q, right, bottom - r);
      c += pt(right, top + r) + " l" + kEol;
      c += curve(right, top + q, right - q, top, right - r, top);
      c += pt(left + r, top) + " l" + kEol;
      c += curve(left + q, top, left, top + q, left, top + r);
      c += pt(left, bottom - r) + " l" + kEol;
      c += curve(left, bottom - q, left + q, bottom, left + r, bottom);
      c += close;
      break;
    }
    case skEllipse: {
      c += pen;
      c += brush();
      const double rx = width / 2, ry = height / 2, k1 = 1.5522847498, k0 = 0.4477152502;
      c += pt(left + 2 * rx, top + ry) + " m" + kEol;
      c += curve(left + 2 * rx, top + ry * k1, left + rx * k1, top + 2 * ry, left + rx, top + 2 * ry);
      c += curve(left + rx * k0, top + 2 * ry, left, top + ry * k1, left, top + ry);
      c += curve(left, top + ry * k0, left + rx * k0, top, left + rx, top);
      c += curve(left + rx * k1, top, left + 2 * rx, top + ry * k0, left + 2 * rx, top + ry);
      c += close;
      break;
    }
    case skTriangle:
      c += pen;
      c += brush();
      c += PdfPoint(cx, y1) + " m " + PdfPoint(x2, y2) + " l " + PdfPoint(x1, y2) + " l " + PdfPoint(cx, y1) + " l" +
           kEol + close;
      break;
    case skDiamond:
      c += pen;
      c += brush();
      c += PdfPoint(cx, y1) + " m " + PdfPoint(x2, cy) + " l " + PdfPoint(cx, y2) + " l " + PdfPoint(x1, cy) + " l " +
           PdfPoint(cx, y1) + " l" + kEol + close;
      break;
    case skDiagonal1: c += pen + PdfMove(x1, y2) + PdfLine(x2, y1) + "S" + kEol; break;
    case skDiagonal2: c += pen + PdfMove(x1, y1) + PdfLine(x2, y2) + "S" + kEol; break;
  }
}

void TfrxPDFExport::DrawCheck(TfrxCheckBoxView& box) {
  const TfrxFrame& frame = *box.Frame();
  const double left = static_cast<double>(box.GetAbsLeft()), top = static_cast<double>(box.GetAbsTop());
  const double width = static_cast<double>(box.Width()), height = static_cast<double>(box.Height());
  auto pt = [&](double x, double y) { return PdfPoint(X(x), Y(y)); };
  std::string& c = content_;
  c += AnsiString("[] 0 d") + kEol;
  c += GetPDFColor(frame.Color()) + " RG" + kEol + PdfNum(static_cast<double>(frame.Width()) * 0.75 * 2) + " w" + kEol +
       GetPDFColor(box.Color()) + " rg" + kEol;
  c += pt(left + width / 8, top + height / 2) + " m " + pt(left + width / 3, top + height - height / 4) + " l " +
       pt(left + width - width / 4, top + height / 7) + " l" + kEol;
  if (frame.Typ() == 15)
    c += pt(left, top) + " m " + pt(left + width, top) + " l " + pt(left + width, top + height - 3) + " l " +
         pt(left, top + height - 3) + " l " + pt(left, top) + " l" + kEol;
  c += AnsiString(box.Color() == gfx::clTransparent ? "S" : "B") + kEol;
}

// ---------------------------------------------------------------- pictures

void TfrxPDFExport::DrawPicture(TfrxView& view, bool isMemo) {
  {
    // The frame is drawn as vector lines afterwards, not as part of the picture.
    TfrxFrame& frame = *view.Frame();
    const long double savedWidth = frame.Width();
    if (savedWidth > 0) frame.SetWidth(0);
    struct Restore {
      TfrxFrame& frame;
      long double width;
      ~Restore() {
        if (width > 0) frame.SetWidth(width);
      }
    } restore{frame, savedWidth};
    DrawRaster(view, isMemo);
  }
  DrawFrame(view);
}

void TfrxPDFExport::DrawRaster(TfrxView& view, bool isMemo) {
  const double left = static_cast<double>(view.GetAbsLeft()), top = static_cast<double>(view.GetAbsTop());
  const double width = static_cast<double>(view.Width()), height = static_cast<double>(view.Height());
  const TfrxRect real = view.GetRealBounds();
  const double rl = static_cast<double>(real.Left), rt = static_cast<double>(real.Top);
  const double rr = static_cast<double>(real.Right), rb = static_cast<double>(real.Bottom);
  const double rw = rr - rl, rh = rb - rt;
  auto overhang = [](double r, double size, bool atStart, bool atEnd) {
    if (r == size || atStart) return 0.0;
    if (atEnd) return r - size;
    return (r - size) / 2;
  };
  const double dx = overhang(rw, width, rl == left, rr == left + width);
  const double dy = overhang(rh, height, rt == top, rb == top + height);

  const bool plainBrush = view.BrushStyle() == gfx::bsSolid || view.BrushStyle() == gfx::bsClear;
  double s = (PrintOptimized || isMemo) && plainBrush ? 3 : 1;
  int extra = 0;
  if (view.IsA("TfrxBarCodeView") && !PrintOptimized) {
    s = 2;
    extra = 2;
  }
  const double area = (std::fabs(rw) * s + s) * (std::fabs(rh) * s + s);
  if (area > kMaxRasterPixels) s *= std::sqrt(kMaxRasterPixels / area);
  const int bw = std::max(1, vuzRoundEven(rw * s) + static_cast<int>(std::ceil(s)));
  const int bh = std::max(1, vuzRoundEven(rh * s) + static_cast<int>(std::ceil(s)));
  gfx::TBitmap bitmap(bw, bh, gfx::pf24bit);
  view.Draw(bitmap.Canvas(), s, s, extra - vuzRoundEven((left - dx) * s), -vuzRoundEven((top - dy) * s));

  gfx::jpeg::Image image;
  image.width = bw;
  image.height = bh;
  image.components = 3;
  const std::vector<std::uint32_t> rgb = bitmap.ToRGB32();
  image.pixels.resize(static_cast<std::size_t>(bw) * bh * 3);
  for (std::size_t i = 0; i < rgb.size() && i * 3 + 2 < image.pixels.size(); ++i) {
    image.pixels[i * 3] = static_cast<std::uint8_t>(rgb[i] >> 16);
    image.pixels[i * 3 + 1] = static_cast<std::uint8_t>(rgb[i] >> 8);
    image.pixels[i * 3 + 2] = static_cast<std::uint8_t>(rgb[i]);
  }
  const std::string jpeg = gfx::jpeg::Encode(image, std::clamp(Quality, 1, 100));

  std::string& c = content_;
  c += AnsiString("q") + kEol;
  c += PdfNum(rw == 0 ? 1 : rw * 0.75) + " 0 0 " + PdfNum(rh == 0 ? 1 : rh * 0.75) + " " + PdfNum(X(left - dx)) + " " +
       PdfNum(Y(top - dy + rh)) + " cm" + kEol;
  c += AnsiString("BI") + kEol + "/W " + std::to_string(bw) + kEol + "/H " + std::to_string(bh) + kEol + "/CS /RGB" +
       kEol + "/BPC 8" + kEol + "/I true" + kEol + "/F [/DCT]" + kEol;
  // One white-space byte after ID: the image data begins right after it.
  c += "ID\n";
  c += jpeg;
  c += kEol;
  c += AnsiString("EI") + kEol + "Q" + kEol;
}

// ---------------------------------------------------------------- text

void TfrxPDFExport::DrawText(TfrxCustomMemoView& memo) {
  const TfrxFrame& frame = *memo.Frame();
  const double left = static_cast<double>(memo.GetAbsLeft()), top = static_cast<double>(memo.GetAbsTop());
  const double width = static_cast<double>(memo.Width()), height = static_cast<double>(memo.Height());
  const double fw = static_cast<double>(frame.Width()), sw = static_cast<double>(frame.ShadowWidth());
  const double wShadow = width - sw, hShadow = height - sw;
  const double gapX = static_cast<double>(memo.GapX()), gapY = static_cast<double>(memo.GapY());
  std::string& c = content_;

  c += "q\r\n";
  PutNums(c, {X(left - fw), Y(top + height + fw), (fw * 2 + width) * 0.75, (fw * 2 + height) * 0.75}, "re");
  c += "W\r\nn\r\n";
  try {
    double x1 = X(left), y2 = Y(top + height), w = width * 0.75, h = height * 0.75;
    if (frame.DropShadow()) {
      w = wShadow * 0.75;
      h = hShadow * 0.75;
      y2 = Y(top + hShadow);
      const AnsiString sc = GetPDFColor(frame.ShadowColor());
      c += sc + " rg" + kEol + sc + " RG" + kEol;
      c += PdfNum(X(left + wShadow)) + " " + PdfNum(Y(top + hShadow + sw)) + " " + PdfNum(sw * 0.75) + " " +
           PdfNum(hShadow * 0.75) + " re" + kEol + "B" + kEol;
      c += PdfNum(X(left + sw)) + " " + PdfNum(Y(top + hShadow + sw)) + " " + PdfNum(wShadow * 0.75) + " " +
           PdfNum(sw * 0.75) + " re" + kEol + "B" + kEol;
    }

    TfrxDrawTextLock layoutLock;
    std::lock_guard<std::recursive_mutex> unitLock(UnitLock());
    TfrxHighlight& highlight = *memo.Highlight();
    if (highlight.Active() && highlight.Font()) {
      memo.Font()->Assign(highlight.Font());
      memo.SetColor(highlight.Color());
    }
    const gfx::TFont& font = *memo.Font();
    TfrxDrawText& dt = *vuzDrawText();
    dt.SetFont(font);
    dt.SetOptions(memo.WordWrap(), memo.AllowHTMLTags(), memo.RTLReading(), memo.WordBreak(), memo.Clipped(),
                  memo.Wysiwyg(), memo.Rotation());
    dt.SetGaps(static_cast<double>(memo.ParagraphGap()), static_cast<double>(memo.CharSpacing()),
               static_cast<double>(memo.LineSpacing()));
    int l = vuzRoundEven(left), t = vuzRoundEven(top), r = vuzRoundEven(left + width), b = vuzRoundEven(top + height);
    const TfrxFrameTypes typ = frame.Typ();
    if (HasSide(typ, ftLeft)) l += vuzRoundEven((fw - 1) / 2);
    if (HasSide(typ, ftTop)) t += vuzRoundEven((fw - 1) / 2);
    if (HasSide(typ, ftRight)) r -= vuzRoundEven(fw / 2);
    if (HasSide(typ, ftBottom)) b -= vuzRoundEven(fw / 2);
    const int gx = vuzRoundEven(gapX), gy = vuzRoundEven(gapY);
    const gfx::TRect rect{l + gx, t + gy, r - gx + 1, b - gy + 1};
    dt.SetDimensions(1, 1, 1, rect, rect);
    dt.SetText(*memo.Memo());
    const double lh = dt.LineHeight();

    if (memo.Color() != gfx::clTransparent) {
      c += GetPDFColor(memo.Color());
      c += " rg\r\n";
      PutNums(c, {x1, y2, w, h}, "re");
      c += "f\r\n";
    }
    DrawFrame(memo);

    const int rotation = memo.Rotation();
    const bool rotated = rotation > 0;
    const bool swapped = (rotation >= 45 && rotation <= 135) || (rotation >= 225 && rotation <= 315);
    if (rotated) {
      const double theta = rotation * M_PI / 180;
      double cx, cy;
      if (rotation == 90 || rotation == 180 || rotation == 270) {
        cx = X(left + width / 2);
        cy = Y(top + height / 2);
      } else {
        const double a = swapped ? height : width, bb = swapped ? width : height;
        cx = X(left + (a * std::cos(theta) + bb * std::sin(theta)) * 0.5);
        cy = Y(top + (a * std::sin(theta) + bb * std::cos(theta)) * 0.5);
      }
      c += PdfNum(std::cos(theta)) + " " + PdfNum(std::sin(theta)) + " " + PdfNum(-std::sin(theta)) + " " +
           PdfNum(std::cos(theta)) + " " + PdfNum(cx) + " " + PdfNum(cy) + " cm" + kEol;
    }

    if (memo.Underlines() && lh > 0) {
      const int n = static_cast<int>(height / lh);
      const double xa = X(left), xb = X(left + width);
      for (int i = 1; i <= n; ++i) {
        const double y = Y(top + gapY + 1 + i * lh);
        c += GetPDFColor(frame.Color()) + " RG" + kEol + PdfNum(fw * 0.75) + " w" + kEol + PdfMove(xa, y) +
             PdfLine(xb, y) + "S" + kEol;
      }
    }

    const int n = dt.WrappedLineCount();
    std::vector<WideString> lines;
    lines.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) lines.push_back(dt.WrappedLine(i));
    if (n > 0) {
      TfrxPDFFont& pdfFont = FontFor(font);
      const bool listed = vuzPDFStylelessFont(font.Name());
      const bool bold = font.Style().Contains(gfx::fsBold), italic = font.Style().Contains(gfx::fsItalic);
      // A family without a bold or italic face is drawn slanted or thickened, as on screen.
      const bool boldSim = bold && (listed || pdfFont.Instance().SyntheticBold());
      const bool italicSim = italic && (listed || pdfFont.Instance().SyntheticItalic());
      const int size = font.Size();
      const AnsiString tc = GetPDFColor(font.Color() == gfx::clTransparent ? 0 : font.Color());
      c += pdfFont.Name;
      c += ' ';
      c += std::to_string(size);
      c += " Tf\r\n";
      c += tc;
      c += " rg\r\n";
      const double cs0 = static_cast<double>(memo.CharSpacing()) * 0.75;
      if (cs0 != 0) c += PdfNum(cs0) + " Tc" + kEol;
      const double u = size * 0.12, k = size * 0.28;
      dt.SetGaps(0, static_cast<double>(memo.CharSpacing()), static_cast<double>(memo.LineSpacing()));
      const TfrxHAlign ha = memo.HAlign();
      const TfrxVAlign va = memo.VAlign();
      const bool needWidth = ha == haRight || ha == haCenter || font.Style().Contains(gfx::fsUnderline) ||
                             font.Style().Contains(gfx::fsStrikeOut);
      TWideStrings one;
      for (int i = 0; i < n; ++i) {
        const WideString& line = lines[static_cast<std::size_t>(i)];
        if (line.empty()) continue;
        const double pg = i == 0 ? static_cast<double>(memo.ParagraphGap()) : 0;
        const double cs = ha == haRight ? cs0 : 0;
        double lw = 0;
        if (needWidth) {
          one.Clear();
          one.Add(line);
          dt.SetText(one);
          lw = dt.CalcWidth();
        }
        double x, y;
        if (!rotated) {
          const double s0 = left + gapX + size * 0.01 + gapX / 2 + pg, a0 = wShadow - 2 * gapX - pg;
          const double edge = ha == haRight ? s0 + a0 - lw : ha == haCenter ? s0 + (a0 - lw) / 2 : s0;
          x = X(edge) + cs;
          const double t0 = top + gapY - size * 0.1, r0 = hShadow - 2 * gapY;
          const double base = va == vaBottom   ? t0 + r0 - (n - i - 1) * lh
                              : va == vaCenter ? t0 + (r0 - n * lh) / 2 + (i + 1) * lh
                                               : t0 + (i + 1) * lh;
          y = Y(base);
        } else {
          const double a = swapped ? hShadow : wShadow, bb = swapped ? wShadow : hShadow;
          const double ex = ha == haRight ? a / 2 - lw : ha == haCenter ? -lw / 2 : -a / 2;
          x = ex * 0.75 + cs;
          const double v = va == vaBottom   ? bb / 2 - (n - i - 1) * lh
                           : va == vaCenter ? -lh * n / 2 + (i + 1) * lh
                                            : (i + 1) * lh - bb / 2;
          y = -v * 0.75 + size * 0.4;
        }
        c += "BT\r\n";
        PutNums(c, {x, y}, "Td");
        if (italicSim) c += "1 0 0.3333 1 " + PdfPoint(x, y) + " Tm" + kEol;
        if (boldSim) c += "2 Tr " + PdfNum(size / 35.0) + " w " + tc + " RG" + kEol;
        c += '<';
        c += StrToHex(pdfFont.RemapString(line, memo.RTLReading()));
        c += "> Tj\r\nET\r\n";
        if (boldSim) c += AnsiString("0 Tr") + kEol;
        if (font.Style().Contains(gfx::fsUnderline))
          c += GetPDFColor(font.Color()) + " RG" + kEol + PdfNum(size * 0.08) + " w" + kEol + PdfMove(x, y - u) +
               PdfLine(lw * 0.75 + x, y - u) + "S" + kEol;
        if (font.Style().Contains(gfx::fsStrikeOut))
          c += GetPDFColor(font.Color()) + " RG" + kEol + PdfNum(size * 0.08) + " w" + kEol + PdfMove(x, y + k) +
               PdfLine(lw * 0.75 + x, y + k) + "S" + kEol;
      }
    }
  } catch (...) {
    c += "Q\r\n";  // the graphics state is closed whatever failed
    throw;
  }
  c += "Q\r\n";
}

}  // namespace report
