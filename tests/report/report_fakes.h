// Fakes of what the report object reaches in higher layers: the engine, the
// preview control and window, and the start timer. ReportHooksScope installs
// them for one test and puts the process-wide hooks back afterwards.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model_fixture.h"
#include "report/vuzClassReport.h"

namespace report_test {

using Log = std::vector<std::string>;

class FakeEngine : public report::TfrxCustomEngine {
 public:
  using TfrxCustomEngine::TfrxCustomEngine;
  bool Run() override {
    ++runs;
    return onRun ? onRun(*this) : true;
  }
  std::function<bool(FakeEngine&)> onRun;
  int runs = 0;
};

class FakeTimer : public report::TfrxTimer {
 public:
  void SetInterval(unsigned ms) override { interval = ms; }
  void SetEnabled(bool value) override { enabled = value; }
  bool Enabled() const override { return enabled; }
  // What the message loop does when the interval has passed.
  void Fire() {
    if (enabled && OnTimer) OnTimer();
  }
  unsigned interval = 0;
  bool enabled = true;  // a fresh timer runs until told otherwise
};

class FakePreview : public report::TfrxCustomPreview {
 public:
  explicit FakePreview(Log* log) : log_(log) {}
  void Init() override { log_->push_back("preview.Init"); }
  void Lock() override {}
  void Unlock() override {}
  void RefreshReport() override {}
  void InternalOnProgressStart(report::TfrxReport*, report::TfrxProgressType, int) override {
    log_->push_back("preview.start");
  }
  void InternalOnProgress(report::TfrxReport*, report::TfrxProgressType, int progress) override {
    log_->push_back("preview.page " + std::to_string(progress));
  }
  void InternalOnProgressStop(report::TfrxReport*, report::TfrxProgressType, int) override {
    log_->push_back("preview.stop");
  }

 private:
  Log* log_;
};

class FakePreviewForm : public report::TfrxCustomPreviewForm {
 public:
  explicit FakePreviewForm(Log* log) : log_(log), preview_(log) {}
  ~FakePreviewForm() override { log_->push_back("form.freed"); }
  report::TfrxCustomPreview* Preview() override { return &preview_; }
  void Init() override { log_->push_back("form.Init"); }
  void SetPositionDesigned() override { log_->push_back("form.designed"); }
  void ShowModal() override {
    log_->push_back("form.ShowModal");
    if (duringModal) duringModal();
  }
  void ShowModeless(bool appWindow) override { log_->push_back(appWindow ? "form.Show+appwindow" : "form.Show"); }
  void SetMessageText(const rtl::AnsiString& text, bool hint) override {
    log_->push_back((hint ? "form.hint " : "form.text ") + std::string(text));
  }
  void Close() override { log_->push_back("form.Close"); }
  // What happens inside the window's message loop.
  std::function<void()> duringModal;

 private:
  Log* log_;
  FakePreview preview_;
};

// Installs fake hooks for the reports made while it lives.
class ReportHooksScope {
 public:
  ReportHooksScope() : saved_(report::vuzReportHooks()) {
    RegisterTestClasses();
    report::TfrxReportHooks& h = report::vuzReportHooks();
    h.CreateTimer = [this] {
      auto t = std::make_unique<FakeTimer>();
      timers.push_back(t.get());
      return t;
    };
    h.CreateEngine = [](report::TfrxReport& r) { return std::make_unique<FakeEngine>(&r); };
    h.CreatePreviewForm = [this](report::TfrxReport&) {
      auto form = std::make_unique<FakePreviewForm>(&log);
      form->duringModal = duringModal;
      return form;
    };
  }
  ~ReportHooksScope() { report::vuzReportHooks() = saved_; }
  ReportHooksScope(const ReportHooksScope&) = delete;
  ReportHooksScope& operator=(const ReportHooksScope&) = delete;

  static FakeEngine& Engine(report::TfrxReport& r) { return static_cast<FakeEngine&>(*r.Engine()); }

  Log log;
  std::vector<FakeTimer*> timers;
  std::function<void()> duringModal;

 private:
  report::TfrxReportHooks saved_;
};

}  // namespace report_test
