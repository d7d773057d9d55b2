#include <cstdint>

#include "link/CQRVSerialPort.h"
#include "link/Information.h"
#include "link/Scans.h"

namespace zemra {

struct CQRVSerialPort::ConfigurationValues {
  std::string label;
  std::int32_t unit;
  double emissivity;
  std::int32_t emissivityControl;
  double nonGreyness;
  TimeFuncData timeFunction;
  AlarmLevel alarmLevel;
  AlarmMode alarmMode;
  AlarmContacts alarmContacts;
  OutputData output;
  std::int32_t userCalibration;
  std::int32_t driveMode;
};

namespace {

// Written so that a NaN is outside every range.
bool WithinReal(double value, double low, double high) {
  return value >= low && value <= high;
}

// Integer limits compared in 64 bits: the range comes from the unit and may sit at the edge of
// 32 bits, where OMN + 90 would overflow.
bool WithinInt(std::int64_t value, std::int64_t low, std::int64_t high) {
  return value >= low && value <= high;
}

// The unit needs this pause after the analogue output settings before it takes the label.
constexpr std::uint32_t kBeforeLabelWait = 100;

}  // namespace

std::uint32_t CQRVSerialPort::WriteGap() const {
  return m_ethernet ? 20 : 50;
}

int CQRVSerialPort::SendSetting(const std::string& mnemonic, std::int32_t value, int message) {
  const int result = SendSet(mnemonic, value, message);
  if (result == kLinkOk) Wait(WriteGap());
  return result;
}

int CQRVSerialPort::WriteConfiguration(const std::string& label, std::int32_t unit,
                                       double emissivity, std::int32_t emissivityControl,
                                       double nonGreyness, TimeFuncData timeFuncData,
                                       const AlarmLevel& alarmLevel, const AlarmMode& alarmMode,
                                       const AlarmContacts& alarmContacts, OutputData outputData,
                                       std::int32_t userCalibration, std::int32_t driveMode) {
  // Shields ReadConfiguration and Poll for as long as this runs, whichever way it returns.
  struct BusyScope {
    bool& busy;
    explicit BusyScope(bool& flag) : busy(flag) { busy = true; }
    ~BusyScope() { busy = false; }
  } busyScope(m_busy);

  std::string information;
  const int read = ReadInformationText(information);
  Wait(WriteGap());
  if (read != kLinkOk) return read;
  const Thermometer record = ParseInformation(information);
  Wait(WriteGap());

  const ConfigurationValues values{
      LabelForFrame(label), unit,         emissivity,      emissivityControl,
      nonGreyness,          timeFuncData, alarmLevel,      alarmMode,
      alarmContacts,        outputData,   userCalibration, driveMode};
  const int checked = CheckRanges(values, record);
  if (checked != kLinkOk) return checked;
  return SendConfiguration(values, record.typeClass);
}

// Every value is checked before the first frame goes out, so that a refused configuration
// leaves the thermometer exactly as it was.
int CQRVSerialPort::CheckRanges(const ConfigurationValues& v, const Thermometer& record) {
  const std::int64_t low = record.rangeLow;
  const std::int64_t high = record.rangeHigh;
  const TimeFuncData& tf = v.timeFunction;
  const int typeClass = record.typeClass;
  if (typeClass == kTypeSingleWavelength && v.emissivityControl == 0 &&
      !WithinReal(v.emissivity, 0.1, 1.0)) {
    return Fail(kLinkOutOfRange, 90);
  }
  if (typeClass == kTypeRatio && !WithinReal(v.nonGreyness, 0.8, 1.25)) {
    return Fail(kLinkOutOfRange, 95);
  }
  if (!WithinInt(tf.tfn, 0, 3)) return Fail(kLinkOutOfRange, 100);
  if (tf.tfn == 1 && !WithinInt(tf.avr, 0, 16)) return Fail(kLinkOutOfRange, 107);
  if (tf.tfn == 2) {
    if (!WithinInt(tf.ppt, low, high)) return Fail(kLinkOutOfRange, 110);
    if (!WithinInt(tf.ppd, 0, 13)) return Fail(kLinkOutOfRange, 125);
    if (!WithinReal(tf.pon, 0.0, 10.0)) return Fail(kLinkOutOfRange, 115);
    if (!WithinReal(tf.pof, 0.0, 10.0)) return Fail(kLinkOutOfRange, 120);
  }
  for (const std::int32_t level : v.alarmLevel.value) {
    if (!WithinInt(level, low, high)) return Fail(kLinkOutOfRange, 140);
  }
  for (const std::int32_t mode : v.alarmMode.value) {
    if (!WithinInt(mode, 0, 4)) return Fail(kLinkOutOfRange, 135);
  }
  if (!WithinInt(v.output.omn, low, high)) return Fail(kLinkOutOfRange, 150);
  if (!WithinInt(v.output.omx, low, high)) return Fail(kLinkOutOfRange, 155);
  const std::int64_t minimumSpan = v.unit == 0 ? 50 : 90;
  if (std::int64_t{v.output.omx} < std::int64_t{v.output.omn} + minimumSpan) {
    return Fail(kLinkOutOfRange, 200);
  }
  if (!WithinInt(v.userCalibration, 800, 1200)) return Fail(kLinkOutOfRange, 98);
  return kLinkOk;
}

int CQRVSerialPort::SendConfiguration(const ConfigurationValues& v, int typeClass) {
  int result = SendSetting("IRU", v.unit, 76);
  if (result != kLinkOk) return result;
  result = SetANC(v.emissivityControl);
  if (result != kLinkOk) return result;
  if (typeClass == kTypeRatio) {
    result = SetNGR(v.nonGreyness);
    if (result != kLinkOk) return Fail(result, 97);
  } else if (typeClass == kTypeSingleWavelength && v.emissivityControl == 0) {
    result = SendSet("EMS", ScaleToInt(v.emissivity, 1000.0), 92);
    if (result != kLinkOk) return result;
  }
  Wait(WriteGap());
  if ((result = SendTimeFunction(v.timeFunction)) != kLinkOk) return result;
  if ((result = SendAlarms(v)) != kLinkOk) return result;

  // The output span goes out twice, as the unit expects; only the second pass is examined.
  SetInt("OMX", v.output.omx);
  Wait(WriteGap());
  SetInt("OMN", v.output.omn);
  Wait(WriteGap());
  if ((result = SendSetting("OMX", v.output.omx, 157)) != kLinkOk) return result;
  if ((result = SendSetting("OMN", v.output.omn, 152)) != kLinkOk) return result;
  if ((result = SendSetting("OPT", v.output.opt, 147)) != kLinkOk) return result;

  Wait(kBeforeLabelWait);
  if ((result = SetText("LBL", v.label)) != kLinkOk) return Fail(result, 87);
  Wait(WriteGap());
  if ((result = SendSetting("ANC", v.emissivityControl, 78)) != kLinkOk) return result;
  if ((result = SendSetting("UAP", v.userCalibration, 83)) != kLinkOk) return result;
  if (typeClass == kTypeRatio) {
    if ((result = SetODM(v.driveMode)) != kLinkOk) return result;
    Wait(WriteGap());
  }
  return kLinkOk;
}

int CQRVSerialPort::SendTimeFunction(const TimeFuncData& tf) {
  // TFN goes out twice, as the unit expects; only the second result counts.
  SetInt("TFN", tf.tfn);
  Wait(WriteGap());
  int result = SendSetting("TFN", tf.tfn, 102);
  if (result != kLinkOk) return result;
  if (tf.tfn == 1) return SendSetting("AVR", tf.avr, 107);
  if (tf.tfn != 2) return kLinkOk;
  if ((result = SendSetting("PPD", tf.ppd, 127)) != kLinkOk) return result;
  if ((result = SendSetting("PON", ScaleToInt(tf.pon, 10.0), 117)) != kLinkOk) return result;
  if ((result = SendSetting("POF", ScaleToInt(tf.pof, 10.0), 122)) != kLinkOk) return result;
  if ((result = SendSetting("PPM", tf.ppm, 132)) != kLinkOk) return result;
  return SendSetting("PPT", tf.ppt, 112);
}

int CQRVSerialPort::SendAlarms(const ConfigurationValues& v) {
  for (int alarm = 1; alarm <= 2; ++alarm) {
    const int i = alarm - 1;
    const std::string number = std::to_string(alarm);
    const std::int32_t mode = v.alarmMode.value[i];
    int result = SendSetting("A" + number + "M", mode, 137);
    if (result != kLinkOk) return result;
    // Only the low and high alarms have a level.
    if (mode == 0 || mode == 1) {
      result = SendSetting("A" + number + "L", v.alarmLevel.value[i], 142);
      if (result != kLinkOk) return result;
    }
    result = SendSetting("A" + number + "C", v.alarmContacts.value[i], 77);
    if (result != kLinkOk) return result;
  }
  return kLinkOk;
}

}  // namespace zemra
