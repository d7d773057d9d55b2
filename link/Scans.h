#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/IntText.h"

// The scans the link applies to reply texts, and the scaling of decimal values into the integers
// the thermometer takes. Plain functions, independent of the C locale: a reply's decimal point
// is always ".", whatever locale the window has set.

namespace zemra {

// ScanInt (platform/IntText.h): leading white space, an optional sign, decimal digits; values
// beyond 32 bits saturate.

// A decimal floating-point number (digits with an optional point and exponent) after leading
// white space and an optional sign. Infinities, NaNs and numbers too large or too small for a
// double are not values a thermometer sends and count as no number.
std::optional<double> ScanDouble(std::string_view text);

// Leading white space, an optional sign, an optional "0x"/"0X", hexadecimal digits. A minus
// sign negates modulo 2^32; more than 32 bits saturate at 0xFFFFFFFF.
std::optional<std::uint32_t> ScanHex(std::string_view text);

// value * factor in double precision, truncated toward zero (0.95 * 1000 gives 950,
// 1.001 * 1000 gives 1000). Results beyond 32 bits saturate; a NaN gives 0.
std::int32_t ScaleToInt(double value, double factor);

// A label as read: trailing white space removed, then at most the first 15 characters.
std::string LabelFromReply(std::string_view reply);

// A label as written: no control characters, then at most the last 15 characters.
std::string LabelForFrame(std::string_view label);

inline constexpr std::size_t kLabelLength = 15;

}  // namespace zemra
