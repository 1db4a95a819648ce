// The settings file against one written the way Windows writes and people edit them.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ProfileFile.h"
#include "TestFiles.h"

namespace base {
namespace {

// Mixed case, blanks, quotes, comments, other sections, a backslash path, 8-bit bytes, LF and
// CR LF line ends, and a second section of the same name that must not be read.
const std::string kWindowsIni =
    "; Tavrel settings\r\n"
    "[Other]\r\n"
    "left=999\r\n"
    "\r\n"
    "[ OPTIONS ]\r\n"
    "Left = -12\r\n"
    "TOP=34abc\r\n"
    "right=word\r\n"
    "  bottom  =  \"  600 \"  \r\n"
    "lastopen=C:\\Games\\Data Files\\units.csv\n"
    "title='Caf\xe9 \"quoted\"'\r\n"
    "comma=a,b;c # not a comment\r\n"
    "big=99999999999\r\n"
    "neg=-99999999999\r\n"
    "\r\n"
    "[options]\r\n"
    "extra=never read\r\n";

class ProfileFileTest : public testing::Test {
protected:
    void SetUp() override { test::WriteFile(path, kWindowsIni); }
    test::TempDir dir;
    const std::string path = dir.File("Tavrel.ini");
};

TEST_F(ProfileFileTest, ReadsValuesAsThePlatformDoes) {
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Options", "lastopen", "C:\\Games\\Data Files\\units.csv"},
        {"options", "LASTOPEN", "C:\\Games\\Data Files\\units.csv"},
        {"Options", "bottom", "  600 "},  // quotes removed, what they held kept
        {"Options", "title", "Caf\xe9 \"quoted\""},
        {"Options", "comma", "a,b;c # not a comment"},
        {"Options", "extra", "<default>"},  // only the first [Options] counts
        {"Options", "missing", "<default>"},
        {"Other", "left", "999"},
        {"Nowhere", "left", "<default>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadProfileString(path, c.section, c.key, "<default>"), c.expected)
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(ReadProfileString(path, "Options", "lastopen", "", 7), "C:\\Game");
    EXPECT_EQ(ReadProfileString(dir.File("none.ini"), "Options", "left", "x"), "x");
}

TEST_F(ProfileFileTest, ReadsIntegersAsThePlatformDoes) {
    struct Case {
        const char* key;
        int expected;
    };
    const Case cases[] = {{"left", -12},   {"top", 34},      {"right", 0},    {"bottom", 600},
                          {"missing", 77}, {"big", INT_MAX}, {"neg", INT_MIN}};
    for (const Case& c : cases) {
        EXPECT_EQ(ReadProfileInt(path, "Options", c.key, 77), c.expected) << c.key;
    }
}

TEST_F(ProfileFileTest, WritingChangesOnlyTheIntendedLine) {
    ASSERT_TRUE(WriteProfileString(path, "options", "LEFT", "15"));
    std::string expected = kWindowsIni;
    expected.replace(expected.find("Left = -12"), 10, "Left=15");
    // Every line now ends in CR LF, the one LF-only line included.
    expected.replace(expected.find("units.csv\n"), 10, "units.csv\r\n");
    EXPECT_EQ(test::ReadFile(path), expected);
    EXPECT_EQ(ReadProfileInt(path, "Options", "left", 0), 15);
}

TEST_F(ProfileFileTest, NewKeysJoinTheirSectionAndNewSectionsGoAtTheEnd) {
    ASSERT_TRUE(WriteProfileString(path, "Other", "top", "5"));
    ASSERT_TRUE(WriteProfileString(path, "Find", "find0", "Tiger"));
    std::string expected = kWindowsIni;
    expected.replace(expected.find("units.csv\n"), 10, "units.csv\r\n");
    expected.replace(expected.find("left=999\r\n"), 10, "left=999\r\ntop=5\r\n");
    expected += "\r\n[Find]\r\nfind0=Tiger\r\n";
    EXPECT_EQ(test::ReadFile(path), expected);
}

TEST_F(ProfileFileTest, AMissingFileIsCreatedAndAnUnwritableOneLeftAlone) {
    const std::string fresh = dir.File("fresh.ini");
    ASSERT_TRUE(WriteProfileString(fresh, "Options", "left", "1"));
    ASSERT_TRUE(WriteProfileString(fresh, "Options", "top", "2"));
    EXPECT_EQ(test::ReadFile(fresh), "[Options]\r\nleft=1\r\ntop=2\r\n");
    test::WriteFile(dir.File("file"), "x");
    EXPECT_FALSE(WriteProfileString(dir.File("file/Tavrel.ini"), "Options", "left", "1"));
}

}  // namespace
}  // namespace base
