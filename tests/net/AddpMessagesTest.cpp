#include "net/AddpMessages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "net/DiscoveryTestUnits.h"

namespace zemra::addp {
namespace {

using ::testing::ElementsAreArray;

const MacAddress kMac = {0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03};

TEST(AddpRequests, DiscoveryRequestAsksEveryUnitOrOne) {
  const std::vector<std::uint8_t> all = {'D',  'I',  'G',  'I',  0x00, 0x01, 0x00,
                                         0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_THAT(BuildDiscoveryRequest(kAllUnits), ElementsAreArray(all));

  const std::vector<std::uint8_t> one = {'D',  'I',  'G',  'I',  0x00, 0x01, 0x00,
                                         0x06, 0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03};
  EXPECT_THAT(BuildDiscoveryRequest(kMac), ElementsAreArray(one));
}

TEST(AddpRequests, NetworkConfigurationCarriesAddressesInTextOrderThenMacAndPassword) {
  const std::vector<std::uint8_t> expected = {'D',  'I',  'G',  'I',  0x00, 0x03,
                                              0x00, 0x17,            // header, payload 23
                                              192,  168,  0,    50,  // new address
                                              255,  255,  255,  0,   // new mask
                                              192,  168,  0,    1,   // new gateway
                                              0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03,  // the unit
                                              0x04, 'd',  'b',  'p',  's'};
  EXPECT_THAT(
      BuildNetworkConfigRequest({192, 168, 0, 50}, {255, 255, 255, 0}, {192, 168, 0, 1}, kMac),
      ElementsAreArray(expected));
}

TEST(AddpRequests, RebootNamesTheUnitAndThePassword) {
  const std::vector<std::uint8_t> expected = {'D',  'I',  'G',  'I',  0x00, 0x05, 0x00,
                                              0x0B, 0x00, 0x0A, 0xB0, 0x01, 0x02, 0x03,
                                              0x04, 'd',  'b',  'p',  's'};
  EXPECT_THAT(BuildRebootRequest(kMac), ElementsAreArray(expected));
}

TEST(AddpReplyParse, ReadsTheFieldsAndTheAddressMode) {
  test::AddpUnit unit;
  unit.mac = kMac;
  unit.address = {10, 1, 10, 200};
  unit.mask = {255, 255, 0, 0};
  unit.gateway = {10, 1, 0, 254};
  for (const bool isStatic : {true, false}) {
    unit.isStatic = isStatic;
    const std::optional<DiscoveryReply> reply = ParseDiscoveryReply(test::AddpReply(unit));
    ASSERT_TRUE(reply);
    EXPECT_EQ(FormatMac(reply->mac), "00:0A:B0:01:02:03");
    EXPECT_EQ(FormatIpv4(reply->address), "10.1.10.200");
    EXPECT_EQ(FormatIpv4(reply->mask), "255.255.0.0");
    EXPECT_EQ(FormatIpv4(reply->gateway), "10.1.0.254");
    EXPECT_EQ(reply->isStatic, isStatic);
  }
}

TEST(AddpReplyParse, OnlyLengthByte0x60MeansStatic) {
  std::vector<std::uint8_t> datagram = test::AddpReply({});
  for (const int low : {0x00, 0x5F, 0x60, 0x61, 0xE0, 0xFF}) {
    for (const int high : {0x00, 0x01}) {
      datagram[6] = static_cast<std::uint8_t>(high);
      datagram[7] = static_cast<std::uint8_t>(low);
      const auto reply = ParseDiscoveryReply(datagram);
      ASSERT_TRUE(reply);
      EXPECT_EQ(reply->isStatic, low == 0x60) << high << " " << low;
    }
  }
}

TEST(AddpReplyParse, DropsWhatIsNoDiscoveryReply) {
  const std::vector<std::uint8_t> good = test::AddpReply({});
  const auto changed = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> bytes = good;
    bytes[at] = value;
    return bytes;
  };
  const struct {
    const char* what;
    std::vector<std::uint8_t> datagram;
  } cases[] = {
      {"empty", {}},
      {"header only", {good.begin(), good.begin() + 8}},
      {"one byte short of the gateway's end", {good.begin(), good.begin() + 33}},
      {"magic in lower case", changed(0, 'd')},
      {"magic damaged at its end", changed(3, 'X')},
      {"discovery request", changed(5, 0x01)},
      {"network configuration reply", changed(5, 0x04)},
      {"type 0x0102", changed(4, 0x01)},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ParseDiscoveryReply(c.datagram)) << c.what;
  }
  EXPECT_TRUE(ParseDiscoveryReply(std::span(good.data(), kMinDiscoveryReplySize)));
}

TEST(AddpReplyParse, AnyBytesOfAnyLengthAreSafe) {
  // Random datagrams, many of them with a valid header so that the field reads are reached.
  std::mt19937 random(2362);
  std::vector<std::uint8_t> datagram;
  for (int round = 0; round < 20000; ++round) {
    datagram.resize(random() % 80);
    for (auto& byte : datagram) byte = static_cast<std::uint8_t>(random());
    if (round % 2 == 0 && datagram.size() >= 6) {
      const std::uint8_t header[] = {'D', 'I', 'G', 'I', 0x00, 0x02};
      std::copy(std::begin(header), std::end(header), datagram.begin());
    }
    const auto reply = ParseDiscoveryReply(datagram);
    ASSERT_EQ(reply.has_value(), round % 2 == 0 && datagram.size() >= kMinDiscoveryReplySize);
  }
  EXPECT_TRUE(ParseDiscoveryReply(std::vector<std::uint8_t>(65507, 0)) == std::nullopt);
}

TEST(AddpTexts, FormatsAddressesAndMacs) {
  EXPECT_EQ(FormatMac({0xAB, 0xCD, 0xEF, 0x00, 0x0F, 0xF0}), "AB:CD:EF:00:0F:F0");
  EXPECT_EQ(FormatIpv4(Ipv4Bytes{0, 0, 0, 0}), "0.0.0.0");
  EXPECT_EQ(FormatIpv4(Ipv4Bytes{255, 255, 255, 255}), "255.255.255.255");
  EXPECT_EQ(FormatIpv4(0x7F0001FFu), "127.0.1.255");
}

TEST(AddpTexts, ParsesDottedQuadsStrictly) {
  const struct {
    const char* text;
    std::optional<Ipv4Bytes> expected;
  } cases[] = {
      {"192.168.0.50", Ipv4Bytes{192, 168, 0, 50}},
      {"0.0.0.0", Ipv4Bytes{0, 0, 0, 0}},
      {"255.255.255.255", Ipv4Bytes{255, 255, 255, 255}},
      {"010.001.000.009", Ipv4Bytes{10, 1, 0, 9}},
      {"192.168.0.256", std::nullopt},
      {"300.1.1.1", std::nullopt},
      {"1.2.3", std::nullopt},
      {"1.2.3.4.5", std::nullopt},
      {"1.2.3.4.", std::nullopt},
      {".1.2.3", std::nullopt},
      {"1..2.3", std::nullopt},
      {"1.2.3.0004", std::nullopt},
      {" 1.2.3.4", std::nullopt},
      {"1.2.3.4 ", std::nullopt},
      {"1.2.3.-4", std::nullopt},
      {"1.2.3.+4", std::nullopt},
      {"0x1.2.3.4", std::nullopt},
      {"a.b.c.d", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDottedQuad(c.text), c.expected) << c.text;
  EXPECT_EQ(ParseDottedQuad(std::string_view("1.2.3.4\0", 8)), std::nullopt);
}

TEST(AddpTexts, ParsesMacsInEitherCase) {
  const struct {
    const char* text;
    std::optional<MacAddress> expected;
  } cases[] = {
      {"00:0A:B0:01:02:03", kMac},
      {"00:0a:b0:01:02:03", kMac},
      {"0:a:b0:1:2:3", kMac},
      {"FF:FF:FF:FF:FF:FF", kAllUnits},
      {"00:0A:B0:01:02", std::nullopt},
      {"00:0A:B0:01:02:03:04", std::nullopt},
      {"00:0A:B0:01:02:03:", std::nullopt},
      {"00:0A:B0:01:02:003", std::nullopt},
      {"00:0A:B0:01::03", std::nullopt},
      {"00-0A-B0-01-02-03", std::nullopt},
      {"00:0G:B0:01:02:03", std::nullopt},
      {" 00:0A:B0:01:02:03", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseMac(c.text), c.expected) << c.text;
}

TEST(AddpTexts, HostOrderOfDottedBytes) {
  EXPECT_EQ(ToHostOrder({127, 0, 1, 7}), 0x7F000107u);
  EXPECT_EQ(ToHostOrder({255, 255, 255, 255}), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace zemra::addp
