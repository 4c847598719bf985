// The layout matrix, first half: its objects and styles, collecting report
// objects (AddObject), the pages and the readers. Building the grid is in
// vuzExportMatrixGrid.cpp.
#include "export/vuzExportMatrix.h"

#include <cmath>
#include <string>

#include "platform/rtl/lists.h"
#include "report/vuzClass.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassServices.h"
#include "report/vuzClassShape.h"

namespace report {

namespace {

// NaN counts as 0; anything beyond the limit is held at it.
long double Clamp(long double v) {
  if (std::isnan(v)) return 0;
  if (v > kMatrixCoordinateLimit) return kMatrixCoordinateLimit;
  if (v < -kMatrixCoordinateLimit) return -kMatrixCoordinateLimit;
  return v;
}

void HashIn(std::size_t& h, std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); }

template <typename T>
void HashValue(std::size_t& h, const T& v) {
  HashIn(h, std::hash<T>{}(v));
}

// Restores a view's frame, size or flags when adding it fails half-way.
template <typename F>
struct Restore {
  F f;
  ~Restore() { f(); }
};
template <typename F>
Restore(F) -> Restore<F>;

bool IsMemo(const TfrxIEMatrix& m, TfrxView* view) {
  auto* memo = dynamic_cast<TfrxCustomMemoView*>(view);
  if (!memo) return false;
  const bool hatch = memo->BrushStyle() != gfx::bsSolid && memo->BrushStyle() != gfx::bsClear;
  if (hatch && m.PatternAsPicture) return false;
  return !(memo->Rotation() != 0 && m.RotatedAsPicture);
}

bool IsLine(TfrxView* view) {
  return dynamic_cast<TfrxCustomLineView*>(view) && (view->Width() == 0 || view->Height() == 0);
}

bool IsRect(TfrxView* view) {
  if (auto* shape = dynamic_cast<TfrxShapeView*>(view)) return shape->Shape() == skRectangle;
  return view->ClassType().Name() == "TfrxGradientView";
}

bool IsRichView(TfrxView* view) { return view->ClassType().Name() == "TfrxRichView"; }

}  // namespace

// ---------------------------------------------------------------- style

TfrxIEMStyle::TfrxIEMStyle() : Font(std::make_unique<gfx::TFont>()), DisplayFormat(std::make_unique<TfrxFormat>()) {}
TfrxIEMStyle::~TfrxIEMStyle() = default;

void TfrxIEMStyle::Reset() {
  static const TfrxIEMStyle defaults;
  Assign(defaults);
}

void TfrxIEMStyle::Assign(const TfrxIEMStyle& s) {
  Font->Assign(*s.Font);
  LineSpacing = s.LineSpacing;
  VAlign = s.VAlign;
  HAlign = s.HAlign;
  FrameSides = s.FrameSides;
  FrameLineWidth = s.FrameLineWidth;
  FrameLineColor = s.FrameLineColor;
  FrameLineStyle = s.FrameLineStyle;
  Color = s.Color;
  Rotation = s.Rotation;
  BrushStyle = s.BrushStyle;
  ParagraphGap = s.ParagraphGap;
  GapX = s.GapX;
  GapY = s.GapY;
  CharSpacing = s.CharSpacing;
  WordBreak = s.WordBreak;
  Charset = s.Charset;
  DisplayFormat->Assign(s.DisplayFormat.get());
  WordWrap = s.WordWrap;
}

bool TfrxIEMStyle::SameAs(const TfrxIEMStyle& o) const {
  return Font->Size() == o.Font->Size() && HAlign == o.HAlign && VAlign == o.VAlign &&
         Font->Color() == o.Font->Color() && Font->Name() == o.Font->Name() && Font->Style() == o.Font->Style() &&
         FrameSides == o.FrameSides && FrameLineWidth == o.FrameLineWidth && FrameLineColor == o.FrameLineColor &&
         FrameLineStyle == o.FrameLineStyle && Color == o.Color && DisplayFormat->Kind() == o.DisplayFormat->Kind() &&
         DisplayFormat->DecimalSeparator() == o.DisplayFormat->DecimalSeparator() &&
         DisplayFormat->FormatStr() == o.DisplayFormat->FormatStr() && LineSpacing == o.LineSpacing && GapX == o.GapX &&
         GapY == o.GapY && ParagraphGap == o.ParagraphGap && CharSpacing == o.CharSpacing && Charset == o.Charset &&
         WordBreak == o.WordBreak && Rotation == o.Rotation && WordWrap == o.WordWrap && BrushStyle == o.BrushStyle;
}

