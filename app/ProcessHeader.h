// The recorder's process header (16 bytes, the same in the recorder's memory,
// on the line and at the start of every archive file), the texts built from
// it, the humidity sensor's conversion, the archive folder, and the
// process-wide state the program keeps about the recorder.
#pragma once
#include <array>
#include <cstdint>

#include "platform/rtl/strings.h"

namespace app {

using rtl::AnsiString;

// Little-endian layout; see the field accessors for the offsets.
struct TProcessHeader {
  std::array<std::uint8_t, 16> Bytes{};
  bool operator==(const TProcessHeader&) const = default;

  std::uint32_t AddressWord() const { return Word32(0); }
  std::uint32_t StartAddress() const { return AddressWord() & 0x1FFFF; }
  bool Sht21() const { return (AddressWord() >> 21) & 1; }
  std::uint8_t Slot() const { return Bytes[3]; }
  int Second() const { return Bytes[4]; }
  int Minute() const { return Bytes[5]; }
  int Hour() const { return Bytes[6]; }
  int Day() const { return Bytes[7]; }
  int Month() const { return Bytes[8]; }
  int Year() const { return Bytes[9]; }  // minus 2000
  std::uint16_t Points() const { return static_cast<std::uint16_t>(Bytes[10] | (Bytes[11] << 8)); }
  int Period() const { return Bytes[12]; }
  int Channels() const { return Bytes[13]; }
  // Bytes 4-7 and 8-9 as the date-and-time texts take them.
  std::uint32_t TimeWord() const { return Word32(4); }
  std::uint16_t DateWord() const { return static_cast<std::uint16_t>(Bytes[8] | (Bytes[9] << 8)); }
  // Size of the complete archive file of this process.
  std::int64_t FileSize() const { return 16 + std::int64_t(Points()) * Channels() * 2; }

  void SetChannels(int c) { Bytes[13] = static_cast<std::uint8_t>(c); }
  void SetPoints(std::uint16_t p) {
    Bytes[10] = p & 0xFF;
    Bytes[11] = p >> 8;
  }

 private:
  std::uint32_t Word32(int at) const {
    return Bytes[at] | (Bytes[at + 1] << 8) | (Bytes[at + 2] << 16) | (std::uint32_t(Bytes[at + 3]) << 24);
  }
};

constexpr std::uint32_t kFlashSize = 0x20000;
constexpr std::uint32_t kDataStart = 0x340;
// The most points a process of c channels can hold.
constexpr int MaxPoints(int channels) { return int((kFlashSize - kDataStart) / (2 * channels)); }

// What the header check finds, the first failure in this order. The values
// are the codes the program has always given.
enum class THeaderCheck : int {
  Valid = 0,
  StartAddressTooLow = 2,
  SlotAbove50 = 3,
  DateTimeOrPointsOutOfRange = 4,  // a date, time or point count of 0
  BeyondMemory = 5,                // a channel count or point count the memory cannot hold
};
THeaderCheck CheckProcessHeader(const TProcessHeader& h);
// The header passes the check and its start gives a file name the archive
// lists (a two-digit year): what may be taken into the archive from a file.
bool HeaderNamesArchiveFile(const TProcessHeader& h);

// The start date and time in one of five layouts (0 07.03.13, 1 9:05,
// 2 7.03.13, 9:05, 3 7 марта 2013, 9:05, 4 130307_0905); "" for another.
AnsiString HeaderDateTimeText(int layout, std::uint32_t timeWord, std::uint16_t dateWord);
inline AnsiString HeaderDateTimeText(int layout, const TProcessHeader& h) {
  return HeaderDateTimeText(layout, h.TimeWord(), h.DateWord());
}
// period × (points − 1) minutes as "H:MM".
AnsiString DurationText(const TProcessHeader& h);
// The process list's first five cells for a header: start date (layout 0),
// start time (layout 1), duration, period and point count.
std::array<AnsiString, 5> ProcessListCells(const TProcessHeader& h);
// "YYMMDD_HHMM.bin".
AnsiString ProcessFileName(const TProcessHeader& h);
// The name a process-list row stands for, from its date cell (layout 0, one-
// or two-digit day and month) and time cell (layout 1); "" when the date is empty.
AnsiString FileNameFromCells(const AnsiString& date, const AnsiString& time);

// Raw humidity-sensor readings to °C and %RH; both 0 on a floating-point error.
void ConvertSht(const std::uint16_t raw[2], float& temperature, float& humidity, bool sht21);

// The archive folder: program folder + "/Data/".
AnsiString DataFolder();
// The folder exists or was created; asks Retry/Cancel when it cannot be
// (DataFolderPrompt.cpp).
bool EnsureDataFolder();

// The job of the recording: start delay and period in minutes.
struct TRecordingJob {
  std::uint16_t Delay = 0;
  std::uint16_t Points = 0;
  std::uint8_t Period = 0;
};

// What the program knows of the recorder, process-wide.
struct TRecorderState {
  TProcessHeader Current;                      // being downloaded or shown
  std::array<TProcessHeader, 50> Directory{};  // by slot, from the last directory answer
  TRecordingJob Job;
  std::array<std::uint16_t, 5> Sample{};   // one record
  std::array<std::uint16_t, 4> Battery{};  // min, average, sag max, sag average (mV)
  int ProcessCount = 0;
};
TRecorderState& Recorder();

}  // namespace app
