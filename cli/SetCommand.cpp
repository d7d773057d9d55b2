#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "lang/StringTable.h"

namespace zemra::cli {

namespace {

// Range messages of the string table for the values this tool checks itself before sending:
// the link's single sets send whatever they are given.
constexpr int kMsgEmissivityRange = 90;
constexpr int kMsgNonGreyRange = 95;
constexpr int kMsgUnitAddressRange = 104;
constexpr int kMsgBaudIndexRange = 175;

// A checked value ready to send, or why it cannot be.
struct Prepared {
  std::function<int(CQRVSerialPort&)> send;
  int exit = kExitOk;
  std::string message;
};

Prepared Refuse(int exit, std::string message) {
  return {{}, exit, std::move(message)};
}

Prepared OutOfRange(int message) {
  return Refuse(kExitOutOfRange, std::string(StringText(message)));
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

Prepared Flag(const std::string& mnemonic, const std::string& text,
              int (CQRVSerialPort::*set)(std::int32_t)) {
  const auto n = ParseInteger(text);
  if (!n || (*n != 0 && *n != 1)) {
    return Refuse(kExitUsage, mnemonic + " takes 0 or 1, not " + Quoted(text));
  }
  const auto flag = static_cast<std::int32_t>(*n);
  return {[set, flag](CQRVSerialPort& link) { return (link.*set)(flag); }, kExitOk, {}};
}

Prepared Decimal(const std::string& mnemonic, const std::string& text, double low, double high,
                 int rangeMessage, int (CQRVSerialPort::*set)(double)) {
  const auto value = ParseDecimal(text);
  if (!value) return Refuse(kExitUsage, mnemonic + " takes a decimal number, not " + Quoted(text));
  if (*value < low || *value > high) return OutOfRange(rangeMessage);
  return {[set, v = *value](CQRVSerialPort& link) { return (link.*set)(v); }, kExitOk, {}};
}

Prepared Whole(const std::string& mnemonic, const std::string& text, long low, long high,
               int rangeMessage, int (CQRVSerialPort::*set)(std::int32_t)) {
  const auto n = ParseInteger(text);
  if (!n) return Refuse(kExitUsage, mnemonic + " takes a whole number, not " + Quoted(text));
  if (*n < low || *n > high) return OutOfRange(rangeMessage);
  const auto value = static_cast<std::int32_t>(*n);
  return {[set, value](CQRVSerialPort& link) { return (link.*set)(value); }, kExitOk, {}};
}

Prepared Prepare(const std::string& mnemonic, const std::string& text) {
  using L = CQRVSerialPort;
  if (mnemonic == "IRU") return Flag(mnemonic, text, &L::SetIRU);
  if (mnemonic == "ANC") return Flag(mnemonic, text, &L::SetANC);
  if (mnemonic == "ODM") return Flag(mnemonic, text, &L::SetODM);
  if (mnemonic == "EMS") return Decimal(mnemonic, text, 0.1, 1.0, kMsgEmissivityRange, &L::SetEMS);
  if (mnemonic == "NGR") return Decimal(mnemonic, text, 0.8, 1.25, kMsgNonGreyRange, &L::SetNGR);
  if (mnemonic == "COM") return Whole(mnemonic, text, 1, 254, kMsgUnitAddressRange, &L::SetCOM);
  if (mnemonic == "BRT") return Whole(mnemonic, text, 0, 5, kMsgBaudIndexRange, &L::SetBRT);
  if (mnemonic == "LSR") {
    // The thermometer takes only "laser on"; it switches the laser off by itself.
    if (text != "1") return Refuse(kExitUsage, "LSR can only be set to 1 (laser on)");
    return {[](CQRVSerialPort& link) { return link.LaserOn(); }, kExitOk, {}};
  }
  return Refuse(kExitUsage, "set: " + Quoted(mnemonic) +
                                " cannot be set on its own; settable: IRU ANC EMS NGR ODM COM "
                                "BRT LSR");
}

}  // namespace

int RunSet(const Invocation& inv, Session& session, CommandIo& io) {
  std::string mnemonic = inv.operands[0];
  std::transform(mnemonic.begin(), mnemonic.end(), mnemonic.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const Prepared prepared = Prepare(mnemonic, inv.operands[1]);
  if (!prepared.send) return Report(io, prepared.exit, prepared.message);
  if (const int opened = session.Open(io); opened != kExitOk) return opened;
  const int result = prepared.send(session.Link());
  return result == kLinkOk ? kExitOk : session.Fail(io, result);
}

}  // namespace zemra::cli
