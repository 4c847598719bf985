// The main window in a scratch program folder, its port on a simulated
// recorder (a polled fake line, or the real component on an in-process port),
// dialogs scripted and the clock injected.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/FormMain.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/rtl/files.h"
#include "tests/app/fake_line.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/simulated_recorder.h"

namespace apptest {

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// The archive file the recorder's slot should give: header and samples.
inline std::string ExpectedArchive(const sim::RecorderModel& m, int slot) {
  auto h = m.HeaderAt(slot);
  auto d = m.ProcessData(slot);
  std::string s(h.begin(), h.end());
  s.append(d.begin(), d.end());
  return s;
}

inline std::string ArchiveName(const sim::RecorderModel& m, int slot) {
  app::TProcessHeader h;
  auto raw = m.HeaderAt(slot);
  std::copy(raw.begin(), raw.end(), h.Bytes.begin());
  return app::ProcessFileName(h);
}

class FormFixture : public ::testing::Test {
 public:
  FormFixture() : use(clock) {
    std::filesystem::create_directories(folder / "Data");
    rtl::SetProgramFileName(rtl::FromNativePath((folder / "zarnik").string()));
    gui::Application->Initialize();
    gui::Application->SetTitle(app::kApplicationTitle);
    app::Recorder() = app::TRecorderState{};
  }
  ~FormFixture() override {
    form.reset();  // before the scratch folder goes
  }

  // Builds the window on a fake line; prepare runs on the line before start-up.
  app::TForm1* Create(std::function<void(FakeLine&)> prepare = nullptr) {
    form.reset();
    app::TForm1Setup s;
    s.makePort = [this, prepare](comm::TThreadComm&) {
      auto l = std::make_unique<FakeLine>(clock);
      line = l.get();
      if (model) line->model = *model;
      if (prepare) prepare(*line);
      return std::unique_ptr<app::TLinkPort>(std::move(l));
    };
    s.portNames = [] { return std::vector<std::string>{"COM1", "COM3"}; };
    s.halt = [this](int code) { haltCode = code; };
    form.reset(new app::TForm1(nullptr, s));
    form->Timer1->SetEnabled(false);  // tests run its ticks themselves
    return form.get();
  }

  // The start-up timer's first tick: the automatic read.
  void FirstTick() { form->Timer1Timer(form->Timer1); }

  std::filesystem::path DataFile(const std::string& name) { return folder / "Data" / name; }
  std::string Panel(int i) { return form->StatusBar1->PanelText(i); }
  int Rows() { return form->StringGridProcessList->RowCount(); }
  std::string Cell(int c, int r) { return form->StringGridProcessList->Cells(c, r); }
  std::vector<std::string> DataFiles() {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder / "Data")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Frames the program sent that begin with a, b.
  int Sent(std::uint8_t a, std::uint8_t b) {
    int n = 0;
    for (const auto& f : line->frames) n += f.size() >= 2 && f[0] == a && f[1] == b;
    return n;
  }
  // The index of the first frame that begins with these bytes, -1 if none.
  int FrameIndex(std::vector<std::uint8_t> start) {
    for (std::size_t i = 0; i < line->frames.size(); ++i)
      if (line->frames[i].size() >= start.size() && std::equal(start.begin(), start.end(), line->frames[i].begin()))
        return int(i);
    return -1;
  }

  rtl::ManualClock clock{1000000};
  rtl::ScopedClock use;
  gui::DialogScript dialogs;
  ScratchFolder scratch{"zarnik-app-"};
  std::filesystem::path folder = scratch.Folder();
  std::unique_ptr<app::TForm1> form;
  std::unique_ptr<sim::RecorderModel> model;  // copied onto the line at start-up
  FakeLine* line = nullptr;
  int haltCode = -1;
};

}  // namespace apptest
