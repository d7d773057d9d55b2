#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "LinkRig.h"

namespace zemra {
namespace {

using test::Expect;
using test::FramesOf;
using test::InformationReply;
using test::LinkMode;
using test::LinkRig;
using test::TableUnit;

std::map<std::string, std::string> UnitOfClass(int typeClass) {
  return {{"IFO 1", InformationReply(typeClass)},
          {"LBL", "Kiln 4"},
          {"EMS", "950"},
          {"NGR", "1010"},
          {"COM", "17"},
          {"TFN", "2"},
          {"AVR", "5"},
          {"PPM", "1"},
          {"PON", "25"},
          {"POF", "30"},
          {"PPD", "4"},
          {"PPT", "650"},
          {"A1L", "300"},
          {"A1M", "1"},
          {"A1C", "0"},
          {"A2L", "900"},
          {"A2M", "3"},
          {"A2C", "1"},
          {"OMX", "1000"},
          {"OMN", "200"},
          {"OPT", "1"},
          {"ANC", "0"},
          {"UAP", "1010"},
          {"ODM", "1"}};
}

// Every output starts from a value the unit never sends, so a test can tell what was read.
struct Outputs {
  std::string label = "old";
  Thermometer thermometer;
  double emissivity = -1;
  std::int32_t emissivityControl = -1;
  double nonGreyness = -1;
  TimeFuncData timeFunction{-1, -1, -1, -1, -1, -1, -1};
  AlarmLevel level{{-1, -1}};
  AlarmMode mode{{-1, -1}};
  AlarmContacts contacts{{-1, -1}};
  OutputData output{-1, -1, -1};
  std::int32_t userCalibration = -1;
  std::int32_t driveMode = -1;
  std::int32_t unitAddress = -1;

