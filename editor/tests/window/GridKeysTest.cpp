// The grid's keys and clicks and what they do to the cell editor.
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "EditorFixture.h"
#include "QtCp1252.h"

namespace tavrel::test {
namespace {

// Five columns and four data rows: with the blank margin, 15 columns and 14 rows.
const std::string kTable =
    "A,B,C,D,E,\r\n"
    "1a,1b,1c,1d,1e,\r\n"
    "2a,2b,2c,2d,2e,\r\n"
    "3a,3b,3c,3d,3e,\r\n"
    "4a,4b,4c,4d,4e,\r\n";
constexpr int kRows = 14;
constexpr int kColumns = 15;

struct KeyCase {
    const char* name;
    int editRow, editColumn;  // the edit open before the key; -1: none (row editRow selected)
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int expectRow, expectColumn;  // the edit open after it; -1: none
    int expectSelected;           // the first selected row after it
    const char* expectEditor;     // the editor's text, when an edit is open
    bool expectEditorFocus;
};

class GridKeys : public EditorFixture, public testing::WithParamInterface<KeyCase> {};

TEST_P(GridKeys, ActAsTheKeyTableSays) {
    const KeyCase& c = GetParam();
    Open(Table("t.csv", kTable));
    window->resize(900, 600);  // every row on one page
    EditorWindow& w = *window;
    const int row = c.editRow;
    ClickCell(row, c.editColumn < 0 ? 0 : c.editColumn);
    if (c.editColumn < 0) EditorKey(Qt::Key_Escape);
    ASSERT_EQ(w.EditOpen(), c.editColumn >= 0);
    ASSERT_EQ(w.FirstSelectedRow(), row);
    ASSERT_TRUE(w.Grid().hasFocus());

    GridKey(c.key, c.modifiers);

    EXPECT_EQ(w.Edit().editRow, c.expectRow);
    EXPECT_EQ(w.Edit().editColumn, c.expectColumn);
    EXPECT_EQ(w.EditOpen(), c.expectColumn >= 0);
    EXPECT_EQ(w.FirstSelectedRow(), c.expectSelected);
    if (c.expectColumn >= 0) {
        EXPECT_EQ(EditorText(), c.expectEditor);
        EXPECT_EQ(w.Editor().hasFocus(), c.expectEditorFocus);
        EXPECT_EQ(w.Editor().geometry(),
                  w.Grid().CellRect(c.expectRow, c.expectColumn).adjusted(-1, -1, 1, 1));
    }
    EXPECT_FALSE(w.State().modified);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(Cell(r, 1), std::to_string(r + 1) + "b") << "nothing is stored by a key alone";
    }
}

constexpr auto kNone = Qt::NoModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kCtrl = Qt::ControlModifier;

INSTANTIATE_TEST_SUITE_P(
    Editor, GridKeys,
    testing::Values(
        // Edit open at row 1, column 1.
        KeyCase{"HomeCommitsAndGoesToFirstRow", 1, 1, Qt::Key_Home, kNone, -1, -1, 0, "", false},
        KeyCase{"EndCommitsAndGoesToLastRow", 1, 1, Qt::Key_End, kNone, -1, -1, kRows - 1, "",
                false},
        KeyCase{"PageUpCommits", 1, 1, Qt::Key_PageUp, kNone, -1, -1, 0, "", false},
        KeyCase{"UpMovesEditAndSelection", 1, 1, Qt::Key_Up, kNone, 0, 1, 0, "1b", false},
        KeyCase{"DownMovesEditAndSelection", 1, 1, Qt::Key_Down, kNone, 2, 1, 2, "3b", false},
        KeyCase{"LeftMovesEditOnly", 1, 1, Qt::Key_Left, kNone, 1, 0, 1, "2a", false},
        KeyCase{"RightMovesEditOnly", 1, 1, Qt::Key_Right, kNone, 1, 2, 1, "2c", false},
        KeyCase{"DeleteEmptiesTheEditorOnly", 1, 1, Qt::Key_Delete, kNone, 1, 1, 1, "", true},
        KeyCase{"LetterTyped", 1, 1, Qt::Key_K, kNone, 1, 1, 1, "k", true},
        KeyCase{"ShiftLetterTyped", 1, 1, Qt::Key_K, kShift, 1, 1, 1, "K", true},
        KeyCase{"CtrlOtherLetterTyped", 1, 1, Qt::Key_K, kCtrl, 1, 1, 1, "k", true},
        KeyCase{"DigitTyped", 1, 1, Qt::Key_7, kNone, 1, 1, 1, "7", true},
        KeyCase{"KeypadDigitTyped", 1, 1, Qt::Key_4, Qt::KeypadModifier, 1, 1, 1, "4", true},
        KeyCase{"SpaceTyped", 1, 1, Qt::Key_Space, kNone, 1, 1, 1, " ", true},
        KeyCase{"CtrlCIsACommandNotALetter", 1, 1, Qt::Key_C, kCtrl, 1, 1, 1, "2b", false},
        KeyCase{"CWithoutCtrlIsALetter", 1, 1, Qt::Key_C, kNone, 1, 1, 1, "c", true},
        KeyCase{"PunctuationDoesNothing", 1, 1, Qt::Key_Comma, kNone, 1, 1, 1, "2b", false},
        KeyCase{"TabIsSwallowed", 1, 1, Qt::Key_Tab, kNone, 1, 1, 1, "2b", false},
        KeyCase{"OtherFunctionKeyDoesNothing", 1, 1, Qt::Key_F5, kNone, 1, 1, 1, "2b", false},
        // Keys with nothing to act on keep the edit.
        KeyCase{"UpInFirstRow", 0, 1, Qt::Key_Up, kNone, 0, 1, 0, "1b", false},
        KeyCase{"DownInLastRow", kRows - 1, 1, Qt::Key_Down, kNone, kRows - 1, 1, kRows - 1, "",
                false},
        KeyCase{"LeftInFirstColumn", 1, 0, Qt::Key_Left, kNone, 1, 0, 1, "2a", false},
        // No edit open: navigation moves the selection, the rest does nothing.
        KeyCase{"UpWithoutEdit", 2, -1, Qt::Key_Up, kNone, -1, -1, 1, "", false},
        KeyCase{"DownWithoutEdit", 2, -1, Qt::Key_Down, kNone, -1, -1, 3, "", false},
        KeyCase{"HomeWithoutEdit", 2, -1, Qt::Key_Home, kNone, -1, -1, 0, "", false},
        KeyCase{"EndWithoutEdit", 2, -1, Qt::Key_End, kNone, -1, -1, kRows - 1, "", false},
        KeyCase{"LeftWithoutEdit", 2, -1, Qt::Key_Left, kNone, -1, -1, 2, "", false},
        KeyCase{"RightWithoutEdit", 2, -1, Qt::Key_Right, kNone, -1, -1, 2, "", false},
        KeyCase{"LetterWithoutEdit", 2, -1, Qt::Key_K, kNone, -1, -1, 2, "", false},
        KeyCase{"EnterWithoutEdit", 2, -1, Qt::Key_Return, kNone, -1, -1, 2, "", false}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

class EditTest : public EditorFixture {
protected:
    void SetUp() override {
        Open(Table("t.csv", kTable));
        window->resize(900, 600);  // every row on one page
    }
};

TEST_F(EditTest, PageDownGoesToTheBottomOfThePageThenAPageFurther) {
    // A taller table than the page.
    std::string big = "A,\r\n";
    for (int r = 0; r < 200; ++r)
        big += std::to_string(r) + ",\r\n";
    Open(Table("big.csv", big));
    window->resize(900, 600);
    GridView& grid = window->Grid();
    const int page = grid.RowsPerPage();
    ASSERT_GT(page, 3);
    ClickCell(0, 0);
    GridKey(Qt::Key_PageDown);
    EXPECT_EQ(window->FirstSelectedRow(), page - 1);
    GridKey(Qt::Key_PageDown);
    EXPECT_EQ(window->FirstSelectedRow(), 2 * (page - 1));
    GridKey(Qt::Key_PageUp);
    EXPECT_EQ(window->FirstSelectedRow(), grid.rowAt(0));
    GridKey(Qt::Key_End);
    EXPECT_EQ(window->FirstSelectedRow(), 209);
    EXPECT_LE(grid.CellRect(209, 0).bottom(), grid.viewport()->height());

    ClickCell(209, 0);  // an open edit ends with the page keys
    GridKey(Qt::Key_PageUp);
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(window->FirstSelectedRow(), grid.rowAt(0));
}

// A big table in a small window, the first page on screen.
class ScrollTest : public EditorFixture {
protected:
    void SetUp() override {
        std::string big = "A,B,C,D,E,F,G,H,I,J,K,L,\r\n";
        for (int r = 0; r < 200; ++r)
            big += std::to_string(r) + ",b,c,d,e,f,g,h,i,j,k,l,\r\n";
        Open(Table("big.csv", big));
        window->resize(300, 330);  // a page a little more than whole rows
        QCoreApplication::processEvents();
    }
    // The top of the first row on screen; 0 when it is whole.
    int TopRowTop() const {
        GridView& grid = window->Grid();
        return grid.CellRect(grid.rowAt(0), 0).top();
    }
};

TEST_F(ScrollTest, EnterBringsTheNextCellIntoView) {
    GridView& grid = window->Grid();
    const int last = grid.rowAt(0) + grid.RowsPerPage() - 1;  // the last whole row on screen
    ClickCell(last, 1);
    for (int i = 0; i < 3; ++i) {
        EditorKey(Qt::Key_Return);
        const QRect cell = grid.CellRect(last + 1 + i, 1);
        EXPECT_GE(cell.top(), 0) << i;
        EXPECT_LE(cell.bottom(), grid.viewport()->height()) << i;
        EXPECT_EQ(window->Editor().geometry(), cell.adjusted(-1, -1, 1, 1));
    }
}

TEST_F(ScrollTest, EndShowsWholeRowsFromTheTop) {
    GridView& grid = window->Grid();
    ASSERT_NE(grid.viewport()->height() % grid.rowHeight(0), 0) << "the page must not fit rows";
    ClickCell(0, 0);
    EditorKey(Qt::Key_Escape);
    GridKey(Qt::Key_End);
    EXPECT_EQ(TopRowTop(), 0);
    const QRect last = grid.CellRect(209, 0);
    EXPECT_LE(last.bottom(), grid.viewport()->height()) << "the last row whole too";
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    EXPECT_EQ(TopRowTop(), 0) << "the scroll bar at its end";
}

TEST_F(ScrollTest, ANewTableStartsAtItsTopLeft) {
    GridView& grid = window->Grid();
    grid.verticalScrollBar()->setValue(150);
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    platform.files = {Table("other.csv", ReadFile(Folder() + "big.csv"))};  // as long and wide
    window->OnCommand(ID_FILE_OPEN);
    EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(grid.rowAt(0), 0);
}

TEST_F(EditTest, TypedLettersFollowShiftAndCapsLock) {
    struct Case {
        bool capsLock;
        Qt::KeyboardModifiers modifiers;
        const char* typed;
    };
    const Case cases[] = {{false, Qt::NoModifier, "g"},
                          {false, Qt::ShiftModifier, "G"},
                          {true, Qt::NoModifier, "G"},
                          {true, Qt::ShiftModifier, "G"},
                          {true, Qt::ControlModifier, "G"}};
    for (const Case& c : cases) {
        platform.capsLock = c.capsLock;
        ClickCell(0, 0);
        GridKey(Qt::Key_G, c.modifiers);
        EXPECT_EQ(EditorText(), c.typed) << c.capsLock << " " << c.modifiers;
        EditorKey(Qt::Key_Escape);
    }
}

TEST_F(EditTest, EnterStoresAndMovesTheEditorDownButNotTheSelection) {
    ClickCell(1, 1);
    GridKey(Qt::Key_X);
    EditorKey(Qt::Key_Return);
    EXPECT_EQ(Cell(1, 1), "x");
    EXPECT_TRUE(window->State().modified);
    EXPECT_EQ(window->Edit().editRow, 2);
    EXPECT_EQ(window->Edit().editColumn, 1);
    EXPECT_EQ(window->FirstSelectedRow(), 1);
    EXPECT_TRUE(window->Editor().hasFocus());
    EXPECT_EQ(EditorText(), "3b");

    QTest::keyClicks(&window->Editor(), "yz");  // the whole text was selected: replaced
    EditorKey(Qt::Key_Enter);
    EXPECT_EQ(Cell(2, 1), "yz");
    EXPECT_EQ(window->Edit().editRow, 3);
}

TEST_F(EditTest, EnterWithoutTypingStoresNothing) {
    ClickCell(0, 2);
    GridKey(Qt::Key_Return);
    EXPECT_FALSE(window->State().modified);
    EXPECT_EQ(window->Edit().editRow, 1);
    EXPECT_EQ(Cell(0, 2), "1c");
}

TEST_F(EditTest, EnterOnTheLastRowStoresAndEndsTheEdit) {
    window->BeginEdit(kRows - 1, 0);
    GridKey(Qt::Key_W);
    EditorKey(Qt::Key_Return);
    EXPECT_EQ(Cell(kRows - 1, 0), "w");
    EXPECT_FALSE(window->EditOpen());
    EXPECT_TRUE(window->Grid().hasFocus());
}

TEST_F(EditTest, KeysInTheEditorAreTheEditorsOwn) {
    ClickCell(1, 1);
    GridKey(Qt::Key_K);  // the focus is in the editor now
    ASSERT_TRUE(window->Editor().hasFocus());
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_F3,
                              Qt::Key_Insert, Qt::Key_Tab}) {
        EditorKey(key);
        EXPECT_EQ(window->Edit().editRow, 1) << key;
        EXPECT_EQ(window->Edit().editColumn, 1) << key;
        EXPECT_EQ(window->FirstSelectedRow(), 1) << key;
    }
    QTest::keyClicks(&window->Editor(), "xy");
    window->Editor().selectAll();
    EditorKey(Qt::Key_C, Qt::ControlModifier);  // copies the text, not the row
    EXPECT_EQ(QApplication::clipboard()->text(), window->Editor().text());
    EditorKey(Qt::Key_Left);
    EditorKey(Qt::Key_Delete);  // deletes a character
    EXPECT_TRUE(window->EditOpen());
    EXPECT_EQ(window->Edit().editColumn, 1);
    EXPECT_FALSE(window->State().modified);
}

TEST_F(EditTest, TooltipsOnlyForCellsWhoseTextDoesNotFit) {
    Open(Table("tips.csv", "A,B,\r\n" + std::string(60, 'W') + ",x,\r\n"));
    GridView& grid = window->Grid();
    grid.horizontalHeader()->resizeSection(0, 40);
    const auto tipAt = [&](int row, int column) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
        const QPoint at = grid.CellRect(row, column).center();
        QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(0, 0), QString(60, 'W'));
    EXPECT_EQ(tipAt(0, 1), QString());
}

