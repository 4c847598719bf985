// What the program sets up around its main window, in one place so that the
// tests run the windows as the program does: the report engine's
// process-wide objects and the windows the engines open through their
// handlers (message boxes, the preview, every export's dialog and progress,
// the chart's printing). Made after the application's Initialize, kept while
// the windows live.
#pragma once

namespace app {

class TProgramStartup {
 public:
  TProgramStartup();
  ~TProgramStartup();
  TProgramStartup(const TProgramStartup&) = delete;
  TProgramStartup& operator=(const TProgramStartup&) = delete;
};

}  // namespace app
