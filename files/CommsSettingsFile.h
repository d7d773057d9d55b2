#pragma once

#include <string>
#include <string_view>

#include "files/CommsSettings.h"
#include "files/TextLines.h"

// The "CommsSettings.cfg" text: the communication settings as key lines between
// "[Communication Settings]" and "[end]". Text only; reading and writing the file itself is
// the file layer's.

namespace zemra {

// The name of the settings file in the data folder.
inline constexpr std::string_view kCommsSettingsFileName = "CommsSettings.cfg";

// The eleven lines of the file, every one ended by CR LF: "[start]", the header, the seven
// keys in record order, "[end]" and an empty line. Integers as "%d" prints them, UseTcpMode
// as 1 or 0, the texts unchanged.
std::string ComposeCommsSettings(const CommsSettings& settings);

struct CommsParse {
  CommsSettings settings;
  TextFormat status = TextFormat::kOk;
};

// Reads a settings file's bytes (any bytes; only the first kTextReadLimit are looked at) on
// top of `start`: keys the file does not give keep their values from `start`. The result's
// settings are `start` unchanged on a missing header, "[end]" or "SerialAddress"; on kBadValue
// they hold the keys read before the bad line. No range is checked: values are kept as read.
CommsParse ParseCommsSettings(std::string_view bytes, const CommsSettings& start);

}  // namespace zemra
