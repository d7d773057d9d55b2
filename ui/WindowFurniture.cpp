// The window's furniture, made once at initialisation: menu, toolbar, pictures, the alarm-mode
// lists and the control texts of the language module.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolBar>
#include <utility>

#include "res/ProgramResources.h"
#include "ui/CQorvelControllerDlg.h"
#include "ui/MenuResource.h"

namespace zemra {
namespace {

// Control texts set from the string table at initialisation: control, string.
constexpr std::pair<int, int> kControlTexts[] = {
    {1001, 18}, {1002, 19}, {1003, 20}, {1004, 14}, {1005, 15}, {1006, 16}, {1007, 17},
    {1014, 47}, {1018, 21}, {1019, 22}, {1021, 23}, {1022, 2},  {1027, 40}, {1030, 41},
    {1033, 5},  {1034, 26}, {1038, 7},  {1040, 8},  {1041, 24}, {1042, 25}, {1044, 39},
    {1074, 6},  {1075, 27}, {1076, 28}, {1079, 23}, {1083, 43}, {1084, 42}, {1094, 58},
    {1118, 12}, {1119, 47}, {1120, 39}, {1121, 49}, {1122, 48}, {1123, 72}, {1124, 55},
    {1125, 56}, {1126, 57}, {1127, 55}, {1128, 56}, {1129, 57}, {2114, 73}, {2115, 74},
};

// The bitmap of picture control 193 has a variant per platform version; off Windows the
// variant is always the last one.
constexpr int kPictureBitmaps[] = {2033, 2035, 2039};
constexpr int kPictureVariant = 2;

const char* const kAlarmModes[] = {"Low Alarm", "High Alarm", "Internal Ambient", "E/NG Lost",
                                   "Obscuration Alarm"};

QPixmap ToolbarImage(const QPixmap& bitmap) {
  // Light grey is the bitmap's background; it takes the colour of the button face, which on
  // a themed toolbar is whatever lies behind the button.
  QImage image = bitmap.toImage().convertToFormat(QImage::Format_ARGB32);
  const QRgb lightGrey = qRgb(192, 192, 192);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] & 0xFFFFFF) == (lightGrey & 0xFFFFFF)) line[x] = qRgba(0, 0, 0, 0);
  }
  return QPixmap::fromImage(image);
}

QString PlainText(QString menuText) {
  menuText.remove(QLatin1Char('&'));
  if (menuText.endsWith(QLatin1String("..."))) menuText.chop(3);
  return menuText;
}

}  // namespace

void CQorvelControllerDlg::BuildFurniture() {
  QFile file(ProgramToolbarPath(kToolbar));
  const std::optional<ToolbarResource> toolbar =
      file.open(QIODevice::ReadOnly) ? ParseToolbar(file.readAll()) : std::nullopt;
  if (!toolbar) return;
  BuildMenu();
  BuildToolbar(*toolbar);
  ShowPictures();
  FillAlarmModes();
  SetControlTexts();
}

QAction* CQorvelControllerDlg::CommandAction(int id, const QString& text) {
  QAction*& action = m_commandActions[id];
  if (!action) {
    action = new QAction(this);
    action->setData(id);
    action->setIconVisibleInMenu(false);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  }
  if (!text.isEmpty()) {
    action->setText(text);
    action->setToolTip(PlainText(text));
  }
  return action;
}

void CQorvelControllerDlg::BuildMenu() {
  const std::optional<std::vector<MenuPopup>> popups =
      ParseMenu(m_resourceModule->Resource(QStringLiteral("menu"), kMainMenu));
  if (!popups) return;
  m_menu = new QMenuBar(this);
  for (const MenuPopup& popup : *popups) {
    QMenu* menu = m_menu->addMenu(popup.text);
    connect(menu, &QMenu::aboutToShow, this, &CQorvelControllerDlg::UpdateCommandUi);
    for (const MenuItem& item : popup.items) {
      if (item.command == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = CommandAction(item.command, item.text);
      if (!item.shortcut.isEmpty()) action->setShortcut(QKeySequence(item.shortcut));
      menu->addAction(action);
    }
  }
  layout()->setMenuBar(m_menu);
}

void CQorvelControllerDlg::BuildToolbar(const ToolbarResource& resource) {
  QWidget* placeholder = Control(1009);
  m_toolbar = new QToolBar(placeholder ? placeholder : static_cast<QWidget*>(this));
  m_toolbar->setObjectName(QStringLiteral("toolbar"));
  m_toolbar->setMovable(false);
  m_toolbar->setIconSize(QSize(resource.width, resource.height));
  m_toolbarImage = ToolbarImage(m_resourceModule->Bitmap(1020));
  for (std::size_t i = 0; i < resource.buttons.size(); ++i) {
    QAction* action = CommandAction(resource.buttons[i], {});
    const int x = static_cast<int>(i) * resource.width;
    if (!m_toolbarImage.isNull() && x + resource.width <= m_toolbarImage.width())
      action->setIcon(m_toolbarImage.copy(x, 0, resource.width, resource.height));
    m_toolbar->addAction(action);
  }
  if (placeholder) {
    auto* layout = new QHBoxLayout(placeholder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_toolbar);
    // The placeholder takes the toolbar's size, so no button is pushed into an overflow menu.
    placeholder->setMinimumSize(m_toolbar->sizeHint());
  } else {
    this->layout()->addWidget(m_toolbar);
  }
}

void CQorvelControllerDlg::ShowPictures() {
  m_picture193 = m_resourceModule->Bitmap(kPictureBitmaps[kPictureVariant]);
  m_picture1062 = m_resourceModule->Bitmap(2045);
  if (auto* picture = Control<QLabel>(193)) picture->setPixmap(m_picture193);
  if (auto* picture = Control<QLabel>(1062)) picture->setPixmap(m_picture1062);
}

void CQorvelControllerDlg::FillAlarmModes() {
  for (int id : {1130, 1131}) {
    auto* combo = Control<QComboBox>(id);
    if (!combo) continue;
    combo->clear();
    for (const char* mode : kAlarmModes) combo->addItem(QString::fromLatin1(mode));
  }
}

void CQorvelControllerDlg::SetControlTexts() {
  for (const auto& [control, string] : kControlTexts) SetText(control, ModuleString(string));
  SetText(1082, ModuleString(191));
}

void CQorvelControllerDlg::SetText(int id, const QString& text) {
  QWidget* control = Control(id);
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(text);
  }
}

}  // namespace zemra
