#include "cli/CommandTable.h"

namespace zemra::cli {

namespace {

constexpr std::string_view kIdentifyDetails =
    R"(Asks the thermometer who it is and prints its identity line, serial number,
type number, kind (single-wavelength, ratio or neither), measuring range and
temperature unit, and whether a laser is fitted.

Options:
  --json    one JSON object instead of "name: value" lines
)";

constexpr std::string_view kReadConfigDetails =
    R"(Reads the thermometer's whole configuration and writes it as a ".zcf" file,
exactly as the ZEMRAnet window saves it while connected (with the IRT type
number and the EMS or NGR line). Without FILE the text goes to standard output.
FILE is replaced as a whole: it is never left half written.

Over a serial line this takes about 4 seconds, over Ethernet about 2: every
wait between exchanges is the protocol's own.

Example:
  zemractl --tcp 192.168.1.40 read-config backup.zcf
)";

constexpr std::string_view kWriteConfigDetails =
    R"(Reads the thermometer's configuration, puts the keys of FILE over it, sends the
result and stores it in the thermometer's memory. Keys the file leaves out keep
the thermometer's values. The file is read and checked before the thermometer
is touched, and every value is checked against the thermometer's range before
the first setting is sent: a file that does not parse, or a value out of range,
changes nothing.

Options:
  --verify  read the configuration back afterwards and list every key whose
            value differs from what was sent (exit status 1 if any does)
)";

constexpr std::string_view kDiffDetails =
    R"(Reads the thermometer's configuration and lists, key by key, where it differs
from FILE: one line per key, "KEY: thermometer VALUE, file VALUE", in the
file's units (EMS and NGR times 1000, PON and POF times 10). Keys the file does
not hold are not compared.

Exit status 0 when they agree, 1 when they differ.
)";

constexpr std::string_view kMonitorDetails =
    R"(Polls the live readings the way the ZEMRAnet window does: a full poll first,
then ten quick polls and a full poll again, each poll two seconds after the
previous one ended. One line per poll: local time, temperature, internal
temperature, status flags in hexadecimal, over-range, under-range and laser.
Ctrl-C ends it cleanly after the poll under way.

Options:
  --count N  stop after N polls (default: run until interrupted)
  --csv      comma-separated values with a header line
  --json     one JSON object per line
)";

constexpr std::string_view kGetDetails =
    R"(Reads one parameter and prints its value, scaled as the program shows it
(EMS 950 is printed as 0.95, HTP in degrees, FLG in hexadecimal).

Mnemonics: EMS NGR ANC LBL TFN AVR PPM PPT PPD PON POF A1L A2L A1M A2M A1C
A2C OMX OMN OPT ODM UAP COM HTP IAC FLG LSR LPF TSN, and "IFO 0" and "IFO 1"
(written IFO0 and IFO1 too) for the information texts. ODM prints the
program's drive-mode flag, which is the inverse of the thermometer's value.

Options:
  --json    {"mnemonic": ..., "value": ...}
)";

constexpr std::string_view kSetDetails =
    R"(Sets one parameter. The thermometer does not confirm settings; use "get" to
read a value back and "store" to keep it over a power cycle.

  IRU 0|1        temperature unit, 0 Celsius, 1 Fahrenheit
  ANC 0|1        emissivity control, 1 when an analogue input sets it
  EMS 0.1-1.0    emissivity (single-wavelength thermometers)
  NGR 0.8-1.25   non-grey ratio (ratio thermometers)
  ODM 0|1        drive-mode flag (sent inverted, as the program does)
  COM 1-254      the thermometer's unit address on the serial bus
  BRT 0-5        the thermometer's baud-rate index (0 9600 ... 4 115200)
  LSR 1          switch the laser on

Example:
  zemractl --serial /dev/ttyUSB0 --address 3 set EMS 0.95
)";

constexpr std::string_view kStoreDetails =
    R"(Stores the thermometer's current settings in its memory, so that they
survive a power cycle. Takes about a second.
)";

constexpr std::string_view kDiscoverDetails =
    R"(Searches the local networks for Ethernet thermometers with an ADDP broadcast on
every IPv4 adapter and lists each unit found once: IP address, MAC address,
subnet mask, gateway and whether its address is static or given by DHCP.

Options:
  --json                    a JSON array instead of one line per unit
  --adapter ADDRESS/MASK    search on this adapter only (repeatable), for
                            example --adapter 127.0.0.1/255.0.0.0
)";

constexpr std::string_view kSetIpDetails =
    R"(Searches the local networks (as "discover" does), finds the unit whose MAC
address is MAC, gives it the new IP address, subnet mask and gateway and
restarts it. MAC is written as six hexadecimal byte pairs separated by colons,
the addresses as dotted quads. A MAC that no unit answers with is an error.

Options:
  --adapter ADDRESS/MASK    search on this adapter only (repeatable)

Example:
  zemractl set-ip 00:0A:B0:01:02:03 192.168.1.41 255.255.255.0 192.168.1.1
)";

constexpr std::string_view kHelpDetails = R"(Shows the overview, or the help of COMMAND.
)";

constexpr CommandSpec kCommands[] = {
    {"identify", "", "identity, serial number, kind, range and unit", 0, 0, kOptionJson,
     CommandTarget::kThermometer, kIdentifyDetails},
    {"read-config", "[FILE]", "read the whole configuration as a .zcf file", 0, 1, kOptionNone,
     CommandTarget::kThermometer, kReadConfigDetails},
    {"write-config", "FILE", "write a .zcf file's configuration and store it", 1, 1, kOptionVerify,
     CommandTarget::kThermometer, kWriteConfigDetails},
    {"diff", "FILE", "compare the thermometer with a .zcf file", 1, 1, kOptionNone,
     CommandTarget::kThermometer, kDiffDetails},
    {"monitor", "", "poll the live readings, one line per poll", 0, 0,
     kOptionCount | kOptionCsv | kOptionJson, CommandTarget::kThermometer, kMonitorDetails},
    {"get", "MNEMONIC", "read one parameter", 1, 1, kOptionJson, CommandTarget::kThermometer,
     kGetDetails},
    {"set", "MNEMONIC VALUE", "set one parameter", 2, 2, kOptionNone, CommandTarget::kThermometer,
     kSetDetails},
    {"store", "", "store the settings in the thermometer's memory", 0, 0, kOptionNone,
     CommandTarget::kThermometer, kStoreDetails},
    {"discover", "", "find Ethernet thermometers on the local networks", 0, 0, kOptionJson,
     CommandTarget::kNetwork, kDiscoverDetails},
    {"set-ip", "MAC IP MASK GATEWAY", "change a found unit's IP settings", 4, 4, kOptionNone,
     CommandTarget::kNetwork, kSetIpDetails},
    {"help", "[COMMAND]", "show this overview or a command's help", 0, 1, kOptionNone,
     CommandTarget::kNone, kHelpDetails},
};

}  // namespace

std::span<const CommandSpec> Commands() {
  return kCommands;
}

const CommandSpec* FindCommand(std::string_view name) {
  for (const CommandSpec& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace zemra::cli
