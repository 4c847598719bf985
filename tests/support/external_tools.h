// Finding the independent programs tests check our output with (LibreOffice,
// ImageMagick, poppler, libwmf, xmllint, gzip, Debian's Python). A test whose
// program is missing skips with a message naming the Debian package:
//
//   std::string convert = support::FindTool("convert");
//   if (convert.empty()) GTEST_SKIP() << support::Missing("convert", "imagemagick");
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace support {

// A regular file someone may execute.
inline bool IsProgram(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::file_status st = fs::status(path, ec);
  return !ec && fs::is_regular_file(st) &&
         (st.permissions() & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) !=
             fs::perms::none;
}

// The full name of a program, or "" when it is not installed. /usr/bin comes
// first: other copies on PATH may be wrappers or builds without Debian's
// modules (a pyenv python3, for one).
inline std::string FindTool(const std::string& name) {
  if (IsProgram("/usr/bin/" + name)) return "/usr/bin/" + name;
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && IsProgram(dir + "/" + name)) return dir + "/" + name;
  return {};
}

// The skip message for a missing program.
inline std::string Missing(const std::string& tool, const std::string& package) {
  return "needs " + tool + " (Debian package " + package + ")";
}

// What a shell command writes to its standard output ("" when it cannot start).
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// The start of a LibreOffice headless command line: a private profile in
// profileDir, no restore dialog, and a time bound that also kills (its
// launcher has been seen to ignore the stop and wait for ever once the
// office process behind it had died).
inline std::string LibreOfficeCommand(const std::string& soffice, const std::string& profileDir, int seconds = 300) {
  return "timeout -k 10 " + std::to_string(seconds) + " '" + soffice + "' -env:UserInstallation=file://" + profileDir +
         " --headless --norestore";
}

}  // namespace support
