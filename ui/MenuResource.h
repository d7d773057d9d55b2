#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// The menu and toolbar descriptions of the resources, read from their JSON form.

namespace zemra {

struct MenuItem {
  int command = 0;  // 0 for a separator
  QString text;
  QString shortcut;
};

struct MenuPopup {
  QString text;
  std::vector<MenuItem> items;
};

// The popups of a menu resource: {"popups": [{"text", "items": [{"command", "text",
// "shortcut"} or {"separator": true}]}]}. Nothing when the description cannot be read; items
// without a positive command and not marked as separators are skipped.
std::optional<std::vector<MenuPopup>> ParseMenu(const QByteArray& json);

struct ToolbarResource {
  int bitmap = 0;
  int width = 0;
  int height = 0;
  std::vector<int> buttons;  // command of each button, left to right
};

// Nothing when the description cannot be read or names no buttons of a positive size.
std::optional<ToolbarResource> ParseToolbar(const QByteArray& json);

}  // namespace zemra
