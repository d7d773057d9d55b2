#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "AddpResponder.h"
#include "net/UnitDiscovery.h"
#include "support/FakeClock.h"

// Real datagrams on loopback, the discovery socket on port 64919 and units on 127.0.1.x:2362.
// Runs only inside the private network namespace of the test scripts.
namespace zemra::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const Adapter kLoopback = {"lo", 0x7F000001, 0xFF000000};

AddpUnit Unit(std::array<std::uint8_t, 4> address, std::uint8_t macLow, bool isStatic = false) {
  AddpUnit unit;
  unit.mac = {0x00, 0x0A, 0xB0, 0x01, 0x02, macLow};
  unit.address = address;
  unit.gateway = {address[0], address[1], address[2], 1};
  unit.isStatic = isStatic;
  return unit;
}

int CountIp(const CUnitDiscovery& discovery, const std::string& ip) {
  int n = 0;
  for (const UnitInfo& unit : discovery.Units()) n += unit.ipAddress == ip;
  return n;
}

void ExpectDiscoveryRequests(const AddpResponder& responder, std::size_t count) {
  const std::vector<AddpResponder::Request> requests = responder.Requests();
  ASSERT_EQ(requests.size(), count);
  for (const auto& request : requests) {
    EXPECT_TRUE(request.broadcast);  // it arrived at 127.255.255.255
    EXPECT_EQ(ntohs(request.from.sin_port), 64919);
    EXPECT_THAT(request.bytes,
                ElementsAre('D', 'I', 'G', 'I', 0, 1, 0, 6, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF));
  }
}

TEST(DiscoveryUdp, FindsLoopbackUnitsOncePerIpAddress) {
  AddpResponder first(0x7F000101, Unit({127, 0, 1, 1}, 0x03, true));
  AddpResponder second(0x7F000102, Unit({10, 1, 10, 200}, 0x04));
  AddpResponder third(0x7F000103, Unit({10, 1, 10, 200}, 0x05));
  ASSERT_TRUE(first.Ready() && second.Ready() && third.Ready());
  FakeClock clock;
  CUnitDiscovery discovery([] { return std::vector<Adapter>{kLoopback}; }, SystemUdp(), clock);
  ASSERT_EQ(discovery.InitSocket(), 0);

  ASSERT_EQ(discovery.Discover(), 2);
  EXPECT_EQ(CountIp(discovery, "10.1.10.200"), 1);
  ASSERT_EQ(CountIp(discovery, "127.0.1.1"), 1);
  const UnitInfo* unit = discovery.FindUnit("00:0A:B0:01:02:03");
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(*unit,
            (UnitInfo{"127.0.1.1", "255.255.255.0", "00:0A:B0:01:02:03", "127.0.1.1", true}));
  for (const AddpResponder* responder : {&first, &second, &third}) {
    ExpectDiscoveryRequests(*responder, 1);
  }
}

TEST(DiscoveryUdp, TwoAdaptersOnOneNetworkAskTwiceAndListOnce) {
  AddpResponder first(0x7F000111, Unit({127, 0, 1, 17}, 0x11));
  AddpResponder second(0x7F000112, Unit({127, 0, 1, 18}, 0x12));
  ASSERT_TRUE(first.Ready() && second.Ready());
  FakeClock clock;
  CUnitDiscovery discovery(
      [] {
        return std::vector<Adapter>{kLoopback, {"lo:2", 0x7F000002, 0xFF000000}};
      },
      SystemUdp(), clock);
  ASSERT_EQ(discovery.InitSocket(), 0);

  ASSERT_EQ(discovery.Discover(), 2);
  EXPECT_EQ(CountIp(discovery, "127.0.1.17"), 1);
  EXPECT_EQ(CountIp(discovery, "127.0.1.18"), 1);
  ExpectDiscoveryRequests(first, 2);
  ExpectDiscoveryRequests(second, 2);
}

