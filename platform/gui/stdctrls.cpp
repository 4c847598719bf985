#include "platform/gui/stdctrls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "platform/gui/canvas_delegate_p.h"
#include "platform/gui/forms.h"
#include "platform/gui/qt_bridge_p.h"

namespace gui {

using detail::FromQ;
using detail::Guarded;
using detail::ToQ;

// ---- TButton ---------------------------------------------------------------

TButton::TButton(TComponent* owner) : TControl(owner) {
  auto* b = new QPushButton;
  b->setAutoDefault(false);
  Attach(b);
  b->resize(75, 25);
  QObject::connect(b, &QPushButton::clicked, context_, [this] { Guarded([&] { Click(); }); });
}

void TButton::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  static_cast<QPushButton*>(Handle())->setText(ToQ(text));
}

void TButton::SetDefault(bool d) {
  default_ = d;
  static_cast<QPushButton*>(Handle())->setDefault(d);
  if (TForm* f = ParentForm())
    f->SetDefaultButton(d ? this : (f->DefaultButton() == this ? nullptr : f->DefaultButton()));
}

void TButton::SetCancel(bool c) {
  cancel_ = c;
  if (TForm* f = ParentForm()) f->SetCancelButton(c ? this : (f->CancelButton() == this ? nullptr : f->CancelButton()));
}

void TButton::Click() {
  if (TForm* f = ParentForm()) {
    // The roles may have been set before the button was put on its form.
    if (default_ && !f->DefaultButton()) f->SetDefaultButton(this);
    if (cancel_ && !f->CancelButton()) f->SetCancelButton(this);
    if (modalResult_ != mrNone) f->SetModalResult(modalResult_);
  }
  TControl::Click();
}

// ---- TLabel ----------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TControl(owner) {
  auto* l = new QLabel;
  l->setTextFormat(Qt::PlainText);
  Attach(l);
}

void TLabel::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  static_cast<QLabel*>(Handle())->setText(ToQ(text));
  Fit();
}

void TLabel::Fit() {
  if (autoSize_ && !wordWrap_) {
    QSize s = Handle()->sizeHint();
    Handle()->resize(s);
  }
}

void TLabel::SetAlignment(TAlignment a) {
  alignment_ = a;
  Qt::Alignment q = a == taCenter ? Qt::AlignHCenter : a == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
  static_cast<QLabel*>(Handle())->setAlignment(q | Qt::AlignTop);
}

void TLabel::SetWordWrap(bool w) {
  wordWrap_ = w;
  static_cast<QLabel*>(Handle())->setWordWrap(w);
}

void TLabel::SetAutoSize(bool a) {
  autoSize_ = a;
  Fit();
}

void TLabel::SetTransparent(bool t) { Handle()->setAutoFillBackground(!t); }

void TLabel::SetFocusControl(TControl* c) { static_cast<QLabel*>(Handle())->setBuddy(c ? c->Handle() : nullptr); }

// ---- TEdit -----------------------------------------------------------------

TEdit::TEdit(TComponent* owner) : TEdit(owner, false) {}

TEdit::TEdit(TComponent* owner, bool) : TControl(owner) {
  auto* e = new QLineEdit;
  Attach(e);
  e->resize(121, 21);
  QObject::connect(e, &QLineEdit::textChanged, context_, [this] {
    Guarded([&] {
      if (OnChange) OnChange(this);
    });
  });
}

AnsiString TEdit::Caption() const { return FromQ(static_cast<QLineEdit*>(Handle())->text()); }

void TEdit::SetCaption(const AnsiString& text) {
  auto* e = static_cast<QLineEdit*>(Handle());
  QString q = ToQ(maxLength_ > 0 && static_cast<int>(text.size()) > maxLength_ ? text.substr(0, maxLength_) : text);
  if (e->text() != q) e->setText(q);
}

void TEdit::SetMaxLength(int n) {
  maxLength_ = n;
  static_cast<QLineEdit*>(Handle())->setMaxLength(n > 0 ? n : 32767);
}

