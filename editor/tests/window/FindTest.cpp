// Find and Find Again in the window: the dialog and its history, where a search starts, and how
// a found cell is shown.
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

#include "EditorFixture.h"
#include "FindDialog.h"
#include "QtCp1252.h"

namespace tavrel::test {
namespace {

// The only cells holding "abc" in any letter case are (2, 3) and (2, 5).
const std::string kTable =
    "A,B,C,D,E,F,\r\n"
    "a0,b0,c0,d0,e0,f0,\r\n"
    "a1,b1,c1,d1,e1,f1,\r\n"
    "a2,b2,c2,XABCX,e2,abc,\r\n"
    "a3,b3,c3,d3,e3,f3,\r\n";

class FindTest : public EditorFixture {
protected:
    void SetUp() override {
        Open(Table("t.csv", kTable));
        window->resize(900, 600);
    }
    void History(const std::vector<std::string>& entries) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            WriteProfileString(Ini(), "Options", "find" + std::to_string(i), entries[i]);
    }
    std::vector<std::string> HistoryKeys() const {
        std::vector<std::string> keys;
        for (int i = 0; i < 10; ++i)
            keys.push_back(Ini("find" + std::to_string(i)));
        return keys;
    }
    void ExpectFound(int row, int column) {
        EXPECT_TRUE(window->EditOpen());
        EXPECT_EQ(window->Edit().editRow, row);
        EXPECT_EQ(window->Edit().editColumn, column);
        EXPECT_EQ(window->FirstSelectedRow(), row);
        EXPECT_EQ(window->Grid().selectionModel()->selectedRows().size(), 1);
        EXPECT_EQ(window->Editor().selectedText(), window->Editor().text());
    }
};

TEST_F(FindTest, FindShowsTheCellAndFindAgainGoesOnAndWraps) {
    window->SetRowSelected(4, true);  // a selection elsewhere goes
    window->SetRowSelected(-1, false);
    ScriptFind("abc");
    GridKey(Qt::Key_F, Qt::ControlModifier);
    ExpectFound(2, 3);
    EXPECT_EQ(EditorText(), "XABCX");
    EXPECT_TRUE(window->Grid().hasFocus()) << "the focus stays in the grid";
    EXPECT_EQ(window->FindText(), "abc");

    GridKey(Qt::Key_F3);
    ExpectFound(2, 5);
    GridKey(Qt::Key_F3);
    ExpectFound(2, 3);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(window->State().modified);
    GridKey(Qt::Key_X);  // the found text is selected: typing replaces it
    EXPECT_EQ(EditorText(), "x");
}

TEST_F(FindTest, AFindThatMatchesNothingSaysSoAndChangesNothing) {
    window->SetRowSelected(1, true);
    ScriptFind("zzz");
    window->OnCommand(ID_FIND);
    EXPECT_EQ(platform.MessageTexts(), std::vector<QString>{"String not found!"});
    EXPECT_EQ(platform.messages[0].caption, "Tavrel");
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(window->FirstSelectedRow(), 1);
}

TEST_F(FindTest, FindStoresAnOpenEditAndStartsAtItsRow) {
    ClickCell(2, 5);
    GridKey(Qt::Key_K);  // "abc" at (2, 5) becomes "k"
    ScriptFind("ABC");
    window->OnCommand(ID_FIND);
    EXPECT_EQ(Cell(2, 5), "k");
    EXPECT_TRUE(window->State().modified);
    ExpectFound(2, 3);
    GridKey(Qt::Key_F3);
    ExpectFound(2, 3);  // the only match left
}

TEST_F(FindTest, FindAgainBeforeAnyFindOpensTheNextCell) {
    ClickCell(1, 2);
    window->Grid().setFocus();
    GridKey(Qt::Key_F3);
    ExpectFound(1, 3);
}

TEST_F(FindTest, EightBitLettersFoldAsThePlatformFoldsThem) {
    Open(Table("e.csv", "N,\r\nx,\r\nl'\xe9t\xe9,\r\n"));
    ScriptFind("\xc9T\xc9");
    window->OnCommand(ID_FIND);
    ExpectFound(1, 0);
}

TEST_F(FindTest, TheDialogOffersTheHistoryAndRefusesAnEmptyText) {
    History({"", "older", "oldest"});  // an empty find0 leaves the text field empty
    platform.dialogScripts.push_back({"Find", [&](QDialog& dialog) {
                                          auto& find = dynamic_cast<FindDialog&>(dialog);
                                          EXPECT_EQ(find.Combo().count(), 2);
                                          EXPECT_EQ(find.Combo().itemText(0), "older");
                                          EXPECT_EQ(find.Combo().currentText(), "");
                                          EXPECT_TRUE(find.Combo().isEditable());
                                          find.Confirm();  // empty: refused, the dialog stays
                                          EXPECT_EQ(find.result(), 0);
                                          return static_cast<int>(
                                              QDialog::Rejected);  // then Cancel
                                      }});
    const std::vector<std::string> before = HistoryKeys();
    window->OnCommand(ID_FIND);
    EXPECT_EQ(platform.MessageTexts(),
              std::vector<QString>{"You need to type in or select a string."});
    EXPECT_EQ(HistoryKeys(), before);
    EXPECT_EQ(window->FindText(), "");
    EXPECT_FALSE(window->EditOpen());
}

TEST_F(FindTest, OkWritesTheHistoryWithTheNewTextFirst) {
    struct Case {
        const char* name;
        std::vector<std::string> before;
        std::string text;
        std::vector<std::string> after;  // find0 to find9
    };
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back("e" + std::to_string(i));
    const std::string gone = "<missing>";
    const Case cases[] = {
        {"CaseTwinGoes",
         {"A", "B", "C"},
         "b",
         {"b", "A", "C", gone, gone, gone, gone, gone, gone, gone}},
        {"TheOldestFallsOff",
         ten,
         "new",
         {"new", "e0", "e1", "e2", "e3", "e4", "e5", "e6", "e7", "e8"}},
        {"EightBitText",
         {"x"},
         "\xe9t\xe9",
         {"\xe9t\xe9", "x", gone, gone, gone, gone, gone, gone, gone, gone}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(Ini());
        History(c.before);
        platform.dialogScripts.push_back(
            {"Find", [&](QDialog& dialog) {
                 auto& find = dynamic_cast<FindDialog&>(dialog);
                 EXPECT_EQ(desktop::ToCp1252(find.Combo().currentText()), c.before[0]);
                 find.Combo().setEditText(desktop::FromCp1252(c.text));
                 find.show();
                 QTest::keyClick(find.Combo().lineEdit(), Qt::Key_Return);  // the default button
                 EXPECT_FALSE(find.isVisible());
                 return find.result();
             }});
        window->OnCommand(ID_FIND);
        EXPECT_EQ(HistoryKeys(), c.after) << c.name;
        EXPECT_EQ(window->FindText(), c.text);
        if (window->EditOpen()) EditorKey(Qt::Key_Escape);
        platform.messages.clear();
    }
}

TEST_F(FindTest, AFoundCellIsScrolledIntoView) {
    // 30 columns of about 80 pixels, 300 rows; the needle far right and far down.
    std::string big;
    for (int c = 0; c < 30; ++c)
        big += "Column" + std::to_string(10 + c) + ",";
    big += "\r\n";
    for (int r = 0; r < 300; ++r) {
        for (int c = 0; c < 30; ++c)
            big += r == 250 && c == 25 ? "needle," : "a,";
        big += "\r\n";
    }
    Open(Table("big.csv", big));
    window->resize(500, 300);
    QCoreApplication::processEvents();  // the grid takes its new size
    GridView& grid = window->Grid();
    ScriptFind("needle");
    window->OnCommand(ID_FIND);
    ExpectFound(250, 25);
    const QRect cell = grid.CellRect(250, 25);
    EXPECT_GE(cell.top(), 0);
    EXPECT_LE(cell.bottom(), grid.viewport()->height());
    EXPECT_EQ(cell.right(), grid.viewport()->rect().right()) << "right edges meet";

    ScriptFind("a");  // column 0 lies left of the view now
    window->OnCommand(ID_FIND);
    ExpectFound(250, 0);
    EXPECT_EQ(grid.CellRect(250, 0).left(), 0);
}

}  // namespace
}  // namespace tavrel::test
