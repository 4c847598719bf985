// The timer that starts a build once the preview window is up, on the GUI
// layer's timer.
#include "platform/gui/extctrls.h"
#include "report/vuzClassReport.h"
#include "report/vuzUtils_gui.h"

namespace report {

namespace {
class TfrxGuiTimer : public TfrxTimer {
 public:
  TfrxGuiTimer() : timer_(nullptr) {
    timer_.SetEnabled(false);
    timer_.OnTimer = [this](rtl::TObject*) {
      if (OnTimer) OnTimer();
    };
  }
  void SetInterval(unsigned ms) override { timer_.SetInterval(ms); }
  void SetEnabled(bool enabled) override { timer_.SetEnabled(enabled); }
  bool Enabled() const override { return timer_.Enabled(); }

 private:
  gui::TTimer timer_;
};
}  // namespace

std::unique_ptr<TfrxTimer> vuzCreateGuiTimer() { return std::make_unique<TfrxGuiTimer>(); }

}  // namespace report
