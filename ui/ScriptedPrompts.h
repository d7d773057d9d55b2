#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "ui/Prompts.h"

namespace zemra {

// Prompts for tests: records every prompt and answers from a script instead of waiting for a
// user. A question with no scripted answer is answered No, a file dialog with none is
// cancelled; both are recorded like any other prompt.
class ScriptedPrompts final : public Prompts {
 public:
  enum class Kind { kMessage, kQuestion, kOpenFile, kSaveFile };
  struct Shown {
    Kind kind;
    QString text;  // the message, or the file dialog's folder or proposed name
    QString caption;
    PromptIcon icon;
    bool hadOwner;
  };

  void AnswerYes() { m_answers.push_back(true); }
  void AnswerNo() { m_answers.push_back(false); }
  void AnswerPath(const QString& path) { m_paths.push_back(path); }

  const std::vector<Shown>& shown() const { return m_shown; }
  void Clear() { m_shown.clear(); }

  void Message(QWidget* owner, const QString& text, const QString& caption,
               PromptIcon icon) override;
  bool AskYesNo(QWidget* owner, const QString& text, const QString& caption) override;
  QString OpenFileName(QWidget* owner, const QString& caption, const QString& folder,
                       const QString& filter) override;
  QString SaveFileName(QWidget* owner, const QString& caption, const QString& proposed,
                       const QString& filter) override;

 private:
  QString NextPath();

  std::vector<Shown> m_shown;
  std::deque<bool> m_answers;
  std::deque<QString> m_paths;
};

}  // namespace zemra
