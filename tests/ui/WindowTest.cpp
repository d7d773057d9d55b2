#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <set>

#include "WindowRig.h"
#include "files/CommsSettingsFile.h"
#include "ui/CDecimalSpinCtrl.h"
#include "ui/CListSpinCtrl.h"

namespace zemra {
namespace {

// Every control the window's parts name, by ID.
const int kControls[] = {
    193,  1001, 1002, 1003, 1004, 1005, 1006, 1007, 1009, 1014, 1015, 1017, 1018, 1019, 1020, 1021,
    1022, 1027, 1030, 1032, 1033, 1034, 1035, 1036, 1038, 1040, 1041, 1042, 1043, 1044, 1045, 1047,
    1048, 1050, 1051, 1053, 1054, 1055, 1056, 1057, 1058, 1060, 1062, 1063, 1064, 1065, 1066, 1067,
    1068, 1070, 1072, 1073, 1074, 1075, 1076, 1079, 1082, 1083, 1084, 1085, 1086, 1087, 1088, 1089,
    1090, 1091, 1092, 1094, 1095, 1096, 1098, 1104, 1106, 1108, 1111, 1113, 1115, 1117, 1118, 1119,
    1120, 1121, 1122, 1123, 1124, 1125, 1126, 1127, 1128, 1129, 1130, 1131, 2111, 2112, 2114, 2115};

const std::pair<int, int> kControlTexts[] = {
    {1001, 18}, {1002, 19}, {1003, 20}, {1004, 14}, {1005, 15}, {1006, 16}, {1007, 17}, {1014, 47},
    {1018, 21}, {1019, 22}, {1021, 23}, {1022, 2},  {1027, 40}, {1030, 41}, {1033, 5},  {1034, 26},
    {1038, 7},  {1040, 8},  {1041, 24}, {1042, 25}, {1044, 39}, {1074, 6},  {1075, 27}, {1076, 28},
    {1079, 23}, {1083, 43}, {1084, 42}, {1094, 58}, {1118, 12}, {1119, 47}, {1120, 39}, {1121, 49},
    {1122, 48}, {1123, 72}, {1124, 55}, {1125, 56}, {1126, 57}, {1127, 55}, {1128, 56}, {1129, 57},
    {2114, 73}, {2115, 74}, {1082, 191}};

QString TextOf(QWidget* control) {
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(control)) return group->title();
  return {};
}

std::string SettingsText(const CommsSettings& s) {
  return ComposeCommsSettings(s);
}

class MainWindow : public ::testing::Test {
 protected:
  WindowRig rig;
  CQorvelControllerDlg& w() { return *rig.window; }
};

TEST_F(MainWindow, comesUpFromForm1008WithItsFurniture) {
  rig.Build();
  EXPECT_EQ(w().windowTitle(), "ZEMRAnet");
  for (int id : kControls) EXPECT_NE(w().Control(id), nullptr) << "control " << id;
  for (const auto& [control, string] : kControlTexts)
    EXPECT_EQ(TextOf(w().Control(control)), w().ModuleString(string)) << "control " << control;

  for (int id : {1130, 1131}) {
    auto* combo = w().Control<QComboBox>(id);
    ASSERT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->itemText(0), "Low Alarm");
    EXPECT_EQ(combo->itemText(4), "Obscuration Alarm");
  }
  // Averager, peak picker and the ratio-only controls start hidden, spins with their buddies.
  for (int id : {1001, 1055, 1072, 1002, 1003, 1018, 1019, 1021, 1056, 1043, 1063, 1064, 1057, 1045,
                 1041, 1042, 1123, 2114, 2115})
    EXPECT_FALSE(w().Control(id)->isVisible()) << "control " << id;
  EXPECT_TRUE(w().Control(1088)->isVisible());

  auto* averaging = w().Control<CListSpinCtrl>(1055);
  EXPECT_EQ(averaging->Items(), CQRVSerialPort::GetAveragingTimes());
  EXPECT_EQ(averaging->GetIndex(), 0);
  EXPECT_TRUE(averaging->Buddy()->isReadOnly());
  EXPECT_EQ(w().Control<CListSpinCtrl>(1057)->Items(), CQRVSerialPort::GetDecayRates());
  auto* calibration = w().Control<CDecimalSpinCtrl>(1113);
  EXPECT_EQ(calibration->Minimum(), 800);
  EXPECT_EQ(calibration->Maximum(), 1200);
  EXPECT_EQ(calibration->StepSize(), 1);
  EXPECT_EQ(w().Control<CDecimalSpinCtrl>(1089)->Buddy(), w().Control(1088));

