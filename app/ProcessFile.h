// Exported process files (*.zrn): the archive file of a process followed by
// its two notes, each as "Note1:"/"Note2:", the text and a zero byte (only
// notes that are not empty). A file without notes equals the archive file, so
// an archive file can be opened as an exported file too.
#pragma once
#include <string>
#include <string_view>

#include "app/ProcessHeader.h"

namespace app {

// Notes are read back into 511 bytes, so at most 510 characters survive.
constexpr std::size_t kProcessFileNoteLimit = 510;
// The largest file a process and both of its notes can make.
constexpr std::size_t kMaxProcessFileSize = 16 + (kFlashSize - kDataStart) + 2 * (6 + kProcessFileNoteLimit + 1);

// The bytes of an exported file: the archive bytes, then the non-empty notes.
std::string BuildProcessFile(std::string_view archive, const AnsiString& note1, const AnsiString& note2);

// Why a file cannot be taken into the archive.
enum class TProcessFileError {
  None,
  BadHeader,         // shorter than a header, or a header that fails the check
  Oversized,         // longer than any process with its notes can be
  UnterminatedNote,  // a note block without its closing zero byte
};

struct TProcessFileContent {
  TProcessFileError Error = TProcessFileError::None;
  TProcessHeader Header;
  std::string Archive;  // the bytes of the archive file
  // Whole records in Archive, and the bytes of a partial record after the
  // last whole one that were left out. A file cut short still holds a
  // process: what is whole is taken, and the header keeps its own count.
  int WholePoints = 0;
  std::size_t DroppedBytes = 0;
  bool Incomplete() const { return WholePoints < Header.Points(); }
  AnsiString Notes[2];  // note 1 and note 2, "" when absent
  // The archive file name the header gives ("" when the header is refused).
  AnsiString Key;
};

// The archive file name a file's first bytes give, "" when fewer than 16
// bytes or a header the check refuses.
AnsiString ProcessFileKey(std::string_view bytes);

// Reads an exported file. The archive part is the length the header gives
// when the file holds it and a note block or the end follows it; otherwise
// every byte before the first "Note?:" marker, cut to whole records when it
// holds fewer than the header announces. Notes follow at each marker
// ("Note1:" note 1, "Note2:" note 2, another fifth byte: skipped) up to the
// next zero byte, at most 510 bytes kept.
TProcessFileContent ParseProcessFile(std::string_view bytes);

}  // namespace app
