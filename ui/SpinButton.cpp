#include "ui/SpinButton.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace zemra {

SpinButton::SpinButton(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QToolButton* arrow : {m_up, m_down}) {
    arrow->setArrowType(arrow == m_up ? Qt::UpArrow : Qt::DownArrow);
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    arrow->setIconSize(QSize(7, 7));
    layout->addWidget(arrow);
    connect(arrow, &QToolButton::pressed, this, &SpinButton::ArrowPressed);
  }
  connect(m_up, &QToolButton::clicked, this, [this] { ArrowRepeated(1); });
  connect(m_down, &QToolButton::clicked, this, [this] { ArrowRepeated(-1); });
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void SpinButton::SetBuddy(QLineEdit* buddy) {
  if (m_buddy) m_buddy->removeEventFilter(this);
  m_buddy = buddy;
  if (m_buddy) m_buddy->installEventFilter(this);
}

void SpinButton::Step(int delta) {
  OnDeltaPos(delta);
  emit deltaPos(delta);
}

void SpinButton::setVisible(bool visible) {
  QWidget::setVisible(visible);
  if (m_buddy) m_buddy->setVisible(visible);
}

QString SpinButton::BuddyText() const {
  return m_buddy ? m_buddy->text() : QString();
}

void SpinButton::SetBuddyText(const QString& text) {
  if (m_buddy) m_buddy->setText(text);
}

bool SpinButton::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
      Step(key->key() == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void SpinButton::ArrowPressed() {
  m_held.start();
}

void SpinButton::ArrowRepeated(int direction) {
  const double seconds = m_held.isValid() ? m_held.elapsed() / 1000.0 : 0.0;
  Step(direction * AccelIncrement(m_accels, seconds));
}

}  // namespace zemra
