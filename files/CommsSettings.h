#pragma once

#include <cstdint>
#include <string>

namespace zemra {

// How the program reaches the thermometer, as the main window holds it (`m_comms`) and as
// "CommsSettings.cfg" keeps it between runs. The field names are the file's keys.
//
// Values are kept exactly as entered or read: nothing here limits them to their usual ranges
// (a hand-edited file can hold any integer), so whoever turns SerialBaudRate into a baud rate
// must check the index against the link's table first.
struct CommsSettings {
  // A fresh record holds the main window's construction values; the settings file, when it
  // cannot be opened, is written with FileDefaults() instead (they differ in SerialAddress).
  std::int32_t SerialAddress = 1;      // 0 one-to-one, else the unit's bus address
  std::int32_t SerialBaudRate = 3;     // index into the link's baud-rate table, 0 to 4
  std::int32_t SerialPort = 1;         // n of COMn
  std::int32_t SerialUnitAddress = 1;  // the thermometer's own unit address
  bool UseTcpMode = true;              // true Ethernet, false serial
  std::string IpAddress = "10.1.10.200";
  std::string IpPort = "2101";  // kept and shown; the link always connects to 2101

  // The values written when no settings file can be opened.
  static CommsSettings FileDefaults() {
    CommsSettings s;
    s.SerialAddress = 0;
    return s;
  }

  friend bool operator==(const CommsSettings&, const CommsSettings&) = default;
};

}  // namespace zemra
