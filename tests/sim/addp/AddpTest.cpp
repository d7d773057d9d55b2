#include <gtest/gtest.h>

#include <thread>

#include "../SimClient.h"
#include "AddpClient.h"
#include "sim/Simulator.h"

namespace zemra::sim {
namespace {

using namespace zemra::simtest;

bool IsDiscoveryReply(const std::string& d) {
  return d.size() >= 34 && d.compare(0, 4, "DIGI") == 0 && d[4] == 0 && d[5] == 2;
}

std::vector<std::string> DiscoveryReplies(const std::vector<Reply>& replies) {
  std::vector<std::string> good;
  for (const auto& r : replies) {
    if (IsDiscoveryReply(r.bytes)) good.push_back(r.bytes);
  }
  return good;
}

class AddpTest : public ::testing::Test {
 protected:
  void Start(int units, Faults faults = {}) {
    SimulatorOptions options;
    options.addpUnits = units;
    options.addpRebootMs = 100;
    options.faults = faults;
    sim_ = std::make_unique<Simulator>(options);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
  }
  std::vector<Reply> Search(const std::string& mac = std::string(6, '\xff')) {
    EXPECT_TRUE(client_.SendTo(DiscoveryRequest(mac), "127.255.255.255"));
    return client_.Collect();
  }
  Udp client_{64919};
  std::unique_ptr<Simulator> sim_;
};

TEST_F(AddpTest, discoveryBroadcastIsAnsweredByEveryUnitFromItsOwnAddress) {
  ASSERT_TRUE(client_.Ok());
  Start(3);
  const auto replies = Search();
  ASSERT_EQ(replies.size(), 3u);
  for (std::size_t i = 0; i < replies.size(); ++i) {
    const std::string& d = replies[i].bytes;
    ASSERT_TRUE(IsDiscoveryReply(d));
    const std::string ip = Dotted(d, 18);
    EXPECT_EQ(replies[i].from, ip);
    const auto unit = sim_->Unit(static_cast<int>(ip.back() - '1')).value();
    EXPECT_EQ(ip, unit.ip);
    EXPECT_EQ(Mac(d, 10), unit.mac);
    EXPECT_EQ(Dotted(d, 24), unit.mask);
    EXPECT_EQ(Dotted(d, 30), unit.gateway);
    // The payload length tells the address mode: 0x60 for a static unit.
    EXPECT_EQ(static_cast<unsigned char>(d[7]) == 0x60, unit.staticAddress) << ip;
    EXPECT_EQ(d.size(), 8u + static_cast<unsigned char>(d[7]));
  }
  // Distinct MACs and both address modes among them.
  EXPECT_NE(Mac(replies[0].bytes, 10), Mac(replies[1].bytes, 10));
  EXPECT_TRUE(sim_->Unit(0)->staticAddress);
  EXPECT_FALSE(sim_->Unit(1)->staticAddress);
}

TEST_F(AddpTest, aRequestForOneMacIsAnsweredByThatUnitOnly) {
  Start(3);
  const auto replies = Search(MacBytes(sim_->Unit(2)->mac));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(Dotted(replies[0].bytes, 18), "127.0.1.3");
  // Also when sent to the unit's own address, as the IP-settings exchange does.
  ASSERT_TRUE(client_.SendTo(DiscoveryRequest(MacBytes(sim_->Unit(1)->mac)), "127.0.1.2"));
  const auto direct = client_.Collect();
  ASSERT_EQ(direct.size(), 1u);
  EXPECT_EQ(Dotted(direct[0].bytes, 18), "127.0.1.2");
}

TEST_F(AddpTest, eachUnitServesAThermometerOfItsOwn) {
  Start(2);
  Stream first = Stream::Tcp("127.0.1.1");
  Stream second = Stream::Tcp("127.0.1.2");
  ASSERT_TRUE(first.Ok() && second.Ok());
  EXPECT_EQ(ReplyText(first.Ask(ReadFrame("TSN"))), "10002");
  EXPECT_EQ(ReplyText(second.Ask(ReadFrame("TSN"))), "10003");
  second.Send(SetFrame("EMS", "777"));
  EXPECT_EQ(ReplyText(second.Ask(ReadFrame("EMS"))), "777");
  EXPECT_EQ(ReplyText(first.Ask(ReadFrame("EMS"))), "950");
}

TEST_F(AddpTest, newSettingsWithTheRightPasswordShowAfterTheReboot) {
  Start(2);
  const auto unit = sim_->Unit(1).value();
  const std::string mac = MacBytes(unit.mac);
  ASSERT_TRUE(client_.SendTo(
      ConfigRequest(std::string("\x7f\x00\x02\x09", 4), std::string("\xff\xff\x00\x00", 4),
                    std::string("\x7f\x00\x02\x01", 4), mac, "dbps"),
      unit.ip));
  const auto configReply = client_.Collect();
  ASSERT_EQ(configReply.size(), 1u);
  EXPECT_EQ(configReply[0].bytes.substr(4, 2), std::string("\x00\x04", 2));
  // Nothing changes before the reboot.
  EXPECT_EQ(sim_->Unit(1)->ip, "127.0.1.2");
  ASSERT_TRUE(client_.SendTo(RebootRequest(mac, "dbps"), unit.ip));
  const auto rebootReply = client_.Collect();
  ASSERT_EQ(rebootReply.size(), 1u);
  EXPECT_EQ(rebootReply[0].bytes.substr(4, 2), std::string("\x00\x06", 2));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto replies = DiscoveryReplies(Search());
  ASSERT_EQ(replies.size(), 2u);
  bool found = false;
  for (const auto& d : replies) {
    if (Mac(d, 10) != unit.mac) continue;
    found = true;
    EXPECT_EQ(Dotted(d, 18), "127.0.2.9");
    EXPECT_EQ(Dotted(d, 24), "255.255.0.0");
    EXPECT_EQ(Dotted(d, 30), "127.0.2.1");
    EXPECT_EQ(static_cast<unsigned char>(d[7]), 0x60) << "an address set by hand is static";
  }
  EXPECT_TRUE(found);
  Stream moved = Stream::Tcp("127.0.2.9");
  ASSERT_TRUE(moved.Ok());
  EXPECT_EQ(ReplyText(moved.Ask(ReadFrame("TSN"))), "10003");
  EXPECT_FALSE(Stream::Tcp("127.0.1.2").Ok());
}

TEST_F(AddpTest, aWrongPasswordIsRefusedAndChangesNothing) {
  Start(1);
  const auto unit = sim_->Unit(0).value();
  const std::string mac = MacBytes(unit.mac);
  client_.SendTo(
      ConfigRequest(std::string("\x7f\x00\x03\x03", 4), std::string("\xff\x00\x00\x00", 4),
                    std::string("\x7f\x00\x03\x01", 4), mac, "nope"),
      unit.ip);
  const auto refused = client_.Collect();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].bytes.find("Authentication failure"), std::string::npos);
  client_.SendTo(RebootRequest(mac, "nope"), unit.ip);
  EXPECT_EQ(client_.Collect().size(), 1u);
  EXPECT_FALSE(sim_->Unit(0)->rebooting);
  EXPECT_EQ(sim_->Unit(0)->ip, "127.0.1.1");
}

