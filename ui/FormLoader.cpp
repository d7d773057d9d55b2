#include "ui/FormLoader.h"

#include <QBuffer>
#include <QLineEdit>
#include <QWidget>

#include "ui/CDecimalSpinCtrl.h"
#include "ui/CListSpinCtrl.h"

namespace zemra {

QWidget* FormLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
  QWidget* widget = nullptr;
  if (className == QLatin1String("CDecimalSpinCtrl")) {
    widget = new CDecimalSpinCtrl(parent);
  } else if (className == QLatin1String("CListSpinCtrl")) {
    widget = new CListSpinCtrl(parent);
  } else {
    return QUiLoader::createWidget(className, parent, name);
  }
  widget->setObjectName(name);
  return widget;
}

std::unique_ptr<QWidget> LoadForm(const QByteArray& description) {
  if (description.isEmpty()) return nullptr;
  QBuffer buffer;
  buffer.setData(description);
  if (!buffer.open(QIODevice::ReadOnly)) return nullptr;
  FormLoader loader;
  std::unique_ptr<QWidget> form(loader.load(&buffer));
  if (!form) return nullptr;
  for (SpinButton* spin : form->findChildren<SpinButton*>()) {
    const QString buddy = spin->property("buddy").toString();
    if (!buddy.isEmpty()) spin->SetBuddy(form->findChild<QLineEdit*>(buddy));
  }
  return form;
}

}  // namespace zemra