// Over exactly the fields SameAs compares, so equal styles hash alike.
std::size_t TfrxIEMStyle::Hash() const {
  std::size_t h = 0;
  HashValue(h, Font->Size());
  HashValue(h, static_cast<int>(HAlign));
  HashValue(h, static_cast<int>(VAlign));
  HashValue(h, Font->Color());
  HashValue(h, Font->Name());
  HashValue(h, Font->Style().Bits());
  HashValue(h, FrameSides);
  HashValue(h, FrameLineWidth);
  HashValue(h, FrameLineColor);
  HashValue(h, static_cast<int>(FrameLineStyle));
  HashValue(h, Color);
  HashValue(h, static_cast<int>(DisplayFormat->Kind()));
  HashValue(h, DisplayFormat->DecimalSeparator());
  HashValue(h, DisplayFormat->FormatStr());
  HashValue(h, LineSpacing);
  HashValue(h, GapX);
  HashValue(h, GapY);
  HashValue(h, ParagraphGap);
  HashValue(h, CharSpacing);
  HashValue(h, Charset);
  HashValue(h, WordBreak);
  HashValue(h, Rotation);
  HashValue(h, WordWrap);
  HashValue(h, static_cast<int>(BrushStyle));
  return h;
}

// ---------------------------------------------------------------- object

TfrxIEMObject::TfrxIEMObject() = default;
TfrxIEMObject::~TfrxIEMObject() { delete image_; }

gfx::TMetafile& TfrxIEMObject::MetafilePicture() {
  if (!metafile_) metafile_ = std::make_unique<gfx::TMetafile>();
  return *metafile_;
}

TfrxIEMProgressHooks& vuzMatrixProgressHooks() {
  static TfrxIEMProgressHooks hooks;
  return hooks;
}

// ---------------------------------------------------------------- matrix

TfrxIEMatrix::TfrxIEMatrix(bool, const AnsiString&) {}
TfrxIEMatrix::~TfrxIEMatrix() { Clear(); }

void TfrxIEMatrix::Clear() {
  records_.clear();
  styles_.clear();
  styleIndex_.clear();
  XCoordinates.clear();
  YCoordinates.clear();
  pages_.clear();
  fontCharsets_.clear();
  cells_.clear();
  cells_.shrink_to_fit();
  PageTop = 0;
}

void TfrxIEMatrix::CheckObjectRoom(int more) const {
  if (static_cast<std::int64_t>(records_.size()) + more > kMaxMatrixObjects)
    throw EMatrixLimit("The export layout holds more than " + std::to_string(kMaxMatrixObjects) + " objects");
}

void TfrxIEMatrix::AddPos(std::vector<TfrxIEMPos>& list, long double value) {
  const std::size_t n = list.size();
  const std::size_t from = n > 100 ? n - 100 : 0;
  for (std::size_t i = n; i > from; --i)
    if (list[i - 1].Coordinate == value) return;
  if (n >= static_cast<std::size_t>(kMaxMatrixCoordinates))
    throw EMatrixLimit("The export layout has more than " + std::to_string(kMaxMatrixCoordinates) + " edges");
  list.push_back({value});
}

int TfrxIEMatrix::AddStyleInternal(std::unique_ptr<TfrxIEMStyle> style) { return StoreStyle(style); }

int TfrxIEMatrix::StoreStyle(std::unique_ptr<TfrxIEMStyle>& style) {
  const std::size_t h = style->Hash();
  std::vector<int>& bucket = styleIndex_[h];
  for (int id : bucket)
    if (styles_[static_cast<std::size_t>(id)]->SameAs(*style)) return id;
  const int id = static_cast<int>(styles_.size());
  styles_.push_back(std::move(style));
  bucket.push_back(id);
  return id;
}

int TfrxIEMatrix::GetFontCharset(const gfx::TFont& font) {
  if (auto it = fontCharsets_.find(font.Name()); it != fontCharsets_.end()) return it->second;
  gfx::TBitmap scratch(1, 1);
  gfx::TCanvas& canvas = scratch.Canvas();
  canvas.Font().Assign(font);
  const int charset = canvas.GetTextMetrics().tmCharSet;
  fontCharsets_.emplace(font.Name(), charset);
  return charset;
}

