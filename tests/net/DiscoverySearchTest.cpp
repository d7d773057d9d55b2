#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "net/DiscoveryTestRig.h"

namespace zemra::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> IpsOf(const CUnitDiscovery& discovery) {
  std::vector<std::string> ips;
  for (const UnitInfo& unit : discovery.Units()) ips.push_back(unit.ipAddress);
  return ips;
}

TEST(DiscoverySocket, IsMadeForBroadcastWithOneSecondTimeoutOnTheLocalPort) {
  DiscoveryRig rig;
  EXPECT_EQ(rig.discovery.InitSocket(), 0);
  EXPECT_TRUE(rig.discovery.HasSocket());
  EXPECT_TRUE(rig.udp.broadcast);
  EXPECT_EQ(rig.udp.receiveTimeoutMs, 1000u);
  EXPECT_EQ(rig.udp.boundTo, (UdpEndpoint{0, 64919}));

  // A second set-up replaces the first socket rather than leaking it.
  EXPECT_EQ(rig.discovery.InitSocket(), 0);
  EXPECT_EQ(rig.udp.openSockets, 1);
  EXPECT_THAT(rig.udp.log, ElementsAre("open", "close", "open"));
}

TEST(DiscoverySocket, FailedSetUpLeavesNoSocketExceptForTheTimeout) {
  const struct {
    const char* what;
    int ScriptedUdp::*failure;
    int expected;
  } cases[] = {
      {"create", &ScriptedUdp::openError, 1},
      {"broadcast", &ScriptedUdp::broadcastError, 1},
      {"bind", &ScriptedUdp::bindError, 1},
      {"time-out", &ScriptedUdp::timeoutError, 0},
  };
  for (const auto& c : cases) {
    DiscoveryRig rig;
    rig.udp.*c.failure = 22;  // EINVAL
    testing::internal::CaptureStderr();
    EXPECT_EQ(rig.discovery.InitSocket(), c.expected) << c.what;
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rig.discovery.HasSocket(), c.expected == 0) << c.what;
    EXPECT_EQ(rig.udp.openSockets, c.expected == 0 ? 1 : 0) << c.what;
    if (c.expected == 0) {
      EXPECT_EQ(errors.rfind("Error: ", 0), 0u) << errors;
    }
  }
}

TEST(DiscoverySearch, BroadcastsOnceToEachAdapterInOrderAndPausesBeforeReading) {
  DiscoveryRig rig;
  rig.adapters = {{"eth0", 0xC0A80114, 0xFFFFFF00},  // 192.168.1.20/24
                  {"ppp0", 0, 0},
                  {"eth1", 0x0A090807, 0xFF000000},  // 10.9.8.7/8
                  {"eth2", 0xAC100504, 0xFFFFF000},  // 172.16.5.4/20
                  {"eth3", 0xC0A80114, 0xFFFFFF00}};
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  rig.ForgetTraffic();

  EXPECT_EQ(rig.discovery.Discover(), 0);
  EXPECT_THAT(rig.udp.log, ElementsAre("send 192.168.1.255:2362 14", "wait 50", "receive",
                                       "send 255.255.255.255:2362 14", "wait 50", "receive",
                                       "send 10.255.255.255:2362 14", "wait 50", "receive",
                                       "send 172.16.15.255:2362 14", "wait 50", "receive",
                                       "send 192.168.1.255:2362 14", "wait 50", "receive"));
  for (const auto& sent : rig.udp.sent) {
    EXPECT_THAT(sent.bytes,
                ElementsAre('D', 'I', 'G', 'I', 0, 1, 0, 6, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF));
  }
  EXPECT_EQ(rig.udp.largestBuffer, 1024u);
}

TEST(DiscoverySearch, WithoutAdaptersOrSocketNothingIsSent) {
  DiscoveryRig rig;
  EXPECT_EQ(rig.discovery.Discover(), 0);  // no InitSocket
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  rig.adapters.clear();
  EXPECT_EQ(rig.discovery.Discover(), 0);
  EXPECT_THAT(rig.udp.sent, IsEmpty());
}

TEST(DiscoverySearch, ListsUnitsInReplyOrderOncePerIpAddress) {
  DiscoveryRig rig;
  AddpUnit first = NumberedUnit(7, true);
  first.address = {10, 1, 10, 200};
  first.mac = {0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03};
  first.mask = {255, 255, 0, 0};
  AddpUnit sameIp = NumberedUnit(8);
  sameIp.address = first.address;
  AddpUnit sameMac = NumberedUnit(9);
  sameMac.mac = first.mac;
  rig.AnswerEveryBroadcast({first, NumberedUnit(2), sameIp, sameMac});
  ASSERT_EQ(rig.discovery.InitSocket(), 0);

  ASSERT_EQ(rig.discovery.Discover(), 3);
  const UnitInfo expected = {"10.1.10.200", "255.255.0.0", "00:0A:B0:01:02:03", "10.0.0.254", true};
  EXPECT_EQ(rig.discovery.Units()[0], expected);
  EXPECT_EQ(rig.discovery.Units()[1].macAddress, "00:0A:B0:00:00:02");
  EXPECT_FALSE(rig.discovery.Units()[1].isStatic);
  EXPECT_EQ(rig.discovery.Units()[2].ipAddress, "10.0.0.9");
  EXPECT_EQ(rig.discovery.Units()[2].macAddress, "00:0A:B0:01:02:03");
}

