#include "link/CQRVSerialPort.h"
#include "link/Information.h"

namespace zemra {

namespace {

constexpr int kInformationReply = 2048;
constexpr int kShortInformationReply = 512;
constexpr int kMsgInformation = 81;
constexpr int kMsgShortInformation = 165;

}  // namespace

std::uint32_t CQRVSerialPort::ReadGap() const {
  return m_ethernet ? 5 : 50;
}

int CQRVSerialPort::ReadInformationText(std::string& text) {
  std::string reply;
  const int result = Transact("IFO 1", reply, kInformationReply);
  if (result != kLinkOk) return Fail(result, kMsgInformation);
  // A reply without its markers is reported but does not fail the sequence that asked.
  std::optional<std::string> information = ExtractInformationText(reply);
  if (!information) {
    m_lastErrorMessage = kMsgInformation;
    return kLinkOk;
  }
  text = std::move(*information);
  return kLinkOk;
}

int CQRVSerialPort::ReadInformation(Thermometer& record) {
  std::string text;
  const int result = ReadInformationText(text);
  if (result != kLinkOk) return result;
  record = ParseInformation(text);
  return kLinkOk;
}

int CQRVSerialPort::ReadIdentityLine(std::string& line) {
  std::string reply;
  const int result = Transact("IFO 1", reply, kInformationReply);
  if (result != kLinkOk) return result;
  line = ExtractIdentityLine(reply);
  return kLinkOk;
}

int CQRVSerialPort::ReadIFO0(std::string& text) {
  std::string reply;
  const int result = Transact("IFO 0", reply, kShortInformationReply);
  if (result != kLinkOk) return Fail(result, kMsgShortInformation);
  text = std::move(reply);
  return kLinkOk;
}

int CQRVSerialPort::Poll(std::string& infoText, std::string& label, std::int32_t& timeFunction,
                         OutputData& outputData, std::uint32_t& flags, double& temperature,
                         std::int32_t& internalTemperature) {
  // A configuration write is running: its frames must not be interleaved with reads.
  if (m_busy) return kLinkOk;
  int result = ReadInformationText(infoText);
  if (result != kLinkOk) return result;

  const auto step = [this, &result](auto&& read) {
    Wait(ReadGap());
    result = read();
    return result == kLinkOk;
  };
  const bool done =
      step([&] { return ReadLBL(label); }) && step([&] { return ReadTFN(timeFunction); }) &&
      step([&] { return ReadOMX(outputData.omx); }) &&
      step([&] { return ReadOMN(outputData.omn); }) &&
      step([&] { return ReadOPT(outputData.opt); }) && step([&] { return ReadFLG(flags); }) &&
      step([&] { return ReadHTP(temperature); }) &&
      step([&] { return ReadIAC(internalTemperature); });
  if (!done) return result;
  Wait(ReadGap());
  return kLinkOk;
}

}  // namespace zemra
