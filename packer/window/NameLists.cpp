#include "NameLists.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>
#include <vector>

#include "Cp1252.h"
#include "QtCp1252.h"

namespace brisko {

QString NameText(const std::string& name, NameKind kind) {
    // Host names are UTF-8 on every host the programs run on.
    return kind == NameKind::HOST ? QString::fromUtf8(name) : desktop::FromCp1252(name);
}

QString UserText(const std::string& text) {
    std::string bytes;
    if (base::Utf8ToCp1252(text, bytes) == base::Utf8Conversion::NOT_UTF8) {
        return desktop::FromCp1252(text);
    }
    return QString::fromUtf8(text);
}

bool SortsBefore(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

void ShowNames(QListWidget& list, const NameList& names, NameKind kind) {
    std::vector<std::pair<QString, const std::string*>> shown;
    shown.reserve(names.size());
    for (const std::string& name : names)
        shown.emplace_back(NameText(name, kind), &name);
    std::sort(shown.begin(), shown.end(),
              [](const auto& a, const auto& b) { return SortsBefore(a.first, b.first); });
    {
        // Emptying is no change of selection the commands should see.
        const QSignalBlocker quiet(list);
        list.clear();
    }
    for (const auto& [text, name] : shown) {
        auto* item = new QListWidgetItem(text);
        item->setToolTip(text);  // a long name is cut short in the list
        item->setData(Qt::UserRole, QByteArray::fromStdString(*name));
        list.addItem(item);
    }
    list.setCurrentRow(-1);
}

std::string NameOf(const QListWidgetItem& item) {
    return item.data(Qt::UserRole).toByteArray().toStdString();
}

}  // namespace brisko
