// The window's three lists: names as the data tree spells them, shown as text and kept sorted
// without regard to letter case, as the platform's sorted list boxes keep them. The folder and
// pack lists hold host names (as the file system spells them); the contents list holds member
// names (Windows-1252, "\" between folder levels).
#pragma once

#include <QString>
#include <string>

#include "PackWriter.h"

class QListWidget;
class QListWidgetItem;

namespace brisko {

enum class NameKind { HOST, MEMBER };

// The text a name is shown as.
QString NameText(const std::string& name, NameKind kind);

// A text of the library for the user: host paths are UTF-8, and a text that is no UTF-8 holds a
// member name's Windows-1252 bytes.
QString UserText(const std::string& text);

// Whether `a` sorts before `b`: without regard to letter case (É with é, Š with š), then
// character by character, so that one set of names always shows in one order.
bool SortsBefore(const QString& a, const QString& b);

// Empties the list and shows the names, sorted; no item is selected afterwards.
void ShowNames(QListWidget& list, const NameList& names, NameKind kind);

// The name an item stands for.
std::string NameOf(const QListWidgetItem& item);

}  // namespace brisko