  int ReadFrom(CQRVSerialPort& link) {
    return link.ReadConfiguration(label, thermometer, emissivity, emissivityControl, nonGreyness,
                                  timeFunction, level, mode, contacts, output, userCalibration,
                                  driveMode, unitAddress);
  }
};

// The whole sequence as the unit sees it: the information, then each read after its gap.
std::vector<std::string> ExpectedSequence(LinkMode mode, const std::string& prefix, int typeClass) {
  Expect expected(mode, prefix);
  expected.Read("IFO 1").ReadGap().Read("LBL").ReadGap();
  if (typeClass == kTypeRatio) expected.Read("NGR");
  if (typeClass == kTypeSingleWavelength) expected.Read("EMS");
  for (const char* command : {"COM", "TFN", "AVR", "PPM", "PON", "POF", "PPD", "PPT", "A1L", "A1M",
                              "A1C", "A2L", "A2M", "A2C", "OMX", "OMN", "OPT", "ANC", "UAP"}) {
    expected.ReadGap().Read(command);
  }
  if (typeClass == kTypeRatio) expected.ReadGap().Read("ODM");
  return expected.ReadGap().Events();
}

class ReadConfigSequence : public ::testing::TestWithParam<std::tuple<LinkMode, int>> {};

TEST_P(ReadConfigSequence, ReadsEveryValueInItsOrderWithItsGaps) {
  const auto [mode, typeClass] = GetParam();
  LinkRig rig(mode);
  rig.Respond(TableUnit{UnitOfClass(typeClass), rig.Prefix()}.Responder());
  rig.Connect();
  Outputs out;
  ASSERT_EQ(out.ReadFrom(rig.Link()), kLinkOk);

  const auto events = rig.Take();
  EXPECT_EQ(events, ExpectedSequence(mode, rig.Prefix(), typeClass));
  const std::size_t exchanges[] = {22, 23, 21};
  EXPECT_EQ(FramesOf(events).size(), exchanges[typeClass]);

  EXPECT_EQ(out.label, "Kiln 4");
  EXPECT_EQ(out.thermometer.typeClass, typeClass);
  EXPECT_EQ(out.emissivity, typeClass == kTypeSingleWavelength ? 0.95 : -1);
  EXPECT_EQ(out.nonGreyness, typeClass == kTypeRatio ? 1.01 : -1);
  EXPECT_EQ(out.driveMode, typeClass == kTypeRatio ? 0 : -1);
  EXPECT_EQ(out.unitAddress, 17);
  EXPECT_EQ(out.timeFunction, (TimeFuncData{2, 1, 650, 4, 2.5, 3.0, 5}));
  EXPECT_EQ(out.level, (AlarmLevel{{300, 900}}));
  EXPECT_EQ(out.mode, (AlarmMode{{1, 3}}));
  EXPECT_EQ(out.contacts, (AlarmContacts{{0, 1}}));
  EXPECT_EQ(out.output, (OutputData{200, 1000, 1}));
  EXPECT_EQ(out.emissivityControl, 0);
  EXPECT_EQ(out.userCalibration, 1010);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<LinkMode, int>>& info) {
  static const char* const kKinds[] = {"SingleWavelength", "Ratio", "Neither"};
  return test::ModeName(std::get<0>(info.param)) + kKinds[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(ModesAndClasses, ReadConfigSequence,
                         ::testing::Combine(::testing::Values(LinkMode::Serial, LinkMode::Ethernet),
                                            ::testing::Values(kTypeSingleWavelength, kTypeRatio,
                                                              kTypeNeither)),
                         CaseName);

TEST(ReadConfig, FailedReadEndsTheSequenceWithEarlierValuesKept) {
  LinkRig rig(LinkMode::Serial);
  auto unit = UnitOfClass(kTypeRatio);
  unit["PPD"] = "*?";
  rig.Respond(TableUnit{unit, rig.Prefix()}.Responder());
  rig.Connect();
  Outputs out;
  EXPECT_EQ(out.ReadFrom(rig.Link()), kLinkErrorReply);
  EXPECT_EQ(rig.Link().LastErrorMessage(), 126);
  EXPECT_EQ(rig.Link().ReplyErrorMessage(), kMsgErrorReply);
  // Read before the failure:
  EXPECT_EQ(out.label, "Kiln 4");
  EXPECT_EQ(out.nonGreyness, 1.01);
  EXPECT_EQ(out.unitAddress, 17);
  EXPECT_EQ(out.timeFunction, (TimeFuncData{2, 1, -1, -1, 2.5, 3.0, 5}));
  // Not reached:
  const Outputs untouched;
  EXPECT_EQ(out.level, untouched.level);
  EXPECT_EQ(out.mode, untouched.mode);
  EXPECT_EQ(out.contacts, untouched.contacts);
  EXPECT_EQ(out.output, untouched.output);
  EXPECT_EQ(out.emissivityControl, -1);
  EXPECT_EQ(out.userCalibration, -1);
  EXPECT_EQ(out.driveMode, -1);
  const auto frames = FramesOf(rig.Take());
  EXPECT_EQ(frames.back(),
            FramesOf(Expect(LinkMode::Serial, rig.Prefix()).Read("PPD").Events()).front());
}

TEST(ReadConfig, FailedInformationReadSendsNothingMore) {
  LinkRig rig(LinkMode::Serial);
  rig.Respond(TableUnit{{{"IFO 1", "*?"}}, rig.Prefix()}.Responder());
  rig.Connect();
  Outputs out;
  EXPECT_EQ(out.ReadFrom(rig.Link()), kLinkErrorReply);
  EXPECT_EQ(rig.Link().LastErrorMessage(), 81);
  EXPECT_EQ(out.thermometer, Thermometer{});
  EXPECT_EQ(FramesOf(rig.Take()).size(), 1u);
}

// An information reply without its markers is reported (81) but the sequence goes on with an
// empty information text: a thermometer of unknown kind, so neither EMS, NGR nor ODM is read.
TEST(ReadConfig, InformationWithoutMarkersReadsAsAThermometerOfNoKind) {
  LinkRig rig(LinkMode::Serial);
  auto unit = UnitOfClass(kTypeRatio);
  unit["IFO 1"] = "garbled";
  rig.Respond(TableUnit{unit, rig.Prefix()}.Responder());
  rig.Connect();
  Outputs out;
  EXPECT_EQ(out.ReadFrom(rig.Link()), kLinkOk);
  EXPECT_EQ(out.thermometer.typeClass, kTypeUnknown);
  EXPECT_EQ(rig.Take(), ExpectedSequence(LinkMode::Serial, rig.Prefix(), kTypeNeither));
  EXPECT_EQ(rig.Link().LastErrorMessage(), 81);
}

}  // namespace
}  // namespace zemra
