#pragma once

#include "cli/ConfigMapping.h"
#include "link/CQRVSerialPort.h"

namespace zemra {

// ReadConfiguration into the one record. On success the unit is the record's Fahrenheit flag,
// as the window takes it after a read.
int ReadLinkConfiguration(CQRVSerialPort& link, LinkConfiguration& config);

// WriteConfiguration of the record, the emissivity field sent as both the emissivity and the
// non-grey ratio, as the window sends its one field.
int WriteLinkConfiguration(CQRVSerialPort& link, const LinkConfiguration& config);

}  // namespace zemra
