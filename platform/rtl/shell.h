// Opening a file or an address with the desktop's associated program (the
// shell's "open" verb), through xdg-open.
#pragma once
#include "platform/rtl/strings.h"

namespace rtl {

// Starts the opener on target (a 1251 file name or an address) and returns at
// once; the opener's own failures (no associated program) are its business.
// Answers false when the opener cannot be started. With wait, waits for the
// opener and answers whether it exited with 0.
bool ShellOpen(const AnsiString& target, bool wait = false);

// The program that opens things ("xdg-open" by default; tests point it at a
// script of their own).
void SetShellOpenProgram(const AnsiString& program);
AnsiString ShellOpenProgram();

}  // namespace rtl
