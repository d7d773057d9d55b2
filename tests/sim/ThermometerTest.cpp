#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sim/Thermometer.h"

namespace zemra::sim {
namespace {

// A clock the test moves by hand.
struct ManualClock {
  double seconds = 0;
  Thermometer::SecondsClock Fn() {
    return [this] { return seconds; };
  }
};

long Number(const std::optional<std::string>& text) {
  EXPECT_TRUE(text.has_value());
  return text ? std::strtol(text->c_str(), nullptr, 10) : -99999;
}

TEST(ThermometerTest, informationTextHasHeaderFirstLineKeysInOrderAndEnd) {
  ThermometerConfig config;
  config.kind = ThermometerKind::Ratio;
  config.range = std::make_pair(600, 1600);
  Thermometer t(config);
  const std::string text = t.Read("IFO 1").value();
  ASSERT_EQ(text.rfind("[Thermometer Information]\r\n", 0), 0u) << text;
  const std::string first = text.substr(27, text.find("\r\n", 27) - 27);
  EXPECT_EQ(first.substr(0, first.find(' ')), "7:");
  EXPECT_EQ(first.substr(3, 5), "ZEMR5");
  const auto iru = text.find("IRU0"), thv = text.find("THV1600"), tlv = text.find("TLV600"),
             lpf = text.find("LPF1"), end = text.find("[end]");
  ASSERT_NE(iru, std::string::npos);
  EXPECT_LT(iru, thv);
  EXPECT_LT(thv, tlv);
  EXPECT_LT(tlv, lpf);
  EXPECT_LT(lpf, end);
  EXPECT_NE(end, std::string::npos);
  // The keys appear once each, so a reader that looks for the first one finds the right one.
  EXPECT_EQ(text.find("IRU", iru + 1), std::string::npos);
  EXPECT_LT(text.size(), 2048u);
  EXPECT_LT(t.Read("IFO 0").value().size(), 512u);
}

TEST(ThermometerTest, modelWordsTypeCharacterTellsTheKind) {
  const struct {
    ThermometerKind kind;
    char typeCharacter;  // the fourth character of the model word
  } cases[] = {{ThermometerKind::Single, '2'},
               {ThermometerKind::Ratio, 'R'},
               {ThermometerKind::Neither, 'L'}};
  for (const auto& c : cases) {
    const std::string word = ModelWord(c.kind);
    ASSERT_GE(word.size(), 5u);
    EXPECT_NE(word.substr(0, 2), "SN");
    EXPECT_EQ(word[3], c.typeCharacter) << word;
  }
}

TEST(ThermometerTest, setValuesReadBackAndRefusedOnesKeepTheOldValue) {
  Thermometer t(ThermometerConfig{});
  const struct {
    const char* mnemonic;
    const char* value;
    bool applied;
    long readBack;
  } cases[] = {
      {"EMS", "950", true, 950},    {"EMS", "0", false, 950},  {"NGR", "1100", true, 1100},
      {"TFN", "2", true, 2},        {"TFN", "4", false, 2},    {"UAP", "1200", true, 1200},
      {"UAP", "1201", false, 1200}, {"A1L", "500", true, 500}, {"A1L", "5000", false, 500},
      {"A2M", "4", true, 4},        {"OMN", "100", true, 100}, {"OMX", "abc", false, 1000},
      {"PON", "25", true, 25},      {"ODM", "0", true, 0},     {"BRT", "4", true, 4},
      {"BRT", "5", false, 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(t.Set(c.mnemonic, c.value), c.applied) << c.mnemonic << " " << c.value;
    EXPECT_EQ(Number(t.Read(c.mnemonic)), c.readBack) << c.mnemonic;
  }
}

TEST(ThermometerTest, labelKeepsAtMostFifteenCharacters) {
  Thermometer t(ThermometerConfig{});
  EXPECT_TRUE(t.Set("LBL", "Furnace zone twelve"));
  EXPECT_EQ(t.Read("LBL").value(), "Furnace zone tw");
}

TEST(ThermometerTest, switchingUnitsConvertsRangeAndTemperaturesWithoutDrift) {
  ThermometerConfig config;
  config.range = std::make_pair(0, 1000);
  Thermometer t(config);
  ASSERT_TRUE(t.Set("OMN", "100"));
  ASSERT_TRUE(t.Set("IRU", "1"));
  EXPECT_EQ(Number(t.Read("OMN")), 212);
  EXPECT_NE(t.Read("IFO 1")->find("IRU1\r\nTHV1832\r\nTLV32\r\n"), std::string::npos);
  ASSERT_TRUE(t.Set("A1L", "451"));  // 232.78 C
  for (int i = 0; i < 5; ++i) {
    t.Set("IRU", "0");
    t.Set("IRU", "1");
  }
  EXPECT_EQ(Number(t.Read("A1L")), 451);
  t.Set("IRU", "0");
  EXPECT_EQ(Number(t.Read("OMN")), 100);
}

TEST(ThermometerTest, fahrenheitStartTakesTheRangeInFahrenheit) {
  ThermometerConfig config;
  config.fahrenheit = true;
  config.range = std::make_pair(32, 1832);
  Thermometer t(config);
  EXPECT_EQ(Number(t.Read("TLV")), 32);
  t.Set("IRU", "0");
  EXPECT_EQ(Number(t.Read("THV")), 1000);
}

TEST(ThermometerTest, temperatureWandersWithinTheRangeInSixteenths) {
  ManualClock clock;
  ThermometerConfig config;
  config.range = std::make_pair(200, 1000);
  Thermometer t(config, clock.Fn());
  long lowest = 1 << 30, highest = -(1 << 30);
  for (int s = 0; s < 240; s += 3) {
    clock.seconds = s;
    const long htp = Number(t.Read("HTP"));
    lowest = std::min(lowest, htp);
    highest = std::max(highest, htp);
    EXPECT_EQ(std::strtoul(t.Read("FLG")->c_str(), nullptr, 16) & 0x30, 0u);
  }
  EXPECT_GE(lowest, 200 * 16);
  EXPECT_LE(highest, 1000 * 16);
  EXPECT_GT(highest - lowest, 100 * 16) << "the signal should move";
}

TEST(ThermometerTest, leavingTheRangeSetsOverAndUnderRangeFlags) {
  ThermometerConfig config;
  config.range = std::make_pair(200, 1000);
  Thermometer t(config);
  const struct {
    double celsius;
    std::uint32_t flags;
  } cases[] = {{1200, kFlagOverRange}, {100, kFlagUnderRange}, {500, 0}};
  for (const auto& c : cases) {
    t.SetSignal(c.celsius);
    const auto flags = std::strtoul(t.Read("FLG")->c_str(), nullptr, 16);
    EXPECT_EQ(flags & (kFlagOverRange | kFlagUnderRange), c.flags) << c.celsius;
  }
  t.SetSignal(500);
  EXPECT_EQ(Number(t.Read("HTP")), 8000);
}

TEST(ThermometerTest, alarmFlagsFollowModeAndLevel) {
  Thermometer t(ThermometerConfig{});
  t.Set("A1M", "1");
  t.Set("A1L", "600");
  t.Set("A2M", "0");
  t.Set("A2L", "300");
  t.SetSignal(700);
  EXPECT_EQ(t.Flags() & (kFlagAlarm1 | kFlagAlarm2), kFlagAlarm1);
  t.SetSignal(200);
  EXPECT_EQ(t.Flags() & (kFlagAlarm1 | kFlagAlarm2), kFlagAlarm2);
  t.SetInternalTemperature(75);
  EXPECT_NE(t.Flags() & kFlagInternalHot, 0u);
}

TEST(ThermometerTest, laserOnlyWhenFitted) {
  ThermometerConfig config;
  config.laserFitted = false;
  Thermometer without(config);
  EXPECT_FALSE(without.Set("LSR", "1"));
  EXPECT_EQ(without.Read("LSR").value(), "0");
  EXPECT_EQ(without.Read("LPF").value(), "0");
  Thermometer with(ThermometerConfig{});
  EXPECT_TRUE(with.Set("LSR", "1"));
  EXPECT_EQ(with.Read("LSR").value(), "1");
}

TEST(ThermometerTest, memoryStoreKeepsTheWorkingConfigurationOverARestart) {
  Thermometer t(ThermometerConfig{});
  t.Set("EMS", "800");
  EXPECT_FALSE(t.Set("MEM", "1234"));
  t.Restart();
  EXPECT_EQ(t.Read("EMS").value(), "950");
  t.Set("EMS", "800");
  EXPECT_TRUE(t.Set("MEM", "3958"));
  t.Set("EMS", "700");
  t.Restart();
  EXPECT_EQ(t.Read("EMS").value(), "800");
}

TEST(ThermometerTest, comChangesTheUnitAddressAndUnknownCommandsHaveNoAnswer) {
  ThermometerConfig config;
  config.address = 3;
  config.serialNumber = 4711;
  Thermometer t(config);
  EXPECT_EQ(t.Read("COM").value(), "3");
  EXPECT_TRUE(t.Set("COM", "42"));
  EXPECT_EQ(t.Address(), 42);
  EXPECT_FALSE(t.Set("COM", "0"));
  EXPECT_FALSE(t.Set("COM", "255"));
  EXPECT_EQ(t.Read("TSN").value(), "4711");
  EXPECT_FALSE(t.Read("XYZ").has_value());
  EXPECT_FALSE(t.Read("").has_value());
  EXPECT_FALSE(t.Set("XYZ", "1"));
  EXPECT_NE(t.ProbeReply().find('*'), std::string::npos);
}

}  // namespace
}  // namespace zemra::sim