int TfrxIEMatrix::AddStyle(TfrxView* view) {
  // Most objects repeat a style already stored: one scratch style is filled
  // for each and kept unless it is new.
  if (!scratchStyle_) scratchStyle_ = std::make_unique<TfrxIEMStyle>();
  std::unique_ptr<TfrxIEMStyle>& style = scratchStyle_;
  style->Reset();
  TfrxFrame* frame = view->Frame();
  if (IsMemo(*this, view)) {
    auto* memo = static_cast<TfrxCustomMemoView*>(view);
    TfrxHighlight* highlight = memo->Highlight();
    if (highlight->Active() && highlight->Font()) {
      style->Font->Assign(*highlight->Font());
      style->Color = highlight->Color();
    } else {
      style->Font->Assign(*memo->Font());
      style->Color = memo->Color();
    }
    if (DotMatrixReport) style->Font->SetSize(9);
    style->SetDisplayFormat(*memo->DisplayFormat());
    style->HAlign = memo->HAlign();
    style->VAlign = memo->VAlign();
    style->LineSpacing = memo->LineSpacing();
    style->GapX = memo->GapX();
    style->GapY = memo->GapY();
    style->CharSpacing = memo->CharSpacing();
    style->ParagraphGap = memo->ParagraphGap();
    style->WordBreak = memo->WordBreak();
    style->Rotation = memo->Rotation();
    style->BrushStyle = memo->BrushStyle();
    style->WordWrap = memo->WordWrap();
    style->Charset =
        memo->Font()->Charset() == gfx::DEFAULT_CHARSET ? GetFontCharset(*style->Font) : memo->Font()->Charset();
    style->FrameSides = frame->Typ();
  } else if (IsLine(view)) {
    style->Color = view->Color();
    style->FrameSides = view->Width() == 0 ? FrameBit(ftLeft) : view->Height() == 0 ? FrameBit(ftTop) : 0u;
    style->Font->SetName("Arial");
    style->Font->SetSize(1);
  } else if (IsRect(view)) {
    return -1;
  } else {
    style->Font->Assign(*view->Font());
    if (DotMatrixReport) style->Font->SetSize(9);
    style->Color = view->Color();
    style->FrameSides = dynamic_cast<TfrxCustomLineView*>(view) ? 0u : frame->Typ();
  }
  style->FrameLineWidth = static_cast<float>(frame->Width());
  style->FrameLineColor = frame->Color();
  style->FrameLineStyle = frame->Style();
  return StoreStyle(style);
}

void TfrxIEMatrix::AddObject(TfrxComponent* object) {
  // Bands (the engine's empty null band on every page among them) are not
  // views: they own no cells and add no edges.
  if (auto* view = dynamic_cast<TfrxView*>(object)) AddView(view);
}

void TfrxIEMatrix::AddShadowed(TfrxView* view) {
  TfrxFrame* frame = view->Frame();
  const long double s = frame->ShadowWidth();
  const long double w = view->Width(), h = view->Height();
  {
    Restore restore{[&] {
      view->SetWidth(w);
      view->SetHeight(h);
      frame->SetDropShadow(true);
    }};
    view->SetWidth(w - s);
    view->SetHeight(h - s);
    frame->SetDropShadow(false);
    AddView(view);
  }
  TfrxMemoView shadow(nullptr);
  shadow.SetName("Shadow");
  shadow.Font()->SetSize(1);
  shadow.SetColor(frame->ShadowColor());
  const long double left = view->GetAbsLeft(), top = view->GetAbsTop();
  shadow.SetBounds(left + w - s, top + s, s, h - s);  // the right strip
  AddView(&shadow);
  shadow.SetBounds(left + s, top + h - s, w - s, s);  // the bottom strip
  AddView(&shadow);
}

void TfrxIEMatrix::AddRectangle(TfrxView* view) {
  const long double left = view->GetAbsLeft(), top = view->GetAbsTop();
  const long double w = view->Width(), h = view->Height();
  if (view->Color() == clTransparent) {
    TfrxLineView line(nullptr);
    line.SetName("Line");
    line.SetFrame(view->Frame());
    line.SetBounds(left, top, w, 0);  // top edge
    AddView(&line);
    line.SetBounds(left, top, 0, h);  // left edge
    AddView(&line);
    line.SetBounds(left, top + h, w, 0);  // bottom edge
    AddView(&line);
    line.SetBounds(left + w, top, 0, h);  // right edge
    AddView(&line);
  } else {
    TfrxMemoView rect(nullptr);
    rect.SetName("Rect");
    rect.SetFrame(view->Frame());
    rect.Frame()->SetTyp(FrameBit(ftLeft) | FrameBit(ftRight) | FrameBit(ftTop) | FrameBit(ftBottom));
    rect.Font()->SetSize(1);
    rect.SetColor(view->Color());
    rect.SetBounds(left, top, w, h);
    AddView(&rect);
  }
}

