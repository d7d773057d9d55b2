#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/SerialBackend.h"

namespace zemra {

// The serial devices of this machine in port order: COM1 is the first, COM2 the second, and so
// on. The order is by kind, then by the kernel's number within the kind (ttyUSB2 before
// ttyUSB10):
//   1. ttyUSB*  USB serial converters, the usual way an RS-485 line reaches a workstation;
//   2. ttyACM*  USB modem-class serial devices;
//   3. ttyS*    on-board UARTs, only those the kernel found hardware for (a "type" other than 0
//               under the tty class), since ttyS0 to ttyS31 exist whether or not a UART does;
//   4. ttyAMA*  on-board UARTs of ARM boards.
// `devDir` holds the device nodes and `ttyClassDir` the kernel's tty class (normally "/dev" and
// "/sys/class/tty"); tests hand directories of their own.
std::vector<std::string> ListSerialDevices(const std::string& devDir,
                                           const std::string& ttyClassDir);

// A resolver that lists the devices afresh for every port asked for, so an adapter plugged in
// while the program runs is found at the next attempt to connect.
std::shared_ptr<PortResolver> MakeSystemPortResolver(std::string devDir, std::string ttyClassDir);

}  // namespace zemra
