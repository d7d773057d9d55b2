#include <functional>
#include <vector>

#include "link/CQRVSerialPort.h"
#include "link/Information.h"

namespace zemra {

int CQRVSerialPort::ReadConfiguration(std::string& label, Thermometer& thermometer,
                                      double& emissivity, std::int32_t& emissivityControl,
                                      double& nonGreyness, TimeFuncData& timeFuncData,
                                      AlarmLevel& alarmLevel, AlarmMode& alarmMode,
                                      AlarmContacts& alarmContacts, OutputData& outputData,
                                      std::int32_t& userCalibration, std::int32_t& driveMode,
                                      std::int32_t& unitAddress) {
  // A configuration write is running: its frames must not be interleaved with reads.
  if (m_busy) return kLinkOk;
  std::string information;
  const int result = ReadInformationText(information);
  if (result != kLinkOk) return result;
  thermometer = ParseInformation(information);
  const int typeClass = thermometer.typeClass;

  // Each read is preceded by the gap the unit needs between two exchanges; the emissivity slot
  // keeps its gap even on a thermometer that has neither emissivity nor non-grey ratio.
  std::vector<std::function<int()>> reads = {
      [&] { return ReadLBL(label); },
      [&] {
        if (typeClass == kTypeRatio) return ReadNGR(nonGreyness);
        if (typeClass == kTypeSingleWavelength) return ReadEMS(emissivity);
        return kLinkOk;
      },
      [&] { return ReadCOM(unitAddress); },
      [&] { return ReadTFN(timeFuncData.tfn); },
      [&] { return ReadAVR(timeFuncData.avr); },
      [&] { return ReadPPM(timeFuncData.ppm); },
      [&] { return ReadPON(timeFuncData.pon); },
      [&] { return ReadPOF(timeFuncData.pof); },
      [&] { return ReadPPD(timeFuncData.ppd); },
      [&] { return ReadPPT(timeFuncData.ppt); },
  };
  for (int alarm = 1; alarm <= 2; ++alarm) {
    const int i = alarm - 1;
    reads.push_back([&, alarm, i] { return ReadAlarmLevel(alarm, alarmLevel.value[i]); });
    reads.push_back([&, alarm, i] { return ReadAlarmMode(alarm, alarmMode.value[i]); });
    reads.push_back([&, alarm, i] { return ReadAlarmContact(alarm, alarmContacts.value[i]); });
  }
  reads.push_back([&] { return ReadOMX(outputData.omx); });
  reads.push_back([&] { return ReadOMN(outputData.omn); });
  reads.push_back([&] { return ReadOPT(outputData.opt); });
  reads.push_back([&] { return ReadANC(emissivityControl); });
  reads.push_back([&] { return ReadUAP(userCalibration); });
  if (typeClass == kTypeRatio) reads.push_back([&] { return ReadODM(driveMode); });

  for (const auto& read : reads) {
    Wait(ReadGap());
    const int step = read();
    if (step != kLinkOk) return step;
  }
  Wait(ReadGap());
  return kLinkOk;
}

}  // namespace zemra
