#include <string>

#include "link/CQRVSerialPort.h"
#include "link/Scans.h"

namespace zemra {

namespace {

// Maximum reply lengths asked for.
constexpr int kShortReply = 9;
constexpr int kLabelReply = 32;
constexpr int kOmxSerialReply = 8;
constexpr int kOmxEthernetReply = 30;
constexpr int kTemperatureReply = 17;
constexpr int kInternalReply = 8;
constexpr int kFlagsReply = 16;
constexpr int kSerialNumberReply = 1024;

// The unit samples its live values continuously; a short pause lets a fresh one settle.
constexpr std::uint32_t kLiveReadWait = 5;

constexpr int kNoMessage = 0;

std::string AlarmMnemonic(int alarm, char kind) {
  return "A" + std::to_string(alarm) + kind;
}

}  // namespace

int CQRVSerialPort::ReadReply(const char* mnemonic, int maxReplyLength, int message,
                              std::string& reply, std::uint32_t waitBefore) {
  if (waitBefore > 0) Wait(waitBefore);
  const int result = Transact(mnemonic, reply, maxReplyLength);
  if (result != kLinkOk && message != kNoMessage) m_lastErrorMessage = message;
  return result;
}

// A reply without a number is not a failure: the value keeps what the caller had.
int CQRVSerialPort::ReadInt(const char* mnemonic, int maxReplyLength, int message,
                            std::int32_t& value, std::uint32_t waitBefore) {
  std::string reply;
  const int result = ReadReply(mnemonic, maxReplyLength, message, reply, waitBefore);
  if (result != kLinkOk) return result;
  if (const auto number = ScanInt(reply)) value = *number;
  return kLinkOk;
}

int CQRVSerialPort::ReadScaled(const char* mnemonic, int message, double divisor, double& value) {
  std::string reply;
  const int result = ReadReply(mnemonic, kShortReply, message, reply);
  if (result != kLinkOk) return result;
  if (const auto number = ScanDouble(reply)) value = *number / divisor;
  return kLinkOk;
}

int CQRVSerialPort::ReadEMS(double& emissivity) {
  return ReadScaled("EMS", 91, 1000.0, emissivity);
}
int CQRVSerialPort::ReadNGR(double& nonGreyness) {
  return ReadScaled("NGR", 96, 1000.0, nonGreyness);
}
int CQRVSerialPort::ReadPON(double& value) {
  return ReadScaled("PON", 116, 10.0, value);
}
int CQRVSerialPort::ReadPOF(double& value) {
  return ReadScaled("POF", 121, 10.0, value);
}

int CQRVSerialPort::ReadANC(std::int32_t& control) {
  std::string reply;
  const int result = ReadReply("ANC", kShortReply, 88, reply);
  if (result != kLinkOk) return result;
  const auto number = ScanInt(reply);
  control = number && *number != 0 ? 1 : 0;
  return kLinkOk;
}

int CQRVSerialPort::ReadLBL(std::string& label) {
  std::string reply;
  const int result = ReadReply("LBL", kLabelReply, 86, reply);
  if (result != kLinkOk) return result;
  label = LabelFromReply(reply);
  return kLinkOk;
}

int CQRVSerialPort::ReadTFN(std::int32_t& value) {
  return ReadInt("TFN", kShortReply, 101, value);
}
int CQRVSerialPort::ReadAVR(std::int32_t& value) {
  return ReadInt("AVR", kShortReply, 106, value);
}
int CQRVSerialPort::ReadPPM(std::int32_t& value) {
  return ReadInt("PPM", kShortReply, 131, value);
}
int CQRVSerialPort::ReadPPT(std::int32_t& value) {
  return ReadInt("PPT", kShortReply, 111, value);
}
int CQRVSerialPort::ReadPPD(std::int32_t& value) {
  return ReadInt("PPD", kShortReply, 126, value);
}

int CQRVSerialPort::ReadAlarmLevel(int alarm, std::int32_t& level) {
  return ReadInt(AlarmMnemonic(alarm, 'L').c_str(), kShortReply, 141, level);
}
int CQRVSerialPort::ReadAlarmMode(int alarm, std::int32_t& mode) {
  return ReadInt(AlarmMnemonic(alarm, 'M').c_str(), kShortReply, 136, mode);
}
int CQRVSerialPort::ReadAlarmContact(int alarm, std::int32_t& contact) {
  return ReadInt(AlarmMnemonic(alarm, 'C').c_str(), kShortReply, 198, contact);
}

int CQRVSerialPort::ReadOMX(std::int32_t& value) {
  return ReadInt("OMX", m_ethernet ? kOmxEthernetReply : kOmxSerialReply, 156, value);
}
int CQRVSerialPort::ReadOMN(std::int32_t& value) {
  return ReadInt("OMN", kShortReply, 151, value);
}
int CQRVSerialPort::ReadOPT(std::int32_t& value) {
  return ReadInt("OPT", kShortReply, 146, value);
}

// The unit's ODM is the inverse of the window's drive-mode flag: only a plain 1 clears it.
int CQRVSerialPort::ReadODM(std::int32_t& driveModeFlag) {
  std::string reply;
  const int result = ReadReply("ODM", kShortReply, 109, reply);
  if (result != kLinkOk) return result;
  const auto number = ScanInt(reply);
  driveModeFlag = number && *number == 1 ? 0 : 1;
  return kLinkOk;
}

int CQRVSerialPort::ReadUAP(std::int32_t& value) {
  return ReadInt("UAP", kShortReply, 89, value);
}
int CQRVSerialPort::ReadCOM(std::int32_t& address) {
  return ReadInt("COM", kShortReply, 114, address);
}

// HTP comes in sixteenths of a degree.
int CQRVSerialPort::ReadHTP(double& temperature) {
  std::string reply;
  const int result = ReadReply("HTP", kTemperatureReply, 180, reply, kLiveReadWait);
  if (result != kLinkOk) return result;
  if (const auto number = ScanInt(reply)) temperature = *number / 16.0;
  return kLinkOk;
}

int CQRVSerialPort::ReadIAC(std::int32_t& internalTemperature) {
  return ReadInt("IAC", kInternalReply, 180, internalTemperature, kLiveReadWait);
}

// The flags read stores no message of its own; only its result tells.
int CQRVSerialPort::ReadFLG(std::uint32_t& flags) {
  std::string reply;
  const int result = ReadReply("FLG", kFlagsReply, kNoMessage, reply, kLiveReadWait);
  if (result != kLinkOk) return result;
  if (const auto number = ScanHex(reply)) flags = *number;
  return kLinkOk;
}

int CQRVSerialPort::ReadLSR(bool& laserOn) {
  std::string reply;
  const int result = ReadReply("LSR", kShortReply, 84, reply);
  if (result != kLinkOk) return result;
  const auto number = ScanInt(reply);
  laserOn = number && *number != 0;
  return kLinkOk;
}

int CQRVSerialPort::ReadLPF(bool& laserFitted) {
  std::string reply;
  const int result = ReadReply("LPF", kShortReply, 196, reply);
  if (result != kLinkOk) return result;
  if (const auto number = ScanInt(reply)) laserFitted = *number != 0;
  return kLinkOk;
}

int CQRVSerialPort::ReadTSN(std::int32_t& serialNumber) {
  return ReadInt("TSN", kSerialNumberReply, 201, serialNumber);
}

std::vector<double> CQRVSerialPort::GetAveragingTimes() {
  return {0, 0.05, 0.1, 0.15, 0.25, 0.5, 1, 2, 4, 8, 16, 32, 64, 128, 256, 512};
}

std::vector<double> CQRVSerialPort::GetDecayRates() {
  return {0, 0.25, 0.5, 1, 2, 4, 8, 16, 32, 64, 128, 256, 512};
}

}  // namespace zemra