void TEdit::SetPasswordChar(char c) {
  passwordChar_ = c;
  static_cast<QLineEdit*>(Handle())->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
}

bool TEdit::ReadOnly() const { return static_cast<QLineEdit*>(Handle())->isReadOnly(); }
void TEdit::SetReadOnly(bool r) { static_cast<QLineEdit*>(Handle())->setReadOnly(r); }

void TEdit::SetNumbersOnly(bool n) {
  auto* e = static_cast<QLineEdit*>(Handle());
  e->setValidator(n ? new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e) : nullptr);
}

void TEdit::SetBorderStyle(TBorderStyle b) { static_cast<QLineEdit*>(Handle())->setFrame(b != bsNone); }

int TEdit::SelStart() const {
  auto* e = static_cast<QLineEdit*>(Handle());
  return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}
void TEdit::SetSelStart(int s) { static_cast<QLineEdit*>(Handle())->setCursorPosition(s); }
int TEdit::SelLength() const { return static_cast<int>(static_cast<QLineEdit*>(Handle())->selectedText().size()); }
void TEdit::SetSelLength(int n) {
  auto* e = static_cast<QLineEdit*>(Handle());
  e->setSelection(e->cursorPosition(), n);
}
void TEdit::SelectAll() { static_cast<QLineEdit*>(Handle())->selectAll(); }

// ---- TMaskEdit -------------------------------------------------------------

namespace {

struct ParsedMask {
  QString qtMask;
  std::vector<bool> literal;  // per position of the edit text
  bool saveLiterals = true;
  char blank = '_';
};

ParsedMask ParseMask(const AnsiString& mask) {
  ParsedMask p;
  std::string body = mask;
  std::string rest;
  // The fields after the mask: ";1;_" (save literals, blank character).
  auto cut = body.find(';');
  if (cut != std::string::npos) {
    rest = body.substr(cut + 1);
    body = body.substr(0, cut);
    if (!rest.empty()) p.saveLiterals = rest[0] != '0';
    auto second = rest.find(';');
    if (second != std::string::npos && second + 1 < rest.size()) p.blank = rest[second + 1];
  }
  std::string out;
  for (std::size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    char q = 0;
    switch (c) {
      case '0': q = '9'; break;
      case '9': q = '0'; break;
      case '#': q = '#'; break;
      case 'L': q = 'A'; break;
      case 'l': q = 'a'; break;
      case 'A': q = 'N'; break;
      case 'a': q = 'n'; break;
      case 'C': q = 'X'; break;
      case 'c': q = 'x'; break;
      case '>':
      case '<': out += c; continue;
      case '\\':
        if (i + 1 < body.size()) {
          out += '\\';
          out += body[++i];
          p.literal.push_back(true);
        }
        continue;
      default: break;
    }
    if (q) {
      out += q;
      p.literal.push_back(false);
    } else {
      // A literal that Qt would read as a mask character is escaped.
      if (std::string("AaNnXx90DdHhBb#<>!;[]{}\\").find(c) != std::string::npos) out += '\\';
      out += c;
      p.literal.push_back(true);
    }
  }
  p.qtMask = ToQ(out) + QChar(';') + ToQ(std::string(1, p.blank));
  return p;
}

}  // namespace

TMaskEdit::TMaskEdit(TComponent* owner) : TEdit(owner, true) {}

void TMaskEdit::SetEditMask(const AnsiString& mask) {
  mask_ = mask;
  static_cast<QLineEdit*>(Handle())->setInputMask(mask.empty() ? QString() : ParseMask(mask).qtMask);
}

AnsiString TMaskEdit::Caption() const {
  auto* e = static_cast<QLineEdit*>(Handle());
  if (mask_.empty()) return FromQ(e->text());
  ParsedMask p = ParseMask(mask_);
  AnsiString shown = FromQ(e->displayText());
  AnsiString out;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    bool lit = i < p.literal.size() && p.literal[i];
    if (lit && !p.saveLiterals) continue;
    out += (!lit && shown[i] == p.blank) ? ' ' : shown[i];
  }
  return out;
}

