#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zemra {

// Reads an integer the way "%d" does, independent of the C locale: leading white space, an
// optional sign, then decimal digits; anything after the digits is ignored. Nothing when no
// digit follows. Numbers beyond 32 bits saturate at INT32_MIN or INT32_MAX instead of
// wrapping, however many digits follow. Thermometer replies and the settings files both read
// their integers through this one rule.
std::optional<std::int32_t> ScanInt(std::string_view text);

}  // namespace zemra
