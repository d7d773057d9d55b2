#include "res/ProgramResources.h"

namespace zemra {

QString ProgramIconPath(int id) {
  return QStringLiteral(":/program/icons/%1.png").arg(id);
}

QString ProgramToolbarPath(int id) {
  return QStringLiteral(":/program/toolbar/%1.json").arg(id);
}

QString ProgramBitmapPath(int id) {
  return QStringLiteral(":/program/toolbar/%1.png").arg(id);
}

}  // namespace zemra
