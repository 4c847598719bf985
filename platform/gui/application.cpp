#include "platform/gui/application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/gfx/colors.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/qt_bridge_p.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/threads.h"

namespace gui {

namespace {

// The toolkit's application object. Every event passes notify once before Qt
// delivers it, which is where the controls' key and mouse events start, and
// where an exception that escaped a handler is caught as a last resort.
class ZarnikQtApp : public QApplication {
 public:
  ZarnikQtApp(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* e) override {
    try {
      if (detail::DispatchControlEvent(receiver, e)) return true;
      QPointer<QObject> alive(receiver);
      bool result = QApplication::notify(receiver, e);
      if (alive) detail::AfterControlEvent(receiver, e);
      return result;
    } catch (...) {
      detail::HandleCurrentException();
      return true;
    }
  }
};

// The screen object is constructed first so it outlives the application's
// forms when static objects are destroyed at exit.
TScreen screenInstance;
TApplication applicationInstance;
bool overrideCursor = false;
bool translationsLoaded = false;

// Toolkit texts the installed Russian translations do not cover: the file
// kinds of the file dialog's list (their context is newer than the table).
class MissingToolkitTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char*, int) const override {
    struct Text {
      const char* context;
      const char* source;
      const char16_t* russian;
    };
    static const Text texts[] = {
        {"QAbstractFileIconProvider", "Folder", u"Папка"},        {"QAbstractFileIconProvider", "Drive", u"Диск"},
        {"QAbstractFileIconProvider", "File", u"Файл"},           {"QAbstractFileIconProvider", "%1 File", u"Файл %1"},
        {"QAbstractFileIconProvider", "Alias", u"Ссылка"},        {"QAbstractFileIconProvider", "Shortcut", u"Ярлык"},
        {"QAbstractFileIconProvider", "Unknown", u"Неизвестный"},
    };
    for (const Text& t : texts)
      if (std::strcmp(context, t.context) == 0 && std::strcmp(source, t.source) == 0)
        return QString::fromUtf16(t.russian);
    return {};
  }
};

}  // namespace

TApplication* const Application = &applicationInstance;
TScreen* const Screen = &screenInstance;

namespace detail {

void EnsureQtApp() {
  if (QCoreApplication::instance()) return;
  // A program started without any display still runs (headless CI, tests).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char arg0[] = "zarnik";
  static char* argv[] = {arg0, nullptr};
  // Lives until the process ends: widgets may outlive every scope.
  auto* app = new ZarnikQtApp(argc, argv);
  app->setQuitOnLastWindowClosed(false);
  // The toolkit's own texts (file dialogs, the edit context menu) in
  // Russian, like the rest of the program, when its translations are there.
  // Dates, sizes and file types in the file dialog's list follow the
  // default locale, so it is Russian too ("дек.", "КиБ", the file kinds).
  const QLocale russian(QLocale::Russian, QLocale::Russia);
  QLocale::setDefault(russian);
  auto* translator = new QTranslator(app);
  if (translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator))
    translationsLoaded = true;
  // Asked before the toolkit's own table: the texts it lacks.
  QCoreApplication::installTranslator(new MissingToolkitTexts(app));
  // The windows were laid out for an 8-point sans-serif face: widths, row
  // heights and caption lengths fit it.
  QFont font(QStringLiteral("Liberation Sans"), 8);
  font.setStyleHint(QFont::SansSerif);
  QApplication::setFont(font);
  // System colours drawn through the canvas follow the desktop's palette.
  gfx::SetSystemColorResolver([](int index) -> gfx::TColorRef {
    QPalette p = QApplication::palette();
    QColor c;
    switch (index) {
      case gfx::COLOR_WINDOW: c = p.color(QPalette::Base); break;
      case gfx::COLOR_WINDOWTEXT:
      case gfx::COLOR_MENUTEXT: c = p.color(QPalette::Text); break;
      case gfx::COLOR_HIGHLIGHT: c = p.color(QPalette::Highlight); break;
      case gfx::COLOR_HIGHLIGHTTEXT: c = p.color(QPalette::HighlightedText); break;
      case gfx::COLOR_BTNFACE:
      case gfx::COLOR_MENU: c = p.color(QPalette::Button); break;
      case gfx::COLOR_BTNSHADOW: c = p.color(QPalette::Dark); break;
      case gfx::COLOR_BTNHIGHLIGHT: c = p.color(QPalette::Light); break;
      case gfx::COLOR_GRAYTEXT: c = p.color(QPalette::Disabled, QPalette::Text); break;
      case gfx::COLOR_BTNTEXT: c = p.color(QPalette::ButtonText); break;
      case gfx::COLOR_INFOBK: c = p.color(QPalette::ToolTipBase); break;
      case gfx::COLOR_INFOTEXT: c = p.color(QPalette::ToolTipText); break;
      default: return gfx::DefaultSystemColor(index);
    }
    return gfx::RGB(static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()), static_cast<unsigned>(c.blue()));
  });
  // Work handed over by other threads runs in this thread's loop.
  rtl::SetSynchronizeWakeHook([] {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { rtl::CheckSynchronize(); }, Qt::QueuedConnection);
  });
}

