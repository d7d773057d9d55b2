#include "link/Frames.h"

#include <algorithm>
#include <cstring>

#include "link/ParameterTypes.h"

namespace zemra {

namespace {

void Append(Frame& frame, std::string_view text) {
  frame.insert(frame.end(), text.begin(), text.end());
}

bool IsReplyTrailer(char c) {
  return c == '\r' || c == '\n' || c == static_cast<char>(kEtx);
}

}  // namespace

std::string AddressPrefix(std::int32_t unitAddress) {
  std::string prefix(2, '\0');
  prefix[0] = static_cast<char>(kStx);
  prefix[1] = static_cast<char>(static_cast<std::uint8_t>(unitAddress & 0xFF));
  return prefix;
}

std::string WithoutControlCharacters(std::string_view text) {
  std::string clean;
  clean.reserve(text.size());
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x20) clean.push_back(c);
  }
  return clean;
}

Frame BuildReadFrame(std::string_view prefix, std::string_view command, char terminator) {
  Frame frame;
  frame.reserve(prefix.size() + command.size() + 4);
  Append(frame, prefix);
  Append(frame, "RA");
  Append(frame, WithoutControlCharacters(command));
  frame.push_back(static_cast<std::uint8_t>(terminator));
  frame.push_back(0);
  return frame;
}

std::string FormatSetInt(std::string_view mnemonic, std::int32_t value) {
  return FormatSetText(mnemonic, std::to_string(value));
}

std::string FormatSetText(std::string_view mnemonic, std::string_view text) {
  std::string set = "SA";
  set.append(mnemonic);
  set.push_back(' ');
  set.append(text);
  return set;
}

Frame BuildSetFrame(std::string_view prefix, std::string_view setText, char terminator) {
  Frame frame;
  frame.reserve(prefix.size() + setText.size() + 1);
  Append(frame, prefix);
  Append(frame, WithoutControlCharacters(setText));
  frame.push_back(static_cast<std::uint8_t>(terminator));
  return frame;
}

Frame BuildProbeFrame(std::string_view prefix, char terminator) {
  Frame frame;
  Append(frame, prefix);
  frame.push_back(static_cast<std::uint8_t>(terminator));
  frame.push_back(0);
  return frame;
}

std::string BufferText(const std::uint8_t* buffer, std::size_t size) {
  const void* zero = std::memchr(buffer, 0, size);
  const std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - buffer) : size;
  return std::string(reinterpret_cast<const char*>(buffer), length);
}

std::string StripReplyFrame(std::string text) {
  if (!text.empty() && text[0] == static_cast<char>(kStx)) text.erase(0, 2);
  const auto keep = std::find_if_not(text.rbegin(), text.rend(), IsReplyTrailer);
  text.erase(keep.base(), text.end());
  return text;
}

int JudgeReply(std::string& text) {
  if (!text.empty() && text[0] == '*') {
    const std::size_t next = text.find('*', 1);
    if (next == 3 || next == 4) text.erase(0, 1);
  }
  if (!text.empty() && text[0] == '*') return kLinkErrorReply;
  return kLinkOk;
}

bool ProbeAnswered(const std::uint8_t* bytes, std::size_t count) {
  return std::memchr(bytes, '*', count) != nullptr;
}

}  // namespace zemra
