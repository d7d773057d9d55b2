#include "sim/AddpResponder.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace zemra::sim {
namespace {

constexpr std::size_t kMaxDatagram = 65536;

sockaddr_in SocketAddress(const Ipv4& ip, std::uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  std::memcpy(&addr.sin_addr.s_addr, ip.data(), 4);
  return addr;
}

Fd UdpSocket(const sockaddr_in& bindTo, std::string& error) {
  Fd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  const int on = 1;
  if (!fd.Valid() || ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::setsockopt(fd.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
      ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&bindTo), sizeof bindTo) != 0) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &bindTo.sin_addr, text, sizeof text);
    error = std::string("ADDP on ") + text + ":" + std::to_string(ntohs(bindTo.sin_port)) + ": " +
            std::strerror(errno);
    return Fd{};
  }
  return fd;
}

std::string PeerText(const sockaddr_in& addr) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(addr.sin_port));
}

const char* TypeName(std::uint16_t type) {
  switch (type) {
    case kAddpDiscoveryRequest:
      return "discovery";
    case kAddpConfigRequest:
      return "configuration";
    case kAddpRebootRequest:
      return "reboot";
    default:
      return "invalid";
  }
}

}  // namespace

AddpResponder::AddpResponder(Reactor& reactor, FaultPlan& faults, Recorder& recorder,
                             const SimulatorOptions& options)
    : reactor_(reactor), faults_(faults), recorder_(recorder), options_(options) {}

AddpResponder::~AddpResponder() {
  if (broadcast_.Valid()) reactor_.Unwatch(broadcast_.Get());
  for (auto& unit : units_) {
    if (unit->socket.Valid()) reactor_.Unwatch(unit->socket.Get());
  }
}

bool AddpResponder::Reachable(const Ipv4& ip) const {
  return options_.allowAnyAddress || ip[0] == 127;
}

void AddpResponder::MakeUnits() {
  const Ipv4 first = ParseIp(options_.addpFirstAddress).value_or(Ipv4{127, 0, 1, 1});
  const std::uint32_t base =
      static_cast<std::uint32_t>(first[0]) << 24 | first[1] << 16 | first[2] << 8 | first[3];
  const int count = std::min(options_.addpUnits, kMaxUnits);
  for (int i = 0; i < count; ++i) {
    auto unit = std::make_unique<Unit>();
    const std::uint32_t ip = base + static_cast<std::uint32_t>(i);
    unit->identity.ip = {static_cast<std::uint8_t>(ip >> 24), static_cast<std::uint8_t>(ip >> 16),
                         static_cast<std::uint8_t>(ip >> 8), static_cast<std::uint8_t>(ip)};
    unit->identity.mask = {255, 0, 0, 0};
    unit->identity.gateway = {first[0], 0, 0, 254};
    // Locally administered MACs, one per unit.
    unit->identity.mac = {0x02,
                          0x5A,
                          0x4D,
                          0x00,
                          static_cast<std::uint8_t>((i + 1) >> 8),
                          static_cast<std::uint8_t>(i + 1)};
    unit->identity.staticAddress = i % 2 == 0;
    unit->identity.name = "ZEMRA unit " + std::to_string(i + 1);
    ThermometerConfig config = options_.thermometer;
    config.serialNumber = options_.thermometer.serialNumber + 1 + i;
    config.label = "UNIT " + std::to_string(i + 1);
    unit->model = std::make_unique<Thermometer>(config);
    unit->model->SetSignal(options_.signalC);
    units_.push_back(std::move(unit));
  }
}

bool AddpResponder::Open(std::string& error) {
  MakeUnits();
  const Ipv4 listenOn = options_.allowAnyAddress ? Ipv4{0, 0, 0, 0} : Ipv4{127, 255, 255, 255};
  broadcast_ = UdpSocket(SocketAddress(listenOn, options_.addpPort), error);
  if (!broadcast_.Valid()) return false;
  anySender_ = UdpSocket(SocketAddress({0, 0, 0, 0}, 0), error);
  if (!anySender_.Valid()) return false;
  reactor_.Watch(broadcast_.Get(), POLLIN, [this](short) { OnDatagram(broadcast_.Get(), -1); });
  for (int i = 0; i < UnitCount(); ++i) {
    if (!BindUnit(i, error)) return false;
  }
  return true;
}

bool AddpResponder::BindUnit(int index, std::string& error) {
  Unit& unit = *units_[static_cast<std::size_t>(index)];
  if (!Reachable(unit.identity.ip)) return true;  // reported in searches, served nowhere
  unit.socket = UdpSocket(SocketAddress(unit.identity.ip, options_.addpPort), error);
  if (!unit.socket.Valid()) return false;
  const int fd = unit.socket.Get();
  reactor_.Watch(fd, POLLIN, [this, fd, index](short) { OnDatagram(fd, index); });
  unit.tcp = std::make_unique<TcpTransport>(reactor_, *unit.model, faults_, recorder_,
                                            IpText(unit.identity.ip), options_.tcpPort);
  if (!unit.tcp->Open(error)) unit.tcp.reset();  // two units on one address: the first serves
  return true;
}