void HandleCurrentException() { Application->HandleException(nullptr); }

}  // namespace detail

bool ToolkitSpeaksRussian() {
  detail::EnsureQtApp();
  return translationsLoaded && QCoreApplication::translate("QFileDialog", "Open") != QStringLiteral("Open");
}

namespace detail {}  // namespace detail

TApplication::TApplication() : TComponent(nullptr) {}
TApplication::~TApplication() = default;

void TApplication::Initialize() { detail::EnsureQtApp(); }

void TApplication::SetTitle(const AnsiString& title) {
  // Kept here only: the toolkit's display name would be appended to every
  // window's caption by some window systems.
  title_ = title;
}

AnsiString TApplication::ExeName() const {
  if (!QCoreApplication::instance()) return {};
  return detail::FromQ(QCoreApplication::applicationFilePath());
}

void TApplication::EnterModal(QEventLoop* loop) {
  ++modalLevel_;
  modalLoops_.push_back(loop);
}

void TApplication::LeaveModal(QEventLoop* loop) {
  --modalLevel_;
  modalLoops_.erase(std::remove(modalLoops_.begin(), modalLoops_.end(), loop), modalLoops_.end());
}

void TApplication::ProcessMessages() {
  Initialize();
  rtl::CheckSynchronize();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage(int maxWaitMs) {
  Initialize();
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(std::max(0, maxWaitMs));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::Run() {
  Initialize();
  // Ended while the main form was still being made (a termination signal
  // during its start-up questions): it still closes, so its close handler
  // saves what it saves, and the loop does not start.
  if (terminated_) {
    if (mainForm_) mainForm_->Close();
    return;
  }
  if (mainForm_ && !mainForm_->Visible()) mainForm_->Show();
  while (!terminated_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    // Widgets of controls freed meanwhile go now: at this level no handler
    // of theirs can still be running.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (OnIdle) {
      bool done = true;
      detail::Guarded([&] { OnIdle(this, done); });
      while (!done && !terminated_) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        done = true;
        detail::Guarded([&] { OnIdle(this, done); });
      }
    }
  }
}

int TApplication::ExecDialog(QDialog& dialog) {
  if (terminated_) return QDialog::Rejected;
  modalDialogs_.push_back(&dialog);
  struct Leave {
    std::vector<QDialog*>& dialogs;
    QDialog* dialog;
    ~Leave() { dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end()); }
  } leave{modalDialogs_, &dialog};
  return dialog.exec();
}

