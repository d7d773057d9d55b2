#include <gtest/gtest.h>

#include <algorithm>

#include "../Program.h"
#include "AddpClient.h"

namespace zemra::simtest {
namespace {

TEST(AddpProgramTest, threeUnitsAnswerABroadcastToTheLoopbackNetwork) {
  Udp client(64919);
  ASSERT_TRUE(client.Ok());
  Program sim({"--addp", "3"});
  for (int i = 0; i < 3; ++i) ASSERT_NE(sim.ErrLine().find("unit 127.0.1."), std::string::npos);
  ASSERT_TRUE(client.SendTo(DiscoveryRequest(), "127.255.255.255"));
  const auto replies = client.Collect();
  ASSERT_EQ(replies.size(), 3u);
  std::vector<std::string> ips;
  for (const auto& r : replies) ips.push_back(Dotted(r.bytes, 18));
  std::sort(ips.begin(), ips.end());
  EXPECT_EQ(ips, (std::vector<std::string>{"127.0.1.1", "127.0.1.2", "127.0.1.3"}));
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(AddpProgramTest, faultOptionsShapeTheDatagrams) {
  Udp client(64919);
  Program sim({"--addp", "2", "--addp-malformed", "--addp-duplicate-ip"});
  for (int i = 0; i < 2; ++i) ASSERT_FALSE(sim.ErrLine().empty());
  client.SendTo(DiscoveryRequest(), "127.255.255.255");
  const auto replies = client.Collect();
  ASSERT_EQ(replies.size(), 4u);
  int malformed = 0, atFirst = 0;
  for (const auto& r : replies) {
    malformed += r.bytes.compare(0, 4, "DIGI") != 0;
    atFirst += r.bytes.compare(0, 4, "DIGI") == 0 && Dotted(r.bytes, 18) == "127.0.1.1";
  }
  EXPECT_EQ(malformed, 2);
  EXPECT_EQ(atFirst, 2);
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.Wait(), 0);
}

}  // namespace
}  // namespace zemra::simtest
