#include "ui/CDecimalSpinCtrl.h"

namespace zemra {

CDecimalSpinCtrl::CDecimalSpinCtrl(QWidget* parent) : SpinButton(parent) {}

void CDecimalSpinCtrl::SetRange(double minimum, double maximum, double step, int accel2,
                                int accel3) {
  m_minimum = minimum;
  m_maximum = maximum;
  m_step = StepForRange(minimum, maximum, step);
  SetAccelerations(zemra::Accelerations(accel2, accel3));
}

void CDecimalSpinCtrl::SetDecimals(int decimals) {
  if (decimals >= 0) m_decimals = decimals;
}

void CDecimalSpinCtrl::SetValue(double x) {
  SetBuddyText(QString::fromStdString(FormatFixed(x, m_decimals)));
}

double CDecimalSpinCtrl::GetValue() const {
  return ScanDouble(BuddyText().toStdString()).value_or(m_minimum);
}

void CDecimalSpinCtrl::OnDeltaPos(int delta) {
  SetValue(StepDecimal(GetValue(), delta, m_step, m_minimum, m_maximum));
}

}  // namespace zemra
