// File > Open, Save and Save As, the backup copy, and loads and saves that fail.
#include <QHeaderView>
#include <filesystem>

#include "EditorFixture.h"
#include "ProfileFile.h"

namespace tavrel::test {
namespace {

using Answer = Platform::Answer;
const QString kSaveQuestion = "The CSV file has changed, do you want to save the file?.";
const std::string kFirst = "A,B,\r\n1,2,\r\n";
const std::string kSecond = "X,\r\nx,\r\n";

class FileCommandsTest : public EditorFixture {
protected:
    void SetUp() override {
        first = Table("first.csv", kFirst);
        second = Table("second.csv", kSecond);
        Open(first);
    }
    // Types into cell (0, 0) and stores it.
    void Change(Qt::Key key) {
        ClickCell(0, 0);
        GridKey(key);
        window->CommitEdit();
        ASSERT_TRUE(window->State().modified);
    }
    std::string Backup() const { return ReadFile(Folder() + "tavrel.bak"); }

    std::string first;
    std::string second;
};

TEST_F(FileCommandsTest, OpenAsksForAFileInTheProgramFolderAndLoadsIt) {
    platform.files = {second};
    window->OnCommand(ID_FILE_OPEN);
    ASSERT_EQ(platform.fileQuestions.size(), 1u);
    const auto& asked = platform.fileQuestions[0];
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.dialog.filter, "CSV Files (*.csv)|*.csv||");
    EXPECT_EQ(asked.dialog.defaultExtension, "csv");
    EXPECT_EQ(asked.dialog.initialName, Folder() + "*.csv");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(window->State().filePath, second);
    EXPECT_EQ(window->windowTitle(), QString::fromStdString("Tavrel - " + second));
    EXPECT_EQ(Cell(0, 0), "x");
    EXPECT_EQ(Ini("lastopen"), second);
    EXPECT_EQ(Backup(), kSecond);
}

TEST_F(FileCommandsTest, OpenWithChangesAsksFirst) {
    struct Case {
        Answer answer;
        bool dialogShown;
        const char* firstFileAfter;  // "7" when the change was saved
        std::string loaded;
    };
    const Case cases[] = {
        {Answer::YES, true, "A,B,\r\n7,2,\r\n", "second"},
        {Answer::NO, true, "A,B,\r\n1,2,\r\n", "second"},
        {Answer::CANCEL, false, "A,B,\r\n1,2,\r\n", "first"},
    };
    for (const Case& c : cases) {
        WriteFile(first, kFirst);
        Open(first);
        platform = EditorPlatform();
        Change(Qt::Key_7);
        platform.answers = {c.answer};
        if (c.dialogShown) platform.files = {second};
        window->OnCommand(ID_FILE_OPEN);
        EXPECT_EQ(platform.messages.at(0).text, kSaveQuestion);
        EXPECT_EQ(platform.messages.at(0).buttons, Platform::Buttons::YES_NO_CANCEL);
        EXPECT_EQ(platform.fileQuestions.size(), c.dialogShown ? 1u : 0u);
        EXPECT_EQ(ReadFile(first), c.firstFileAfter);
        EXPECT_EQ(window->State().filePath, c.loaded == "first" ? first : second);
        EXPECT_EQ(window->State().modified, c.answer == Answer::CANCEL);
    }
}

TEST_F(FileCommandsTest, ACancelledOpenDialogChangesNothing) {
    Change(Qt::Key_3);
    platform.answers = {Answer::NO};
    platform.files = {std::nullopt};
    window->OnCommand(ID_FILE_OPEN);
    EXPECT_EQ(window->State().filePath, first);
    EXPECT_TRUE(window->State().modified);
    EXPECT_EQ(Cell(0, 0), "3");
}

TEST_F(FileCommandsTest, SaveWritesTheTableAndTheLastFile) {
    Change(Qt::Key_5);
    WriteProfileString(Ini(), "Options", "lastopen", "elsewhere");
    window->OnCommand(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(first), "A,B,\r\n5,2,\r\n");
    EXPECT_FALSE(window->State().modified);
    EXPECT_EQ(platform.MessageTexts(), std::vector<QString>{"Saved"});
    EXPECT_EQ(platform.messages[0].icon, Platform::Icon::EXCLAMATION);
    EXPECT_EQ(Ini("lastopen"), first);
}

TEST_F(FileCommandsTest, SaveCommitsAnOpenEdit) {
    ClickCell(0, 1);
    GridKey(Qt::Key_Q);
    window->OnCommand(ID_FILE_SAVE);
    EXPECT_FALSE(window->EditOpen());
    EXPECT_EQ(ReadFile(first), "A,B,\r\n1,q,\r\n");
}

TEST_F(FileCommandsTest, SaveAsWritesTheNewFileAndLaterSavesGoThere) {
    Change(Qt::Key_8);
    const std::string copy = Folder() + "copy.csv";
    platform.files = {copy};
    window->OnCommand(ID_FILE_SAVE_AS);
    ASSERT_EQ(platform.fileQuestions.size(), 1u);
    EXPECT_TRUE(platform.fileQuestions[0].save);
    EXPECT_EQ(platform.fileQuestions[0].dialog.initialName, first);
    EXPECT_EQ(platform.fileQuestions[0].dialog.filter, "CSV Files (*.csv)|*.csv||");
    EXPECT_EQ(platform.fileQuestions[0].dialog.defaultExtension, "csv");
    EXPECT_EQ(ReadFile(copy), "A,B,\r\n8,2,\r\n");
    EXPECT_EQ(ReadFile(first), kFirst);
    EXPECT_EQ(window->State().filePath, copy);
    EXPECT_EQ(window->windowTitle(), QString::fromStdString("Tavrel - " + first));

    Change(Qt::Key_9);
    window->OnCommand(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(copy), "A,B,\r\n9,2,\r\n");
    EXPECT_EQ(ReadFile(first), kFirst);
    EXPECT_EQ(Ini("lastopen"), copy);
}

TEST_F(FileCommandsTest, ACancelledSaveAsChangesNothing) {
    Change(Qt::Key_8);
    platform.files = {std::nullopt};
    window->OnCommand(ID_FILE_SAVE_AS);
    EXPECT_EQ(window->State().filePath, first);
    EXPECT_TRUE(window->State().modified);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(FileCommandsTest, TheBackupIsMadeAtEachLoadAndNotAtASave) {
    EXPECT_EQ(Backup(), kFirst);
    Change(Qt::Key_6);
    window->OnCommand(ID_FILE_SAVE);
    Change(Qt::Key_2);
    window->OnCommand(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(first), "A,B,\r\n2,2,\r\n");
    EXPECT_EQ(Backup(), kFirst);
    window->LoadTable(first);
    EXPECT_EQ(Backup(), "A,B,\r\n2,2,\r\n");
}

TEST_F(FileCommandsTest, AFileThatCannotBeOpenedIsNamedAndNothingChanges) {
    Change(Qt::Key_4);
    const std::string folder = dir.Path().string();
    window->LoadTable(folder);
    EXPECT_EQ(platform.MessageTexts(), std::vector<QString>{QString::fromStdString(folder)});
    EXPECT_EQ(platform.messages[0].icon, Platform::Icon::EXCLAMATION);
    EXPECT_EQ(window->State().filePath, first);
    EXPECT_TRUE(window->State().modified);
    EXPECT_EQ(Cell(0, 0), "4");
    EXPECT_EQ(Ini("lastopen"), first);
}

TEST_F(FileCommandsTest, SaveWithNoFileOpenCannotOpenAFile) {
    WriteProfileString(Ini(), "Options", "lastopen", "");
    Open();
    ASSERT_EQ(window->State().filePath, "");
    window->OnCommand(ID_FILE_SAVE);
    EXPECT_EQ(platform.MessageTexts(), std::vector<QString>{"Could not open file."});
}

TEST_F(FileCommandsTest, FieldsPastTheHeaderAreReportedOnceAtLoad) {
    const std::string wide = Table("wide.csv", "A,B,\r\n1,2,3,4,\r\n5,6,\r\n7,8,9,\r\n");
    window->LoadTable(wide);
    EXPECT_EQ(platform.MessageTexts(),
              std::vector<QString>{"3 fields on 2 lines lie past the last column of the header "
                                   "and were not loaded.\nSaving the file will remove them."});
    EXPECT_EQ(platform.messages[0].icon, Platform::Icon::EXCLAMATION);
    EXPECT_EQ(window->State().filePath, wide);
    EXPECT_FALSE(window->State().modified);
    window->LoadTable(first);
    EXPECT_EQ(platform.messages.size(), 1u) << "a table without such fields says nothing";
}

TEST_F(FileCommandsTest, EveryColumnOfAWideTableGetsItsWidth) {
    std::string header;
    for (int c = 0; c < 3000; ++c)
        header += std::string(1 + c % 20, 'm') + ",";
    window->LoadTable(Table("wide.csv", header + "\r\n"));
    GridView& grid = window->Grid();
    ASSERT_EQ(grid.model()->columnCount(), 3010);
    for (int c = 0; c < 3010; ++c) {
        ASSERT_EQ(grid.columnWidth(c), window->Table().ColumnWidth(c)) << c;
    }
    EXPECT_EQ(grid.horizontalHeader()->length(), [&] {
        int sum = 0;
        for (int c = 0; c < 3010; ++c)
            sum += window->Table().ColumnWidth(c);
        return sum;
    }());
}

// A column with no title and no text is 0 pixels wide in the table and shown 1 pixel wide, so
// that a header of many empty fields paints only the cells on screen.
TEST_F(FileCommandsTest, AnEmptyColumnIsShownOnePixelWide) {
    window->LoadTable(Table("gap.csv", "A,,C,\r\n1,,3,\r\n"));
    EXPECT_EQ(window->Table().ColumnWidth(1), 0);
    EXPECT_EQ(window->Grid().columnWidth(1), 1);
    EXPECT_EQ(window->Grid().columnWidth(0), window->Table().ColumnWidth(0));
}

TEST_F(FileCommandsTest, ALoadMakesTheMarginAndFitsTheColumns) {
    EXPECT_EQ(window->State().columnCount, 12);
    EXPECT_EQ(window->State().loadedRowCount, 1);
    EXPECT_EQ(window->Table().RowCount(), 11);
    EXPECT_EQ(window->Grid().model()->columnCount(), 12);
    for (int c = 0; c < 12; ++c) {
        EXPECT_EQ(window->Grid().columnWidth(c), std::max(1, window->Table().ColumnWidth(c))) << c;
    }
    EXPECT_LT(window->Table().ColumnWidth(0), 110);  // "A" and "1" are narrow
    EXPECT_EQ(window->Table().ColumnWidth(5), 110);  // a blank margin column
}

}  // namespace
}  // namespace tavrel::test
