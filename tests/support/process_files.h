// Process files for tests and benchmarks: an archive file of any channel
// count and number of points, with its note file, written as the program
// writes them (app's file builder, an atomic save, the note file's keys).
#pragma once
#include <string>

#include "tests/support/recorder_model.h"

namespace support {

// The most points a 3-channel process can have: the recorder's memory full.
constexpr int kLargestProcessPoints = 21'706;

struct ProcessFileSpec {
  int channels = 3;  // 3, 4 or 5
  int points = 100;
  int period = 10;  // minutes between points
  sim::DateTime start;
  bool sht21 = true;
  std::string note1, note2;  // Windows-1251 text; "" writes no key
};

// The archive file's bytes: the header the recorder gives the process and
// its records (a plausible drying curve, sim::MakeProcess).
std::string ProcessArchiveBytes(const ProcessFileSpec& spec);

// Writes the archive file "YYMMDD_HHMM.bin" into folder (which must exist)
// and, when a note is given, its note file; answers the archive file's path.
std::string WriteProcessFile(const std::string& folder, const ProcessFileSpec& spec);

}  // namespace support
