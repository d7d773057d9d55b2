#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The datagrams of the Advanced Device Discovery Protocol that the thermometers' Ethernet
// interfaces answer: pure builders of the requests this program sends and a pure parser of the
// discovery reply. All numbers on the wire are big-endian.
namespace zemra::addp {

inline constexpr std::uint16_t kUnitPort = 2362;    // every request goes to this port
inline constexpr std::uint16_t kLocalPort = 64919;  // replies come back to this one

// The password the units' ADDP service accepts for configuration by default.
inline constexpr std::string_view kDevicePassword = "dbps";

using MacAddress = std::array<std::uint8_t, 6>;
using Ipv4Bytes = std::array<std::uint8_t, 4>;  // the four dotted parts in text order

// Asks every unit that hears the request.
inline constexpr MacAddress kAllUnits = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

inline constexpr std::size_t kDiscoveryRequestSize = 14;
inline constexpr std::size_t kNetworkConfigRequestSize = 31;
inline constexpr std::size_t kRebootRequestSize = 19;
// A reply must reach the end of the gateway field to be read.
inline constexpr std::size_t kMinDiscoveryReplySize = 34;

inline constexpr std::uint16_t kDiscoveryRequestType = 1;
inline constexpr std::uint16_t kDiscoveryReplyType = 2;
inline constexpr std::uint16_t kNetworkConfigRequestType = 3;
inline constexpr std::uint16_t kRebootRequestType = 5;
// A unit with a static address answers with this low byte of the payload length.
inline constexpr std::uint8_t kStaticLengthByte = 0x60;

std::array<std::uint8_t, kDiscoveryRequestSize> BuildDiscoveryRequest(const MacAddress& unit);

std::array<std::uint8_t, kNetworkConfigRequestSize> BuildNetworkConfigRequest(
    const Ipv4Bytes& address, const Ipv4Bytes& mask, const Ipv4Bytes& gateway,
    const MacAddress& unit);

std::array<std::uint8_t, kRebootRequestSize> BuildRebootRequest(const MacAddress& unit);

// The fields of a discovery reply, as bytes.
struct DiscoveryReply {
  MacAddress mac{};
  Ipv4Bytes address{};
  Ipv4Bytes mask{};
  Ipv4Bytes gateway{};
  bool isStatic = false;

  friend bool operator==(const DiscoveryReply&, const DiscoveryReply&) = default;
};

// Reads a discovery reply at the protocol's fixed offsets (MAC at 10, address at 18, mask at
// 24, gateway at 30, the address mode in byte 7). Anything shorter than 34 bytes, without the
// "DIGI" magic or of another message type is no reply and gives nothing.
std::optional<DiscoveryReply> ParseDiscoveryReply(std::span<const std::uint8_t> datagram);

// "00:0A:B0:01:02:03": two upper-case hexadecimal digits per byte.
std::string FormatMac(const MacAddress& mac);
// "192.168.0.50".
std::string FormatIpv4(const Ipv4Bytes& address);
std::string FormatIpv4(std::uint32_t hostOrderAddress);

// Six colon-separated parts of one or two hexadecimal digits, either case. Nothing else is a
// MAC text.
std::optional<MacAddress> ParseMac(std::string_view text);
// Four dot-separated decimal parts of one to three digits, each 0 to 255. Nothing else (no
// spaces, signs, shortened forms or trailing text) is a dotted quad.
std::optional<Ipv4Bytes> ParseDottedQuad(std::string_view text);

std::uint32_t ToHostOrder(const Ipv4Bytes& address);

}  // namespace zemra::addp
