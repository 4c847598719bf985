// A fresh folder under the build's temporary area, removed with its contents,
// and Slurp, the whole of a file read through the runtime.
#pragma once
#include <filesystem>
#include <string>

#include <unistd.h>

#include "platform/rtl/streams.h"

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

inline std::string Slurp(const std::string& name) {
  rtl::TFileStream f(name, rtl::fmOpenRead);
  return f.ReadRest();
}
