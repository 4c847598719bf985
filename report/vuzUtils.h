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

}  // namespace report
