// The program's main window as it starts: offscreen, an empty Data folder
// beside a scratch program folder, COM1 naming a simulated recorder through
// the ports file, the real serial component, the clock injected.
#include "platform/serial/port_map.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;
using apptest::ArchiveName;
using apptest::ExpectedArchive;
using apptest::ReadFile;

namespace {

class EndToEnd : public apptest::FormFixture {
 public:
  void SetUp() override {
    const std::string name = "e2e-" + std::to_string(std::random_device{}());
    recorder = std::make_unique<sim::RegisteredRecorder>(name);
    recorder->Recorder().WithModel([](sim::RecorderModel& m) {
      sim::AddDemoProcesses(m);
      return 0;
    });
    portsFile = folder / "ports";
    std::ofstream(portsFile) << "COM1=" << recorder->Target() << "\n";
    serial::SetPortsFilePathForTesting(portsFile.string());
    serial::SetDeviceScanForTesting("", "");
  }
  void TearDown() override {
    form.reset();
    serial::ResetPortMapForTesting();
    recorder.reset();
  }
  // The window exactly as the program makes it.
  void Start() {
    form.reset();
    form.reset(new app::TForm1(nullptr));
    form->Timer1->SetEnabled(false);
    form->Timer1Timer(form->Timer1);  // the start-up timer's first tick
  }
  std::unique_ptr<sim::RegisteredRecorder> recorder;
  std::filesystem::path portsFile;
};

}  // namespace

TEST_F(EndToEnd, FirstStartDownloadsEverythingSecondStartNothing) {
  Start();
  EXPECT_TRUE(form->Comm1->Enabled());
  EXPECT_EQ(Panel(1), "Чтение завершено"_cp);
  const sim::RecorderModel stored = recorder->Recorder().WithModel([](sim::RecorderModel& m) { return m; });
  std::vector<std::string> expected;
  for (int slot = 0; slot < 3; ++slot) {
    expected.push_back(ArchiveName(stored, slot));
    EXPECT_EQ(ReadFile(DataFile(ArchiveName(stored, slot))), ExpectedArchive(stored, slot)) << slot;
  }
  EXPECT_EQ(DataFiles(), expected);
  ASSERT_EQ(Rows(), 4);
  for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(form->RowFileName(slot + 1), expected[std::size_t(slot)]);
  EXPECT_EQ(Cell(4, 1), "577");
  EXPECT_EQ(Cell(4, 2), "289");
  EXPECT_EQ(Cell(4, 3), "145");
  EXPECT_FALSE(form->VersionNotRead());

  std::vector<std::filesystem::file_time_type> times;
  for (const auto& n : expected) times.push_back(std::filesystem::last_write_time(DataFile(n)));
  const std::size_t requestsBefore = stored.requests.size();
  Start();
  EXPECT_EQ(Panel(1), "Чтение завершено"_cp);
  EXPECT_EQ(DataFiles(), expected);
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(std::filesystem::last_write_time(DataFile(expected[i])), times[i]) << expected[i];
  // The second read asked for each header and declined each.
  const auto after = recorder->Recorder().WithModel([](sim::RecorderModel& m) { return m.requests; });
  int headers = 0;
  for (std::size_t i = requestsBefore; i < after.size(); ++i) headers += after[i] == 0x06;
  EXPECT_EQ(headers, 3);
  EXPECT_EQ(recorder->Recorder().WithModel([](sim::RecorderModel& m) { return m.ProcessCount(); }), 3);
}
