// A printer for tests: logs what it is asked, draws pages on a recording
// canvas, and offers a few papers (custom, A4, A5, Letter unless told
// otherwise).
#pragma once
#include <cmath>
#include <string>
#include <vector>

#include "platform/gfx/recording_canvas.h"
#include "preview/vuzPrinter.h"
#include "report/vuzPaperSizes.h"

namespace preview_test {

using rtl::AnsiString;

// A printer that logs what it is asked and draws on a recording canvas.
class RecordingPrinter : public preview::TfrxCustomPrinter {
 public:
  explicit RecordingPrinter(bool initializes = true, const AnsiString& name = "Recorder",
                            std::vector<int> papers = {9, 11, 1})
      : TfrxCustomPrinter(name, "port-" + name),
        initializes_(initializes),
        paperNumbers_(std::move(papers)),
        canvas_(600, 600, {}, gfx::dkPrinter) {}
  void Init() override {
    initialized_ = initializes_;
    papers_.Clear();
    papers_.Add("Custom", report::DMPAPER_USER);
    for (int n : paperNumbers_) papers_.Add("Paper" + std::to_string(n), n);
    dpiX_ = dpiY_ = 600;
    leftMargin_ = topMargin_ = rightMargin_ = bottomMargin_ = 5;
    Size(report::DMPAPER_A4, 0, 0, preview::poPortrait);
  }
  void Abort() override { log.push_back("abort"); }
  void BeginDoc() override { log.push_back("begin-doc"); }
  void EndDoc() override { log.push_back("end-doc"); }
  void BeginPage() override {
    log.push_back("sheet");
    ++sheets;
  }
  void EndPage() override {}
  void BeginRAWDoc() override {}
  void EndRAWDoc() override {}
  void WriteRAWDoc(const AnsiString&) override {}
  void SetViewParams(int paper, long double w, long double h, preview::TPrinterOrientation o) override {
    Size(paper, w, h, o);
  }
  void SetPrintParams(int paper, long double w, long double h, preview::TPrinterOrientation o, int bin, int duplex,
                      int copies) override {
    Size(paper, w, h, o);
    log.push_back("params " + std::to_string(paper) + " " + std::to_string(std::lround(paperWidth_)) + "x" +
                  std::to_string(std::lround(paperHeight_)) + (o == preview::poLandscape ? " land" : " port") + " bin" +
                  std::to_string(bin) + " dup" + std::to_string(duplex) + " x" + std::to_string(copies));
  }
  void PropertiesDlg() override {}
  gfx::TCanvas& PageCanvas() override { return canvas_; }

  std::vector<std::string> log;
  int sheets = 0;

 private:
  bool initializes_;
  std::vector<int> paperNumbers_;

 public:
  gfx::TRecordingCanvas canvas_;

 private:
  void Size(int paper, long double w, long double h, preview::TPrinterOrientation o) {
    if (paper != report::DMPAPER_USER) report::vuzGetPaperDimensions(paper, w, h);
    paper_ = paper;
    orientation_ = o;
    paperWidth_ = o == preview::poLandscape ? h : w;
    paperHeight_ = o == preview::poLandscape ? w : h;
  }
};

}  // namespace preview_test
