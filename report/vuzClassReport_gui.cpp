// What the report object needs of the GUI layer: the message pump its
// progress operations run, and the timer that starts a build once the
// preview window is up.
#include "platform/gui/application.h"
#include "platform/gui/extctrls.h"
#include "report/vuzClassReport.h"

namespace report {

void vuzProcessMessages() { gui::Application->ProcessMessages(); }

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
