#include "ui/CListSpinCtrl.h"

#include <QLineEdit>

namespace zemra {

CListSpinCtrl::CListSpinCtrl(QWidget* parent) : SpinButton(parent) {}

void CListSpinCtrl::SetList(std::span<const double> items, int index, bool editable) {
  m_items.assign(items.begin(), items.end());
  m_editable = editable;
  if (Buddy()) Buddy()->setReadOnly(!editable);
  m_index = index >= 0 && index < static_cast<int>(m_items.size()) ? index : 0;
  ShowItem();
}

void CListSpinCtrl::SetIndex(int index) {
  if (index < 0 || index >= static_cast<int>(m_items.size())) return;
  m_index = index;
  ShowItem();
}

void CListSpinCtrl::OnDeltaPos(int delta) {
  if (m_items.empty()) return;
  // A text that is no number steps from the item last shown.
  const double shown = ScanDouble(BuddyText().toStdString()).value_or(m_items[m_index]);
  m_index = StepListIndex(m_items, shown, delta);
  ShowItem();
}

void CListSpinCtrl::ShowItem() {
  if (m_items.empty()) return;
  SetBuddyText(QString::fromStdString(FormatShortest(m_items[m_index])));
}

}  // namespace zemra
