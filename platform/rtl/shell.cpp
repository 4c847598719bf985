#include "platform/rtl/shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
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
  const std::string native = target.find("://") != std::string::npos ? AnsiToUtf8(target) : NativePath(target);
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

}  // namespace rtl
