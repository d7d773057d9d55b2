#include "bench/WorkFolder.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace zemra::bench {

WorkFolder::WorkFolder() {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  std::string pattern = (error ? std::filesystem::path("/tmp") : base) / "zemra-bench-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
}

WorkFolder::~WorkFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

double LoadAverage() {
  std::FILE* file = std::fopen("/proc/loadavg", "r");
  if (file == nullptr) return -1;
  double load = -1;
  if (std::fscanf(file, "%lf", &load) != 1) load = -1;
  std::fclose(file);
  return load;
}

}  // namespace zemra::bench
