#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LinkRig.h"
#include "link/Frames.h"

namespace zemra {
namespace {

using test::Expect;
using test::FramesOf;
using test::InformationReply;
using test::LinkMode;
using test::LinkRig;
using test::TableUnit;

// A configuration as the window hands it over.
struct Config {
  std::string label = "Kiln 4";
  std::int32_t unit = 0;
  double emissivity = 0.95;
  std::int32_t emissivityControl = 0;
  double nonGreyness = 1.001;
  TimeFuncData timeFunction{2, 1, 650, 4, 2.5, 0.3, 5};
  AlarmLevel level{{300, 900}};
  AlarmMode mode{{1, 3}};
  AlarmContacts contacts{{0, 1}};
  OutputData output{200, 1000, 1};
  std::int32_t userCalibration = 1010;
  std::int32_t driveMode = 0;

  int WriteTo(CQRVSerialPort& link) const {
    return link.WriteConfiguration(label, unit, emissivity, emissivityControl, nonGreyness,
                                   timeFunction, level, mode, contacts, output, userCalibration,
                                   driveMode);
  }
};

class WriteConfigRig {
 public:
  explicit WriteConfigRig(int typeClass, LinkMode mode = LinkMode::Serial) : rig(mode) {
    unit_ = TableUnit{{{"IFO 1", InformationReply(typeClass)}}, rig.Prefix()}.Responder();
    rig.Respond(unit_);
    rig.Connect();
  }
  // Makes the write of the n-th frame from now (0 the information read) fail.
  void FailFrame(int n) {
    if (n == 0) rig.line->FailOnce("Write");
    auto seen = std::make_shared<int>(0);
    rig.Respond([this, seen, n](const Frame& frame) {
      if (++*seen == n) rig.line->FailOnce("Write");
      return unit_(frame);
    });
  }
  Expect Expected() const { return Expect(rig.Mode(), rig.Prefix()); }
  std::vector<std::string> Frames() { return FramesOf(rig.Take()); }

  LinkRig rig;

