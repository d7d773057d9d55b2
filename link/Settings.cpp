#include "link/CQRVSerialPort.h"
#include "link/Scans.h"

namespace zemra {

namespace {

// The code the unit takes as "store the settings to non-volatile memory".
constexpr const char* kMemoryStoreCode = "3958";
// The unit is busy writing its memory for this long and ignores frames meanwhile.
constexpr std::uint32_t kMemoryStoreWait = 1000;

// The unit takes these baud-rate indexes in its BRT command.
constexpr std::int32_t kHighestBrtIndex = 5;

}  // namespace

int CQRVSerialPort::SendSet(const std::string& mnemonic, std::int32_t value, int message) {
  const int result = SetInt(mnemonic, value);
  return result == kLinkOk ? kLinkOk : Fail(result, message);
}

int CQRVSerialPort::SetIRU(std::int32_t unit) {
  return SendSet("IRU", unit, 76);
}
int CQRVSerialPort::SetANC(std::int32_t flag) {
  return SendSet("ANC", flag, 78);
}
int CQRVSerialPort::SetEMS(double emissivity) {
  return SendSet("EMS", ScaleToInt(emissivity, 1000.0), 92);
}
int CQRVSerialPort::SetNGR(double nonGreyness) {
  return SendSet("NGR", ScaleToInt(nonGreyness, 1000.0), 103);
}
int CQRVSerialPort::SetODM(std::int32_t driveModeFlag) {
  return SendSet("ODM", driveModeFlag == 0 ? 1 : 0, 75);
}
int CQRVSerialPort::SetCOM(std::int32_t address) {
  return SendSet("COM", address, 108);
}

int CQRVSerialPort::SetBRT(std::int32_t index) {
  if (index < 0 || index > kHighestBrtIndex) return Fail(kLinkOutOfRange, 175);
  return SendSet("BRT", index, 177);
}

int CQRVSerialPort::LaserOn() {
  return SendSet("LSR", 1, 93);
}

int CQRVSerialPort::StoreToMemory() {
  const int result = SetText("MEM", kMemoryStoreCode);
  // Waited out even after a failed write: the unit may have taken part of the frame.
  Wait(kMemoryStoreWait);
  return result == kLinkOk ? kLinkOk : Fail(result, 160);
}

}  // namespace zemra
