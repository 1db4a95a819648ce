// A window on a scratch program folder, answered by a ScriptedPlatform.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "CellEditor.h"
#include "EditorWindow.h"
#include "ProfileFile.h"
#include "ScriptedPlatform.h"
#include "TestFiles.h"

namespace tavrel::test {

using base::ReadProfileString;
using base::WriteProfileString;
using base::test::ReadFile;
using base::test::TempDir;
using base::test::WriteFile;
using desktop::test::ScriptedPlatform;

// The scripted platform with the program's own dialogs run by the test: a dialog whose title the
// next script names is handed to it, which fills it in and gives its result; any other dialog is
// accepted untouched.
class EditorPlatform : public ScriptedPlatform {
public:
    struct DialogScript {
        QString title;
        std::function<int(QDialog&)> run;
    };
    int RunDialog(QDialog& dialog) override;
    std::deque<DialogScript> dialogScripts;
};

class EditorFixture : public testing::Test {
protected:
    ~EditorFixture() override;

    std::string Folder() const { return dir.Path().string() + "/"; }
    std::string Ini() const { return Folder() + "Tavrel.ini"; }
    std::string Ini(const std::string& key) const;

    // Writes a table file into the program folder and returns its path.
    std::string Table(const std::string& name, const std::string& bytes) const;
    // Makes, starts and shows the window, with `commandLine` as its table.
    EditorWindow& Open(const std::string& commandLine = "");
    // Closes the window through its close box; true when it closed.
    bool CloseBox();

    // Keys to the grid (which must have the focus) or to the editor.
    void GridKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void EditorKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void ClickCell(int row, int column);
    std::string EditorText();
    std::string Cell(int row, int column) const;

    // Answers the next Find dialog with `text` (OK), or cancels it when `text` is empty.
    void ScriptFind(const std::string& text);

    TempDir dir;
    EditorPlatform platform;
    std::unique_ptr<EditorWindow> window;
};

}  // namespace tavrel::test