void TApplication::Terminate() {
  terminated_ = true;
  for (QEventLoop* loop : modalLoops_) loop->quit();
  // A copy: closing a dialog may end its exec and unregister it.
  for (QDialog* dialog : std::vector<QDialog*>(modalDialogs_)) dialog->done(QDialog::Rejected);
  if (auto* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) {
  return gui::MessageBox(text, caption, flags);
}

void TApplication::HandleException(TObject* sender) {
  if (!std::current_exception()) return;  // not called from a handler
  static int depth = 0;
  if (depth > 0) return;  // an exception while showing one is dropped
  ++depth;
  try {
    throw;
  } catch (const rtl::EAbort&) {
  } catch (const std::exception& e) {
    try {
      if (OnException)
        OnException(sender, e);
      else
        ShowException(e);
    } catch (...) {
    }
  } catch (...) {
    try {
      ShowException(rtl::Exception("Unknown exception"));
    } catch (...) {
    }
  }
  --depth;
}

void TApplication::ShowException(const std::exception& e) {
  AnsiString msg = e.what();
  // A message gets a closing full stop unless it ends in punctuation already.
  if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  gui::MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

void TApplication::Minimize() {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->Visible()) Screen->Forms(i)->SetWindowState(wsMinimized);
}

void TApplication::Restore() {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->WindowState() == wsMinimized) Screen->Forms(i)->SetWindowState(wsNormal);
}

// Screen

int TScreen::Width() const {
  detail::EnsureQtApp();
  auto* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 0;
}

int TScreen::Height() const {
  detail::EnsureQtApp();
  auto* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 0;
}

TForm* TScreen::ActiveForm() const {
  if (QCoreApplication::instance())
    if (QWidget* w = QApplication::activeWindow())
      if (auto* f = dynamic_cast<TForm*>(detail::ControlAt(w))) return f;
  if (lastActive_ && lastActive_->Visible()) return lastActive_;
  return nullptr;
}

namespace {
std::map<TCursor, QCursor>& CursorTable() {
  static std::map<TCursor, QCursor> table;
  return table;
}
}  // namespace

const QCursor* detail::TableCursor(TCursor c) {
  auto it = CursorTable().find(c);
  return it == CursorTable().end() ? nullptr : &it->second;
}

void TScreen::SetCursorImage(TCursor c, const gfx::TBitmap& image, TColor transparent, int hotX, int hotY) {
  detail::EnsureQtApp();
  if (image.Empty()) {
    CursorTable().erase(c);
    return;
  }
  const int w = image.Width(), h = image.Height();
  const std::vector<std::uint32_t> rgb = image.ToRGB32();
  const std::uint32_t key = gfx::ColorToRGB(transparent);
  // 0x00BBGGRR colours against 0x00RRGGBB pixels.
  const std::uint32_t keyPixel = ((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF);
  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = rgb[static_cast<std::size_t>(y) * w + x] & 0xFFFFFFu;
      img.setPixel(x, y, p == keyPixel ? 0u : (p | 0xFF000000u));
    }
  CursorTable().insert_or_assign(c, QCursor(QPixmap::fromImage(img), hotX, hotY));
  if (cursor_ == c) SetCursor(c);
}

bool TScreen::HasCursorImage(TCursor c) const { return detail::TableCursor(c) != nullptr; }

void TScreen::SetCursor(TCursor c) {
  detail::EnsureQtApp();
  cursor_ = c;
  if (overrideCursor) {
    QApplication::restoreOverrideCursor();
    overrideCursor = false;
  }
  if (c == crDefault) return;
  if (const QCursor* own = detail::TableCursor(c)) {
    QApplication::setOverrideCursor(*own);
    overrideCursor = true;
    return;
  }
  Qt::CursorShape shape = Qt::ArrowCursor;
  switch (c) {
    case crHourGlass: shape = Qt::WaitCursor; break;
    case crAppStart: shape = Qt::BusyCursor; break;
    case crCross: shape = Qt::CrossCursor; break;
    case crIBeam: shape = Qt::IBeamCursor; break;
    case crSizeWE:
    case crHSplit: shape = Qt::SizeHorCursor; break;
    case crSizeNS:
    case crVSplit: shape = Qt::SizeVerCursor; break;
    case crHandPoint: shape = Qt::PointingHandCursor; break;
    case crNo:
    case crNoDrop: shape = Qt::ForbiddenCursor; break;
    case crSizeAll: shape = Qt::SizeAllCursor; break;
    default: break;
  }
  QApplication::setOverrideCursor(QCursor(shape));
  overrideCursor = true;
}

void TScreen::RemoveForm(TForm* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
  if (lastActive_ == f) lastActive_ = nullptr;
}

}  // namespace gui
