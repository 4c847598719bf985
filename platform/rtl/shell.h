// Opening a file or an address with the desktop's associated program (the
// shell's "open" verb), through xdg-open.
#pragma once
#include <functional>

#include "platform/rtl/strings.h"

namespace rtl {

// Starts the opener on target (a 1251 file name or an address) and returns at
// once; the opener's own failures (no associated program) are its business.
// Answers false when the opener cannot be started. With wait, waits for the
// opener and answers whether it exited with 0.
bool ShellOpen(const AnsiString& target, bool wait = false);

// How the opener fared while it was watched.
enum class TShellOpenOutcome {
  Opened,        // it ended well
  StillRunning,  // it had not ended (some openers wait for the viewer)
  Failed,        // it could not be started or ended with a failure
};

// Starts the opener on target without waiting for what it opens and watches
// it for up to waitMs milliseconds of real time, running idle between looks
// (a window keeps answering). Failed tells that no viewer showed the file:
// no opener installed, nothing associated with the file type, no desktop.
// An opener still running afterwards is left to finish on its own.
TShellOpenOutcome ShellOpenWatched(const AnsiString& target, int waitMs, const std::function<void()>& idle = {});

// The program that opens things ("xdg-open" by default; tests point it at a
// script of their own).
void SetShellOpenProgram(const AnsiString& program);
AnsiString ShellOpenProgram();

}  // namespace rtl
