#include "cli/LinkConfiguration.h"

namespace zemra {

int ReadLinkConfiguration(CQRVSerialPort& link, LinkConfiguration& c) {
  const int result = link.ReadConfiguration(c.label, c.thermometer, c.emissivity,
                                            c.emissivityControl, c.nonGreyness, c.timeFunction,
                                            c.alarmLevel, c.alarmMode, c.alarmContacts, c.output,
                                            c.userCalibration, c.driveMode, c.unitAddress);
  if (result == kLinkOk) c.units = c.thermometer.fahrenheit;
  return result;
}

int WriteLinkConfiguration(CQRVSerialPort& link, const LinkConfiguration& c) {
  const double field = EmissivityField(c);
  return link.WriteConfiguration(c.label, c.units, field, c.emissivityControl, field,
                                 c.timeFunction, c.alarmLevel, c.alarmMode, c.alarmContacts,
                                 c.output, c.userCalibration, c.driveMode);
}

}  // namespace zemra
