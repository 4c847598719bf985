// ShowProcess of the largest processes the recorder holds (21,706 points of
// 3 channels, 13,024 points of 5) with the first paint of the chart or the
// data table, in the main window at 800 x 600 (the offscreen screen).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/FormMain.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/rtl/files.h"
#include "tests/app/fake_line.h"

namespace {

struct Window {
  rtl::ManualClock clock{1000000};
  rtl::ScopedClock use{clock};
  gui::DialogScript dialogs;
  std::filesystem::path folder;
  std::unique_ptr<app::TForm1> form;

  Window() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    folder = std::filesystem::temp_directory_path() / ("zarnik-bench-" + std::to_string(std::random_device{}()));
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
    form.reset();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  void AddProcess(const sim::ProcessSpec& p) {
    app::TProcessHeader h;
    h.Bytes[0] = 0x40;
    h.Bytes[1] = 0x03;
    h.Bytes[2] = 0x20;
    h.Bytes[5] = static_cast<std::uint8_t>(p.start.minute);
    h.Bytes[6] = static_cast<std::uint8_t>(p.start.hour);
    h.Bytes[7] = static_cast<std::uint8_t>(p.start.day);
    h.Bytes[8] = static_cast<std::uint8_t>(p.start.month);
    h.Bytes[9] = static_cast<std::uint8_t>(p.start.year - 2000);
    h.SetPoints(static_cast<std::uint16_t>(p.Points()));
    h.Bytes[12] = static_cast<std::uint8_t>(p.period);
    h.SetChannels(p.channels);
    std::string bytes(h.Bytes.begin(), h.Bytes.end());
    for (std::uint16_t w : p.samples) {
      bytes += static_cast<char>(w & 0xFF);
      bytes += static_cast<char>(w >> 8);
    }
    std::ofstream(folder / "Data" / app::ProcessFileName(h), std::ios::binary) << bytes;
  }
};

Window& TheWindow() {
  static Window w;
  return w;
}

// row 1: 21,706 points of 3 channels; row 2: 13,024 points of 5.
void ShowAndPaint(benchmark::State& state, int row, bool chartView) {
  Window& w = TheWindow();
  w.form->StringGridProcessList->SetRow(row);
  if (chartView) w.form->ADataGraphic->Execute(w.form->ADataGraphic);
  else w.form->ADataTable->Execute(w.form->ADataTable);
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

BENCHMARK_MAIN();
