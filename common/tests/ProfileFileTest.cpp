// The settings file against one written the way Windows writes and people edit them, and against
// what the platform's own profile services answer for the same files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "FaultyFiles.h"
#include "ProfileFile.h"
#include "TestFiles.h"

namespace base {
namespace {

using namespace std::string_literals;

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
        {" Options ", " lastopen ", "C:\\Games\\Data Files\\units.csv"},
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
    // 99999999999 wraps to 32 bits: 99999999999 - 23 * 2^32.
    const Case cases[] = {{"left", -12},       {"top", 34},     {"right", 0},
                          {"bottom", 600},     {"missing", 77}, {"big", 1215752191},
                          {"neg", -1215752191}};
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
    expected += "[Find]\r\nfind0=Tiger\r\n";
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

// ---- Files that cannot be read ---------------------------------------------------------------

// The names in a folder, to see that a refused write left no temporary file behind.
std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST_F(ProfileFileTest, AFileThatCannotBeReadGivesDefaultsAndIsNeverRewritten) {
    struct Case {
        const char* name;
        test::FileCall call;  // the open for reading, or a read
        int error;
    };
    const Case cases[] = {
        {"OpenDenied", test::FileCall::OPEN, EACCES},
        {"OpenFails", test::FileCall::OPEN, EIO},
        {"ReadDenied", test::FileCall::READ, EACCES},
        {"ReadFails", test::FileCall::READ, EIO},
    };
    for (const Case& c : cases) {
        test::FaultyFiles files;
        // Only the reading of the settings file fails: the file itself may still be written.
        files.fail = [&](const test::CallInfo& call) {
            const bool reading = call.call != test::FileCall::OPEN || (call.flags & kWrite) == 0;
            return call.call == c.call && call.path == path && reading ? c.error : 0;
        };
        EXPECT_EQ(ReadProfileString(path, "Other", "left", "<default>", 99, files), "<default>")
            << c.name;
        EXPECT_EQ(ReadProfileInt(path, "Other", "left", 77, files), 77) << c.name;
        EXPECT_FALSE(WriteProfileString(path, "Options", "left", "1", files)) << c.name;
        EXPECT_GT(files.Count(c.call), 0u) << c.name;
        EXPECT_EQ(test::ReadFile(path), kWindowsIni) << c.name;
        EXPECT_EQ(EntriesIn(dir.Path()), 1u) << c.name;
    }
    // The same layer without faults reads and writes the file as the system's does.
    test::FaultyFiles files;
    EXPECT_EQ(ReadProfileInt(path, "Other", "left", 77, files), 999);
    EXPECT_TRUE(WriteProfileString(path, "Other", "left", "1", files));
    EXPECT_EQ(ReadProfileInt(path, "Other", "left", 77), 1);
}

TEST_F(ProfileFileTest, AFileTheUserMayWriteButNotReadIsLeftAsItWas) {
    // A folder at the file's place, and a file without read permission for its user.
    const std::string folder = dir.File("folder.ini");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(ReadProfileString(folder, "Other", "left", "<default>"), "<default>");
    EXPECT_FALSE(WriteProfileString(folder, "Other", "left", "1"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));

#ifndef _WIN32  // Windows has no file that its user may write but not read
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    if (test::RunningAsRoot()) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    const std::string outcome = test::AsUnprivilegedUser([&]() -> std::string {
        if (ReadProfileInt(path, "Other", "left", 77) != 77) return "read a value";
        if (WriteProfileString(path, "Options", "left", "1")) return "wrote the file";
        return "";
    });
    EXPECT_EQ(outcome, "");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(test::ReadFile(path), kWindowsIni);
#endif
}

// ---- Lines, names and values as the platform reads them --------------------------------------

TEST(ProfileFileReadTest, ReadsNamesAndValuesAsThePlatformDoes) {
    test::TempDir dir;
    const std::string path = dir.File("Tavrel.ini");
    test::WriteFile(path,
                    "outside=before any section\r\n"
                    "[a]b]\r\nk=last bracket\r\n"
                    "[Opt] trailing\r\nk=2\r\n[broken\r\nj=3\r\n[x=y\r\n"
                    "noequals\r\nnoequals=later\r\n=nameless\r\n;c=comment\r\n#h=hash\r\n"
                    "nul=a\0b\r\nnulkey\0x=2\r\n"
                    "eof=\x1ax\x1a\r\nnbsp=\xa0x\xa0\r\nvt=\vx\f\r\n"
                    "dup=first\r\ndup=second\r\n"
                    "a=b=c\r\nempty=\r\n"
                    "[CAF\xc9]\r\n\xc0=5\r\n"
                    "[]\r\nk=never read\r\n"s);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"", "outside", "before any section"},  // the lines before the first section
        {"", "k", "<d>"},                       // "[]" is a second section "": never read
        {"a]b", "k", "last bracket"},           // a section name ends at the last "]"
        {"a", "k", "<d>"},
        {"Opt", "k", "2"},
        {"Opt", "j", "3"},  // a "[" line without "]" is no section
        {"Opt", "[x", "y"},
        {"Opt", "noequals", "<d>"},  // a key without "=" has no value, and is found first
        {"Opt", "", "nameless"},
        {"Opt", ";c", "comment"},  // comment lines are keys no one asks for
        {"Opt", "c", "<d>"},
        {"Opt", "#h", "hash"},
        {"Opt", "nul", "a"},  // a NUL ends a value or a name
        {"Opt", "nulkey", "2"},
        {"Opt", "eof", "x"},  // Ctrl-Z is a blank, the no-break space is not
        {"Opt", "nbsp", "\xa0x\xa0"},
        {"Opt", "vt", "x"},
        {"Opt", "dup", "first"},
        {"Opt", "a", "b=c"},
        {"Opt", "empty", ""},
        {"caf\xc9", "\xc0", "5"},
        {"caf\xe9", "\xc0", "<d>"},  // case is folded in ASCII only
        {"caf\xc9", "\xe0", "<d>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadProfileString(path, c.section, c.key, "<d>"), c.expected)
            << "[" << c.section << "] " << c.key;
    }
}

TEST(ProfileFileReadTest, QuotesAreRemovedAsThePlatformCopiesTheValue) {
    struct Case {
        const char* value;
        std::size_t maxChars;
        const char* expected;
    };
    const Case cases[] = {
        {"\"a\"", 99, "a"},
        {"'a'", 99, "a"},
        {"\"a'", 99, "\"a'"},  // quotes that do not match stay
        {"\"", 99, "\""},
        {"\"\"", 99, ""},
        {"  \"  x  \"  ", 99, "  x  "},
        {"  \"  x  \"  ", 3, "  x"},
        {"\"abc\"", 4, "abc"},
        {"\"abc\"", 3, "ab"},  // only just too long: the last character goes with the quote
        {"\"abc\"", 2, "ab"},
        {"\"abc\"", 0, ""},
        {"abc", 3, "abc"},
    };
    test::TempDir dir;
    const std::string path = dir.File("Tavrel.ini");
    for (const Case& c : cases) {
        test::WriteFile(path, "[s]\r\nk="s + c.value + "\r\n");
        EXPECT_EQ(ReadProfileString(path, "s", "k", "<d>", c.maxChars), c.expected)
            << c.value << " in " << c.maxChars;
    }
}

TEST(ProfileFileReadTest, IntegersWrapAndTakeThePlatformsPrefixes) {
    const std::string spaces28(28, ' '), spaces27(27, ' ');
    struct Case {
        std::string value;
        int expected;
    };
    const Case cases[] = {
        {"4294967297", 1},
        {"2147483648", INT_MIN},
        {"-2147483649", INT_MAX},
        {"4294967296", 0},
        {"2147483647", INT_MAX},
        {"+5", 5},
        {"\" \t8\"", 8},  // blanks inside quotes
        {"\x01\x02 5", 5},
        {"0x10", 16},
        {"0xff", 255},
        {"0X10", 0},
        {"0x", 0},
        {"-0x10", -16},
        {"0x1G", 1},
        {"0xFFFFFFFF", -1},
        {"0x100000001", 1},
        {"0b101", 5},
        {"0B101", 0},
        {"0b2", 0},
        {"0o17", 15},
        {"0O17", 0},
        {"0x-5", 0},
        {"+-5", 0},
        {"- 5", 0},
        {"-", 0},
        {"\"-5\"", -5},
        {"1e3", 1},
        {"12 34", 12},
        {"007", 7},
        {"08", 8},
        {"abc", 0},
        // Only the first 29 characters are read.
        {"12345678901234567890123456789", 1849262357},
        {"123456789012345678901234567890", 1849262357},
        {"\"123456789012345678901234567890\"", 1849262357},
        {"00000000000000000000000000000000012", 0},
        {"-0000000000000000000000000000000012", 0},
        {"\"" + spaces27 + "5\"", 5},
        {"\"" + spaces28 + "5\"", 0},
        // An empty value reads as missing.
        {"", 77},
        {"\"\"", 77},
    };
    test::TempDir dir;
    const std::string path = dir.File("Tavrel.ini");
    std::string file = "[s]\r\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        file += "k" + std::to_string(i) + "=" + cases[i].value + "\r\n";
    test::WriteFile(path, file);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ReadProfileInt(path, "s", "k" + std::to_string(i), 77), cases[i].expected)
            << cases[i].value;
    }
}

