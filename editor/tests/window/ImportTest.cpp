// Edit > Import Unitlocs.csv in the window: the question, the file dialog, the outcome.
#include "EditorFixture.h"

namespace tavrel::test {
namespace {

using Answer = Platform::Answer;
const QString kQuestion =
    "This will replace the dir and loc columns of the currently open units.csv file\n"
    "with the ones from the selected unitlocs.csv file.\nContinue?";

// A units table of 13 columns and two data rows.
const std::string kUnits =
    "c0,c1,c2,c3,c4,c5,c6,c7,c8,dir,x,y,z,\r\n"
    "0,1,2,3,4,5,6,7,8,9,10,11,12,\r\n"
    "0,1,2,3,4,5,6,7,8,9,10,11,12,\r\n";

class ImportTest : public EditorFixture {
protected:
    void SetUp() override {
        units = Table("units.csv", kUnits);
        locations = Table("unitlocs.csv", "dir,x,y,z,\r\n90,1,2,3,\r\n180,4,\r\n");
        Open(units);
    }
    std::string units;
    std::string locations;
};

TEST_F(ImportTest, AsksThenReplacesTheColumnsAndMarksTheTableChanged) {
    ClickCell(0, 0);
    GridKey(Qt::Key_M);  // an open edit is stored first
    platform.answers = {Answer::YES};
    platform.files = {locations};
    window->OnCommand(ID_IMPORT_UNITLOCS);
    ASSERT_EQ(platform.MessageTexts(), std::vector<QString>{kQuestion});
    EXPECT_EQ(platform.messages[0].buttons, Platform::Buttons::YES_NO);
    ASSERT_EQ(platform.fileQuestions.size(), 1u);
    const auto& asked = platform.fileQuestions[0];
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.dialog.filter, "UnitLoc Files (unitlocs.csv)|unitlocs.csv||");
    EXPECT_EQ(asked.dialog.defaultExtension, "csv");
    EXPECT_EQ(asked.dialog.initialName, Folder() + "unitlocs.csv");
    EXPECT_EQ(Cell(0, 0), "m");
    EXPECT_EQ(Cell(0, 9), "90");
    EXPECT_EQ(Cell(0, 12), "3");
    EXPECT_EQ(Cell(1, 10), "4");
    EXPECT_EQ(Cell(1, 11), "");
    EXPECT_EQ(window->Grid().model()->index(1, 9).data().toString(), "180");
    EXPECT_TRUE(window->State().modified);
    EXPECT_EQ(ReadFile(units), kUnits) << "nothing is written until a save";
}

TEST_F(ImportTest, NoOrCancelChangeNothing) {
    struct Case {
        Answer answer;
        std::deque<std::optional<std::string>> files;
        std::size_t dialogs;
    };
    const Case cases[] = {{Answer::NO, {}, 0}, {Answer::YES, {std::nullopt}, 1}};
    for (const Case& c : cases) {
        platform = EditorPlatform();
        platform.answers = {c.answer};
        platform.files = c.files;
        window->OnCommand(ID_IMPORT_UNITLOCS);
        EXPECT_EQ(platform.fileQuestions.size(), c.dialogs);
        EXPECT_EQ(Cell(0, 9), "9");
        EXPECT_FALSE(window->State().modified);
    }
}

TEST_F(ImportTest, AFileThatCannotBeOpenedIsReported) {
    platform.answers = {Answer::YES};
    platform.files = {Folder() + "missing.csv"};
    window->OnCommand(ID_IMPORT_UNITLOCS);
    EXPECT_EQ(platform.MessageTexts(), (std::vector<QString>{kQuestion, "Error opening file."}));
    EXPECT_EQ(platform.messages[1].icon, Platform::Icon::EXCLAMATION);
    EXPECT_FALSE(window->State().modified);
}

}  // namespace
}  // namespace tavrel::test
