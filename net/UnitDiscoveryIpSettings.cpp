#include <array>
#include <optional>

#include "net/UnitDiscovery.h"

namespace zemra {

int CUnitDiscovery::SetIpSettings(const UnitInfo& unit) {
  const UnitInfo* found = FindUnit(unit.macAddress);
  if (found == nullptr) return kUnitNotFound;
  const std::optional<addp::Ipv4Bytes> destination = addp::ParseDottedQuad(found->ipAddress);
  const std::optional<addp::MacAddress> mac = addp::ParseMac(unit.macAddress);
  const std::optional<addp::Ipv4Bytes> address = addp::ParseDottedQuad(unit.ipAddress);
  const std::optional<addp::Ipv4Bytes> mask = addp::ParseDottedQuad(unit.subnetMask);
  const std::optional<addp::Ipv4Bytes> gateway = addp::ParseDottedQuad(unit.gateway);
  // A part out of range would otherwise be cut to a byte and give the unit an address nobody
  // typed, possibly one it can no longer be reached at.
  if (!destination || !mac || !address || !mask || !gateway) return kUnitSettingsInvalid;

  // Every datagram goes to the address the unit has now; the new one takes effect only after
  // the restart.
  const std::uint32_t to = addp::ToHostOrder(*destination);
  if (!SendAndRead(to, addp::BuildDiscoveryRequest(*mac))) return kUnitSendFailed;
  if (!SendAndRead(to, addp::BuildNetworkConfigRequest(*address, *mask, *gateway, *mac))) {
    return kUnitSendFailed;
  }
  // The unit needs this long to store the new settings before it is told to restart.
  clock_.Wait(kRebootPauseMs);
  return Reboot(*found);
}

int CUnitDiscovery::Reboot(const UnitInfo& unit) {
  const std::optional<addp::Ipv4Bytes> destination = addp::ParseDottedQuad(unit.ipAddress);
  const std::optional<addp::MacAddress> mac = addp::ParseMac(unit.macAddress);
  if (!destination || !mac) return kUnitSettingsInvalid;

  const std::uint32_t to = addp::ToHostOrder(*destination);
  if (!SendAndRead(to, addp::BuildDiscoveryRequest(*mac))) return kUnitSendFailed;
  if (!SendAndRead(to, addp::BuildRebootRequest(*mac))) return kUnitSendFailed;
  return kUnitRequestsSent;
}

bool CUnitDiscovery::SendAndRead(std::uint32_t address, std::span<const std::uint8_t> datagram) {
  // The read that follows is to wait for this request's answer, not to return at once with an
  // extra answer to the one before.
  DropStaleReplies();
  if (!Send(address, datagram)) return false;
  clock_.Wait(kReplyPauseMs);
  ReadOneReply();
  return true;
}

void CUnitDiscovery::ReadOneReply() {
  // The units' answers carry no outcome this program acts on; the read only gives the unit its
  // turn and takes the answer off the socket.
  std::array<std::uint8_t, kReplyBufferSize> buffer{};
  socket_->ReceiveFrom(buffer);
}

}  // namespace zemra
