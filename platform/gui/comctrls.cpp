#include "platform/gui/comctrls.h"

#include <QDateTimeEdit>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "platform/gui/imglist.h"
#include "platform/gui/menus.h"
#include "platform/gui/qt_bridge_p.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/datetime.h"

namespace gui {

using detail::FromQ;
using detail::Guarded;
using detail::ToQ;

namespace {

class PaintedWidget : public QWidget {
 public:
  std::function<void(QPainter&)> paint;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (paint) paint(p);
  }
};

QPixmap PixmapOf(int width, int height, const std::uint32_t* pixels, int strideBytes) {
  QImage img(reinterpret_cast<const uchar*>(pixels), width, height, strideBytes, QImage::Format_ARGB32_Premultiplied);
  return QPixmap::fromImage(img.copy());
}

Qt::Alignment QtAlign(TAlignment a) {
  return (a == taCenter ? Qt::AlignHCenter : a == taRightJustify ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

// ---- TStatusBar ------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* owner) : TControl(owner) {
  auto* w = new PaintedWidget;
  w->paint = [this](QPainter& p) {
    QWidget* self = Handle();
    p.fillRect(self->rect(), self->palette().window());
    QPen dark(self->palette().dark().color());
    QPen light(self->palette().light().color());
    auto drawPanel = [&](QRect r, const AnsiString& text, TAlignment a) {
      p.setPen(dark);
      p.drawLine(r.topLeft(), r.topRight());
      p.drawLine(r.topLeft(), r.bottomLeft());
      p.setPen(light);
      p.drawLine(r.bottomLeft(), r.bottomRight());
      p.drawLine(r.topRight(), r.bottomRight());
      p.setPen(self->palette().windowText().color());
      p.drawText(r.adjusted(3, 1, -3, -1), static_cast<int>(QtAlign(a)), ToQ(text));
    };
    if (simplePanel_) {
      drawPanel(self->rect().adjusted(0, 2, -1, -1), simpleText_, taLeftJustify);
      return;
    }
    for (int i = 0; i < PanelCount(); ++i) {
      TRect r = PanelRect(i);
      drawPanel(QRect(r.Left, r.Top, r.Width() - 2, r.Height()), panels_[static_cast<std::size_t>(i)].Text,
                panels_[static_cast<std::size_t>(i)].Alignment);
    }
  };
  Attach(w);
  w->resize(300, 19);
  SetAlign(alBottom);
}

void TStatusBar::AddPanel(int width, const AnsiString& text, TAlignment alignment) {
  panels_.push_back({text, width, alignment});
  Invalidate();
}

void TStatusBar::ClearPanels() {
  panels_.clear();
  Invalidate();
}

AnsiString TStatusBar::PanelText(int i) const {
  return i >= 0 && i < PanelCount() ? panels_[static_cast<std::size_t>(i)].Text : AnsiString();
}

void TStatusBar::SetPanelText(int i, const AnsiString& text) {
  if (i < 0 || i >= PanelCount()) return;
  panels_[static_cast<std::size_t>(i)].Text = text;
  Invalidate();
}

void TStatusBar::SetPanelWidth(int i, int width) {
  if (i < 0 || i >= PanelCount()) return;
  panels_[static_cast<std::size_t>(i)].Width = width;
  Invalidate();
}

void TStatusBar::SetPanelAlignment(int i, TAlignment a) {
  if (i < 0 || i >= PanelCount()) return;
  panels_[static_cast<std::size_t>(i)].Alignment = a;
  Invalidate();
}

TRect TStatusBar::PanelRect(int i) const {
  int x = 0;
  for (int k = 0; k < i && k < PanelCount(); ++k) x += panels_[static_cast<std::size_t>(k)].Width;
  int w = i == PanelCount() - 1 ? std::max(0, Width() - x) : panels_[static_cast<std::size_t>(i)].Width;
  return Rect(x, 2, x + w, Height());
}

int TStatusBar::PanelAt(int x) const {
  for (int i = 0; i < PanelCount(); ++i) {
    TRect r = PanelRect(i);
    if (x >= r.Left && x < r.Right) return i;
  }
  return -1;
}

void TStatusBar::SetSimplePanel(bool s) {
  simplePanel_ = s;
  Invalidate();
}

void TStatusBar::SetSimpleText(const AnsiString& t) {
  simpleText_ = t;
  Invalidate();
}

// ---- TDateTimePicker -------------------------------------------------------

namespace {
QDateTimeEdit* Picker(const TControl* c) { return static_cast<QDateTimeEdit*>(c->Handle()); }

// The runtime's calendar does the arithmetic: before 30 December 1899 the
// fraction of a date still counts forward from midnight.
QDateTime FromDays(TDateTime t) {
  int y, mo, d, h, mi, s, ms;
  rtl::DecodeDateTime(std::clamp(t, rtl::kMinDateTime, rtl::kMaxDateTime), y, mo, d, h, mi, s, ms);
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

TDateTime ToDays(const QDateTime& dt) {
  if (!dt.isValid()) return 0;
  const QDate d = dt.date();
  const QTime t = dt.time();
  return rtl::EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec());
}
}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TControl(owner) {
  auto* e = new QDateTimeEdit;
  e->setDateTimeRange(QDateTime(QDate(1753, 1, 1), QTime(0, 0)), QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)));
  Attach(e);
  e->resize(186, 21);
  SetKind(dtkDate);
  QObject::connect(e, &QDateTimeEdit::dateTimeChanged, context_, [this] {
    Guarded([&] {
      if (OnChange) OnChange(this);
    });
  });
}

