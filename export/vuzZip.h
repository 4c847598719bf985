// The ZIP writer (PKWARE format 2.0): packs a folder tree or a list of files
// into one archive written to a stream or a file in a single forward pass.
// Files of up to 128 bytes are stored, larger ones deflated; names are 8-bit
// (1251) and relative to the root folder, with "/" between folders.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;

// An archive that the format's 16-bit counts or 32-bit sizes and offsets
// cannot describe (no ZIP64 records are written).
using rtl::Exception;
RTL_DECLARE_EXCEPTION(EZipLimitError, Exception)

// Files up to this size are stored, larger ones deflated.
inline constexpr std::int64_t kZipStoreLimit = 128;

// A local date-time (days since 30 Dec 1899) as the DOS time and date words;
// dates before 1980, which DOS cannot hold, become 1 Jan 1980 00:00.
void vuzDateTimeToDos(double dateTime, std::uint16_t& time, std::uint16_t& date);

class TfrxZipLocalFileHeader {
 public:
  std::uint32_t LocalFileHeaderSignature = 0x04034B50;
  std::uint16_t VersionNeededToExtract = 20;
  std::uint16_t GeneralPurposeBitFlag = 0;
  std::uint16_t CompressionMethod = 0;
  std::uint16_t LastModFileTime = 0;
  std::uint16_t LastModFileDate = 0;
  std::uint32_t Crc32 = 0;
  std::uint32_t CompressedSize = 0;
  std::uint32_t UnCompressedSize = 0;
  std::uint16_t FileNameLength = 0;
  std::uint16_t ExtraFieldLength = 0;
  AnsiString FileName;
  std::string ExtraField;

  // "\" becomes "/"; the length field follows.
  void SetFileName(const AnsiString& name);
  void SetExtraField(const std::string& data);
  void SaveToStream(rtl::TStream& stream) const;
};

// One entry while the archive is written: its header, its (compressed) data
// and where the header went.
class TfrxZipLocalFile {
 public:
  TfrxZipLocalFileHeader LocalFileHeader;
  rtl::TMemoryStream FileData;
  std::uint32_t Offset = 0;

  void SaveToStream(rtl::TStream& stream);
};

// A central directory entry.
class TfrxZipFileHeader {
 public:
  std::uint32_t CentralFileHeaderSignature = 0x02014B50;
  std::uint16_t VersionMadeBy = 20;
  std::uint16_t VersionNeededToExtract = 20;
  std::uint16_t GeneralPurposeBitFlag = 0;
  std::uint16_t CompressionMethod = 0;
  std::uint16_t LastModFileTime = 0;
  std::uint16_t LastModFileDate = 0;
  std::uint32_t Crc32 = 0;
  std::uint32_t CompressedSize = 0;
  std::uint32_t UnCompressedSize = 0;
  std::uint16_t FileNameLength = 0;
  std::uint16_t ExtraFieldLength = 0;
  std::uint16_t FileCommentLength = 0;
  std::uint16_t DiskNumberStart = 0;
  std::uint16_t InternalFileAttributes = 0;
  std::uint32_t ExternalFileAttributes = 0;
  std::uint32_t RelativeOffsetLocalHeader = 0;
  AnsiString FileName;
  std::string ExtraField;
  AnsiString FileComment;

  void SetFileName(const AnsiString& name);
  void SetExtraField(const std::string& data);
  void SetFileComment(const AnsiString& comment);
  void SaveToStream(rtl::TStream& stream) const;
};

// The end of central directory record.
class TfrxZipCentralDirectory {
 public:
  std::uint32_t EndOfChentralDirSignature = 0x06054B50;
  std::uint16_t NumberOfTheDisk = 0;
  std::uint16_t NumberOfTheDiskStartCentralDir = 0;
  std::uint16_t TotalNumberOfEntriesDisk = 0;
  std::uint16_t TotalNumberOfEntries = 0;
  std::uint32_t SizeOfTheCentralDir = 0;
  std::uint32_t OffsetStartingDiskDir = 0;
  std::uint16_t CommentLength = 0;
  AnsiString Comment;

  void SetComment(const AnsiString& comment);
  void SaveToStream(rtl::TStream& stream) const;
};

class TfrxZipArchive {
 public:
  using TProgressEvent = std::function<void(TfrxZipArchive& sender)>;

  TfrxZipArchive() = default;
  TfrxZipArchive(const TfrxZipArchive&) = delete;
  TfrxZipArchive& operator=(const TfrxZipArchive&) = delete;

  // Empties the file and error lists and the root folder.
  void Clear();
  // Every file of the folder and its subfolders (a missing folder adds
  // nothing). Names are added in byte order of their paths, so an archive of
  // the same tree always has the same entry order; symbolic links to folders
  // are not followed.
  void AddDir(const AnsiString& folder);
  // An existing file joins the list (the first one also sets the root folder
  // when none is set); a missing one adds "File <name> not found!" to Errors.
  void AddFile(const AnsiString& fileName);
  int GetCount() const { return static_cast<int>(files_.size()); }
  const std::vector<AnsiString>& Files() const { return files_; }

  // Writes the archive at the stream's position. Offsets in the archive are
  // positions in this stream. Raises EZipLimitError, before anything is
  // written where possible, when the archive would exceed the format's
  // limits; a file that cannot be read raises the runtime's file error.
  void SaveToStream(rtl::TStream& stream);
  // Writes the archive through a temporary file beside name, so a failure
  // leaves an existing file as it was.
  void SaveToFile(const AnsiString& fileName);

  // The entry name of a file: the first occurrence of the root folder cut
  // out, "\" turned into "/".
  AnsiString EntryName(const AnsiString& fileName) const;

  // The part of every file name cut off to form the entry name.
  AnsiString RootFolder;
  // The entry (by its name in the archive) that is written first whatever
  // the order of adding; an OpenDocument package needs "mimetype" there.
  AnsiString FirstEntry;
  rtl::TStringList Errors;
  // Called after each entry is written.
  TProgressEvent OnProgress;

 private:
  // The list in writing order: FirstEntry (when present) moved to the front.
  std::vector<AnsiString> WritingOrder() const;

  std::vector<AnsiString> files_;
};

}  // namespace report