TEST_F(EditTest, ACaseOnlyChangeIsStored) {
    ClickCell(0, 1);
    window->Editor().setText("1B");
    EditorKey(Qt::Key_Return);
    EXPECT_EQ(Cell(0, 1), "1B");
    EXPECT_TRUE(window->State().modified);
}

TEST_F(EditTest, DeleteEmptiesOnlyTheEditorUntilTheEditEnds) {
    ClickCell(0, 0);
    GridKey(Qt::Key_Delete);
    EXPECT_EQ(EditorText(), "");
    EXPECT_EQ(Cell(0, 0), "1a");
    EditorKey(Qt::Key_Escape);
    EXPECT_EQ(Cell(0, 0), "1a");
    EXPECT_FALSE(window->State().modified);

    ClickCell(0, 0);
    GridKey(Qt::Key_Delete);
    EditorKey(Qt::Key_Return);
    EXPECT_EQ(Cell(0, 0), "");
    EXPECT_TRUE(window->State().modified);
}

TEST_F(EditTest, AClickBelowTheLastRowCommitsAndOpensNothing) {
    ClickCell(1, 0);
    GridKey(Qt::Key_M);
    GridView& grid = window->Grid();
    const QPoint below(grid.CellRect(kRows - 1, 0).center().x(),
                       grid.CellRect(kRows - 1, 0).bottom() + 5);
    ASSERT_LT(below.y(), grid.viewport()->height()) << "the window is too small for this test";
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, below);
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(Cell(1, 0), "m");
    EXPECT_TRUE(window->State().modified);
}

