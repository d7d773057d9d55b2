// The live poll: every poll period the temperature, the internal temperature and the status
// flags; every eleventh poll the full poll with label, signal processing and output span. And
// the one report of a failed link operation.
#include <QLineEdit>
#include <QRadioButton>

#include "lang/StringTable.h"
#include "link/Information.h"
#include "ui/CDecimalSpinCtrl.h"
#include "ui/CQorvelControllerDlg.h"
#include "ui/Latin1.h"
#include "ui/Prompts.h"
#include "ui/SpinStepping.h"

namespace zemra {
namespace {

constexpr std::uint32_t kUnderRangeFlag = 0x10;
constexpr std::uint32_t kOverRangeFlag = 0x20;
constexpr int kQuickPollsPerFullPoll = 10;
constexpr int kMsgOutputSpan = 200;
constexpr int kMsgValueRange = 80;

const char* ProcessingName(std::int32_t timeFunction) {
  switch (timeFunction) {
    case 0:
      return "None";
    case 1:
      return "Averager";
    case 2:
      return "Peak Picker";
    case 3:
      return "Track Hold";
    default:
      return "";
  }
}

}  // namespace

void CQorvelControllerDlg::PollThermometer() {
  // Killed first, so a message shown below cannot start a second poll.
  StopPollTimer();
  std::uint32_t flags = m_statusFlags;
  const int code = m_pollCycle < kQuickPollsPerFullPoll ? QuickPoll(flags) : FullPoll(flags);
  if (!HandleLinkResult(code)) return;
  m_statusFlags = flags;
  m_underRange = (flags & kUnderRangeFlag) != 0;
  m_overRange = (flags & kOverRangeFlag) != 0;
  bool laserOn = false;
  if (m_link->ReadLSR(laserOn) == kLinkOk) {
    if (QWidget* button = Control(1115)) button->setEnabled(!laserOn);
  }
  std::int32_t internal = 0;
  if (m_link->ReadIAC(internal) == kLinkOk) m_lampInternalTemperature = internal;
  // The indicator lamps join here with the live display.
  StartPollTimer(m_pollPeriod);
}

int CQorvelControllerDlg::QuickPoll(std::uint32_t& flags) {
  if (int code = m_link->ReadHTP(m_temperature)) return code;
  if (int code = m_link->ReadIAC(m_internalTemperature)) return code;
  std::int32_t emissivityControl = 0;
  if (int code = m_link->ReadANC(emissivityControl)) return code;
  if (emissivityControl == 1) {
    if (int code = RefreshLiveEmissivity()) return code;
  }
  if (int code = m_link->ReadFLG(flags)) return code;
  ++m_pollCycle;
  return kLinkOk;
}

int CQorvelControllerDlg::RefreshLiveEmissivity() {
  // With the emissivity on an analogue input the panel shows what the thermometer uses now.
  auto* analogue = Control<QRadioButton>(1087);
  if (!analogue || !analogue->isChecked()) return kLinkOk;
  std::string text;
  if (int code = m_link->ReadInformationText(text)) return code;
  const Thermometer thermometer = ParseInformation(text);
  double value = 0.0;
  if (thermometer.typeClass == kTypeSingleWavelength) {
    if (int code = m_link->ReadEMS(value)) return code;
  } else if (thermometer.typeClass == kTypeRatio) {
    if (int code = m_link->ReadNGR(value)) return code;
  } else {
    return kLinkOk;
  }
  if (auto* edit = Control<QLineEdit>(1088))
    edit->setText(QString::fromStdString(FormatFixed(value, 3)));
  if (auto* spin = Control<CDecimalSpinCtrl>(1089)) spin->SetValue(value);
  return kLinkOk;
}

int CQorvelControllerDlg::FullPoll(std::uint32_t& flags) {
  std::string information, label;
  std::int32_t timeFunction = -1;
  OutputData output;
  if (int code = m_link->Poll(information, label, timeFunction, output, flags, m_temperature,
                              m_internalTemperature))
    return code;
  m_labelStatus = ModuleString(6) + QStringLiteral(": ") + FromLatin1(label);
  // Loading the members into the panel joins here with the panel's data exchange.
  m_processingStatus =
      ModuleString(7) + QStringLiteral(": ") + QString::fromLatin1(ProcessingName(timeFunction));
  const Thermometer thermometer = ParseInformation(information);
  m_rangeLow = thermometer.rangeLow;
  m_rangeHigh = thermometer.rangeHigh;
  m_unitText = thermometer.fahrenheit == 0 ? "\xB0"
                                             "C"
                                           : "\xB0"
                                             "F";
  m_outputLow = output.omn;
  m_outputHigh = output.omx;
  m_output4to20 = output.opt;
  m_pollCycle = 0;
  return kLinkOk;
}

bool CQorvelControllerDlg::HandleLinkResult(int code) {
  if (code == kLinkOk) return true;
  ShowLinkError(code);
  if (code == kLinkIoFailed || code == kLinkNoReply) {
    Disconnect();
  } else {
    StartPollTimer(m_pollPeriod);
  }
  return false;
}

void CQorvelControllerDlg::ShowLinkError(int code) {
  // A unit that stops answering is no error to report: the connection is simply dropped.
  if (code == kLinkNoReply) return;
  const int message = m_link->LastErrorMessage();
  QString text = ModuleString(message);
  if (code == kLinkIoFailed) {
    text += QLatin1Char('\n') + FromLatin1(m_link->SystemErrorText());
  } else if (code == kLinkOutOfRange) {
    const std::string format = ToLatin1(text);
    std::string filled;
    if (message == kMsgOutputSpan) {
      filled = FillPlaceholders(format, {std::to_string(m_minOutputSpan)});
    } else if (message == kMsgValueRange) {
      filled = FillPlaceholders(format, {"0", std::to_string(m_limitHigh)});
    } else {
      filled = FillPlaceholders(format, {std::to_string(m_limitLow), std::to_string(m_limitHigh)});
    }
    text = FromLatin1(filled);
  } else {
    text += QLatin1Char('\n') + ModuleString(m_link->ReplyErrorMessage());
  }
  m_prompts.Message(this, text, ModuleString(1), PromptIcon::kExclamation);
}

void CQorvelControllerDlg::RedrawLiveViews() {
  // The bar's labels straddle its edges: the area around it is redrawn too.
  if (QWidget* bar = Control(1065); bar && bar->parentWidget())
    bar->parentWidget()->update(bar->geometry().adjusted(-15, -5, 15, 5));
  if (QWidget* gauge = Control(1070)) gauge->update();
}

}  // namespace zemra
