#pragma once

#include <string>

namespace zemra::cli {

// The program's data folder, where the window keeps CommsSettings.cfg: the machine's shared
// data location + "Orvane/Zemranet/", found as the window finds it. The data locations are the
// user's own ($XDG_DATA_HOME, else ~/.local/share) and then $XDG_DATA_DIRS (else
// /usr/local/share and /usr/share); the machine's is the first absolute one outside the home
// folder. Ends with a slash; empty when there is none (the working folder is meant then).
std::string DefaultDataFolder();

// The same from given values of $HOME, $XDG_DATA_HOME and $XDG_DATA_DIRS (null when unset).
std::string DataFolderFrom(const char* home, const char* dataHome, const char* dataDirs);

// `folder` with a trailing slash, so that a file name can be appended; empty stays empty.
std::string WithTrailingSlash(std::string folder);

}  // namespace zemra::cli
