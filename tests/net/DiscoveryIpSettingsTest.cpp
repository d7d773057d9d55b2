#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/DiscoveryTestRig.h"

namespace zemra::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// One unit found at 10.1.10.200 with MAC 00:0A:B0:01:02:03, listed as DHCP.
class DiscoveryIpSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    AddpUnit unit;
    unit.mac = {0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03};
    unit.address = {10, 1, 10, 200};
    unit.mask = {255, 255, 255, 0};
    unit.gateway = {10, 1, 10, 1};
    rig.udp.Queue(AddpReply(unit));
    ASSERT_EQ(rig.discovery.InitSocket(), 0);
    ASSERT_EQ(rig.discovery.Discover(), 1);
    found = rig.discovery.Units()[0];
    rig.ForgetTraffic();
  }

  UnitInfo Edited() const {
    UnitInfo edited = found;
    edited.ipAddress = "192.168.0.50";
    edited.subnetMask = "255.255.255.0";
    edited.gateway = "192.168.0.1";
    edited.isStatic = true;
    return edited;
  }

  DiscoveryRig rig;
  UnitInfo found;
};

const std::vector<std::uint8_t> kAskUnit = {'D', 'I',  'G',  'I',  0,    1,    0,
                                            6,   0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03};

TEST_F(DiscoveryIpSettings, SendsEverythingToTheOldAddressThenRestartsTheUnit) {
  // The unit answers each request; the answers are read but change nothing.
  rig.udp.onSend = [this](const ScriptedUdp::Sent&) {
    AddpUnit moved;
    moved.address = {192, 168, 0, 50};
    rig.udp.Queue(AddpReply(moved));
  };
  EXPECT_EQ(rig.discovery.SetIpSettings(Edited()), kUnitRequestsSent);

  EXPECT_THAT(rig.udp.log, ElementsAre("send 10.1.10.200:2362 14", "wait 50", "receive",  //
                                       "send 10.1.10.200:2362 31", "wait 50", "receive",  //
                                       "wait 5000",                                       //
                                       "send 10.1.10.200:2362 14", "wait 50", "receive",  //
                                       "send 10.1.10.200:2362 19", "wait 50", "receive"));
  ASSERT_EQ(rig.udp.sent.size(), 4u);
  EXPECT_THAT(rig.udp.sent[0].bytes, ElementsAreArray(kAskUnit));
  EXPECT_THAT(rig.udp.sent[1].bytes,
              ElementsAre('D', 'I', 'G', 'I', 0, 3, 0, 0x17, 192, 168, 0, 50, 255, 255, 255, 0, 192,
                          168, 0, 1, 0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03, 4, 'd', 'b', 'p', 's'));
  EXPECT_THAT(rig.udp.sent[2].bytes, ElementsAreArray(kAskUnit));
  EXPECT_THAT(rig.udp.sent[3].bytes, ElementsAre('D', 'I', 'G', 'I', 0, 5, 0, 0x0B, 0x00, 0x0A,
                                                 0xB0, 0x01, 0x02, 0x03, 4, 'd', 'b', 'p', 's'));
  // The list keeps what the search found until the next search.
  EXPECT_THAT(rig.discovery.Units(), ElementsAre(found));
}

TEST_F(DiscoveryIpSettings, EachReadWaitsForItsOwnRequestsAnswer) {
  // The unit answers each request twice; the extra answer is dropped before the next request
  // rather than taken for that request's answer.
  rig.udp.onSend = [this](const ScriptedUdp::Sent&) {
    rig.udp.waiting.push_back(AddpReply({}));
    rig.udp.waiting.push_back(AddpReply({}));
  };
  EXPECT_EQ(rig.discovery.SetIpSettings(Edited()), kUnitRequestsSent);
  EXPECT_THAT(rig.udp.log,
              ElementsAre("send 10.1.10.200:2362 14", "wait 50", "receive",               //
                          "discard 1", "send 10.1.10.200:2362 31", "wait 50", "receive",  //
                          "wait 5000",                                                    //
                          "discard 1", "send 10.1.10.200:2362 14", "wait 50", "receive",  //
                          "discard 1", "send 10.1.10.200:2362 19", "wait 50", "receive"));
}

