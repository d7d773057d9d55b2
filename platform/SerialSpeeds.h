#pragma once

#include <cstdint>

namespace zemra {

// The line speeds the serial driver can be set to, in bits per second.
bool IsSupportedBaudRate(std::uint32_t baudRate);

}  // namespace zemra
