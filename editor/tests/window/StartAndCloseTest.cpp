// Starting the editor (settings, window rectangle, which table opens) and closing it.
#include <QKeySequence>
#include <QTest>
#include <filesystem>

#include "EditorApp.h"
#include "EditorFixture.h"
#include "ProfileFile.h"

namespace tavrel::test {
namespace {

using Answer = Platform::Answer;
const QString kSaveQuestion = "The CSV file has changed, do you want to save the file?.";

class StartTest : public EditorFixture {};
class CloseTest : public EditorFixture {};

TEST(EditorAppTest, CommandLinePathLosesItsQuotesOnly) {
    struct Case {
        const char* argumentText;
        const char* path;
    };
    const Case cases[] = {
        {"", ""},
        {"units.csv", "units.csv"},
        {"my units.csv", "my units.csv"},  // spaces kept, unquoted
        {"\"/data/my units.csv\"", "/data/my units.csv"},
        {"\"/data/a.csv\" extra", "/data/a.csv\" extr"},  // first and last character go
        {"\"", ""},
        {"\"\"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditorApp::CommandLinePath(c.argumentText), c.path) << c.argumentText;
    }
    EXPECT_EQ(EditorApp::ArgumentText({"my", "units.csv"}), "my units.csv");
    EXPECT_EQ(EditorApp::ArgumentText({}), "");
    EXPECT_EQ(EditorApp::ProgramFolder("/opt/game/Tavrel"), "/opt/game/");
}

TEST(EditorAppTest, SettingsLiveBesideTheProgramWhenTheUserMayWriteThere) {
    struct Case {
        const char* name;
        bool programFolderWritable;
        const char* userFolder;
        const char* iniPath;
    };
    const Case cases[] = {
        {"WritableGameFolder", true, "/home/ann/.config/Tavrel/", "/opt/game/Tavrel.ini"},
        {"InstalledProgram", false, "/home/ann/.config/Tavrel/",
         "/home/ann/.config/Tavrel/Tavrel.ini"},
        {"NoUserFolderKnown", false, "", "/opt/game/Tavrel.ini"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditorApp::SettingsPath("/opt/game/", c.programFolderWritable, c.userFolder),
                  c.iniPath)
            << c.name;
    }
}

TEST(EditorAppTest, SetupFromTheProgramFileAndTheCommandLine) {
    ScriptedPlatform platform;
    TempDir game;
    const std::string folder = game.Path().string() + "/";
    const EditorApp app(platform, folder + "Tavrel", "\"/data/units.csv\"");
    EXPECT_EQ(app.Setup().programFolder, folder);
    EXPECT_EQ(app.Setup().iniPath, folder + "Tavrel.ini");
    EXPECT_EQ(app.Setup().filePath, "/data/units.csv");
    EXPECT_EQ(app.Setup().caption, "Tavrel");
}

// An installed program keeps its settings and the copy of the last table opened in the user's
// folder; nothing is written beside the program.
TEST_F(StartTest, SettingsElsewhereTakeTheBackupToo) {
    TempDir user;
    const std::string userFolder = user.Path().string() + "/";
    const std::string table = Table("units.csv", "Id,Name,\r\n1,Ash,\r\n");
    window = std::make_unique<EditorWindow>(
        platform, EditorSetup{Folder() + "bin/", userFolder + "Tavrel.ini", table, "Tavrel"});
    window->Start();
    EXPECT_EQ(ReadFile(userFolder + "tavrel.bak"), "Id,Name,\r\n1,Ash,\r\n");
    EXPECT_EQ(ReadProfileString(userFolder + "Tavrel.ini", "Options", "lastopen", ""), table);
    EXPECT_FALSE(std::filesystem::exists(Folder() + "bin"));
    EXPECT_FALSE(std::filesystem::exists(Folder() + "tavrel.bak"));
}

TEST_F(StartTest, FirstStartShowsThePositionColumnAndStoresOnlyTheRectangle) {
    EditorWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), "Tavrel - No File Open");
    ASSERT_EQ(w.Table().ColumnCount(), 1);
    EXPECT_EQ(w.Table().ColumnTitle(0), "Position");
    EXPECT_EQ(w.Grid().columnWidth(0), 110);
    EXPECT_EQ(w.Table().RowCount(), 0);
    EXPECT_EQ(w.State().filePath, "");
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_FALSE(std::filesystem::exists(Ini()));

