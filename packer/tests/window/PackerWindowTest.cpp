// The Brisko window: its controls, the lists and the selection, and its commands on a scratch
// data tree, with every message answered by a script.
#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>

#include "DialogUnits.h"
#include "PackFile.h"
#include "PackerFixture.h"

namespace brisko::test {
namespace {

namespace fs = std::filesystem;

const Tree kAlpha = {
    {"units.csv", "id,men,\r\n1,40,\r\n2,35,\r\n"},
    {"scenario.ini", "[Scenario]\r\nname=Alpha\r\n"},
    {"Data Files\\orders.csv", "7,8,9,\r\n"},
    {"maps\\north.bmp", std::string("BM\0\x01\x02", 5)},
};

TEST_F(PackerFixture, ControlsSitAtTheirDialogUnitPlacesAndOnlyTwoButtonsShow) {
    PackerWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), "Palvane Games Pack File Creator");
    const desktop::DialogUnits units(w.font());
    EXPECT_EQ(w.size(), units.Size(319, 250));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());  // a fixed size
    struct Case {
        int id;
        QRect units;
        const char* text;  // of a button
        bool shown;
    };
    const Case cases[] = {
        {PackerWindow::ID_FOLDER_LIST, {8, 7, 111, 128}, nullptr, true},
        {PackerWindow::ID_PACK_LIST, {136, 7, 111, 128}, nullptr, true},
        {PackerWindow::ID_STATUS_BOX, {8, 139, 304, 24}, nullptr, true},
        {PackerWindow::ID_CONTENTS_LIST, {8, 168, 240, 75}, nullptr, true},
        {PackerWindow::IDOK, {255, 6, 62, 16}, "Close", true},
        {PackerWindow::ID_CREATE_PACK, {255, 28, 62, 16}, "Create ZPK file", true},
        {PackerWindow::ID_EXTRACT_PACK, {255, 46, 62, 16}, "Extract ZPK File", false},
        {PackerWindow::ID_CHECK_SUM, {255, 64, 62, 16}, "Check Sum", false},
        {PackerWindow::ID_CREATE_MAIN_FILE, {255, 95, 62, 16}, "Create Main file", false},
        {PackerWindow::ID_BUILD_PACKS, {255, 170, 62, 16}, "Build ZPK", false},
    };
    for (const Case& c : cases) {
        QWidget* control = w.Control(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        const QRect& u = c.units;
        EXPECT_EQ(control->geometry(), units.Rect(u.x(), u.y(), u.width(), u.height())) << c.id;
        EXPECT_EQ(control->isVisible(), c.shown) << c.id;
        if (c.text) {
            EXPECT_EQ(static_cast<QPushButton*>(control)->text(), c.text) << c.id;
        }
    }
    EXPECT_TRUE(static_cast<QPushButton*>(w.Control(PackerWindow::IDOK))->isDefault());
    EXPECT_TRUE(w.statusBox->isReadOnly());
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(w.contentsList->count(), 0);
}

// Folders and files without an extension, and packs, sorted without regard to letter case;
// names beginning with "." are never listed.
TEST_F(PackerFixture, ListsShowTheScenarioFoldersAndPacksSorted) {
    for (const char* folder : {"b2 - Hill", "A1 - Ford", "c3 - Bridge", ".hidden", "x.y"})
        Scenario(folder, {{"a.csv", "1,"}});
    WriteFile(Scenarios() + "NOEXT", "x");  // a file without an extension is listed too
    for (const char* pack : {"b2 - Hill.zpk", "A1 - Ford.ZPK", ".old.zpk", "notes.txt"})
        WriteFile(Scenarios() + pack, "x");
    PackerWindow& w = Open();
    EXPECT_EQ(Items(*w.folderList),
              (std::vector<std::string>{"A1 - Ford", "b2 - Hill", "c3 - Bridge", "NOEXT"}));
    EXPECT_EQ(Items(*w.packList), (std::vector<std::string>{"A1 - Ford.ZPK", "b2 - Hill.zpk"}));
    EXPECT_TRUE(w.folderList->selectedItems().isEmpty());
    EXPECT_TRUE(w.packList->selectedItems().isEmpty());
}

