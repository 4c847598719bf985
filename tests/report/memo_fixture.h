// A report stand-in for the text object's tests: evaluates names from a
// table, records the script's "Value", keeps styles, and lays text out with
// fixed metrics so that wrapping and heights do not depend on fonts.
#pragma once
#include <map>
#include <memory>

#include "model_fixture.h"
#include "platform/rtl/exceptions.h"
#include "report/vuzClassMemo.h"
#include "report/vuzStyles.h"

namespace report_test {

class TfrxMemoTestReport : public TfrxTestReport, public report::TfrxMemoReportLink {
 public:
  TfrxMemoTestReport() : styles(this) {}

  rtl::Variant Calc(const AnsiString& expression) override {
    ++calls;
    auto it = values.find(expression);
    if (it == values.end()) throw rtl::Exception("Unknown name: " + expression);
    return it->second;
  }
  void SetLocalValue(const rtl::Variant& value) override { localValue = value; }
  report::TfrxStyleItem* FindStyle(const AnsiString& name) override { return styles.Find(name); }
  report::TfrxDrawText* DrawText() override { return &layout; }

  std::map<AnsiString, rtl::Variant> values;
  rtl::Variant localValue;
  int calls = 0;
  report::TfrxStyles styles;
  report::TfrxDrawText layout;
};

// Every character advances half an em: 42 layout pixels (6.72 report pixels)
// in a 10-point font, whose line is 13.28 report pixels high.
inline const report::TfrxFixedTextMeasurer& HalfEmMeasurer() {
  static const report::TfrxFixedTextMeasurer measurer(0.5, 0.5);
  return measurer;
}

// A report with a page-less memo of its own; the engine's process-wide
// objects are started, and layout measures with fixed metrics.
struct MemoFixture {
  // Started before the report and its layout object are made.
  struct Started {
    Started() { report::ReportClassesStartup(); }
  } started;

  MemoFixture() {
    RegisterTestClasses();
    report->layout.SetMeasurer(&HalfEmMeasurer());
    memo->SetName("Memo1");
    memo->SetBounds(10, 20, 100, 50);
  }
  ~MemoFixture() {
    report.reset();
    report::ReportClassesShutdown();
  }
  std::unique_ptr<TfrxMemoTestReport> report = std::make_unique<TfrxMemoTestReport>();
  report::TfrxMemoView* memo = new report::TfrxMemoView(report.get());
};

}  // namespace report_test