    const QRect outer = w.frameGeometry();
    EXPECT_TRUE(CloseBox());
    EXPECT_EQ(Ini("left"), std::to_string(outer.left()));
    EXPECT_EQ(Ini("top"), std::to_string(outer.top()));
    EXPECT_EQ(Ini("right"), std::to_string(outer.left() + outer.width()));
    EXPECT_EQ(Ini("bottom"), std::to_string(outer.top() + outer.height()));
    EXPECT_EQ(Ini("lastopen"), "<missing>");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartTest, AStoredRectangleIsRestoredAndAnEmptyOneIgnored) {
    struct Case {
        int left, top, right, bottom;
        bool restored;
    };
    const Case cases[] = {{100, 80, 700, 500, true},
                          {20, 30, 500, 400, true},
                          {100, 80, 100, 500, false},  // no width
                          {100, 80, 700, 80, false},   // no height
                          {0, 0, 0, 0, false},
                          // Rectangles no screen can show.
                          {-2147483648, 0, 500, 400, false},
                          {0, -2147483648, 500, 2147483647, false},
                          {-5000, -5000, -4000, -4500, false},
                          {0, 0, 100000, 400, false}};
    for (const Case& c : cases) {
        for (const auto& [key, value] : {std::pair{"left", c.left},
                                         {"top", c.top},
                                         {"right", c.right},
                                         {"bottom", c.bottom}}) {
            WriteProfileString(Ini(), "Options", key, std::to_string(value));
        }
        EditorWindow& w = Open();
        const QRect stored(c.left, c.top, c.right - c.left, c.bottom - c.top);
        EXPECT_EQ(w.frameGeometry() == stored, c.restored) << c.left << "," << c.right;
        EXPECT_GT(w.width(), 100);
        EXPECT_GT(w.height(), 100);
        EXPECT_LT(w.width(), 5000) << c.left;
        EXPECT_LT(w.height(), 5000) << c.top;
        window.reset();
    }
}

TEST_F(StartTest, AQuotedCommandLinePathWinsOverTheLastTable) {
    const std::string last = Table("last.csv", "Last,\r\n");
    const std::string named = Table("my units.csv", "Named,\r\n");
    WriteProfileString(Ini(), "Options", "lastopen", last);
    EditorWindow& w = Open(EditorApp::CommandLinePath("\"" + named + "\""));
    EXPECT_EQ(w.State().filePath, named);
    EXPECT_EQ(w.Table().ColumnTitle(0), "Named");
    EXPECT_EQ(w.windowTitle(), QString::fromStdString("Tavrel - " + named));
    EXPECT_EQ(Ini("lastopen"), named);
}

TEST_F(StartTest, AMissingCommandLineTableFallsBackToTheLastTable) {
    const std::string last = Table("last.csv", "Last,\r\n1,\r\n");
    WriteProfileString(Ini(), "Options", "lastopen", last);
    EditorWindow& w = Open(Folder() + "gone.csv");
    EXPECT_EQ(w.State().filePath, last);
    EXPECT_EQ(w.State().loadedRowCount, 1);
    EXPECT_EQ(w.State().columnCount, 11);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartTest, NoTableWhenBothAreMissing) {
    WriteProfileString(Ini(), "Options", "lastopen", Folder() + "gone too.csv");
    EditorWindow& w = Open(Folder() + "gone.csv");
    EXPECT_EQ(w.State().filePath, "");
    EXPECT_EQ(w.Table().ColumnTitle(0), "Position");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(CloseTest, EscapeCancelsAnOpenEditThenCloses) {
    Open(Table("t.csv", "A,B,\r\n1,2,\r\n"));
    ClickCell(0, 1);
    GridKey(Qt::Key_X);
    EXPECT_EQ(EditorText(), "x");
    EditorKey(Qt::Key_Escape);
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(Cell(0, 1), "2");
    EXPECT_FALSE(window->State().modified);
    EXPECT_TRUE(window->isVisible());

    GridKey(Qt::Key_Escape);  // no edit open: closes, nothing to ask
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_NE(Ini("right"), "<missing>");
}

TEST_F(CloseTest, TheCloseBoxCancelsAnOpenEditBeforeItCloses) {
    Open(Table("t.csv", "A,B,\r\n1,2,\r\n"));
    ClickCell(0, 0);
    GridKey(Qt::Key_Q);
    EXPECT_FALSE(CloseBox());
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Ini("left"), "<missing>");
    EXPECT_TRUE(CloseBox());
}

TEST_F(CloseTest, ExitDuringAnEditKeepsTheTypedTextAndAsks) {
    const std::string path = Table("t.csv", "A,B,\r\n1,2,\r\n");
    Open(path);
    ClickCell(0, 1);
    GridKey(Qt::Key_Z);
    platform.answers = {Answer::NO};
    window->OnCommand(ID_APP_EXIT);
    EXPECT_EQ(Cell(0, 1), "z");
    EXPECT_EQ(platform.MessageTexts(), std::vector<QString>{kSaveQuestion});
    EXPECT_EQ(platform.messages[0].buttons, Platform::Buttons::YES_NO_CANCEL);
    EXPECT_EQ(platform.messages[0].caption, "Tavrel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ReadFile(path), "A,B,\r\n1,2,\r\n");
}

TEST_F(CloseTest, YesAtThePromptSavesAndCloses) {
    const std::string path = Table("t.csv", "A,B,\r\n1,2,\r\n");
    Open(path);
    ClickCell(0, 0);
    GridKey(Qt::Key_7);
    window->CommitEdit();
    platform.answers = {Answer::YES};
    EXPECT_TRUE(CloseBox());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ReadFile(path), "A,B,\r\n7,2,\r\n");
    EXPECT_EQ(platform.MessageTexts(), (std::vector<QString>{kSaveQuestion, "Saved"}));
}

TEST_F(CloseTest, CancelAtThePromptKeepsTheWindowAndTheSettings) {
    const std::string path = Table("t.csv", "A,\r\n1,\r\n");
    Open(path);
    ClickCell(0, 0);
    GridKey(Qt::Key_5);
    window->CommitEdit();
    const std::string settings = ReadFile(Ini());
    platform.answers = {Answer::CANCEL};
    EXPECT_FALSE(CloseBox());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->State().modified);
    EXPECT_EQ(ReadFile(Ini()), settings);
    EXPECT_EQ(ReadFile(path), "A,\r\n1,\r\n");
}

