#include "files/ConfigFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace zemra {
namespace {

using namespace std::string_literals;

// A configuration as the panel hands it over: every value present.
ConfigValues PanelValues(std::int32_t timeFunction) {
  ConfigValues v;
  v.label = "Furnace 3";
  v.units = 0;
  v.emissivity = 950;
  v.timeFunction = timeFunction;
  v.averagingIndex = 4;
  v.peakMode = 1;
  v.peakThreshold = 650;
  v.peakDelayOn = 25;
  v.peakDelayOff = 10;
  v.decayIndex = 12;
  v.alarmLevel = {1200, -40};
  v.alarmMode = {1, 0};
  v.alarmContacts = {0, 1};
  v.outputMax = 1600;
  v.outputMin = 600;
  v.outputType = 1;
  v.emissivityControl = 0;
  v.userCalibration = 1000;
  return v;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t crlf; (crlf = text.find("\r\n", start)) != std::string::npos; start = crlf + 2) {
    lines.push_back(text.substr(start, crlf - start));
  }
  EXPECT_EQ(start, text.size()) << "text does not end with CR LF";
  return lines;
}

std::vector<std::string> Keys(const std::string& text) {
  std::vector<std::string> keys;
  for (const std::string& line : Lines(text)) keys.push_back(line.substr(0, 3));
  return keys;
}

// A file around the given key lines, as the program writes it.
std::string Zcf(const std::string& body) {
  return "[start]\r\n[Configuration information]\r\n" + body + "[end]\r\n\r\n";
}

TEST(ComposeConfigFile, writesTheWholeLayoutWithCrLfLineEnds) {
  const std::string text = ComposeConfigFile(PanelValues(2), ConnectedUnit{3, 0});
  EXPECT_EQ(text,
            "[start]\r\n[Configuration information]\r\nLBL Furnace 3\r\nIRT 3\r\nIRU 0\r\n"
            "EMS 950\r\nTFN 2\r\nPPM 1\r\nPPT 650\r\nPON 25\r\nPOF 10\r\nPPD 12\r\n"
            "A1L 1200\r\nA1M 1\r\nA1C 0\r\nA2L -40\r\nA2M 0\r\nA2C 1\r\nOMX 1600\r\n"
            "OMN 600\r\nOPT 1\r\nANC 0\r\nUAP 1000\r\n[end]\r\n\r\n");
}