  EXPECT_FALSE(w().Control<QLabel>(193)->pixmap().isNull());
  EXPECT_FALSE(w().Control<QLabel>(1062)->pixmap().isNull());
  auto* toolbar = w().Control(1009)->findChild<QToolBar*>();
  ASSERT_NE(toolbar, nullptr);
  ASSERT_EQ(toolbar->actions().size(), 2);
  EXPECT_EQ(toolbar->iconSize(), QSize(40, 40));
  EXPECT_FALSE(toolbar->actions()[0]->icon().isNull());

  EXPECT_EQ(toolbar->actions()[0]->data().toInt(), 1102);
  EXPECT_EQ(toolbar->actions()[1]->data().toInt(), 1099);

  std::set<int> menuCommands;
  for (QAction* popup : w().findChild<QMenuBar*>()->actions())
    for (QAction* item : popup->menu()->actions()) {
      if (item->isSeparator()) continue;
      menuCommands.insert(item->data().toInt());
      // One action per command: the toolbar's buttons are the menu's items.
      if (item->data().toInt() == 1102) {
        EXPECT_EQ(item, toolbar->actions()[0]);
      }
    }
  EXPECT_EQ(menuCommands, (std::set<int>{1093, 1103, 57600, 57601, 57603, 1097, 1099, 1102}));
  EXPECT_TRUE(rig.prompts.shown().empty());
}

TEST_F(MainWindow, firstAttemptIsScheduledTwoSecondsAfterStartAndCommandsFollowTheRules) {
  rig.Build();
  EXPECT_TRUE(w().IsConnecting());
  EXPECT_FALSE(w().IsConnected());
  EXPECT_TRUE(rig.timers->IsRunning(kConnectTimer));
  EXPECT_EQ(rig.timers->Period(kConnectTimer), 2000);
  EXPECT_FALSE(rig.timers->IsRunning(kPollTimer));
  for (int id : {1093, 1103, 57600, 57601, 57603, 1097})
    EXPECT_TRUE(w().IsCommandEnabled(id)) << id;
  EXPECT_FALSE(w().IsCommandEnabled(1102));
  EXPECT_FALSE(w().IsCommandEnabled(1099));
}

TEST_F(MainWindow, enterAndEscapeDoNothing) {
  rig.Build();
  w().activateWindow();
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    QTest::keyClick(&w(), key);
    QTest::keyClick(w().Control(2112), key);
  }
  w().accept();
  w().reject();
  EXPECT_TRUE(w().isVisible());
  EXPECT_TRUE(rig.prompts.shown().empty());
}

TEST_F(MainWindow, firstStartWritesTheDefaultSettings) {
  rig.Build();
  EXPECT_EQ(ReadAll(rig.SettingsPath()).toStdString(), SettingsText(CommsSettings::FileDefaults()));
  EXPECT_EQ(w().Comms(), CommsSettings::FileDefaults());
  EXPECT_EQ(w().Control<QLineEdit>(2112)->text(), "1");
}

TEST_F(MainWindow, closeBoxWritesTheSettingsEvenWhenTheUserStays) {
  rig.Build();
  QFile::remove(rig.SettingsPath());
  w().MarkPanelEdited();
  w().Control<QLineEdit>(2112)->setText("7");
  rig.prompts.AnswerNo();
  w().close();
  ASSERT_EQ(rig.prompts.shown().size(), 1u);
  EXPECT_EQ(rig.prompts.shown()[0].kind, ScriptedPrompts::Kind::kQuestion);
  EXPECT_EQ(rig.prompts.shown()[0].text, w().ModuleString(51));
  EXPECT_EQ(rig.prompts.shown()[0].caption, w().ModuleString(1));
  EXPECT_TRUE(w().isVisible());
  CommsSettings expected = CommsSettings::FileDefaults();
  expected.SerialUnitAddress = 7;
  EXPECT_EQ(ReadAll(rig.SettingsPath()).toStdString(), SettingsText(expected));

  rig.prompts.AnswerYes();
  w().close();
  EXPECT_FALSE(w().isVisible());
}

TEST_F(MainWindow, exitFromTheMenuDoesNotWriteTheSettings) {
  rig.Build();
  QFile::remove(rig.SettingsPath());
  w().OnCommand(1103);
  EXPECT_FALSE(w().isVisible());
  EXPECT_FALSE(QFile::exists(rig.SettingsPath()));
  EXPECT_TRUE(rig.prompts.shown().empty());  // nothing unsaved to ask about
}

