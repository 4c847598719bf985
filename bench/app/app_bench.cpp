// The recorder program's two heavy paths: rebuilding the process list from an
// archive of 1,000 processes, and downloading a full 21,706-point process
// from the simulated recorder without line pacing (the clock is injected, so
// the byte spacing and pauses of the protocol cost nothing: what is measured
// is the host's own work).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "app/FormMain.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/rtl/files.h"
#include "tests/app/fake_line.h"
#include "tests/support/simulated_recorder.h"

namespace fs = std::filesystem;

namespace {

// A scratch program folder with its Data folder, removed at the end.
struct ProgramFolder {
  ProgramFolder() {
    path = fs::temp_directory_path() / ("zarnik-app-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(path / "Data");
    rtl::SetProgramFileName(rtl::FromNativePath((path / "zarnik").string()));
    gui::Application->Initialize();
    gui::Application->SetTitle(app::kApplicationTitle);
  }
  ~ProgramFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

void WriteArchive(const fs::path& data, int index) {
  app::TProcessHeader h;
  h.Bytes[0] = 0x40;
  h.Bytes[1] = 0x03;
  h.Bytes[5] = std::uint8_t(index % 60);
  h.Bytes[6] = std::uint8_t(index / 60 % 24);
  h.Bytes[7] = std::uint8_t(1 + index / 1440 % 28);
  h.Bytes[8] = std::uint8_t(1 + index / 40320 % 12);
  h.Bytes[9] = 13;
  h.SetPoints(1441);
  h.Bytes[12] = 1;
  h.SetChannels(3);
  std::string bytes(h.Bytes.begin(), h.Bytes.end());
  bytes.append(1441 * 6, '\x10');
  std::ofstream(data / app::ProcessFileName(h), std::ios::binary) << bytes;
  if (index % 3 == 0) app::TForm1::WriteNote(app::ProcessFileName(h), 1, "Кирпич " + std::to_string(index % 17));
}

app::TForm1Setup OnFakeLine(rtl::ManualClock& clock, apptest::FakeLine*& line, const sim::RecorderModel& model) {
  app::TForm1Setup s;
  s.makePort = [&clock, &line, model](comm::TThreadComm&) {
    auto l = std::make_unique<apptest::FakeLine>(clock);
    l->model = model;
    line = l.get();
    return std::unique_ptr<app::TLinkPort>(std::move(l));
  };
  s.portNames = [] { return std::vector<std::string>{"COM1"}; };
  return s;
}

void BM_RefreshProcessList1000(benchmark::State& state) {
  ProgramFolder folder;
  for (int i = 0; i < 1000; ++i) WriteArchive(folder.path / "Data", i);
  rtl::ManualClock clock;
  rtl::ScopedClock use(clock);
  gui::DialogScript dialogs;
  apptest::FakeLine* line = nullptr;
  sim::RecorderModel model;
  app::TForm1 form(nullptr, OnFakeLine(clock, line, model));
  form.Timer1->SetEnabled(false);
  const bool byNote = state.range(0) != 0;
  form.ASortByNote1->SetChecked(byNote);
  form.ASortByDateTime->SetChecked(!byNote);
  for (auto _ : state) form.RefreshProcessList();
  state.counters["rows"] = form.StringGridProcessList->RowCount() - 1;
}
BENCHMARK(BM_RefreshProcessList1000)->Arg(0)->Arg(1)->ArgName("byNote")->Unit(benchmark::kMillisecond);

sim::RecorderModel FullRecorder() {
  sim::RecorderModel m;
  m.AddProcess(sim::MakeProcess(21706, 3, sim::DateTime{2013, 5, 1, 6, 0, 0}, 1));
  return m;
}

// The whole read: version, type, clock, directory, then the 21,706 records.
void BM_Download21706PointsLinkOnly(benchmark::State& state) {
  ProgramFolder folder;
  rtl::ManualClock clock;
  rtl::ScopedClock use(clock);
  gui::DialogScript dialogs;
  apptest::FakeLine* line = nullptr;
  app::TForm1 form(nullptr, OnFakeLine(clock, line, FullRecorder()));
  form.Timer1->SetEnabled(false);
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(folder.path / "Data" / "130501_0600.bin");
    form.RefreshProcessList();
    clock.Advance(3000);
    state.ResumeTiming();
    form.ADataReadExecute(form.ADataRead);
  }
  if (fs::file_size(folder.path / "Data" / "130501_0600.bin") != 16 + 21706 * 6) state.SkipWithError("incomplete");
  state.SetBytesProcessed(state.iterations() * (16 + 21706 * 6));
}
BENCHMARK(BM_Download21706PointsLinkOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
