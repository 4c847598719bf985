// Reading processes out of a copy of the recorder's memory.
#include "app/FlashImage.h"

#include <algorithm>

#include "app/FileBytes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;

int FlashMarkerByte(std::string_view image) { return image.size() > 4 ? static_cast<std::uint8_t>(image[4]) : -1; }

bool FlashDirectoryHeader(std::string_view image, int slot, TProcessHeader& header) {
  const std::size_t at = 16 * std::size_t(slot + 1);
  if (slot < 0 || at + 16 > image.size()) return false;
  std::copy(image.begin() + std::ptrdiff_t(at), image.begin() + std::ptrdiff_t(at + 16), header.Bytes.begin());
  return true;
}

TProcessHeader MarkedHeader(const TProcessHeader& header, int marker) {
  TProcessHeader h = header;
  if (marker == kMarkerSht21) h.Bytes[2] |= 0x20;  // bit 21 of the address word
  return h;
}

TFlashExtract ExtractFlashProcess(std::string_view image, const TProcessHeader& header, std::string& samples) {
  samples.clear();
  std::size_t at = header.StartAddress();
  if (at > image.size()) return TFlashExtract::BeyondImage;
  std::size_t size = std::size_t(header.Channels()) * header.Points() * 2;
  if (size > kFlashSize - kDataStart - 1) return TFlashExtract::TooLarge;
  const std::size_t record = std::max<std::size_t>(2, std::size_t(header.Channels()) * 2);
  samples.reserve(size);
  for (int pass = 0; pass < 2; ++pass) {
    const std::size_t got = std::min(size, image.size() - std::min(at, image.size()));
    if (got == size) {
      samples.append(image.substr(at, got));
      return TFlashExtract::Ok;
    }
    if (at + got < kFlashSize) return TFlashExtract::Incomplete;
    // The memory ends here: drop an erased tail shorter than a record.
    std::size_t kept = got;
    const std::size_t partial = (samples.size() + got) % record;
    if (partial > 0 && partial <= got &&
        std::all_of(image.begin() + std::ptrdiff_t(at + got - partial), image.begin() + std::ptrdiff_t(at + got),
                    [](char b) { return static_cast<std::uint8_t>(b) == 0xFF; }))
      kept -= partial;
    samples.append(image.substr(at, kept));
    size -= kept;
    at = kDataStart;
  }
  return TFlashExtract::Incomplete;
}

TShtVote VoteFromCounts(int sht21Files, int sht15Files) {
  if (sht21Files == 0 && sht15Files == 0) return TShtVote::NoFiles;
  if (sht21Files == 0) return TShtVote::OnlySht15;
  if (sht15Files == 0) return TShtVote::OnlySht21;
  return sht21Files < sht15Files ? TShtVote::BothFewerSht21 : TShtVote::BothOtherwise;
}

TShtVote VoteShtType() {
  int s21 = 0, s15 = 0;
  for (const AnsiString& path : rtl::FindFiles(DataFolder() + "??????_????.bin")) {
    // A file that cannot be read, or is too short, counts as SHT15.
    std::string head;
    const bool sht21 = ReadFilePrefix(path, 3, head) && head.size() == 3 && (head[2] & 0x20);
    (sht21 ? s21 : s15) += 1;
  }
  return VoteFromCounts(s21, s15);
}

AnsiString ProcessCountPhrase(int n) {
  const AnsiString number = rtl::IntToStr(n);
  if (n % 100 >= 11 && n % 100 <= 19) return "Считано "_cp + number + " процессов"_cp;
  if (n % 10 == 1) return "Считан "_cp + number + " процесс"_cp;
  if (n % 10 >= 2 && n % 10 <= 4) return "Считано "_cp + number + " процесса"_cp;
  return "Считано "_cp + number + " процессов"_cp;
}

}  // namespace app
