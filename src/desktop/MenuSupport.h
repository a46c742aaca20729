#pragma once
// Turning the core's menu data into Qt menus and actions, and the toolbar's
// icons, which the program draws itself.

#include <QIcon>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace pictoform {

struct MenuEntry;
struct CommandUpdate;

// A menu text as Qt shows it: the part after "\t" is the shortcut's column.
QString MenuText(const std::string& text);
// Without the '&' mnemonics, the shortcut and a closing "...": for tooltips and buttons.
QString PlainText(const std::string& text);

// Adds the entries to the menu: separators, submenus (recursively) and, for
// each command, whatever addItem makes of it.
void FillMenu(QMenu& menu, const std::vector<MenuEntry>& entries,
              const std::function<void(const MenuEntry&, QMenu&)>& addItem);

// Enabling, check mark and text as the core has them now; an empty text
// restores the menu's own.
void ApplyUpdate(QAction& action, const CommandUpdate& update, const QString& ownText);

// The toolbar's picture of a command; a null icon for a command without one.
QIcon CommandIcon(int id);

} // namespace pictoform
