#include "ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <QDialog>

namespace desktop::test {

Platform::Answer ScriptedPlatform::ShowMessage(QWidget*, const QString& caption,
                                               const QString& text, Buttons buttons, Icon icon) {
    messages.push_back({caption, text, buttons, icon});
    if (buttons == Buttons::OK) return Answer::OK;
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return buttons == Buttons::YES_NO_CANCEL ? Answer::CANCEL : Answer::NO;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPlatform::NextFile(bool save, const FileDialog& dialog) {
    fileQuestions.push_back({save, dialog});
    if (files.empty()) {
        ADD_FAILURE() << "unexpected " << (save ? "save" : "open") << "-file dialog";
        return {};
    }
    const std::optional<std::string> file = files.front();
    files.pop_front();
    return file;
}

std::optional<std::string> ScriptedPlatform::AskOpenFile(QWidget*, const FileDialog& dialog) {
    return NextFile(false, dialog);
}

std::optional<std::string> ScriptedPlatform::AskSaveFile(QWidget*, const FileDialog& dialog) {
    return NextFile(true, dialog);
}

int ScriptedPlatform::RunDialog(QDialog& dialog) {
    dialogs.push_back(dialog.windowTitle());
    return QDialog::Accepted;
}

std::vector<QString> ScriptedPlatform::MessageTexts() const {
    std::vector<QString> texts;
    for (const Message& m : messages)
        texts.push_back(m.text);
    return texts;
}

}  // namespace desktop::test
