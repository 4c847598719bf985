#include "platform/gui/extctrls.h"

#include <QFrame>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <functional>

#include "platform/gui/qt_bridge_p.h"

namespace gui {

using detail::Guarded;

namespace {
// A widget whose painting and mouse dragging are handed to functions.
class HookWidget : public QWidget {
 public:
  std::function<void(QPainter&)> paint;
  std::function<void(QMouseEvent*)> mouse;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!paint) return;
    QPainter p(this);
    paint(p);
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (mouse)
      mouse(e);
    else
      QWidget::mousePressEvent(e);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (mouse)
      mouse(e);
    else
      QWidget::mouseMoveEvent(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (mouse)
      mouse(e);
    else
      QWidget::mouseReleaseEvent(e);
  }
};

}  // namespace

// ---- TTimer ----------------------------------------------------------------

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  detail::EnsureQtApp();
  timer_ = new QTimer;
  timer_->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer_, &QTimer::timeout, timer_, [this] {
    Guarded([&] {
      if (OnTimer) OnTimer(this);
    });
  });
  Restart();
}

TTimer::~TTimer() {
  timer_->stop();
  detail::DisposeLater(timer_);
}

void TTimer::SetEnabled(bool e) {
  if (enabled_ == e) return;
  enabled_ = e;
  Restart();
}

void TTimer::SetInterval(unsigned ms) {
  if (interval_ == ms) return;
  interval_ = ms;
  Restart();
}

void TTimer::Restart() {
  timer_->stop();
  // A zero interval never fires, as a disabled timer.
  if (enabled_ && interval_ > 0) timer_->start(static_cast<int>(interval_));
}

// ---- TShape ----------------------------------------------------------------

TShape::TShape(TComponent* owner) : TControl(owner) {
  auto* w = new HookWidget;
  w->paint = [this](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(detail::ToQColor(pen_));
    p.setBrush(detail::ToQColor(brush_));
    QRect r = Handle()->rect().adjusted(0, 0, -1, -1);
    int side = std::min(r.width(), r.height());
    QRect sq((r.width() - side) / 2, (r.height() - side) / 2, side, side);
    switch (shape_) {
      case stRectangle: p.drawRect(r); break;
      case stSquare: p.drawRect(sq); break;
      case stRoundRect: p.drawRoundedRect(r, 4, 4); break;
      case stRoundSquare: p.drawRoundedRect(sq, 4, 4); break;
      case stEllipse: p.drawEllipse(r); break;
      case stCircle: p.drawEllipse(sq); break;
    }
  };
  Attach(w);
  w->resize(65, 65);
}

void TShape::SetShape(TShapeType s) {
  shape_ = s;
  Invalidate();
}
void TShape::SetBrushColor(TColor c) {
  brush_ = c;
  Invalidate();
}
void TShape::SetPenColor(TColor c) {
  pen_ = c;
  Invalidate();
}

// ---- TPaintBox -------------------------------------------------------------

namespace {
// The bitmap's pixels as an image Qt can draw.
QImage ImageOfBitmap(const gfx::TBitmap& b) {
  QImage img(b.Width(), b.Height(), QImage::Format_RGB32);
  std::vector<std::uint32_t> px = b.ToRGB32();
  for (int y = 0; y < b.Height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
    const std::uint32_t* src = px.data() + static_cast<std::size_t>(y) * b.Width();
    for (int x = 0; x < b.Width(); ++x) row[x] = src[x] | 0xFF000000u;
  }
  return img;
}
}  // namespace

TCustomControl::TCustomControl(TComponent* owner) : TControl(owner), bitmap_(std::make_unique<gfx::TBitmap>()) {
  bitmap_->SetPixelFormat(gfx::pf32bit);
  auto* w = new HookWidget;
  w->setFocusPolicy(Qt::StrongFocus);
  // Pointer moves reach the handlers with no button held too (read-outs).
  w->setMouseTracking(true);
  w->paint = [this](QPainter& p) {
    Guarded([&] { Paint(); });
    p.drawImage(0, 0, ImageOfBitmap(*bitmap_));
  };
  Attach(w);
  w->resize(105, 105);
}

TCustomControl::~TCustomControl() = default;

gfx::TCanvas& TCustomControl::Canvas() {
  if (bitmap_->Width() != Width() || bitmap_->Height() != Height()) bitmap_->SetSize(Width(), Height());
  return bitmap_->Canvas();
}

void TCustomControl::Paint() {
  gfx::TCanvas& c = Canvas();
  c.Brush().SetColor(Color() == clDefault ? clBtnFace : Color());
  c.FillRect(Rect(0, 0, Width(), Height()));
  if (OnPaint) OnPaint(this);
}

TPaintBox::TPaintBox(TComponent* owner) : TCustomControl(owner) { Handle()->setFocusPolicy(Qt::NoFocus); }

// ---- TScrollBar ------------------------------------------------------------

namespace {
QScrollBar* Scroll(const TControl* c) { return static_cast<QScrollBar*>(c->Handle()); }
}  // namespace

TScrollBar::TScrollBar(TComponent* owner) : TControl(owner) {
  auto* b = new QScrollBar(Qt::Horizontal);
  b->setRange(0, 100);
  Attach(b);
  b->resize(121, 17);
  QObject::connect(b, &QScrollBar::valueChanged, context_, [this] {
    Guarded([&] {
      if (OnChange) OnChange(this);
    });
  });
}