void TMaskEdit::SetCaption(const AnsiString& text) {
  auto* e = static_cast<QLineEdit*>(Handle());
  QString q = ToQ(text);
  if (e->text() != q) e->setText(q);
}

// ---- TCheckBox, TRadioButton -----------------------------------------------

TCheckBox::TCheckBox(TComponent* owner) : TControl(owner) {
  auto* b = new QCheckBox;
  Attach(b);
  b->resize(97, 17);
  QObject::connect(b, &QCheckBox::toggled, context_, [this] {
    Guarded([&] {
      if (OnClick) OnClick(this);
    });
  });
}

void TCheckBox::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  static_cast<QCheckBox*>(Handle())->setText(ToQ(text));
}

bool TCheckBox::Checked() const { return static_cast<QCheckBox*>(Handle())->isChecked(); }
void TCheckBox::SetChecked(bool c) { static_cast<QCheckBox*>(Handle())->setChecked(c); }
void TCheckBox::Click() { SetChecked(!Checked()); }

TRadioButton::TRadioButton(TComponent* owner) : TControl(owner) {
  auto* b = new QRadioButton;
  Attach(b);
  b->resize(113, 17);
  QObject::connect(b, &QRadioButton::toggled, context_, [this](bool on) {
    if (!on) return;
    Guarded([&] {
      if (OnClick) OnClick(this);
    });
  });
}

void TRadioButton::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  static_cast<QRadioButton*>(Handle())->setText(ToQ(text));
}

bool TRadioButton::Checked() const { return static_cast<QRadioButton*>(Handle())->isChecked(); }

void TRadioButton::SetChecked(bool c) {
  auto* b = static_cast<QRadioButton*>(Handle());
  if (c) {
    b->setChecked(true);
  } else {
    // An exclusive group never unchecks its checked button by itself.
    b->setAutoExclusive(false);
    b->setChecked(false);
    b->setAutoExclusive(true);
  }
}

void TRadioButton::Click() { SetChecked(true); }

// ---- TGroupBox -------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* owner) : TControl(owner) {
  auto* g = new QGroupBox;
  Attach(g);
  g->resize(185, 105);
}

void TGroupBox::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  static_cast<QGroupBox*>(Handle())->setTitle(ToQ(text));
  Realign();
}

TRect TGroupBox::AlignRect() const {
  auto* g = static_cast<QGroupBox*>(Handle());
  QStyleOptionGroupBox opt;
  opt.initFrom(g);
  opt.text = g->title();
  opt.lineWidth = 1;
  opt.subControls = QStyle::SC_GroupBoxFrame | (g->title().isEmpty() ? QStyle::SC_None : QStyle::SC_GroupBoxLabel);
  QRect r = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxContents, g);
  return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

// ---- TComboBox -------------------------------------------------------------

namespace {
QComboBox* Combo(const TControl* c) { return static_cast<QComboBox*>(c->Handle()); }
}  // namespace

namespace {
// A combo box that tells when its list opens and gives the list its width.
class ComboWidget : public QComboBox {
 public:
  std::function<void()> beforePopup;
  int listWidth = 0;
  void showPopup() override {
    if (beforePopup) beforePopup();
    if (listWidth > 0) view()->setMinimumWidth(listWidth);
    QComboBox::showPopup();
  }
};
}  // namespace

TComboBox::TComboBox(TComponent* owner) : TControl(owner) {
  auto* c = new ComboWidget;
  c->beforePopup = [this] {
    Guarded([&] {
      if (OnDropDown) OnDropDown(this);
    });
  };
  Attach(c);
  RegisterInner(c->view());
  c->resize(145, 21);
  SetStyle(csDropDown);
  QObject::connect(c, &QComboBox::activated, context_, [this] {
    Guarded([&] {
      if (OnSelect) OnSelect(this);
      if (OnChange) OnChange(this);
    });
  });
}

TComboBox::~TComboBox() {
  if (delegate_) static_cast<detail::CanvasDelegate*>(delegate_)->draw = nullptr;
}

