#include "cli/DataFolder.h"

#include <cstdlib>
#include <vector>

namespace zemra::cli {

namespace {

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    parts.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// `path` without trailing slashes ("/" stays "/").
std::string Clean(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Whether `path` lies in `folder`. A home folder of "/" contains nothing here, as for the
// window, or no shared location could ever be found.
bool Inside(const std::string& path, const std::string& folder) {
  if (folder.empty() || folder == "/") return false;
  return (path + "/").rfind(folder + "/", 0) == 0;
}

}  // namespace

std::string WithTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string DataFolderFrom(const char* home, const char* dataHome, const char* dataDirs) {
  const std::string homeFolder = home != nullptr ? Clean(home) : std::string();
  std::vector<std::string> locations;
  if (dataHome != nullptr && *dataHome != '\0') {
    locations.push_back(dataHome);
  } else if (!homeFolder.empty()) {
    locations.push_back((homeFolder == "/" ? "" : homeFolder) + "/.local/share");
  }
  const std::string dirs =
      dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share";
  for (const std::string& dir : Split(dirs)) locations.push_back(dir);
  for (const std::string& location : locations) {
    const std::string clean = Clean(location);
    if (clean.empty() || clean.front() != '/' || Inside(clean, homeFolder)) continue;
    return WithTrailingSlash(clean) + "Orvane/Zemranet/";
  }
  return {};
}

std::string DefaultDataFolder() {
  return DataFolderFrom(std::getenv("HOME"), std::getenv("XDG_DATA_HOME"),
                        std::getenv("XDG_DATA_DIRS"));
}

}  // namespace zemra::cli
