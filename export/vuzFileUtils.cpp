#include "export/vuzFileUtils.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <system_error>

#include "platform/rtl/files.h"
#include "platform/rtl/textcase.h"

namespace report {

namespace {

// ---------------------------------------------------------------- MIME types

// "*.ext" patterns of the globs2 files: the extension (with its dot) to the
// heaviest type. Case-insensitive patterns are kept lower-case.
struct MimeGlobs {
  struct Hit {
    int weight = -1;
    AnsiString type;
  };
  std::map<AnsiString, Hit> caseSensitive, anyCase;
};

std::mutex& MimeLock() {
  static std::mutex m;
  return m;
}

std::vector<AnsiString>& ConfiguredFolders() {
  static std::vector<AnsiString> folders;
  return folders;
}

std::vector<AnsiString> DefaultMimeFolders() {
  std::vector<AnsiString> out;
  const char* home = std::getenv("XDG_DATA_HOME");
  const char* user = std::getenv("HOME");
  if (home && *home)
    out.push_back(rtl::FromNativePath(home));
  else if (user && *user)
    out.push_back(rtl::FromNativePath(std::string(user) + "/.local/share"));
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::stringstream list(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
  std::string dir;
  while (std::getline(list, dir, ':'))
    if (!dir.empty()) out.push_back(rtl::FromNativePath(dir));
  return out;
}

void ReadGlobs2(const AnsiString& folder, MimeGlobs& globs) {
  std::ifstream in(rtl::NativePath(rtl::IncludeTrailingPathDelimiter(folder) + "mime/globs2"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    // weight:type:pattern[:flags[:...]]
    std::vector<std::string> f;
    std::stringstream parts(line);
    std::string part;
    while (std::getline(parts, part, ':')) f.push_back(part);
    if (f.size() < 3) continue;
    const std::string& pattern = f[2];
    // Only plain "*.ext" patterns name an extension.
    if (pattern.size() < 3 || pattern[0] != '*' || pattern[1] != '.' ||
        pattern.find_first_of("*?[", 1) != std::string::npos)
      continue;
    const bool cs = f.size() > 3 && f[3].find("cs") != std::string::npos;
    const int weight = std::atoi(f[0].c_str());
    AnsiString ext = rtl::FromNativePath(pattern.substr(1));
    auto& table = cs ? globs.caseSensitive : globs.anyCase;
    if (!cs) ext = rtl::LowerCase(ext);
    MimeGlobs::Hit& hit = table[ext];
    // The first folder and line win among equal weights.
    if (weight > hit.weight) hit = {weight, rtl::FromNativePath(f[1])};
  }
}

std::unique_ptr<MimeGlobs>& CachedGlobs() {
  static std::unique_ptr<MimeGlobs> cached;
  return cached;
}

// Read on first use; the caller holds MimeLock.
const MimeGlobs& Globs() {
  auto& cached = CachedGlobs();
  if (!cached) {
    cached = std::make_unique<MimeGlobs>();
    const auto& configured = ConfiguredFolders();
    for (const auto& folder : configured.empty() ? DefaultMimeFolders() : configured) ReadGlobs2(folder, *cached);
  }
  return *cached;
}

// ---------------------------------------------------------------- folders

bool WritableByAnyone(const std::filesystem::file_status& st) {
  using std::filesystem::perms;
  return (st.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) != perms::none;
}

void DeleteTree(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
  for (const auto& p : entries) {
    const fs::file_status st = fs::symlink_status(p, ec);
    if (ec) {
      ec.clear();
      continue;
    }
    if (fs::is_directory(st)) {
      DeleteTree(p);
    } else if (fs::is_symlink(st) || WritableByAnyone(st)) {
      // A link goes as a link: its target, wherever it is, stays.
      fs::remove(p, ec);
      ec.clear();
    }
    // A read-only file stays, as the desktop protects it from deletion.
  }
  fs::remove(folder, ec);  // fails quietly while something stayed inside
}

}  // namespace

AnsiString GetFileMIMEType(const AnsiString& extension) {
  if (extension.empty()) return {};
  const AnsiString ext = extension[0] == '.' ? extension : "." + extension;
  std::lock_guard<std::mutex> lock(MimeLock());
  const MimeGlobs& g = Globs();
  auto cs = g.caseSensitive.find(ext);
  auto any = g.anyCase.find(rtl::LowerCase(ext));
  const MimeGlobs::Hit* best = nullptr;
  if (cs != g.caseSensitive.end()) best = &cs->second;
  if (any != g.anyCase.end() && (!best || any->second.weight > best->weight)) best = &any->second;
  return best ? best->type : AnsiString();
}

void SetMIMEDataFolders(const std::vector<AnsiString>& folders) {
  std::lock_guard<std::mutex> lock(MimeLock());
  ConfiguredFolders() = folders;
  CachedGlobs().reset();
}

void DeleteFolder(const AnsiString& path) {
  namespace fs = std::filesystem;
  if (path.empty()) return;
  std::error_code ec;
  const fs::path p(rtl::NativePath(rtl::ExcludeTrailingPathDelimiter(path)));
  const fs::file_status st = fs::symlink_status(p, ec);
  if (ec) return;
  if (fs::is_symlink(st)) {
    // A link standing for a folder: the link goes, its target stays.
    fs::remove(p, ec);
    return;
  }
  if (!fs::is_directory(st)) return;
  DeleteTree(p);
}

std::int64_t GetFileSize(const AnsiString& fileName) {
  rtl::TSearchRec rec;
  std::int64_t size = -1;
  if (rtl::FindFirst(fileName, rtl::faAnyFile & ~(rtl::faDirectory | rtl::faVolumeID), rec) == 0) {
    do {
      if ((rec.Attr & rtl::faDirectory) == 0) {
        size = rec.Size;
        break;
      }
    } while (rtl::FindNext(rec) == 0);
  }
  rtl::FindClose(rec);
  return size;
}

std::int64_t StreamSearch(rtl::TStream& stream, std::int64_t start, const AnsiString& pattern) {
  if (pattern.empty() || start < 0) return -1;
  std::int64_t result = -1;
  std::int64_t position = 0;
  try {
    position = stream.Position();
  } catch (...) {
    return -1;
  }
  try {
    if (start < stream.Size()) {
      stream.SetPosition(start);
      const std::string rest = stream.ReadRest();
      const auto it = std::search(rest.begin(), rest.end(), pattern.begin(), pattern.end());
      if (it != rest.end()) result = start + (it - rest.begin());
    }
  } catch (...) {
    result = -1;
  }
  try {
    stream.SetPosition(position);
  } catch (...) {
  }
  return result;
}

AnsiString BrowseDialogResult(const AnsiString& given, bool picked, const AnsiString& chosen) {
  const AnsiString result = picked ? chosen : given;
  return result.empty() ? result : rtl::IncludeTrailingPathDelimiter(result);
}

}  // namespace report
