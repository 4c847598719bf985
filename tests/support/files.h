// Whole files in and out, byte for byte, for tests that check what a unit
// wrote or feed it prepared bytes.
#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace support {

// Every byte of the file; "" when it cannot be read (a test then fails on
// the comparison that follows, naming the missing content).
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes bytes as the file's whole content; false when it cannot.
inline bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

}  // namespace support