void TfrxIEMatrix::AddView(TfrxView* view) {
  if (view->Name() == "_pagebackground" && !Background && (ExportNotPrintable || view->Printable())) return;
  if (view->Frame()->DropShadow() && dynamic_cast<TfrxCustomMemoView*>(view)) {
    AddShadowed(view);
    return;
  }
  if (IsRichView(view) && KeepRichText && RichAsPlainText) {
    TfrxMemoView plain(nullptr);
    plain.SetText(rtl::AnsiToWide(view->GetComponentText()));
    plain.SetName(view->Name());
    plain.SetBounds(view->GetAbsLeft(), view->GetAbsTop(), view->Width(), view->Height());
    AddView(&plain);
    return;
  }
  if (IsRect(view)) {
    AddRectangle(view);
    return;
  }
  CheckObjectRoom(1);

  auto o = std::make_unique<TfrxIEMObject>();
  o->Name = view->Name();
  o->StyleId = AddStyle(view);
  if (o->StyleId != -1) o->CellStyle = styles_[static_cast<std::size_t>(o->StyleId)].get();
  o->URL = view->URL();
  if (SourceReport && !o->URL.empty() && o->URL[0] == '#') {
    TfrxReportServices* services = SourceReport->AsReportServices();
    if (TfrxCustomPreviewPages* pages = services ? services->PreviewPages() : nullptr)
      o->URL = "@" + std::to_string(pages->GetAnchorPage(o->URL.substr(1)));
  }
  const long double absLeft = Clamp(view->GetAbsLeft()), absTop = Clamp(view->GetAbsTop());
  o->Left = absLeft < 0 ? 0 : absLeft;
  o->Top = Clamp((absTop < 0 ? 0 : absTop) + PageTop);
  o->Width = Clamp(view->Width());
  o->Height = Clamp(view->Height());

  if (IsMemo(*this, view)) {
    auto* memo = static_cast<TfrxCustomMemoView*>(view);
    if ((StripHTMLTags && memo->AllowHTMLTags()) || WrapLines)
      o->Memo.SetText(memo->WrapText(true));
    else
      o->Memo.Assign(*memo->Memo());
    if (!StripHTMLTags) o->AllowHTMLTags = memo->AllowHTMLTags();
    if (memo->Font()->Charset() == gfx::OEM_CHARSET) {
      const AnsiString oem = rtl::WideToAnsi(o->Memo.Text(), rtl::CP_866);
      o->Memo.SetText(rtl::AnsiToWide(OemToStr(oem)));
    }
    o->IsTextObject = true;
    o->IsRichTextObject = false;
    o->RTLReading = memo->RTLReading();
  } else if (IsRichView(view) && KeepRichText) {
    o->IsTextObject = true;
    o->IsRichTextObject = true;
    o->Memo.SetText(rtl::AnsiToWide(view->GetComponentText()));
  } else if (IsLine(view)) {
    o->IsTextObject = true;
    if (o->Width < 0) {
      o->Left += o->Width;
      o->Width = -o->Width;
    }
    if (o->Height < 0) {
      o->Top += o->Height;
      o->Height = -o->Height;
    }
    if (o->Width == 0) o->Width = 1;
    if (o->Height == 0) o->Height = 1;
  } else if ((view->Name() != "_pagebackground" || BackgroundAsPicture) && AllowPictures) {
    DrawPicture(*o, view);
  }
  PlaceObject(std::move(o), view);
}

