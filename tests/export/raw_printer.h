// A printer that keeps the RAW jobs it is sent, and a scope that makes two
// of them ("First", current, and "Second") the printer list.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/recording_canvas.h"
#include "preview/vuzPrinter.h"

namespace export_test {

class RawPrinter : public preview::TfrxCustomPrinter {
 public:
  explicit RawPrinter(const char* name) : TfrxCustomPrinter(name, ""), canvas_(600, 600, {}, gfx::dkPrinter) {}
  void Init() override {}
  void Abort() override {}
  void BeginDoc() override {}
  void EndDoc() override {}
  void BeginPage() override {}
  void EndPage() override {}
  void BeginRAWDoc() override { jobs.emplace_back(); }
  void EndRAWDoc() override { ++ended; }
  void WriteRAWDoc(const rtl::AnsiString& block) override { jobs.back().push_back(block); }
  void SetViewParams(int, long double, long double, preview::TPrinterOrientation) override {}
  void SetPrintParams(int, long double, long double, preview::TPrinterOrientation, int, int, int) override {}
  void PropertiesDlg() override {}
  gfx::TCanvas& PageCanvas() override { return canvas_; }
  std::vector<std::vector<std::string>> jobs;
  int ended = 0;

 private:
  gfx::TRecordingCanvas canvas_;
};

struct RawPrinterScope {
  RawPrinterScope() {
    preview::vuzResetPrinters();
    auto first = std::make_unique<RawPrinter>("First");
    auto second = std::make_unique<RawPrinter>("Second");
    a = first.get();
    b = second.get();
    preview::vuzPrinters().AddPrinter(std::move(first));
    preview::vuzPrinters().AddPrinter(std::move(second));
    preview::vuzPrinters().SetPrinterIndex(preview::vuzPrinters().IndexOf("First"));
  }
  ~RawPrinterScope() { preview::vuzResetPrinters(); }
  RawPrinterScope(const RawPrinterScope&) = delete;
  RawPrinterScope& operator=(const RawPrinterScope&) = delete;
  RawPrinter* a;
  RawPrinter* b;
};

}  // namespace export_test
