#include "ui/ScriptedPrompts.h"

namespace zemra {

void ScriptedPrompts::Message(QWidget* owner, const QString& text, const QString& caption,
                              PromptIcon icon) {
  m_shown.push_back({Kind::kMessage, text, caption, icon, owner != nullptr});
}

bool ScriptedPrompts::AskYesNo(QWidget* owner, const QString& text, const QString& caption) {
  m_shown.push_back({Kind::kQuestion, text, caption, PromptIcon::kQuestion, owner != nullptr});
  if (m_answers.empty()) return false;
  bool yes = m_answers.front();
  m_answers.pop_front();
  return yes;
}

QString ScriptedPrompts::OpenFileName(QWidget* owner, const QString& caption, const QString& folder,
                                      const QString&) {
  m_shown.push_back({Kind::kOpenFile, folder, caption, PromptIcon::kInformation, owner != nullptr});
  return NextPath();
}

QString ScriptedPrompts::SaveFileName(QWidget* owner, const QString& caption,
                                      const QString& proposed, const QString&) {
  m_shown.push_back(
      {Kind::kSaveFile, proposed, caption, PromptIcon::kInformation, owner != nullptr});
  return NextPath();
}

QString ScriptedPrompts::NextPath() {
  if (m_paths.empty()) return {};
  QString path = m_paths.front();
  m_paths.pop_front();
  return path;
}

}  // namespace zemra
