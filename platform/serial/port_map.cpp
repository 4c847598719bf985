#include "platform/serial/port_map.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/rtl/files.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/textcase.h"
#include "platform/serial/win32_comm.h"

namespace serial {

namespace fs = std::filesystem;

namespace {

std::mutex configMutex;
std::string portsFileOverride;
bool scanOverridden = false;
std::string devDirOverride, sysDirOverride;

// A ports file names at most a few hundred ports; more is not read.
constexpr std::size_t kPortsFileReadLimit = 64 * 1024;

// At most limit bytes of a regular file. A named pipe or a device in the
// file's place (a link to /dev/zero, say) is not read at all, and the open
// does not wait for a writer.
bool ReadSmallRegularFile(const std::string& path, std::size_t limit, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  text.clear();
  while (ok && text.size() < limit) {
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit - text.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok;
}

// "COM12" (any case) -> 12; 0 when the text is not a COM name.
int ComNumber(std::string_view name) {
  if (name.size() < 4) return 0;
  for (int i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  int n = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    n = n * 10 + (name[i] - '0');
    if (n > 255) return 0;
  }
  return n;
}

std::string NormaliseTarget(const std::string& target) {
  if (target == "sim") return "virtual:sim";
  return target;
}

// Numbered tty devices of one family ("ttyUSB" -> {0: "/dev/ttyUSB0", ...}).
std::map<int, std::string> ScanFamily(const std::string& devDir, const std::string& prefix) {
  std::map<int, std::string> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(devDir, ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0 || name.size() == prefix.size()) continue;
    std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
      continue;
    found[std::atoi(digits.c_str())] = entry.path().string();
  }
  return found;
}

// A ttyS node exists for every possible legacy port; only those backed by
// a real (non-platform) device are worth listing.
bool HasRealHardware(const std::string& sysDir, const std::string& name) {
  std::error_code ec;
  fs::path device = fs::path(sysDir) / name / "device";
  if (!fs::exists(device, ec)) return false;
  fs::path subsystem = fs::read_symlink(device / "subsystem", ec);
  if (ec) return true;
  return subsystem.filename() != "platform";
}

}  // namespace

std::string DefaultPortsFilePath() { return rtl::NativePath(rtl::SettingsFolder() + "ports"); }

std::vector<PortMapEntry> ParsePortsFile(std::string_view text) {
  std::vector<PortMapEntry> entries;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    std::string t = rtl::Trim(line);
    if (t.empty() || t[0] == '#' || t[0] == ';') continue;
    auto eq = t.find('=');
    if (eq == std::string::npos) continue;
    int n = ComNumber(rtl::Trim(std::string_view(t).substr(0, eq)));
    std::string target = rtl::Trim(std::string_view(t).substr(eq + 1));
    if (n <= 0 || target.empty()) continue;
    entries.push_back({n, NormaliseTarget(target)});
  }
  return entries;
}

std::vector<PortMapEntry> ListPortMap() {
  std::string portsFile, devDir = "/dev", sysDir = "/sys/class/tty";
  {
    std::lock_guard<std::mutex> lock(configMutex);
    portsFile = portsFileOverride.empty() ? DefaultPortsFilePath() : portsFileOverride;
    if (scanOverridden) {
      devDir = devDirOverride;
      sysDir = sysDirOverride;
    }
  }
  std::map<int, std::string> map;
  std::set<std::string> named;
  {
    std::string text;
    if (ReadSmallRegularFile(portsFile, kPortsFileReadLimit, text)) {
      for (auto& e : ParsePortsFile(text)) {
        map[e.number] = e.target;  // a later line for the same number wins
      }
      for (auto& [n, t] : map) named.insert(t);
    }
  }
  if (!devDir.empty()) {
    for (auto& [n, path] : ScanFamily(devDir, "ttyS")) {
      if (n >= 255 || named.count(path) || map.count(n + 1)) continue;
      if (!HasRealHardware(sysDir, "ttyS" + std::to_string(n))) continue;
      map[n + 1] = path;
    }
    int next = 3;
    for (const char* family : {"ttyUSB", "ttyACM"}) {
      for (auto& [n, path] : ScanFamily(devDir, family)) {
        if (named.count(path)) continue;
        while (map.count(next)) ++next;
        if (next > 255) break;
        map[next] = path;
      }
    }
  }
  std::vector<PortMapEntry> out;
  for (auto& [n, t] : map) out.push_back({n, t});
  return out;
}

std::vector<std::string> ListComPortNames() {
  std::vector<std::string> names;
  for (auto& e : ListPortMap()) names.push_back("COM" + std::to_string(e.number));
  return names;
}

bool FindComPort(int number, std::string& target) {
  for (auto& e : ListPortMap()) {
    if (e.number == number) {
      target = e.target;
      return true;
    }
  }
  return false;
}

bool ResolveDeviceName(std::string_view name, std::string& target) {
  std::string_view n = name;
  if (n.size() > 4 && (n.substr(0, 4) == "\\\\.\\" || n.substr(0, 4) == "//./")) n.remove_prefix(4);
  if (int number = ComNumber(n)) {
    if (FindComPort(number, target)) return true;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  std::string t = NormaliseTarget(rtl::Trim(n));
  if (t.empty() || (t[0] != '/' && t.rfind("rfc2217://", 0) != 0 && t.rfind("virtual:", 0) != 0)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  target = t;
  return true;
}

void SetPortsFilePathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(configMutex);
  portsFileOverride = path;
}

void SetDeviceScanForTesting(const std::string& devDir, const std::string& sysClassTty) {
  std::lock_guard<std::mutex> lock(configMutex);
  scanOverridden = true;
  devDirOverride = devDir;
  sysDirOverride = sysClassTty;
}

void ResetPortMapForTesting() {
  std::lock_guard<std::mutex> lock(configMutex);
  portsFileOverride.clear();
  scanOverridden = false;
}

}  // namespace serial
