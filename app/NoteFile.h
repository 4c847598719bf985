// The note file beside an archive file: a [Note] section with the keys Note1
// and Note2. Notes read back exactly as they were written (blanks and quotes
// included), and only as much of the file is read as two notes can fill, so
// a huge or endless file cannot stall the list.
#pragma once
#include <cstddef>
#include <string_view>

#include "platform/rtl/strings.h"

namespace app {

// The longest note the notes dialog and the note file keep.
constexpr std::size_t kNoteMaxLength = 510;
// The most of a note file that is read: the section line and two keys with
// their notes, with room to spare for blank lines and comments.
constexpr std::size_t kNoteFileReadLimit = 4096;

// The note file's name beside an archive file: "YYMMDD_HHMM.bin" gives
// "YYMMDD_HHMM.note" (the last three characters become "note"); "" for a
// name shorter than that.
rtl::AnsiString NoteFileNameFor(const rtl::AnsiString& archiveFileName);

// Note 1 or 2 of the note file's text; "" when it has none. At most
// kNoteMaxLength characters.
rtl::AnsiString NoteFromText(std::string_view text, int note);

// Note 1 or 2 of the note file at path; "" when there is none or the file
// cannot be read (a folder, a pipe, a device).
rtl::AnsiString ReadNoteFile(const rtl::AnsiString& path, int note);

}  // namespace app
