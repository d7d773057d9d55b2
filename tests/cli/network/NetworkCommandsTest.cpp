// zemractl discover and set-ip against the simulator's ADDP units, on the loopback network
// only: the search goes to 127.255.255.255 from the adapters given on the command line.

#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "CliRig.h"

namespace zemra::test {
namespace {

const std::string kLoopback = "127.0.0.1/255.0.0.0";

class NetworkCli : public testing::Test {
 protected:
  void Start(int units) {
    sim::SimulatorOptions options;
    options.addpUnits = units;
    options.addpRebootMs = 100;
    simulator_ = StartSimulator(options);
  }

  TempDir dir_;
  std::unique_ptr<sim::Simulator> simulator_;
};

TEST_F(NetworkCli, discoverListsEveryUnitOnceInTheOrderFound) {
  Start(3);
  const CliResult text = RunZemractl({"discover", "--adapter", kLoopback}, dir_.Path());
  ASSERT_EQ(text.exit, 0) << text.err;
  EXPECT_EQ(text.out,
            "127.0.1.1\t02:5A:4D:00:00:01\t255.0.0.0\t127.0.0.254\tStatic\n"
            "127.0.1.2\t02:5A:4D:00:00:02\t255.0.0.0\t127.0.0.254\tDHCP\n"
            "127.0.1.3\t02:5A:4D:00:00:03\t255.0.0.0\t127.0.0.254\tStatic\n");

  // Two adapters on one network: the request goes out twice, the units are listed once.
  const CliResult json = RunZemractl(
      {"discover", "--json", "--adapter", kLoopback, "--adapter", "127.0.0.2/255.0.0.0"},
      dir_.Path());
  ASSERT_EQ(json.exit, 0) << json.err;
  EXPECT_EQ(json.out,
            "[{\"ip\": \"127.0.1.1\", \"mac\": \"02:5A:4D:00:00:01\", \"mask\": \"255.0.0.0\", "
            "\"gateway\": \"127.0.0.254\", \"addressing\": \"Static\"},\n"
            " {\"ip\": \"127.0.1.2\", \"mac\": \"02:5A:4D:00:00:02\", \"mask\": \"255.0.0.0\", "
            "\"gateway\": \"127.0.0.254\", \"addressing\": \"DHCP\"},\n"
            " {\"ip\": \"127.0.1.3\", \"mac\": \"02:5A:4D:00:00:03\", \"mask\": \"255.0.0.0\", "
            "\"gateway\": \"127.0.0.254\", \"addressing\": \"Static\"}]\n");
  int requests = 0;
  for (const sim::RecordEntry& entry : simulator_->Record().Entries()) {
    requests += entry.channel == "addp" && entry.bytes.size() == 14;
  }
  EXPECT_EQ(requests, 3);  // one search, then one per adapter
}

TEST_F(NetworkCli, discoverWithNoUnitsListsNothing) {
  const CliResult result = RunZemractl({"discover", "--adapter", kLoopback, "--json"}, dir_.Path());
  EXPECT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.out, "[]\n");
}

TEST_F(NetworkCli, setIpGivesTheFoundUnitItsNewAddress) {
  Start(2);
  const CliResult result = RunZemractl({"set-ip", "02:5a:4d:00:00:02", "127.0.1.20", "255.255.0.0",
                                        "127.0.0.1", "--adapter", kLoopback},
                                       dir_.Path());
  ASSERT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.out,
            "02:5A:4D:00:00:02: new settings sent to 127.0.1.2; the unit restarts with address "
            "127.0.1.20\n");
  // After the search: the unit's own discovery request, the configuration request, and about
  // five seconds later the discovery request again and the reboot request.
  std::vector<sim::RecordEntry> requests;
  for (const sim::RecordEntry& entry : simulator_->Record().Entries()) {
    if (entry.channel == "addp") requests.push_back(entry);
  }
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(requests[1].bytes.size(), 14u);
  EXPECT_EQ(requests[2].bytes.size(), 31u);
  EXPECT_EQ(requests[3].bytes.size(), 14u);
  EXPECT_EQ(requests[4].bytes.size(), 19u);
  EXPECT_GE(requests[3].seconds - requests[2].seconds, 4.995);
  EXPECT_EQ(requests[2].bytes.substr(8, 4), std::string("\x7f\x00\x01\x14", 4));

  // The unit comes back with its new settings after its restart.
  std::optional<sim::AddpUnitView> unit;
  for (int i = 0; i < 50; ++i) {
    unit = simulator_->Unit(1);
    if (unit && unit->ip == "127.0.1.20" && !unit->rebooting) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(unit);
  EXPECT_EQ(unit->ip, "127.0.1.20");
  EXPECT_EQ(unit->mask, "255.255.0.0");
  EXPECT_EQ(unit->gateway, "127.0.0.1");
  EXPECT_EQ(simulator_->Unit(0)->ip, "127.0.1.1");
}

TEST_F(NetworkCli, setIpForAMacNobodyAnswersWithIsAnError) {
  Start(1);
  const CliResult result = RunZemractl({"set-ip", "00:0A:B0:01:02:03", "127.0.1.30", "255.0.0.0",
                                        "127.0.0.1", "--adapter", kLoopback},
                                       dir_.Path());
  EXPECT_EQ(result.exit, 1);
  EXPECT_EQ(result.err,
            "zemractl: No unit with MAC address 00:0A:B0:01:02:03 answered the search.\n");
  EXPECT_EQ(simulator_->Unit(0)->ip, "127.0.1.1");
}

}  // namespace
}  // namespace zemra::test
