#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/Output.h"
#include "lang/StringTable.h"

namespace zemra::cli {

namespace {

// A read's outputs start at these, so that a reply without a number, which leaves the output
// as it was, is told apart from a value.
constexpr double kNoDouble = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kNoInt = std::numeric_limits<std::int32_t>::min();

struct Value {
  enum class Kind { kNumber, kInteger, kFlags, kBool, kText, kLines };
  Kind kind = Kind::kInteger;
  double number = kNoDouble;
  std::int32_t integer = kNoInt;
  std::uint32_t flags = 0;
  bool truth = false;
  std::string text;

  bool Missing() const {
    return (kind == Kind::kNumber && std::isnan(number)) ||
           (kind == Kind::kInteger && integer == kNoInt);
  }
};

using Read = std::function<int(CQRVSerialPort&, Value&)>;

Read Number(int (CQRVSerialPort::*read)(double&)) {
  return [read](CQRVSerialPort& link, Value& v) {
    v.kind = Value::Kind::kNumber;
    return (link.*read)(v.number);
  };
}
Read Integer(int (CQRVSerialPort::*read)(std::int32_t&)) {
  return [read](CQRVSerialPort& link, Value& v) {
    v.kind = Value::Kind::kInteger;
    return (link.*read)(v.integer);
  };
}
Read Alarm(int (CQRVSerialPort::*read)(int, std::int32_t&), int alarm) {
  return [read, alarm](CQRVSerialPort& link, Value& v) {
    v.kind = Value::Kind::kInteger;
    return (link.*read)(alarm, v.integer);
  };
}
Read Truth(int (CQRVSerialPort::*read)(bool&)) {
  return [read](CQRVSerialPort& link, Value& v) {
    v.kind = Value::Kind::kBool;
    return (link.*read)(v.truth);
  };
}
Read Text(int (CQRVSerialPort::*read)(std::string&), Value::Kind kind) {
  return [read, kind](CQRVSerialPort& link, Value& v) {
    v.kind = kind;
    return (link.*read)(v.text);
  };
}

struct Getter {
  std::string_view mnemonic;
  Read read;
};

const std::vector<Getter>& Getters() {
  using L = CQRVSerialPort;
  static const std::vector<Getter> getters = {
      {"EMS", Number(&L::ReadEMS)},
      {"NGR", Number(&L::ReadNGR)},
      {"ANC", Integer(&L::ReadANC)},
      {"LBL", Text(&L::ReadLBL, Value::Kind::kText)},
      {"TFN", Integer(&L::ReadTFN)},
      {"AVR", Integer(&L::ReadAVR)},
      {"PPM", Integer(&L::ReadPPM)},
      {"PPT", Integer(&L::ReadPPT)},
      {"PPD", Integer(&L::ReadPPD)},
      {"PON", Number(&L::ReadPON)},
      {"POF", Number(&L::ReadPOF)},
      {"A1L", Alarm(&L::ReadAlarmLevel, 1)},
      {"A2L", Alarm(&L::ReadAlarmLevel, 2)},
      {"A1M", Alarm(&L::ReadAlarmMode, 1)},
      {"A2M", Alarm(&L::ReadAlarmMode, 2)},
      {"A1C", Alarm(&L::ReadAlarmContact, 1)},
      {"A2C", Alarm(&L::ReadAlarmContact, 2)},
      {"OMX", Integer(&L::ReadOMX)},
      {"OMN", Integer(&L::ReadOMN)},
      {"OPT", Integer(&L::ReadOPT)},
      {"ODM", Integer(&L::ReadODM)},
      {"UAP", Integer(&L::ReadUAP)},
      {"COM", Integer(&L::ReadCOM)},
      {"HTP", Number(&L::ReadHTP)},
      {"IAC", Integer(&L::ReadIAC)},
      {"FLG",
       [](CQRVSerialPort& link, Value& v) {
         v.kind = Value::Kind::kFlags;
         return link.ReadFLG(v.flags);
       }},
      {"LSR", Truth(&L::ReadLSR)},
      {"LPF", Truth(&L::ReadLPF)},
      {"TSN", Integer(&L::ReadTSN)},
      {"IFO 0", Text(&L::ReadIFO0, Value::Kind::kLines)},
      {"IFO 1", Text(&L::ReadInformationText, Value::Kind::kLines)},
  };
  return getters;
}

// Mnemonics in any case; the information texts also as IFO0 and IFO1.
std::string Canonical(std::string mnemonic) {
  std::transform(mnemonic.begin(), mnemonic.end(), mnemonic.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (mnemonic == "IFO0") return "IFO 0";
  if (mnemonic == "IFO1") return "IFO 1";
  return mnemonic;
}

std::string Hex(std::uint32_t flags) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(flags));
  return text;
}

std::string PlainValue(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kNumber:
      return FormatNumber(v.number);
    case Value::Kind::kInteger:
      return std::to_string(v.integer);
    case Value::Kind::kFlags:
      return Hex(v.flags);
    case Value::Kind::kBool:
      return v.truth ? "1" : "0";
    case Value::Kind::kText:
      return DisplayText(v.text);
    case Value::Kind::kLines:
      return DisplayLines(v.text);
  }
  return {};
}

std::string JsonValue(const std::string& mnemonic, const Value& v) {
  JsonObject object;
  object.Text("mnemonic", mnemonic);
  switch (v.kind) {
    case Value::Kind::kNumber:
      return object.Number("value", v.number).Str();
    case Value::Kind::kInteger:
      return object.Integer("value", v.integer).Str();
    case Value::Kind::kFlags:
      return object.Integer("value", v.flags).Text("hex", Hex(v.flags)).Str();
    case Value::Kind::kBool:
      return object.Bool("value", v.truth).Str();
    case Value::Kind::kText:
    case Value::Kind::kLines:
      return object.Text("value", v.text).Str();
  }
  return object.Str();
}

}  // namespace

int RunGet(const Invocation& inv, Session& session, CommandIo& io) {
  const std::string mnemonic = Canonical(inv.operands.front());
  const auto& getters = Getters();
  const auto getter = std::find_if(getters.begin(), getters.end(),
                                   [&](const Getter& g) { return g.mnemonic == mnemonic; });
  if (getter == getters.end()) {
    return Report(
        io, kExitUsage,
        "get: unknown mnemonic \"" + inv.operands.front() + "\"; see \"zemractl get --help\"");
  }
  if (const int opened = session.Open(io); opened != kExitOk) return opened;
  Value value;
  if (const int result = getter->read(session.Link(), value); result != kLinkOk) {
    return session.Fail(io, result);
  }
  if (value.Missing()) {
    return Report(io, kExitNoThermometer,
                  "The thermometer's reply to " + mnemonic + " held no value.");
  }
  io.out << (inv.json ? JsonValue(mnemonic, value) : PlainValue(value)) << '\n';
  return kExitOk;
}

int RunStore(const Invocation&, Session& session, CommandIo& io) {
  if (const int opened = session.Open(io); opened != kExitOk) return opened;
  const int result = session.Link().StoreToMemory();
  return result == kLinkOk ? kExitOk : session.Fail(io, result);
}

}  // namespace zemra::cli
