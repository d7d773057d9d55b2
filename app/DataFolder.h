#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace zemra {

// The folder under the machine's shared data location where the program keeps its working
// files: that location + "Orvane/Zemranet/", always ending with a separator; empty when the
// machine reports no shared location (the files are then looked for in the working folder).
// The folder is never created.
std::string ResolveDataFolder();

// The same from a list of data locations as Qt reports them (the user's own first): the first
// one outside `home` is the machine's.
std::string DataFolderFrom(const QStringList& locations, const QString& home);

}  // namespace zemra
