#include "platform/serial/port_map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/rtl/registry.h"
#include "platform/serial/win32_comm.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;
using namespace serial;

namespace {

// A fake /dev and /sys/class/tty plus a ports file, all in a temporary folder.
class PortMapFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root / "dev");
    fs::create_directories(root / "sys");
    SetDeviceScanForTesting((root / "dev").string(), (root / "sys").string());
    SetPortsFilePathForTesting((root / "ports").string());
  }
  void TearDown() override { ResetPortMapForTesting(); }
  void Device(const std::string& name) { std::ofstream(root / "dev" / name) << ""; }
  // A ttyS node whose device hangs off the given bus.
  void LegacyPort(const std::string& name, const std::string& bus) {
    Device(name);
    fs::create_directories(root / "sys" / name / "device");
    fs::create_directories(root / "bus" / bus);
    fs::create_directory_symlink(root / "bus" / bus, root / "sys" / name / "device" / "subsystem");
  }
  void PortsFile(const std::string& text) { std::ofstream(root / "ports") << text; }
  std::string Dev(const std::string& name) { return (root / "dev" / name).string(); }

  support::ScratchFolder scratch{"zarnik-portmap-"};
  const fs::path root = scratch.Folder();
};

}  // namespace

TEST(PortsFile, ParsesEntriesAndSkipsWhatIsNotOne) {
  auto entries = ParsePortsFile(
      "# my ports\n"
      "COM3=/dev/ttyUSB0\n"
      "  com7 = rfc2217://127.0.0.1:4001  \n"
      "COM9=sim\n"
      "; another comment\n"
      "COMX=/dev/ttyS0\n"
      "COM0=/dev/ttyS0\n"
      "COM5=\n"
      "LPT1=/dev/lp0\n"
      "no equals sign\n"
      "\r\n");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].number, 3);
  EXPECT_EQ(entries[0].target, "/dev/ttyUSB0");
  EXPECT_EQ(entries[1].number, 7);
  EXPECT_EQ(entries[1].target, "rfc2217://127.0.0.1:4001");
  EXPECT_EQ(entries[2].number, 9);
  EXPECT_EQ(entries[2].target, "virtual:sim");
}

TEST_F(PortMapFixture, NumbersLocalDevicesAndHonoursTheFile) {
  LegacyPort("ttyS0", "platform");  // a placeholder without hardware
  LegacyPort("ttyS1", "pnp");
  Device("ttyUSB0");
  Device("ttyUSB1");
  Device("ttyACM0");
  Device("ttyUSBx");
  PortsFile("COM3=rfc2217://127.0.0.1:4001\nCOM7=" + Dev("ttyUSB1") + "\nCOM9=sim\n");

  auto map = ListPortMap();
  std::vector<std::pair<int, std::string>> got;
  for (auto& e : map) got.emplace_back(e.number, e.target);
  std::vector<std::pair<int, std::string>> want = {
      {2, Dev("ttyS1")},   {3, "rfc2217://127.0.0.1:4001"},
      {4, Dev("ttyUSB0")}, {5, Dev("ttyACM0")},
      {7, Dev("ttyUSB1")}, {9, "virtual:sim"},
  };
  EXPECT_EQ(got, want);
  EXPECT_EQ(ListComPortNames(), (std::vector<std::string>{"COM2", "COM3", "COM4", "COM5", "COM7", "COM9"}));
}

TEST_F(PortMapFixture, ResolvesTheNamesTheComponentUses) {
  LegacyPort("ttyS1", "pci");
  PortsFile("COM9=sim\n");
  std::string target;
  EXPECT_TRUE(ResolveDeviceName("\\\\.\\COM9", target));
  EXPECT_EQ(target, "virtual:sim");
  EXPECT_TRUE(ResolveDeviceName("Com2", target));
  EXPECT_EQ(target, Dev("ttyS1"));
  EXPECT_TRUE(ResolveDeviceName("/dev/pts/5", target));
  EXPECT_EQ(target, "/dev/pts/5");
  SetLastError(0);
  EXPECT_FALSE(ResolveDeviceName("\\\\.\\COM42", target));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(ResolveDeviceName("printer", target));
  EXPECT_FALSE(ResolveDeviceName("", target));
}

TEST_F(PortMapFixture, EmptyWithoutDevicesOrFile) { EXPECT_TRUE(ListPortMap().empty()); }

// What stands in the ports file's place must not stall or flood the listing.
TEST_F(PortMapFixture, PortsFileThatIsNotARegularFileIsIgnored) {
  fs::create_symlink("/dev/zero", root / "ports");
  EXPECT_TRUE(ListPortMap().empty());
  fs::remove(root / "ports");
  ASSERT_EQ(std::system(("mkfifo '" + (root / "ports").string() + "'").c_str()), 0);
  EXPECT_TRUE(ListPortMap().empty());
  fs::remove(root / "ports");
  // A huge file is read only as far as a ports file can reach.
  PortsFile("COM4=sim\n" + std::string(8 << 20, '#') + "\nCOM5=sim\n");
  EXPECT_EQ(ListComPortNames(), std::vector<std::string>{"COM4"});
}

TEST(PortsFilePath, FollowsTheConfigurationFolder) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(DefaultPortsFilePath(), "/tmp/cfg/zarnik/ports");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_NE(DefaultPortsFilePath().find("/.config/zarnik/ports"), std::string::npos);
  // The same folder as the settings store, wherever that is put.
  rtl::SetSettingsFolder("/scratch/cfg");
  EXPECT_EQ(DefaultPortsFilePath(), "/scratch/cfg/ports");
  rtl::SetSettingsFolder("");
  if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}
