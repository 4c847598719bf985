// File and folder chores of the export filters: media types of picture
// files, removing a temporary package folder, file sizes and searching a
// stream for a byte pattern. None of them reports an error.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;

// The media type the desktop's shared MIME database (shared-mime-info, the
// "globs2" files of the XDG data folders) records for a file extension given
// with its leading full stop (".png" gives "image/png"); empty when the
// extension is unknown. Case is ignored unless the database marks a pattern
// case-sensitive; of several patterns the heaviest wins.
AnsiString GetFileMIMEType(const AnsiString& extension);
// The folders whose "mime/globs2" files are read, most important first. By
// default $XDG_DATA_HOME (or ~/.local/share) and $XDG_DATA_DIRS (or
// /usr/local/share:/usr/share); tests point it elsewhere. An empty list
// restores the default. The database is read again after every change.
void SetMIMEDataFolders(const std::vector<AnsiString>& folders);

// Deletes a folder with its files and subfolders. Symbolic links are removed
// as links and never followed, so nothing outside the folder is touched.
// Read-only files (no write permission) stay, and so do the folders that
// hold them; nothing is reported. A missing folder is left alone.
void DeleteFolder(const AnsiString& path);

// The size of the first file matching the name (wildcards "?" and "*"
// allowed in the name part); -1 when no file matches.
std::int64_t GetFileSize(const AnsiString& fileName);

// The offset of the first occurrence of pattern in the stream at or after
// start; -1 when there is none, when the pattern is empty, start is negative
// or beyond the end, or the stream fails. The stream's position is unchanged.
std::int64_t StreamSearch(rtl::TStream& stream, std::int64_t start, const AnsiString& pattern);

// What the folder dialog (BrowseDialog, vuzBrowseDialog_gui.h) answers: the
// chosen folder when one was picked, else the given path; either with a
// trailing "/" unless empty.
AnsiString BrowseDialogResult(const AnsiString& given, bool picked, const AnsiString& chosen);

}  // namespace report