void TDateTimePicker::SetKind(TDateTimeKind k) {
  kind_ = k;
  QSignalBlocker block(Picker(this));
  Picker(this)->setDisplayFormat(k == dtkTime ? QStringLiteral("H:mm:ss") : QStringLiteral("dd.MM.yyyy"));
}

void TDateTimePicker::SetFormat(const AnsiString& format) {
  QString f = ToQ(format);
  f.replace(QStringLiteral("tt"), QStringLiteral("AP"));
  QSignalBlocker block(Picker(this));
  Picker(this)->setDisplayFormat(f);
}

TDateTime TDateTimePicker::DateTime() const { return ToDays(Picker(this)->dateTime()); }

void TDateTimePicker::SetDateTime(TDateTime t) {
  QSignalBlocker block(Picker(this));
  Picker(this)->setDateTime(FromDays(t));
}

TDateTime TDateTimePicker::Time() const { return Picker(this)->time().msecsSinceStartOfDay() / 86400000.0; }

void TDateTimePicker::SetTime(TDateTime t) {
  QSignalBlocker block(Picker(this));
  Picker(this)->setTime(FromDays(t).time());
}

TDateTime TDateTimePicker::Date() const {
  const QDate d = Picker(this)->date();
  return d.isValid() ? rtl::EncodeDate(d.year(), d.month(), d.day()) : 0;
}

void TDateTimePicker::SetDate(TDateTime d) {
  QSignalBlocker block(Picker(this));
  Picker(this)->setDate(FromDays(d).date());
}

// ---- TTreeView -------------------------------------------------------------

namespace {
QTreeWidgetItem* ItemOf(const TTreeNode* n, void* item) {
  (void)n;
  return static_cast<QTreeWidgetItem*>(item);
}
constexpr int kNodeRole = Qt::UserRole + 1;
}  // namespace

AnsiString TTreeNode::Text() const { return FromQ(ItemOf(this, item_)->text(0)); }
void TTreeNode::SetText(const AnsiString& t) { ItemOf(this, item_)->setText(0, ToQ(t)); }
int TTreeNode::Count() const { return ItemOf(this, item_)->childCount(); }
TTreeNode* TTreeNode::Item(int i) const { return tree_->NodeOf(ItemOf(this, item_)->child(i)); }
TTreeNode* TTreeNode::Parent() const { return tree_->NodeOf(ItemOf(this, item_)->parent()); }
int TTreeNode::Index() const {
  QTreeWidgetItem* it = ItemOf(this, item_);
  return it->parent() ? it->parent()->indexOfChild(it) : it->treeWidget()->indexOfTopLevelItem(it);
}
bool TTreeNode::Expanded() const { return ItemOf(this, item_)->isExpanded(); }
void TTreeNode::SetExpanded(bool e) { ItemOf(this, item_)->setExpanded(e); }
bool TTreeNode::Selected() const { return ItemOf(this, item_)->isSelected(); }
void TTreeNode::Expand(bool recurse) {
  SetExpanded(true);
  if (recurse)
    for (int i = 0; i < Count(); ++i) Item(i)->Expand(true);
}
void TTreeNode::Collapse(bool recurse) {
  SetExpanded(false);
  if (recurse)
    for (int i = 0; i < Count(); ++i) Item(i)->Collapse(true);
}

namespace {
QTreeWidget* Tree(const TControl* c) { return static_cast<QTreeWidget*>(c->Handle()); }
}  // namespace

