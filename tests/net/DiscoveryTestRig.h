#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/DiscoveryScriptedUdp.h"
#include "net/DiscoveryTestUnits.h"
#include "net/UnitDiscovery.h"
#include "platform/Adapters.h"
#include "support/FakeClock.h"

namespace zemra::test {

inline const Adapter kLoopbackAdapter = {"lo", 0x7F000001, 0xFF000000};

// Unit n: 10.0.n/256.n%256, MAC 00:0A:B0:00:n/256:n%256.
inline AddpUnit NumberedUnit(int n, bool isStatic = false) {
  AddpUnit unit;
  const auto high = static_cast<std::uint8_t>(n >> 8);
  const auto low = static_cast<std::uint8_t>(n);
  unit.mac = {0x00, 0x0A, 0xB0, 0x00, high, low};
  unit.address = {10, 0, high, low};
  unit.gateway = {10, 0, 0, 254};
  unit.isStatic = isStatic;
  return unit;
}

// A discovery object over scripted datagrams and a clock that never sleeps; its waits are
// written to the same log as the datagram calls ("wait 50").
class DiscoveryRig {
 public:
  DiscoveryRig() : discovery([this] { return adapters; }, udp, clock) {
    clock.onSleep = [this](std::uint32_t ms) { udp.log.push_back("wait " + std::to_string(ms)); };
  }

  // Every unit in `units` answers each discovery broadcast, in that order, then falls silent.
  void AnswerEveryBroadcast(std::vector<AddpUnit> units) {
    udp.onSend = [this, units](const ScriptedUdp::Sent& sent) {
      if (sent.bytes.size() != 14) return;
      for (const AddpUnit& unit : units) udp.Queue(AddpReply(unit));
      udp.incoming.push_back(ScriptedUdp::Silence());
    };
  }

  void ForgetTraffic() {
    udp.log.clear();
    udp.sent.clear();
    clock.sleeps.clear();
  }

  std::vector<Adapter> adapters = {kLoopbackAdapter};
  ScriptedUdp udp;
  FakeClock clock;
  CUnitDiscovery discovery;
};

}  // namespace zemra::test
