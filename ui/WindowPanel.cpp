// The parameter panel's controls as the window's life cycle needs them: visibility of the
// signal-processing groups, the value lists, the unit-address field and edit tracking.
#include <QLineEdit>

#include "ui/CDecimalSpinCtrl.h"
#include "ui/CListSpinCtrl.h"
#include "ui/CQorvelControllerDlg.h"

namespace zemra {
namespace {

constexpr int kAveragerControls[] = {1001, 1055};
constexpr int kPeakPickerControls[] = {1002, 1003, 1018, 1019, 1021, 1056,
                                       1063, 1064, 1057, 1041, 1042};
// Shown for ratio thermometers only.
constexpr int kRatioOnlyControls[] = {1123, 2114, 2115};

}  // namespace

void CQorvelControllerDlg::MarkPanelEdited() {
  m_panelInSync = false;
  m_configSaved = false;
  UpdateCommandUi();
}

void CQorvelControllerDlg::ShowAveragerControls(bool show) {
  // Spin controls take their buddies with them.
  for (int id : kAveragerControls)
    if (QWidget* control = Control(id)) control->setVisible(show);
}

void CQorvelControllerDlg::ShowPeakPickerControls(bool show) {
  for (int id : kPeakPickerControls)
    if (QWidget* control = Control(id)) control->setVisible(show);
}

void CQorvelControllerDlg::InitPanel() {
  ShowAveragerControls(false);
  ShowPeakPickerControls(false);
  for (int id : kRatioOnlyControls)
    if (QWidget* control = Control(id)) control->hide();
  if (auto* list = Control<CListSpinCtrl>(1055))
    list->SetList(CQRVSerialPort::GetAveragingTimes(), 0, false);
  if (auto* list = Control<CListSpinCtrl>(1057))
    list->SetList(CQRVSerialPort::GetDecayRates(), 0, false);
  if (auto* spin = Control<CDecimalSpinCtrl>(1113)) spin->SetRange(800, 1200, 1, 5, 20);
}

void CQorvelControllerDlg::SetUnitAddressText() {
  SetText(2112, QString::number(m_comms.SerialUnitAddress));
}

void CQorvelControllerDlg::ApplyUnitAddressAccess() {
  // With a bus address the unit is reached by that address: its own is shown, not edited.
  if (auto* edit = Control<QLineEdit>(2112)) edit->setReadOnly(m_comms.SerialAddress != 0);
}

}  // namespace zemra