TTreeView::TTreeView(TComponent* owner) : TControl(owner) {
  auto* t = new QTreeWidget;
  t->setHeaderHidden(true);
  t->setColumnCount(1);
  Attach(t);
  RegisterInner(t->viewport());
  t->resize(121, 97);
  QObject::connect(t, &QTreeWidget::currentItemChanged, context_, [this](QTreeWidgetItem* now) {
    Guarded([&] {
      if (OnChange) OnChange(this, NodeOf(now));
    });
  });
  QObject::connect(t, &QTreeWidget::itemClicked, context_, [this] {
    Guarded([&] {
      if (TControl::OnClick) TControl::OnClick(this);
    });
  });
}

TTreeView::~TTreeView() = default;

TTreeNode* TTreeView::NodeOf(void* item) const {
  if (!item) return nullptr;
  return static_cast<TTreeNode*>(static_cast<QTreeWidgetItem*>(item)->data(0, kNodeRole).value<void*>());
}

TTreeNode* TTreeView::AddChild(TTreeNode* parent, const AnsiString& text) {
  auto node = std::make_unique<TTreeNode>();
  QTreeWidgetItem* item =
      parent ? new QTreeWidgetItem(static_cast<QTreeWidgetItem*>(parent->item_)) : new QTreeWidgetItem(Tree(this));
  item->setText(0, ToQ(text));
  node->tree_ = this;
  node->item_ = item;
  item->setData(0, kNodeRole, QVariant::fromValue<void*>(node.get()));
  nodes_.push_back(std::move(node));
  return nodes_.back().get();
}

void TTreeView::Clear() {
  {
    QSignalBlocker block(Tree(this));
    Tree(this)->clear();
  }
  nodes_.clear();
}

int TTreeView::TopCount() const { return Tree(this)->topLevelItemCount(); }
TTreeNode* TTreeView::TopItem(int i) const { return NodeOf(Tree(this)->topLevelItem(i)); }
TTreeNode* TTreeView::Selected() const { return NodeOf(Tree(this)->currentItem()); }
void TTreeView::SetSelected(TTreeNode* n) {
  Tree(this)->setCurrentItem(n ? static_cast<QTreeWidgetItem*>(n->item_) : nullptr);
}
void TTreeView::FullExpand() { Tree(this)->expandAll(); }
void TTreeView::FullCollapse() { Tree(this)->collapseAll(); }
TTreeNode* TTreeView::GetNodeAt(int x, int y) const {
  QTreeWidget* t = Tree(this);
  return NodeOf(t->itemAt(t->viewport()->mapFrom(t, QPoint(x, y))));
}

// ---- TPageControl, TTabSheet -----------------------------------------------

namespace {
QTabWidget* Tabs(const TControl* c) { return static_cast<QTabWidget*>(c->Handle()); }
}  // namespace

TTabSheet::TTabSheet(TComponent* owner) : TControl(owner) {
  auto* w = new QWidget;
  Attach(w);
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetParent(TControl* parent) {
  if (auto* pc = dynamic_cast<TPageControl*>(parent))
    SetPageControl(pc);
  else
    TControl::SetParent(parent);
}

void TTabSheet::SetPageControl(TPageControl* pc) {
  if (pc == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = pc;
  LinkParent(pc);
  if (pc) pc->InsertPage(this);
}

void TTabSheet::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  if (pageControl_) Tabs(pageControl_)->setTabText(PageIndex(), ToQ(text));
}

void TTabSheet::SetTabVisible(bool v) {
  tabVisible_ = v;
  if (pageControl_) Tabs(pageControl_)->setTabVisible(PageIndex(), v);
}

int TTabSheet::PageIndex() const { return pageControl_ ? Tabs(pageControl_)->indexOf(Handle()) : -1; }

TPageControl::TPageControl(TComponent* owner) : TControl(owner) {
  auto* t = new QTabWidget;
  Attach(t);
  t->resize(289, 193);
  QObject::connect(t, &QTabWidget::currentChanged, context_, [this] {
    Guarded([&] {
      if (OnChange) OnChange(this);
    });
  });
}

void TPageControl::InsertPage(TTabSheet* p) {
  pages_.push_back(p);
  QSignalBlocker block(Tabs(this));
  Tabs(this)->addTab(p->Handle(), ToQ(p->Caption()));
  p->Handle()->setVisible(true);
}

void TPageControl::RemovePage(TTabSheet* p) {
  auto it = std::find(pages_.begin(), pages_.end(), p);
  if (it == pages_.end()) return;
  pages_.erase(it);
  QSignalBlocker block(Tabs(this));
  int i = Tabs(this)->indexOf(p->Handle());
  if (i >= 0) Tabs(this)->removeTab(i);
  p->Handle()->setParent(nullptr);
}

TTabSheet* TPageControl::ActivePage() const {
  int i = Tabs(this)->currentIndex();
  QWidget* w = Tabs(this)->widget(i);
  for (TTabSheet* p : pages_)
    if (p->Handle() == w) return p;
  return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* p) {
  if (!p) return;
  QSignalBlocker block(Tabs(this));
  Tabs(this)->setCurrentWidget(p->Handle());
}

int TPageControl::ActivePageIndex() const {
  TTabSheet* p = ActivePage();
  auto it = std::find(pages_.begin(), pages_.end(), p);
  return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

void TPageControl::SetActivePageIndex(int i) {
  if (i >= 0 && i < PageCount()) SetActivePage(pages_[static_cast<std::size_t>(i)]);
}

// ---- TUpDown ---------------------------------------------------------------

TUpDown::TUpDown(TComponent* owner) : TControl(owner) {
  auto* w = new QWidget;
  auto* layout = new QVBoxLayout(w);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* up = new QToolButton(w);
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton(w);
  down->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up, down}) {
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    b->setAutoRepeat(true);
    layout->addWidget(b);
  }
  Attach(w);
  w->resize(17, 21);
  QObject::connect(up, &QToolButton::clicked, context_, [this] { Guarded([&] { Step(btNext); }); });
  QObject::connect(down, &QToolButton::clicked, context_, [this] { Guarded([&] { Step(btPrev); }); });
}

