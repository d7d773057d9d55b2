#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/ParameterTypes.h"

// The thermometer's "IFO 1" information text and what is taken from it, as plain functions.

namespace zemra {

inline constexpr std::string_view kInformationHeader = "[Thermometer Information]";
inline constexpr std::string_view kInformationEnd = "[end]";

// The information between the header and the first "[end]" of a reply (empty when "[end]"
// comes before the header's end). Nothing when either marker is missing.
std::optional<std::string> ExtractInformationText(std::string_view reply);

// The first line after the header and its CR LF, up to the next CR LF. Without the header the
// line is empty; without a closing CR LF it runs to the end of the reply.
std::string ExtractIdentityLine(std::string_view reply);

// Parses the information: "<type number>: <model word>" and then the keys IRU, THV, TLV and LPF,
// each followed by a decimal number. A key that is missing gives 0 for its value; a model word
// too short for its type character gives kTypeUnknown.
Thermometer ParseInformation(std::string_view text);

}  // namespace zemra