TEST_F(MainWindow, anInvalidUnitAddressKeepsTheSettingsFileAsItWas) {
  rig.Build();
  const QByteArray before = ReadAll(rig.SettingsPath());
  struct Case {
    const char* typed;
    QString message;
  };
  const Case cases[] = {{"255", w().ModuleString(104)},
                        {"0", w().ModuleString(104)},
                        {"12a", QStringLiteral("Enter an integer.")},
                        {"1.5", QStringLiteral("Enter an integer.")}};
  for (const Case& c : cases) {
    rig.prompts.Clear();
    w().Control<QLineEdit>(2112)->setText(c.typed);
    EXPECT_FALSE(w().SaveCommsSettings()) << c.typed;
    ASSERT_EQ(rig.prompts.shown().size(), 1u) << c.typed;
    EXPECT_EQ(rig.prompts.shown()[0].text, c.message);
    EXPECT_EQ(rig.prompts.shown()[0].caption, w().ModuleString(1));
    EXPECT_EQ(ReadAll(rig.SettingsPath()), before);
  }
  // Cleared while no thermometer is connected: the address kept in the record is saved.
  w().Control<QLineEdit>(2112)->setText("");
  EXPECT_TRUE(w().SaveCommsSettings());
  EXPECT_EQ(ReadAll(rig.SettingsPath()), before);
}

TEST_F(MainWindow, settingsFromTheFileReachTheWindow) {
  WriteAll(rig.SettingsPath(),
           "[start]\n[Communication Settings]\nSerialAddress 5\nSerialUnitAddress 9\n"
           "UseTcpMode 0\nIpAddress 127.0.0.9\n[end]\n");
  rig.Build();
  EXPECT_TRUE(rig.prompts.shown().empty());
  EXPECT_EQ(w().Comms().SerialAddress, 5);
  EXPECT_FALSE(w().Comms().UseTcpMode);
  EXPECT_EQ(w().Comms().IpAddress, "127.0.0.9");
  // Fields the file leaves out keep the construction values.
  EXPECT_EQ(w().Comms().SerialBaudRate, 3);
  EXPECT_EQ(w().Control<QLineEdit>(2112)->text(), "9");
  EXPECT_TRUE(w().Control<QLineEdit>(2112)->isReadOnly());  // reached by its bus address

  // Closing writes the record back as it was read, the unit address included.
  rig.prompts.AnswerYes();
  w().close();
  EXPECT_NE(ReadAll(rig.SettingsPath()).indexOf("SerialUnitAddress 9\r\n"), -1);
}

TEST_F(MainWindow, aSettingsFileOfGarbageGivesTheFormatErrorAndTheDefaults) {
  WriteAll(rig.SettingsPath(), QByteArray("\x00\xff garbage \x01[end]", 17));
  rig.Build();
  ASSERT_EQ(rig.prompts.shown().size(), 1u);
  EXPECT_EQ(rig.prompts.shown()[0].text, w().ModuleString(53));
  EXPECT_EQ(rig.prompts.shown()[0].caption, w().ModuleString(1));
  EXPECT_EQ(w().Comms(), CommsSettings());
  EXPECT_TRUE(w().IsConnecting());
}

TEST_F(MainWindow, aBadValueKeepsTheKeysReadBeforeIt) {
  WriteAll(rig.SettingsPath(),
           "[Communication Settings]\nSerialAddress 4\nSerialPort \nSerialUnitAddress 8\n[end]\n");
  rig.Build();
  ASSERT_EQ(rig.prompts.shown().size(), 1u);
  EXPECT_EQ(rig.prompts.shown()[0].text, w().ModuleString(53));
  EXPECT_EQ(w().Comms().SerialAddress, 4);
  EXPECT_EQ(w().Comms().SerialUnitAddress, 1);
}

TEST_F(MainWindow, aMissingDataFolderShowsOneFileErrorAndTheWindowStillWorks) {
  const std::string missing = rig.dataDir.path().toStdString() + "/not-there/";
  rig.Build({}, missing);
  ASSERT_EQ(rig.prompts.shown().size(), 1u);
  EXPECT_EQ(rig.prompts.shown()[0].caption, w().ModuleString(50));
  EXPECT_TRUE(rig.prompts.shown()[0].text.contains("CommsSettings.cfg"));
  EXPECT_EQ(w().Comms(), CommsSettings::FileDefaults());
  EXPECT_TRUE(rig.timers->IsRunning(kConnectTimer));
  EXPECT_FALSE(QDir(QString::fromStdString(missing)).exists());  // never created
}

TEST_F(MainWindow, aReadOnlyDataFolderShowsTheFileErrorOnClose) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  rig.Build();
  ASSERT_EQ(chmod(rig.dataDir.path().toLocal8Bit().constData(), 0555), 0);
  rig.prompts.AnswerNo();
  w().MarkPanelEdited();
  w().close();
  chmod(rig.dataDir.path().toLocal8Bit().constData(), 0755);
  ASSERT_GE(rig.prompts.shown().size(), 2u);
  EXPECT_EQ(rig.prompts.shown()[0].caption, w().ModuleString(50));
}

}  // namespace
}  // namespace zemra
