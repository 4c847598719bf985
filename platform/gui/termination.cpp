#include "platform/gui/termination.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "platform/gui/application.h"
#include "platform/gui/forms.h"

namespace gui {

namespace {

int wakePipe[2] = {-1, -1};

// Only async-signal-safe calls here: one byte into the pipe wakes the loop.
extern "C" void NoteTerminationSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);
  errno = saved;
}

void CloseMainForm() {
  char bytes[16];
  while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
  }
  // The main form's close handler saves the settings and stops device work
  // as a cancel does; ending the application then closes whatever modal box
  // or dialog is open as cancelled, so the code waiting on it unwinds.
  if (TForm* main = Application->MainForm()) main->Close();
  Application->Terminate();
}

}  // namespace

void CloseMainFormOnTerminationSignals() {
  if (wakePipe[0] >= 0 || !QCoreApplication::instance()) return;
  if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] { CloseMainForm(); });
  struct sigaction action {};
  action.sa_handler = NoteTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace gui
