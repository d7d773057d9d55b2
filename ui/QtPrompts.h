#pragma once

#include "ui/Prompts.h"

namespace zemra {

// The program's prompts: modal Qt message boxes and file dialogs.
class QtPrompts final : public Prompts {
 public:
  void Message(QWidget* owner, const QString& text, const QString& caption,
               PromptIcon icon) override;
  bool AskYesNo(QWidget* owner, const QString& text, const QString& caption) override;
  QString OpenFileName(QWidget* owner, const QString& caption, const QString& folder,
                       const QString& filter) override;
  QString SaveFileName(QWidget* owner, const QString& caption, const QString& proposed,
                       const QString& filter) override;
};

}  // namespace zemra