void TUpDown::SetAssociate(TEdit* e) {
  associate_ = e;
  if (!e) return;
  SetBounds(e->Left() + e->Width(), e->Top(), Width(), e->Height());
  SetPosition(position_);
}

void TUpDown::SetMin(int v) {
  min_ = v;
  SetPosition(position_);
}

void TUpDown::SetMax(int v) {
  max_ = v;
  SetPosition(position_);
}

int TUpDown::Position() const {
  // The associated edit may have been typed into.
  if (associate_) {
    try {
      std::size_t used = 0;
      AnsiString t = associate_->Text();
      int v = std::stoi(t, &used);
      if (used == t.size()) return std::clamp(v, min_, max_);
    } catch (...) {
    }
  }
  return position_;
}

void TUpDown::SetPosition(int v) {
  position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
  if (associate_) associate_->SetText(std::to_string(position_));
}

void TUpDown::Step(TUDBtnType button) {
  int p = Position() + (button == btNext ? increment_ : -increment_);
  if (p > max_) p = wrap_ ? min_ : max_;
  if (p < min_) p = wrap_ ? max_ : min_;
  SetPosition(p);
  if (OnClick) OnClick(this, button);
}

// ---- TToolBar, TToolButton, TSpeedButton -----------------------------------

TToolBar::TToolBar(TComponent* owner) : TControl(owner) {
  auto* w = new QWidget;
  Attach(w);
  w->resize(300, buttonHeight_ + 4);
  SetAlign(alTop);
}

void TToolBar::SetButtonHeight(int h) {
  buttonHeight_ = h;
  // The bar sizes itself to its buttons.
  SetHeight(h + 4);
  Realign();
}

void TToolBar::SetShowCaptions(bool s) {
  showCaptions_ = s;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TToolButton*>(Controls(i))) b->SetCaption(b->Caption());
  Realign();
}

void TToolBar::SetImages(TImageList* images) {
  images_ = images;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TToolButton*>(Controls(i))) b->ApplyCaption();
}

void TToolBar::Realign() {
  if (Realigning()) return;
  int x = 2;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    c->Handle()->setGeometry(x, 2, c->Width(), buttonHeight_);
    x += c->Width();
  }
}

namespace {
QToolButton* Tool(const TControl* c) { return static_cast<QToolButton*>(c->Handle()); }
}  // namespace

TToolButton::TToolButton(TComponent* owner) : TControl(owner) {
  auto* b = new QToolButton;
  b->setAutoRaise(true);
  // Tool and speed buttons never take the focus from the control in use.
  b->setFocusPolicy(Qt::NoFocus);
  b->setToolButtonStyle(Qt::ToolButtonIconOnly);
  Attach(b);
  b->resize(23, 22);
  QObject::connect(b, &QToolButton::clicked, context_, [this] { Guarded([&] { Click(); }); });
}

void TToolButton::SetParent(TControl* parent) {
  TControl::SetParent(parent);
  ApplyCaption();
}

void TToolButton::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  ApplyCaption();
}

void TToolButton::SetImageIndex(int i) {
  imageIndex_ = i;
  ApplyCaption();
}

