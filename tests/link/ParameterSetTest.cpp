#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "LinkRig.h"

namespace zemra {
namespace {

using test::LinkMode;
using test::LinkRig;
using CQ = CQRVSerialPort;

struct SetCase {
  const char* name;
  std::function<int(CQ&)> run;
  std::string setText;  // what the frame carries after the address
  int message;          // stored when the write fails
  std::vector<std::uint32_t> waits;
  std::vector<std::uint32_t> waitsAfterFailure;
};

void PrintTo(const SetCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<std::uint32_t> kSetWait = {100};
const std::vector<std::uint32_t> kNone = {};

const SetCase kSets[] = {
    {"IruFahrenheit", [](CQ& l) { return l.SetIRU(1); }, "SAIRU 1", 76, kSetWait, kNone},
    {"AncOn", [](CQ& l) { return l.SetANC(1); }, "SAANC 1", 78, kSetWait, kNone},
    {"EmsPerMilleTruncated", [](CQ& l) { return l.SetEMS(0.95); }, "SAEMS 950", 92, kSetWait,
     kNone},
    {"EmsOne", [](CQ& l) { return l.SetEMS(1.0); }, "SAEMS 1000", 92, kSetWait, kNone},
    {"NgrTruncatedNotRounded", [](CQ& l) { return l.SetNGR(1.001); }, "SANGR 1000", 103, kSetWait,
     kNone},
    {"NgrUpper", [](CQ& l) { return l.SetNGR(1.25); }, "SANGR 1250", 103, kSetWait, kNone},
    {"OdmFlagZeroSendsOne", [](CQ& l) { return l.SetODM(0); }, "SAODM 1", 75, kSetWait, kNone},
    {"OdmFlagOneSendsZero", [](CQ& l) { return l.SetODM(1); }, "SAODM 0", 75, kSetWait, kNone},
    {"OdmOtherFlagSendsZero", [](CQ& l) { return l.SetODM(5); }, "SAODM 0", 75, kSetWait, kNone},
    {"ComNewAddress", [](CQ& l) { return l.SetCOM(17); }, "SACOM 17", 108, kSetWait, kNone},
    {"BrtIndex", [](CQ& l) { return l.SetBRT(3); }, "SABRT 3", 177, kSetWait, kNone},
    {"BrtFiveIsTheUnitsOwn", [](CQ& l) { return l.SetBRT(5); }, "SABRT 5", 177, kSetWait, kNone},
    {"LaserOn", [](CQ& l) { return l.LaserOn(); }, "SALSR 1", 93, kSetWait, kNone},
    // The memory store is waited out even when its frame could not be written.
    {"StoreToMemory",
     [](CQ& l) { return l.StoreToMemory(); },
     "SAMEM 3958",
     160,
     {50, 1000},
     {50, 1000}},
};

class ParameterSets : public ::testing::TestWithParam<SetCase> {
 protected:
  void SetUp() override {
    rig_.Respond(test::TableUnit{{}, rig_.Prefix()}.Responder());
    rig_.Connect();
  }
  LinkRig rig_{LinkMode::Serial};
};

TEST_P(ParameterSets, SendOneFrameAndWait) {
  const SetCase& c = GetParam();
  EXPECT_EQ(c.run(rig_.Link()), kLinkOk);
  EXPECT_EQ(rig_.line->Writes(),
            std::vector<test::Bytes>{BuildSetFrame(rig_.Prefix(), c.setText, '\x03')});
  EXPECT_EQ(rig_.clock.sleeps, c.waits);
}

TEST_P(ParameterSets, StoreTheirMessageWhenTheWriteFails) {
  const SetCase& c = GetParam();
  rig_.line->FailOn("Write");
  EXPECT_EQ(c.run(rig_.Link()), kLinkIoFailed);
  EXPECT_EQ(rig_.Link().LastErrorMessage(), c.message);
  EXPECT_EQ(rig_.clock.sleeps, c.waitsAfterFailure);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParameterSets, ::testing::ValuesIn(kSets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParameterSetBaudRate, IndexOutsideTheUnitsRangeIsRefusedBeforeAnyFrame) {
  LinkRig rig(LinkMode::Serial);
  rig.Respond(test::TableUnit{{}, rig.Prefix()}.Responder());
  rig.Connect();
  rig.line->calls.clear();
  for (const int index : {-1, 6, 1000}) {
    EXPECT_EQ(rig.Link().SetBRT(index), kLinkOutOfRange) << index;
    EXPECT_EQ(rig.Link().LastErrorMessage(), 175);
  }
  EXPECT_TRUE(rig.line->calls.empty());
  EXPECT_TRUE(rig.clock.sleeps.empty());
}

}  // namespace
}  // namespace zemra
