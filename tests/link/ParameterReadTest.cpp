#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "LinkRig.h"

namespace zemra {
namespace {

using test::Expect;
using test::LinkMode;
using test::LinkRig;

std::string Show(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}
std::string Show(std::int32_t v) {
  return std::to_string(v);
}
std::string Show(std::uint32_t v) {
  return std::to_string(v);
}
std::string Show(bool v) {
  return v ? "true" : "false";
}
std::string Show(const std::string& v) {
  return '"' + v + '"';
}

// Runs one read on an output that starts at `initial` and shows what the output holds after,
// and what it held before.
using ReadRun = std::function<int(CQRVSerialPort&, std::string& shown, std::string& initialShown)>;

template <typename T>
ReadRun Run(int (CQRVSerialPort::*read)(T&), T initial) {
  return [read, initial](CQRVSerialPort& link, std::string& shown, std::string& initialShown) {
    T value = initial;
    initialShown = Show(value);
    const int result = (link.*read)(value);
    shown = Show(value);
    return result;
  };
}

ReadRun RunAlarm(int (CQRVSerialPort::*read)(int, std::int32_t&), int alarm, std::int32_t initial) {
  return
      [read, alarm, initial](CQRVSerialPort& link, std::string& shown, std::string& initialShown) {
        std::int32_t value = initial;
        initialShown = Show(value);
        const int result = (link.*read)(alarm, value);
        shown = Show(value);
        return result;
      };
}

struct ReadCase {
  const char* name;
  ReadRun run;
  std::string command;
  std::string reply;  // the reply text, framed by the unit
  std::string shown;  // the output afterwards
  std::size_t asked;  // reply length asked of the serial line
  int message;        // stored when the exchange fails (0: none)
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

using CQ = CQRVSerialPort;
const std::int32_t kSeven = 7;

const ReadCase kReads[] = {
    {"EmsPerMille", Run(&CQ::ReadEMS, 0.5), "EMS", "950", "0.95", 9, 91},
    {"EmsWithoutNumberKeepsValue", Run(&CQ::ReadEMS, 0.5), "EMS", "", "0.5", 9, 91},
    {"NgrPerMille", Run(&CQ::ReadNGR, 0.5), "NGR", "1000", "1", 9, 96},
    {"AncAnyNonZeroIsOne", Run(&CQ::ReadANC, kSeven), "ANC", "5", "1", 9, 88},
    {"AncWithoutNumberIsZero", Run(&CQ::ReadANC, kSeven), "ANC", "", "0", 9, 88},
    {"LabelKeepsFirstFifteen", Run(&CQ::ReadLBL, std::string("old")), "LBL", "ABCDEFGHIJKLMNOPQRST",
     "\"ABCDEFGHIJKLMNO\"", 32, 86},
    {"LabelLosesTrailingSpace", Run(&CQ::ReadLBL, std::string("old")), "LBL", "Kiln 4  \t",
     "\"Kiln 4\"", 32, 86},
    {"LabelEmpty", Run(&CQ::ReadLBL, std::string("old")), "LBL", "", "\"\"", 32, 86},
    {"Tfn", Run(&CQ::ReadTFN, kSeven), "TFN", "2", "2", 9, 101},
    {"TfnWithoutNumberKeepsValue", Run(&CQ::ReadTFN, kSeven), "TFN", "", "7", 9, 101},
    {"Avr", Run(&CQ::ReadAVR, kSeven), "AVR", "15", "15", 9, 106},
    {"Ppm", Run(&CQ::ReadPPM, kSeven), "PPM", "1", "1", 9, 131},
    {"Ppt", Run(&CQ::ReadPPT, kSeven), "PPT", "850", "850", 9, 111},
    {"Ppd", Run(&CQ::ReadPPD, kSeven), "PPD", "12", "12", 9, 126},
    {"PonTenths", Run(&CQ::ReadPON, 0.0), "PON", "25", "2.5", 9, 116},
    {"PofTenths", Run(&CQ::ReadPOF, 0.0), "POF", "3", "0.3", 9, 121},
    {"AlarmLevelNegative", RunAlarm(&CQ::ReadAlarmLevel, 1, 0), "A1L", "-40", "-40", 9, 141},
    {"AlarmLevelIgnoresTrailingText", RunAlarm(&CQ::ReadAlarmLevel, 2, 0), "A2L", "-40 C", "-40", 9,
     141},
    {"AlarmMode", RunAlarm(&CQ::ReadAlarmMode, 2, 0), "A2M", "4", "4", 9, 136},
    {"AlarmContact", RunAlarm(&CQ::ReadAlarmContact, 1, 0), "A1C", "1", "1", 9, 198},
    {"OmxAsksEightOnTheSerialLine", Run(&CQ::ReadOMX, kSeven), "OMX", "1000", "1000", 8, 156},
    {"Omn", Run(&CQ::ReadOMN, kSeven), "OMN", "200", "200", 9, 151},
    {"Opt", Run(&CQ::ReadOPT, kSeven), "OPT", "1", "1", 9, 146},
    {"OdmOneClearsTheFlag", Run(&CQ::ReadODM, kSeven), "ODM", "1", "0", 9, 109},
    {"OdmZeroSetsTheFlag", Run(&CQ::ReadODM, kSeven), "ODM", "0", "1", 9, 109},
    {"OdmTwoSetsTheFlag", Run(&CQ::ReadODM, kSeven), "ODM", "2", "1", 9, 109},
    {"OdmWithoutNumberSetsTheFlag", Run(&CQ::ReadODM, kSeven), "ODM", "", "1", 9, 109},
    {"Uap", Run(&CQ::ReadUAP, kSeven), "UAP", "1000", "1000", 9, 89},
    {"Com", Run(&CQ::ReadCOM, kSeven), "COM", "17", "17", 9, 114},
    {"HtpSixteenths", Run(&CQ::ReadHTP, 1.0), "HTP", "8000", "500", 17, 180},
    {"HtpNegative", Run(&CQ::ReadHTP, 1.0), "HTP", "-8", "-0.5", 17, 180},
    {"HtpWithoutNumberKeepsValue", Run(&CQ::ReadHTP, 1.0), "HTP", "", "1", 17, 180},
    {"Iac", Run(&CQ::ReadIAC, kSeven), "IAC", "31", "31", 8, 180},
    {"FlgHex", Run(&CQ::ReadFLG, std::uint32_t{7}), "FLG", "1a", "26", 16, 0},
    {"FlgWithoutNumberKeepsValue", Run(&CQ::ReadFLG, std::uint32_t{7}), "FLG", "", "7", 16, 0},
    {"LsrOn", Run(&CQ::ReadLSR, false), "LSR", "1", "true", 9, 84},
    {"LsrWithoutNumberIsOff", Run(&CQ::ReadLSR, true), "LSR", "", "false", 9, 84},
    {"LpfFitted", Run(&CQ::ReadLPF, false), "LPF", "1", "true", 9, 196},
    {"LpfWithoutNumberKeepsValue", Run(&CQ::ReadLPF, true), "LPF", "", "true", 9, 196},
    {"Tsn", Run(&CQ::ReadTSN, kSeven), "TSN", "20123456", "20123456", 1024, 201},
    {"TsnHuge", Run(&CQ::ReadTSN, kSeven), "TSN", "99999999999", "2147483647", 1024, 201},
};

class ParameterReads : public ::testing::TestWithParam<ReadCase> {};

// Each read asks for its own mnemonic with its own reply length and scans the reply its way.
TEST_P(ParameterReads, ScanTheirReply) {
  const ReadCase& c = GetParam();
  LinkRig rig(LinkMode::Serial);
  rig.Respond(test::TableUnit{{{c.command, c.reply}}, rig.Prefix()}.Responder());
  rig.Connect();
  std::string shown, initial;
  EXPECT_EQ(c.run(rig.Link(), shown, initial), kLinkOk);
  EXPECT_EQ(shown, c.shown);
  EXPECT_EQ(test::FramesOf(rig.Take()),
            test::FramesOf(Expect(LinkMode::Serial, rig.Prefix()).Read(c.command).Events()));
  EXPECT_EQ(rig.line->ReadCounts().back(), c.asked);
}

// A failed exchange leaves the output as it was and stores the read's own message.
TEST_P(ParameterReads, ErrorReplyLeavesTheOutputAndStoresTheMessage) {
  const ReadCase& c = GetParam();
  LinkRig rig(LinkMode::Serial);
  rig.Respond(test::TableUnit{{{c.command, "*?"}, {"EMS", "*?"}}, rig.Prefix()}.Responder());
  rig.Connect();
  double unused = 0;
  ASSERT_EQ(rig.Link().ReadEMS(unused), kLinkErrorReply);  // leaves 91 behind
  std::string after, initial;
  EXPECT_EQ(c.run(rig.Link(), after, initial), kLinkErrorReply);
  EXPECT_EQ(after, initial);
  EXPECT_EQ(rig.Link().ReplyErrorMessage(), kMsgErrorReply);
  EXPECT_EQ(rig.Link().LastErrorMessage(), c.message == 0 ? 91 : c.message);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParameterReads, ::testing::ValuesIn(kReads),
                         [](const auto& info) { return std::string(info.param.name); });

// Over Ethernet OMX is asked with 30 bytes; the live values wait 5 ms before their exchange.
class ParameterLiveReads : public ::testing::TestWithParam<LinkMode> {};

TEST_P(ParameterLiveReads, WaitBeforeTheirExchange) {
  LinkRig rig(GetParam());
  rig.Respond(
      test::TableUnit{{{"HTP", "160"}, {"IAC", "30"}, {"FLG", "30"}, {"LSR", "0"}}, rig.Prefix()}
          .Responder());
  rig.Connect();
  double temperature = 0;
  std::int32_t internal = 0;
  std::uint32_t flags = 0;
  bool laser = true;
  EXPECT_EQ(rig.Link().ReadHTP(temperature), kLinkOk);
  EXPECT_EQ(rig.Link().ReadIAC(internal), kLinkOk);
  EXPECT_EQ(rig.Link().ReadFLG(flags), kLinkOk);
  EXPECT_EQ(rig.Link().ReadLSR(laser), kLinkOk);
  EXPECT_EQ(temperature, 10.0);
  EXPECT_EQ(internal, 30);
  EXPECT_EQ(flags, 0x30u);
  EXPECT_FALSE(laser);
  EXPECT_EQ(rig.Take(), Expect(GetParam(), rig.Prefix())
                            .Wait(5)
                            .Read("HTP")
                            .Wait(5)
                            .Read("IAC")
                            .Wait(5)
                            .Read("FLG")
                            .Read("LSR")
                            .Events());
}

INSTANTIATE_TEST_SUITE_P(Modes, ParameterLiveReads,
                         ::testing::Values(LinkMode::Serial, LinkMode::Ethernet),
                         [](const auto& info) { return test::ModeName(info.param); });

TEST(ParameterLists, AveragingTimesAndDecayRates) {
  EXPECT_EQ(
      CQRVSerialPort::GetAveragingTimes(),
      (std::vector<double>{0, 0.05, 0.1, 0.15, 0.25, 0.5, 1, 2, 4, 8, 16, 32, 64, 128, 256, 512}));
  EXPECT_EQ(CQRVSerialPort::GetDecayRates(),
            (std::vector<double>{0, 0.25, 0.5, 1, 2, 4, 8, 16, 32, 64, 128, 256, 512}));
}

}  // namespace
}  // namespace zemra
