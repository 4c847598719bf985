// Paths, files and folders. Names are 1251 strings inside the program; they
// become UTF-8 only at the operating-system edge (NativePath). Every function
// accepts "\" as well as "/" and the path functions answer with "/".
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace rtl {

constexpr char PathDelim = '/';

// The UTF-8 name the operating system sees, "\" turned into "/".
std::string NativePath(std::string_view name);
// A name from the operating system as a 1251 string.
AnsiString FromNativePath(std::string_view native);

// ---- path texts ----
AnsiString ToSlashes(std::string_view name);
// Everything up to and including the last delimiter ("" when none); a drive
// prefix "C:" at the start also ends the folder part.
AnsiString ExtractFilePath(std::string_view name);
// ExtractFilePath without its trailing delimiter (kept for the root "/").
AnsiString ExtractFileDir(std::string_view name);
AnsiString ExtractFileName(std::string_view name);
// From the last "." of the name part, with the dot ("" when none).
AnsiString ExtractFileExt(std::string_view name);
// Replaces (or adds) the extension; ext includes its dot.
AnsiString ChangeFileExt(std::string_view name, std::string_view ext);
AnsiString IncludeTrailingPathDelimiter(std::string_view path);
AnsiString ExcludeTrailingPathDelimiter(std::string_view path);
// Absolute against the current folder, with "." and ".." resolved textually.
AnsiString ExpandFileName(std::string_view name);

// ---- the program and its surroundings ----
// ParamStr(0) is the program's full file name (from /proc/self/exe unless a
// test or the start-up code set it); ParamStr(n) the n-th argument.
AnsiString ParamStr(int index);
int ParamCount();
void SetCommandLine(int argc, const char* const* argv);
// Overrides ParamStr(0) (tests point the program folder at a scratch folder).
void SetProgramFileName(const AnsiString& fileName);
// The program's folder with a trailing "/".
AnsiString ProgramFolder();
// TMPDIR, else /tmp, as a whole path with a trailing "/".
AnsiString GetTempPath();
// Creates a new empty file named prefix + unique digits + ".tmp" in folder
// (the temporary folder when empty) and answers its full name; "" when it
// cannot be created (a missing folder, no rights).
AnsiString GetTempFileName(std::string_view folder, std::string_view prefix);
// Creates a new empty file named stem + ext in folder, or stem + "-2" + ext,
// "-3" and so on when that name is taken (by another copy of the program
// too: the name is claimed by creating the file), and answers its full name;
// "" when none can be created.
AnsiString CreateUniqueFile(std::string_view folder, std::string_view stem, std::string_view ext);
AnsiString GetCurrentDir();
bool SetCurrentDir(std::string_view dir);

// ---- files and folders ----
bool FileExists(std::string_view name);       // a file, not a folder
bool DirectoryExists(std::string_view name);  // a folder
bool CreateDir(std::string_view dir);
bool RemoveDir(std::string_view dir);
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(std::string_view dir);
bool DeleteFile(std::string_view name);
// Fails (false) when newName already exists, as the program expects.
bool RenameFile(std::string_view oldName, std::string_view newName);
// Modification time as a local date-time (days since 30 Dec 1899); -1 when missing.
double FileAge(std::string_view name);
// Size in bytes; -1 when missing.
std::int64_t FileSize(std::string_view name);

// ---- search ----
// Case-insensitive (1251) match of a file name against a mask: "?" is one
// character, "*" any run (also empty); a mask ending in ".*" also matches
// names without an extension, so "*.*" matches everything.
bool MatchesMask(std::string_view name, std::string_view mask);

enum : int {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faVolumeID = 0x08,
  faDirectory = 0x10,
  faArchive = 0x20,
  faAnyFile = 0x3F,
};

struct TSearchRec {
  AnsiString Name;  // the name alone, 1251
  std::int64_t Size = 0;
  int Attr = 0;
  double Time = 0;  // local date-time of the last change
  // Internal: the matches not yet handed out.
  std::shared_ptr<std::vector<TSearchRec>> pending;
};

// path is a folder plus a mask ("Data\??????_????.bin"). Plain files always
// match; folders (including "." and "..") and hidden (dot) files only when
// attr asks for them. Entries come in the order the file system lists them.
// Answers 0 on a match, non-zero when there is none.
int FindFirst(std::string_view path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);
// All matches of a mask in one call (plain files only): full names.
std::vector<AnsiString> FindFiles(std::string_view pathWithMask);

// ---- safe replacement ----
// Writes bytes to a new file beside name, flushes it to disk and renames it
// over name, so an interrupted or failed write leaves the old file intact.
// Raises EFCreateError / EWriteError on failure.
void SaveFileAtomically(std::string_view name, std::string_view bytes);
// The same with a writer that fills a stream; when the writer throws, the
// exception passes through and the old file stays as it was.
void SaveFileAtomically(std::string_view name, const std::function<void(TStream&)>& writer);
// Tests install a fault here to fail atomic saves after the bytes are written
// (as a full disk would); an exception it throws aborts the save.
void SetSaveFaultForTests(std::function<void(std::string_view name)> fault);
// Renames replacement over target (replacing it); false on failure.
bool ReplaceFile(std::string_view target, std::string_view replacement);

}  // namespace rtl
