#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "ui/LanguageModule.h"

class QWidget;

namespace zemra {

class Prompts;

// Opens a language module by its bare file name, as the program's search order finds it; null
// when it cannot.
using ModuleOpener = std::function<std::unique_ptr<LanguageModule>(const QString& fileName)>;

// Looks for the file in each folder in turn (the program's own folder first).
ModuleOpener SearchFolders(QStringList folders);

// "ZEMRAnetRes_%04x.dll": four lower-case hexadecimal digits of the language code.
QString ModuleFileName(unsigned languageCode);

// The language module of `languageCode`, else the English one. Tells the user when the English
// module stands in, or when no module can be loaded at all (then null).
std::unique_ptr<LanguageModule> LoadLanguageModule(unsigned languageCode, const ModuleOpener& open,
                                                   Prompts& prompts);

// The message that no usable module was found ("The resource dll ... could not be found.",
// caption "File not Found"), also for a module whose window form is missing or unreadable.
void ReportNoModule(Prompts& prompts);

}  // namespace zemra
