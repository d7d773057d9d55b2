#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zemra::sim {

using MacAddress = std::array<std::uint8_t, 6>;
using Ipv4 = std::array<std::uint8_t, 4>;  // in dotted order

enum AddpType : std::uint16_t {
  kAddpDiscoveryRequest = 1,
  kAddpDiscoveryReply = 2,
  kAddpConfigRequest = 3,
  kAddpConfigReply = 4,
  kAddpRebootRequest = 5,
  kAddpRebootReply = 6,
};

// The payload length of a discovery reply from a unit with a static address; readers take
// this one number as the unit's address mode.
inline constexpr std::uint16_t kStaticPayloadLength = 0x60;

// A request as a unit reads it. Nothing beyond the fields of its type is kept.
struct AddpRequest {
  std::uint16_t type = 0;
  MacAddress mac{};
  Ipv4 ip{}, mask{}, gateway{};  // configuration request only
  std::string password;          // configuration and reboot requests
};

// What a unit tells about itself.
struct AddpIdentity {
  MacAddress mac{};
  Ipv4 ip{}, mask{}, gateway{};
  bool staticAddress = true;
  std::string name;
};

// A "DIGI" request of type 1, 3 or 5 whose payload holds all its fields; anything else
// (other magic, other types, short payloads) gives nothing.
std::optional<AddpRequest> ParseAddpRequest(const std::uint8_t* data, std::size_t size);

// Type 2. The payload begins with the MAC, IP, mask and gateway fields (type byte, length
// byte, value), so their values stand at offsets 10, 18, 24 and 30; a static unit's payload is
// 0x60 bytes long, a DHCP unit's longer by its lease field.
std::string BuildDiscoveryReply(const AddpIdentity& unit);

// Types 4 and 6: the unit's MAC, a result flag (0 success, 0xFF failure) and a message.
std::string BuildResultReply(std::uint16_t type, const MacAddress& mac, bool ok,
                             const std::string& message);

bool MacMatches(const MacAddress& asked, const MacAddress& own);  // all ones asks everyone
std::string MacText(const MacAddress& mac);
std::string IpText(const Ipv4& ip);
std::optional<Ipv4> ParseIp(const std::string& text);

}  // namespace zemra::sim
