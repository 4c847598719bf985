// A progress window whose Cancel is pressed as soon as it shows a given
// phase's message, installed as the GUI's progress window for a scope.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "report/vuzGuiHooks.h"
#include "report/vuzProgress.h"

namespace bifftest {

// A progress window whose Cancel was pressed in the phases named.
class CancelledProgress : public report::TfrxCustomProgress {
 public:
  explicit CancelledProgress(std::string phase) : phase_(std::move(phase)) {}
  void Execute(int, const rtl::AnsiString& message, bool, bool) override { message_ = message; }
  void SetMessage(const rtl::AnsiString& text) override { message_ = text; }
  const rtl::AnsiString& Message() const override { return message_; }
  bool Terminated() const override { return message_ == phase_; }

 private:
  std::string phase_;
  rtl::AnsiString message_;
};

struct CancelIn {
  explicit CancelIn(const std::string& phase) {
    saved = report::vuzGuiHooks().CreateProgress;
    report::vuzGuiHooks().CreateProgress = [phase] { return std::make_unique<CancelledProgress>(phase); };
  }
  ~CancelIn() { report::vuzGuiHooks().CreateProgress = saved; }
  std::function<std::unique_ptr<report::TfrxCustomProgress>()> saved;
};

}  // namespace bifftest
