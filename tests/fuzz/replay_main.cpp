// The ordinary build's stand-in for libFuzzer: runs a target's entry point
// once over every file of the folders (and files) named on the command line,
// plus a few inputs every reader must survive, so each target is compiled
// with the tree and its seeds replayed by ctest. A crash, an abort or an
// escaping exception ends the program and fails the test; so does a seed
// folder that is missing or empty, which would otherwise pass unnoticed (a
// target renamed without its corpus).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Feed(const std::string& bytes) {
  return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::vector<std::string> BuiltInInputs() {
  std::string ascending;
  for (int i = 0; i < 256; ++i) ascending.push_back(static_cast<char>(i));
  return {"",
          std::string(1, '\0'),
          std::string(64, '\xFF'),
          std::string(4096, '\0'),
          ascending,
          "<?xml version=\"1.0\"?><a b=\"&amp;\"><c/></a>"};
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg = argv[i];
    std::error_code ec;
    const std::size_t before = files.size();
    if (fs::is_directory(arg, ec)) {
      for (const auto& entry : fs::recursive_directory_iterator(arg))
        if (entry.is_regular_file()) files.push_back(entry.path());
    } else if (fs::is_regular_file(arg, ec)) {
      files.push_back(arg);
    }
    if (files.size() == before) {
      std::fprintf(stderr, "no seeds at %s: add seed files under the target's name\n", arg.string().c_str());
      return 1;
    }
  }
  std::sort(files.begin(), files.end());
  for (const std::string& input : BuiltInInputs()) Feed(input);
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
      return 1;
    }
    std::printf("%s\n", file.string().c_str());
    std::fflush(stdout);  // the last name printed is the input that crashed
    Feed(std::string(std::istreambuf_iterator<char>(in), {}));
  }
  std::printf("replayed %zu seed files and %zu built-in inputs\n", files.size(), BuiltInInputs().size());
  return 0;
}
