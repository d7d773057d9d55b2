#pragma once

#include "ui/SpinButton.h"

namespace zemra {

// A spin control that steps a decimal number between limits; its value is its buddy's text.
class CDecimalSpinCtrl : public SpinButton {
  Q_OBJECT

 public:
  explicit CDecimalSpinCtrl(QWidget* parent = nullptr);

  // A step of exactly 0 stands for a thousandth of the span (see StepForRange). The value shown
  // is not checked against the new limits: only the arrows apply them.
  void SetRange(double minimum, double maximum, double step, int accel2, int accel3);
  // A negative count is ignored.
  void SetDecimals(int decimals);
  // Shows x with the control's decimals; no limit is applied.
  void SetValue(double x);
  // The buddy's text read as a number; a text that is no number counts as the minimum.
  double GetValue() const;

  double Minimum() const { return m_minimum; }
  double Maximum() const { return m_maximum; }
  double StepSize() const { return m_step; }
  int Decimals() const { return m_decimals; }

 protected:
  void OnDeltaPos(int delta) override;

 private:
  double m_maximum = 100.0;
  double m_minimum = 0.0;
  double m_step = 1.0;
  int m_decimals = 0;
};

}  // namespace zemra
