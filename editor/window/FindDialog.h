// The Find dialog: a search text typed in or picked from the last ten, remembered in the
// settings file ("find0", the most recent, to "find9" in section "Options").
#pragma once

#include <QDialog>
#include <string>

#include "Platform.h"

class QComboBox;

namespace tavrel {

class FindDialog : public QDialog {
    Q_OBJECT

public:
    // Fills the list from the history in `iniPath`; `caption` titles its message.
    FindDialog(desktop::Platform& platform, std::string iniPath, QString caption,
               QWidget* parent = nullptr);

    // The text the dialog was closed with by OK.
    const std::string& SearchText() const { return searchText; }
    QComboBox& Combo() { return *combo; }

    // OK (and Enter): an empty text is refused with a message and the dialog stays open;
    // otherwise the history is written and the dialog closes.
    void Confirm();

private:
    void LoadHistory();

    desktop::Platform& platform;
    const std::string iniPath;
    const QString caption;
    QComboBox* combo = nullptr;
    std::string searchText;
};

}  // namespace tavrel