void TToolButton::SetDropdownMenu(TPopupMenu* m) {
  dropdown_ = m;
  Tool(this)->setMenu(m ? m->NativeMenu() : nullptr);
}

void TToolButton::ApplyCaption() {
  auto* bar = dynamic_cast<TToolBar*>(Parent());
  bool captions = bar && bar->ShowCaptions();
  if (bar && bar->Images() && imageIndex_ >= 0 && imageIndex_ < bar->Images()->Count()) {
    TImageList* il = bar->Images();
    QImage img(reinterpret_cast<const uchar*>(il->Pixels(imageIndex_).data()), il->Width(), il->Height(),
               QImage::Format_ARGB32_Premultiplied);
    Tool(this)->setIcon(QIcon(QPixmap::fromImage(img.copy())));
    Tool(this)->setIconSize(QSize(il->Width(), il->Height()));
  }
  Tool(this)->setText(ToQ(Caption()));
  Tool(this)->setToolButtonStyle(captions                      ? Qt::ToolButtonTextBesideIcon
                                 : Tool(this)->icon().isNull() ? Qt::ToolButtonTextOnly
                                                               : Qt::ToolButtonIconOnly);
}

void TToolButton::SetStyle(TToolButtonStyle s) {
  style_ = s;
  QToolButton* b = Tool(this);
  b->setCheckable(s == tbsCheck);
  if (s == tbsSeparator || s == tbsDivider) {
    b->setEnabled(false);
    b->setText({});
    SetWidth(8);
  }
  b->setPopupMode(s == tbsDropDown ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
}

bool TToolButton::Down() const { return Tool(this)->isChecked() || Tool(this)->isDown(); }

void TToolButton::SetDown(bool d) {
  if (style_ == tbsCheck) {
    if (d && grouped_ && Parent()) {
      for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* other = dynamic_cast<TToolButton*>(Parent()->Controls(i)))
          if (other != this && other->grouped_ && other->style_ == tbsCheck) Tool(other)->setChecked(false);
    }
    Tool(this)->setChecked(d);
  } else {
    Tool(this)->setDown(d);
  }
}

void TToolButton::SetGlyph(int width, int height, const std::uint32_t* pixels, int strideBytes) {
  Tool(this)->setIcon(QIcon(PixmapOf(width, height, pixels, strideBytes)));
  Tool(this)->setIconSize(QSize(width, height));
  ApplyCaption();
}

void TToolButton::Click() {
  if (style_ == tbsSeparator || style_ == tbsDivider) return;
  if (style_ == tbsCheck && grouped_ && Tool(this)->isChecked()) SetDown(true);
  if (style_ == tbsCheck && grouped_ && !Tool(this)->isChecked() && !allowAllUp_) Tool(this)->setChecked(true);
  TControl::Click();
}

void TToolButton::ActionChanged() {
  if (!Action()) return;
  TControl::ActionChanged();
  if (style_ == tbsCheck) Tool(this)->setChecked(Action()->Checked());
}

TSpeedButton::TSpeedButton(TComponent* owner) : TControl(owner) {
  auto* b = new QToolButton;
  b->setFocusPolicy(Qt::NoFocus);
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  Attach(b);
  b->resize(23, 22);
  QObject::connect(b, &QToolButton::clicked, context_, [this] { Guarded([&] { Click(); }); });
}

void TSpeedButton::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  Tool(this)->setText(ToQ(text));
}

void TSpeedButton::SetGroupIndex(int g) {
  groupIndex_ = g;
  Tool(this)->setCheckable(g > 0);
}

bool TSpeedButton::Down() const { return Tool(this)->isChecked(); }

void TSpeedButton::SetDown(bool d) {
  if (groupIndex_ == 0) return;
  if (d && Parent()) {
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i)))
        if (other != this && other->groupIndex_ == groupIndex_) Tool(other)->setChecked(false);
  }
  Tool(this)->setChecked(d);
}

bool TSpeedButton::Flat() const { return Tool(this)->autoRaise(); }
void TSpeedButton::SetFlat(bool f) { Tool(this)->setAutoRaise(f); }

void TSpeedButton::SetGlyph(int width, int height, const std::uint32_t* pixels, int strideBytes) {
  Tool(this)->setIcon(QIcon(PixmapOf(width, height, pixels, strideBytes)));
  Tool(this)->setIconSize(QSize(width, height));
}

void TSpeedButton::Click() {
  if (groupIndex_ > 0) {
    // Qt has toggled the check already; a group keeps one button down.
    if (Tool(this)->isChecked())
      SetDown(true);
    else if (!allowAllUp_)
      Tool(this)->setChecked(true);
  }
  TControl::Click();
}

}  // namespace gui
