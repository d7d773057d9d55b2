#pragma once

namespace zemra::cli {

// zemractl's exit statuses. Scripts branch on them, so they never change meaning.
inline constexpr int kExitOk = 0;
// No thermometer answered, the connection was lost, or (diff, --verify) the thermometer does
// not hold what the file says.
inline constexpr int kExitNoThermometer = 1;
inline constexpr int kExitRefused = 2;     // the thermometer sent an error reply
inline constexpr int kExitOutOfRange = 3;  // a value outside its allowed range
inline constexpr int kExitFileError = 4;   // a file could not be read or written, or its format
inline constexpr int kExitUsage = 64;      // the command line itself is wrong (EX_USAGE)

// The exit status for a link result code: -1 and -4 are a lost thermometer, -2 a refusal,
// -3 a value out of range.
constexpr int ExitForLinkResult(int result) {
  switch (result) {
    case 0:
      return kExitOk;
    case -2:
      return kExitRefused;
    case -3:
      return kExitOutOfRange;
    default:
      return kExitNoThermometer;
  }
}

}  // namespace zemra::cli
