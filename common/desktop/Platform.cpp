#include "Platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>

#include "HostPaths.h"
#include "ProfileFile.h"

namespace desktop {

std::string Platform::ReadProfileString(const std::string& path, std::string_view section,
                                        std::string_view key, std::string_view fallback,
                                        std::size_t maxChars) {
    return base::ReadProfileString(path, section, key, fallback, maxChars);
}

int Platform::ReadProfileInt(const std::string& path, std::string_view section,
                             std::string_view key, int fallback) {
    return base::ReadProfileInt(path, section, key, fallback);
}

bool Platform::WriteProfileString(const std::string& path, std::string_view section,
                                  std::string_view key, std::string_view value) {
    return base::WriteProfileString(path, section, key, value);
}

namespace {

// "CSV Files (*.csv)|*.csv||" becomes the dialog's "CSV Files (*.csv)".
QString DialogFilter(const std::string& filter) {
    const QStringList parts = QString::fromLocal8Bit(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        const QString patterns = parts[i + 1].split(';').join(' ');
        filters << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + patterns + ")");
    }
    return filters.join(";;");
}

std::optional<std::string> RunFileDialog(QWidget* parent, const Platform::FileDialog& request,
                                         QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(DialogFilter(request.filter));
    dialog.setDefaultSuffix(QString::fromLocal8Bit(request.defaultExtension));
    const QFileInfo initial(PathToQt(request.initialName));
    if (!request.initialName.empty()) {
        dialog.setDirectory(initial.absolutePath());
        if (!initial.fileName().contains('*')) dialog.selectFile(initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return PathFromQt(dialog.selectedFiles().first());
}

}  // namespace

Platform::Answer QtPlatform::ShowMessage(QWidget* parent, const QString& caption,
                                         const QString& text, Buttons buttons, Icon icon) {
    QMessageBox box(icon == Icon::STOP ? QMessageBox::Critical : QMessageBox::Warning, caption,
                    text, QMessageBox::NoButton, parent);
    switch (buttons) {
        case Buttons::OK:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Buttons::YES_NO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case Buttons::YES_NO_CANCEL:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::YES;
        case QMessageBox::No:
            return Answer::NO;
        case QMessageBox::Cancel:
            return Answer::CANCEL;
        default:
            return buttons == Buttons::YES_NO_CANCEL ? Answer::CANCEL : Answer::OK;
    }
}

std::optional<std::string> QtPlatform::AskOpenFile(QWidget* parent, const FileDialog& dialog) {
    return RunFileDialog(parent, dialog, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtPlatform::AskSaveFile(QWidget* parent, const FileDialog& dialog) {
    return RunFileDialog(parent, dialog, QFileDialog::AcceptSave);
}

int QtPlatform::RunDialog(QDialog& dialog) {
    return dialog.exec();
}

// Qt tells the Caps Lock state only through the text of a typed letter: with Shift up an upper
// case letter means Caps Lock is on, with Shift down a lower case one. Ctrl spoils the text, so
// the state last seen stands in then.
bool QtPlatform::CapsLockOn(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.size() == 1 && text[0].isLetter() && !(event.modifiers() & Qt::ControlModifier)) {
        const bool shift = event.modifiers() & Qt::ShiftModifier;
        capsLock_ = text[0].isUpper() != shift;
    }
    return capsLock_;
}

void QtPlatform::SetClipboardText(const QString& text) {
    QApplication::clipboard()->setText(text);
}

QString QtPlatform::ClipboardText() {
    return QApplication::clipboard()->text();
}

}  // namespace desktop