void TfrxIEMatrix::DrawPicture(TfrxIEMObject& o, TfrxView* view) {
  TfrxFrame* frame = view->Frame();
  // The frame is exported through the style, so the picture is drawn without it.
  TfrxFrame saved;
  saved.Assign(frame);
  Restore restore{[&] { frame->Assign(&saved); }};
  const bool hideFrame = frame->Typ() != 0 && frame->Width() > 0;
  if (hideFrame) frame->SetWidth(0);
  o.IsTextObject = false;
  o.IsRichTextObject = false;

  const TfrxRect r = view->GetRealBounds();
  long double dx = Clamp(r.Right - r.Left), dy = Clamp(r.Bottom - r.Top);
  const long double absLeft = Clamp(view->GetAbsLeft()), absTop = Clamp(view->GetAbsTop());
  const long double width = Clamp(view->Width()), height = Clamp(view->Height());
  auto offset = [](long double d, long double size, long double abs, long double lo, long double hi) -> long double {
    if (d == size || abs == lo) return 0;
    if (abs + size == hi) return d - size;
    return (d - size) / 2;
  };
  const long double offX = offset(dx, width, absLeft, r.Left, r.Right);
  const long double offY = offset(dy, height, absTop, r.Top, r.Bottom);
  long double drawLeft = absLeft - offX, drawTop = absTop - offY;
  o.Left -= offX;
  o.Top -= offY;
  if (vuzRoundEven(dx) == 0) dx = 1;
  if (dx < 0) {
    dx = -dx;
    o.Left -= dx;
    drawLeft -= dx;
  }
  if (vuzRoundEven(dy) == 0) dy = 1;
  if (dy < 0) {
    dy = -dy;
    o.Top -= dy;
    drawTop -= dy;
  }
  o.Width = dx;
  o.Height = dy;

  const bool isLine = dynamic_cast<TfrxCustomLineView*>(view) != nullptr;
  if (isLine && hideFrame) frame->SetWidth(saved.Width());  // a line is drawn by its frame
  const std::int64_t w = vuzRoundEven(dx), h = vuzRoundEven(dy);
  if (MetafilePictures) {
    gfx::TMetafile& mf = o.MetafilePicture();
    mf.SetWidth(static_cast<int>(w));
    mf.SetHeight(static_cast<int>(h));
    try {
      gfx::TMetafileCanvas canvas(mf);
      view->Draw(canvas, 1, 1, -drawLeft, -drawTop);
    } catch (const rtl::Exception&) {
      // An incomplete picture is still exported.
    }
    return;
  }
  // A picture beyond the bounds gets no bitmap rather than gigabytes of pixels.
  if (w + 1 > kMaxMatrixPictureSide || h + 1 > kMaxMatrixPictureSide || (w + 1) * (h + 1) > kMaxMatrixPicturePixels)
    return;
  auto bitmap = std::make_unique<gfx::TBitmap>(static_cast<int>(w) + 1, static_cast<int>(h) + 1, gfx::pf24bit);
  view->Draw(bitmap->Canvas(), 1, 1, -drawLeft, -drawTop);
  o.SetImage(bitmap.release());
}

void TfrxIEMatrix::PlaceObject(std::unique_ptr<TfrxIEMObject> o, TfrxView* view) {
  if (view->Parent() && (PageHeader || PageFooter)) {
    o->InPageHeader = view->Parent() == PageHeader;
    o->InPageFooter = view->Parent() == PageFooter;
  }
  MaxBottom = std::max(MaxBottom, o->Top + o->Height);
  MaxRight = std::max(MaxRight, o->Left + o->Width);
  MinObjectLeft = std::min(MinObjectLeft, o->Left);
  MinObjectTop = std::min(MinObjectTop, o->Top);
  if (ContentLeft > o->Left || ContentLeft == 0) ContentLeft = o->Left;
  if (ContentTop > o->Top || ContentTop == 0) ContentTop = o->Top;
  AddPos(XCoordinates, o->Left);
  AddPos(XCoordinates, o->Left + o->Width);
  AddPos(YCoordinates, o->Top);
  AddPos(YCoordinates, o->Top + o->Height);
  records_.emplace_back().Target = std::move(o);
}

void TfrxIEMatrix::AddPage(TPrinterOrientation orientation, long double width, long double height,
                           long double leftMargin, long double topMargin, long double rightMargin,
                           long double bottomMargin, bool mirrorMargins, int pageIndex) {
  PageTop = MaxBottom;
  auto page = std::make_unique<TfrxIEMPage>();
  page->PageEndY = MaxBottom;
  page->Orientation = orientation;
  page->Width = width;
  page->Height = height;
  page->TopMargin = topMargin;
  page->BottomMargin = bottomMargin;
  page->MirrorMargins = mirrorMargins && pageIndex % 2 == 1;
  page->LeftMargin = page->MirrorMargins ? rightMargin : leftMargin;
  page->RightMargin = page->MirrorMargins ? leftMargin : rightMargin;
  pages_.push_back(std::move(page));
}

