#include "platform/rtl/shell.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "platform/rtl/files.h"

extern char** environ;

namespace rtl {

namespace {
std::mutex& ProgramLock() {
  static std::mutex m;
  return m;
}
AnsiString& Program() {
  static AnsiString program = "xdg-open";
  return program;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

std::string NativeTarget(const AnsiString& target) {
  return target.find("://") != std::string::npos ? AnsiToUtf8(target) : NativePath(target);
}

// Closes a descriptor once, on every path out.
struct Fd {
  int fd = -1;
  ~Fd() { Close(); }
  void Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};
}  // namespace

void SetShellOpenProgram(const AnsiString& program) {
  std::lock_guard<std::mutex> lock(ProgramLock());
  Program() = program.empty() ? AnsiString("xdg-open") : program;
}

AnsiString ShellOpenProgram() {
  std::lock_guard<std::mutex> lock(ProgramLock());
  return Program();
}

bool ShellOpen(const AnsiString& target, bool wait) {
  const std::string program = NativePath(ShellOpenProgram());
  const std::string native = NativeTarget(target);
  // Waiting: the opener itself. Not waiting: a shell that starts the opener in
  // the background and ends at once, so no child is left to reap.
  std::string script = wait ? std::string() : "\"$0\" \"$1\" >/dev/null 2>&1 </dev/null &";
  std::vector<char*> argv;
  std::string sh = "/bin/sh", dashC = "-c";
  std::string prog = program, arg = native;
  if (wait) {
    argv = {prog.data(), arg.data(), nullptr};
  } else {
    argv = {sh.data(), dashC.data(), script.data(), prog.data(), arg.data(), nullptr};
  }
  pid_t pid = 0;
  const int rc = wait ? ::posix_spawnp(&pid, prog.c_str(), nullptr, nullptr, argv.data(), environ)
                      : ::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ);
  if (rc != 0) return false;
  const int status = WaitFor(pid);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TShellOpenOutcome ShellOpenWatched(const AnsiString& target, int waitMs, const std::function<void()>& idle) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return TShellOpenOutcome::Failed;
  Fd readEnd{fds[0]}, writeEnd{fds[1]};
  // The write end becomes descriptor 3 of the shell; a descriptor already
  // numbered 3 would keep its close-on-exec flag through dup2.
  if (writeEnd.fd == 3) {
    Fd moved{::fcntl(writeEnd.fd, F_DUPFD_CLOEXEC, 10)};
    if (moved.fd < 0) return TShellOpenOutcome::Failed;
    std::swap(writeEnd.fd, moved.fd);
  }
  // A shell starts a background subshell and ends at once (nothing is left
  // to reap); the subshell runs the opener, which does not inherit the pipe,
  // and writes its exit status into the pipe. Neither keeps our standard
  // streams open (whoever reads our output would wait for the viewer).
  std::string program = NativePath(ShellOpenProgram()), arg = NativeTarget(target);
  std::string sh = "/bin/sh", dashC = "-c";
  std::string script = "( \"$0\" \"$1\" 3>&-; echo $? >&3 ) </dev/null >/dev/null 2>&1 &";
  std::vector<char*> argv = {sh.data(), dashC.data(), script.data(), program.data(), arg.data(), nullptr};
  posix_spawn_file_actions_t actions;
  if (::posix_spawn_file_actions_init(&actions) != 0) return TShellOpenOutcome::Failed;
  ::posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 3);
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return TShellOpenOutcome::Failed;
  WaitFor(pid);
  writeEnd.Close();

  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(std::max(0, waitMs));
  std::string status;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    pollfd p{readEnd.fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 0, 20)));
    if (ready < 0 && errno != EINTR) return TShellOpenOutcome::Failed;
    if (ready > 0) {
      char buf[32];
      const ssize_t n = ::read(readEnd.fd, buf, sizeof buf);
      if (n > 0) {
        status.append(buf, static_cast<std::size_t>(n));
        if (status.size() > 16) return TShellOpenOutcome::Failed;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      // The subshell has ended: the status it wrote, or none if it was killed.
      if (status.empty()) return TShellOpenOutcome::Failed;
      return status == "0\n" ? TShellOpenOutcome::Opened : TShellOpenOutcome::Failed;
    }
    if (Clock::now() >= end) return TShellOpenOutcome::StillRunning;
    if (idle) idle();
  }
}

}  // namespace rtl