TEST_F(PackerFixture, AMissingScenariosFolderGivesEmptyListsAndCreateAsksForAScenario) {
    PackerWindow& w = Open();
    fs::remove_all(Scenarios());
    w.OnCommand(PackerWindow::ID_CREATE_PACK);
    EXPECT_EQ(Messages(), std::vector<QString>{"You must choose a scenario from the first list."});
    EXPECT_EQ(platform.messages[0].caption, "Brisko");
    EXPECT_EQ(platform.messages[0].icon, desktop::Platform::Icon::EXCLAMATION);
    EXPECT_EQ(w.folderList->count(), 0);
    EXPECT_EQ(w.packList->count(), 0);
}

TEST_F(PackerFixture, SelectingAFolderShowsItsFilesAtAnyDepth) {
    Tree tree = kAlpha;
    tree[".svn\\entries"] = "x";
    tree["maps\\.thumbs"] = "x";
    Scenario("Alpha", tree);
    Scenario("Bravo", {{"b.csv", "1,"}});
    WriteFile(Scenarios() + "Alpha.zpk", "not a pack");
    PackerWindow& w = Open();
    Select(*w.packList, "Alpha.zpk");  // cannot be opened: nothing changes
    EXPECT_EQ(Status(), "");
    Select(*w.folderList, "Alpha");
    EXPECT_EQ(Items(*w.contentsList),
              (std::vector<std::string>{"Data Files\\orders.csv", "maps\\north.bmp", "scenario.ini",
                                        "units.csv"}));
    EXPECT_EQ(Status(), "Scenario Folder: Alpha");
    EXPECT_EQ(Items(*w.packList), std::vector<std::string>{"Alpha.zpk"});
    EXPECT_TRUE(w.packList->item(0)->isSelected());  // the other list keeps its selection

    // An extension-less file: no contents, the status all the same.
    WriteFile(Scenarios() + "README", "x");
    w.close();
    Open();
    Select(*window->folderList, "README");
    EXPECT_EQ(window->contentsList->count(), 0);
    EXPECT_EQ(Status(), "Scenario Folder: README");
}

TEST_F(PackerFixture, CreatePacksTheFolderAndRefreshesThePackListWithNothingSelected) {
    Scenario("Alpha", kAlpha);
    Scenario("Bravo", {{"b.csv", "1,"}});
    WriteFile(Scenarios() + "Alpha.zpk", "an old pack");
    PackerWindow& w = Open();
    Select(*w.folderList, "Alpha");
    WriteFile(Scenarios() + "Later.zpk", "x");  // appeared after the lists were filled
    bool waitCursorWhileWriting = false;
    files.fail = [&](const CallInfo& call) {
        if (call.call == FileCall::RENAME) {
            const QCursor* cursor = QApplication::overrideCursor();
            waitCursorWhileWriting = cursor && cursor->shape() == Qt::WaitCursor;
        }
        return 0;
    };
    QTest::mouseClick(static_cast<QPushButton*>(w.Control(PackerWindow::ID_CREATE_PACK)),
                      Qt::LeftButton);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(waitCursorWhileWriting);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Items(*w.packList), (std::vector<std::string>{"Alpha.zpk", "Later.zpk"}));
    EXPECT_TRUE(w.packList->selectedItems().isEmpty());
    EXPECT_EQ(Status(), "Scenario Folder: Alpha");  // contents and status as they were
    EXPECT_EQ(w.contentsList->count(), 4);

    CPackFile pack;
    ASSERT_TRUE(pack.Open(Scenarios() + "Alpha.zpk"));
    ASSERT_EQ(pack.GetCount(), 4u);
    EXPECT_EQ(pack.VerifyChecksum(pack.StoredChecksum()), CHECK_MATCHED_BOTH);
}