TEST(DiscoverySearch, EachSearchStartsAfresh) {
  DiscoveryRig rig;
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  rig.AnswerEveryBroadcast({NumberedUnit(1), NumberedUnit(2)});
  ASSERT_EQ(rig.discovery.Discover(), 2);
  ASSERT_EQ(rig.discovery.Discover(), 2);  // the same units again, not only new ones
  rig.AnswerEveryBroadcast({NumberedUnit(3)});
  ASSERT_EQ(rig.discovery.Discover(), 1);
  EXPECT_THAT(IpsOf(rig.discovery), ElementsAre("10.0.0.3"));
}

TEST(DiscoverySearch, AnswersWaitingFromBeforeTheSearchAreNotListed) {
  DiscoveryRig rig;
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  rig.ForgetTraffic();
  // A late answer of a unit that has since moved, and one that arrived after the last search.
  rig.udp.waiting = {AddpReply(NumberedUnit(8)), AddpReply(NumberedUnit(9))};
  rig.AnswerEveryBroadcast({NumberedUnit(1)});
  ASSERT_EQ(rig.discovery.Discover(), 1);
  EXPECT_THAT(IpsOf(rig.discovery), ElementsAre("10.0.0.1"));
  EXPECT_EQ(rig.udp.log.front(), "discard 2");
  EXPECT_EQ(rig.udp.log[1], "send 127.255.255.255:2362 14");
}

TEST(DiscoverySearch, TwoAdaptersOnOneNetworkListEachUnitOnce) {
  DiscoveryRig rig;
  rig.adapters = {kLoopbackAdapter, {"lo:1", 0x7F000002, 0xFF000000}};
  rig.AnswerEveryBroadcast({NumberedUnit(1), NumberedUnit(2)});
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  ASSERT_EQ(rig.discovery.Discover(), 2);
  EXPECT_EQ(rig.udp.sent.size(), 2u);
  EXPECT_THAT(IpsOf(rig.discovery), ElementsAre("10.0.0.1", "10.0.0.2"));
}

TEST(DiscoverySearch, DatagramsThatAreNoRepliesAreDroppedAndReadingGoesOn) {
  DiscoveryRig rig;
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  const std::vector<std::uint8_t> first = AddpReply(NumberedUnit(1));
  AddpUnit truncated = NumberedUnit(2);
  truncated.address = {11, 0, 0, 2};
  std::vector<std::uint8_t> shortReply = AddpReply(truncated);
  // Read over what the first reply left in the buffer, this would be a unit at 11.0.0.1.
  shortReply.resize(20);
  std::vector<std::uint8_t> badMagic = AddpReply(NumberedUnit(3));
  badMagic[0] = 'X';
  std::vector<std::uint8_t> request = AddpReply(NumberedUnit(4));
  request[5] = 1;
  std::vector<std::uint8_t> longest = AddpReply(NumberedUnit(6));
  longest.resize(1024);

  rig.udp.Queue(first);
  rig.udp.Queue(shortReply);
  rig.udp.Queue({});
  rig.udp.Queue(badMagic);
  rig.udp.Queue(request);
  rig.udp.Queue(std::vector<std::uint8_t>(1025, 0));
  rig.udp.Queue(std::vector<std::uint8_t>(65507, 0xFF));
  rig.udp.Queue(AddpReply(NumberedUnit(5)));
  rig.udp.Queue(longest);

  ASSERT_EQ(rig.discovery.Discover(), 3);
  EXPECT_THAT(IpsOf(rig.discovery), ElementsAre("10.0.0.1", "10.0.0.5", "10.0.0.6"));
}

TEST(DiscoverySearch, MoreThanTheTableHoldsKeepsTheFirst255) {
  DiscoveryRig rig;
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  for (int n = 1; n <= 400; ++n) rig.udp.Queue(AddpReply(NumberedUnit(n)));
  ASSERT_EQ(rig.discovery.Discover(), 255);
  EXPECT_EQ(rig.discovery.Units().front().ipAddress, "10.0.0.1");
  EXPECT_EQ(rig.discovery.Units().back().ipAddress, "10.0.0.255");
  // The rest is still taken off the socket, so it cannot pass for replies to later requests.
  EXPECT_THAT(rig.udp.incoming, IsEmpty());
}

