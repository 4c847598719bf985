// A recorder that disappears, stalls or sends garbage at any point of a read
// never leaves a truncated archive file, a temporary file or a changed file
// that was there before. The cut point sweeps across every answer of a read.
#include "tests/app/form_fixture.h"

using namespace rtl::literals;
using apptest::ArchiveName;
using apptest::ExpectedArchive;
using apptest::ReadFile;

namespace {

enum class Fault { kDisappears, kStalls, kGarbage };

class Robustness : public apptest::FormFixture, public ::testing::WithParamInterface<Fault> {
 public:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
    Create();
    // Everything the recorder says during one read.
    line->written.clear();
    form->ADataReadExecute(form->ADataRead);
    total = line->delivered;
  }

  // Data as it stands before each read: one stranger, one short copy of slot 2.
  void Prepare() {
    for (auto& e : std::filesystem::directory_iterator(folder / "Data")) std::filesystem::remove_all(e.path());
    std::ofstream(DataFile("120101_0000.bin"), std::ios::binary) << stranger;
    std::string shortCopy = ExpectedArchive(line->model, 2);
    shortCopy.resize(shortCopy.size() - 10);
    std::ofstream(DataFile(ArchiveName(line->model, 2)), std::ios::binary) << shortCopy;
    form->RefreshProcessList();
    line->model = *model;
    line->plugged = true;
    line->passBytes = -1;
    line->garbageAt = -1;
    line->delivered = 0;
    line->PurgeIn();
    clock.Advance(3000);
  }

  void CheckArchive(long cut) {
    SCOPED_TRACE("cut at answer byte " + std::to_string(cut));
    EXPECT_EQ(ReadFile(DataFile("120101_0000.bin")), stranger);
    for (const auto& name : DataFiles()) {
      ASSERT_EQ(name.substr(name.size() - 4), ".bin") << name;  // no ".b" left behind
      if (name == "120101_0000.bin") continue;
      int slot = -1;
      for (int s = 0; s < 3; ++s)
        if (ArchiveName(line->model, s) == name) slot = s;
      ASSERT_GE(slot, 0) << name;
      const std::string expected = ExpectedArchive(line->model, slot);
      const std::string actual = ReadFile(DataFile(name));
      if (slot == 2 && actual.size() == expected.size() - 10) {
        EXPECT_EQ(actual, expected.substr(0, actual.size())) << "the old copy changed";
        continue;
      }
      ASSERT_EQ(actual.size(), expected.size()) << name << " is truncated";
      if (GetParam() != Fault::kGarbage) {
        EXPECT_EQ(actual, expected) << name;
      }
    }
    EXPECT_FALSE(form->Link().Busy());
  }

  long total = 0;
  const std::string stranger =
      std::string("\x40\x03\x00\x00\x00\x00\x08\x01\x01\x0C\x02\x00\x05\x03\x00\x00", 16) + std::string(12, '\x22');
};

}  // namespace

TEST_P(Robustness, SweepTheCutPoint) {
  ASSERT_GT(total, 7000);
  int completed = 0;
  for (long cut = 0; cut < total; cut += 53) {
    Prepare();
    std::uint64_t cutSeen = 0;
    switch (GetParam()) {
      case Fault::kDisappears:
        line->passBytes = cut;
        // Five seconds after the line went dead the user gives up.
        clock.OnSleep = [&](std::uint32_t) {
          if (!line->plugged && !cutSeen) cutSeen = clock.NowMs();
          if (cutSeen && clock.NowMs() - cutSeen > 5000 && form->btnLinkCancel->Visible()) form->btnLinkCancel->Click();
        };
        break;
      case Fault::kStalls:
        line->passBytes = cut;
        // The line comes back after three seconds.
        clock.OnSleep = [&](std::uint32_t) {
          if (!line->plugged && !cutSeen) cutSeen = clock.NowMs();
          if (cutSeen && clock.NowMs() - cutSeen > 3000) {
            line->plugged = true;
            line->passBytes = -1;
          }
        };
        break;
      case Fault::kGarbage: line->garbageAt = cut; break;
    }
    form->ADataReadExecute(form->ADataRead);
    clock.OnSleep = nullptr;
    completed += Panel(1) == "Чтение завершено"_cp;
    CheckArchive(cut);
    if (GetParam() == Fault::kStalls) {
      // A stall only delays: everything arrives complete.
      for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(ReadFile(DataFile(ArchiveName(line->model, s))), ExpectedArchive(line->model, s)) << cut;
      }
    }
    if (HasFailure()) break;
  }
  if (GetParam() != Fault::kDisappears) {
    EXPECT_EQ(completed, (total + 52) / 53);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, Robustness, ::testing::Values(Fault::kDisappears, Fault::kStalls, Fault::kGarbage),
                         [](const auto& param_info) {
                           switch (param_info.param) {
                             case Fault::kDisappears: return std::string("Disappears");
                             case Fault::kStalls: return std::string("Stalls");
                             default: return std::string("Garbage");
                           }
                         });
