#pragma once

#include <cstdio>
#include <string>

namespace zemra::bench {

// Starts the window probe (the window program's start-up with a watch on its first paint)
// `repeats` times and prints the time from the start of the process to the end of the main
// window's first paint, and the resident memory at that moment. With no probe built (no Qt,
// or no window yet) it says so on standard error and prints no figure.
bool RunWindowBench(const std::string& probe, const std::string& workFolder, int repeats,
                    std::FILE* out);

}  // namespace zemra::bench
