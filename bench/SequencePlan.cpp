#include "bench/SequencePlan.h"

#include <numeric>

namespace zemra::bench {

namespace {

// Waits after a frame, in milliseconds.
constexpr std::uint32_t kSerialReadWait = 100;
constexpr std::uint32_t kEthernetReadWait = 50;
constexpr std::uint32_t kSetIntWait = 100;
constexpr std::uint32_t kSetTextWait = 50;
constexpr std::uint32_t kLiveSettle = 5;
constexpr std::uint32_t kBeforeLabel = 100;
constexpr std::uint32_t kMemoryStore = 1000;

// STX and the address byte lead every frame; ETX ends it.
constexpr std::size_t kFrameOverhead = 3;

// Alarm 1 or 2: "A1L", "A2M" and so on.
std::string AlarmMnemonic(int alarm, char kind) {
  return {'A', static_cast<char>('0' + alarm), kind};
}

}  // namespace

void SequencePlan::Frame(std::size_t textLength, bool zeroByte) {
  frameBytes_ += kFrameOverhead + textLength + (zeroByte ? 1 : 0);
  ++exchanges_;
}

void SequencePlan::Read(const std::string& command) {
  Frame(2 + command.size(), true);  // "RA" + command, then ETX and a zero byte
  Pause(ethernet_ ? kEthernetReadWait : kSerialReadWait);
}

void SequencePlan::LiveRead(const std::string& command) {
  Pause(kLiveSettle);
  Read(command);
}

void SequencePlan::SetInt(const std::string& mnemonic, std::int32_t value) {
  Frame(2 + mnemonic.size() + 1 + std::to_string(value).size(), false);
  Pause(kSetIntWait);
}

void SequencePlan::SetText(const std::string& mnemonic, const std::string& text) {
  Frame(2 + mnemonic.size() + 1 + text.size(), false);
  Pause(kSetTextWait);
}

std::uint64_t SequencePlan::WaitMs() const {
  return std::accumulate(waits_.begin(), waits_.end(), std::uint64_t{0});
}

SequencePlan ReadConfigurationPlan(bool ethernet, int typeClass) {
  SequencePlan plan(ethernet);
  plan.Read("IFO 1");
  std::vector<std::string> reads = {"LBL"};
  // The emissivity slot keeps its gap on a thermometer that has neither value.
  if (typeClass == kTypeRatio) reads.push_back("NGR");
  if (typeClass == kTypeSingleWavelength) reads.push_back("EMS");
  if (typeClass != kTypeRatio && typeClass != kTypeSingleWavelength) reads.push_back("");
  for (const char* m : {"COM", "TFN", "AVR", "PPM", "PON", "POF", "PPD", "PPT"}) reads.push_back(m);
  for (int alarm = 1; alarm <= 2; ++alarm) {
    for (const char kind : {'L', 'M', 'C'}) reads.push_back(AlarmMnemonic(alarm, kind));
  }
  for (const char* m : {"OMX", "OMN", "OPT", "ANC", "UAP"}) reads.push_back(m);
  if (typeClass == kTypeRatio) reads.push_back("ODM");
  for (const std::string& read : reads) {
    plan.ReadGap();
    if (!read.empty()) plan.Read(read);
  }
  plan.ReadGap();
  return plan;
}

namespace {

void PlanTimeFunction(SequencePlan& plan, const TimeFuncData& tf) {
  plan.SetInt("TFN", tf.tfn);
  plan.WriteGap();
  plan.SetInt("TFN", tf.tfn);
  plan.WriteGap();
  if (tf.tfn == 1) {
    plan.SetInt("AVR", tf.avr);
    plan.WriteGap();
  } else if (tf.tfn == 2) {
    plan.SetInt("PPD", tf.ppd);
    plan.WriteGap();
    plan.SetInt("PON", static_cast<std::int32_t>(tf.pon * 10.0));
    plan.WriteGap();
    plan.SetInt("POF", static_cast<std::int32_t>(tf.pof * 10.0));
    plan.WriteGap();
    plan.SetInt("PPM", tf.ppm);
    plan.WriteGap();
    plan.SetInt("PPT", tf.ppt);
    plan.WriteGap();
  }
}

void PlanAlarms(SequencePlan& plan, const WrittenConfiguration& v) {
  for (int alarm = 1; alarm <= 2; ++alarm) {
    const int i = alarm - 1;
    plan.SetInt(AlarmMnemonic(alarm, 'M'), v.alarmMode.value[i]);
    plan.WriteGap();
    if (v.alarmMode.value[i] == 0 || v.alarmMode.value[i] == 1) {
      plan.SetInt(AlarmMnemonic(alarm, 'L'), v.alarmLevel.value[i]);
      plan.WriteGap();
    }
    plan.SetInt(AlarmMnemonic(alarm, 'C'), v.alarmContacts.value[i]);
    plan.WriteGap();
  }
}

}  // namespace

SequencePlan WriteAndStorePlan(bool ethernet, int typeClass, const WrittenConfiguration& v) {
  SequencePlan plan(ethernet);
  plan.Read("IFO 1");
  plan.WriteGap();
  plan.WriteGap();  // after the information is parsed
  plan.SetInt("IRU", v.unit);
  plan.WriteGap();
  plan.SetInt("ANC", v.emissivityControl);  // no gap follows this one
  if (typeClass == kTypeRatio) plan.SetInt("NGR", v.emsOrNgr);
  if (typeClass == kTypeSingleWavelength && v.emissivityControl == 0) {
    plan.SetInt("EMS", v.emsOrNgr);
  }
  plan.WriteGap();
  PlanTimeFunction(plan, v.timeFunction);
  PlanAlarms(plan, v);
  for (int pass = 0; pass < 2; ++pass) {
    plan.SetInt("OMX", v.output.omx);
    plan.WriteGap();
    plan.SetInt("OMN", v.output.omn);
    plan.WriteGap();
  }
  plan.SetInt("OPT", v.output.opt);
  plan.WriteGap();
  plan.Pause(kBeforeLabel);
  plan.SetText("LBL", v.label);
  plan.WriteGap();
  plan.SetInt("ANC", v.emissivityControl);
  plan.WriteGap();
  plan.SetInt("UAP", v.userCalibration);
  plan.WriteGap();
  if (typeClass == kTypeRatio) {
    plan.SetInt("ODM", v.odmValue);
    plan.WriteGap();
  }
  plan.SetText("MEM", "3958");
  plan.Pause(kMemoryStore);
  return plan;
}

SequencePlan QuickPollPlan(bool ethernet, int typeClass, bool liveEmissivity) {
  SequencePlan plan(ethernet);
  plan.LiveRead("HTP");
  plan.LiveRead("IAC");
  plan.Read("ANC");
  if (liveEmissivity) {
    plan.Read("IFO 1");
    if (typeClass == kTypeSingleWavelength) plan.Read("EMS");
    if (typeClass == kTypeRatio) plan.Read("NGR");
  }
  plan.LiveRead("FLG");
  plan.Read("LSR");
  plan.LiveRead("IAC");
  return plan;
}

SequencePlan FullPollPlan(bool ethernet) {
  SequencePlan plan(ethernet);
  plan.Read("IFO 1");
  for (const char* m : {"LBL", "TFN", "OMX", "OMN", "OPT"}) {
    plan.ReadGap();
    plan.Read(m);
  }
  for (const char* m : {"FLG", "HTP", "IAC"}) {
    plan.ReadGap();
    plan.LiveRead(m);
  }
  plan.ReadGap();
  plan.Read("LSR");
  plan.LiveRead("IAC");
  return plan;
}

}  // namespace zemra::bench