TEST_F(EditTest, AClickOnAnotherCellStoresAndMovesTheEdit) {
    ClickCell(0, 0);
    GridKey(Qt::Key_P);
    ClickCell(2, 3);
    EXPECT_EQ(Cell(0, 0), "p");
    EXPECT_EQ(window->Edit().editRow, 2);
    EXPECT_EQ(window->Edit().editColumn, 3);
    EXPECT_EQ(window->FirstSelectedRow(), 2);
    EXPECT_EQ(EditorText(), "3d");
    EXPECT_TRUE(window->Grid().hasFocus());
}

TEST_F(EditTest, RightScrollsTheNextColumnIntoViewAndStopsAtTheLastColumn) {
    GridView& grid = window->Grid();
    ClickCell(0, 0);
    for (int c = 1; c < kColumns; ++c) {
        GridKey(Qt::Key_Right);
        ASSERT_EQ(window->Edit().editColumn, c);
        const QRect cell = grid.CellRect(0, c);
        EXPECT_LE(cell.right(), grid.viewport()->rect().right()) << c;
        EXPECT_GE(cell.left(), 0) << c;
    }
    GridKey(Qt::Key_Right);
    EXPECT_EQ(window->Edit().editColumn, kColumns - 1);
    EXPECT_TRUE(window->EditOpen());
    for (int c = kColumns - 2; c >= 0; --c) {
        GridKey(Qt::Key_Left);
        EXPECT_GE(grid.CellRect(0, c).left(), 0) << c;
    }
    EXPECT_EQ(grid.horizontalScrollBar()->value(), 0);
}

