// The main window's life: construction, the template, initialisation, exit and close, the
// keys it refuses, and the dispatch and enabling of commands.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QVBoxLayout>

#include "lang/StringTable.h"
#include "res/ProgramResources.h"
#include "ui/CQorvelControllerDlg.h"
#include "ui/CommandRelay.h"
#include "ui/FormLoader.h"
#include "ui/Prompts.h"

namespace zemra {
namespace {

constexpr int kCmdOk = 1;
constexpr int kCmdCancel = 2;
constexpr int kCmdCommunicationSettings = 1093;
constexpr int kCmdExit = 1103;
constexpr int kCmdLaserOn = 1115;
constexpr int kCmdWrite = 1099;
constexpr int kCmdRead = 1102;
constexpr int kCmdNew = 57600, kCmdOpen = 57601, kCmdSave = 57603, kCmdSaveAs = 1097;

}  // namespace

CQorvelControllerDlg::CQorvelControllerDlg(WindowSetup setup)
    : QDialog(nullptr),
      m_prompts(*setup.prompts),
      m_relay(std::make_shared<CommandRelay>(this, [this](int id) { OnCommand(id); })),
      m_timers(setup.timers ? std::move(setup.timers) : MakeQtWindowTimers(this)) {
  m_link = setup.makeLink ? setup.makeLink(m_relay->MakePoster())
                          : std::make_unique<CQRVSerialPort>(m_relay->MakePoster());
  m_languageCode = kLanguageCode;
  LoadTemplate(setup.openModule);
  m_labelStatus = ModuleString(6) + QStringLiteral(": ");
  m_processingStatus = ModuleString(7) + QStringLiteral(": ");
  m_appIcon = QIcon(ProgramIconPath(kAppIcon));
  m_redLamp = QPixmap(ProgramIconPath(kRedLamp));
  m_greenLamp = QPixmap(ProgramIconPath(kGreenLamp));
  m_greyLamp = QPixmap(ProgramIconPath(kGreyLamp));
  if (setup.resolveDataFolder) m_dataFolder = setup.resolveDataFolder();
  m_timers->SetExpiry([this](int id) { OnTimer(id); });
  m_updateHandlers = {
      {kCmdCommunicationSettings, [] { return true; }},
      {kCmdExit, [] { return true; }},
      {kCmdNew, [] { return true; }},
      {kCmdOpen, [] { return true; }},
      {kCmdSave, [] { return true; }},
      {kCmdSaveAs, [] { return true; }},
      {kCmdWrite, [this] { return m_connected && !m_panelInSync; }},
      {kCmdRead, [this] { return m_connected; }},
  };
}

CQorvelControllerDlg::~CQorvelControllerDlg() {
  // Nothing may reach the window once it starts going: no late socket event, no timer.
  m_relay->Detach();
  m_timers->Kill(kPollTimer);
  m_timers->Kill(kConnectTimer);
  // The controls go before the module whose form they came from.
  delete m_formWidget;
  delete m_menu;
}

bool CQorvelControllerDlg::LoadTemplate(const ModuleOpener& openModule) {
  if (!openModule) {
    ReportNoModule(m_prompts);
    return false;
  }
  m_resourceModule = LoadLanguageModule(m_languageCode, openModule, m_prompts);
  if (!m_resourceModule) return false;
  m_template = LoadForm(m_resourceModule->Resource(QStringLiteral("dialog"), kMainForm));
  if (!m_template) {
    ReportNoModule(m_prompts);
    m_resourceModule.reset();
    return false;
  }
  return true;
}

QString CQorvelControllerDlg::ModuleString(int id) const {
  return m_resourceModule ? m_resourceModule->String(id) : QString();
}

bool CQorvelControllerDlg::Create() {
  if (m_formWidget) return true;
  if (!m_template) return false;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  setWindowTitle(m_template->windowTitle());
  m_formWidget = m_template.release();
  layout->addWidget(m_formWidget);
  return OnInitDialog();
}

int CQorvelControllerDlg::DoModal() {
  if (!Create()) return -1;
  return exec();
}

bool CQorvelControllerDlg::OnInitDialog() {
  setWindowIcon(m_appIcon);
  BuildFurniture();
  // The disconnected look of the live display (SetConnectedView) joins with that display.
  InitPanel();
  // No configuration file is loaded at start-up yet: saving goes to "ConfigFile.zcf".
  m_configFilePath = m_dataFolder + "ConfigFile.zcf";
  m_configSaved = true;
  LoadCommsSettings();
  // The unit-address field shows the address just read, so a close request that takes it
  // back from the field saves the file's value and not the construction default.
  SetUnitAddressText();
  ApplyUnitAddressAccess();
  StartConnecting();
  UpdateCommandUi();
  return true;
}

void CQorvelControllerDlg::OnExit() {
  if (!m_configSaved && !m_prompts.AskYesNo(this, ModuleString(51), ModuleString(1))) return;
  m_timers->Kill(kPollTimer);
  m_timers->Kill(kConnectTimer);
  m_pollTimerId = m_connectTimerId = 0;
  done(0);
}

void CQorvelControllerDlg::closeEvent(QCloseEvent* event) {
  // The window only goes through OnExit, which may keep it open.
  event->ignore();
  SaveCommsSettings();
  OnExit();
}

void CQorvelControllerDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void CQorvelControllerDlg::OnCommand(int id) {
  switch (id) {
    case kSocketEventCommand:
      OnSocketEvent();
      break;
    case kCmdExit:
      OnExit();
      break;
    case kCmdLaserOn:
      OnLaserOn();
      break;
    case kCmdOk:
    case kCmdCancel:
    default:
      break;
  }
  AfterEvent();
}

void CQorvelControllerDlg::OnTimer(int id) {
  if (id == kPollTimer) {
    PollThermometer();
    RedrawLiveViews();
  } else if (id == kConnectTimer) {
    OnConnectTimer();
  }
  AfterEvent();
}

void CQorvelControllerDlg::AfterEvent() {
  UpdateCommandUi();
}

bool CQorvelControllerDlg::IsCommandEnabled(int id) const {
  auto it = m_updateHandlers.find(id);
  if (it != m_updateHandlers.end()) return it->second();
  auto action = m_commandActions.find(id);
  return action == m_commandActions.end() || action->second->isEnabled();
}

void CQorvelControllerDlg::UpdateCommandUi() {
  // Menu items and toolbar buttons share one action per command, so both follow the rules.
  for (const auto& [id, action] : m_commandActions) {
    auto handler = m_updateHandlers.find(id);
    if (handler != m_updateHandlers.end()) action->setEnabled(handler->second());
  }
}

}  // namespace zemra
