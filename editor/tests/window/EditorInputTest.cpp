// What reaches a cell through the editor: characters typed on the grid, text that the file
// cannot hold, and edits that start while the window or the menu bar has just had the focus.
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>

#include "EditorFixture.h"
#include "QtCp1252.h"

namespace tavrel::test {
namespace {

class EditorInputTest : public EditorFixture {
protected:
    void SetUp() override {
        path = Table("t.csv", "A,B,C,\r\nA Coy,2,3,\r\n4,5,6,\r\n");
        Open(path);
        window->resize(900, 600);
    }
    // A key as the platform delivers it, with the keyboard's own code of the key.
    void NativeKey(int key, Qt::KeyboardModifiers modifiers, quint32 scanCode,
                   const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
        QApplication::sendEvent(&window->Grid(), &press);
    }
    std::string path;
};

TEST_F(EditorInputTest, SignsAndDigitsStartAnEditAsTheyAreTyped) {
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 scanCode;  // X keycode; 0 when the platform gives none
        const char* text;
        const char* typed;
    };
    const Case cases[] = {
        {"Minus", Qt::Key_Minus, Qt::NoModifier, 20, "-", "-"},
        {"Plus", Qt::Key_Plus, Qt::ShiftModifier, 21, "+", "+"},
        {"Period", Qt::Key_Period, Qt::NoModifier, 60, ".", "."},
        {"KeypadMinus", Qt::Key_Minus, Qt::KeypadModifier, 82, "-", "-"},
        {"ShiftOne", Qt::Key_Exclam, Qt::ShiftModifier, 10, "!", "1"},
        {"ShiftZero", Qt::Key_ParenRight, Qt::ShiftModifier, 19, ")", "0"},
        {"FrenchOne", Qt::Key_Ampersand, Qt::NoModifier, 10, "&", "1"},
        {"FrenchSevenShifted", Qt::Key_7, Qt::ShiftModifier, 16, "7", "7"},
        {"DigitWithoutScanCode", Qt::Key_3, Qt::NoModifier, 0, "3", "3"},
        {"CommaNot", Qt::Key_Comma, Qt::NoModifier, 59, ",", "A Coy"},
        {"ExclamWithoutScanCodeNot", Qt::Key_Exclam, Qt::ShiftModifier, 0, "!", "A Coy"},
    };
    for (const Case& c : cases) {
        ClickCell(0, 0);
        NativeKey(c.key, c.modifiers, c.scanCode, c.text);
        EXPECT_EQ(EditorText(), c.typed) << c.name;
        EditorKey(Qt::Key_Escape);
    }
    // A negative number keeps its sign.
    ClickCell(0, 1);
    NativeKey(Qt::Key_Minus, Qt::NoModifier, 20, "-");
    EditorKey(Qt::Key_7);
    EditorKey(Qt::Key_Return);
    EXPECT_EQ(Cell(0, 1), "-7");
}

// Whatever the focus did on the way, the first character typed replaces the cell's text.
TEST_F(EditorInputTest, AClickInAnInactiveWindowSelectsTheText) {
    ClickCell(1, 0);
    GridKey(Qt::Key_Z);  // the focus is in the editor, as after typing
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(window->EditOpen()) << "another program took the focus: stored";
    EXPECT_EQ(Cell(1, 0), "z");

    ClickCell(0, 0);  // the window is not active yet
    // On X11 the line edit's own deferred work clears the selection of an edit begun while its
    // window was inactive, before the first key arrives; this stands in for it.
    window->Editor().deselect();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    GridKey(Qt::Key_B);
    EXPECT_EQ(EditorText(), "b");
    EXPECT_EQ(Cell(0, 0), "A Coy");

    // Once the user has placed the caret, the typed character goes there.
    ClickCell(1, 0);
    QTest::mouseClick(&window->Editor(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 5));
    window->Grid().setFocus();
    GridKey(Qt::Key_7);
    EXPECT_EQ(EditorText(), "7z");
}

TEST_F(EditorInputTest, TheMenuBarTakingTheKeysLeavesTheEditOpen) {
    ClickCell(0, 0);
    GridKey(Qt::Key_Q);
    ASSERT_TRUE(window->Editor().hasFocus());
    window->menuBar()->setFocus(Qt::MenuBarFocusReason);  // what Alt does
    EXPECT_TRUE(window->EditOpen());
    EXPECT_EQ(Cell(0, 0), "A Coy");
    window->Editor().setFocus(Qt::MenuBarFocusReason);  // Escape in the menu bar gives it back
    EditorKey(Qt::Key_Escape);
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(Cell(0, 0), "A Coy") << "Escape cancelled the edit";
    EXPECT_FALSE(window->State().modified);

    ClickCell(1, 1);  // the grid's focus to the menu bar and back: the edit and its selection
    window->menuBar()->setFocus(Qt::MenuBarFocusReason);
    window->Grid().setFocus(Qt::MenuBarFocusReason);
    EXPECT_TRUE(window->EditOpen());
    GridKey(Qt::Key_W);
    EXPECT_EQ(EditorText(), "w");
}

TEST_F(EditorInputTest, ACommaOrALineBreakNeverEntersACell) {
    struct Case {
        const char* name;
        QString pasted;
        const char* text;
        bool note;
    };
    const Case cases[] = {
        {"SpreadsheetCellWithCrLf", "pasted\r\n", "pasted", false},
        {"TrailingLf", "pasted\n", "pasted", false},
        {"CommaLeftOut", "1,5", "15", true},
        {"LineBreakInside", "a\r\nb\r\n", "ab", true},
        {"PlainText", "plain", "plain", false},
    };
    for (const Case& c : cases) {
        Open(path);
        ClickCell(0, 0);
        window->Editor().setFocus();
        window->Editor().insert(c.pasted);  // what a paste does
        EXPECT_EQ(EditorText(), c.text) << c.name;
        EXPECT_EQ(window->Editor().LastNote().isEmpty(), !c.note) << c.name;
        EditorKey(Qt::Key_Return);
        EXPECT_EQ(Cell(0, 0), c.text) << c.name;
    }
    ClickCell(1, 1);
    GridKey(Qt::Key_9);
    QTest::keyClicks(&window->Editor(), ",1");
    EXPECT_EQ(EditorText(), "91");
    EditorKey(Qt::Key_Return);
    window->OnCommand(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(path), "A,B,C,\r\nplain,2,3,\r\n4,91,6,\r\n");
}

// A cell read with a lone CR in it keeps it through an edit of another part of its text.
TEST_F(EditorInputTest, WhatACellAlreadyHoldsIsKept) {
    Open(Table("cr.csv", "A,\r\nx\ry,\r\n"));
    ClickCell(0, 0);
    window->Editor().setFocus();
    window->Editor().end(false);
    window->Editor().insert("z");
    EditorKey(Qt::Key_Return);
    EXPECT_EQ(Cell(0, 0), "x\ryz");
}

}  // namespace
}  // namespace tavrel::test
