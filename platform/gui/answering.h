// Whether anybody can answer a modal window in this process.
#pragma once

namespace gui {

// True while a DialogScript is in force or the toolkit has a real display;
// false on its offscreen and minimal platforms, where a modal window would
// wait for ever.
bool UserCanAnswer();

}  // namespace gui