void TScrollBar::SetKind(TScrollBarKind k) {
  kind_ = k;
  Scroll(this)->setOrientation(k == sbVertical ? Qt::Vertical : Qt::Horizontal);
}
int TScrollBar::Min() const { return min_; }
void TScrollBar::SetMin(int v) {
  min_ = v;
  ApplyRange();
}
int TScrollBar::Max() const { return max_; }
void TScrollBar::SetMax(int v) {
  max_ = v;
  ApplyRange();
}
int TScrollBar::Position() const { return Scroll(this)->value(); }
void TScrollBar::SetPosition(int v) { Scroll(this)->setValue(v); }
int TScrollBar::PageSize() const { return page_; }
void TScrollBar::SetPageSize(int v) {
  page_ = std::max(0, v);
  ApplyRange();
}
// The position runs from Min to Max - PageSize + 1, as a page-sized thumb allows.
void TScrollBar::ApplyRange() {
  Scroll(this)->setRange(min_, std::max(min_, max_ - std::max(0, page_ - 1)));
  if (page_ > 0) Scroll(this)->setPageStep(page_);
}
int TScrollBar::SmallChange() const { return Scroll(this)->singleStep(); }
void TScrollBar::SetSmallChange(int v) { Scroll(this)->setSingleStep(v); }
int TScrollBar::LargeChange() const { return Scroll(this)->pageStep(); }
void TScrollBar::SetLargeChange(int v) { Scroll(this)->setPageStep(v); }

// ---- TImage ----------------------------------------------------------------

TImage::TImage(TComponent* owner) : TControl(owner), picture_(std::make_unique<gfx::TBitmap>()) {
  auto* w = new HookWidget;
  w->paint = [this](QPainter& p) {
    if (picture_->Width() == 0 || picture_->Height() == 0) return;
    QImage img = ImageOfBitmap(*picture_);
    QRect area = Handle()->rect();
    if (stretch_) {
      p.drawImage(area, img);
    } else if (center_) {
      p.drawImage((area.width() - img.width()) / 2, (area.height() - img.height()) / 2, img);
    } else {
      p.drawImage(0, 0, img);
    }
  };
  Attach(w);
  w->resize(105, 105);
}

TImage::~TImage() = default;

gfx::TBitmap& TImage::Picture() { return *picture_; }

bool TImage::LoadFromFile(const AnsiString& fileName) {
  QImage img;
  if (!img.load(detail::ToQ(fileName))) return false;
  img = img.convertToFormat(QImage::Format_RGB32);
  std::vector<std::uint32_t> px(static_cast<std::size_t>(img.width()) * img.height());
  for (int y = 0; y < img.height(); ++y) {
    auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) px[static_cast<std::size_t>(y) * img.width() + x] = row[x] & 0xFFFFFFu;
  }
  picture_->SetSize(img.width(), img.height());
  picture_->FromRGB32(px.data());
  Invalidate();
  return true;
}

void TImage::SetGraphic(const gfx::TGraphic& graphic) {
  picture_->Assign(graphic);
  Invalidate();
}

void TImage::SetStretch(bool s) {
  stretch_ = s;
  Invalidate();
}

void TImage::SetCenter(bool c) {
  center_ = c;
  Invalidate();
}

// ---- TSplitter -------------------------------------------------------------

TSplitter::TSplitter(TComponent* owner) : TControl(owner) {
  auto* w = new HookWidget;
  auto dragStart = std::make_shared<int>(0);
  w->mouse = [this, dragStart](QMouseEvent* e) {
    bool vertical = Align() == alTop || Align() == alBottom;
    int pos = vertical ? static_cast<int>(e->globalPosition().y()) : static_cast<int>(e->globalPosition().x());
    if (e->type() == QEvent::MouseButtonPress) {
      *dragStart = pos;
    } else if (e->buttons() & Qt::LeftButton) {
      Guarded([&] { MoveBy(pos - *dragStart); });
      *dragStart = pos;
    }
  };
  Attach(w);
  w->resize(3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

TControl* TSplitter::Neighbour() const {
  // The control aligned to the same side just before the splitter.
  TControl* p = Parent();
  if (!p) return nullptr;
  TControl* best = nullptr;
  for (int i = 0; i < p->ControlCount(); ++i) {
    TControl* c = p->Controls(i);
    if (c == this || c->Align() != Align() || !c->Visible()) continue;
    bool before = false;
    switch (Align()) {
      case alLeft: before = c->Left() + c->Width() <= Left(); break;
      case alRight: before = c->Left() >= Left() + Width(); break;
      case alTop: before = c->Top() + c->Height() <= Top(); break;
      case alBottom: before = c->Top() >= Top() + Height(); break;
      default: break;
    }
    if (before) best = c;
  }
  return best;
}

void TSplitter::MoveBy(int delta) {
  TControl* n = Neighbour();
  if (!n || delta == 0) return;
  switch (Align()) {
    case alLeft: n->SetWidth(std::max(minSize_, n->Width() + delta)); break;
    case alRight: n->SetWidth(std::max(minSize_, n->Width() - delta)); break;
    case alTop: n->SetHeight(std::max(minSize_, n->Height() + delta)); break;
    case alBottom: n->SetHeight(std::max(minSize_, n->Height() - delta)); break;
    default: return;
  }
  if (Parent()) Parent()->Realign();
  if (OnMoved) OnMoved(this);
}

TBevel::TBevel(TComponent* owner) : TControl(owner) {
  auto* f = new QFrame;
  f->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Attach(f);
  f->resize(50, 50);
}

}  // namespace gui