void AddpResponder::OnDatagram(int fd, int arrivedAt) {
  std::vector<std::uint8_t>& buffer = buffer_;
  buffer.resize(kMaxDatagram);
  sockaddr_in from{};
  socklen_t length = sizeof from;
  const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_TRUNC,
                               reinterpret_cast<sockaddr*>(&from), &length);
  if (n < 0) return;
  const std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(n), buffer.size());
  const auto request = ParseAddpRequest(buffer.data(), size);
  recorder_.Add(RecordEntry{{},
                            0,
                            "addp",
                            PeerText(from),
                            "datagram",
                            TypeName(request ? request->type : 0),
                            std::string(reinterpret_cast<const char*>(buffer.data()), size)});
  if (!request) return;
  const Ipv4 sender = {static_cast<std::uint8_t>(ntohl(from.sin_addr.s_addr) >> 24), 0, 0, 0};
  if (!Reachable(sender)) return;  // never answer beyond loopback unless asked to
  Handle(*request, arrivedAt, from);
}

void AddpResponder::Handle(const AddpRequest& request, int arrivedAt, const sockaddr_in& from) {
  // A datagram to one unit's address reaches every unit that has that address.
  const bool broadcast = arrivedAt < 0;
  const Ipv4 to = broadcast ? Ipv4{} : units_[static_cast<std::size_t>(arrivedAt)]->identity.ip;
  for (int i = 0; i < UnitCount(); ++i) {
    Unit& unit = *units_[static_cast<std::size_t>(i)];
    if (unit.rebooting || (!broadcast && unit.identity.ip != to)) continue;
    if (request.type == kAddpDiscoveryRequest) {
      if (MacMatches(request.mac, unit.identity.mac)) ReplyToDiscovery(unit, i, from);
    } else if (request.mac == unit.identity.mac) {
      if (request.type == kAddpConfigRequest) Configure(unit, request, from);
      if (request.type == kAddpRebootRequest) Reboot(i, request, from);
    }
  }
}

void AddpResponder::ReplyToDiscovery(Unit& unit, int index, const sockaddr_in& from) {
  const Faults faults = faults_.Get();
  AddpIdentity identity = unit.identity;
  if (faults.addpDuplicateIp && index == 1) identity.ip = units_[0]->identity.ip;
  const std::string reply = BuildDiscoveryReply(identity);
  if (faults.addpFault == AddpFault::Short) {
    SendFrom(unit, reply.substr(0, 20), from);
  } else if (faults.addpFault == AddpFault::Malformed) {
    std::string bad = reply;
    bad.replace(0, 6, std::string("GIDI\x00\x07", 6));
    SendFrom(unit, bad, from);
  }
  if (faults.addpFault == AddpFault::None || !faults.addpBadOnly) SendFrom(unit, reply, from);
}

void AddpResponder::Configure(Unit& unit, const AddpRequest& request, const sockaddr_in& from) {
  const bool ok = request.password == options_.addpPassword;
  if (ok) unit.pending = Pending{request.ip, request.mask, request.gateway};
  SendFrom(unit,
           BuildResultReply(kAddpConfigReply, unit.identity.mac, ok,
                            ok ? "Operation Successful" : "Authentication failure"),
           from);
}

void AddpResponder::Reboot(int index, const AddpRequest& request, const sockaddr_in& from) {
  Unit& unit = *units_[static_cast<std::size_t>(index)];
  const bool ok = request.password == options_.addpPassword;
  SendFrom(unit,
           BuildResultReply(kAddpRebootReply, unit.identity.mac, ok,
                            ok ? "Operation Successful" : "Authentication failure"),
           from);
  if (!ok) return;
  // The interface goes away: no TCP, no ADDP until it is back with its new settings.
  unit.rebooting = true;
  unit.tcp.reset();
  if (unit.socket.Valid()) reactor_.Unwatch(unit.socket.Get());
  unit.socket.Reset();
  reactor_.After(std::chrono::milliseconds(std::max(0, options_.addpRebootMs)),
                 [this, index] { ComeBack(index); });
}

void AddpResponder::ComeBack(int index) {
  Unit& unit = *units_[static_cast<std::size_t>(index)];
  if (unit.pending) {
    unit.identity.ip = unit.pending->ip;
    unit.identity.mask = unit.pending->mask;
    unit.identity.gateway = unit.pending->gateway;
    unit.identity.staticAddress = true;  // an address given by hand is a static one
    unit.pending.reset();
  }
  unit.rebooting = false;
  std::string error;
  BindUnit(index, error);  // an address that cannot be bound here leaves the unit unserved
}

void AddpResponder::SendFrom(Unit& unit, const std::string& bytes, const sockaddr_in& to) {
  const int fd = unit.socket.Valid() ? unit.socket.Get() : anySender_.Get();
  ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

Thermometer* AddpResponder::UnitModel(int index) {
  if (index < 0 || index >= UnitCount()) return nullptr;
  return units_[static_cast<std::size_t>(index)]->model.get();
}

std::optional<AddpUnitView> AddpResponder::View(int index) {
  if (index < 0 || index >= UnitCount()) return std::nullopt;
  const Unit& unit = *units_[static_cast<std::size_t>(index)];
  AddpUnitView view;
  view.ip = IpText(unit.identity.ip);
  view.mask = IpText(unit.identity.mask);
  view.gateway = IpText(unit.identity.gateway);
  view.mac = MacText(unit.identity.mac);
  view.staticAddress = unit.identity.staticAddress;
  view.rebooting = unit.rebooting;
  view.serving = unit.tcp != nullptr;
  return view;
}

}  // namespace zemra::sim
