#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zemra::test {

// A thermometer's Ethernet interface as the tests' stand-in ADDP units describe it.
struct AddpUnit {
  std::array<std::uint8_t, 6> mac{};
  std::array<std::uint8_t, 4> address{};
  std::array<std::uint8_t, 4> mask{255, 255, 255, 0};
  std::array<std::uint8_t, 4> gateway{};
  bool isStatic = false;
};

// A discovery reply laid out the way the units send it: the header, then MAC, IP address,
// mask and gateway, each as type, length and value, then further fields up to the payload
// length. A static unit's payload is 0x60 bytes long, a DHCP unit's 0x5E.
inline std::vector<std::uint8_t> AddpReply(const AddpUnit& unit) {
  const std::uint8_t payload = unit.isStatic ? 0x60 : 0x5E;
  std::vector<std::uint8_t> out = {'D', 'I', 'G', 'I', 0x00, 0x02, 0x00, payload};
  const auto field = [&out](std::uint8_t type, const auto& value) {
    out.push_back(type);
    out.push_back(static_cast<std::uint8_t>(value.size()));
    out.insert(out.end(), value.begin(), value.end());
  };
  field(0x01, unit.mac);
  field(0x02, unit.address);
  field(0x03, unit.mask);
  field(0x0B, unit.gateway);
  // The rest (device name, firmware and the like) is not read by discovery.
  out.push_back(0x04);
  out.push_back(static_cast<std::uint8_t>(8 + payload - out.size() - 1));
  out.resize(8 + std::size_t{payload}, 'z');
  return out;
}

}  // namespace zemra::test
