#include "ui/LanguageModule.h"

#include <QFile>
#include <QResource>
#include <atomic>

#include "lang/StringTable.h"
#include "ui/Latin1.h"

namespace zemra {
namespace {

// Resource IDs are file names inside the bundle: the string table is "string/table".
constexpr int kStringTableResource = -1;

QString NextRoot() {
  // Every module gets a root of its own, so two windows (in tests) never share a tree.
  static std::atomic<int> counter{0};
  return QStringLiteral("/zemra-module-%1").arg(++counter);
}

}  // namespace

LanguageModule::LanguageModule(QString path, QString root)
    : m_path(std::move(path)), m_root(std::move(root)) {}

std::unique_ptr<LanguageModule> LanguageModule::Open(const QString& path) {
  if (!QFile::exists(path)) return nullptr;
  const QString root = NextRoot();
  if (!QResource::registerResource(path, root)) return nullptr;
  std::unique_ptr<LanguageModule> module(new LanguageModule(path, root));
  const QByteArray table = module->Resource(QStringLiteral("string"), kStringTableResource);
  for (const auto& [id, text] : DecodeStringTable(std::string_view(table.data(), table.size())))
    module->m_strings[id] = FromLatin1(text);
  return module;
}

LanguageModule::~LanguageModule() {
  QResource::unregisterResource(m_path, m_root);
}

QString LanguageModule::ResourcePath(const QString& kind, int id) const {
  const QString name = id == kStringTableResource ? QStringLiteral("table") : QString::number(id);
  return QStringLiteral(":%1/%2/%3").arg(m_root, kind, name);
}

QByteArray LanguageModule::Resource(const QString& kind, int id) const {
  QFile file(ResourcePath(kind, id));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

bool LanguageModule::Has(const QString& kind, int id) const {
  return QFile::exists(ResourcePath(kind, id));
}

QString LanguageModule::String(int id) const {
  auto it = m_strings.find(id);
  return it == m_strings.end() ? QString() : it->second;
}

QPixmap LanguageModule::Bitmap(int id) const {
  QPixmap pixmap;
  pixmap.loadFromData(Resource(QStringLiteral("bitmap"), id));
  return pixmap;
}

}  // namespace zemra
