#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "files/CommsSettings.h"
#include "files/FileError.h"
#include "link/CQRVSerialPort.h"
#include "ui/LanguageModule.h"
#include "ui/MenuResource.h"
#include "ui/ModuleLoading.h"
#include "ui/WindowTimers.h"

class QAction;
class QMenuBar;
class QToolBar;

namespace zemra {

class CommandRelay;
class Prompts;

// What the window is built with: the prompts, where the language module is found, how the data
// folder is resolved, and (for tests) the link and the timers.
struct WindowSetup {
  Prompts* prompts = nullptr;  // not owned; outlives the window
  ModuleOpener openModule;
  std::function<std::string()> resolveDataFolder;
  // Makes the instrument link with the poster for its Ethernet client. Empty: the production
  // link on the system's serial ports.
  std::function<std::unique_ptr<CQRVSerialPort>(EventPoster)> makeLink;
  // Empty: QTimer based.
  std::unique_ptr<WindowTimers> timers;
};

// Command, timer and control IDs the window uses by number.
inline constexpr int kPollTimer = 1;
inline constexpr int kConnectTimer = 2;
inline constexpr int kMainForm = 1008;
inline constexpr int kMainMenu = 192;

// The main window: the whole user interface and the owner of all run-time state. Built from
// form 1008 of the language module; run modally by the application.
class CQorvelControllerDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CQorvelControllerDlg(WindowSetup setup);
  ~CQorvelControllerDlg() override;

  // True when the language module loaded and its form could be built.
  bool HasTemplate() const { return m_template || m_formWidget; }
  // Builds the window from its form and initialises it, without running it. False without a
  // template.
  bool Create();
  // Create, then the modal run; -1 at once without a template.
  int DoModal();

  // --- Life cycle (WindowLifeCycle.cpp) ---
  bool OnInitDialog();
  void OnExit();
  // Runs the command `id` as a menu item, toolbar button or posted command would.
  void OnCommand(int id);
  bool IsCommandEnabled(int id) const;
  void UpdateCommandUi();

  // --- Connection (WindowConnection.cpp) ---
  void StartConnecting();
  void CompleteConnection(int openResult);
  void Disconnect();
  void OnSocketEvent();
  void OnLaserOn();

  // --- Live poll (WindowLivePoll.cpp) ---
  void PollThermometer();
  void ShowLinkError(int code);

  // --- Panel (WindowPanel.cpp) ---
  void MarkPanelEdited();
  void ShowAveragerControls(bool show);
  void ShowPeakPickerControls(bool show);

  // --- Settings file (WindowSettings.cpp) ---
  bool LoadCommsSettings();
  bool SaveCommsSettings();

  // The control with numeric ID `id` on the form, or null.
  template <class T = QWidget>
  T* Control(int id) const {
    QWidget* form = m_formWidget ? m_formWidget : m_template.get();
    return form ? form->findChild<T*>(QString::number(id)) : nullptr;
  }

  const std::string& DataFolder() const { return m_dataFolder; }
  const CommsSettings& Comms() const { return m_comms; }
  CQRVSerialPort& Link() { return *m_link; }
  bool IsConnected() const { return m_connected; }
  bool IsConnecting() const { return m_connecting; }
  bool IsPanelInSync() const { return m_panelInSync; }
  bool IsConfigSaved() const { return m_configSaved; }
  int PollCycle() const { return m_pollCycle; }
  const LanguageModule* Module() const { return m_resourceModule.get(); }
  QString ModuleString(int id) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 public slots:
  // OK and Cancel (Enter and Escape) do nothing: the window cannot be dismissed by them.
  void accept() override {}
  void reject() override {}

 private:
  // Life cycle
  bool LoadTemplate(const ModuleOpener& openModule);
  void BuildFurniture();
  void BuildMenu();
  void BuildToolbar(const ToolbarResource& resource);
  void ShowPictures();
  void FillAlarmModes();
  void SetControlTexts();
  QAction* CommandAction(int id, const QString& text);
  void OnTimer(int id);
  void AfterEvent();

  // Connection
  void OnConnectTimer();
  void StopConnectTimer();
  void StartPollTimer(int periodMs);
  void StopPollTimer();

  // Live poll
  int QuickPoll(std::uint32_t& flags);
  int FullPoll(std::uint32_t& flags);
  int RefreshLiveEmissivity();
  bool HandleLinkResult(int code);
  void RedrawLiveViews();

  // Panel
  void InitPanel();
  void SetUnitAddressText();
  void ApplyUnitAddressAccess();
  void SetText(int id, const QString& text);

  // Settings file
  bool TakeUnitAddressFromPanel();
  void ShowFileError(const FileError& error);
  void ShowFormatError();

  // Resources, held for the window's whole life
  Prompts& m_prompts;
  std::shared_ptr<CommandRelay> m_relay;
  std::unique_ptr<WindowTimers> m_timers;
  std::uint16_t m_languageCode = 0;
  std::unique_ptr<LanguageModule> m_resourceModule;
  std::unique_ptr<QWidget> m_template;  // the form, until Create makes it the window's content
  QWidget* m_formWidget = nullptr;      // the form, a child of the window after Create
  std::string m_dataFolder;
  QIcon m_appIcon;
  QPixmap m_redLamp, m_greenLamp, m_greyLamp;
  QMenuBar* m_menu = nullptr;
  QToolBar* m_toolbar = nullptr;
  QPixmap m_toolbarImage;
  QPixmap m_picture193, m_picture1062;
  std::map<int, QAction*> m_commandActions;
  std::map<int, std::function<bool()>> m_updateHandlers;

  // Communication settings and the instrument link
  CommsSettings m_comms;
  std::unique_ptr<CQRVSerialPort> m_link;

  // Connection state
  bool m_connected = false;
  bool m_connecting = false;
  int m_connectTimerId = 0;
  int m_connectDelay = 2000;
  int m_pollTimerId = 0;
  int m_pollPeriod = 2000;
  int m_pollCycle = 20;

  // Document state
  std::string m_configFilePath;
  bool m_configSaved = false;
  bool m_panelInSync = true;

  // Limits the range messages are completed with
  std::int32_t m_limitLow = 0;
  std::int32_t m_limitHigh = 0;
  std::int32_t m_minOutputSpan = 50;

  // Live readings
  double m_temperature = 0.0;
  std::int32_t m_internalTemperature = 0;
  std::int32_t m_lampInternalTemperature = 0;  // the poll's second internal reading
  std::int32_t m_rangeLow = 0, m_rangeHigh = 500;
  std::int32_t m_outputLow = 100, m_outputHigh = 400;
  std::int32_t m_output4to20 = 0;
  std::int32_t m_gaugeLow = 0, m_gaugeHigh = 125;
  std::int32_t m_internalAlarmLevel = 70;
  std::uint32_t m_statusFlags = 0;
  bool m_underRange = false, m_overRange = false;
  std::string m_unitText;
  QString m_labelStatus, m_processingStatus;
};

}  // namespace zemra
