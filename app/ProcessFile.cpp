// The exported process file format: building and reading it.
#include "app/ProcessFile.h"

#include <algorithm>

namespace app {

namespace {

// A marker "Note", any byte, ":" with at least one byte after its colon.
bool MarkerAt(std::string_view b, std::size_t at) {
  return at + 6 < b.size() && b.compare(at, 4, "Note") == 0 && b[at + 5] == ':';
}

std::size_t FindMarker(std::string_view b, std::size_t from) {
  for (std::size_t at = from; at + 6 < b.size(); ++at)
    if (MarkerAt(b, at)) return at;
  return std::string_view::npos;
}

}  // namespace

std::string BuildProcessFile(std::string_view archive, const AnsiString& note1, const AnsiString& note2) {
  std::string out(archive);
  const AnsiString* notes[2] = {&note1, &note2};
  for (int i = 0; i < 2; ++i) {
    if (notes[i]->empty()) continue;
    out += i == 0 ? "Note1:" : "Note2:";
    out += *notes[i];
    out += '\0';
  }
  return out;
}

AnsiString ProcessFileKey(std::string_view bytes) {
  if (bytes.size() < 16) return {};
  TProcessHeader h;
  std::copy(bytes.begin(), bytes.begin() + 16, h.Bytes.begin());
  if (!HeaderNamesArchiveFile(h)) return {};
  return ProcessFileName(h);
}

TProcessFileContent ParseProcessFile(std::string_view bytes) {
  TProcessFileContent c;
  c.Key = ProcessFileKey(bytes);
  if (c.Key.empty()) {
    c.Error = TProcessFileError::BadHeader;
    return c;
  }
  if (bytes.size() > kMaxProcessFileSize) {
    c.Error = TProcessFileError::Oversized;
    return c;
  }
  std::copy(bytes.begin(), bytes.begin() + 16, c.Header.Bytes.begin());

  // Sample data may hold the marker's bytes, so the header's length comes
  // first; the marker alone decides only when the file disagrees with it.
  const std::size_t announced = static_cast<std::size_t>(c.Header.FileSize());
  std::size_t archiveEnd;
  if (bytes.size() >= announced && (bytes.size() == announced || MarkerAt(bytes, announced))) {
    archiveEnd = announced;
  } else {
    archiveEnd = std::min(FindMarker(bytes, 16), bytes.size());  // the header is never a note
  }
  const std::size_t record = static_cast<std::size_t>(c.Header.Channels()) * 2;
  std::size_t kept = archiveEnd;
  if (archiveEnd < announced) {
    kept = 16 + (archiveEnd - 16) / record * record;
    c.DroppedBytes = archiveEnd - kept;
  }
  c.WholePoints = static_cast<int>(std::min<std::size_t>((kept - 16) / record, c.Header.Points()));
  c.Archive.assign(bytes.substr(0, kept));

  for (std::size_t at = FindMarker(bytes, archiveEnd); at != std::string_view::npos;) {
    const std::size_t text = at + 6;
    const std::size_t zero = bytes.find('\0', text);
    if (zero == std::string_view::npos) {
      c.Error = TProcessFileError::UnterminatedNote;
      return c;
    }
    const char which = bytes[at + 4];
    if (which == '1' || which == '2')
      c.Notes[which - '1'].assign(bytes.substr(text, std::min(zero - text, kProcessFileNoteLimit)));
    at = FindMarker(bytes, zero + 1);
  }
  return c;
}

}  // namespace app
