// A fresh folder under the build's temporary area, removed with its contents.
#pragma once
#include <filesystem>
#include <string>

#include <unistd.h>

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string base = std::filesystem::temp_directory_path() / "zarnik-rtl-XXXXXX";
    path_ = mkdtemp(base.data());
    path_ += "/";
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
