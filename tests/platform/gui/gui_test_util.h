// Shared helpers of the GUI tests.
#pragma once
#include <chrono>

#include "platform/gui/application.h"

namespace gui_test {

// Handles messages until pred holds; false if it does not within the limit
// (a failing test ends instead of hanging).
template <class Pred>
bool PumpUntil(Pred pred, int limitMs = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    gui::Application->HandleMessage(2);
  }
  return true;
}

}  // namespace gui_test