TEST(DiscoverySearch, ReplyingForEverEndsListeningAfterFiveSeconds) {
  const struct {
    const char* what;
    bool garbage;
  } cases[] = {{"a unit answering every 20 ms", false}, {"a flood of junk", true}};
  for (const auto& c : cases) {
    DiscoveryRig rig;
    rig.adapters = {kLoopbackAdapter, kLoopbackAdapter};
    std::mt19937 random(64919);
    rig.udp.source = [&] {
      rig.clock.Advance(c.garbage ? 1 : 20);
      std::vector<std::uint8_t> bytes = AddpReply(NumberedUnit(1));
      if (c.garbage) {
        bytes.resize(random() % 1100);
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
      }
      return ScriptedUdp::Event{UdpReceived::Status::kDatagram, bytes};
    };
    ASSERT_EQ(rig.discovery.InitSocket(), 0);
    const std::uint32_t start = rig.clock.TickCount();
    EXPECT_EQ(rig.discovery.Discover(), c.garbage ? 0 : 1) << c.what;
    // Both adapters had their turn: per broadcast the pause and at most the listening limit.
    EXPECT_EQ(rig.udp.sent.size(), 2u) << c.what;
    EXPECT_LE(rig.clock.TickCount() - start, 2 * (50u + 5000u + 20u)) << c.what;
    EXPECT_GE(rig.clock.TickCount() - start, 2 * (50u + 5000u)) << c.what;
  }
}

TEST(DiscoverySearch, FailingReceiveEndsOnlyThatBroadcastsReplies) {
  DiscoveryRig rig;
  rig.adapters = {kLoopbackAdapter, kLoopbackAdapter};
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  rig.udp.Queue(AddpReply(NumberedUnit(1)));
  rig.udp.incoming.push_back({UdpReceived::Status::kFailed, {}});
  rig.udp.Queue(AddpReply(NumberedUnit(2)));
  ASSERT_EQ(rig.discovery.Discover(), 2);
  EXPECT_EQ(rig.udp.sent.size(), 2u);
}

TEST(DiscoverySearch, FailedSendEndsTheSearchAndGivesUpTheSocket) {
  DiscoveryRig rig;
  rig.adapters = {kLoopbackAdapter, kLoopbackAdapter, kLoopbackAdapter};
  rig.AnswerEveryBroadcast({NumberedUnit(1)});
  rig.udp.failingSend = 2;
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  rig.ForgetTraffic();

  EXPECT_EQ(rig.discovery.Discover(), 1);  // what was found before the failure is kept
  EXPECT_THAT(rig.udp.log, ElementsAre("send 127.255.255.255:2362 14", "wait 50", "receive",
                                       "receive", "send 127.255.255.255:2362 14", "close"));
  EXPECT_FALSE(rig.discovery.HasSocket());

  // Nothing more goes out on this object until a new socket is made.
  rig.ForgetTraffic();
  EXPECT_EQ(rig.discovery.SetIpSettings(rig.discovery.Units()[0]), kUnitSendFailed);
  EXPECT_EQ(rig.discovery.Discover(), 0);
  EXPECT_THAT(rig.udp.log, IsEmpty());
  ASSERT_EQ(rig.discovery.InitSocket(), 0);
  EXPECT_EQ(rig.discovery.Discover(), 1);
}

TEST(DiscoveryAdapters, DirectedBroadcastIsAddressOrNotMask) {
  const struct {
    std::uint32_t address, mask, broadcast;
  } cases[] = {
      {0xC0A80114, 0xFFFFFF00, 0xC0A801FF},  // 192.168.1.20/24
      {0x00000000, 0x00000000, 0xFFFFFFFF},  // no address: limited broadcast
      {0x7F000001, 0xFF000000, 0x7FFFFFFF},  // loopback
      {0xAC100504, 0xFFFFF000, 0xAC100FFF},  // 172.16.5.4/20
      {0x0A000001, 0xFFFFFFFF, 0x0A000001},  // point to point
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectedBroadcast({"x", c.address, c.mask}), c.broadcast) << std::hex << c.address;
  }
}

TEST(DiscoveryAdapters, SystemListHasLoopbackOnceWithItsNetmask) {
  const std::vector<Adapter> adapters = SystemAdapters();
  int loopbacks = 0;
  for (const Adapter& adapter : adapters) {
    if (adapter.name == "lo") {
      ++loopbacks;
      EXPECT_EQ(adapter.address, 0x7F000001u);
      EXPECT_EQ(adapter.netmask, 0xFF000000u);
    }
    for (const Adapter& other : adapters) {
      if (&other != &adapter) {
        EXPECT_NE(other.name, adapter.name);
      }
    }
  }
  EXPECT_EQ(loopbacks, 1);
}

}  // namespace
}  // namespace zemra::test