TEST_F(CloseTest, AFailedSaveAtThePromptKeepsTheWindowOpenAndTheChanges) {
    std::filesystem::create_directory(Folder() + "sub");
    const std::string path = Table("sub/t.csv", "A,\r\n1,\r\n");
    Open(path);
    ClickCell(0, 0);
    GridKey(Qt::Key_9);
    window->CommitEdit();
    std::filesystem::remove_all(Folder() + "sub");  // the save can no longer create its file
    const std::string settings = ReadFile(Ini());

    platform.answers = {Answer::YES};
    EXPECT_FALSE(CloseBox());
    EXPECT_EQ(platform.MessageTexts(),
              (std::vector<QString>{kSaveQuestion, "Could not open file."}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->State().modified);
    EXPECT_EQ(ReadFile(Ini()), settings);

    // Open after a failed save at its prompt does not load over the unsaved table.
    platform.answers = {Answer::YES};
    window->OnCommand(ID_FILE_OPEN);
    EXPECT_TRUE(platform.fileQuestions.empty());
    EXPECT_EQ(Cell(0, 0), "9");

    platform.answers = {Answer::NO};  // the user gives the changes up
    EXPECT_TRUE(CloseBox());
}

TEST_F(CloseTest, AboutShowsItsBoxAndChangesNothing) {
    Open();
    window->OnCommand(ID_APP_ABOUT);
    EXPECT_EQ(platform.dialogs, std::vector<QString>{"About Tavrel"});
    EXPECT_FALSE(window->State().modified);
}

TEST_F(CloseTest, EveryMenuItemHasItsTextAndReachesItsHandler) {
    struct Item {
        int id;
        const char* text;
    };
    const Item items[] = {
        {ID_FILE_OPEN, "&Open..."},
        {ID_FILE_SAVE, "&Save"},
        {ID_FILE_SAVE_AS, "Save &As..."},
        {ID_APP_EXIT, "&Exit"},
        {ID_APP_ABOUT, "A&bout..."},
        {ID_INSERT_ROW, "&Insert Blank Row\tInsert"},
        {ID_DELETE_ROW, "&Delete Row\tDelete"},
        {ID_UNDO_DELETE_ROW, "&Undo Delete Row\tCtrl+Z"},
        {ID_COPY_ROW, "&Copy Row\tCtrl+C"},
        {ID_PASTE_ROW, "&Paste Row\tCtrl+V"},
        {ID_CUT_ROW, "C&ut Row\tCtrl+X"},
        {ID_IMPORT_UNITLOCS, "&Import Unitlocs.csv"},
        {ID_FIND, "&Find\tCtrl+F"},
        {ID_FIND_AGAIN, "Find A&gain\tF3"},
    };
    Open(Table("t.csv", "A,\r\n1,\r\n"));
    for (const Item& item : items) {
        QAction* action = window->Action(item.id);
        ASSERT_NE(action, nullptr) << item.id;
        EXPECT_EQ(action->text(), item.text);
        EXPECT_TRUE(action->shortcut().isEmpty()) << "menu shortcuts are shown, not bound";
        EXPECT_TRUE(action->isEnabled());
        EXPECT_FALSE(action->isCheckable());
    }
    // Every id reaches its handler; the ones that ask something are answered.
    std::vector<int> started;
    QObject::connect(window.get(), &EditorWindow::CommandStarted,
                     [&started](int id) { started.push_back(id); });
    platform.files = {std::nullopt, std::nullopt};
    platform.answers = {Answer::NO};  // the import's question
    ScriptFind("");                   // Find, cancelled
    for (const Item& item : items) {
        if (item.id != ID_APP_EXIT) window->Action(item.id)->trigger();
    }
    EXPECT_EQ(started.size(), std::size(items) - 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(platform.fileQuestions.size(), 2u);  // Open and Save As, both cancelled
    EXPECT_EQ(platform.dialogs, (std::vector<QString>{"About Tavrel", "Find"}));
    EXPECT_EQ(platform.messages.at(0).text, "Saved");  // File > Save
    window->Action(ID_APP_EXIT)->trigger();
    EXPECT_FALSE(window->isVisible());
}

// The keys shown in the menu run the same commands from the grid, and only there.
TEST_F(CloseTest, EveryShownKeyRunsItsCommandFromTheGrid) {
    Open(Table("t.csv", "A,\r\n1,\r\n2,\r\n"));
    std::vector<int> started;
    QObject::connect(window.get(), &EditorWindow::CommandStarted,
                     [&started](int id) { started.push_back(id); });
    int keys = 0;
    for (const CommandItem& item : CommandTable()) {
        if (item.key == 0) continue;
        ++keys;
        const QString shown = QString(item.text).section('\t', 1);
        EXPECT_EQ(QKeySequence(shown)[0].key(), item.key) << item.text;
        EXPECT_EQ(QKeySequence(shown)[0].keyboardModifiers() == Qt::ControlModifier, item.ctrl);
        started.clear();
        if (item.id == ID_FIND) ScriptFind("");
        GridKey(static_cast<Qt::Key>(item.key), item.ctrl ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_EQ(started, std::vector<int>{item.id}) << item.text;
        if (window->EditOpen()) EditorKey(Qt::Key_Escape);  // Find Again opened one
    }
    EXPECT_EQ(keys, 8);
    started.clear();
    for (const Qt::Key key : {Qt::Key_Z, Qt::Key_C, Qt::Key_V, Qt::Key_X, Qt::Key_F}) {
        GridKey(key);  // without Ctrl these are letters
    }
    EXPECT_TRUE(started.empty());
}

}  // namespace
}  // namespace tavrel::test
