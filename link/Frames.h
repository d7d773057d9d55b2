#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The thermometer's framing and reply rules as plain functions: no port, no socket, no clock.
// The link builds every frame and judges every reply through these.

namespace zemra {

using Frame = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;

// STX and the unit address byte: the first two bytes of every frame. Only the low 8 bits of
// the address are used; any byte value, 0 included, is a valid address.
std::string AddressPrefix(std::int32_t unitAddress);

// Text handed to the thermometer inside a frame never carries a byte below 0x20: an ETX would
// end the frame early and an STX start a new one, and no control character belongs in a value.
std::string WithoutControlCharacters(std::string_view text);

// Read frame: prefix, "RA", command, terminator, and a zero byte that is sent too.
Frame BuildReadFrame(std::string_view prefix, std::string_view command, char terminator);

// Set texts: "SA" + mnemonic + " " + value ("SA%s %d" and "SA%s %s").
std::string FormatSetInt(std::string_view mnemonic, std::int32_t value);
std::string FormatSetText(std::string_view mnemonic, std::string_view text);

// Set frame: prefix, set text, terminator; no zero byte.
Frame BuildSetFrame(std::string_view prefix, std::string_view setText, char terminator);

// Probe frame: prefix, terminator, a zero byte.
Frame BuildProbeFrame(std::string_view prefix, char terminator);

// The text in `buffer[0, size)` up to its first zero byte (all of it when there is none).
std::string BufferText(const std::uint8_t* buffer, std::size_t size);

// A reply frame's text without its frame: a leading STX takes the address byte with it, and
// the whole trailing run of CR, LF and ETX goes.
std::string StripReplyFrame(std::string text);

// The error-reply rule on a stripped reply. A leading "*" followed by two or three characters
// and a second "*" is a harmless marker and is removed; any other leading "*" refuses the
// reply. Returns 0 (text possibly shortened by its first character) or -2.
int JudgeReply(std::string& text);

// A probe is answered when any byte received is "*".
bool ProbeAnswered(const std::uint8_t* bytes, std::size_t count);

}  // namespace zemra
