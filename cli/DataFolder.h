#pragma once

#include <string>

namespace zemra::cli {

// The program's data folder, where the window keeps CommsSettings.cfg: the machine's shared
// application-data folder (the first of $XDG_DATA_DIRS, /usr/local/share when unset) followed
// by "Orvane/Zemranet/". Ends with a slash, like every data folder path the program joins
// file names to.
std::string DefaultDataFolder();

// `folder` with a trailing slash, so that a file name can be appended.
std::string WithTrailingSlash(std::string folder);

}  // namespace zemra::cli