 private:
  test::FrameResponder unit_;
};

// The full write of a ratio thermometer with the peak picker: every frame and every wait.
class WriteConfigSequence : public ::testing::TestWithParam<LinkMode> {};

TEST_P(WriteConfigSequence, SendsEveryValueInItsOrderWithItsGaps) {
  WriteConfigRig w(kTypeRatio, GetParam());
  ASSERT_EQ(Config{}.WriteTo(w.rig.Link()), kLinkOk);
  Expect e = w.Expected();
  e.Read("IFO 1").WriteGap().WriteGap();
  e.SetInt("IRU", 0).WriteGap().SetInt("ANC", 0).SetInt("NGR", 1000).WriteGap();
  e.SetInt("TFN", 2).WriteGap().SetInt("TFN", 2).WriteGap();
  e.SetInt("PPD", 4).WriteGap().SetInt("PON", 25).WriteGap().SetInt("POF", 3).WriteGap();
  e.SetInt("PPM", 1).WriteGap().SetInt("PPT", 650).WriteGap();
  e.SetInt("A1M", 1).WriteGap().SetInt("A1L", 300).WriteGap().SetInt("A1C", 0).WriteGap();
  e.SetInt("A2M", 3).WriteGap().SetInt("A2C", 1).WriteGap();
  e.SetInt("OMX", 1000).WriteGap().SetInt("OMN", 200).WriteGap();
  e.SetInt("OMX", 1000).WriteGap().SetInt("OMN", 200).WriteGap();
  e.SetInt("OPT", 1).WriteGap().Wait(100);
  e.SetText("LBL", "Kiln 4").WriteGap();
  e.SetInt("ANC", 0).WriteGap().SetInt("UAP", 1010).WriteGap().SetInt("ODM", 1).WriteGap();
  EXPECT_EQ(w.rig.Take(), e.Events());
  EXPECT_FALSE(w.rig.Link().IsBusy());

  ASSERT_EQ(w.rig.Link().StoreToMemory(), kLinkOk);
  EXPECT_EQ(w.rig.Take(), w.Expected().SetText("MEM", "3958").Wait(1000).Events());
}

INSTANTIATE_TEST_SUITE_P(Modes, WriteConfigSequence,
                         ::testing::Values(LinkMode::Serial, LinkMode::Ethernet),
                         [](const auto& info) { return test::ModeName(info.param); });

// Which frames go out depends on the kind of thermometer, the emissivity control, the time
// function and the alarm modes. Serial line; frames only.
struct ShapeCase {
  const char* name;
  int typeClass;
  std::function<void(Config&)> change;
  std::vector<std::string> mnemonics;  // the set frames, in order
};

void PrintTo(const ShapeCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<std::string> kTail = {"A1M", "A1L", "A1C", "A2M", "A2C", "OMX", "OMN",
                                        "OMX", "OMN", "OPT", "LBL", "ANC", "UAP"};

std::vector<std::string> Join(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

const ShapeCase kShapes[] = {
    {"SingleWavelengthSendsEmsNoOdm", kTypeSingleWavelength, [](Config&) {},
     Join({"IRU", "ANC", "EMS", "TFN", "TFN", "PPD", "PON", "POF", "PPM", "PPT"}, kTail)},
    {"EmissivityFromAnInputIsNeitherTestedNorSent", kTypeSingleWavelength,
     [](Config& c) {
       c.emissivityControl = 1;
       c.emissivity = 0.05;
     },
     Join({"IRU", "ANC", "TFN", "TFN", "PPD", "PON", "POF", "PPM", "PPT"}, kTail)},
    {"NeitherKindSendsNoEmsNgrOrOdm", kTypeNeither,
     [](Config& c) {
       c.emissivity = 5;
       c.nonGreyness = 5;
     },
     Join({"IRU", "ANC", "TFN", "TFN", "PPD", "PON", "POF", "PPM", "PPT"}, kTail)},
    {"NoTimeFunctionSendsOnlyTheTwoTfnFrames", kTypeNeither,
     [](Config& c) {
       c.timeFunction.tfn = 0;
       c.timeFunction.ppt = -5000;
       c.timeFunction.avr = 99;
     },
     Join({"IRU", "ANC", "TFN", "TFN"}, kTail)},
    {"TrackHoldSendsOnlyTheTwoTfnFrames", kTypeNeither, [](Config& c) { c.timeFunction.tfn = 3; },
     Join({"IRU", "ANC", "TFN", "TFN"}, kTail)},
    {"AveragerSendsItsTime", kTypeNeither, [](Config& c) { c.timeFunction.tfn = 1; },
     Join({"IRU", "ANC", "TFN", "TFN", "AVR"}, kTail)},
    {"AlarmModesWithoutLevelSendNoLevel",
     kTypeNeither,
     [](Config& c) {
       c.timeFunction.tfn = 0;
       c.mode = {{2, 4}};
       c.level = {{200, 1000}};
     },
     {"IRU", "ANC", "TFN", "TFN", "A1M", "A1C", "A2M", "A2C", "OMX", "OMN", "OMX", "OMN", "OPT",
      "LBL", "ANC", "UAP"}},
    {"BothLevelAlarmsSendTheirLevels",
     kTypeNeither,
     [](Config& c) {
       c.timeFunction.tfn = 0;
       c.mode = {{0, 1}};
     },
     {"IRU", "ANC", "TFN", "TFN", "A1M", "A1L", "A1C", "A2M", "A2L", "A2C", "OMX", "OMN", "OMX",
      "OMN", "OPT", "LBL", "ANC", "UAP"}},
};

class WriteConfigShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(WriteConfigShapes, SendTheFramesTheConfigurationNeeds) {
  const ShapeCase& c = GetParam();
  WriteConfigRig w(c.typeClass);
  Config config;
  c.change(config);
  ASSERT_EQ(config.WriteTo(w.rig.Link()), kLinkOk);
  std::vector<std::string> mnemonics;
  for (const test::Bytes& frame : w.rig.line->Writes()) {
    const std::string text(frame.begin(), frame.end());
    if (text.compare(2, 2, "SA") == 0) mnemonics.push_back(text.substr(4, 3));
  }
  EXPECT_EQ(mnemonics, c.mnemonics);
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteConfigShapes, ::testing::ValuesIn(kShapes),
                         [](const auto& info) { return std::string(info.param.name); });

// Every value is checked against its range before the first set frame goes out. The unit's
// range is 200 to 1000.
struct RangeCase {
  const char* name;
  int typeClass;
  std::function<void(Config&)> change;
  int message;  // 0: passes
};

void PrintTo(const RangeCase& c, std::ostream* os) {
  *os << c.name;
}

const RangeCase kRanges[] = {
    {"EmissivityLow", kTypeSingleWavelength, [](Config& c) { c.emissivity = 0.05; }, 90},
    {"EmissivityHigh", kTypeSingleWavelength, [](Config& c) { c.emissivity = 1.01; }, 90},
    {"EmissivityNaN", kTypeSingleWavelength, [](Config& c) { c.emissivity = std::nan(""); }, 90},
    {"EmissivityEdges", kTypeSingleWavelength, [](Config& c) { c.emissivity = 0.1; }, 0},
    {"EmissivityTop", kTypeSingleWavelength, [](Config& c) { c.emissivity = 1.0; }, 0},
    {"RatioIgnoresEmissivity", kTypeRatio, [](Config& c) { c.emissivity = 0.05; }, 0},
    {"NonGreyLow", kTypeRatio, [](Config& c) { c.nonGreyness = 0.79; }, 95},
    {"NonGreyHigh", kTypeRatio, [](Config& c) { c.nonGreyness = 1.26; }, 95},
    {"NonGreyNaN", kTypeRatio, [](Config& c) { c.nonGreyness = std::nan(""); }, 95},
    {"NonGreyEdges", kTypeRatio, [](Config& c) { c.nonGreyness = 0.8; }, 0},
    {"NonGreyTop", kTypeRatio, [](Config& c) { c.nonGreyness = 1.25; }, 0},
    {"TimeFunctionNegative", kTypeNeither, [](Config& c) { c.timeFunction.tfn = -1; }, 100},
    {"TimeFunctionTooHigh", kTypeNeither, [](Config& c) { c.timeFunction.tfn = 4; }, 100},
    {"AveragerTime", kTypeNeither,
     [](Config& c) {
       c.timeFunction.tfn = 1;
       c.timeFunction.avr = 17;
     },
     107},
    {"AveragerTimeSixteenPasses", kTypeNeither,
     [](Config& c) {
       c.timeFunction.tfn = 1;
       c.timeFunction.avr = 16;
     },
     0},
    {"PeakThresholdBelowRange", kTypeNeither, [](Config& c) { c.timeFunction.ppt = 199; }, 110},
    {"PeakThresholdAboveRange", kTypeNeither, [](Config& c) { c.timeFunction.ppt = 1001; }, 110},
    {"PeakDecay", kTypeNeither, [](Config& c) { c.timeFunction.ppd = 14; }, 125},
    {"PeakDecayThirteenPasses", kTypeNeither, [](Config& c) { c.timeFunction.ppd = 13; }, 0},
    {"PeakOnDelay", kTypeNeither, [](Config& c) { c.timeFunction.pon = 10.5; }, 115},
    {"PeakOnDelayNegative", kTypeNeither, [](Config& c) { c.timeFunction.pon = -0.1; }, 115},
    {"PeakOffDelay", kTypeNeither, [](Config& c) { c.timeFunction.pof = 11; }, 120},
    {"PeakOffDelayNaN", kTypeNeither, [](Config& c) { c.timeFunction.pof = std::nan(""); }, 120},
    {"PeakValuesUncheckedWithoutPeakPicker", kTypeNeither,
     [](Config& c) { c.timeFunction = {3, 0, -9999, 99, -5, 50, 99}; }, 0},
    {"AlarmOneLevel", kTypeNeither, [](Config& c) { c.level.value[0] = 199; }, 140},
    {"AlarmTwoLevelEvenWithoutLevelMode", kTypeNeither, [](Config& c) { c.level.value[1] = 1001; },
     140},
    {"AlarmModeNegative", kTypeNeither, [](Config& c) { c.mode.value[0] = -1; }, 135},
    {"AlarmModeTooHigh", kTypeNeither, [](Config& c) { c.mode.value[1] = 5; }, 135},
    {"OutputMinimum", kTypeNeither, [](Config& c) { c.output.omn = 199; }, 150},
    {"OutputMaximum", kTypeNeither, [](Config& c) { c.output.omx = 1001; }, 155},
    {"CelsiusSpanFifty", kTypeNeither,
     [](Config& c) {
       c.output = {400, 450, 0};
     },
     0},
    {"CelsiusSpanFortyNine", kTypeNeither,
     [](Config& c) {
       c.output = {400, 449, 0};
     },
     200},
    {"FahrenheitSpanNinety", kTypeNeither,
     [](Config& c) {
       c.unit = 1;
       c.output = {400, 490, 0};
     },
     0},
    {"FahrenheitSpanEightyNine", kTypeNeither,
     [](Config& c) {
       c.unit = 1;
       c.output = {400, 489, 0};
     },
     200},
    {"CalibrationLow", kTypeNeither, [](Config& c) { c.userCalibration = 799; }, 98},
    {"CalibrationHigh", kTypeNeither, [](Config& c) { c.userCalibration = 1201; }, 98},
    {"CalibrationEdges", kTypeNeither, [](Config& c) { c.userCalibration = 800; }, 0},
    {"FirstFailingCheckWins", kTypeNeither,
     [](Config& c) {
       c.timeFunction.tfn = 9;
       c.userCalibration = 0;
     },
     100},
};

class WriteConfigRanges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(WriteConfigRanges, AreCheckedBeforeAnySetFrame) {
  const RangeCase& c = GetParam();
  WriteConfigRig w(c.typeClass);
  Config config;
  c.change(config);
  const int result = config.WriteTo(w.rig.Link());
  EXPECT_FALSE(w.rig.Link().IsBusy());
  if (c.message == 0) {
    EXPECT_EQ(result, kLinkOk);
    return;
  }
  EXPECT_EQ(result, kLinkOutOfRange);
  EXPECT_EQ(w.rig.Link().LastErrorMessage(), c.message);
  EXPECT_EQ(w.Frames(), FramesOf(w.Expected().Read("IFO 1").Events()));
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteConfigRanges, ::testing::ValuesIn(kRanges),
                         [](const auto& info) { return std::string(info.param.name); });

// A failed set ends the write with its own message; the first TFN frame and the first pass of
// the output span are not examined.
struct FailureCase {
  int frame;  // the frame whose write fails, 0 being the information read
  int result;
  int message;
  std::size_t framesWritten;
};

TEST(WriteConfig, FailedFramesEndTheWriteWithTheirMessage) {
  const FailureCase cases[] = {
      {0, kLinkIoFailed, 81, 0},    {1, kLinkIoFailed, 76, 1},    {2, kLinkIoFailed, 78, 2},
      {3, kLinkIoFailed, 97, 3},    {4, kLinkOk, 0, 24},          {5, kLinkIoFailed, 102, 5},
      {6, kLinkIoFailed, 127, 6},   {7, kLinkIoFailed, 117, 7},   {8, kLinkIoFailed, 122, 8},
      {9, kLinkIoFailed, 132, 9},   {10, kLinkIoFailed, 112, 10}, {11, kLinkIoFailed, 137, 11},
      {12, kLinkIoFailed, 142, 12}, {13, kLinkIoFailed, 77, 13},  {14, kLinkIoFailed, 137, 14},
      {15, kLinkIoFailed, 77, 15},  {16, kLinkOk, 0, 24},         {17, kLinkOk, 0, 24},
      {18, kLinkIoFailed, 157, 18}, {19, kLinkIoFailed, 152, 19}, {20, kLinkIoFailed, 147, 20},
      {21, kLinkIoFailed, 87, 21},  {22, kLinkIoFailed, 78, 22},  {23, kLinkIoFailed, 83, 23},
      {24, kLinkIoFailed, 75, 24},
  };
  for (const FailureCase& c : cases) {
    WriteConfigRig w(kTypeRatio);
    w.FailFrame(c.frame);
    EXPECT_EQ(Config{}.WriteTo(w.rig.Link()), c.result) << "frame " << c.frame;
    if (c.message != 0) {
      EXPECT_EQ(w.rig.Link().LastErrorMessage(), c.message) << "frame " << c.frame;
    }
    EXPECT_EQ(w.Frames().size(), c.framesWritten) << "frame " << c.frame;
    EXPECT_FALSE(w.rig.Link().IsBusy());
  }
}

TEST(WriteConfig, FailedEmissivityFrameStoresItsMessage) {
  WriteConfigRig w(kTypeSingleWavelength);
  w.FailFrame(3);
  EXPECT_EQ(Config{}.WriteTo(w.rig.Link()), kLinkIoFailed);
  EXPECT_EQ(w.rig.Link().LastErrorMessage(), 92);
}

TEST(WriteConfig, LabelGoesOutAsItsLastFifteenPrintableCharacters) {
  struct Case {
    std::string label;
    std::string sent;
  };
  const Case cases[] = {
      {"ABCDEFGHIJKLMNOPQRST", "FGHIJKLMNOPQRST"},
      {"Kiln\x03"
       "4\r\n",
       "Kiln4"},
      {std::string("\x02\x02Line 1\0", 9), "Line 1"},
      {"", ""},
  };
  for (const Case& c : cases) {
    WriteConfigRig w(kTypeNeither);
    Config config;
    config.label = c.label;
    ASSERT_EQ(config.WriteTo(w.rig.Link()), kLinkOk);
    const auto frames = w.rig.line->Writes();
    const Frame expected = BuildSetFrame(w.rig.Prefix(), "SALBL " + c.sent, '\x03');
    EXPECT_EQ(std::count(frames.begin(), frames.end(), expected), 1) << c.sent;
    for (const test::Bytes& frame : frames) {
      EXPECT_EQ(std::count(frame.begin() + 2, frame.end(), kEtx), 1);
    }
  }
}

// While the write runs, the read sequences that the window's timers may start return at once.
TEST(WriteConfig, ReadSequencesStandAsideWhileItRuns) {
  WriteConfigRig w(kTypeNeither);
  const auto unit =
      TableUnit{{{"IFO 1", InformationReply(kTypeNeither)}}, w.rig.Prefix()}.Responder();
  int reentered = 0;
  w.rig.Respond([&](const Frame& frame) {
    const std::size_t before = w.rig.line->Writes().size();
    std::string info, label;
    std::int32_t tfn = 0, internal = 0;
    OutputData output;
    std::uint32_t flags = 0;
    double temperature = 0;
    EXPECT_TRUE(w.rig.Link().IsBusy());
    EXPECT_EQ(w.rig.Link().Poll(info, label, tfn, output, flags, temperature, internal), kLinkOk);
    Thermometer record;
    double e = 0, n = 0;
    std::int32_t anc = 0, uap = 0, odm = 0, com = 0;
    TimeFuncData tf;
    AlarmLevel level;
    AlarmMode mode;
    AlarmContacts contacts;
    EXPECT_EQ(w.rig.Link().ReadConfiguration(label, record, e, anc, n, tf, level, mode, contacts,
                                             output, uap, odm, com),
              kLinkOk);
    EXPECT_EQ(w.rig.line->Writes().size(), before);
    ++reentered;
    return unit(frame);
  });
  ASSERT_EQ(Config{}.WriteTo(w.rig.Link()), kLinkOk);
  EXPECT_GT(reentered, 20);
  EXPECT_FALSE(w.rig.Link().IsBusy());
}

}  // namespace
}  // namespace zemra
