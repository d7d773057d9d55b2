// The connection life cycle: an attempt every connect period until a thermometer answers and is
// identified, polling while it stays, and a new attempt after every loss.
#include <QAbstractButton>
#include <limits>

#include "ui/CQorvelControllerDlg.h"
#include "ui/Latin1.h"

namespace zemra {

void CQorvelControllerDlg::StartConnecting() {
  StopConnectTimer();
  m_connecting = true;
  m_timers->Start(kConnectTimer, m_connectDelay);
  m_connectTimerId = kConnectTimer;
}

void CQorvelControllerDlg::StopConnectTimer() {
  m_timers->Kill(kConnectTimer);
  m_connectTimerId = 0;
}

void CQorvelControllerDlg::StartPollTimer(int periodMs) {
  m_timers->Start(kPollTimer, periodMs);
  m_pollTimerId = kPollTimer;
}

void CQorvelControllerDlg::StopPollTimer() {
  m_timers->Kill(kPollTimer);
  m_pollTimerId = 0;
}

void CQorvelControllerDlg::OnConnectTimer() {
  StopConnectTimer();
  // A port number the line cannot have (a hand-edited file) opens no port rather than another.
  const std::int32_t port = m_comms.SerialPort;
  const auto portNumber = port >= 0 && port <= std::numeric_limits<std::uint16_t>::max() ? port : 0;
  const int result = m_link->Open(static_cast<std::uint16_t>(portNumber), m_comms.SerialAddress,
                                  m_comms.SerialBaudRate, m_comms.UseTcpMode, m_comms.IpAddress);
  // Over Ethernet the outcome arrives later as a socket event.
  if (!m_comms.UseTcpMode) CompleteConnection(result);
}

void CQorvelControllerDlg::OnSocketEvent() {
  if (!m_comms.UseTcpMode) return;
  CLWSocket* client = m_link->EthernetClient();
  if (!client) return;
  const int event = client->TakeEvent();
  if (event == kEventConnected) {
    CompleteConnection(0);
  } else if (event == kEventConnectFailed) {
    Disconnect();
  }
}

void CQorvelControllerDlg::CompleteConnection(int openResult) {
  StopConnectTimer();
  if (openResult != 0) {
    m_timers->Start(kConnectTimer, m_connectDelay);
    m_connectTimerId = kConnectTimer;
    return;
  }
  std::string identity;
  if (m_link->ReadIdentityLine(identity) != kLinkOk) {
    Disconnect();  // which schedules the next attempt
    return;
  }
  SetText(1117, FromLatin1(identity));
  std::int32_t serialNumber = 0;
  if (m_link->ReadTSN(serialNumber) != kLinkOk) {
    Disconnect();
    return;
  }
  SetText(2111, QString::number(serialNumber));
  if (m_panelInSync) SetUnitAddressText();
  m_connected = true;
  m_panelInSync = true;
  m_connecting = false;
  // Reading the configuration into the panel, the connected look, "Recall.zcf" and
  // "Config.zcf" join here with the read command and the configuration files.
  update();
  StartPollTimer(2000);
}

void CQorvelControllerDlg::Disconnect() {
  StopPollTimer();
  m_connected = false;
  m_link->Close();
  for (int id : {1117, 2111, 2112}) SetText(id, QString());
  StartConnecting();
  // The first poll after the next connection is a full poll.
  m_pollCycle = 10;
}

void CQorvelControllerDlg::OnLaserOn() {
  m_link->LaserOn();
  // The live poll enables the button again once the thermometer reports the laser off.
  if (QWidget* button = Control(1115)) button->setEnabled(false);
}

}  // namespace zemra
