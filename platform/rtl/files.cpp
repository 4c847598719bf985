#include "platform/rtl/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "platform/rtl/datetime.h"
#include "platform/rtl/textcase.h"

namespace rtl {
namespace {

struct CommandLine {
  std::mutex m;
  AnsiString programFile;  // empty: ask /proc/self/exe
  std::vector<AnsiString> args;
};

CommandLine& Cmd() {
  static CommandLine c;
  return c;
}

bool IsDelim(char c) { return c == '/' || c == '\\'; }

bool Stat(std::string_view name, struct stat& st) { return ::stat(NativePath(name).c_str(), &st) == 0; }

// Writes all bytes to fd; false on any error.
bool WriteAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool MatchFrom(std::string_view name, std::string_view mask) {
  // Iterative match with one back-tracking point for the last "*".
  std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || AnsiUpperChar(mask[m]) == AnsiUpperChar(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

std::string NativePath(std::string_view name) {
  std::string p = AnsiToUtf8(name);
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

AnsiString FromNativePath(std::string_view native) { return Utf8ToAnsi(native); }

AnsiString ToSlashes(std::string_view name) {
  AnsiString s(name);
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

namespace {
// Where the name part starts: after the last "/" or "\", or after a drive
// prefix such as "C:" (only there: ":" is an ordinary character elsewhere).
std::size_t NameStart(std::string_view name) {
  auto it = std::find_if(name.rbegin(), name.rend(), IsDelim);
  std::size_t start = static_cast<std::size_t>(name.rend() - it);
  bool drive =
      name.size() >= 2 && name[1] == ':' && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  return start == 0 && drive ? 2 : start;
}
}  // namespace

AnsiString ExtractFilePath(std::string_view name) { return ToSlashes(name.substr(0, NameStart(name))); }

AnsiString ExtractFileDir(std::string_view name) {
  AnsiString p = ExtractFilePath(name);
  if (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

AnsiString ExtractFileName(std::string_view name) { return AnsiString(name.substr(NameStart(name))); }

AnsiString ExtractFileExt(std::string_view name) {
  AnsiString file = ExtractFileName(name);
  auto at = file.rfind('.');
  return at == AnsiString::npos ? AnsiString() : file.substr(at);
}

AnsiString ChangeFileExt(std::string_view name, std::string_view ext) {
  AnsiString s = ToSlashes(name);
  auto dot = s.rfind('.');
  if (dot != AnsiString::npos && dot >= NameStart(name)) s.erase(dot);
  return s + AnsiString(ext);
}

AnsiString IncludeTrailingPathDelimiter(std::string_view path) {
  AnsiString s = ToSlashes(path);
  if (s.empty() || s.back() != '/') s.push_back('/');
  return s;
}

AnsiString ExcludeTrailingPathDelimiter(std::string_view path) {
  AnsiString s = ToSlashes(path);
  if (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

AnsiString ExpandFileName(std::string_view name) {
  AnsiString s = ToSlashes(name);
  if (s.empty() || s[0] != '/') s = IncludeTrailingPathDelimiter(GetCurrentDir()) + s;
  std::vector<AnsiString> parts;
  std::size_t i = 0;
  while (i <= s.size()) {
    std::size_t j = s.find('/', i);
    if (j == AnsiString::npos) j = s.size();
    AnsiString part = s.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  AnsiString r;
  for (auto& p : parts) r += "/" + p;
  if (r.empty() || (s.size() > 1 && s.back() == '/')) r += "/";
  return r;
}

void SetCommandLine(int argc, const char* const* argv) {
  auto& c = Cmd();
  std::lock_guard lock(c.m);
  c.args.clear();
  for (int i = 1; i < argc; ++i) c.args.push_back(FromNativePath(argv[i]));
}

void SetProgramFileName(const AnsiString& fileName) {
  auto& c = Cmd();
  std::lock_guard lock(c.m);
  c.programFile = ToSlashes(fileName);
}

AnsiString ParamStr(int index) {
  auto& c = Cmd();
  std::lock_guard lock(c.m);
  if (index == 0) {
    if (!c.programFile.empty()) return c.programFile;
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? FromNativePath(std::string_view(buf, static_cast<std::size_t>(n))) : AnsiString();
  }
  if (index < 0 || index > static_cast<int>(c.args.size())) return {};
  return c.args[static_cast<std::size_t>(index - 1)];
}

int ParamCount() {
  auto& c = Cmd();
  std::lock_guard lock(c.m);
  return static_cast<int>(c.args.size());
}

AnsiString ProgramFolder() { return ExtractFilePath(ParamStr(0)); }

AnsiString GetTempPath() {
  const char* dir = std::getenv("TMPDIR");
  AnsiString path = dir && *dir ? FromNativePath(dir) : AnsiString("/tmp");
  return IncludeTrailingPathDelimiter(ExpandFileName(path));
}

AnsiString GetTempFileName(std::string_view folder, std::string_view prefix) {
  AnsiString dir = folder.empty() ? GetTempPath() : IncludeTrailingPathDelimiter(folder);
  std::string pattern = NativePath(dir + AnsiString(prefix)) + "XXXXXX.tmp";
  int fd = ::mkstemps(pattern.data(), 4);
  if (fd < 0) return {};
  ::close(fd);
  return FromNativePath(pattern);
}

AnsiString CreateUniqueFile(std::string_view folder, std::string_view stem, std::string_view ext) {
  const AnsiString base = IncludeTrailingPathDelimiter(folder) + AnsiString(stem);
  for (int n = 1; n <= 1000; ++n) {
    const AnsiString name = base + (n == 1 ? AnsiString() : "-" + std::to_string(n)) + AnsiString(ext);
    const int fd = ::open(NativePath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

AnsiString GetCurrentDir() {
  char buf[PATH_MAX];
  return ::getcwd(buf, sizeof buf) ? FromNativePath(buf) : AnsiString();
}

bool SetCurrentDir(std::string_view dir) { return ::chdir(NativePath(dir).c_str()) == 0; }

bool FileExists(std::string_view name) {
  struct stat st;
  return Stat(name, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view name) {
  struct stat st;
  return Stat(name, st) && S_ISDIR(st.st_mode);
}

bool CreateDir(std::string_view dir) { return ::mkdir(NativePath(dir).c_str(), 0777) == 0; }
bool RemoveDir(std::string_view dir) { return ::rmdir(NativePath(dir).c_str()) == 0; }

bool ForceDirectories(std::string_view dir) {
  AnsiString d = ExcludeTrailingPathDelimiter(dir);
  if (d.empty()) return false;
  if (DirectoryExists(d)) return true;
  AnsiString parent = ExtractFileDir(d);
  if (!parent.empty() && parent != d && !ForceDirectories(parent)) return false;
  return CreateDir(d) || DirectoryExists(d);
}

bool DeleteFile(std::string_view name) {
  if (DirectoryExists(name)) return false;
  return ::unlink(NativePath(name).c_str()) == 0;
}

bool RenameFile(std::string_view oldName, std::string_view newName) {
  std::string from = NativePath(oldName), to = NativePath(newName);
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

double FileAge(std::string_view name) {
  struct stat st;
  if (!Stat(name, st) || S_ISDIR(st.st_mode)) return -1;
  return LocalDateTimeFromUnix(st.st_mtime);
}

std::int64_t FileSize(std::string_view name) {
  struct stat st;
  if (!Stat(name, st) || S_ISDIR(st.st_mode)) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (MatchFrom(name, mask)) return true;
  // "name.*" also stands for a name without an extension.
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
    return MatchFrom(name, mask.substr(0, mask.size() - 2));
  return false;
}

int FindFirst(std::string_view path, int attr, TSearchRec& rec) {
  FindClose(rec);
  AnsiString folder = ExtractFilePath(path);
  AnsiString mask = ExtractFileName(path);
  std::string native = NativePath(folder.empty() ? AnsiString(".") : folder);
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return ENOENT;
  auto found = std::make_shared<std::vector<TSearchRec>>();
  while (dirent* e = ::readdir(dir)) {
    AnsiString name = FromNativePath(e->d_name);
    if (!MatchesMask(name, mask)) continue;
    struct stat st;
    if (::stat((IncludeTrailingPathDelimiter(native) + e->d_name).c_str(), &st) != 0) continue;
    int a = 0;
    if (S_ISDIR(st.st_mode))
      a |= faDirectory;
    else
      a |= faArchive;
    if (name.size() > 0 && name[0] == '.' && name != "." && name != "..") a |= faHidden;
    if (::access((IncludeTrailingPathDelimiter(native) + e->d_name).c_str(), W_OK) != 0) a |= faReadOnly;
    // Plain files always; folders and hidden entries only when asked for.
    if ((a & faDirectory) && !(attr & faDirectory)) continue;
    if ((a & faHidden) && !(attr & faHidden)) continue;
    TSearchRec r;
    r.Name = name;
    r.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    r.Attr = a;
    r.Time = LocalDateTimeFromUnix(st.st_mtime);
    found->push_back(std::move(r));
  }
  ::closedir(dir);
  std::reverse(found->begin(), found->end());  // hand out from the back
  rec.pending = found;
  return FindNext(rec);
}

int FindNext(TSearchRec& rec) {
  if (!rec.pending || rec.pending->empty()) return ENOENT;
  auto pending = rec.pending;
  TSearchRec next = std::move(pending->back());
  pending->pop_back();
  rec.Name = std::move(next.Name);
  rec.Size = next.Size;
  rec.Attr = next.Attr;
  rec.Time = next.Time;
  return 0;
}

void FindClose(TSearchRec& rec) { rec.pending.reset(); }

std::vector<AnsiString> FindFiles(std::string_view pathWithMask) {
  std::vector<AnsiString> names;
  AnsiString folder = ExtractFilePath(pathWithMask);
  TSearchRec rec;
  for (int rc = FindFirst(pathWithMask, faAnyFile & ~(faDirectory | faHidden), rec); rc == 0; rc = FindNext(rec))
    names.push_back(folder + rec.Name);
  FindClose(rec);
  return names;
}

namespace {

// Writes through a file descriptor; used by the atomic save.
class FdStream : public TStream {
 public:
  explicit FdStream(int fd) : fd_(fd) {}
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    if (count <= 0) return 0;
    if (!WriteAll(fd_, static_cast<const char*>(buffer), static_cast<std::size_t>(count)))
      throw EWriteError("Stream write error");
    return count;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    off_t r = ::lseek(fd_, offset, origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END);
    if (r < 0) throw EStreamError("Stream seek error");
    return r;
  }
  void SetSize(std::int64_t newSize) override {
    if (::ftruncate(fd_, newSize) != 0) throw EStreamError("Stream size cannot be changed");
  }

 private:
  int fd_;
};

std::function<void(std::string_view)>& SaveFault() {
  static std::function<void(std::string_view)> fault;
  return fault;
}

}  // namespace

void SetSaveFaultForTests(std::function<void(std::string_view name)> fault) { SaveFault() = std::move(fault); }

void SaveFileAtomically(std::string_view name, const std::function<void(TStream&)>& writer) {
  std::string target = NativePath(name);
  std::string temp = target + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) throw EFCreateError("Cannot create file \"" + AnsiString(name) + "\". " + std::strerror(errno));
  // Keep the permissions of the file being replaced.
  struct stat st;
  mode_t mode = 0666;
  if (::stat(target.c_str(), &st) == 0)
    mode = st.st_mode & 07777;
  else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  ::fchmod(fd, mode);
  try {
    FdStream stream(fd);
    writer(stream);
    if (SaveFault()) SaveFault()(name);
    if (::fsync(fd) != 0) throw EWriteError("Stream write error");
  } catch (...) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  if (::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    throw EFCreateError("Cannot create file \"" + AnsiString(name) + "\". " + std::strerror(err));
  }
}

void SaveFileAtomically(std::string_view name, std::string_view bytes) {
  SaveFileAtomically(name, [&](TStream& s) { s.WriteString(bytes); });
}

bool ReplaceFile(std::string_view target, std::string_view replacement) {
  return ::rename(NativePath(replacement).c_str(), NativePath(target).c_str()) == 0;
}

}  // namespace rtl
