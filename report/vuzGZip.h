// Gzip members and zlib-format streams as the report engine writes and reads
// them (button images, PDF content streams, ZIP entries, compressed files).
#pragma once
#include "platform/rtl/streams.h"
#include "report/vuzZLib.h"

namespace report {

enum TfrxCompressionLevel { gzNone, gzFastest, gzDefault, gzMax };

// Writes one gzip member of the whole source (from position 0) into dest, which
// must be empty and at position 0. An empty file name is written as "1". The
// member's time field holds the Adler-32 of the data (older readers of ours
// check it); standard gzip tools read the member as usual.
void vuzCompressStream(rtl::TStream& source, rtl::TStream& dest, TfrxCompressionLevel level,
                       const rtl::AnsiString& fileName = {});

// Reads one gzip member from source's position and writes the inflated data at
// dest's position; fileName receives the member's name field (empty when it
// has none). The CRC-32 and length of the member are verified; any failure
// raises EZDecompressionError.
// More than limit inflated bytes raise EZDecompressionError.
void vuzDecompressStream(rtl::TStream& source, rtl::TStream& dest, rtl::AnsiString& fileName,
                         std::size_t limit = kMaxInflatedSize);
void vuzDecompressStream(rtl::TStream& source, rtl::TStream& dest);

// The whole source (from position 0) as a zlib-format stream at dest's position.
void vuzDeflateStream(rtl::TStream& source, rtl::TStream& dest, TfrxCompressionLevel level);
// The whole source (from position 0), a zlib-format stream, inflated at dest's position.
void vuzInflateStream(rtl::TStream& source, rtl::TStream& dest);

// The work of TfrxGZipCompressor (whose class comes with the report classes):
// Decompress steps back over the first two bytes of source and, when they are
// 1F 8B, inflates the member into work; work is left at position 0 either
// way; answers whether source was a gzip member.
bool vuzGZipDecompress(rtl::TStream& source, rtl::TStream& work, std::size_t limit = kMaxInflatedSize);
// Compress writes work as one member into dest: "1.fr3" at gzMax for a
// template, "1.fp3" at gzDefault for a prepared report.
void vuzGZipCompress(rtl::TStream& work, rtl::TStream& dest, bool isTemplate);

}  // namespace report
