// Helpers for the export tests: independent readers (Debian's Python,
// ImageMagick, unzip, LibreOffice) run on files we write, and small fixtures.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/platform/gfx/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace exporttest {

using gfx_test::Output;
using support::FindTool;
using support::ReadFile;
using support::WriteFile;

// A scratch folder (support::ScratchFolder) whose Path() has no trailing "/":
// these tests join names to it themselves.
class TempDir {
 public:
  std::string Path() const { return folder_.Folder().string(); }
  std::string File(const std::string& name) const { return folder_.File(name); }

 private:
  support::ScratchFolder folder_{"zarnik-export-"};
};

// Debian's interpreter: the one on PATH may lack Debian's modules.
inline constexpr const char* kPython = "/usr/bin/python3";

// Runs a shell command quietly; answers its exit status. (Not "Run": tests
// inherit a Run of their own.)
inline int Shell(const std::string& command) { return gfx_test::Run(command); }

inline bool PythonHas(const std::string& module) {
  return std::filesystem::exists(kPython) && Shell(std::string(kPython) + " -c 'import " + module + "'") == 0;
}

// Runs a Python program (written to a file in dir) with arguments and
// answers what it prints.
inline std::string RunPython(const TempDir& dir, const std::string& program, const std::string& args) {
  const std::string script = dir.File("check.py");
  WriteFile(script, program);
  return Output(std::string(kPython) + " '" + script + "' " + args + " 2>&1");
}

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

// A picture read through ImageMagick without its comment (which ImageMagick
// would otherwise copy into the PPM header).
inline gfx_test::RgbImage ReadWithImageMagick(const std::string& convert, const std::string& file) {
  const std::string plain = file + ".nocomment.png";
  if (Shell(Quote(convert) + " " + Quote(file) + " +set comment " + Quote("png:" + plain)) != 0) return {};
  return gfx_test::ReadWithImageMagick(convert, plain, file + ".ppm");
}

}  // namespace exporttest