TEST_F(PackerFixture, CreateEndsWithTheFilesTextWhenThePackCannotBeWritten) {
    struct Case {
        const char* name;
        std::function<void(FaultyFiles&, const std::string& pack)> arrange;
        const char* message;  // %1 the pack
    };
    const Case cases[] = {
        {"DiskFull",
         [](FaultyFiles& f, const std::string&) { f.FailNth(FileCall::WRITE, 2, ENOSPC); },
         "Disk full while accessing %1."},
        {"Denied",
         [](FaultyFiles& f, const std::string& pack) {
             f.fail = [pack](const CallInfo& call) {
                 const bool creating = call.call == FileCall::OPEN && (call.flags & base::kCreate);
                 return creating && call.path.rfind(pack.substr(0, pack.rfind('/')), 0) == 0
                            ? EACCES
                            : 0;
             };
         },
         "Access to %1 was denied."},
    };
    for (const Case& c : cases) {
        Scenario("Alpha", kAlpha);
        PackerWindow& w = Open();
        const std::string pack = Scenarios() + "Alpha.zpk";
        Select(*w.folderList, "Alpha");
        WriteFile(Scenarios() + "Later.zpk", "x");
        files.fail = nullptr;
        c.arrange(files, pack);
        w.OnCommand(PackerWindow::ID_CREATE_PACK);
        files.fail = nullptr;
        EXPECT_EQ(Messages(), std::vector<QString>{QString::fromStdString(Format(c.message, pack))})
            << c.name;
        EXPECT_FALSE(Exists(pack)) << c.name;
        EXPECT_EQ(Items(*w.packList), std::vector<std::string>{}) << c.name;  // not refilled
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
        fs::remove(Scenarios() + "Later.zpk");
        platform.messages.clear();
    }
}

TEST_F(PackerFixture, CreateOfAnEmptyFolderWritesNoPackAndSaysNothing) {
    fs::create_directories(Scenarios() + "Empty/sub");
    PackerWindow& w = Open();
    Select(*w.folderList, "Empty");
    w.OnCommand(PackerWindow::ID_CREATE_PACK);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(Exists(Scenarios() + "Empty.zpk"));
}

TEST_F(PackerFixture, SelectingAPackShowsItsMembers) {
    Scenario("Alpha", kAlpha);
    PackerWindow& w = Open();
    Select(*w.folderList, "Alpha");
    w.OnCommand(PackerWindow::ID_CREATE_PACK);
    Select(*w.packList, "Alpha.zpk");
    EXPECT_EQ(Items(*w.contentsList),
              (std::vector<std::string>{"Data Files\\orders.csv", "maps\\north.bmp", "scenario.ini",
                                        "units.csv"}));
    EXPECT_EQ(Status(), "Scenario ZPK File: Alpha.zpk");
    EXPECT_TRUE(w.folderList->item(0)->isSelected());
}

TEST_F(PackerFixture, ExtractWritesThePackIntoTheTemporaryScenarioFolder) {
    Scenario("Alpha", kAlpha);
    Scenario("__TEMP_SCEN__", {{"left over.txt", "x"}, {"old\\deep.csv", "1,"}});
    PackerWindow& w = Open();
    Select(*w.folderList, "Alpha");
    w.OnCommand(PackerWindow::ID_CREATE_PACK);
    w.OnCommand(PackerWindow::ID_EXTRACT_PACK);  // nothing selected: nothing happens
    EXPECT_EQ(ReadTree(Scenarios() + "__TEMP_SCEN__").size(), 2u);
    Select(*w.packList, "Alpha.zpk");
    w.OnCommand(PackerWindow::ID_EXTRACT_PACK);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(TreeDifference(ReadTree(Scenarios() + "__TEMP_SCEN__"), kAlpha), "");
    EXPECT_EQ(Items(*w.folderList), (std::vector<std::string>{"__TEMP_SCEN__", "Alpha"}));
}

// A pack whose tables no longer give its stored checksum: the extraction writes every member and
// says "Checksum failed."; Check Sum says "Check failed all.". An intact pack: "Check matched
// file and passed in value.".
TEST_F(PackerFixture, ExtractAndCheckSumTellAChangedTable) {
    Scenario("Alpha", kAlpha);
    PackerWindow& w = Open();
    Select(*w.folderList, "Alpha");
    w.OnCommand(PackerWindow::ID_CREATE_PACK);
    Select(*w.packList, "Alpha.zpk");
    w.OnCommand(PackerWindow::ID_CHECK_SUM);
    EXPECT_EQ(Messages(), std::vector<QString>{"Check matched file and passed in value."});

    // The stored checksum no longer matches the tables, as after a table changed in the pack.
    const std::string pack = Scenarios() + "Alpha.zpk";
    std::string bytes = ReadFile(pack);
    SetU32At(bytes, 0, U32At(bytes, 0) ^ 1);
    WriteFile(pack, bytes);

    platform.messages.clear();
    w.OnCommand(PackerWindow::ID_CHECK_SUM);
    w.OnCommand(PackerWindow::ID_EXTRACT_PACK);
    EXPECT_EQ(Messages(), (std::vector<QString>{"Check failed all.", "Checksum failed."}));
    EXPECT_EQ(TreeDifference(ReadTree(Scenarios() + "__TEMP_SCEN__"), kAlpha), "");
}