TEST(ProfileFileReadTest, ALoneCarriageReturnEndsALine) {
    test::TempDir dir;
    const std::string path = dir.File("Tavrel.ini");
    test::WriteFile(path, "[s]\ra=1\rb=2\r\r\nc=3\n\rd=4\n[t]\re=5");
    const char* const keys[][3] = {
        {"s", "a", "1"}, {"s", "b", "2"}, {"s", "c", "3"}, {"s", "d", "4"}, {"t", "e", "5"},
    };
    for (const auto& key : keys)
        EXPECT_EQ(ReadProfileString(path, key[0], key[1], "<d>"), key[2]) << key[1];
    // Each end becomes CR LF; "\r\r\n" and "\n\r" are two ends, with a blank line between.
    ASSERT_TRUE(WriteProfileString(path, "s", "b", "22"));
    EXPECT_EQ(test::ReadFile(path), "[s]\r\na=1\r\nb=22\r\n\r\nc=3\r\n\r\nd=4\r\n[t]\r\ne=5\r\n");
}

// ---- What a write refuses --------------------------------------------------------------------

TEST_F(ProfileFileTest, TextThatWouldBreakTheFilesLinesIsRefused) {
    struct Case {
        std::string section;
        std::string key;
        std::string value;
    };
    const Case cases[] = {
        {"Options", "lastopen", "/home/a\nb.csv"},
        {"Options", "lastopen", "a\r\n[Evil]\r\nz=1"},
        {"Options", "lastopen", "cr\rend"},
        {"Options", "lastopen", "a\0b"s},
        {"Options", "k=x", "2"},
        {"Options", "k\r\nq", "2"},
        {"Options", "k\0q"s, "2"},
        {"Options", "[z]", "4"},  // would read as a section line
        {"Options", "[z", "4"},
        {"Opt]ions", "left", "3"},
        {"Opt\r\nions", "left", "3"},
        {"", "left", "3"},  // the part before the first section
        {"  ", "left", "3"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(WriteProfileString(path, c.section, c.key, c.value))
            << c.section << "/" << c.key << "=" << c.value;
        EXPECT_EQ(test::ReadFile(path), kWindowsIni) << c.section << "/" << c.key;
    }
    EXPECT_FALSE(WriteProfileString(dir.File("fresh.ini"), "Options", "k", "a\nb"));
    EXPECT_FALSE(test::Exists(dir.File("fresh.ini")));
}

TEST(ProfileFileWriteTest, NamesAreTrimmedAndOddNamesReadBack) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        const char* bytes;  // the file written
        const char* readKey;
        const char* read;
    };
    const Case cases[] = {
        {" pad ", " key ", "  6  ", "[s]\r\nk=1\r\n[pad]\r\nkey=6  \r\n", "key", "6"},
        {"s", ";c", "5", "[s]\r\nk=1\r\n;c=5\r\n", ";c", "5"},
        {"s", "", "7", "[s]\r\nk=1\r\n=7\r\n", "", "7"},
        {"s", "k", "", "[s]\r\nk=\r\n", "k", ""},
    };
    test::TempDir dir;
    const std::string path = dir.File("Tavrel.ini");
    for (const Case& c : cases) {
        test::WriteFile(path, "[s]\r\nk=1\r\n");
        WriteProfileString(path, c.section, c.key, c.value);
        EXPECT_EQ(test::ReadFile(path), c.bytes) << c.section << "/" << c.key;
        EXPECT_EQ(ReadProfileString(path, c.section, c.readKey, "<d>"), c.read) << c.key;
    }
}

