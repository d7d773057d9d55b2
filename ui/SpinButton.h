#pragma once

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include "ui/SpinStepping.h"

class QToolButton;

namespace zemra {

// An up-down control beside a buddy edit that shows its value as text. The control itself keeps
// no position: the subclasses read the buddy's text, step it and write it back. Holding an arrow
// accelerates by the control's three increments; the Up and Down keys in the buddy step too.
// Showing or hiding the control shows or hides its buddy with it.
class SpinButton : public QWidget {
  Q_OBJECT

 public:
  explicit SpinButton(QWidget* parent = nullptr);

  void SetBuddy(QLineEdit* buddy);
  QLineEdit* Buddy() const { return m_buddy; }

  void SetAccelerations(const SpinAccels& accels) { m_accels = accels; }
  const SpinAccels& Accelerations() const { return m_accels; }

  // One notification of `delta` steps (positive up): the control steps its buddy first, then
  // deltaPos goes out so the parent window sees the step too.
  void Step(int delta);

  void setVisible(bool visible) override;

 signals:
  void deltaPos(int delta);

 protected:
  virtual void OnDeltaPos(int delta) = 0;
  QString BuddyText() const;
  void SetBuddyText(const QString& text);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ArrowPressed();
  void ArrowRepeated(int direction);

  QToolButton* m_up;
  QToolButton* m_down;
  QPointer<QLineEdit> m_buddy;
  SpinAccels m_accels = zemra::Accelerations(1, 1);
  QElapsedTimer m_held;
};

}  // namespace zemra