TEST_F(DiscoveryIpSettings, UnchangedDhcpUnitIsSentTheAddressesShown) {
  EXPECT_EQ(rig.discovery.SetIpSettings(found), kUnitRequestsSent);
  ASSERT_EQ(rig.udp.sent.size(), 4u);
  EXPECT_THAT(rig.udp.sent[1].bytes,
              ElementsAre('D', 'I', 'G', 'I', 0, 3, 0, 0x17, 10, 1, 10, 200, 255, 255, 255, 0, 10,
                          1, 10, 1, 0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03, 4, 'd', 'b', 'p', 's'));
}

TEST_F(DiscoveryIpSettings, MacIsMatchedInEitherCase) {
  UnitInfo edited = Edited();
  edited.macAddress = "00:0a:b0:01:02:03";
  EXPECT_EQ(rig.discovery.SetIpSettings(edited), kUnitRequestsSent);
  ASSERT_EQ(rig.udp.sent.size(), 4u);
  EXPECT_EQ(rig.udp.sent[0].to, (UdpEndpoint{0x0A010AC8, 2362}));
  EXPECT_THAT(rig.udp.sent[0].bytes, ElementsAreArray(kAskUnit));
}

TEST_F(DiscoveryIpSettings, UnknownUnitOrMalformedTextSendsNothing) {
  const struct {
    const char* what;
    std::string UnitInfo::*field;
    const char* text;
    int expected;
  } cases[] = {
      {"unit not found", &UnitInfo::macAddress, "00:0A:B0:01:02:04", kUnitNotFound},
      {"MAC not a MAC", &UnitInfo::macAddress, "00:0A:B0:01:02", kUnitNotFound},
      {"address part above 255", &UnitInfo::ipAddress, "192.168.0.256", kUnitSettingsInvalid},
      {"three-part address", &UnitInfo::ipAddress, "192.168.50", kUnitSettingsInvalid},
      {"mask with a space", &UnitInfo::subnetMask, "255.255.255.0 ", kUnitSettingsInvalid},
      {"empty gateway", &UnitInfo::gateway, "", kUnitSettingsInvalid},
      {"gateway in words", &UnitInfo::gateway, "gateway", kUnitSettingsInvalid},
  };
  for (const auto& c : cases) {
    UnitInfo edited = Edited();
    edited.*c.field = c.text;
    EXPECT_EQ(rig.discovery.SetIpSettings(edited), c.expected) << c.what;
    EXPECT_THAT(rig.udp.log, IsEmpty()) << c.what;
  }
  EXPECT_TRUE(rig.discovery.HasSocket());
}

TEST_F(DiscoveryIpSettings, FailedSendStopsTheSequenceAndGivesUpTheSocket) {
  for (int failing = 1; failing <= 4; ++failing) {
    SCOPED_TRACE(failing);
    SetUp();
    rig.udp.failingSend = rig.udp.sendCount + failing;
    EXPECT_EQ(rig.discovery.SetIpSettings(Edited()), kUnitSendFailed);
    EXPECT_EQ(rig.udp.sent.size(), static_cast<std::size_t>(failing - 1));
    ASSERT_FALSE(rig.udp.log.empty());
    EXPECT_EQ(rig.udp.log.back(), "close");
    EXPECT_FALSE(rig.discovery.HasSocket());
    EXPECT_EQ(rig.discovery.Reboot(found), kUnitSendFailed);
  }
}

TEST_F(DiscoveryIpSettings, RebootAsksTheUnitThenRestartsIt) {
  EXPECT_EQ(rig.discovery.Reboot(found), kUnitRequestsSent);
  EXPECT_THAT(rig.udp.log, ElementsAre("send 10.1.10.200:2362 14", "wait 50", "receive",
                                       "send 10.1.10.200:2362 19", "wait 50", "receive"));
}

}  // namespace
}  // namespace zemra::test
