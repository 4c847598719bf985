// A report start timer that never fires: fuzz targets build reports
// without a window system's timers.
#pragma once
#include "report/vuzClassReport.h"

namespace fuzz_support {

class QuietTimer : public report::TfrxTimer {
 public:
  void SetInterval(unsigned) override {}
  void SetEnabled(bool value) override { enabled_ = value; }
  bool Enabled() const override { return enabled_; }

 private:
  bool enabled_ = false;
};

}  // namespace fuzz_support
