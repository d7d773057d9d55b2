#pragma once

#include <QString>

class QWidget;

namespace zemra {

enum class PromptIcon { kExclamation, kQuestion, kInformation };

// Every message box and file dialog of the program goes through this one interface, so tests
// can script the answers and record what was shown. `owner` may be null (start-up has no
// window yet).
class Prompts {
 public:
  virtual ~Prompts() = default;

  // A message with a single OK button.
  virtual void Message(QWidget* owner, const QString& text, const QString& caption,
                       PromptIcon icon) = 0;
  // A question with Yes and No and the question icon; true for Yes.
  virtual bool AskYesNo(QWidget* owner, const QString& text, const QString& caption) = 0;
  // The file chosen to open or to save to; empty when the user cancelled.
  virtual QString OpenFileName(QWidget* owner, const QString& caption, const QString& folder,
                               const QString& filter) = 0;
  virtual QString SaveFileName(QWidget* owner, const QString& caption, const QString& proposed,
                               const QString& filter) = 0;
};

}  // namespace zemra
