#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LinkRig.h"
#include "link/Information.h"

namespace zemra {
namespace {

using test::Expect;
using test::FramesOf;
using test::InformationReply;
using test::LinkMode;
using test::LinkRig;
using test::TableUnit;

class IdentificationSerial : public ::testing::Test {
 protected:
  void Start(std::map<std::string, std::string> replies) {
    rig_.Respond(TableUnit{std::move(replies), rig_.Prefix()}.Responder());
    rig_.Connect();
  }
  LinkRig rig_{LinkMode::Serial};
};

TEST_F(IdentificationSerial, InformationTextIsTheBlockBetweenHeaderAndEnd) {
  Start({{"IFO 1", InformationReply(kTypeRatio)}});
  std::string text;
  ASSERT_EQ(rig_.Link().ReadInformationText(text), kLinkOk);
  EXPECT_EQ(text, "\r\n5: SNR42 Pyrometer\r\nIRU 0\r\nTHV 1000\r\nTLV 200\r\nLPF 1\r\n");
  EXPECT_EQ(FramesOf(rig_.Take()),
            FramesOf(Expect(LinkMode::Serial, rig_.Prefix()).Read("IFO 1").Events()));
  EXPECT_EQ(rig_.line->ReadCounts().back(), 2048u);

  Thermometer record;
  ASSERT_EQ(rig_.Link().ReadInformation(record), kLinkOk);
  EXPECT_EQ(record.typeNumber, 5);
  EXPECT_EQ(record.typeClass, kTypeRatio);
  EXPECT_EQ(record.secondTypeChar, '4');
  EXPECT_EQ(record.rangeLow, 200);
  EXPECT_EQ(record.rangeHigh, 1000);
  EXPECT_EQ(record.fahrenheit, 0);
  EXPECT_EQ(record.reserved, -1);
  EXPECT_EQ(record.laserFitted, 1);
}

TEST_F(IdentificationSerial, ReplyWithoutItsMarkersIsReportedButDoesNotFail) {
  for (const std::string reply :
       {"[Thermometer Information]\r\n5: SN7R3 IRU0", "5: SN7R3 IRU0 THV1 TLV0 LPF0[end]", ""}) {
    LinkRig rig(LinkMode::Serial);
    rig.Respond(TableUnit{{{"IFO 1", reply}}, rig.Prefix()}.Responder());
    rig.Connect();
    std::string text = "before";
    EXPECT_EQ(rig.Link().ReadInformationText(text), kLinkOk) << reply;
    EXPECT_EQ(text, "before");
    EXPECT_EQ(rig.Link().LastErrorMessage(), 81);
  }
}

TEST_F(IdentificationSerial, FailedInformationReadStoresItsMessage) {
  Start({{"IFO 1", "*?"}});
  std::string text = "before";
  EXPECT_EQ(rig_.Link().ReadInformationText(text), kLinkErrorReply);
  EXPECT_EQ(text, "before");
  EXPECT_EQ(rig_.Link().LastErrorMessage(), 81);
  Thermometer record;
  record.typeNumber = 42;
  EXPECT_EQ(rig_.Link().ReadInformation(record), kLinkErrorReply);
  EXPECT_EQ(record.typeNumber, 42);
}

TEST_F(IdentificationSerial, IdentityLineIsTheFirstLineAndItsFailureStoresNoMessage) {
  Start({{"IFO 1", InformationReply(kTypeSingleWavelength)}});
  std::string line;
  ASSERT_EQ(rig_.Link().ReadIdentityLine(line), kLinkOk);
  EXPECT_EQ(line, "5: SN7R3 Pyrometer");

  LinkRig failing(LinkMode::Serial);
  failing.Respond(TableUnit{{{"IFO 1", "*?"}, {"EMS", "*?"}}, failing.Prefix()}.Responder());
  failing.Connect();
  double unused = 0;
  ASSERT_EQ(failing.Link().ReadEMS(unused), kLinkErrorReply);  // leaves 91 behind
  line = "before";
  EXPECT_EQ(failing.Link().ReadIdentityLine(line), kLinkErrorReply);
  EXPECT_EQ(line, "before");
  EXPECT_EQ(failing.Link().LastErrorMessage(), 91);
}

TEST_F(IdentificationSerial, ShortInformationIsTheStrippedReply) {
  Start({{"IFO 0", "ZEMRA 7\r\nFirmware 2.1"}, {"TSN", "20123456"}});
  std::string text;
  ASSERT_EQ(rig_.Link().ReadIFO0(text), kLinkOk);
  EXPECT_EQ(text, "ZEMRA 7\r\nFirmware 2.1");
  EXPECT_EQ(rig_.line->ReadCounts().back(), 512u);
  std::int32_t serial = 0;
  ASSERT_EQ(rig_.Link().ReadTSN(serial), kLinkOk);
  EXPECT_EQ(serial, 20123456);

  LinkRig failing(LinkMode::Serial);
  failing.Respond(TableUnit{{{"IFO 0", "*?"}}, failing.Prefix()}.Responder());
  failing.Connect();
  text = "before";
  EXPECT_EQ(failing.Link().ReadIFO0(text), kLinkErrorReply);
  EXPECT_EQ(text, "before");
  EXPECT_EQ(failing.Link().LastErrorMessage(), 165);
}

// --- Poll, in both modes ---

const std::map<std::string, std::string> kLiveUnit = {
    {"IFO 1", InformationReply(kTypeSingleWavelength)},
    {"LBL", "Kiln 4"},
    {"TFN", "1"},
    {"OMX", "1000"},
    {"OMN", "200"},
    {"OPT", "1"},
    {"FLG", "30"},
    {"HTP", "12000"},
    {"IAC", "31"},
};

class IdentificationPoll : public ::testing::TestWithParam<LinkMode> {};

TEST_P(IdentificationPoll, ReadsNineValuesWithGapsAndLiveWaits) {
  LinkRig rig(GetParam());
  rig.Respond(TableUnit{kLiveUnit, rig.Prefix()}.Responder());
  rig.Connect();
  std::string info, label;
  std::int32_t tfn = -1, internal = -1;
  OutputData output;
  std::uint32_t flags = 0;
  double temperature = 0;
  ASSERT_EQ(rig.Link().Poll(info, label, tfn, output, flags, temperature, internal), kLinkOk);
  EXPECT_EQ(ParseInformation(info).rangeHigh, 1000);
  EXPECT_EQ(label, "Kiln 4");
  EXPECT_EQ(tfn, 1);
  EXPECT_EQ(output, (OutputData{200, 1000, 1}));
  EXPECT_EQ(flags, 0x30u);
  EXPECT_EQ(temperature, 750.0);
  EXPECT_EQ(internal, 31);
  Expect expected(GetParam(), rig.Prefix());
  expected.Read("IFO 1");
  for (const char* command : {"LBL", "TFN", "OMX", "OMN", "OPT"}) expected.ReadGap().Read(command);
  for (const char* command : {"FLG", "HTP", "IAC"}) expected.ReadGap().Wait(5).Read(command);
  expected.ReadGap();
  EXPECT_EQ(rig.Take(), expected.Events());
}

TEST_P(IdentificationPoll, StopsAtTheFirstFailedRead) {
  LinkRig rig(GetParam());
  auto unit = kLiveUnit;
  unit["OMN"] = "*?";
  rig.Respond(TableUnit{unit, rig.Prefix()}.Responder());
  rig.Connect();
  std::string info, label;
  std::int32_t tfn = -1, internal = -1;
  OutputData output{5, 6, 7};
  std::uint32_t flags = 9;
  double temperature = 0;
  EXPECT_EQ(rig.Link().Poll(info, label, tfn, output, flags, temperature, internal),
            kLinkErrorReply);
  EXPECT_EQ(rig.Link().LastErrorMessage(), 151);
  EXPECT_EQ(output, (OutputData{5, 1000, 7}));
  EXPECT_EQ(flags, 9u);
  const auto frames = FramesOf(rig.Take());
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Modes, IdentificationPoll,
                         ::testing::Values(LinkMode::Serial, LinkMode::Ethernet),
                         [](const auto& info) { return test::ModeName(info.param); });

}  // namespace
}  // namespace zemra