// ---- Unicode files ---------------------------------------------------------------------------

std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string Utf16Be(std::u16string_view text) {
    std::string bytes = "\xFE\xFF";
    for (const char16_t c : text) {
        bytes += static_cast<char>(c >> 8);
        bytes += static_cast<char>(c & 0xFF);
    }
    return bytes;
}

TEST(ProfileFileUnicodeTest, ReadsEachEncodingAsWindows1252) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* section;
        const char* key;
        const char* expected;
    };
    const std::string le = Utf16Le(u"[s]\r\nk=\u00e9\r\ng=\u03b1\r\np=\U0001F600\r\ne=\u20ac\r\n");
    const std::string u8 =
        "\xEF\xBB\xBF[caf\xC3\xA9]\r\nk=\xC3\xA9\r\ng=\xCE\xB1\r\nbad=a\xE9"
        "b\r\na=\xE2\x82"
        "b\r\nb=\xC0\xAFx\r\nc=\xED\xA0\x80x\r\nd=\xF4\x90\x80\x80x\r\ne=\x80\x80x\r\n";
    const Case cases[] = {
        {"Utf16Le", le, "s", "k", "\xe9"},
        {"Utf16Le", le, "s", "e", "\x80"},
        {"Utf16Le", le, "s", "g", "?"},  // outside the code page
        {"Utf16Le", le, "s", "p", "?"},  // a surrogate pair is one character
        {"Utf16Be", Utf16Be(u"[s]\r\nk=\u00e9\r\n"), "s", "k", "\xe9"},
        {"Utf16Odd", Utf16Le(u"[s]\r\nk=x\r\n") + "z", "s", "k", "x"},
        {"Utf16NoMark", Utf16Le(u"[s]\r\nk=x\r\n").substr(2), "s", "k", "<d>"},
        {"Utf8", u8, "caf\xe9", "k", "\xe9"},
        {"Utf8", u8, "caf\xe9", "g", "?"},
        // Broken sequences: one "?" for each, up to the first byte that cannot continue it.
        {"Utf8", u8, "caf\xe9", "bad", "a?b"},
        {"Utf8", u8, "caf\xe9", "a", "?b"},
        {"Utf8", u8, "caf\xe9", "b", "??x"},
        {"Utf8", u8, "caf\xe9", "c", "??x"},
        {"Utf8", u8, "caf\xe9", "d", "???x"},
        {"Utf8", u8, "caf\xe9", "e", "??x"},
        // A sequence cut off by the end of the file takes the rest with it.
        {"Utf8CutAtEnd",
         "\xEF\xBB\xBF[s]\r\nk=\xF0"
         "ab",
         "s", "k", "?"},
        {"Utf8CutAtLineEnd",
         "\xEF\xBB\xBF[s]\r\nk=\xF0"
         "ab\r\n",
         "s", "k", "?ab"},
        // Without the mark it is 8-bit text.
        {"Utf8NoMark", u8.substr(3), "caf\xe9", "k", "<d>"},
        {"Utf8NoMark", u8.substr(3), "caf\xc3\xa9", "k", "\xc3\xa9"},
    };
    test::TempDir dir;
    const std::string path = dir.File("Tavrel.ini");
    for (const Case& c : cases) {
        test::WriteFile(path, c.bytes);
        EXPECT_EQ(ReadProfileString(path, c.section, c.key, "<d>"), c.expected)
            << c.name << " " << c.key;
    }
}