void TComboBox::InstallDelegate() {
  if (delegate_) return;
  auto* d = new detail::CanvasDelegate(Combo(this));
  d->fixedHeight = itemHeight_;
  d->draw = [this](gfx::TCanvas&, const QModelIndex& index, TRect rect, unsigned state) {
    if (!OnDrawItem || (style_ != csOwnerDrawFixed && style_ != csOwnerDrawVariable)) return false;
    OnDrawItem(this, index.row(), rect, state);
    return true;
  };
  Combo(this)->setItemDelegate(d);
  delegate_ = d;
}

gfx::TCanvas& TComboBox::Canvas() {
  InstallDelegate();
  return static_cast<detail::CanvasDelegate*>(delegate_)->Canvas();
}

void TComboBox::SetListWidth(int w) {
  listWidth_ = w;
  static_cast<ComboWidget*>(Combo(this))->listWidth = w;
}

bool TComboBox::ReadOnly() const {
  QComboBox* c = Combo(this);
  return c->isEditable() && c->lineEdit()->isReadOnly();
}

void TComboBox::SetReadOnly(bool r) {
  QComboBox* c = Combo(this);
  if (c->isEditable()) c->lineEdit()->setReadOnly(r);
}

void TComboBox::SetItemHeight(int h) {
  itemHeight_ = h;
  InstallDelegate();
  static_cast<detail::CanvasDelegate*>(delegate_)->fixedHeight = h;
}

void TComboBox::SetStyle(TComboBoxStyle s) {
  style_ = s;
  QComboBox* c = Combo(this);
  if (s == csOwnerDrawFixed || s == csOwnerDrawVariable) InstallDelegate();
  bool editable = s == csDropDown || s == csSimple;
  if (c->isEditable() == editable) return;
  c->setEditable(editable);
  if (editable) {
    RegisterInner(c->lineEdit());
    QObject::connect(c->lineEdit(), &QLineEdit::textEdited, context_, [this] {
      Guarded([&] {
        if (OnChange) OnChange(this);
      });
    });
  }
}

void TComboBox::SetItems(const std::vector<AnsiString>& items) {
  QComboBox* c = Combo(this);
  QString text = c->currentText();
  c->clear();
  for (const auto& i : items) c->addItem(ToQ(i));
  c->setCurrentIndex(-1);
  if (c->isEditable()) c->setEditText(text);
}

std::vector<AnsiString> TComboBox::Items() const {
  std::vector<AnsiString> v;
  for (int i = 0; i < ItemCount(); ++i) v.push_back(Item(i));
  return v;
}

void TComboBox::AddItem(const AnsiString& item) {
  QComboBox* c = Combo(this);
  int keep = c->currentIndex();
  QString text = c->currentText();
  c->addItem(ToQ(item));
  c->setCurrentIndex(keep);
  if (c->isEditable()) c->setEditText(text);
}

void TComboBox::ClearItems() { Combo(this)->clear(); }
int TComboBox::ItemCount() const { return Combo(this)->count(); }
AnsiString TComboBox::Item(int i) const { return FromQ(Combo(this)->itemText(i)); }
int TComboBox::ItemIndex() const { return Combo(this)->currentIndex(); }
void TComboBox::SetItemIndex(int i) { Combo(this)->setCurrentIndex(i < ItemCount() ? i : -1); }
AnsiString TComboBox::Caption() const { return FromQ(Combo(this)->currentText()); }

void TComboBox::SetCaption(const AnsiString& text) {
  QComboBox* c = Combo(this);
  if (c->isEditable()) {
    c->setEditText(ToQ(text));
    c->lineEdit()->setCursorPosition(0);  // a narrow box shows the text's start
  } else {
    c->setCurrentIndex(c->findText(ToQ(text)));
  }
}

bool TComboBox::DroppedDown() const { return Combo(this)->view()->isVisible(); }
void TComboBox::SetDroppedDown(bool d) {
  if (d)
    Combo(this)->showPopup();
  else
    Combo(this)->hidePopup();
}
int TComboBox::DropDownCount() const { return Combo(this)->maxVisibleItems(); }
void TComboBox::SetDropDownCount(int n) { Combo(this)->setMaxVisibleItems(n); }

