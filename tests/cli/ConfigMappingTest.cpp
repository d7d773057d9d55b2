#include <string>

#include <gtest/gtest.h>

#include "cli/ConfigMapping.h"

namespace zemra {
namespace {

LinkConfiguration Sample(std::int32_t typeClass) {
  LinkConfiguration c;
  c.label = "Furnace 2";
  c.thermometer.typeNumber = 7;
  c.thermometer.typeClass = typeClass;
  c.thermometer.rangeLow = 700;
  c.thermometer.rangeHigh = 1800;
  c.units = 0;
  c.emissivity = 950 / 1000.0;
  c.nonGreyness = 1001 / 1000.0;
  c.emissivityControl = 0;
  c.timeFunction = {2, 1, 750, 3, 25 / 10.0, 7 / 10.0, 4};
  c.alarmLevel = {{800, 1700}};
  c.alarmMode = {{0, 1}};
  c.alarmContacts = {{1, 0}};
  c.output = {700, 1800, 1};
  c.userCalibration = 1010;
  c.driveMode = 1;
  c.unitAddress = 3;
  return c;
}

TEST(ConfigMapping, aConnectedSaveOfARatioThermometerIsTheWindowsFile) {
  // The field shows 1.001, whose double times 1000 lies just below 1001: the window's files
  // hold 1000 for it, and so do these.
  EXPECT_EQ(ComposeConnectedConfigFile(Sample(kTypeRatio)),
            "[start]\r\n[Configuration information]\r\nLBL Furnace 2\r\nIRT 7\r\nIRU 0\r\n"
            "NGR 1000\r\nTFN 2\r\nPPM 1\r\nPPT 750\r\nPON 25\r\nPOF 7\r\nPPD 3\r\n"
            "A1L 800\r\nA1M 0\r\nA1C 1\r\nA2L 1700\r\nA2M 1\r\nA2C 0\r\n"
            "OMX 1800\r\nOMN 700\r\nOPT 1\r\nANC 0\r\nUAP 1010\r\n[end]\r\n\r\n");
}

TEST(ConfigMapping, theEmissivityLineFollowsTheKind) {
  struct {
    std::int32_t typeClass;
    std::string line;
  } rows[] = {{kTypeSingleWavelength, "EMS 950\r\n"},
              {kTypeRatio, "NGR 1000\r\n"},
              {kTypeNeither, ""},
              {kTypeUnknown, ""}};
  for (const auto& row : rows) {
    const std::string text = ComposeConnectedConfigFile(Sample(row.typeClass));
    EXPECT_NE(text.find("IRT 7\r\nIRU 0\r\n" + row.line + "TFN 2"), std::string::npos)
        << row.typeClass << "\n"
        << text;
  }
}

TEST(ConfigMapping, decimalsAreStoredAsThePanelShowsThem) {
  // A value read (n / 1000) is stored from the digits the field shows, so one whose binary
  // value lies just below them (0.95 is 0.94999...) keeps its n; the shown digits times 1000
  // are then truncated as the window truncates them.
  const struct {
    int read;
    int stored;
  } emissivities[] = {{100, 100},   {949, 949},   {950, 950},   {951, 951},   {999, 999},
                      {1000, 1000}, {1001, 1000}, {1003, 1002}, {1024, 1024}, {1250, 1250}};
  for (const auto& row : emissivities) {
    LinkConfiguration c = Sample(kTypeSingleWavelength);
    c.emissivity = row.read / 1000.0;
    EXPECT_EQ(ToConfigValues(c).emissivity, row.stored) << row.read;
  }
  for (int n = 0; n <= 100; ++n) {
    LinkConfiguration c = Sample(kTypeSingleWavelength);
    c.timeFunction.pon = n / 10.0;
    c.timeFunction.pof = n / 10.0;
    EXPECT_EQ(ToConfigValues(c).peakDelayOn, n) << n;
    EXPECT_EQ(ToConfigValues(c).peakDelayOff, n) << n;
  }
}

TEST(ConfigMapping, applyingTheValuesOfARecordGivesTheRecordBack) {
  for (std::int32_t typeClass : {kTypeSingleWavelength, kTypeRatio}) {
    LinkConfiguration source = Sample(typeClass);
    source.nonGreyness = 1.25;
    LinkConfiguration target;  // all defaults, another label
    target.thermometer = source.thermometer;
    target.driveMode = source.driveMode;
    target.unitAddress = source.unitAddress;
    ApplyConfigValues(ToConfigValues(source), target);
    EXPECT_EQ(ToConfigValues(target), ToConfigValues(source));
    EXPECT_DOUBLE_EQ(EmissivityField(target), EmissivityField(source));
  }
}

TEST(ConfigMapping, absentFileKeysKeepTheThermometersValues) {
  LinkConfiguration c = Sample(kTypeSingleWavelength);
  ConfigValues file;
  file.label = "New";
  file.alarmLevel[1] = 1200;
  file.emissivity = 900;  // EMS or NGR: both set the one field
  ApplyConfigValues(file, c);
  LinkConfiguration expected = Sample(kTypeSingleWavelength);
  expected.label = "New";
  expected.alarmLevel.value[1] = 1200;
  expected.emissivity = expected.nonGreyness = 0.9;
  EXPECT_EQ(c, expected);
}

TEST(ConfigMapping, comparisonCoversTheKeysTheExpectedSideHolds) {
  const ConfigValues held = ToConfigValues(Sample(kTypeSingleWavelength));
  ConfigValues file;
  file.label = "Furnace 2";
  file.emissivity = 900;
  file.alarmMode[0] = 0;
  file.outputType = 0;
  EXPECT_EQ(CompareConfigValues(held, file, kTypeSingleWavelength),
            (std::vector<ConfigDifference>{{"EMS", "950", "900"}, {"OPT", "1", "0"}}));
  EXPECT_TRUE(CompareConfigValues(held, held, kTypeSingleWavelength).empty());

  // A thermometer of neither kind has no emissivity: a file's value is a difference.
  const ConfigValues neither = ToConfigValues(Sample(kTypeNeither));
  ConfigValues withEmissivity;
  withEmissivity.emissivity = 950;
  EXPECT_EQ(CompareConfigValues(neither, withEmissivity, kTypeNeither),
            (std::vector<ConfigDifference>{{"EMS/NGR", std::nullopt, "950"}}));
}

TEST(ConfigMapping, aSaveHoldsOnlyTheTimeFunctionKeysOfItsMode) {
  ConfigValues v = ToConfigValues(Sample(kTypeRatio));
  v.timeFunction = 1;
  ConfigValues averager = SavedKeysOnly(v);
  EXPECT_TRUE(averager.averagingIndex);
  EXPECT_FALSE(averager.peakMode || averager.peakThreshold || averager.peakDelayOn ||
               averager.peakDelayOff || averager.decayIndex);
  v.timeFunction = 3;
  ConfigValues trackHold = SavedKeysOnly(v);
  EXPECT_FALSE(trackHold.averagingIndex || trackHold.peakMode || trackHold.decayIndex);
  EXPECT_TRUE(trackHold.alarmLevel[0] && trackHold.userCalibration);
}

}  // namespace
}  // namespace zemra
