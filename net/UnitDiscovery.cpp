#include "net/UnitDiscovery.h"

#include <array>
#include <cstdio>
#include <utility>

namespace zemra {

UnitInfo UnitInfoFromReply(const addp::DiscoveryReply& reply) {
  return {addp::FormatIpv4(reply.address), addp::FormatIpv4(reply.mask), addp::FormatMac(reply.mac),
          addp::FormatIpv4(reply.gateway), reply.isStatic};
}

CUnitDiscovery::CUnitDiscovery() : CUnitDiscovery(SystemAdapters, SystemUdp(), SystemClock()) {}

CUnitDiscovery::CUnitDiscovery(AdapterProvider adapters, UdpApi& udp, Clock& clock)
    : adapters_(std::move(adapters)), udp_(udp), clock_(clock) {
  units_.reserve(kMaxUnits);
}

CUnitDiscovery::~CUnitDiscovery() = default;

int CUnitDiscovery::InitSocket() {
  socket_.reset();
  int error = 0;
  std::unique_ptr<UdpSocket> socket = udp_.Open(error);
  if (!socket) return 1;
  if (socket->EnableBroadcast() != 0) return 1;
  // Without the time-out a search could wait for ever on a silent network; it is reported but
  // not fatal, as the socket still works.
  if (const int timeoutError = socket->SetReceiveTimeout(kReceiveTimeoutMs); timeoutError != 0) {
    std::fprintf(stderr, "Error: %s\n", UdpErrorText(timeoutError).c_str());
  }
  if (socket->Bind({0, addp::kLocalPort}) != 0) return 1;
  socket_ = std::move(socket);
  return 0;
}

int CUnitDiscovery::Discover() {
  units_.clear();
  const std::vector<Adapter> adapters = adapters_ ? adapters_() : std::vector<Adapter>{};
  const auto request = addp::BuildDiscoveryRequest(addp::kAllUnits);
  // A unit listed by an earlier search, or at an address it has since left, must not be listed
  // again from an answer that was still waiting on the socket.
  DropStaleReplies();
  // Adapters on one network each get the request; the table's IP check keeps every unit once.
  for (const Adapter& adapter : adapters) {
    if (!Send(DirectedBroadcast(adapter), request)) break;
    clock_.Wait(kReplyPauseMs);
    CollectReplies();
  }
  return Count();
}

const UnitInfo* CUnitDiscovery::FindUnit(const std::string& macAddress) const {
  const std::optional<addp::MacAddress> wanted = addp::ParseMac(macAddress);
  if (!wanted) return nullptr;
  for (const UnitInfo& unit : units_) {
    if (addp::ParseMac(unit.macAddress) == wanted) return &unit;
  }
  return nullptr;
}

bool CUnitDiscovery::Send(std::uint32_t address, std::span<const std::uint8_t> datagram) {
  if (!socket_) return false;
  if (socket_->SendTo({address, addp::kUnitPort}, datagram) == 0) return true;
  // A socket that failed a send is given up for this object's life (until InitSocket again):
  // later searches and settings changes then send nothing.
  socket_.reset();
  return false;
}

void CUnitDiscovery::DropStaleReplies() {
  if (socket_) socket_->DiscardPending(kMaxStaleDatagrams);
}

void CUnitDiscovery::CollectReplies() {
  std::array<std::uint8_t, kReplyBufferSize> buffer{};
  const std::uint32_t start = clock_.TickCount();
  while (clock_.TickCount() - start < kMaxListenMs) {
    const UdpReceived received = socket_->ReceiveFrom(buffer);
    switch (received.status) {
      case UdpReceived::Status::kTimedOut:
      case UdpReceived::Status::kFailed:
        return;
      case UdpReceived::Status::kTooLarge:
        // No reply is that long; a stray datagram must not end the search for the others.
        continue;
      case UdpReceived::Status::kDatagram:
        break;
    }
    // Only the datagram's own bytes are parsed, never what an earlier, longer one left in the
    // buffer.
    const auto reply = addp::ParseDiscoveryReply(std::span(buffer.data(), received.size));
    if (reply) AddUnit(UnitInfoFromReply(*reply));
  }
}

void CUnitDiscovery::AddUnit(UnitInfo unit) {
  for (const UnitInfo& known : units_) {
    if (known.ipAddress == unit.ipAddress) return;
  }
  // Further units are still read (so their replies do not linger on the socket) but the table
  // holds no more.
  if (units_.size() < kMaxUnits) units_.push_back(std::move(unit));
}

}  // namespace zemra
