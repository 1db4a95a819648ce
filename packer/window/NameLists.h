// The window's three lists: names as the data tree spells them, shown in the game's code page and
// kept sorted without regard to letter case, as the platform's sorted list boxes keep them.
#pragma once

#include <QString>
#include <string>

#include "PackWriter.h"

class QListWidget;
class QListWidgetItem;

namespace brisko {

// The text a name is shown as.
QString NameText(const std::string& name);

// Whether `a` sorts before `b`: letter case folded as the game's code page folds it, then byte
// by byte, so that one set of names always shows in one order.
bool SortsBefore(const std::string& a, const std::string& b);

// Empties the list and shows the names, sorted; no item is selected afterwards.
void ShowNames(QListWidget& list, NameList names);

// The name an item stands for.
std::string NameOf(const QListWidgetItem& item);

}  // namespace brisko
