#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "net/AddpMessages.h"
#include "platform/Adapters.h"
#include "platform/Clock.h"
#include "platform/Udp.h"

namespace zemra {

// One Ethernet thermometer found by a search. Also the record the settings dialogs edit and
// hand back for SetIpSettings.
struct UnitInfo {
  std::string ipAddress;   // "%d.%d.%d.%d"
  std::string subnetMask;  // "%d.%d.%d.%d"
  std::string macAddress;  // "%02X:%02X:%02X:%02X:%02X:%02X"
  std::string gateway;     // "%d.%d.%d.%d"
  bool isStatic = false;   // false: the unit takes its address by DHCP

  friend bool operator==(const UnitInfo&, const UnitInfo&) = default;
};

UnitInfo UnitInfoFromReply(const addp::DiscoveryReply& reply);

// Results of SetIpSettings and Reboot. The settings dialog ignores them (the protocol gives no
// confirmation); the command-line tool reports them.
inline constexpr int kUnitRequestsSent = 0;
inline constexpr int kUnitNotFound = 1;         // no unit of the last search has that MAC
inline constexpr int kUnitSettingsInvalid = 2;  // an address or MAC text is not well formed
inline constexpr int kUnitSendFailed = 3;       // no socket, or a send failed and closed it

// Finds the thermometers on the local networks by ADDP broadcast and changes a found unit's IP
// settings. Synchronous: every call blocks for the protocol's waits.
class CUnitDiscovery {
 public:
  static constexpr std::size_t kMaxUnits = 255;
  static constexpr std::size_t kReplyBufferSize = 1024;
  static constexpr std::uint32_t kReceiveTimeoutMs = 1000;
  static constexpr std::uint32_t kReplyPauseMs = 50;
  static constexpr std::uint32_t kRebootPauseMs = 5000;
  // Replies to one broadcast are read until a second passes without one. A flood, or a unit
  // that never stops answering, would keep that going for ever; listening to one broadcast
  // ends after this long whatever still arrives.
  static constexpr std::uint32_t kMaxListenMs = 5000;
  // Datagrams that arrived after the last read (late or extra answers) are dropped before each
  // request so that they cannot pass for answers to it; at most this many, so a flood cannot
  // hold the search up.
  static constexpr std::size_t kMaxStaleDatagrams = 4096;

  // Searches the system's adapters with real sockets and waits.
  CUnitDiscovery();
  CUnitDiscovery(AdapterProvider adapters, UdpApi& udp, Clock& clock);
  ~CUnitDiscovery();

  CUnitDiscovery(const CUnitDiscovery&) = delete;
  CUnitDiscovery& operator=(const CUnitDiscovery&) = delete;

  // Creates the socket (broadcast on, 1 s receive time-out, bound to port 64919 on all local
  // addresses), closing an earlier one first. 0 on success, 1 on failure.
  int InitSocket();

  // One search: the table afresh, filled in the order the replies arrive, one entry per IP
  // address (the first reply wins). Returns the number of units found.
  int Discover();

  // Sends the new address, mask and gateway of `unit` to the unit of the last search with the
  // same MAC, at the address it was found at, then restarts it. Blocks about 5 s plus the
  // reply waits.
  int SetIpSettings(const UnitInfo& unit);
  // Restarts the unit's Ethernet interface.
  int Reboot(const UnitInfo& unit);

  int Count() const { return static_cast<int>(units_.size()); }
  const std::vector<UnitInfo>& Units() const { return units_; }
  // The unit of the last search with this MAC (either case); nullptr when there is none.
  const UnitInfo* FindUnit(const std::string& macAddress) const;
  bool HasSocket() const { return socket_ != nullptr; }

 private:
  bool Send(std::uint32_t address, std::span<const std::uint8_t> datagram);
  void DropStaleReplies();
  void CollectReplies();
  void AddUnit(UnitInfo unit);
  void ReadOneReply();
  bool SendAndRead(std::uint32_t address, std::span<const std::uint8_t> datagram);

  AdapterProvider adapters_;
  UdpApi& udp_;
  Clock& clock_;
  std::unique_ptr<UdpSocket> socket_;
  std::vector<UnitInfo> units_;
};

}  // namespace zemra