TEST_F(AddpTest, badDatagramFaultsAndTwoUnitsWithOneAddress) {
  const struct {
    AddpFault fault;
    bool badOnly;
    std::size_t good, bad;
  } cases[] = {
      {AddpFault::Short, false, 2, 2},
      {AddpFault::Malformed, false, 2, 2},
      {AddpFault::Short, true, 0, 2},
  };
  for (const auto& c : cases) {
    Faults faults;
    faults.addpFault = c.fault;
    faults.addpBadOnly = c.badOnly;
    Start(2, faults);
    const auto replies = Search();
    EXPECT_EQ(replies.size(), c.good + c.bad);
    EXPECT_EQ(DiscoveryReplies(replies).size(), c.good);
    sim_.reset();
  }
  Faults duplicate;
  duplicate.addpDuplicateIp = true;
  Start(3, duplicate);
  const auto replies = DiscoveryReplies(Search());
  ASSERT_EQ(replies.size(), 3u);
  int atFirst = 0;
  for (const auto& d : replies) atFirst += Dotted(d, 18) == "127.0.1.1";
  EXPECT_EQ(atFirst, 2);
}

TEST_F(AddpTest, datagramsOfAnySizeAreRecordedAndNeverStopTheService) {
  Start(1);
  Udp other;
  const std::vector<std::string> junk = {
      "",
      "D",
      "DIGI",
      std::string("DIGI\x00\x01\x00\x06\xff", 9),       // cut discovery request
      std::string("DIGI\x00\x03\x00\x17\x01\x02", 10),  // cut configuration request
      std::string("DIGI\x00\x05\x00\x0b", 8) + std::string(6, '\x02') +
          '\xff',  // password longer than the datagram
      std::string(60000, 'x'),
  };
  for (const auto& d : junk) ASSERT_TRUE(other.SendTo(d, "127.0.1.1")) << d.size();
  EXPECT_TRUE(other.Collect(200).empty());
  ASSERT_TRUE(sim_->Record().WaitFor([&](const auto& e) { return e.size() >= junk.size(); },
                                     std::chrono::seconds(2)));
  const auto entries = sim_->Record().Entries();
  EXPECT_EQ(entries[0].channel, "addp");
  EXPECT_EQ(entries.back().bytes.size(), Recorder::kMaxStoredBytes);
  EXPECT_EQ(Search().size(), 1u);
}

}  // namespace
}  // namespace zemra::sim
