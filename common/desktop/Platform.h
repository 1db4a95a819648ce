// The desktop services the programs' windows use: modal message boxes, the open and save file
// dialogs, running a dialog of our own, the keyboard's Caps Lock state, the clipboard and the
// settings file. The windows ask for them only through this interface, so that tests answer
// every question without a person.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

class QDialog;
class QKeyEvent;
class QWidget;

namespace desktop {

class Platform {
public:
    enum class Buttons { OK, YES_NO, YES_NO_CANCEL };
    enum class Icon { EXCLAMATION, STOP };
    enum class Answer { OK, YES, NO, CANCEL };

    // An open or save file dialog as the window asks for it.
    struct FileDialog {
        std::string filter;            // "Name (*.ext)|*.ext||": pairs of text and pattern
        std::string defaultExtension;  // added to a typed name without extension
        std::string initialName;       // a path, or a folder and a pattern such as "*.csv"
    };

    virtual ~Platform() = default;

    // A modal message box with `caption` as its title.
    virtual Answer ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                               Buttons buttons, Icon icon) = 0;
    // The chosen file's full path (8-bit, as the file system spells it), or none when cancelled.
    virtual std::optional<std::string> AskOpenFile(QWidget* parent, const FileDialog& dialog) = 0;
    // As AskOpenFile; asks before an existing file is overwritten.
    virtual std::optional<std::string> AskSaveFile(QWidget* parent, const FileDialog& dialog) = 0;
    // Shows one of the program's own modal dialogs and returns its result.
    virtual int RunDialog(QDialog& dialog) = 0;
    // Whether Caps Lock is on, as of the key event being handled.
    virtual bool CapsLockOn(const QKeyEvent& event) = 0;
    virtual void SetClipboardText(const QString& text) = 0;
    virtual QString ClipboardText() = 0;

    // The settings file; these read and write the real file in both the program and its tests.
    virtual std::string ReadProfileString(const std::string& path, std::string_view section,
                                          std::string_view key, std::string_view fallback,
                                          std::size_t maxChars);
    virtual int ReadProfileInt(const std::string& path, std::string_view section,
                               std::string_view key, int fallback);
    virtual bool WriteProfileString(const std::string& path, std::string_view section,
                                    std::string_view key, std::string_view value);
};

// The real services, on the Qt desktop.
class QtPlatform : public Platform {
public:
    Answer ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                       Buttons buttons, Icon icon) override;
    std::optional<std::string> AskOpenFile(QWidget* parent, const FileDialog& dialog) override;
    std::optional<std::string> AskSaveFile(QWidget* parent, const FileDialog& dialog) override;
    int RunDialog(QDialog& dialog) override;
    bool CapsLockOn(const QKeyEvent& event) override;
    void SetClipboardText(const QString& text) override;
    QString ClipboardText() override;

private:
    bool capsLock_ = false;  // last state seen in a typed letter
};

}  // namespace desktop
