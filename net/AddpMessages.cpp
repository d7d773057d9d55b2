#include "net/AddpMessages.h"

#include <algorithm>
#include <cstdio>

namespace zemra::addp {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'D', 'I', 'G', 'I'};

// Writes the 8-byte header (magic, message type, payload length) and returns the offset that
// follows it.
template <std::size_t N>
std::size_t PutHeader(std::array<std::uint8_t, N>& out, std::uint16_t type) {
  static_assert(N > 8);
  constexpr std::size_t payload = N - 8;
  std::copy(kMagic.begin(), kMagic.end(), out.begin());
  out[4] = static_cast<std::uint8_t>(type >> 8);
  out[5] = static_cast<std::uint8_t>(type);
  out[6] = static_cast<std::uint8_t>(payload >> 8);
  out[7] = static_cast<std::uint8_t>(payload);
  return 8;
}

template <std::size_t N, std::size_t M>
std::size_t Put(std::array<std::uint8_t, N>& out, std::size_t at,
                const std::array<std::uint8_t, M>& bytes) {
  std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
  return at + M;
}

// The length byte 4 and the password follow the MAC in the configuration and reboot requests.
template <std::size_t N>
std::size_t PutPassword(std::array<std::uint8_t, N>& out, std::size_t at) {
  static_assert(kDevicePassword.size() == 4);
  out[at++] = static_cast<std::uint8_t>(kDevicePassword.size());
  for (char c : kDevicePassword) out[at++] = static_cast<std::uint8_t>(c);
  return at;
}

template <std::size_t N>
std::array<std::uint8_t, N> Take(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::array<std::uint8_t, N> out{};
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), N, out.begin());
  return out;
}

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// Splits `text` at `separator` into exactly `parts.size()` pieces; false otherwise.
template <std::size_t N>
bool SplitExactly(std::string_view text, char separator, std::array<std::string_view, N>& parts) {
  std::size_t index = 0;
  for (;;) {
    const std::size_t end = text.find(separator);
    if (index == N) return false;
    parts[index++] = text.substr(0, end);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return index == N;
}

}  // namespace

std::array<std::uint8_t, kDiscoveryRequestSize> BuildDiscoveryRequest(const MacAddress& unit) {
  std::array<std::uint8_t, kDiscoveryRequestSize> out{};
  Put(out, PutHeader(out, kDiscoveryRequestType), unit);
  return out;
}

std::array<std::uint8_t, kNetworkConfigRequestSize> BuildNetworkConfigRequest(
    const Ipv4Bytes& address, const Ipv4Bytes& mask, const Ipv4Bytes& gateway,
    const MacAddress& unit) {
  std::array<std::uint8_t, kNetworkConfigRequestSize> out{};
  std::size_t at = PutHeader(out, kNetworkConfigRequestType);
  at = Put(out, at, address);
  at = Put(out, at, mask);
  at = Put(out, at, gateway);
  at = Put(out, at, unit);
  PutPassword(out, at);
  return out;
}

std::array<std::uint8_t, kRebootRequestSize> BuildRebootRequest(const MacAddress& unit) {
  std::array<std::uint8_t, kRebootRequestSize> out{};
  PutPassword(out, Put(out, PutHeader(out, kRebootRequestType), unit));
  return out;
}

std::optional<DiscoveryReply> ParseDiscoveryReply(std::span<const std::uint8_t> datagram) {
  if (datagram.size() < kMinDiscoveryReplySize) return std::nullopt;
  if (!std::equal(kMagic.begin(), kMagic.end(), datagram.begin())) return std::nullopt;
  const unsigned type = (unsigned{datagram[4]} << 8) | datagram[5];
  if (type != kDiscoveryReplyType) return std::nullopt;

  DiscoveryReply reply;
  reply.isStatic = datagram[7] == kStaticLengthByte;
  reply.mac = Take<6>(datagram, 10);
  reply.address = Take<4>(datagram, 18);
  reply.mask = Take<4>(datagram, 24);
  reply.gateway = Take<4>(datagram, 30);
  return reply;
}

std::string FormatMac(const MacAddress& mac) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
  return text;
}

std::string FormatIpv4(const Ipv4Bytes& address) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  return text;
}

std::string FormatIpv4(std::uint32_t hostOrderAddress) {
  return FormatIpv4(Ipv4Bytes{static_cast<std::uint8_t>(hostOrderAddress >> 24),
                              static_cast<std::uint8_t>(hostOrderAddress >> 16),
                              static_cast<std::uint8_t>(hostOrderAddress >> 8),
                              static_cast<std::uint8_t>(hostOrderAddress)});
}

std::optional<MacAddress> ParseMac(std::string_view text) {
  std::array<std::string_view, 6> parts;
  if (!SplitExactly(text, ':', parts)) return std::nullopt;
  MacAddress mac{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty() || parts[i].size() > 2) return std::nullopt;
    int value = 0;
    for (char c : parts[i]) {
      const std::optional<int> digit = HexDigit(c);
      if (!digit) return std::nullopt;
      value = value * 16 + *digit;
    }
    mac[i] = static_cast<std::uint8_t>(value);
  }
  return mac;
}

std::optional<Ipv4Bytes> ParseDottedQuad(std::string_view text) {
  std::array<std::string_view, 4> parts;
  if (!SplitExactly(text, '.', parts)) return std::nullopt;
  Ipv4Bytes address{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty() || parts[i].size() > 3) return std::nullopt;
    int value = 0;
    for (char c : parts[i]) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    if (value > 255) return std::nullopt;
    address[i] = static_cast<std::uint8_t>(value);
  }
  return address;
}

std::uint32_t ToHostOrder(const Ipv4Bytes& address) {
  return (std::uint32_t{address[0]} << 24) | (std::uint32_t{address[1]} << 16) |
         (std::uint32_t{address[2]} << 8) | address[3];
}

}  // namespace zemra::addp
