#pragma once

#include <QByteArray>
#include <QUiLoader>
#include <memory>

class QWidget;

namespace zemra {

// Builds a window form from a Designer description, including the program's own spin controls
// (CDecimalSpinCtrl, CListSpinCtrl), and binds each spin control to the buddy edit its "buddy"
// property names.
class FormLoader : public QUiLoader {
 public:
  QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                        const QString& name = QString()) override;
};

// Null when the description cannot be read.
std::unique_ptr<QWidget> LoadForm(const QByteArray& description);

}  // namespace zemra
