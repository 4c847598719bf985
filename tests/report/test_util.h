// Helpers shared by the report engine's tests; files, scratch folders and
// external programs come from tests/support.
#pragma once
#include <initializer_list>
#include <random>
#include <string>

#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace report_test {

inline std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s.push_back(static_cast<char>(b));
  return s;
}

inline std::string RandomBytes(std::size_t n, unsigned seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng() % alphabet);
  return s;
}

}  // namespace report_test
