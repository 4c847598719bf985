// Exported process files and flash copies from arbitrary bytes: reading
// never crashes, and what reads back whole is written again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/FlashImage.h"
#include "app/ProcessFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  const app::TProcessFileContent c = app::ParseProcessFile(bytes);
  if (c.Error == app::TProcessFileError::None) {
    // A file cut short keeps its whole records only.
    const std::size_t record = std::size_t(c.Header.Channels()) * 2;
    if (c.Archive.size() < std::size_t(c.Header.FileSize()) &&
        (c.Archive.size() != 16 + std::size_t(c.WholePoints) * record || !c.Incomplete()))
      std::abort();
    for (const auto& n : c.Notes)
      if (n.size() > app::kProcessFileNoteLimit) std::abort();
    if (c.Archive.size() == std::size_t(c.Header.FileSize())) {
      const auto again = app::ParseProcessFile(app::BuildProcessFile(c.Archive, c.Notes[0], c.Notes[1]));
      if (again.Error != app::TProcessFileError::None || again.Archive != c.Archive || again.Notes[0] != c.Notes[0] ||
          again.Notes[1] != c.Notes[1])
        std::abort();
    }
  }

  for (int slot = 0; slot < app::kFlashSlots; ++slot) {
    app::TProcessHeader h;
    if (!app::FlashDirectoryHeader(bytes, slot, h)) break;
    if (app::CheckProcessHeader(h) != app::THeaderCheck::Valid) continue;
    std::string samples;
    if (app::ExtractFlashProcess(bytes, h, samples) == app::TFlashExtract::Ok) {
      // An erased tail at the end of the memory is skipped, never counted.
      if (samples.size() != std::size_t(h.Points()) * h.Channels() * 2) std::abort();
    }
  }
  return 0;
}
