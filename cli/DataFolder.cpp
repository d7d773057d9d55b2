#include "cli/DataFolder.h"

#include <cstdlib>

namespace zemra::cli {

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string DefaultDataFolder() {
  std::string shared = "/usr/local/share";
  if (const char* dirs = std::getenv("XDG_DATA_DIRS"); dirs != nullptr) {
    const std::string list(dirs);
    const std::string first = list.substr(0, list.find(':'));
    // Relative entries are invalid by the XDG rules and ignored.
    if (!first.empty() && first.front() == '/') shared = first;
  }
  return WithTrailingSlash(shared) + "Orvane/Zemranet/";
}

}  // namespace zemra::cli
