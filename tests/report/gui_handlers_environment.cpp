// The report tests run with the GUI's handlers installed, as the program
// does: windows, message boxes (answered through gui::DialogScript) and the
// progress window are what they check. Tests of the headless defaults take
// the handlers away for their own run (GuiHooksScope).
#include <gtest/gtest.h>

#include "report/vuzUtils_gui.h"

namespace {
class GuiHandlers : public ::testing::Environment {
 public:
  void SetUp() override { report::vuzUseGuiHandlers(); }
};
[[maybe_unused]] ::testing::Environment* const kGuiHandlers = ::testing::AddGlobalTestEnvironment(new GuiHandlers);
}  // namespace
