#include "export/vuzZip.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/rtl/datetime.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"
#include "report/vuzGZip.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

constexpr std::int64_t kMax32 = 0xFFFFFFFFLL;
constexpr std::int64_t kMax16 = 0xFFFF;

void Put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint16_t Length16(std::size_t n, const char* what) {
  if (static_cast<std::int64_t>(n) > kMax16)
    throw EZipLimitError(
        rtl::Format("ZIP %s of %d bytes exceeds the limit of 65535 bytes", {what, static_cast<std::int64_t>(n)}));
  return static_cast<std::uint16_t>(n);
}

std::uint32_t Checked32(std::int64_t v, const char* what) {
  if (v < 0 || v > kMax32)
    throw EZipLimitError(
        rtl::Format("ZIP %s %d exceeds the format's limit of 4294967295 (no ZIP64 records are written)", {what, v}));
  return static_cast<std::uint32_t>(v);
}

// Every file below folder, not following links to folders.
void CollectFiles(const std::filesystem::path& folder, std::vector<std::filesystem::path>& out) {
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::filesystem::file_status link = it->symlink_status(ec);
    if (ec) break;
    if (std::filesystem::is_directory(link)) {
      CollectFiles(it->path(), out);
    } else if (std::filesystem::is_regular_file(it->status(ec)) && !ec) {
      out.push_back(it->path());
    }
    ec.clear();
  }
}

}  // namespace

void vuzDateTimeToDos(double dateTime, std::uint16_t& time, std::uint16_t& date) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
  const double first = rtl::EncodeDate(1980, 1, 1), last = rtl::EncodeDateTime(2107, 12, 31, 23, 59, 58, 0);
  if (!(dateTime >= first)) dateTime = first;  // also NaN
  if (dateTime > last) dateTime = last;
  rtl::DecodeDateTime(dateTime, year, month, day, hour, minute, second, ms);
  time = static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
  date = static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

// ---------------------------------------------------------------- records

void TfrxZipLocalFileHeader::SetFileName(const AnsiString& name) {
  FileName = rtl::ToSlashes(name);
  FileNameLength = Length16(FileName.size(), "file name");
}

void TfrxZipLocalFileHeader::SetExtraField(const std::string& data) {
  ExtraFieldLength = Length16(data.size(), "extra field");
  ExtraField = data;
}

void TfrxZipLocalFileHeader::SaveToStream(rtl::TStream& stream) const {
  std::string s;
  Put32(s, LocalFileHeaderSignature);
  Put16(s, VersionNeededToExtract);
  Put16(s, GeneralPurposeBitFlag);
  Put16(s, CompressionMethod);
  Put16(s, LastModFileTime);
  Put16(s, LastModFileDate);
  Put32(s, Crc32);
  Put32(s, CompressedSize);
  Put32(s, UnCompressedSize);
  Put16(s, FileNameLength);
  Put16(s, ExtraFieldLength);
  s += FileName;
  s += ExtraField;
  stream.WriteString(s);
}

void TfrxZipLocalFile::SaveToStream(rtl::TStream& stream) {
  LocalFileHeader.SaveToStream(stream);
  stream.WriteString(FileData.Bytes());
}

void TfrxZipFileHeader::SetFileName(const AnsiString& name) {
  FileName = rtl::ToSlashes(name);
  FileNameLength = Length16(FileName.size(), "file name");
}

void TfrxZipFileHeader::SetExtraField(const std::string& data) {
  ExtraFieldLength = Length16(data.size(), "extra field");
  ExtraField = data;
}

void TfrxZipFileHeader::SetFileComment(const AnsiString& comment) {
  FileCommentLength = Length16(comment.size(), "file comment");
  FileComment = comment;
}

void TfrxZipFileHeader::SaveToStream(rtl::TStream& stream) const {
  std::string s;
  Put32(s, CentralFileHeaderSignature);
  Put16(s, VersionMadeBy);
  Put16(s, VersionNeededToExtract);
  Put16(s, GeneralPurposeBitFlag);
  Put16(s, CompressionMethod);
  Put16(s, LastModFileTime);
  Put16(s, LastModFileDate);
  Put32(s, Crc32);
  Put32(s, CompressedSize);
  Put32(s, UnCompressedSize);
  Put16(s, FileNameLength);
  Put16(s, ExtraFieldLength);
  Put16(s, FileCommentLength);
  Put16(s, DiskNumberStart);
  Put16(s, InternalFileAttributes);
  Put32(s, ExternalFileAttributes);
  Put32(s, RelativeOffsetLocalHeader);
  s += FileName;
  s += ExtraField;
  s += FileComment;
  stream.WriteString(s);
}

void TfrxZipCentralDirectory::SetComment(const AnsiString& comment) {
  CommentLength = Length16(comment.size(), "archive comment");
  Comment = comment;
}

void TfrxZipCentralDirectory::SaveToStream(rtl::TStream& stream) const {
  std::string s;
  Put32(s, EndOfChentralDirSignature);
  Put16(s, NumberOfTheDisk);
  Put16(s, NumberOfTheDiskStartCentralDir);
  Put16(s, TotalNumberOfEntriesDisk);
  Put16(s, TotalNumberOfEntries);
  Put32(s, SizeOfTheCentralDir);
  Put32(s, OffsetStartingDiskDir);
  Put16(s, CommentLength);
  s += Comment;
  stream.WriteString(s);
}

// ---------------------------------------------------------------- archive

