#include "ui/QtPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zemra {
namespace {

QMessageBox::Icon BoxIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::kQuestion:
      return QMessageBox::Question;
    case PromptIcon::kInformation:
      return QMessageBox::Information;
    case PromptIcon::kExclamation:
      break;
  }
  return QMessageBox::Warning;
}

}  // namespace

void QtPrompts::Message(QWidget* owner, const QString& text, const QString& caption,
                        PromptIcon icon) {
  QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, owner);
  box.exec();
}

bool QtPrompts::AskYesNo(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

QString QtPrompts::OpenFileName(QWidget* owner, const QString& caption, const QString& folder,
                                const QString& filter) {
  return QFileDialog::getOpenFileName(owner, caption, folder, filter);
}

QString QtPrompts::SaveFileName(QWidget* owner, const QString& caption, const QString& proposed,
                                const QString& filter) {
  return QFileDialog::getSaveFileName(owner, caption, proposed, filter);
}

}  // namespace zemra