TEST(DiscoveryUdp, SetIpSettingsTalksToTheOldAddressAndRestartsAfterFiveSeconds) {
  AddpResponder unit(0x7F000107, Unit({127, 0, 1, 7}, 0x03));
  ASSERT_TRUE(unit.Ready());
  CUnitDiscovery discovery([] { return std::vector<Adapter>{kLoopback}; }, SystemUdp(),
                           SystemClock());
  ASSERT_EQ(discovery.InitSocket(), 0);
  ASSERT_EQ(discovery.Discover(), 1);

  UnitInfo edited = discovery.Units()[0];
  edited.ipAddress = "192.168.0.50";
  edited.subnetMask = "255.255.255.0";
  edited.gateway = "192.168.0.1";
  EXPECT_EQ(discovery.SetIpSettings(edited), kUnitRequestsSent);

  std::vector<AddpResponder::Request> requests = unit.Requests();
  ASSERT_EQ(requests.size(), 5u);
  requests.erase(requests.begin());  // the search's broadcast
  const std::vector<std::uint8_t> askUnit = {'D', 'I',  'G',  'I',  0,    1,    0,
                                             6,   0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03};
  EXPECT_THAT(requests[0].bytes, ElementsAreArray(askUnit));
  EXPECT_THAT(requests[1].bytes,
              ElementsAre('D', 'I', 'G', 'I', 0, 3, 0, 0x17, 192, 168, 0, 50, 255, 255, 255, 0, 192,
                          168, 0, 1, 0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03, 4, 'd', 'b', 'p', 's'));
  EXPECT_THAT(requests[2].bytes, ElementsAreArray(askUnit));
  EXPECT_THAT(requests[3].bytes, ElementsAre('D', 'I', 'G', 'I', 0, 5, 0, 0x0B, 0x00, 0x0A, 0xB0,
                                             0x01, 0x02, 0x03, 4, 'd', 'b', 'p', 's'));
  for (const auto& request : requests) {
    EXPECT_FALSE(request.broadcast);  // sent to 127.0.1.7 itself
    EXPECT_EQ(ntohs(request.from.sin_port), 64919);
  }
  const auto pause = requests[2].at - requests[1].at;
  EXPECT_GE(pause, milliseconds(5000 + 50));
  EXPECT_LT(pause, milliseconds(5000 + 50 + 1500));
}

TEST(DiscoveryUdp, JunkFloodsAndEndlessRepliesEndTheSearchByItsRules) {
  AddpBehaviour junk;
  for (const std::size_t size : {0, 1, 33, 1025, 65507}) junk.before.emplace_back(size, 'D');
  std::vector<std::uint8_t> badMagic = AddpReply(Unit({127, 0, 1, 99}, 0x99));
  badMagic[3] = 'X';
  junk.before.push_back(badMagic);
  for (int n = 0; n < 300; ++n) {
    junk.alsoAnswerFor.push_back(
        Unit({10, 20, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)}, 0x30));
  }
  AddpResponder flood(0x7F000121, Unit({127, 0, 1, 33}, 0x21), junk);
  AddpBehaviour endless;
  endless.repeatEvery = milliseconds(20);
  AddpResponder chatty(0x7F000122, Unit({127, 0, 1, 34}, 0x22), endless);
  ASSERT_TRUE(flood.Ready() && chatty.Ready());
  CUnitDiscovery discovery([] { return std::vector<Adapter>{kLoopback}; }, SystemUdp(),
                           SystemClock());
  ASSERT_EQ(discovery.InitSocket(), 0);

  const auto start = Clock::now();
  EXPECT_EQ(discovery.Discover(), 255);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, milliseconds(5000));
  EXPECT_LT(took, milliseconds(5000 + 50 + 1000 + 1500));
  EXPECT_EQ(CountIp(discovery, "127.0.1.33"), 1);
  EXPECT_EQ(CountIp(discovery, "127.0.1.34"), 1);
  EXPECT_EQ(CountIp(discovery, "127.0.1.99"), 0);
}

}  // namespace
}  // namespace zemra::test
