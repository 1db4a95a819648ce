// The desktop services answered by a script: every message box, file dialog and dialog the window
// shows is recorded, and answered from queues the test fills. A question the test did not expect
// fails the test instead of waiting for a person.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "Platform.h"

namespace desktop::test {

class ScriptedPlatform : public Platform {
public:
    struct Message {
        QString caption;
        QString text;
        Buttons buttons;
        Icon icon;
    };
    struct FileQuestion {
        bool save;
        FileDialog dialog;
    };

    Answer ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                       Buttons buttons, Icon icon) override;
    std::optional<std::string> AskOpenFile(QWidget* parent, const FileDialog& dialog) override;
    std::optional<std::string> AskSaveFile(QWidget* parent, const FileDialog& dialog) override;
    int RunDialog(QDialog& dialog) override;
    bool CapsLockOn(const QKeyEvent&) override { return capsLock; }
    void SetClipboardText(const QString& text) override { clipboard = text; }
    QString ClipboardText() override { return clipboard; }

    // The texts of the messages shown so far.
    std::vector<QString> MessageTexts() const;

    // Answers, taken in order.
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> files;  // none: the dialog is cancelled
    // What was asked.
    std::vector<Message> messages;
    std::vector<FileQuestion> fileQuestions;
    std::vector<QString> dialogs;  // window titles of the program's own dialogs

    bool capsLock = false;
    QString clipboard;

private:
    std::optional<std::string> NextFile(bool save, const FileDialog& dialog);
};

}  // namespace desktop::test
