#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/Frames.h"
#include "link/ParameterTypes.h"
#include "link/SerialPort.h"
#include "net/CLWSocket.h"
#include "platform/Clock.h"

namespace zemra {

// The instrument link: the one object through which the program talks to a thermometer, over
// the serial line it inherits from SerialPort or, in Ethernet mode, over TCP port 2101 through a
// CLWSocket that it creates on the first Ethernet Open and keeps.
//
// Every exchange is synchronous and costs the protocol's fixed waits, which go through the
// clock handed in. Operations return a result code (kLinkOk, kLinkIoFailed, kLinkErrorReply,
// kLinkOutOfRange, kLinkNoReply) and, on failure, leave a message number behind.
class CQRVSerialPort : public SerialPort {
 public:
  // Production serial port; `poster` becomes the Ethernet client's owner.
  explicit CQRVSerialPort(EventPoster poster = {}, Clock& clock = SystemClock());
  CQRVSerialPort(EventPoster poster, Clock& clock, std::unique_ptr<SerialBackend> backend,
                 std::shared_ptr<PortResolver> resolver, TrafficLog log);
  ~CQRVSerialPort() override;

  // --- Connection and the command transaction (Transaction.cpp) ---
  int Open(std::uint16_t port, std::int32_t address, std::int32_t baudIndex, bool ethernet,
           const std::string& ipAddress);
  int Close();
  // Sends "RA" + command and reads at most maxReplyLength bytes of reply; `reply` receives the
  // text stripped of its frame.
  int Transact(const std::string& command, std::string& reply, int maxReplyLength);
  int SetInt(const std::string& mnemonic, std::int32_t value);
  int SetText(const std::string& mnemonic, const std::string& text);
  bool Probe();
  void Wait(std::uint32_t milliseconds);

  static std::vector<std::int32_t> GetBaudRates();
  static std::vector<double> GetAveragingTimes();
  static std::vector<double> GetDecayRates();

  bool IsBusy() const { return m_busy; }
  bool IsEthernet() const { return m_ethernet; }
  std::int32_t BaudIndex() const { return m_baudIndex; }
  const std::string& IpAddress() const { return m_ipAddress; }
  // Null until the first Ethernet Open; the window takes its events from it.
  CLWSocket* EthernetClient() const { return m_client.get(); }

  // --- Single parameter reads (Parameters.cpp) ---
  int ReadEMS(double& emissivity);
  int ReadNGR(double& nonGreyness);
  int ReadANC(std::int32_t& control);
  int ReadLBL(std::string& label);
  int ReadTFN(std::int32_t& value);
  int ReadAVR(std::int32_t& value);
  int ReadPPM(std::int32_t& value);
  int ReadPPT(std::int32_t& value);
  int ReadPPD(std::int32_t& value);
  int ReadPON(double& value);
  int ReadPOF(double& value);
  int ReadAlarmLevel(int alarm, std::int32_t& level);
  int ReadAlarmMode(int alarm, std::int32_t& mode);
  int ReadAlarmContact(int alarm, std::int32_t& contact);
  int ReadOMX(std::int32_t& value);
  int ReadOMN(std::int32_t& value);
  int ReadOPT(std::int32_t& value);
  int ReadODM(std::int32_t& driveModeFlag);
  int ReadUAP(std::int32_t& value);
  int ReadCOM(std::int32_t& address);
  int ReadHTP(double& temperature);
  int ReadIAC(std::int32_t& internalTemperature);
  int ReadFLG(std::uint32_t& flags);
  int ReadLSR(bool& laserOn);
  int ReadLPF(bool& laserFitted);
  int ReadTSN(std::int32_t& serialNumber);

  // --- Single parameter sets (Settings.cpp) ---
  int SetIRU(std::int32_t unit);
  int SetANC(std::int32_t flag);
  int SetEMS(double emissivity);
  int SetNGR(double nonGreyness);
  int SetODM(std::int32_t driveModeFlag);
  int SetCOM(std::int32_t address);
  int SetBRT(std::int32_t index);
  int LaserOn();
  int StoreToMemory();

  // --- Identification (Identification.cpp) ---
  int ReadInformationText(std::string& text);
  int ReadInformation(Thermometer& record);
  int ReadIdentityLine(std::string& line);
  int ReadIFO0(std::string& text);
  int Poll(std::string& infoText, std::string& label, std::int32_t& timeFunction,
           OutputData& outputData, std::uint32_t& flags, double& temperature,
           std::int32_t& internalTemperature);

  // --- Whole configuration (ReadConfiguration.cpp, WriteConfiguration.cpp) ---
  int ReadConfiguration(std::string& label, Thermometer& thermometer, double& emissivity,
                        std::int32_t& emissivityControl, double& nonGreyness,
                        TimeFuncData& timeFuncData, AlarmLevel& alarmLevel, AlarmMode& alarmMode,
                        AlarmContacts& alarmContacts, OutputData& outputData,
                        std::int32_t& userCalibration, std::int32_t& driveMode,
                        std::int32_t& unitAddress);
  int WriteConfiguration(const std::string& label, std::int32_t unit, double emissivity,
                         std::int32_t emissivityControl, double nonGreyness,
                         TimeFuncData timeFuncData, const AlarmLevel& alarmLevel,
                         const AlarmMode& alarmMode, const AlarmContacts& alarmContacts,
                         OutputData outputData, std::int32_t userCalibration,
                         std::int32_t driveMode);

 private:
  struct ConfigurationValues;

  int OpenEthernet(bool wasEthernet);
  int OpenSerial();
  void PrepareExchange();
  int SendFrame(const Frame& frame);
  int ReceiveInto(int maxReplyLength);
  int Fail(int result, int message);

  int ReadReply(const char* mnemonic, int maxReplyLength, int message, std::string& reply,
                std::uint32_t waitBefore = 0);
  int ReadInt(const char* mnemonic, int maxReplyLength, int message, std::int32_t& value,
              std::uint32_t waitBefore = 0);
  int ReadScaled(const char* mnemonic, int message, double divisor, double& value);

  std::uint32_t ReadGap() const;
  std::uint32_t WriteGap() const;
  int SendSet(const std::string& mnemonic, std::int32_t value, int message);
  int SendSetting(const std::string& mnemonic, std::int32_t value, int message);
  int CheckRanges(const ConfigurationValues& values, const Thermometer& record);
  int SendConfiguration(const ConfigurationValues& values, int typeClass);
  int SendTimeFunction(const TimeFuncData& timeFunction);
  int SendAlarms(const ConfigurationValues& values);

  Clock& m_clock;
  EventPoster m_poster;
  std::unique_ptr<CLWSocket> m_client;
  std::array<std::uint8_t, kReplyBufferSize> m_replyBuffer{};
  std::string m_terminator = "\r";
  std::string m_lineEnd = "\r\n";
  std::string m_addressPrefix;
  std::int32_t m_baudIndex = 0;
  bool m_ethernet = false;
  std::string m_ipAddress;
  bool m_busy = false;
};

}  // namespace zemra
