#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/UnitDiscovery.h"
#include "sim/Program.h"
#include "support/FakeClock.h"

// The search and an IP change against the simulator's ADDP units, which send a truncated
// datagram before every reply.
namespace zemra::test {
namespace {

TEST(DiscoverySimulator, FindsTheUnitsAndMovesOneToANewAddress) {
  simtest::Program sim({"--addp", "3", "--addp-short", "--reboot-ms", "300"});
  ASSERT_TRUE(sim.Started());
  for (int i = 0; i < 3; ++i) ASSERT_NE(sim.ErrLine().find("zemrasim: unit"), std::string::npos);

  FakeClock clock;
  CUnitDiscovery discovery(
      [] {
        return std::vector<Adapter>{{"lo", 0x7F000001, 0xFF000000}};
      },
      SystemUdp(), clock);
  ASSERT_EQ(discovery.InitSocket(), 0);
  ASSERT_EQ(discovery.Discover(), 3);
  const UnitInfo* second = discovery.FindUnit("02:5A:4D:00:00:02");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->ipAddress, "127.0.1.2");
  for (const UnitInfo& unit : discovery.Units()) EXPECT_EQ(unit.ipAddress.rfind("127.0.1.", 0), 0u);

  UnitInfo moved = *second;
  moved.ipAddress = "127.0.2.50";
  moved.subnetMask = "255.0.0.0";
  moved.gateway = "127.0.0.1";
  EXPECT_EQ(discovery.SetIpSettings(moved), kUnitRequestsSent);
  EXPECT_EQ(discovery.FindUnit(moved.macAddress)->ipAddress, "127.0.1.2");  // until searched

  std::this_thread::sleep_for(std::chrono::milliseconds(600));  // the unit restarts
  ASSERT_EQ(discovery.Discover(), 3);
  const UnitInfo* found = discovery.FindUnit(moved.macAddress);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->ipAddress, "127.0.2.50");
  EXPECT_EQ(found->subnetMask, "255.0.0.0");
  EXPECT_EQ(found->gateway, "127.0.0.1");
  EXPECT_TRUE(found->isStatic);

  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
}

}  // namespace
}  // namespace zemra::test
