// Runs the request fuzz target over files, as the fuzzer would run one input:
// the seed corpus replayed as an ordinary test, built with any compiler. Each
// argument is a file or a folder of files. Exits with 1 when an argument
// cannot be read; a finding shows as a crash or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path))
        if (entry.is_regular_file()) files.push_back(entry.path());
    } else {
      files.push_back(path);
    }
  }
  if (files.empty()) {
    std::cerr << "request_fuzz_replay: no input files\n";
    return 1;
  }
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::cerr << "request_fuzz_replay: cannot read " << file << "\n";
      return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    std::cout << "ran " << file.filename().string() << " (" << bytes.size() << " bytes)\n";
  }
  return 0;
}