TEST(ProfileFileUnicodeTest, WritesBackInTheFilesEncodingKeepingEveryOtherLine) {
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const std::u16string other = u"g=\u03b1\r\np=\U0001F600\r\n";
    const Case cases[] = {
        {"Utf16LeReplace", Utf16Le(u"[s]\r\nk=\u00e9\r\n" + other), "s", "k", "\xe8\x80",
         Utf16Le(u"[s]\r\nk=\u00e8\u20ac\r\n" + other)},
        {"Utf16LeNewSection", Utf16Le(u"[s]\r\n" + other), "t", "n", "1",
         Utf16Le(u"[s]\r\n" + other + u"[t]\r\nn=1\r\n")},
        {"Utf16LeMarkOnly", "\xFF\xFE", "s", "k", "1", Utf16Le(u"[s]\r\nk=1\r\n")},
        {"Utf16Be", Utf16Be(u"[s]\r\nk=\u00e9\r\n" + other), "s", "n", "\xe9",
         Utf16Be(u"[s]\r\nk=\u00e9\r\n" + other + u"n=\u00e9\r\n")},
        // The broken byte stays as it was, where the platform would write U+FFFD.
        {"Utf8", "\xEF\xBB\xBF[s]\r\ng=\xCE\xB1\r\nbad=a\xE9x\r\n", "s", "n", "\xe9\x80",
         "\xEF\xBB\xBF[s]\r\ng=\xCE\xB1\r\nbad=a\xE9x\r\nn=\xC3\xA9\xE2\x82\xAC\r\n"},
        {"EightBitFF", "\xFF", "s", "k", "1", "\xFF\r\n[s]\r\nk=1\r\n"},
        // Half a character at the end cannot be written back: the file is left alone.
        {"Utf16Odd", Utf16Le(u"[s]\r\nk=x\r\n") + "z", "s", "n", "1",
         Utf16Le(u"[s]\r\nk=x\r\n") + "z"},
    };
    test::TempDir dir;
    const std::string path = dir.File("Tavrel.ini");
    for (const Case& c : cases) {
        test::WriteFile(path, c.before);
        EXPECT_EQ(WriteProfileString(path, c.section, c.key, c.value), c.before != c.after)
            << c.name;
        EXPECT_EQ(test::ReadFile(path), c.after) << c.name;
        if (c.before != c.after) {
            EXPECT_EQ(ReadProfileString(path, c.section, c.key, "<d>"), c.value) << c.name;
        }
    }
}

}  // namespace
}  // namespace base
