#include "ui/MenuResource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zemra {
namespace {

std::optional<QJsonObject> ParseObject(const QByteArray& json) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  return doc.object();
}

MenuPopup ParsePopup(const QJsonObject& object) {
  MenuPopup popup{object.value("text").toString(), {}};
  for (const QJsonValue& value : object.value("items").toArray()) {
    const QJsonObject item = value.toObject();
    if (item.value("separator").toBool()) {
      popup.items.push_back({});
      continue;
    }
    const int command = item.value("command").toInt();
    if (command <= 0) continue;
    popup.items.push_back(
        {command, item.value("text").toString(), item.value("shortcut").toString()});
  }
  return popup;
}

}  // namespace

std::optional<std::vector<MenuPopup>> ParseMenu(const QByteArray& json) {
  const std::optional<QJsonObject> root = ParseObject(json);
  if (!root || !root->value("popups").isArray()) return std::nullopt;
  std::vector<MenuPopup> popups;
  for (const QJsonValue& value : root->value("popups").toArray())
    popups.push_back(ParsePopup(value.toObject()));
  return popups;
}

std::optional<ToolbarResource> ParseToolbar(const QByteArray& json) {
  const std::optional<QJsonObject> root = ParseObject(json);
  if (!root) return std::nullopt;
  ToolbarResource toolbar{root->value("bitmap").toInt(),
                          root->value("width").toInt(),
                          root->value("height").toInt(),
                          {}};
  for (const QJsonValue& value : root->value("buttons").toArray())
    if (value.toInt() > 0) toolbar.buttons.push_back(value.toInt());
  if (toolbar.width <= 0 || toolbar.height <= 0 || toolbar.buttons.empty()) return std::nullopt;
  return toolbar;
}

}  // namespace zemra
