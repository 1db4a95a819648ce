#include "EditorFixture.h"

#include "QtCp1252.h"
#include "ProfileFile.h"

namespace tavrel::test {

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
