#pragma once

#include <netinet/in.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/AddpMessages.h"
#include "sim/Simulator.h"
#include "sim/TcpTransport.h"

namespace zemra::sim {

// N virtual Ethernet units answering ADDP on UDP: discovery to the loopback broadcast address
// (all local addresses with --allow-any-address) and to each unit's own address, network
// configuration and reboot checked against the password. Each unit serves a thermometer of its
// own on its address, so a unit found by a search can be connected to. Lives on the reactor's
// thread.
class AddpResponder {
 public:
  static constexpr int kMaxUnits = 250;

  AddpResponder(Reactor& reactor, FaultPlan& faults, Recorder& recorder,
                const SimulatorOptions& options);
  ~AddpResponder();
  AddpResponder(const AddpResponder&) = delete;
  AddpResponder& operator=(const AddpResponder&) = delete;

  bool Open(std::string& error);
  int UnitCount() const { return static_cast<int>(units_.size()); }
  Thermometer* UnitModel(int index);
  std::optional<AddpUnitView> View(int index);

 private:
  struct Pending {
    Ipv4 ip, mask, gateway;
  };
  struct Unit {
    AddpIdentity identity;
    std::optional<Pending> pending;
    std::unique_ptr<Thermometer> model;
    std::unique_ptr<TcpTransport> tcp;
    Fd socket;
    bool rebooting = false;
  };

  void MakeUnits();
  bool BindUnit(int index, std::string& error);
  void OnDatagram(int fd, int arrivedAt);
  void Handle(const AddpRequest& request, int arrivedAt, const sockaddr_in& from);
  void ReplyToDiscovery(Unit& unit, int index, const sockaddr_in& from);
  void Configure(Unit& unit, const AddpRequest& request, const sockaddr_in& from);
  void Reboot(int index, const AddpRequest& request, const sockaddr_in& from);
  void ComeBack(int index);
  void SendFrom(Unit& unit, const std::string& bytes, const sockaddr_in& to);
  bool Reachable(const Ipv4& ip) const;

  Reactor& reactor_;
  FaultPlan& faults_;
  Recorder& recorder_;
  const SimulatorOptions& options_;
  Fd broadcast_;
  Fd anySender_;  // for units whose address cannot be bound here
  std::vector<std::unique_ptr<Unit>> units_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace zemra::sim
