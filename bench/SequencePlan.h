#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/ParameterTypes.h"

namespace zemra::bench {

// What a sequence asks of the line, worked out from the protocol rather than taken from the
// link: every fixed wait in order, and the bytes of every frame it sends.
class SequencePlan {
 public:
  explicit SequencePlan(bool ethernet) : ethernet_(ethernet) {}

  // A read frame and the wait before its reply is read.
  void Read(const std::string& command);
  // A live value: the short settling pause, then the read.
  void LiveRead(const std::string& command);
  void SetInt(const std::string& mnemonic, std::int32_t value);
  void SetText(const std::string& mnemonic, const std::string& text);
  void Pause(std::uint32_t ms) { waits_.push_back(ms); }
  // The pauses between two exchanges of a read sequence and of a write sequence.
  void ReadGap() { Pause(ethernet_ ? 5 : 50); }
  void WriteGap() { Pause(ethernet_ ? 20 : 50); }

  const std::vector<std::uint32_t>& Waits() const { return waits_; }
  std::uint64_t WaitMs() const;
  std::uint64_t FrameBytes() const { return frameBytes_; }
  int Exchanges() const { return exchanges_; }

 private:
  void Frame(std::size_t textLength, bool zeroByte);

  bool ethernet_;
  std::vector<std::uint32_t> waits_;
  std::uint64_t frameBytes_ = 0;
  int exchanges_ = 0;
};

// The values a configuration write sends, as the thermometer gets them.
struct WrittenConfiguration {
  std::string label;
  std::int32_t unit = 0;
  std::int32_t emissivityControl = 0;
  std::int32_t emsOrNgr = 0;  // emissivity or non-grey ratio in thousandths
  TimeFuncData timeFunction;
  AlarmLevel alarmLevel;
  AlarmMode alarmMode;
  AlarmContacts alarmContacts;
  OutputData output;
  std::int32_t userCalibration = 1000;
  std::int32_t odmValue = 0;  // the ODM value sent (the inverse of the window's flag)
};

SequencePlan ReadConfigurationPlan(bool ethernet, int typeClass);
SequencePlan WriteAndStorePlan(bool ethernet, int typeClass, const WrittenConfiguration& values);
// The window's polls: six exchanges (eight with the live emissivity read), and the link's full
// Poll followed by the laser state and a second internal temperature.
SequencePlan QuickPollPlan(bool ethernet, int typeClass, bool liveEmissivity);
SequencePlan FullPollPlan(bool ethernet);

}  // namespace zemra::bench
