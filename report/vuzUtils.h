// Small routines shared by the whole report engine: number and colour texts,
// page ranges, separated lists, stream hex and CRC, temporary files, component
// lookup, message boxes, the bracketed-expression scanner and rectangle areas.
#pragma once
#include <cstdint>

#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

// Streams.
// The whole stream from position 0 as upper-case hex; leaves it at its end.
rtl::AnsiString vuzStreamToString(rtl::TStream& stream);
// Pairs of hex digits written at position 0; the stream is cut after them.
void vuzStringToStream(const rtl::AnsiString& text, rtl::TStream& stream);
// CRC-32 (zlib/PNG) of the whole stream; the position is kept.
std::uint32_t vuzStreamCRC32(rtl::TStream& stream);

// Files and folders. Names are 1251 texts; "\" and "/" both separate.
// The system temporary folder with its trailing separator.
rtl::AnsiString GetTemporaryFolder();
// A new, empty, uniquely named file ("fr" prefix) in the temporary folder.
rtl::AnsiString GetTempFile();
// The same in the given folder (the system's when empty). A file that cannot
// be created raises EFCreateError.
rtl::AnsiString vuzCreateTempFile(const rtl::AnsiString& folder);
rtl::AnsiString GetAppFileName();
// The program's folder with its trailing separator.
rtl::AnsiString GetAppPath();

// Small file operations the engine needs.
bool vuzDirectoryExists(const rtl::AnsiString& folder);
bool vuzFileExists(const rtl::AnsiString& fileName);
bool vuzDeleteFile(const rtl::AnsiString& fileName);
// Gives the file `from` the name `to` in one step, replacing what was there.
void vuzReplaceFile(const rtl::AnsiString& from, const rtl::AnsiString& to);

}  // namespace report
