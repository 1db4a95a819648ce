#include "NameLists.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>

#include "Cp1252.h"
#include "QtCp1252.h"

namespace brisko {

QString NameText(const std::string& name) {
    return desktop::FromCp1252(name);
}

bool SortsBefore(const std::string& a, const std::string& b) {
    const std::string foldedA = base::Cp1252FoldCase(a);
    const std::string foldedB = base::Cp1252FoldCase(b);
    if (foldedA != foldedB) return foldedA < foldedB;
    return a < b;
}

void ShowNames(QListWidget& list, NameList names) {
    std::sort(names.begin(), names.end(), SortsBefore);
    {
        // Emptying is no change of selection the commands should see.
        const QSignalBlocker quiet(list);
        list.clear();
    }
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(NameText(name));
        item->setData(Qt::UserRole, QByteArray::fromStdString(name));
        list.addItem(item);
    }
    list.setCurrentRow(-1);
}

std::string NameOf(const QListWidgetItem& item) {
    return item.data(Qt::UserRole).toByteArray().toStdString();
}

}  // namespace brisko
