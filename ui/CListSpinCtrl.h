#pragma once

#include <span>
#include <vector>

#include "ui/SpinButton.h"

namespace zemra {

// A spin control that steps through a fixed ascending table of numbers. The arrows step by the
// value the buddy shows, so they work from any typed text.
class CListSpinCtrl : public SpinButton {
  Q_OBJECT

 public:
  explicit CListSpinCtrl(QWidget* parent = nullptr);

  // Keeps a copy of `items`. An index outside the table becomes 0. The buddy accepts typing only
  // when `editable`.
  void SetList(std::span<const double> items, int index, bool editable);
  // An index outside the table changes nothing.
  void SetIndex(int index);
  int GetIndex() const { return m_index; }
  const std::vector<double>& Items() const { return m_items; }

 protected:
  void OnDeltaPos(int delta) override;

 private:
  void ShowItem();

  std::vector<double> m_items;
  int m_index = 0;
  bool m_editable = false;
};

}  // namespace zemra