void TfrxZipArchive::Clear() {
  Errors.Clear();
  files_.clear();
  RootFolder.clear();
}

void TfrxZipArchive::AddDir(const AnsiString& folder) {
  if (!rtl::DirectoryExists(folder)) return;
  std::vector<std::filesystem::path> found;
  CollectFiles(std::filesystem::path(rtl::NativePath(folder)), found);
  std::vector<AnsiString> names;
  names.reserve(found.size());
  for (const auto& p : found) names.push_back(rtl::FromNativePath(p.string()));
  std::sort(names.begin(), names.end());
  for (const auto& n : names) AddFile(n);
}

void TfrxZipArchive::AddFile(const AnsiString& fileName) {
  if (!rtl::FileExists(fileName)) {
    Errors.Add("File " + fileName + " not found!");
    return;
  }
  if (files_.empty() && RootFolder.empty()) RootFolder = rtl::ExtractFilePath(fileName);
  files_.push_back(fileName);
}

AnsiString TfrxZipArchive::EntryName(const AnsiString& fileName) const {
  // Both sides with "/", so a root given with "\" still matches.
  AnsiString name = rtl::ToSlashes(fileName);
  const AnsiString root = rtl::ToSlashes(RootFolder);
  if (!root.empty()) {
    const std::size_t at = name.find(root);
    if (at != std::string::npos) name.erase(at, root.size());
  }
  return name;
}

std::vector<AnsiString> TfrxZipArchive::WritingOrder() const {
  std::vector<AnsiString> order = files_;
  if (!FirstEntry.empty()) {
    const AnsiString wanted = rtl::ToSlashes(FirstEntry);
    auto it = std::find_if(order.begin(), order.end(), [&](const AnsiString& f) { return EntryName(f) == wanted; });
    if (it != order.end()) std::rotate(order.begin(), it, it + 1);
  }
  return order;
}

void TfrxZipArchive::SaveToStream(rtl::TStream& stream) {
  const std::vector<AnsiString> order = WritingOrder();
  // Limits that are known before anything is written.
  if (static_cast<std::int64_t>(order.size()) > kMax16)
    throw EZipLimitError(rtl::Format("ZIP archive of %d files exceeds the limit of 65535 entries (no ZIP64 records)",
                                     {static_cast<std::int64_t>(order.size())}));
  for (const AnsiString& f : order) {
    Length16(EntryName(f).size(), "file name");
    // A file gone by now fails below with the runtime's file-open error.
    if (const std::int64_t size = rtl::FileSize(f); size > kMax32) Checked32(size, ("size of " + f + ":").c_str());
  }

  std::vector<TfrxZipFileHeader> central;
  central.reserve(order.size());
  for (const AnsiString& f : order) {
    TfrxZipLocalFile entry;
    rtl::TMemoryStream plain;
    {
      rtl::TFileStream file(f, rtl::fmOpenRead | rtl::fmShareDenyWrite);
      plain.LoadFromStream(file);
    }
    auto& h = entry.LocalFileHeader;
    h.SetFileName(EntryName(f));
    const std::int64_t size = plain.Size();
    h.UnCompressedSize = Checked32(size, ("size of " + f + ":").c_str());
    h.Crc32 = vuzStreamCRC32(plain);
    if (size <= kZipStoreLimit) {
      h.CompressionMethod = 0;
      entry.FileData.Bytes() = plain.Bytes();
    } else {
      h.CompressionMethod = 8;
      rtl::TMemoryStream zlib;
      vuzDeflateStream(plain, zlib, gzDefault);
      // The raw deflate data: without the 2-byte zlib header and the 4-byte
      // Adler-32 trailer.
      const std::string& z = zlib.Bytes();
      entry.FileData.Bytes() = z.size() >= 6 ? z.substr(2, z.size() - 6) : std::string();
    }
    plain.Clear();
    h.CompressedSize = Checked32(entry.FileData.Size(), ("compressed size of " + f + ":").c_str());
    vuzDateTimeToDos(rtl::FileAge(f), h.LastModFileTime, h.LastModFileDate);
    entry.Offset = Checked32(stream.Position(), "offset of a local header");
    entry.SaveToStream(stream);

    TfrxZipFileHeader c;
    c.CompressionMethod = h.CompressionMethod;
    c.LastModFileTime = h.LastModFileTime;
    c.LastModFileDate = h.LastModFileDate;
    c.GeneralPurposeBitFlag = h.GeneralPurposeBitFlag;
    c.Crc32 = h.Crc32;
    c.CompressedSize = h.CompressedSize;
    c.UnCompressedSize = h.UnCompressedSize;
    c.RelativeOffsetLocalHeader = entry.Offset;
    c.SetFileName(h.FileName);
    central.push_back(std::move(c));
    if (OnProgress) OnProgress(*this);
  }

  const std::int64_t start = stream.Position();
  TfrxZipCentralDirectory end;
  end.OffsetStartingDiskDir = Checked32(start, "offset of the central directory");
  for (const auto& c : central) c.SaveToStream(stream);
  end.SizeOfTheCentralDir = Checked32(stream.Position() - start, "size of the central directory");
  end.TotalNumberOfEntriesDisk = end.TotalNumberOfEntries = static_cast<std::uint16_t>(central.size());
  end.SaveToStream(stream);
}

void TfrxZipArchive::SaveToFile(const AnsiString& fileName) {
  rtl::SaveFileAtomically(fileName, [this](rtl::TStream& s) { SaveToStream(s); });
}

}  // namespace report
