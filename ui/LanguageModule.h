#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QString>
#include <map>
#include <memory>

namespace zemra {

// A loaded language module: a resource bundle that supplies the main window's form, menu,
// bitmaps and strings by ID. It stays registered for as long as the object lives.
class LanguageModule {
 public:
  // Null when `path` is no readable resource bundle.
  static std::unique_ptr<LanguageModule> Open(const QString& path);
  ~LanguageModule();

  LanguageModule(const LanguageModule&) = delete;
  LanguageModule& operator=(const LanguageModule&) = delete;

  const QString& Path() const { return m_path; }

  // The raw resource `kind`/`id` ("dialog", "menu", "bitmap", "string"); empty when missing.
  QByteArray Resource(const QString& kind, int id) const;
  bool Has(const QString& kind, int id) const;
  // A missing string reads as empty.
  QString String(int id) const;
  QPixmap Bitmap(int id) const;

 private:
  LanguageModule(QString path, QString root);
  QString ResourcePath(const QString& kind, int id) const;

  QString m_path;
  QString m_root;  // where the bundle is mapped in the resource tree
  std::map<int, QString> m_strings;
};

}  // namespace zemra
