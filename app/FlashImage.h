// Copies of the recorder's 128 KiB memory (Flash.bin): the directory of 50
// process headers at 16 × (slot + 1), the humidity sensor marker at offset 4,
// and the data ring from 0x340 to the end, where a process that reaches the
// end of the memory goes on at 0x340.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "app/ProcessHeader.h"

namespace app {

// Sensor markers: of the image's byte 4, of the dump, of the sensor dialog.
constexpr int kMarkerSht15 = 21;  // 0x15
constexpr int kMarkerSht21 = 33;  // 0x21, "!"
constexpr int kFlashSlots = 50;
constexpr std::size_t kFlashPageSize = 256;
constexpr int kFlashPages = int(kFlashSize / kFlashPageSize);  // 512

// The marker byte of an image, -1 when the image is shorter.
int FlashMarkerByte(std::string_view image);

// The directory header of a slot; false when the image ends before it.
bool FlashDirectoryHeader(std::string_view image, int slot, TProcessHeader& header);

// The header as it goes into the archive: marker 33 sets the SHT21 bit,
// marker 21 leaves the header as stored.
TProcessHeader MarkedHeader(const TProcessHeader& header, int marker);

enum class TFlashExtract {
  Ok,
  BeyondImage,  // the data address lies past the image's end
  TooLarge,     // more samples than the data ring holds
  Incomplete,   // the image ends before the samples do
};

// The samples of a process (points × channels × 2 bytes) from the image,
// wrapping from the end of the memory to 0x340. At the end of the memory the
// recorder leaves erased bytes when a record does not fit; those are dropped,
// but only short of a whole record, so a record that ends in 0xFF (a negative
// extra temperature) is kept.
TFlashExtract ExtractFlashProcess(std::string_view image, const TProcessHeader& header, std::string& samples);

// Which sensor the archive's files were made with. The values are the ones
// the program has always used: a one-sensor archive answers that sensor's
// marker byte.
enum class TShtVote : int {
  NoFiles = 0,
  BothFewerSht21 = 1,  // both kinds, fewer SHT21 files
  BothOtherwise = 2,   // both kinds, at least as many SHT21 files
  OnlySht15 = kMarkerSht15,
  OnlySht21 = kMarkerSht21,
};
TShtVote VoteFromCounts(int sht21Files, int sht15Files);
// The same over the archive files of the Data folder.
TShtVote VoteShtType();

// "Считан 1 процесс", "Считано 2 процесса", "Считано 5 процессов", ...
AnsiString ProcessCountPhrase(int n);

}  // namespace app
