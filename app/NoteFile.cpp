#include "app/NoteFile.h"

#include <string>

#include "app/FileBytes.h"
#include "platform/rtl/textcase.h"

namespace app {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

rtl::AnsiString NoteFromText(std::string_view text, int note) {
  const std::string_view wanted = note == 2 ? "Note2" : "Note1";
  bool inSection = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view trimmed = TrimBlanks(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      const std::size_t close = trimmed.find(']');
      inSection = close != std::string_view::npos &&
                  rtl::SameText(TrimBlanks(trimmed.substr(1, close - 1)), std::string_view("Note"));
      continue;
    }
    if (!inSection) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || !rtl::SameText(TrimBlanks(line.substr(0, eq)), wanted)) continue;
    // The value is everything after "=", as the notes dialog wrote it.
    return rtl::AnsiString(line.substr(eq + 1, kNoteMaxLength));
  }
  return {};
}

rtl::AnsiString ReadNoteFile(const rtl::AnsiString& path, int note) {
  std::string text;
  if (!ReadFilePrefix(path, kNoteFileReadLimit, text)) return {};
  return NoteFromText(text, note);
}

rtl::AnsiString NoteFileNameFor(const rtl::AnsiString& archiveFileName) {
  if (archiveFileName.size() < 3) return {};
  return archiveFileName.substr(0, archiveFileName.size() - 3) + "note";
}

}  // namespace app
