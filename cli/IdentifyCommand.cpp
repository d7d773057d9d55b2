#include <string>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/Output.h"

namespace zemra::cli {

namespace {

struct Identity {
  std::string line;
  std::int32_t serialNumber = 0;
  Thermometer record;
};

std::string KindName(std::int32_t typeClass) {
  if (typeClass == kTypeSingleWavelength) return "single-wavelength";
  if (typeClass == kTypeRatio) return "ratio";
  return "neither";
}

std::string UnitName(const Thermometer& record) {
  return record.fahrenheit ? "Fahrenheit" : "Celsius";
}

void PrintText(const Identity& id, std::ostream& out) {
  const Thermometer& r = id.record;
  out << "Identity:       " << DisplayText(id.line) << '\n'
      << "Serial number:  " << id.serialNumber << '\n'
      << "Type number:    " << r.typeNumber << '\n'
      << "Kind:           " << KindName(r.typeClass) << '\n'
      << "Range:          " << r.rangeLow << " to " << r.rangeHigh << '\n'
      << "Unit:           " << UnitName(r) << '\n'
      << "Laser fitted:   " << (r.laserFitted ? "yes" : "no") << '\n';
}

void PrintJson(const Identity& id, std::ostream& out) {
  const Thermometer& r = id.record;
  out << JsonObject()
             .Text("identity", id.line)
             .Integer("serialNumber", id.serialNumber)
             .Integer("typeNumber", r.typeNumber)
             .Text("kind", KindName(r.typeClass))
             .Integer("rangeLow", r.rangeLow)
             .Integer("rangeHigh", r.rangeHigh)
             .Text("unit", UnitName(r))
             .Bool("laserFitted", r.laserFitted != 0)
             .Str()
      << '\n';
}

}  // namespace

int RunIdentify(const Invocation& inv, Session& session, CommandIo& io) {
  if (const int opened = session.Open(io); opened != kExitOk) return opened;
  CQRVSerialPort& link = session.Link();
  Identity id;
  // The reads the window makes when it has connected, then the information record.
  int result = link.ReadIdentityLine(id.line);
  if (result == kLinkOk) result = link.ReadTSN(id.serialNumber);
  if (result == kLinkOk) result = link.ReadInformation(id.record);
  if (result != kLinkOk) return session.Fail(io, result);
  inv.json ? PrintJson(id, io.out) : PrintText(id, io.out);
  return kExitOk;
}

}  // namespace zemra::cli