TEST_F(EditTest, TheEditorFollowsItsCellWhenTheGridScrollsOrAColumnResizes) {
    ClickCell(1, 2);
    window->Grid().horizontalHeader()->resizeSection(0, 200);
    EXPECT_EQ(window->Editor().geometry(), window->Grid().CellRect(1, 2).adjusted(-1, -1, 1, 1));
    window->Grid().horizontalScrollBar()->setValue(30);
    EXPECT_EQ(window->Editor().geometry(), window->Grid().CellRect(1, 2).adjusted(-1, -1, 1, 1));
    EXPECT_EQ(window->Edit().editRect, window->Grid().CellRect(1, 2));
}

TEST_F(EditTest, FocusMovingAwayFromGridAndEditorCommits) {
    ClickCell(0, 0);
    GridKey(Qt::Key_H);  // focus in the editor now
    window->Grid().setFocus();
    EXPECT_TRUE(window->EditOpen()) << "grid and editor share an edit";
    window->Editor().setFocus();
    EXPECT_TRUE(window->EditOpen());
    QLineEdit elsewhere(window.get());
    elsewhere.show();
    elsewhere.setFocus();
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(Cell(0, 0), "h");
}

TEST_F(EditTest, EightBitTextIsShownInWindows1252AndStoredByteForByte) {
    Open(Table("b.csv", "N,\r\n\x80 \xe9t\xe9 \x81,\r\n"));
    ClickCell(0, 0);
    EXPECT_EQ(window->Editor().text(), QString::fromUtf8("\u20AC \u00E9t\u00E9 \u0081"));
    EditorKey(Qt::Key_Return);
    EXPECT_FALSE(window->State().modified);
    EXPECT_EQ(Cell(0, 0), "\x80 \xe9t\xe9 \x81");

    // Pasted text outside the code page is held as "?", never as a wrong byte.
    window->BeginEdit(0, 0);
    window->Editor().setFocus();
    window->Editor().selectAll();
    window->Editor().insert(QString::fromUtf8("\u2603 snow \u20AC"));
    EXPECT_EQ(window->Editor().text(), QString::fromUtf8("? snow \u20AC"));
    EditorKey(Qt::Key_Return);
    EXPECT_EQ(Cell(0, 0), "? snow \x80");
}