// ---- TListBox --------------------------------------------------------------

namespace {
QListWidget* List(const TControl* c) { return static_cast<QListWidget*>(c->Handle()); }
}  // namespace

TListBox::TListBox(TComponent* owner) : TControl(owner) {
  auto* l = new QListWidget;
  Attach(l);
  RegisterInner(l->viewport());
  l->resize(121, 97);
  QObject::connect(l, &QListWidget::itemClicked, context_, [this] {
    Guarded([&] {
      if (OnClick) OnClick(this);
    });
  });
}

void TListBox::SetItems(const std::vector<AnsiString>& items) {
  ClearItems();
  for (const auto& i : items) AddItem(i);
}
std::vector<AnsiString> TListBox::Items() const {
  std::vector<AnsiString> v;
  for (int i = 0; i < ItemCount(); ++i) v.push_back(Item(i));
  return v;
}
void TListBox::AddItem(const AnsiString& item) { List(this)->addItem(ToQ(item)); }
void TListBox::ClearItems() { List(this)->clear(); }
int TListBox::ItemCount() const { return List(this)->count(); }
AnsiString TListBox::Item(int i) const {
  auto* it = List(this)->item(i);
  return it ? FromQ(it->text()) : AnsiString();
}
int TListBox::ItemIndex() const { return List(this)->currentRow(); }
void TListBox::SetItemIndex(int i) { List(this)->setCurrentRow(i); }
bool TListBox::MultiSelect() const { return List(this)->selectionMode() == QAbstractItemView::ExtendedSelection; }
void TListBox::SetMultiSelect(bool m) {
  List(this)->setSelectionMode(m ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}
bool TListBox::Selected(int i) const {
  auto* it = List(this)->item(i);
  return it && it->isSelected();
}
void TListBox::SetSelected(int i, bool s) {
  if (auto* it = List(this)->item(i)) it->setSelected(s);
}
int TListBox::SelCount() const { return static_cast<int>(List(this)->selectedItems().size()); }
int TListBox::TopIndex() const { return List(this)->indexAt(QPoint(1, 1)).row(); }
void TListBox::SetTopIndex(int i) {
  if (auto* it = List(this)->item(i)) List(this)->scrollToItem(it, QAbstractItemView::PositionAtTop);
}
int TListBox::ItemAtPos(TPoint p) const {
  QListWidget* l = List(this);
  QPoint v = l->viewport()->mapFrom(l, QPoint(p.X, p.Y));
  return l->indexAt(v).row();
}

// ---- TMemo -----------------------------------------------------------------

namespace {
QPlainTextEdit* Plain(const TControl* c) { return static_cast<QPlainTextEdit*>(c->Handle()); }
}  // namespace

TMemo::TMemo(TComponent* owner) : TControl(owner) {
  auto* m = new QPlainTextEdit;
  Attach(m);
  RegisterInner(m->viewport());
  m->resize(185, 89);
  QObject::connect(m, &QPlainTextEdit::textChanged, context_, [this] {
    Guarded([&] {
      if (OnChange) OnChange(this);
    });
  });
}

AnsiString TMemo::Caption() const {
  AnsiString t = FromQ(Plain(this)->toPlainText());
  AnsiString out;
  for (char c : t) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void TMemo::SetCaption(const AnsiString& text) {
  AnsiString t;
  for (char c : text)
    if (c != '\r') t += c;
  Plain(this)->setPlainText(ToQ(t));
}

std::vector<AnsiString> TMemo::Lines() const {
  std::vector<AnsiString> v;
  QString all = Plain(this)->toPlainText();
  if (all.isEmpty()) return v;
  for (const QString& l : all.split(QChar('\n'))) v.push_back(FromQ(l));
  return v;
}

void TMemo::SetLines(const std::vector<AnsiString>& lines) {
  AnsiString t;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) t += '\n';
    t += lines[i];
  }
  SetCaption(t);
}

