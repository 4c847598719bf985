// Which device stands behind each COM number. Local serial devices are
// numbered automatically: /dev/ttyS<n> with real hardware is COM<n+1>, then
// /dev/ttyUSB* and /dev/ttyACM* take the lowest free numbers from COM3 up.
// The ports file ("ports" in the settings folder, rtl::SettingsFolder():
// $XDG_CONFIG_HOME/zarnik/, or ~/.config/zarnik/ when that is unset or not
// absolute) names any COM number explicitly, one per line:
//     COM3=/dev/ttyUSB0
//     COM7=rfc2217://127.0.0.1:4001
//     COM9=sim              (the in-process simulated recorder, virtual:sim)
// An explicit entry wins over the automatic numbering, and a device it names
// is not numbered again.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace serial {

struct PortMapEntry {
  int number = 0;      // the n of COMn
  std::string target;  // device path, rfc2217://host:port or virtual:<name>
};

// The whole map, ascending by number.
std::vector<PortMapEntry> ListPortMap();
// "COM1", "COM3", ...: the names the program's port list is built from.
std::vector<std::string> ListComPortNames();
// Answers the target of COMn, or false when no device has that number.
bool FindComPort(int number, std::string& target);

// Turns a device name as the serial component holds it ("\\.\COM3", "COM3",
// "Com2", or a target such as "/dev/ttyUSB0") into a target. Answers false
// with ERROR_FILE_NOT_FOUND set when it names no device.
bool ResolveDeviceName(std::string_view deviceName, std::string& target);

// Reads the ports file's text into entries; malformed lines are skipped.
std::vector<PortMapEntry> ParsePortsFile(std::string_view text);

std::string DefaultPortsFilePath();

// Test hooks: use another ports file ("" restores the default) and scan
// other folders for devices (empty devDir turns the scan off).
void SetPortsFilePathForTesting(const std::string& path);
void SetDeviceScanForTesting(const std::string& devDir, const std::string& sysClassTty);
void ResetPortMapForTesting();

}  // namespace serial