// ---------------------------------------------------------------- readers

const TfrxIEMObjectList& TfrxIEMatrix::Record(int id) const {
  if (id < 0 || id >= RecordCount()) rtl::ListIndexError(id);
  return records_[static_cast<std::size_t>(id)];
}

int TfrxIEMatrix::GetCell(int column, int row) const {
  if (column < 0 || row < 0 || column >= ColumnCount || row >= RowCount) return -1;
  const std::size_t i = static_cast<std::size_t>(column) + static_cast<std::size_t>(row) * ColumnCount;
  return i < cells_.size() ? cells_[i] : -1;
}

TfrxIEMObject* TfrxIEMatrix::GetObject(int column, int row) const {
  const int id = GetCell(column, row);
  return id < 0 ? nullptr : GetObjectById(id);
}

TfrxIEMStyle* TfrxIEMatrix::GetStyle(int column, int row) const {
  TfrxIEMObject* o = GetObject(column, row);
  if (!o || o->StyleId < 0 || o->StyleId >= GetStylesCount()) return nullptr;
  return styles_[static_cast<std::size_t>(o->StyleId)].get();
}

TfrxIEMObject* TfrxIEMatrix::GetObjectById(int id) const {
  if (id >= RecordCount()) return nullptr;
  return Record(id).Target.get();
}

void TfrxIEMatrix::GetObjectPos(int id, int& column, int& row, int& columnSpan, int& rowSpan) const {
  const TfrxIEMObjectList& r = Record(id);
  column = r.CellX;
  row = r.CellY;
  columnSpan = r.SpanX;
  rowSpan = r.SpanY;
}

bool TfrxIEMatrix::IsSettled(int id) const { return Record(id).Settled; }

TfrxIEMStyle* TfrxIEMatrix::GetStyleById(int id) const {
  if (id < 0 || id >= GetStylesCount()) rtl::ListIndexError(id);
  return styles_[static_cast<std::size_t>(id)].get();
}

long double TfrxIEMatrix::GetXPosById(int i) const {
  if (i < 0 || i >= static_cast<int>(XCoordinates.size())) rtl::ListIndexError(i);
  return XCoordinates[static_cast<std::size_t>(i)].Coordinate;
}

long double TfrxIEMatrix::GetYPosById(int i) const {
  if (i < 0 || i >= static_cast<int>(YCoordinates.size())) rtl::ListIndexError(i);
  return YCoordinates[static_cast<std::size_t>(i)].Coordinate;
}

TfrxRect TfrxIEMatrix::GetObjectBounds(const TfrxIEMObject& o) {
  return vuzRect(o.Left, o.Top, o.Left + o.Width, o.Top + o.Height);
}

TfrxIEMPage* TfrxIEMatrix::GetIEPages(int page) const {
  if (page < 0 || page >= GetPagesCount()) return nullptr;
  return pages_[static_cast<std::size_t>(page)].get();
}

long double TfrxIEMatrix::GetPageBreak(int p) const { return GetIEPages(p) ? GetIEPages(p)->PageEndY : 0; }
long double TfrxIEMatrix::GetPageWidth(int p) const { return GetIEPages(p) ? GetIEPages(p)->Width : 0; }
long double TfrxIEMatrix::GetPageHeight(int p) const { return GetIEPages(p) ? GetIEPages(p)->Height : 0; }
long double TfrxIEMatrix::GetPageLMargin(int p) const { return GetIEPages(p) ? GetIEPages(p)->LeftMargin : 0; }
long double TfrxIEMatrix::GetPageTMargin(int p) const { return GetIEPages(p) ? GetIEPages(p)->TopMargin : 0; }
long double TfrxIEMatrix::GetPageRMargin(int p) const { return GetIEPages(p) ? GetIEPages(p)->RightMargin : 0; }
long double TfrxIEMatrix::GetPageBMargin(int p) const { return GetIEPages(p) ? GetIEPages(p)->BottomMargin : 0; }
TPrinterOrientation TfrxIEMatrix::GetPageOrientation(int p) const {
  return GetIEPages(p) ? GetIEPages(p)->Orientation : poPortrait;
}
bool TfrxIEMatrix::GetPageMirrorMargin(int p) const { return GetIEPages(p) && GetIEPages(p)->MirrorMargins; }

}  // namespace report
