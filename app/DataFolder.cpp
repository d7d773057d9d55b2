#include "app/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace zemra {

std::string DataFolderFrom(const QStringList& locations, const QString& home) {
  const QString homeRoot = QDir::cleanPath(home) + QLatin1Char('/');
  for (const QString& location : locations) {
    const QString clean = QDir::cleanPath(location);
    if (clean.isEmpty() || !QDir::isAbsolutePath(clean)) continue;
    if (!home.isEmpty() && (clean + QLatin1Char('/')).startsWith(homeRoot)) continue;
    QString folder = clean;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    folder += QStringLiteral("Orvane/Zemranet/");
    return QFile::encodeName(folder).toStdString();
  }
  return {};
}

std::string ResolveDataFolder() {
  return DataFolderFrom(QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation),
                        QDir::homePath());
}

}  // namespace zemra