void TMemo::AddLine(const AnsiString& line) { Plain(this)->appendPlainText(ToQ(line)); }
bool TMemo::ReadOnly() const { return Plain(this)->isReadOnly(); }
void TMemo::SetReadOnly(bool r) { Plain(this)->setReadOnly(r); }
void TMemo::SetWordWrap(bool w) {
  Plain(this)->setLineWrapMode(w ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}
void TMemo::SetScrollBars(TScrollStyle s) {
  auto* m = Plain(this);
  m->setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
  m->setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
}

// ---- TPanel ----------------------------------------------------------------

namespace {
QLabel* PanelCaption(const TControl* c) { return c->Handle()->findChild<QLabel*>(QStringLiteral("caption")); }
}  // namespace

TPanel::TPanel(TComponent* owner) : TControl(owner) {
  auto* f = new QFrame;
  auto* caption = new QLabel(f);
  caption->setObjectName(QStringLiteral("caption"));
  caption->setAlignment(Qt::AlignCenter);
  caption->setAttribute(Qt::WA_TransparentForMouseEvents);
  Attach(f);
  f->resize(185, 41);
  UpdateFrame();
}

void TPanel::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  QLabel* l = PanelCaption(this);
  l->setText(ToQ(text));
  l->setGeometry(Handle()->rect());
  l->lower();
}

void TPanel::DoResize() {
  PanelCaption(this)->setGeometry(Handle()->rect());
  TControl::DoResize();
}

TRect TPanel::AlignRect() const {
  int inset = (outer_ != bvNone ? bevelWidth_ : 0) + (inner_ != bvNone ? bevelWidth_ : 0);
  return Rect(inset, inset, std::max(inset, Width() - inset), std::max(inset, Height() - inset));
}

void TPanel::SetBevelOuter(TBevelCut b) {
  outer_ = b;
  UpdateFrame();
}
void TPanel::SetBevelInner(TBevelCut b) {
  inner_ = b;
  UpdateFrame();
}
void TPanel::SetBevelWidth(int w) {
  bevelWidth_ = w;
  UpdateFrame();
}

void TPanel::SetAlignment(TAlignment a) {
  PanelCaption(this)->setAlignment((a == taCenter         ? Qt::AlignHCenter
                                    : a == taRightJustify ? Qt::AlignRight
                                                          : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
}

void TPanel::UpdateFrame() {
  auto* f = static_cast<QFrame*>(Handle());
  if (outer_ == bvNone && inner_ == bvNone) {
    f->setFrameStyle(QFrame::NoFrame);
  } else {
    f->setFrameStyle(QFrame::Panel | (outer_ == bvLowered ? QFrame::Sunken : QFrame::Raised));
    f->setLineWidth(bevelWidth_);
  }
}

// ---- TProgressBar ----------------------------------------------------------

namespace {
QProgressBar* Bar(const TControl* c) { return static_cast<QProgressBar*>(c->Handle()); }
}  // namespace

TProgressBar::TProgressBar(TComponent* owner) : TControl(owner) {
  auto* b = new QProgressBar;
  b->setTextVisible(false);
  b->setRange(0, 100);
  b->setValue(0);
  Attach(b);
  b->resize(150, 16);
}

int TProgressBar::Min() const { return Bar(this)->minimum(); }
void TProgressBar::SetMin(int v) { Bar(this)->setMinimum(v); }
int TProgressBar::Max() const { return Bar(this)->maximum(); }
void TProgressBar::SetMax(int v) { Bar(this)->setMaximum(v); }
int TProgressBar::Position() const { return Bar(this)->value(); }
void TProgressBar::SetPosition(int v) { Bar(this)->setValue(std::clamp(v, Min(), Max())); }
void TProgressBar::StepBy(int delta) {
  int p = Position() + delta;
  // Past the end the bar starts again from its minimum, as a stepped bar does.
  if (p > Max()) p = Min() + (p - Max());
  SetPosition(p);
}

}  // namespace gui
