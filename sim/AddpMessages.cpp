#include "sim/AddpMessages.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zemra::sim {
namespace {

constexpr std::size_t kHeader = 8;

// Field types of the payload.
enum : std::uint8_t {
  kFieldMac = 0x01,
  kFieldIp = 0x02,
  kFieldMask = 0x03,
  kFieldName = 0x04,
  kFieldResultMessage = 0x09,
  kFieldResultFlag = 0x0a,
  kFieldGateway = 0x0b,
  kFieldDhcp = 0x10,
  kFieldLease = 0x1c,
  kFieldVersion = 0x08,
  kFieldPort = 0x1d,
};

void Put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value >> 8));
  out.push_back(static_cast<char>(value & 0xff));
}

template <typename Bytes>
void Field(std::string& out, std::uint8_t type, const Bytes& value) {
  out.push_back(static_cast<char>(type));
  out.push_back(static_cast<char>(value.size()));
  out.append(reinterpret_cast<const char*>(value.data()), value.size());
}

std::string Header(std::uint16_t type, std::size_t payload) {
  std::string out = "DIGI";
  Put16(out, type);
  Put16(out, static_cast<std::uint16_t>(payload));
  return out;
}

template <std::size_t N>
std::array<std::uint8_t, N> Take(const std::uint8_t* data) {
  std::array<std::uint8_t, N> out{};
  std::copy(data, data + N, out.begin());
  return out;
}

}  // namespace

std::optional<AddpRequest> ParseAddpRequest(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader || std::memcmp(data, "DIGI", 4) != 0) return std::nullopt;
  AddpRequest request;
  request.type = static_cast<std::uint16_t>(data[4] << 8 | data[5]);
  const std::size_t payload = size - kHeader;
  const std::uint8_t* p = data + kHeader;
  switch (request.type) {
    case kAddpDiscoveryRequest:
      if (payload < 6) return std::nullopt;
      request.mac = Take<6>(p);
      return request;
    case kAddpConfigRequest:
      if (payload < 23 || p[18] > payload - 19) return std::nullopt;
      request.ip = Take<4>(p);
      request.mask = Take<4>(p + 4);
      request.gateway = Take<4>(p + 8);
      request.mac = Take<6>(p + 12);
      request.password.assign(reinterpret_cast<const char*>(p + 19), p[18]);
      return request;
    case kAddpRebootRequest:
      if (payload < 11 || p[6] > payload - 7) return std::nullopt;
      request.mac = Take<6>(p);
      request.password.assign(reinterpret_cast<const char*>(p + 7), p[6]);
      return request;
    default:
      return std::nullopt;
  }
}

std::string BuildDiscoveryReply(const AddpIdentity& unit) {
  std::string payload;
  Field(payload, kFieldMac, unit.mac);
  Field(payload, kFieldIp, unit.ip);
  Field(payload, kFieldMask, unit.mask);
  Field(payload, kFieldGateway, unit.gateway);
  Field(payload, kFieldDhcp,
        std::array<std::uint8_t, 1>{static_cast<std::uint8_t>(unit.staticAddress ? 0 : 1)});
  Field(payload, kFieldPort, std::array<std::uint8_t, 2>{2101 >> 8, 2101 & 0xff});
  Field(payload, kFieldVersion, std::string("ZEMRAnet interface 1.4"));
  // The name field takes up what is left, so that a static unit's payload is exactly 0x60.
  const std::size_t room = kStaticPayloadLength - payload.size() - 2;
  std::string name = unit.name.substr(0, room);
  name.resize(room, '\0');
  Field(payload, kFieldName, name);
  if (!unit.staticAddress)
    Field(payload, kFieldLease, std::array<std::uint8_t, 4>{0, 1, 0x51, 0x80});
  return Header(kAddpDiscoveryReply, payload.size()) + payload;
}

std::string BuildResultReply(std::uint16_t type, const MacAddress& mac, bool ok,
                             const std::string& message) {
  std::string payload;
  Field(payload, kFieldMac, mac);
  Field(payload, kFieldResultFlag,
        std::array<std::uint8_t, 1>{static_cast<std::uint8_t>(ok ? 0x00 : 0xFF)});
  Field(payload, kFieldResultMessage, message.substr(0, 255));
  return Header(type, payload.size()) + payload;
}

bool MacMatches(const MacAddress& asked, const MacAddress& own) {
  return asked == own || std::all_of(asked.begin(), asked.end(), [](auto b) { return b == 0xff; });
}

std::string MacText(const MacAddress& mac) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
  return text;
}

std::string IpText(const Ipv4& ip) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]);
  return text;
}

std::optional<Ipv4> ParseIp(const std::string& text) {
  in_addr addr{};
  if (::inet_pton(AF_INET, text.c_str(), &addr) != 1) return std::nullopt;
  Ipv4 ip;
  std::memcpy(ip.data(), &addr.s_addr, 4);
  return ip;
}

}  // namespace zemra::sim
