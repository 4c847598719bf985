// ShowProcess of the largest processes the recorder holds (21,706 points of
// 3 channels, 13,024 points of 5) with the first paint of the chart or the
// data table, in the main window at 800 x 600 (the offscreen screen).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/FormMain.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/rtl/files.h"
#include "tests/app/fake_line.h"
#include "tests/app/header_builder.h"
#include "tests/support/scratch_folder.h"

namespace {

struct Window {
  rtl::ManualClock clock{1000000};
  rtl::ScopedClock use{clock};
  gui::DialogScript dialogs;
  support::ScratchFolder scratch{"zarnik-bench-"};
  std::filesystem::path folder = scratch.Folder();
  std::unique_ptr<app::TForm1> form;

  Window() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::filesystem::create_directories(folder / "Data");
    rtl::SetProgramFileName(rtl::FromNativePath((folder / "zarnik").string()));
    gui::Application->Initialize();
    gui::Application->SetTitle(app::kApplicationTitle);
    AddProcess(sim::MakeProcess(21706, 3, sim::DateTime{2013, 3, 1, 8, 0, 0}, 1));
    AddProcess(sim::MakeProcess(13024, 5, sim::DateTime{2013, 3, 7, 9, 5, 0}, 2));
    std::ofstream(folder / "Zarnik.ini") << "[FormMain]\nGraphVisible=1\n";
    app::TForm1Setup s;
    s.makePort = [this](comm::TThreadComm&) { return std::make_unique<apptest::FakeLine>(clock); };
    s.portNames = [] { return std::vector<std::string>{"COM1"}; };
    s.halt = [](int) {};
    form.reset(new app::TForm1(nullptr, s));
    form->Timer1->SetEnabled(false);
    form->SetBounds(0, 0, 1024, 720);
    form->Show();
  }
  ~Window() {
    form.reset();  // before the scratch folder goes
  }
  void AddProcess(const sim::ProcessSpec& p) {
    const app::TProcessHeader h = apptest::MakeHeader({.address = 0x340 | (1u << 21),  // SHT21
                                                       .min = p.start.minute,
                                                       .hour = p.start.hour,
                                                       .day = p.start.day,
                                                       .month = p.start.month,
                                                       .year = p.start.year - 2000,
                                                       .points = p.Points(),
                                                       .period = p.period,
                                                       .channels = p.channels});
    std::string bytes(h.Bytes.begin(), h.Bytes.end());
    for (std::uint16_t w : p.samples) {
      bytes += static_cast<char>(w & 0xFF);
      bytes += static_cast<char>(w >> 8);
    }
    std::ofstream(folder / "Data" / app::ProcessFileName(h), std::ios::binary) << bytes;
  }
};

std::unique_ptr<Window>& WindowSlot() {
  static std::unique_ptr<Window> w;
  return w;
}

Window& TheWindow() {
  if (!WindowSlot()) WindowSlot() = std::make_unique<Window>();
  return *WindowSlot();
}

// row 1: 21,706 points of 3 channels; row 2: 13,024 points of 5.
void ShowAndPaint(benchmark::State& state, int row, bool chartView) {
  Window& w = TheWindow();
  w.form->StringGridProcessList->SetRow(row);
  if (chartView)
    w.form->ADataGraphic->Execute(w.form->ADataGraphic);
  else
    w.form->ADataTable->Execute(w.form->ADataTable);
  gui::TControl& view = chartView ? static_cast<gui::TControl&>(*w.form->Chart1) : *w.form->StringGridData;
  for (auto _ : state) {
    w.form->ShowProcess();
    gui::TGrabbedImage img = gui::GrabImage(view);  // the first paint
    benchmark::DoNotOptimize(img.Pixels.data());
  }
  state.counters["points"] = w.form->Series1->Count();
}

void BM_Show21706x3_Chart(benchmark::State& s) { ShowAndPaint(s, 1, true); }
void BM_Show21706x3_Table(benchmark::State& s) { ShowAndPaint(s, 1, false); }
void BM_Show13024x5_Chart(benchmark::State& s) { ShowAndPaint(s, 2, true); }
void BM_Show13024x5_Table(benchmark::State& s) { ShowAndPaint(s, 2, false); }
BENCHMARK(BM_Show21706x3_Chart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Show21706x3_Table)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Show13024x5_Chart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Show13024x5_Table)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The window goes while the GUI is still there: left to the exit handlers it
  // would be destroyed after Qt and crash, leaving its scratch folder behind.
  WindowSlot().reset();
  return 0;
}
