#include "FindDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "FindText.h"
#include "QtCp1252.h"

namespace tavrel {
namespace {

constexpr const char* kOptions = "Options";
constexpr std::size_t kMaxEntryChars = 1023;

std::string HistoryKey(std::size_t i) {
    return "find" + std::to_string(i);
}

}  // namespace

FindDialog::FindDialog(desktop::Platform& platformServices, std::string ini, QString title,
                       QWidget* parent)
    : QDialog(parent), platform(platformServices), iniPath(std::move(ini)), caption(title) {
    setWindowTitle("Find");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Type in search string:", this));
    combo = new QComboBox(this);
    combo->setEditable(true);
    // The text is searched for exactly as typed: the box neither completes it from the history nor
    // swaps it for an entry that differs in letter case only.
    combo->setInsertPolicy(QComboBox::NoInsert);  // the history is ours to keep
    combo->setDuplicatesEnabled(true);
    combo->setCompleter(nullptr);
    combo->setMinimumContentsLength(24);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    layout->addWidget(combo);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &FindDialog::Confirm);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    LoadHistory();
}

// The non-empty entries in key order; the text field holds "find0", or nothing when it is empty.
void FindDialog::LoadHistory() {
    QString first;
    for (std::size_t i = 0; i < kFindHistorySize; ++i) {
        const std::string entry =
            platform.ReadProfileString(iniPath, kOptions, HistoryKey(i), "", kMaxEntryChars);
        if (entry.empty()) continue;
        if (i == 0) first = desktop::FromCp1252(entry);
        combo->addItem(desktop::FromCp1252(entry));
    }
    combo->setEditText(first);
    combo->lineEdit()->selectAll();
}

void FindDialog::Confirm() {
    const std::string text = desktop::ToCp1252(combo->currentText());
    if (text.empty()) {
        platform.ShowMessage(this, caption, "You need to type in or select a string.",
                             desktop::Platform::Buttons::OK, desktop::Platform::Icon::EXCLAMATION);
        return;
    }
    std::vector<std::string> history;
    for (int i = 0; i < combo->count(); ++i)
        history.push_back(desktop::ToCp1252(combo->itemText(i)));
    const std::vector<std::string> updated = UpdatedFindHistory(history, text);
    for (std::size_t k = 0; k < updated.size(); ++k)
        platform.WriteProfileString(iniPath, kOptions, HistoryKey(k), updated[k]);
    searchText = text;
    accept();
}

}  // namespace tavrel