TEST(ComposeConfigFile, connectionAndSignalProcessingDecideTheLines) {
  const std::vector<std::string> head = {"[st", "[Co", "LBL"};
  const std::vector<std::string> tail = {"A1L", "A1M", "A1C", "A2L", "A2M", "A2C", "OMX",
                                         "OMN", "OPT", "ANC", "UAP", "[en", ""};
  struct Case {
    const char* name;
    std::optional<ConnectedUnit> unit;
    std::int32_t timeFunction;
    std::vector<std::string> middle;
  };
  const Case cases[] = {
      {"offline, none", std::nullopt, 0, {"IRU", "TFN"}},
      {"offline, averager", std::nullopt, 1, {"IRU", "TFN", "AVR"}},
      {"offline, peak picker", std::nullopt, 2, {"IRU", "TFN", "PPM", "PPT", "PON", "POF", "PPD"}},
      {"offline, track hold", std::nullopt, 3, {"IRU", "TFN"}},
      {"single wavelength", ConnectedUnit{7, 0}, 0, {"IRT", "IRU", "EMS", "TFN"}},
      {"ratio", ConnectedUnit{8, 1}, 1, {"IRT", "IRU", "NGR", "TFN", "AVR"}},
      {"neither", ConnectedUnit{9, 2}, 3, {"IRT", "IRU", "TFN"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> expected = head;
    expected.insert(expected.end(), c.middle.begin(), c.middle.end());
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(Keys(ComposeConfigFile(PanelValues(c.timeFunction), c.unit)), expected) << c.name;
  }
}

TEST(ComposeConfigFile, decimalFieldsAreScaledAndTruncated) {
  ConfigValues v = PanelValues(2);
  v.emissivity = ScaleForFile(1.001, kEmissivityScale);
  v.peakDelayOn = ScaleForFile(2.5, kDelayScale);
  const std::string ratio = ComposeConfigFile(v, ConnectedUnit{1, 1});
  EXPECT_NE(ratio.find("\r\nNGR 1000\r\n"), std::string::npos);
  EXPECT_NE(ratio.find("\r\nPON 25\r\n"), std::string::npos);

  v.emissivity = ScaleForFile(0.950, kEmissivityScale);
  EXPECT_NE(ComposeConfigFile(v, ConnectedUnit{1, 0}).find("\r\nEMS 950\r\n"), std::string::npos);
}

TEST(ComposeConfigFile, labelLineBreaksAreWrittenAsCrLfAndNulEndsTheLabel) {
  ConfigValues v = PanelValues(0);
  v.label = "a\nb\rc\r\nd";
  EXPECT_NE(ComposeConfigFile(v, std::nullopt).find("LBL a\r\nb\r\nc\r\nd\r\n"), std::string::npos);
  v.label = "ab\0cd"s;
  EXPECT_NE(ComposeConfigFile(v, std::nullopt).find("LBL ab\r\nIRU"), std::string::npos);
}

TEST(ComposeConfigFile, anAbsentLabelStillGivesAReadableFile) {
  const std::string text = ComposeConfigFile(ConfigValues{}, std::nullopt);
  EXPECT_EQ(text, "[start]\r\n[Configuration information]\r\nLBL \r\n[end]\r\n\r\n");
  EXPECT_EQ(ParseConfigFile(text).status, TextFormat::kOk);
}

TEST(ScaleForFile, truncatesTowardZeroAndCannotOverflow) {
  struct Case {
    double shown;
    int scale;
    std::int32_t stored;
  };
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {1.001, 1000, 1000},
      {0.950, 1000, 950},
      {0.95, 1000, 950},
      {2.5, 10, 25},
      {0.1, 10, 1},
      {-0.19, 10, -1},
      {1e300, 1000, INT32_MAX},
      {-1e300, 1000, INT32_MIN},
      {kInf, 10, INT32_MAX},
      {-kInf, 10, INT32_MIN},
      {std::nan(""), 1000, 0},
      {1500.9, 1, 1500},
  };
  for (const Case& c : cases) EXPECT_EQ(ScaleForFile(c.shown, c.scale), c.stored) << c.shown;
  EXPECT_DOUBLE_EQ(ScaleFromFile(950, kEmissivityScale), 0.95);
  EXPECT_DOUBLE_EQ(ScaleFromFile(25, kDelayScale), 2.5);
}

TEST(ParseConfigFile, readsTheLinesItWrote) {
  const std::optional<ConnectedUnit> units[] = {std::nullopt, ConnectedUnit{3, 0},
                                                ConnectedUnit{4, 1}};
  for (const auto& unit : units) {
    for (std::int32_t tfn = 0; tfn <= 3; ++tfn) {
      ConfigValues written = PanelValues(tfn);
      written.alarmLevel = {INT32_MAX, INT32_MIN};
      ConfigValues expected = written;
      if (!unit) expected.emissivity.reset();
      if (tfn != 1) expected.averagingIndex.reset();
      if (tfn != 2) {
        expected.peakMode.reset();
        expected.peakThreshold.reset();
        expected.peakDelayOn.reset();
        expected.peakDelayOff.reset();
        expected.decayIndex.reset();
      }
      const ConfigParse read = ParseConfigFile(ComposeConfigFile(written, unit));
      EXPECT_EQ(read.status, TextFormat::kOk);
      EXPECT_EQ(read.values, expected) << "tfn " << tfn << (unit ? " connected" : " offline");
    }
  }
}

// One row per reading rule: the body between the header and "[end]" and what it gives.
struct ReadCase {
  const char* name;
  std::string bytes;
  TextFormat status;
  ConfigValues values;
};

ConfigValues With(void (*set)(ConfigValues&)) {
  ConfigValues v;
  set(v);
  return v;
}

std::vector<ReadCase> ReadCases() {
  const std::string header = "[start]\r\n[Configuration information]\r\n";
  return {
      {"EMS value followed by a word", Zcf("LBL \r\nEMS 950 word\r\n"), TextFormat::kOk,
       With([](ConfigValues& v) {
         v.label = "";
         v.emissivity = 950;
       })},
      {"NGR sets the same field", Zcf("LBL \r\nNGR 950\r\n"), TextFormat::kOk,
       With([](ConfigValues& v) {
         v.label = "";
         v.emissivity = 950;
       })},
      {"TFN x stops after LBL and IRU", Zcf("LBL Kiln\r\nIRU 1\r\nTFN x\r\nUAP 900\r\n"),
       TextFormat::kBadValue, With([](ConfigValues& v) {
         v.label = "Kiln";
         v.units = 1;
       })},
      {"empty integer value stops", Zcf("LBL a\r\nIRU\r\n"), TextFormat::kBadValue,
       With([](ConfigValues& v) { v.label = "a"; })},
      {"LBL alone is an empty label", Zcf("LBL\r\n"), TextFormat::kOk,
       With([](ConfigValues& v) { v.label = ""; })},
      {"long label kept whole", Zcf("LBL 12345678901234567890\r\n"), TextFormat::kOk,
       With([](ConfigValues& v) { v.label = "12345678901234567890"; })},
      {"label kept untrimmed, lone CR included", Zcf("LBL  a\rb \r\n"), TextFormat::kOk,
       With([](ConfigValues& v) { v.label = " a\rb "; })},
      {"UAP directly followed by [end] is not applied",
       header + "LBL a\r\nOMX 5\r\nUAP 900[end]\r\n\r\n", TextFormat::kOk,
       With([](ConfigValues& v) {
         v.label = "a";
         v.outputMax = 5;
       })},
      {"file ending right after [end]", header + "LBL a\r\nUAP 900[end]", TextFormat::kOk,
       With([](ConfigValues& v) { v.label = "a"; })},
      {"ignored: lower case, leading space, unknown, IRT",
       Zcf("LBL a\r\nems 900\r\n EMS 901\r\nXYZ 5\r\nIRT 42\r\nIRT x\r\n"), TextFormat::kOk,
       With([](ConfigValues& v) { v.label = "a"; })},
      {"last occurrence wins", Zcf("LBL a\r\nIRU 0\r\nLBL b\r\nIRU 1\r\n"), TextFormat::kOk,
       With([](ConfigValues& v) {
         v.label = "b";
         v.units = 1;
       })},
      {"the fourth character is skipped whatever it is", Zcf("LBL a\r\nIRUx5\r\nOPT\t1\r\n"),
       TextFormat::kOk, With([](ConfigValues& v) {
         v.label = "a";
         v.units = 5;
         v.outputType = 1;
       })},
      {"lines before the first LBL are skipped", Zcf("IRU 1\r\nLBL a\r\nOPT 1\r\n"),
       TextFormat::kOk, With([](ConfigValues& v) {
         v.label = "a";
         v.outputType = 1;
       })},
      {"list indices outside their lists select nothing",
       Zcf("LBL a\r\nAVR 3\r\nAVR 99\r\nAVR 16\r\nPPD -1\r\nPPD 13\r\n"), TextFormat::kOk,
       With([](ConfigValues& v) {
         v.label = "a";
         v.averagingIndex = 3;
       })},
      {"last list indices", Zcf("LBL a\r\nAVR 15\r\nPPD 12\r\n"), TextFormat::kOk,
       With([](ConfigValues& v) {
         v.label = "a";
         v.averagingIndex = 15;
         v.decayIndex = 12;
       })},
      {"a bad list value still stops", Zcf("LBL a\r\nAVR many\r\n"), TextFormat::kBadValue,
       With([](ConfigValues& v) { v.label = "a"; })},
      {"decimal keys stored as read", Zcf("LBL a\r\nPON -3\r\nPOF 250\r\nPPT 1e3\r\n"),
       TextFormat::kOk, With([](ConfigValues& v) {
         v.label = "a";
         v.peakDelayOn = -3;
         v.peakDelayOff = 250;
         v.peakThreshold = 1;
       })},
      {"integers beyond 32 bits saturate", Zcf("LBL a\r\nA1L 99999999999\r\nA2L -4294967297\r\n"),
       TextFormat::kOk, With([](ConfigValues& v) {
         v.label = "a";
         v.alarmLevel = {INT32_MAX, INT32_MIN};
       })},
      {"LF-only line ends", "[start]\n[Configuration information]\nLBL a\nIRU 1\n[end]\n\n",
       TextFormat::kOk, With([](ConfigValues& v) {
         v.label = "a";
         v.units = 1;
       })},
      {"LBL after [end] reads nothing", header + "[end]\r\nLBL a\r\nIRU 1\r\n", TextFormat::kOk,
       ConfigValues{}},
      {"no header", "[start]\r\nLBL a\r\nIRU 1\r\n[end]\r\n\r\n", TextFormat::kNoHeader,
       ConfigValues{}},
      {"no LBL", Zcf("IRU 1\r\n"), TextFormat::kNoStartKey, ConfigValues{}},
      {"no [end]", header + "LBL a\r\nIRU 1\r\n", TextFormat::kNoEnd, ConfigValues{}},
      {"[end] beyond 4096 bytes", Zcf("LBL a\r\n" + std::string(4100, ' ') + "\r\n"),
       TextFormat::kNoEnd, ConfigValues{}},
      {"NUL ends the text before [end]", header + "LBL a\r\n\0IRU 1\r\n[end]\r\n"s,
       TextFormat::kNoEnd, ConfigValues{}},
      {"empty file", "", TextFormat::kNoHeader, ConfigValues{}},
  };
}

TEST(ParseConfigFile, followsTheReadingRules) {
  for (const ReadCase& c : ReadCases()) {
    const ConfigParse read = ParseConfigFile(c.bytes);
    EXPECT_EQ(read.status, c.status) << c.name;
    EXPECT_EQ(read.values, c.values) << c.name;
  }
}

TEST(ParseConfigFile, listSizesComeFromThePanel) {
  const std::string text = Zcf("LBL a\r\nAVR 5\r\nPPD 5\r\n");
  const ConfigParse shortLists = ParseConfigFile(text, ConfigListSizes{5, 6});
  EXPECT_FALSE(shortLists.values.averagingIndex.has_value());
  EXPECT_EQ(shortLists.values.decayIndex, 5);
}

}  // namespace
}  // namespace zemra
