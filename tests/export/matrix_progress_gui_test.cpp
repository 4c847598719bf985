// The matrix's progress window: shown while Prepare runs with ShowProgress,
// advanced eleven steps, gone afterwards; nothing without the companion.
#include <gtest/gtest.h>

#include "export/vuzExportMatrix_gui.h"
#include "matrix_fixture.h"
#include "platform/gui/application.h"

using namespace report;

namespace {

TEST(MatrixProgressGui, PrepareShowsAndClosesItsWindow) {
  gui::Application->Initialize();
  vuzMatrixProgressGuiStartup();
  int starts = 0, ticks = 0, stops = 0, maximum = 0;
  TfrxIEMProgressHooks& hooks = vuzMatrixProgressHooks();
  // Count the calls around the installed window.
  const auto start = hooks.Start;
  const auto tick = hooks.Tick;
  const auto stop = hooks.Stop;
  hooks.Start = [&](int max, const AnsiString& message) {
    ++starts;
    maximum = max;
    start(max, message);
  };
  hooks.Tick = [&] {
    ++ticks;
    tick();
  };
  hooks.Stop = [&] {
    ++stops;
    stop();
  };
  {
    exporttest::MatrixFixture f;
    f.m.ShowProgress = true;
    f.AddMemo(0, 0, 10, 10, u"a");
    f.m.Prepare();
  }
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(maximum, 11);
  EXPECT_EQ(ticks, 11);
  EXPECT_EQ(stops, 1);
  {
    exporttest::MatrixFixture quiet;  // ShowProgress off
    quiet.AddMemo(0, 0, 10, 10, u"a");
    quiet.m.Prepare();
  }
  EXPECT_EQ(starts, 1);
  vuzMatrixProgressGuiShutdown();
  EXPECT_FALSE(vuzMatrixProgressHooks().Start);
}

}  // namespace