TEST_F(EditTest, ALongCellGoesThroughTheEditorUncut) {
    const std::string longText(70000, 'L');
    Open(Table("long.csv", "A,\r\n" + longText + ",\r\n"));
    ClickCell(0, 0);
    EditorKey(Qt::Key_Return);
    EXPECT_FALSE(window->State().modified);
    EXPECT_EQ(Cell(0, 0), longText);
}

TEST_F(EditTest, SelectionOfRows) {
    window->SetRowSelected(3, true);
    window->SetRowSelected(1, true);
    EXPECT_EQ(window->FirstSelectedRow(), 1);
    window->SetRowSelected(1, false);
    EXPECT_EQ(window->FirstSelectedRow(), 3);
    window->SetRowSelected(-1, true);
    EXPECT_EQ(window->FirstSelectedRow(), 0);
    EXPECT_EQ(window->Grid().selectionModel()->selectedRows().size(), kRows);
    window->SetRowSelected(-1, false);
    EXPECT_EQ(window->FirstSelectedRow(), -1);

    ClickCell(2, 0);
    QTest::mouseClick(window->Grid().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      window->Grid().CellRect(4, 0).center());
    EXPECT_EQ(window->Grid().selectionModel()->selectedRows().size(), 2);
    GridKey(Qt::Key_Down, Qt::ShiftModifier);  // a list keeps only anchor..target
    const QModelIndexList rows = window->Grid().selectionModel()->selectedRows();
    EXPECT_EQ(rows.size(), 2);
    EXPECT_EQ(window->FirstSelectedRow(), 4);
}

}  // namespace
}  // namespace tavrel::test
