// A fresh folder under the system's temporary area, removed with everything
// in it when the object goes: at the end of the test's scope, which a failed
// ASSERT_ leaves as well. Test programs run in parallel: the name is random,
// and creating the folder fails when another process took it first.
#pragma once
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace support {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix = "zarnik-test-") {
    std::random_device random;
    std::mt19937_64 bits((std::uint64_t(random()) << 32) ^ random());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    do folder_ = base / (prefix + std::to_string(bits()));
    while (!std::filesystem::create_directory(folder_));
    path_ = folder_.string() + "/";
  }
  ~ScratchFolder() { Remove(folder_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  // The folder's name with a trailing "/".
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return (folder_ / name).string(); }

  // Removes a tree even where a test took away the write or search right of
  // a folder in it (to provoke a failed save): the rights come back first.
  static void Remove(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(root, ec))) {
      fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
      for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
           !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
          fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(root, ec);
  }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

}  // namespace support

// The application tests still name it without the namespace.
using support::ScratchFolder;
