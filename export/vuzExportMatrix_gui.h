// The layout matrix's progress window: Prepare reports its eleven steps
// through vuzMatrixProgressHooks(); this companion points them at the
// engine's progress window (a bar, "ProgressWait", no Cancel button). The
// program calls vuzMatrixProgressGuiStartup at GUI start-up; without it a
// matrix shows nothing, as in every headless run.
#pragma once

namespace report {

void vuzMatrixProgressGuiStartup();
// Removes the hooks (and a window still open).
void vuzMatrixProgressGuiShutdown();

}  // namespace report
