// A fresh folder under the system's temporary area, removed with everything
// in it when the object goes. Test programs run in parallel: the name is
// random, and creating the folder fails when another process took it first.
#pragma once
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

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
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  // The folder's name with a trailing "/".
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return (folder_ / name).string(); }

 private:
  std::filesystem::path folder_;
  std::string path_;
};
