#include "ui/ModuleLoading.h"

#include <QDir>

#include "lang/StringTable.h"
#include "ui/Prompts.h"

namespace zemra {
namespace {

const QString kNotFoundCaption = QStringLiteral("File not Found");

}  // namespace

ModuleOpener SearchFolders(QStringList folders) {
  return [folders = std::move(folders)](const QString& fileName) {
    std::unique_ptr<LanguageModule> module;
    for (const QString& folder : folders) {
      if (folder.isEmpty()) continue;
      module = LanguageModule::Open(QDir(folder).filePath(fileName));
      if (module) break;
    }
    return module;
  };
}

QString ModuleFileName(unsigned languageCode) {
  // QString::arg writes hexadecimal digits in lower case.
  return QStringLiteral("ZEMRAnetRes_%1.dll").arg(languageCode & 0xFFFF, 4, 16, QLatin1Char('0'));
}

void ReportNoModule(Prompts& prompts) {
  prompts.Message(
      nullptr,
      QStringLiteral("The resource dll %1 could not be found.").arg(ModuleFileName(kLanguageCode)),
      kNotFoundCaption, PromptIcon::kExclamation);
}

std::unique_ptr<LanguageModule> LoadLanguageModule(unsigned languageCode, const ModuleOpener& open,
                                                   Prompts& prompts) {
  const QString wanted = ModuleFileName(languageCode);
  const QString english = ModuleFileName(kLanguageCode);
  std::unique_ptr<LanguageModule> module = open(wanted);
  if (!module) {
    module = open(english);
    if (!module) {
      ReportNoModule(prompts);
      return nullptr;
    }
    prompts.Message(nullptr,
                    QStringLiteral("The language specific dll %1 could not be found.\n"
                                   "The English version will be loaded instead.")
                        .arg(wanted),
                    kNotFoundCaption, PromptIcon::kExclamation);
  }
  return module;
}

}  // namespace zemra
