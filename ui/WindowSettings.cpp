// "CommsSettings.cfg": read once at initialisation, written at every close request.
#include <QLineEdit>

#include "files/CommsSettingsFile.h"
#include "files/FileLayer.h"
#include "ui/CQorvelControllerDlg.h"
#include "ui/Latin1.h"
#include "ui/Prompts.h"

namespace zemra {
namespace {

constexpr int kMsgUnitAddressRange = 104;

}  // namespace

bool CQorvelControllerDlg::LoadCommsSettings() {
  const std::string path = m_dataFolder + std::string(kCommsSettingsFileName);
  const FileContents contents = ReadFileHead(path);
  if (contents.error) {
    // A settings file that cannot be opened is replaced, silently, by one with the defaults.
    if (contents.error->step == FileStep::kOpen) {
      m_comms = CommsSettings::FileDefaults();
      SaveCommsSettings();
    } else {
      ShowFileError(*contents.error);
    }
    return false;
  }
  const CommsParse parse = ParseCommsSettings(contents.bytes, m_comms);
  if (parse.status != TextFormat::kOk) {
    // A bad value stops the reading; the keys before it have been taken.
    if (parse.status == TextFormat::kBadValue) m_comms = parse.settings;
    ShowFormatError();
    return false;
  }
  m_comms = parse.settings;
  return true;
}

bool CQorvelControllerDlg::SaveCommsSettings() {
  if (!TakeUnitAddressFromPanel()) return false;
  const std::string path = m_dataFolder + std::string(kCommsSettingsFileName);
  if (const FileResult error = ReplaceFile(path, ComposeCommsSettings(m_comms))) {
    ShowFileError(*error);
    return false;
  }
  return true;
}

bool CQorvelControllerDlg::TakeUnitAddressFromPanel() {
  auto* edit = Control<QLineEdit>(2112);
  if (!edit) return true;
  const QString text = edit->text().trimmed();
  // The field is cleared while no thermometer is connected; the record keeps its address
  // then, instead of refusing to save the settings at all.
  if (text.isEmpty()) return true;
  bool isInteger = false;
  const int address = text.toInt(&isInteger, 10);
  if (!isInteger) {
    m_prompts.Message(this, QStringLiteral("Enter an integer."), ModuleString(1),
                      PromptIcon::kExclamation);
    edit->setFocus();
    return false;
  }
  if (address < 1 || address > 254) {
    m_prompts.Message(this, ModuleString(kMsgUnitAddressRange), ModuleString(1),
                      PromptIcon::kExclamation);
    edit->setFocus();
    return false;
  }
  m_comms.SerialUnitAddress = address;
  return true;
}

void CQorvelControllerDlg::ShowFileError(const FileError& error) {
  m_prompts.Message(this, FromLatin1(error.Description()), ModuleString(50),
                    PromptIcon::kExclamation);
}

void CQorvelControllerDlg::ShowFormatError() {
  m_prompts.Message(this, ModuleString(53), ModuleString(1), PromptIcon::kExclamation);
}

}  // namespace zemra