TEST_F(PackerFixture, ExtractNamesTheFileThatCouldNotBeWritten) {
    Scenario("Alpha", kAlpha);
    PackerWindow& w = Open();
    Select(*w.folderList, "Alpha");
    w.OnCommand(PackerWindow::ID_CREATE_PACK);
    Select(*w.packList, "Alpha.zpk");
    files.FailFrom(FileCall::WRITE, 1, ENOSPC);
    w.OnCommand(PackerWindow::ID_EXTRACT_PACK);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].startsWith("Disk full while accessing " +
                                         QString::fromStdString(Scenarios() + "__TEMP_SCEN__/")))
        << Messages()[0].toStdString();
}

TEST_F(PackerFixture, CommandsWithNothingSelectedOrAPackThatCannotBeOpenedDoNothing) {
    fs::create_directories(Scenarios());
    WriteFile(Scenarios() + "Broken.zpk", "too short");
    PackerWindow& w = Open();
    for (const int id : {PackerWindow::ID_EXTRACT_PACK, PackerWindow::ID_CHECK_SUM,
                         PackerWindow::ID_CREATE_MAIN_FILE, PackerWindow::ID_FOLDER_LIST,
                         PackerWindow::ID_PACK_LIST}) {
        w.OnCommand(id);
    }
    Select(*w.packList, "Broken.zpk");
    for (const int id : {PackerWindow::ID_EXTRACT_PACK, PackerWindow::ID_CHECK_SUM})
        w.OnCommand(id);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Status(), "");
    EXPECT_FALSE(Exists(Scenarios() + "__TEMP_SCEN__"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The hidden commands are reached by their keys and by the context menus' actions.
TEST_F(PackerFixture, HiddenCommandsHaveKeys) {
    Scenario("Alpha", kAlpha);
    PackerWindow& w = Open();
    Select(*w.folderList, "Alpha");
    w.OnCommand(PackerWindow::ID_CREATE_PACK);
    Select(*w.packList, "Alpha.zpk");
    QTest::keyClick(w.packList, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(Messages(), std::vector<QString>{"Check matched file and passed in value."});
    QTest::keyClick(w.packList, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(TreeDifference(ReadTree(Scenarios() + "__TEMP_SCEN__"), kAlpha), "");
    std::vector<QString> actions;
    for (const QAction* action : w.actions())
        actions.push_back(action->text() + " " + action->shortcut().toString());
    EXPECT_EQ(actions, (std::vector<QString>{"Extract ZPK File Ctrl+E", "Check Sum Ctrl+K",
                                             "Build ZPK Ctrl+B"}));
    EXPECT_TRUE(w.packList->toolTip().contains("Ctrl+E"));
}

TEST_F(PackerFixture, CloseButtonEnterEscapeAndTheCloseBoxEndTheWindow) {
    const std::vector<std::pair<const char*, std::function<void(PackerWindow&)>>> ways = {
        {"Close",
         [](PackerWindow& w) {
             QTest::mouseClick(static_cast<QPushButton*>(w.Control(PackerWindow::IDOK)),
                               Qt::LeftButton);
         }},
        {"Enter", [](PackerWindow& w) { QTest::keyClick(w.folderList, Qt::Key_Return); }},
        {"Escape", [](PackerWindow& w) { QTest::keyClick(w.packList, Qt::Key_Escape); }},
        {"CloseBox", [](PackerWindow& w) { w.close(); }},
    };
    Scenario("Alpha", kAlpha);
    for (const auto& [name, close] : ways) {
        PackerWindow& w = Open();
        Select(*w.folderList, "Alpha");
        close(w);
        QCoreApplication::processEvents();
        EXPECT_FALSE(w.isVisible()) << name;
        EXPECT_TRUE(Messages().empty()) << name;
    }
}

}  // namespace
}  // namespace brisko::test
