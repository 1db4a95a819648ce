#include "EditorFixture.h"

#include <QComboBox>
#include "QtCp1252.h"

#include "FindDialog.h"
#include "ProfileFile.h"

namespace tavrel::test {

int EditorPlatform::RunDialog(QDialog& dialog) {
    ScriptedPlatform::RunDialog(dialog);
    if (dialogScripts.empty() || dialogScripts.front().title != dialog.windowTitle()) {
        return QDialog::Accepted;
    }
    const DialogScript script = dialogScripts.front();
    dialogScripts.pop_front();
    return script.run(dialog);
}

void EditorFixture::ScriptFind(const std::string& text) {
    platform.dialogScripts.push_back({"Find", [text](QDialog& dialog) {
                                          auto& find = dynamic_cast<FindDialog&>(dialog);
                                          if (text.empty())
                                              return static_cast<int>(QDialog::Rejected);
                                          find.Combo().setEditText(desktop::FromCp1252(text));
                                          find.Confirm();
                                          return find.result();
                                      }});
}

EditorFixture::~EditorFixture() {
    // Whatever a test left open goes without further questions.
    if (window) platform.answers.assign(4, Platform::Answer::NO);
    window.reset();
}

std::string EditorFixture::Ini(const std::string& key) const {
    return ReadProfileString(Ini(), "Options", key, "<missing>");
}

std::string EditorFixture::Table(const std::string& name, const std::string& bytes) const {
    const std::string path = Folder() + name;
    WriteFile(path, bytes);
    return path;
}

EditorWindow& EditorFixture::Open(const std::string& commandLine) {
    window = std::make_unique<EditorWindow>(platform,
                                            EditorSetup{Folder(), Ini(), commandLine, "Tavrel"});
    window->Start();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    window->Grid().setFocus();
    return *window;
}

bool EditorFixture::CloseBox() {
    const bool closed = window->close();
    QCoreApplication::processEvents();
    return closed;
}

void EditorFixture::GridKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&window->Grid(), key, modifiers);
}

void EditorFixture::EditorKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&window->Editor(), key, modifiers);
}

void EditorFixture::ClickCell(int row, int column) {
    GridView& grid = window->Grid();
    const QRect cell = grid.CellRect(row, column);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

std::string EditorFixture::EditorText() {
    return desktop::ToCp1252(window->Editor().text());
}

std::string EditorFixture::Cell(int row, int column) const {
    return std::string(window->Table().Cell(row, column));
}

}  // namespace tavrel::test
